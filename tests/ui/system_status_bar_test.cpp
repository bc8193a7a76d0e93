// The system status bar under Xvfb with the default interface solution and
// a fake main window: lamps by kind, clicks, "All Open", reported states,
// the commands to the main window, and the picture of the bar.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "SystemStatusBar.h"
#include "fake_status_host.h"
#include "gui_kit.h"
#include "helpers.h"
#include "hosted_test.h"
#include "language.h"

namespace {


// The default solution the build writes beside the program.
void ChooseDefaultSolution() {
  CInterfaceSolutions::Instance().Build(GetModuleDirectory());
  SetCurrentSolution(CInterfaceSolutions::Instance().Find("English"));
}

class StatusBarTest : public HostedTest<1030, 770, RGB(30, 34, 42)> {
protected:
  static void SetUpTestSuite() {
    ChooseDefaultSolution();
    HostedTest::SetUpTestSuite();
  }
  static void TearDownTestSuite() {
    HostedTest::TearDownTestSuite();
    SetCurrentSolution(nullptr);
  }
  void SetUp() override {
    HostedTest::SetUp();
    ASSERT_NE(GetCurrentSolution(), nullptr) << "the default interface solution is missing";
    main.onSet = [this](int kind, int index, int on) { bar.SetChannelState(kind, index, on); };
    ASSERT_TRUE(bar.Create(CSystemStatusBar::IDD, &host));
    bar.ShowWindow(SW_SHOW);
    gui::PumpFor(20);
    host.m_notices.clear();
  }
  void TearDown() override { bar.DestroyWindow(); }
  std::vector<int> EnabledLamps() {
    std::vector<int> out;
    for (int i = 0; i < ui::kStatusLampCount; ++i)
      if (bar.Lamp(i).IsWindowEnabled()) out.push_back(i);
    return out;
  }
  std::vector<int> LitLamps() {
    std::vector<int> out;
    for (int i = 0; i < ui::kStatusLampCount; ++i)
      if (bar.Lamp(i).GetLampState()) out.push_back(i);
    return out;
  }
  // The command a click on this control sends.
  void Clicked(CWnd& control) {
    bar.SendMessage(WM_COMMAND, MAKEWPARAM(control.GetDlgCtrlID(), BN_CLICKED), LPARAM(control.m_hWnd));
  }
  static CRect InBar(CWnd& bar, CWnd& w) {
    CRect r;
    w.GetWindowRect(&r);
    bar.ScreenToClient(&r);
    return r;
  }
  FakeStatusHost main;
  CSystemStatusBar bar{&main, s_host};
};

TEST_F(StatusBarTest, SkinPlacesTheBarItsLampsAndTheKindButton) {
  CRect r;
  bar.GetWindowRect(&r);
  host.ScreenToClient(&r);
  EXPECT_EQ(r, CRect(4, 730, 1021, 761));
  // "Ch1" 116, 733, 134, 745 and "Ch64" in the second row, less the region.
  EXPECT_EQ(InBar(bar, bar.Lamp(0)), CRect(112, 3, 131, 16));
  EXPECT_EQ(InBar(bar, bar.Lamp(63)), CRect(763, 17, 782, 30));
  EXPECT_EQ(bar.Lamp(0).GetDlgCtrlID(), 3025);
  EXPECT_EQ(bar.Lamp(63).GetDlgCtrlID(), 3025);
  for (int k = 0; k < CSystemStatusBar::kKindButtons; ++k) {
    EXPECT_EQ(InBar(bar, bar.KindButton(k)), CRect(4, 3, 104, 28)) << k;
    EXPECT_EQ(bar.KindButton(k).IsWindowVisible() != 0, k == 0) << k;
  }
  EXPECT_NE(bar.KindButton(0).GetTooltip(), nullptr);
  EXPECT_NE(bar.KindButton(4).GetTooltip(), nullptr);
  EXPECT_EQ(bar.KindButton(2).GetTooltip(), nullptr);
  EXPECT_EQ(bar.KindButton(3).GetTooltip(), nullptr);
  EXPECT_EQ(bar.LabelTextColor(), RGB(230, 234, 240));
}

TEST_F(StatusBarTest, KindZeroEnablesTheWindowsThatShowVideo) {
  main.states[{0, 1}] = 1;
  main.states[{0, 3}] = 1;
  main.states[{0, 6}] = 1;   // beyond the 4-window layout
  bar.SetMode(0);
  EXPECT_EQ(EnabledLamps(), (std::vector<int>{1, 3}));
  EXPECT_TRUE(bar.CommandButton(0).IsWindowEnabled());
  EXPECT_TRUE(bar.CommandButton(1).IsWindowEnabled());
}

TEST_F(StatusBarTest, NoChannelsDisablesEveryLampAndBothCommands) {
  main.channels = 0;
  main.states[{1, 0}] = 1;
  bar.SetMode(1);
  EXPECT_TRUE(EnabledLamps().empty());
  EXPECT_FALSE(bar.CommandButton(0).IsWindowEnabled());
  EXPECT_FALSE(bar.CommandButton(1).IsWindowEnabled());
  Clicked(bar.CommandButton(0));
  EXPECT_TRUE(main.calls.empty());
}

TEST_F(StatusBarTest, ClickedLampIsTheSenderNotTheFocus) {
  bar.SetMode(1);
  bar.Lamp(5).SetFocus();
  Clicked(bar.Lamp(2));
  ASSERT_EQ(main.calls.size(), 1u);
  EXPECT_EQ(main.calls[0].index, 2);
  EXPECT_EQ(LitLamps(), (std::vector<int>{2}));
  // A real click through the button control (the pointer over it, as the
  // button follows the pointer while pressed) toggles it back.
  gui::PointerLock pointer(bar.m_hWnd);
  ASSERT_TRUE(pointer.Held());
  CRect r;
  bar.Lamp(2).GetWindowRect(&r);
  ::SetCursorPos(r.CenterPoint().x, r.CenterPoint().y);
  bar.Lamp(2).SendMessage(BM_CLICK);
  gui::PumpFor(20);
  EXPECT_TRUE(LitLamps().empty());
  EXPECT_EQ(main.GetChannelState(1, 2), 0);
}

TEST_F(StatusBarTest, AllOpenSwitchesExactlyTheLampsThatWereOff) {
  main.states[{1, 0}] = 1;
  main.states[{1, 5}] = 1;
  bar.SetMode(1);
  Clicked(bar.CommandButton(0));
  std::vector<int> switched;
  for (auto& c : main.calls) switched.push_back(c.index);
  EXPECT_EQ(switched, (std::vector<int>{1, 2, 3, 4, 6, 7}));
  EXPECT_EQ(LitLamps(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  main.calls.clear();
  Clicked(bar.CommandButton(1));
  EXPECT_EQ(main.calls.size(), 8u);
  EXPECT_TRUE(LitLamps().empty());
}

TEST_F(StatusBarTest, ReportedStatesOutsideTheKindOrTheLampsInUseAreIgnored) {
  bar.SetMode(1);
  bar.SetChannelState(1, 8, 1);
  bar.SetChannelState(1, 64, 1);
  bar.SetChannelState(1, -1, 1);
  bar.SetChannelState(4, 0, 1);
  EXPECT_TRUE(LitLamps().empty());
  bar.SetChannelState(1, 7, 1);
  EXPECT_EQ(LitLamps(), (std::vector<int>{7}));
  // Kind 2 keeps the lamps as they were.
  bar.SetMode(2);
  bar.SetChannelState(2, 7, 0);
  EXPECT_EQ(LitLamps(), (std::vector<int>{7}));
  EXPECT_EQ(EnabledLamps().size(), 8u);
}

TEST_F(StatusBarTest, KindButtonsCycleAndCommandsReachTheMainWindow) {
  Clicked(bar.KindButton(0));
  EXPECT_EQ(bar.GetMode(), 1);
  EXPECT_TRUE(bar.KindButton(1).IsWindowVisible());
  EXPECT_FALSE(bar.KindButton(0).IsWindowVisible());
  Clicked(bar.KindButton(1));
  EXPECT_EQ(bar.GetMode(), 4);
  Clicked(bar.KindButton(4));
  EXPECT_EQ(bar.GetMode(), 0);
  bar.SendMessage(WM_COMMAND, MAKEWPARAM(3032, BN_CLICKED), 0);
  EXPECT_EQ(bar.GetMode(), 3);

  Clicked(bar.CommandButton(2));   // hide
  bar.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  ASSERT_EQ(host.m_notices.size(), 2u);
  EXPECT_EQ(host.m_notices[0].message, UINT(CSystemStatusBar::kMsgHideBar));
  EXPECT_EQ(host.m_notices[1].message, UINT(CSystemStatusBar::kMsgLeaveFullScreen));
  EXPECT_TRUE(::IsWindow(bar.m_hWnd));   // Escape does not close the bar
  EXPECT_EQ(::GetFocus(), host.m_hWnd);
}

TEST_F(StatusBarTest, LitLampIsFilledOnTheScreen) {
  main.channels = 64;
  main.states[{1, 0}] = 1;
  for (int i = 40; i < 64; i += 3) main.states[{1, i}] = 1;
  bar.SetMode(1);
  bar.UpdateWindow();
  gui::PumpFor(50);
  EXPECT_EQ(PixelAt(bar.Lamp(0).m_hWnd, 2, 2), bar.LabelTextColor());
  EXPECT_EQ(PixelAt(bar.Lamp(1).m_hWnd, 2, 2), bar.LabelBackColor());
  EXPECT_TRUE(gui::SaveWindowBitmap(bar.m_hWnd, gui::OutputPath("system_status_bar.bmp")));
}

}  // namespace
