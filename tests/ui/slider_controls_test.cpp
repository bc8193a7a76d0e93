// The bitmap slider, the skinned track bar with its value window and the
// round button under Xvfb: driven by the mouse and key messages an operator
// would cause, notices read back from the host window.
#include <gtest/gtest.h>

#include "BitmapSlider.h"
#include "RoundButton.h"
#include "RoundButtonFaces.h"
#include "SkinSliderCtrl.h"
#include "ToolkitResource.h"
#include "gui_kit.h"
#include "hosted_test.h"

namespace {

const UINT kSliderId = 1135;

class SliderTest : public HostedTest<320, 160, RGB(30, 34, 42)> {
protected:
  void SetUp() override {
    gui::PumpFor(30);   // what earlier tests posted
    HostedTest::SetUp();
  }
  // Notices of one message that have arrived within a short pump.
  std::vector<Notice> Received(UINT message) {
    gui::PumpFor(30);
    std::vector<Notice> out;
    for (const Notice& n : host.m_notices)
      if (n.message == message) out.push_back(n);
    return out;
  }
  static LPARAM At(int x, int y) { return MAKELPARAM(x, y); }
};

// A 200 x 20 slider with the 10-pixel thumb, range 0..100.
void MakeSlider(CBitmapSlider& s, CWnd& parent, int width = 200) {
  ASSERT_TRUE(s.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 10 + width, 30), &parent, kSliderId));
  ASSERT_TRUE(s.SetChannelBitmaps(IDB_SLIDER_CHANNEL, IDB_SLIDER_CHANNEL_ACTIVE, TRUE));
  ASSERT_TRUE(s.SetThumbBitmaps(IDB_SLIDER_THUMB, IDB_SLIDER_THUMB_ACTIVE, TRUE));
  s.SetRange(0, 100);
}

TEST_F(SliderTest, GeometryOfTheWindow) {
  CBitmapSlider s;
  MakeSlider(s, host);
  ui::SliderAxis a = s.Axis();
  EXPECT_EQ(a.length, 200);
  EXPECT_EQ(a.thumb, 10);
  EXPECT_EQ(a.ThumbCentre(0), 5);
  EXPECT_EQ(a.ThumbCentre(100), 195);
  EXPECT_EQ(a.PosFromPixel(100), 50);
  s.SetPos(150);
  EXPECT_EQ(s.GetPos(), 100);
  s.SetPos(-4);
  EXPECT_EQ(s.GetPos(), 0);
  // The window call keeps the new size.
  s.SetWindowPos(nullptr, 10, 10, 120, 20, SWP_NOZORDER);
  EXPECT_EQ(s.Axis().length, 120);
}

TEST_F(SliderTest, DragJumpsFollowsAndReleasesOnce) {
  CBitmapSlider s;
  MakeSlider(s, host);
  // A press far from the thumb makes it jump under the pointer.
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(100, 10));
  EXPECT_EQ(s.GetPos(), 50);
  EXPECT_TRUE(s.IsDragging());
  s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(150, 10));
  s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(400, 10));   // past the end: clamped
  EXPECT_EQ(s.GetPos(), 100);
  s.SendMessage(WM_LBUTTONUP, 0, At(400, 10));
  std::vector<Notice> moving = Received(CBitmapSlider::kNotifyMoving);
  ASSERT_EQ(moving.size(), 3u);
  EXPECT_EQ(moving[0].wParam, WPARAM(kSliderId));
  EXPECT_EQ(moving[0].lParam, 50);
  EXPECT_EQ(moving[2].lParam, 100);
  std::vector<Notice> moved = Received(CBitmapSlider::kNotifyMoved);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].lParam, 100);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(SliderTest, PressOnTheThumbKeepsItsGrip) {
  CBitmapSlider s;
  MakeSlider(s, host);
  s.SetPos(50);   // centre at 100
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(103, 10));
  EXPECT_EQ(s.GetPos(), 50);
  EXPECT_TRUE(Received(CBitmapSlider::kNotifyMoving).empty());
  s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(122, 10));   // the centre follows to 119
  EXPECT_EQ(s.GetPos(), 60);
  s.SendMessage(WM_LBUTTONUP, 0, At(122, 10));
}

TEST_F(SliderTest, ReleaseWithoutADragPostsNothing) {
  CBitmapSlider s;
  MakeSlider(s, host);
  s.SendMessage(WM_LBUTTONUP, 0, At(50, 10));
  s.Enable(FALSE);
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 10));
  s.SendMessage(WM_LBUTTONUP, 0, At(50, 10));
  EXPECT_EQ(s.GetPos(), 0);
  EXPECT_TRUE(Received(CBitmapSlider::kNotifyMoved).empty());
  EXPECT_TRUE(Received(CBitmapSlider::kNotifyMoving).empty());
}

TEST_F(SliderTest, KeysMoveAndPostTheRelease) {
  CBitmapSlider s;
  MakeSlider(s, host);
  struct Row { UINT key; int pos; };
  const Row rows[] = {{VK_END, 100}, {VK_PRIOR, 80}, {VK_HOME, 0}, {VK_NEXT, 20}, {VK_RIGHT, 21},
                      {VK_UP, 20}, {VK_LEFT, 19}, {VK_DOWN, 20}, {VK_HOME, 0}, {VK_LEFT, 0}};
  for (const Row& r : rows) s.SendMessage(WM_KEYDOWN, r.key, 0);
  std::vector<Notice> moved = Received(CBitmapSlider::kNotifyMoved);
  ASSERT_EQ(moved.size(), std::size(rows));
  for (size_t i = 0; i < moved.size(); ++i) EXPECT_EQ(moved[i].lParam, rows[i].pos) << i;
  EXPECT_EQ(s.SendMessage(WM_GETDLGCODE) & DLGC_WANTARROWS, LRESULT(DLGC_WANTARROWS));
}

TEST_F(SliderTest, VerticalSliderRunsAlongY) {
  CBitmapSlider s;
  ASSERT_TRUE(s.Create("", WS_CHILD | WS_VISIBLE, CRect(250, 0, 270, 150), &host, kSliderId));
  s.SetVertical(TRUE);
  s.SetThumbBitmaps(IDB_SLIDER_THUMB, 0);   // 16 high: the centre travels 8..142
  s.SetRange(0, 100);
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(10, 75));
  EXPECT_EQ(s.GetPos(), 50);
  s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(300, 142));   // x does not count
  EXPECT_EQ(s.GetPos(), 100);
  s.SendMessage(WM_LBUTTONUP, 0, At(300, 142));
  EXPECT_EQ(Received(CBitmapSlider::kNotifyMoved).size(), 1u);
}

TEST_F(SliderTest, DegenerateSizesAndRangesDoNotDivideByZero) {
  // Not sized yet, a range of one value, a track shorter than its margins:
  // every input and a paint go through, the thumb stays at the start.
  CBitmapSlider s;
  ASSERT_TRUE(s.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &host, kSliderId));
  s.SetThumbBitmaps(IDB_SLIDER_THUMB, 0);
  s.SetRange(5, 5);
  s.SetPos(9);
  EXPECT_EQ(s.GetPos(), 5);
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
  s.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(30, 3));
  s.SendMessage(WM_LBUTTONUP, 0, At(30, 3));
  s.SendMessage(WM_KEYDOWN, VK_END, 0);
  s.SetWindowPos(nullptr, 10, 40, 12, 20, SWP_NOZORDER);
  s.SetRange(0, 100);
  s.SetMargin(4, 4, 0, 0);
  s.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(11, 3));
  s.SendMessage(WM_LBUTTONUP, 0, At(11, 3));
  s.UpdateWindow();
  EXPECT_EQ(s.GetPos(), 5);   // the thumb has nowhere to go
}

TEST_F(SliderTest, PaintsTheThumbWhereThePositionIs) {
  CBitmapSlider s;
  MakeSlider(s, host);
  s.SetPos(100);
  s.UpdateWindow();
  gui::PumpFor(30);
  // The thumb's outline colour at its centre column's top row; the groove
  // elsewhere.
  COLORREF thumbTop = PixelAt(s.m_hWnd, 195, 2);
  COLORREF away = PixelAt(s.m_hWnd, 5, 2);
  EXPECT_NE(thumbTop, away);
  EXPECT_EQ(thumbTop, RGB(18, 20, 26));
  gui::SaveWindowBitmap(host.m_hWnd, gui::OutputPath("bitmap_slider.bmp"));
}

// ------------------------------------------------------------ track bar
TEST_F(SliderTest, SkinTrackBarReleasePostsToItsOwnerAndTheValueWindowDrags) {
  CSkinSliderCtrl t;
  ASSERT_TRUE(t.CWnd::Create(TRACKBAR_CLASSA, nullptr, WS_CHILD | WS_VISIBLE | TBS_HORZ | TBS_NOTICKS,
                             CRect(10, 60, 210, 90), &host, 1200));
  t.SetRange(0, 100, TRUE);
  ASSERT_TRUE(t.SetBitmaps(IDB_SLIDER_CHANNEL, IDB_SLIDER_CHANNEL_ACTIVE));
  CRect r;
  t.GetClientRect(&r);
  EXPECT_EQ(r.Width(), 200);
  EXPECT_EQ(r.Height(), 8);
  t.SetWindowPos(nullptr, 0, 0, 200, 30, SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_TRUE(t.EnableValueTip(IDB_SLIDER_VALUE));
  EXPECT_FALSE(t.EnableValueTip(IDB_SLIDER_VALUE));   // once
  ASSERT_NE(t.ValueWnd(), nullptr);
  ASSERT_NE(t.Tooltip(), nullptr);
  EXPECT_EQ(t.Tooltip()->GetDelayTime(TTDT_INITIAL), 100);
  EXPECT_EQ(t.Tooltip()->GetToolCount(), 2);
  t.SetNotifyWindow(&host);
  t.UpdateWindow();

  // The value window stands on the thumb.
  CRect v, thumb = t.ThumbRect();
  t.ValueWnd()->GetWindowRect(&v);
  t.ScreenToClient(&v);
  EXPECT_EQ(v, thumb);

  // Press the value window, drag on the track bar to the far end, release.
  CPoint mid = v.CenterPoint();
  t.ValueWnd()->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(v.Width() / 2, v.Height() / 2));
  EXPECT_EQ(t.ValueWnd()->Frame(), 2);
  t.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(400, mid.y));
  t.SendMessage(WM_LBUTTONUP, 0, At(400, mid.y));
  EXPECT_EQ(t.GetPos(), 100);
  EXPECT_EQ(t.ValueWnd()->Frame(), 0);
  // The tooltip tells the position.
  char tip[32] = {};
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.lpszText = tip;
  ASSERT_TRUE(t.Tooltip()->SendMessage(TTM_ENUMTOOLSA, 0, LPARAM(&ti)));
  EXPECT_STREQ(tip, "100");
  std::vector<Notice> rel = Received(CSkinSliderCtrl::kNotifyMessage);
  ASSERT_EQ(rel.size(), 1u);
  EXPECT_EQ(rel[0].wParam, WPARAM(CSkinSliderCtrl::kNotifyRelease));
  EXPECT_NE(CSkinSliderCtrl::HandCursor(), nullptr);
  t.UpdateWindow();
  gui::PumpFor(30);
  t.ValueWnd()->GetWindowRect(&v);
  t.ScreenToClient(&v);
  EXPECT_EQ(v, t.ThumbRect());
}

// ---------------------------------------------------------- round button
TEST_F(SliderTest, RoundButtonIsOwnerDrawnWithGradientFaces) {
  HWND plain = ::CreateWindowExA(0, "BUTTON", "Search Record", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 100, 120,
                                 30, host.m_hWnd, HMENU(1134), nullptr, nullptr);
  ASSERT_NE(plain, nullptr);
  CRoundButton b;
  ASSERT_TRUE(b.SubclassWindow(plain));
  EXPECT_EQ(b.GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW));
  b.m_backColor = RGB(30, 34, 42);
  b.Invalidate();
  b.UpdateWindow();
  // The face's last row (frame and edge under it) is the gradient's last
  // row: towards 0xFF8000 normally, towards 0xFF901E pressed.
  auto bottomFace = [&] {
    b.Invalidate();
    gui::PumpFor(30);
    return PixelAt(b.m_hWnd, 60, 27);
  };
  EXPECT_EQ(bottomFace(), COLORREF(ui::GradientRows(0xFFFFFF, 0xFF8000, 26).back()));
  b.SetState(TRUE);
  EXPECT_EQ(bottomFace(), COLORREF(ui::GradientRows(0xFFFFFF, 0xFF901E, 26).back()));
  b.SetState(FALSE);

  b.SendMessage(WM_MOUSEMOVE, 0, At(5, 5));
  EXPECT_TRUE(b.IsHover());
  b.SendMessage(WM_MOUSELEAVE);
  EXPECT_FALSE(b.IsHover());

  // No height: no faces, no fault.
  b.SetWindowPos(nullptr, 0, 0, 120, 0, SWP_NOMOVE | SWP_NOZORDER);
  b.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  b.SetWindowPos(nullptr, 0, 0, 120, 30, SWP_NOMOVE | SWP_NOZORDER);
  gui::SaveWindowBitmap(host.m_hWnd, gui::OutputPath("round_button.bmp"));
  b.DestroyWindow();
}

}  // namespace
