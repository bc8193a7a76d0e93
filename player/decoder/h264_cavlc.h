// CAVLC block reader: one residual block straight into its coefficients.
#pragma once
#include "h264_internal.h"

// Reads one residual_block_cavlc of a 4x4 block, maxNumCoeff 16 (scan
// positions 0..15) or 15 (positions 1..15), into blk (raster order, zero on
// entry), each coefficient multiplied by scale[scan position]; positions
// past the block (damaged data) fold back in.
// Returns 0, or 1 and/or 128 (invalid coeff_token) on damaged data.
uint32_t H264ReadScaledBlock(int16_t* blk, int32_t maxNumCoeff, int32_t nC, const int32_t* scale,
                             uint8_t* totalCoeffOut, H264BitReader* br);
// The chroma DC block: levels into dc[4] by scan position (zero on entry).
uint32_t H264ReadChromaDcBlock(int32_t* dc, uint8_t* totalCoeffOut, H264BitReader* br);
// The Intra 16x16 DC block: levels into dc[16] in raster order (zero on entry).
uint32_t H264ReadLumaDcBlock(int64_t* dc, int32_t nC, uint8_t* totalCoeffOut, H264BitReader* br);
// Scale factors by scan position from dequant (qp / 6, then the factors of
// the three position classes).
void H264ScanScale(int32_t* scale, const uint8_t* dequant);
extern const uint8_t kH264Zigzag4x4[16];
