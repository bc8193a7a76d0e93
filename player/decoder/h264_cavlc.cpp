// CAVLC residual decoding: code tables, block reader, scaling and the
// residual of a macroblock.
#include <cstring>
#include "h264_dsp.h"
#include "h264_cavlc.h"

namespace {

// ---------------------------------------------------------------- code tables
// coeff_token (Table 9-5) by nC class, indexed by TotalCoeff * 4 + TrailingOnes.
const uint8_t kCoeffTokenLen[4][4 * 17] = {
    {1,  0,  0,  0,  6,  2,  0,  0,  8,  6,  3,  0,  9,  8,  7,  5,  10, 9,  8,  6,  11, 10, 9,
     7,  13, 11, 10, 8,  13, 13, 11, 9,  13, 13, 13, 10, 14, 14, 13, 11, 14, 14, 14, 13, 15, 15,
     14, 14, 15, 15, 15, 14, 16, 15, 15, 15, 16, 16, 16, 15, 16, 16, 16, 16, 16, 16, 16, 16},
    {2,  0,  0,  0,  6,  2,  0,  0,  6,  5,  3,  0,  7,  6,  6,  4,  8,  6,  6,  4,  8,  7,  7,
     5,  9,  8,  8,  6,  11, 9,  9,  6,  11, 11, 11, 7,  12, 11, 11, 9,  12, 12, 12, 11, 12, 12,
     12, 11, 13, 13, 13, 12, 13, 13, 13, 13, 13, 14, 13, 13, 14, 14, 14, 13, 14, 14, 14, 14},
    {4,  0,  0,  0,  6,  4,  0,  0,  6,  5,  4,  0,  6,  5,  5,  4,  7,  5,  5,  4,  7,  5,  5,
     4,  7,  6,  6,  4,  7,  6,  6,  4,  8,  7,  7,  5,  8,  8,  7,  6,  9,  8,  8,  7,  9,  9,
     8,  8,  9,  9,  9,  8,  10, 9,  9,  9,  10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10},
    {6, 0, 0, 0, 6, 6, 0, 0, 6, 6, 6, 0, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6,
     6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6},
};
const uint8_t kCoeffTokenBits[4][4 * 17] = {
    {1,  0, 0, 0, 5,  1, 0,  0,  7,  4,  1,  0,  7,  6,  5,  3,  7,  6,  5,  3,  7,  6,  5,
     4,  15, 6, 5, 4, 11, 14, 5, 4, 8, 10, 13, 4, 15, 14, 9,  4,  11, 10, 13, 12, 15, 14,
     9,  12, 11, 10, 13, 8, 15, 1, 9, 12, 11, 14, 13, 8,  7,  10, 9,  12, 4,  6,  5,  8},
    {3,  0,  0,  0,  11, 2,  0,  0,  7,  7,  3,  0,  7,  10, 9,  5,  7,  6,  5,  4,  4,  6,  5,
     6,  7,  6,  5,  8,  15, 6,  5,  4,  11, 14, 13, 4,  15, 10, 9,  4,  11, 14, 13, 12, 8,  10,
     9,  8,  15, 14, 13, 12, 11, 10, 9,  12, 7,  11, 6,  8,  9,  8,  10, 1,  7,  6,  5,  4},
    {15, 0,  0,  0,  15, 14, 0,  0,  11, 15, 13, 0,  8,  12, 14, 12, 15, 10, 11, 11, 11, 8,  9,
     10, 9,  14, 13, 9,  8,  10, 9,  8,  15, 14, 13, 13, 11, 14, 10, 12, 15, 10, 13, 12, 11, 14,
     9,  12, 8,  10, 13, 8,  13, 7,  9,  12, 9,  12, 11, 10, 5,  8,  7,  6,  1,  4,  3,  2},
    {3,  0,  0,  0,  0,  1,  0,  0,  4,  5,  6,  0,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
     19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41,
     42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63},
};
const uint8_t kChromaDcTokenLen[4 * 5] = {2, 0, 0, 0, 6, 1, 0, 0, 6, 6, 3, 0, 6, 7, 7, 6, 6, 8, 8, 7};
const uint8_t kChromaDcTokenBits[4 * 5] = {1, 0, 0, 0, 7, 1, 0, 0, 4, 6, 1, 0, 3, 3, 2, 5, 2, 3, 2, 0};

// total_zeros (Tables 9-7, 9-8) by TotalCoeff - 1, indexed by total_zeros.
const uint8_t kTotalZerosLen[15][16] = {
    {1, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 9}, {3, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 6, 6, 6, 6},
    {4, 3, 3, 3, 4, 4, 3, 3, 4, 5, 5, 6, 5, 6},       {5, 3, 4, 4, 3, 3, 3, 4, 3, 4, 5, 5, 5},
    {4, 4, 4, 3, 3, 3, 3, 3, 4, 5, 4, 5},             {6, 5, 3, 3, 3, 3, 3, 3, 4, 3, 6},
    {6, 5, 3, 3, 3, 2, 3, 4, 3, 6},                   {6, 4, 5, 3, 2, 2, 3, 3, 6},
    {6, 6, 4, 2, 2, 3, 2, 5},                         {5, 5, 3, 2, 2, 2, 4},
    {4, 4, 3, 3, 1, 3},                               {4, 4, 2, 1, 3},
    {3, 3, 1, 2},                                     {2, 2, 1},
    {1, 1},
};
const uint8_t kTotalZerosBits[15][16] = {
    {1, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 1}, {7, 6, 5, 4, 3, 5, 4, 3, 2, 3, 2, 3, 2, 1, 0},
    {5, 7, 6, 5, 4, 3, 4, 3, 2, 3, 2, 1, 1, 0},       {3, 7, 5, 4, 6, 5, 4, 3, 3, 2, 2, 1, 0},
    {5, 4, 3, 7, 6, 5, 4, 3, 2, 1, 1, 0},             {1, 1, 7, 6, 5, 4, 3, 2, 1, 1, 0},
    {1, 1, 5, 4, 3, 3, 2, 1, 1, 0},                   {1, 1, 1, 3, 3, 2, 2, 1, 0},
    {1, 0, 1, 3, 2, 1, 1, 1},                         {1, 0, 1, 3, 2, 1, 1},
    {0, 1, 1, 2, 1, 3},                               {0, 1, 1, 1, 1},
    {0, 1, 1, 1},                                     {0, 1, 1},
    {0, 1},
};
// total_zeros for chroma DC (Table 9-9a) by TotalCoeff - 1.
const uint8_t kChromaDcTotalZerosLen[3][4] = {{1, 2, 3, 3}, {1, 2, 2, 0}, {1, 1, 0, 0}};
const uint8_t kChromaDcTotalZerosBits[3][4] = {{1, 1, 1, 0}, {1, 1, 0, 0}, {1, 0, 0, 0}};
// run_before (Table 9-10) by min(zerosLeft, 7) - 1.
const uint8_t kRunLen[7][16] = {
    {1, 1}, {1, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 3, 3}, {2, 2, 3, 3, 3, 3}, {2, 3, 3, 3, 3, 3, 3},
    {3, 3, 3, 3, 3, 3, 3, 4, 5, 6, 7, 8, 9, 10, 11},
};
const uint8_t kRunBits[7][16] = {
    {1, 0}, {1, 1, 0}, {3, 2, 1, 0}, {3, 2, 1, 1, 0}, {3, 2, 3, 2, 1, 0}, {3, 0, 1, 3, 2, 5, 4},
    {7, 6, 5, 4, 3, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1},
};

// A code table resolved by the count of leading zeros (row) and the three
// bits after the first one bit (column). Entry: length << 8 | symbol, 0 for
// no code. An all-zero code fills every row from its length on.
struct LzTable {
    uint16_t e[33][8];
};

void AddCode(LzTable* t, uint32_t len, uint32_t bits, uint32_t sym) {
    if (len == 0) return;
    uint16_t entry = uint16_t(len << 8 | sym);
    if (bits == 0) {
        for (uint32_t row = len; row < 33; ++row)
            for (int col = 0; col < 8; ++col) t->e[row][col] = entry;
        return;
    }
    uint32_t lz = len - 1 - (31 - __builtin_clz(bits));
    uint32_t tailLen = len - lz - 1;  // bits after the one bit (at most 3)
    uint32_t tail = bits & ((1u << tailLen) - 1);
    uint32_t first = tail << (3 - tailLen), count = 1u << (3 - tailLen);
    for (uint32_t col = first; col < first + count; ++col) t->e[lz][col] = entry;
}

struct Tables {
    LzTable coeffToken[3];  // nC 0..1, 2..3, 4..7
    uint8_t coeffTokenFlc[64];  // nC >= 8: TotalCoeff * 4 + TrailingOnes, 0xFF none
    LzTable chromaDcToken;
    LzTable totalZeros[15];
    LzTable chromaDcTotalZeros[3];
    LzTable runBefore[7];
    Tables() {
        std::memset(this, 0, sizeof *this);
        for (int g = 0; g < 3; ++g)
            for (int s = 0; s < 68; ++s) AddCode(&coeffToken[g], kCoeffTokenLen[g][s], kCoeffTokenBits[g][s], s);
        std::memset(coeffTokenFlc, 0xFF, sizeof coeffTokenFlc);
        for (int s = 0; s < 68; ++s)
            if (kCoeffTokenLen[3][s]) coeffTokenFlc[kCoeffTokenBits[3][s]] = uint8_t(s);
        for (int s = 0; s < 20; ++s) AddCode(&chromaDcToken, kChromaDcTokenLen[s], kChromaDcTokenBits[s], s);
        for (int tc = 0; tc < 15; ++tc)
            for (int z = 0; z < 16 - tc; ++z) AddCode(&totalZeros[tc], kTotalZerosLen[tc][z], kTotalZerosBits[tc][z], z);
        for (int tc = 0; tc < 3; ++tc)
            for (int z = 0; z < 4 - tc; ++z)
                AddCode(&chromaDcTotalZeros[tc], kChromaDcTotalZerosLen[tc][z], kChromaDcTotalZerosBits[tc][z], z);
        for (int zl = 0; zl < 7; ++zl)
            for (int r = 0; r < 16; ++r) AddCode(&runBefore[zl], kRunLen[zl][r], kRunBits[zl][r], r);
    }
};

// Built before main; the block reader reads it without a guard.
const Tables kTables;

// Looks a code up from a 32-bit peek; returns the entry (0: no code).
// Codes are at most 16 bits, so rows 16..32 hold only the fills of all-zero
// codes, the same in every column: a peek of 0 may read row 31 like a peek
// of 1.
inline uint32_t LzLookup(const LzTable& t, uint32_t peek) {
    const uint32_t lz = uint32_t(__builtin_clz(peek | 1));
    const uint32_t col = ((peek << lz) << 1) >> 29;
    return t.e[lz][col];
}

const uint8_t kZigzag4x4[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};
// Position class of a raster position: 0 both even, 1 mixed, 2 both odd.
const uint8_t kPosClass[16] = {0, 1, 0, 1, 1, 2, 1, 2, 0, 1, 0, 1, 1, 2, 1, 2};

// The block reader's own copy of the bit position, kept in registers for
// the whole block. kTail: the block may run to the end of the unit, so
// every read checks it (bytes past `size` read as zeros); otherwise every
// read of the block lies inside the unit (see kBlockBytes).
template <bool kTail>
struct BlockBits {
    const uint8_t* buf;
    uint32_t pos;
    uint32_t size;
    // The bits from pos on at the top of the word; the top 57 are valid.
    uint64_t Peek() const {
        const uint32_t byte = pos >> 3;
        uint64_t v;
        if (kTail) {
            v = 0;
            for (uint32_t i = 0; i < 8; ++i) v = v << 8 | (byte + i < size ? buf[byte + i] : 0u);
        } else {
            std::memcpy(&v, buf + byte, 8);
            v = __builtin_bswap64(v);
        }
        return v << (pos & 7);
    }
    uint32_t Peek32() const { return uint32_t(Peek() >> 32); }
};

// Bytes one block can span from its first byte, plus the 8 of a read: a
// token (16 bits), three signs, 16 levels (16 + 12 bits each), total_zeros
// (9) and 15 runs (11 each) are 641 bits.
constexpr uint32_t kBlockBytes = 96;

// Reads one residual_block_cavlc and hands each coefficient to put(scan
// position, level), the highest position first. Positions lie in
// 0..maxNumCoeff (one past the block only on damaged data).
template <bool kTail, class Put>
inline uint32_t ReadBlock(int32_t maxNumCoeff, int32_t nC, uint8_t* totalCoeffOut, H264BitReader* br, Put put) {
    const Tables& t = kTables;
    BlockBits<kTail> b{br->buf, br->pos, br->size};
    uint32_t err = 0;
    const uint64_t first = b.Peek();
    const uint32_t peek = uint32_t(first >> 32);
    int32_t totalCoeff, trailingOnes;
    uint32_t len;
    if (nC < 0) {
        uint32_t e = LzLookup(t.chromaDcToken, peek);
        if (!e) { err |= 128; e = 1u << 8; }
        len = e >> 8;
        totalCoeff = int32_t(e & 0xFF) >> 2;
        trailingOnes = int32_t(e & 3);
    } else if (nC >= 8) {
        uint32_t s = t.coeffTokenFlc[peek >> 26];
        len = 6;
        if (s == 0xFF) s = 0;
        totalCoeff = int32_t(s >> 2);
        trailingOnes = int32_t(s & 3);
    } else {
        const int g = nC < 2 ? 0 : nC < 4 ? 1 : 2;
        uint32_t e = LzLookup(t.coeffToken[g], peek);
        if (!e) { err |= 128; e = 16u << 8; }
        len = e >> 8;
        totalCoeff = int32_t(e & 0xFF) >> 2;
        trailingOnes = int32_t(e & 3);
    }
    if (totalCoeff > maxNumCoeff) {
        err |= 1;
        totalCoeff = maxNumCoeff;
        if (trailingOnes > totalCoeff) trailingOnes = totalCoeff;
    }
    *totalCoeffOut = uint8_t(totalCoeff);
    if (totalCoeff == 0) {
        br->pos = b.pos + len;
        return err;
    }
    // Trailing ones: their signs follow the token (at most 19 bits in all).
    int32_t level[16];
    const uint32_t signs = uint32_t((first << len) >> 61) >> (3 - trailingOnes);
    for (int32_t i = 0; i < trailingOnes; ++i)
        level[totalCoeff - 1 - i] = 1 - 2 * int32_t((signs >> (trailingOnes - 1 - i)) & 1);
    b.pos += len + uint32_t(trailingOnes);
    // Remaining levels: prefix and suffix from one read.
    int32_t suffixLength = totalCoeff > 10 && trailingOnes < 3 ? 1 : 0;
    int32_t bonus = trailingOnes < 3 ? 2 : 0;  // the first level after fewer than 3 trailing ones
    for (int32_t i = totalCoeff - trailingOnes - 1; i >= 0; --i) {
        uint64_t v = b.Peek();
        int32_t prefix = v ? __builtin_clzll(v) : 64;
        if (__builtin_expect(prefix > 15, 0)) {
            err |= 1;
            prefix = 15;
        }
        v <<= prefix + 1;
        int32_t levelCode, used;
        if (__builtin_expect(prefix < 14, 1)) {
            levelCode = (prefix << suffixLength) + int32_t((v >> 1) >> (63 - suffixLength));
            used = prefix + 1 + suffixLength;
        } else {
            const int32_t suffixSize = (prefix == 14 && suffixLength == 0) ? 4 : prefix == 15 ? 12 : suffixLength;
            levelCode = (prefix << suffixLength) + int32_t((v >> 1) >> (63 - suffixSize));
            if (prefix == 15 && suffixLength == 0) levelCode += 15;
            used = prefix + 1 + suffixSize;
        }
        b.pos += uint32_t(used);
        levelCode += bonus;
        bonus = 0;
        // levelCode 2k gives k + 1, 2k + 1 gives -(k + 1).
        const int32_t magnitude = (levelCode + 2) >> 1;
        level[i] = (levelCode & 1) ? -magnitude : magnitude;
        suffixLength += suffixLength == 0;
        suffixLength += magnitude > (3 << (suffixLength - 1)) && suffixLength < 6;
    }
    int32_t totalZeros = 0;
    if (totalCoeff < maxNumCoeff) {
        uint32_t e = maxNumCoeff == 4 ? LzLookup(t.chromaDcTotalZeros[totalCoeff - 1], b.Peek32())
                                      : LzLookup(t.totalZeros[totalCoeff - 1], b.Peek32());
        if (!e) { err |= 1; e = 1u << 8; }
        b.pos += e >> 8;
        totalZeros = int32_t(e & 0xFF);
    }
    // Placement from the highest coefficient down: run_before separates a
    // coefficient from the one below it; once the zeros are used up (or for
    // the lowest coefficient) the rest follow one another.
    int32_t p = totalCoeff - 1 + totalZeros;
    put(p, level[totalCoeff - 1]);
    int32_t zerosLeft = totalZeros;
    int32_t i = totalCoeff - 1;
    for (; i > 0 && zerosLeft > 0; --i) {
        const int zl = zerosLeft > 7 ? 6 : zerosLeft - 1;
        uint32_t e = LzLookup(t.runBefore[zl], b.Peek32());
        if (!e) { err |= 1; e = 1u << 8; }
        b.pos += e >> 8;
        int32_t r = int32_t(e & 0xFF);
        if (r > zerosLeft) {
            err |= 1;
            r = zerosLeft;
        }
        zerosLeft -= r;
        p -= r + 1;
        put(p, level[i - 1]);
    }
    for (; i > 0; --i) put(--p, level[i - 1]);
    br->pos = b.pos;
    return err;
}

// The block inside the unit (no end checks) or near its end.
template <class Put>
inline uint32_t ReadBlockAt(int32_t maxNumCoeff, int32_t nC, uint8_t* totalCoeffOut, H264BitReader* br, Put put) {
    if (__builtin_expect((br->pos >> 3) + kBlockBytes <= br->size, 1))
        return ReadBlock<false>(maxNumCoeff, nC, totalCoeffOut, br, put);
    return ReadBlock<true>(maxNumCoeff, nC, totalCoeffOut, br, put);
}

}  // namespace

const uint8_t kH264Zigzag4x4[16] = {0, 1, 4, 8, 5, 2, 3, 6, 9, 12, 13, 10, 7, 11, 14, 15};

void H264ScanScale(int32_t* scale, const uint8_t* dequant) {
    for (int k = 0; k < 16; ++k) scale[k] = int32_t(dequant[1 + kPosClass[kZigzag4x4[k]]]) << dequant[0];
}

uint32_t H264ReadScaledBlock(int16_t* blk, int32_t maxNumCoeff, int32_t nC, const int32_t* scale,
                             uint8_t* totalCoeffOut, H264BitReader* br) {
    const int32_t start = 16 - maxNumCoeff;
    return ReadBlockAt(maxNumCoeff, nC, totalCoeffOut, br, [=](int32_t p, int32_t level) {
        const int32_t k = (p + start) & 15;
        blk[kZigzag4x4[k]] = int16_t(level * scale[k]);
    });
}

uint32_t H264ReadChromaDcBlock(int32_t* dc, uint8_t* totalCoeffOut, H264BitReader* br) {
    return ReadBlockAt(4, -1, totalCoeffOut, br, [=](int32_t p, int32_t level) { dc[p & 3] = level; });
}

uint32_t H264ReadLumaDcBlock(int64_t* dc, int32_t nC, uint8_t* totalCoeffOut, H264BitReader* br) {
    return ReadBlockAt(16, nC, totalCoeffOut, br,
                       [=](int32_t p, int32_t level) { dc[kZigzag4x4[p & 15]] = level; });
}
