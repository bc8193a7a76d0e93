// The layout of a packed DIB (a BMP file's bytes after its 14-byte file
// header) as CreateDIBitmap reads it: the information header, the colour
// table or bit-field masks, and the pixel bits. Portable: no Windows
// headers; the fields are read little-endian from the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shell {

struct DibLayout {
  uint32_t headerSize;    // biSize
  int32_t width, height;  // height < 0: top-down rows
  uint16_t bitCount;
  uint32_t compression;   // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t colours;       // palette entries (bitCount <= 8), else 0
  uint32_t bitsOffset;    // from the start of the packed DIB
  uint32_t bitsSize;      // bytes of pixel data the bitmap needs
};

// True when the bytes hold a whole DIB that CreateDIBitmap can take:
// header of at least 40 bytes, width above 0, height not 0, one plane,
// 1, 4, 8, 16, 24 or 32 bits, at most 256 colours at 8 bits or fewer, an
// uncompressed or bit-field bitmap whose rows all lie in the bytes, or an
// RLE bitmap (RLE8 at 8 bits, RLE4 at 4) whose biSizeImage bytes do. The
// colour table (biClrUsed entries, or the full palette) and the masks of a
// bit-field bitmap lie between header and bits.
bool CheckPackedDib(const uint8_t* dib, size_t size, DibLayout* out);

}  // namespace shell
