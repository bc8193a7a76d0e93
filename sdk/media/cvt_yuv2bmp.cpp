#include "cvt_yuv2bmp.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace orvik {

YuvRgbTables::YuvRgbTables() {
    for (int i = 0; i < 256; ++i) {
        tu[i] = 20238 * i - 2771300;
        tv[i] = 15938 * i - 2221300;
        ty[i] = 11644 * i;
        tg[i] = 19837 * i - 311710;
    }
}

const YuvRgbTables& GetYuvRgbTables() {
    static const YuvRgbTables t;
    return t;
}

namespace {

inline uint16_t Pack565(uint8_t r, uint8_t g, uint8_t b) {
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

inline void Store16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutLe16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void PutLe32(std::vector<uint8_t>& b, uint32_t v) {
    PutLe16(b, v & 0xFFFF);
    PutLe16(b, v >> 16);
}

}  // namespace

bool YuvToRgb565(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, uint8_t* dst,
                 int width, int height, int pitch) {
    if (!y || !u || !v || !dst || width <= 0 || height <= 0 || (width & 1) || pitch < 2 * width) return false;
    const YuvRgbTables& t = GetYuvRgbTables();
    for (int row = 0; row < height; ++row) {
        const uint8_t* py = y + ptrdiff_t(row) * yStride;
        const uint8_t* pu = u + ptrdiff_t(row / 2) * cStride;
        const uint8_t* pv = v + ptrdiff_t(row / 2) * cStride;
        uint8_t* d = dst + ptrdiff_t(row) * pitch;
        for (int x = 0; x < width; ++x) {
            uint8_t r, g, b;
            t.Convert(py[x], pu[x / 2], pv[x / 2], r, g, b);
            Store16(d + 2 * x, Pack565(r, g, b));
        }
    }
    return true;
}

bool UyvyToRgb565(const uint8_t* src, int srcPitch, uint8_t* dst, int width, int height, int pitch) {
    if (!src || !dst || width <= 0 || height <= 0 || (width & 1) || pitch < 2 * width || srcPitch < 2 * width)
        return false;
    const YuvRgbTables& t = GetYuvRgbTables();
    for (int row = 0; row < height; ++row) {
        const uint8_t* s = src + ptrdiff_t(row) * srcPitch;
        uint8_t* d = dst + ptrdiff_t(row) * pitch;
        for (int x = 0; x < width; x += 2, s += 4) {
            uint8_t r, g, b;
            t.Convert(s[1], s[0], s[2], r, g, b);
            Store16(d + 2 * x, Pack565(r, g, b));
            t.Convert(s[3], s[0], s[2], r, g, b);
            Store16(d + 2 * x + 2, Pack565(r, g, b));
        }
    }
    return true;
}

CCvtYuv2BMP::CCvtYuv2BMP(int width, int height)
    : m_height(height), m_width(width), m_tables(GetYuvRgbTables()) {}

int CCvtYuv2BMP::YuvToRgb(const uint8_t* picture, uint8_t* out) const {
    if (!picture) return 0;
    size_t luma = size_t(m_width > 0 ? m_width : 0) * size_t(m_height > 0 ? m_height : 0);
    return YuvToRgb(picture, m_width, picture + luma, picture + luma * 5 / 4, m_width / 2, out);
}

int CCvtYuv2BMP::YuvToRgb(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                          uint8_t* out) const {
    if (!y || !u || !v || !out || m_width <= 0 || m_height <= 0 || (m_width & 1) || (m_height & 1)) return 0;
    const size_t rowBytes = RowBytes();
    for (int row = 0; row < m_height; ++row) {
        const uint8_t* py = y + ptrdiff_t(row) * yStride;
        const uint8_t* pu = u + ptrdiff_t(row / 2) * cStride;
        const uint8_t* pv = v + ptrdiff_t(row / 2) * cStride;
        // Picture row 0 is the last row of the file: BMP rows run bottom-up.
        uint8_t* d = out + size_t(m_height - 1 - row) * rowBytes;
        for (int x = 0; x < m_width; ++x, d += 3) {
            uint8_t r, g, b;
            m_tables.Convert(py[x], pu[x / 2], pv[x / 2], r, g, b);
            d[0] = b;
            d[1] = g;
            d[2] = r;
        }
        std::memset(d, 0, rowBytes - size_t(m_width) * 3);
    }
    return 1;
}

std::vector<uint8_t> CCvtYuv2BMP::BmpHeader() const {
    std::vector<uint8_t> h;
    h.reserve(54);
    h.push_back('B');
    h.push_back('M');
    PutLe32(h, uint32_t(FileSize()));
    PutLe16(h, 0);
    PutLe16(h, 0);
    PutLe32(h, 54);
    PutLe32(h, 40);
    PutLe32(h, uint32_t(m_width));
    PutLe32(h, uint32_t(m_height));  // positive: bottom-up
    PutLe16(h, 1);
    PutLe16(h, 24);
    PutLe32(h, 0);
    PutLe32(h, uint32_t(ImageSize()));
    for (int i = 0; i < 4; ++i) PutLe32(h, 0);
    return h;
}

int CCvtYuv2BMP::WriteBmp(const char* path, const uint8_t* data, int bitCount) const {
    if (bitCount != 24 || !path || !data || m_width <= 0 || m_height <= 0) return 0;
    struct Closer {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, Closer> f(std::fopen(path, "wb"));
    // A file cut short is removed rather than left behind as a broken picture.
    auto fail = [&] {
        f.reset();
        std::remove(path);
        return 0;
    };
    if (!f) {
        std::printf("Can not create BMP file: %s\n", path);
        return 0;
    }
    std::vector<uint8_t> header = BmpHeader();
    size_t n = std::fwrite(header.data(), 1, 14, f.get());
    if (n != 14) {
        std::printf("write BMP file header failed: count=%d\n", int(n));
        return fail();
    }
    n = std::fwrite(header.data() + 14, 1, 40, f.get());
    if (n != 40) {
        std::printf("Read BMP file info failed: count=%d\n", int(n));
        return fail();
    }
    n = std::fwrite(data, 1, ImageSize(), f.get());
    if (n != ImageSize() || std::fflush(f.get()) != 0) {
        std::printf("write BMP file data failed: count=%d\n", int(n));
        return fail();
    }
    if (std::fclose(f.release()) != 0) {
        std::remove(path);
        return 0;
    }
    return 1;
}

}  // namespace orvik
