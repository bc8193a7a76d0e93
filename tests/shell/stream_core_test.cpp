// Live-stream bookkeeping shared between the UI thread and the stream,
// restart and card-feed threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "stream_core.h"

using namespace shell;

TEST(StreamCore, RoutesReadBackWhole) {
  const PlayRoute routes[] = {
      {-1, 0, false}, {0, 1, true}, {63, 0x7FFFFFFF, false}, {5, -3, true}, {12, 0, true},
  };
  PlayRouteCell cell;
  EXPECT_EQ(cell.Read().slot, -1) << "a new window shows nothing";
  for (const PlayRoute& r : routes) {
    cell.Publish(r);
    PlayRoute got = cell.Read();
    EXPECT_EQ(got.slot, r.slot);
    EXPECT_EQ(got.handle, r.handle);
    EXPECT_EQ(got.mainStream, r.mainStream);
  }
}

TEST(StreamCore, HandleForADelivery) {
  struct Case {
    PlayRoute route;
    int slot;
    bool main;
    int handle;
  } cases[] = {
      {{3, 77, true}, 3, true, 77},    // shows this slot's main stream
      {{3, 77, true}, 3, false, 0},    // the sub stream is not shown
      {{3, 78, false}, 3, false, 78},  // shows the sub stream
      {{3, 77, true}, 4, true, 0},     // another slot
      {{-1, 0, false}, 0, false, 0},   // shows nothing
      {{3, 77, true}, -1, true, 0},    // a slot no window shows
  };
  for (const Case& c : cases) EXPECT_EQ(RouteHandleFor(c.route, c.slot, c.main), c.handle);
}

TEST(StreamCore, ReadersNeverSeeHalfARoute) {
  // The UI thread flips a window between two routes; a reader must see one
  // of them whole, never slot A with B's handle.
  PlayRouteCell cell;
  const PlayRoute a{1, 1001, true}, b{2, 2002, false};
  cell.Publish(a);
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done) {
      PlayRoute r = cell.Read();
      bool isA = r.slot == 1 && r.handle == 1001 && r.mainStream;
      bool isB = r.slot == 2 && r.handle == 2002 && !r.mainStream;
      if (!isA && !isB) ++torn;
    }
  });
  for (int i = 0; i < 200000; ++i) cell.Publish(i & 1 ? a : b);
  done = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
}

TEST(StreamCore, RestartsRunOffTheCallerOnceEach) {
  std::mutex m;
  std::vector<std::pair<int, int>> ran;
  std::atomic<bool> release{false};
  const auto caller = std::this_thread::get_id();
  std::atomic<bool> onCaller{false};
  CStreamRestarter restarter([&](int slot, int kind) {
    if (std::this_thread::get_id() == caller) onCaller = true;
    // A dead device: the start waits before it fails.
    for (int i = 0; i < 500 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::lock_guard<std::mutex> g(m);
    ran.push_back({slot, kind});
  });
  EXPECT_TRUE(restarter.Queue(4, 0));
  EXPECT_TRUE(restarter.Queue(4, 1));
  EXPECT_TRUE(restarter.Queue(9, 0));
  EXPECT_FALSE(restarter.Queue(4, 1)) << "already waiting";
  EXPECT_FALSE(restarter.Queue(64, 0));
  EXPECT_FALSE(restarter.Queue(1, 2));
  release = true;
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard<std::mutex> g(m);
      if (ran.size() == 3) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  {
    std::lock_guard<std::mutex> g(m);
    EXPECT_EQ(ran, (std::vector<std::pair<int, int>>{{4, 0}, {4, 1}, {9, 0}}));
  }
  EXPECT_FALSE(onCaller);
  EXPECT_TRUE(restarter.Queue(4, 0)) << "queued again once its restart ran";
  restarter.Stop();
  EXPECT_FALSE(restarter.Queue(5, 0));
}

namespace {

uint8_t Luma(const std::vector<uint8_t>& p, int x, int y) { return p[size_t(y * kCardWidth + x)]; }
uint8_t ChromaU(const std::vector<uint8_t>& p, int x, int y) {
  return p[size_t(kCardWidth * kCardHeight + (y / 2) * (kCardWidth / 2) + x / 2)];
}
uint8_t ChromaV(const std::vector<uint8_t>& p, int x, int y) {
  return p[size_t(kCardWidth * kCardHeight * 5 / 4 + (y / 2) * (kCardWidth / 2) + x / 2)];
}

}  // namespace

TEST(StreamCore, QuarterClearedToBlackOnly) {
  // Corners and edges of each quarter, inside and just outside.
  for (int q = 0; q < 4; ++q) {
    SCOPED_TRACE(q);
    std::vector<uint8_t> pic(size_t(kCardPictureSize), 77);
    ClearCardQuadrant(pic.data(), q);
    int x0 = (q % 2) * 352, y0 = (q / 2) * 288;
    for (int y = 0; y < kCardHeight; y += 1) {
      for (int x : {0, 351, 352, 703, x0, x0 + 351}) {
        bool inside = x >= x0 && x < x0 + 352 && y >= y0 && y < y0 + 288;
        ASSERT_EQ(Luma(pic, x, y), inside ? 0 : 77) << x << "," << y;
        ASSERT_EQ(ChromaU(pic, x, y), inside ? 128 : 77) << x << "," << y;
        ASSERT_EQ(ChromaV(pic, x, y), inside ? 128 : 77) << x << "," << y;
      }
    }
  }
  std::vector<uint8_t> pic(size_t(kCardPictureSize), 77);
  ClearCardQuadrant(pic.data(), 4);
  ClearCardQuadrant(pic.data(), -1);
  ClearCardQuadrant(nullptr, 0);
  EXPECT_EQ(pic, std::vector<uint8_t>(size_t(kCardPictureSize), 77));
}

TEST(StreamCore, CardFeedPlan) {
  CardOutputAssignment none, one, two, full;
  one.window[2] = 5;
  two.window[0] = 1;
  two.window[3] = 2;
  full.window[0] = 0;
  full.window[1] = 1;
  full.window[2] = 2;
  full.window[3] = 3;
  std::vector<CardOutputAssignment> outputs = {none, one, two, full};
  auto steps = PlanCardFeed(outputs, 4);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].output, 1) << "a single assigned window is fed";
  EXPECT_TRUE(steps[0].clear[0] && steps[0].clear[1] && !steps[0].clear[2] && steps[0].clear[3]);
  EXPECT_EQ(steps[1].output, 2);
  EXPECT_TRUE(!steps[1].clear[0] && steps[1].clear[1] && steps[1].clear[2] && !steps[1].clear[3]);
  EXPECT_EQ(steps[2].output, 3);
  EXPECT_TRUE(!steps[2].clear[0] && !steps[2].clear[1] && !steps[2].clear[2] && !steps[2].clear[3]);

  EXPECT_EQ(PlanCardFeed(outputs, 2).size(), 1u);
  EXPECT_EQ(PlanCardFeed(outputs, 99).size(), 3u) << "the count is clamped to the assignments";
  std::vector<CardOutputAssignment> many(40, one);
  EXPECT_EQ(PlanCardFeed(many, 40).size(), size_t(kCardMaxOutputs)) << "and to the feed's tables";
  EXPECT_TRUE(PlanCardFeed(outputs, -1).empty());
}

namespace {

struct FakeCard : ICardOutputs {
  std::vector<std::string> calls;
  std::vector<uint8_t> lastPicture;
  void OpenChannel(int output) override { calls.push_back("open " + std::to_string(output)); }
  void InputData(int output, const uint8_t* picture, int w, int h, int flag) override {
    calls.push_back("input " + std::to_string(output) + " " + std::to_string(w) + "x" + std::to_string(h) +
                    " " + std::to_string(flag));
    lastPicture.assign(picture, picture + kCardPictureSize);
  }
};

}  // namespace

TEST(StreamCore, CardFeedRunsOnlyWhenReadyAndOn) {
  CCardFeed feed;
  CardOutputAssignment one;
  one.window[1] = 4;
  feed.SetAssignments({CardOutputAssignment(), one}, 2);
  FakeCard card;
  EXPECT_EQ(feed.Run(card, true), 0) << "mode 0 pauses the feed";
  feed.SetMode(1);
  EXPECT_EQ(feed.Run(card, false), 0) << "no card";
  EXPECT_TRUE(card.calls.empty());

  // The card code drew into quarter 1 and, earlier, into quarter 3.
  uint8_t* pic = feed.Picture(1);
  ASSERT_TRUE(pic);
  pic[352] = 200;                               // quarter 1, first row
  pic[size_t(300 * kCardWidth + 400)] = 200;    // quarter 3
  EXPECT_EQ(feed.Run(card, true), 1);
  EXPECT_EQ(card.calls, (std::vector<std::string>{"open 1", "input 1 704x576 1"}));
  EXPECT_EQ(card.lastPicture[352], 200) << "the assigned quarter is sent as drawn";
  EXPECT_EQ(card.lastPicture[size_t(300 * kCardWidth + 400)], 0) << "an unassigned quarter goes black";
  EXPECT_EQ(feed.Picture(kCardMaxOutputs), nullptr);
}
