// The regions the motion-detection and video-cover pages draw: the 20 x 15
// detection grid, four cover rectangles, the 92-byte overlay record handed
// to the SDK's decoder, the image size of each resolution code and the
// per-mille cover entries of the channel's region block.
//
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace devcfg {

constexpr int kGridColumns = 20;
constexpr int kGridRows = 15;
constexpr int kCoverRegions = 4;
// A drag must be wider and taller than this to change anything.
constexpr int kMinDragPixels = 5;

#pragma pack(push, 1)
// The overlay record: the 23 32-bit values of NET_OverlayMdCoverRgn.
struct OverlayRecord {
  int32_t imageWidth, imageHeight;  // set with a cover rectangle
  uint32_t gridFlag;                // 1 after a grid edit, 0 after a cover rectangle
  uint32_t rows[kGridRows];         // bit c of row r = cell (c, r)
  uint8_t regionFlag, reserved0;    // 1 shows the region rectangle
  uint16_t regionX, regionY, regionWidth, regionHeight;  // image pixels
  uint8_t dragFlag, reserved1;                           // 1 while the mouse drags
  uint16_t dragX, dragY, dragWidth, dragHeight;          // control pixels
};
#pragma pack(pop)
static_assert(sizeof(OverlayRecord) == 92, "OverlayRecord");
static_assert(offsetof(OverlayRecord, rows) == 12 && offsetof(OverlayRecord, regionFlag) == 72, "overlay rows");
static_assert(offsetof(OverlayRecord, regionX) == 74 && offsetof(OverlayRecord, dragFlag) == 82, "overlay region");
static_assert(offsetof(OverlayRecord, dragX) == 84, "overlay drag");

// The record as the 23 values of the SDK call.
void OverlayValues(const OverlayRecord& record, int32_t out[23]);

struct ImageSize {
  int width, height;
};
// The image size of a resolution code; 352 x 288 for codes without one.
ImageSize ImageSizeOfCode(int code);

struct RegionRect {
  int left, top, right, bottom;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};
// The rectangle of two corner points given in any order.
RegionRect RectOfPoints(int ax, int ay, int bx, int by);
// x times xNum / xDen, y times yNum / yDen, truncated; false (out
// untouched) when a denominator is not positive.
bool ScaleRegionRect(const RegionRect& r, int xNum, int xDen, int yNum, int yDen, RegionRect* out);

// What a region control holds, apart from its window.
struct RegionModel {
  bool grid = false;             // grid mode, else cover rectangles
  int currentRegion = 0;         // cover rectangle being edited, used when 0..3
  RegionRect covers[kCoverRegions] = {};  // image pixels
  uint32_t rows[kGridRows] = {};          // drawing copy of the grid
  OverlayRecord overlay = {};
  int imageWidth = 352, imageHeight = 288;
  int areaWidth = 0, areaHeight = 0;      // the preview's size on screen

  void SetImageSize(int code);
  // The grid rows into both copies.
  void SetGridRows(const uint32_t rows[kGridRows]);
  // The overlay's region fields from cover rectangle index (zero when
  // index is outside 0..3).
  void ShowCoverInOverlay(int index);
  // Cover rectangle index scaled to the preview area; false when it is
  // empty or the area or image has no size.
  bool CoverOnClient(int index, RegionRect* out) const;
  // The first cover rectangle that contains the point on the preview
  // (borders included), -1 when none.
  int HitCover(int x, int y) const;
  // A finished drag from (sx, sy) to (ex, ey) over a client area: grid cells
  // cleared (ending at or right of its start) or set (ending left of it),
  // or the current cover rectangle replaced. True when something changed.
  bool ApplyDrag(int sx, int sy, int ex, int ey, int clientWidth, int clientHeight);
};

// ------------------------------------------------------------ region block
// The cover switch (byte 4) and motion fields.
constexpr size_t kRegionResolution = 1, kRegionLevel = 2, kRegionGap = 3, kRegionCoverSwitch = 4,
                 kRegionMotionSwitch = 5, kRegionGrid = 12, kRegionCovers = 76;
// Cover entry i of a region block in image pixels; all zero when it is
// disabled or the image has no size.
RegionRect CoverFromBlock(const uint8_t* block, int i, ImageSize image);
// Writes cover entry i: enabled with per-mille coordinates when the
// rectangle has width and height, else disabled with zeros. Bytes 2..3 of
// the entry and the four bytes after it are kept.
void CoverToBlock(uint8_t* block, int i, const RegionRect& r, ImageSize image);

}  // namespace devcfg
