// H.264 decoder engine: context, records and internal entry points.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include "h264_dsp.h"
#include "h264dec.h"

// ---------------------------------------------------------------- bit reader
struct H264BitReader {
    const uint8_t* buf = nullptr;
    uint32_t pos = 0;   // bit position
    uint32_t end = 0;   // bit end: the byte holding the stop bit lies beyond it
    uint32_t size = 0;  // bytes readable in buf (reads past it give zeros)
};

// True when a ue(v) of more than 32 bits was met since the flag was cleared.
extern thread_local bool g_bitUeOverflow;

// The 32 bits from the current position; bytes past `size` read as zeros.
uint32_t BitPeek32Tail(const H264BitReader* br);
inline uint32_t BitPeek32(const H264BitReader* br) {
    const uint32_t byte = br->pos >> 3;
    if (byte + 8 > br->size) return BitPeek32Tail(br);
    // One unaligned 8-byte load, big-endian: the 32 bits at any bit offset
    // within the first byte lie inside it.
    uint64_t v;
    std::memcpy(&v, br->buf + byte, 8);
    v = __builtin_bswap64(v);
    return uint32_t((v << (br->pos & 7)) >> 32);
}

inline uint32_t BitReadBits(uint32_t n, H264BitReader* br) {
    if (n == 0) return 0;
    uint32_t v = BitPeek32(br) >> (32 - n);
    br->pos += n;
    return v;
}

uint32_t BitReadUeLong(uint32_t peek, H264BitReader* br);
inline uint32_t BitReadUe(H264BitReader* br) {
    const uint32_t v = BitPeek32(br);
    if (v >= 0x10000u) {  // fewer than 16 leading zeros: the code lies in the peek
        const int z = __builtin_clz(v);
        br->pos += uint32_t(2 * z + 1);
        return (v >> (31 - 2 * z)) - 1;
    }
    return BitReadUeLong(v, br);
}

inline int32_t BitReadSe(H264BitReader* br) {
    uint32_t k = BitReadUe(br);
    if (k & 1) return int32_t((k >> 1) + 1);
    return -int32_t(k >> 1);
}

inline int BitMoreRbspData(const H264BitReader* br) { return br->pos < br->end ? 1 : 0; }
inline void BitSkip(uint32_t n, H264BitReader* br) { br->pos += n; }

// ------------------------------------------------------------ status codes
enum : uint32_t {
    kNalEnd = 1,
    kNalSliceNewPicture = 2,
    kNalSliceSamePicture = 3,
    kNalSps = 7,
    kNalPps = 8,
    kNalIgnored = 9,
    kErrNalUnsupported = 0x10000001,
    kErrSliceTooEarly = 0x10000004,
};

// --------------------------------------------------------- parameter sets
struct H264SeqParamSet {
    uint32_t profileIdc;
    uint32_t constraintFlags;  // set0..set3 in bits 0..3
    uint32_t levelIdc;
    uint32_t id;  // 32 when empty
    uint32_t log2MaxFrameNumMinus4;
    uint32_t maxFrameNum;
    uint32_t pocType;
    uint32_t log2MaxPocLsbMinus4;
    uint32_t deltaPicOrderAlwaysZero;
    int32_t offsetForNonRefPic;
    int32_t offsetForTopToBottomField;
    uint32_t numRefFramesInPocCycle;
    int32_t offsetForRefFrame[256];
    uint32_t numRefFrames;
    uint32_t gapsAllowed;
    uint32_t widthMbsMinus1;
    uint32_t heightMapUnitsMinus1;
    uint32_t frameMbsOnly;
    uint32_t width;   // pixels
    uint32_t height;  // pixels
    uint32_t direct8x8Inference;
    uint32_t cropLeft, cropRight, cropTop, cropBottom;  // pixels
    uint32_t dpbSize;
    uint32_t newlyStored;
};

struct H264PicParamSet {
    const H264SeqParamSet* sps;
    uint32_t id;  // 256 when empty
    uint32_t spsId;
    uint32_t bottomFieldPicOrderPresent;
    uint32_t entropyCodingMode;
    uint32_t numRefIdxL0DefaultMinus1;
    uint32_t numRefIdxL1DefaultMinus1;
    uint32_t weightedPred;
    uint32_t weightedBipredIdc;
    int32_t picInitQpMinus26;
    int32_t picInitQsMinus26;
    int32_t chromaQpIndexOffset;
    uint32_t deblockingControlPresent;
    uint32_t constrainedIntraPred;
    uint32_t redundantPicCntPresent;
    uint32_t newlyStored;
};

enum H264SliceKind : uint32_t { kSliceP = 0, kSliceB = 1, kSliceI = 2 };

struct H264Mmco {
    uint32_t op;
    uint32_t diffPicNumsMinus1;
    uint32_t longTermPicNum;
    uint32_t longTermFrameIdx;
    uint32_t maxLongTermFrameIdxPlus1;
};

struct H264SliceHeader {
    uint32_t firstMb;
    uint32_t sliceType;
    uint32_t kind;  // H264SliceKind
    uint32_t ppsId;
    uint32_t frameNum;
    uint32_t fieldPic, bottomField;
    uint32_t widthMbs, heightMbs, sizeMbs;
    uint32_t idrPicId;  // 0x10000 when not IDR
    uint32_t pocLsb;
    int32_t deltaPocBottom;
    int32_t deltaPoc[2];
    uint32_t numRefIdxOverride;
    uint32_t numRefIdxL0Minus1;
    uint32_t numRefIdxL1Minus1;
    uint32_t refListModification;
    uint32_t numModOps;
    uint32_t modIdc[33];
    uint32_t modValue[33];
    uint32_t weightMode;  // 0 none, 1 explicit
    uint32_t lumaLog2Denom, chromaLog2Denom;
    int32_t lumaDefault, chromaDefault;
    uint8_t lumaWeightFlag[32];
    int16_t lumaWeight[32], lumaOffset[32];
    uint8_t chromaWeightFlag[32];
    int16_t chromaWeight[32][2], chromaOffset[32][2];
    uint32_t noOutputOfPriorPics;
    uint32_t longTermReference;
    uint32_t adaptiveRefPicMarking;
    uint32_t numMmco;
    H264Mmco mmco[33];
    uint32_t prevNumMmco;
    H264Mmco prevMmco[33];
    uint32_t cabacInitIdc;
    int32_t sliceQpDelta;
    uint32_t disableDeblock;
    int32_t alphaOffsetDiv2;
    int32_t betaOffsetDiv2;
    // From the NAL header of the slice.
    uint32_t nalRefIdc;
    uint32_t nalType;
};

// Fields compared by the new-picture test.
struct H264LastSlice {
    uint32_t valid;
    uint32_t ppsId, frameNum, fieldPic, bottomField, nalRefIdc, nalType, idrPicId;
    uint32_t pocLsb;
    int32_t deltaPocBottom;
    int32_t deltaPoc[2];
};

// ------------------------------------------------------------- pictures
enum : int32_t { kOutDecoding = 0, kOutHandedOut = 1, kOutQueued = 2 };

struct H264Picture {
    int32_t index;
    int32_t outputState;
    int32_t nonExisting;
    int32_t inBuffer;
    uint32_t kind;
    uint32_t callerValue1, callerValue2;
    int32_t width, height, strideY, strideC;
    int32_t cropLeft, cropRight, cropTop, cropBottom;
    int32_t pictureType;
    int32_t idr;
    int32_t damaged;
    uint32_t nalType;
    uint32_t frameNum;
    int32_t frameNumWrap;
    int32_t reference;   // short- or long-term reference
    int32_t longTerm;
    uint32_t longTermFrameIdx;
    int32_t topPoc, bottomPoc, poc;
    uint32_t mbsExpected;
    uint32_t mbsDecoded;
    int32_t hadMmco5;
    const uint8_t* userData;
    uint8_t* y;
    uint8_t* u;
    uint8_t* v;
    uint32_t storeOrder;  // for the sliding window: order of becoming short-term
};

constexpr int kMaxPictures = 36;
constexpr int kMaxDpb = 16;
constexpr int kOutputQueue = 64;
constexpr uint32_t kNoLongTermIdx = 0xFFFFFFFFu;

// ------------------------------------------------------- macroblock records
struct H264MbInfo {
    uint8_t available;
    uint8_t fieldMb;
    uint8_t qp;
    uint8_t qpc;
    uint8_t intraModes[16];
    uint8_t totalCoeff[24];
    uint8_t bottomY[16];
    uint8_t bottomCb[8];
    uint8_t bottomCr[8];
};

struct H264Mv {
    int16_t x, y;
};

struct H264MbMotion {
    int16_t mbType;
    int16_t refStruct;
    int8_t refIdxL0[4];
    int8_t refIdxL1[4];
    uint8_t refParity[4];
    int32_t refPoc[4];
    H264Mv mvL0[16];
    H264Mv mvL1[16];
};

struct alignas(16) H264MbWork {
    int32_t mbX, mbY, mbAddr;
    int32_t subMbType[4];
    int32_t prevIntraFlag[16];
    int32_t remIntraMode[16];
    uint8_t bS[40];
    int32_t cbp;
    int32_t chromaPredMode;
    int32_t intra16Mode;
    uint8_t dequantY[4];
    uint8_t dequantC[4];
    const int32_t* scaleY;  // the factors above by scan position (a shared table)
    const int32_t* scaleC;
    uint8_t leftY[16];
    uint8_t leftCb[8];
    uint8_t leftCr[8];
    alignas(16) int16_t coefY[256];
    alignas(16) int16_t coefCb[64];
    alignas(16) int16_t coefCr[64];
    // Luma work area: 299 bytes.
    alignas(16) uint8_t predY[256];
    uint8_t nbLeftY[16];
    uint8_t nbTopY[16];
    uint8_t nbTopRightY[4];
    uint8_t nbLeftAvail[4];
    uint8_t nbTopLeftY;
    uint8_t nbTopAvail;
    uint8_t nbTopRightAvail;
    // Chroma work areas: 81 bytes each.
    alignas(16) uint8_t predCb[64];
    uint8_t nbLeftCb[8];
    uint8_t nbTopCb[8];
    uint8_t nbTopLeftCb;
    alignas(16) uint8_t predCr[64];
    uint8_t nbLeftCr[8];
    uint8_t nbTopCr[8];
    uint8_t nbTopLeftCr;
};
static_assert(offsetof(H264MbWork, nbTopRightAvail) - offsetof(H264MbWork, predY) == 298, "luma work area");
static_assert(offsetof(H264MbWork, nbTopLeftCb) - offsetof(H264MbWork, predCb) == 80, "chroma work area");

struct H264MvCandidate {
    uint8_t available;
    uint8_t intra;
    int8_t refIdxL0;
    int8_t refIdxL1;
    H264Mv mvL0;
    H264Mv mvL1;
};

enum : int { kNbLeft = 0, kNbTop = 1, kNbTopRight = 2, kNbTopLeft = 3, kNbCur = 4, kNbUnavail = 5 };

// ---------------------------------------------------------------- context
struct alignas(16) H264DecContext {
    // 1. limits
    uint32_t maxW, maxH, refFrames, outputMode;
    uint32_t maxLineLen;
    // 2. neighbour rows
    H264MbInfo** infoRowA;
    H264MbInfo** infoRowB;
    H264MbMotion** motionRowA;
    H264MbMotion** motionRowB;
    H264MbInfo* infoRecords;      // 2W records
    H264MbMotion* motionRecords;  // 2W records
    // 3. picture memory
    uint8_t* pictureMemory;
    uint32_t numPictureStores;  // 2R + 4
    uint8_t** planeY;
    uint8_t** planeU;
    uint8_t** planeV;
    // 4. pictures
    H264Picture pictures[kMaxPictures];
    // Bytes of each store's Cb and Cr planes set to 128 so far (the stores
    // start out black: luma 0 from the allocation, chroma set on first use).
    uint32_t chromaFilled[kMaxPictures];
    // 5. frame stores (16 DPB + 1 direct)
    H264Picture** frameStores;
    // 6. RBSP buffer and bit reader
    uint8_t* rbsp;
    uint32_t rbspCapacity;
    uint32_t rbspLen;
    H264BitReader br;
    // 7. byte scanner
    const uint8_t* inPtr;
    uint32_t inLen;
    uint32_t inPos;
    uint32_t window;  // last three bytes in the low 24 bits
    uint32_t startCodes;
    uint32_t flushed;
    uint8_t flushBytes[4];
    // 8. parameter sets
    H264SeqParamSet* spsTable;  // 32
    H264PicParamSet* ppsTable;  // 256
    H264SeqParamSet activeSps;
    H264PicParamSet activePps;
    uint32_t haveActiveSps, haveActivePps;
    H264SliceHeader sh;
    H264SliceHeader picSh;  // last slice header of the picture being decoded
    uint32_t wrapFrameNum;  // frame_num that PicNum values are relative to
    H264LastSlice last;
    uint32_t paramsChanged;
    // 9. output queue
    int32_t outQueue[kOutputQueue];
    uint32_t outWrite, outRead;
    uint32_t picturesInUse;
    // 10. caller values
    uint32_t callerValue1, callerValue2;
    // 11. SEI
    uint32_t interlacedHint;
    uint8_t userData[2 + 255];  // type, length, payload
    uint32_t haveUserData;
    // NAL layer
    uint32_t streamState;
    uint32_t nalRefIdc, nalType;
    // Picture buffer
    H264Picture* cur;  // picture being decoded, or null
    H264Picture* dpb[kMaxDpb];
    uint32_t dpbCount;
    uint32_t dpbSize;
    int32_t lastOutputPoc;
    uint32_t maxLongTermFrameIdx;
    int32_t lastHadMmco5;
    int32_t prevPocMsb, prevPocLsb;
    int32_t prevFrameNumOffset;
    uint32_t prevFrameNum;
    uint32_t prevRefFrameNum;
    int32_t prevTopPocAfterMmco5;
    uint32_t storeCounter;
    H264Picture* refList0[33];
    uint32_t refList0Size;
    // Slice data
    H264MbInfo* nbInfo[6];
    H264MbMotion* nbMotion[6];
    H264MbInfo curInfo, leftInfo, unavailInfo;
    H264MbMotion curMotion, leftMotion, unavailMotion;
    H264MbWork* work;
    int32_t qp;
    uint32_t mbCounter;
    H264MvCandidate cand[3];
    H264PredWeightTable weights;  // explicit weights of the current slice
    // 12. kernels
    H264DspTable* dsp;
};

// ---------------------------------------------------------------- layers
void* H264AlignedAlloc(size_t size);
void H264AlignedFree(void* p);
void H264AdviseLargePages(const H264DecContext* c, const uint8_t* from, size_t bytes);

uint32_t H264DecodeNal(H264DecContext* c);
uint32_t H264ParseSps(H264DecContext* c);
uint32_t H264ParsePps(H264DecContext* c);
uint32_t H264ParseSliceHeader(H264DecContext* c);
int H264IsNewPicture(const H264DecContext* c);
void H264RememberSlice(H264DecContext* c);

// Picture buffer.
int H264StartPicture(H264DecContext* c);
void H264FinishPicture(H264DecContext* c);
int H264BuildRefList0(H264DecContext* c);
void H264ModifyRefList0(H264DecContext* c);
void H264FlushDpb(H264DecContext* c);
void H264ResetPictureState(H264DecContext* c);
void H264QueueOutput(H264DecContext* c, H264Picture* p);

// Slice data.
int H264DecodeSliceData(H264DecContext* c);

// Table of the chroma QP mapping (Table 8-15), by clipped qPI.
extern const uint8_t kH264ChromaQp[52];
