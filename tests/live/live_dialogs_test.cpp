// Connect Server, Device Search and the alarm view under Xvfb: the device
// table's refusals, a login run through the SDK, the search and the alarms
// from devsim on the device network over the UDP command channel.
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
#include "local_dialogs_resource.h"
#include "post_copy.h"
#include "settings.h"
#include "udp_channel.h"

namespace {

std::string TempDir(const char* tag) {
  char base[MAX_PATH];
  ::GetTempPathA(MAX_PATH, base);
  std::string dir = std::string(base) + "live_" + tag + "_" + std::to_string(::GetCurrentProcessId()) + "\\";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> out;
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone)) return out;
  out.resize(size_t(f.GetLength()));
  if (!out.empty()) out.resize(f.Read(out.data(), UINT(out.size())));
  return out;
}

// The main dialog's face writing SysCfg.dat when asked to save.
class SavingMain : public FakeMainDlg {
public:
  std::string dir;
  BOOL SaveConfig() override { return shell::SaveSysConfig(*m_pConfig, dir.c_str()); }
};

void UseRecord(shell::DeviceRecord& d, const char* address, uint32_t state) {
  std::memset(&d, 0, sizeof d);
  d.inUse = 1;
  lstrcpynA(d.address, address, sizeof d.address);
  lstrcpynA(d.serverName, address, sizeof d.serverName);
  lstrcpyA(d.userName, "admin");
  lstrcpyA(d.password, "tulip");
  d.state = state;
}

}  // namespace

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

// ------------------------------------------------ over the device network
namespace {

// Counts the announcements the dispatch hands on.
struct Counter : shell::UdpReceiver {
  int announcements = 0;
  void OnAnnouncement(const std::string&, const uint8_t*) override { ++announcements; }
};
// The datagrams go to the receivers registered with the main dialog's face,
// as the main dialog hands them on.
FakeMainDlg* g_main = nullptr;

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_UDP_PACKET) {
    if (g_main) CUdpCommandChannel::HandlePosted(l, g_main->m_udpReceivers);
    else TakePostedCopy<UdpPacket>(l);
    return 0;
  }
  return ::DefWindowProcA(h, msg, w, l);
}

class DeviceNetwork : public ::testing::Test {
protected:
  devnet::Network net;
  HWND owner = nullptr;
  CUdpCommandChannel channel;
  FakeMainDlg main;
  Counter counter;
  void SetUp() override {
    if (!net.available) GTEST_SKIP() << net.reason;
    ASSERT_GE(net.devices.size(), 2u);
    gui::InitControls();
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "LiveUdpOwner";
    ::RegisterClassA(&wc);
    owner = ::CreateWindowA("LiveUdpOwner", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(owner);
    g_main = &main;
    main.RegisterUdpReceiver(&counter);
    CUdpCommandChannel::Options fast;
    fast.startDelayMs = 0;
    fast.bindDelayMs = 0;
    ASSERT_TRUE(channel.Start(owner, fast));
    // Port 8001 may still be held by a program that is ending: the channel
    // tries again.
    ASSERT_TRUE(gui::PumpUntil([&] { return channel.IsBound() != FALSE; }, 30000));
  }
  void TearDown() override {
    channel.Stop();
    g_main = nullptr;
    if (owner) ::DestroyWindow(owner);
  }
  void Send(const std::string& device, const std::string& command) {
    ASSERT_EQ(devnet::Control(device, command), "ok") << command;
  }
};

}  // namespace

TEST_F(DeviceNetwork, SearchListsAnnouncementsAndAddsServers) {
  shell::SystemConfigImage& image = *main.m_pConfig;
  const std::string dev0 = net.devices[0], dev1 = net.devices[1];
  // dev1 is in the table already.
  UseRecord(image.devices[0], dev1.c_str(), 0);
  // Connect Server opens the search and forwards announcements to it.
  CConnectServerDlg connect;
  ASSERT_TRUE(connect.Create(CConnectServerDlg::IDD, nullptr));
  gui::Click(connect.m_hWnd, IDC_CS_SEARCH);
  CDeviceSearchDlg* search = connect.SearchDialog();
  ASSERT_TRUE(search && search->GetSafeHwnd());
  HWND dlg = search->m_hWnd;

  Send(dev0, "announce " + dev0 + " " + net.client);
  Send(dev1, "announce " + dev1 + " " + net.client);
  Send(dev0, "announce " + dev0 + " " + net.client);
  ASSERT_TRUE(gui::PumpUntil([&] { return counter.announcements >= 3; }, 10000));
  ASSERT_EQ(gui::ListCount(dlg, IDC_DS_LIST), 2) << "one row per address";
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 0, 0), "1");
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 0, 1), dev0);
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 0, 2), "36688");
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 0, 3), "8001");
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 0, 4).rfind("DEVSIM-", 0), 0u);
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 0, 5), "4");
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 1, 0), "2");
  EXPECT_EQ(gui::ListText(dlg, IDC_DS_LIST, 1, 1), dev1);

  // A 200-byte announcement from another sender is ignored entirely.
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(8001);
  to.sin_addr.s_addr = ::inet_addr(net.client.c_str());
  std::vector<char> shortOne(200, 0);
  shortOne[0] = 1;
  shortOne[1] = 1;
  ::sendto(s, shortOne.data(), int(shortOne.size()), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  ::closesocket(s);
  gui::PumpUntil([&] { return channel.ReceivedCount() >= 4; }, 5000);
  gui::PumpFor(300);
  EXPECT_EQ(counter.announcements, 3);
  EXPECT_EQ(gui::ListCount(dlg, IDC_DS_LIST), 2);

  gui::Click(dlg, IDC_DS_CHECK_ALL);
  gui::SetText(dlg, IDC_DS_USER, "admin");
  gui::SetText(dlg, IDC_DS_PASSWORD, "tulip");
  gui::SaveWindowBitmap(dlg, gui::OutputPath("device_search.bmp"));
  gui::Click(dlg, IDC_DS_ADD);
  EXPECT_FALSE(::IsWindow(dlg)) << "the search closes after Add";
  // dev0 added, dev1 skipped (already present).
  EXPECT_EQ(live::FindDeviceByAddress(image, dev1.c_str()), 0);
  int added = live::FindDeviceByAddress(image, dev0.c_str());
  ASSERT_EQ(added, 1);
  const shell::DeviceRecord& d = image.devices[added];
  EXPECT_EQ(d.streamPort, 36688);
  EXPECT_STREQ(d.serverName, dev0.c_str());
  EXPECT_STREQ(d.userName, "admin");
  EXPECT_EQ(d.channelCount, 4);
  for (int c = 0; c < 4; ++c) {
    char want[16];
    wsprintfA(want, "Channel-%02d", c + 1);
    EXPECT_STREQ(shell::ChannelName(d, c), want);
  }
  EXPECT_EQ(image.devices[2].inUse, 0u);
  EXPECT_EQ(gui::ListCount(connect.m_hWnd, IDC_CS_LIST), 2) << "the server list shows the new server";
  // A search made again after its window went.
  gui::Click(connect.m_hWnd, IDC_CS_SEARCH);
  ASSERT_TRUE(connect.SearchDialog() && connect.SearchDialog()->GetSafeHwnd());
  EXPECT_EQ(gui::ListCount(connect.SearchDialog()->m_hWnd, IDC_DS_LIST), 0);
  connect.DestroyWindow();
}

TEST_F(DeviceNetwork, AlarmsFromDevsimFillTheView) {
  shell::SystemConfigImage& image = *main.m_pConfig;
  const std::string dev0 = net.devices[0], dev1 = net.devices[1];
  shell::DeviceRecord& d = image.devices[4];
  UseRecord(d, dev0.c_str(), 3);
  lstrcpyA(d.serverName, "Gate");
  d.loginId = 7;
  d.channelCount = 4;
  shell::NameChannels(d, "Channel");
  int slot = main.m_channels.Assign(&d, 0);
  ASSERT_GE(slot, 0);

  CAlarmUploadDlg view;
  ASSERT_TRUE(view.Create(CAlarmUploadDlg::IDD, nullptr));
  HWND dlg = view.m_hWnd;
  EXPECT_EQ(gui::Text(dlg), "Remote Alarm Upload Info");
  gui::Click(dlg, IDC_AU_AUTO_POPUP);
  EXPECT_FALSE(::IsWindowVisible(dlg));

  // Motion end first: a row, no pop-up, no sound.
  Send(dev0, "alarm " + dev0 + " " + net.client + " 1 0 0");
  ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_AU_LIST) == 1; }, 10000));
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 0, 5), "End");
  EXPECT_FALSE(::IsWindowVisible(dlg));
  EXPECT_EQ(AlarmSoundsPlaying(), 0);
  // An unknown sender adds nothing.
  Send(dev1, "alarm " + dev1 + " " + net.client + " 1 0 1");
  // Motion begin on channel 0: the row and the pop-up.
  Send(dev0, "alarm " + dev0 + " " + net.client + " 1 0 1");
  ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_AU_LIST) == 2; }, 10000));
  gui::PumpFor(300);
  ASSERT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 2);
  const char* want[] = {"Motion Detection", dev0.c_str(), "Gate", "Channel-01", "Begin"};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 1, c + 1), want[c]) << c;
  EXPECT_TRUE(::IsWindowVisible(dlg)) << "auto pop-up";
  // A probe alarm of another kind: type 16 shows "Unknown Type", flags kept.
  Send(dev0, "alarm " + dev0 + " " + net.client + " 9 0 1");
  ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(dlg, IDC_AU_LIST) == 3; }, 10000));
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 2, 1), "Unknown Type");
  gui::SaveWindowBitmap(dlg, gui::OutputPath("alarm_upload.bmp"));

  // Save writes one line per row, tab-separated, CR LF ended.
  std::string path = TempDir("alarms") + "alarms.log";
  ASSERT_TRUE(view.SaveToFile(path.c_str()));
  std::vector<unsigned char> bytes = ReadFile(path);
  std::string text(bytes.begin(), bytes.end());
  std::string second = gui::ListText(dlg, IDC_AU_LIST, 1, 0) + "\tMotion Detection\t" + dev0 + "\tGate\tChannel-01\tBegin\r\n";
  EXPECT_NE(text.find(second), std::string::npos) << text;
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 3u);

  // Watch: the alarm video of the selected row.
  CAlarmVideoDlg video;
  ASSERT_TRUE(video.Create(CAlarmVideoDlg::IDD, nullptr));
  view.m_alarmVideo = &video;
  gui::SelectListItem(dlg, IDC_AU_LIST, 1);
  gui::Click(dlg, IDC_AU_WATCH);
  EXPECT_EQ(gui::Text(video.m_hWnd), "Alarm Video  :  [Gate] - [Channel-01]");
  video.DestroyWindow();

  // The list keeps 1,000 rows: the oldest goes when one is added.
  for (int i = 0; i < 1000; ++i) view.AddAlarm(2, 7, 0, 0);
  EXPECT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 1000);
  EXPECT_EQ(gui::ListText(dlg, IDC_AU_LIST, 0, 5), "End");
  view.AddAlarm(2, 99, 0, 0);   // unknown login id: nothing removed
  EXPECT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 1000);
  gui::MessageBoxScript boxes({IDYES});
  gui::Click(dlg, IDC_AU_CLEAR);
  EXPECT_EQ(gui::ListCount(dlg, IDC_AU_LIST), 0);
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
