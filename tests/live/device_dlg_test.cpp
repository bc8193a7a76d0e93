// The device panel on a stand-in main dialog: slots for channels as devices
// come and go, Auto Config over more channels than windows, the reboot
// question, a failed sub-stream start, out-of-range window numbers.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "channel_blocks.h"
#include "device_dlg.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "helpers.h"
#include "language.h"
#include "live_resource.h"
#include "user_rights.h"

namespace {

class DevicePanelTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    g_userRights = 0xFFFFFFFF;
    host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 400, 500),
                  nullptr, 0);
    for (int w = 0; w < 36; ++w) windows[w].Create(w, 0, CRect(0, 0, 60, 40), &host, 100 + w);
    fake.m_hwnd = host.m_hWnd;
  }
  void TearDown() override {
    if (panel.m_hWnd) panel.DestroyWindow();
    for (CPlayWnd& w : windows) w.DestroyWindow();
    host.DestroyWindow();
  }
  // Records 0..n-1 logged in (state 3) with `channels` channels each.
  void LoggedIn(int n, int channels) {
    for (int i = 0; i < n; ++i) {
      shell::DeviceRecord& d = fake.m_pConfig->devices[i];
      d.inUse = 1;
      snprintf(d.address, sizeof d.address, "169.254.26.%d", i + 1);
      snprintf(d.serverName, sizeof d.serverName, "dev%d", i);
      d.state = kStateLoggedIn;
      d.loginId = uint32_t(100 + i);
      d.channelCount = uint8_t(channels);
      shell::EnsureChannelBlocks(d);
      shell::NameChannels(d, "Channel");
    }
  }
  void Open() {
    panel.AttachMonitors(windows);
    ASSERT_TRUE(panel.Create(CDeviceDlg::IDD, &host));
    panel.MoveWindow(0, 0, 200, 480);
  }
  int Calls(const char* what) {
    int n = 0;
    for (const auto& c : fake.Calls()) n += c.what == what;
    return n;
  }

  FakeMainDlg fake;
  CWnd host;
  CPlayWnd windows[36];
  CDeviceDlg panel;
};

TEST_F(DevicePanelTest, SixtyFourSlotsThenReuseWhenADeviceGoes) {
  LoggedIn(17, 4);   // 68 channels
  Open();
  EXPECT_EQ(64, fake.m_channels.UsedCount());
  // The 65th channel (record 16, channel 0) has no slot.
  DWORD_PTR data = panel.Tree().GetItemData(panel.FindChannelItem(16, 0));
  EXPECT_EQ(0xFF, ChannelItemData::Slot(data));
  EXPECT_FALSE(ChannelItemData::HasWindow(data));
  EXPECT_EQ(63, ChannelItemData::Slot(panel.Tree().GetItemData(panel.FindChannelItem(15, 3))));
  // Record 0 goes: its slots 0..3 are free, its items gone, its state 0.
  panel.DisconnectDevice(panel.FindDeviceItem(0));
  EXPECT_EQ(60, fake.m_channels.UsedCount());
  EXPECT_EQ(nullptr, panel.Tree().GetChildItem(panel.FindDeviceItem(0)));
  EXPECT_EQ(0u, fake.m_pConfig->devices[0].state);
  EXPECT_EQ(kCodeDeviceOffline, panel.ItemCode(panel.FindDeviceItem(0)));
  EXPECT_EQ(-1, fake.m_channels[0].channel.load());
  // Record 16's channels take the freed slots.
  panel.AssignChannelSlots();
  for (int ch = 0; ch < 4; ++ch)
    EXPECT_EQ(ch, ChannelItemData::Slot(panel.Tree().GetItemData(panel.FindChannelItem(16, ch)))) << ch;
  EXPECT_EQ(64, panel.CountChannelSlots());
}

TEST_F(DevicePanelTest, AutoConfigGivesWindowsOnlyWhileTheyLast) {
  LoggedIn(17, 4);
  Open();
  panel.OnAutoConfig();
  for (int w = 0; w < 36; ++w) EXPECT_EQ(1, fake.m_windows[w].Count()) << w;
  int shown = 0;
  for (int s = 0; s < 64; ++s) {
    int w = fake.m_channels[s].window;
    EXPECT_LT(w, 36) << s;
    shown += w >= 0;
  }
  EXPECT_EQ(36, shown);
  EXPECT_EQ(1, Calls("SetSplitForCount"));
  // Every window shows its channel: caption, check mark, image.
  EXPECT_EQ("dev0 - Channel-01", std::string(windows[0].GetTitle()));
  EXPECT_TRUE(panel.Tree().GetCheck(panel.FindChannelItem(0, 0)));
  EXPECT_EQ(kCodeChannelShown, panel.ItemCode(panel.FindChannelItem(0, 0)));
  // Closing a window's view takes its channel out and names it again.
  panel.CloseWindowView(2);
  EXPECT_EQ(0, fake.m_windows[2].Count());
  EXPECT_EQ("Video3", std::string(windows[2].GetTitle()));
  EXPECT_EQ(-1, fake.m_channels[2].window.load());
  EXPECT_EQ(kCodeChannelIdle, panel.ItemCode(panel.FindChannelItem(0, 2)));
}

// A channel shown before the tree has ever painted keeps its check mark
// through the paints that follow, so its next double click closes it
// instead of starting it again.
TEST_F(DevicePanelTest, CheckMarkOfAShownChannelOutlastsTheTreesFirstPaint) {
  LoggedIn(1, 1);
  Open();
  panel.ShowWindow(SW_SHOW);
  HTREEITEM item = panel.FindChannelItem(0, 0);
  panel.ToggleChannelView(item);
  ASSERT_TRUE(panel.Tree().GetCheck(item));
  panel.Tree().RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  gui::PumpFor(50);
  EXPECT_TRUE(panel.Tree().GetCheck(item));
  panel.ToggleChannelView(item);
  EXPECT_EQ(0, fake.m_windows[0].Count());
  EXPECT_FALSE(panel.Tree().GetCheck(item));
  EXPECT_EQ(kCodeChannelIdle, panel.ItemCode(item));
  EXPECT_EQ(1, Calls("StopSub"));
}

TEST_F(DevicePanelTest, RebootAsksAndSendsOneDatagramOnYes) {
  LoggedIn(1, 1);
  Open();
  panel.Tree().SelectItem(panel.FindDeviceItem(0));
  struct Row { int answer; uint32_t state; size_t sent; } rows[] = {
      {IDYES, kStateLoggedIn, 1}, {IDNO, kStateLoggedIn, 0}, {IDYES, kStateReconnecting, 0}};
  for (const Row& r : rows) {
    fake.m_pConfig->devices[0].state = r.state;
    size_t before = fake.Sent().size();
    gui::MessageBoxScript boxes({r.answer});
    panel.OnReboot();
    ASSERT_EQ(1u, boxes.Count());
    auto sent = fake.Sent();
    ASSERT_EQ(before + r.sent, sent.size()) << r.answer << " " << r.state;
    if (r.sent) {
      const std::vector<unsigned char> want = {1, 0xC1, 0xFE, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
      EXPECT_EQ(want, sent.back().bytes);
      EXPECT_EQ("169.254.26.1", sent.back().address);
    }
  }
  // Without the right: the refusal, no question.
  g_userRights = 0;
  gui::MessageBoxScript boxes({IDYES});
  panel.OnReboot();
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("You have no power to reboot Front End device!", boxes.Boxes()[0].text);
}

TEST_F(DevicePanelTest, FailedSubStreamStopsItsMainStream) {
  LoggedIn(1, 2);
  Open();
  fake.m_failingStarts.insert(1 << 8 | 1);   // sub stream of channel 1
  gui::MessageBoxScript boxes;
  panel.ToggleChannelView(panel.FindChannelItem(0, 1));
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ(0u, boxes.Boxes()[0].text.find("Request Video Stream Error: "));
  EXPECT_EQ(uint32_t(kStateConnected), fake.m_pConfig->devices[0].state);
  EXPECT_EQ(1, Calls("StopMain"));
  EXPECT_EQ(0u, fake.m_channels[1].mainStreamRunning.load());
  EXPECT_EQ(0, fake.m_windows[0].Count());
  // The main stream's notice, none for the sub stream.
  EXPECT_EQ(1, Calls("StreamStarted"));
  // Channel 0 starts: both notices, the window, state 4.
  panel.ToggleChannelView(panel.FindChannelItem(0, 0));
  EXPECT_EQ(3, Calls("StreamStarted"));
  EXPECT_EQ(uint32_t(kStateConnected), fake.m_pConfig->devices[0].state);
  EXPECT_EQ(0, fake.m_windows[0].CurrentSlot());
}

// A double click on a channel: the main stream's notice goes out whatever its
// start gave, and the device reads connected (4) whatever the sub stream's
// start gives; a box tells of a failed sub stream.
TEST_F(DevicePanelTest, MainNoticeAndConnectedStateWhateverTheStartsGive) {
  LoggedIn(1, 4);
  Open();
  struct Row {
    bool mainFails, subFails;
    std::vector<int> kinds;   // notices of the channel, in order
    int boxes;
  } rows[] = {
      {false, false, {0, 1}, 0},
      {true, false, {0, 1}, 0},
      {false, true, {0}, 1},
      {true, true, {0}, 1},
  };
  for (int ch = 0; ch < 4; ++ch) {
    const Row& r = rows[ch];
    fake.m_pConfig->devices[0].state = kStateLoggedIn;
    if (r.mainFails) fake.m_failingStarts.insert(0 << 8 | ch);
    if (r.subFails) fake.m_failingStarts.insert(1 << 8 | ch);
    const size_t before = fake.Calls().size();
    gui::MessageBoxScript boxes;
    panel.ToggleChannelView(panel.FindChannelItem(0, ch));
    std::vector<int> kinds;
    const auto calls = fake.Calls();
    for (size_t i = before; i < calls.size(); ++i)
      if (calls[i].what == "StreamStarted" && calls[i].a == ch) kinds.push_back(calls[i].b);
    EXPECT_EQ(r.kinds, kinds) << "channel " << ch;
    EXPECT_EQ(uint32_t(kStateConnected), fake.m_pConfig->devices[0].state) << "channel " << ch;
    EXPECT_EQ(size_t(r.boxes), boxes.Count()) << "channel " << ch;
    EXPECT_EQ(!r.subFails, panel.Tree().GetCheck(panel.FindChannelItem(0, ch)) != FALSE) << "channel " << ch;
  }
}

// The "Talking" button wears its on-state look while its device talks, also
// after the tree's selection moves away and back.
TEST_F(DevicePanelTest, TalkingButtonLooksOnWhileTalkbackIsOn) {
  LoggedIn(2, 1);
  Open();
  CSkinButton& talking = panel.SkinButton(3);
  // What a click on the tree does: the selection, then the buttons' update.
  struct Access : CDeviceDlg {
    static void UpdateButtonsOf(CDeviceDlg& p, HTREEITEM item) { (p.*&Access::UpdateButtons)(item); }
  };
  auto select = [&](HTREEITEM item) {
    panel.Tree().SelectItem(item);
    Access::UpdateButtonsOf(panel, item);
  };
  select(panel.FindDeviceItem(0));
  EXPECT_EQ(0, talking.GetLampState());
  ::SendMessageA(panel.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_TALKING, BN_CLICKED), LPARAM(talking.m_hWnd));
  EXPECT_EQ(1, talking.GetLampState());
  EXPECT_EQ(kCodeDeviceTalkback, panel.ItemCode(panel.FindDeviceItem(0)));
  select(panel.FindDeviceItem(1));
  EXPECT_EQ(0, talking.GetLampState()) << "another device is selected";
  select(panel.FindDeviceItem(0));
  EXPECT_EQ(1, talking.GetLampState());
  ::SendMessageA(panel.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_TALKING, BN_CLICKED), LPARAM(talking.m_hWnd));
  EXPECT_EQ(0, talking.GetLampState());
  EXPECT_EQ(kCodeDeviceConnected, panel.ItemCode(panel.FindDeviceItem(0)));
}

// After a change of user the panel's buttons follow the new rights: the
// Record button of a selected channel needs Local Record, Device Manage and
// Connect All need Local Connect Settings.
TEST_F(DevicePanelTest, ButtonsFollowTheRightsOfTheNewUser) {
  // The default solution beside the tests gives the panel its skin buttons.
  CInterfaceSolutions::Instance().Build(GetModuleDirectory());
  const SolutionEntry* english = CInterfaceSolutions::Instance().Find("English");
  ASSERT_NE(nullptr, english);
  SetCurrentSolution(english);
  struct NoSolution {
    ~NoSolution() { SetCurrentSolution(nullptr); }
  } noSolution;
  LoggedIn(1, 2);
  Open();
  HTREEITEM channel = panel.FindChannelItem(0, 1);
  ASSERT_NE(nullptr, channel);
  panel.Tree().SelectItem(channel);
  HWND record = panel.SkinButton(1).m_hWnd, manage = panel.SkinButton(0).m_hWnd;
  HWND connectAll = ::GetDlgItem(panel.m_hWnd, IDC_DEVICE_CONNECT_ALL);
  ASSERT_NE(nullptr, connectAll);
  struct Row {
    uint32_t rights;
    bool record, connect;
  } rows[] = {{0xFFFFFFFFu, true, true},
              {kRightLocalRecord, true, false},
              {kRightLocalConnect, false, true},
              {0, false, false},
              {kRightLocalRecord | kRightLocalConnect, true, true}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.rights);
    g_userRights = r.rights;
    panel.FollowRights();
    EXPECT_EQ(r.record, ::IsWindowEnabled(record) != FALSE);
    EXPECT_EQ(r.connect, ::IsWindowEnabled(manage) != FALSE);
    EXPECT_EQ(r.connect, ::IsWindowEnabled(connectAll) != FALSE);
  }
  g_userRights = 0xFFFFFFFF;
}

TEST_F(DevicePanelTest, RecordingSlotKeepsItsMainStreamWhenItsViewCloses) {
  LoggedIn(1, 1);
  Open();
  panel.ToggleChannelView(panel.FindChannelItem(0, 0));
  fake.m_channels[0].manualRecord = 1;
  panel.UpdateChannelRecordMark(0);
  EXPECT_EQ(kCodeChannelShownRecording, panel.ItemCode(panel.FindChannelItem(0, 0)));
  EXPECT_TRUE(windows[0].ButtonIsOn(kButtonRecord));
  panel.ToggleChannelView(panel.FindChannelItem(0, 0));
  EXPECT_EQ(0, Calls("StopMain"));
  EXPECT_EQ(1, Calls("StopSub"));
  EXPECT_EQ(1u, fake.m_channels[0].mainStreamRunning.load());
  EXPECT_EQ(kCodeChannelRecording, panel.ItemCode(panel.FindChannelItem(0, 0)));
  EXPECT_EQ("Video1", std::string(windows[0].GetTitle()));
}

// The mark follows recording by hand and recording by the schedule (the
// writer's recording flag) alike.
TEST_F(DevicePanelTest, RecordMarkFollowsEitherRecordingFlag) {
  LoggedIn(1, 1);
  Open();
  panel.ToggleChannelView(panel.FindChannelItem(0, 0));
  const struct {
    uint32_t manual, recording;
    int code;
  } cases[] = {{1, 0, kCodeChannelShownRecording}, {0, 1, kCodeChannelShownRecording},
               {1, 1, kCodeChannelShownRecording}, {0, 0, kCodeChannelShown}};
  for (const auto& c : cases) {
    fake.m_channels[0].manualRecord = c.manual;
    fake.m_channels[0].recording = c.recording;
    panel.UpdateChannelRecordMark(0);
    EXPECT_EQ(c.code, panel.ItemCode(panel.FindChannelItem(0, 0))) << c.manual << c.recording;
    EXPECT_EQ(c.code == kCodeChannelShownRecording, windows[0].ButtonIsOn(kButtonRecord) != FALSE);
  }
}

TEST_F(DevicePanelTest, WindowNumbersFromMessagesAreChecked) {
  LoggedIn(1, 1);
  Open();
  panel.ToggleChannelView(panel.FindChannelItem(0, 0));
  const size_t before = fake.Calls().size();
  panel.SendMessage(WM_MONITOR_BUTTON, 36, kButtonClose);
  panel.SendMessage(WM_MONITOR_BUTTON, WPARAM(-1), kButtonClose);
  panel.SendMessage(WM_MONITOR_PRESS, 0, 99);
  panel.SendMessage(WM_MONITOR_DROP, 0, MAKELONG(5, 5));
  EXPECT_EQ(before, fake.Calls().size());
  EXPECT_EQ(1, fake.m_windows[0].Count());
  // Window 0's close button takes the channel out.
  panel.SendMessage(WM_MONITOR_BUTTON, 0, kButtonClose);
  EXPECT_EQ(0, fake.m_windows[0].Count());
}

TEST_F(DevicePanelTest, MovingVideoSwapsWindowsAndNothingBetweenEmptyOnes) {
  LoggedIn(1, 2);
  Open();
  panel.ToggleChannelView(panel.FindChannelItem(0, 0));   // window 0
  const size_t before = fake.Calls().size();
  panel.MoveWindowVideo(4, 5);
  panel.MoveWindowVideo(0, 0);
  EXPECT_EQ(before, fake.Calls().size());
  panel.MoveWindowVideo(0, 4);
  EXPECT_EQ(0, fake.m_windows[0].Count());
  EXPECT_EQ(0, fake.m_windows[4].CurrentSlot());
  EXPECT_EQ(4, fake.m_channels[0].window.load());
  EXPECT_EQ(4, ChannelItemData::Window(panel.Tree().GetItemData(panel.FindChannelItem(0, 0))));
  EXPECT_EQ("No video", std::string(windows[0].GetTitle()));
  EXPECT_EQ("dev0 - Channel-01", std::string(windows[4].GetTitle()));
}

}  // namespace
