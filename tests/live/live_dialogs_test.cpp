// Connect Server under Xvfb: the device table's refusals, a login run
// through the SDK, the close that saves SysCfg.dat; the alarm sounds' choice.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "alarm_sound.h"
#include "alarm_upload_dlg.h"
#include "alarm_video_dlg.h"
#include "app_services.h"
#include "channel_blocks.h"
#include "config_store.h"
#include "connect_server_dlg.h"
#include "core/Orvik.h"
#include "devnet_kit.h"
#include "device_search_dlg.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "live_fixture.h"
#include "local_dialogs_resource.h"
#include "post_copy.h"
#include "settings.h"
#include "udp_channel.h"

using namespace live_test;

TEST(ConnectServerDlg, TableRefusalsLoginRunAndSave) {
  gui::InitControls();
  ASSERT_EQ(NET_Init(), 1);
  devnet::Network net;
  const std::string device = net.available ? net.devices[0] : "127.0.0.1";
  SavingMain main;
  main.dir = TempDir("connect");
  shell::SystemConfigImage& image = *main.m_pConfig;
  for (int i = 0; i < 36; ++i) {
    char a[32];
    wsprintfA(a, "10.9.0.%d", i);
    UseRecord(image.devices[i], a, 0);
  }
  gui::MessageBoxScript boxes({}, IDYES);
  gui::ModalRunner<CConnectServerDlg> run;
  HWND dlg = run.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  EXPECT_EQ(gui::Text(dlg), "Connect Server");
  EXPECT_EQ(gui::ListCount(dlg, IDC_CS_LIST), 36);
  EXPECT_EQ(gui::ListText(dlg, IDC_CS_LIST, 0, 4), "********");
  EXPECT_EQ(gui::ListText(dlg, IDC_CS_LIST, 0, 5), "TCP");

  // The 37th server.
  gui::Click(dlg, IDC_CS_ADD);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Already reach maximum server entries!");

  // Room again: an address already present is refused, nothing stored.
  for (int i = 3; i < 36; ++i) std::memset(&image.devices[i], 0, sizeof image.devices[i]);
  UseRecord(image.devices[1], "nohost.invalid", 0);
  UseRecord(image.devices[2], "10.9.0.2", 4);
  gui::Click(dlg, IDOK);
  ASSERT_TRUE(run.Wait(5000));
  gui::ModalRunner<CConnectServerDlg> run2;
  dlg = run2.WaitForWindow(5000);
  ASSERT_TRUE(dlg);
  ASSERT_EQ(gui::ListCount(dlg, IDC_CS_LIST), 3);
  gui::PostClick(dlg, IDC_CS_ADD);
  HWND info = gui::FindThreadWindow(::GetWindowThreadProcessId(dlg, nullptr), "Add Server", 5000);
  ASSERT_TRUE(info);
  EXPECT_EQ(gui::Text(info, IDC_SERVER_PORT), "36688");
  gui::SetText(info, IDC_SERVER_ADDRESS, "10.9.0.2");
  gui::SetText(info, IDC_SERVER_NAME, "Again");
  gui::SetText(info, IDC_SERVER_USER, "admin");
  gui::SetText(info, IDC_SERVER_PASSWORD, "tulip");
  gui::Click(info, IDOK);
  ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 2; }, 5000));
  EXPECT_EQ(boxes.Boxes()[1].text, "Server 10.9.0.2 is already existent!");
  EXPECT_EQ(image.devices[3].inUse, 0u);

  // A devsim device with no channel count: stored with one named channel.
  gui::PostClick(dlg, IDC_CS_ADD);
  info = gui::FindThreadWindow(::GetWindowThreadProcessId(dlg, nullptr), "Add Server", 5000);
  ASSERT_TRUE(info);
  gui::SetText(info, IDC_SERVER_ADDRESS, device.c_str());
  gui::SetText(info, IDC_SERVER_NAME, "Gate");
  gui::SetText(info, IDC_SERVER_USER, "admin");
  gui::SetText(info, IDC_SERVER_PASSWORD, "tulip");
  gui::Click(info, IDOK);
  ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_CS_LIST) == 4; }, 5000));
  shell::DeviceRecord& added = image.devices[3];
  EXPECT_STREQ(added.address, device.c_str());
  EXPECT_EQ(added.channelCount, 1);
  EXPECT_EQ(added.streamPort, 36688);
  EXPECT_STREQ(shell::ChannelName(added, 0), "Channel-01");

  // Connect over rows 1..3: nohost.invalid, the connected one, the device.
  for (int row = 1; row < 4; ++row) gui::SelectListItem(dlg, IDC_CS_LIST, row);
  RECT before;
  ::GetWindowRect(dlg, &before);
  gui::Click(dlg, IDC_CS_CONNECT);
  ASSERT_TRUE(gui::PumpUntil(
      [&] { return ::IsWindowEnabled(dlg) && ::SendMessageA(gui::Control(dlg, IDC_CS_PROGRESS), PBM_GETPOS, 0, 0) == 100; },
      60000));
  RECT after;
  ::GetWindowRect(dlg, &after);
  EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), 100) << "grown by the progress area";
  std::string log = gui::Text(dlg, IDC_CS_LOG);
  EXPECT_NE(log.find("Connecting: [nohost.invalid]\r\nInitialization Device [nohost.invalid] failed! Error Info: "),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Connecting: [" + device + "]\r\nInitialization Device [" + device + "] Success!"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("10.9.0.2"), std::string::npos) << "the connected server is skipped";
  EXPECT_EQ(added.state, 3u);
  EXPECT_GT(added.loginId, 0u);
  EXPECT_NE(added.resolvedIp, 0u);
  EXPECT_EQ(image.devices[1].state, 0u);
  EXPECT_TRUE(main.m_savedStateFlag);
  gui::SaveWindowBitmap(dlg, gui::OutputPath("connect_server.bmp"));

  // Deleting logged-in or connected servers is refused; the offline one goes.
  for (int row = 0; row < 4; ++row) gui::SelectListItem(dlg, IDC_CS_LIST, row);
  size_t boxesBefore = boxes.Count();
  gui::Click(dlg, IDC_CS_DELETE);
  std::vector<gui::MessageBoxScript::Box> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), boxesBefore + 3);
  EXPECT_EQ(shown[boxesBefore].text, "Are you sure you want to delete server you have selected?");
  EXPECT_EQ(shown[boxesBefore + 1].text, "Server is in connection state, please disconnect it first!");
  EXPECT_EQ(shown[boxesBefore + 2].text, "Server is in connection state, please disconnect it first!");
  EXPECT_EQ(image.devices[0].inUse, 0u);
  EXPECT_EQ(image.devices[1].inUse, 0u);
  EXPECT_EQ(image.devices[2].inUse, 1u);
  EXPECT_EQ(added.inUse, 1u);
  EXPECT_EQ(gui::ListCount(dlg, IDC_CS_LIST), 2);

  // Disconnect ends the login; then it may go.
  for (int row = 0; row < 2; ++row) gui::SelectListItem(dlg, IDC_CS_LIST, row);
  gui::Click(dlg, IDC_CS_DISCONNECT);
  EXPECT_EQ(added.state, 0u);
  EXPECT_EQ(added.loginId, 0u);

  // Closing saves SysCfg.dat: the image as it is now.
  gui::Click(dlg, IDCANCEL);
  ASSERT_TRUE(run2.Wait(5000));
  std::vector<unsigned char> file = ReadFile(main.dir + "SysCfg.dat");
  ASSERT_EQ(file.size(), sizeof image);
  const shell::SystemConfigImage* saved = reinterpret_cast<const shell::SystemConfigImage*>(file.data());
  EXPECT_STREQ(saved->devices[3].address, device.c_str());
  EXPECT_EQ(saved->devices[0].inUse, 0u);
  NET_Cleanup();
}

// The alarm list keeps 1,000 rows: the oldest goes only when a row is added,
// never for an alarm whose sender is unknown.
TEST(AlarmUploadDlg, ThousandRowsAndClearAll) {
  gui::InitControls();
  FakeMainDlg main;
  shell::DeviceRecord& d = main.m_pConfig->devices[4];
  UseRecord(d, "169.254.9.2", 3);
  d.loginId = 7;
  d.channelCount = 1;
  shell::NameChannels(d, "Channel");
  CAlarmUploadDlg view;
  ASSERT_TRUE(view.Create(CAlarmUploadDlg::IDD, nullptr));
  HWND dlg = view.m_hWnd;
  view.AddAlarm(2, 7, 0, 1);
  for (int i = 0; i < 999; ++i) view.AddAlarm(2, 7, 0, 0);
  ASSERT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 1000);
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 0, 5), "Begin");
  view.AddAlarm(2, 99, 0, 1);   // unknown login id: nothing removed
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 0, 5), "Begin");
  view.AddAlarm(4, 7, 0, 0);
  EXPECT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 1000);
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 0, 5), "End") << "the oldest row went";
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 999, 1), "Hardware Probe");
  gui::MessageBoxScript boxes({IDNO, IDYES});
  gui::Click(dlg, IDC_AU_CLEAR);
  EXPECT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 1000) << "No keeps the rows";
  gui::Click(dlg, IDC_AU_CLEAR);
  EXPECT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 0);
  ASSERT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Are you sure you want to clear all alarm info?");
  EXPECT_EQ(boxes.Boxes()[0].caption, "WARNING");
  view.DestroyWindow();
}

TEST(AlarmSounds, FileChosenByTypeAndSwitches) {
  CorvelSettings s;
  s.lostSoundFile = "lost.wav";
  s.motionSoundFile = "motion.wav";
  s.probeSoundFile = "probe.wav";
  s.lostSound = s.motionSound = s.probeSound = s.beep = 0;
  struct Case {
    int type, beep, motion;
    const char* want;
  } cases[] = {
      {1, 0, 0, ""}, {1, 1, 0, "lost.wav"}, {2, 0, 0, ""}, {2, 0, 1, "motion.wav"}, {4, 1, 0, "probe.wav"},
      {8, 0, 0, "motion.wav"}, {16, 1, 1, ""},
  };
  for (const Case& c : cases) {
    s.beep = c.beep;
    s.motionSound = c.motion;
    EXPECT_EQ(AlarmSoundFile(c.type, s), c.want) << c.type;
  }
  EXPECT_STREQ(AlarmTypeText(8), "Manual Alarm");
  EXPECT_STREQ(AlarmTypeText(3), "Unknown Type");
}
