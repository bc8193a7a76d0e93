// Inter reconstruction, SSE2 set: eight samples widened, the residual
// added with saturation and packed back per row. The weighted kernel is
// shared with the plain set.
#include "dsp_sse2.h"

namespace h264dsp {
namespace {

using namespace sse2;

void ReconstructQuadrant(const H264ReconQuadrant* quad, const H264ReconState* st) {
    const int q = quad->quadrant & 3;
    if (st->cbp & (1 << q)) {
        const int16_t* r = st->coefY + 64 * q;
        for (int y = 0; y < 8; ++y)
            Store8(quad->luma + 8 * y, AddClip8(Load8(quad->luma + 8 * y), Load16(r + 8 * y)));
    }
    if (st->cbp >= 16) {
        const int o = 4 * (q & 1) + 32 * (q >> 1);
        for (int y = 0; y < 4; ++y) {
            Store4(quad->cb + 8 * y, AddClip8(Load4(quad->cb + 8 * y), Load8(st->coefCb + o + 8 * y)));
            Store4(quad->cr + 8 * y, AddClip8(Load4(quad->cr + 8 * y), Load8(st->coefCr + o + 8 * y)));
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
