// The area-selection control under Xvfb: mouse notices to the window given
// as parent, the drawn area with its clamping, and the frame and marks on
// the screen.
#include <gtest/gtest.h>

#include "AreaSelectCtrl.h"
#include "gui_kit.h"
#include "ui_host.h"

namespace {

// Records the notices and, for a drawn area, the rectangle while the
// sender's copy is alive.
class AreaHost : public CTestHost {
public:
  AreaHost() : CTestHost(WM_USER) {}
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == CAreaSelectCtrl::kNotifyMessage && LOWORD(w) == CAreaSelectCtrl::kAreaDrawn)
      areas.push_back(*reinterpret_cast<const RECT*>(l));
    return CTestHost::WindowProc(msg, w, l);
  }
  std::vector<CRect> areas;
};

class AreaSelectTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    s_host = new AreaHost;
    s_host->Make(260, 200, "Area", RGB(30, 34, 42));
  }
  static void TearDownTestSuite() {
    delete s_host;
    s_host = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(::IsWindow(host.m_hWnd));
    // A 176 x 144 control at (20, 20), index 3, drawing allowed.
    ASSERT_TRUE(area.Create(3, WS_VISIBLE, CRect(20, 20, 196, 164), &host, 1500));
    area.EnableSelect(TRUE);
    gui::PumpFor(30);
    host.m_notices.clear();
    host.areas.clear();
  }
  void Drag(CPoint from, CPoint to) {
    area.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    gui::PumpFor(20);
    area.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
    area.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    area.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  }
  static COLORREF At(CWnd& w, int x, int y) {
    w.Invalidate();
    gui::PumpFor(30);
    return PixelAt(w.m_hWnd, x, y);
  }
  static AreaHost* s_host;
  AreaHost& host = *s_host;
  CAreaSelectCtrl area;
};
AreaHost* AreaSelectTest::s_host = nullptr;

TEST_F(AreaSelectTest, DragPostsThePressThenSendsTheArea) {
  Drag({10, 10}, {50, 40});
  ASSERT_EQ(host.m_notices.size(), 2u);
  const Notice& press = host.m_notices[0];
  EXPECT_EQ(press.message, UINT(CAreaSelectCtrl::kNotifyMessage));
  EXPECT_EQ(press.wParam, WPARAM((MK_LBUTTON << 16) | 0x201));
  CPoint screen(10, 10);
  area.ClientToScreen(&screen);
  EXPECT_EQ(press.lParam, LPARAM((3u << 24) | (UINT(screen.x) << 12) | UINT(screen.y)));
  const Notice& drawn = host.m_notices[1];
  EXPECT_EQ(drawn.wParam, WPARAM((3u << 16) | 0x1789));
  ASSERT_EQ(host.areas.size(), 1u);
  EXPECT_EQ(host.areas[0], CRect(10, 10, 50, 40));
  EXPECT_EQ(::GetCapture(), nullptr);
  EXPECT_FALSE(area.IsDragging());
}

TEST_F(AreaSelectTest, ClickWithoutMovementOrALineSendsNoArea) {
  Drag({30, 30}, {30, 30});
  Drag({30, 30}, {90, 30});
  gui::PumpFor(20);
  EXPECT_TRUE(host.areas.empty());
  EXPECT_EQ(host.m_notices.size(), 2u);   // the two presses
}

TEST_F(AreaSelectTest, DragPastTheEdgeIsClamped) {
  Drag({100, 100}, {400, -50});
  ASSERT_EQ(host.areas.size(), 1u);
  EXPECT_EQ(host.areas[0], CRect(100, 0, 176, 100));
}

TEST_F(AreaSelectTest, OtherButtonsPostTheirEventsAndNoDragWhenSelectionIsOff) {
  area.EnableSelect(FALSE);
  Drag({10, 10}, {60, 60});
  area.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  area.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
  gui::PumpFor(30);
  EXPECT_TRUE(host.areas.empty());
  ASSERT_EQ(host.m_notices.size(), 3u);
  EXPECT_EQ(LOWORD(host.m_notices[0].wParam), 0x201);
  EXPECT_EQ(LOWORD(host.m_notices[1].wParam), 0x203);
  EXPECT_EQ(LOWORD(host.m_notices[2].wParam), 0x204);
  EXPECT_EQ(HIWORD(host.m_notices[2].wParam), MK_RBUTTON);
}

TEST_F(AreaSelectTest, AreaFrameInTheDetectionColourScaledToTheClient) {
  area.ShowPicture(FALSE);
  area.SetBackColor(RGB(0, 0, 0));
  RECT a{35, 28, 317, 259};   // 352 x 288 space -> {17, 14, 158, 129} here
  area.SetArea(&a);
  EXPECT_EQ(At(area, 17, 70), COLORREF(0x00FF00));
  area.SetDetectionMark(2);
  EXPECT_EQ(At(area, 17, 70), COLORREF(0x0000FF));
  EXPECT_EQ(At(area, 157, 70), COLORREF(0x0000FF));
  EXPECT_EQ(At(area, 80, 70), RGB(0, 0, 0));
  area.SetRecordMark(1);
  area.SetCaption("Channel 1");
  area.ShowCaption(TRUE);
  gui::SaveWindowBitmap(host.m_hWnd, gui::OutputPath("area_select_ctrl.bmp"));
}

TEST_F(AreaSelectTest, InnerPictureFollowsTheLayout) {
  CRect r;
  area.Picture().GetWindowRect(&r);
  area.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(0, 0, 176, 144));
  area.ShowCaption(TRUE);
  area.Picture().GetWindowRect(&r);
  area.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(0, 0, 176, 131));
  EXPECT_EQ(area.Picture().GetDlgCtrlID(), 0xFFFF);
}

}  // namespace
