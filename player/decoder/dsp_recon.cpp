// Inter reconstruction of one 8x8 quadrant (plain set): residual add with
// clipping, optionally after explicit weighted prediction.
#include "dsp_common.h"

namespace h264dsp {
namespace {

// Adds a residual block (8 values a row) to w x h samples (8 a row).
inline void AddResidual(uint8_t* d, const int16_t* r, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) d[8 * y + x] = Clip255(d[8 * y + x] + r[8 * y + x]);
}

inline int ChromaPos(int q) { return 4 * (q & 1) + 32 * (q >> 1); }

void ReconstructQuadrant(const H264ReconQuadrant* quad, const H264ReconState* st) {
    const int q = quad->quadrant & 3;
    if (st->cbp & (1 << q)) AddResidual(quad->luma, st->coefY + 64 * q, 8, 8);
    if (st->cbp >= 16) {
        AddResidual(quad->cb, st->coefCb + ChromaPos(q), 4, 4);
        AddResidual(quad->cr, st->coefCr + ChromaPos(q), 4, 4);
    }
}

// 8.4.2.3, single list, with an arithmetic shift.
inline void Weight(uint8_t* d, int w, int h, int logWD, int weight, int offset) {
    const int round = logWD >= 1 ? 1 << (logWD - 1) : 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = d[8 * y + x] * weight;
            d[8 * y + x] = Clip255((logWD >= 1 ? ((v + round) >> logWD) : v) + offset);
        }
}

}  // namespace

void PlainWeightedReconstructQuadrant(const H264ReconQuadrant* quad, const H264ReconState* st) {
    const int q = quad->quadrant & 3;
    int ref = st->refIdxL0[q] >> quad->refIdxShift;
    if (ref < 0 || ref > 31) ref = 0;  // intra or damaged: never index outside the table
    const H264PredWeightTable* wt = st->weights;
    const int lw = wt->lumaLog2Denom & 7, cw = wt->chromaLog2Denom & 7;
    Weight(quad->luma, 8, 8, lw, wt->lumaWeight[ref], wt->lumaOffset[ref]);
    Weight(quad->cb, 4, 4, cw, wt->chromaWeight[ref][0], wt->chromaOffset[ref][0]);
    Weight(quad->cr, 4, 4, cw, wt->chromaWeight[ref][1], wt->chromaOffset[ref][1]);
    ReconstructQuadrant(quad, st);
}

const H264InterReconFn kPlainInterRecon[16] = {
    nullptr, ReconstructQuadrant,         nullptr, nullptr,
    nullptr, PlainWeightedReconstructQuadrant, nullptr, nullptr,
    nullptr, nullptr,                     nullptr, nullptr,
    nullptr, nullptr,                     nullptr, nullptr,
};

}  // namespace h264dsp
