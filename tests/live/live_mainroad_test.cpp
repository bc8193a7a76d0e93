// The client's main road under Xvfb: SysCfg.dat with two devices served by
// devsim on loopback addresses, the device panel logs them in, a double
// click on a channel starts its streams and the monitor window shows the
// clip; a second double click closes it. Then four windows play at once.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "DeviceSimulator.h"
#include "RecordDisks.h"
#include "RecordPlaybackDlg.h"
#include "RecordResource.h"
#include "live_resource.h"
#include "annexb.h"
#include "app_state.h"
#include "channel_blocks.h"
#include "config_store.h"
#include "notice_main_dlg.h"
#include "ffmpeg_api.h"
#include "gui_kit.h"
#include "helpers.h"
#include "language.h"
#include "main_dlg.h"
#include "shell_fixture.h"
#include "side_panels_resource.h"
#include "user_rights.h"
#include "device_panel_face.h"
#include "devnet_kit.h"
#include "window_helpers.h"
#include "card_pictures.h"
#include "card_resource.h"
#include "shell_resource.h"
#include "switch_mode_resource.h"

namespace {

class TestMainDlg : public NoticeRecordingMainDlg<TestMainDlg> {
public:
  CRecordPlaybackDlg* Playback() { return m_playback.get(); }
};

std::string Data(const char* name) { return std::string(SELVANE_TEST_DATA) + "/" + name; }

struct Picture {
  int w = 0, h = 0;
  std::vector<uint32_t> rgb;   // 0x00RRGGBB
};

// The clip's pictures, converted with BT.601 limited range.
std::vector<Picture> Decode(const std::string& clip) {
  std::vector<Picture> out;
  intptr_t dec = ffmpeg_h264_init();
  for (const auto& u : testsupport::SplitAccessUnits(testsupport::ReadFileBytes(clip))) {
    int got = 0;
    FfmpegPicture p{};
    ffmpeg_h264_decode(dec, u.data(), int(u.size()), &got, &p);
    if (!got) continue;
    Picture f;
    f.w = p.width, f.h = p.height;
    f.rgb.resize(size_t(p.width) * p.height);
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        int c = (y / 2) * (p.width / 2) + x / 2;
        double Y = 1.164 * (p.y[y * p.width + x] - 16), U = p.u[c] - 128.0, V = p.v[c] - 128.0;
        auto clamp = [](double v) { return uint32_t(std::min(255.0, std::max(0.0, v))); };
        f.rgb[size_t(y) * p.width + x] =
            clamp(Y + 1.596 * V) << 16 | clamp(Y - 0.392 * U - 0.813 * V) << 8 | clamp(Y + 2.017 * U);
      }
    out.push_back(std::move(f));
    if (out.size() >= 60) break;
  }
  ffmpeg_h264_Release(dec);
  return out;
}

// Mean difference per colour component between the video area and the
// nearest of the clip's pictures, sampled on a grid and scaled.
double BestDifference(HWND video, const std::vector<Picture>& ref) {
  int W = 0, H = 0;
  std::vector<uint32_t> px = playtest::ReadWindow(video, &W, &H);
  if (W < 16 || H < 16) return 1e9;
  double best = 1e9;
  for (const Picture& f : ref) {
    double diff = 0;
    int n = 0;
    for (int gy = 1; gy < 16; ++gy)
      for (int gx = 1; gx < 16; ++gx) {
        int x = gx * W / 16, y = gy * H / 16;
        uint32_t q = px[size_t(y) * W + x];
        uint32_t r = f.rgb[size_t(y * f.h / H) * f.w + size_t(x * f.w / W)];
        for (int s = 0; s < 24; s += 8) diff += std::abs(int(q >> s & 255) - int(r >> s & 255));
        n += 3;
      }
    best = std::min(best, diff / n);
  }
  return best;
}

shell::LocalUserRecord Admin() {
  shell::LocalUserRecord u{};
  u.inUse = 1;
  lstrcpynA(u.name, "admin", sizeof u.name);
  u.levelMask = 0xFFFFFFFF;
  u.rightsMask = 0xFFFFFFFF;
  return u;
}

struct DeviceSpec {
  std::string address;
  uint16_t port;
  const char* name;
  int channels;
};

// A program folder with the default solution and SysCfg.dat listing the
// devices, and the main dialog started on it.
class LiveFixture : public ::testing::Test {
protected:
  void PrepareFolder(const std::vector<DeviceSpec>& devices) {
    gui::InitControls();
    ScratchDir::CopyTree(GetModuleDirectory() + "Language\\", dir / "Language\\");
    ScratchDir::WriteText(dir / "Corvel.ini", "[General]\r\nLanguage=English\r\nSubMonRecDisk=32768\r\n");
    CInterfaceSolutions::Instance().Build(dir.Path());
    ASSERT_TRUE(CInterfaceSolutions::Instance().Choose(dir / "Corvel.ini"));
    auto image = std::make_unique<shell::SystemConfigImage>();
    shell::ResetSysConfig(*image);
    for (size_t i = 0; i < devices.size(); ++i) {
      shell::DeviceRecord& d = image->devices[i];
      d.inUse = 1;
      lstrcpynA(d.address, devices[i].address.c_str(), sizeof d.address);
      lstrcpynA(d.serverName, devices[i].name, sizeof d.serverName);
      lstrcpynA(d.userName, "admin", sizeof d.userName);
      d.streamPort = devices[i].port;
      d.channelCount = uint8_t(devices[i].channels);
    }
    ASSERT_TRUE(shell::SaveSysConfig(*image, dir.Path()));
    ref = Decode(Data("cif_aud.264"));
    ASSERT_FALSE(ref.empty());
  }
  void TearDown() override {
    if (run && run->Dialog()) {
      gui::MessageBoxScript yes({}, IDYES);
      ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
      run->Wait(30000);
    }
    run.reset();
    SetCurrentSolution(nullptr);
  }
  // udpPort 0: no command socket; notices are only recorded.
  HWND Start(UINT udpPort = 0) {
    CString path = dir.Path();
    run = std::make_unique<gui::ModalRunner<TestMainDlg>>([path, udpPort](TestMainDlg& d) {
      d.m_programDir = path;
      d.m_udpPort = udpPort;
      d.m_sendNotices = udpPort != 0;
      d.m_logicalDrives = [] { return ::GetLogicalDrives() | 0x38000u; };
      d.SetLoggedInUser(0, Admin());
      g_userRights = 0xFFFFFFFF;
    });
    hwnd = run->WaitForWindow(60000);
    if (hwnd) gui::PumpFor(300);
    return hwnd;
  }
  TestMainDlg* Dlg() { return run->Dialog(); }
  void DoubleClick(int r, int ch) {
    Dlg()->Run([&](TestMainDlg& d) { d.DevicePanel().OnItemActivated(d.DevicePanel().FindChannelItem(r, ch)); });
  }
  std::string Title(int w) {
    std::string t;
    Dlg()->Run([&](TestMainDlg& d) { t = static_cast<LPCSTR>(d.Monitor(w).GetTitle()); });
    return t;
  }
  bool ShowsTheClip(int w) {
    HWND video = nullptr;
    Dlg()->Run([&](TestMainDlg& d) { video = d.Monitor(w).GetVideoHwnd(); });
    double best = 1e9;
    bool ok = gui::PumpUntil([&] { return (best = BestDifference(video, ref)) < 24.0; }, 60000);
    if (!ok) ADD_FAILURE() << "window " << w << " differs from the clip by " << best;
    return ok;
  }

  ScratchDir dir{"liveroad"};
  std::unique_ptr<gui::ModalRunner<TestMainDlg>> run;
  HWND hwnd = nullptr;
  std::vector<Picture> ref;
};

// Two devsim devices on loopback addresses (RTSP only): "server" with one
// channel, "four" with four.
class LiveMainRoad : public LiveFixture {
protected:
  void SetUp() override {
    for (int i = 0; i < 2; ++i) {
      devsim::Config c;
      c.address = i == 0 ? "127.0.26.1" : "127.0.26.2";
      c.mainClip = Data("cif_noaud.264");
      c.subClip = Data("cif_aud.264");
      c.audioFile = Data("tone.pcma");
      sims[i] = std::make_unique<devsim::Simulator>(c);
      ASSERT_TRUE(sims[i]->Start());
    }
    PrepareFolder({{sims[0]->config().address, sims[0]->Port(), "server", 1},
                   {sims[1]->config().address, sims[1]->Port(), "four", 4}});
  }
  void TearDown() override {
    LiveFixture::TearDown();
    for (auto& s : sims)
      if (s) s->Stop();
  }
  bool Requested(int sim, const char* name) {
    for (const std::string& r : sims[sim]->Requests())
      if (r.find(name) != std::string::npos) return true;
    return false;
  }
  std::unique_ptr<devsim::Simulator> sims[2];
};

TEST_F(LiveMainRoad, DoubleClickedChannelPlaysInAMonitorWindowAndStopsAgain) {
  ASSERT_NE(nullptr, Start());
  // The panel logged both devices in at its opening: their channel items.
  std::vector<std::string> tree;
  Dlg()->Run([&](TestMainDlg& d) {
    CTreeCtrlEx& t = d.DevicePanel().Tree();
    for (HTREEITEM dev = t.GetRootItem(); dev; dev = t.GetNextSiblingItem(dev)) {
      tree.push_back(static_cast<LPCSTR>(t.GetItemText(dev)));
      for (HTREEITEM c = t.GetChildItem(dev); c; c = t.GetNextSiblingItem(c))
        tree.push_back("  " + std::string(t.GetItemText(c)));
    }
  });
  std::vector<std::string> want = {"server", "  Channel-01", "four", "  Channel-01", "  Channel-02",
                                   "  Channel-03", "  Channel-04"};
  EXPECT_EQ(want, tree);
  Dlg()->Run([&](TestMainDlg& d) {
    EXPECT_EQ(3u, d.m_pConfig->devices[0].state);
    EXPECT_EQ(5, d.m_channels.UsedCount());
    EXPECT_EQ(kCodeDeviceConnected, d.DevicePanel().ItemCode(d.DevicePanel().FindDeviceItem(0)));
  });

  DoubleClick(0, 0);
  EXPECT_EQ("server - Channel-01", Title(0));
  HWND panel = nullptr;
  Dlg()->Run([&](TestMainDlg& d) { panel = d.DevicePanel().m_hWnd; });
  gui::PumpFor(300);
  EXPECT_TRUE(gui::SaveWindowBitmap(panel, gui::OutputPath("device_panel.bmp")));
  EXPECT_TRUE(gui::PumpUntil([&] { return Requested(0, "ch00_00") && Requested(0, "ch00_01"); }, 10000));
  std::vector<StreamNotice> n = Dlg()->Notices();
  ASSERT_EQ(2u, n.size());
  EXPECT_EQ(0, n[0].kind);
  EXPECT_EQ(1, n[1].kind);
  EXPECT_EQ("127.0.26.1", n[0].address);
  Dlg()->Run([&](TestMainDlg& d) {
    EXPECT_EQ(4u, d.m_pConfig->devices[0].state);
    EXPECT_EQ(kCodeChannelShown, d.DevicePanel().ItemCode(d.DevicePanel().FindChannelItem(0, 0)));
    EXPECT_TRUE(d.DevicePanel().Tree().GetCheck(d.DevicePanel().FindChannelItem(0, 0)));
  });

  // The window's video area shows the clip.
  ShowsTheClip(0);

  // The panel is the face Connect Server and the preview plans reach; its
  // title buttons keep the main dialog's sound and talkback flags with the
  // window's looks.
  Dlg()->Run([&](TestMainDlg& d) {
    CDeviceDlg& p = d.DevicePanel();
    EXPECT_EQ(static_cast<CDevicePanelFace*>(&p), g_pDeviceDlg);
    for (bool on : {true, false}) {
      p.OnMonitorButton(0, kButtonAudio);
      p.OnMonitorButton(0, kButtonTalkback);
      EXPECT_EQ(on, d.WindowSound(0) != FALSE);
      EXPECT_EQ(on, d.Monitor(0).ButtonIsOn(kButtonAudio) != FALSE);
      EXPECT_EQ(on, d.WindowTalkback(0) != FALSE);
      EXPECT_EQ(on, d.Monitor(0).IsTalkbackOn() != FALSE);
      EXPECT_EQ(on, d.TalkbackActive() != FALSE);
      EXPECT_EQ(on ? 1u : 0u, d.m_channels[0].talkback.load());
    }
  });

  // With another window current, a double click only makes the channel's
  // window current; the next one closes it.
  Dlg()->Run([&](TestMainDlg& d) { d.SelectMonitorWindow(5); });
  DoubleClick(0, 0);
  Dlg()->Run([&](TestMainDlg& d) {
    EXPECT_EQ(0, d.GetCurrentWindow());
    EXPECT_EQ(1, d.m_windows[0].Count());
  });
  DoubleClick(0, 0);
  EXPECT_EQ("Video1", Title(0));
  Dlg()->Run([&](TestMainDlg& d) {
    EXPECT_EQ(0, d.m_windows[0].Count());
    EXPECT_EQ(0u, d.m_channels[0].subStreamRunning.load());
    EXPECT_EQ(2u, d.m_pConfig->devices[0].state);
    EXPECT_FALSE(d.DevicePanel().Tree().GetCheck(d.DevicePanel().FindChannelItem(0, 0)));
    EXPECT_EQ(kCodeChannelIdle, d.DevicePanel().ItemCode(d.DevicePanel().FindChannelItem(0, 0)));
  });
}

TEST_F(LiveMainRoad, FourWindowsPlayAndADisconnectLeavesTheOthersPlaying) {
  ASSERT_NE(nullptr, Start());
  // Window 0: "server"; windows 1-3: channels of "four".
  for (int w = 0; w < 4; ++w) {
    Dlg()->Run([&](TestMainDlg& d) { d.SelectMonitorWindow(w); });
    if (w == 0) DoubleClick(0, 0);
    else DoubleClick(1, w - 1);
  }
  EXPECT_EQ("four - Channel-03", Title(3));
  for (int w = 0; w < 4; ++w) ShowsTheClip(w);
  gui::PumpFor(500);
  EXPECT_TRUE(gui::SaveWindowBitmap(hwnd, gui::OutputPath("live_four_windows.bmp")));

  // Each side panel opened in turn over the playing windows, and the
  // panels themselves at their size and twice it.
  struct Side {
    const char* name;
    UINT header;
  };
  for (const Side& side : {Side{"ptz", IDC_PTZ_SHOW}, Side{"colour", IDC_COLOR_SHOW}, Side{"plan", IDC_PLAN_SHOW}}) {
    HWND panel = nullptr;
    Dlg()->Run([&](TestMainDlg& d) {
      CWnd& p = side.header == IDC_PTZ_SHOW    ? static_cast<CWnd&>(d.PtzPanel())
                : side.header == IDC_COLOR_SHOW ? static_cast<CWnd&>(d.ColourPanel())
                                                : static_cast<CWnd&>(d.PlanPanel());
      panel = p.m_hWnd;
    });
    ASSERT_NE(nullptr, panel);
    ::SendMessageA(panel, WM_COMMAND, MAKEWPARAM(side.header, BN_CLICKED), LPARAM(::GetDlgItem(panel, int(side.header))));
    gui::PumpFor(300);
    std::string stem = std::string("live_four_windows_") + side.name + "_open";
    EXPECT_TRUE(gui::SaveWindowBitmap(hwnd, gui::OutputPath((stem + ".bmp").c_str())));
    if (side.header != IDC_PLAN_SHOW) {
      EXPECT_TRUE(gui::SaveWindowBitmap(panel, gui::OutputPath((std::string("skin_") + side.name + "_panel.bmp").c_str())));
      EXPECT_TRUE(gui::SaveWindowBitmap(panel, gui::OutputPath((std::string("skin_") + side.name + "_panel_200.bmp").c_str()), 2));
    } else {
      HWND device = nullptr;
      Dlg()->Run([&](TestMainDlg& d) { device = d.DevicePanel().m_hWnd; });
      EXPECT_TRUE(gui::SaveWindowBitmap(device, gui::OutputPath("skin_device_panel.bmp")));
      EXPECT_TRUE(gui::SaveWindowBitmap(device, gui::OutputPath("skin_device_panel_200.bmp"), 2));
    }
  }
  {
    HWND plan = nullptr;
    Dlg()->Run([&](TestMainDlg& d) { plan = d.PlanPanel().m_hWnd; });
    ::SendMessageA(plan, WM_COMMAND, MAKEWPARAM(IDC_PLAN_SHOW, BN_CLICKED), LPARAM(::GetDlgItem(plan, IDC_PLAN_SHOW)));
    gui::PumpFor(100);
  }

  // Disconnecting "server" closes window 0 only; "four" plays on.
  Dlg()->Run([&](TestMainDlg& d) {
    d.DevicePanel().DisconnectDevice(d.DevicePanel().FindDeviceItem(0));
    EXPECT_EQ(0u, d.m_pConfig->devices[0].state);
    EXPECT_EQ(0, d.m_windows[0].Count());
    EXPECT_EQ(1, d.m_windows[1].Count());
    EXPECT_EQ(nullptr, d.DevicePanel().Tree().GetChildItem(d.DevicePanel().FindDeviceItem(0)));
    EXPECT_EQ(nullptr, d.m_channels[0].device.load());
    EXPECT_EQ(4, d.m_channels.UsedCount());
  });
  EXPECT_EQ("Video1", Title(0));
  const auto units = sims[1]->stats().unitsSent.load();
  EXPECT_TRUE(gui::PumpUntil([&] { return sims[1]->stats().unitsSent.load() > units + 20; }, 20000));
  // Connected again, its channel takes the free slot 0.
  Dlg()->Run([&](TestMainDlg& d) {
    d.DevicePanel().ConnectDevice(d.DevicePanel().FindDeviceItem(0));
    EXPECT_EQ(0, d.m_channels.Find(&d.m_pConfig->devices[0], 0));
    EXPECT_EQ(5, d.m_channels.UsedCount());
  });
}

TEST_F(LiveMainRoad, TwoQuickDoubleClicksLogEachDeviceInOnce) {
  ASSERT_NE(nullptr, Start());
  Dlg()->Run([&](TestMainDlg& d) {
    CDeviceDlg& p = d.DevicePanel();
    p.DisconnectDevice(p.FindDeviceItem(0));
    p.DisconnectDevice(p.FindDeviceItem(1));
    // Both double clicks before either worker is done, then a third on a
    // device still logging in.
    p.OnItemActivated(p.FindDeviceItem(0));
    p.OnItemActivated(p.FindDeviceItem(1));
    p.OnItemActivated(p.FindDeviceItem(0));
  });
  auto both = [&] {
    bool done = false;
    Dlg()->Run([&](TestMainDlg& d) {
      done = d.m_pConfig->devices[0].state == 3 && d.m_pConfig->devices[1].state == 3 &&
             !d.DevicePanel().IsConnecting(0) && !d.DevicePanel().IsConnecting(1);
    });
    return done;
  };
  ASSERT_TRUE(gui::PumpUntil(both, 20000));
  gui::PumpFor(300);
  Dlg()->Run([&](TestMainDlg& d) {
    CTreeCtrlEx& t = d.DevicePanel().Tree();
    int counts[2] = {};
    for (int r = 0; r < 2; ++r)
      for (HTREEITEM c = t.GetChildItem(d.DevicePanel().FindDeviceItem(r)); c; c = t.GetNextSiblingItem(c)) ++counts[r];
    EXPECT_EQ(1, counts[0]);
    EXPECT_EQ(4, counts[1]);
    EXPECT_NE(d.m_pConfig->devices[0].loginId, d.m_pConfig->devices[1].loginId);
    EXPECT_EQ(5, d.m_channels.UsedCount());
  });
}

// The device network: "server" at its default port (36688) on the first
// device address; the stream-started notices go out on UDP 8001.
class LiveDeviceNetwork : public LiveFixture {
protected:
  void SetUp() override {
    if (!net.available) GTEST_SKIP() << "no device network: " << net.reason;
    const std::string& dev = net.devices[0];
    ASSERT_EQ("ok", devnet::Control(dev, "clear"));
    ASSERT_EQ("ok", devnet::Control(dev, "fault " + dev + " none"));
    ASSERT_EQ("ok", devnet::Control(dev, "rtsp-fault " + dev + " none"));
    PrepareFolder({{net.devices[0], 0, "server", 1}});
  }
  // The notices of channel 0 in devsim's log, their kinds in order.
  std::string NoticeKinds() {
    std::string kinds;
    for (const std::string& line : devnet::Log(net.devices[0]))
      for (const char* k : {"00", "01"})
        if (line.find(net.client + ":8001 01c1ff00" + k) != std::string::npos) kinds += k[1];
    return kinds;
  }
  devnet::Network net;
};

TEST_F(LiveDeviceNetwork, ChannelOfADeviceOnItsNetworkPlaysWithItsNotices) {
  ASSERT_NE(nullptr, Start(8001));
  ASSERT_TRUE(gui::PumpUntil([&] { return Dlg()->UdpBound(); }, 10000));
  Dlg()->Run([&](TestMainDlg& d) {
    ASSERT_EQ(3u, d.m_pConfig->devices[0].state) << devnet::Control(net.devices[0], "rtsp " + net.devices[0]);
  });
  DoubleClick(0, 0);
  EXPECT_EQ("server - Channel-01", Title(0));
  // The main-stream notice, then the sub-stream notice, from port 8001.
  EXPECT_TRUE(gui::PumpUntil([&] { return NoticeKinds() == "01"; }, 10000))
      << devnet::Control(net.devices[0], "log");
  EXPECT_NE(std::string::npos, devnet::Control(net.devices[0], "rtsp " + net.devices[0]).find("plays"));
  ShowsTheClip(0);
  DoubleClick(0, 0);
  EXPECT_EQ("Video1", Title(0));
}

}  // namespace

namespace {

// The last close as SysCfg.dat keeps it: "four"'s third channel in slot 0
// shown in window 3, "server"'s channel in slot 1 shown in window 6; both
// devices were logged in.
void SaveLastConnectStatus(const CString& folder) {
  auto image = std::make_unique<shell::SystemConfigImage>();
  ASSERT_TRUE(shell::LoadSysConfig(*image, folder));
  image->channels[0] = shell::LogicalChannelEntry{2, 2, 0, 0, 0, 0, {0, 0}};
  image->channels[1] = shell::LogicalChannelEntry{1, 0, 0, 0, 0, 0, {0, 0}};
  const int windows[2] = {2, 5};
  for (int slot = 0; slot < 2; ++slot) {
    shell::WindowChannelList& w = image->windows[windows[slot]];
    w.slots[0] = uint32_t(slot);
    w.count = 1;
    w.showsChannel = 1;
  }
  image->devices[0].state = image->devices[1].state = 3;
  ASSERT_TRUE(shell::SaveSysConfig(*image, folder));
}

class LiveRestore : public LiveMainRoad {};

}  // namespace

// The login check answered Yes: the devices the panel logged in are looked
// up again and the saved channels play in their saved windows; the window
// that showed another channel before is emptied.
TEST_F(LiveRestore, YesToTheLastConnectStatusPlaysTheSavedWindows) {
  SaveLastConnectStatus(dir.Path());
  ASSERT_NE(nullptr, Start());
  DoubleClick(0, 0);
  EXPECT_EQ("server - Channel-01", Title(0));
  // Its sound and talkback on: they end with the channels they belong to.
  Dlg()->Run([&](TestMainDlg& d) {
    d.DevicePanel().OnMonitorButton(0, kButtonAudio);
    d.DevicePanel().OnMonitorButton(0, kButtonTalkback);
    EXPECT_TRUE(d.TalkbackActive());
  });

  auto boxes = std::make_unique<gui::MessageBoxScript>(std::vector<int>{IDYES}, IDOK);
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  auto loginCheck = [&] {
    ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_LOGIN_CHECK, 0);
    HWND login = gui::FindThreadWindow(thread, "Login Dravenor", 20000);
    if (!login) return false;
    gui::SetText(login, IDC_LOGIN_USER, "admin");
    gui::SetText(login, IDC_LOGIN_PASSWORD, "tulip");
    gui::Command(login, IDOK, BN_CLICKED);
    return true;
  };
  ASSERT_TRUE(loginCheck());
  // The loader shows its progress and closes by itself.
  HWND loader = gui::FindThreadWindow(thread, "Loading Last Configuration ...", 20000);
  EXPECT_NE(nullptr, loader);
  if (loader) {
    gui::PumpFor(300);
    EXPECT_TRUE(gui::SaveWindowBitmap(loader, gui::OutputPath("load_last_configuration.bmp")));
  }
  ASSERT_TRUE(gui::PumpUntil([&] { return Title(2) == "four - Channel-03"; }, 30000)) << Title(2);
  ASSERT_EQ(1u, boxes->Count());
  EXPECT_EQ("Would you like to load last connect status?", boxes->Boxes()[0].text);
  EXPECT_EQ("server - Channel-01", Title(5));
  EXPECT_EQ("Video1", Title(0));
  ShowsTheClip(2);
  ShowsTheClip(5);
  Dlg()->Run([&](TestMainDlg& d) {
    CDeviceDlg& p = d.DevicePanel();
    EXPECT_FALSE(d.StartUpMode());
    EXPECT_FALSE(d.WindowSound(0));
    EXPECT_FALSE(d.Monitor(0).ButtonIsOn(kButtonAudio));
    EXPECT_FALSE(d.TalkbackActive());
    EXPECT_FALSE(d.Monitor(0).IsTalkbackOn());
    EXPECT_EQ(kCodeDeviceConnected, p.ItemCode(p.FindDeviceItem(0)));
    EXPECT_EQ(0, d.m_windows[0].Count());
    EXPECT_EQ(&d.m_pConfig->devices[1], d.m_channels[0].device.load());
    EXPECT_EQ(2, d.m_channels[0].channel.load());
    EXPECT_EQ(1u, d.m_channels[1].subStreamRunning.load());
    EXPECT_EQ(4u, d.m_pConfig->devices[0].state);
    EXPECT_EQ(4u, d.m_pConfig->devices[1].state);
    // The tree follows: the saved channels checked in their windows, the
    // others of the logged-in device idle in slots of their own.
    HTREEITEM shown = p.FindChannelItem(1, 2), idle = p.FindChannelItem(1, 0);
    EXPECT_TRUE(p.Tree().GetCheck(shown));
    EXPECT_EQ(2, ChannelItemData::Window(p.Tree().GetItemData(shown)));
    EXPECT_EQ(0, ChannelItemData::Slot(p.Tree().GetItemData(shown)));
    EXPECT_EQ(kCodeChannelShown, p.ItemCode(shown));
    EXPECT_TRUE(p.Tree().GetCheck(p.FindChannelItem(0, 0)));
    EXPECT_FALSE(p.Tree().GetCheck(idle));
    EXPECT_EQ(kCodeChannelIdle, p.ItemCode(idle));
    EXPECT_EQ(ChannelItemData::Slot(p.Tree().GetItemData(idle)), d.m_channels.Find(&d.m_pConfig->devices[1], 0));
    EXPECT_EQ(5, d.m_channels.UsedCount());
  });
  EXPECT_TRUE(Requested(1, "ch02_01"));

  // No: the operator picks devices in "Connect Server"; the windows stay.
  boxes.reset();
  boxes = std::make_unique<gui::MessageBoxScript>(std::vector<int>{IDNO}, IDOK);
  ASSERT_TRUE(loginCheck());
  HWND connect = gui::FindThreadWindow(thread, "Connect Server", 20000);
  ASSERT_NE(nullptr, connect);
  ::PostMessageA(connect, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(connect); }, 10000));
  EXPECT_EQ("four - Channel-03", Title(2));
}

namespace {

// What each of the 36 monitor windows shows: its place, and the device
// record and channel of the slot it plays.
struct WindowShown {
  bool visible = false;
  CRect rect;
  int device = -1;
  int channel = -1;
  std::string title;
};

// The Last Play Plan: the monitor windows at the close come back at the
// next start, on the watchdog's fourth tick, with no question asked.
class LiveLastPlan : public LiveMainRoad {
protected:
  void PlayIn(int w, int device, int channel) {
    Dlg()->Run([&](TestMainDlg& d) { d.SelectMonitorWindow(w); });
    DoubleClick(device, channel);
  }
  void PressSwitchMode(UINT command) {
    Dlg()->Run([&](TestMainDlg& d) {
      for (int i = 0; i < CSwitchModeDlg::kButtons; ++i)
        if (CSwitchModeDlg::CommandOf(i) == command) {
          HWND b = d.SwitchModePanel().Button(i).m_hWnd;
          d.SwitchModePanel().SendMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(b), BN_CLICKED), LPARAM(b));
        }
    });
  }
  std::vector<WindowShown> Windows() {
    std::vector<WindowShown> out(shell::kMonitorWindows);
    Dlg()->Run([&](TestMainDlg& d) {
      for (int w = 0; w < shell::kMonitorWindows; ++w) {
        WindowShown& x = out[size_t(w)];
        x.visible = ::IsWindowVisible(d.Monitor(w).m_hWnd) != FALSE;
        ::GetWindowRect(d.Monitor(w).m_hWnd, &x.rect);
        d.ScreenToClient(&x.rect);
        const shell::ChannelSlot* s =
            d.m_windows[w].showsChannel ? d.m_channels.At(d.m_windows.CurrentSlot(w)) : nullptr;
        const shell::DeviceRecord* r = s ? s->device.load() : nullptr;
        x.device = r ? int(r - d.m_pConfig->devices) : -1;
        x.channel = r ? int(s->channel.load()) : -1;
        x.title = static_cast<LPCSTR>(d.Monitor(w).GetTitle());
      }
    });
    return out;
  }
  // "Exit System" answered Yes, then the program started again on the same
  // folder, with every box it shows recorded in `boxes`.
  void CloseAndStartAgain(std::unique_ptr<gui::MessageBoxScript>& boxes) {
    {
      gui::MessageBoxScript yes({IDYES}, IDNO);
      ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
      ASSERT_TRUE(run->Wait(60000));
      ASSERT_EQ(1u, yes.Count());
      EXPECT_EQ("Are you sure you want to close this system?", yes.Boxes()[0].text);
    }
    run.reset();
    boxes = std::make_unique<gui::MessageBoxScript>(std::vector<int>{}, IDCANCEL);
    ASSERT_NE(nullptr, Start());
  }
  // Every window as it was: shown or hidden, its place, its channel.
  void ExpectSameWindows(const std::vector<WindowShown>& before) {
    const std::vector<WindowShown> after = Windows();
    for (int w = 0; w < shell::kMonitorWindows; ++w) {
      const WindowShown &a = before[size_t(w)], &b = after[size_t(w)];
      EXPECT_EQ(a.visible, b.visible) << "window " << w;
      if (a.visible) {
        EXPECT_TRUE(a.rect == b.rect) << "window " << w;
      }
      EXPECT_EQ(a.device, b.device) << "window " << w;
      EXPECT_EQ(a.channel, b.channel) << "window " << w;
      EXPECT_EQ(a.title, b.title) << "window " << w;
    }
  }
  // Waits until window w has the title it had before the close.
  bool TitleBack(int w, const std::string& title) {
    return gui::PumpUntil([&] { return Title(w) == title; }, 60000);
  }
};

}  // namespace

// Four windows of the 4-window layout play four channels; closed and
// started again, the same channels play in the same windows.
TEST_F(LiveLastPlan, FourPlayingWindowsPlayAgainAfterACloseAndAStart) {
  ASSERT_NE(nullptr, Start());
  PressSwitchMode(3225);
  ASSERT_EQ(2, Dlg()->LayoutKind());
  PlayIn(0, 1, 2);
  PlayIn(1, 0, 0);
  PlayIn(2, 1, 0);
  PlayIn(3, 1, 3);
  EXPECT_EQ("four - Channel-04", Title(3));
  for (int w = 0; w < 4; ++w) ShowsTheClip(w);
  const std::vector<WindowShown> before = Windows();

  std::unique_ptr<gui::MessageBoxScript> boxes;
  ASSERT_NO_FATAL_FAILURE(CloseAndStartAgain(boxes));
  // Until the watchdog's fourth tick the windows are empty.
  EXPECT_NE(before[0].title, Title(0));
  for (int w = 0; w < 4; ++w) ASSERT_TRUE(TitleBack(w, before[size_t(w)].title)) << w << ": " << Title(w);
  EXPECT_EQ(2, Dlg()->LayoutKind());
  ExpectSameWindows(before);
  for (int w = 0; w < 4; ++w) ShowsTheClip(w);
  EXPECT_EQ(0u, boxes->Count()) << "nothing was asked";
  Dlg()->Run([&](TestMainDlg& d) {
    for (int w = 0; w < 4; ++w) EXPECT_EQ(1u, d.m_channels[d.m_windows.CurrentSlot(w)].subStreamRunning.load()) << w;
  });
  gui::PumpFor(500);
  EXPECT_TRUE(gui::SaveWindowBitmap(hwnd, gui::OutputPath("last_play_plan_four_windows.bmp")));
}

// As started the client shows 16 of the 36 windows in use. Closed while
// showing them, it starts again showing 16, the channels in their windows
// (the last of the 16 included), not the 36 windows of the split.
TEST_F(LiveLastPlan, SixteenWindowsShownAtTheCloseAreShownAgain) {
  ASSERT_NE(nullptr, Start());
  ASSERT_EQ(4, Dlg()->LayoutKind());
  PlayIn(5, 1, 1);
  PlayIn(10, 0, 0);
  PlayIn(15, 1, 3);
  for (int w : {5, 10, 15}) ShowsTheClip(w);
  const std::vector<WindowShown> before = Windows();
  for (int w = 0; w < shell::kMonitorWindows; ++w) EXPECT_EQ(w < 16, before[size_t(w)].visible) << w;

  std::unique_ptr<gui::MessageBoxScript> boxes;
  ASSERT_NO_FATAL_FAILURE(CloseAndStartAgain(boxes));
  for (int w : {5, 10, 15}) ASSERT_TRUE(TitleBack(w, before[size_t(w)].title)) << w << ": " << Title(w);
  EXPECT_EQ(4, Dlg()->LayoutKind());
  ExpectSameWindows(before);
  for (int w : {5, 10, 15}) ShowsTheClip(w);
  EXPECT_EQ(0u, boxes->Count()) << "nothing was asked";
}

namespace {

// Every picture of a clip, scaled to a card quarter as the card's decoder
// scales it.
std::vector<std::vector<uint8_t>> ClipQuarters(const std::string& clip) {
  std::vector<std::vector<uint8_t>> out;
  intptr_t dec = ffmpeg_h264_init();
  for (const auto& u : testsupport::SplitAccessUnits(testsupport::ReadFileBytes(clip))) {
    int got = 0;
    FfmpegPicture p{};
    if (ffmpeg_h264_decode(dec, u.data(), int(u.size()), &got, &p) < 0 || !got) continue;
    out.emplace_back();
    card::ScaleToQuarterPicture(out.back(), card::ContiguousPicture(p.y, p.width, p.height));
  }
  ffmpeg_h264_Release(dec);
  return out;
}

double NearestQuarter(const std::vector<uint8_t>& picture, int q, const std::vector<std::vector<uint8_t>>& refs) {
  double best = 1e9;
  for (const auto& r : refs) best = std::min(best, cardtest::QuarterDifference(picture, q, r));
  return best;
}

// Two devsim devices with different sub-stream clips ("one": testsrc2,
// "two": testsrc), and the card stand-in with two outputs writing its log
// and pictures into a folder of the test.
class LiveCard : public LiveFixture {
protected:
  void SetUp() override {
    const char* subs[2] = {"cif_aud.264", "cif_noaud.264"};
    for (int i = 0; i < 2; ++i) {
      devsim::Config c;
      c.address = i == 0 ? "127.0.26.3" : "127.0.26.4";
      c.mainClip = Data("cif_noaud.264");
      c.subClip = Data(subs[i]);
      sims[i] = std::make_unique<devsim::Simulator>(c);
      ASSERT_TRUE(sims[i]->Start());
      quarters[i] = ClipQuarters(Data(subs[i]));
      ASSERT_FALSE(quarters[i].empty());
    }
    PrepareFolder({{sims[0]->config().address, sims[0]->Port(), "one", 1},
                   {sims[1]->config().address, sims[1]->Port(), "two", 1}});
    folder = std::string(cardDir.Path().Left(cardDir.Path().GetLength() - 1));
    ::SetEnvironmentVariableA("MIRELLE_FOLDER", folder.c_str());
    ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", "2");
    ::SetEnvironmentVariableA("MIRELLE_DSPS", "4");
  }
  void TearDown() override {
    LiveFixture::TearDown();
    for (auto& s : sims)
      if (s) s->Stop();
    for (const char* v : {"MIRELLE_FOLDER", "MIRELLE_OUTPUTS", "MIRELLE_DSPS"}) ::SetEnvironmentVariableA(v, nullptr);
  }
  HTREEITEM TreeChild(HWND tree, HTREEITEM parent, int index) {
    HTREEITEM c = HTREEITEM(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(parent)));
    while (c && index-- > 0) c = HTREEITEM(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(c)));
    return c;
  }
  // The list's row (window number - 1) to a position of an output, as the
  // operator selects them and presses ">>>".
  void Assign(HWND card, int row, int output, int position) {
    HWND list = gui::Control(card, IDC_CARD_WINDOWS), tree = gui::Control(card, IDC_CARD_TREE);
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageA(list, LVM_SETITEMSTATE, WPARAM(-1), LPARAM(&none));
    gui::SelectListItem(card, IDC_CARD_WINDOWS, row);
    HTREEITEM root = HTREEITEM(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    gui::SelectTreeItem(card, IDC_CARD_TREE, TreeChild(tree, TreeChild(tree, root, output), position - 1));
    gui::Click(card, IDC_CARD_ASSIGN);
  }

  std::unique_ptr<devsim::Simulator> sims[2];
  std::vector<std::vector<uint8_t>> quarters[2];
  ScratchDir cardDir{"livecard"};
  std::string folder;
};

}  // namespace

// Windows 3 and 7 play the two devices' channels through live view; in
// "Output analogue" they go to positions 1 and 2 of output 1, the hard
// decode switch turns the feed on, and the card's output 0 shows the two
// clips in quarters 1 and 2 and black in 3 and 4.
TEST_F(LiveCard, WindowsThreeAndSevenPlayingReachTheCardsQuarters) {
  ASSERT_NE(nullptr, Start());
  const int windows[2] = {2, 6};
  for (int i = 0; i < 2; ++i) {
    Dlg()->Run([&](TestMainDlg& d) { d.SelectMonitorWindow(windows[i]); });
    DoubleClick(i, 0);
  }
  EXPECT_EQ("one - Channel-01", Title(2));
  EXPECT_EQ("two - Channel-01", Title(6));

  gui::MessageBoxScript boxes;
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_VIDEO_CARD, 0);
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  HWND card = gui::FindThreadWindow(thread, "Out put analogue signal", 20000);
  ASSERT_NE(nullptr, card);
  gui::Click(card, IDC_CARD_CONNECT);
  EXPECT_EQ("Connected", gui::Text(card, IDC_CARD_CONNECT));
  Assign(card, 2, 0, 1);
  Assign(card, 6, 0, 2);
  EXPECT_EQ("02", gui::ListText(card, IDC_CARD_WINDOWS, 6, 2));
  EXPECT_EQ(0u, boxes.Count());
  HWND switchPanel = nullptr;
  Dlg()->Run([&](TestMainDlg& d) { switchPanel = d.SwitchModePanel().m_hWnd; });
  ::SendMessageA(switchPanel, WM_COMMAND, MAKEWPARAM(IDC_HARD_DECODE, BN_CLICKED), 0);

  // The stand-in keeps output 0's latest picture; the windows' streams go
  // on, so each quarter is the nearest of its clip's pictures.
  const std::string output0 = folder + "\\output0.yuv";
  std::vector<uint8_t> shown;
  double d0 = 1e9, d1 = 1e9;
  const bool matched = gui::PumpUntil(
      [&] {
        shown = testsupport::ReadFileBytes(output0);
        if (shown.size() != size_t(card::kPictureBytes)) return false;
        d0 = NearestQuarter(shown, 0, quarters[0]);
        d1 = NearestQuarter(shown, 1, quarters[1]);
        return d0 < 2.0 && d1 < 2.0;
      },
      60000);
  EXPECT_TRUE(matched) << "quarter 1 differs by " << d0 << ", quarter 2 by " << d1;
  ASSERT_EQ(size_t(card::kPictureBytes), shown.size());
  EXPECT_GT(NearestQuarter(shown, 0, quarters[1]), 10.0) << "the two clips really differ";
  EXPECT_TRUE(cardtest::QuarterIsBlack(shown, 2));
  EXPECT_TRUE(cardtest::QuarterIsBlack(shown, 3));
  cardtest::SaveCardPicture(shown, gui::OutputPath("card_output0_live.bmp"));
  EXPECT_TRUE(gui::SaveWindowBitmap(card, gui::OutputPath("analog_output_live.bmp")));

  // DisConnect: nothing more reaches the card.
  ::SendMessageA(switchPanel, WM_COMMAND, MAKEWPARAM(IDC_HARD_DECODE, BN_CLICKED), 0);
  gui::Click(card, IDC_CARD_DISCONNECT);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(output0.c_str()));
}

namespace {

// The record files below a folder, with their lengths.
void FindRecordFiles(const std::string& folder, std::vector<std::pair<std::string, uint64_t>>& out) {
  WIN32_FIND_DATAA fd;
  HANDLE find = ::FindFirstFileA((folder + "\\*.*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      FindRecordFiles(folder + "\\" + name, out);
    else if (name.size() > 4 && name.substr(name.size() - 4) == ".264")
      out.push_back({folder + "\\" + name, uint64_t(fd.nFileSizeHigh) << 32 | fd.nFileSizeLow});
  } while (::FindNextFileA(find, &fd));
  ::FindClose(find);
}

SYSTEMTIME LocalTimeShifted(int seconds) {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  FILETIME ft;
  ::SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  u.QuadPart += int64_t(seconds) * 10000000;
  ft.dwLowDateTime = u.LowPart;
  ft.dwHighDateTime = u.HighPart;
  ::FileTimeToSystemTime(&ft, &st);
  return st;
}

}  // namespace

// A channel of "four" renamed in its block is shown, recorded by the
// window's record button and stopped again: its file carries the block's
// name, and the local search with that channel chosen in the source tree
// lists it. On the way, the "Talking" button of "four" is switched on.
TEST_F(LiveMainRoad, ChannelRecordedFromLiveViewIsNamedByItsBlockAndFoundByTheLocalSearch) {
  record::DeleteFolderTree("P:\\TQX RecordData", nullptr, nullptr);
  const SYSTEMTIME begin = LocalTimeShifted(-120);
  ASSERT_NE(nullptr, Start());
  Dlg()->Run([&](TestMainDlg& d) {
    char* block = shell::ChannelBlock(d.m_pConfig->devices[1], 2);
    ASSERT_NE(nullptr, block);
    lstrcpyA(block, "Gate");
  });
  DoubleClick(1, 2);
  EXPECT_EQ("four - Gate", Title(0));

  // Talkback with "four", its button lit.
  HWND panel = nullptr;
  Dlg()->Run([&](TestMainDlg& d) {
    CDeviceDlg& p = d.DevicePanel();
    panel = p.m_hWnd;
    p.Tree().SelectItem(p.FindDeviceItem(1));
    ::SendMessageA(panel, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_TALKING, BN_CLICKED),
                   LPARAM(p.SkinButton(3).m_hWnd));
    EXPECT_EQ(1, p.SkinButton(3).GetLampState());
    EXPECT_NE(FALSE, d.TalkbackActive());
  });
  // Wine shows what was painted a while later under load.
  gui::PumpFor(800);
  EXPECT_TRUE(gui::SaveWindowBitmap(panel, gui::OutputPath("device_panel_talking.bmp")));

  Dlg()->Run([&](TestMainDlg& d) { d.DevicePanel().OnMonitorButton(0, kButtonRecord); });
  std::vector<std::pair<std::string, uint64_t>> files;
  const bool grown = gui::PumpUntil([&] {
    files.clear();
    FindRecordFiles("P:\\TQX RecordData", files);
    return files.size() == 1 && files[0].second >= 48 * 1024;
  }, 60000);
  Dlg()->Run([&](TestMainDlg& d) { d.DevicePanel().OnMonitorButton(0, kButtonRecord); });
  ASSERT_TRUE(grown) << files.size() << " files";
  const std::string path = files[0].first;
  EXPECT_NE(std::string::npos, path.find("\\127.0.26.2\\03\\03-1-")) << path;
  EXPECT_EQ("-Gate.264", path.substr(path.size() - 9)) << path;

  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_PLAYBACK, 0);
  std::vector<std::string> listed;
  Dlg()->Run([&](TestMainDlg& d) {
    CRecordPlaybackDlg* pb = d.Playback();
    ASSERT_NE(nullptr, pb);
    pb->m_search.m_logicalDrives = [] { return ::GetLogicalDrives() | 0x38000u; };
    // "four" and its third channel, chosen by a click.
    CTreeCtrlEx& tree = pb->m_source.Tree();
    HTREEITEM item = tree.GetNextSiblingItem(tree.GetRootItem());
    ASSERT_NE(nullptr, item);
    item = tree.GetChildItem(item);
    for (int i = 0; i < 2 && item; ++i) item = tree.GetNextSiblingItem(item);
    ASSERT_NE(nullptr, item);
    tree.SelectItem(item);
    NMTREEVIEWA nm{};
    nm.hdr.hwndFrom = tree.m_hWnd;
    nm.hdr.idFrom = IDC_SOURCE_TREE;
    nm.hdr.code = TVN_SELCHANGEDA;
    nm.action = TVC_BYMOUSE;
    nm.itemNew.hItem = item;
    pb->m_source.SendMessage(WM_NOTIFY, IDC_SOURCE_TREE, reinterpret_cast<LPARAM>(&nm));
    HWND page = pb->m_search.m_hWnd;
    EXPECT_EQ("Gate", gui::Text(page, IDC_SEARCH_CHANNEL_NAME));
    const SYSTEMTIME end = LocalTimeShifted(120);
    for (int id : {IDC_SEARCH_BEGIN_DATE, IDC_SEARCH_BEGIN_TIME})
      ::SendMessageA(::GetDlgItem(page, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&begin));
    for (int id : {IDC_SEARCH_END_DATE, IDC_SEARCH_END_TIME})
      ::SendMessageA(::GetDlgItem(page, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&end));
    ::CheckDlgButton(page, IDC_SEARCH_NORMAL, BST_CHECKED);
    gui::Command(page, IDC_SEARCH_RECORD, BN_CLICKED);
    CListCtrl& list = pb->m_search.List();
    for (int r = 0; r < list.GetItemCount(); ++r) listed.push_back(list.GetItemText(r, 7).GetString());
  });
  EXPECT_EQ(std::vector<std::string>{path}, listed);
  record::DeleteFolderTree("P:\\TQX RecordData", nullptr, nullptr);
}

namespace {

// Every alarm the main dialog hands on, with the time of the last one.
struct AlarmWatch : shell::UdpReceiver {
  std::atomic<long> alarms{0}, probes{0};
  std::atomic<DWORD> lastAlarm{0}, lastProbe{0};
  void OnAlarm(const std::string&, uint8_t kind, uint8_t, uint8_t) override {
    ++alarms;
    lastAlarm = ::GetTickCount();
    if (kind == 2) {
      ++probes;
      lastProbe = ::GetTickCount();
    }
  }
};

// The process's memory in MiB: its address space in use (what it has
// allocated) and its working set.
struct Memory {
  double usedMb = 0, workingMb = 0;
};
Memory ProcessMemory() {
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &m, sizeof m);
  MEMORYSTATUSEX s{};
  s.dwLength = sizeof s;
  ::GlobalMemoryStatusEx(&s);
  return {(s.ullTotalVirtual - s.ullAvailVirtual) / 1048576.0, m.WorkingSetSize / 1048576.0};
}

// A real click: the pointer onto the middle of the window, then the button
// pressed and released through the system's input queue.
void PointerClick(HWND target) {
  RECT r;
  ::GetWindowRect(target, &r);
  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

// Milliseconds until done() holds after a click on target (the time-out
// when it never does).
DWORD ClickToAction(HWND target, const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD t0 = ::GetTickCount();
  PointerClick(target);
  while (!done() && ::GetTickCount() - t0 < timeoutMs) ::Sleep(5);
  return ::GetTickCount() - t0;
}

class LiveUdpFlood : public LiveDeviceNetwork {};

}  // namespace

// A sender at the playing channel's device address floods port 8001 with
// alarms for that channel, announcements, configuration replies, record
// lists and garbage. The operator's clicks still act at once, the alarm
// list stops growing as soon as the flood ends, a real alarm after it shows
// at once, and the memory the flood costs does not grow with its length.
TEST_F(LiveUdpFlood, OperatorKeepsTheClientThroughAFloodOnPort8001) {
  const std::string dev = net.devices[0];
  ASSERT_NE(nullptr, Start(8001));
  ASSERT_TRUE(gui::PumpUntil([&] { return Dlg()->UdpBound(); }, 10000));
  Dlg()->Run([&](TestMainDlg& d) { ASSERT_EQ(3u, d.m_pConfig->devices[0].state); });
  DoubleClick(0, 0);
  ASSERT_EQ("server - Channel-01", Title(0));
  ShowsTheClip(0);
  AlarmWatch watch;
  HWND audio = nullptr;
  Dlg()->Run([&](TestMainDlg& d) {
    d.RegisterUdpReceiver(&watch);
    audio = d.Monitor(0).Button(kButtonAudio)->m_hWnd;
  });
  auto soundOn = [&] {
    bool on = false;
    Dlg()->Run([&](TestMainDlg& d) { on = d.Monitor(0).ButtonIsOn(kButtonAudio) != FALSE; });
    return on;
  };
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  gui::PointerLock pointer(hwnd);
  ASSERT_TRUE(pointer.Held());
  // The click works before the flood.
  const bool was = soundOn();
  EXPECT_LT(ClickToAction(audio, [&] { return soundOn() != was; }, 5000), 5000u);
  const Memory before = ProcessMemory();

  const int seconds = 10;
  auto status = [&] { return devnet::Control(dev, "flood-status " + dev); };
  // devsim floods its own network only.
  EXPECT_EQ(0u, devnet::Control(dev, "flood " + dev + " 127.0.0.1 1 0").rfind("error", 0));
  EXPECT_EQ(0u, devnet::Control(dev, "flood " + dev + " " + dev + " 1 0").rfind("error", 0));
  ASSERT_EQ("ok", devnet::Control(dev, "flood " + dev + " " + net.client + " " + std::to_string(seconds) + " 0"));
  const DWORD floodStart = ::GetTickCount();
  // During the flood: clicks on the window's audio button, one after the
  // other, and near its end one on the alarm view's Close.
  DWORD slowest = 0;
  int clicks = 0;
  Memory during = before, half = before, last = before;
  bool halfTaken = false;
  bool viewClosed = false;
  DWORD viewClose = 0;
  // The clicks end a second and a half before the flood does: what they
  // start (the window's sound) must not hold up the check of the end.
  while (::GetTickCount() - floodStart < DWORD(seconds) * 1000 - 1500) {
    const bool on = soundOn();
    DWORD took = ClickToAction(audio, [&] { return soundOn() != on; }, 5000);
    slowest = std::max(slowest, took);
    ++clicks;
    const Memory m = ProcessMemory();
    during.usedMb = std::max(during.usedMb, m.usedMb);
    during.workingMb = std::max(during.workingMb, m.workingMb);
    if (!halfTaken && ::GetTickCount() - floodStart >= DWORD(seconds) * 500) {
      half = m;
      halfTaken = true;
    }
    last = m;
    if (!viewClosed && ::GetTickCount() - floodStart > DWORD(seconds) * 700) {
      ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_ALARM_UPLOAD, 0);
      HWND view = gui::FindThreadWindow(thread, "Remote Alarm Upload Info", 5000);
      EXPECT_NE(nullptr, view) << "the alarm view shows during the flood";
      if (view) {
        gui::SaveWindowBitmap(view, gui::OutputPath("alarm_view_flood.bmp"));
        viewClose = ClickToAction(gui::Control(view, IDCANCEL), [&] { return !::IsWindowVisible(view); }, 5000);
        EXPECT_LT(viewClose, 1000u) << "the alarm view's Close during the flood";
      }
      viewClosed = true;
    }
    ::Sleep(200);
  }
  for (int i = 0; i < 300 && status().rfind("running", 0) == 0; ++i) ::Sleep(100);
  // The sender stops at most `seconds` after it answered.
  const DWORD floodEnd = std::min(::GetTickCount(), floodStart + DWORD(seconds) * 1000);
  const std::string sent = status();
  ASSERT_EQ(0u, sent.rfind("done", 0)) << sent;
  EXPECT_GE(clicks, seconds / 2) << "clicks during the flood";
  EXPECT_LT(slowest, 1000u) << "the slowest click during the flood";
  EXPECT_TRUE(viewClosed);

  // The list stops growing within a second of the flood's end.
  const size_t waitingAtEnd = Dlg()->UdpChannel().Pump().Waiting();
  ::Sleep(3000);
  const long alarmsAfter = watch.alarms;
  const long lastAfterEnd = long(watch.lastAlarm.load() - floodEnd);
  EXPECT_LT(lastAfterEnd, 1000L) << "the last flooded alarm after the flood's end";
  // A real alarm, a probe, shows within a second.
  HWND view = nullptr;
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_ALARM_UPLOAD, 0);
  view = gui::FindThreadWindow(thread, "Remote Alarm Upload Info", 5000);
  ASSERT_NE(nullptr, view);
  const DWORD sentAt = ::GetTickCount();
  ASSERT_EQ("ok", devnet::Control(dev, "alarm " + dev + " " + net.client + " 2 0 1"));
  auto probeShown = [&] {
    int n = gui::ListCount(view, IDC_AU_LIST);
    return n > 0 && gui::ListText(view, IDC_AU_LIST, n - 1, 1) == "Hardware Probe";
  };
  while (!probeShown() && ::GetTickCount() - sentAt < 5000) ::Sleep(5);
  const DWORD probeTook = ::GetTickCount() - sentAt;
  EXPECT_LT(probeTook, 1000u) << "the real alarm after the flood";
  EXPECT_EQ(1, watch.probes.load());
  EXPECT_EQ(alarmsAfter + 1, watch.alarms.load()) << "nothing of the flood after it";
  EXPECT_LE(gui::ListCount(view, IDC_AU_LIST), 1000);
  gui::SaveWindowBitmap(view, gui::OutputPath("alarm_view_after_flood.bmp"));
  const Memory after = ProcessMemory();

  // The client's own account: offered to the queue, kept, dropped, and the
  // drop count in the local log.
  shell::CUdpDatagramQueue::Counts counts;
  double longestSlice = 0;
  int logged = 0;
  bool playing = false;
  Dlg()->Run([&](TestMainDlg& d) {
    counts = d.UdpChannel().QueueCounts();
    longestSlice = d.UdpChannel().Pump().LongestSliceMs();
    CLocalLogDlg& log = d.LocalLogDlg();
    for (int r = 0; r < log.GetRowCount(); ++r)
      for (int c = 0; c < 3; ++c)
        if (std::string(log.GetCell(r, c)).find("datagrams dropped") != std::string::npos) ++logged;
    playing = d.m_windows[0].Count() == 1 && d.m_channels[0].subStreamRunning.load() != 0;
    d.UnregisterUdpReceiver(&watch);
  });
  EXPECT_TRUE(playing) << "the channel plays on";
  EXPECT_EQ(counts.offered, counts.kept + counts.dropped);
  EXPECT_GT(counts.dropped, 0u) << "the flood was more than the client could take";
  EXPECT_GE(logged, 1);
  EXPECT_LE(logged, seconds + 5) << "the drop count goes into the log at most once a second";
  // What the flood costs in memory does not grow with its length: its
  // second half adds next to nothing (a backlog grows by megabytes a second).
  EXPECT_TRUE(halfTaken);
  EXPECT_LT(last.usedMb - half.usedMb, 8.0) << "memory grown over the flood's second half";
  EXPECT_LT(after.usedMb - before.usedMb, 48.0);
  std::printf("flood %d s: sent %s; offered to the queue %llu, kept %llu, dropped %llu; taken off the socket %ld\n"
              "slowest click %lu ms over %d clicks, alarm view Close %lu ms, longest slice %.1f ms, real alarm %lu ms, last flooded alarm %ld ms after the end, %u waiting at the end\n"
              "memory used/working MiB: before %.1f/%.1f, during (most) %.1f/%.1f, half-way %.1f, at the end %.1f, after %.1f/%.1f\n",
              seconds, sent.c_str(), (unsigned long long)counts.offered, (unsigned long long)counts.kept,
              (unsigned long long)counts.dropped, long(Dlg()->UdpChannel().ReceivedCount()), (unsigned long)slowest,
              clicks, (unsigned long)viewClose, longestSlice, (unsigned long)probeTook, lastAfterEnd, unsigned(waitingAtEnd), before.usedMb,
              before.workingMb, during.usedMb, during.workingMb, half.usedMb, last.usedMb, after.usedMb, after.workingMb);
}
