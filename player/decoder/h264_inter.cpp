// Inter prediction of a partition and reconstruction of an inter macroblock
// (plain reference path: quarter-sample luma, eighth-sample chroma, explicit
// weighting).
#include <cstring>
#include "h264_internal.h"

namespace {

inline int Clip1(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
inline int ClampI(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

struct Plane {
    const uint8_t* p;
    int w, h, stride;
    int at(int x, int y) const { return p[ClampI(y, 0, h - 1) * stride + ClampI(x, 0, w - 1)]; }
};

inline int Tap6(int a, int b, int c, int d, int e, int f) { return a - 5 * b + 20 * c + 20 * d - 5 * e + f; }

// Half-sample intermediates (before rounding) at integer (x, y).
inline int B1(const Plane& P, int x, int y) {
    return Tap6(P.at(x - 2, y), P.at(x - 1, y), P.at(x, y), P.at(x + 1, y), P.at(x + 2, y), P.at(x + 3, y));
}
inline int H1(const Plane& P, int x, int y) {
    return Tap6(P.at(x, y - 2), P.at(x, y - 1), P.at(x, y), P.at(x, y + 1), P.at(x, y + 2), P.at(x, y + 3));
}
inline int Bh(const Plane& P, int x, int y) { return Clip1((B1(P, x, y) + 16) >> 5); }
inline int Hh(const Plane& P, int x, int y) { return Clip1((H1(P, x, y) + 16) >> 5); }
inline int Jh(const Plane& P, int x, int y) {
    int j1 = Tap6(B1(P, x, y - 2), B1(P, x, y - 1), B1(P, x, y), B1(P, x, y + 1), B1(P, x, y + 2), B1(P, x, y + 3));
    return Clip1((j1 + 512) >> 10);
}

int LumaSample(const Plane& P, int x, int y, int xf, int yf) {
    switch (xf * 4 + yf) {
    case 0: return P.at(x, y);
    case 1: return (P.at(x, y) + Hh(P, x, y) + 1) >> 1;
    case 2: return Hh(P, x, y);
    case 3: return (P.at(x, y + 1) + Hh(P, x, y) + 1) >> 1;
    case 4: return (P.at(x, y) + Bh(P, x, y) + 1) >> 1;
    case 5: return (Bh(P, x, y) + Hh(P, x, y) + 1) >> 1;
    case 6: return (Hh(P, x, y) + Jh(P, x, y) + 1) >> 1;
    case 7: return (Hh(P, x, y) + Bh(P, x, y + 1) + 1) >> 1;
    case 8: return Bh(P, x, y);
    case 9: return (Bh(P, x, y) + Jh(P, x, y) + 1) >> 1;
    case 10: return Jh(P, x, y);
    case 11: return (Jh(P, x, y) + Bh(P, x, y + 1) + 1) >> 1;
    case 12: return (P.at(x + 1, y) + Bh(P, x, y) + 1) >> 1;
    case 13: return (Bh(P, x, y) + Hh(P, x + 1, y) + 1) >> 1;
    case 14: return (Jh(P, x, y) + Hh(P, x + 1, y) + 1) >> 1;
    default: return (Hh(P, x + 1, y) + Bh(P, x, y + 1) + 1) >> 1;
    }
}

inline uint8_t* LumaPos(uint8_t* predY, int x, int y) { return predY + 64 * (2 * (y >> 3) + (x >> 3)) + 8 * (y & 7) + (x & 7); }

}  // namespace

void H264PredictPartition(H264DecContext* c, int x4, int y4, int w4, int h4, int refIdx, H264Mv mv) {
    H264MbWork* w = c->work;
    const H264Picture* ref = c->refList0[refIdx & 31];
    int width = c->cur->width, height = c->cur->height;
    Plane Y{ref->y, width, height, width};
    int bx = 16 * w->mbX + 4 * x4, by = 16 * w->mbY + 4 * y4;
    int ix = bx + (mv.x >> 2), iy = by + (mv.y >> 2), xf = mv.x & 3, yf = mv.y & 3;
    for (int y = 0; y < 4 * h4; ++y)
        for (int x = 0; x < 4 * w4; ++x)
            *LumaPos(w->predY, 4 * x4 + x, 4 * y4 + y) = uint8_t(LumaSample(Y, ix + x, iy + y, xf, yf));
    Plane U{ref->u, width / 2, height / 2, width / 2};
    Plane V{ref->v, width / 2, height / 2, width / 2};
    int cx = (bx >> 1) + (mv.x >> 3), cy = (by >> 1) + (mv.y >> 3), cxf = mv.x & 7, cyf = mv.y & 7;
    int w00 = (8 - cxf) * (8 - cyf), w10 = cxf * (8 - cyf), w01 = (8 - cxf) * cyf, w11 = cxf * cyf;
    for (int y = 0; y < 2 * h4; ++y)
        for (int x = 0; x < 2 * w4; ++x) {
            int px = cx + x, py = cy + y;
            int u = (w00 * U.at(px, py) + w10 * U.at(px + 1, py) + w01 * U.at(px, py + 1) + w11 * U.at(px + 1, py + 1) + 32) >> 6;
            int v = (w00 * V.at(px, py) + w10 * V.at(px + 1, py) + w01 * V.at(px, py + 1) + w11 * V.at(px + 1, py + 1) + 32) >> 6;
            w->predCb[8 * (2 * y4 + y) + 2 * x4 + x] = uint8_t(u);
            w->predCr[8 * (2 * y4 + y) + 2 * x4 + x] = uint8_t(v);
        }
}

void H264ReconstructInter(H264DecContext* c) {
    H264MbWork* w = c->work;
    const H264SliceHeader& sh = c->sh;
    for (int q = 0; q < 4; ++q) {
        int qx = 8 * (q & 1), qy = 8 * (q >> 1);
        int r = c->curMotion.refIdxL0[q] & 31;
        if (sh.weightMode == 1) {
            int lw = sh.lumaWeight[r], lo = sh.lumaOffset[r], ld = int(sh.lumaLog2Denom);
            for (int i = 0; i < 64; ++i) {
                uint8_t* s = w->predY + 64 * q + i;
                *s = uint8_t(Clip1(ld >= 1 ? ((*s * lw + (1 << (ld - 1))) >> ld) + lo : *s * lw + lo));
            }
            int cd = int(sh.chromaLog2Denom);
            for (int comp = 0; comp < 2; ++comp) {
                uint8_t* base = comp ? w->predCr : w->predCb;
                int cw = sh.chromaWeight[r][comp], co = sh.chromaOffset[r][comp];
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x) {
                        uint8_t* s = base + 8 * (qy / 2 + y) + qx / 2 + x;
                        *s = uint8_t(Clip1(cd >= 1 ? ((*s * cw + (1 << (cd - 1))) >> cd) + co : *s * cw + co));
                    }
            }
        }
        if (w->cbp & (1 << q))
            for (int i = 0; i < 64; ++i) w->predY[64 * q + i] = uint8_t(Clip1(w->predY[64 * q + i] + w->coefY[64 * q + i]));
        if (w->cbp >> 4)
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) {
                    int o = 8 * (qy / 2 + y) + qx / 2 + x;
                    w->predCb[o] = uint8_t(Clip1(w->predCb[o] + w->coefCb[o]));
                    w->predCr[o] = uint8_t(Clip1(w->predCr[o] + w->coefCr[o]));
                }
    }
}
