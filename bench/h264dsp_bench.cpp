// Per-kernel speed of the H.264 engine's two kernel sets (plain and SIMD):
// nanoseconds per call of each kernel class on fixed random inputs, plain
// against SIMD in the same run. Under Wine this shows what the processor
// emulator makes of the SSE2 kernels, apart from the macroblock layer.
//   h264dsp_bench [milliseconds per kernel, default 300]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>
#include "h264_dsp.h"

namespace {

using Clock = std::chrono::steady_clock;

struct alignas(16) Work {
    uint8_t predY[320];
    uint8_t predCb[96];
    uint8_t predCr[96];
    int16_t coefY[256];
    int16_t coefCb[64];
    int16_t coefCr[64];
    int16_t blk[16];
    uint8_t bS[40];
    uint8_t flags[24];
    uint8_t leftY[16];
    uint8_t leftCb[8];
    uint8_t leftCr[8];
};

uint32_t g_seed = 12345;
uint32_t Rand() {
    g_seed = g_seed * 1664525u + 1013904223u;
    return g_seed >> 8;
}

// Nanoseconds per call of fn, run for about ms milliseconds.
double NsPerCall(const std::function<void()>& fn, int ms) {
    long calls = 0;
    auto start = Clock::now();
    double secs = 0;
    do {
        for (int i = 0; i < 256; ++i) fn();
        calls += 256;
        secs = std::chrono::duration<double>(Clock::now() - start).count();
    } while (secs * 1000 < ms);
    return secs * 1e9 / double(calls);
}

}  // namespace

int main(int argc, char** argv) {
    const int ms = argc > 1 ? std::atoi(argv[1]) : 300;
    H264DspTable sets[2];
    H264DspInitPlain(&sets[0]);
    H264DspInitSimd(&sets[1]);

    // A reference plane with room for any window, and a picture to store to.
    const int stride = 64;
    std::vector<uint8_t> plane(stride * 64), picture(stride * 64);
    for (auto& b : plane) b = uint8_t(Rand());
    alignas(16) static Work w[2];
    for (Work& x : w) {
        for (auto& b : x.predY) b = uint8_t(Rand());
        for (auto& b : x.predCb) b = uint8_t(Rand());
        for (auto& b : x.predCr) b = uint8_t(Rand());
        for (auto& v : x.coefY) v = int16_t(int(Rand() % 64) - 32);
        for (auto& v : x.coefCb) v = int16_t(int(Rand() % 64) - 32);
        for (auto& v : x.coefCr) v = int16_t(int(Rand() % 64) - 32);
        for (auto& v : x.blk) v = int16_t(int(Rand() % 512) - 256);
        for (auto& v : x.flags) v = uint8_t(Rand() & 1);
        x.predY[H264_WORK_NB_TOPRIGHT_AVAIL] = 1;
        for (int i = 0; i < 4; ++i) x.predY[H264_WORK_NB_LEFT_AVAIL + i] = 1;
        x.predY[H264_WORK_NB_TOP_AVAIL] = 1;
    }
    // Deblocking samples: smooth rows so that the filters do their work.
    alignas(16) static uint8_t dbP[2][64], dbQ[2][64], dbP2[2][64], dbQ2[2][64];
    for (int s = 0; s < 2; ++s)
        for (int i = 0; i < 64; ++i) {
            dbP[s][i] = uint8_t(100 + (Rand() & 7));
            dbQ[s][i] = uint8_t(110 + (Rand() & 7));
            dbP2[s][i] = uint8_t(90 + (Rand() & 7));
            dbQ2[s][i] = uint8_t(97 + (Rand() & 7));
        }

    struct Case {
        const char* name;
        std::function<void(int)> run;  // set 0 plain, 1 SIMD
    };
    std::vector<Case> cases;
    auto mc = [&](int set, int pos, const H264LumaMcFn* const H264DspTable::*table) {
        H264McBlock blk{};
        blk.srcY = plane.data() + 3 * stride + 3;
        blk.strideY = stride;
        blk.dstY = w[set].predY;
        (sets[set].*table)[pos](&blk);
    };
    const int positions[] = {0, 8, 2, 10, 5, 6};
    for (int pos : positions) {
        static char names[4][6][32];
        static int slot = 0;
        int k = slot++;
        std::snprintf(names[0][k], 32, "lumaMc8x16 pos %d", pos);
        std::snprintf(names[1][k], 32, "lumaMc4x8 pos %d", pos);
        std::snprintf(names[2][k], 32, "lumaMc4x4 pos %d", pos);
        std::snprintf(names[3][k], 32, "lumaMc8x8 pos %d", pos);
        cases.push_back({names[0][k], [&, pos](int s) { mc(s, pos, &H264DspTable::lumaMc8x16); }});
        cases.push_back({names[1][k], [&, pos](int s) { mc(s, pos, &H264DspTable::lumaMc4x8); }});
        cases.push_back({names[2][k], [&, pos](int s) { mc(s, pos, &H264DspTable::lumaMc4x4); }});
        cases.push_back({names[3][k], [&, pos](int s) { mc(s, pos, &H264DspTable::lumaMc8x8); }});
    }
    auto cmc = [&](int set, int cls, const H264ChromaMcFn* const H264DspTable::*table) {
        H264McBlock blk{};
        blk.srcCb = plane.data() + 2 * stride;
        blk.srcCr = plane.data() + 20 * stride;
        blk.strideC = stride;
        blk.fracCx = 3;
        blk.fracCy = 5;
        blk.dstCb = w[set].predCb;
        blk.dstCr = w[set].predCr;
        (sets[set].*table)[cls](&blk);
    };
    cases.push_back({"chromaMc8x4 copy", [&](int s) { cmc(s, 0, &H264DspTable::chromaMc8x4); }});
    cases.push_back({"chromaMc8x4 4-tap", [&](int s) { cmc(s, 3, &H264DspTable::chromaMc8x4); }});
    cases.push_back({"chromaMc8x8 4-tap", [&](int s) { cmc(s, 3, &H264DspTable::chromaMc8x8); }});
    cases.push_back({"chromaMc4x2 4-tap", [&](int s) { cmc(s, 3, &H264DspTable::chromaMc4x2); }});
    cases.push_back({"inverseTransform4x4", [&](int s) { sets[s].inverseTransform4x4(w[s].blk, w[s].coefY); }});
    cases.push_back({"innerEdgeStrengthFromCoeffs",
                     [&](int s) { sets[s].innerEdgeStrengthFromCoeffs(w[s].flags, w[s].bS); }});
    cases.push_back({"clearInnerEdgeStrength", [&](int s) { sets[s].clearInnerEdgeStrength(w[s].bS); }});
    cases.push_back({"reconstructQuadrant cbp 47", [&](int s) {
                         H264ReconState st{w[s].coefY, w[s].coefCb, w[s].coefCr, 47, nullptr, nullptr};
                         for (int q = 0; q < 4; ++q) {
                             int cpos = 4 * (q & 1) + 32 * (q >> 1);
                             H264ReconQuadrant quad{w[s].predY + 64 * q, w[s].predCb + cpos, w[s].predCr + cpos, q, 0};
                             sets[s].interReconstruct[1](&quad, &st);
                         }
                     }});
    cases.push_back({"dbTranspose8x8", [&](int s) { sets[s].dbTranspose8x8(w[s].predY); }});
    cases.push_back({"dbLumaNormal", [&](int s) { sets[s].dbLumaNormal(dbP[s], dbQ[s], 0x14141414u, 6, 0x02020101u); }});
    cases.push_back({"dbLumaStrong", [&](int s) { sets[s].dbLumaStrong(dbP[s], dbQ[s], 20, 6); }});
    cases.push_back({"dbChromaNormal", [&](int s) {
                         sets[s].dbChromaNormal(dbP2[s], dbQ2[s], dbP2[s] + 32, dbQ2[s] + 32, 0x14141414u, 6, 0x01010101u, 8);
                     }});
    cases.push_back({"dbChromaStrong",
                     [&](int s) { sets[s].dbChromaStrong(dbP2[s], dbQ2[s], dbP2[s] + 32, dbQ2[s] + 32, 20, 6); }});
    cases.push_back({"dbGatherLeft+ScatterLeft", [&](int s) {
                         alignas(16) uint8_t t[64];
                         sets[s].dbGatherLeft(t, picture.data() + 4, picture.data() + 8 * stride + 4, stride);
                         sets[s].dbScatterLeft(t, picture.data() + 4, picture.data() + 8 * stride + 4, stride);
                     }});
    cases.push_back({"dbGatherTop+ScatterTop", [&](int s) {
                         alignas(16) uint8_t l[32], r[32];
                         sets[s].dbGatherTop(l, r, picture.data(), stride);
                         sets[s].dbScatterTop(picture.data(), stride, l, r);
                     }});
    cases.push_back({"mbStoreLuma", [&](int s) { sets[s].mbStoreLuma(picture.data(), stride, w[s].predY); }});
    cases.push_back({"mbRightColumn", [&](int s) {
                         sets[s].mbRightColumn(w[s].leftY, w[s].leftCb, w[s].leftCr, w[s].predY, w[s].predCb, w[s].predCr);
                     }});
    cases.push_back({"mbStoreChroma", [&](int s) {
                         sets[s].mbStoreChroma(picture.data(), picture.data() + 32, stride, w[s].predCb, w[s].predCr);
                     }});
    // A whole macroblock through the deblocking pass: inter-like strengths.
    auto deblock = [&](int s, uint8_t edge, uint8_t inner) {
        uint8_t bS[40];
        std::memset(bS, 0, sizeof bS);
        std::memset(bS, edge, 4);
        std::memset(bS + 8, edge, 4);
        std::memset(bS + 16, inner, 24);
        H264DeblockParams p{};
        p.dsp = &sets[s];
        p.planeY = picture.data() + 16 * stride;
        p.planeCb = picture.data() + 40 * stride;
        p.planeCr = picture.data() + 40 * stride + 32;
        p.strideY = stride;
        p.mbX = 1;
        p.mbY = 1;
        p.bS = bS;
        p.predY = w[s].predY;
        p.predCb = w[s].predCb;
        p.predCr = w[s].predCr;
        p.qp = p.qpLeft = p.qpTop = 30;
        p.qpc = p.qpcLeft = p.qpcTop = 29;
        H264DeblockMacroblock(&p);
    };
    cases.push_back({"H264DeblockMacroblock bS 2/2", [&](int s) { deblock(s, 2, 2); }});
    cases.push_back({"H264DeblockMacroblock bS 4/3", [&](int s) { deblock(s, 4, 3); }});
    cases.push_back({"H264DeblockMacroblock bS 0/0", [&](int s) { deblock(s, 0, 0); }});
    for (int mode = 0; mode < 4; ++mode) {
        static char names[2][4][32];
        std::snprintf(names[0][mode], 32, "intra16x16 mode %d", mode);
        std::snprintf(names[1][mode], 32, "intraChroma mode %d", mode);
        cases.push_back({names[0][mode], [&, mode](int s) { sets[s].intra16x16Pred[mode](w[s].predY, w[s].coefY); }});
        cases.push_back({names[1][mode], [&, mode](int s) {
                             sets[s].intraChromaPred[mode](w[s].predY, w[s].predCb, w[s].predCr, w[s].coefCb, w[s].coefCr, 2);
                         }});
    }
    for (int mode = 0; mode < 9; ++mode) {
        static char names[9][32];
        std::snprintf(names[mode], 32, "intra4x4 mode %d (x16)", mode);
        cases.push_back({names[mode], [&, mode](int s) {
                             for (int b = 0; b < 16; ++b) sets[s].intra4x4Pred[mode](b, w[s].predY, w[s].coefY, 15);
                         }});
    }

    std::printf("%-34s %10s %10s %8s\n", "kernel", "plain ns", "SIMD ns", "ratio");
    for (const Case& c : cases) {
        double plain = NsPerCall([&] { c.run(0); }, ms);
        double simd = NsPerCall([&] { c.run(1); }, ms);
        std::printf("%-34s %10.1f %10.1f %8.2f\n", c.name, plain, simd, plain / simd);
    }
    return 0;
}
