// Intra prediction kernels (plain set): 9 Intra 4x4, 4 Intra 16x16 and 4
// chroma modes, each predicting a block, adding its residual and clipping.
#include <cstring>

#include "dsp_common.h"

const uint8_t H264Blk4x4Offset[16] = {0,   4,   32,  36,  64,  68,  96,  100,
                                      128, 132, 160, 164, 192, 196, 224, 228};

const uint16_t H264Intra4x4Neighbours[15][16] = {
    {256, 3, 260, 35, 7, 67, 39, 99, 264, 131, 268, 163, 135, 195, 167, 227},
    {257, 11, 261, 43, 15, 75, 47, 107, 265, 139, 269, 171, 143, 203, 175, 235},
    {258, 19, 262, 51, 23, 83, 55, 115, 266, 147, 270, 179, 151, 211, 183, 243},
    {259, 27, 263, 59, 31, 91, 63, 123, 267, 155, 271, 187, 159, 219, 191, 251},
    {272, 276, 24, 28, 280, 284, 88, 92, 56, 60, 152, 156, 120, 124, 216, 220},
    {273, 277, 25, 29, 281, 285, 89, 93, 57, 61, 153, 157, 121, 125, 217, 221},
    {274, 278, 26, 30, 282, 286, 90, 94, 58, 62, 154, 158, 122, 126, 218, 222},
    {275, 279, 27, 31, 283, 287, 91, 95, 59, 63, 155, 159, 123, 127, 219, 223},
    {276, 280, 28, 31, 284, 288, 92, 95, 60, 120, 156, 159, 124, 127, 220, 223},
    {277, 281, 29, 31, 285, 289, 93, 95, 61, 121, 157, 159, 125, 127, 221, 223},
    {278, 282, 30, 31, 286, 290, 94, 95, 62, 122, 158, 159, 126, 127, 222, 223},
    {279, 283, 31, 31, 287, 291, 95, 95, 63, 123, 159, 159, 127, 127, 223, 223},
    {296, 275, 259, 27, 279, 283, 31, 91, 263, 59, 267, 155, 63, 123, 159, 219},
    {292, 298, 293, 298, 298, 298, 298, 298, 294, 298, 295, 298, 298, 298, 298, 298},
    {297, 297, 298, 298, 297, 297, 298, 298, 298, 298, 298, 298, 298, 298, 298, 298},
};

namespace h264dsp {
namespace {

// Neighbours of a 4x4 block: e[0..3] = L3..L0 is not used; the array is
// laid out as the standard's p[-1, 3..0], p[-1,-1], p[0..7, -1] so that
// edge[4 + k] = T[k], edge[3] = top-left, edge[2 - y] = L[y].
struct Edge4 {
    int l[4];
    int t[8];
    int tl;
    bool leftAvail, topAvail;
};

inline void LoadEdge4(int b, const uint8_t* luma, Edge4& e) {
    for (int k = 0; k < 4; ++k) e.l[k] = luma[H264Intra4x4Neighbours[k][b]];
    for (int k = 0; k < 8; ++k) e.t[k] = luma[H264Intra4x4Neighbours[4 + k][b]];
    e.tl = luma[H264Intra4x4Neighbours[12][b]];
    e.leftAvail = luma[H264Intra4x4Neighbours[13][b]] != 0;
    e.topAvail = luma[H264Intra4x4Neighbours[14][b]] != 0;
}

// Writes a predicted 4x4 block, with residual when its quadrant is coded.
inline void Store4x4(int b, uint8_t* luma, const int16_t* coefY, int cbp, const int pred[16]) {
    const int off = H264Blk4x4Offset[b];
    uint8_t* dst = luma + off;
    if (cbp & (1 << (b >> 2))) {
        const int16_t* res = coefY + off;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) dst[8 * y + x] = Clip255(pred[4 * y + x] + res[8 * y + x]);
    } else {
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) dst[8 * y + x] = static_cast<uint8_t>(pred[4 * y + x]);
    }
}

// Standard's p[x, -1] (x = -1..7) and p[-1, y] (y = -1..3).
struct P4 {
    const Edge4& e;
    int top(int x) const { return x < 0 ? e.tl : e.t[x]; }
    int left(int y) const { return y < 0 ? e.tl : e.l[y]; }
};

template <int Mode>
void Intra4x4(int32_t b, uint8_t* luma, const int16_t* coefY, int32_t cbp) {
    Edge4 e;
    LoadEdge4(b, luma, e);
    const P4 p{e};
    int pred[16];
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            int v = 0;
            if (Mode == 0) {
                v = e.t[x];
            } else if (Mode == 1) {
                v = e.l[y];
            } else if (Mode == 2) {
                if (e.leftAvail && e.topAvail)
                    v = (e.t[0] + e.t[1] + e.t[2] + e.t[3] + e.l[0] + e.l[1] + e.l[2] + e.l[3] + 4) >> 3;
                else if (e.leftAvail)
                    v = (e.l[0] + e.l[1] + e.l[2] + e.l[3] + 2) >> 2;
                else if (e.topAvail)
                    v = (e.t[0] + e.t[1] + e.t[2] + e.t[3] + 2) >> 2;
                else
                    v = 128;
            } else if (Mode == 3) {
                if (x == 3 && y == 3)
                    v = (e.t[6] + 3 * e.t[7] + 2) >> 2;
                else
                    v = (e.t[x + y] + 2 * e.t[x + y + 1] + e.t[x + y + 2] + 2) >> 2;
            } else if (Mode == 4) {
                if (x > y)
                    v = (p.top(x - y - 2) + 2 * p.top(x - y - 1) + p.top(x - y) + 2) >> 2;
                else if (x < y)
                    v = (p.left(y - x - 2) + 2 * p.left(y - x - 1) + p.left(y - x) + 2) >> 2;
                else
                    v = (p.top(0) + 2 * e.tl + p.left(0) + 2) >> 2;
            } else if (Mode == 5) {
                const int z = 2 * x - y;
                if (z >= 0 && !(z & 1))
                    v = (p.top(x - (y >> 1) - 1) + p.top(x - (y >> 1)) + 1) >> 1;
                else if (z >= 0)
                    v = (p.top(x - (y >> 1) - 2) + 2 * p.top(x - (y >> 1) - 1) + p.top(x - (y >> 1)) + 2) >> 2;
                else if (z == -1)
                    v = (p.left(0) + 2 * e.tl + p.top(0) + 2) >> 2;
                else
                    v = (p.left(y - 1) + 2 * p.left(y - 2) + p.left(y - 3) + 2) >> 2;
            } else if (Mode == 6) {
                const int z = 2 * y - x;
                if (z >= 0 && !(z & 1))
                    v = (p.left(y - (x >> 1) - 1) + p.left(y - (x >> 1)) + 1) >> 1;
                else if (z >= 0)
                    v = (p.left(y - (x >> 1) - 2) + 2 * p.left(y - (x >> 1) - 1) + p.left(y - (x >> 1)) + 2) >> 2;
                else if (z == -1)
                    v = (p.left(0) + 2 * e.tl + p.top(0) + 2) >> 2;
                else
                    v = (p.top(x - 1) + 2 * p.top(x - 2) + p.top(x - 3) + 2) >> 2;
            } else if (Mode == 7) {
                const int i = x + (y >> 1);
                if (!(y & 1))
                    v = (e.t[i] + e.t[i + 1] + 1) >> 1;
                else
                    v = (e.t[i] + 2 * e.t[i + 1] + e.t[i + 2] + 2) >> 2;
            } else {
                const int z = x + 2 * y;
                const int i = y + (x >> 1);
                if (z > 5)
                    v = e.l[3];
                else if (z == 5)
                    v = (e.l[2] + 3 * e.l[3] + 2) >> 2;
                else if (!(z & 1))
                    v = (e.l[i] + e.l[i + 1] + 1) >> 1;
                else
                    v = (e.l[i] + 2 * e.l[i + 1] + e.l[i + 2] + 2) >> 2;
            }
            pred[4 * y + x] = v;
        }
    }
    Store4x4(b, luma, coefY, cbp, pred);
}

// Position of macroblock sample (x, y) in the quadrant layout.
inline int Q(int x, int y) { return 64 * (2 * (y >> 3) + (x >> 3)) + 8 * (y & 7) + (x & 7); }

inline void Store16x16(uint8_t* luma, const int16_t* coefY, const int pred[256]) {
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int o = Q(x, y);
            luma[o] = Clip255(pred[16 * y + x] + coefY[o]);
        }
}

template <int Mode>
void Intra16x16(uint8_t* luma, const int16_t* coefY) {
    const uint8_t* left = luma + H264_WORK_NB_LEFT_Y;
    const uint8_t* top = luma + H264_WORK_NB_TOP_Y;
    int pred[256];
    if (Mode == 0) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pred[16 * y + x] = top[x];
    } else if (Mode == 1) {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) pred[16 * y + x] = left[y];
    } else if (Mode == 2) {
        const bool leftAvail = luma[H264_WORK_NB_LEFT_AVAIL] != 0;
        const bool topAvail = luma[H264_WORK_NB_TOP_AVAIL] != 0;
        int sl = 0, st = 0;
        for (int i = 0; i < 16; ++i) {
            sl += left[i];
            st += top[i];
        }
        int dc = 128;
        if (leftAvail && topAvail)
            dc = (sl + st + 16) >> 5;
        else if (leftAvail)
            dc = (sl + 8) >> 4;
        else if (topAvail)
            dc = (st + 8) >> 4;
        for (int i = 0; i < 256; ++i) pred[i] = dc;
    } else {
        const int tl = luma[H264_WORK_NB_TOPLEFT_Y];
        int h = 0, v = 0;
        for (int i = 0; i < 8; ++i) {
            h += (i + 1) * (top[8 + i] - (6 - i < 0 ? tl : top[6 - i]));
            v += (i + 1) * (left[8 + i] - (6 - i < 0 ? tl : left[6 - i]));
        }
        const int a = 16 * (left[15] + top[15]);
        const int bb = (5 * h + 32) >> 6;
        const int c = (5 * v + 32) >> 6;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                pred[16 * y + x] = Clip255((a + bb * (x - 7) + c * (y - 7) + 16) >> 5);
    }
    Store16x16(luma, coefY, pred);
}

// Chroma prediction of one component into pred[64].
template <int Mode>
void PredictChroma(const uint8_t* luma, const uint8_t* c, int pred[64]) {
    const uint8_t* left = c + H264_WORK_CHROMA_LEFT;
    const uint8_t* top = c + H264_WORK_CHROMA_TOP;
    if (Mode == 0) {
        const bool topAvail = luma[H264_WORK_NB_TOP_AVAIL] != 0;
        for (int blk = 0; blk < 4; ++blk) {
            const int xo = 4 * (blk & 1), yo = 4 * (blk >> 1);
            const bool leftAvail = luma[H264_WORK_NB_LEFT_AVAIL + (yo ? 2 : 0)] != 0;
            int sl = 0, st = 0;
            for (int i = 0; i < 4; ++i) {
                sl += left[yo + i];
                st += top[xo + i];
            }
            int dc = 128;
            if ((xo == 0 && yo == 0) || (xo && yo)) {
                if (leftAvail && topAvail)
                    dc = (sl + st + 4) >> 3;
                else if (leftAvail)
                    dc = (sl + 2) >> 2;
                else if (topAvail)
                    dc = (st + 2) >> 2;
            } else if (xo) {
                if (topAvail)
                    dc = (st + 2) >> 2;
                else if (leftAvail)
                    dc = (sl + 2) >> 2;
            } else {
                if (leftAvail)
                    dc = (sl + 2) >> 2;
                else if (topAvail)
                    dc = (st + 2) >> 2;
            }
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 4; ++x) pred[8 * (yo + y) + xo + x] = dc;
        }
    } else if (Mode == 1) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) pred[8 * y + x] = left[y];
    } else if (Mode == 2) {
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) pred[8 * y + x] = top[x];
    } else {
        const int tl = c[H264_WORK_CHROMA_TOPLEFT];
        int h = 0, v = 0;
        for (int i = 0; i < 4; ++i) {
            h += (i + 1) * (top[4 + i] - (2 - i < 0 ? tl : top[2 - i]));
            v += (i + 1) * (left[4 + i] - (2 - i < 0 ? tl : left[2 - i]));
        }
        const int a = 16 * (left[7] + top[7]);
        const int bb = (34 * h + 32) >> 6;
        const int cc = (34 * v + 32) >> 6;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pred[8 * y + x] = Clip255((a + bb * (x - 3) + cc * (y - 3) + 16) >> 5);
    }
}

template <int Mode>
void IntraChroma(const uint8_t* luma, uint8_t* cb, uint8_t* cr, const int16_t* coefCb,
                 const int16_t* coefCr, int32_t chromaCbp) {
    uint8_t* planes[2] = {cb, cr};
    const int16_t* res[2] = {coefCb, coefCr};
    for (int k = 0; k < 2; ++k) {
        int pred[64];
        PredictChroma<Mode>(luma, planes[k], pred);
        uint8_t* d = planes[k];
        if (chromaCbp)
            for (int i = 0; i < 64; ++i) d[i] = Clip255(pred[i] + res[k][i]);
        else
            for (int i = 0; i < 64; ++i) d[i] = static_cast<uint8_t>(pred[i]);
    }
}

}  // namespace

const H264Intra4x4Fn kPlainIntra4x4[9] = {Intra4x4<0>, Intra4x4<1>, Intra4x4<2>,
                                          Intra4x4<3>, Intra4x4<4>, Intra4x4<5>,
                                          Intra4x4<6>, Intra4x4<7>, Intra4x4<8>};
const H264Intra16x16Fn kPlainIntra16x16[4] = {Intra16x16<0>, Intra16x16<1>, Intra16x16<2>,
                                              Intra16x16<3>};
const H264IntraChromaFn kPlainIntraChroma[4] = {IntraChroma<0>, IntraChroma<1>, IntraChroma<2>,
                                                IntraChroma<3>};

}  // namespace h264dsp
