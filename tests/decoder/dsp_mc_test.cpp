// Motion compensation: window fetch with edge replication, the luma and
// chroma kernels and the partition tiling, against the standard's sample
// interpolation (8.4.2.2) on a raster reference picture with clamped
// coordinates.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "h264_dsp.h"

namespace {

int Clip(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }
int Q(int x, int y) { return 64 * (2 * (y / 8) + x / 8) + 8 * (y % 8) + x % 8; }

struct RefPicture {
    int w, h;
    std::vector<uint8_t> y, cb, cr;
    RefPicture(int w_, int h_) : w(w_), h(h_), y(w_ * h_), cb(w_ * h_ / 4), cr(w_ * h_ / 4) {}
    int Y(int x, int yy) const {
        x = x < 0 ? 0 : (x >= w ? w - 1 : x);
        yy = yy < 0 ? 0 : (yy >= h ? h - 1 : yy);
        return y[yy * w + x];
    }
    int C(const std::vector<uint8_t>& p, int x, int yy) const {
        const int cw = w / 2, ch = h / 2;
        x = x < 0 ? 0 : (x >= cw ? cw - 1 : x);
        yy = yy < 0 ? 0 : (yy >= ch ? ch - 1 : yy);
        return p[yy * cw + x];
    }
};

// 8.4.2.2.1 for the sample at full-sample position (xi, yi), fractions (xf, yf).
int RefLuma(const RefPicture& pic, int xi, int yi, int xf, int yf) {
    auto G = [&](int dx, int dy) { return pic.Y(xi + dx, yi + dy); };
    auto tap = [](int e, int f, int g, int h, int i, int j) { return e - 5 * f + 20 * g + 20 * h - 5 * i + j; };
    auto b1 = [&](int dx, int dy) { return tap(G(dx - 2, dy), G(dx - 1, dy), G(dx, dy), G(dx + 1, dy), G(dx + 2, dy), G(dx + 3, dy)); };
    auto h1 = [&](int dx, int dy) { return tap(G(dx, dy - 2), G(dx, dy - 1), G(dx, dy), G(dx, dy + 1), G(dx, dy + 2), G(dx, dy + 3)); };
    const int b = Clip((b1(0, 0) + 16) >> 5), h = Clip((h1(0, 0) + 16) >> 5);
    const int s = Clip((b1(0, 1) + 16) >> 5), m = Clip((h1(1, 0) + 16) >> 5);
    const int j = Clip((tap(b1(0, -2), b1(0, -1), b1(0, 0), b1(0, 1), b1(0, 2), b1(0, 3)) + 512) >> 10);
    const int g = G(0, 0);
    switch (4 * xf + yf) {
        case 0: return g;
        case 1: return (g + h + 1) >> 1;
        case 2: return h;
        case 3: return (G(0, 1) + h + 1) >> 1;
        case 4: return (g + b + 1) >> 1;
        case 5: return (b + h + 1) >> 1;
        case 6: return (h + j + 1) >> 1;
        case 7: return (h + s + 1) >> 1;
        case 8: return b;
        case 9: return (b + j + 1) >> 1;
        case 10: return j;
        case 11: return (j + s + 1) >> 1;
        case 12: return (G(1, 0) + b + 1) >> 1;
        case 13: return (b + m + 1) >> 1;
        case 14: return (j + m + 1) >> 1;
        default: return (m + s + 1) >> 1;
    }
}

struct Shape {
    int w, h, px, py;
};

Shape ShapeOf(int s) {
    if (s == 0) return {16, 16, 0, 0};
    if (s <= 2) return {16, 8, 0, 8 * (s - 1)};
    if (s <= 4) return {8, 16, 8 * (s - 3), 0};
    if (s <= 8) return {8, 8, 8 * ((s - 5) % 2), 8 * ((s - 5) / 2)};
    if (s <= 16) {
        const int q = (s - 9) / 2, k = (s - 9) % 2;
        return {8, 4, 8 * (q % 2), 8 * (q / 2) + 4 * k};
    }
    if (s <= 24) {
        const int q = (s - 17) / 2, k = (s - 17) % 2;
        return {4, 8, 8 * (q % 2) + 4 * k, 8 * (q / 2)};
    }
    const int q = (s - 25) / 4, k = (s - 25) % 4;
    return {4, 4, 8 * (q % 2) + 4 * (k % 2), 8 * (q / 2) + 4 * (k / 2)};
}

// Kernel calls for one partition, as the macroblock layer tiles it.
void Tile(const H264DspTable* d, H264McBlock blk, const Shape& s, uint8_t* predY, uint8_t* predCb, uint8_t* predCr) {
    const int pos = 4 * (blk.mvX & 3) + (blk.mvY & 3);
    const int ccls = (blk.fracCx ? 1 : 0) + (blk.fracCy ? 2 : 0);
    auto luma = [&](const H264LumaMcFn* t, int col, int row) {
        H264McBlock b = blk;
        b.srcY = blk.srcY + col + row * blk.strideY;
        b.dstY = predY + Q(s.px + col, s.py + row);
        t[pos](&b);
    };
    auto chroma = [&](const H264ChromaMcFn* t, int col, int row) {
        H264McBlock b = blk;
        b.srcCb = blk.srcCb + col + row * blk.strideC;
        b.srcCr = blk.srcCr + col + row * blk.strideC;
        const int o = 8 * (s.py / 2 + row) + s.px / 2 + col;
        b.dstCb = predCb + o;
        b.dstCr = predCr + o;
        t[ccls](&b);
    };
    if (s.w == 16 && s.h == 16) {
        luma(d->lumaMc8x16, 0, 0);
        luma(d->lumaMc8x16, 8, 0);
        chroma(d->chromaMc8x8, 0, 0);
    } else if (s.w == 16) {
        luma(d->lumaMc8x8, 0, 0);
        luma(d->lumaMc8x8, 8, 0);
        chroma(d->chromaMc8x4, 0, 0);
    } else if (s.h == 16) {
        luma(d->lumaMc8x16, 0, 0);
        for (int r = 0; r < 8; r += 2) chroma(d->chromaMc4x2, 0, r);
    } else if (s.w == 8 && s.h == 8) {
        luma(d->lumaMc8x8, 0, 0);
        chroma(d->chromaMc4x2, 0, 0);
        chroma(d->chromaMc4x2, 0, 2);
    } else if (s.w == 8) {
        luma(d->lumaMc4x4, 0, 0);
        luma(d->lumaMc4x4, 4, 0);
        chroma(d->chromaMc4x2, 0, 0);
    } else if (s.h == 8) {
        luma(d->lumaMc4x8, 0, 0);
        chroma(H264ChromaMc2x2, 0, 0);
        chroma(H264ChromaMc2x2, 0, 2);
    } else {
        luma(d->lumaMc4x4, 0, 0);
        chroma(H264ChromaMc2x2, 0, 0);
    }
}

struct Sets {
    H264DspTable plain, simd;
    Sets() {
        H264DspInitPlain(&plain);
        H264DspInitSimd(&simd);
    }
};

void RunCases(const H264DspTable* d, int picW, int picH, int iters, uint32_t seed) {
    std::mt19937 rng(seed);
    RefPicture pic(picW, picH);
    for (int iter = 0; iter < iters; ++iter) {
        const int flavour = iter % 6;
        for (auto* p : {&pic.y, &pic.cb, &pic.cr})
            for (auto& s : *p)
                s = static_cast<uint8_t>(flavour == 1 ? ((rng() & 1) ? 255 : 0) : flavour == 2 ? (rng() % 3 ? 255 : 0) : rng() & 255);
        uint8_t* planesY[2] = {nullptr, pic.y.data()};
        uint8_t* planesCb[2] = {nullptr, pic.cb.data()};
        uint8_t* planesCr[2] = {nullptr, pic.cr.data()};
        H264McFrame frame{planesY, planesCb, planesCr, picW, picH, picW, 0, 0};
        frame.mbX = static_cast<int>(rng() % (picW / 16));
        frame.mbY = static_cast<int>(rng() % (picH / 16));
        const int shape = static_cast<int>(rng() % H264_MC_SHAPE_COUNT);
        const Shape s = ShapeOf(shape);
        alignas(16) uint8_t scratchY[22 * 24], scratchCb[10 * 24], scratchCr[10 * 24];
        alignas(16) uint8_t predY[256], predCb[64], predCr[64];
        std::memset(predY, 0xEE, sizeof predY);
        std::memset(predCb, 0xEE, sizeof predCb);
        std::memset(predCr, 0xEE, sizeof predCr);
        H264McBlock blk{};
        const int range = iter % 4 == 0 ? 400 : 48;  // some far outside the picture
        blk.mvX = static_cast<int16_t>(static_cast<int>(rng() % (2 * range + 1)) - range);
        blk.mvY = static_cast<int16_t>(static_cast<int>(rng() % (2 * range + 1)) - range);
        if (iter % 9 == 0) blk.mvX = static_cast<int16_t>(blk.mvX & ~3);
        blk.refPicture = 1;
        blk.lumaWindow = 4 * shape + H264McLumaClass[4 * (blk.mvX & 3) + (blk.mvY & 3)];
        blk.chromaWindow = 4 * shape;
        blk.srcY = scratchY;
        blk.srcCb = scratchCb;
        blk.srcCr = scratchCr;
        H264McFetchReference(&blk, &frame);
        ASSERT_EQ(blk.chromaWindow, 4 * shape + (blk.fracCx ? 1 : 0) + (blk.fracCy ? 2 : 0));
        Tile(d, blk, s, predY, predCb, predCr);

        const int xf = blk.mvX & 3, yf = blk.mvY & 3;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= s.px && x < s.px + s.w && y >= s.py && y < s.py + s.h;
                const int want = inside ? RefLuma(pic, 16 * frame.mbX + x + (blk.mvX >> 2), 16 * frame.mbY + y + (blk.mvY >> 2), xf, yf) : 0xEE;
                ASSERT_EQ(predY[Q(x, y)], want) << "iter " << iter << " shape " << shape << " mv " << blk.mvX << ","
                                                << blk.mvY << " at " << x << "," << y;
            }
        const int fx = blk.mvX & 7, fy = blk.mvY & 7;
        for (int k = 0; k < 2; ++k) {
            const std::vector<uint8_t>& plane = k ? pic.cr : pic.cb;
            const uint8_t* got = k ? predCr : predCb;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const bool inside = x >= s.px / 2 && x < (s.px + s.w) / 2 && y >= s.py / 2 && y < (s.py + s.h) / 2;
                    int want = 0xEE;
                    if (inside) {
                        const int xi = 8 * frame.mbX + x + (blk.mvX >> 3), yi = 8 * frame.mbY + y + (blk.mvY >> 3);
                        const int A = pic.C(plane, xi, yi), B = pic.C(plane, xi + 1, yi);
                        const int C = pic.C(plane, xi, yi + 1), D = pic.C(plane, xi + 1, yi + 1);
                        want = ((8 - fx) * (8 - fy) * A + fx * (8 - fy) * B + (8 - fx) * fy * C + fx * fy * D + 32) >> 6;
                    }
                    ASSERT_EQ(got[8 * y + x], want) << "iter " << iter << " comp " << k << " shape " << shape << " at "
                                                    << x << "," << y;
                }
        }
    }
}

TEST(DspMc, PartitionsMatchStandardInterpolation) {
    Sets sets;
    RunCases(&sets.plain, 64, 48, 4000, 11);
    RunCases(&sets.simd, 64, 48, 4000, 11);
}

// Pictures narrower or shorter than a window: both opposite sides clamp.
TEST(DspMc, PictureSmallerThanWindow) {
    Sets sets;
    RunCases(&sets.plain, 16, 16, 1500, 12);
    RunCases(&sets.simd, 16, 16, 1500, 12);
}

TEST(DspMc, FullSampleInsideReadsPlaneInPlace) {
    RefPicture pic(64, 48);
    uint8_t* py[1] = {pic.y.data()};
    uint8_t* pcb[1] = {pic.cb.data()};
    uint8_t* pcr[1] = {pic.cr.data()};
    H264McFrame frame{py, pcb, pcr, 64, 48, 64, 1, 1};
    alignas(16) uint8_t sy[22 * 24], sc[10 * 24], sr[10 * 24];
    H264McBlock blk{};
    blk.srcY = sy;
    blk.srcCb = sc;
    blk.srcCr = sr;
    blk.mvX = 8;
    blk.mvY = -16;
    blk.refPicture = 0;
    blk.lumaWindow = 0;
    blk.chromaWindow = 0;
    H264McFetchReference(&blk, &frame);
    EXPECT_EQ(blk.srcY, pic.y.data() + (16 - 4) * 64 + 16 + 2);
    EXPECT_EQ(blk.strideY, 64);
    EXPECT_EQ(blk.srcCb, pic.cb.data() + (8 - 2) * 32 + 8 + 1);
    EXPECT_EQ(blk.strideC, 32);

    // A window starting at x = -2 is copied with columns -2, -1 = column 0.
    frame.mbX = 0;
    blk.srcY = sy;
    blk.srcCb = sc;
    blk.srcCr = sr;
    blk.mvX = 2;
    blk.mvY = 0;
    blk.lumaWindow = 4 * H264_MC_SHAPE_16x16 + 1;
    blk.chromaWindow = 0;
    for (size_t i = 0; i < pic.y.size(); ++i) pic.y[i] = static_cast<uint8_t>(i * 13);
    H264McFetchReference(&blk, &frame);
    EXPECT_EQ(blk.srcY, sy);
    EXPECT_EQ(blk.strideY, 24);
    for (int r = 0; r < 16; ++r) {
        const uint8_t first = pic.y[(16 + r) * 64];
        EXPECT_EQ(sy[24 * r], first);
        EXPECT_EQ(sy[24 * r + 1], first);
        EXPECT_EQ(sy[24 * r + 2], first);
        EXPECT_EQ(sy[24 * r + 3], pic.y[(16 + r) * 64 + 1]);
    }
    EXPECT_EQ(blk.chromaWindow, 2 * 0 + 1);  // fracCx 2, fracCy 0
}

}  // namespace
