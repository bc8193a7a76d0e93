// Intra prediction, SSE2 set: rows of predicted samples built in
// registers, residual added with saturation. Intra 4x4 filters its 13
// neighbours once (two-tap and three-tap averages of the whole edge) and
// picks each mode's samples from them by a constant table.
#include "dsp_sse2.h"

namespace h264dsp {
namespace {

using namespace sse2;

inline __m128i LoadRes8(const int16_t* r) { return Load16(r); }

// Writes one 16-sample predicted row (bytes in v) with its residual.
inline void Row16(uint8_t* luma, const int16_t* coefY, int y, __m128i v) {
    const int o = 128 * (y >> 3) + 8 * (y & 7);
    Store8(luma + o, AddClip8(v, LoadRes8(coefY + o)));
    Store8(luma + o + 64, AddClip8(_mm_unpackhi_epi64(v, v), LoadRes8(coefY + o + 64)));
}

// Edge of a 4x4 block: E = L3 L2 L1 L0 TL T0..T7 T7 T7 T7; then the two-tap
// averages AV[i] = (E[i] + E[i+1] + 1) >> 1 at 16, the three-tap
// LP[i] = (E[i-1] + 2 E[i] + E[i+1] + 2) >> 2 at 32, and the horizontal-up
// corner (L2 + 3 L3 + 2) >> 2 at 48.
const uint8_t kIntra4x4Gather[9][16] = {
    {5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8},
    {3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {38, 39, 40, 41, 39, 40, 41, 42, 40, 41, 42, 43, 41, 42, 43, 44},
    {36, 37, 38, 39, 35, 36, 37, 38, 34, 35, 36, 37, 33, 34, 35, 36},
    {20, 21, 22, 23, 36, 37, 38, 39, 35, 20, 21, 22, 34, 36, 37, 38},
    {19, 36, 37, 38, 18, 35, 19, 36, 17, 34, 18, 35, 16, 33, 17, 34},
    {21, 22, 23, 24, 38, 39, 40, 41, 22, 23, 24, 25, 39, 40, 41, 42},
    {18, 34, 17, 33, 17, 33, 16, 48, 16, 48, 0, 0, 0, 0, 0, 0},
};

template <int Mode>
void Intra4x4(int32_t b, uint8_t* luma, const int16_t* coefY, int32_t cbp) {
    alignas(16) uint8_t s[64];
    const uint16_t(&nb)[15][16] = H264Intra4x4Neighbours;
    for (int k = 0; k < 4; ++k) s[3 - k] = luma[nb[k][b]];
    s[4] = luma[nb[12][b]];
    for (int k = 0; k < 8; ++k) s[5 + k] = luma[nb[4 + k][b]];
    s[13] = s[14] = s[15] = s[12];
    alignas(16) uint8_t pred[16];
    if (Mode == 2) {
        const bool la = luma[nb[13][b]] != 0, ta = luma[nb[14][b]] != 0;
        const int sl = s[0] + s[1] + s[2] + s[3], st = s[5] + s[6] + s[7] + s[8];
        const int dc = la && ta ? (sl + st + 4) >> 3 : la ? (sl + 2) >> 2 : ta ? (st + 2) >> 2 : 128;
        std::memset(pred, dc, 16);
    } else if (Mode <= 1) {
        // Vertical and horizontal take the edge samples as they are.
        for (int i = 0; i < 16; ++i) pred[i] = s[kIntra4x4Gather[Mode][i]];
    } else {
        const __m128i e = _mm_load_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i en = _mm_srli_si128(e, 1), ep = _mm_slli_si128(e, 1);
        _mm_store_si128(reinterpret_cast<__m128i*>(s + 16), _mm_avg_epu8(e, en));
        // (a + 2b + c + 2) >> 2 == avg(b, floor((a + c) / 2)).
        const __m128i half = _mm_sub_epi8(_mm_avg_epu8(ep, en), _mm_and_si128(_mm_xor_si128(ep, en), _mm_set1_epi8(1)));
        _mm_store_si128(reinterpret_cast<__m128i*>(s + 32), _mm_avg_epu8(half, e));
        s[48] = static_cast<uint8_t>((s[1] + 3 * s[0] + 2) >> 2);
        for (int i = 0; i < 16; ++i) pred[i] = s[kIntra4x4Gather[Mode][i]];
    }
    uint8_t* dst = luma + H264Blk4x4Offset[b];
    if (cbp & (1 << (b >> 2))) {
        const int16_t* res = coefY + H264Blk4x4Offset[b];
        for (int y = 0; y < 4; ++y) Store4(dst + 8 * y, AddClip8(Load4(pred + 4 * y), Load8(res + 8 * y)));
    } else {
        for (int y = 0; y < 4; ++y) std::memcpy(dst + 8 * y, pred + 4 * y, 4);
    }
}

template <int Mode>
void Intra16x16(uint8_t* luma, const int16_t* coefY) {
    const uint8_t* left = luma + H264_WORK_NB_LEFT_Y;
    const uint8_t* top = luma + H264_WORK_NB_TOP_Y;
    if (Mode == 0) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top));
        for (int y = 0; y < 16; ++y) Row16(luma, coefY, y, t);
    } else if (Mode == 1) {
        for (int y = 0; y < 16; ++y) Row16(luma, coefY, y, _mm_set1_epi8(static_cast<char>(left[y])));
    } else if (Mode == 2) {
        const __m128i z = _mm_setzero_si128();
        const __m128i sl = _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(left)), z);
        const __m128i st = _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(top)), z);
        const int sumL = _mm_cvtsi128_si32(sl) + _mm_extract_epi16(sl, 4);
        const int sumT = _mm_cvtsi128_si32(st) + _mm_extract_epi16(st, 4);
        const bool la = luma[H264_WORK_NB_LEFT_AVAIL] != 0, ta = luma[H264_WORK_NB_TOP_AVAIL] != 0;
        const int dc = la && ta ? (sumL + sumT + 16) >> 5 : la ? (sumL + 8) >> 4 : ta ? (sumT + 8) >> 4 : 128;
        const __m128i v = _mm_set1_epi8(static_cast<char>(dc));
        for (int y = 0; y < 16; ++y) Row16(luma, coefY, y, v);
    } else {
        const int tl = luma[H264_WORK_NB_TOPLEFT_Y];
        int h = 0, v = 0;
        for (int i = 0; i < 8; ++i) {
            h += (i + 1) * (top[8 + i] - (i == 7 ? tl : top[6 - i]));
            v += (i + 1) * (left[8 + i] - (i == 7 ? tl : left[6 - i]));
        }
        const int a = 16 * (left[15] + top[15]);
        const int b = (5 * h + 32) >> 6, c = (5 * v + 32) >> 6;
        // a + b (x - 7) + c (y - 7) + 16 fits in 16 bits for 8-bit input.
        const __m128i vb = _mm_set1_epi16(static_cast<int16_t>(b));
        __m128i lo = _mm_add_epi16(_mm_set1_epi16(static_cast<int16_t>(a - 7 * c + 16)),
                                   _mm_mullo_epi16(vb, _mm_setr_epi16(-7, -6, -5, -4, -3, -2, -1, 0)));
        __m128i hi = _mm_add_epi16(lo, _mm_slli_epi16(vb, 3));
        const __m128i vc = _mm_set1_epi16(static_cast<int16_t>(c));
        for (int y = 0; y < 16; ++y) {
            const __m128i p = _mm_packus_epi16(_mm_srai_epi16(lo, 5), _mm_srai_epi16(hi, 5));
            Row16(luma, coefY, y, p);
            lo = _mm_add_epi16(lo, vc);
            hi = _mm_add_epi16(hi, vc);
        }
    }
}

// Predicted 8x8 chroma block as 8 rows of 8 bytes (low halves of out[y]).
template <int Mode>
void PredictChroma(const uint8_t* luma, const uint8_t* c, __m128i out[8]) {
    const uint8_t* left = c + H264_WORK_CHROMA_LEFT;
    const uint8_t* top = c + H264_WORK_CHROMA_TOP;
    if (Mode == 0) {
        const bool ta = luma[H264_WORK_NB_TOP_AVAIL] != 0;
        int dc[4];
        for (int blk = 0; blk < 4; ++blk) {
            const int xo = 4 * (blk & 1), yo = 4 * (blk >> 1);
            const bool la = luma[H264_WORK_NB_LEFT_AVAIL + (yo ? 2 : 0)] != 0;
            const int sl = left[yo] + left[yo + 1] + left[yo + 2] + left[yo + 3];
            const int st = top[xo] + top[xo + 1] + top[xo + 2] + top[xo + 3];
            const bool both = (xo == 0) == (yo == 0);
            if (both)
                dc[blk] = la && ta ? (sl + st + 4) >> 3 : la ? (sl + 2) >> 2 : ta ? (st + 2) >> 2 : 128;
            else if (xo)
                dc[blk] = ta ? (st + 2) >> 2 : la ? (sl + 2) >> 2 : 128;
            else
                dc[blk] = la ? (sl + 2) >> 2 : ta ? (st + 2) >> 2 : 128;
        }
        const __m128i upper = _mm_unpacklo_epi32(_mm_set1_epi8(static_cast<char>(dc[0])), _mm_set1_epi8(static_cast<char>(dc[1])));
        const __m128i lower = _mm_unpacklo_epi32(_mm_set1_epi8(static_cast<char>(dc[2])), _mm_set1_epi8(static_cast<char>(dc[3])));
        for (int y = 0; y < 8; ++y) out[y] = y < 4 ? upper : lower;
    } else if (Mode == 1) {
        for (int y = 0; y < 8; ++y) out[y] = _mm_set1_epi8(static_cast<char>(left[y]));
    } else if (Mode == 2) {
        const __m128i t = Load8(top);
        for (int y = 0; y < 8; ++y) out[y] = t;
    } else {
        const int tl = c[H264_WORK_CHROMA_TOPLEFT];
        int h = 0, v = 0;
        for (int i = 0; i < 4; ++i) {
            h += (i + 1) * (top[4 + i] - (i == 3 ? tl : top[2 - i]));
            v += (i + 1) * (left[4 + i] - (i == 3 ? tl : left[2 - i]));
        }
        const int a = 16 * (left[7] + top[7]);
        const int b = (34 * h + 32) >> 6, cc = (34 * v + 32) >> 6;
        __m128i row = _mm_add_epi16(_mm_set1_epi16(static_cast<int16_t>(a - 3 * cc + 16)),
                                    _mm_mullo_epi16(_mm_set1_epi16(static_cast<int16_t>(b)), _mm_setr_epi16(-3, -2, -1, 0, 1, 2, 3, 4)));
        const __m128i vc = _mm_set1_epi16(static_cast<int16_t>(cc));
        for (int y = 0; y < 8; ++y) {
            const __m128i s = _mm_srai_epi16(row, 5);
            out[y] = _mm_packus_epi16(s, s);
            row = _mm_add_epi16(row, vc);
        }
    }
}

template <int Mode>
void IntraChroma(const uint8_t* luma, uint8_t* cb, uint8_t* cr, const int16_t* coefCb,
                 const int16_t* coefCr, int32_t chromaCbp) {
    uint8_t* planes[2] = {cb, cr};
    const int16_t* res[2] = {coefCb, coefCr};
    for (int k = 0; k < 2; ++k) {
        __m128i pred[8];
        PredictChroma<Mode>(luma, planes[k], pred);
        for (int y = 0; y < 8; ++y)
            Store8(planes[k] + 8 * y, chromaCbp ? AddClip8(pred[y], LoadRes8(res[k] + 8 * y)) : pred[y]);
    }
}

}  // namespace

const H264Intra4x4Fn kSse2Intra4x4[9] = {Intra4x4<0>, Intra4x4<1>, Intra4x4<2>, Intra4x4<3>, Intra4x4<4>,
                                         Intra4x4<5>, Intra4x4<6>, Intra4x4<7>, Intra4x4<8>};
const H264Intra16x16Fn kSse2Intra16x16[4] = {Intra16x16<0>, Intra16x16<1>, Intra16x16<2>, Intra16x16<3>};
const H264IntraChromaFn kSse2IntraChroma[4] = {IntraChroma<0>, IntraChroma<1>, IntraChroma<2>, IntraChroma<3>};

}  // namespace h264dsp
