// Filling the kernel table: plain set, SIMD set, or by CPU level.
#include <cstring>

#include "dsp_sse2.h"

void H264DspInitPlain(H264DspTable* dsp) {
    using namespace h264dsp;
    std::memset(dsp, 0, sizeof(*dsp));
    dsp->inverseTransform4x4 = PlainInverseTransform4x4;
    dsp->clearInnerEdgeStrength = PlainClearInnerEdgeStrength;
    dsp->innerEdgeStrengthFromCoeffs = PlainInnerEdgeStrengthFromCoeffs;
    dsp->dbTranspose8x8 = PlainDbTranspose8x8;
    dsp->dbLumaNormal = PlainDbLumaNormal;
    dsp->dbLumaStrong = PlainDbLumaStrong;
    dsp->dbChromaNormal = PlainDbChromaNormal;
    dsp->dbChromaStrong = PlainDbChromaStrong;
    dsp->dbGatherLeft = PlainDbGatherLeft;
    dsp->dbScatterLeft = PlainDbScatterLeft;
    dsp->dbGatherTopChroma = PlainDbGatherTopChroma;
    dsp->dbStoreRow8 = PlainDbStoreRow8;
    dsp->dbGatherTop = PlainDbGatherTop;
    dsp->dbScatterTop = PlainDbScatterTop;
    dsp->mbStoreLuma = PlainMbStoreLuma;
    dsp->mbStoreChroma = PlainMbStoreChroma;
    dsp->intra4x4Pred = kPlainIntra4x4;
    dsp->intra16x16Pred = kPlainIntra16x16;
    dsp->intraChromaPred = kPlainIntraChroma;
    dsp->lumaMc4x4 = kPlainLumaMc4x4;
    dsp->lumaMc4x8 = kPlainLumaMc4x8;
    dsp->lumaMc8x16 = kPlainLumaMc8x16;
    dsp->chromaMc4x2 = kPlainChromaMc4x2;
    dsp->chromaMc8x4 = kPlainChromaMc8x4;
    dsp->interReconstruct = kPlainInterRecon;
    dsp->dbLumaNormal16 = PlainDbLumaNormal16;
    dsp->chromaMc8x8 = kPlainChromaMc8x8;
    dsp->lumaMc8x8 = kPlainLumaMc8x8;
    dsp->mbRightColumn = PlainMbRightColumn;
}

void H264DspInitSimd(H264DspTable* dsp) {
    using namespace h264dsp;
    // Every slot gives the plain set's output.
    H264DspInitPlain(dsp);
    dsp->inverseTransform4x4 = Sse2InverseTransform4x4;
    dsp->clearInnerEdgeStrength = Sse2ClearInnerEdgeStrength;
    dsp->innerEdgeStrengthFromCoeffs = Sse2InnerEdgeStrengthFromCoeffs;
    dsp->dbTranspose8x8 = Sse2DbTranspose8x8;
    dsp->dbLumaNormal = Sse2DbLumaNormal;
    dsp->dbLumaStrong = Sse2DbLumaStrong;
    dsp->dbChromaNormal = Sse2DbChromaNormal;
    dsp->dbChromaStrong = Sse2DbChromaStrong;
    dsp->dbGatherLeft = Sse2DbGatherLeft;
    dsp->dbScatterLeft = Sse2DbScatterLeft;
    dsp->dbGatherTopChroma = Sse2DbGatherTopChroma;
    dsp->dbStoreRow8 = Sse2DbStoreRow8;
    dsp->dbGatherTop = Sse2DbGatherTop;
    dsp->dbScatterTop = Sse2DbScatterTop;
    dsp->mbStoreLuma = Sse2MbStoreLuma;
    dsp->mbStoreChroma = Sse2MbStoreChroma;
    dsp->intra4x4Pred = kSse2Intra4x4;
    dsp->intra16x16Pred = kSse2Intra16x16;
    dsp->intraChromaPred = kSse2IntraChroma;
    dsp->lumaMc4x4 = kSse2LumaMc4x4;
    dsp->lumaMc4x8 = kSse2LumaMc4x8;
    dsp->lumaMc8x16 = kSse2LumaMc8x16;
    dsp->chromaMc4x2 = kSse2ChromaMc4x2;
    dsp->chromaMc8x4 = kSse2ChromaMc8x4;
    dsp->interReconstruct = kSse2InterRecon;
    dsp->dbLumaNormal16 = Sse2DbLumaNormal16;
    dsp->chromaMc8x8 = kSse2ChromaMc8x8;
    dsp->lumaMc8x8 = kSse2LumaMc8x8;
    dsp->mbRightColumn = Sse2MbRightColumn;
}

void H264DecInitDspFunctions(H264DspTable* dsp, int cpuLevel) {
    if (cpuLevel > 3)
        H264DspInitSimd(dsp);
    else
        H264DspInitPlain(dsp);
}
