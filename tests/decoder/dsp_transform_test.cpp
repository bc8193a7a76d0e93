// Inverse transform and inner edge-strength kernels against the standard's
// formulas, in both kernel sets.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "h264_dsp.h"

namespace {

struct Sets {
    H264DspTable plain, simd;
    Sets() {
        H264DspInitPlain(&plain);
        H264DspInitSimd(&simd);
    }
};

// 8.5.12.2, written out with the standard's intermediate names.
void RefTransform(const int16_t* c, int out[16]) {
    int f[4][4], h[4][4];
    for (int i = 0; i < 4; ++i) {
        const int e0 = c[4 * i] + c[4 * i + 2], e1 = c[4 * i] - c[4 * i + 2];
        const int e2 = (c[4 * i + 1] >> 1) - c[4 * i + 3], e3 = c[4 * i + 1] + (c[4 * i + 3] >> 1);
        f[i][0] = e0 + e3;
        f[i][1] = e1 + e2;
        f[i][2] = e1 - e2;
        f[i][3] = e0 - e3;
    }
    for (int j = 0; j < 4; ++j) {
        const int g0 = f[0][j] + f[2][j], g1 = f[0][j] - f[2][j];
        const int g2 = (f[1][j] >> 1) - f[3][j], g3 = f[1][j] + (f[3][j] >> 1);
        h[0][j] = g0 + g3;
        h[1][j] = g1 + g2;
        h[2][j] = g1 - g2;
        h[3][j] = g0 - g3;
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) out[4 * i + j] = (h[i][j] + 32) >> 6;
}

TEST(DspTransform, MatchesStandardOnConformingRange) {
    Sets s;
    std::mt19937 rng(1234);
    for (const H264DspTable* d : {&s.plain, &s.simd}) {
        for (int iter = 0; iter < 2000; ++iter) {
            int16_t c[16];
            // Typical dequantised magnitudes; every tenth block at the 12-bit edge.
            const int lim = iter % 10 == 0 ? 4095 : 600;
            std::uniform_int_distribution<int> v(-lim, lim);
            for (auto& x : c) x = static_cast<int16_t>(iter % 3 == 0 && (&x - c) > 0 ? 0 : v(rng));
            int16_t dst[32];
            std::memset(dst, 0x55, sizeof dst);
            d->inverseTransform4x4(c, dst);
            int ref[16];
            RefTransform(c, ref);
            for (int i = 0; i < 4; ++i) {
                for (int j = 0; j < 4; ++j) ASSERT_EQ(dst[8 * i + j], ref[4 * i + j]) << iter;
                for (int j = 4; j < 8; ++j) ASSERT_EQ(dst[8 * i + j], 0x5555) << "pitch 8 only";
            }
        }
    }
}

TEST(DspTransform, DcOnlyAndZeroBlocks) {
    Sets s;
    for (const H264DspTable* d : {&s.plain, &s.simd}) {
        for (int dc : {0, 1, 31, 32, -32, -33, 1000, -1000, 32767, -32768}) {
            int16_t c[16] = {static_cast<int16_t>(dc)};
            int16_t dst[32] = {};
            d->inverseTransform4x4(c, dst);
            for (int i = 0; i < 4; ++i)
                for (int j = 0; j < 4; ++j) EXPECT_EQ(dst[8 * i + j], (dc + 32) >> 6) << dc;
        }
    }
}

TEST(DspEdgeStrength, FromCoefficientFlags) {
    Sets s;
    // Block pairs beside each inner edge piece, from the luma4x4BlkIdx layout.
    auto blockAt = [](int x4, int y4) { return 4 * (2 * (y4 / 2) + x4 / 2) + 2 * (y4 % 2) + x4 % 2; };
    std::mt19937 rng(99);
    for (const H264DspTable* d : {&s.plain, &s.simd}) {
        for (int iter = 0; iter < 300; ++iter) {
            uint8_t flags[16];
            for (auto& f : flags) f = static_cast<uint8_t>(iter == 0 ? 0 : (rng() % 3 == 0 ? rng() % 17 : 0));
            if (iter == 1) {
                std::memset(flags, 0, 16);
                flags[5] = 3;
            }
            uint8_t bS[40];
            std::memset(bS, 7, sizeof bS);
            d->innerEdgeStrengthFromCoeffs(flags, bS);
            for (int e = 0; e < 3; ++e)
                for (int k = 0; k < 4; ++k) {
                    const int v = (flags[blockAt(e, k)] || flags[blockAt(e + 1, k)]) ? 2 : 0;
                    const int h = (flags[blockAt(k, e)] || flags[blockAt(k, e + 1)]) ? 2 : 0;
                    ASSERT_EQ(bS[16 + 4 * e + k], v) << iter;
                    ASSERT_EQ(bS[28 + 4 * e + k], h) << iter;
                }
            for (int i = 0; i < 16; ++i) ASSERT_EQ(bS[i], 7) << "outer strengths untouched";
            if (iter == 1) {
                for (int i = 16; i < 40; ++i) EXPECT_EQ(bS[i], (i == 24 || i == 31) ? 2 : 0) << i;
            }
            d->clearInnerEdgeStrength(bS);
            for (int i = 16; i < 40; ++i) ASSERT_EQ(bS[i], 0);
            for (int i = 0; i < 16; ++i) ASSERT_EQ(bS[i], 7);
        }
    }
}

}  // namespace
