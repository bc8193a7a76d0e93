// H.264 decoder engine: public interface.
//
// Decodes Annex B byte streams (CAVLC, frame pictures, one slice group, I and
// P slices) into 4:2:0 8-bit pictures. Portable C++: no platform headers.
//
// Calling order: H264DecCreate; H264DecDecodeFrame with data whenever data
// comes (after every 0, call again with null data and length 0 until it
// returns -1, since the rest of the input is kept); at the end call with null
// data and flags bit 0 until -2; H264DecRelease.
#pragma once
#include <cstdint>

struct H264DecContext;

struct H264DecParams {
    uint32_t reserved0;
    uint32_t reserved1;
    uint32_t maxWidthMbs;   // 2..128, else 45
    uint32_t maxHeightMbs;  // 6..128, else 36
    uint32_t refFrames;     // 0 -> 4, above 16 -> 16
    uint32_t flags;         // bit 0: output in picture-order-count order
};

struct H264DecPicture {
    uint8_t* y;
    uint8_t* u;
    uint8_t* v;
    int32_t width;
    int32_t height;
    int32_t strideY;
    int32_t strideC;
    int32_t cropLeft;
    int32_t cropRight;
    int32_t cropTop;
    int32_t cropBottom;
    int32_t index;         // picture index 0..35
    int32_t pictureType;   // 0 progressive; 1/2 field pair hint by frame_num parity
    int32_t damaged;       // not completely decoded
    int32_t idr;
    uint32_t callerValue1;
    uint32_t callerValue2;
    int32_t poc;
    const uint8_t* userData;  // SEI user data record carried with the picture, or null
};

enum : uint32_t {
    H264DEC_OUTPUT_POC_ORDER = 1u,  // H264DecParams::flags
    H264DEC_FLUSH = 1u,             // H264DecDecodeFrame flags
};

// Processor level: 0 no MMX/CPUID, 1 MMX, 2 +CMOV, 3 +FXSR/SSE (saved by
// the OS), 4 +SSE2, 5 +SSE3.
int H264DecCpuLevel();

H264DecContext* H264DecCreate(const H264DecParams* params);
// Returns 0 with a picture in *out; -1 when all input is consumed; -2 on a
// flush with no picture left; -3 for a null context or out.
int H264DecDecodeFrame(H264DecContext* ctx, const uint8_t* data, uint32_t length,
                       uint32_t callerValue1, uint32_t callerValue2,
                       H264DecPicture* out, uint32_t flags);
int H264DecGetOutputPicture(H264DecContext* ctx, H264DecPicture* out);
H264DecContext* H264DecRelease(H264DecContext* ctx);

// Test hook: the processor level H264DecCreate uses instead of probing
// (-1 probes again). Level 3 or below selects the plain kernel set.
void H264DecSetCpuLevelOverride(int level);
