// Deliveries of the SDK's stream threads: live play into the window that
// shows the slot, audio, the watchdog's data mark and record frames.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FrameQueue.h"
#include "RecordFrameBuilder.h"
#include "fake_slot.h"
#include "stream_delivery.h"

using namespace shell;

namespace {

// Counters that data clears start at 5 ticks and 3 restarts.
struct TestSlot : FakeChannelSlot {
  TestSlot() : FakeChannelSlot(5, 3) {}
};

// The SDK seam and the main dialog's services, as calls written down; record
// frames go through the real builder into a real frame queue.
struct FakeServices : IStreamServices {
  bool playback = false;
  std::vector<std::string> calls;
  record::CFrameQueue queue{64};
  std::unique_ptr<record::CRecordFrameBuilder> builders[64];
  uint8_t audioFormat[64] = {};

  bool PlaybackVisible() override { return playback; }
  void PlayVideoStream(int handle, const uint8_t*, int length) override {
    calls.push_back("play " + std::to_string(handle) + " " + std::to_string(length));
  }
  void AudioDecode(const uint8_t*, int length, int codec) override {
    calls.push_back("audio " + std::to_string(length) + " codec " + std::to_string(codec));
  }
  void StoreAudioFormat(int slot, int codec) override { audioFormat[slot] = uint8_t(codec); }
  void CountVideoBytes(int slot, int length) override {
    calls.push_back("bytes " + std::to_string(slot) + " " + std::to_string(length));
  }
  void PreviewFrame(int slot, const uint8_t*, int) override { calls.push_back("preview " + std::to_string(slot)); }
  // Kept apart: the card's copies come on top of the other calls.
  std::vector<std::string> cardCalls;
  void CardVideo(int window, const uint8_t*, int length) override {
    cardCalls.push_back("card " + std::to_string(window) + " " + std::to_string(length));
  }
  void BuildRecordFrame(int slot, const uint8_t* data, int length, int streamType) override {
    calls.push_back("record " + std::to_string(slot) + " type " + std::to_string(streamType));
    if (!builders[slot]) builders[slot] = std::make_unique<record::CRecordFrameBuilder>();
    record::BuildRecordFrame(*builders[slot], queue, slot, data, size_t(length), streamType, audioFormat[slot],
                             nullptr, nullptr);
  }
};

std::vector<uint8_t> Unit(uint8_t nalHeader, size_t size) {
  std::vector<uint8_t> u(size, 0xAA);
  u[0] = 0;
  u[1] = 0;
  u[2] = 0;
  u[3] = 1;
  u[4] = nalHeader;
  return u;
}

struct Windows {
  PlayRouteCell routes[36];
};

}  // namespace

TEST(StreamDelivery, ShownStreamPlaysOnItsWindowsHandleOnly) {
  Windows w;
  TestSlot slots[3];
  // Window 2 shows slot 0's main stream (handle 21); window 5 shows slot 1's
  // sub stream (handle 52); slot 2 is listed in window 7, which shows another slot.
  slots[0].window = 2;
  slots[1].window = 5;
  slots[2].window = 7;
  w.routes[2].Publish({0, 21, true});
  w.routes[5].Publish({1, 52, false});
  w.routes[7].Publish({0, 71, true});
  const auto frame = Unit(0x65, 100);
  struct Case {
    const char* name;
    int slot;
    bool sub;
    int streamType;
    std::vector<std::string> calls;
  } cases[] = {
      {"slot 0 main video", 0, false, 0, {"bytes 0 100", "play 21 100", "preview 0"}},
      {"slot 0 sub video: window shows main", 0, true, 1, {}},
      {"slot 1 sub video", 1, true, 1, {"play 52 100"}},
      {"slot 1 main video: window shows sub", 1, false, 0, {"bytes 1 100", "preview 1"}},
      {"slot 2: its window shows another slot", 2, false, 0, {"bytes 2 100", "preview 2"}},
      {"sub audio type is not played", 1, true, 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServices s;
    if (c.sub)
      DeliverSubStream(slots[c.slot], c.slot, w.routes, 36, frame.data(), 100, c.streamType, s);
    else
      DeliverMainStream(slots[c.slot], c.slot, w.routes, 36, frame.data(), 100, c.streamType, 0, s);
    EXPECT_EQ(s.calls, c.calls);
  }
}

TEST(StreamDelivery, NotShownAndPlaybackVisible) {
  Windows w;
  w.routes[0].Publish({0, 11, true});
  const auto frame = Unit(0x65, 50);
  const uint8_t audio[160] = {};
  TestSlot slot;
  FakeServices s;

  slot.window = -1;  // a recording slot that no window shows
  slot.recording = 1;
  DeliverMainStream(slot, 0, w.routes, 36, frame.data(), 50, 0, 0, s);
  DeliverSubStream(slot, 0, w.routes, 36, frame.data(), 50, 1, s);
  slot.window = 36;  // outside the table
  DeliverMainStream(slot, 0, w.routes, 36, frame.data(), 50, 0, 0, s);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"bytes 0 50", "preview 0", "record 0 type 0", "bytes 0 50",
                                               "preview 0", "record 0 type 0"}));

  // Playback visible: nothing plays, audio is neither played nor its format
  // stored, but recording and statistics go on.
  slot.window = 0;
  s.calls.clear();
  s.playback = true;
  DeliverMainStream(slot, 0, w.routes, 36, audio, 160, 3, 2, s);
  DeliverMainStream(slot, 0, w.routes, 36, frame.data(), 50, 0, 0, s);
  DeliverSubStream(slot, 0, w.routes, 36, frame.data(), 50, 1, s);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"record 0 type 3", "bytes 0 50", "record 0 type 0"}));
  EXPECT_EQ(s.audioFormat[0], 0);

  s.calls.clear();
  s.playback = false;
  DeliverMainStream(slot, 0, w.routes, 36, audio, 160, 3, 2, s);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"audio 160 codec 2", "record 0 type 3"}));
  EXPECT_EQ(s.audioFormat[0], 2);
}

TEST(StreamDelivery, OnlyVideoWithDataMarksTheStreamAlive) {
  Windows w;
  const auto frame = Unit(0x65, 40);
  const uint8_t audio[160] = {};
  struct Case {
    const char* name;
    bool sub;
    int streamType, length;
    bool clears;
  } cases[] = {
      {"main video", false, 0, 40, true},
      {"main audio", false, 3, 160, false},
      {"main empty first delivery", false, 0, 0, false},
      {"sub video", true, 1, 40, true},
      {"sub audio", true, 3, 160, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSlot slot;
    FakeServices s;
    const uint8_t* data = c.streamType == 3 ? audio : frame.data();
    if (c.sub)
      DeliverSubStream(slot, 0, w.routes, 36, data, c.length, c.streamType, s);
    else
      DeliverMainStream(slot, 0, w.routes, 36, data, c.length, c.streamType, 1, s);
    std::atomic<int32_t>& ticks = c.sub ? slot.subTicks : slot.mainTicks;
    std::atomic<int32_t>& restarts = c.sub ? slot.subRestarts : slot.mainRestarts;
    EXPECT_EQ(ticks.load(), c.clears ? 0 : 5);
    EXPECT_EQ(restarts.load(), c.clears ? 0 : 3);
    EXPECT_EQ((c.sub ? slot.mainTicks : slot.subTicks).load(), 5) << "the other stream's counters stay";
  }
}

TEST(StreamDelivery, RecordFramesCarryKeyFlagAndTheirAudio) {
  Windows w;
  TestSlot slot;
  slot.manualRecord = 1;
  FakeServices s;
  ASSERT_TRUE(s.queue.StartRecord(4, 0));
  const uint8_t pcma[3][160] = {{1}, {2}, {3}};
  const auto idr = Unit(0x67, 300), inter = Unit(0x41, 120);
  for (const auto& a : pcma) DeliverMainStream(slot, 4, w.routes, 36, a, 160, 3, 1, s);
  DeliverMainStream(slot, 4, w.routes, 36, idr.data(), int(idr.size()), 0, 0, s);
  DeliverMainStream(slot, 4, w.routes, 36, inter.data(), int(inter.size()), 0, 0, s);

  record::CTakenFrame f;
  ASSERT_TRUE(s.queue.Take(4, f));
  record::RecordFrameHeader h = f.Header();
  EXPECT_EQ(h.keyFrame, 1u);
  EXPECT_EQ(h.videoLength, 300u);
  EXPECT_EQ(h.audioLength, 480u) << "three audio payloads ride with the next video frame";
  EXPECT_EQ(f.Data()[24 + 300], 1);
  EXPECT_EQ(f.Data()[24 + 300 + 320], 3);
  ASSERT_TRUE(s.queue.Take(4, f));
  h = f.Header();
  EXPECT_EQ(h.keyFrame, 0u);
  EXPECT_EQ(h.videoLength, 120u);
  EXPECT_EQ(h.audioLength, 0u);
  EXPECT_EQ(h.audioFormat, 1) << "the format recorded when the previous frame was queued";
  EXPECT_FALSE(s.queue.Take(4, f));
}

TEST(StreamDelivery, WindowsChangingUnderDeliveries) {
  // The UI thread moves slot 0 between windows and routes while a stream
  // thread delivers: every play goes to a handle that was published for
  // slot 0's main stream, never another's.
  Windows w;
  TestSlot slot;
  std::atomic<bool> done{false};
  std::thread ui([&] {
    for (int i = 0; !done; ++i) {
      int win = i % 3 == 2 ? -1 : i % 3;
      slot.window = win;
      w.routes[0].Publish(i % 2 ? PlayRoute{0, 100, true} : PlayRoute{1, 999, true});
      w.routes[1].Publish(i % 2 ? PlayRoute{0, 101, false} : PlayRoute{0, 102, true});
    }
  });
  struct CountingServices : FakeServices {
    std::atomic<int> bad{0}, played{0};
    void PlayVideoStream(int handle, const uint8_t*, int) override {
      ++played;
      if (handle != 100 && handle != 102) ++bad;
    }
    void CountVideoBytes(int, int) override {}
    void PreviewFrame(int, const uint8_t*, int) override {}
  } s;
  const auto frame = Unit(0x41, 20);
  for (int i = 0; i < 20000; ++i) DeliverMainStream(slot, 0, w.routes, 36, frame.data(), 20, 0, 0, s);
  done = true;
  ui.join();
  EXPECT_EQ(s.bad.load(), 0);
}

TEST(StreamDelivery, SubStreamAlsoPlaysIntoTheAlarmVideo) {
  Windows w;
  w.routes[5].Publish({1, 52, false});
  TestSlot slots[2];
  slots[1].window = 5;
  const auto frame = Unit(0x65, 100);
  FakeServices s;
  PublishAlarmVideoRoute(1, 99);
  DeliverSubStream(slots[1], 1, w.routes, 36, frame.data(), 100, 1, s);
  DeliverSubStream(slots[0], 0, w.routes, 36, frame.data(), 100, 1, s);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"play 52 100", "play 99 100"}));
  s.calls.clear();
  s.playback = true;
  DeliverSubStream(slots[1], 1, w.routes, 36, frame.data(), 100, 1, s);
  EXPECT_TRUE(s.calls.empty()) << "nothing plays live while playback shows";
  s.playback = false;
  PublishAlarmVideoRoute(-1, 0);
  DeliverSubStream(slots[1], 1, w.routes, 36, frame.data(), 100, 1, s);
  EXPECT_EQ(s.calls, (std::vector<std::string>{"play 52 100"}));
}

TEST(StreamDelivery, TheCardGetsTheStreamItsWindowShows) {
  Windows w;
  TestSlot slots[3];
  slots[0].window = 2;   // shows slot 0's main stream
  slots[1].window = 5;   // shows slot 1's sub stream
  slots[2].window = 7;   // listed, but window 7 shows another slot
  w.routes[2].Publish({0, 21, true});
  w.routes[5].Publish({1, 52, false});
  w.routes[7].Publish({0, 71, true});
  FakeServices s;
  s.playback = true;     // the card is fed even while playback hides live play
  std::vector<uint8_t> v = Unit(0x65, 40), a(16, 0xD5);
  auto cards = [&] {
    std::vector<std::string> out;
    out.swap(s.cardCalls);
    return out;
  };
  DeliverMainStream(slots[0], 0, w.routes, 36, v.data(), int(v.size()), 0, 0, s);
  DeliverMainStream(slots[0], 0, w.routes, 36, a.data(), int(a.size()), 3, 1, s);   // audio
  EXPECT_EQ(std::vector<std::string>{"card 2 40"}, cards());
  DeliverMainStream(slots[1], 1, w.routes, 36, v.data(), int(v.size()), 0, 0, s);   // not the shown stream
  DeliverSubStream(slots[1], 1, w.routes, 36, v.data(), int(v.size()), 0, s);
  EXPECT_EQ(std::vector<std::string>{"card 5 40"}, cards());
  DeliverMainStream(slots[2], 2, w.routes, 36, v.data(), int(v.size()), 0, 0, s);
  DeliverSubStream(slots[0], 0, w.routes, 36, v.data(), int(v.size()), 0, s);
  EXPECT_TRUE(cards().empty());
}
