#include "region_core.h"

#include <algorithm>
#include <cstring>

#include "config_blocks.h"

namespace devcfg {

void OverlayValues(const OverlayRecord& record, int32_t out[23]) { std::memcpy(out, &record, sizeof record); }

ImageSize ImageSizeOfCode(int code) {
  switch (code) {
    case 0: return {528, 384};
    case 2: return {176, 144};
    case 3: return {704, 288};
    case 4:
    case 6: return {704, 576};
    case 5: return {320, 240};
    case 7: return {1280, 720};
    case 8: return {1920, 1080};
    case 9: return {1280, 1024};
    case 10: return {1600, 1200};
    default: return {352, 288};
  }
}

RegionRect RectOfPoints(int ax, int ay, int bx, int by) {
  return {std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
}

bool ScaleRegionRect(const RegionRect& r, int xNum, int xDen, int yNum, int yDen, RegionRect* out) {
  if (xDen <= 0 || yDen <= 0) return false;
  auto sx = [&](int v) { return int(int64_t(v) * xNum / xDen); };
  auto sy = [&](int v) { return int(int64_t(v) * yNum / yDen); };
  *out = {sx(r.left), sy(r.top), sx(r.right), sy(r.bottom)};
  return true;
}

void RegionModel::SetImageSize(int code) {
  const ImageSize s = ImageSizeOfCode(code);
  imageWidth = s.width;
  imageHeight = s.height;
}

void RegionModel::SetGridRows(const uint32_t from[kGridRows]) {
  std::memcpy(rows, from, sizeof rows);
  std::memcpy(overlay.rows, from, sizeof overlay.rows);
}

void RegionModel::ShowCoverInOverlay(int index) {
  RegionRect r = {};
  if (index >= 0 && index < kCoverRegions) r = covers[index];
  overlay.regionX = uint16_t(r.left);
  overlay.regionY = uint16_t(r.top);
  overlay.regionWidth = uint16_t(r.Width());
  overlay.regionHeight = uint16_t(r.Height());
}

bool RegionModel::CoverOnClient(int index, RegionRect* out) const {
  if (index < 0 || index >= kCoverRegions) return false;
  const RegionRect& c = covers[index];
  if (c.Width() < 1 || c.Height() < 1) return false;
  RegionRect s;
  if (!ScaleRegionRect(c, areaWidth, imageWidth, areaHeight, imageHeight, &s)) return false;
  if (s.Width() <= 0 || s.Height() <= 0) return false;
  *out = s;
  return true;
}

int RegionModel::HitCover(int x, int y) const {
  for (int i = 0; i < kCoverRegions; ++i) {
    RegionRect s;
    if (CoverOnClient(i, &s) && x >= s.left && x <= s.right && y >= s.top &&
        y <= s.bottom)
      return i;
  }
  return -1;
}

bool RegionModel::ApplyDrag(int sx, int sy, int ex, int ey, int clientWidth, int clientHeight) {
  if (sx == ex && sy == ey) return false;
  RegionRect d = RectOfPoints(sx, sy, ex, ey);
  d.left = std::max(d.left, 0);
  d.top = std::max(d.top, 0);
  d.right = std::min(d.right, clientWidth);
  d.bottom = std::min(d.bottom, clientHeight);
  if (d.Width() <= kMinDragPixels || d.Height() <= kMinDragPixels) return false;
  if (grid) {
    const int cw = clientWidth / kGridColumns, ch = clientHeight / kGridRows;
    const bool set = ex < sx;
    for (int r = 0; r < kGridRows; ++r) {
      for (int c = 0; c < kGridColumns; ++c) {
        const int left = c * cw, top = r * ch;
        if (left >= d.left - cw / 2 && left + cw <= d.right + cw / 2 && top >= d.top - ch / 2 &&
            top + ch <= d.bottom + ch / 2) {
          if (set) rows[r] |= 1u << c;
          else rows[r] &= ~(1u << c);
        }
      }
      overlay.gridFlag = 1;
      overlay.regionFlag = 0;
      overlay.rows[r] = rows[r];
    }
    return true;
  }
  // Nothing to scale against while the preview has no size.
  RegionRect image;
  if (!ScaleRegionRect(d, imageWidth, areaWidth, imageHeight, areaHeight, &image)) return false;
  if (currentRegion < 0 || currentRegion >= kCoverRegions) return false;
  covers[currentRegion] = image;
  overlay.imageWidth = imageWidth;
  overlay.imageHeight = imageHeight;
  overlay.gridFlag = 0;
  overlay.regionFlag = 1;
  ShowCoverInOverlay(currentRegion);
  return true;
}

RegionRect CoverFromBlock(const uint8_t* block, int i, ImageSize image) {
  const uint8_t* e = block + kRegionCovers + 16 * i;
  if (!e[1]) return {};
  return {int(GetU16(e + 4)) * image.width / 1000, int(GetU16(e + 6)) * image.height / 1000,
          int(GetU16(e + 8)) * image.width / 1000, int(GetU16(e + 10)) * image.height / 1000};
}

void CoverToBlock(uint8_t* block, int i, const RegionRect& r, ImageSize image) {
  uint8_t* e = block + kRegionCovers + 16 * i;
  e[0] = uint8_t(i);
  const bool on = r.right != r.left && r.bottom != r.top && image.width > 0 && image.height > 0;
  e[1] = on ? 1 : 0;
  PutU16(e + 4, on ? uint32_t(r.left * 1000 / image.width) : 0);
  PutU16(e + 6, on ? uint32_t(r.top * 1000 / image.height) : 0);
  PutU16(e + 8, on ? uint32_t(r.right * 1000 / image.width) : 0);
  PutU16(e + 10, on ? uint32_t(r.bottom * 1000 / image.height) : 0);
}

}  // namespace devcfg
