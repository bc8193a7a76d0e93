// The device search and the alarm view over the UDP command channel, fed by
// devsim on the device network (its own namespace and Wine session).
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
    else CUdpCommandChannel::HandlePosted(l);
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

  view.DestroyWindow();
}

