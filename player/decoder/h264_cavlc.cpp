// CAVLC residual decoding: code tables, block reader, scaling and the
// residual of a macroblock.
#include <cstring>
#include "h264_dsp.h"
#include "h264_cavlc.h"

namespace {

// ---------------------------------------------------------------- code tables
// coeff_token (Table 9-5) by nC class, indexed by TotalCoeff * 4 + TrailingOnes.
const uint8_t kCoeffTokenLen[4][4 * 17] = {
    {1,  0,  0,  0,  6,  2,  0,  0,  8,  6,  3,  0,  9,  8,  7,  5,  10, 9,  8,  6,  11, 10, 9,
     7,  13, 11, 10, 8,  13, 13, 11, 9,  13, 13, 13, 10, 14, 14, 13, 11, 14, 14, 14, 13, 15, 15,
     14, 14, 15, 15, 15, 14, 16, 15, 15, 15, 16, 16, 16, 15, 16, 16, 16, 16, 16, 16, 16, 16},
    {2,  0,  0,  0,  6,  2,  0,  0,  6,  5,  3,  0,  7,  6,  6,  4,  8,  6,  6,  4,  8,  7,  7,
     5,  9,  8,  8,  6,  11, 9,  9,  6,  11, 11, 11, 7,  12, 11, 11, 9,  12, 12, 12, 11, 12, 12,
     12, 11, 13, 13, 13, 12, 13, 13, 13, 13, 13, 14, 13, 13, 14, 14, 14, 13, 14, 14, 14, 14},
    {4,  0,  0,  0,  6,  4,  0,  0,  6,  5,  4,  0,  6,  5,  5,  4,  7,  5,  5,  4,  7,  5,  5,
     4,  7,  6,  6,  4,  7,  6,  6,  4,  8,  7,  7,  5,  8,  8,  7,  6,  9,  8,  8,  7,  9,  9,
     8,  8,  9,  9,  9,  8,  10, 9,  9,  9,  10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10},
    {6, 0, 0, 0, 6, 6, 0, 0, 6, 6, 6, 0, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
     6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6},
};
const uint8_t kCoeffTokenBits[4][4 * 17] = {
    {1,  0, 0, 0, 5,  1, 0,  0,  7,  4,  1,  0,  7,  6,  5,  3,  7,  6,  5,  3,  7,  6,  5,
     4,  15, 6, 5, 4, 11, 14, 5, 4, 8, 10, 13, 4, 15, 14, 9,  4,  11, 10, 13, 12, 15, 14,
     9,  12, 11, 10, 13, 8, 15, 1, 9, 12, 11, 14, 13, 8,  7,  10, 9,  12, 4,  6,  5,  8},
    {3,  0,  0,  0,  11, 2,  0,  0,  7,  7,  3,  0,  7,  10, 9,  5,  7,  6,  5,  4,  4,  6,  5,
     6,  7,  6,  5,  8,  15, 6,  5,  4,  11, 14, 13, 4,  15, 10, 9,  4,  11, 14, 13, 12, 8,  10,
     9,  8,  15, 14, 13, 12, 11, 10, 9,  12, 7,  11, 6,  8,  9,  8,  10, 1,  7,  6,  5,  4},
    {15, 0,  0,  0,  15, 14, 0,  0,  11, 15, 13, 0,  8,  12, 14, 12, 15, 10, 11, 11, 11, 8,  9,
     10, 9,  14, 13, 9,  8,  10, 9,  8,  15, 14, 13, 13, 11, 14, 10, 12, 15, 10, 13, 12, 11, 14,
     9,  12, 8,  10, 13, 8,  13, 7,  9,  12, 9,  12, 11, 10, 5,  8,  7,  6,  1,  4,  3,  2},
    {3,  0,  0,  0,  0,  1,  0,  0,  4,  5,  6,  0,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
     19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41,
     42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63},
};
const uint8_t kChromaDcTokenLen[4 * 5] = {2, 0, 0, 0, 6, 1, 0, 0, 6, 6, 3, 0, 6, 7, 7, 6, 6, 8, 8, 7};
const uint8_t kChromaDcTokenBits[4 * 5] = {1, 0, 0, 0, 7, 1, 0, 0, 4, 6, 1, 0, 3, 3, 2, 5, 2, 3, 2, 0};

// total_zeros (Tables 9-7, 9-8) by TotalCoeff - 1, indexed by total_zeros.
const uint8_t kTotalZerosLen[15][16] = {
    {1, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 9}, {3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 6, 6, 6, 6},
    {4, 3, 3, 3, 4, 4, 3, 3, 4, 5, 5, 6, 5, 6},       {5, 3, 4, 4, 3, 3, 3, 4, 3, 4, 5, 5, 5},
    {4, 4, 4, 3, 3, 3, 3, 3, 4, 5, 4, 5},             {6, 5, 3, 3, 3, 3, 3, 3, 4, 3, 6},
    {6, 5, 3, 3, 3, 2, 3, 4, 3, 6},                   {6, 4, 5, 3, 2, 2, 3, 3, 6},
    {6, 6, 4, 2, 2, 3, 2, 5},                         {5, 5, 3, 2, 2, 2, 4},
    {4, 4, 3, 3, 1, 3},                               {4, 4, 2, 1, 3},
    {3, 3, 1, 2},                                     {2, 2, 1},
    {1, 1},
};
const uint8_t kTotalZerosBits[15][16] = {
    {1, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 1}, {7, 6, 5, 4, 3, 5, 4, 3, 2, 3, 2, 3, 2, 1, 0},
    {5, 7, 6, 5, 4, 3, 4, 3, 2, 3, 2, 1, 1, 0},       {3, 7, 5, 4, 6, 5, 4, 3, 3, 2, 2, 1, 0},
    {5, 4, 3, 7, 6, 5, 4, 3, 2, 1, 1, 0},             {1, 1, 7, 6, 5, 4, 3, 2, 1, 1, 0},
    {1, 1, 5, 4, 3, 3, 2, 1, 1, 0},                   {1, 1, 1, 3, 3, 2, 2, 1, 0},
    {1, 0, 1, 3, 2, 1, 1, 1},                         {1, 0, 1, 3, 2, 1, 1},
    {0, 1, 1, 2, 1, 3},                               {0, 1, 1, 1, 1},
    {0, 1, 1, 1},                                     {0, 1, 1},
    {0, 1},
};
// total_zeros for chroma DC (Table 9-9a) by TotalCoeff - 1.
const uint8_t kChromaDcTotalZerosLen[3][4] = {{1, 2, 3, 3}, {1, 2, 2, 0}, {1, 1, 0, 0}};
const uint8_t kChromaDcTotalZerosBits[3][4] = {{1, 1, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 0}};
// run_before (Table 9-10) by min(zerosLeft, 7) - 1.
const uint8_t kRunLen[7][16] = {
    {1, 1}, {1, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 3, 3}, {2, 2, 3, 3, 3, 3}, {2, 3, 3, 3, 3, 3, 3},
    {3, 3, 3, 3, 3, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11},
};
const uint8_t kRunBits[7][16] = {
    {1, 0}, {1, 1, 0}, {3, 2, 1, 0}, {3, 2, 1, 1, 0}, {3, 2, 3, 2, 1, 0}, {3, 0, 1, 3, 2, 5, 4},
    {7, 6, 5, 4, 3, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1},
};

void AddCode(h264cavlc::LzTable* t, uint32_t len, uint32_t bits, uint32_t sym) {
    if (len == 0) return;
    uint16_t entry = uint16_t(len << 8 | sym);
    if (bits == 0) {
        for (uint32_t row = len; row < 33; ++row)
            for (int col = 0; col < 8; ++col) t->e[row][col] = entry;
        return;
    }
    uint32_t lz = len - 1 - (31 - __builtin_clz(bits));
    uint32_t tailLen = len - lz - 1;  // bits after the one bit (at most 3)
    uint32_t tail = bits & ((1u << tailLen) - 1);
    uint32_t first = tail << (3 - tailLen), count = 1u << (3 - tailLen);
    for (uint32_t col = first; col < first + count; ++col) t->e[lz][col] = entry;
}

}  // namespace

namespace h264cavlc {

Tables::Tables() {
    std::memset(this, 0, sizeof *this);
    for (int g = 0; g < 3; ++g)
        for (int s = 0; s < 68; ++s) AddCode(&coeffToken[g], kCoeffTokenLen[g][s], kCoeffTokenBits[g][s], s);
    std::memset(coeffTokenFlc, 0xFF, sizeof coeffTokenFlc);
    for (int s = 0; s < 68; ++s)
        if (kCoeffTokenLen[3][s]) coeffTokenFlc[kCoeffTokenBits[3][s]] = uint8_t(s);
    for (int s = 0; s < 20; ++s) AddCode(&chromaDcToken, kChromaDcTokenLen[s], kChromaDcTokenBits[s], s);
    for (int tc = 0; tc < 15; ++tc)
        for (int z = 0; z < 16 - tc; ++z) AddCode(&totalZeros[tc], kTotalZerosLen[tc][z], kTotalZerosBits[tc][z], z);
    for (int tc = 0; tc < 3; ++tc)
        for (int z = 0; z < 4 - tc; ++z)
            AddCode(&chromaDcTotalZeros[tc], kChromaDcTotalZerosLen[tc][z], kChromaDcTotalZerosBits[tc][z], z);
    for (int sl = 0; sl < 7; ++sl)
        for (uint32_t bits = 0; bits < (1u << kLevelBits); ++bits) {
            const int prefix = bits ? __builtin_clz(bits) - (32 - kLevelBits) : kLevelBits;
            const int len = prefix + 1 + sl;
            if (len > kLevelBits || prefix >= 14) continue;
            const int levelCode = (prefix << sl) + int((bits >> (kLevelBits - len)) & ((1u << sl) - 1));
            const int magnitude = (levelCode + 2) >> 1;
            const int value = (levelCode & 1) ? -magnitude : magnitude;
            int next = sl + (sl == 0);
            next += magnitude > (3 << (next - 1)) && next < 6;
            level[sl][bits] = int16_t(uint16_t(value * 128 + next * 16 + len));
        }
    for (auto& row : runBefore[0].e)
        for (uint16_t& entry : row) entry = kNoRun;
    for (int zl = 0; zl < 7; ++zl)
        for (int r = 0; r < 16; ++r) AddCode(&runBefore[zl + 1], kRunLen[zl][r], kRunBits[zl][r], r);
}

const Tables kTables;

const uint8_t kZigzag4x4[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};
// Position class of a raster position: 0 both even, 1 mixed, 2 both odd.
const uint8_t kPosClass[16] = {0, 1, 0, 1, 1, 2, 1, 2, 0, 1, 0, 1, 1, 2, 1, 2};


}  // namespace h264cavlc

const uint8_t kH264Zigzag4x4[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};

void H264ScanScale(int32_t* scale, const uint8_t* dequant) {
    using namespace h264cavlc;
    for (int k = 0; k < 16; ++k) scale[k] = int32_t(dequant[1 + kPosClass[kZigzag4x4[k]]]) << dequant[0];
}

