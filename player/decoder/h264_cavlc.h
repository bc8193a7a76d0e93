// CAVLC block reader and coefficient placement (shared by the residual
// decoder and its tests).
#pragma once
#include <algorithm>
#include "h264_internal.h"

// Reads one residual_block_cavlc. level[i]/run[i] lowest frequency first;
// both arrays hold 16 entries (all 16 runs are written).
// Returns 0, or 1 and/or 128 (invalid coeff_token) on damaged data.
uint32_t H264ReadResidualBlock(int32_t* level, int32_t* run, int32_t maxNumCoeff, int32_t nC,
                               uint8_t* totalCoeffOut, H264BitReader* br);
void H264PlaceCoeffs(int16_t* blk, const int32_t* level, const int32_t* run, int32_t totalCoeff, int32_t start,
                     const uint8_t* dequant);
extern const uint8_t kH264Zigzag4x4[16];
