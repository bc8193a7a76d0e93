// libFuzzer target over the whole engine: the input is fed to
// H264DecDecodeFrame in chunks whose sizes come from the input itself, in
// both output modes, and every picture handed out is read completely.
#include <cstddef>
#include <cstdint>
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

void Run(const uint8_t* data, size_t size, uint32_t flags, uint32_t seed) {
    H264DecParams params{0, 0, 22, 18, 4, flags};
    H264DecContext* dec = H264DecCreate(&params);
    if (!dec) return;
    H264DecPicture pic;
    volatile uint32_t sink = 0;
    size_t pos = 0;
    int guard = 0;
    while (pos < size && guard++ < 100000) {
        seed = seed * 1103515245u + 12345u;
        size_t n = 1 + (seed >> 16) % 4096;
        if (n > size - pos) n = size - pos;
        int rc = H264DecDecodeFrame(dec, data + pos, uint32_t(n), 0, 0, &pic, 0);
        while (rc == 0) {
            sink = sink + Touch(pic);
            rc = H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 0);
        }
        pos += n;
    }
    for (int i = 0; i < 64 && H264DecDecodeFrame(dec, nullptr, 0, 0, 0, &pic, 1) == 0; ++i) sink = sink + Touch(pic);
    H264DecRelease(dec);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    uint32_t seed = data[0] | uint32_t(data[1]) << 8;
    Run(data + 2, size - 2, seed & 1, seed);
    return 0;
}
