// Inverse 4x4 transform and the inner edge-strength kernels (plain set).
#include <cstring>

#include "dsp_common.h"

namespace h264dsp {

// The residual is saturated to the 16-bit range on the way out, as the
// SIMD set's packing does, so both sets agree on any input.
void PlainInverseTransform4x4(const int16_t* blk, int16_t* dst) {
    int t[16];
    for (int i = 0; i < 4; ++i) {
        const int d0 = blk[4 * i], d1 = blk[4 * i + 1], d2 = blk[4 * i + 2], d3 = blk[4 * i + 3];
        const int e = d0 + d2, f = d0 - d2, g = (d1 >> 1) - d3, h = d1 + (d3 >> 1);
        t[4 * i] = e + h;
        t[4 * i + 1] = f + g;
        t[4 * i + 2] = f - g;
        t[4 * i + 3] = e - h;
    }
    for (int j = 0; j < 4; ++j) {
        const int d0 = t[j], d1 = t[4 + j], d2 = t[8 + j], d3 = t[12 + j];
        const int e = d0 + d2, f = d0 - d2, g = (d1 >> 1) - d3, h = d1 + (d3 >> 1);
        const int r[4] = {e + h, f + g, f - g, e - h};
        for (int i = 0; i < 4; ++i) {
            int v = (r[i] + 32) >> 6;
            v = v < -32768 ? -32768 : (v > 32767 ? 32767 : v);
            dst[8 * i + j] = static_cast<int16_t>(v);
        }
    }
}

void PlainClearInnerEdgeStrength(uint8_t* bS) { std::memset(bS + 16, 0, 24); }

namespace {
// Block pairs beside each inner edge piece, bS[16..39] in order.
const uint8_t kEdgePairs[24][2] = {
    {0, 1},  {2, 3},  {8, 9},   {10, 11},  // x = 4
    {1, 4},  {3, 6},  {9, 12},  {11, 14},  // x = 8
    {4, 5},  {6, 7},  {12, 13}, {14, 15},  // x = 12
    {0, 2},  {1, 3},  {4, 6},   {5, 7},    // y = 4
    {2, 8},  {3, 9},  {6, 12},  {7, 13},   // y = 8
    {8, 10}, {9, 11}, {12, 14}, {13, 15},  // y = 12
};
}  // namespace

void PlainInnerEdgeStrengthFromCoeffs(const uint8_t* flags, uint8_t* bS) {
    for (int i = 0; i < 24; ++i)
        bS[16 + i] = (flags[kEdgePairs[i][0]] | flags[kEdgePairs[i][1]]) ? 2 : 0;
}

}  // namespace h264dsp
