// Inter reconstruction of quadrants: residual add and explicit weighted
// prediction (8.4.2.3, single list) against the standard's formula.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "h264_dsp.h"

namespace {

int Clip(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

int RefWeight(int x, int w, int o, int logWD) {
    if (logWD >= 1) return Clip(((x * w + (1 << (logWD - 1))) >> logWD) + o);
    return Clip(x * w + o);
}

struct Mb {
    alignas(16) uint8_t y[256], cb[64], cr[64];
    alignas(16) int16_t coefY[256], coefCb[64], coefCr[64];
};

void RunQuadrants(const H264DspTable* d, int mode, Mb& mb, const H264ReconState& st) {
    static const int kChroma[4] = {0, 4, 32, 36};
    for (int q = 0; q < 4; ++q) {
        H264ReconQuadrant quad{mb.y + 64 * q, mb.cb + kChroma[q], mb.cr + kChroma[q], q, 0};
        d->interReconstruct[4 * mode + 1](&quad, &st);
    }
}

TEST(DspRecon, PlainAndWeightedMatchStandard) {
    H264DspTable sets[2];
    H264DspInitPlain(&sets[0]);
    H264DspInitSimd(&sets[1]);
    std::mt19937 rng(31337);
    for (const H264DspTable& d : sets) {
        for (int iter = 0; iter < 3000; ++iter) {
            Mb mb, orig;
            for (auto& v : mb.y) v = static_cast<uint8_t>(iter % 7 == 0 ? 255 : rng() & 255);
            for (auto& v : mb.cb) v = static_cast<uint8_t>(rng() & 255);
            for (auto& v : mb.cr) v = static_cast<uint8_t>(iter % 7 == 1 ? 0 : rng() & 255);
            const int lim = iter % 3 == 0 ? 32767 : 300;
            for (auto* a : {mb.coefY + 0, mb.coefCb + 0, mb.coefCr + 0})
                for (int i = 0; i < (a == mb.coefY ? 256 : 64); ++i)
                    a[i] = static_cast<int16_t>(static_cast<int>(rng() % (2 * lim + 1)) - lim);
            orig = mb;
            H264PredWeightTable wt{};
            wt.lumaLog2Denom = static_cast<int>(rng() % 8);
            wt.chromaLog2Denom = static_cast<int>(rng() % 8);
            for (int r = 0; r < 32; ++r) {
                wt.lumaWeight[r] = static_cast<int16_t>(static_cast<int>(rng() % 256) - 128);
                wt.lumaOffset[r] = static_cast<int16_t>(static_cast<int>(rng() % 256) - 128);
                for (int c = 0; c < 2; ++c) {
                    wt.chromaWeight[r][c] = static_cast<int16_t>(static_cast<int>(rng() % 256) - 128);
                    wt.chromaOffset[r][c] = static_cast<int16_t>(static_cast<int>(rng() % 256) - 128);
                }
            }
            const int8_t ref[4] = {static_cast<int8_t>(rng() % 16), static_cast<int8_t>(rng() % 16),
                                   static_cast<int8_t>(rng() % 16), static_cast<int8_t>(rng() % 16)};
            const int cbp = static_cast<int>(rng() % 48);
            const int mode = iter & 1;
            H264ReconState st{mb.coefY, mb.coefCb, mb.coefCr, cbp, ref, &wt};
            RunQuadrants(&d, mode, mb, st);
            for (int q = 0; q < 4; ++q) {
                for (int i = 0; i < 64; ++i) {
                    int v = orig.y[64 * q + i];
                    if (mode) v = RefWeight(v, wt.lumaWeight[ref[q]], wt.lumaOffset[ref[q]], wt.lumaLog2Denom);
                    if (cbp & (1 << q)) v = Clip(v + orig.coefY[64 * q + i]);
                    ASSERT_EQ(mb.y[64 * q + i], v) << "iter " << iter << " q " << q << " i " << i;
                }
                for (int c = 0; c < 2; ++c) {
                    const uint8_t* got = c ? mb.cr : mb.cb;
                    const uint8_t* src = c ? orig.cr : orig.cb;
                    const int16_t* res = c ? orig.coefCr : orig.coefCb;
                    for (int y = 0; y < 4; ++y)
                        for (int x = 0; x < 4; ++x) {
                            const int o = 4 * (q & 1) + 32 * (q >> 1) + 8 * y + x;
                            int v = src[o];
                            if (mode)
                                v = RefWeight(v, wt.chromaWeight[ref[q]][c], wt.chromaOffset[ref[q]][c], wt.chromaLog2Denom);
                            if (cbp >= 16) v = Clip(v + res[o]);
                            ASSERT_EQ(got[o], v) << "iter " << iter << " chroma " << c;
                        }
                }
            }
        }
    }
}

TEST(DspRecon, WeightEdgeCases) {
    H264DspTable d;
    H264DspInitPlain(&d);
    struct Row {
        int sample, w, o, logWD, residual, want;
    } rows[] = {
        {200, 0, 37, 5, 0, 37},      // weight 0: constant Clip(o)
        {200, 0, -20, 5, 0, 0},      // ... clipped
        {200, -3, 0, 1, 0, 0},       // negative product, signed shift, clipped to 0
        {200, -3, 255, 1, 0, 0},     // (-600 + 1) >> 1 = -300, + 255 = -45 -> 0
        {50, -1, 100, 0, 0, 50},     // logWD 0: x * w + o
        {255, 127, 0, 6, -10, 245},  // weighted above 255 clips first, then the residual
    };
    for (const Row& r : rows) {
        Mb mb;
        std::memset(&mb, 0, sizeof mb);
        std::memset(mb.y, r.sample, sizeof mb.y);
        for (auto& c : mb.coefY) c = static_cast<int16_t>(r.residual);
        H264PredWeightTable wt{};
        wt.lumaLog2Denom = r.logWD;
        wt.lumaWeight[2] = static_cast<int16_t>(r.w);
        wt.lumaOffset[2] = static_cast<int16_t>(r.o);
        const int8_t ref[4] = {2, 2, 2, 2};
        H264ReconState st{mb.coefY, mb.coefCb, mb.coefCr, 15, ref, &wt};
        RunQuadrants(&d, 1, mb, st);
        EXPECT_EQ(mb.y[0], r.want) << r.sample << " w " << r.w << " o " << r.o;
        EXPECT_EQ(mb.y[255], r.want);
    }
    // A reference index outside the weight table (an intra partition's -1,
    // damaged data) takes entry 0 instead of reading past the table.
    for (int8_t bad : {int8_t(-1), int8_t(32), int8_t(127)}) {
        Mb mb;
        std::memset(&mb, 0, sizeof mb);
        std::memset(mb.y, 100, sizeof mb.y);
        H264PredWeightTable wt{};
        wt.lumaLog2Denom = 1;
        wt.lumaWeight[0] = 2;
        wt.lumaOffset[0] = 7;
        const int8_t ref[4] = {bad, bad, bad, bad};
        H264ReconState st{mb.coefY, mb.coefCb, mb.coefCr, 0, ref, &wt};
        RunQuadrants(&d, 1, mb, st);
        EXPECT_EQ(mb.y[0], 107) << int(bad);
    }
    // cbp 16: chroma residual only; luma keeps the prediction.
    Mb mb;
    std::memset(&mb, 0, sizeof mb);
    std::memset(mb.y, 90, sizeof mb.y);
    std::memset(mb.cb, 90, sizeof mb.cb);
    for (auto& c : mb.coefY) c = 50;
    for (auto& c : mb.coefCb) c = 5;
    H264ReconState st{mb.coefY, mb.coefCb, mb.coefCr, 16, nullptr, nullptr};
    RunQuadrants(&d, 0, mb, st);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(mb.y[i], 90);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(mb.cb[i], 95);
}

}  // namespace
