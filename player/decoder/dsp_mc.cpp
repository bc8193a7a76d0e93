// Motion compensation (plain set): window tables, the reference window
// fetch with its edge handlers, 48 luma and 12 chroma kernels, and the
// fixed 2x2 chroma table.
#include <cstring>

#include "dsp_common.h"

const uint8_t H264McLumaClass[16] = {0, 2, 2, 2, 1, 3, 3, 3, 1, 3, 3, 3, 1, 3, 3, 3};

const int8_t H264McLumaWindow[H264_MC_SHAPE_COUNT * 4][4] = {
    {16, 16, 0, 0}, {16, 21, 0, -2}, {21, 16, -2, 0}, {21, 21, -2, -2},
    {8, 16, 0, 0}, {8, 21, 0, -2}, {13, 16, -2, 0}, {13, 21, -2, -2},
    {8, 16, 8, 0}, {8, 21, 8, -2}, {13, 16, 6, 0}, {13, 21, 6, -2},
    {16, 8, 0, 0}, {16, 13, 0, -2}, {21, 8, -2, 0}, {21, 13, -2, -2},
    {16, 8, 0, 8}, {16, 13, 0, 6}, {21, 8, -2, 8}, {21, 13, -2, 6},
    {8, 8, 0, 0}, {8, 13, 0, -2}, {13, 8, -2, 0}, {13, 13, -2, -2},
    {8, 8, 0, 8}, {8, 13, 0, 6}, {13, 8, -2, 8}, {13, 13, -2, 6},
    {8, 8, 8, 0}, {8, 13, 8, -2}, {13, 8, 6, 0}, {13, 13, 6, -2},
    {8, 8, 8, 8}, {8, 13, 8, 6}, {13, 8, 6, 8}, {13, 13, 6, 6},
    {4, 8, 0, 0}, {4, 13, 0, -2}, {9, 8, -2, 0}, {9, 13, -2, -2},
    {4, 8, 4, 0}, {4, 13, 4, -2}, {9, 8, 2, 0}, {9, 13, 2, -2},
    {4, 8, 0, 8}, {4, 13, 0, 6}, {9, 8, -2, 8}, {9, 13, -2, 6},
    {4, 8, 4, 8}, {4, 13, 4, 6}, {9, 8, 2, 8}, {9, 13, 2, 6},
    {4, 8, 8, 0}, {4, 13, 8, -2}, {9, 8, 6, 0}, {9, 13, 6, -2},
    {4, 8, 12, 0}, {4, 13, 12, -2}, {9, 8, 10, 0}, {9, 13, 10, -2},
    {4, 8, 8, 8}, {4, 13, 8, 6}, {9, 8, 6, 8}, {9, 13, 6, 6},
    {4, 8, 12, 8}, {4, 13, 12, 6}, {9, 8, 10, 8}, {9, 13, 10, 6},
    {8, 4, 0, 0}, {8, 9, 0, -2}, {13, 4, -2, 0}, {13, 9, -2, -2},
    {8, 4, 0, 4}, {8, 9, 0, 2}, {13, 4, -2, 4}, {13, 9, -2, 2},
    {8, 4, 0, 8}, {8, 9, 0, 6}, {13, 4, -2, 8}, {13, 9, -2, 6},
    {8, 4, 0, 12}, {8, 9, 0, 10}, {13, 4, -2, 12}, {13, 9, -2, 10},
    {8, 4, 8, 0}, {8, 9, 8, -2}, {13, 4, 6, 0}, {13, 9, 6, -2},
    {8, 4, 8, 4}, {8, 9, 8, 2}, {13, 4, 6, 4}, {13, 9, 6, 2},
    {8, 4, 8, 8}, {8, 9, 8, 6}, {13, 4, 6, 8}, {13, 9, 6, 6},
    {8, 4, 8, 12}, {8, 9, 8, 10}, {13, 4, 6, 12}, {13, 9, 6, 10},
    {4, 4, 0, 0}, {4, 9, 0, -2}, {9, 4, -2, 0}, {9, 9, -2, -2},
    {4, 4, 0, 4}, {4, 9, 0, 2}, {9, 4, -2, 4}, {9, 9, -2, 2},
    {4, 4, 4, 0}, {4, 9, 4, -2}, {9, 4, 2, 0}, {9, 9, 2, -2},
    {4, 4, 4, 4}, {4, 9, 4, 2}, {9, 4, 2, 4}, {9, 9, 2, 2},
    {4, 4, 0, 8}, {4, 9, 0, 6}, {9, 4, -2, 8}, {9, 9, -2, 6},
    {4, 4, 0, 12}, {4, 9, 0, 10}, {9, 4, -2, 12}, {9, 9, -2, 10},
    {4, 4, 4, 8}, {4, 9, 4, 6}, {9, 4, 2, 8}, {9, 9, 2, 6},
    {4, 4, 4, 12}, {4, 9, 4, 10}, {9, 4, 2, 12}, {9, 9, 2, 10},
    {4, 4, 8, 0}, {4, 9, 8, -2}, {9, 4, 6, 0}, {9, 9, 6, -2},
    {4, 4, 8, 4}, {4, 9, 8, 2}, {9, 4, 6, 4}, {9, 9, 6, 2},
    {4, 4, 12, 0}, {4, 9, 12, -2}, {9, 4, 10, 0}, {9, 9, 10, -2},
    {4, 4, 12, 4}, {4, 9, 12, 2}, {9, 4, 10, 4}, {9, 9, 10, 2},
    {4, 4, 8, 8}, {4, 9, 8, 6}, {9, 4, 6, 8}, {9, 9, 6, 6},
    {4, 4, 8, 12}, {4, 9, 8, 10}, {9, 4, 6, 12}, {9, 9, 6, 10},
    {4, 4, 12, 8}, {4, 9, 12, 6}, {9, 4, 10, 8}, {9, 9, 10, 6},
    {4, 4, 12, 12}, {4, 9, 12, 10}, {9, 4, 10, 12}, {9, 9, 10, 10},
};
const int8_t H264McChromaWindow[H264_MC_SHAPE_COUNT * 4][4] = {
    {8, 8, 0, 0}, {8, 9, 0, 0}, {9, 8, 0, 0}, {9, 9, 0, 0},
    {4, 8, 0, 0}, {4, 9, 0, 0}, {5, 8, 0, 0}, {5, 9, 0, 0},
    {4, 8, 4, 0}, {4, 9, 4, 0}, {5, 8, 4, 0}, {5, 9, 4, 0},
    {8, 4, 0, 0}, {8, 5, 0, 0}, {9, 4, 0, 0}, {9, 5, 0, 0},
    {8, 4, 0, 4}, {8, 5, 0, 4}, {9, 4, 0, 4}, {9, 5, 0, 4},
    {4, 4, 0, 0}, {4, 5, 0, 0}, {5, 4, 0, 0}, {5, 5, 0, 0},
    {4, 4, 0, 4}, {4, 5, 0, 4}, {5, 4, 0, 4}, {5, 5, 0, 4},
    {4, 4, 4, 0}, {4, 5, 4, 0}, {5, 4, 4, 0}, {5, 5, 4, 0},
    {4, 4, 4, 4}, {4, 5, 4, 4}, {5, 4, 4, 4}, {5, 5, 4, 4},
    {2, 4, 0, 0}, {2, 5, 0, 0}, {3, 4, 0, 0}, {3, 5, 0, 0},
    {2, 4, 2, 0}, {2, 5, 2, 0}, {3, 4, 2, 0}, {3, 5, 2, 0},
    {2, 4, 0, 4}, {2, 5, 0, 4}, {3, 4, 0, 4}, {3, 5, 0, 4},
    {2, 4, 2, 4}, {2, 5, 2, 4}, {3, 4, 2, 4}, {3, 5, 2, 4},
    {2, 4, 4, 0}, {2, 5, 4, 0}, {3, 4, 4, 0}, {3, 5, 4, 0},
    {2, 4, 6, 0}, {2, 5, 6, 0}, {3, 4, 6, 0}, {3, 5, 6, 0},
    {2, 4, 4, 4}, {2, 5, 4, 4}, {3, 4, 4, 4}, {3, 5, 4, 4},
    {2, 4, 6, 4}, {2, 5, 6, 4}, {3, 4, 6, 4}, {3, 5, 6, 4},
    {4, 2, 0, 0}, {4, 3, 0, 0}, {5, 2, 0, 0}, {5, 3, 0, 0},
    {4, 2, 0, 2}, {4, 3, 0, 2}, {5, 2, 0, 2}, {5, 3, 0, 2},
    {4, 2, 0, 4}, {4, 3, 0, 4}, {5, 2, 0, 4}, {5, 3, 0, 4},
    {4, 2, 0, 6}, {4, 3, 0, 6}, {5, 2, 0, 6}, {5, 3, 0, 6},
    {4, 2, 4, 0}, {4, 3, 4, 0}, {5, 2, 4, 0}, {5, 3, 4, 0},
    {4, 2, 4, 2}, {4, 3, 4, 2}, {5, 2, 4, 2}, {5, 3, 4, 2},
    {4, 2, 4, 4}, {4, 3, 4, 4}, {5, 2, 4, 4}, {5, 3, 4, 4},
    {4, 2, 4, 6}, {4, 3, 4, 6}, {5, 2, 4, 6}, {5, 3, 4, 6},
    {2, 2, 0, 0}, {2, 3, 0, 0}, {3, 2, 0, 0}, {3, 3, 0, 0},
    {2, 2, 0, 2}, {2, 3, 0, 2}, {3, 2, 0, 2}, {3, 3, 0, 2},
    {2, 2, 2, 0}, {2, 3, 2, 0}, {3, 2, 2, 0}, {3, 3, 2, 0},
    {2, 2, 2, 2}, {2, 3, 2, 2}, {3, 2, 2, 2}, {3, 3, 2, 2},
    {2, 2, 0, 4}, {2, 3, 0, 4}, {3, 2, 0, 4}, {3, 3, 0, 4},
    {2, 2, 0, 6}, {2, 3, 0, 6}, {3, 2, 0, 6}, {3, 3, 0, 6},
    {2, 2, 2, 4}, {2, 3, 2, 4}, {3, 2, 2, 4}, {3, 3, 2, 4},
    {2, 2, 2, 6}, {2, 3, 2, 6}, {3, 2, 2, 6}, {3, 3, 2, 6},
    {2, 2, 4, 0}, {2, 3, 4, 0}, {3, 2, 4, 0}, {3, 3, 4, 0},
    {2, 2, 4, 2}, {2, 3, 4, 2}, {3, 2, 4, 2}, {3, 3, 4, 2},
    {2, 2, 6, 0}, {2, 3, 6, 0}, {3, 2, 6, 0}, {3, 3, 6, 0},
    {2, 2, 6, 2}, {2, 3, 6, 2}, {3, 2, 6, 2}, {3, 3, 6, 2},
    {2, 2, 4, 4}, {2, 3, 4, 4}, {3, 2, 4, 4}, {3, 3, 4, 4},
    {2, 2, 4, 6}, {2, 3, 4, 6}, {3, 2, 4, 6}, {3, 3, 4, 6},
    {2, 2, 6, 4}, {2, 3, 6, 4}, {3, 2, 6, 4}, {3, 3, 6, 4},
    {2, 2, 6, 6}, {2, 3, 6, 6}, {3, 2, 6, 6}, {3, 3, 6, 6},
};

// ---------------------------------------------------------------------------
// Edge handlers.

void H264McEdgeInside(H264McWindow* win, int32_t rowStep) {
    win->src = win->plane + win->y * rowStep + win->x;
    win->stride = rowStep;
}

namespace {

inline int ClampI(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Copies the window into the scratch with the given sides clamped; the
// sides not clamped lie inside the plane by the caller's edge code.
template <bool L, bool R, bool T, bool B>
void CopyWindow(H264McWindow* win, int32_t rowStep) {
    const int w = win->width, h = win->height;
    const int maxX = win->planeWidth - 1, maxY = win->planeHeight - 1;
    uint8_t* dst = win->scratch;
    for (int j = 0; j < h; ++j) {
        int yy = win->y + j;
        if (T && yy < 0) yy = 0;
        if (B && yy > maxY) yy = maxY;
        const uint8_t* row = win->plane + yy * rowStep;
        if (!L && !R) {
            std::memcpy(dst, row + win->x, static_cast<size_t>(w));
        } else {
            for (int i = 0; i < w; ++i) {
                int xx = win->x + i;
                if (L && xx < 0) xx = 0;
                if (R && xx > maxX) xx = maxX;
                dst[i] = row[xx];
            }
        }
        dst += H264_MC_SCRATCH_STRIDE;
    }
    win->src = win->scratch;
    win->stride = H264_MC_SCRATCH_STRIDE;
}

}  // namespace

void H264McEdgeLeft(H264McWindow* win, int32_t rowStep) { CopyWindow<true, false, false, false>(win, rowStep); }
void H264McEdgeRight(H264McWindow* win, int32_t rowStep) { CopyWindow<false, true, false, false>(win, rowStep); }
void H264McEdgeTop(H264McWindow* win, int32_t rowStep) { CopyWindow<false, false, true, false>(win, rowStep); }
void H264McEdgeTopLeft(H264McWindow* win, int32_t rowStep) { CopyWindow<true, false, true, false>(win, rowStep); }
void H264McEdgeTopRight(H264McWindow* win, int32_t rowStep) { CopyWindow<false, true, true, false>(win, rowStep); }
void H264McEdgeBottom(H264McWindow* win, int32_t rowStep) { CopyWindow<false, false, false, true>(win, rowStep); }
void H264McEdgeBottomLeft(H264McWindow* win, int32_t rowStep) { CopyWindow<true, false, false, true>(win, rowStep); }
void H264McEdgeBottomRight(H264McWindow* win, int32_t rowStep) { CopyWindow<false, true, false, true>(win, rowStep); }

namespace {

// A window wider or taller than the picture reaches past both opposite
// edges: clamp every side.
void EdgeAll(H264McWindow* win, int32_t rowStep) { CopyWindow<true, true, true, true>(win, rowStep); }

const H264McEdgeFn kEdgeHandlers[16] = {
    H264McEdgeInside, H264McEdgeLeft,       H264McEdgeRight,       EdgeAll,
    H264McEdgeTop,    H264McEdgeTopLeft,    H264McEdgeTopRight,    EdgeAll,
    H264McEdgeBottom, H264McEdgeBottomLeft, H264McEdgeBottomRight, EdgeAll,
    EdgeAll,          EdgeAll,              EdgeAll,               EdgeAll,
};

inline int EdgeCode(int x, int y, int xEnd, int yEnd, int w, int h) {
    return (x < 0 ? 1 : 0) + (xEnd > w ? 2 : 0) + (y < 0 ? 4 : 0) + (yEnd > h ? 8 : 0);
}

// A window of one plane (w x h at x, y) that reaches outside it, copied by
// its edge handler into the scratch; returns the handler's first sample.
// Out of line, so that the common path (a window inside the picture) never
// builds the descriptor.
__attribute__((noinline)) const uint8_t* FetchOutside(H264McEdgeFn handler, const uint8_t* plane, uint8_t* scratch,
                                                      int x, int y, int w, int h, int planeWidth, int planeHeight,
                                                      int32_t rowStep, int32_t* stride) {
    H264McWindow win;
    win.plane = plane;
    win.scratch = scratch;
    win.width = w;
    win.height = h;
    win.x = x;
    win.y = y;
    win.xEnd = x + w;
    win.yEnd = y + h;
    win.planeWidth = planeWidth;
    win.planeHeight = planeHeight;
    handler(&win, rowStep);
    *stride = win.stride;
    return win.src;
}

}  // namespace

void H264McFetchReference(H264McBlock* blk, const H264McFrame* frame) {
    const int pic = blk->refPicture;
    const int mvX = blk->mvX, mvY = blk->mvY;
    // Luma window.
    const int8_t* lw = H264McLumaWindow[blk->lumaWindow];
    const int ly = 16 * frame->mbY + lw[2] + (mvY >> 2), lx = 16 * frame->mbX + lw[3] + (mvX >> 2);
    const int lumaEdges = EdgeCode(lx, ly, lx + lw[1], ly + lw[0], frame->width, frame->height);
    if (lumaEdges == 0) {  // inside the picture, the common case: read in place
        blk->srcY = frame->planeY[pic] + ly * frame->strideY + lx;
        blk->strideY = frame->strideY;
    } else {
        blk->srcY = FetchOutside(kEdgeHandlers[lumaEdges], frame->planeY[pic], const_cast<uint8_t*>(blk->srcY), lx, ly,
                                 lw[1], lw[0], frame->width, frame->height, frame->strideY, &blk->strideY);
    }

    // Chroma windows: the luma vector read in eighth chroma samples.
    blk->fracCx = static_cast<int16_t>(mvX & 7);
    blk->fracCy = static_cast<int16_t>(mvY & 7);
    blk->chromaWindow += ((mvY & 7) ? 2 : 0) + ((mvX & 7) ? 1 : 0);
    const int8_t* cw = H264McChromaWindow[blk->chromaWindow];
    const int cwid = frame->width / 2, chei = frame->height / 2, cstride = frame->strideY / 2;
    const int cy = 8 * frame->mbY + cw[2] + (mvY >> 3), cx = 8 * frame->mbX + cw[3] + (mvX >> 3);
    const int chromaEdges = EdgeCode(cx, cy, cx + cw[1], cy + cw[0], cwid, chei);
    if (chromaEdges == 0) {
        const int offset = cy * cstride + cx;
        blk->srcCb = frame->planeCb[pic] + offset;
        blk->srcCr = frame->planeCr[pic] + offset;
        blk->strideC = cstride;
        return;
    }
    const H264McEdgeFn handler = kEdgeHandlers[chromaEdges];
    blk->srcCb = FetchOutside(handler, frame->planeCb[pic], const_cast<uint8_t*>(blk->srcCb), cx, cy, cw[1], cw[0], cwid,
                              chei, cstride, &blk->strideC);
    blk->srcCr = FetchOutside(handler, frame->planeCr[pic], const_cast<uint8_t*>(blk->srcCr), cx, cy, cw[1], cw[0], cwid,
                              chei, cstride, &blk->strideC);
}

// ---------------------------------------------------------------------------
// Luma kernels.
namespace h264dsp {
namespace {

inline int Tap6(int a, int b, int c, int d, int e, int f) { return a - 5 * b + 20 * c + 20 * d - 5 * e + f; }

// Block W x H at sub-sample position (XF, YF), quarter samples.
template <int W, int H, int XF, int YF>
void LumaMc(const H264McBlock* blk) {
    const int stride = blk->strideY;
    // The window's first sample lies 2 columns / rows before the block's
    // own first sample when the position needs the filter in that direction.
    const uint8_t* g0 = blk->srcY + (YF ? 2 * stride : 0) + (XF ? 2 : 0);
    auto G = [&](int x, int y) -> int { return g0[y * stride + x]; };
    auto b1 = [&](int x, int y) -> int { return Tap6(G(x - 2, y), G(x - 1, y), G(x, y), G(x + 1, y), G(x + 2, y), G(x + 3, y)); };
    auto h1 = [&](int x, int y) -> int { return Tap6(G(x, y - 2), G(x, y - 1), G(x, y), G(x, y + 1), G(x, y + 2), G(x, y + 3)); };
    auto half = [](int v) -> int { return Clip255((v + 16) >> 5); };
    auto j = [&](int x, int y) -> int {
        const int j1 = Tap6(b1(x, y - 2), b1(x, y - 1), b1(x, y), b1(x, y + 1), b1(x, y + 2), b1(x, y + 3));
        return Clip255((j1 + 512) >> 10);
    };
    for (int y = 0; y < H; ++y) {
        uint8_t* d = blk->dstY + 8 * (y & 7) + 128 * (y >> 3);
        for (int x = 0; x < W; ++x) {
            int v;
            constexpr int idx = 4 * XF + YF;
            switch (idx) {
                case 0: v = G(x, y); break;
                case 1: v = (G(x, y) + half(h1(x, y)) + 1) >> 1; break;
                case 2: v = half(h1(x, y)); break;
                case 3: v = (G(x, y + 1) + half(h1(x, y)) + 1) >> 1; break;
                case 4: v = (G(x, y) + half(b1(x, y)) + 1) >> 1; break;
                case 5: v = (half(b1(x, y)) + half(h1(x, y)) + 1) >> 1; break;
                case 6: v = (half(h1(x, y)) + j(x, y) + 1) >> 1; break;
                case 7: v = (half(h1(x, y)) + half(b1(x, y + 1)) + 1) >> 1; break;
                case 8: v = half(b1(x, y)); break;
                case 9: v = (half(b1(x, y)) + j(x, y) + 1) >> 1; break;
                case 10: v = j(x, y); break;
                case 11: v = (j(x, y) + half(b1(x, y + 1)) + 1) >> 1; break;
                case 12: v = (G(x + 1, y) + half(b1(x, y)) + 1) >> 1; break;
                case 13: v = (half(b1(x, y)) + half(h1(x + 1, y)) + 1) >> 1; break;
                case 14: v = (j(x, y) + half(h1(x + 1, y)) + 1) >> 1; break;
                default: v = (half(h1(x + 1, y)) + half(b1(x, y + 1)) + 1) >> 1; break;
            }
            d[x] = static_cast<uint8_t>(v);
        }
    }
}


#define H264_LUMA_ROW(W, H)                                                                   \
    {LumaMc<W, H, 0, 0>, LumaMc<W, H, 0, 1>, LumaMc<W, H, 0, 2>, LumaMc<W, H, 0, 3>,         \
     LumaMc<W, H, 1, 0>, LumaMc<W, H, 1, 1>, LumaMc<W, H, 1, 2>, LumaMc<W, H, 1, 3>,         \
     LumaMc<W, H, 2, 0>, LumaMc<W, H, 2, 1>, LumaMc<W, H, 2, 2>, LumaMc<W, H, 2, 3>,         \
     LumaMc<W, H, 3, 0>, LumaMc<W, H, 3, 1>, LumaMc<W, H, 3, 2>, LumaMc<W, H, 3, 3>}

// Chroma block W x H per component, class bit 0 horizontal, bit 1 vertical.
template <int W, int H, int Cls>
void ChromaMc(const H264McBlock* blk) {
    const int stride = blk->strideC, fx = blk->fracCx, fy = blk->fracCy;
    const uint8_t* srcs[2] = {blk->srcCb, blk->srcCr};
    uint8_t* dsts[2] = {blk->dstCb, blk->dstCr};
    for (int k = 0; k < 2; ++k) {
        const uint8_t* s = srcs[k];
        uint8_t* d = dsts[k];
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const int A = s[y * stride + x];
                int v;
                if (Cls == 0) {
                    v = A;
                } else if (Cls == 1) {
                    v = A + (((s[y * stride + x + 1] - A) * fx + 4) >> 3);
                } else if (Cls == 2) {
                    v = A + (((s[(y + 1) * stride + x] - A) * fy + 4) >> 3);
                } else {
                    const int B = s[y * stride + x + 1], C = s[(y + 1) * stride + x], D = s[(y + 1) * stride + x + 1];
                    v = A + ((8 * fy * (C - A) + 8 * fx * (B - A) + fx * fy * (A + D - B - C) + 32) >> 6);
                }
                d[8 * y + x] = static_cast<uint8_t>(v);
            }
        }
    }
}

}  // namespace

const H264LumaMcFn kPlainLumaMc4x4[16] = H264_LUMA_ROW(4, 4);
const H264LumaMcFn kPlainLumaMc4x8[16] = H264_LUMA_ROW(4, 8);
const H264LumaMcFn kPlainLumaMc8x16[16] = H264_LUMA_ROW(8, 16);
const H264LumaMcFn kPlainLumaMc8x8[16] = H264_LUMA_ROW(8, 8);
const H264ChromaMcFn kPlainChromaMc4x2[4] = {ChromaMc<4, 2, 0>, ChromaMc<4, 2, 1>, ChromaMc<4, 2, 2>, ChromaMc<4, 2, 3>};
const H264ChromaMcFn kPlainChromaMc8x4[4] = {ChromaMc<8, 4, 0>, ChromaMc<8, 4, 1>, ChromaMc<8, 4, 2>, ChromaMc<8, 4, 3>};
const H264ChromaMcFn kPlainChromaMc8x8[4] = {ChromaMc<8, 8, 0>, ChromaMc<8, 8, 1>, ChromaMc<8, 8, 2>, ChromaMc<8, 8, 3>};

}  // namespace h264dsp

const H264ChromaMcFn H264ChromaMc2x2[4] = {h264dsp::ChromaMc<2, 2, 0>, h264dsp::ChromaMc<2, 2, 1>,
                                           h264dsp::ChromaMc<2, 2, 2>, h264dsp::ChromaMc<2, 2, 3>};
