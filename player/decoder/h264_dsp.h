// H.264 decoder engine: the kernel table and the per-block kernels.
//
// Every per-block computation of the engine (intra prediction with residual
// add, inverse transform, inner edge strengths, deblocking, motion
// compensation, inter reconstruction) goes through an H264DspTable. Two
// complete sets exist: the plain set (scalar C++) and the SIMD set (SSE2);
// both give identical output in every slot. The table is filled once per
// decoder by H264DecInitDspFunctions.
//
// Portable: no platform headers. Work-area layouts are those of H264MbWork:
//  - luma work area (299 bytes): predY[0..255] as four 8x8 quadrants
//    (quadrant q at 64*q, row step 8), then nbLeftY[16] (256), nbTopY[16]
//    (272), nbTopRightY[4] (288), nbLeftAvail[4] (292), nbTopLeftY (296),
//    nbTopAvail (297), nbTopRightAvail (298, always 1);
//  - chroma work areas (81 bytes each): 8x8 samples (row step 8), left[8]
//    (64), top[8] (72), top-left (80);
//  - residual areas: coefY 256 x int16 in the quadrant layout (8 a row),
//    coefCb / coefCr 64 x int16 (8 a row).
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------
// Layout constants of the luma work area.
enum : int {
    H264_WORK_NB_LEFT_Y = 256,
    H264_WORK_NB_TOP_Y = 272,
    H264_WORK_NB_TOPRIGHT_Y = 288,
    H264_WORK_NB_LEFT_AVAIL = 292,
    H264_WORK_NB_TOPLEFT_Y = 296,
    H264_WORK_NB_TOP_AVAIL = 297,
    H264_WORK_NB_TOPRIGHT_AVAIL = 298,
    H264_WORK_LUMA_BYTES = 299,
    H264_WORK_CHROMA_LEFT = 64,
    H264_WORK_CHROMA_TOP = 72,
    H264_WORK_CHROMA_TOPLEFT = 80,
    H264_WORK_CHROMA_BYTES = 81,
};

// Position of each 4x4 luma block (luma4x4BlkIdx order) in predY / coefY.
extern const uint8_t H264Blk4x4Offset[16];
// Where each neighbour of a 4x4 block lies in the luma work area:
// rows 0-3 L0..L3, 4-11 T0..T7, 12 top-left, 13 left flag, 14 top flag;
// one column per block in luma4x4BlkIdx order.
extern const uint16_t H264Intra4x4Neighbours[15][16];

// ---------------------------------------------------------------------------
// Motion compensation.

// One partition being predicted. Built by the macroblock layer (mvX, mvY,
// refPicture, lumaWindow, chromaWindow, the scratch pointers in srcY/srcCb/
// srcCr and the destinations), completed by H264McFetchReference, read by
// the kernels.
struct H264McBlock {
    const uint8_t* srcY;   // before the fetch: luma scratch (22 x 24 bytes)
    const uint8_t* srcCb;  // before the fetch: Cb scratch (10 x 24 bytes)
    const uint8_t* srcCr;  // before the fetch: Cr scratch (10 x 24 bytes)
    int32_t strideY;
    int32_t strideC;
    int16_t mvX, mvY;      // quarter luma samples
    int32_t refPicture;    // picture index
    int32_t lumaWindow;    // 4 * shape + luma class
    int32_t chromaWindow;  // 4 * shape on entry; the fetch adds the chroma class
    int16_t fracCx, fracCy;
    uint8_t* dstY;
    uint8_t* dstCb;
    uint8_t* dstCr;
};

// Scratch row step of a copied window.
enum : int { H264_MC_SCRATCH_STRIDE = 24 };

// Partition shapes (rows of the window tables are 4 * shape + class):
//   0 16x16; 1, 2 16x8 upper, lower; 3, 4 8x16 left, right;
//   5 + q 8x8 at quadrant q (0..3, raster);
//   9 + 2q + k 8x4 (k 0 upper, 1 lower) in quadrant q;
//   17 + 2q + k 4x8 (k 0 left, 1 right) in quadrant q;
//   25 + 4q + k 4x4 (k raster inside the quadrant) in quadrant q.
enum : int {
    H264_MC_SHAPE_16x16 = 0,
    H264_MC_SHAPE_16x8 = 1,
    H264_MC_SHAPE_8x16 = 3,
    H264_MC_SHAPE_8x8 = 5,
    H264_MC_SHAPE_8x4 = 9,
    H264_MC_SHAPE_4x8 = 17,
    H264_MC_SHAPE_4x4 = 25,
    H264_MC_SHAPE_COUNT = 41,
};
// Window tables: {height, width, y offset, x offset} per row.
extern const int8_t H264McLumaWindow[H264_MC_SHAPE_COUNT * 4][4];
extern const int8_t H264McChromaWindow[H264_MC_SHAPE_COUNT * 4][4];
// Luma class by position index 4 * xFrac + yFrac.
extern const uint8_t H264McLumaClass[16];

// What the fetch needs of the reference pictures and the macroblock.
struct H264McFrame {
    uint8_t* const* planeY;   // plane pointers indexed by picture index
    uint8_t* const* planeCb;
    uint8_t* const* planeCr;
    int32_t width;            // luma width in samples
    int32_t height;           // luma height in samples
    int32_t strideY;          // luma row step (chroma: strideY / 2)
    int32_t mbX, mbY;         // current macroblock
};

// Window descriptor of the edge handlers.
struct H264McWindow {
    const uint8_t* plane;     // plane base
    uint8_t* scratch;         // scratch buffer (row step 24)
    int32_t width, height;    // window size
    int32_t x, y;             // window origin in the plane (may be outside)
    int32_t xEnd, yEnd;       // x + width, y + height
    int32_t planeWidth, planeHeight;
    const uint8_t* src;       // out: first window sample
    int32_t stride;           // out: its row step
};
typedef void (*H264McEdgeFn)(H264McWindow* win, int32_t rowStep);
void H264McEdgeInside(H264McWindow* win, int32_t rowStep);
void H264McEdgeLeft(H264McWindow* win, int32_t rowStep);
void H264McEdgeRight(H264McWindow* win, int32_t rowStep);
void H264McEdgeTop(H264McWindow* win, int32_t rowStep);
void H264McEdgeTopLeft(H264McWindow* win, int32_t rowStep);
void H264McEdgeTopRight(H264McWindow* win, int32_t rowStep);
void H264McEdgeBottom(H264McWindow* win, int32_t rowStep);
void H264McEdgeBottomLeft(H264McWindow* win, int32_t rowStep);
void H264McEdgeBottomRight(H264McWindow* win, int32_t rowStep);

// Completes a block: srcY/srcCb/srcCr, strideY/strideC, fracCx/fracCy, and
// adds the chroma class to chromaWindow.
void H264McFetchReference(H264McBlock* blk, const H264McFrame* frame);

// ---------------------------------------------------------------------------
// Inter reconstruction (slot 32).

// Explicit weights of list 0 (pred_weight_table), per reference index:
// weights -128..128 (the default, 1 << log2 denominator, reaches 128),
// offsets -128..127, log2 denominators 0..7.
struct H264PredWeightTable {
    int32_t lumaLog2Denom;
    int32_t chromaLog2Denom;
    int16_t lumaWeight[32];
    int16_t lumaOffset[32];
    int16_t chromaWeight[32][2];  // [ref][0 Cb, 1 Cr]
    int16_t chromaOffset[32][2];
};

// What the reconstruction reads of the macroblock and the slice.
struct H264ReconState {
    const int16_t* coefY;      // 256 values, quadrant layout
    const int16_t* coefCb;     // 64 values, 8 a row
    const int16_t* coefCr;
    int32_t cbp;               // coded_block_pattern
    const int8_t* refIdxL0;    // 4 entries, per 8x8 partition
    const H264PredWeightTable* weights;  // used by the weighted kernel only
};

// One quadrant call: the caller advances luma by 64 and the chroma
// pointers to chroma positions 0, 4, 32, 36 for quadrants 0..3.
struct H264ReconQuadrant {
    uint8_t* luma;     // 8x8 at predY + 64 * q (row step 8)
    uint8_t* cb;       // 4x4 at predCb + chroma position (row step 8)
    uint8_t* cr;
    int32_t quadrant;  // 0..3
    int32_t refIdxShift;
};

// ---------------------------------------------------------------------------
// Kernel signatures.
typedef void (*H264TransformFn)(const int16_t* blk, int16_t* dst);
typedef void (*H264ClearEdgeFn)(uint8_t* bS);
typedef void (*H264EdgeFromCoeffFn)(const uint8_t* flags, uint8_t* bS);
typedef void (*H264TransposeFn)(uint8_t* blk);
// p: rows p3, p2, p1, p0 (row step 8); q: rows q0..q3 (row step 8).
// alpha4/tc0x4: byte i serves positions 2i and 2i+1.
typedef void (*H264DbLumaNormalFn)(uint8_t* p, uint8_t* q, uint32_t alpha4,
                                   int32_t beta, uint32_t tc0x4);
typedef void (*H264DbLumaStrongFn)(uint8_t* p, uint8_t* q, int32_t alpha, int32_t beta);
// 16 edge positions: 0..7 at pL/qL, 8..15 at pR/qR (rows as above);
// alpha4/tc0x4: byte i serves positions 4i..4i+3 (one edge segment each).
// beta 0..255.
typedef void (*H264DbLumaNormal16Fn)(uint8_t* pL, uint8_t* pR, uint8_t* qL, uint8_t* qR, uint32_t alpha4,
                                     int32_t beta, uint32_t tc0x4);
// p: rows p1, p0 (row step 8); q: rows q0, q1 (row step qStride); beta 0..255.
typedef void (*H264DbChromaNormalFn)(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                                     uint32_t alpha4, int32_t beta, uint32_t tc0x4,
                                     int32_t qStride);
typedef void (*H264DbChromaStrongFn)(uint8_t* cbP, uint8_t* cbQ, uint8_t* crP, uint8_t* crQ,
                                     int32_t alpha, int32_t beta);
// Gathers the 4 columns starting at top (8 rows) and at bottom (8 rows),
// transposed: dst rows 0..3 from top, rows 4..7 from bottom (row step 8).
typedef void (*H264DbGatherLeftFn)(uint8_t* dst, const uint8_t* top, const uint8_t* bottom,
                                   int32_t stride);
typedef void (*H264DbScatterLeftFn)(const uint8_t* src, uint8_t* top, uint8_t* bottom,
                                    int32_t stride);
// 2 rows of 8 from src (rows p1, p0) into dst (row step 8).
typedef void (*H264DbGatherTopChromaFn)(uint8_t* dst, const uint8_t* src, int32_t stride);
typedef void (*H264DbStoreRow8Fn)(uint8_t* dst, const uint8_t* src);
// 4 rows of 16 from src (row p3 first) into left/right 8-wide buffers.
typedef void (*H264DbGatherTopFn)(uint8_t* left, uint8_t* right, const uint8_t* src,
                                  int32_t stride);
// Writes rows 1..3 (p2, p1, p0) of left/right back to rows 1..3 at dst.
typedef void (*H264DbScatterTopFn)(uint8_t* dst, int32_t stride, const uint8_t* left,
                                   const uint8_t* right);
typedef void (*H264MbStoreLumaFn)(uint8_t* dst, int32_t stride, const uint8_t* predY);
typedef void (*H264MbStoreChromaFn)(uint8_t* dstCb, uint8_t* dstCr, int32_t strideC,
                                    const uint8_t* predCb, const uint8_t* predCr);
// The macroblock's right column (column 15 of predY in the quadrant layout,
// column 7 of predCb and predCr) into leftY[16], leftCb[8], leftCr[8].
typedef void (*H264MbRightColumnFn)(uint8_t* leftY, uint8_t* leftCb, uint8_t* leftCr, const uint8_t* predY,
                                    const uint8_t* predCb, const uint8_t* predCr);
typedef void (*H264Intra4x4Fn)(int32_t blk, uint8_t* luma, const int16_t* coefY, int32_t cbp);
typedef void (*H264Intra16x16Fn)(uint8_t* luma, const int16_t* coefY);
typedef void (*H264IntraChromaFn)(const uint8_t* luma, uint8_t* cb, uint8_t* cr,
                                  const int16_t* coefCb, const int16_t* coefCr,
                                  int32_t chromaCbp);
typedef void (*H264LumaMcFn)(const H264McBlock* blk);
typedef void (*H264ChromaMcFn)(const H264McBlock* blk);
typedef void (*H264InterReconFn)(const H264ReconQuadrant* quad, const H264ReconState* st);
// Slots that only interlaced (MBAFF) pictures would use; always null.
typedef void (*H264DspUnusedFn)(void);

struct H264DspTable {
    H264TransformFn inverseTransform4x4;            // 0
    H264ClearEdgeFn clearInnerEdgeStrength;         // 1
    H264EdgeFromCoeffFn innerEdgeStrengthFromCoeffs;  // 2
    H264TransposeFn dbTranspose8x8;                 // 3
    H264DbLumaNormalFn dbLumaNormal;                // 4
    H264DspUnusedFn dbLumaNormalMixed;              // 5 (unused)
    H264DbLumaStrongFn dbLumaStrong;                // 6
    H264DbChromaNormalFn dbChromaNormal;            // 7
    H264DbChromaStrongFn dbChromaStrong;            // 8
    H264DspUnusedFn dbMixed9;                       // 9 (unused)
    H264DspUnusedFn dbMixed10;                      // 10 (unused)
    H264DspUnusedFn dbMixed11;                      // 11 (unused)
    H264DspUnusedFn dbMixed12;                      // 12 (unused)
    H264DspUnusedFn dbMixed13;                      // 13 (unused)
    H264DspUnusedFn dbMixed14;                      // 14 (unused)
    H264DbGatherLeftFn dbGatherLeft;                // 15
    H264DspUnusedFn dbMixed16;                      // 16 (unused)
    H264DbScatterLeftFn dbScatterLeft;              // 17
    H264DbGatherTopChromaFn dbGatherTopChroma;      // 18
    H264DbStoreRow8Fn dbStoreRow8;                  // 19
    H264DbGatherTopFn dbGatherTop;                  // 20
    H264DbScatterTopFn dbScatterTop;                // 21
    H264MbStoreLumaFn mbStoreLuma;                  // 22
    H264MbStoreChromaFn mbStoreChroma;              // 23
    const H264Intra4x4Fn* intra4x4Pred;             // 24: 9 modes
    const H264Intra16x16Fn* intra16x16Pred;         // 25: 4 modes
    const H264IntraChromaFn* intraChromaPred;       // 26: 4 modes
    const H264LumaMcFn* lumaMc4x4;                  // 27: 16 positions
    const H264LumaMcFn* lumaMc4x8;                  // 28: 16 positions
    const H264LumaMcFn* lumaMc8x16;                 // 29: 16 positions
    const H264ChromaMcFn* chromaMc4x2;              // 30: 4 classes
    const H264ChromaMcFn* chromaMc8x4;              // 31: 4 classes
    const H264InterReconFn* interReconstruct;       // 32: 4 rows of 4
    // Beyond the standard slots: kernels that do the work of several calls
    // of the ones above.
    H264DbLumaNormal16Fn dbLumaNormal16;            // 33: two dbLumaNormal calls in one
    const H264ChromaMcFn* chromaMc8x8;              // 34: 4 classes, two chromaMc8x4 calls in one
    const H264LumaMcFn* lumaMc8x8;                  // 35: 16 positions, two lumaMc4x8 calls in one
    H264MbRightColumnFn mbRightColumn;              // 36: the unfiltered right column kept for the next macroblock
};

// Fixed 2x2 chroma table (plain only, used at every CPU level).
extern const H264ChromaMcFn H264ChromaMc2x2[4];

// Fill the table: the plain set, the SIMD set (SSE2), or by CPU level
// (SIMD when the level is above 3).
void H264DspInitPlain(H264DspTable* dsp);
void H264DspInitSimd(H264DspTable* dsp);
void H264DecInitDspFunctions(H264DspTable* dsp, int cpuLevel);

// ---------------------------------------------------------------------------
// Deblocking of one macroblock (in-loop filter) and its store.

// Threshold tables.
extern const uint32_t H264DbAlpha[52];  // alpha', repeated in all 4 bytes
extern const uint8_t H264DbBeta[52];
extern const uint8_t H264DbTc0[52][3];  // bS 1, 2, 3

struct H264DeblockParams {
    const H264DspTable* dsp;
    uint8_t* planeY;            // picture planes
    uint8_t* planeCb;
    uint8_t* planeCr;
    int32_t strideY;            // chroma: strideY / 2
    int32_t mbX, mbY;
    const uint8_t* bS;          // 40 strengths of H264MbWork
    uint8_t* predY;             // work areas, filtered in place, then stored
    uint8_t* predCb;
    uint8_t* predCr;
    int32_t qp, qpc;            // current macroblock
    int32_t qpLeft, qpcLeft;    // left neighbour (used when bS[0..3] != 0)
    int32_t qpTop, qpcTop;      // upper neighbour (used when bS[8..11] != 0)
    int32_t filterOffsetA;      // 2 * slice_alpha_c0_offset_div2
    int32_t filterOffsetB;      // 2 * slice_beta_offset_div2
};

// Filters the macroblock's edges (strength 0 segments untouched) and
// stores it into the picture. Not called when the slice's
// disable_deblocking_filter_idc is 1 (store with slots 22/23 instead).
void H264DeblockMacroblock(const H264DeblockParams* p);
