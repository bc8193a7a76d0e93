// Inverse 4x4 transform, SSE2 set. Both passes run in 32-bit lanes and the
// result is packed with signed saturation, exactly as the plain set
// computes and saturates, so the two sets agree on every input.
#include "dsp_sse2.h"

namespace h264dsp {

namespace {

inline void Transpose4x4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    const __m128i t0 = _mm_unpacklo_epi32(a, b), t1 = _mm_unpacklo_epi32(c, d);
    const __m128i t2 = _mm_unpackhi_epi32(a, b), t3 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(t0, t1);
    b = _mm_unpackhi_epi64(t0, t1);
    c = _mm_unpacklo_epi64(t2, t3);
    d = _mm_unpackhi_epi64(t2, t3);
}

// One-dimensional transform lane-wise over four vectors.
inline void Butterfly(__m128i& d0, __m128i& d1, __m128i& d2, __m128i& d3) {
    const __m128i e = _mm_add_epi32(d0, d2), f = _mm_sub_epi32(d0, d2);
    const __m128i g = _mm_sub_epi32(_mm_srai_epi32(d1, 1), d3), h = _mm_add_epi32(d1, _mm_srai_epi32(d3, 1));
    d0 = _mm_add_epi32(e, h);
    d1 = _mm_add_epi32(f, g);
    d2 = _mm_sub_epi32(f, g);
    d3 = _mm_sub_epi32(e, h);
}

// The upper 8 bytes of v (movhpd store).
inline void StoreHigh8(int16_t* p, __m128i v) { _mm_storeh_pd(reinterpret_cast<double*>(p), _mm_castsi128_pd(v)); }

inline __m128i Sext16(__m128i v) { return _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16); }

}  // namespace

void Sse2InverseTransform4x4(const int16_t* blk, int16_t* dst) {
    // One 8-byte load per row (no byte shifts: see the deblocking kernels).
    __m128i r0 = Sext16(sse2::Load8(blk)), r1 = Sext16(sse2::Load8(blk + 4));
    __m128i r2 = Sext16(sse2::Load8(blk + 8)), r3 = Sext16(sse2::Load8(blk + 12));
    // Rows: transpose so each vector holds one coefficient column of all rows.
    Transpose4x4(r0, r1, r2, r3);
    Butterfly(r0, r1, r2, r3);
    // Now r_k holds output k of every row; transpose back to rows for the columns pass.
    Transpose4x4(r0, r1, r2, r3);
    Butterfly(r0, r1, r2, r3);
    const __m128i rnd = _mm_set1_epi32(32);
    const __m128i o01 = _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(r0, rnd), 6), _mm_srai_epi32(_mm_add_epi32(r1, rnd), 6));
    const __m128i o23 = _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(r2, rnd), 6), _mm_srai_epi32(_mm_add_epi32(r3, rnd), 6));
    sse2::Store8(dst, o01);
    StoreHigh8(dst + 8, o01);
    sse2::Store8(dst + 16, o23);
    StoreHigh8(dst + 24, o23);
}

void Sse2ClearInnerEdgeStrength(uint8_t* bS) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bS + 16), _mm_setzero_si128());
    sse2::Store8(bS + 32, _mm_setzero_si128());
}

}  // namespace h264dsp
