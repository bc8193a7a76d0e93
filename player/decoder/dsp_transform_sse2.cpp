// Inverse 4x4 transform, SSE2 set. Blocks whose coefficients all lie in
// -2048..2047 (every block of a conforming stream but the largest at the
// lowest QPs) run in 16-bit lanes, two columns a register: no sum of
// theirs leaves 16 bits (3.5 x 3.5 x 2048 + 32 < 32768). Any other block
// runs in 32-bit lanes and is packed with signed saturation, exactly as the
// plain set computes and saturates, so the two sets agree on every input.
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

// One pass over four lanes of [d0 | d1] and [d2 | d3]: [o0 | o3] in a and
// [o1 | o2] in b.
inline void Butterfly16(__m128i& a, __m128i& b) {
    const auto Lo = [](__m128i lo, __m128i hi) {  // [lo.low half | hi.high half]
        return _mm_castpd_si128(_mm_move_sd(_mm_castsi128_pd(hi), _mm_castsi128_pd(lo)));
    };
    const __m128i eh = _mm_add_epi16(a, Lo(b, _mm_srai_epi16(b, 1)));  // [d0 + d2 | d1 + (d3 >> 1)]
    const __m128i fg = _mm_sub_epi16(Lo(a, _mm_srai_epi16(a, 1)), b);  // [d0 - d2 | (d1 >> 1) - d3]
    const __m128i he = _mm_shuffle_epi32(eh, 0x4E), gf = _mm_shuffle_epi32(fg, 0x4E);
    a = Lo(_mm_add_epi16(eh, he), _mm_sub_epi16(he, eh));  // [e + h | e - h]
    b = Lo(_mm_add_epi16(fg, gf), _mm_sub_epi16(gf, fg));  // [f + g | f - g]
}

void Transform16(__m128i rows01, __m128i rows23, int16_t* dst) {
    // Columns: [c0 | c1], [c2 | c3], lane r of each from row r.
    const __m128i u = _mm_unpacklo_epi16(rows01, rows23), v = _mm_unpackhi_epi16(rows01, rows23);
    __m128i a = _mm_unpacklo_epi16(u, v), b = _mm_unpackhi_epi16(u, v);
    Butterfly16(a, b);  // a: [o0 | o3], b: [o1 | o2], lane r: row r's outputs
    // Rows of the row pass's outputs: [r0 | r1], [r2 | r3].
    const __m128i t0 = _mm_unpacklo_epi16(a, b), t1 = _mm_unpackhi_epi16(b, a);
    a = _mm_unpacklo_epi32(t0, t1);
    b = _mm_unpackhi_epi32(t0, t1);
    Butterfly16(a, b);  // a: [row 0 | row 3], b: [row 1 | row 2]
    const __m128i rnd = _mm_set1_epi16(32);
    a = _mm_srai_epi16(_mm_add_epi16(a, rnd), 6);
    b = _mm_srai_epi16(_mm_add_epi16(b, rnd), 6);
    sse2::Store8(dst, a);
    StoreHigh8(dst + 24, a);
    sse2::Store8(dst + 8, b);
    StoreHigh8(dst + 16, b);
}

}  // namespace

void Sse2InverseTransform4x4(const int16_t* blk, int16_t* dst) {
    const __m128i rows01 = sse2::Load16(blk), rows23 = sse2::Load16(blk + 8);
    const __m128i hi = _mm_max_epi16(rows01, rows23), lo = _mm_min_epi16(rows01, rows23);
    const __m128i out = _mm_or_si128(_mm_cmpgt_epi16(hi, _mm_set1_epi16(2047)), _mm_cmplt_epi16(lo, _mm_set1_epi16(-2048)));
    if (__builtin_expect(_mm_movemask_epi8(out) == 0, 1)) {
        Transform16(rows01, rows23, dst);
        return;
    }
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

namespace {
// Four edge strengths (bytes of 0 or 2) by a nibble of "coded" bits.
constexpr uint32_t Spread(uint32_t n) {
    return (n & 1 ? 2u : 0u) | (n & 2 ? 2u << 8 : 0u) | (n & 4 ? 2u << 16 : 0u) | (n & 8 ? 2u << 24 : 0u);
}
constexpr uint32_t kStrengths[16] = {Spread(0),  Spread(1),  Spread(2),  Spread(3), Spread(4),  Spread(5),
                                     Spread(6),  Spread(7),  Spread(8),  Spread(9), Spread(10), Spread(11),
                                     Spread(12), Spread(13), Spread(14), Spread(15)};
inline void Put4(uint8_t* dst, uint32_t nibble) { std::memcpy(dst, &kStrengths[nibble], 4); }
// Bits a, a + 2, a + 8, a + 10 of v as a nibble (edge pieces of a column).
inline uint32_t ColumnBits(uint32_t v, int a) {
    const uint32_t t = v >> a;
    return (t & 1) | ((t >> 1) & 2) | ((t >> 6) & 4) | ((t >> 7) & 8);
}
// Bits a, a + 1, a + 4, a + 5 of v as a nibble (edge pieces of a row).
inline uint32_t RowBits(uint32_t v, int a) {
    const uint32_t t = v >> a;
    return (t & 3) | ((t >> 2) & 12);
}
}  // namespace

// One bit per 4x4 luma block with coefficients; an edge piece gets 2 when
// either block beside it has any (pairs as in the plain set).
void Sse2InnerEdgeStrengthFromCoeffs(const uint8_t* flags, uint8_t* bS) {
    const __m128i zero = _mm_cmpeq_epi8(sse2::Load16(flags), _mm_setzero_si128());
    const uint32_t m = ~uint32_t(_mm_movemask_epi8(zero)) & 0xffffu;
    const uint32_t h1 = m | (m >> 1), h3 = m | (m >> 3), v2 = m | (m >> 2), v6 = m | (m >> 6);
    Put4(bS + 16, ColumnBits(h1, 0));   // x = 4: (0,1) (2,3) (8,9) (10,11)
    Put4(bS + 20, ColumnBits(h3, 1));   // x = 8: (1,4) (3,6) (9,12) (11,14)
    Put4(bS + 24, ColumnBits(h1, 4));   // x = 12: (4,5) (6,7) (12,13) (14,15)
    Put4(bS + 28, RowBits(v2, 0));      // y = 4: (0,2) (1,3) (4,6) (5,7)
    Put4(bS + 32, RowBits(v6, 2));      // y = 8: (2,8) (3,9) (6,12) (7,13)
    Put4(bS + 36, RowBits(v2, 8));      // y = 12: (8,10) (9,11) (12,14) (13,15)
}

void Sse2ClearInnerEdgeStrength(uint8_t* bS) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(bS + 16), _mm_setzero_si128());
    sse2::Store8(bS + 32, _mm_setzero_si128());
}

}  // namespace h264dsp
