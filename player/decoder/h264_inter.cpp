// Inter prediction of a partition (reference window fetch and the tiling of
// the partition into motion-compensation kernel calls) and reconstruction of
// an inter macroblock through the kernel table.
#include <cstring>
#include "h264_dsp.h"
#include "h264_internal.h"

namespace {

// Partition shape (row group of the window tables) of a partition at
// (x4, y4), w4 x h4 in 4x4 units.
int Shape(int x4, int y4, int w4, int h4) {
    int q = 2 * (y4 >> 1) + (x4 >> 1);
    if (w4 == 4) return h4 == 4 ? H264_MC_SHAPE_16x16 : H264_MC_SHAPE_16x8 + (y4 >> 1);
    if (h4 == 4) return H264_MC_SHAPE_8x16 + (x4 >> 1);
    if (w4 == 2 && h4 == 2) return H264_MC_SHAPE_8x8 + q;
    if (w4 == 2) return H264_MC_SHAPE_8x4 + 2 * q + (y4 & 1);
    if (h4 == 2) return H264_MC_SHAPE_4x8 + 2 * q + (x4 & 1);
    return H264_MC_SHAPE_4x4 + 4 * q + 2 * (y4 & 1) + (x4 & 1);
}

inline int LumaOffset(int x, int y) { return 64 * (2 * (y >> 3) + (x >> 3)) + 8 * (y & 7) + (x & 7); }

}  // namespace

void H264PredictPartition(H264DecContext* c, int x4, int y4, int w4, int h4, int refIdx, H264Mv mv) {
    H264MbWork* w = c->work;
    const H264DspTable* dsp = c->dsp;
    const H264Picture* ref = c->refList0[refIdx & 31];
    alignas(16) uint8_t scratchY[H264_MC_SCRATCH_STRIDE * 22];
    alignas(16) uint8_t scratchCb[H264_MC_SCRATCH_STRIDE * 10];
    alignas(16) uint8_t scratchCr[H264_MC_SCRATCH_STRIDE * 10];
    H264McBlock blk;
    blk.srcY = scratchY;
    blk.srcCb = scratchCb;
    blk.srcCr = scratchCr;
    blk.mvX = mv.x;
    blk.mvY = mv.y;
    blk.refPicture = ref->index;
    int shape = Shape(x4, y4, w4, h4);
    blk.lumaWindow = 4 * shape + H264McLumaClass[4 * (mv.x & 3) + (mv.y & 3)];
    blk.chromaWindow = 4 * shape;
    H264McFrame frame;
    frame.planeY = c->planeY;
    frame.planeCb = c->planeU;
    frame.planeCr = c->planeV;
    frame.width = c->cur->width;
    frame.height = c->cur->height;
    frame.strideY = c->cur->strideY;
    frame.mbX = w->mbX;
    frame.mbY = w->mbY;
    H264McFetchReference(&blk, &frame);
    const int pos = 4 * (mv.x & 3) + (mv.y & 3);
    const int cls = blk.chromaWindow & 3;
    blk.dstY = w->predY + LumaOffset(4 * x4, 4 * y4);
    blk.dstCb = w->predCb + 8 * 2 * y4 + 2 * x4;
    blk.dstCr = w->predCr + 8 * 2 * y4 + 2 * x4;
    const int sc = blk.strideC;
    auto lumaCols = [&](const H264LumaMcFn* table, int cols) {
        for (int k = 0; k < cols; ++k) {
            table[pos](&blk);
            blk.srcY += 4;
            blk.dstY += (k & 1) ? 60 : 4;  // the next 4 columns: same quadrant, then the next one
        }
    };
    auto chromaRows = [&](const H264ChromaMcFn* table, int calls, int rows) {
        for (int k = 0; k < calls; ++k) {
            table[cls](&blk);
            blk.srcCb += rows * sc;
            blk.srcCr += rows * sc;
            blk.dstCb += 8 * rows;
            blk.dstCr += 8 * rows;
        }
    };
    if (w4 == 4 && h4 == 4) {
        dsp->lumaMc8x16[pos](&blk);
        blk.srcY += 8;
        blk.dstY += 64;
        dsp->lumaMc8x16[pos](&blk);
        dsp->chromaMc8x8[cls](&blk);
    } else if (w4 == 4) {
        dsp->lumaMc8x8[pos](&blk);
        blk.srcY += 8;
        blk.dstY += 64;
        dsp->lumaMc8x8[pos](&blk);
        chromaRows(dsp->chromaMc8x4, 1, 4);
    } else if (h4 == 4) {
        dsp->lumaMc8x16[pos](&blk);
        chromaRows(dsp->chromaMc4x2, 4, 2);
    } else if (w4 == 2 && h4 == 2) {
        dsp->lumaMc8x8[pos](&blk);
        chromaRows(dsp->chromaMc4x2, 2, 2);
    } else if (w4 == 2) {
        lumaCols(dsp->lumaMc4x4, 2);
        chromaRows(dsp->chromaMc4x2, 1, 2);
    } else if (h4 == 2) {
        dsp->lumaMc4x8[pos](&blk);
        chromaRows(H264ChromaMc2x2, 2, 2);
    } else {
        dsp->lumaMc4x4[pos](&blk);
        chromaRows(H264ChromaMc2x2, 1, 2);
    }
}

void H264ReconstructInter(H264DecContext* c) {
    H264MbWork* w = c->work;
    const H264SliceHeader& sh = c->sh;
    // Without weighting and residual the prediction is the reconstruction.
    if ((sh.weightMode & 1) == 0 && w->cbp == 0) return;
    H264ReconState st;
    st.coefY = w->coefY;
    st.coefCb = w->coefCb;
    st.coefCr = w->coefCr;
    st.cbp = w->cbp;
    st.refIdxL0 = c->curMotion.refIdxL0;
    st.weights = &c->weights;  // the slice's, set by the slice set-up
    H264InterReconFn fn = c->dsp->interReconstruct[4 * (sh.weightMode & 1) + 1];
    for (int q = 0; q < 4; ++q) {
        H264ReconQuadrant quad;
        int cpos = 4 * (q & 1) + 32 * (q >> 1);
        quad.luma = w->predY + 64 * q;
        quad.cb = w->predCb + cpos;
        quad.cr = w->predCr + cpos;
        quad.quadrant = q;
        quad.refIdxShift = 0;
        fn(&quad, &st);
    }
}
