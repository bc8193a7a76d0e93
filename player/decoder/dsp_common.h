// Shared helpers of the kernel sources (plain and SIMD).
#pragma once

#include <cstdint>

#include "h264_dsp.h"

namespace h264dsp {

inline uint8_t Clip255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Plain kernel tables, shared with the SIMD set where it has no own member.
extern const H264Intra4x4Fn kPlainIntra4x4[9];
extern const H264Intra16x16Fn kPlainIntra16x16[4];
extern const H264IntraChromaFn kPlainIntraChroma[4];
extern const H264LumaMcFn kPlainLumaMc4x4[16];
extern const H264LumaMcFn kPlainLumaMc4x8[16];
extern const H264LumaMcFn kPlainLumaMc8x16[16];
extern const H264LumaMcFn kPlainLumaMc8x8[16];
extern const H264ChromaMcFn kPlainChromaMc4x2[4];
extern const H264ChromaMcFn kPlainChromaMc8x4[4];
extern const H264ChromaMcFn kPlainChromaMc8x8[4];
extern const H264InterReconFn kPlainInterRecon[16];

void PlainWeightedReconstructQuadrant(const H264ReconQuadrant* quad, const H264ReconState* st);
void PlainInverseTransform4x4(const int16_t* blk, int16_t* dst);
void PlainClearInnerEdgeStrength(uint8_t* bS);
void PlainInnerEdgeStrengthFromCoeffs(const uint8_t* flags, uint8_t* bS);

void PlainDbTranspose8x8(uint8_t* blk);
void PlainDbLumaNormal(uint8_t* p, uint8_t* q, uint32_t alpha4, int32_t beta, uint32_t tc0x4);
void PlainDbLumaNormal16(uint8_t* pL, uint8_t* pR, uint8_t* qL, uint8_t* qR, uint32_t alpha4, int32_t beta,
                         uint32_t tc0x4);
void PlainDbLumaStrong(uint8_t* p, uint8_t* q, int32_t alpha, int32_t beta);
void PlainDbChromaNormal(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                         uint32_t alpha4, int32_t beta, uint32_t tc0x4, int32_t qStride);
void PlainDbChromaStrong(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                         int32_t alpha, int32_t beta);
void PlainDbGatherLeft(uint8_t* dst, const uint8_t* top, const uint8_t* bottom, int32_t stride);
void PlainDbScatterLeft(const uint8_t* src, uint8_t* top, uint8_t* bottom, int32_t stride);
void PlainDbGatherTopChroma(uint8_t* dst, const uint8_t* src, int32_t stride);
void PlainDbStoreRow8(uint8_t* dst, const uint8_t* src);
void PlainDbGatherTop(uint8_t* left, uint8_t* right, const uint8_t* src, int32_t stride);
void PlainDbScatterTop(uint8_t* dst, int32_t stride, const uint8_t* left, const uint8_t* right);
void PlainMbStoreLuma(uint8_t* dst, int32_t stride, const uint8_t* predY);
void PlainMbRightColumn(uint8_t* leftY, uint8_t* leftCb, uint8_t* leftCr, const uint8_t* predY,
                        const uint8_t* predCb, const uint8_t* predCr);
void PlainMbStoreChroma(uint8_t* dstCb, uint8_t* dstCr, int32_t strideC,
                        const uint8_t* predCb, const uint8_t* predCr);

}  // namespace h264dsp
