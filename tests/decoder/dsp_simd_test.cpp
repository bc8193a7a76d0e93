// SIMD set against plain set, slot by slot, on random and extreme inputs
// (including input no conforming stream produces): the two sets must give
// the same bytes everywhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "h264_dsp.h"

namespace {

struct Sets {
    H264DspTable plain, simd;
    Sets() {
        H264DspInitPlain(&plain);
        H264DspInitSimd(&simd);
    }
};

uint8_t Byte(std::mt19937& rng, int flavour) {
    switch (flavour) {
        case 0: return 0;
        case 1: return 255;
        case 2: return (rng() & 1) ? 255 : 0;
        case 3: return static_cast<uint8_t>(120 + rng() % 16);  // smooth: filters active
        default: return static_cast<uint8_t>(rng());
    }
}

int16_t Coef(std::mt19937& rng, int flavour) {
    switch (flavour) {
        case 0: return 32767;
        case 1: return -32768;
        case 2: return (rng() & 1) ? 32767 : -32768;
        case 3: return static_cast<int16_t>(static_cast<int>(rng() % 513) - 256);
        default: return static_cast<int16_t>(rng());
    }
}

TEST(DspSimd, SlotsAreFilled) {
    Sets s;
    for (const H264DspTable* d : {&s.plain, &s.simd}) {
        EXPECT_NE(d->inverseTransform4x4, nullptr);
        EXPECT_NE(d->innerEdgeStrengthFromCoeffs, nullptr);
        EXPECT_NE(d->dbLumaNormal, nullptr);
        EXPECT_NE(d->dbLumaNormal16, nullptr);
        EXPECT_NE(d->mbStoreChroma, nullptr);
        EXPECT_NE(d->mbRightColumn, nullptr);
        EXPECT_EQ(d->dbLumaNormalMixed, nullptr);
        for (int m = 0; m < 9; ++m) EXPECT_NE(d->intra4x4Pred[m], nullptr);
        for (int i = 0; i < 16; ++i) {
            EXPECT_NE(d->lumaMc4x4[i], nullptr);
            EXPECT_NE(d->lumaMc4x8[i], nullptr);
            EXPECT_NE(d->lumaMc8x16[i], nullptr);
            EXPECT_NE(d->lumaMc8x8[i], nullptr);
        }
        for (int i = 0; i < 4; ++i) EXPECT_NE(d->chromaMc8x8[i], nullptr);
        EXPECT_NE(d->interReconstruct[1], nullptr);
        EXPECT_NE(d->interReconstruct[5], nullptr);
    }
    H264DspTable byLevel;
    H264DecInitDspFunctions(&byLevel, 3);
    EXPECT_EQ(std::memcmp(&byLevel, &s.plain, sizeof byLevel), 0);
    H264DecInitDspFunctions(&byLevel, 4);
    EXPECT_EQ(std::memcmp(&byLevel, &s.simd, sizeof byLevel), 0);
}

TEST(DspSimd, TransformAnyInput) {
    Sets s;
    std::mt19937 rng(1);
    for (int iter = 0; iter < 20000; ++iter) {
        int16_t c[16];
        for (auto& v : c) v = Coef(rng, iter % 5);
        int16_t a[32], b[32];
        std::memset(a, 0x11, sizeof a);
        std::memset(b, 0x11, sizeof b);
        s.plain.inverseTransform4x4(c, a);
        s.simd.inverseTransform4x4(c, b);
        ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << iter;
    }
}

// Coefficients at the ends of the range the SIMD set takes in 16-bit lanes
// (-2048..2047: every sign pattern of the extremes gives the largest sums)
// and just past it, one at every position.
TEST(DspSimd, TransformAtTheNarrowLaneLimits) {
    Sets s;
    std::mt19937 rng(3);
    static const int16_t kEnds[] = {-2048, 2047};
    static const int16_t kPast[] = {-2049, 2048, -32768, 32767};
    for (int iter = 0; iter < 40000; ++iter) {
        int16_t c[16];
        for (auto& v : c) v = iter % 4 == 3 ? static_cast<int16_t>(int(rng() % 4095) - 2047) : kEnds[rng() & 1];
        if (iter % 5 == 4) c[iter / 5 % 16] = kPast[rng() % 4];
        if (iter % 7 == 6)  // wider blocks whose sums would leave 16 bits
            for (auto& v : c) v = static_cast<int16_t>(kEnds[rng() & 1] * (3 + int(rng() % 2)) / 2);
        int16_t a[32], b[32];
        std::memset(a, 0x11, sizeof a);
        std::memset(b, 0x11, sizeof b);
        s.plain.inverseTransform4x4(c, a);
        s.simd.inverseTransform4x4(c, b);
        ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << iter;
    }
}

TEST(DspSimd, EdgeStrengths) {
    Sets s;
    std::mt19937 rng(2);
    for (int iter = 0; iter < 2000; ++iter) {
        uint8_t f[16], a[40], b[40];
        for (auto& v : f) v = static_cast<uint8_t>(rng() % 3 ? 0 : rng());
        for (int i = 0; i < 40; ++i) a[i] = b[i] = static_cast<uint8_t>(rng());
        s.plain.innerEdgeStrengthFromCoeffs(f, a);
        s.simd.innerEdgeStrengthFromCoeffs(f, b);
        ASSERT_EQ(std::memcmp(a, b, 40), 0);
        s.plain.clearInnerEdgeStrength(a);
        s.simd.clearInnerEdgeStrength(b);
        ASSERT_EQ(std::memcmp(a, b, 40), 0);
    }
}

TEST(DspSimd, DeblockKernels) {
    Sets s;
    std::mt19937 rng(3);
    for (int iter = 0; iter < 40000; ++iter) {
        const int fl = iter % 5;
        alignas(16) uint8_t pa[64], qa[64], pb[64], qb[64], ca[4][32], cb[4][32];
        for (int i = 0; i < 64; ++i) {
            pa[i] = pb[i] = Byte(rng, fl);
            qa[i] = qb[i] = Byte(rng, fl == 3 ? 3 : (rng() & 1 ? fl : 4));
        }
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < 32; ++i) ca[k][i] = cb[k][i] = Byte(rng, fl);
        const uint32_t alpha4 = iter % 7 == 0 ? rng() : 0x01010101u * (rng() % 256);
        const int beta = static_cast<int>(rng() % 256);
        const uint32_t tc0 = iter % 3 == 0 ? rng() : 0x01010101u * (rng() % 26);
        const int alpha = static_cast<int>(rng() % 256);
        switch (iter % 5) {
            case 0:
                s.plain.dbLumaNormal(pa, qa, alpha4, beta, tc0);
                s.simd.dbLumaNormal(pb, qb, alpha4, beta, tc0);
                break;
            case 1:
                s.plain.dbLumaStrong(pa, qa, alpha, beta);
                s.simd.dbLumaStrong(pb, qb, alpha, beta);
                break;
            case 2: {
                const int qs = (rng() & 1) ? 8 : 16;
                s.plain.dbChromaNormal(ca[0], ca[1], ca[2], ca[3], alpha4, beta, tc0, qs);
                s.simd.dbChromaNormal(cb[0], cb[1], cb[2], cb[3], alpha4, beta, tc0, qs);
                break;
            }
            case 3:
                s.plain.dbChromaStrong(ca[0], ca[1], ca[2], ca[3], alpha, beta);
                s.simd.dbChromaStrong(cb[0], cb[1], cb[2], cb[3], alpha, beta);
                break;
            default:
                s.plain.dbTranspose8x8(pa);
                s.simd.dbTranspose8x8(pb);
        }
        ASSERT_EQ(std::memcmp(pa, pb, 64), 0) << iter;
        ASSERT_EQ(std::memcmp(qa, qb, 64), 0) << iter;
        ASSERT_EQ(std::memcmp(ca, cb, sizeof ca), 0) << iter;
    }
}

// The whole-edge luma kernel: four segments with their own alpha and tc0
// (any bytes, beyond what the tables give), both halves at separate places.
TEST(DspSimd, WholeEdgeLumaKernel) {
    Sets s;
    std::mt19937 rng(33);
    for (int iter = 0; iter < 40000; ++iter) {
        const int fl = iter % 5;
        alignas(16) uint8_t a[4][32], b[4][32];
        for (int k = 0; k < 4; ++k)
            for (int i = 0; i < 32; ++i) a[k][i] = b[k][i] = Byte(rng, k < 2 ? fl : (rng() & 1 ? fl : 3));
        const uint32_t alpha4 = iter % 7 == 0 ? rng() : 0x01010101u * (rng() % 256) & (rng() % 4 ? ~0u : rng());
        const int beta = static_cast<int>(rng() % 256);
        const uint32_t tc0 = iter % 3 == 0 ? rng() : 0x01010101u * (rng() % 26);
        s.plain.dbLumaNormal16(a[0], a[1], a[2], a[3], alpha4, beta, tc0);
        s.simd.dbLumaNormal16(b[0], b[1], b[2], b[3], alpha4, beta, tc0);
        ASSERT_EQ(std::memcmp(a, b, sizeof a), 0) << iter;
    }
}

TEST(DspSimd, GatherScatterStore) {
    Sets s;
    std::mt19937 rng(4);
    const int stride = 40;
    for (int iter = 0; iter < 500; ++iter) {
        std::vector<uint8_t> pa(stride * 24), pb;
        for (auto& v : pa) v = static_cast<uint8_t>(rng());
        pb = pa;
        alignas(16) uint8_t ba[64], bb[64], la[32], ra[32], lb[32], rb[32];
        s.plain.dbGatherLeft(ba, &pa[4 * stride + 3], &pa[12 * stride + 3], stride);
        s.simd.dbGatherLeft(bb, &pb[4 * stride + 3], &pb[12 * stride + 3], stride);
        ASSERT_EQ(std::memcmp(ba, bb, 64), 0);
        for (int i = 0; i < 64; ++i) ba[i] = bb[i] = static_cast<uint8_t>(rng());
        s.plain.dbScatterLeft(ba, &pa[4 * stride + 3], &pa[12 * stride + 3], stride);
        s.simd.dbScatterLeft(bb, &pb[4 * stride + 3], &pb[12 * stride + 3], stride);
        ASSERT_EQ(pa, pb);
        s.plain.dbGatherTop(la, ra, &pa[2 * stride + 5], stride);
        s.simd.dbGatherTop(lb, rb, &pb[2 * stride + 5], stride);
        ASSERT_EQ(std::memcmp(la, lb, 32), 0);
        ASSERT_EQ(std::memcmp(ra, rb, 32), 0);
        for (int i = 0; i < 32; ++i) la[i] = lb[i] = static_cast<uint8_t>(rng()), ra[i] = rb[i] = static_cast<uint8_t>(rng());
        s.plain.dbScatterTop(&pa[2 * stride + 5], stride, la, ra);
        s.simd.dbScatterTop(&pb[2 * stride + 5], stride, lb, rb);
        ASSERT_EQ(pa, pb);
        s.plain.dbGatherTopChroma(ba, &pa[7], stride);
        s.simd.dbGatherTopChroma(bb, &pb[7], stride);
        ASSERT_EQ(std::memcmp(ba, bb, 16), 0);
        s.plain.dbStoreRow8(&pa[9 * stride + 1], ba + 8);
        s.simd.dbStoreRow8(&pb[9 * stride + 1], bb + 8);
        ASSERT_EQ(pa, pb);
        alignas(16) uint8_t y[256], c0[64], c1[64];
        for (auto& v : y) v = static_cast<uint8_t>(rng());
        for (int i = 0; i < 64; ++i) c0[i] = static_cast<uint8_t>(rng()), c1[i] = static_cast<uint8_t>(rng());
        s.plain.mbStoreLuma(&pa[2 + stride * 3], stride, y);
        s.simd.mbStoreLuma(&pb[2 + stride * 3], stride, y);
        s.plain.mbStoreChroma(&pa[20 + stride * 3], &pa[25], stride, c0, c1);
        s.simd.mbStoreChroma(&pb[20 + stride * 3], &pb[25], stride, c0, c1);
        ASSERT_EQ(pa, pb);
        uint8_t colA[32], colB[32];
        std::memset(colA, 0x5A, sizeof colA);
        std::memset(colB, 0x5A, sizeof colB);
        s.plain.mbRightColumn(colA, colA + 16, colA + 24, y, c0, c1);
        s.simd.mbRightColumn(colB, colB + 16, colB + 24, y, c0, c1);
        ASSERT_EQ(std::memcmp(colA, colB, sizeof colA), 0) << iter;
    }
}

TEST(DspSimd, IntraKernels) {
    Sets s;
    std::mt19937 rng(5);
    for (int iter = 0; iter < 6000; ++iter) {
        const int fl = iter % 5;
        alignas(16) uint8_t la[320], lb[320], ca[2][96], cb[2][96];
        for (int i = 0; i < 320; ++i) la[i] = Byte(rng, fl);
        for (int i = 292; i < 298; ++i) la[i] = static_cast<uint8_t>(rng() & 1);
        la[298] = 1;
        std::memcpy(lb, la, sizeof la);
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < 96; ++i) ca[k][i] = cb[k][i] = Byte(rng, fl);
        alignas(16) int16_t coef[256], cc[2][64];
        for (auto& v : coef) v = Coef(rng, (iter / 5) % 5);
        for (auto& r : cc)
            for (auto& v : r) v = Coef(rng, (iter / 5) % 5);
        const int mode = static_cast<int>(rng() % 4);
        s.plain.intra16x16Pred[mode](la, coef);
        s.simd.intra16x16Pred[mode](lb, coef);
        ASSERT_EQ(std::memcmp(la, lb, sizeof la), 0) << iter << " 16x16 mode " << mode;
        const int ccbp = static_cast<int>(rng() % 3);
        s.plain.intraChromaPred[mode](la, ca[0], ca[1], cc[0], cc[1], ccbp);
        s.simd.intraChromaPred[mode](lb, cb[0], cb[1], cc[0], cc[1], ccbp);
        ASSERT_EQ(std::memcmp(ca, cb, sizeof ca), 0) << iter << " chroma mode " << mode;
        const int m4 = static_cast<int>(rng() % 9), b = static_cast<int>(rng() % 16), cbp = static_cast<int>(rng() % 16);
        s.plain.intra4x4Pred[m4](b, la, coef, cbp);
        s.simd.intra4x4Pred[m4](b, lb, coef, cbp);
        ASSERT_EQ(std::memcmp(la, lb, sizeof la), 0) << iter << " 4x4 mode " << m4;
    }
}

TEST(DspSimd, MotionKernelsEveryPosition) {
    Sets s;
    std::mt19937 rng(6);
    // Source windows sized exactly (no slack after the last sample), so an
    // over-read shows under the address sanitizer.
    for (int iter = 0; iter < 6000; ++iter) {
        const int fl = iter % 5;
        const int stride = 24 + static_cast<int>(rng() % 3) * 8;
        std::vector<uint8_t> src(static_cast<size_t>(stride) * 20 + 13);
        for (auto& v : src) v = Byte(rng, fl);
        const int pos = static_cast<int>(rng() % 16);
        alignas(16) uint8_t da[256], db[256], ea[2][64], eb[2][64];
        std::memset(da, 0, sizeof da);
        std::memset(db, 0, sizeof db);
        H264McBlock a{}, b{};
        a.srcY = src.data();
        a.strideY = stride;
        a.dstY = da;
        b = a;
        b.dstY = db;
        const int shape = static_cast<int>(rng() % 4);  // 4x4, 4x8, 8x16, 8x8
        const H264LumaMcFn* const tables[2][4] = {{s.plain.lumaMc4x4, s.plain.lumaMc4x8, s.plain.lumaMc8x16, s.plain.lumaMc8x8},
                                                  {s.simd.lumaMc4x4, s.simd.lumaMc4x8, s.simd.lumaMc8x16, s.simd.lumaMc8x8}};
        const H264LumaMcFn* ta = tables[0][shape];
        const H264LumaMcFn* tb = tables[1][shape];
        // Place the window so that its last row ends at the buffer's end.
        const int w = (shape >= 2 ? 8 : 4) + ((pos >> 2) ? 5 : 0);
        const int h = (shape == 0 ? 4 : shape == 2 ? 16 : 8) + ((pos & 3) ? 5 : 0);
        const size_t start = src.size() - static_cast<size_t>((h - 1) * stride + w);
        a.srcY = b.srcY = src.data() + start;
        ta[pos](&a);
        tb[pos](&b);
        ASSERT_EQ(std::memcmp(da, db, sizeof da), 0) << iter << " shape " << shape << " pos " << pos;

        // Chroma: every fraction pair, the three block sizes and the 2x2 table.
        std::vector<uint8_t> cs0(static_cast<size_t>(stride) * 8 + 9), cs1(cs0.size());
        for (auto& v : cs0) v = Byte(rng, fl);
        for (auto& v : cs1) v = Byte(rng, fl);
        H264McBlock c{};
        c.fracCx = static_cast<int16_t>(rng() % 8);
        c.fracCy = static_cast<int16_t>(rng() % 8);
        const int cls = (c.fracCx ? 1 : 0) + (c.fracCy ? 2 : 0);
        const int big = static_cast<int>(rng() % 3);  // 4x2, 8x4, 8x8
        const int cw = (big ? 8 : 4) + (c.fracCx ? 1 : 0), ch = 2 * (1 << big) + (c.fracCy ? 1 : 0);
        const size_t cstart = cs0.size() - static_cast<size_t>((ch - 1) * stride + cw);
        c.srcCb = cs0.data() + cstart;
        c.srcCr = cs1.data() + cstart;
        c.strideC = stride;
        std::memset(ea, 0, sizeof ea);
        std::memset(eb, 0, sizeof eb);
        H264McBlock ca = c, cb = c;
        ca.dstCb = ea[0];
        ca.dstCr = ea[1];
        cb.dstCb = eb[0];
        cb.dstCr = eb[1];
        (big == 2 ? s.plain.chromaMc8x8 : big ? s.plain.chromaMc8x4 : s.plain.chromaMc4x2)[cls](&ca);
        (big == 2 ? s.simd.chromaMc8x8 : big ? s.simd.chromaMc8x4 : s.simd.chromaMc4x2)[cls](&cb);
        ASSERT_EQ(std::memcmp(ea, eb, sizeof ea), 0) << iter << " chroma " << c.fracCx << "," << c.fracCy;
    }
}

// Rows whose six-tap sums reach their extremes (10710 and -2550) at every
// sixth position, stacked at random: the centre positions' vertical pass
// meets sums that do not fit 16 bits when added plainly.
TEST(DspSimd, MotionCentreExtremeSums) {
    Sets s;
    std::mt19937 rng(11);
    const int stride = 32;
    for (int iter = 0; iter < 3000; ++iter) {
        std::vector<uint8_t> src(static_cast<size_t>(stride) * 21);
        for (int y = 0; y < 21; ++y) {
            const bool high = rng() & 1;
            const int phase = static_cast<int>(rng() % 6);
            for (int x = 0; x < stride; ++x) {
                const int k = (x + phase) % 6;
                const bool on = k == 0 || k == 2 || k == 3 || k == 5;
                src[static_cast<size_t>(y * stride + x)] = (on == high) ? 255 : 0;
            }
        }
        for (int pos : {6, 9, 10, 11, 14}) {
            alignas(16) uint8_t da[256] = {}, db[256] = {};
            H264McBlock a{};
            a.srcY = src.data();
            a.strideY = stride;
            a.dstY = da;
            H264McBlock b = a;
            b.dstY = db;
            const int shape = iter % 4;
            const H264LumaMcFn* const plain[4] = {s.plain.lumaMc4x4, s.plain.lumaMc4x8, s.plain.lumaMc8x16, s.plain.lumaMc8x8};
            const H264LumaMcFn* const simd[4] = {s.simd.lumaMc4x4, s.simd.lumaMc4x8, s.simd.lumaMc8x16, s.simd.lumaMc8x8};
            plain[shape][pos](&a);
            simd[shape][pos](&b);
            ASSERT_EQ(std::memcmp(da, db, sizeof da), 0) << iter << " shape " << shape << " pos " << pos;
        }
    }
}

TEST(DspSimd, ReconstructionAnyResidual) {
    Sets s;
    std::mt19937 rng(7);
    static const int kChroma[4] = {0, 4, 32, 36};
    for (int iter = 0; iter < 4000; ++iter) {
        const int fl = iter % 5;
        alignas(16) uint8_t ya[256], yb[256], ca[2][64], cb[2][64];
        alignas(16) int16_t ry[256], rc[2][64];
        for (int i = 0; i < 256; ++i) ya[i] = yb[i] = Byte(rng, fl), ry[i] = Coef(rng, (iter / 5) % 5);
        for (int k = 0; k < 2; ++k)
            for (int i = 0; i < 64; ++i) ca[k][i] = cb[k][i] = Byte(rng, fl), rc[k][i] = Coef(rng, (iter / 5) % 5);
        H264PredWeightTable wt{};
        wt.lumaLog2Denom = static_cast<int>(rng() % 8);
        wt.chromaLog2Denom = static_cast<int>(rng() % 8);
        for (int r = 0; r < 32; ++r) {
            wt.lumaWeight[r] = static_cast<int16_t>(static_cast<int>(rng() % 256) - 128);
            wt.lumaOffset[r] = static_cast<int16_t>(static_cast<int>(rng() % 256) - 128);
        }
        const int8_t refs[4] = {0, 1, 2, 3};
        H264ReconState st{ry, rc[0], rc[1], static_cast<int>(rng() % 48), refs, &wt};
        const int mode = static_cast<int>(rng() % 2);
        for (int q = 0; q < 4; ++q) {
            H264ReconQuadrant qa{ya + 64 * q, ca[0] + kChroma[q], ca[1] + kChroma[q], q, 0};
            H264ReconQuadrant qb{yb + 64 * q, cb[0] + kChroma[q], cb[1] + kChroma[q], q, 0};
            s.plain.interReconstruct[4 * mode + 1](&qa, &st);
            s.simd.interReconstruct[4 * mode + 1](&qb, &st);
        }
        ASSERT_EQ(std::memcmp(ya, yb, sizeof ya), 0) << iter;
        ASSERT_EQ(std::memcmp(ca, cb, sizeof ca), 0) << iter;
    }
}

// Explicit weighting alone (no residual) and with one: every log2
// denominator, every weight with offsets at both ends and between, every
// sample value at every quadrant position, reference indices of every
// partition including the out-of-range ones the kernels fold to 0.
TEST(DspSimd, WeightedReconstructionEveryWeight) {
    Sets s;
    std::mt19937 rng(11);
    static const int kChroma[4] = {0, 4, 32, 36};
    static const int kOffsets[] = {-128, -127, -1, 0, 1, 126, 127};
    alignas(16) int16_t ry[256], rc[2][64];
    for (auto& v : ry) v = Coef(rng, 4);
    for (auto& r : rc)
        for (auto& v : r) v = Coef(rng, 3);
    std::vector<uint8_t> values(256);
    for (int i = 0; i < 256; ++i) values[i] = static_cast<uint8_t>(i);
    for (int lw = 0; lw < 8; ++lw)
        for (int weight = -128; weight <= 128; ++weight)
            for (int offset : kOffsets) {
                std::shuffle(values.begin(), values.end(), rng);
                alignas(16) uint8_t ya[256], yb[256], ca[2][64], cb[2][64];
                std::memcpy(ya, values.data(), 256);
                std::memcpy(yb, values.data(), 256);
                for (int k = 0; k < 2; ++k) {
                    std::memcpy(ca[k], values.data() + 64 * (2 * k + (weight & 1)), 64);
                    std::memcpy(cb[k], ca[k], 64);
                }
                H264PredWeightTable wt{};
                wt.lumaLog2Denom = lw;
                wt.chromaLog2Denom = 7 - lw;
                for (int r = 0; r < 32; ++r) {
                    // Reference 0 the default weights (or the ones under test), the rest mixed.
                    const bool tested = r == 1 || r == 2;
                    wt.lumaWeight[r] = static_cast<int16_t>(tested ? weight : r == 0 ? 1 << lw : int(rng() % 257) - 128);
                    wt.lumaOffset[r] = static_cast<int16_t>(tested ? offset : r == 0 ? 0 : int(rng() % 256) - 128);
                    for (int k = 0; k < 2; ++k) {
                        const int cw = r == 0 ? 1 << (7 - lw) : r == 2 ? -weight : weight;
                        wt.chromaWeight[r][k] = static_cast<int16_t>(k == 0 || r != 0 ? cw : int(rng() % 257) - 128);
                        wt.chromaOffset[r][k] = static_cast<int16_t>(r == 0 ? 0 : k ? -1 - offset : offset);
                    }
                }
                const int pick = int(rng() % 4);
                int8_t refs[4] = {1, 2, int8_t(rng() % 32), pick == 0 ? int8_t(-1) : int8_t(0)};
                const int shift = pick == 1 ? 1 : 0;  // 2 * index: every quadrant at index / 2
                if (shift)
                    for (auto& r : refs) r = int8_t(r * 2 + (r & 1));
                if (pick == 2) refs[2] = 64;  // out of range: folded to 0
                H264ReconState st{ry, rc[0], rc[1], pick == 3 ? int(rng() % 48) : 0, refs, &wt};
                for (int q = 0; q < 4; ++q) {
                    H264ReconQuadrant qa{ya + 64 * q, ca[0] + kChroma[q], ca[1] + kChroma[q], q, shift};
                    H264ReconQuadrant qb{yb + 64 * q, cb[0] + kChroma[q], cb[1] + kChroma[q], q, shift};
                    s.plain.interReconstruct[5](&qa, &st);
                    s.simd.interReconstruct[5](&qb, &st);
                }
                ASSERT_EQ(std::memcmp(ya, yb, sizeof ya), 0) << "log2 " << lw << " weight " << weight << " offset " << offset;
                ASSERT_EQ(std::memcmp(ca, cb, sizeof ca), 0) << "log2 " << lw << " weight " << weight << " offset " << offset;
            }
}

}  // namespace
