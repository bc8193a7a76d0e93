#include "dib_layout.h"

namespace shell {

namespace {
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
}  // namespace

bool CheckPackedDib(const uint8_t* dib, size_t size, DibLayout* out) {
  constexpr uint32_t kInfoHeader = 40;
  if (!dib || size < kInfoHeader) return false;
  DibLayout d{};
  d.headerSize = Le32(dib);
  d.width = int32_t(Le32(dib + 4));
  d.height = int32_t(Le32(dib + 8));
  const uint16_t planes = Le16(dib + 12);
  d.bitCount = Le16(dib + 14);
  d.compression = Le32(dib + 16);
  const uint32_t sizeImage = Le32(dib + 20);
  const uint32_t clrUsed = Le32(dib + 32);
  if (d.headerSize < kInfoHeader || d.headerSize > size || d.width <= 0 || d.height == 0 || planes != 1)
    return false;
  const uint16_t bits = d.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  // Sizes in 64 bits: on the 32-bit target biClrUsed x 4 would wrap.
  uint64_t table;
  if (bits <= 8) {
    const uint64_t colours = clrUsed ? clrUsed : 1u << bits;
    if (colours > 256) return false;
    d.colours = uint32_t(colours);
    table = colours * 4;
  } else {
    table = (d.compression == 3 ? 12 : 0) + uint64_t(clrUsed) * 4;
  }
  const uint64_t bitsOffset = uint64_t(d.headerSize) + table;
  const uint64_t rows = d.height < 0 ? uint64_t(-int64_t(d.height)) : uint64_t(d.height);
  const uint64_t stride = (uint64_t(uint32_t(d.width)) * bits + 31) / 32 * 4;
  uint64_t need;
  switch (d.compression) {
    case 0:  // BI_RGB
    case 3:  // BI_BITFIELDS
      need = stride * rows;
      break;
    case 1:  // BI_RLE8
    case 2:  // BI_RLE4
      // Run-length bits are read up to biSizeImage bytes.
      if (bits != (d.compression == 1 ? 8 : 4) || sizeImage == 0 || d.height < 0) return false;
      need = sizeImage;
      break;
    default:
      return false;
  }
  if (bitsOffset > size || need > size - bitsOffset) return false;
  d.bitsOffset = uint32_t(bitsOffset);
  d.bitsSize = uint32_t(need);
  if (out) *out = d;
  return true;
}

}  // namespace shell
