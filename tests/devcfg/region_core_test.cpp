// The region model of the motion and cover pages: image sizes, grid drags
// in both directions with the half-cell reach, the 5-pixel floor, cover
// drags scaled to image pixels (and ignored without a preview size), the
// overlay record's fields and the per-mille cover entries.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "config_blocks.h"
#include "region_core.h"

using namespace devcfg;

namespace {

// A 400 x 300 control: cells of 20 x 20.
constexpr int kW = 400, kH = 300;

RegionModel Grid(uint32_t fill) {
  RegionModel m;
  m.grid = true;
  uint32_t rows[kGridRows];
  for (uint32_t& r : rows) r = fill;
  m.SetGridRows(rows);
  return m;
}

RegionModel Cover(int areaW, int areaH) {
  RegionModel m;
  m.areaWidth = areaW;
  m.areaHeight = areaH;
  return m;
}

bool SameRows(const RegionModel& m) { return std::memcmp(m.rows, m.overlay.rows, sizeof m.rows) == 0; }

}  // namespace

TEST(RegionCore, ImageSizeOfEveryCode) {
  struct Case {
    int code, w, h;
  } cases[] = {{0, 528, 384},   {1, 352, 288},    {2, 176, 144},   {3, 704, 288},   {4, 704, 576},
               {5, 320, 240},   {6, 704, 576},    {7, 1280, 720},  {8, 1920, 1080}, {9, 1280, 1024},
               {10, 1600, 1200}, {11, 352, 288},  {12, 352, 288},  {255, 352, 288}, {-1, 352, 288}};
  for (const Case& c : cases) {
    const ImageSize s = ImageSizeOfCode(c.code);
    EXPECT_EQ(s.width, c.w) << c.code;
    EXPECT_EQ(s.height, c.h) << c.code;
  }
}

TEST(RegionCore, RectOfPointsInAnyOrder) {
  for (auto p : {RectOfPoints(10, 20, 30, 40), RectOfPoints(30, 40, 10, 20), RectOfPoints(10, 40, 30, 20),
                 RectOfPoints(30, 20, 10, 40)}) {
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, 20);
    EXPECT_EQ(p.right, 30);
    EXPECT_EQ(p.bottom, 40);
  }
}

TEST(RegionCore, GridDrags) {
  struct Case {
    const char* what;
    uint32_t fill;
    int sx, sy, ex, ey;
    bool changed;
    std::vector<uint32_t> want;  // rows 0.. as far as given; the rest keep fill
  } cases[] = {
      {"click", 0xFFFFF, 50, 50, 50, 50, false, {}},
      {"5 wide", 0xFFFFF, 50, 50, 55, 200, false, {}},
      {"5 high", 0xFFFFF, 50, 50, 300, 55, false, {}},
      {"whole control left to right clears", 0xFFFFF, 0, 0, kW, kH, true,
       std::vector<uint32_t>(kGridRows, 0)},
      {"whole control right to left sets", 0, kW, kH, 0, 0, true, std::vector<uint32_t>(kGridRows, 0xFFFFF)},
      {"beyond the control is clipped", 0, kW + 50, kH + 50, -30, -30, true,
       std::vector<uint32_t>(kGridRows, 0xFFFFF)},
      // x 10..50 reaches cells within 0..60 (0, 1, 2), y 0..19 only row 0; ending left sets.
      {"half-cell reach", 0, 50, 19, 10, 0, true, {0x7}},
      // x 19..51 reaches 9..61 (cells 1, 2), y 0..31 reaches rows 0 and 1; ending right clears.
      {"ending right clears", 0xFFFFF, 19, 0, 51, 31, true, {0xFFFF9, 0xFFFF9}},
  };
  for (const Case& c : cases) {
    RegionModel m = Grid(c.fill);
    m.overlay.regionFlag = 1;
    EXPECT_EQ(m.ApplyDrag(c.sx, c.sy, c.ex, c.ey, kW, kH), c.changed) << c.what;
    for (int r = 0; r < kGridRows; ++r) {
      const uint32_t want = size_t(r) < c.want.size() ? c.want[size_t(r)] : c.fill;
      EXPECT_EQ(m.rows[r], want) << c.what << " row " << r;
    }
    EXPECT_TRUE(SameRows(m)) << c.what << ": overlay rows follow the drawing rows";
    EXPECT_EQ(m.overlay.gridFlag, c.changed ? 1u : 0u) << c.what;
    EXPECT_EQ(m.overlay.regionFlag, c.changed ? 0 : 1) << c.what;
  }
}

TEST(RegionCore, CoverDrags) {
  struct Case {
    const char* what;
    int areaW, areaH, code, current;
    int sx, sy, ex, ey;
    bool changed;
    RegionRect want;
  } cases[] = {
      {"whole area of CIF", 352, 288, 1, 0, 0, 0, 352, 288, true, {0, 0, 352, 288}},
      {"half-size area scales up", 176, 144, 1, 2, 10, 20, 50, 60, true, {20, 40, 100, 120}},
      {"D1 on a 352 x 288 area", 352, 288, 4, 3, 100, 100, 10, 10, true, {20, 20, 200, 200}},
      {"code 12 scales with CIF", 176, 144, 12, 1, 0, 0, 176, 144, true, {0, 0, 352, 288}},
      {"no current region", 352, 288, 1, -1, 0, 0, 100, 100, false, {}},
      {"region 4 does not exist", 352, 288, 1, 4, 0, 0, 100, 100, false, {}},
      {"no preview size", 0, 0, 1, 0, 0, 0, 100, 100, false, {}},
      {"5 pixels", 352, 288, 1, 0, 0, 0, 5, 100, false, {}},
  };
  for (const Case& c : cases) {
    RegionModel m = Cover(c.areaW, c.areaH);
    m.SetImageSize(c.code);
    m.currentRegion = c.current;
    // The control is as large as the area, or 352 x 288 when the area is empty.
    const int cw = c.areaW ? c.areaW : 352, ch = c.areaH ? c.areaH : 288;
    EXPECT_EQ(m.ApplyDrag(c.sx, c.sy, c.ex, c.ey, cw, ch), c.changed) << c.what;
    for (int i = 0; i < kCoverRegions; ++i) {
      const RegionRect& got = m.covers[i];
      const RegionRect want = (c.changed && i == c.current) ? c.want : RegionRect{};
      EXPECT_EQ(got.left, want.left) << c.what << " " << i;
      EXPECT_EQ(got.top, want.top) << c.what << " " << i;
      EXPECT_EQ(got.right, want.right) << c.what << " " << i;
      EXPECT_EQ(got.bottom, want.bottom) << c.what << " " << i;
    }
    if (c.changed) {
      const OverlayRecord& o = m.overlay;
      EXPECT_EQ(o.imageWidth, m.imageWidth) << c.what;
      EXPECT_EQ(o.imageHeight, m.imageHeight) << c.what;
      EXPECT_EQ(o.gridFlag, 0u);
      EXPECT_EQ(o.regionFlag, 1);
      EXPECT_EQ(o.regionX, c.want.left) << c.what;
      EXPECT_EQ(o.regionY, c.want.top) << c.what;
      EXPECT_EQ(o.regionWidth, c.want.Width()) << c.what;
      EXPECT_EQ(o.regionHeight, c.want.Height()) << c.what;
    } else {
      EXPECT_EQ(m.overlay.regionFlag, 0) << c.what;
    }
  }
}

TEST(RegionCore, CoverHitAndShownRectangle) {
  RegionModel m = Cover(176, 144);
  m.covers[1] = {100, 100, 200, 200};  // 50..100 on the half-size area
  RegionRect s;
  EXPECT_FALSE(m.CoverOnClient(0, &s)) << "empty rectangle";
  ASSERT_TRUE(m.CoverOnClient(1, &s));
  EXPECT_EQ(s.left, 50);
  EXPECT_EQ(s.right, 100);
  EXPECT_FALSE(m.CoverOnClient(4, &s));
  EXPECT_EQ(m.HitCover(50, 50), 1) << "borders included";
  EXPECT_EQ(m.HitCover(100, 100), 1);
  EXPECT_EQ(m.HitCover(101, 75), -1);
  m.areaWidth = 0;
  EXPECT_FALSE(m.CoverOnClient(1, &s)) << "no preview size";
}

TEST(RegionCore, OverlayValuesInArgumentOrder) {
  RegionModel m = Grid(0);
  m.rows[0] = 0x12345;
  m.overlay.rows[0] = 0x12345;
  m.overlay.imageWidth = 704;
  m.overlay.regionFlag = 1;
  m.overlay.regionX = 0x0102;
  m.overlay.dragHeight = 0x0A0B;
  int32_t v[23];
  OverlayValues(m.overlay, v);
  EXPECT_EQ(v[0], 704);
  EXPECT_EQ(v[3], 0x12345);
  EXPECT_EQ(v[18], 0x01020001) << "flag, reserved byte, then x";
  EXPECT_EQ(uint32_t(v[22]) >> 16, 0x0A0Bu) << "drag height last";
}

TEST(RegionCore, CoverEntriesInPerMille) {
  std::vector<uint8_t> block(136, 0xEE);
  const ImageSize cif = ImageSizeOfCode(1);
  CoverToBlock(block.data(), 0, {0, 0, 352, 288}, cif);
  CoverToBlock(block.data(), 1, {10, 10, 10, 50}, cif);   // no width: disabled
  CoverToBlock(block.data(), 2, {35, 29, 176, 144}, cif);
  const uint8_t e0[12] = {0, 1, 0xEE, 0xEE, 0, 0, 0, 0, 0xE8, 0x03, 0xE8, 0x03};
  EXPECT_EQ(std::memcmp(block.data() + 76, e0, 12), 0);
  const uint8_t e1[12] = {1, 0, 0xEE, 0xEE, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(block.data() + 92, e1, 12), 0);
  EXPECT_EQ(GetU16(block.data() + 108 + 4), 99);  // 35 * 1000 / 352
  EXPECT_EQ(GetU16(block.data() + 108 + 6), 100);
  EXPECT_EQ(GetU16(block.data() + 108 + 8), 500);
  for (int i : {88, 89, 90, 91, 104, 105, 106, 107}) EXPECT_EQ(block[size_t(i)], 0xEE) << i;

  // Read back: the same pixels for whole per mille, disabled as zero.
  const RegionRect r0 = CoverFromBlock(block.data(), 0, cif);
  EXPECT_EQ(r0.right, 352);
  EXPECT_EQ(r0.bottom, 288);
  const RegionRect r1 = CoverFromBlock(block.data(), 1, cif);
  EXPECT_EQ(r1.right, 0);
  const RegionRect r2 = CoverFromBlock(block.data(), 2, cif);
  EXPECT_EQ(r2.left, 34);  // 99 * 352 / 1000, truncated
  EXPECT_EQ(r2.right, 176);
}
