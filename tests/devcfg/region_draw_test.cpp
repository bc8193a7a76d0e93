// The region control under Xvfb, driven by the mouse messages an
// operator's drags send: clicks and small drags change nothing, whole-area
// drags clear or set every cell (read back from the overlay rows and from
// the red outlines on screen), cover drags keep to four rectangles, and
// nothing is taken while drawing is off.
#include <gtest/gtest.h>

#include <memory>

#include "RegionDrawCtrl.h"
#include "gui_kit.h"
#include "window_helpers.h"

namespace {

constexpr int kW = 400, kH = 300;

class RegionDraw : public ::testing::Test {
protected:
  HWND parent = nullptr;
  std::unique_ptr<CRegionDrawCtrl> ctrl;
  CWnd parentWnd;

  void SetUp() override {
    gui::InitControls();
    parent = playtest::MakeWindow(kW + 20, kH + 20);
    ASSERT_TRUE(parent);
    parentWnd.Attach(parent);
    ctrl = std::make_unique<CRegionDrawCtrl>();
    ASSERT_TRUE(ctrl->CreateOn(&parentWnd));
    ctrl->MoveWindow(10, 10, kW, kH);
    ctrl->SetArea(100, 100, 100 + kW, 100 + kH);
    ctrl->ShowWindow(SW_SHOW);
    ctrl->EnableDrawing(TRUE);
  }
  void TearDown() override {
    if (ctrl && ctrl->GetSafeHwnd()) ctrl->DestroyWindow();
    ctrl.reset();
    parentWnd.Detach();
    if (parent) DestroyWindow(parent);
  }

  void Drag(int sx, int sy, int ex, int ey) {
    HWND h = ctrl->GetSafeHwnd();
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(sx, sy));
    SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((sx + ex) / 2, (sy + ey) / 2));
    SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(ex, ey));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(ex, ey));
  }
  void SetAll(uint32_t fill) {
    uint32_t rows[devcfg::kGridRows];
    for (uint32_t& r : rows) r = fill;
    ctrl->Model().SetGridRows(rows);
  }
  bool OverlayRowsAre(uint32_t v) {
    for (uint32_t r : ctrl->Overlay().rows)
      if (r != v) return false;
    return true;
  }
  // Red pixels on the control once it has painted.
  int RedPixels() {
    ctrl->Invalidate(FALSE);
    ctrl->UpdateWindow();
    gui::PumpFor(50);
    int w = 0, h = 0, red = 0;
    for (uint32_t p : playtest::ReadWindow(ctrl->GetSafeHwnd(), &w, &h))
      if (p == 0xFF0000) ++red;
    return red;
  }
};

}  // namespace

TEST_F(RegionDraw, GridDragsClearAndSetCells) {
  ctrl->SetGridMode(true);
  SetAll(0xFFFFF);
  EXPECT_EQ(RedPixels(), 0) << "every cell set: no outlines";

  // A click and drags of 5 pixels change no cell.
  Drag(50, 50, 50, 50);
  Drag(50, 50, 55, 200);
  Drag(50, 50, 300, 45);
  EXPECT_TRUE(OverlayRowsAre(0xFFFFF));
  EXPECT_EQ(ctrl->Overlay().gridFlag, 0u);
  EXPECT_EQ(ctrl->Overlay().dragFlag, 0) << "the drag ended";
  EXPECT_NE(GetCapture(), ctrl->GetSafeHwnd());

  // Left to right over the whole control clears every bit.
  Drag(0, 0, kW - 1, kH - 1);
  EXPECT_TRUE(OverlayRowsAre(0));
  EXPECT_EQ(ctrl->Overlay().gridFlag, 1u);
  const int red = RedPixels();
  EXPECT_GT(red, 300 * 40) << "all 300 cells outlined";
  gui::SaveWindowBitmap(ctrl->GetSafeHwnd(), gui::OutputPath("region_draw_grid.bmp"));

  // Right to left sets them all again.
  Drag(kW - 1, kH - 1, 0, 0);
  EXPECT_TRUE(OverlayRowsAre(0xFFFFF));
}

TEST_F(RegionDraw, NothingTakenWhileDrawingIsOff) {
  ctrl->SetGridMode(true);
  SetAll(0xFFFFF);
  ctrl->EnableDrawing(FALSE);
  Drag(0, 0, kW - 1, kH - 1);
  EXPECT_TRUE(OverlayRowsAre(0xFFFFF));
}

TEST_F(RegionDraw, CoverDragsKeepToFourRectangles) {
  ctrl->SetImageSize(4);  // 704 x 576 on the 400 x 300 area
  auto X = [](int x) { return x * 704 / kW; };
  for (int i = 0; i < 5; ++i) {
    ctrl->SetCurrentRegion(i);
    Drag(10 + 20 * i, 10, 60 + 20 * i, 80);
  }
  const devcfg::RegionModel& m = ctrl->Model();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(m.covers[i].left, X(10 + 20 * i)) << i;
    EXPECT_EQ(m.covers[i].bottom, 80 * 576 / kH) << i;
  }
  // The fifth drag changed nothing: the overlay still shows region 3.
  const devcfg::OverlayRecord& o = ctrl->Overlay();
  EXPECT_EQ(o.regionFlag, 1);
  EXPECT_EQ(o.regionX, X(70));
  EXPECT_EQ(o.regionWidth, X(120) - X(70));
  EXPECT_EQ(o.imageWidth, 704);
  EXPECT_EQ(o.gridFlag, 0u);
  // Only the current region is outlined, in green.
  ctrl->SetCurrentRegion(0);
  ctrl->Invalidate(FALSE);
  ctrl->UpdateWindow();
  gui::PumpFor(50);
  int w = 0, h = 0;
  const std::vector<uint32_t> px = playtest::ReadWindow(ctrl->GetSafeHwnd(), &w, &h);
  ASSERT_EQ(w, kW);
  // Region 0 back on the control: (9, 9) - (59, 79) after two truncations.
  EXPECT_EQ(px[size_t(9) * w + 9], 0x00FF00u) << "corner of region 0";
  EXPECT_EQ(px[size_t(9) * w + 30], 0x00FF00u) << "top edge of region 0";
  EXPECT_EQ(px[size_t(78) * w + 58], 0x00FF00u) << "bottom right corner of region 0";
}
