// Helpers of the SSE2 kernel set.
#pragma once

#include <cstdint>
#include <cstring>

#include "dsp_common.h"

// The register helpers only where the compiler targets SSE2 (the kernel
// sources); the table's source sees the declarations alone.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace h264dsp {
#if defined(__SSE2__)
namespace sse2 {

// Loads that never read past the bytes asked for.
inline __m128i Load4(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}
inline __m128i Load8(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }
// 16 bytes as two 8-byte loads (movq, movhps): no dearer on the processor,
// and an emulator runs them several times faster than one 16-byte load.
inline __m128i Load16(const void* p) {
    const __m128i lo = _mm_loadl_epi64(static_cast<const __m128i*>(p));
    return _mm_castps_si128(_mm_loadh_pi(_mm_castsi128_ps(lo), reinterpret_cast<const __m64*>(static_cast<const uint8_t*>(p) + 8)));
}
inline void Store4(uint8_t* p, __m128i v) {
    const int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, 4);
}
inline void Store8(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }
inline __m128i Widen(__m128i bytes) { return _mm_unpacklo_epi8(bytes, _mm_setzero_si128()); }

// Residual add with clipping: the saturating 16-bit add followed by the
// unsigned saturating pack equals Clip(pred + residual) for any int16
// residual, since pred is 0..255.
inline __m128i AddClip8(__m128i predBytes, __m128i res16) {
    return _mm_packus_epi16(_mm_adds_epi16(Widen(predBytes), res16), res16);
}

}  // namespace sse2
#endif

// SIMD members, shared between the SSE2 sources and the table.
extern const H264LumaMcFn kSse2LumaMc4x4[16];
extern const H264LumaMcFn kSse2LumaMc4x8[16];
extern const H264LumaMcFn kSse2LumaMc8x16[16];
extern const H264LumaMcFn kSse2LumaMc8x8[16];
extern const H264ChromaMcFn kSse2ChromaMc4x2[4];
extern const H264ChromaMcFn kSse2ChromaMc8x4[4];
extern const H264ChromaMcFn kSse2ChromaMc8x8[4];
extern const H264Intra4x4Fn kSse2Intra4x4[9];
extern const H264Intra16x16Fn kSse2Intra16x16[4];
extern const H264IntraChromaFn kSse2IntraChroma[4];
extern const H264InterReconFn kSse2InterRecon[16];

void Sse2InverseTransform4x4(const int16_t* blk, int16_t* dst);
void Sse2InnerEdgeStrengthFromCoeffs(const uint8_t* flags, uint8_t* bS);
void Sse2ClearInnerEdgeStrength(uint8_t* bS);
void Sse2DbTranspose8x8(uint8_t* blk);
void Sse2DbLumaNormal(uint8_t* p, uint8_t* q, uint32_t alpha4, int32_t beta, uint32_t tc0x4);
void Sse2DbLumaNormal16(uint8_t* pL, uint8_t* pR, uint8_t* qL, uint8_t* qR, uint32_t alpha4, int32_t beta,
                        uint32_t tc0x4);
void Sse2DbLumaStrong(uint8_t* p, uint8_t* q, int32_t alpha, int32_t beta);
void Sse2DbChromaNormal(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                        uint32_t alpha4, int32_t beta, uint32_t tc0x4, int32_t qStride);
void Sse2DbChromaStrong(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                        int32_t alpha, int32_t beta);
void Sse2DbGatherLeft(uint8_t* dst, const uint8_t* top, const uint8_t* bottom, int32_t stride);
void Sse2DbScatterLeft(const uint8_t* src, uint8_t* top, uint8_t* bottom, int32_t stride);
void Sse2DbGatherTopChroma(uint8_t* dst, const uint8_t* src, int32_t stride);
void Sse2DbStoreRow8(uint8_t* dst, const uint8_t* src);
void Sse2DbGatherTop(uint8_t* left, uint8_t* right, const uint8_t* src, int32_t stride);
void Sse2DbScatterTop(uint8_t* dst, int32_t stride, const uint8_t* left, const uint8_t* right);
void Sse2MbStoreLuma(uint8_t* dst, int32_t stride, const uint8_t* predY);
void Sse2MbRightColumn(uint8_t* leftY, uint8_t* leftCb, uint8_t* leftCr, const uint8_t* predY,
                       const uint8_t* predCb, const uint8_t* predCr);
void Sse2MbStoreChroma(uint8_t* dstCb, uint8_t* dstCr, int32_t strideC,
                       const uint8_t* predCb, const uint8_t* predCr);

}  // namespace h264dsp
