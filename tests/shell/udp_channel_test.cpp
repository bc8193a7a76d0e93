// The UDP command channel against simulated devices on their own network
// (scripts/devnet): requests out of port 8001, replies and announcements
// back to the owner's window as posted copies.
#include <gtest/gtest.h>

#include "devnet_kit.h"
#include "gui_kit.h"
#include "post_copy.h"
#include "udp_channel.h"
#include "color_dlg.h"
#include "fake_main_dlg.h"
#include "main_duties.h"

#include <atomic>
#include <memory>
#include <thread>
#include <string>
#include <vector>

using namespace shell;
using Bytes = std::vector<uint8_t>;

namespace {

struct Received {
  std::string what, from;
  uint8_t command = 0, channel = 0;
  Bytes bytes;
};

// Records what the dispatch hands on; runs on the window's thread.
struct Recorder : UdpReceiver {
  std::vector<Received> got;
  DWORD threadId = GetCurrentThreadId();
  bool wrongThread = false;
  void Note(Received r) {
    if (GetCurrentThreadId() != threadId) wrongThread = true;
    got.push_back(std::move(r));
  }
  void OnAnnouncement(const std::string& from, const uint8_t* block) override {
    Note({"announce", from, 0, 0, Bytes(block, block + kDeviceInfoSize)});
  }
  void OnConfigReply(const std::string& from, uint8_t command, uint8_t channel, const uint8_t* block,
                     size_t size) override {
    Note({"config", from, command, channel, Bytes(block, block + size)});
  }
  void OnListItem(const std::string& from, uint16_t type, const uint8_t*, size_t) override {
    Note({"item", from, uint8_t(type), 0, {}});
  }
  void OnRecordList(const std::string& from, uint8_t command, const uint8_t* p, size_t n) override {
    Note({"records", from, command, 0, Bytes(p, p + n)});
  }
  void OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) override {
    Note({"alarm", from, kind, channel, Bytes{state}});
  }
};

Recorder* g_recorder = nullptr;
// Another receiver the datagrams go to instead (a panel under test).
UdpReceiver* g_panel = nullptr;
int g_dispatched = 0;

LRESULT CALLBACK OwnerProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_UDP_PACKET) {
    ++g_dispatched;
    if (g_panel) {
      CUdpCommandChannel::HandlePosted(l, *g_panel);
    } else if (g_recorder) {
      CUdpCommandChannel::HandlePosted(l, *g_recorder);
    } else {
      CUdpCommandChannel::HandlePosted(l);
    }
    return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

class UdpChannel : public ::testing::Test {
protected:
  devnet::Network net;
  std::string dev0, dev1;
  HWND owner = nullptr;
  Recorder recorder;
  std::unique_ptr<CUdpCommandChannel> channel;
  struct {
    Bytes stream, network, sensor[4];
  } saved;

  void SetUp() override {
    if (!net.available) GTEST_SKIP() << "no device network: " << net.reason;
    dev0 = net.devices[0];
    dev1 = net.devices.size() > 1 ? net.devices[1] : net.devices[0];
    for (const std::string& d : net.devices) {
      ASSERT_EQ(devnet::Control(d, "fault " + d + " none"), "ok");
      ASSERT_EQ(devnet::Control(d, "reply-channel " + d + " zero"), "ok");
    }
    ASSERT_EQ(devnet::Control(dev0, "clear"), "ok");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "UdpChannelOwner";
    RegisterClassA(&wc);
    owner = CreateWindowA("UdpChannelOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(owner);
    g_recorder = &recorder;
    g_dispatched = 0;
    channel = std::make_unique<CUdpCommandChannel>();
    // The devices' blocks are shared with the other device network tests:
    // what a test sets is set back afterwards.
    saved.stream = devnet::Block(dev0, "stream");
    saved.network = devnet::Block(dev0, "network");
    for (int c = 0; c < 4; ++c) saved.sensor[c] = devnet::Block(dev0, "sensor", c);
  }

  void RestoreBlocks() {
    if (!channel->IsBound()) return;
    auto same = [&] {
      if (devnet::Block(dev0, "stream") != saved.stream || devnet::Block(dev0, "network") != saved.network) return false;
      for (int c = 0; c < 4; ++c)
        if (devnet::Block(dev0, "sensor", c) != saved.sensor[c]) return false;
      return true;
    };
    if (same()) return;
    if (saved.stream.size() == kStreamBlockSize) Send(BuildStreamSet(saved.stream.data()), dev0);
    if (saved.network.size() == kNetworkBlockSize) Send(BuildNetworkSet(saved.network.data()), dev0);
    for (const Bytes& b : saved.sensor)
      if (b.size() == kSensorBlockSize) Send(BuildSensorSet(b.data()), dev0);
    EXPECT_TRUE(gui::PumpUntil(same, 5000)) << "the device's blocks set back";
  }

  void TearDown() override {
    if (channel) {
      g_panel = nullptr;
      RestoreBlocks();
      EXPECT_TRUE(channel->Stop(2000));
    }
    channel.reset();
    gui::PumpFor(50);  // copies posted late are freed by the window proc
    g_recorder = nullptr;
    if (owner) DestroyWindow(owner);
  }

  void StartFast(DWORD bindDelayMs = 0) {
    CUdpCommandChannel::Options t;
    t.startDelayMs = 0;
    t.bindDelayMs = bindDelayMs;
    ASSERT_TRUE(channel->Start(owner, t));
    ASSERT_TRUE(gui::PumpUntil([&] { return channel->IsBound() != FALSE; }, 8000));
    gui::PumpFor(50);
  }

  int Send(const UdpDatagram& d, const std::string& to) {
    return channel->SendUdpCommand(d.data(), int(d.size()), to.c_str(), 0);
  }

  bool WaitFor(size_t count, DWORD ms = 5000) {
    return gui::PumpUntil([&] { return recorder.got.size() >= count; }, ms);
  }
};

}  // namespace

TEST_F(UdpChannel, GetIsAnsweredByTheDevice) {
  StartFast();
  ASSERT_EQ(Send(BuildRegionGet(1), dev0), 0);
  ASSERT_TRUE(WaitFor(1));
  const Received& r = recorder.got[0];
  EXPECT_EQ(r.what, "config");
  EXPECT_EQ(r.from, dev0);
  EXPECT_EQ(r.command, UDPCFG_REGION);
  EXPECT_EQ(r.channel, 0) << "devsim leaves header byte 3 at 0, as a device may";
  ASSERT_EQ(r.bytes.size(), kRegionBlockSize);
  EXPECT_EQ(r.bytes[0], 1) << "the block carries its channel";
  EXPECT_FALSE(recorder.wrongThread) << "receivers run on the owner's thread";
}

TEST_F(UdpChannel, SetThenGetReadsBackTheNewBlock) {
  StartFast();
  // Sensor block of channel 2, stream block, network block.
  ASSERT_EQ(Send(BuildSensorGet(2), dev0), 0);
  ASSERT_TRUE(WaitFor(1));
  Bytes sensor = recorder.got[0].bytes;
  sensor[5] = 17;
  sensor[10] = 2;
  Bytes stream(kStreamBlockSize);
  for (size_t i = 0; i < stream.size(); ++i) stream[i] = uint8_t(200 - i);
  Bytes network(kNetworkBlockSize, 0);
  network[12] = 9;
  ASSERT_EQ(Send(BuildSensorSet(sensor.data()), dev0), 0);
  ASSERT_EQ(Send(BuildStreamSet(stream.data()), dev0), 0);
  ASSERT_EQ(Send(BuildNetworkSet(network.data()), dev0), 0);
  ASSERT_EQ(Send(BuildSensorGet(2), dev0), 0);
  ASSERT_EQ(Send(BuildStreamGet(), dev0), 0);
  ASSERT_EQ(Send(BuildNetworkGet(), dev0), 0);
  ASSERT_TRUE(WaitFor(4));
  EXPECT_EQ(recorder.got[1].bytes, sensor);
  EXPECT_EQ(recorder.got[1].bytes[0], 2) << "the block carries its channel";
  EXPECT_EQ(recorder.got[2].bytes, stream);
  EXPECT_EQ(recorder.got[3].bytes, network);
  EXPECT_EQ(devnet::Block(dev0, "stream"), stream);
  // The device logged the 68-byte stream set with 68 in its length field.
  bool sawStreamSet = false;
  for (const std::string& line : devnet::Log(dev0)) {
    Bytes b = devnet::HexBytes(line.substr(line.rfind(' ') + 1));
    if (b.size() >= 16 && b[1] == 0xC4 && b[2] == 3) {
      sawStreamSet = true;
      EXPECT_EQ(b.size(), 68u);
      EXPECT_EQ(b[14] | b[15] << 8, 68);
    }
  }
  EXPECT_TRUE(sawStreamSet);
}

TEST_F(UdpChannel, NoticesRecordSearchAnnouncementsAndAlarms) {
  StartFast();
  ASSERT_EQ(channel->SendStreamStarted(dev0.c_str(), 36688, 3, 1), 0);
  ASSERT_EQ(devnet::Control(dev0, "records " + dev0 + " 1 0 1000 1600"), "ok");
  ASSERT_EQ(Send(BuildRecordSearch(1, 0, 900, 2000), dev0), 0);
  ASSERT_TRUE(WaitFor(1));
  EXPECT_EQ(recorder.got[0].what, "records");
  EXPECT_EQ(recorder.got[0].bytes.size(), 808u);

  ASSERT_EQ(devnet::Control(dev1, "announce " + dev1 + " " + net.client), "ok");
  ASSERT_EQ(devnet::Control(dev0, "alarm " + dev0 + " " + net.client + " 1 2 1"), "ok");
  ASSERT_TRUE(WaitFor(3));
  EXPECT_EQ(recorder.got[1].what, "announce");
  EXPECT_EQ(recorder.got[1].from, dev1);
  EXPECT_EQ(UdpDeviceInfoView(recorder.got[1].bytes.data()).AddressText(), dev1);
  EXPECT_EQ(recorder.got[2].what, "alarm");
  EXPECT_EQ(recorder.got[2].command, 1);
  EXPECT_EQ(recorder.got[2].channel, 2);

  std::vector<std::string> log = devnet::Log(dev0);
  ASSERT_FALSE(log.empty());
  // "DEVICE FROM:8001 01c1ff0301..." : the notice left the client's port 8001.
  EXPECT_NE(log[0].find(net.client + ":8001 01c1ff0301"), std::string::npos) << log[0];
}

TEST_F(UdpChannel, FaultyRepliesAreHandledAsTheyCome) {
  StartFast();
  struct Case {
    const char* fault;
    const char* what;  // nullptr: nothing reaches a receiver
    bool fromOther;
    uint8_t channel;
  } cases[] = {
      {"short", nullptr, false, 0},
      {"no-reply", nullptr, false, 0},
      {"type66", "config", false, 0},
      {"other-channel", "config", false, 1},
      {"other-address", "config", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    ASSERT_EQ(devnet::Control(dev0, std::string("fault ") + dev0 + " " + c.fault), "ok");
    recorder.got.clear();
    LONG before = channel->ReceivedCount();
    ASSERT_EQ(Send(BuildRegionGet(1), dev0), 0);
    if (c.what) {
      ASSERT_TRUE(WaitFor(1));
      EXPECT_EQ(recorder.got[0].what, c.what);
      EXPECT_EQ(recorder.got[0].from, c.fromOther ? dev1 : dev0);
      EXPECT_EQ(recorder.got[0].channel, c.channel);
      EXPECT_EQ(recorder.got[0].bytes.size(), kRegionBlockSize);
    } else {
      // A short reply arrives but is dropped; no reply is nothing at all.
      bool arrives = std::string(c.fault) == "short";
      if (arrives) {
        ASSERT_TRUE(gui::PumpUntil([&] { return channel->ReceivedCount() > before; }, 5000));
      }
      gui::PumpFor(300);
      EXPECT_TRUE(recorder.got.empty());
    }
  }
}

TEST_F(UdpChannel, EveryWaitingDatagramIsTakenInOnePass) {
  // Replies queue on the socket while the thread still waits after the bind.
  StartFast(1500);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(Send(BuildRegionGet(uint8_t(i % 4)), dev0), 0);
  ASSERT_TRUE(WaitFor(20, 8000));
  EXPECT_EQ(recorder.got.size(), 20u);
  EXPECT_LE(g_dispatched, 20) << "no wake while datagrams already wait";
  EXPECT_LE(channel->ReceivePasses(), 2) << "a pass takes every datagram waiting";
}

TEST_F(UdpChannel, HostNamesGoToTheirResolvedAddressOnly) {
  StartFast();
  channel->SetHostLookup([&](const char* name, in_addr* out) -> BOOL {
    if (std::string(name) != "camera-1") return FALSE;
    out->s_addr = inet_addr(dev0.c_str());
    return TRUE;
  });
  ASSERT_EQ(devnet::Control(dev0, "clear"), "ok");
  EXPECT_EQ(Send(BuildNetworkGet(), "camera-1"), 0);
  EXPECT_EQ(Send(BuildNetworkGet(), "camera-2"), -1) << "an unresolved name is not sent anywhere";
  ASSERT_TRUE(WaitFor(1));
  EXPECT_EQ(recorder.got[0].from, dev0);
  EXPECT_EQ(devnet::Log(dev0).size(), 1u);
}

TEST(UdpChannelAlone, SendsFailBeforeTheSocketAndStopIsPrompt) {
  CUdpCommandChannel channel;
  UdpDatagram d = BuildReboot();
  EXPECT_EQ(channel.SendUdpCommand(d.data(), int(d.size()), "169.254.1.2", 0), -1);
  CUdpCommandChannel::Options t;
  t.startDelayMs = 3000;  // stopped while it still waits to make the socket
  ASSERT_TRUE(channel.Start(nullptr, t));
  Sleep(100);
  DWORD start = GetTickCount();
  EXPECT_TRUE(channel.Stop(2000));
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_FALSE(channel.HasSocket());
}

TEST_F(UdpChannel, ReceiveThreadEndsSoonAfterTheStopFlag) {
  StartFast();
  gui::PumpFor(300);  // in its select loop now
  DWORD start = GetTickCount();
  channel->RequestStop();
  EXPECT_TRUE(channel->Stop(2000));
  DWORD took = GetTickCount() - start;
  EXPECT_LT(took, 600u) << "one 100 ms select, with room for the emulator";
  EXPECT_FALSE(channel->HasSocket());
  EXPECT_EQ(Send(BuildReboot(), dev0), -1);
}

TEST(UdpChannelAlone, LoopOnTheOwnersThreadEndsWithItsStopFlag) {
  CUdpCommandChannel channel;
  volatile LONG stop = 0;
  CUdpCommandChannel::Options t;
  t.startDelayMs = 0;
  t.bindDelayMs = 0;
  std::atomic<DWORD> endedAt{0};
  std::thread owner([&] {
    channel.RunReceiveLoop(nullptr, &stop, t);
    endedAt = GetTickCount();
  });
  ASSERT_TRUE(gui::PumpUntil([&] { return channel.HasSocket() != FALSE; }, 8000));
  Sleep(300);
  DWORD start = GetTickCount();
  InterlockedExchange(&stop, 1);
  owner.join();
  EXPECT_LT(endedAt - start, 600u) << "one 100 ms select, with room for the emulator";
  EXPECT_TRUE(channel.HasSocket()) << "the owner closes the socket once the loop has ended";
  channel.CloseSocket();
  EXPECT_FALSE(channel.HasSocket());
}

namespace {

// The main dialog's face with its sends going out of the test's channel.
class NetMain : public FakeMainDlg {
public:
  CUdpCommandChannel* channel = nullptr;
  int SendUdpCommand(const void* data, int length, const char* address, uint16_t port) override {
    FakeMainDlg::SendUdpCommand(data, length, address, port);
    return channel->SendUdpCommand(data, length, address, 0);
  }
};

// The device's log of one kind of request: each datagram's bytes.
std::vector<Bytes> Logged(const std::string& device, uint8_t type) {
  std::vector<Bytes> out;
  for (const std::string& line : devnet::Log(device)) {
    Bytes b = devnet::HexBytes(line.substr(line.rfind(' ') + 1));
    if (b.size() >= 16 && b[1] == type) out.push_back(b);
  }
  return out;
}

}  // namespace

TEST_F(UdpChannel, PtzPressReleaseAndPresetReachTheDevice) {
  StartFast();
  // What the main dialog sends for a press and release of Up, the iris
  // button and preset 5 set on channel 1.
  ASSERT_EQ(Send(BuildPtz(PtzCommandForButton(kPtzUp), 1), dev0), 0);
  ASSERT_EQ(Send(BuildPtz(UDPCMD_PTZ_STOP, 1), dev0), 0);
  ASSERT_EQ(Send(BuildPtz(PtzCommandForButton(kPtzIrisAdd), 1), dev0), 0);
  ASSERT_EQ(Send(BuildPtz(UDPPTZ_SET_PRESET, 1, 5), dev0), 0);
  std::vector<Bytes> ptz;
  gui::PumpUntil([&] { return (ptz = Logged(dev0, UDPCMD_PTZ)).size() >= 4; }, 5000);
  ASSERT_EQ(4u, ptz.size());
  EXPECT_EQ(3, ptz[0][2]);
  EXPECT_EQ(0xFE, ptz[1][2]);
  EXPECT_EQ(0xFE, ptz[2][2]);
  EXPECT_EQ(11, ptz[3][2]);
  EXPECT_EQ(1, ptz[3][3]);
  EXPECT_EQ(Bytes({5, 0, 0, 0}), Bytes(ptz[3].begin() + 16, ptz[3].end()));
}

TEST_F(UdpChannel, ColourPanelTakesTheDevicesReplyAndSendsDefaultBack) {
  StartFast();
  NetMain main;
  main.channel = channel.get();
  shell::DeviceRecord& dev = main.m_pConfig->devices[0];
  lstrcpynA(dev.address, dev0.c_str(), sizeof dev.address);
  dev.state = 4;
  int slot = main.m_channels.Assign(&dev, 0);
  main.m_channels.CountUsed();
  main.m_windows[0].Add(slot);
  main.m_windows[0].position = 0;
  main.m_windows[0].showsChannel = 1;
  // The device's colours of channel 0: 10, 20, 30, 40.
  Bytes sensor(kSensorBlockSize, 0);
  for (size_t i = 1; i < sensor.size(); ++i) sensor[i] = uint8_t(100 + i);  // byte 0: the channel
  sensor[5] = 10;
  sensor[6] = 20;
  sensor[7] = 30;
  sensor[8] = 40;
  ASSERT_EQ(Send(BuildSensorSet(sensor.data()), dev0), 0);
  gui::PumpFor(200);

  // No interface solution here: the panel says its pictures are missing.
  gui::MessageBoxScript boxes;
  HWND top = ::CreateWindowA("STATIC", "Panels", WS_OVERLAPPED, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  // The device network's session draws on the main session's display; when
  // that cannot be reached the panel cannot be made here (side_panels_test
  // covers it on a stand-in).
  if (!top) GTEST_SKIP() << "no display reachable from the device network's session";
  CColorDlg colour;
  ASSERT_TRUE(colour.Create(CColorDlg::IDD, CWnd::FromHandle(top)));
  EXPECT_EQ(1u, boxes.Count());
  g_panel = &main.m_udpReceivers;  // the colour panel registered itself there
  ASSERT_EQ(Send(BuildSensorGet(0), dev0), 0);
  gui::PumpUntil([&] { return colour.Position(3) == 40; }, 5000);
  g_panel = nullptr;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(10 * (i + 1), colour.Position(i)) << i;
  ASSERT_EQ(devnet::Control(dev0, "clear"), "ok");
  ::SendMessageA(colour.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_COLOR_DEFAULT, BN_CLICKED), 0);
  std::vector<Bytes> sets;
  gui::PumpUntil([&] { return !(sets = Logged(dev0, UDPCMD_SET)).empty(); }, 5000);
  ASSERT_EQ(1u, sets.size());
  ASSERT_EQ(28u, sets[0].size());
  Bytes want = sensor;
  want[5] = want[6] = want[7] = want[8] = 128;
  EXPECT_EQ(want, Bytes(sets[0].begin() + 16, sets[0].end()));
  colour.DestroyWindow();
  ::DestroyWindow(top);
}
