// The side panels under Xvfb with a stand-in main dialog: the PTZ panel's
// presses and releases, one panel expanded at a time, presets, the colour
// panel's replies and sends.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "color_dlg.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "helpers.h"
#include "language.h"
#include "ptz_dlg.h"
#include "shell_fixture.h"
#include "ui_host.h"
#include "udp_packets.h"

namespace {

class PanelMain : public FakeMainDlg {
public:
  LRESULT OnPtzButton(WPARAM message, LPARAM code) override {
    ptz.push_back({int(message), int(code)});
    return 0;
  }
  void TogglePtzChannelFlag() override { sit = !sit; }
  BOOL PtzChannelFlag(int) const override { return sit; }
  std::vector<std::pair<int, int>> ptz;
  BOOL sit = FALSE;
};

HWND Item(CWnd& dlg, UINT id) { return ::GetDlgItem(dlg.m_hWnd, int(id)); }

void Click(HWND button) {
  ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ::SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  gui::PumpFor(50);
}

class SidePanels : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    ScratchDir::CopyTree(GetModuleDirectory() + "Language\\", dir / "Language\\");
    CInterfaceSolutions::Instance().Build(dir.Path());
    SetCurrentSolution(CInterfaceSolutions::Instance().Find("English"));
    ASSERT_NE(GetCurrentSolution(), nullptr);
    ASSERT_TRUE(host.Make(180, 620, "Panels", RGB(30, 34, 42)));
    // Window 0 shows channel 2 of device 0.
    shell::DeviceRecord& dev = main.m_pConfig->devices[0];
    lstrcpynA(dev.address, "169.254.7.8", sizeof dev.address);
    dev.state = 4;
    slot = main.m_channels.Assign(&dev, 2);
    main.m_channels.CountUsed();
    main.m_windows[0].Add(slot);
    main.m_windows[0].position = 0;
    main.m_windows[0].showsChannel = 1;
  }
  void TearDown() override { SetCurrentSolution(nullptr); }

  ScratchDir dir{"panels"};
  PanelMain main;
  CTestHost host;
  int slot = -1;
};

}  // namespace

TEST_F(SidePanels, PtzButtonsAndOnePanelExpandedAtATime) {
  CPtzDlgEx ptz(&host);
  CColorDlg colour(&host);
  CPlanDlg plan(&host);
  ASSERT_TRUE(ptz.Create(CPtzDlgEx::IDD, &host));
  ASSERT_TRUE(colour.Create(CColorDlg::IDD, &host));
  ASSERT_TRUE(plan.Create(CPlanDlg::IDD, &host));
  int layouts = 0;
  std::vector<int> device;
  CSidePanelColumn column{&ptz, &colour, &plan, [&](int s) { device.push_back(s); }, [&] { ++layouts; }};
  for (CSidePanelDlg* p : {static_cast<CSidePanelDlg*>(&ptz), static_cast<CSidePanelDlg*>(&colour),
                           static_cast<CSidePanelDlg*>(&plan)})
    p->SetColumn(&column);
  ptz.MoveWindow(0, 0, 169, 270);
  ptz.ShowWindow(SW_SHOW);
  EXPECT_EQ(270, ptz.NormalHeight());
  EXPECT_EQ(428, ptz.AdvanceHeight());
  EXPECT_EQ(170, colour.NormalHeight());
  EXPECT_EQ(117, plan.NormalHeight());
  gui::PumpFor(100);
  gui::SaveWindowBitmap(ptz.m_hWnd, gui::OutputPath("ptz_panel.bmp"));

  // Every coded button posts its code on press and release.
  struct {
    UINT id;
    int code;
  } buttons[] = {{IDC_PTZ_UP, 0}, {IDC_PTZ_IRIS_REDUCE, 28}, {IDC_PTZ_IRIS_ADD, 30}, {IDC_PTZ_ZOOM_ADD, 24},
                 {IDC_PTZ_RIGHT_DOWN, 14}};
  for (auto& b : buttons) {
    main.ptz.clear();
    HWND h = Item(ptz, b.id);
    ASSERT_NE(nullptr, h) << b.id;
    Click(h);
    ASSERT_EQ(2u, main.ptz.size()) << b.id;
    EXPECT_EQ(std::make_pair(513, b.code), main.ptz[0]);
    EXPECT_EQ(std::make_pair(514, b.code), main.ptz[1]);
  }
  // Sit is a command: the flag and the pressed look.
  ::SendMessageA(ptz.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PTZ_SIT, BN_CLICKED), LPARAM(Item(ptz, IDC_PTZ_SIT)));
  EXPECT_TRUE(main.sit);
  EXPECT_EQ(1, ptz.ButtonAt(CPtzDlgEx::kButtons - 1).GetLampState());

  auto command = [](CWnd& w, UINT id) {
    ::SendMessageA(w.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(w.m_hWnd, int(id))));
  };
  command(colour, IDC_COLOR_SHOW);
  EXPECT_TRUE(colour.IsExpanded());
  command(ptz, IDC_PTZ_SHOW);
  EXPECT_TRUE(ptz.IsExpanded());
  EXPECT_FALSE(colour.IsExpanded());
  command(ptz, IDC_PTZ_SHOW);  // collapsing leaves the others as they are
  EXPECT_FALSE(ptz.IsExpanded());
  EXPECT_FALSE(colour.IsExpanded());
  command(colour, IDC_COLOR_SHOW);
  command(plan, IDC_PLAN_SHOW);
  EXPECT_TRUE(plan.IsExpanded());
  EXPECT_FALSE(colour.IsExpanded());
  EXPECT_FALSE(ptz.IsExpanded());
  command(plan, IDC_PLAN_SHOW);
  EXPECT_EQ((std::vector<int>{-1, -1, -1, 1, -1}), device);
  EXPECT_EQ(6, layouts);
}

TEST_F(SidePanels, PresetsGoToTheCurrentChannelAsOneByte) {
  CSetPresetDlg dlg(&host);
  ASSERT_TRUE(dlg.Create(CSetPresetDlg::IDD, &host));
  dlg.ShowWindow(SW_SHOW);
  gui::PumpFor(100);
  gui::SaveWindowBitmap(dlg.m_hWnd, gui::OutputPath("set_preset.bmp"));
  char caption[64] = {};
  ::GetWindowTextA(dlg.m_hWnd, caption, sizeof caption);
  EXPECT_STREQ("Set Preset Point", caption);
  HWND combo = Item(dlg, IDC_PRESET_COMBO);
  ASSERT_EQ(255, int(::SendMessageA(combo, CB_GETCOUNT, 0, 0)));
  char last[8] = {};
  ::SendMessageA(combo, CB_GETLBTEXT, 254, LPARAM(last));
  EXPECT_STREQ("255", last);
  EXPECT_EQ(5, int(::SendMessageA(Item(dlg, IDC_PRESET_SPEED), TBM_GETPOS, 0, 0)));

  ::SendMessageA(combo, CB_SETCURSEL, 4, 0);  // "5"
  ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PRESET_SET, BN_CLICKED), 0);
  ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PRESET_CALL, BN_CLICKED), 0);
  ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PRESET_CLEAR, BN_CLICKED), 0);
  auto sent = main.Sent();
  ASSERT_EQ(2u, sent.size()) << "Call sends nothing";
  const uint8_t set5[20] = {1, 0xC3, 11, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 5, 0, 0, 0};
  ASSERT_EQ(20u, sent[0].bytes.size());
  EXPECT_EQ(0, memcmp(set5, sent[0].bytes.data(), 20));
  EXPECT_EQ("169.254.7.8", sent[0].address);
  EXPECT_EQ(12, sent[1].bytes[2]);
  EXPECT_EQ(5, sent[1].bytes[16]);

  // An empty text: Clear prompts and sends nothing.
  {
    gui::MessageBoxScript boxes;
    ::SetWindowTextA(combo, "");
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PRESET_CLEAR, BN_CLICKED), 0);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Preset point can not be empty!", boxes.Boxes()[0].text);
  }
  EXPECT_EQ(2u, main.Sent().size());
  // No channel in the current window: nothing.
  main.m_windows[0].position = -1;
  ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
  ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PRESET_SET, BN_CLICKED), 0);
  EXPECT_EQ(2u, main.Sent().size());
  dlg.DestroyWindow();
}

TEST_F(SidePanels, ColourReplyMovesTheSlidersAndDefaultSendsItBack) {
  CColorDlg colour(&host);
  ASSERT_TRUE(colour.Create(CColorDlg::IDD, &host));
  colour.MoveWindow(0, 280, 169, 170);
  colour.ShowWindow(SW_SHOW);
  uint8_t reply[12] = {1, 2, 3, 4, 5, 10, 20, 30, 40, 9, 8, 7};
  // Another device's reply and a short one change nothing.
  main.m_udpReceivers.OnConfigReply("169.254.7.9", shell::UDPCFG_SENSOR, 0, reply, 12);
  main.m_udpReceivers.OnConfigReply("169.254.7.8", shell::UDPCFG_SENSOR, 0, reply, 11);
  EXPECT_EQ(0, colour.Position(0));
  main.m_udpReceivers.OnConfigReply("169.254.7.8", shell::UDPCFG_SENSOR, 0, reply, 12);
  const int want[4] = {10, 20, 30, 40};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(want[i], colour.Position(i));
    EXPECT_EQ(want[i], int(::SendMessageA(Item(colour, 1038 + i), TBM_GETPOS, 0, 0))) << 1038 + i;
  }
  gui::PumpFor(100);
  gui::SaveWindowBitmap(colour.m_hWnd, gui::OutputPath("color_panel.bmp"));

  // Logged in but not connected: nothing is sent.
  main.m_pConfig->devices[0].state = 3;
  ::SendMessageA(colour.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_COLOR_DEFAULT, BN_CLICKED), 0);
  EXPECT_TRUE(main.Sent().empty());
  main.m_pConfig->devices[0].state = 4;
  ::SendMessageA(colour.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_COLOR_DEFAULT, BN_CLICKED), 0);
  auto sent = main.Sent();
  ASSERT_EQ(1u, sent.size());
  ASSERT_EQ(28u, sent[0].bytes.size());
  EXPECT_EQ(0xC4, sent[0].bytes[1]);
  EXPECT_EQ(2, sent[0].bytes[2]);
  const uint8_t block[12] = {1, 2, 3, 4, 5, 128, 128, 128, 128, 9, 8, 7};
  EXPECT_EQ(0, memcmp(block, sent[0].bytes.data() + 16, 12));
  // A slider's release applies; a free slot's window sends nothing.
  ::SendMessageA(colour.m_hWnd, WM_COLOR_SLIDER_NOTIFY, 514, 1038);
  EXPECT_EQ(2u, main.Sent().size());
  main.m_channels[slot].device = nullptr;
  ::SendMessageA(colour.m_hWnd, WM_COLOR_SLIDER_NOTIFY, 514, 1038);
  main.m_windows[0].position = 64;
  ::SendMessageA(colour.m_hWnd, WM_COLOR_SLIDER_NOTIFY, 514, 1038);
  EXPECT_EQ(2u, main.Sent().size());
  colour.DestroyWindow();
}
