/* Voice codec: G.711, IMA ADPCM and G.726 voice frames.
 *
 * A voice frame is a 4-byte header {u16 0x0100, u8 payload length in 16-bit
 * words, u8 0} followed by the payload. States are memory of the caller's
 * (QV_VOICE_STATE_SIZE bytes, QV_VOICE_TRANSCODER_STATE_SIZE for a
 * transcoder), begun by a reset; one state serves one direction of one
 * stream on one thread at a time.
 *
 * Two builds exist. The SDK's (Orvik.dll) has every call below and reports
 * errors as 0xA1220xxx. The player's (Quillon.dll, QV_VOICE_PLAYER_BUILD
 * defined) has reset, encode and decode only, takes the codec type as an
 * extra argument of encode and decode, knows the types 1-7 and 35-39 only
 * and reports errors as 0xA1222xxx.
 */
#ifndef QV_VOICE_H
#define QV_VOICE_H

#if defined(_WIN32) && !defined(_WIN64)
#define QV_API __stdcall
#else
#define QV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define QV_VOICE_STATE_SIZE 2048
#define QV_VOICE_TRANSCODER_STATE_SIZE 4096
#define QV_VOICE_MAX_ENCODE_SAMPLES 481   /* samples per encode call */
#define QV_VOICE_MAX_DECODE_SAMPLES 488   /* room a decode output needs */
#define QV_VOICE_MAX_FRAME_BYTES 514      /* room an encode or transcode output needs */

#ifdef QV_VOICE_PLAYER_BUILD
#define QV_VOICE_ERROR_BASE 0xA1222000u
#else
#define QV_VOICE_ERROR_BASE 0xA1220000u
#endif
#define QV_VOICE_ERROR(code) ((int)(QV_VOICE_ERROR_BASE | (code)))
#define QV_VOICE_E_ENC_TYPE QV_VOICE_ERROR(0x001)     /* unknown codec type (encoder) */
#define QV_VOICE_E_ENC_COUNT QV_VOICE_ERROR(0x002)    /* sample count not within 1-481 */
#define QV_VOICE_E_DEC_TYPE QV_VOICE_ERROR(0x011)     /* unknown codec type (decoder) */
#define QV_VOICE_E_DEC_LENGTH QV_VOICE_ERROR(0x012)   /* frame length not valid for the type */
#define QV_VOICE_E_DEC_HEADER QV_VOICE_ERROR(0x013)   /* first word is not a voice frame's */
#define QV_VOICE_E_NULL_STATE QV_VOICE_ERROR(0x101)
#define QV_VOICE_E_NULL_INPUT QV_VOICE_ERROR(0x102)
#define QV_VOICE_E_NULL_OUTPUT QV_VOICE_ERROR(0x103)
#define QV_VOICE_E_NULL_TRANSCODER QV_VOICE_ERROR(0x1001)
#define QV_VOICE_E_TRANSCODE_TYPE QV_VOICE_ERROR(0x1002)

/* Codec types. */
enum {
    QV_VOICE_G711A = 1,          /* first sample in the low byte of each word */
    QV_VOICE_G711U = 2,
    QV_VOICE_ADPCM_DVI4 = 3,     /* IMA ADPCM with a 4-byte header per frame */
    QV_VOICE_G726_16 = 4,        /* code words packed from the least significant bit */
    QV_VOICE_G726_24 = 5,
    QV_VOICE_G726_32 = 6,
    QV_VOICE_G726_40 = 7,
    QV_VOICE_ADPCM_IMA = 35,     /* IMA ADPCM block: first sample in the header */
    QV_VOICE_G726_16_MSB = 36,   /* code words packed from the most significant bit */
    QV_VOICE_G726_24_MSB = 37,
    QV_VOICE_G726_32_MSB = 38,
    QV_VOICE_G726_40_MSB = 39,
    QV_VOICE_G711A_SWAPPED = 65, /* first sample in the high byte of each word */
    QV_VOICE_G711U_SWAPPED = 66,
    QV_VOICE_ADPCM_RAW = 67,     /* IMA ADPCM without header, state runs on */
    QV_VOICE_G726_16_WORDS = 68  /* eight 2-bit codes per word, first in bits 15-14 */
};

/* Transcode types (decoder type -> encoder type). */
enum {
    QV_VOICE_TRANS_G711A = 97,   /* 65 -> 1 */
    QV_VOICE_TRANS_G711U = 98,   /* 66 -> 2 */
    QV_VOICE_TRANS_ADPCM = 99,   /* 67 -> 3 */
    QV_VOICE_TRANS_G726 = 100    /* 68 -> 4 */
};

int QV_API QV_VOICE_EncReset(void* state, int type);
int QV_API QV_VOICE_DecReset(void* state, int type);

#ifdef QV_VOICE_PLAYER_BUILD
int QV_API QV_VOICE_EncodeFrame(void* state, const short* samples, unsigned char* frame, int count,
                                int type);
int QV_API QV_VOICE_DecodeFrame(void* state, const unsigned char* frame, short* samples, int type,
                                int* count);
#else
int QV_API QV_VOICE_GetVersion(char* buffer);
int QV_API QV_VOICE_EncodeFrame(void* state, const short* samples, unsigned char* frame, int count);
int QV_API QV_VOICE_DecodeFrame(void* state, const unsigned char* frame, short* samples, int* count);
int QV_API QV_VOICE_TransCodeReset(void* state, int type);
int QV_API QV_VOICE_TransCodeFrame(void* state, unsigned char* frame);
#endif

#ifdef __cplusplus
}
#endif

#endif /* QV_VOICE_H */
