// Live streams of a device on the device network (scripts/devnet): a stream
// start is followed by the stream-started notice on the UDP command
// channel, and a stream that falls silent is reopened off the caller's
// thread, each restart with its notice.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Orvik.h"
#include "devnet_kit.h"
#include "fake_slot.h"
#include "gui_kit.h"
#include "net_streams.h"
#include "stream_core.h"
#include "stream_delivery.h"
#include "udp_channel.h"

using namespace shell;

namespace {

struct Slot : FakeChannelSlot {
  std::atomic<int> videoUnits{0};
};

struct NoServices : IStreamServices {
  bool PlaybackVisible() override { return false; }
  void PlayVideoStream(int, const uint8_t*, int) override {}
  void AudioDecode(const uint8_t*, int, int) override {}
  void StoreAudioFormat(int, int) override {}
  void CountVideoBytes(int, int) override {}
  void PreviewFrame(int, const uint8_t*, int) override {}
  void BuildRecordFrame(int, const uint8_t*, int, int) override {}
};

NoServices g_services;
PlayRouteCell g_routes[36];

void CALLBACK OnMain(unsigned char* data, int length, int type, int codec, void* user) {
  if (!user) return;
  Slot& s = *static_cast<Slot*>(user);
  if (type == 0 && length > 0) ++s.videoUnits;
  DeliverMainStream(s, 0, g_routes, 36, data, length, type, codec, g_services);
}

void CALLBACK OnSub(unsigned char* data, int length, int type, int, void* user) {
  if (!user) return;
  DeliverSubStream(*static_cast<Slot*>(user), 0, g_routes, 36, data, length, type, g_services);
}

int CountNotices(const std::string& device, const std::string& client, const char* channelAndKind) {
  int n = 0;
  for (const std::string& line : devnet::Log(device))
    if (line.find(client + ":8001 01c1ff" + channelAndKind) != std::string::npos) ++n;
  return n;
}

std::string Rtsp(const std::string& device) { return devnet::Control(device, "rtsp " + device); }

// PLAY requests the device has had since it started.
int Plays(const std::string& device) {
  std::string r = Rtsp(device);
  return r.rfind("plays ", 0) == 0 ? std::atoi(r.c_str() + 6) : -1;
}

class StreamRestart : public ::testing::Test {
protected:
  devnet::Network net;
  std::string dev;
  CUdpCommandChannel channel;
  int login = 0;

  void SetUp() override {
    if (!net.available) GTEST_SKIP() << "no device network: " << net.reason;
    dev = net.devices[0];
    ASSERT_EQ(devnet::Control(dev, "clear"), "ok");
    ASSERT_EQ(devnet::Control(dev, "rtsp-fault " + dev + " none"), "ok");
    CUdpCommandChannel::Options t;
    t.startDelayMs = 0;
    t.bindDelayMs = 0;
    ASSERT_TRUE(channel.Start(nullptr, t));
    ASSERT_TRUE(gui::PumpUntil([&] { return channel.IsBound() != FALSE; }, 8000));
    ASSERT_EQ(NET_Init(), 1);
    NET_LOGIN_PARAMS p = {};
    p.address = dev.c_str();
    p.port = 36688;
    login = NET_Login(p);
    ASSERT_GT(login, 0) << "error " << NET_GetLastError();
  }

  void TearDown() override {
    if (login > 0) NET_LogOut(login);
    channel.Stop(2000);
    if (!dev.empty()) devnet::Control(dev, "rtsp-fault " + dev + " none");
  }

  StreamStartedNotice Notice() {
    return [this](const char* address, int port, int ch, int kind) {
      channel.SendStreamStarted(address, uint16_t(port), uint8_t(ch), uint8_t(kind));
    };
  }
};

}  // namespace

TEST_F(StreamRestart, StartIsFollowedByTheNoticeAndAFailedStartByNone) {
  Slot slot;
  CNetStreamControl sdk(OnMain, OnSub);
  const int plays = Plays(dev);
  EXPECT_NE(RestartSlotStream(sdk, login, 1, 1, &slot, dev.c_str(), 36688, Notice()), 0);
  ASSERT_TRUE(gui::PumpUntil([&] { return CountNotices(dev, net.client, "0101") == 1; }, 5000))
      << "the sub-stream notice of channel 1 from port 8001; log: " << devnet::Control(dev, "log");
  EXPECT_TRUE(gui::PumpUntil([&] { return Plays(dev) == plays + 1; }, 5000)) << Rtsp(dev) << " before " << plays;
  sdk.StopStream(login, 1, 1);

  // A login id the SDK does not know: the start fails, no notice.
  EXPECT_EQ(RestartSlotStream(sdk, login + 1000, 2, 0, &slot, dev.c_str(), 36688, Notice()), 0);
  gui::PumpFor(300);
  EXPECT_EQ(CountNotices(dev, net.client, "02"), 0);
}

TEST_F(StreamRestart, SilentStreamIsReopenedWithItsNotice) {
  // The device stops sending after 25 units of every session (a second of
  // video) and keeps the connection open.
  ASSERT_EQ(devnet::Control(dev, "rtsp-fault " + dev + " stall"), "ok");
  Slot slot;
  CNetStreamControl sdk(OnMain, OnSub);
  const int plays = Plays(dev);
  const DWORD uiThread = GetCurrentThreadId();
  std::atomic<bool> restartOnUi{false};
  std::atomic<int> restarts{0};
  CStreamRestarter restarter([&](int, int kind) {
    if (GetCurrentThreadId() == uiThread) restartOnUi = true;
    ++restarts;
    RestartSlotStream(sdk, login, 0, kind, &slot, dev.c_str(), 36688, Notice());
  });
  ASSERT_NE(RestartSlotStream(sdk, login, 0, 0, &slot, dev.c_str(), 36688, Notice()), 0);
  ASSERT_TRUE(gui::PumpUntil([&] { return slot.videoUnits >= 20; }, 15000)) << "units " << slot.videoUnits;

  // Watchdog ticks, injected every 100 ms: above 10 silent ticks a restart
  // is queued (at most 30 in a row), and data clears the counters.
  int queuedRestarts = 0;
  bool reopened = gui::PumpUntil(
      [&] {
        if (slot.mainTicks > 10) {
          if (slot.mainRestarts < 30) {
            ++slot.mainRestarts;
            if (restarter.Queue(0, 0)) ++queuedRestarts;
            slot.mainTicks = 0;
          }
        } else {
          ++slot.mainTicks;
        }
        gui::PumpFor(100);
        return Plays(dev) == plays + 2 && CountNotices(dev, net.client, "0000") >= 2;
      },
      30000);
  ASSERT_TRUE(reopened) << Rtsp(dev) << ", queued " << queuedRestarts;
  const int unitsBefore = slot.videoUnits;
  ASSERT_TRUE(gui::PumpUntil([&] { return slot.videoUnits > unitsBefore; }, 10000)) << "the new session delivers";
  EXPECT_EQ(slot.mainRestarts.load(), 0) << "data clears the restart count";
  EXPECT_FALSE(restartOnUi);
  EXPECT_EQ(restarts.load(), 1);
  restarter.Stop();
  sdk.StopStream(login, 0, 0);
}
