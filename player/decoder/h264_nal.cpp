// Bit reader, NAL unit dispatch, SEI, parameter sets and slice headers.
#include <cstring>
#include "h264_internal.h"

thread_local bool g_bitUeOverflow = false;

// ---------------------------------------------------------------- bit reader
uint32_t BitPeek32Tail(const H264BitReader* br) {
    uint32_t byte = br->pos >> 3;
    uint32_t shift = br->pos & 7;
    uint64_t v = 0;
    for (uint32_t i = 0; i < 5; ++i) {
        uint32_t b = byte + i < br->size ? br->buf[byte + i] : 0;
        v = (v << 8) | b;
    }
    return uint32_t(v >> (8 - shift));
}

// ue(v) with 16 or more leading zeros.
uint32_t BitReadUeLong(uint32_t v, H264BitReader* br) {
    if (v == 0) {
        // 32 leading zeros or more: a code longer than any valid ue(v).
        g_bitUeOverflow = true;
        br->pos += 32;
        return 0xFFFFFFFFu;
    }
    int z = __builtin_clz(v);
    br->pos += z;
    uint64_t bits = BitReadBits(z + 1, br);
    return uint32_t(bits - 1);
}

// ------------------------------------------------------------ tables
const uint8_t kH264ChromaQp[52] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25,
    26, 27, 28, 29, 29, 30, 31, 32, 32, 33, 34, 34, 35, 35, 36, 36, 37, 37, 37, 38, 38, 38, 39, 39, 39, 39};

namespace {

// MaxDPB (bytes) of Table A-1 by level_idc; 0 for unknown levels.
uint32_t MaxDpbBytes(uint32_t level) {
    switch (level) {
    case 10: return 152064;
    case 11: return 345600;
    case 12: case 13: case 20: return 912384;
    case 21: return 1824768;
    case 22: case 30: return 3110400;
    case 31: return 6912000;
    case 32: return 7864320;
    case 40: case 41: return 12582912;
    case 42: return 13369344;
    case 50: return 42393600;
    case 51: return 70778880;
    default: return 0;
    }
}

bool IsHighProfile(uint32_t p) {
    return p == 100 || p == 110 || p == 122 || p == 244 || p == 44 || p == 83 || p == 86 || p == 118 ||
           p == 128 || p == 138 || p == 139 || p == 134 || p == 135;
}

}  // namespace

// ---------------------------------------------------------------- SPS
uint32_t H264ParseSps(H264DecContext* c) {
    H264BitReader* br = &c->br;
    H264SeqParamSet s;
    std::memset(&s, 0, sizeof s);
    g_bitUeOverflow = false;
    s.profileIdc = BitReadBits(8, br);
    s.constraintFlags = BitReadBits(4, br);
    BitReadBits(4, br);
    s.levelIdc = BitReadBits(8, br);
    s.id = BitReadUe(br);
    if (s.id > 31) return 0x20000001;
    if (IsHighProfile(s.profileIdc)) {
        // Only what the baseline decoder can do: 4:2:0, 8 bit, flat scaling.
        uint32_t chromaFormat = BitReadUe(br);
        if (chromaFormat == 3) BitReadBits(1, br);
        uint32_t depthLuma = BitReadUe(br);
        uint32_t depthChroma = BitReadUe(br);
        uint32_t bypass = BitReadBits(1, br);
        uint32_t scaling = BitReadBits(1, br);
        if (chromaFormat != 1 || depthLuma != 0 || depthChroma != 0 || bypass || scaling) return 0x2000000d;
    }
    s.log2MaxFrameNumMinus4 = BitReadUe(br);
    if (s.log2MaxFrameNumMinus4 > 12) return 0x20000002;
    s.maxFrameNum = 1u << (s.log2MaxFrameNumMinus4 + 4);
    s.pocType = BitReadUe(br);
    if (s.pocType > 2) return 0x20000004;
    if (s.pocType == 0) {
        s.log2MaxPocLsbMinus4 = BitReadUe(br);
        if (s.log2MaxPocLsbMinus4 > 12) return 0x20000004;
    } else if (s.pocType == 1) {
        s.deltaPicOrderAlwaysZero = BitReadBits(1, br);
        s.offsetForNonRefPic = BitReadSe(br);
        s.offsetForTopToBottomField = BitReadSe(br);
        s.numRefFramesInPocCycle = BitReadUe(br);
        if (s.numRefFramesInPocCycle > 255) return 0x20000005;
        for (uint32_t i = 0; i < s.numRefFramesInPocCycle; ++i) s.offsetForRefFrame[i] = BitReadSe(br);
    }
    s.numRefFrames = BitReadUe(br);
    if (s.numRefFrames > 16) return 0x20000003;
    if (s.numRefFrames > c->refFrames) return 0x2000000a;
    s.gapsAllowed = BitReadBits(1, br);
    s.widthMbsMinus1 = BitReadUe(br);
    s.heightMapUnitsMinus1 = BitReadUe(br);
    s.frameMbsOnly = BitReadBits(1, br);
    if (!s.frameMbsOnly) {
        BitReadBits(1, br);
        return 0x2000000b;
    }
    if (s.widthMbsMinus1 + 1 > c->maxW || s.heightMapUnitsMinus1 + 1 > c->maxH || s.widthMbsMinus1 == 0 ||
        s.heightMapUnitsMinus1 == 0 || g_bitUeOverflow)
        return 0x2000000c;
    s.width = 16 * (s.widthMbsMinus1 + 1);
    s.height = 16 * (s.heightMapUnitsMinus1 + 1);
    s.direct8x8Inference = BitReadBits(1, br);
    if (BitReadBits(1, br)) {
        // Offsets count in crop units: two samples each way for 4:2:0 frames.
        uint32_t l = BitReadUe(br), r = BitReadUe(br), t = BitReadUe(br), b = BitReadUe(br);
        if (g_bitUeOverflow || l > s.width || r > s.width || t > s.height || b > s.height ||
            2 * (l + r) >= s.width || 2 * (t + b) >= s.height)
            return 0x20000006;
        s.cropLeft = 2 * l;
        s.cropRight = 2 * r;
        s.cropTop = 2 * t;
        s.cropBottom = 2 * b;
    }
    if (g_bitUeOverflow) return 0x20000001;
    uint32_t maxDpbFrames = 16;
    if (uint32_t bytes = MaxDpbBytes(s.levelIdc)) {
        maxDpbFrames = bytes / (384 * (s.widthMbsMinus1 + 1) * (s.heightMapUnitsMinus1 + 1));
        if (maxDpbFrames > 16) maxDpbFrames = 16;
    }
    uint32_t size = maxDpbFrames < 2 * c->refFrames ? maxDpbFrames : 2 * c->refFrames;
    if (s.numRefFrames > size) size = s.numRefFrames;
    if (size == 0) size = 1;
    s.dpbSize = size;
    s.newlyStored = 1;
    c->spsTable[s.id] = s;
    return 0;
}

// ---------------------------------------------------------------- PPS
uint32_t H264ParsePps(H264DecContext* c) {
    H264BitReader* br = &c->br;
    H264PicParamSet p;
    std::memset(&p, 0, sizeof p);
    g_bitUeOverflow = false;
    p.id = BitReadUe(br);
    if (p.id > 255) return 0x20000011;
    p.spsId = BitReadUe(br);
    if (p.spsId > 31 || c->spsTable[p.spsId].id == 32) return 0x20000012;
    p.sps = &c->spsTable[p.spsId];
    p.entropyCodingMode = BitReadBits(1, br);
    if (p.entropyCodingMode) return 0x2000001b;
    p.bottomFieldPicOrderPresent = BitReadBits(1, br);
    if (BitReadUe(br) != 0) return 0x2000001a;
    p.numRefIdxL0DefaultMinus1 = BitReadUe(br);
    if (p.numRefIdxL0DefaultMinus1 > 31) return 0x20000016;
    p.numRefIdxL1DefaultMinus1 = BitReadUe(br);
    if (p.numRefIdxL1DefaultMinus1 > 31) return 0x20000017;
    p.weightedPred = BitReadBits(1, br);
    p.weightedBipredIdc = BitReadBits(2, br);
    if (p.weightedBipredIdc) return 0x2000001c;
    p.picInitQpMinus26 = BitReadSe(br);
    if (p.picInitQpMinus26 < -26 || p.picInitQpMinus26 > 25) return 0x20000013;
    p.picInitQsMinus26 = BitReadSe(br);
    if (p.picInitQsMinus26 < -26 || p.picInitQsMinus26 > 25) return 0x20000014;
    p.chromaQpIndexOffset = BitReadSe(br);
    if (p.chromaQpIndexOffset < -12 || p.chromaQpIndexOffset > 12) return 0x20000015;
    p.deblockingControlPresent = BitReadBits(1, br);
    p.constrainedIntraPred = BitReadBits(1, br);
    p.redundantPicCntPresent = BitReadBits(1, br);
    if (BitMoreRbspData(br)) {
        // High-profile extension: only the forms the decoder can do.
        uint32_t transform8x8 = BitReadBits(1, br);
        uint32_t scaling = BitReadBits(1, br);
        if (transform8x8 || scaling) return 0x2000001d;
    }
    if (g_bitUeOverflow) return 0x20000011;
    p.newlyStored = 1;
    c->ppsTable[p.id] = p;
    return 0;
}

// -------------------------------------------------------------- slice header
uint32_t H264ParseSliceHeader(H264DecContext* c) {
    H264BitReader* br = &c->br;
    H264SliceHeader& sh = c->sh;
    g_bitUeOverflow = false;
    sh.prevNumMmco = sh.numMmco;
    std::memcpy(sh.prevMmco, sh.mmco, sizeof sh.mmco);
    sh.nalRefIdc = c->nalRefIdc;
    sh.nalType = c->nalType;
    sh.firstMb = BitReadUe(br);
    sh.sliceType = BitReadUe(br);
    if (sh.sliceType > 9) return 0x30000001;
    static const uint32_t kKinds[5] = {kSliceP, kSliceB, kSliceI, kSliceP, kSliceI};
    uint32_t t = sh.sliceType % 5;
    if (t == 1) return 0x3000001a;
    if (t == 3 || t == 4) return 0x3000001c;  // SP and SI slices are not supported
    sh.kind = kKinds[t];
    sh.ppsId = BitReadUe(br);
    if (sh.ppsId > 255 || c->ppsTable[sh.ppsId].id == 256) return 0x30000002;
    H264PicParamSet* pps = &c->ppsTable[sh.ppsId];
    if (pps->spsId > 31 || c->spsTable[pps->spsId].id == 32) return 0x20000012;
    H264SeqParamSet* sps = &c->spsTable[pps->spsId];
    // A parameter set refused after the PPS was stored leaves a stale link;
    // refuse slices whose SPS no longer fits the PPS's picture.
    bool isIdr = c->nalType == 5;
    if (isIdr && sh.kind != kSliceI) return 0x30000001;
    // Activation.
    if (pps->newlyStored || !c->haveActivePps || c->activePps.id != pps->id) {
        c->activePps = *pps;
        pps->newlyStored = 0;
        c->haveActivePps = 1;
        c->paramsChanged = 1;
    }
    if (sps->newlyStored || !c->haveActiveSps || c->activeSps.id != sps->id) {
        c->activeSps = *sps;
        sps->newlyStored = 0;
        c->haveActiveSps = 1;
        c->paramsChanged = 1;
    }
    c->activePps.sps = &c->activeSps;
    const H264SeqParamSet& s = c->activeSps;
    const H264PicParamSet& p = c->activePps;
    sh.widthMbs = s.widthMbsMinus1 + 1;
    sh.heightMbs = s.heightMapUnitsMinus1 + 1;
    sh.sizeMbs = sh.widthMbs * sh.heightMbs;
    sh.frameNum = BitReadBits(s.log2MaxFrameNumMinus4 + 4, br);
    if (isIdr && sh.frameNum != 0) return 0x30000003;
    sh.fieldPic = 0;
    sh.bottomField = 0;
    sh.idrPicId = 0x10000;
    if (isIdr) sh.idrPicId = BitReadUe(br) & 0xFFFF;
    sh.pocLsb = 0;
    sh.deltaPocBottom = 0;
    sh.deltaPoc[0] = sh.deltaPoc[1] = 0;
    if (s.pocType == 0) {
        sh.pocLsb = BitReadBits(s.log2MaxPocLsbMinus4 + 4, br);
        if (p.bottomFieldPicOrderPresent) sh.deltaPocBottom = BitReadSe(br);
    } else if (s.pocType == 1 && !s.deltaPicOrderAlwaysZero) {
        sh.deltaPoc[0] = BitReadSe(br);
        if (p.bottomFieldPicOrderPresent) sh.deltaPoc[1] = BitReadSe(br);
    }
    if (p.redundantPicCntPresent && BitReadUe(br) != 0) return 0x3000001b;
    sh.numRefIdxOverride = 0;
    sh.numRefIdxL0Minus1 = p.numRefIdxL0DefaultMinus1;
    sh.numRefIdxL1Minus1 = p.numRefIdxL1DefaultMinus1;
    sh.refListModification = 0;
    sh.numModOps = 0;
    sh.weightMode = 0;
    if (sh.kind == kSliceP) {
        sh.numRefIdxOverride = BitReadBits(1, br);
        if (sh.numRefIdxOverride) {
            sh.numRefIdxL0Minus1 = BitReadUe(br);
            if (sh.numRefIdxL0Minus1 > 31) return 0x30000007;
        }
        sh.refListModification = BitReadBits(1, br);
        if (sh.refListModification) {
            for (;;) {
                uint32_t idc = BitReadUe(br);
                if (idc == 3) break;
                if (idc > 3 || sh.numModOps >= 33) return 0x30000008;
                sh.modIdc[sh.numModOps] = idc;
                sh.modValue[sh.numModOps] = BitReadUe(br);
                ++sh.numModOps;
            }
        }
        if (p.weightedPred) {
            sh.weightMode = 1;
            sh.lumaLog2Denom = BitReadUe(br);
            sh.chromaLog2Denom = BitReadUe(br);
            if (sh.lumaLog2Denom > 7 || sh.chromaLog2Denom > 7) return 0x30000009;
            sh.lumaDefault = 1 << sh.lumaLog2Denom;
            sh.chromaDefault = 1 << sh.chromaLog2Denom;
            for (uint32_t i = 0; i <= sh.numRefIdxL0Minus1; ++i) {
                sh.lumaWeightFlag[i] = uint8_t(BitReadBits(1, br));
                sh.lumaWeight[i] = int16_t(sh.lumaDefault);
                sh.lumaOffset[i] = 0;
                if (sh.lumaWeightFlag[i]) {
                    int32_t w = BitReadSe(br), o = BitReadSe(br);
                    if (w < -128 || w > 127 || o < -128 || o > 127) return 0x30000009;
                    sh.lumaWeight[i] = int16_t(w);
                    sh.lumaOffset[i] = int16_t(o);
                }
                sh.chromaWeightFlag[i] = uint8_t(BitReadBits(1, br));
                for (int j = 0; j < 2; ++j) {
                    sh.chromaWeight[i][j] = int16_t(sh.chromaDefault);
                    sh.chromaOffset[i][j] = 0;
                }
                if (sh.chromaWeightFlag[i]) {
                    for (int j = 0; j < 2; ++j) {
                        int32_t w = BitReadSe(br), o = BitReadSe(br);
                        if (w < -128 || w > 127 || o < -128 || o > 127) return 0x30000009;
                        sh.chromaWeight[i][j] = int16_t(w);
                        sh.chromaOffset[i][j] = int16_t(o);
                    }
                }
            }
        }
    }
    sh.noOutputOfPriorPics = 0;
    sh.longTermReference = 0;
    sh.adaptiveRefPicMarking = 0;
    sh.numMmco = 0;
    if (c->nalRefIdc) {
        if (isIdr) {
            sh.noOutputOfPriorPics = BitReadBits(1, br);
            sh.longTermReference = BitReadBits(1, br);
        } else {
            sh.adaptiveRefPicMarking = BitReadBits(1, br);
            if (sh.adaptiveRefPicMarking) {
                for (;;) {
                    uint32_t op = BitReadUe(br);
                    if (op == 0) break;
                    if (op > 6 || sh.numMmco >= 33) return 0x3000000a;
                    H264Mmco& m = sh.mmco[sh.numMmco++];
                    std::memset(&m, 0, sizeof m);
                    m.op = op;
                    if (op == 1 || op == 3) m.diffPicNumsMinus1 = BitReadUe(br);
                    if (op == 2) m.longTermPicNum = BitReadUe(br);
                    if (op == 3 || op == 6) m.longTermFrameIdx = BitReadUe(br);
                    if (op == 4) m.maxLongTermFrameIdxPlus1 = BitReadUe(br);
                }
            }
        }
    }
    sh.cabacInitIdc = 0;
    sh.sliceQpDelta = BitReadSe(br);
    int32_t qp = 26 + p.picInitQpMinus26 + sh.sliceQpDelta;
    if (qp < 0 || qp > 51) return 0x3000000b;
    sh.disableDeblock = 0;
    sh.alphaOffsetDiv2 = 0;
    sh.betaOffsetDiv2 = 0;
    if (p.deblockingControlPresent) {
        sh.disableDeblock = BitReadUe(br);
        if (sh.disableDeblock > 2) return 0x3000000c;
        if (sh.disableDeblock != 1) {
            sh.alphaOffsetDiv2 = BitReadSe(br);
            sh.betaOffsetDiv2 = BitReadSe(br);
            if (sh.alphaOffsetDiv2 < -6 || sh.alphaOffsetDiv2 > 6 || sh.betaOffsetDiv2 < -6 || sh.betaOffsetDiv2 > 6)
                return 0x3000000c;
        }
    }
    if (g_bitUeOverflow) return 0x3000000d;
    if (sh.firstMb >= sh.sizeMbs) return 0x3000000e;
    return 0;
}

int H264IsNewPicture(const H264DecContext* c) {
    const H264LastSlice& l = c->last;
    const H264SliceHeader& sh = c->sh;
    if (!l.valid || !c->cur) return 1;
    if (sh.ppsId != l.ppsId || sh.frameNum != l.frameNum || sh.fieldPic != l.fieldPic ||
        sh.bottomField != l.bottomField)
        return 1;
    if ((sh.nalRefIdc == 0) != (l.nalRefIdc == 0)) return 1;
    if (sh.nalType != l.nalType) return 1;
    if (sh.nalType == 5 && l.nalType == 5 && sh.idrPicId != l.idrPicId) return 1;
    uint32_t pocType = c->activeSps.pocType;
    if (pocType == 0 && (sh.pocLsb != l.pocLsb || sh.deltaPocBottom != l.deltaPocBottom)) return 1;
    if (pocType == 1 && (sh.deltaPoc[0] != l.deltaPoc[0] || sh.deltaPoc[1] != l.deltaPoc[1])) return 1;
    if (sh.firstMb == 0 && c->mbCounter >= sh.sizeMbs) return 1;
    return 0;
}

void H264RememberSlice(H264DecContext* c) {
    H264LastSlice& l = c->last;
    const H264SliceHeader& sh = c->sh;
    // The picture is marked and stored with its own header once the next
    // picture's first slice has already replaced the current one.
    c->picSh = sh;
    l.valid = 1;
    l.ppsId = sh.ppsId;
    l.frameNum = sh.frameNum;
    l.fieldPic = sh.fieldPic;
    l.bottomField = sh.bottomField;
    l.nalRefIdc = sh.nalRefIdc;
    l.nalType = sh.nalType;
    l.idrPicId = sh.idrPicId;
    l.pocLsb = sh.pocLsb;
    l.deltaPocBottom = sh.deltaPocBottom;
    l.deltaPoc[0] = sh.deltaPoc[0];
    l.deltaPoc[1] = sh.deltaPoc[1];
}

// ---------------------------------------------------------------- SEI
static uint32_t DecodeSei(H264DecContext* c) {
    const uint8_t* d = c->br.buf + 1;
    uint32_t avail = c->br.size > 1 ? c->br.size - 1 : 0;
    if (avail < 2) return kNalSliceNewPicture;  // an SEI of length 0 carries nothing
    uint32_t v = uint32_t(d[0]) << 16 | uint32_t(d[1]) << 8 | (avail > 2 ? d[2] : 0);
    if ((v & 0xFFFF00) == 0xE00100) {
        if (avail > 2) c->interlacedHint = v & 1;
    } else if ((v & 0xFF0000) == 0xF00000) {
        uint32_t len = d[1];
        if (len > avail - 2) len = avail - 2;  // never past the unit
        c->userData[0] = 240;
        c->userData[1] = uint8_t(len);
        std::memcpy(c->userData + 2, d + 2, len);
        c->haveUserData = 1;
    }
    return kNalSliceNewPicture;
}

// ---------------------------------------------------------------- dispatch
uint32_t H264DecodeNal(H264DecContext* c) {
    H264BitReader* br = &c->br;
    uint32_t hdr = BitReadBits(8, br);
    c->nalRefIdc = (hdr >> 5) & 3;
    c->nalType = hdr & 31;
    switch (c->nalType) {
    case 1:
    case 5: {
        if (c->streamState == 2 && c->nalType == 5) c->streamState = 3;
        if (c->streamState < 2) return kErrSliceTooEarly;
        uint32_t r = H264ParseSliceHeader(c);
        if (r) return r;
        if (c->streamState != 3 && c->sh.kind != kSliceI) return kErrSliceTooEarly;
        c->streamState = 3;
        bool isNew = H264IsNewPicture(c) != 0;
        if (isNew) {
            if (H264StartPicture(c) != 0) {
                c->streamState = 2;
                return 0x30000006;
            }
        }
        H264RememberSlice(c);
        if (c->sh.kind == kSliceP) {
            if (H264BuildRefList0(c) != 0) return 0x30000005;
            H264ModifyRefList0(c);
        }
        int e = H264DecodeSliceData(c);
        if (e) {
            c->cur->damaged = 1;
            return 0x40000000u + uint32_t(e);
        }
        return isNew ? kNalSliceNewPicture : kNalSliceSamePicture;
    }
    case 6:
        return DecodeSei(c);
    case 7: {
        uint32_t r = H264ParseSps(c);
        if (r) return r;
        if (c->streamState == 0) c->streamState = 1;
        return kNalSps;
    }
    case 8: {
        uint32_t r = H264ParsePps(c);
        if (r) return r;
        if (c->streamState == 1) c->streamState = 2;
        return kNalPps;
    }
    case 9:
    case 10:
    case 12:
        return kNalIgnored;
    case 11:
        return kNalEnd;
    default:
        return kErrNalUnsupported;
    }
}
