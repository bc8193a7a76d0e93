// Planar 4:2:0 to packed UYVY (4:2:2) rows, as a DirectDraw UYVY surface
// holds them. Portable: no Windows headers.
#pragma once
#include <cstdint>

namespace orvik {

// Packs a planar 4:2:0 picture into UYVY rows: each destination row holds
// U0 Y0 V0 Y1 U1 Y2 V1 Y3 ... (2 x width bytes), and each chroma row serves
// two picture rows. yStride and cStride are the distances between rows of
// the luma and of the chroma planes; pitch is the destination's. Widths must
// be even (a UYVY macropixel holds two pixels); an odd last row uses its own
// chroma row. Returns false (and writes nothing) for an odd or non-positive
// width, a non-positive height, a null plane, or strides too small for the
// width.
bool PackUyvy(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, uint8_t* dst,
              int width, int height, int pitch);

// Packed UYVY of one black pixel pair (Y 16, U and V 128), in memory order.
constexpr uint8_t kUyvyBlack[4] = {0x80, 0x10, 0x80, 0x10};

}  // namespace orvik
