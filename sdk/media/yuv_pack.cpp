#include "yuv_pack.h"

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvik {

namespace {

// One destination row from one luma row and one chroma row pair.
void PackRow(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* d, int width) {
    int x = 0;
#if defined(__SSE2__)
    // 16 pixels a step: 8 U and 8 V interleave to U0 V0 U1 V1 ..., which
    // then interleave with 16 Y to U0 Y0 V0 Y1 ...
    for (; x + 16 <= width; x += 16) {
        __m128i uu = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(u + x / 2));
        __m128i vv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(v + x / 2));
        __m128i yy = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y + x));
        __m128i uv = _mm_unpacklo_epi8(uu, vv);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * x), _mm_unpacklo_epi8(uv, yy));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * x + 16), _mm_unpackhi_epi8(uv, yy));
    }
#endif
    for (; x + 2 <= width; x += 2) {
        uint8_t* o = d + 2 * x;
        o[0] = u[x / 2];
        o[1] = y[x];
        o[2] = v[x / 2];
        o[3] = y[x + 1];
    }
}

}  // namespace

bool PackUyvy(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, uint8_t* dst,
              int width, int height, int pitch) {
    if (!y || !u || !v || !dst || width <= 0 || height <= 0 || (width & 1)) return false;
    if (yStride < width || cStride < width / 2 || pitch < 2 * width) return false;
    for (int row = 0; row < height; ++row) {
        const uint8_t* cu = u + ptrdiff_t(row / 2) * cStride;
        const uint8_t* cv = v + ptrdiff_t(row / 2) * cStride;
        PackRow(y + ptrdiff_t(row) * yStride, cu, cv, dst + ptrdiff_t(row) * pitch, width);
    }
    return true;
}

}  // namespace orvik
