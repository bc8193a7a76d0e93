// CAVLC block reader against a straightforward reading of the same syntax
// (coeff_token, trailing-one signs, levels, total_zeros, run_before read
// one by one from the unit's bit reader, then placed lowest first), on
// random and damaged bits, blocks running past the end of the unit
// included: coefficients, coefficient count, error flags and the position
// after every block must agree.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "h264_cavlc.h"

namespace {

struct Block {
    uint32_t err = 0;
    int tc = 0;
    int32_t coef[16] = {};  // by scan position (past the block folded in)
    uint32_t pos = 0;
};

// The reading as the syntax lists it.
Block Reference(int maxNumCoeff, int nC, H264BitReader br) {
    using h264cavlc::LzLookup;
    const h264cavlc::Tables& t = h264cavlc::kTables;
    Block out;
    const uint32_t peek = BitPeek32(&br);
    int tc, t1;
    uint32_t len;
    if (nC < 0) {
        uint32_t e = LzLookup(t.chromaDcToken, peek);
        if (!e) { out.err |= 128; e = 1u << 8; }
        len = e >> 8, tc = int(e & 0xff) >> 2, t1 = int(e & 3);
    } else if (nC >= 8) {
        uint32_t s = t.coeffTokenFlc[peek >> 26];
        if (s == 0xff) s = 0;
        len = 6, tc = int(s >> 2), t1 = int(s & 3);
    } else {
        uint32_t e = LzLookup(t.coeffToken[nC < 2 ? 0 : nC < 4 ? 1 : 2], peek);
        if (!e) { out.err |= 128; e = 16u << 8; }
        len = e >> 8, tc = int(e & 0xff) >> 2, t1 = int(e & 3);
    }
    if (tc > maxNumCoeff) {
        out.err |= 1;
        tc = maxNumCoeff;
        if (t1 > tc) t1 = tc;
    }
    out.tc = tc;
    br.pos += len;
    if (tc == 0) {
        out.pos = br.pos;
        return out;
    }
    int level[16], run[16] = {};
    for (int i = 0; i < t1; ++i) level[tc - 1 - i] = BitReadBits(1, &br) ? -1 : 1;
    int suffixLength = tc > 10 && t1 < 3 ? 1 : 0;
    for (int i = tc - t1 - 1; i >= 0; --i) {
        int prefix = 0;
        while (prefix < 16 && BitReadBits(1, &br) == 0) ++prefix;
        if (prefix == 16) {  // 16 zeros: damaged; taken as prefix 15 and its one bit
            out.err |= 1;
            prefix = 15;
        }
        const int suffixSize = prefix == 14 && suffixLength == 0 ? 4 : prefix == 15 ? 12 : suffixLength;
        int levelCode = (prefix << suffixLength) + int(BitReadBits(uint32_t(suffixSize), &br));
        if (prefix == 15 && suffixLength == 0) levelCode += 15;
        if (i == tc - t1 - 1 && t1 < 3) levelCode += 2;
        level[i] = levelCode % 2 ? -(levelCode + 1) / 2 : (levelCode + 2) / 2;
        if (suffixLength == 0) suffixLength = 1;
        if (std::abs(level[i]) > (3 << (suffixLength - 1)) && suffixLength < 6) ++suffixLength;
    }
    int zeros = 0;
    if (tc < maxNumCoeff) {
        uint32_t e = LzLookup(maxNumCoeff == 4 ? t.chromaDcTotalZeros[tc - 1] : t.totalZeros[tc - 1], BitPeek32(&br));
        if (!e) { out.err |= 1; e = 1u << 8; }
        br.pos += e >> 8;
        zeros = int(e & 0xff);
    }
    int i = tc - 1;
    for (; i > 0 && zeros > 0; --i) {
        uint32_t e = LzLookup(t.runBefore[zeros > 7 ? 7 : zeros], BitPeek32(&br));
        if (!e) { out.err |= 1; e = 1u << 8; }
        br.pos += e >> 8;
        int r = int(e & 0xff);
        if (r > zeros) {
            out.err |= 1;
            r = zeros;
        }
        run[i] = r;
        zeros -= r;
    }
    run[0] += i == 0 ? zeros : 0;
    for (int k = 0, p = -1; k < tc; ++k) {
        p += run[k] + 1;
        out.coef[p & 15] = level[k];
    }
    out.pos = br.pos;
    return out;
}

// Bits of several flavours: random, mostly ones (short codes, many
// coefficients), mostly zeros (long prefixes, escapes, invalid codes).
std::vector<uint8_t> Bytes(std::mt19937& rng, int flavour, size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        uint8_t x = uint8_t(rng());
        if (flavour == 1) x |= uint8_t(rng()) | uint8_t(rng());
        if (flavour == 2) x &= uint8_t(rng()) & uint8_t(rng());
        if (flavour == 3 && rng() % 3 == 0) x = 0;
        b = x;
    }
    return v;
}

TEST(DecoderCavlc, BlockReaderMatchesTheSyntax) {
    std::mt19937 rng(37);
    const int kNc[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 16};  // every nC class
    int32_t scale[16];
    for (int k = 0; k < 16; ++k) scale[k] = 1 + 3 * k;
    int blocks = 0, coded = 0, damaged = 0;
    for (int iter = 0; iter < 3000; ++iter) {
        // Short units put blocks across the end (bytes past it read as
        // zeros); long ones keep most blocks inside.
        const size_t n = iter % 4 == 0 ? 1 + rng() % 12 : 16 + rng() % 400;
        // Bytes after the unit that must never be read.
        std::vector<uint8_t> data = Bytes(rng, iter % 4, n + 16);
        for (size_t i = n; i < data.size(); ++i) data[i] = 0xA5;
        H264BitReader br;
        br.buf = data.data();
        br.size = uint32_t(n);
        br.pos = 0;
        br.end = uint32_t(8 * n);
        for (int k = 0; k < 60 && br.pos < 8 * n + 64; ++k) {
            const int nC = kNc[rng() % 11];
            const int kind = nC < 0 ? 0 : 1 + int(rng() % 3);  // chroma DC; 16, 15 scaled; luma DC
            const int maxNum = kind == 0 ? 4 : kind == 2 ? 15 : 16;
            const Block ref = Reference(maxNum, nC, br);
            H264BitReader mine = br;
            uint8_t tc = 0xff;
            uint32_t err;
            int32_t got[16] = {};
            if (kind == 0) {
                int32_t dc[4] = {};
                err = H264ReadChromaDcBlock(dc, &tc, &mine);
                for (int p = 0; p < 4; ++p) got[p] = dc[p];
            } else if (kind == 3) {
                int64_t dc[16] = {};
                err = H264ReadLumaDcBlock(dc, nC, &tc, &mine);
                for (int p = 0; p < 16; ++p) got[p] = int32_t(dc[kH264Zigzag4x4[p]]);
            } else {
                int16_t blk[16] = {};
                err = H264ReadScaledBlock(blk, maxNum, nC, scale, &tc, &mine);
                const int start = 16 - maxNum;
                for (int p = 0; p < 16; ++p) {
                    const int k2 = (p + start) & 15;
                    got[p] = blk[kH264Zigzag4x4[k2]];
                }
                // The reference's positions are relative to the block's
                // first; scale them as the reader does.
                Block scaled = ref;
                for (int p = 0; p < 16; ++p) scaled.coef[p] = int16_t(ref.coef[p] * scale[(p + start) & 15]);
                ASSERT_EQ(std::memcmp(got, scaled.coef, sizeof got), 0) << "iter " << iter << " block " << k;
            }
            if (kind == 0 || kind == 3) {
                ASSERT_EQ(std::memcmp(got, ref.coef, sizeof got), 0) << "iter " << iter << " block " << k;
            }
            ASSERT_EQ(tc, ref.tc) << "iter " << iter << " block " << k;
            ASSERT_EQ(err, ref.err) << "iter " << iter << " block " << k;
            ASSERT_EQ(mine.pos, ref.pos) << "iter " << iter << " block " << k;
            br.pos = ref.pos;
            ++blocks;
            coded += ref.tc > 0;
            damaged += ref.err != 0;
        }
    }
    // The flavours reach every path: coded blocks, damaged ones, many.
    EXPECT_GT(blocks, 50000);
    EXPECT_GT(coded, blocks / 4);
    EXPECT_GT(damaged, blocks / 50);
}

}  // namespace
