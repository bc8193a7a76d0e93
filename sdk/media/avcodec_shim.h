// Orvik's thin stdcall layer over libavcodec, exported for programs that
// load Orvik and want its H.264 decoder, and used by decoder type 2.
// The exported names keep their decoration: "_AVCODEC_alloc_context@0" ...
#pragma once
#include <cstdint>

struct AVCodecContext;
struct AVFrame;
struct AVCodec;

extern "C" {

AVCodecContext* __stdcall AVCODEC_alloc_context();
AVFrame* __stdcall AVCODEC_alloc_frame();
// A null codec means libavcodec's H.264 decoder.
int __stdcall AVCODEC_open(AVCodecContext* ctx, const AVCodec* codec);
// Decodes one block of Annex-B bytes; a null or empty block drains the
// pictures held back. Returns the bytes used, negative on error; *got is 1
// when picture holds a new picture.
int __stdcall AVCODEC_decode_video(AVCodecContext* ctx, AVFrame* picture, int* got, const uint8_t* data,
                                   int length);
int __stdcall AVCODEC_close(AVCodecContext* ctx);
void __stdcall AV_FREE(void* p);
int __stdcall AVCODEC_init();
void __stdcall yuvtoyuv422_ffplay(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v,
                                  int cStride, uint8_t* dst, int width, int height, int pitch);
}

namespace orvik {

// The static DSP tables that AVCODEC_init fills.
struct AvcodecTables {
    static constexpr int kMaxNegCrop = 1024;
    uint8_t crop[256 + 2 * kMaxNegCrop];  // 1024 x 0, 0..255, 1024 x 255
    uint32_t squares[512];                // (i - 256)^2
    uint16_t invZigzag[64];               // invZigzag[zigzag[j]] = j + 1
};
const AvcodecTables& GetAvcodecTables();

// The 8x8 zig-zag scan: zigzag[j] is the raster index of the j-th
// coefficient in scan order.
extern const uint8_t kZigzagDirect[64];

}  // namespace orvik
