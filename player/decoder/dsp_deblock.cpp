// In-loop deblocking filter: plain edge kernels, gather/scatter helpers,
// the threshold tables and the per-macroblock pass.
#include <cstdlib>
#include <cstring>

#include "dsp_common.h"

#define A4(v) (0x01010101u * (v))
const uint32_t H264DbAlpha[52] = {
    A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(0),
    A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(0),   A4(4),   A4(4),
    A4(5),   A4(6),   A4(7),   A4(8),   A4(9),   A4(10),  A4(12),  A4(13),  A4(15),
    A4(17),  A4(20),  A4(22),  A4(25),  A4(28),  A4(32),  A4(36),  A4(40),  A4(45),
    A4(50),  A4(56),  A4(63),  A4(71),  A4(80),  A4(90),  A4(101), A4(113), A4(127),
    A4(144), A4(162), A4(182), A4(203), A4(226), A4(255), A4(255)};
#undef A4

const uint8_t H264DbBeta[52] = {0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,
                                0,  0,  0,  2,  2,  2,  3,  3,  3,  3,  4,  4,  4,
                                6,  6,  7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12,
                                12, 13, 13, 14, 14, 15, 15, 16, 16, 17, 17, 18, 18};

const uint8_t H264DbTc0[52][3] = {
    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},     {0, 0, 0},
    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},     {0, 0, 0},
    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},    {0, 0, 0},     {0, 0, 1},
    {0, 0, 1},    {0, 0, 1},    {0, 0, 1},    {0, 1, 1},    {0, 1, 1},     {1, 1, 1},
    {1, 1, 1},    {1, 1, 1},    {1, 1, 1},    {1, 1, 2},    {1, 1, 2},     {1, 1, 2},
    {1, 1, 2},    {1, 2, 3},    {1, 2, 3},    {2, 2, 3},    {2, 2, 4},     {2, 3, 4},
    {2, 3, 4},    {3, 3, 5},    {3, 4, 6},    {3, 4, 6},    {4, 5, 7},     {4, 5, 8},
    {4, 6, 9},    {5, 7, 10},   {6, 8, 11},   {6, 8, 13},   {7, 10, 14},   {8, 11, 16},
    {9, 12, 18},  {10, 13, 20}, {11, 15, 23}, {13, 17, 25}};

namespace h264dsp {

namespace {
inline int Clip3(int lo, int hi, int v) { return v < lo ? lo : (v > hi ? hi : v); }
inline int ByteOf(uint32_t w, int i) { return static_cast<int>((w >> (8 * i)) & 0xff); }
}  // namespace

void PlainDbTranspose8x8(uint8_t* blk) {
    for (int y = 0; y < 8; ++y)
        for (int x = y + 1; x < 8; ++x) {
            const uint8_t t = blk[8 * y + x];
            blk[8 * y + x] = blk[8 * x + y];
            blk[8 * x + y] = t;
        }
}

void PlainDbLumaNormal(uint8_t* p, uint8_t* q, uint32_t alpha4, int32_t beta, uint32_t tc0x4) {
    for (int i = 0; i < 8; ++i) {
        const int alpha = ByteOf(alpha4, i >> 1);
        const int tc0 = ByteOf(tc0x4, i >> 1);
        const int p3 = p[i], p2 = p[8 + i], p1 = p[16 + i], p0 = p[24 + i];
        const int q0 = q[i], q1 = q[8 + i], q2 = q[16 + i];
        (void)p3;
        if (!(std::abs(p0 - q0) < alpha && std::abs(p1 - p0) < beta && std::abs(q1 - q0) < beta))
            continue;
        int tc = tc0;
        if (std::abs(p2 - p0) < beta) {
            p[16 + i] = static_cast<uint8_t>(p1 + Clip3(-tc0, tc0, ((p2 + ((p0 + q0 + 1) >> 1)) >> 1) - p1));
            ++tc;
        }
        if (std::abs(q2 - q0) < beta) {
            q[8 + i] = static_cast<uint8_t>(q1 + Clip3(-tc0, tc0, ((q2 + ((p0 + q0 + 1) >> 1)) >> 1) - q1));
            ++tc;
        }
        const int delta = Clip3(-tc, tc, ((q0 - p0) * 4 + (p1 - q1) + 4) >> 3);
        p[24 + i] = Clip255(p0 + delta);
        q[i] = Clip255(q0 - delta);
    }
}

// Segment bytes (one per 4 positions) as the pair bytes of an 8-position call.
namespace {
inline uint32_t PairsOf(uint32_t quads, int half) {
    const uint32_t a = (quads >> (16 * half)) & 0xff, b = (quads >> (16 * half + 8)) & 0xff;
    return (a | b << 16) * 0x101u;
}
}  // namespace

void PlainDbLumaNormal16(uint8_t* pL, uint8_t* pR, uint8_t* qL, uint8_t* qR, uint32_t alpha4, int32_t beta,
                         uint32_t tc0x4) {
    PlainDbLumaNormal(pL, qL, PairsOf(alpha4, 0), beta, PairsOf(tc0x4, 0));
    PlainDbLumaNormal(pR, qR, PairsOf(alpha4, 1), beta, PairsOf(tc0x4, 1));
}

void PlainDbLumaStrong(uint8_t* p, uint8_t* q, int32_t alpha, int32_t beta) {
    for (int i = 0; i < 8; ++i) {
        const int p3 = p[i], p2 = p[8 + i], p1 = p[16 + i], p0 = p[24 + i];
        const int q0 = q[i], q1 = q[8 + i], q2 = q[16 + i], q3 = q[24 + i];
        if (!(std::abs(p0 - q0) < alpha && std::abs(p1 - p0) < beta && std::abs(q1 - q0) < beta))
            continue;
        const bool small = std::abs(p0 - q0) < ((alpha >> 2) + 2);
        if (small && std::abs(p2 - p0) < beta) {
            p[24 + i] = static_cast<uint8_t>((p2 + 2 * p1 + 2 * p0 + 2 * q0 + q1 + 4) >> 3);
            p[16 + i] = static_cast<uint8_t>((p2 + p1 + p0 + q0 + 2) >> 2);
            p[8 + i] = static_cast<uint8_t>((2 * p3 + 3 * p2 + p1 + p0 + q0 + 4) >> 3);
        } else {
            p[24 + i] = static_cast<uint8_t>((2 * p1 + p0 + q1 + 2) >> 2);
        }
        if (small && std::abs(q2 - q0) < beta) {
            q[i] = static_cast<uint8_t>((p1 + 2 * p0 + 2 * q0 + 2 * q1 + q2 + 4) >> 3);
            q[8 + i] = static_cast<uint8_t>((p0 + q0 + q1 + q2 + 2) >> 2);
            q[16 + i] = static_cast<uint8_t>((2 * q3 + 3 * q2 + q1 + q0 + p0 + 4) >> 3);
        } else {
            q[i] = static_cast<uint8_t>((2 * q1 + q0 + p1 + 2) >> 2);
        }
    }
}

namespace {
void ChromaNormalOne(uint8_t* p, uint8_t* q, uint32_t alpha4, int beta, uint32_t tc0x4, int qs) {
    for (int i = 0; i < 8; ++i) {
        const int alpha = ByteOf(alpha4, i >> 1);
        const int tc = ByteOf(tc0x4, i >> 1) + 1;
        const int p1 = p[i], p0 = p[8 + i], q0 = q[i], q1 = q[qs + i];
        if (!(std::abs(p0 - q0) < alpha && std::abs(p1 - p0) < beta && std::abs(q1 - q0) < beta))
            continue;
        const int delta = Clip3(-tc, tc, ((q0 - p0) * 4 + (p1 - q1) + 4) >> 3);
        p[8 + i] = Clip255(p0 + delta);
        q[i] = Clip255(q0 - delta);
    }
}

void ChromaStrongOne(uint8_t* p, uint8_t* q, int alpha, int beta) {
    for (int i = 0; i < 8; ++i) {
        const int p1 = p[i], p0 = p[8 + i], q0 = q[i], q1 = q[8 + i];
        if (!(std::abs(p0 - q0) < alpha && std::abs(p1 - p0) < beta && std::abs(q1 - q0) < beta))
            continue;
        p[8 + i] = static_cast<uint8_t>((2 * p1 + p0 + q1 + 2) >> 2);
        q[i] = static_cast<uint8_t>((2 * q1 + q0 + p1 + 2) >> 2);
    }
}
}  // namespace

void PlainDbChromaNormal(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                         uint32_t alpha4, int32_t beta, uint32_t tc0x4, int32_t qStride) {
    ChromaNormalOne(cbP, cbQ, alpha4, beta, tc0x4, qStride);
    ChromaNormalOne(crP, crQ, alpha4, beta, tc0x4, qStride);
}

void PlainDbChromaStrong(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                         int32_t alpha, int32_t beta) {
    ChromaStrongOne(cbP, cbQ, alpha, beta);
    ChromaStrongOne(crP, crQ, alpha, beta);
}

void PlainDbGatherLeft(uint8_t* dst, const uint8_t* top, const uint8_t* bottom, int32_t stride) {
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 4; ++c) {
            dst[8 * c + r] = top[r * stride + c];
            dst[32 + 8 * c + r] = bottom[r * stride + c];
        }
}

void PlainDbScatterLeft(const uint8_t* src, uint8_t* top, uint8_t* bottom, int32_t stride) {
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 4; ++c) {
            top[r * stride + c] = src[8 * c + r];
            bottom[r * stride + c] = src[32 + 8 * c + r];
        }
}

void PlainDbGatherTopChroma(uint8_t* dst, const uint8_t* src, int32_t stride) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + 8, src + stride, 8);
}

void PlainDbStoreRow8(uint8_t* dst, const uint8_t* src) { std::memcpy(dst, src, 8); }

void PlainDbGatherTop(uint8_t* left, uint8_t* right, const uint8_t* src, int32_t stride) {
    for (int r = 0; r < 4; ++r) {
        std::memcpy(left + 8 * r, src + r * stride, 8);
        std::memcpy(right + 8 * r, src + r * stride + 8, 8);
    }
}

void PlainDbScatterTop(uint8_t* dst, int32_t stride, const uint8_t* left, const uint8_t* right) {
    for (int r = 1; r < 4; ++r) {
        std::memcpy(dst + r * stride, left + 8 * r, 8);
        std::memcpy(dst + r * stride + 8, right + 8 * r, 8);
    }
}

void PlainMbStoreLuma(uint8_t* dst, int32_t stride, const uint8_t* predY) {
    for (int y = 0; y < 16; ++y) {
        const uint8_t* row = predY + 128 * (y >> 3) + 8 * (y & 7);
        std::memcpy(dst + y * stride, row, 8);
        std::memcpy(dst + y * stride + 8, row + 64, 8);
    }
}

namespace {
// Column 7 of an 8x8 block of 8-byte rows into dst[0..7]. Each row is read
// as one word and the column gathered in a word stored once: the compiler
// otherwise merges two such gathers through the stack into one 16-byte
// store, and the 16-byte reload of two 8-byte stores stalls.
inline void RightColumn(uint8_t* dst, const uint8_t* rows) {
    uint64_t v = 0;
    for (int r = 0; r < 8; ++r) {
        uint64_t row;
        std::memcpy(&row, rows + 8 * r, 8);
        v |= (row >> 56) << (8 * r);  // little-endian: byte 7 is the top byte
    }
    std::memcpy(dst, &v, 8);
}
}  // namespace

// Luma: column 7 of quadrants 1 and 3; chroma: column 7.
void PlainMbRightColumn(uint8_t* leftY, uint8_t* leftCb, uint8_t* leftCr, const uint8_t* predY,
                        const uint8_t* predCb, const uint8_t* predCr) {
    RightColumn(leftY, predY + 64);
    RightColumn(leftY + 8, predY + 192);
    RightColumn(leftCb, predCb);
    RightColumn(leftCr, predCr);
}

void PlainMbStoreChroma(uint8_t* dstCb, uint8_t* dstCr, int32_t strideC, const uint8_t* predCb,
                        const uint8_t* predCr) {
    for (int y = 0; y < 8; ++y) {
        std::memcpy(dstCb + y * strideC, predCb + 8 * y, 8);
        std::memcpy(dstCr + y * strideC, predCr + 8 * y, 8);
    }
}

}  // namespace h264dsp

// ---------------------------------------------------------------------------
// Per-macroblock pass.
namespace {

struct Thresholds {
    uint32_t alpha4;  // alpha in every byte
    int alpha;
    int beta;
    uint32_t tc1, tc2, tc3;  // tc0 by bS 1, 2, 3 (bS 4 as bS 3)
};

Thresholds MakeThresholds(int qPp, int qPq, int offA, int offB) {
    const int qPav = (qPp + qPq + 1) >> 1;
    int ia = qPav + offA, ib = qPav + offB;
    ia = ia < 0 ? 0 : (ia > 51 ? 51 : ia);
    ib = ib < 0 ? 0 : (ib > 51 ? 51 : ib);
    Thresholds t;
    t.alpha4 = H264DbAlpha[ia];
    t.alpha = static_cast<int>(t.alpha4 & 0xff);
    t.beta = H264DbBeta[ib];
    const uint8_t* tc = H264DbTc0[ia];
    t.tc1 = tc[0];
    t.tc2 = tc[1];
    t.tc3 = tc[2];
    return t;
}

// The four bytes of s as one word (byte i from s[i]).
inline uint32_t Word4(const uint8_t* s) {
    uint32_t w;
    std::memcpy(&w, s, 4);
    return w;  // little-endian: byte i is s[i]
}

// Packed alpha/tc0 of a call covering four segments (strengths s[0..3],
// each 0..4). Bits 0..2 of every byte say which strength it holds: 1 is
// bit 0 alone, 2 bit 1 alone, 3 both, 4 bit 2; each of the masks m1, m2, m3
// has 1 in the bytes of its strength(s), so m * tc spreads tc into them.
inline void PackSegments(const Thresholds& t, const uint8_t* s, uint32_t& alpha4, uint32_t& tc0x4) {
    const uint32_t w = Word4(s);
    const uint32_t b0 = w & 0x01010101u, b1 = (w >> 1) & 0x01010101u, b2 = (w >> 2) & 0x01010101u;
    const uint32_t m1 = b0 & ~(b1 | b2), m2 = b1 & ~b0, m3 = (b0 & b1) | b2;
    alpha4 = t.alpha4 & ((b0 | b1 | b2) * 0xffu);
    tc0x4 = m1 * t.tc1 + m2 * t.tc2 + m3 * t.tc3;
}

inline bool Any4(const uint8_t* s) { return Word4(s) != 0; }

// Normal luma filter across a whole macroblock edge: positions 0..7 at
// pL/qL, 8..15 at pR/qR, segments s[0..3].
inline void LumaEdge(const H264DspTable* d, const Thresholds& t, uint8_t* pL, uint8_t* pR, uint8_t* qL,
                     uint8_t* qR, const uint8_t* s) {
    if (!Any4(s)) return;
    uint32_t a4, tc;
    PackSegments(t, s, a4, tc);
    d->dbLumaNormal16(pL, pR, qL, qR, a4, t.beta, tc);
}

inline void ChromaEdge(const H264DspTable* d, const Thresholds& t, uint8_t* cbP, uint8_t* cbQ,
                       uint8_t* crP, uint8_t* crQ, const uint8_t* s) {
    uint32_t a4, tc;
    PackSegments(t, s, a4, tc);
    d->dbChromaNormal(cbP, cbQ, crP, crQ, a4, t.beta, tc, 8);
}

}  // namespace

void H264DeblockMacroblock(const H264DeblockParams* p) {
    const H264DspTable* d = p->dsp;
    const uint8_t* bS = p->bS;
    const int strideC = p->strideY / 2;
    uint8_t* y0 = p->planeY + p->strideY * 16 * p->mbY + 16 * p->mbX;
    uint8_t* cb0 = p->planeCb + strideC * 8 * p->mbY + 8 * p->mbX;
    uint8_t* cr0 = p->planeCr + strideC * 8 * p->mbY + 8 * p->mbX;
    uint8_t* Y = p->predY;
    uint8_t* Cb = p->predCb;
    uint8_t* Cr = p->predCr;
    const int offA = p->filterOffsetA, offB = p->filterOffsetB;

    // Inner edges (bS[16..39]) use the macroblock's own thresholds; many
    // macroblocks have none to filter and skip making them.
    uint64_t inner[3];
    std::memcpy(inner, bS + 16, 24);
    Thresholds inL{}, inC{};
    if ((inner[0] | inner[1] | inner[2]) != 0) {
        inL = MakeThresholds(p->qp, p->qp, offA, offB);
        inC = MakeThresholds(p->qpc, p->qpc, offA, offB);
    }

    alignas(16) uint8_t bufY[64];
    alignas(16) uint8_t bufC[64];
    alignas(16) uint8_t bufY2[32];

    // Vertical edges, on transposed blocks. A macroblock without any vertical
    // edge to filter skips the transposes (same samples, less work).
    // Only the quadrants an edge reaches are transposed: the left half
    // (quadrants 0, 2) for x = 0, 4, 8, the right half (1, 3) for x = 8, 12,
    // the chroma for x = 0 and 8.
    const bool leftEdge = Any4(bS), midEdge = Any4(bS + 20);
    const bool leftHalf = leftEdge || Any4(bS + 16) || midEdge;
    const bool rightHalf = midEdge || Any4(bS + 24);
    const bool chroma = leftEdge || midEdge;
    if (leftHalf || rightHalf) {
        const auto transpose = [&] {
            if (leftHalf) {
                d->dbTranspose8x8(Y);
                d->dbTranspose8x8(Y + 128);
            }
            if (rightHalf) {
                d->dbTranspose8x8(Y + 64);
                d->dbTranspose8x8(Y + 192);
            }
            if (chroma) {
                d->dbTranspose8x8(Cb);
                d->dbTranspose8x8(Cr);
            }
        };
        transpose();

        if (leftEdge) {
            const Thresholds tl = MakeThresholds(p->qpLeft, p->qp, offA, offB);
            const Thresholds tcc = MakeThresholds(p->qpcLeft, p->qpc, offA, offB);
            d->dbGatherLeft(bufY, y0 - 4, y0 + 8 * p->strideY - 4, p->strideY);
            d->dbGatherLeft(bufC, cb0 - 4, cr0 - 4, strideC);
            if (bS[0] == 4) {
                d->dbLumaStrong(bufY, Y, tl.alpha, tl.beta);
                d->dbLumaStrong(bufY + 32, Y + 128, tl.alpha, tl.beta);
                d->dbChromaStrong(bufC + 16, Cb, bufC + 48, Cr, tcc.alpha, tcc.beta);
            } else {
                LumaEdge(d, tl, bufY, bufY + 32, Y, Y + 128, bS);
                ChromaEdge(d, tcc, bufC + 16, Cb, bufC + 48, Cr, bS);
            }
            d->dbScatterLeft(bufY, y0 - 4, y0 + 8 * p->strideY - 4, p->strideY);
            d->dbScatterLeft(bufC, cb0 - 4, cr0 - 4, strideC);
        }
        // Transposed quadrants: the upper half of a vertical edge lies in
        // quadrant 0 or 1, the lower half 128 bytes on.
        LumaEdge(d, inL, Y, Y + 128, Y + 32, Y + 160, bS + 16);
        LumaEdge(d, inL, Y + 32, Y + 160, Y + 64, Y + 192, bS + 20);
        if (midEdge) ChromaEdge(d, inC, Cb + 16, Cb + 32, Cr + 16, Cr + 32, bS + 20);
        LumaEdge(d, inL, Y + 64, Y + 192, Y + 96, Y + 224, bS + 24);
        transpose();
    }

    // Horizontal edges.
    if (Any4(bS + 8)) {
        const Thresholds tt = MakeThresholds(p->qpTop, p->qp, offA, offB);
        const Thresholds tcc = MakeThresholds(p->qpcTop, p->qpc, offA, offB);
        d->dbGatherTop(bufY, bufY2, y0 - 4 * p->strideY, p->strideY);
        d->dbGatherTopChroma(bufC, cb0 - 2 * strideC, strideC);
        d->dbGatherTopChroma(bufC + 16, cr0 - 2 * strideC, strideC);
        if (bS[8] == 4) {
            d->dbLumaStrong(bufY, Y, tt.alpha, tt.beta);
            d->dbLumaStrong(bufY2, Y + 64, tt.alpha, tt.beta);
            d->dbChromaStrong(bufC, Cb, bufC + 16, Cr, tcc.alpha, tcc.beta);
        } else {
            LumaEdge(d, tt, bufY, bufY2, Y, Y + 64, bS + 8);
            ChromaEdge(d, tcc, bufC, Cb, bufC + 16, Cr, bS + 8);
        }
        d->dbScatterTop(y0 - 4 * p->strideY, p->strideY, bufY, bufY2);
        d->dbStoreRow8(cb0 - strideC, bufC + 8);
        d->dbStoreRow8(cr0 - strideC, bufC + 24);
    }
    // Horizontal edges: the left half in quadrant 0 or 2, the right half 64
    // bytes on.
    LumaEdge(d, inL, Y, Y + 64, Y + 32, Y + 96, bS + 28);
    LumaEdge(d, inL, Y + 32, Y + 96, Y + 128, Y + 192, bS + 32);
    if (Any4(bS + 32)) ChromaEdge(d, inC, Cb + 16, Cb + 32, Cr + 16, Cr + 32, bS + 32);
    LumaEdge(d, inL, Y + 128, Y + 192, Y + 160, Y + 224, bS + 36);

    d->mbStoreLuma(y0, p->strideY, Y);
    d->mbStoreChroma(cb0, cr0, strideC, Cb, Cr);
}
