// Slice data: the macroblock loop, macroblock records, prediction syntax,
// residual, intra decoding, motion-vector prediction and boundary strengths.
#include <cstddef>
#include <cstring>
#include "h264_cavlc.h"
#include "h264_dsp.h"
#include "h264_internal.h"

namespace {

// Macroblock error flags.
enum : int { kErrIntraNeighbour = 2, kErrSyntax = 8 };

// luma4x4BlkIdx of the 4x4 block at (x, y) in 4x4 units, and back.
constexpr uint8_t kBlkIdx[4][4] = {{0, 1, 4, 5}, {2, 3, 6, 7}, {8, 9, 12, 13}, {10, 11, 14, 15}};  // [y][x]
constexpr uint8_t kBlkX[16] = {0, 1, 0, 1, 2, 3, 2, 3, 0, 1, 0, 1, 2, 3, 2, 3};
constexpr uint8_t kBlkY[16] = {0, 0, 1, 1, 0, 0, 1, 1, 2, 2, 3, 3, 2, 2, 3, 3};

// coded_block_pattern by code number (Table 9-4): intra 4x4, inter.
const uint8_t kCbpIntra[48] = {47, 31, 15, 0,  23, 27, 29, 30, 7,  11, 13, 14, 39, 43, 45, 46,
                               16, 3,  5,  10, 12, 19, 21, 26, 28, 35, 37, 42, 44, 1,  2,  4,
                               8,  17, 18, 20, 24, 6,  9,  22, 25, 32, 33, 34, 36, 40, 38, 41};
const uint8_t kCbpInter[48] = {0,  16, 1,  2,  4,  8,  32, 3,  5,  10, 12, 15, 47, 7,  11, 13,
                               14, 6,  9,  31, 35, 37, 42, 44, 33, 34, 36, 40, 39, 43, 45, 46,
                               17, 18, 20, 24, 19, 21, 26, 28, 23, 27, 29, 30, 22, 25, 38, 41};

const uint8_t kNormAdjust[3][6] = {{10, 11, 13, 14, 16, 18}, {13, 14, 16, 18, 20, 23}, {16, 18, 20, 23, 25, 29}};

inline int Clip3(int lo, int hi, int v) { return v < lo ? lo : v > hi ? hi : v; }

struct Nb {
    int code;  // neighbour code
    int blk;   // luma4x4BlkIdx inside it
};

// Neighbour 4x4 block at (x, y) in 4x4 units relative to the current
// macroblock (x in -1..4, y in -1..3).
constexpr Nb NbAt(int x, int y) {
    if (y < 0) {
        if (x < 0) return {kNbTopLeft, 15};
        if (x >= 4) return {kNbTopRight, kBlkIdx[3][x - 4]};
        return {kNbTop, kBlkIdx[3][x]};
    }
    if (x < 0) return {kNbLeft, kBlkIdx[y][3]};
    if (x >= 4) return {kNbUnavail, 0};
    return {kNbCur, kBlkIdx[y][x]};
}

// Left (A) and top (B) neighbour blocks of every luma block.
struct LumaNeighbours {
    Nb left[16], top[16];
};
constexpr LumaNeighbours MakeLumaNeighbours() {
    LumaNeighbours t{};
    for (int b = 0; b < 16; ++b) {
        t.left[b] = NbAt(kBlkX[b] - 1, kBlkY[b]);
        t.top[b] = NbAt(kBlkX[b], kBlkY[b] - 1);
    }
    return t;
}
constexpr LumaNeighbours kLumaNb = MakeLumaNeighbours();

// Dequantisation of every QP: qp / 6 and the factors of the three position
// classes (the bytes of dequantY/dequantC), and the factors by scan
// position. Built before main.
struct QpFactors {
    uint8_t dequant[52][4];
    int32_t scale[52][16];
    QpFactors() {
        for (int qp = 0; qp < 52; ++qp) {
            dequant[qp][0] = uint8_t(qp / 6);
            for (int k = 0; k < 3; ++k) dequant[qp][1 + k] = kNormAdjust[k][qp % 6];
            H264ScanScale(scale[qp], dequant[qp]);
        }
    }
};
const QpFactors kQpFactors;

void SetQp(H264DecContext* c, int qp) {
    H264MbWork* w = c->work;
    int qpc = kH264ChromaQp[Clip3(0, 51, qp + c->activePps.chromaQpIndexOffset)];
    c->curInfo.qp = uint8_t(qp);
    c->curInfo.qpc = uint8_t(qpc);
    std::memcpy(w->dequantY, kQpFactors.dequant[qp], 4);
    std::memcpy(w->dequantC, kQpFactors.dequant[qpc], 4);
    w->scaleY = kQpFactors.scale[qp];
    w->scaleC = kQpFactors.scale[qpc];
}

int ParseMbQpDelta(H264DecContext* c) {
    int32_t d = BitReadSe(&c->br);
    int err = 0;
    if (d > 25 || d < -26) {
        err = kErrSyntax;
        d = Clip3(-26, 25, d);
    }
    c->qp = (c->qp + d + 52) % 52;
    SetQp(c, c->qp);
    return err;
}

// ---------------------------------------------------------------- residual
int LumaNc(H264DecContext* c, int blk) {
    const Nb a = kLumaNb.left[blk], b = kLumaNb.top[blk];
    const H264MbInfo* ia = c->nbInfo[a.code];
    const H264MbInfo* ib = c->nbInfo[b.code];
    bool availA = ia->available, availB = ib->available;
    int nA = ia->totalCoeff[a.blk], nB = ib->totalCoeff[b.blk];
    if (availA && availB) return (nA + nB + 1) >> 1;
    if (availA) return nA;
    if (availB) return nB;
    return 0;
}

int ChromaNc(H264DecContext* c, int comp, int k) {
    int base = 16 + 4 * comp;
    int x = k & 1, y = k >> 1;
    const H264MbInfo* ia = x ? &c->curInfo : c->nbInfo[kNbLeft];
    const H264MbInfo* ib = y ? &c->curInfo : c->nbInfo[kNbTop];
    int ka = x ? k - 1 : k + 1, kb = y ? k - 2 : k + 2;
    bool availA = ia->available, availB = ib->available;
    int nA = ia->totalCoeff[base + ka], nB = ib->totalCoeff[base + kb];
    if (availA && availB) return (nA + nB + 1) >> 1;
    if (availA) return nA;
    if (availB) return nB;
    return 0;
}

inline int16_t* LumaCoef(H264MbWork* w, int blk) { return w->coefY + H264Blk4x4Offset[blk]; }
inline int16_t* ChromaCoef(int16_t* base, int k) { return base + 4 * (k & 1) + 32 * (k >> 1); }

void Fill4x4(int16_t* dst, int v) {
    for (int r = 0; r < 4; ++r)
        for (int i = 0; i < 4; ++i) dst[8 * r + i] = int16_t(v);
}

uint32_t DecodeChroma(H264DecContext* c) {
    H264MbWork* w = c->work;
    H264BitReader* br = &c->br;
    int chromaCbp = w->cbp >> 4;
    uint32_t err = 0;
    for (int i = 16; i < 24; ++i) c->curInfo.totalCoeff[i] = 0;
    if (chromaCbp == 0 || chromaCbp > 2) return 0;
    int32_t dc[2][4];
    for (int comp = 0; comp < 2; ++comp) {
        uint8_t tc = 0;
        int32_t cc[4] = {0, 0, 0, 0};
        err |= H264ReadChromaDcBlock(cc, &tc, br);
        int64_t f[4] = {int64_t(cc[0]) + cc[1] + cc[2] + cc[3], int64_t(cc[0]) - cc[1] + cc[2] - cc[3],
                        int64_t(cc[0]) + cc[1] - cc[2] - cc[3], int64_t(cc[0]) - cc[1] - cc[2] + cc[3]};
        for (int k = 0; k < 4; ++k)
            dc[comp][k] = int32_t((f[k] * w->dequantC[1] * (int64_t(1) << w->dequantC[0])) >> 1);
    }
    int16_t* coef[2] = {w->coefCb, w->coefCr};
    if (chromaCbp == 1) {
        for (int comp = 0; comp < 2; ++comp)
            for (int k = 0; k < 4; ++k) Fill4x4(ChromaCoef(coef[comp], k), (dc[comp][k] + 32) >> 6);
        return err;
    }
    for (int comp = 0; comp < 2; ++comp)
        // Unrolled: whether a block's neighbours lie in this macroblock or
        // in the left or top one is then fixed, not a branch per block.
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            uint8_t tc = 0;
            alignas(16) int16_t blk[16] = {};
            err |= H264ReadScaledBlock(blk, 15, ChromaNc(c, comp, k), w->scaleC, &tc, br);
            c->curInfo.totalCoeff[16 + 4 * comp + k] = tc;
            blk[0] = int16_t(dc[comp][k]);
            if (tc) c->dsp->inverseTransform4x4(blk, ChromaCoef(coef[comp], k));
            else Fill4x4(ChromaCoef(coef[comp], k), (dc[comp][k] + 32) >> 6);
        }
    return err;
}

uint32_t DecodeResidual(H264DecContext* c) {
    H264MbWork* w = c->work;
    uint32_t err = 0;
    for (int i = 0; i < 16; ++i) c->curInfo.totalCoeff[i] = 0;
    // Unrolled: each block's nC neighbours are then fixed places.
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) {
        if (!(w->cbp & (1 << q))) continue;
#pragma GCC unroll 4
        for (int b = 4 * q; b < 4 * q + 4; ++b) {
            uint8_t tc = 0;
            alignas(16) int16_t blk[16] = {};
            err |= H264ReadScaledBlock(blk, 16, LumaNc(c, b), w->scaleY, &tc, &c->br);
            c->curInfo.totalCoeff[b] = tc;
            if (!tc) Fill4x4(LumaCoef(w, b), 0);
            else c->dsp->inverseTransform4x4(blk, LumaCoef(w, b));
        }
    }
    return err | DecodeChroma(c);
}

uint32_t DecodeResidualI16(H264DecContext* c) {
    H264MbWork* w = c->work;
    uint32_t err = 0;
    uint8_t tc = 0;
    int64_t m[16] = {};
    err |= H264ReadLumaDcBlock(m, LumaNc(c, 0), &tc, &c->br);
    for (int i = 0; i < 16; ++i) c->curInfo.totalCoeff[i] = 0;
    // 4x4 Hadamard: rows, then columns.
    int64_t t[16], f[16];
    for (int r = 0; r < 4; ++r) {
        const int64_t* s = m + 4 * r;
        t[4 * r + 0] = s[0] + s[1] + s[2] + s[3];
        t[4 * r + 1] = s[0] + s[1] - s[2] - s[3];
        t[4 * r + 2] = s[0] - s[1] - s[2] + s[3];
        t[4 * r + 3] = s[0] - s[1] + s[2] - s[3];
    }
    for (int col = 0; col < 4; ++col) {
        int64_t a = t[col], b = t[4 + col], cc = t[8 + col], d = t[12 + col];
        f[col] = a + b + cc + d;
        f[4 + col] = a + b - cc - d;
        f[8 + col] = a - b - cc + d;
        f[12 + col] = a - b + cc - d;
    }
    int32_t dcY[16];  // by luma4x4BlkIdx
    for (int i = 0; i < 16; ++i) {
        int64_t v = f[i] * 16 * w->dequantY[1] * (int64_t(1) << w->dequantY[0]) + 32;
        dcY[kBlkIdx[i >> 2][i & 3]] = int32_t(v >> 6);
    }
    for (int q = 0; q < 4; ++q) {
        bool coded = (w->cbp & 15) != 0;
        for (int b = 4 * q; b < 4 * q + 4; ++b) {
            if (!coded) {
                Fill4x4(LumaCoef(w, b), (dcY[b] + 32) >> 6);
                continue;
            }
            uint8_t n = 0;
            alignas(16) int16_t blk[16] = {};
            err |= H264ReadScaledBlock(blk, 15, LumaNc(c, b), w->scaleY, &n, &c->br);
            c->curInfo.totalCoeff[b] = n;
            if (!n) {
                Fill4x4(LumaCoef(w, b), (dcY[b] + 32) >> 6);
                continue;
            }
            blk[0] = int16_t(dcY[b]);
            c->dsp->inverseTransform4x4(blk, LumaCoef(w, b));
        }
    }
    return err | DecodeChroma(c);
}

// --------------------------------------------------------- boundary strengths
bool LeftEdgeOn(const H264DecContext* c) {
    if (c->work->mbX == 0) return false;
    return !(c->sh.disableDeblock == 2 && !c->nbInfo[kNbLeft]->available);
}
bool TopEdgeOn(const H264DecContext* c) {
    if (c->work->mbY == 0) return false;
    return !(c->sh.disableDeblock == 2 && !c->nbInfo[kNbTop]->available);
}

void IntraEdgeBs(H264DecContext* c) {
    uint8_t* bS = c->work->bS;
    std::memset(bS, 0, 16);
    std::memset(bS + 16, 3, 24);
    if (LeftEdgeOn(c)) std::memset(bS, 4, 4);
    if (TopEdgeOn(c)) std::memset(bS + 8, 4, 4);
}

// 1 when the references differ or a vector component differs by four
// quarter samples or more, else 0. Without branches: which pieces differ
// follows the picture, not a pattern a predictor could learn.
inline uint32_t MotionDiffers(int32_t pocP, H264Mv mp, int32_t pocQ, H264Mv mq) {
    const uint32_t dx = uint32_t(mp.x - mq.x + 3), dy = uint32_t(mp.y - mq.y + 3);  // |d| >= 4: above 6
    return uint32_t(pocP != pocQ) | uint32_t(dx > 6) | uint32_t(dy > 6);
}

// 2 where either block has coefficients, else the motion result.
inline uint8_t PieceStrength(uint32_t coeffs, uint32_t motion) {
    const uint32_t coded = coeffs != 0;
    return uint8_t(coded << 1 | (motion & (coded ^ 1)));
}

// P_Skip (-1) and P_L0_16x16 (18) carry one motion vector and one
// reference for all sixteen 4x4 blocks.
inline bool UniformMotion(const H264MbMotion* m) { return m->mbType == -1 || m->mbType == 18; }

// Bytes 0..3 of x: 1 where the byte is not zero (bytes at most 127).
inline uint32_t NonZeroBytes(uint32_t x) { return (((x + 0x7f7f7f7fu) | x) & 0x80808080u) >> 7; }

// Strengths of four edge pieces as one word: 2 where either block has
// coefficients, else the piece's motion result (0 or 1 in each byte).
inline uint32_t PieceStrengths(uint32_t coeffs, uint32_t motion) {
    const uint32_t coded = NonZeroBytes(coeffs);
    return coded << 1 | (motion & ~coded);
}

inline uint32_t Bytes4(uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3) {
    return b0 | b1 << 8 | b2 << 16 | b3 << 24;
}

// Coefficient counts of blocks 0..7 (lo) and 8..15 (hi) of a macroblock.
inline void CountWords(const H264MbInfo& info, uint64_t& lo, uint64_t& hi) {
    std::memcpy(&lo, info.totalCoeff, 8);
    std::memcpy(&hi, info.totalCoeff + 8, 8);
}

void InterEdgeBs(H264DecContext* c) {
    uint8_t* bS = c->work->bS;
    const H264MbInfo& cur = c->curInfo;
    const H264MbMotion& cm = c->curMotion;
    uint64_t curLo, curHi;
    CountWords(cur, curLo, curHi);
    uint32_t edgeWord[2] = {0, 0};
    for (int edge = 0; edge < 2; ++edge) {
        bool on = edge == 0 ? LeftEdgeOn(c) : TopEdgeOn(c);
        if (!on) continue;
        const H264MbInfo* ni = c->nbInfo[edge == 0 ? kNbLeft : kNbTop];
        const H264MbMotion* nm = c->nbMotion[edge == 0 ? kNbLeft : kNbTop];
        if (nm->mbType > 22) {
            edgeWord[edge] = 0x04040404u;
            continue;
        }
        // Piece k: block q of this macroblock, block p of the neighbour.
        static const uint8_t kQ[2][4] = {{0, 2, 8, 10}, {0, 1, 4, 5}};
        static const uint8_t kP[2][4] = {{5, 7, 13, 15}, {10, 11, 14, 15}};
        const uint8_t* q = kQ[edge];
        const uint8_t* p = kP[edge];
        // The pieces' counts, cur | neighbour, one byte each (little-endian
        // words: byte i of lo is block i): the left edge pairs blocks 0, 2
        // of each half with the neighbour's 5, 7; the top edge blocks 0, 1,
        // 4, 5 with the neighbour's 10, 11, 14, 15.
        uint64_t nLo, nHi;
        CountWords(*ni, nLo, nHi);
        uint32_t coeffs;
        if (edge == 0) {
            const uint64_t lo = curLo | nLo >> 40, hi = curHi | nHi >> 40;  // bytes 0 and 2
            coeffs = uint32_t(lo & 0xff) | uint32_t((lo >> 8) & 0xff00) | uint32_t((hi & 0xff) << 16) |
                     uint32_t((hi << 8) & 0xff000000u);
        } else {
            const uint64_t v = curLo | nHi >> 16;  // bytes 0, 1, 4, 5
            coeffs = uint32_t(v & 0xffff) | uint32_t((v >> 16) & 0xffff0000u);
        }
        uint32_t motion;
        // Both sides with one vector each: one motion test serves all pieces.
        if (UniformMotion(nm) && UniformMotion(&cm)) {
            motion = MotionDiffers(nm->refPoc[0], nm->mvL0[0], cm.refPoc[0], cm.mvL0[0]) * 0x01010101u;
        } else {
            uint32_t m[4];
            for (int k = 0; k < 4; ++k)
                m[k] = MotionDiffers(nm->refPoc[p[k] >> 2], nm->mvL0[p[k]], cm.refPoc[q[k] >> 2], cm.mvL0[q[k]]);
            motion = Bytes4(m[0], m[1], m[2], m[3]);
        }
        edgeWord[edge] = PieceStrengths(coeffs, motion);
    }
    // bS[0..15]: left edge, zeros, top edge, zeros.
    const uint64_t left = edgeWord[0], top = edgeWord[1];
    std::memcpy(bS, &left, 8);
    std::memcpy(bS + 8, &top, 8);
}

// Internal strengths of a macroblock of two partitions (16x8 when
// horizontal, else 8x16): coefficients give 2; the edge between the
// partitions takes one motion test where neither block has any.
void InnerBsTwoParts(H264DecContext* c, bool horizontal) {
    uint8_t* bS = c->work->bS;
    const H264MbMotion& m = c->curMotion;
    c->dsp->innerEdgeStrengthFromCoeffs(c->curInfo.totalCoeff, bS);
    // 16x8: upper partition in quadrant 0 (block 0), lower in quadrant 2
    // (block 8); 8x16: left in quadrant 0, right in quadrant 1 (block 4).
    const int second = horizontal ? 8 : 4;
    const uint32_t motion = MotionDiffers(m.refPoc[0], m.mvL0[0], m.refPoc[second >> 2], m.mvL0[second]);
    uint8_t* edge = bS + (horizontal ? 32 : 20);
    for (int k = 0; k < 4; ++k) edge[k] = uint8_t(edge[k] | (motion & (edge[k] == 0)));
}

// Internal strengths of the inter shapes: coefficients give 2; otherwise the
// motion test where `motionEdges` says the edge can separate partitions.
void InnerBsMotion(H264DecContext* c, bool everyEdge, bool x8, bool y8) {
    uint8_t* bS = c->work->bS;
    const H264MbInfo& cur = c->curInfo;
    const H264MbMotion& m = c->curMotion;
    for (int e = 0; e < 3; ++e)
        for (int k = 0; k < 4; ++k) {
            // Vertical edge x = 4(e+1), piece k (row k).
            int p = kBlkIdx[k][e], q = kBlkIdx[k][e + 1];
            uint32_t motion = (everyEdge || (x8 && e == 1))
                                  ? MotionDiffers(m.refPoc[p >> 2], m.mvL0[p], m.refPoc[q >> 2], m.mvL0[q]) : 0;
            bS[16 + 4 * e + k] = PieceStrength(uint32_t(cur.totalCoeff[p]) | cur.totalCoeff[q], motion);
            // Horizontal edge y = 4(e+1), piece k (column k).
            p = kBlkIdx[e][k];
            q = kBlkIdx[e + 1][k];
            motion = (everyEdge || (y8 && e == 1))
                         ? MotionDiffers(m.refPoc[p >> 2], m.mvL0[p], m.refPoc[q >> 2], m.mvL0[q]) : 0;
            bS[28 + 4 * e + k] = PieceStrength(uint32_t(cur.totalCoeff[p]) | cur.totalCoeff[q], motion);
        }
}

// ---------------------------------------------------------------- intra
void PrepareIntraNeighbours(H264DecContext* c, bool intra4x4, int* availLeft, int* availTop) {
    H264MbWork* w = c->work;
    bool constrained = c->activePps.constrainedIntraPred != 0;
    const H264MbInfo* L = c->nbInfo[kNbLeft];
    const H264MbInfo* T = c->nbInfo[kNbTop];
    const H264MbInfo* TR = c->nbInfo[kNbTopRight];
    const H264MbInfo* TL = c->nbInfo[kNbTopLeft];
    int a = L->available && (!constrained || c->nbMotion[kNbLeft]->mbType > 22);
    int b = T->available && (!constrained || c->nbMotion[kNbTop]->mbType > 22);
    int cc = TR->available && (!constrained || c->nbMotion[kNbTopRight]->mbType > 22);
    std::memcpy(w->nbLeftY, w->leftY, 16);
    std::memcpy(w->nbLeftCb, w->leftCb, 8);
    std::memcpy(w->nbLeftCr, w->leftCr, 8);
    std::memcpy(w->nbTopY, T->bottomY, 16);
    std::memcpy(w->nbTopCb, T->bottomCb, 8);
    std::memcpy(w->nbTopCr, T->bottomCr, 8);
    w->nbTopLeftY = TL->bottomY[15];
    w->nbTopLeftCb = TL->bottomCb[7];
    w->nbTopLeftCr = TL->bottomCr[7];
    if (intra4x4) {
        if (cc) std::memcpy(w->nbTopRightY, TR->bottomY, 4);
        else std::memset(w->nbTopRightY, T->bottomY[15], 4);
    }
    std::memset(w->nbLeftAvail, a, 4);
    w->nbTopAvail = uint8_t(b);
    w->nbTopRightAvail = 1;
    *availLeft = a;
    *availTop = b;
}

int ChromaIntra(H264DecContext* c, int a, int b) {
    H264MbWork* w = c->work;
    int mode = w->chromaPredMode & 3;
    c->dsp->intraChromaPred[mode](w->predY, w->predCb, w->predCr, w->coefCb, w->coefCr, w->cbp >> 4);
    if ((mode == 1 && !a) || (mode == 2 && !b) || (mode == 3 && !(a && b))) return kErrIntraNeighbour;
    return 0;
}

int DecodeIntra16x16(H264DecContext* c) {
    H264MbWork* w = c->work;
    if (c->sh.disableDeblock != 1) IntraEdgeBs(c);
    int a, b;
    PrepareIntraNeighbours(c, false, &a, &b);
    int mode = w->intra16Mode & 3;
    c->dsp->intra16x16Pred[mode](w->predY, w->coefY);
    int err = 0;
    if ((mode == 0 && !b) || (mode == 1 && !a) || (mode == 3 && !(a && b))) err = kErrIntraNeighbour;
    return err | ChromaIntra(c, a, b);
}

int DecodeIntra4x4(H264DecContext* c) {
    H264MbWork* w = c->work;
    if (c->sh.disableDeblock != 1) IntraEdgeBs(c);
    int a, b;
    PrepareIntraNeighbours(c, true, &a, &b);
    int err = 0;
    const H264MbMotion* mL = c->nbMotion[kNbLeft];
    const H264MbMotion* mT = c->nbMotion[kNbTop];
    for (int blk = 0; blk < 16; ++blk) {
        int x = kBlkX[blk], y = kBlkY[blk];
        int availA = x > 0 ? 1 : a, availB = y > 0 ? 1 : b;
        int modeA, modeB;
        if (!availA || !availB) {
            modeA = modeB = 2;
        } else {
            if (x > 0) modeA = c->curInfo.intraModes[kBlkIdx[y][x - 1]];
            else modeA = mL->mbType == 23 ? c->nbInfo[kNbLeft]->intraModes[kBlkIdx[y][3]] : 2;
            if (y > 0) modeB = c->curInfo.intraModes[kBlkIdx[y - 1][x]];
            else modeB = mT->mbType == 23 ? c->nbInfo[kNbTop]->intraModes[kBlkIdx[3][x]] : 2;
        }
        int pred = modeA < modeB ? modeA : modeB;
        int mode;
        if (w->prevIntraFlag[blk]) mode = pred;
        else mode = w->remIntraMode[blk] >= pred ? w->remIntraMode[blk] + 1 : w->remIntraMode[blk];
        c->curInfo.intraModes[blk] = uint8_t(mode);
        bool needLeft = mode == 1 || mode == 4 || mode == 5 || mode == 6 || mode == 8;
        bool needTop = mode == 0 || mode == 3 || mode == 4 || mode == 5 || mode == 6 || mode == 7;
        if ((needLeft && !availA) || (needTop && !availB)) err = kErrIntraNeighbour;
        c->dsp->intra4x4Pred[mode](blk, w->predY, w->coefY, w->cbp);
    }
    return err | ChromaIntra(c, a, b);
}

int ReadChromaPredMode(H264DecContext* c) {
    uint32_t m = BitReadUe(&c->br);
    c->work->chromaPredMode = int32_t(m & 3);
    return m > 3 ? kErrSyntax : 0;
}

int ReadCbp(H264DecContext* c, bool intra) {
    uint32_t code = BitReadUe(&c->br);
    int err = code > 47 ? kErrSyntax : 0;
    code &= 63;
    if (code > 47) code = 47;  // the table has 48 codes
    c->work->cbp = intra ? kCbpIntra[code] : kCbpInter[code];
    return err;
}

int MbIntra4x4(H264DecContext* c) {
    H264MbWork* w = c->work;
    // Eight blocks' modes take at most 32 bits: one peek each, the modes
    // taken from it without a branch (a block's remaining mode is kept but
    // not read where its flag is set).
    for (int half = 0; half < 16; half += 8) {
        const uint32_t v = BitPeek32(&c->br);
        uint32_t used = 0;
        for (int b = half; b < half + 8; ++b) {
            const uint32_t bits = v << used;  // used is at most 28 here
            const uint32_t flag = bits >> 31;
            w->prevIntraFlag[b] = int32_t(flag);
            w->remIntraMode[b] = int32_t((bits >> 28) & 7);
            used += 4 - 3 * flag;
        }
        c->br.pos += used;
    }
    int err = ReadChromaPredMode(c);
    err |= ReadCbp(c, true);
    if (w->cbp) err |= ParseMbQpDelta(c);
    else SetQp(c, c->qp);
    err |= int(DecodeResidual(c) << 2);
    return err | DecodeIntra4x4(c);
}

int MbIntra16x16(H264DecContext* c, int mbType) {
    H264MbWork* w = c->work;
    int t = mbType - 24;
    w->intra16Mode = t % 4;
    w->cbp = ((t / 4) % 3) << 4 | (t >= 12 ? 15 : 0);
    int err = ReadChromaPredMode(c);
    err |= ParseMbQpDelta(c);
    err |= int(DecodeResidualI16(c) << 2);
    return err | DecodeIntra16x16(c);
}

int MbPcm(H264DecContext* c) {
    H264MbWork* w = c->work;
    H264BitReader* br = &c->br;
    br->pos = (br->pos + 7) & ~7u;
    if (c->sh.disableDeblock != 1) IntraEdgeBs(c);
    c->curInfo.qp = 0;
    c->curInfo.qpc = kH264ChromaQp[Clip3(0, 51, c->activePps.chromaQpIndexOffset)];
    std::memset(c->curInfo.totalCoeff, 16, 24);
    w->cbp = 0x2F;
    uint32_t byte = br->pos >> 3;
    if (byte + 384 > br->size) return kErrSyntax;  // the samples would run past the unit
    const uint8_t* s = br->buf + byte;
    for (int r = 0; r < 16; ++r)
        for (int x = 0; x < 16; ++x) w->predY[64 * (2 * (r >> 3) + (x >> 3)) + 8 * (r & 7) + (x & 7)] = s[16 * r + x];
    std::memcpy(w->predCb, s + 256, 64);
    std::memcpy(w->predCr, s + 320, 64);
    br->pos += 384 * 8;
    return 0;
}

// ---------------------------------------------------------------- motion
void GetCandidate(H264DecContext* c, Nb nb, H264MvCandidate* cand) {
    const H264MbInfo* info = nb.code == kNbCur ? &c->curInfo : c->nbInfo[nb.code];
    const H264MbMotion* mo = nb.code == kNbCur ? &c->curMotion : c->nbMotion[nb.code];
    cand->available = info->available;
    cand->intra = mo->mbType > 22;
    if (!cand->available || cand->intra) {
        cand->refIdxL0 = -1;
        cand->mvL0 = {0, 0};
    } else {
        cand->refIdxL0 = mo->refIdxL0[nb.blk >> 2];
        cand->mvL0 = mo->mvL0[nb.blk];
    }
}

// Fills the A, B and C candidates of a partition at (x, y), w wide (4x4 units).
__attribute__((always_inline)) inline void NeighbourMotionAt(H264DecContext* c, int x, int y, int w) {
    GetCandidate(c, NbAt(x - 1, y), &c->cand[0]);
    GetCandidate(c, NbAt(x, y - 1), &c->cand[1]);
    Nb nc = NbAt(x + w, y - 1);
    bool cAvail;
    if (nc.code == kNbCur) cAvail = nc.blk < kBlkIdx[y][x];
    else cAvail = c->nbInfo[nc.code]->available != 0;
    if (!cAvail) nc = NbAt(x - 1, y - 1);
    GetCandidate(c, nc, &c->cand[2]);
    if (nc.code == kNbCur && nc.blk >= kBlkIdx[y][x]) c->cand[2].available = 0;
}

void GetNeighbourMotion(H264DecContext* c, int x, int y, int w) { NeighbourMotionAt(c, x, y, w); }

// The candidates of a whole-macroblock partition (P_Skip, 16x16): the
// neighbours' positions fold into constants.
void GetNeighbourMotion16x16(H264DecContext* c) { NeighbourMotionAt(c, 0, 0, 4); }

inline int Median(int a, int b, int c) {
    int mx = a > b ? a : b, mn = a < b ? a : b;
    return c > mx ? mx : c < mn ? mn : c;
}

H264Mv PredictMv(const H264MvCandidate* cand, int r) {
    const H264MvCandidate &A = cand[0], &B = cand[1], &C = cand[2];
    if (A.refIdxL0 < 0 && B.refIdxL0 < 0 && C.refIdxL0 < 0 && !(A.available && !B.available && !C.available))
        return {0, 0};
    if (A.available && !B.available && !C.available) return A.mvL0;
    int n = (A.refIdxL0 == r) + (B.refIdxL0 == r) + (C.refIdxL0 == r);
    if (n == 1) {
        if (A.refIdxL0 == r) return A.mvL0;
        if (B.refIdxL0 == r) return B.mvL0;
        return C.mvL0;
    }
    return {int16_t(Median(A.mvL0.x, B.mvL0.x, C.mvL0.x)), int16_t(Median(A.mvL0.y, B.mvL0.y, C.mvL0.y))};
}

void SetMotion(H264DecContext* c, int x, int y, int w, int h, int refIdx, H264Mv mv) {
    H264MbMotion& m = c->curMotion;
    int32_t poc = c->refList0[refIdx & 31]->poc;
    if (w == 4 && h == 4) {  // the whole macroblock
        for (int b = 0; b < 16; ++b) m.mvL0[b] = mv;
        for (int i = 0; i < 4; ++i) {
            m.refIdxL0[i] = int8_t(refIdx);
            m.refPoc[i] = poc;
        }
        return;
    }
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx) {
            int b = kBlkIdx[yy][xx];
            m.mvL0[b] = mv;
            m.refIdxL0[b >> 2] = int8_t(refIdx);
            m.refPoc[b >> 2] = poc;
        }
}

}  // namespace

// Motion compensation of one partition into predY/predCb/predCr; provided
// with the inter kernels.
void H264PredictPartition(H264DecContext* c, int x, int y, int w, int h, int refIdx, H264Mv mv);
void H264ReconstructInter(H264DecContext* c);

namespace {

int ReadRefIdx(H264DecContext* c) {
    uint32_t n = c->sh.numRefIdxL0Minus1;
    if (n == 0) return 0;
    if (n == 1) return 1 - int(BitReadBits(1, &c->br));
    return int(BitReadUe(&c->br) & 31);
}

int MbInter(H264DecContext* c, int mbType) {
    H264MbWork* w = c->work;
    H264BitReader* br = &c->br;
    int err = 0;
    int refIdx[4] = {0, 0, 0, 0};
    int16_t mvd[16][2];
    int nParts = mbType == 18 ? 1 : mbType <= 20 ? 2 : 4;
    uint32_t maxRef = c->sh.numRefIdxL0Minus1;
    // A reference index beyond the list decodes from the list's first entry.
    // Clamped as read: a separate pass over the array reads it back as one
    // vector just after four narrow stores, which stalls.
    auto inList = [maxRef](int r) { return uint32_t(r) > maxRef ? 0 : r; };
    if (mbType <= 20) {
        for (int i = 0; i < nParts; ++i) {
            const int r = ReadRefIdx(c);
            if (mbType == 18 && uint32_t(r) > maxRef) err |= kErrSyntax;
            refIdx[i] = inList(r);
        }
        for (int i = 0; i < nParts; ++i) {
            mvd[i][0] = int16_t(BitReadSe(br));
            mvd[i][1] = int16_t(BitReadSe(br));
        }
    } else {
        for (int i = 0; i < 4; ++i) {
            uint32_t t = BitReadUe(br);
            if (t > 3) err |= kErrSyntax;
            w->subMbType[i] = int32_t(t & 3);
        }
        for (int i = 0; i < 4; ++i) refIdx[i] = mbType == 22 ? 0 : inList(ReadRefIdx(c));
        int k = 0;
        static const int kNumSub[4] = {1, 2, 2, 4};
        for (int i = 0; i < 4; ++i)
            for (int s = 0; s < kNumSub[w->subMbType[i]]; ++s, ++k) {
                mvd[k][0] = int16_t(BitReadSe(br));
                mvd[k][1] = int16_t(BitReadSe(br));
            }
    }
    err |= ReadCbp(c, false);
    if (w->cbp) err |= ParseMbQpDelta(c);
    else SetQp(c, c->qp);
    err |= int(DecodeResidual(c) << 2);

    // Motion vectors and prediction, partition by partition.
    auto part = [&](int x, int y, int pw, int ph, int r, const int16_t* d, int dir) {
        if (pw == 4 && ph == 4) GetNeighbourMotion16x16(c);
        else GetNeighbourMotion(c, x, y, pw);
        H264Mv mvp;
        const H264MvCandidate* cd = c->cand;
        if (dir == 1 && cd[1].refIdxL0 == r) mvp = cd[1].mvL0;       // 16x8 upper: B
        else if (dir == 2 && cd[0].refIdxL0 == r) mvp = cd[0].mvL0;  // 16x8 lower, 8x16 left: A
        else if (dir == 3 && cd[2].refIdxL0 == r) mvp = cd[2].mvL0;  // 8x16 right: C
        else mvp = PredictMv(cd, r);
        H264Mv mv = {int16_t(mvp.x + d[0]), int16_t(mvp.y + d[1])};
        SetMotion(c, x, y, pw, ph, r, mv);
        H264PredictPartition(c, x, y, pw, ph, r, mv);
    };
    if (mbType == 18) {
        part(0, 0, 4, 4, refIdx[0], mvd[0], 0);
    } else if (mbType == 19) {
        part(0, 0, 4, 2, refIdx[0], mvd[0], 1);
        part(0, 2, 4, 2, refIdx[1], mvd[1], 2);
    } else if (mbType == 20) {
        part(0, 0, 2, 4, refIdx[0], mvd[0], 2);
        part(2, 0, 2, 4, refIdx[1], mvd[1], 3);
    } else {
        int k = 0;
        for (int i = 0; i < 4; ++i) {
            int qx = 2 * (i & 1), qy = 2 * (i >> 1);
            switch (w->subMbType[i]) {
            case 0: part(qx, qy, 2, 2, refIdx[i], mvd[k++], 0); break;
            case 1:
                part(qx, qy, 2, 1, refIdx[i], mvd[k++], 0);
                part(qx, qy + 1, 2, 1, refIdx[i], mvd[k++], 0);
                break;
            case 2:
                part(qx, qy, 1, 2, refIdx[i], mvd[k++], 0);
                part(qx + 1, qy, 1, 2, refIdx[i], mvd[k++], 0);
                break;
            default:
                for (int s = 0; s < 4; ++s) part(qx + (s & 1), qy + (s >> 1), 1, 1, refIdx[i], mvd[k++], 0);
                break;
            }
        }
    }
    H264ReconstructInter(c);
    if (c->sh.disableDeblock != 1) {
        InterEdgeBs(c);
        if (mbType == 18) c->dsp->innerEdgeStrengthFromCoeffs(c->curInfo.totalCoeff, w->bS);
        else if (mbType == 19) InnerBsTwoParts(c, true);
        else if (mbType == 20) InnerBsTwoParts(c, false);
        else InnerBsMotion(c, true, false, false);
    }
    return err;
}

void DecodePSkip(H264DecContext* c) {
    H264MbWork* w = c->work;
    GetNeighbourMotion16x16(c);
    const H264MvCandidate* cd = c->cand;
    H264Mv mv = {0, 0};
    bool zeroA = cd[0].refIdxL0 == 0 && cd[0].mvL0.x == 0 && cd[0].mvL0.y == 0;
    bool zeroB = cd[1].refIdxL0 == 0 && cd[1].mvL0.x == 0 && cd[1].mvL0.y == 0;
    if (cd[0].available && cd[1].available && !zeroA && !zeroB) mv = PredictMv(cd, 0);
    SetMotion(c, 0, 0, 4, 4, 0, mv);
    H264PredictPartition(c, 0, 0, 4, 4, 0, mv);
    w->cbp = 0;
    H264ReconstructInter(c);
    if (c->sh.disableDeblock != 1) {
        InterEdgeBs(c);
        c->dsp->clearInnerEdgeStrength(w->bS);
    }
}

int DecodeMacroblockOfType(H264DecContext* c, int mbType) {
    c->curMotion.mbType = int16_t(mbType);
    if (mbType == 23) return MbIntra4x4(c);
    if (mbType == 48) return MbPcm(c);
    if (mbType > 23) return MbIntra16x16(c, mbType);
    return MbInter(c, mbType);
}

int DecodeIMacroblock(H264DecContext* c) {
    uint32_t t = BitReadUe(&c->br);
    int err = 0;
    if (t > 25) {
        err = kErrSyntax;
        t = 1;  // decoded as Intra 16x16, never as an out-of-range type
    }
    return err | DecodeMacroblockOfType(c, int(t) + 23);
}

int DecodePMacroblock(H264DecContext* c) {
    uint32_t t = BitReadUe(&c->br);
    int err = 0;
    if (t > 30) {
        err = kErrSyntax;
        t = 6;  // decoded as an Intra 16x16 type
    }
    return err | DecodeMacroblockOfType(c, int(t) + 18);
}

// ---------------------------------------------------------------- loop
void PointNeighbours(H264DecContext* c) {
    H264MbWork* w = c->work;
    uint32_t x = uint32_t(w->mbX), W = c->sh.widthMbs;
    c->nbInfo[kNbLeft] = &c->leftInfo;
    c->nbMotion[kNbLeft] = &c->leftMotion;
    c->nbInfo[kNbTop] = c->infoRowA[x];
    c->nbMotion[kNbTop] = c->motionRowA[x];
    c->nbInfo[kNbTopRight] = x + 1 < W ? c->infoRowA[x + 1] : &c->unavailInfo;
    c->nbMotion[kNbTopRight] = x + 1 < W ? c->motionRowA[x + 1] : &c->unavailMotion;
    c->nbInfo[kNbTopLeft] = x > 0 ? c->infoRowA[x - 1] : &c->unavailInfo;
    c->nbMotion[kNbTopLeft] = x > 0 ? c->motionRowA[x - 1] : &c->unavailMotion;
    c->nbInfo[kNbCur] = &c->curInfo;
    c->nbMotion[kNbCur] = &c->curMotion;
    c->nbInfo[kNbUnavail] = &c->unavailInfo;
    c->nbMotion[kNbUnavail] = &c->unavailMotion;
}

void InitSliceData(H264DecContext* c) {
    H264MbWork* w = c->work;
    const H264SliceHeader& sh = c->sh;
    w->mbX = int32_t(sh.firstMb % sh.widthMbs);
    w->mbY = int32_t(sh.firstMb / sh.widthMbs);
    w->mbAddr = int32_t(sh.firstMb);
    c->qp = 26 + c->activePps.picInitQpMinus26 + sh.sliceQpDelta;
    SetQp(c, c->qp);
    std::memset(&c->unavailInfo, 0, sizeof c->unavailInfo);
    std::memset(&c->unavailMotion, 0, sizeof c->unavailMotion);
    c->unavailMotion.mbType = 23;  // never an inter candidate
    std::memset(c->unavailMotion.refIdxL0, 0xFF, 4);
    c->curInfo.available = 1;
    c->curInfo.fieldMb = 0;
    c->leftInfo.available = 0;
    uint32_t x = uint32_t(w->mbX);
    c->infoRowA[x]->available = 0;
    if (x > 0) c->infoRowA[x - 1]->available = 0;
    if (x + 1 < sh.widthMbs) c->infoRowA[x + 1]->available = 0;
    c->curMotion.refStruct = 0;
    if (sh.kind == kSliceI) std::memset(c->curMotion.refIdxL0, 0xFF, 4);
    std::memset(c->curMotion.refIdxL1, 0xFF, 4);
    if (sh.weightMode == 1) {
        H264PredWeightTable& wt = c->weights;
        wt.lumaLog2Denom = int32_t(sh.lumaLog2Denom);
        wt.chromaLog2Denom = int32_t(sh.chromaLog2Denom);
        std::memcpy(wt.lumaWeight, sh.lumaWeight, sizeof wt.lumaWeight);
        std::memcpy(wt.lumaOffset, sh.lumaOffset, sizeof wt.lumaOffset);
        std::memcpy(wt.chromaWeight, sh.chromaWeight, sizeof wt.chromaWeight);
        std::memcpy(wt.chromaOffset, sh.chromaOffset, sizeof wt.chromaOffset);
    }
    PointNeighbours(c);
}

// Copies the part of a motion record that neighbours read: list 1 is never
// filled (no B slices), so the copy ends before it.
inline void CopyMotion(H264MbMotion* dst, const H264MbMotion* src) {
    std::memcpy(static_cast<void*>(dst), src, offsetof(H264MbMotion, mvL1));
}

// Writes the macroblock into the picture and moves the records on. Returns
// 1 when the picture is complete.
int FinishMacroblock(H264DecContext* c) {
    H264MbWork* w = c->work;
    const H264SliceHeader& sh = c->sh;
    H264Picture* pic = c->cur;
    // Right column: quadrants 1 and 3 of the luma, column 7 of each chroma.
    c->dsp->mbRightColumn(w->leftY, w->leftCb, w->leftCr, w->predY, w->predCb, w->predCr);
    std::memcpy(c->curInfo.bottomY, w->predY + 128 + 56, 8);
    std::memcpy(c->curInfo.bottomY + 8, w->predY + 192 + 56, 8);
    std::memcpy(c->curInfo.bottomCb, w->predCb + 56, 8);
    std::memcpy(c->curInfo.bottomCr, w->predCr + 56, 8);
    int strideY = pic->strideY, strideC = pic->strideC;
    if (sh.disableDeblock == 1) {
        c->dsp->mbStoreLuma(pic->y + strideY * 16 * w->mbY + 16 * w->mbX, strideY, w->predY);
        c->dsp->mbStoreChroma(pic->u + strideC * 8 * w->mbY + 8 * w->mbX, pic->v + strideC * 8 * w->mbY + 8 * w->mbX,
                              strideC, w->predCb, w->predCr);
    } else {
        H264DeblockParams p;
        p.dsp = c->dsp;
        p.planeY = pic->y;
        p.planeCb = pic->u;
        p.planeCr = pic->v;
        p.strideY = strideY;
        p.mbX = w->mbX;
        p.mbY = w->mbY;
        p.bS = w->bS;
        p.predY = w->predY;
        p.predCb = w->predCb;
        p.predCr = w->predCr;
        p.qp = c->curInfo.qp;
        p.qpc = c->curInfo.qpc;
        p.qpLeft = c->nbInfo[kNbLeft]->qp;
        p.qpcLeft = c->nbInfo[kNbLeft]->qpc;
        p.qpTop = c->nbInfo[kNbTop]->qp;
        p.qpcTop = c->nbInfo[kNbTop]->qpc;
        p.filterOffsetA = 2 * sh.alphaOffsetDiv2;
        p.filterOffsetB = 2 * sh.betaOffsetDiv2;
        H264DeblockMacroblock(&p);
    }
    ++pic->mbsDecoded;
    uint32_t W = sh.widthMbs;
    ++w->mbAddr;
    if (w->mbX > 0) {
        *c->infoRowA[w->mbX - 1] = c->leftInfo;
        CopyMotion(c->motionRowA[w->mbX - 1], &c->leftMotion);
    }
    c->leftInfo = c->curInfo;
    CopyMotion(&c->leftMotion, &c->curMotion);
    if (uint32_t(w->mbX) == W - 1) {
        *c->infoRowA[w->mbX] = c->curInfo;
        CopyMotion(c->motionRowA[w->mbX], &c->curMotion);
        w->mbX = 0;
        ++w->mbY;
    } else {
        ++w->mbX;
    }
    if (uint32_t(w->mbY) >= sh.heightMbs) return 1;
    int64_t addr = w->mbAddr, first = sh.firstMb;
    uint32_t x = uint32_t(w->mbX);
    c->leftInfo.available = x > 0;
    c->infoRowA[x]->available = w->mbY > 0 && addr - W >= first;
    if (x + 1 < W) c->infoRowA[x + 1]->available = w->mbY > 0 && addr - W + 1 >= first;
    if (x > 0) c->infoRowA[x - 1]->available = w->mbY > 0 && addr - W - 1 >= first;
    PointNeighbours(c);
    return 0;
}

}  // namespace

int H264DecodeSliceData(H264DecContext* c) {
    const H264SliceHeader& sh = c->sh;
    if (sh.kind == kSliceB) return 0;
    if (sh.firstMb >= sh.sizeMbs) return 1;
    InitSliceData(c);
    H264BitReader* br = &c->br;
    if (sh.kind == kSliceI) {
        for (;;) {
            ++c->mbCounter;
            int e = DecodeIMacroblock(c);
            if (e) return e;
            if (FinishMacroblock(c) || !BitMoreRbspData(br)) return 0;
            if (br->pos > br->end) return 0;
        }
    }
    for (;;) {
        uint32_t run = BitReadUe(br);
        if (uint64_t(uint32_t(c->work->mbAddr)) + run > sh.sizeMbs) return 1;
        int complete = 0;
        for (uint32_t i = 0; i < run; ++i) {
            c->curMotion.mbType = -1;
            c->work->cbp = 0;
            SetQp(c, c->qp);
            std::memset(c->curInfo.totalCoeff, 0, 24);
            ++c->mbCounter;
            DecodePSkip(c);
            complete |= FinishMacroblock(c);
        }
        if (complete || !BitMoreRbspData(br)) return 0;
        ++c->mbCounter;
        int e = DecodePMacroblock(c);
        if (e) return e;
        if (FinishMacroblock(c) || !BitMoreRbspData(br)) return 0;
    }
}
