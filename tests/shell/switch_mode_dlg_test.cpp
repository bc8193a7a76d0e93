// The switch-mode panel under Xvfb with a fake main dialog: button places
// from the solution's keys, split commands, full screen, record all with
// its tooltip and pictures, close all video and hard decode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui_kit.h"
#include "language.h"
#include "shell_fixture.h"
#include "switch_mode_dlg.h"
#include "ui_host.h"

namespace {

class FakeMain : public CSwitchModeHost {
public:
  void SetSplitMode(int mode) override { modes.push_back(mode); }
  void ToggleFullScreen() override { ++fullScreen; }
  BOOL WindowShowsVideo(int window) override { return window == 1 || window == 4; }
  void SetWindowRecordFlag(int window, BOOL on) override { flags.push_back({window, on}); }
  void SetWindowListRecord(int window, BOOL on) override { lists.push_back({window, on}); }
  void CloseWindowVideo(int window) override { closed.push_back(window); }
  void RefreshDevicePanel() override { ++refreshed; }
  void StartCardFeed(BOOL on) override { feeds.push_back(on); }

  struct Switch {
    int window;
    BOOL on;
    bool operator==(const Switch& o) const { return window == o.window && !on == !o.on; }
  };
  std::vector<int> modes, closed;
  std::vector<Switch> flags, lists;
  std::vector<BOOL> feeds;
  int fullScreen = 0, refreshed = 0;
};

std::string TipText(CSkinButton& b) {
  CToolTipCtrl* tip = b.GetTooltip();
  if (!tip) return "";
  char text[256] = {};
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.lpszText = text;
  if (!tip->SendMessage(TTM_ENUMTOOLSA, 0, LPARAM(&ti))) return "";
  return text;
}

class SwitchModeTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    WriteEnglishSolution(dir, "[SwitchModeDlgSettings]\r\nMarginLeft=7\r\nInterval=2\r\nWidth=20\r\nHeight=22\r\n");
    CInterfaceSolutions::Instance().Build(dir.Path());
    SetCurrentSolution(CInterfaceSolutions::Instance().Find("English"));
    ASSERT_NE(GetCurrentSolution(), nullptr);
    ASSERT_TRUE(host.Make(340, 40, "Main", RGB(30, 34, 42)));
    ASSERT_TRUE(panel.Create(CSwitchModeDlg::IDD, &host));
    panel.MoveWindow(0, 0, 330, 22);
    panel.ShowWindow(SW_SHOW);
    panel.UpdateWindow();
  }
  void TearDown() override {
    panel.DestroyWindow();
    host.DestroyWindow();
    SetCurrentSolution(nullptr);
  }
  void Click(int index) {
    CSkinButton& b = panel.Button(index);
    panel.SendMessage(WM_COMMAND, MAKEWPARAM(b.GetDlgCtrlID(), BN_CLICKED), LPARAM(b.m_hWnd));
  }
  COLORREF FaceOf(int index) {
    panel.Button(index).Invalidate();
    gui::PumpFor(30);
    return PixelAt(panel.Button(index).m_hWnd, 2, 11);
  }
  ScratchDir dir{"switch"};
  CTestHost host;
  FakeMain main;
  CSwitchModeDlg panel{&main};
};

TEST_F(SwitchModeTest, ButtonsSitInARowFromTheSkinKeys) {
  for (int i = 0; i < CSwitchModeDlg::kButtons; ++i) {
    CRect r;
    panel.Button(i).GetWindowRect(&r);
    panel.ScreenToClient(&r);
    EXPECT_EQ(r, CRect(7 + 22 * i, 0, 27 + 22 * i, 22)) << i;
  }
  EXPECT_EQ(TipText(panel.Button(0)), "Hard Decode");
  EXPECT_EQ(TipText(panel.Button(2)), "1 Monitor Window");
  EXPECT_EQ(TipText(panel.Button(11)), "36 Monitor Windows");
  EXPECT_EQ(TipText(panel.Button(13)), "Close All Video");
  // The panel is black between the buttons.
  EXPECT_EQ(PixelAt(panel.m_hWnd, 28, 10), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(panel.m_hWnd, 3, 10), RGB(0, 0, 0));
  EXPECT_TRUE(gui::SaveWindowBitmap(panel.m_hWnd, gui::OutputPath("switch_mode_bar.bmp")));
}

TEST_F(SwitchModeTest, DefaultsWithoutKeys) {
  CSwitchModeDlg::Layout l = CSwitchModeDlg::ReadLayout(dir / "none.ini");
  EXPECT_EQ(CSwitchModeDlg::ButtonRect(l, 2), CRect(59, 0, 83, 24));
}

TEST_F(SwitchModeTest, SplitCommandsSetModesOneToTen) {
  for (int i = 2; i <= 11; ++i) Click(i);
  // 1, 4, 6, 8, 9, 13, 16, 20, 25, 36 windows.
  EXPECT_EQ(main.modes, (std::vector<int>{1, 2, 7, 8, 3, 9, 4, 10, 5, 6}));
  Click(1);
  EXPECT_EQ(main.fullScreen, 1);
  EXPECT_TRUE(main.closed.empty());
}

TEST_F(SwitchModeTest, RecordAllTwiceSwitchesTheTooltipAndTheWindows) {
  COLORREF off = FaceOf(12);
  Click(12);
  EXPECT_TRUE(panel.IsRecordAll());
  EXPECT_EQ(TipText(panel.Button(12)), "All Close Record");
  EXPECT_EQ(main.flags, (std::vector<FakeMain::Switch>{{1, TRUE}, {4, TRUE}}));
  EXPECT_EQ(main.lists, (std::vector<FakeMain::Switch>{{1, TRUE}, {4, TRUE}}));
  EXPECT_EQ(main.refreshed, 1);
  EXPECT_NE(FaceOf(12), off);   // the first two pictures exchanged

  main.flags.clear();
  main.lists.clear();
  Click(12);
  EXPECT_FALSE(panel.IsRecordAll());
  EXPECT_EQ(TipText(panel.Button(12)), "All Open Record");
  ASSERT_EQ(main.flags.size(), 36u);
  ASSERT_EQ(main.lists.size(), 36u);
  for (int w = 0; w < 36; ++w) {
    EXPECT_EQ(main.flags[w], (FakeMain::Switch{w, FALSE}));
    EXPECT_EQ(main.lists[w], (FakeMain::Switch{w, FALSE}));
  }
  EXPECT_EQ(main.refreshed, 2);
  EXPECT_EQ(FaceOf(12), off);
}

TEST_F(SwitchModeTest, CloseAllVideoEndsRecordAllByItsFlagOnly) {
  Click(12);
  main.flags.clear();
  main.lists.clear();
  Click(13);
  EXPECT_EQ(main.closed.size(), 36u);
  EXPECT_FALSE(panel.IsRecordAll());
  EXPECT_EQ(TipText(panel.Button(12)), "All Open Record");
  EXPECT_TRUE(main.flags.empty());
  EXPECT_TRUE(main.lists.empty());
}

TEST_F(SwitchModeTest, HardDecodeFeedsTheCardOnThenOff) {
  COLORREF off = FaceOf(0);
  Click(0);
  EXPECT_TRUE(panel.IsHardDecode());
  EXPECT_NE(FaceOf(0), off);
  Click(0);
  EXPECT_FALSE(panel.IsHardDecode());
  EXPECT_EQ(main.feeds, (std::vector<BOOL>{TRUE, FALSE}));
  EXPECT_EQ(FaceOf(0), off);
}

}  // namespace
