// Inter reconstruction, SSE2 set: eight samples widened, the residual
// added with saturation and packed back per row. The weighted kernel is
// shared with the plain set.
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

}  // namespace

const H264InterReconFn kSse2InterRecon[16] = {
    nullptr, ReconstructQuadrant,              nullptr, nullptr,
    nullptr, PlainWeightedReconstructQuadrant, nullptr, nullptr,
    nullptr, nullptr,                          nullptr, nullptr,
    nullptr, nullptr,                          nullptr, nullptr,
};

}  // namespace h264dsp
