// Deblocking kernels, SSE2 set: the same samples as the plain set. The
// strong luma filter works on 8 edge positions per call in 16-bit lanes;
// the normal luma filter (16 positions) and the chroma filters (Cb and Cr
// side by side) work on bytes, with every intermediate exact.
#include "dsp_sse2.h"

namespace h264dsp {

using namespace sse2;

namespace {

inline __m128i Abs16(__m128i a, __m128i b) {
    const __m128i d = _mm_sub_epi16(a, b);
    return _mm_max_epi16(d, _mm_sub_epi16(_mm_setzero_si128(), d));
}
// a < b on signed 16-bit lanes.
inline __m128i Lt(__m128i a, __m128i b) { return _mm_cmplt_epi16(a, b); }
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
inline __m128i Clamp(__m128i v, __m128i lo, __m128i hi) { return _mm_min_epi16(_mm_max_epi16(v, lo), hi); }
// Byte i of a packed word to 16-bit lanes 2i and 2i + 1.
inline __m128i Pairs(uint32_t w) {
    const __m128i b = _mm_cvtsi32_si128(static_cast<int>(w));
    return Widen(_mm_unpacklo_epi8(b, b));
}
inline __m128i Pack(__m128i v) { return _mm_packus_epi16(v, v); }

}  // namespace

void Sse2DbTranspose8x8(uint8_t* blk) {
    const __m128i r0 = Load8(blk), r1 = Load8(blk + 8), r2 = Load8(blk + 16), r3 = Load8(blk + 24);
    const __m128i r4 = Load8(blk + 32), r5 = Load8(blk + 40), r6 = Load8(blk + 48), r7 = Load8(blk + 56);
    const __m128i a0 = _mm_unpacklo_epi8(r0, r1), a1 = _mm_unpacklo_epi8(r2, r3);
    const __m128i a2 = _mm_unpacklo_epi8(r4, r5), a3 = _mm_unpacklo_epi8(r6, r7);
    const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b1 = _mm_unpackhi_epi16(a0, a1);
    const __m128i b2 = _mm_unpacklo_epi16(a2, a3), b3 = _mm_unpackhi_epi16(a2, a3);
    const __m128i c0 = _mm_unpacklo_epi32(b0, b2), c1 = _mm_unpackhi_epi32(b0, b2);
    const __m128i c2 = _mm_unpacklo_epi32(b1, b3), c3 = _mm_unpackhi_epi32(b1, b3);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(blk), c0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(blk + 16), c1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(blk + 32), c2);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(blk + 48), c3);
}

// Written to keep few values live: with eight vector registers on i686 every
// spilled value is reloaded with a 16-byte load, and an emulator makes those
// far dearer than the arithmetic. A masked update a + (mask & d) stands for
// Select(mask, a + d, a).
void Sse2DbLumaNormal(uint8_t* p, uint8_t* q, uint32_t alpha4, int32_t beta, uint32_t tc0x4) {
    const __m128i vb = _mm_set1_epi16(static_cast<int16_t>(beta));
    const __m128i p1 = Widen(Load8(p + 16)), p0 = Widen(Load8(p + 24));
    const __m128i q0 = Widen(Load8(q)), q1 = Widen(Load8(q + 8));
    const __m128i filt = _mm_and_si128(_mm_and_si128(Lt(Abs16(p0, q0), Pairs(alpha4)), Lt(Abs16(p1, p0), vb)), Lt(Abs16(q1, q0), vb));
    const __m128i tc0 = Pairs(tc0x4);
    const __m128i avg = _mm_srai_epi16(_mm_sub_epi16(_mm_add_epi16(p0, q0), _mm_cmpeq_epi16(vb, vb)), 1);
    // p side: p1 moves by at most tc0 when |p2 - p0| < beta.
    const __m128i p2 = Widen(Load8(p + 8));
    const __m128i condP = _mm_and_si128(filt, Lt(Abs16(p2, p0), vb));
    const __m128i ntc0 = _mm_sub_epi16(_mm_setzero_si128(), tc0);
    const __m128i dp1 = Clamp(_mm_sub_epi16(_mm_srai_epi16(_mm_add_epi16(p2, avg), 1), p1), ntc0, tc0);
    Store8(p + 16, Pack(_mm_add_epi16(p1, _mm_and_si128(condP, dp1))));
    // q side likewise.
    const __m128i q2 = Widen(Load8(q + 16));
    const __m128i condQ = _mm_and_si128(filt, Lt(Abs16(q2, q0), vb));
    const __m128i dq1 = Clamp(_mm_sub_epi16(_mm_srai_epi16(_mm_add_epi16(q2, avg), 1), q1), ntc0, tc0);
    Store8(q + 8, Pack(_mm_add_epi16(q1, _mm_and_si128(condQ, dq1))));
    // tc = tc0 + one for each side whose p2/q2 test passes (masks are -1).
    const __m128i tc = _mm_sub_epi16(_mm_sub_epi16(tc0, condP), condQ);
    __m128i delta = _mm_add_epi16(_mm_slli_epi16(_mm_sub_epi16(q0, p0), 2), _mm_sub_epi16(p1, q1));
    delta = _mm_srai_epi16(_mm_add_epi16(delta, _mm_set1_epi16(4)), 3);
    delta = _mm_and_si128(filt, Clamp(delta, _mm_sub_epi16(_mm_setzero_si128(), tc), tc));
    Store8(p + 24, Pack(_mm_add_epi16(p0, delta)));
    Store8(q, Pack(_mm_sub_epi16(q0, delta)));
}

void Sse2DbLumaStrong(uint8_t* p, uint8_t* q, int32_t alpha, int32_t beta) {
    const __m128i p3 = Widen(Load8(p)), p2 = Widen(Load8(p + 8)), p1 = Widen(Load8(p + 16)), p0 = Widen(Load8(p + 24));
    const __m128i q0 = Widen(Load8(q)), q1 = Widen(Load8(q + 8)), q2 = Widen(Load8(q + 16)), q3 = Widen(Load8(q + 24));
    const __m128i va = _mm_set1_epi16(static_cast<int16_t>(alpha)), vb = _mm_set1_epi16(static_cast<int16_t>(beta));
    const __m128i ad = Abs16(p0, q0);
    const __m128i filt = _mm_and_si128(_mm_and_si128(Lt(ad, va), Lt(Abs16(p1, p0), vb)), Lt(Abs16(q1, q0), vb));
    const __m128i small = Lt(ad, _mm_set1_epi16(static_cast<int16_t>((alpha >> 2) + 2)));
    const __m128i strongP = _mm_and_si128(small, Lt(Abs16(p2, p0), vb));
    const __m128i strongQ = _mm_and_si128(small, Lt(Abs16(q2, q0), vb));
    const __m128i c2 = _mm_set1_epi16(2), c4 = _mm_set1_epi16(4);
    const __m128i pq = _mm_add_epi16(p0, q0);
    // Strong p side.
    const __m128i sp0 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_add_epi16(p2, _mm_slli_epi16(p1, 1)), _mm_slli_epi16(pq, 1)), _mm_add_epi16(q1, c4)), 3);
    const __m128i sp1 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(p2, p1), _mm_add_epi16(pq, c2)), 2);
    const __m128i sp2 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(p3, 1), _mm_add_epi16(_mm_slli_epi16(p2, 1), p2)), _mm_add_epi16(_mm_add_epi16(p1, pq), c4)), 3);
    const __m128i wp0 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(p1, 1), p0), _mm_add_epi16(q1, c2)), 2);
    // Strong q side.
    const __m128i sq0 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_add_epi16(q2, _mm_slli_epi16(q1, 1)), _mm_slli_epi16(pq, 1)), _mm_add_epi16(p1, c4)), 3);
    const __m128i sq1 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(q2, q1), _mm_add_epi16(pq, c2)), 2);
    const __m128i sq2 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(q3, 1), _mm_add_epi16(_mm_slli_epi16(q2, 1), q2)), _mm_add_epi16(_mm_add_epi16(q1, pq), c4)), 3);
    const __m128i wq0 = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(q1, 1), q0), _mm_add_epi16(p1, c2)), 2);
    const __m128i fp = _mm_and_si128(filt, strongP), fq = _mm_and_si128(filt, strongQ);
    Store8(p + 8, Pack(Select(fp, sp2, p2)));
    Store8(p + 16, Pack(Select(fp, sp1, p1)));
    Store8(p + 24, Pack(Select(filt, Select(strongP, sp0, wp0), p0)));
    Store8(q, Pack(Select(filt, Select(strongQ, sq0, wq0), q0)));
    Store8(q + 8, Pack(Select(fq, sq1, q1)));
    Store8(q + 16, Pack(Select(fq, sq2, q2)));
}

namespace {

// Byte kernels. Two 8-byte rows side by side: lo in bytes 0..7, hi in 8..15.
inline __m128i Load2x8(const uint8_t* lo, const uint8_t* hi) {
    return _mm_castps_si128(_mm_loadh_pi(_mm_castsi128_ps(Load8(lo)), reinterpret_cast<const __m64*>(hi)));
}
inline void Store2x8(uint8_t* lo, uint8_t* hi, __m128i v) {
    Store8(lo, v);
    _mm_storeh_pi(reinterpret_cast<__m64*>(hi), _mm_castsi128_ps(v));
}
inline __m128i AbsDiffU8(__m128i a, __m128i b) { return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a)); }
// 0xff where a position is not filtered: |p0 - q0| >= alpha, |p1 - p0| >= beta
// or |q1 - q0| >= beta (t - d saturates to 0 exactly when d >= t).
inline __m128i NotFiltered(__m128i p1, __m128i p0, __m128i q0, __m128i q1, __m128i alpha, __m128i beta) {
    const __m128i m = _mm_min_epu8(_mm_min_epu8(_mm_subs_epu8(alpha, AbsDiffU8(p0, q0)), _mm_subs_epu8(beta, AbsDiffU8(p1, p0))),
                                   _mm_subs_epu8(beta, AbsDiffU8(q1, q0)));
    return _mm_cmpeq_epi8(m, _mm_setzero_si128());
}
// 0xff where |a - b| >= beta.
inline __m128i NotBelow(__m128i a, __m128i b, __m128i beta) {
    return _mm_cmpeq_epi8(_mm_subs_epu8(beta, AbsDiffU8(a, b)), _mm_setzero_si128());
}
// floor((a + b) / 2): pavgb rounds up, the low bit of a ^ b says when.
inline __m128i AvgDown(__m128i a, __m128i b) {
    return _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), _mm_set1_epi8(1)));
}
// b (the sample kept) where keep is 0xff, a elsewhere.
inline __m128i Keep(__m128i keep, __m128i a, __m128i b) { return _mm_xor_si128(b, _mm_andnot_si128(keep, _mm_xor_si128(a, b))); }
// Byte i of w in bytes 4i..4i+3 (segments of a 16-position luma call).
inline __m128i Quads(uint32_t w) {
    const __m128i b = _mm_cvtsi32_si128(static_cast<int>(w));
    const __m128i p = _mm_unpacklo_epi8(b, b);
    return _mm_unpacklo_epi16(p, p);
}
// Byte i of w in bytes 2i, 2i + 1 and again 8 bytes on (Cb and Cr).
inline __m128i PairsTwice(uint32_t w) {
    const __m128i b = _mm_cvtsi32_si128(static_cast<int>(w));
    const __m128i p = _mm_unpacklo_epi8(b, b);
    return _mm_unpacklo_epi64(p, p);
}

// p0 += d, q0 -= d (clipped to 0..255) for
// d = Clip3(-tc, tc, (4 (q0 - p0) + (p1 - q1) + 4) >> 3), in bytes.
// With q0 - p0 = 2m + r (r 0 or 1) and f = floor((p1 - q1) / 4),
// d = m + floor((f + r + 1) / 2). pavgb(x, 255 - y) is
// 128 + floor((x - y) / 2) for any bytes, which gives m and, halved once more,
// f with a bias of 128. d's positive and negative parts are formed apart
// (at most 159 and 160), so nothing saturates before the clip; tc is 0
// where a position is not filtered.
inline void ApplyDelta(__m128i& p0, __m128i& q0, __m128i p1, __m128i q1, __m128i tc) {
    const __m128i ones = _mm_set1_epi8(-1), c80 = _mm_set1_epi8(static_cast<char>(0x80)), c40 = _mm_set1_epi8(0x40);
    const __m128i mB = _mm_avg_epu8(q0, _mm_xor_si128(p0, ones));
    const __m128i hB = _mm_avg_epu8(p1, _mm_xor_si128(q1, ones));
    const __m128i fB = _mm_add_epi8(_mm_and_si128(_mm_srli_epi16(hB, 1), _mm_set1_epi8(0x7f)), c40);
    const __m128i eB = _mm_avg_epu8(fB, _mm_and_si128(_mm_xor_si128(q0, p0), _mm_set1_epi8(1)));  // 64 + e
    const __m128i pos = _mm_adds_epu8(_mm_subs_epu8(mB, c80), _mm_subs_epu8(eB, c40));
    const __m128i neg = _mm_adds_epu8(_mm_subs_epu8(c80, mB), _mm_subs_epu8(c40, eB));
    const __m128i dp = _mm_min_epu8(_mm_subs_epu8(pos, neg), tc), dn = _mm_min_epu8(_mm_subs_epu8(neg, pos), tc);
    p0 = _mm_subs_epu8(_mm_adds_epu8(p0, dp), dn);
    q0 = _mm_subs_epu8(_mm_adds_epu8(q0, dn), dp);
}

}  // namespace

// p1 (q1) moves to floor((p2 + avg) / 2) kept within tc0 of it, where
// avg = (p0 + q0 + 1) >> 1: the clamp with saturated bounds is exact since
// the value itself lies in 0..255.
void Sse2DbLumaNormal16(uint8_t* pL, uint8_t* pR, uint8_t* qL, uint8_t* qR, uint32_t alpha4, int32_t beta,
                        uint32_t tc0x4) {
    const __m128i vb = _mm_set1_epi8(static_cast<char>(beta)), one = _mm_set1_epi8(1);
    const __m128i p1 = Load2x8(pL + 16, pR + 16), p0 = Load2x8(pL + 24, pR + 24);
    const __m128i q0 = Load2x8(qL, qR), q1 = Load2x8(qL + 8, qR + 8);
    const __m128i off = NotFiltered(p1, p0, q0, q1, Quads(alpha4), vb);
    const __m128i tc0 = _mm_andnot_si128(off, Quads(tc0x4));
    const __m128i avg = _mm_avg_epu8(p0, q0);
    const __m128i p2 = Load2x8(pL + 8, pR + 8);
    const __m128i offP = _mm_or_si128(off, NotBelow(p2, p0, vb));
    const __m128i np1 = _mm_min_epu8(_mm_max_epu8(AvgDown(p2, avg), _mm_subs_epu8(p1, tc0)), _mm_adds_epu8(p1, tc0));
    Store2x8(pL + 16, pR + 16, Keep(offP, np1, p1));
    const __m128i q2 = Load2x8(qL + 16, qR + 16);
    const __m128i offQ = _mm_or_si128(off, NotBelow(q2, q0, vb));
    const __m128i nq1 = _mm_min_epu8(_mm_max_epu8(AvgDown(q2, avg), _mm_subs_epu8(q1, tc0)), _mm_adds_epu8(q1, tc0));
    Store2x8(qL + 8, qR + 8, Keep(offQ, nq1, q1));
    // tc = tc0 + one for each side whose p2/q2 test passes.
    const __m128i tc = _mm_adds_epu8(_mm_adds_epu8(tc0, _mm_andnot_si128(offP, one)), _mm_andnot_si128(offQ, one));
    __m128i np0 = p0, nq0 = q0;
    ApplyDelta(np0, nq0, p1, q1, tc);
    Store2x8(pL + 24, pR + 24, np0);
    Store2x8(qL, qR, nq0);
}

void Sse2DbChromaNormal(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                        uint32_t alpha4, int32_t beta, uint32_t tc0x4, int32_t qStride) {
    const __m128i p1 = Load2x8(cbP, crP), p0 = Load2x8(cbP + 8, crP + 8);
    const __m128i q0 = Load2x8(cbQ, crQ), q1 = Load2x8(cbQ + qStride, crQ + qStride);
    const __m128i off = NotFiltered(p1, p0, q0, q1, PairsTwice(alpha4), _mm_set1_epi8(static_cast<char>(beta)));
    const __m128i tc = _mm_andnot_si128(off, _mm_adds_epu8(PairsTwice(tc0x4), _mm_set1_epi8(1)));
    __m128i np0 = p0, nq0 = q0;
    ApplyDelta(np0, nq0, p1, q1, tc);
    Store2x8(cbP + 8, crP + 8, np0);
    Store2x8(cbQ, crQ, nq0);
}

// (2 p1 + p0 + q1 + 2) >> 2 is (p1 + floor((p0 + q1) / 2) + 1) >> 1.
void Sse2DbChromaStrong(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                        int32_t alpha, int32_t beta) {
    const __m128i p1 = Load2x8(cbP, crP), p0 = Load2x8(cbP + 8, crP + 8);
    const __m128i q0 = Load2x8(cbQ, crQ), q1 = Load2x8(cbQ + 8, crQ + 8);
    const __m128i off = NotFiltered(p1, p0, q0, q1, _mm_set1_epi8(static_cast<char>(alpha)),
                                    _mm_set1_epi8(static_cast<char>(beta)));
    Store2x8(cbP + 8, crP + 8, Keep(off, _mm_avg_epu8(p1, AvgDown(p0, q1)), p0));
    Store2x8(cbQ, crQ, Keep(off, _mm_avg_epu8(q1, AvgDown(q0, p1)), q0));
}

namespace {
// 8 rows of 4 bytes into 4 rows of 8 (row step 8).
inline void Gather8x4(uint8_t* dst, const uint8_t* src, int stride) {
    __m128i r[8];
    for (int i = 0; i < 8; ++i) r[i] = Load4(src + i * stride);
    const __m128i a0 = _mm_unpacklo_epi8(r[0], r[1]), a1 = _mm_unpacklo_epi8(r[2], r[3]);
    const __m128i a2 = _mm_unpacklo_epi8(r[4], r[5]), a3 = _mm_unpacklo_epi8(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi16(a0, a1), b2 = _mm_unpacklo_epi16(a2, a3);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_unpacklo_epi32(b0, b2));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 16), _mm_unpackhi_epi32(b0, b2));
}
// 4 rows of 8 (row step 8) back into 8 rows of 4 bytes. The dwords are
// picked with pshufd: whole-register byte shifts cost far more under an
// emulator and no less on the processor.
inline void Scatter4x8(const uint8_t* src, uint8_t* dst, int stride) {
    const __m128i r0 = Load8(src), r1 = Load8(src + 8), r2 = Load8(src + 16), r3 = Load8(src + 24);
    const __m128i a0 = _mm_unpacklo_epi8(r0, r1), a1 = _mm_unpacklo_epi8(r2, r3);
    const __m128i lo = _mm_unpacklo_epi16(a0, a1), hi = _mm_unpackhi_epi16(a0, a1);
    Store4(dst, lo);
    Store4(dst + stride, _mm_shuffle_epi32(lo, 1));
    Store4(dst + 2 * stride, _mm_shuffle_epi32(lo, 2));
    Store4(dst + 3 * stride, _mm_shuffle_epi32(lo, 3));
    Store4(dst + 4 * stride, hi);
    Store4(dst + 5 * stride, _mm_shuffle_epi32(hi, 1));
    Store4(dst + 6 * stride, _mm_shuffle_epi32(hi, 2));
    Store4(dst + 7 * stride, _mm_shuffle_epi32(hi, 3));
}
}  // namespace

void Sse2DbGatherLeft(uint8_t* dst, const uint8_t* top, const uint8_t* bottom, int32_t stride) {
    Gather8x4(dst, top, stride);
    Gather8x4(dst + 32, bottom, stride);
}

void Sse2DbScatterLeft(const uint8_t* src, uint8_t* top, uint8_t* bottom, int32_t stride) {
    Scatter4x8(src, top, stride);
    Scatter4x8(src + 32, bottom, stride);
}

void Sse2DbGatherTopChroma(uint8_t* dst, const uint8_t* src, int32_t stride) {
    Store8(dst, Load8(src));
    Store8(dst + 8, Load8(src + stride));
}

void Sse2DbStoreRow8(uint8_t* dst, const uint8_t* src) { Store8(dst, Load8(src)); }

void Sse2DbGatherTop(uint8_t* left, uint8_t* right, const uint8_t* src, int32_t stride) {
    for (int r = 0; r < 4; ++r) {
        Store8(left + 8 * r, Load8(src + r * stride));
        Store8(right + 8 * r, Load8(src + r * stride + 8));
    }
}

void Sse2DbScatterTop(uint8_t* dst, int32_t stride, const uint8_t* left, const uint8_t* right) {
    for (int r = 1; r < 4; ++r)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + r * stride), _mm_unpacklo_epi64(Load8(left + 8 * r), Load8(right + 8 * r)));
}

void Sse2MbStoreLuma(uint8_t* dst, int32_t stride, const uint8_t* predY) {
    // Rows y and y + 8 together: left halves from quadrants 0 and 2, right
    // halves from 1 and 3.
    uint8_t* bottom = dst + 8 * stride;
#pragma GCC unroll 8
    for (int y = 0; y < 8; ++y) {
        const uint8_t* row = predY + 8 * y;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + y * stride), _mm_unpacklo_epi64(Load8(row), Load8(row + 64)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom + y * stride), _mm_unpacklo_epi64(Load8(row + 128), Load8(row + 192)));
    }
}

namespace {
// Byte 7 of each of the 16 rows at a and b (8 rows of 8 bytes each) in
// order: every 8-byte lane shifted down to its top byte, then the lanes'
// low words packed together (values below 256 pass the signed packs).
inline __m128i Column7(const uint8_t* a, const uint8_t* b) {
    __m128i v[8];
    for (int i = 0; i < 4; ++i) {
        v[i] = _mm_srli_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 16 * i)), 56);
        v[4 + i] = _mm_srli_epi64(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 16 * i)), 56);
    }
    const __m128i w0 = _mm_packs_epi32(v[0], v[1]), w1 = _mm_packs_epi32(v[2], v[3]);
    const __m128i w2 = _mm_packs_epi32(v[4], v[5]), w3 = _mm_packs_epi32(v[6], v[7]);
    return _mm_packus_epi16(_mm_packs_epi32(w0, w1), _mm_packs_epi32(w2, w3));
}
}  // namespace

void Sse2MbRightColumn(uint8_t* leftY, uint8_t* leftCb, uint8_t* leftCr, const uint8_t* predY,
                       const uint8_t* predCb, const uint8_t* predCr) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(leftY), Column7(predY + 64, predY + 192));
    const __m128i c = Column7(predCb, predCr);
    Store8(leftCb, c);
    _mm_storeh_pi(reinterpret_cast<__m64*>(leftCr), _mm_castsi128_ps(c));
}

void Sse2MbStoreChroma(uint8_t* dstCb, uint8_t* dstCr, int32_t strideC, const uint8_t* predCb,
                       const uint8_t* predCr) {
#pragma GCC unroll 8
    for (int y = 0; y < 8; ++y) {
        Store8(dstCb + y * strideC, Load8(predCb + 8 * y));
        Store8(dstCr + y * strideC, Load8(predCr + 8 * y));
    }
}

}  // namespace h264dsp
