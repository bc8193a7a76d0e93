// CAVLC block reader: one residual block straight into its coefficients.
#pragma once
#include <cstring>
#include "h264_internal.h"

namespace h264cavlc {

// A code table resolved by the count of leading zeros (row) and the three
// bits after the first one bit (column). Entry: length << 8 | symbol, 0 for
// no code. An all-zero code fills every row from its length on.
struct LzTable {
    uint16_t e[33][8];
};

constexpr int kLevelBits = 9;

struct Tables {
    LzTable coeffToken[3];  // nC 0..1, 2..3, 4..7
    uint8_t coeffTokenFlc[64];  // nC >= 8: TotalCoeff * 4 + TrailingOnes, 0xFF none
    LzTable chromaDcToken;
    LzTable totalZeros[15];
    LzTable chromaDcTotalZeros[3];
    LzTable runBefore[8];  // by min(zerosLeft, 7); [0]: no zeros left, no bits (entries kNoRun)
    // Levels whose whole code (prefix, one bit, suffix) lies in the next
    // kLevelBits bits, by suffixLength: level << 7 | next suffixLength << 4
    // | code length; 0 where the code is longer.
    int16_t level[7][1 << kLevelBits];
    Tables();
};

// Built before main; the block reader reads it without a guard.
extern const Tables kTables;

// run_before once no zeros are left: no bits, a run of 0 (runs lie in the
// low four bits of an entry).
constexpr uint16_t kNoRun = 0x80;

// Looks a code up from a 32-bit peek; returns the entry (0: no code).
// Codes are at most 16 bits, so rows 16..32 hold only the fills of all-zero
// codes, the same in every column: a peek of 0 may read row 31 like a peek
// of 1.
inline uint32_t LzLookup(const LzTable& t, uint32_t peek) {
    const uint32_t lz = uint32_t(__builtin_clz(peek | 1));
    const uint32_t col = ((peek << lz) << 1) >> 29;
    return t.e[lz][col];
}

// Scan position to raster position of a 4x4 block.
extern const uint8_t kZigzag4x4[16];

// The block reader's own copy of the bit position, kept in registers for
// the whole block, with the bits from it on held in a word: a code is read
// from the word and shifted out of it, and the word reloaded from memory
// only when fewer bits are left in it than the next code may take. The
// chain from one code to the next is then the code's own arithmetic, not a
// load at a computed position. kTail: the block may run to the end of the
// unit, so every load checks it (bytes past `size` read as zeros);
// otherwise every load of the block lies inside the unit (see kBlockBytes).
template <bool kTail>
struct BlockBits {
    const uint8_t* buf;
    uint32_t size;
    uint32_t pos;    // bit position of the word's top bit
    uint64_t bits;   // the bits from pos on, at the top
    uint32_t valid;  // how many of them came from memory

    BlockBits(const H264BitReader* br) : buf(br->buf), size(br->size), pos(br->pos) { Load(); }
    void Load() {
        const uint32_t byte = pos >> 3;
        uint64_t v;
        if (kTail) {
            v = 0;
            for (uint32_t i = 0; i < 8; ++i) v = v << 8 | (byte + i < size ? buf[byte + i] : 0u);
        } else {
            std::memcpy(&v, buf + byte, 8);
            v = __builtin_bswap64(v);
        }
        bits = v << (pos & 7);
        valid = 64 - (pos & 7);  // at least 57
    }
    // At least 32 bits from memory at the top of the word.
    void Need32() {
        if (valid < 32) Load();
    }
    uint32_t Peek32() const { return uint32_t(bits >> 32); }
    void Skip(uint32_t n) {  // n at most 32 and at most valid
        pos += n;
        bits <<= n;
        valid -= n;
    }
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
    BlockBits<kTail> b(br);
    uint32_t err = 0;
    const uint64_t first = b.bits;  // 57 bits or more: the token and three signs
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
    // Three are always written: those past trailingOnes land on levels read
    // below or in the three spare entries before level[0].
    int32_t levels[3 + 16];
    int32_t* const level = levels + 3;
    const uint32_t signs = uint32_t((first << len) >> 61);
    level[totalCoeff - 1] = 1 - int32_t((signs >> 1) & 2);
    level[totalCoeff - 2] = 1 - int32_t(signs & 2);
    level[totalCoeff - 3] = 1 - int32_t((signs << 1) & 2);
    b.Skip(len + uint32_t(trailingOnes));
    // Remaining levels: prefix and suffix from one read.
    int32_t suffixLength = totalCoeff > 10 && trailingOnes < 3 ? 1 : 0;
    int32_t bonus = trailingOnes < 3 ? 2 : 0;  // the first level after fewer than 3 trailing ones
    // A level takes at most 28 bits, so a fresh word (57 bits or more)
    // holds two: the word is reloaded once a pair, with no test of what is
    // left in it (a test the data decides, one level in two, is a branch
    // the processor cannot foresee).
    auto readLevel = [&](int32_t i) {
        // Short codes (most levels) from the table; the first level after
        // fewer than three trailing ones (its code is offset) never.
        const int32_t e = t.level[suffixLength][b.bits >> (64 - kLevelBits)];
        if (__builtin_expect((e & 15) != 0 && bonus == 0, 1)) {
            b.Skip(uint32_t(e & 15));
            level[i] = e >> 7;
            suffixLength = (e >> 4) & 7;
            return;
        }
        uint64_t v = b.bits;
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
        b.Skip(uint32_t(used));
        levelCode += bonus;
        bonus = 0;
        // levelCode 2k gives k + 1, 2k + 1 gives -(k + 1).
        const int32_t magnitude = (levelCode + 2) >> 1;
        level[i] = (levelCode & 1) ? -magnitude : magnitude;
        suffixLength += suffixLength == 0;
        suffixLength += magnitude > (3 << (suffixLength - 1)) && suffixLength < 6;
    };
    for (int32_t i = totalCoeff - trailingOnes - 1; i >= 0; i -= 2) {
        b.Load();
        readLevel(i);
        if (i == 0) break;
        readLevel(i - 1);
    }
    int32_t totalZeros = 0;
    if (totalCoeff < maxNumCoeff) {
        b.Need32();
        uint32_t e = maxNumCoeff == 4 ? LzLookup(t.chromaDcTotalZeros[totalCoeff - 1], b.Peek32())
                                      : LzLookup(t.totalZeros[totalCoeff - 1], b.Peek32());
        if (!e) { err |= 1; e = 1u << 8; }
        b.Skip(e >> 8);
        totalZeros = int32_t(e & 0xFF);
    }
    // Placement from the highest coefficient down: run_before separates a
    // coefficient from the one below it (the lowest takes the zeros left).
    // Once the zeros are used up the runs read as 0 from no bits, so for
    // blocks of few coefficients one loop of a count known up front places
    // them all; a block without zeros among its coefficients (most blocks
    // at low QP) is placed without it.
    int32_t p = totalCoeff - 1 + totalZeros;
    put(p, level[totalCoeff - 1]);
    int32_t zerosLeft = totalZeros;
    if (totalZeros == 0) {
        for (int32_t i = totalCoeff - 1; i > 0; --i) put(i - 1, level[i - 1]);
        br->pos = b.pos;
        return err;
    }
    auto run = [&](int32_t i) {
        const int zl = zerosLeft > 7 ? 7 : zerosLeft;
        b.Need32();
        uint32_t e = LzLookup(t.runBefore[zl], b.Peek32());
        if (!e) { err |= 1; e = 1u << 8; }
        b.Skip(e >> 8);
        int32_t r = int32_t(e & 0xF);
        if (r > zerosLeft) {
            err |= 1;
            r = zerosLeft;
        }
        zerosLeft -= r;
        p -= r + 1;
        put(p, level[i - 1]);
    };
    int32_t i = totalCoeff - 1;
    if (totalCoeff <= 8) {
        for (; i > 0; --i) run(i);
    } else {
        // Dense blocks (low QP) use their few zeros up early: the rest is
        // placed straight once they are.
        for (; i > 0 && zerosLeft > 0; --i) run(i);
    }
    for (; i > 0; --i) put(--p, level[i - 1]);
    br->pos = b.pos;
    return err;
}

// Blocks near the end of the unit: out of line.
template <class Put>
__attribute__((noinline)) uint32_t ReadBlockTail(int32_t maxNumCoeff, int32_t nC, uint8_t* totalCoeffOut,
                                                 H264BitReader* br, Put put) {
    return ReadBlock<true>(maxNumCoeff, nC, totalCoeffOut, br, put);
}

// The coeff_token of a block without coefficients by nC class (index
// nC + 1, 9 for nC >= 8): its length and its bits.
constexpr uint8_t kEmptyTokenLen[10] = {2, 1, 1, 2, 2, 4, 4, 4, 4, 6};
constexpr uint8_t kEmptyTokenBits[10] = {1, 1, 1, 3, 3, 15, 15, 15, 15, 3};

// The block inside the unit (no end checks) or near its end. A block
// without coefficients (most of those read in inter pictures) is taken
// here from one peek, without the reader's call and set-up.
template <class Put>
inline uint32_t ReadBlockAt(int32_t maxNumCoeff, int32_t nC, uint8_t* totalCoeffOut, H264BitReader* br, Put put) {
    const uint32_t cls = nC >= 8 ? 9u : uint32_t(nC + 1);
    const uint32_t len = kEmptyTokenLen[cls];
    if ((BitPeek32(br) >> (32 - len)) == kEmptyTokenBits[cls]) {
        br->pos += len;
        *totalCoeffOut = 0;
        return 0;
    }
    if (__builtin_expect((br->pos >> 3) + kBlockBytes <= br->size, 1))
        return ReadBlock<false>(maxNumCoeff, nC, totalCoeffOut, br, put);
    return ReadBlockTail(maxNumCoeff, nC, totalCoeffOut, br, put);
}

}  // namespace h264cavlc

// Reads one residual_block_cavlc of a 4x4 block, maxNumCoeff 16 (scan
// positions 0..15) or 15 (positions 1..15), into blk (raster order, zero on
// entry), each coefficient multiplied by scale[scan position]; positions
// past the block (damaged data) fold back in.
// Returns 0, or 1 and/or 128 (invalid coeff_token) on damaged data.
inline uint32_t H264ReadScaledBlock(int16_t* blk, int32_t maxNumCoeff, int32_t nC, const int32_t* scale,
                                    uint8_t* totalCoeffOut, H264BitReader* br) {
    const int32_t start = 16 - maxNumCoeff;
    return h264cavlc::ReadBlockAt(maxNumCoeff, nC, totalCoeffOut, br, [=](int32_t p, int32_t level) {
        const int32_t k = (p + start) & 15;
        blk[h264cavlc::kZigzag4x4[k]] = int16_t(level * scale[k]);
    });
}

// The chroma DC block: levels into dc[4] by scan position (zero on entry).
inline uint32_t H264ReadChromaDcBlock(int32_t* dc, uint8_t* totalCoeffOut, H264BitReader* br) {
    return h264cavlc::ReadBlockAt(4, -1, totalCoeffOut, br, [=](int32_t p, int32_t level) { dc[p & 3] = level; });
}

// The Intra 16x16 DC block: levels into dc[16] in raster order (zero on entry).
inline uint32_t H264ReadLumaDcBlock(int64_t* dc, int32_t nC, uint8_t* totalCoeffOut, H264BitReader* br) {
    return h264cavlc::ReadBlockAt(16, nC, totalCoeffOut, br,
                                  [=](int32_t p, int32_t level) { dc[h264cavlc::kZigzag4x4[p & 15]] = level; });
}

// Scale factors by scan position from dequant (qp / 6, then the factors of
// the three position classes).
void H264ScanScale(int32_t* scale, const uint8_t* dequant);
extern const uint8_t kH264Zigzag4x4[16];
