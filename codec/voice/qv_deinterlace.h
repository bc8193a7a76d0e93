/* Motion-adaptive deinterlacer: planar 4:2:0 fields in, progressive frames
 * out. A context keeps the last four luma fields; feed it one field per call
 * in display order. */
#ifndef QV_DEINTERLACE_H
#define QV_DEINTERLACE_H

#include "qv_voice.h" /* QV_API */

#ifdef __cplusplus
extern "C" {
#endif

typedef struct {
    int width;             /* pixels per line, at least 128 */
    int fieldHeight;       /* lines per field, at least 4; the frame has twice as many */
    int fieldLumaStride;   /* bytes per luma line of an input field, at least width */
    int fieldChromaStride; /* bytes per chroma line of an input field, at least width / 2 */
    int frameLumaStride;   /* bytes per luma line of the output frame, at least width */
    int frameChromaStride; /* bytes per chroma line of the output frame, at least width / 2 */
} qvDEINTERLACE_PARA_S;

typedef struct {
    unsigned char* y;
    unsigned char* u;
    unsigned char* v;
} qvDEINTERLACE_FRAME_S;

typedef enum {
    QV_PIC_FIELD_HISTORY = 1, /* take the field into the history only */
    QV_PIC_FIELD_OUTPUT = 2   /* take the field and write a frame */
} qvPIC_TYPE_E;

#define QV_DEINTERLACE_E_MEMORY (-1)
#define QV_DEINTERLACE_E_PARAM (-2)
#define QV_DEINTERLACE_E_NULL (-3)
#define QV_DEINTERLACE_E_PIC_TYPE (-4)

int QV_API QV_InitDeinterlace(void** handle, qvDEINTERLACE_PARA_S para);
int QV_API QV_Deinterlace(void* handle, qvDEINTERLACE_FRAME_S frame, unsigned char* fieldY,
                          unsigned char* fieldU, unsigned char* fieldV, qvPIC_TYPE_E type);
int QV_API QV_ReleaseDeinterlace(void* handle);
/* Copies the version text into the buffer *version points to. */
int QV_API QV_GetVersion(char** version);

#ifdef __cplusplus
}
#endif

#endif /* QV_DEINTERLACE_H */
