// H.264 decoder engine: creation, the byte scanner, output and release.
#include <cstdlib>
#include <cstring>
#include <new>
#include "h264_dsp.h"
#include "h264_internal.h"

#ifdef __linux__
#include <sys/mman.h>
#endif
#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#define H264_X86 1
#endif

// ------------------------------------------------------------ allocation
// Over-allocates by 16, aligns to 16 and keeps the distance to the true
// start in the byte before the aligned block. Zeroed by calloc: the picture
// store's megabytes come from the system as zero pages when first touched,
// not written through at creation.
void* H264AlignedAlloc(size_t size) {
    uint8_t* raw = static_cast<uint8_t*>(std::calloc(size + 16, 1));
    if (!raw) return nullptr;
    size_t shift = 16 - (reinterpret_cast<uintptr_t>(raw) & 15);  // 1..16
    uint8_t* p = raw + shift;
    p[-1] = uint8_t(shift);
    return p;
}

void H264AlignedFree(void* ptr) {
    if (!ptr) return;
    uint8_t* p = static_cast<uint8_t*>(ptr);
    std::free(p - p[-1]);
}

// Asks for large pages (2 MB) where the system offers them on request, for
// the large pages [from, from + bytes) touches inside the picture stores: a
// 1080p reference block's rows then lie in one page, not in a dozen, and a
// store is mapped 2 MB a time. Only advice: nothing is allocated here and
// nothing can fail.
void H264AdviseLargePages(const H264DecContext* c, const uint8_t* from, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const uintptr_t large = uintptr_t(2) << 20;
    const uintptr_t stores = reinterpret_cast<uintptr_t>(c->pictureMemory);
    const uintptr_t storesEnd = stores + size_t(c->maxW) * c->maxH * 384 * c->numPictureStores;
    const uintptr_t at = reinterpret_cast<uintptr_t>(from);
    uintptr_t begin = at & ~(large - 1), end = (at + bytes + large - 1) & ~(large - 1);
    if (begin < stores) begin = (stores + large - 1) & ~(large - 1);
    if (end > storesEnd) end = storesEnd & ~(large - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)c;
    (void)from;
    (void)bytes;
#endif
}

// ------------------------------------------------------------ processor level
static int g_cpuLevelOverride = -1;

void H264DecSetCpuLevelOverride(int level) { g_cpuLevelOverride = level; }

#ifdef H264_X86
// Checks that the operating system saves the vector registers: change a
// value in the saved area, restore it, save again and see that it survived.
static bool VectorStateSaved() {
    alignas(16) uint8_t area[512];
    alignas(16) uint8_t area2[512];
    std::memset(area, 0, sizeof area);
    std::memset(area2, 0, sizeof area2);
    asm volatile("fxsave %0" : "=m"(area));
    // XMM0 lives at offset 160 of the save area.
    uint8_t saved[16];
    std::memcpy(saved, area + 160, 16);
    area[160] ^= 0x5A;
    asm volatile("fxrstor %0" : : "m"(area));
    asm volatile("fxsave %0" : "=m"(area2));
    bool ok = area2[160] == area[160];
    std::memcpy(area + 160, saved, 16);
    asm volatile("fxrstor %0" : : "m"(area));
    return ok;
}
#endif

int H264DecCpuLevel() {
#ifdef H264_X86
    unsigned a, b, c, d;
    if (!__get_cpuid(0, &a, &b, &c, &d) || a < 1) return 0;
    __cpuid(1, a, b, c, d);
    if (!(d & (1u << 23))) return 0;  // MMX
    int level = 1;
    if (!(d & (1u << 15))) return level;  // CMOV
    level = 2;
    if (!(d & (1u << 24)) || !(d & (1u << 25))) return level;  // FXSR, SSE
    if (!VectorStateSaved()) return 2;
    level = 3;
    if (!(d & (1u << 26))) return level;  // SSE2
    level = 4;
    if (c & 1u) level = 5;  // SSE3
    return level;
#else
    return 2;  // portable build: plain kernels
#endif
}

// ------------------------------------------------------------ create/release
namespace {

void ResetDecodingState(H264DecContext* c) {
    for (int i = 0; i < 32; ++i) c->spsTable[i].id = 32;
    for (int i = 0; i < 256; ++i) c->ppsTable[i].id = 256;
    c->haveActivePps = c->haveActiveSps = 0;
    c->last.valid = 0;
    c->streamState = 0;
    H264ResetPictureState(c);
    c->startCodes = 0;
    c->window = 0xFFFFFF;
    c->rbspLen = 0;
    c->flushed = 0;
    c->flushBytes[0] = 0;
    c->flushBytes[1] = 0;
    c->flushBytes[2] = 0;
    c->flushBytes[3] = 1;
    c->interlacedHint = 0;
    c->haveUserData = 0;
}

void FreeContext(H264DecContext* c) {
    H264AlignedFree(c->infoRowA);
    H264AlignedFree(c->infoRowB);
    H264AlignedFree(c->motionRowA);
    H264AlignedFree(c->motionRowB);
    H264AlignedFree(c->infoRecords);
    H264AlignedFree(c->motionRecords);
    H264AlignedFree(c->pictureMemory);
    H264AlignedFree(c->planeY);
    H264AlignedFree(c->planeU);
    H264AlignedFree(c->planeV);
    H264AlignedFree(c->frameStores);
    H264AlignedFree(c->spsTable);
    H264AlignedFree(c->ppsTable);
    H264AlignedFree(c->work);
    H264AlignedFree(c->dsp);
    H264AlignedFree(c);
}

}  // namespace

H264DecContext* H264DecCreate(const H264DecParams* params) {
    int level = g_cpuLevelOverride >= 0 ? g_cpuLevelOverride : H264DecCpuLevel();
    if (level < 2) return nullptr;
    H264DecParams pr{};
    if (params) pr = *params;
    H264DecContext* c = static_cast<H264DecContext*>(H264AlignedAlloc(sizeof(H264DecContext)));
    if (!c) return nullptr;
    c->maxW = (pr.maxWidthMbs < 2 || pr.maxWidthMbs > 128) ? 45 : pr.maxWidthMbs;
    c->maxH = (pr.maxHeightMbs < 6 || pr.maxHeightMbs > 128) ? 36 : pr.maxHeightMbs;
    c->refFrames = pr.refFrames == 0 ? 4 : pr.refFrames > 16 ? 16 : pr.refFrames;
    c->outputMode = pr.flags & 1;
    c->maxLineLen = 16 * c->maxW;
    const uint32_t W = c->maxW, H = c->maxH;
    c->infoRowA = static_cast<H264MbInfo**>(H264AlignedAlloc(W * sizeof(void*)));
    c->infoRowB = static_cast<H264MbInfo**>(H264AlignedAlloc(W * sizeof(void*)));
    c->motionRowA = static_cast<H264MbMotion**>(H264AlignedAlloc(W * sizeof(void*)));
    c->motionRowB = static_cast<H264MbMotion**>(H264AlignedAlloc(W * sizeof(void*)));
    c->infoRecords = static_cast<H264MbInfo*>(H264AlignedAlloc(2 * W * sizeof(H264MbInfo)));
    c->motionRecords = static_cast<H264MbMotion*>(H264AlignedAlloc(2 * W * sizeof(H264MbMotion)));
    c->rbspCapacity = W * H * 384 + 4096;
    c->frameStores = static_cast<H264Picture**>(H264AlignedAlloc(17 * sizeof(void*)));
    c->numPictureStores = 2 * c->refFrames + 4;
    const size_t picBytes = size_t(W) * H * 384;
    // The unit buffer lies after the picture stores, in one allocation:
    // megabytes that large come from the system as zero pages, where a
    // buffer of its own, after one was freed, may be cleared byte by byte.
    const size_t storeBytes = picBytes * c->numPictureStores;
    c->pictureMemory = static_cast<uint8_t*>(H264AlignedAlloc(storeBytes + c->rbspCapacity + 8));
    c->rbsp = c->pictureMemory ? c->pictureMemory + storeBytes : nullptr;
    c->planeY = static_cast<uint8_t**>(H264AlignedAlloc(c->numPictureStores * sizeof(void*)));
    c->planeU = static_cast<uint8_t**>(H264AlignedAlloc(c->numPictureStores * sizeof(void*)));
    c->planeV = static_cast<uint8_t**>(H264AlignedAlloc(c->numPictureStores * sizeof(void*)));
    c->spsTable = static_cast<H264SeqParamSet*>(H264AlignedAlloc(32 * sizeof(H264SeqParamSet)));
    c->ppsTable = static_cast<H264PicParamSet*>(H264AlignedAlloc(256 * sizeof(H264PicParamSet)));
    c->work = static_cast<H264MbWork*>(H264AlignedAlloc(sizeof(H264MbWork)));
    c->dsp = static_cast<H264DspTable*>(H264AlignedAlloc(sizeof(H264DspTable)));
    if (!c->infoRowA || !c->infoRowB || !c->motionRowA || !c->motionRowB || !c->infoRecords || !c->motionRecords ||
        !c->rbsp || !c->frameStores || !c->pictureMemory || !c->planeY || !c->planeU || !c->planeV ||
        !c->spsTable || !c->ppsTable || !c->work || !c->dsp) {
        FreeContext(c);
        return nullptr;
    }
    for (uint32_t x = 0; x < W; ++x) {
        c->infoRowA[x] = &c->infoRecords[x];
        c->infoRowB[x] = &c->infoRecords[W + x];
        c->motionRowA[x] = &c->motionRecords[x];
        c->motionRowB[x] = &c->motionRecords[W + x];
    }
    for (uint32_t i = 0; i < c->numPictureStores; ++i) {
        uint8_t* base = c->pictureMemory + picBytes * i;
        c->planeY[i] = base;
        c->planeU[i] = base + size_t(W) * H * 256;
        c->planeV[i] = base + size_t(W) * H * 320;
    }
    ResetDecodingState(c);
    for (uint32_t i = 0; i < c->numPictureStores; ++i) {
        c->pictures[i].y = c->planeY[i];
        c->pictures[i].u = c->planeU[i];
        c->pictures[i].v = c->planeV[i];
    }
    H264DecInitDspFunctions(c->dsp, level);
    return c;
}

H264DecContext* H264DecRelease(H264DecContext* c) {
    if (c) FreeContext(c);
    return nullptr;
}

// ------------------------------------------------------------ output
int H264DecGetOutputPicture(H264DecContext* c, H264DecPicture* out) {
    if (!c || !out) return -3;
    while (c->outRead != c->outWrite) {
        int32_t idx = c->outQueue[c->outRead % kOutputQueue];
        c->outQueue[c->outRead % kOutputQueue] = -1;
        ++c->outRead;
        if (idx < 0 || idx >= kMaxPictures) continue;
        H264Picture* p = &c->pictures[idx];
        out->y = p->y;
        out->u = p->u;
        out->v = p->v;
        out->width = p->width;
        out->height = p->height;
        out->strideY = p->strideY;
        out->strideC = p->strideC;
        out->cropLeft = p->cropLeft;
        out->cropRight = p->cropRight;
        out->cropTop = p->cropTop;
        out->cropBottom = p->cropBottom;
        out->index = p->index;
        out->pictureType = p->pictureType;
        out->damaged = p->damaged;
        out->idr = p->idr;
        out->callerValue1 = p->callerValue1;
        out->callerValue2 = p->callerValue2;
        out->poc = p->poc;
        out->userData = p->userData;
        p->outputState = kOutHandedOut;
        return 0;
    }
    return -2;
}

// ------------------------------------------------------------ byte scanner
static void DecodeUnit(H264DecContext* c) {
    // The buffer ends with the closing start code 00 00 01; the unit's last
    // byte (the stop bit) lies four places before the end, after any zeros.
    uint32_t len = c->rbspLen;
    c->rbspLen = 0;
    c->startCodes = 1;
    while (len >= 4 && c->rbsp[len - 4] == 0) --len;
    if (len < 4) return;  // empty unit: skipped
    uint32_t bytes = len - 3;
    c->br.buf = c->rbsp;
    c->br.size = bytes;
    c->br.pos = 0;
    uint8_t last = c->rbsp[bytes - 1];
    c->br.end = 8 * (bytes - 1) + uint32_t(7 - __builtin_ctz(last));
    std::memset(c->rbsp + bytes, 0, 4);  // readers see zeros past the unit
    H264DecodeNal(c);
}

int H264DecDecodeFrame(H264DecContext* c, const uint8_t* data, uint32_t length, uint32_t callerValue1,
                       uint32_t callerValue2, H264DecPicture* out, uint32_t flags) {
    if (!c || !out) return -3;
    out->y = out->u = out->v = nullptr;
    bool flushReq = (flags & 1) != 0;
    if (data && length) {
        c->inPtr = data;
        c->inLen = length;
        c->inPos = 0;
        c->flushed = 0;
        flushReq = false;
    } else if (!c->inPtr && flushReq && !c->flushed) {
        c->inPtr = c->flushBytes;
        c->inLen = 4;
        c->inPos = 0;
    }
    c->callerValue1 = callerValue1;
    c->callerValue2 = callerValue2;
    if (c->inPtr) {
        while (c->inPos < c->inLen) {
            if (c->startCodes == 1 && (c->window & 0xFFFF) != 0 && c->rbspLen < c->rbspCapacity) {
                // Inside a unit, with one of the last two bytes nonzero: the
                // bytes up to the next zero byte can be neither a start code
                // nor an emulation-prevention byte, so they are copied whole.
                const uint8_t* s = c->inPtr + c->inPos;
                uint32_t n = c->inLen - c->inPos;
                if (n > c->rbspCapacity - c->rbspLen) n = c->rbspCapacity - c->rbspLen;
                const void* zero = std::memchr(s, 0, n);
                const uint32_t k = zero ? uint32_t(static_cast<const uint8_t*>(zero) - s) : n;
                if (k > 0) {
                    std::memcpy(c->rbsp + c->rbspLen, s, k);
                    c->rbspLen += k;
                    c->inPos += k;
                    for (uint32_t i = k > 3 ? k - 3 : 0; i < k; ++i) c->window = ((c->window << 8) | s[i]) & 0xFFFFFF;
                    continue;
                }
            }
            uint8_t b = c->inPtr[c->inPos++];
            if (c->rbspLen >= c->rbspCapacity) {
                c->rbspLen = 0;
                c->startCodes = 0;
            }
            c->window = ((c->window << 8) | b) & 0xFFFFFF;
            if (c->startCodes == 1 && c->window != 0x000003) c->rbsp[c->rbspLen++] = b;
            if (c->window == 0x000001) {
                ++c->startCodes;
                if (c->startCodes == 1) c->rbspLen = 0;
            }
            if (c->startCodes >= 2) {
                DecodeUnit(c);
                if (c->outRead != c->outWrite && H264DecGetOutputPicture(c, out) == 0) return 0;
            }
        }
        c->inPtr = nullptr;
    }
    if (!flushReq) return -1;
    if (!c->flushed) {
        H264FinishPicture(c);
        H264FlushDpb(c);
        c->flushed = 1;
        c->window = 0xFFFFFF;
        c->startCodes = 0;
        c->rbspLen = 0;
    }
    return H264DecGetOutputPicture(c, out) == 0 ? 0 : -2;
}
