// qv_h264dec: the access-unit cutter of every play handle and the H.264
// decoder library behind decoder type 1, served by the player's decoder engine.
//   QV_BITSTREAM_load_AU  (cutter state) -> 0 with a unit, non-zero when none is left
//   QV_H264DEC_Create     (reserved, accessUnitMode, reserved) -> handle, 0 on failure
//   QV_H264DEC_DecodeAu   (handle, data, length, picture) -> 1 with a picture, 0 without, -1 on bad arguments
//   QV_H264DEC_DecodeNalu (handle, data, length, picture) -> the same
//   QV_H264DEC_Release    (handle)
// DecodeAu takes one whole access unit and hands its picture out at once;
// DecodeNalu takes bytes as they come (a picture comes out once the next
// picture's first slice has arrived; when one call completes several
// pictures, the last of them is returned, so feed it NAL units). The picture is cropped to its
// conformance window; its planes belong to the handle and stay valid until
// the next call on it. Streams up to 1920 x 1088 with up to 4 reference
// frames are decoded.
#pragma once
#include <stdint.h>

#include "qv_bitstream.h"

#ifdef QV_H264DEC_BUILD
#define QV_H264DEC_API  // exports come from the .def file
#else
#define QV_H264DEC_API __declspec(dllimport)
#endif

extern "C" {

struct QV_H264DEC_PICTURE {
    int32_t width;
    int32_t height;
    const uint8_t* y;
    const uint8_t* u;
    const uint8_t* v;
    int32_t yStride;
    int32_t cStride;
    int32_t field;  // 1 when the stream signals single fields (deinterlace before showing)
};

// The access-unit cutter: 0 with a whole access unit in the state (pointer,
// length and bytes used filled, cursor advanced), non-zero when none is left.
QV_H264DEC_API int __stdcall QV_BITSTREAM_load_AU(QV_BITSTREAM* state);

QV_H264DEC_API intptr_t __stdcall QV_H264DEC_Create(int reserved0, int accessUnitMode, int reserved2);
QV_H264DEC_API int __stdcall QV_H264DEC_DecodeAu(intptr_t handle, const uint8_t* data, int length,
                                                 QV_H264DEC_PICTURE* picture);
QV_H264DEC_API int __stdcall QV_H264DEC_DecodeNalu(intptr_t handle, const uint8_t* data, int length,
                                                   QV_H264DEC_PICTURE* picture);
QV_H264DEC_API void __stdcall QV_H264DEC_Release(intptr_t handle);

}  // extern "C"
