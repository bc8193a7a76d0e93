// libFuzzer target over the check of the skin bitmaps the shell loads: the
// input is a packed DIB (a BMP file after its 14-byte file header).
//
// Properties: a DIB is only taken when its header, colour table or masks and
// every byte of pixel data the bitmap needs lie in the bytes (computed here
// in 64 bits); at most 256 colours; nothing is read past the bytes.
#include "dib_layout.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Exact dib(data, size);
    shell::DibLayout d;
    if (!shell::CheckPackedDib(dib.data(), dib.size(), &d)) return 0;
    const uint64_t rows = d.height < 0 ? uint64_t(-int64_t(d.height)) : uint64_t(d.height);
    const uint64_t stride = (uint64_t(d.width) * d.bitCount + 31) / 32 * 4;
    uint64_t table = uint64_t(d.colours) * 4;
    if (d.bitCount > 8) {
        const uint32_t clrUsed = uint32_t(data[32]) | uint32_t(data[33]) << 8 | uint32_t(data[34]) << 16 |
                                 uint32_t(data[35]) << 24;
        table = uint64_t(clrUsed) * 4 + (d.compression == 3 ? 12 : 0);
    }
    if (d.colours > 256 || (d.bitCount > 8 && d.colours)) fuzz::Fail("colours", long(d.colours));
    if (d.headerSize < 40 || uint64_t(d.headerSize) + table > d.bitsOffset) fuzz::Fail("table overlaps the bits");
    if (uint64_t(d.bitsOffset) + d.bitsSize > size) fuzz::Fail("bits past the bytes");
    if ((d.compression == 0 || d.compression == 3) && stride * rows > d.bitsSize) fuzz::Fail("rows past the bits");
    if (d.compression == 1 || d.compression == 2) {
        if (d.bitsSize == 0) fuzz::Fail("empty run-length bits");
    } else if (d.compression != 0 && d.compression != 3) {
        fuzz::Fail("compression", long(d.compression));
    }
    // Read every byte the bitmap is said to have, as GDI would.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < d.bitsSize; i += 61) sum = uint8_t(sum + dib.data()[d.bitsOffset + i]);
    if (d.bitsSize) sum = uint8_t(sum + dib.data()[d.bitsOffset + d.bitsSize - 1]);
    return 0;
}
