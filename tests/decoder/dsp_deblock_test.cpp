// Deblocking: the per-macroblock pass (gather, transpose, filter, scatter,
// store) against the standard's filter (8.7) applied to a raster picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "h264_dsp.h"

namespace {

const int kAlpha[52] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 4, 5, 6, 7, 8, 9, 10, 12, 13,
                        15, 17, 20, 22, 25, 28, 32, 36, 40, 45, 50, 56, 63, 71, 80, 90, 101, 113, 127, 144, 162, 182, 203, 226, 255, 255};
const int kBeta[52] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4,
                       6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14, 15, 15, 16, 16, 17, 17, 18, 18};
// Table 8-17, bS = 1, 2, 3 by indexA.
const int kTc0[52][3] = {
    {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0},
    {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 1},
    {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 1, 1}, {0, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1},
    {1, 1, 2}, {1, 1, 2}, {1, 1, 2}, {1, 1, 2}, {1, 2, 3}, {1, 2, 3}, {2, 2, 3}, {2, 2, 4}, {2, 3, 4},
    {2, 3, 4}, {3, 3, 5}, {3, 4, 6}, {3, 4, 6}, {4, 5, 7}, {4, 5, 8}, {4, 6, 9}, {5, 7, 10}, {6, 8, 11},
    {6, 8, 13}, {7, 10, 14}, {8, 11, 16}, {9, 12, 18}, {10, 13, 20}, {11, 15, 23}, {13, 17, 25}};

int Clip3(int lo, int hi, int v) { return v < lo ? lo : v > hi ? hi : v; }

// One line of samples across an edge: p[i] = *(base - (i + 1) * step),
// q[i] = *(base + i * step). 8.7.2.3 / 8.7.2.4.
void RefFilterLine(uint8_t* base, int step, bool chroma, int bS, int qPp, int qPq, int offA, int offB) {
    if (bS == 0) return;
    int p[4], q[4];
    const int n = chroma ? 2 : 4;
    for (int i = 0; i < n; ++i) {
        p[i] = base[-(i + 1) * step];
        q[i] = base[i * step];
    }
    const int qPav = (qPp + qPq + 1) >> 1;
    const int indexA = Clip3(0, 51, qPav + offA), indexB = Clip3(0, 51, qPav + offB);
    const int alpha = kAlpha[indexA], beta = kBeta[indexB];
    if (!(std::abs(p[0] - q[0]) < alpha && std::abs(p[1] - p[0]) < beta && std::abs(q[1] - q[0]) < beta)) return;
    int pf[3] = {p[0], p[1], chroma ? 0 : p[2]}, qf[3] = {q[0], q[1], chroma ? 0 : q[2]};
    if (bS < 4) {
        const int tc0 = kTc0[indexA][bS - 1];
        const int ap = chroma ? beta : std::abs(p[2] - p[0]), aq = chroma ? beta : std::abs(q[2] - q[0]);
        const int tc = chroma ? tc0 + 1 : tc0 + (ap < beta ? 1 : 0) + (aq < beta ? 1 : 0);
        const int delta = Clip3(-tc, tc, ((q[0] - p[0]) * 4 + (p[1] - q[1]) + 4) >> 3);
        pf[0] = Clip3(0, 255, p[0] + delta);
        qf[0] = Clip3(0, 255, q[0] - delta);
        if (!chroma && ap < beta) pf[1] = p[1] + Clip3(-tc0, tc0, (p[2] + ((p[0] + q[0] + 1) >> 1) - 2 * p[1]) >> 1);
        if (!chroma && aq < beta) qf[1] = q[1] + Clip3(-tc0, tc0, (q[2] + ((p[0] + q[0] + 1) >> 1) - 2 * q[1]) >> 1);
    } else if (chroma) {
        pf[0] = (2 * p[1] + p[0] + q[1] + 2) >> 2;
        qf[0] = (2 * q[1] + q[0] + p[1] + 2) >> 2;
    } else {
        const int ap = std::abs(p[2] - p[0]), aq = std::abs(q[2] - q[0]);
        const bool small = std::abs(p[0] - q[0]) < ((alpha >> 2) + 2);
        if (ap < beta && small) {
            pf[0] = (p[2] + 2 * p[1] + 2 * p[0] + 2 * q[0] + q[1] + 4) >> 3;
            pf[1] = (p[2] + p[1] + p[0] + q[0] + 2) >> 2;
            pf[2] = (2 * p[3] + 3 * p[2] + p[1] + p[0] + q[0] + 4) >> 3;
        } else {
            pf[0] = (2 * p[1] + p[0] + q[1] + 2) >> 2;
        }
        if (aq < beta && small) {
            qf[0] = (p[1] + 2 * p[0] + 2 * q[0] + 2 * q[1] + q[2] + 4) >> 3;
            qf[1] = (p[0] + q[0] + q[1] + q[2] + 2) >> 2;
            qf[2] = (2 * q[3] + 3 * q[2] + q[1] + q[0] + p[0] + 4) >> 3;
        } else {
            qf[0] = (2 * q[1] + q[0] + p[1] + 2) >> 2;
        }
    }
    for (int i = 0; i < (chroma ? 1 : 3); ++i) {
        base[-(i + 1) * step] = static_cast<uint8_t>(pf[i]);
        base[i * step] = static_cast<uint8_t>(qf[i]);
    }
}

struct Picture {
    int w = 48, h = 48;
    std::vector<uint8_t> y, cb, cr;
    Picture() : y(48 * 48), cb(24 * 24), cr(24 * 24) {}
};

struct Case {
    uint8_t bS[40];
    int qp, qpc, qpL, qpcL, qpT, qpcT, offA, offB;
};

// 8.7: luma vertical edges, luma horizontal edges, then chroma, for the
// macroblock at (1, 1) of a 3x3-macroblock picture.
void RefDeblock(Picture& pic, const Case& c) {
    const int x0 = 16, y0 = 16;
    for (int e = 0; e < 4; ++e)
        for (int row = 0; row < 16; ++row) {
            const int bs = e == 0 ? c.bS[row / 4] : c.bS[16 + 4 * (e - 1) + row / 4];
            const int qpp = e == 0 ? c.qpL : c.qp;
            RefFilterLine(&pic.y[(y0 + row) * 48 + x0 + 4 * e], 1, false, bs, qpp, c.qp, c.offA, c.offB);
        }
    for (int e = 0; e < 4; ++e)
        for (int col = 0; col < 16; ++col) {
            const int bs = e == 0 ? c.bS[8 + col / 4] : c.bS[28 + 4 * (e - 1) + col / 4];
            const int qpp = e == 0 ? c.qpT : c.qp;
            RefFilterLine(&pic.y[(y0 + 4 * e) * 48 + x0 + col], 48, false, bs, qpp, c.qp, c.offA, c.offB);
        }
    for (auto* plane : {&pic.cb, &pic.cr}) {
        for (int e = 0; e < 2; ++e)
            for (int row = 0; row < 8; ++row) {
                const int bs = e == 0 ? c.bS[row / 2] : c.bS[20 + row / 2];
                RefFilterLine(&(*plane)[(8 + row) * 24 + 8 + 4 * e], 1, true, bs, e ? c.qpc : c.qpcL, c.qpc, c.offA, c.offB);
            }
        for (int e = 0; e < 2; ++e)
            for (int col = 0; col < 8; ++col) {
                const int bs = e == 0 ? c.bS[8 + col / 2] : c.bS[32 + col / 2];
                RefFilterLine(&(*plane)[(8 + 4 * e) * 24 + 8 + col], 24, true, bs, e ? c.qpc : c.qpcT, c.qpc, c.offA, c.offB);
            }
    }
}

void RunKernelPass(const H264DspTable* d, Picture& pic, const Case& c) {
    alignas(16) uint8_t predY[320], predCb[96], predCr[96];
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) predY[64 * (2 * (y / 8) + x / 8) + 8 * (y % 8) + x % 8] = pic.y[(16 + y) * 48 + 16 + x];
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            predCb[8 * y + x] = pic.cb[(8 + y) * 24 + 8 + x];
            predCr[8 * y + x] = pic.cr[(8 + y) * 24 + 8 + x];
        }
    // The store must write every sample: poison the macroblock in the picture.
    for (int y = 0; y < 16; ++y) std::memset(&pic.y[(16 + y) * 48 + 16], 0x5A, 16);
    for (int y = 0; y < 8; ++y) {
        std::memset(&pic.cb[(8 + y) * 24 + 8], 0x5A, 8);
        std::memset(&pic.cr[(8 + y) * 24 + 8], 0x5A, 8);
    }
    H264DeblockParams p{};
    p.dsp = d;
    p.planeY = pic.y.data();
    p.planeCb = pic.cb.data();
    p.planeCr = pic.cr.data();
    p.strideY = 48;
    p.mbX = 1;
    p.mbY = 1;
    p.bS = c.bS;
    p.predY = predY;
    p.predCb = predCb;
    p.predCr = predCr;
    p.qp = c.qp;
    p.qpc = c.qpc;
    p.qpLeft = c.qpL;
    p.qpcLeft = c.qpcL;
    p.qpTop = c.qpT;
    p.qpcTop = c.qpcT;
    p.filterOffsetA = c.offA;
    p.filterOffsetB = c.offB;
    H264DeblockMacroblock(&p);
}

// Smooth content with small steps, so that most edges pass the filter tests.
void FillPicture(std::mt19937& rng, Picture& pic, int flavour) {
    auto fill = [&](std::vector<uint8_t>& v) {
        int base = static_cast<int>(rng() % 256);
        for (auto& s : v) {
            if (flavour == 0) {
                base = Clip3(0, 255, base + static_cast<int>(rng() % 9) - 4);
                s = static_cast<uint8_t>(base);
            } else if (flavour == 1) {
                s = static_cast<uint8_t>(rng() & 255);
            } else if (flavour == 2) {
                s = static_cast<uint8_t>((rng() & 1) ? 255 : 0);
            } else {
                s = static_cast<uint8_t>(Clip3(0, 255, (flavour == 3 ? 250 : 2) + static_cast<int>(rng() % 9) - 4));
            }
        }
    };
    fill(pic.y);
    fill(pic.cb);
    fill(pic.cr);
}

void RandomCase(std::mt19937& rng, Case& c) {
    std::memset(c.bS, 0, sizeof c.bS);
    const bool intraLeft = rng() % 4 == 0, intraTop = rng() % 4 == 0;
    for (int i = 0; i < 4; ++i) {
        c.bS[i] = static_cast<uint8_t>(intraLeft ? 4 : rng() % 4);
        c.bS[8 + i] = static_cast<uint8_t>(intraTop ? 4 : rng() % 4);
    }
    for (int i = 16; i < 40; ++i) c.bS[i] = static_cast<uint8_t>(rng() % 4);
    if (rng() % 5 == 0) std::memset(c.bS + 16, 3, 24);
    auto qp = [&]() { return static_cast<int>(rng() % 52); };
    c.qp = qp();
    c.qpc = qp();
    c.qpL = qp();
    c.qpcL = qp();
    c.qpT = qp();
    c.qpcT = qp();
    if (rng() % 2) {  // typical: high QPs so that the filter is active
        c.qp = 30 + static_cast<int>(rng() % 22);
        c.qpL = c.qpT = c.qp;
        c.qpc = c.qpcL = c.qpcT = c.qp - 2;
    }
    c.offA = 2 * (static_cast<int>(rng() % 13) - 6);
    c.offB = 2 * (static_cast<int>(rng() % 13) - 6);
}

struct Sets {
    H264DspTable plain, simd;
    Sets() {
        H264DspInitPlain(&plain);
        H264DspInitSimd(&simd);
    }
};

TEST(DspDeblock, MacroblockPassMatchesStandard) {
    Sets sets;
    std::mt19937 rng(777);
    int changed = 0;
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        for (int iter = 0; iter < 3000; ++iter) {
            Picture pic;
            FillPicture(rng, pic, iter % 5);
            Case c;
            RandomCase(rng, c);
            Picture ref = pic;
            RefDeblock(ref, c);
            Picture orig = pic;
            RunKernelPass(d, pic, c);
            ASSERT_EQ(pic.y, ref.y) << "iter " << iter;
            ASSERT_EQ(pic.cb, ref.cb) << "iter " << iter;
            ASSERT_EQ(pic.cr, ref.cr) << "iter " << iter;
            changed += pic.y != orig.y;
        }
    }
    EXPECT_GT(changed, 3000) << "the cases must exercise the filters";
}

TEST(DspDeblock, EdgeCases) {
    Sets sets;
    std::mt19937 rng(5);
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        // All strengths 0: stored unchanged.
        Picture pic;
        FillPicture(rng, pic, 0);
        Case c{};
        c.qp = c.qpc = c.qpL = c.qpcL = c.qpT = c.qpcT = 51;
        Picture orig = pic;
        RunKernelPass(d, pic, c);
        EXPECT_EQ(pic.y, orig.y);
        EXPECT_EQ(pic.cb, orig.cb);

        // Left edge bS 4 with a hard step: p3 (column 12) never changes, p2..p0 may.
        Picture step;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) step.y[y * 48 + x] = static_cast<uint8_t>(x < 16 ? 100 : 110);
        Case s{};
        s.qp = s.qpL = s.qpT = 40;
        s.qpc = s.qpcL = s.qpcT = 38;
        for (int i = 0; i < 4; ++i) s.bS[i] = 4;
        Picture before = step;
        RunKernelPass(d, step, s);
        for (int y = 16; y < 32; ++y) {
            EXPECT_EQ(step.y[y * 48 + 12], before.y[y * 48 + 12]);
            EXPECT_NE(step.y[y * 48 + 13], before.y[y * 48 + 13]);
        }

        // bS 2 on the first two top segments only: changes stay in columns 16..23.
        Picture top;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) top.y[y * 48 + x] = static_cast<uint8_t>(y < 16 ? 100 : 106);
        Case t{};
        t.qp = t.qpL = t.qpT = 45;
        t.qpc = t.qpcL = t.qpcT = 40;
        t.bS[8] = t.bS[9] = 2;
        Picture tb = top;
        RunKernelPass(d, top, t);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
                if (x < 16 || x >= 24) { ASSERT_EQ(top.y[y * 48 + x], tb.y[y * 48 + x]) << x << "," << y; }
        EXPECT_NE(top.y[15 * 48 + 16], tb.y[15 * 48 + 16]);
        for (int x = 0; x < 48; ++x) EXPECT_EQ(top.y[12 * 48 + x], tb.y[12 * 48 + x]) << "p3 row";

        // qP 0 with negative offsets: alpha 0, nothing filtered.
        Picture z;
        FillPicture(rng, z, 1);
        Case zc{};
        std::memset(zc.bS, 3, sizeof zc.bS);
        zc.bS[0] = zc.bS[1] = zc.bS[2] = zc.bS[3] = 4;
        zc.offA = zc.offB = -12;
        Picture zb = z;
        RunKernelPass(d, z, zc);
        EXPECT_EQ(z.y, zb.y);
        EXPECT_EQ(z.cr, zb.cr);
    }
}

// |p0 - q0| equal to alpha is not filtered; one less is.
TEST(DspDeblock, AlphaBoundary) {
    Sets sets;
    for (const H264DspTable* d : {&sets.plain, &sets.simd}) {
        for (int diff : {40, 39}) {
            alignas(16) uint8_t p[32], q[32];
            std::memset(p, 100, sizeof p);
            std::memset(q, static_cast<uint8_t>(100 + diff), sizeof q);
            d->dbLumaNormal(p, q, 0x28282828u, 18, 0x05050505u);
            EXPECT_EQ(p[24] != 100, diff == 39) << diff;
            std::memset(p, 100, sizeof p);
            std::memset(q, static_cast<uint8_t>(100 + diff), sizeof q);
            d->dbLumaStrong(p, q, 40, 18);
            EXPECT_EQ(p[24] != 100, diff == 39) << diff;
        }
    }
}

}  // namespace
