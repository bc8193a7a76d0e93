// G.711 A-law and mu-law companding (ITU-T G.711, as in the ITU reference
// coder: A-law works on the 13 most significant bits of a 16-bit sample,
// mu-law on the 14 most significant bits).
#pragma once
#include <cstdint>

namespace qv {

inline uint8_t AlawEncode(int16_t sample) {
    int ix = sample < 0 ? (~int(sample)) >> 4 : int(sample) >> 4;  // 12-bit magnitude
    if (ix > 15) {
        int exp = 1;
        while (ix > 16 + 15) {
            ix >>= 1;
            ++exp;
        }
        ix -= 16;
        ix += exp << 4;
    }
    if (sample >= 0) ix |= 0x80;
    return uint8_t(ix ^ 0x55);
}

inline int16_t AlawDecode(uint8_t code) {
    int ix = (code ^ 0x55) & 0x7F;
    int exp = ix >> 4;
    int mant = ix & 0x0F;
    if (exp > 0) mant += 16;
    mant = (mant << 4) + 8;
    if (exp > 1) mant <<= exp - 1;
    return int16_t(code > 0x7F ? mant : -mant);
}

inline uint8_t UlawEncode(int16_t sample) {
    int absno = sample < 0 ? ((~int(sample)) >> 2) + 33 : (int(sample) >> 2) + 33;
    if (absno > 0x1FFF) absno = 0x1FFF;
    int seg = 1;
    for (int i = absno >> 6; i != 0; i >>= 1) ++seg;
    int high = 8 - seg;
    int low = 0x0F - ((absno >> seg) & 0x0F);
    int out = (high << 4) | low;
    if (sample >= 0) out |= 0x80;
    return uint8_t(out);
}

inline int16_t UlawDecode(uint8_t code) {
    int inv = ~int(code);
    int exp = (inv >> 4) & 7;
    int mant = inv & 0x0F;
    int step = 4 << (exp + 1);
    int mag = (0x80 << exp) + step * mant + step / 2 - 4 * 33;
    return int16_t(code < 0x80 ? -mag : mag);
}

}  // namespace qv
