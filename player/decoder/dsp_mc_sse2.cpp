// Motion compensation kernels, SSE2 set: the same samples as the plain set.
// Every sample is computed in 16-bit lanes, exactly (the centre sample's
// vertical pass by a split sum, see Centre), so every position equals the
// standard's value for every input.
#include "dsp_sse2.h"

namespace h264dsp {
namespace {

using namespace sse2;

// A 4-wide block is worked on two rows at a time: rows p and p + stride side
// by side in the eight lanes; an 8-wide block one row at a time.
template <int W>
inline __m128i RowBytes(const uint8_t* p, int stride) {
    return W == 8 ? Load8(p) : _mm_unpacklo_epi32(Load4(p), Load4(p + stride));
}

// The same, widened to 16-bit lanes.
template <int W>
inline __m128i LoadG(const uint8_t* p, int stride) {
    return Widen(RowBytes<W>(p, stride));
}

// a - 5b + 20d for a = r0 + r5, b = r1 + r4, d = r2 + r3, as a + 5 (4d - b)
// by shifts: the same value (every step exact in 16 bits), fewer operations.
inline __m128i Tap6(__m128i r0, __m128i r1, __m128i r2, __m128i r3, __m128i r4, __m128i r5) {
    const __m128i a = _mm_add_epi16(r0, r5), b = _mm_add_epi16(r1, r4), d = _mm_add_epi16(r2, r3);
    const __m128i t = _mm_sub_epi16(_mm_slli_epi16(d, 2), b);
    return _mm_add_epi16(a, _mm_add_epi16(_mm_slli_epi16(t, 2), t));
}

// Unrounded horizontal six-tap sums of the W positions starting at p (and
// at p + stride for W = 4); reads exactly p - 2 .. p + W + 2 of each row. Six
// overlapping loads rather than one load and byte shifts: loads are as cheap
// as shifts on the processor and far cheaper under an emulator, where
// whole-register byte shifts are slow.
template <int W>
inline __m128i HTap(const uint8_t* p, int stride) {
    const __m128i s0 = LoadG<W>(p - 2, stride), s1 = LoadG<W>(p - 1, stride), s2 = LoadG<W>(p, stride);
    const __m128i s3 = LoadG<W>(p + 1, stride), s4 = LoadG<W>(p + 2, stride), s5 = LoadG<W>(p + 3, stride);
    return Tap6(s0, s1, s2, s3, s4, s5);
}

// Clip((v + 16) >> 5) into bytes.
inline __m128i Half(__m128i v) {
    const __m128i r = _mm_srai_epi16(_mm_add_epi16(v, _mm_set1_epi16(16)), 5);
    return _mm_packus_epi16(r, r);
}

// Centre sample from six rows of unrounded horizontal sums, exactly in
// 16-bit lanes. With a = t0 + t5, b = t1 + t4, c = t2 + t3 the sum
// X = a - 5b + 20c is never formed (it needs 17 bits); instead
// floor(X / 16) = floor((floor((a - b) / 4) - b + c) / 4) + c, where the
// inner quarter is taken as the halves' sum plus their common carry so that
// no step leaves 16 bits (the sums t lie in -2550..10710), and then
// (floor(X / 16) + 32) >> 6 is the rounded X / 1024.
inline __m128i Centre(const __m128i* b1) {
    const __m128i a = _mm_add_epi16(b1[0], b1[5]), b = _mm_add_epi16(b1[1], b1[4]), c = _mm_add_epi16(b1[2], b1[3]);
    const __m128i e = _mm_sub_epi16(_mm_srai_epi16(_mm_sub_epi16(a, b), 2), b);   // -28050 .. 11730
    const __m128i carry = _mm_and_si128(_mm_and_si128(e, c), _mm_set1_epi16(1));
    const __m128i g = _mm_add_epi16(_mm_add_epi16(_mm_srai_epi16(e, 1), _mm_srai_epi16(c, 1)), carry);
    const __m128i x16 = _mm_add_epi16(_mm_srai_epi16(g, 1), c);                    // floor(X / 16)
    const __m128i w = _mm_srai_epi16(_mm_add_epi16(x16, _mm_set1_epi16(32)), 6);
    return _mm_packus_epi16(w, w);
}

template <int W>
inline void StoreRow(uint8_t* d, __m128i v) {
    if (W == 8)
        Store8(d, v);
    else
        Store4(d, v);
}

// Output of one step of the luma loop: one row of 8, or two rows of 4.
template <int W>
inline void StoreStep(uint8_t* d, __m128i v) {
    if (W == 8) {
        Store8(d, v);
    } else {
        Store4(d, v);
        Store4(d + 8, _mm_srli_epi64(v, 32));
    }
}

// The output of position idx from its half samples (h, b, j, m, s as
// named by the standard), with the full samples read from the block's row
// at g (W = 4: and the next row, as the luma loop steps).
template <int W, int idx>
inline __m128i Combine(const uint8_t* g, int stride, __m128i h, __m128i b, __m128i j, __m128i m, __m128i s) {
    switch (idx) {
        case 1: return _mm_avg_epu8(RowBytes<W>(g, stride), h);
        case 2: return h;
        case 3: return _mm_avg_epu8(RowBytes<W>(g + stride, stride), h);
        case 4: return _mm_avg_epu8(RowBytes<W>(g, stride), b);
        case 5: return _mm_avg_epu8(b, h);
        case 6: return _mm_avg_epu8(h, j);
        case 7: return _mm_avg_epu8(h, s);
        case 8: return b;
        case 9: return _mm_avg_epu8(b, j);
        case 10: return j;
        case 11: return _mm_avg_epu8(j, s);
        case 12: return _mm_avg_epu8(RowBytes<W>(g + 1, stride), b);
        case 13: return _mm_avg_epu8(b, m);
        case 14: return _mm_avg_epu8(j, m);
        default: return _mm_avg_epu8(m, s);
    }
}

template <int W, int H, int XF, int YF>
void LumaMc(const H264McBlock* blk) {
    constexpr int idx = 4 * XF + YF;
    const int stride = blk->strideY;
    const uint8_t* g0 = blk->srcY + (YF ? 2 * stride : 0) + (XF ? 2 : 0);
    // Read once: the stores below could alias the block for all the
    // compiler knows, and it would fetch the destination again every row.
    uint8_t* const dstY = blk->dstY;
    constexpr bool needB = XF != 0;                       // horizontal half samples b (and s)
    constexpr bool needH = YF != 0 && (idx != 10 && idx != 9 && idx != 11);
    constexpr bool needJ = idx == 6 || idx == 9 || idx == 10 || idx == 11 || idx == 14;
    constexpr bool needM = idx == 13 || idx == 14 || idx == 15;
    constexpr bool needS = idx == 7 || idx == 11 || idx == 15;

    if (idx == 0) {
#pragma GCC unroll 16
        for (int y = 0; y < H; ++y) {
            uint8_t* d = dstY + 8 * (y & 7) + 128 * (y >> 3);
            StoreRow<W>(d, W == 8 ? Load8(g0 + y * stride) : Load4(g0 + y * stride));
        }
        return;
    }
    constexpr bool needG = needH || idx == 1 || idx == 2 || idx == 3 || idx == 5 || idx == 6 || idx == 7;
    if constexpr (W == 8) {
        // One row a step, the rows in reach kept in six-row windows that
        // move down with the output row (slot k holds row y - 2 + k): every
        // input row is loaded and filtered once and stays in registers
        // while it is needed, the same rows as below being read.
        constexpr int before = YF ? 2 : 0, after = YF ? 3 : (needS ? 1 : 0);
        __m128i G[6], GR[6], T[6];
        for (int k = 0; k < 6; ++k) G[k] = GR[k] = T[k] = _mm_setzero_si128();
        const auto load = [&](int r, int k) {
            const uint8_t* row = g0 + r * stride;
            if (needG) G[k] = LoadG<8>(row, stride);
            if (needM) GR[k] = LoadG<8>(row + 1, stride);
            if (needB && (needJ || (r >= 0 && r <= H))) T[k] = HTap<8>(row, stride);
        };
        for (int r = -before; r < after; ++r) load(r, r + 2);  // at most five rows, unrolled by the compiler
#pragma GCC unroll 16
        for (int y = 0; y < H; ++y) {
            load(y + after, 2 + after);
            uint8_t* d = dstY + 8 * (y & 7) + 128 * (y >> 3);
            __m128i h = _mm_setzero_si128(), b = _mm_setzero_si128(), j = _mm_setzero_si128();
            __m128i m = _mm_setzero_si128(), sv = _mm_setzero_si128();
            if (needG) h = Half(Tap6(G[0], G[1], G[2], G[3], G[4], G[5]));
            if (needB) b = Half(T[2]);
            if (needJ) j = Centre(T);
            if (needM) m = Half(Tap6(GR[0], GR[1], GR[2], GR[3], GR[4], GR[5]));
            if (needS) sv = Half(T[3]);
            const __m128i out = Combine<8, idx>(g0 + y * stride, stride, h, b, j, m, sv);
            Store8(d, out);
            for (int k = 0; k < 5; ++k) {
                G[k] = G[k + 1];
                GR[k] = GR[k + 1];
                T[k] = T[k + 1];
            }
        }
        return;
    }
    // Rows -2 .. H + 2 of the block, as needed; for W = 4 entry r holds rows
    // r and r + 1, and the last row of the range starts no entry.
    constexpr int P = W == 4 ? 2 : 1;  // rows per step
    __m128i gRows[H + 5], gRowsR[H + 5], b1Rows[H + 5];
    const int r0 = YF ? -2 : 0, r1 = (YF ? H + 3 : (needS ? H + 1 : H)) - (P - 1);
    for (int r = r0; r < r1; ++r) {
        const uint8_t* row = g0 + r * stride;
        if (needG) gRows[r + 2] = LoadG<W>(row, stride);
        if (needM) gRowsR[r + 2] = LoadG<W>(row + 1, stride);
        if (needB && (needJ || (r >= 0 && r <= H))) b1Rows[r + 2] = HTap<W>(row, stride);
    }
#pragma GCC unroll 16
    for (int y = 0; y < H; y += P) {
        uint8_t* d = dstY + 8 * (y & 7) + 128 * (y >> 3);
        const __m128i* g = gRows + y + 2;
        __m128i h = _mm_setzero_si128(), b = _mm_setzero_si128(), j = _mm_setzero_si128();
        __m128i m = _mm_setzero_si128(), s = _mm_setzero_si128();
        if (needG) h = Half(Tap6(g[-2], g[-1], g[0], g[1], g[2], g[3]));
        if (needB) b = Half(b1Rows[y + 2]);
        if (needJ) j = Centre(b1Rows + y);
        if (needM) {
            const __m128i* gr = gRowsR + y + 2;
            m = Half(Tap6(gr[-2], gr[-1], gr[0], gr[1], gr[2], gr[3]));
        }
        if (needS) s = Half(b1Rows[y + 3]);
        const __m128i out = Combine<W, idx>(g0 + y * stride, stride, h, b, j, m, s);
        StoreStep<W>(d, out);
    }
}

#define H264_SSE2_LUMA_ROW(W, H)                                                      \
    {LumaMc<W, H, 0, 0>, LumaMc<W, H, 0, 1>, LumaMc<W, H, 0, 2>, LumaMc<W, H, 0, 3>, \
     LumaMc<W, H, 1, 0>, LumaMc<W, H, 1, 1>, LumaMc<W, H, 1, 2>, LumaMc<W, H, 1, 3>, \
     LumaMc<W, H, 2, 0>, LumaMc<W, H, 2, 1>, LumaMc<W, H, 2, 2>, LumaMc<W, H, 2, 3>, \
     LumaMc<W, H, 3, 0>, LumaMc<W, H, 3, 1>, LumaMc<W, H, 3, 2>, LumaMc<W, H, 3, 3>}

// Bilinear chroma with the standard's weights in 16-bit lanes (at most
// 64 * 255 + 32, so no overflow); the same value as the plain formulas.
template <int W, int H, int Cls>
void ChromaMc(const H264McBlock* blk) {
    const int stride = blk->strideC, fx = blk->fracCx, fy = blk->fracCy;
    const __m128i wA = _mm_set1_epi16(static_cast<int16_t>((8 - fx) * (8 - fy)));
    const __m128i wB = _mm_set1_epi16(static_cast<int16_t>(fx * (8 - fy)));
    const __m128i wC = _mm_set1_epi16(static_cast<int16_t>((8 - fx) * fy));
    const __m128i wD = _mm_set1_epi16(static_cast<int16_t>(fx * fy));
    const __m128i r32 = _mm_set1_epi16(32);
    const uint8_t* srcs[2] = {blk->srcCb, blk->srcCr};
    uint8_t* dsts[2] = {blk->dstCb, blk->dstCr};
    for (int k = 0; k < 2; ++k) {
        const uint8_t* s = srcs[k];
        uint8_t* d = dsts[k];
        if (Cls == 0) {
            for (int y = 0; y < H; ++y) StoreRow<W>(d + 8 * y, W == 8 ? Load8(s + y * stride) : Load4(s + y * stride));
            continue;
        }
        if (W == 8 && Cls == 3) {
            // Horizontal pass first: wA a + wB b + wC c + wD d equals
            // (8 - fy) h(row) + fy h(next row), h = (8 - fx) left + fx right
            // (at most 2040, so the sum stays in 16 bits).
            const __m128i hx0 = _mm_set1_epi16(static_cast<int16_t>(8 - fx)), hx1 = _mm_set1_epi16(static_cast<int16_t>(fx));
            const __m128i vy0 = _mm_set1_epi16(static_cast<int16_t>(8 - fy)), vy1 = _mm_set1_epi16(static_cast<int16_t>(fy));
            auto hrow = [&](const uint8_t* row) {
                return _mm_add_epi16(_mm_mullo_epi16(LoadG<8>(row, stride), hx0), _mm_mullo_epi16(LoadG<8>(row + 1, stride), hx1));
            };
            __m128i h0 = hrow(s);
            for (int y = 0; y < H; ++y) {
                const __m128i h1 = hrow(s + (y + 1) * stride);
                __m128i acc = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(h0, vy0), _mm_mullo_epi16(h1, vy1)), r32);
                acc = _mm_srli_epi16(acc, 6);
                Store8(d + 8 * y, _mm_packus_epi16(acc, acc));
                h0 = h1;
            }
            continue;
        }
        constexpr int P = W == 4 ? 2 : 1;  // rows per step, as in the luma kernels
        for (int y = 0; y < H; y += P) {
            const uint8_t* row = s + y * stride;
            __m128i acc = _mm_add_epi16(_mm_mullo_epi16(LoadG<W>(row, stride), wA), r32);
            if (Cls & 1) acc = _mm_add_epi16(acc, _mm_mullo_epi16(LoadG<W>(row + 1, stride), wB));
            if (Cls & 2) acc = _mm_add_epi16(acc, _mm_mullo_epi16(LoadG<W>(row + stride, stride), wC));
            if (Cls == 3) acc = _mm_add_epi16(acc, _mm_mullo_epi16(LoadG<W>(row + stride + 1, stride), wD));
            acc = _mm_srli_epi16(acc, 6);
            StoreStep<W>(d + 8 * y, _mm_packus_epi16(acc, acc));
        }
    }
}

}  // namespace

const H264LumaMcFn kSse2LumaMc4x4[16] = H264_SSE2_LUMA_ROW(4, 4);
const H264LumaMcFn kSse2LumaMc4x8[16] = H264_SSE2_LUMA_ROW(4, 8);
const H264LumaMcFn kSse2LumaMc8x16[16] = H264_SSE2_LUMA_ROW(8, 16);
const H264LumaMcFn kSse2LumaMc8x8[16] = H264_SSE2_LUMA_ROW(8, 8);
const H264ChromaMcFn kSse2ChromaMc4x2[4] = {ChromaMc<4, 2, 0>, ChromaMc<4, 2, 1>, ChromaMc<4, 2, 2>, ChromaMc<4, 2, 3>};
const H264ChromaMcFn kSse2ChromaMc8x4[4] = {ChromaMc<8, 4, 0>, ChromaMc<8, 4, 1>, ChromaMc<8, 4, 2>, ChromaMc<8, 4, 3>};
const H264ChromaMcFn kSse2ChromaMc8x8[4] = {ChromaMc<8, 8, 0>, ChromaMc<8, 8, 1>, ChromaMc<8, 8, 2>, ChromaMc<8, 8, 3>};

}  // namespace h264dsp
