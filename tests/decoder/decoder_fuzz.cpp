// libFuzzer target over the whole engine: the input is fed to
// H264DecDecodeFrame in chunks whose sizes come from the input itself, in
// both output modes, to two decoders at once (the processor's kernel set
// and the plain set); their pictures must be identical.
//
// Input: two bytes seeding the chunk sizes (bit 0 also picks the output
// mode), one byte of decoder limits (see Limits), then the stream. The
// limits keep the decoders small: their picture stores are allocated and
// cleared for every input, and small pictures give many frames per input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>
#include "h264dec.h"

namespace {

uint32_t Touch(const H264DecPicture& p) {
    uint32_t sum = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; x += 7) sum += p.y[y * p.strideY + x];
    for (int y = 0; y < p.height / 2; ++y) sum += p.u[y * p.strideC] + p.v[y * p.strideC + p.width / 2 - 1];
    return sum;
}

bool Same(const H264DecPicture& a, const H264DecPicture& b) {
    if (a.width != b.width || a.height != b.height || a.poc != b.poc || a.damaged != b.damaged) return false;
    for (int y = 0; y < a.height; ++y)
        if (std::memcmp(a.y + y * a.strideY, b.y + y * b.strideY, size_t(a.width))) return false;
    for (int y = 0; y < a.height / 2; ++y)
        if (std::memcmp(a.u + y * a.strideC, b.u + y * b.strideC, size_t(a.width / 2)) ||
            std::memcmp(a.v + y * a.strideC, b.v + y * b.strideC, size_t(a.width / 2)))
            return false;
    return true;
}

// Limits byte: bits 0-3 reference frames - 1, bits 4-5 the widest picture
// (2, 4, 8 or 11 macroblocks), bit 6 the tallest (6 or 9 macroblocks).
H264DecParams Limits(uint8_t b, uint32_t flags) {
    static const uint32_t kWidths[4] = {2, 4, 8, 11};
    return H264DecParams{0, 0, kWidths[(b >> 4) & 3], (b & 0x40) ? 9u : 6u, 1u + (b & 15u), flags};
}

void Run(const uint8_t* data, size_t size, const H264DecParams& params, uint32_t seed) {
    H264DecContext* dec = H264DecCreate(&params);
    H264DecSetCpuLevelOverride(3);
    H264DecContext* plain = H264DecCreate(&params);
    H264DecSetCpuLevelOverride(-1);
    if (!dec || !plain) std::abort();
    H264DecPicture pic, pic2;
    volatile uint32_t sink = 0;
    size_t pos = 0;
    int guard = 0;
    // Both decoders get the same calls; every result and picture must agree.
    auto both = [&](const uint8_t* d, uint32_t n, uint32_t f) {
        int a = H264DecDecodeFrame(dec, d, n, 0, 0, &pic, f);
        int b = H264DecDecodeFrame(plain, d, n, 0, 0, &pic2, f);
        if (a != b || (a == 0 && !Same(pic, pic2))) std::abort();
        if (a == 0) sink = sink + Touch(pic);
        return a;
    };
    while (pos < size && guard++ < 100000) {
        seed = seed * 1103515245u + 12345u;
        size_t n = 1 + (seed >> 16) % 256;
        if (n > size - pos) n = size - pos;
        int rc = both(data + pos, uint32_t(n), 0);
        while (rc == 0) rc = both(nullptr, 0, 0);
        pos += n;
    }
    for (int i = 0; i < 64 && both(nullptr, 0, 1) == 0; ++i) {
    }
    H264DecRelease(dec);
    H264DecRelease(plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    uint32_t seed = data[0] | uint32_t(data[1]) << 8;
    Run(data + 3, size - 3, Limits(data[2], seed & 1), seed);
    return 0;
}
