// Snapshot conversion of a 4:2:0 picture to 24-bit RGB and BMP files, and
// the RGB 5-6-5 conversion of the fallback drawing surface. Integer tables
// scaled by 10,000; no Windows headers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvik {

// The conversion tables, for i = 0..255:
//   Tu[i] = 20238 i - 2771300   Tv[i] = 15938 i - 2221300
//   Ty[i] = 11644 i             Tg[i] = 19837 i - 311710
struct YuvRgbTables {
    int tu[256], tv[256], ty[256], tg[256];
    YuvRgbTables();
    // One pixel: R, G, B each 0..255.
    void Convert(int y, int u, int v, uint8_t& r, uint8_t& g, uint8_t& b) const {
        int rr = Clamp((ty[y] + tv[v]) / 10000);
        int bb = Clamp((ty[y] + tu[u]) / 10000);
        int gg = Clamp((tg[y] - 5094 * rr - 1942 * bb) / 10000);
        r = uint8_t(rr), g = uint8_t(gg), b = uint8_t(bb);
    }
    static int Clamp(int x) { return x < 0 ? 0 : x > 255 ? 255 : x; }
};
const YuvRgbTables& GetYuvRgbTables();

// Planar 4:2:0 into RGB 5-6-5 rows (little-endian u16 per pixel). False for
// non-positive or odd sizes, null planes or a pitch below 2 x width.
bool YuvToRgb565(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, uint8_t* dst,
                 int width, int height, int pitch);
// Packed UYVY rows into RGB 5-6-5 rows.
bool UyvyToRgb565(const uint8_t* src, int srcPitch, uint8_t* dst, int width, int height, int pitch);

class CCvtYuv2BMP {
public:
    CCvtYuv2BMP(int width, int height);
    virtual ~CCvtYuv2BMP() = default;

    // Bytes of one BMP row: width x 3 rounded up to a multiple of 4.
    size_t RowBytes() const { return (size_t(m_width) * 3 + 3) & ~size_t(3); }
    size_t ImageSize() const { return RowBytes() * size_t(m_height > 0 ? m_height : 0); }
    size_t FileSize() const { return 54 + ImageSize(); }

    // Converts one contiguous I420 picture (Y, then U at width x height, then
    // V at width x height x 5/4) into bottom-up B, G, R rows of RowBytes()
    // each (padding zeroed) in out, which holds ImageSize() bytes. 1, or 0
    // for a size that is not positive and even.
    int YuvToRgb(const uint8_t* picture, uint8_t* out) const;
    // The same from separate planes with their row strides.
    int YuvToRgb(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                 uint8_t* out) const;

    // The 54 bytes of file header and information header.
    std::vector<uint8_t> BmpHeader() const;
    // Writes the headers and ImageSize() bytes of data. Only a bit count of
    // 24 is accepted. 1 or 0.
    int WriteBmp(const char* path, const uint8_t* data, int bitCount) const;

private:
    int m_height;
    int m_width;
    const YuvRgbTables& m_tables;
};

}  // namespace orvik
