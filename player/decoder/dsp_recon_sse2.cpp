// Inter reconstruction, SSE2 set: eight samples widened, the residual
// added with saturation and packed back per row; explicit weighting in
// 16-bit lanes, eight samples a register.
#include "dsp_sse2.h"

namespace h264dsp {
namespace {

using namespace sse2;

// The quadrant's rows follow each other (row step 8): two rows a register.
// Pointers are read into locals once, since the stores could alias the
// descriptors for all the compiler knows.
void ReconstructQuadrant(const H264ReconQuadrant* quad, const H264ReconState* st) {
    const int q = quad->quadrant & 3;
    const int cbp = st->cbp;
    if (cbp & (1 << q)) {
        uint8_t* const luma = quad->luma;
        const int16_t* const r = st->coefY + 64 * q;
        const __m128i zero = _mm_setzero_si128();
#pragma GCC unroll 4
        for (int y = 0; y < 8; y += 2) {
            const __m128i pred = Load16(luma + 8 * y);
            const __m128i lo = _mm_adds_epi16(_mm_unpacklo_epi8(pred, zero), Load16(r + 8 * y));
            const __m128i hi = _mm_adds_epi16(_mm_unpackhi_epi8(pred, zero), Load16(r + 8 * y + 8));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + 8 * y), _mm_packus_epi16(lo, hi));
        }
    }
    if (cbp >= 16) {
        const int o = 4 * (q & 1) + 32 * (q >> 1);
        uint8_t* const cb = quad->cb;
        uint8_t* const cr = quad->cr;
        const int16_t* const rb = st->coefCb + o;
        const int16_t* const rr = st->coefCr + o;
#pragma GCC unroll 4
        for (int y = 0; y < 4; ++y) {
            Store4(cb + 8 * y, AddClip8(Load4(cb + 8 * y), Load8(rb + 8 * y)));
            Store4(cr + 8 * y, AddClip8(Load4(cr + 8 * y), Load8(rr + 8 * y)));
        }
    }
}

// Weighting of one register of samples (16-bit lanes):
// ((p * w + round) >> logWD) + o, clipped by the caller's pack. With weights
// of -128..128 and samples of 0..255 the product and the rounding term fit
// in 16 bits, and the offset add saturates only where the pack clips anyway.
inline __m128i Weight16(__m128i p, __m128i w, __m128i round, __m128i shift, __m128i o) {
    return _mm_adds_epi16(_mm_sra_epi16(_mm_add_epi16(_mm_mullo_epi16(p, w), round), shift), o);
}

// [a a a a b b b b] in 16-bit lanes.
inline __m128i Pair4(int16_t a, int16_t b) {
    const __m128i v = _mm_shufflelo_epi16(_mm_cvtsi32_si128(int32_t(uint16_t(a)) | int32_t(uint32_t(uint16_t(b)) << 16)), 0x50);
    return _mm_unpacklo_epi32(v, v);
}

void WeightedReconstructQuadrant(const H264ReconQuadrant* quad, const H264ReconState* st) {
    const int q = quad->quadrant & 3;
    int ref = st->refIdxL0[q] >> quad->refIdxShift;
    if (ref < 0 || ref > 31) ref = 0;  // intra or damaged: never index outside the table
    const H264PredWeightTable* wt = st->weights;
    const __m128i zero = _mm_setzero_si128();
    {
        const int lw = wt->lumaLog2Denom & 7;
        const int weight = wt->lumaWeight[ref], offset = wt->lumaOffset[ref];
        // The default weight with no offset leaves every sample as it is.
        if (weight != 1 << lw || offset != 0) {
            uint8_t* const luma = quad->luma;
            const __m128i w = _mm_set1_epi16(int16_t(weight));
            const __m128i o = _mm_set1_epi16(int16_t(offset));
            const __m128i round = _mm_set1_epi16(int16_t(lw ? 1 << (lw - 1) : 0));
            const __m128i shift = _mm_cvtsi32_si128(lw);
#pragma GCC unroll 4
            for (int y = 0; y < 8; y += 2) {
                const __m128i pred = Load16(luma + 8 * y);
                const __m128i lo = Weight16(_mm_unpacklo_epi8(pred, zero), w, round, shift, o);
                const __m128i hi = Weight16(_mm_unpackhi_epi8(pred, zero), w, round, shift, o);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + 8 * y), _mm_packus_epi16(lo, hi));
            }
        }
    }
    {
        // Cb in the low four lanes, Cr in the high four: one row of both a register.
        const int cw = wt->chromaLog2Denom & 7;
        const int16_t* const cwt = wt->chromaWeight[ref];
        const int16_t* const cof = wt->chromaOffset[ref];
        if (cwt[0] != 1 << cw || cwt[1] != 1 << cw || cof[0] != 0 || cof[1] != 0) {
            uint8_t* const cb = quad->cb;
            uint8_t* const cr = quad->cr;
            const __m128i w = Pair4(cwt[0], cwt[1]);
            const __m128i o = Pair4(cof[0], cof[1]);
            const __m128i round = _mm_set1_epi16(int16_t(cw ? 1 << (cw - 1) : 0));
            const __m128i shift = _mm_cvtsi32_si128(cw);
#pragma GCC unroll 4
            for (int y = 0; y < 4; ++y) {
                const __m128i pred = Widen(_mm_unpacklo_epi32(Load4(cb + 8 * y), Load4(cr + 8 * y)));
                const __m128i v = _mm_packus_epi16(Weight16(pred, w, round, shift, o), zero);
                Store4(cb + 8 * y, v);
                Store4(cr + 8 * y, _mm_srli_si128(v, 4));
            }
        }
    }
    ReconstructQuadrant(quad, st);
}

}  // namespace

const H264InterReconFn kSse2InterRecon[16] = {
    nullptr, ReconstructQuadrant,              nullptr, nullptr,
    nullptr, WeightedReconstructQuadrant,      nullptr, nullptr,
    nullptr, nullptr,                          nullptr, nullptr,
    nullptr, nullptr,                          nullptr, nullptr,
};

}  // namespace h264dsp
