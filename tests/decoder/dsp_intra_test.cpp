// Intra prediction kernels (fused with residual add and clip) against a
// reference written from the standard's equations (8.3.1.2, 8.3.3, 8.3.4)
// over a raster picture, with the standard's neighbour availability.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "h264_dsp.h"

namespace {

int Clip(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
int Q(int x, int y) { return 64 * (2 * (y / 8) + x / 8) + 8 * (y % 8) + x % 8; }

// Raster macroblock with its neighbours: x = -1..19, y = -1..15.
struct Raster {
    int s[17][21];
    int& at(int x, int y) { return s[y + 1][x + 1]; }
};

struct MbNeighbours {
    bool left, top, topRight, topLeft;
};

struct Sets {
    H264DspTable plain, simd;
    Sets() {
        H264DspInitPlain(&plain);
        H264DspInitSimd(&simd);
    }
};

// Work area filled the way the macroblock layer fills it.
void FillWorkArea(Raster& r, const MbNeighbours& n, uint8_t* luma) {
    std::memset(luma, 0xAA, 256);
    for (int y = 0; y < 16; ++y) luma[256 + y] = static_cast<uint8_t>(r.at(-1, y));
    for (int x = 0; x < 16; ++x) luma[272 + x] = static_cast<uint8_t>(r.at(x, -1));
    for (int x = 0; x < 4; ++x)
        luma[288 + x] = static_cast<uint8_t>(n.topRight ? r.at(16 + x, -1) : r.at(15, -1));
    for (int k = 0; k < 4; ++k) luma[292 + k] = n.left;
    luma[296] = static_cast<uint8_t>(r.at(-1, -1));
    luma[297] = n.top;
    luma[298] = 1;
}

int BlkX(int b) { return 8 * ((b / 4) % 2) + 4 * ((b % 4) % 2); }
int BlkY(int b) { return 8 * ((b / 4) / 2) + 4 * ((b % 4) / 2); }
int BlkAt(int x, int y) { return 4 * (2 * (y / 8) + x / 8) + 2 * ((y % 8) / 4) + (x % 8) / 4; }

// 6.4.11.4 availability of the neighbouring sample (xN, yN) of block b.
bool Avail4x4(int b, int xN, int yN, const MbNeighbours& n) {
    if (xN < 0 && yN < 0) return n.topLeft;
    if (xN < 0) return yN <= 15 && n.left;
    if (yN < 0) return xN <= 15 ? n.top : n.topRight;
    if (xN > 15) return false;
    return BlkAt(xN, yN) < b;
}

// Predicted 4x4 block by the standard (8.3.1.2.x) from the raster samples.
void RefIntra4x4(int b, int mode, Raster& r, const MbNeighbours& n, int pred[4][4]) {
    const int bx = BlkX(b), by = BlkY(b);
    auto av = [&](int x, int y) { return Avail4x4(b, bx + x, by + y, n); };
    auto p = [&](int x, int y) {
        if (y == -1 && x >= 4 && !av(x, -1)) return r.at(bx + 3, by - 1);  // 8.3.1.2 substitution
        return r.at(bx + x, by + y);
    };
    const bool leftA = av(-1, 0), topA = av(0, -1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            int v = 0;
            switch (mode) {
                case 0: v = p(x, -1); break;
                case 1: v = p(-1, y); break;
                case 2:
                    if (leftA && topA)
                        v = (p(0, -1) + p(1, -1) + p(2, -1) + p(3, -1) + p(-1, 0) + p(-1, 1) + p(-1, 2) + p(-1, 3) + 4) >> 3;
                    else if (leftA)
                        v = (p(-1, 0) + p(-1, 1) + p(-1, 2) + p(-1, 3) + 2) >> 2;
                    else if (topA)
                        v = (p(0, -1) + p(1, -1) + p(2, -1) + p(3, -1) + 2) >> 2;
                    else
                        v = 128;
                    break;
                case 3:
                    v = (x == 3 && y == 3) ? (p(6, -1) + 3 * p(7, -1) + 2) >> 2
                                           : (p(x + y, -1) + 2 * p(x + y + 1, -1) + p(x + y + 2, -1) + 2) >> 2;
                    break;
                case 4:
                    if (x > y)
                        v = (p(x - y - 2, -1) + 2 * p(x - y - 1, -1) + p(x - y, -1) + 2) >> 2;
                    else if (x < y)
                        v = (p(-1, y - x - 2) + 2 * p(-1, y - x - 1) + p(-1, y - x) + 2) >> 2;
                    else
                        v = (p(0, -1) + 2 * p(-1, -1) + p(-1, 0) + 2) >> 2;
                    break;
                case 5: {
                    const int z = 2 * x - y;
                    if (z >= 0 && z % 2 == 0)
                        v = (p(x - (y >> 1) - 1, -1) + p(x - (y >> 1), -1) + 1) >> 1;
                    else if (z >= 0)
                        v = (p(x - (y >> 1) - 2, -1) + 2 * p(x - (y >> 1) - 1, -1) + p(x - (y >> 1), -1) + 2) >> 2;
                    else if (z == -1)
                        v = (p(-1, 0) + 2 * p(-1, -1) + p(0, -1) + 2) >> 2;
                    else
                        v = (p(-1, y - 1) + 2 * p(-1, y - 2) + p(-1, y - 3) + 2) >> 2;
                    break;
                }
                case 6: {
                    const int z = 2 * y - x;
                    if (z >= 0 && z % 2 == 0)
                        v = (p(-1, y - (x >> 1) - 1) + p(-1, y - (x >> 1)) + 1) >> 1;
                    else if (z >= 0)
                        v = (p(-1, y - (x >> 1) - 2) + 2 * p(-1, y - (x >> 1) - 1) + p(-1, y - (x >> 1)) + 2) >> 2;
                    else if (z == -1)
                        v = (p(-1, 0) + 2 * p(-1, -1) + p(0, -1) + 2) >> 2;
                    else
                        v = (p(x - 1, -1) + 2 * p(x - 2, -1) + p(x - 3, -1) + 2) >> 2;
                    break;
                }
                case 7:
                    if (y == 0 || y == 2)
                        v = (p(x + (y >> 1), -1) + p(x + (y >> 1) + 1, -1) + 1) >> 1;
                    else
                        v = (p(x + (y >> 1), -1) + 2 * p(x + (y >> 1) + 1, -1) + p(x + (y >> 1) + 2, -1) + 2) >> 2;
                    break;
                default: {
                    const int z = x + 2 * y;
                    if (z == 0 || z == 2 || z == 4)
                        v = (p(-1, y + (x >> 1)) + p(-1, y + (x >> 1) + 1) + 1) >> 1;
                    else if (z == 1 || z == 3)
                        v = (p(-1, y + (x >> 1)) + 2 * p(-1, y + (x >> 1) + 1) + p(-1, y + (x >> 1) + 2) + 2) >> 2;
                    else if (z == 5)
                        v = (p(-1, 2) + 3 * p(-1, 3) + 2) >> 2;
                    else
                        v = p(-1, 3);
                }
            }
            pred[y][x] = v;
        }
}

// Which Intra 4x4 modes the standard allows for block b.
bool ModeAllowed(int b, int mode, const MbNeighbours& n) {
    const int bx = BlkX(b), by = BlkY(b);
    const bool l = Avail4x4(b, bx - 1, by, n), t = Avail4x4(b, bx, by - 1, n);
    const bool tl = Avail4x4(b, bx - 1, by - 1, n);
    switch (mode) {
        case 0: case 3: case 7: return t;
        case 1: case 8: return l;
        case 2: return true;
        default: return l && t && tl;
    }
}

void RandomRaster(std::mt19937& rng, Raster& r, int flavour) {
    std::uniform_int_distribution<int> v(0, 255);
    for (auto& row : r.s)
        for (auto& s : row) {
            if (flavour == 1)
                s = 0;
            else if (flavour == 2)
                s = 255;
            else if (flavour == 3)
                s = (rng() & 1) ? 255 : 0;
            else
                s = v(rng);
        }
}

TEST(DspIntra, Intra4x4AllModesAllBlocks) {
    Sets sets;
    std::mt19937 rng(4242);
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        for (int iter = 0; iter < 1500; ++iter) {
            Raster r;
            RandomRaster(rng, r, iter % 8 < 4 ? iter % 8 : 0);
            const MbNeighbours n{(rng() & 3) != 0, (rng() & 3) != 0, (rng() & 1) != 0, (rng() & 1) != 0};
            alignas(16) uint8_t luma[320];
            FillWorkArea(r, n, luma);
            alignas(16) int16_t coef[256];
            const int lim = iter % 5 == 0 ? 600 : 40;
            for (auto& c : coef) c = static_cast<int16_t>(static_cast<int>(rng() % (2 * lim + 1)) - lim);
            const int cbp = static_cast<int>(rng() & 15);
            for (int b = 0; b < 16; ++b) {
                int mode;
                do mode = static_cast<int>(rng() % 9);
                while (!ModeAllowed(b, mode, n));
                d->intra4x4Pred[mode](b, luma, coef, cbp);
                int pred[4][4];
                RefIntra4x4(b, mode, r, n, pred);
                const int bx = BlkX(b), by = BlkY(b);
                for (int y = 0; y < 4; ++y)
                    for (int x = 0; x < 4; ++x) {
                        const int o = Q(bx + x, by + y);
                        const int want = (cbp >> (b / 4)) & 1 ? Clip(pred[y][x] + coef[o]) : pred[y][x];
                        r.at(bx + x, by + y) = want;
                        ASSERT_EQ(luma[o], want) << "iter " << iter << " block " << b << " mode " << mode
                                                 << " at " << x << "," << y;
                    }
            }
        }
    }
}

// The above-right samples of blocks 3, 7, 11, 13, 15 repeat T3; block 5
// reads nbTopRightY (the caller's substitute when the macroblock is missing).
TEST(DspIntra, Intra4x4AboveRightSubstitution) {
    Sets sets;
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        for (int b : {3, 7, 11, 13, 15}) {
            alignas(16) uint8_t luma[320];
            for (int i = 0; i < 299; ++i) luma[i] = static_cast<uint8_t>(i * 7);
            luma[298] = 1;
            int16_t coef[256] = {};
            d->intra4x4Pred[3](b, luma, coef, 0);
            // Diagonal down-left bottom-right sample: (T6 + 3 T7 + 2) >> 2 = T3.
            const int t3 = luma[H264Intra4x4Neighbours[7][b]];
            EXPECT_EQ(luma[H264Blk4x4Offset[b] + 8 * 3 + 3], t3) << b;
        }
        alignas(16) uint8_t luma[320] = {};
        for (int i = 272; i < 288; ++i) luma[i] = 10;
        for (int i = 288; i < 292; ++i) luma[i] = 250;
        luma[297] = 1;
        luma[298] = 1;
        int16_t coef[256] = {};
        d->intra4x4Pred[7](5, luma, coef, 0);
        // Vertical-left row 3, x 3: (T4 + 2 T5 + T6 + 2) >> 2 with T4..T6 = 250.
        EXPECT_EQ(luma[H264Blk4x4Offset[5] + 27], 250);
    }
}

void Ref16x16(int mode, Raster& r, bool leftA, bool topA, int pred[16][16]) {
    auto p = [&](int x, int y) { return r.at(x, y); };
    int h = 0, v = 0;
    for (int i = 0; i < 8; ++i) {
        h += (i + 1) * (p(8 + i, -1) - p(6 - i, -1));
        v += (i + 1) * (p(-1, 8 + i) - p(-1, 6 - i));
    }
    int sl = 0, st = 0;
    for (int i = 0; i < 16; ++i) {
        sl += p(-1, i);
        st += p(i, -1);
    }
    const int a = 16 * (p(-1, 15) + p(15, -1)), b = (5 * h + 32) >> 6, c = (5 * v + 32) >> 6;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            switch (mode) {
                case 0: pred[y][x] = p(x, -1); break;
                case 1: pred[y][x] = p(-1, y); break;
                case 2:
                    pred[y][x] = leftA && topA ? (sl + st + 16) >> 5
                                 : leftA       ? (sl + 8) >> 4
                                 : topA        ? (st + 8) >> 4
                                               : 128;
                    break;
                default: pred[y][x] = Clip((a + b * (x - 7) + c * (y - 7) + 16) >> 5);
            }
        }
}

TEST(DspIntra, Intra16x16AllModes) {
    Sets sets;
    std::mt19937 rng(1616);
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        for (int iter = 0; iter < 800; ++iter) {
            Raster r;
            RandomRaster(rng, r, iter % 8 < 4 ? iter % 8 : 0);
            MbNeighbours n{(rng() & 1) != 0, (rng() & 1) != 0, true, (rng() & 1) != 0};
            int mode = static_cast<int>(rng() % 4);
            if (mode == 0) n.top = true;
            if (mode == 1) n.left = true;
            if (mode == 3) n.left = n.top = n.topLeft = true;
            alignas(16) uint8_t luma[320];
            FillWorkArea(r, n, luma);
            if (mode == 2 && !n.left && iter % 2) luma[293] = luma[294] = luma[295] = 1;  // only 292 counts
            alignas(16) int16_t coef[256];
            const int lim = iter % 4 == 0 ? 1000 : 30;
            for (auto& c : coef) c = static_cast<int16_t>(static_cast<int>(rng() % (2 * lim + 1)) - lim);
            d->intra16x16Pred[mode](luma, coef);
            int pred[16][16];
            Ref16x16(mode, r, n.left, n.top, pred);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    ASSERT_EQ(luma[Q(x, y)], Clip(pred[y][x] + coef[Q(x, y)]))
                        << "iter " << iter << " mode " << mode << " at " << x << "," << y;
        }
    }
}

TEST(DspIntra, DcWithoutNeighboursIs128) {
    Sets sets;
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        alignas(16) uint8_t luma[320];
        std::memset(luma, 77, sizeof luma);
        std::memset(luma + 292, 0, 6);
        luma[298] = 1;
        int16_t coef[256] = {};
        d->intra16x16Pred[2](luma, coef);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(luma[i], 128);
        std::memset(luma, 77, 256);
        d->intra4x4Pred[2](0, luma, coef, 0);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(luma[8 * y + x], 128);
        alignas(16) uint8_t cb[96], cr[96];
        std::memset(cb, 9, sizeof cb);
        std::memset(cr, 9, sizeof cr);
        int16_t cc[64] = {};
        d->intraChromaPred[0](luma, cb, cr, cc, cc, 0);
        for (int i = 0; i < 64; ++i) ASSERT_EQ(cb[i] + cr[i], 256);
    }
}

// 8.3.4 for one chroma component: c[x][y] with x = -1..7, y = -1..7.
void RefChroma(int mode, int c[9][9], bool leftTop, bool leftBottom, bool topA, int pred[8][8]) {
    auto p = [&](int x, int y) { return c[y + 1][x + 1]; };
    for (int blk = 0; blk < 4; ++blk) {
        const int xo = 4 * (blk & 1), yo = 4 * (blk >> 1);
        const bool leftA = yo ? leftBottom : leftTop;
        int sl = 0, st = 0;
        for (int i = 0; i < 4; ++i) {
            sl += p(-1, yo + i);
            st += p(xo + i, -1);
        }
        int dc;
        if ((xo == 0 && yo == 0) || (xo > 0 && yo > 0))
            dc = leftA && topA ? (sl + st + 4) >> 3 : leftA ? (sl + 2) >> 2 : topA ? (st + 2) >> 2 : 128;
        else if (xo > 0)
            dc = topA ? (st + 2) >> 2 : leftA ? (sl + 2) >> 2 : 128;
        else
            dc = leftA ? (sl + 2) >> 2 : topA ? (st + 2) >> 2 : 128;
        int h = 0, v = 0;
        for (int i = 0; i < 4; ++i) {
            h += (i + 1) * (p(4 + i, -1) - p(2 - i, -1));
            v += (i + 1) * (p(-1, 4 + i) - p(-1, 2 - i));
        }
        const int a = 16 * (p(-1, 7) + p(7, -1)), b = (34 * h + 32) >> 6, cc = (34 * v + 32) >> 6;
        for (int y = yo; y < yo + 4; ++y)
            for (int x = xo; x < xo + 4; ++x) {
                switch (mode) {
                    case 0: pred[y][x] = dc; break;
                    case 1: pred[y][x] = p(-1, y); break;
                    case 2: pred[y][x] = p(x, -1); break;
                    default: pred[y][x] = Clip((a + b * (x - 3) + cc * (y - 3) + 16) >> 5);
                }
            }
    }
}

TEST(DspIntra, ChromaAllModes) {
    Sets sets;
    std::mt19937 rng(808);
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        for (int iter = 0; iter < 1200; ++iter) {
            const int mode = static_cast<int>(rng() % 4);
            bool lt = (rng() & 1) != 0, lb = lt, t = (rng() & 1) != 0;
            if (iter % 7 == 0) lb = !lt;  // the two halves' flags read separately
            if (mode == 1) lt = lb = true;
            if (mode == 2) t = true;
            if (mode == 3) lt = lb = t = true;
            alignas(16) uint8_t luma[320] = {};
            luma[292] = lt;
            luma[293] = lt;
            luma[294] = lb;
            luma[295] = lb;
            luma[297] = t;
            luma[298] = 1;
            int cs[2][9][9];
            alignas(16) uint8_t area[2][96];
            alignas(16) int16_t coef[2][64];
            for (int k = 0; k < 2; ++k) {
                for (int y = 0; y < 9; ++y)
                    for (int x = 0; x < 9; ++x) {
                        const int fl = iter % 6;
                        cs[k][y][x] = fl == 1 ? 0 : fl == 2 ? 255 : fl == 3 ? ((rng() & 1) ? 255 : 0)
                                                                            : static_cast<int>(rng() & 255);
                    }
                std::memset(area[k], 0xCC, 96);
                for (int i = 0; i < 8; ++i) {
                    area[k][64 + i] = static_cast<uint8_t>(cs[k][i + 1][0]);
                    area[k][72 + i] = static_cast<uint8_t>(cs[k][0][i + 1]);
                }
                area[k][80] = static_cast<uint8_t>(cs[k][0][0]);
                const int lim = iter % 3 == 0 ? 500 : 20;
                for (auto& c : coef[k]) c = static_cast<int16_t>(static_cast<int>(rng() % (2 * lim + 1)) - lim);
            }
            const int ccbp = static_cast<int>(rng() % 3);
            d->intraChromaPred[mode](luma, area[0], area[1], coef[0], coef[1], ccbp);
            for (int k = 0; k < 2; ++k) {
                int pred[8][8];
                RefChroma(mode, cs[k], lt, lb, t, pred);
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x) {
                        const int want = ccbp ? Clip(pred[y][x] + coef[k][8 * y + x]) : pred[y][x];
                        ASSERT_EQ(area[k][8 * y + x], want) << "iter " << iter << " mode " << mode << " comp " << k;
                    }
            }
        }
    }
}

}  // namespace
