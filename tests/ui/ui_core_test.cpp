// The toolkit's portable core: slider geometry, gradient rows, the area
// selection's arithmetic and the status lamps against a fake host.
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "AreaSelectGeometry.h"
#include "RoundButtonFaces.h"
#include "SliderGeometry.h"
#include "StatusLamps.h"
#include "fake_status_host.h"

using namespace ui;

namespace {

SliderAxis Axis(int mn, int mx, int length, int thumb, int a = 0, int b = 0) {
  SliderAxis s;
  s.min = mn;
  s.max = mx;
  s.length = length;
  s.thumb = thumb;
  s.startMargin = a;
  s.endMargin = b;
  return s;
}

TEST(SliderGeometry, PositionsPixelsAndClamps) {
  struct Row { SliderAxis axis; int pos, centre; int pixel, posAtPixel; };
  const Row rows[] = {
      {Axis(0, 100, 200, 10), 0, 5, 100, 50},
      {Axis(0, 100, 200, 10), 100, 195, 195, 100},
      {Axis(0, 100, 200, 10), 50, 100, 5, 0},
      // Margins shift the track; a negative minimum keeps its offset.
      {Axis(-50, 50, 120, 10, 5, 5), -50, 10, 10, -50},
      {Axis(-50, 50, 120, 10, 5, 5), 50, 110, 60, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.axis.ThumbCentre(r.pos), r.centre) << r.pos;
    EXPECT_EQ(r.axis.PosFromPixel(r.pixel), r.posAtPixel) << r.pixel;
  }
  SliderAxis s = Axis(0, 100, 200, 10);
  EXPECT_EQ(s.ClampPos(150), 100);
  EXPECT_EQ(s.ClampPos(-3), 0);
  EXPECT_EQ(s.ClampCentre(-40), 5);
  EXPECT_EQ(s.ClampCentre(400), 195);
}

TEST(SliderGeometry, DegenerateRangesAndTracksStayAtTheStart) {
  const SliderAxis cases[] = {
      Axis(0, 100, 0, 10),       // not sized yet
      Axis(0, 100, 10, 10),      // track as long as the thumb
      Axis(0, 100, 20, 10, 6, 6),
      Axis(7, 7, 200, 10),       // one value
      Axis(9, 3, 200, 10),       // reversed
  };
  for (const SliderAxis& s : cases) {
    EXPECT_EQ(s.ThumbCentre(50), s.thumb / 2 + s.startMargin);
    EXPECT_EQ(s.PosFromPixel(100), s.min);
    int c = s.ClampCentre(1000);
    EXPECT_GE(c, s.startMargin + s.thumb / 2);
  }
  EXPECT_EQ(Axis(7, 7, 200, 10).ClampPos(100), 7);
}

TEST(SliderGeometry, Keys) {
  EXPECT_EQ(SliderKeyPos(SliderKey::PageUp, 50, 20, 0, 100), 30);
  EXPECT_EQ(SliderKeyPos(SliderKey::PageDown, 50, 20, 0, 100), 70);
  EXPECT_EQ(SliderKeyPos(SliderKey::End, 50, 20, 0, 100), 100);
  EXPECT_EQ(SliderKeyPos(SliderKey::Home, 50, 20, 3, 100), 3);
  EXPECT_EQ(SliderKeyPos(SliderKey::Back, 50, 20, 0, 100), 49);
  EXPECT_EQ(SliderKeyPos(SliderKey::Forward, 50, 20, 0, 100), 51);
}

TEST(RoundButtonFaces, GradientStepsBeforeEachRowInWholeNumbers) {
  // White to 0xFF8000 over 4 rows: red 255 -> 0 steps 63, green 255 -> 128
  // steps 31, blue stays.
  std::vector<uint32_t> rows = GradientRows(0xFFFFFF, 0xFF8000, 4);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], 0xFFE0C0u);
  EXPECT_EQ(rows[3], 0xFF8303u);
  // A rising channel steps upward.
  EXPECT_EQ(GradientRows(0x000000, 0x0000FF, 5).back(), 0x0000FFu);
  EXPECT_TRUE(GradientRows(0xFFFFFF, 0, 0).empty());
  EXPECT_TRUE(GradientRows(0xFFFFFF, 0, -3).empty());
}

TEST(AreaSelectGeometry, DragsAreNormalisedAndClamped) {
  EXPECT_EQ(NormalizeDrag(50, 40, 10, 10), (AreaRect{10, 10, 50, 40}));
  EXPECT_EQ(ClampToClient(NormalizeDrag(20, 30, 500, -9), 176, 144), (AreaRect{20, 0, 176, 30}));
  EXPECT_FALSE(NormalizeDrag(10, 10, 10, 10).HasArea());
  EXPECT_FALSE(NormalizeDrag(10, 10, 40, 10).HasArea());
  // Entirely outside: nothing left.
  EXPECT_FALSE(ClampToClient(NormalizeDrag(-30, -30, -5, -5), 100, 100).HasArea());
}

TEST(AreaSelectGeometry, AreaScalesToTheClientRoundingDown) {
  EXPECT_EQ(ScaleArea({0, 0, 352, 288}, 176, 144), (AreaRect{0, 0, 176, 144}));
  EXPECT_EQ(ScaleArea({11, 10, 33, 30}, 100, 100), (AreaRect{3, 3, 9, 10}));
}

TEST(AreaSelectGeometry, PictureLayout) {
  struct Row { int w, h; bool caption, keep; AreaRect want; };
  const Row rows[] = {
      {352, 288, false, false, {0, 0, 352, 288}},
      {352, 288, true, false, {0, 0, 352, 275}},
      // 352 wide -> 240 high, 24 above and below: centred.
      {352, 288, false, true, {0, 24, 352, 264}},
      // 20 pixels to spare, 10 each side: less than 13, laid out plainly.
      {352, 260, true, true, {0, 0, 352, 247}},
      {0, 5, true, false, {0, 0, 0, 0}},
  };
  for (const Row& r : rows) EXPECT_EQ(PictureRect(r.w, r.h, r.caption, r.keep), r.want) << r.w << "x" << r.h;
}

TEST(AreaSelectGeometry, ColoursAndMouseParam) {
  EXPECT_EQ(AreaFrameColour(0), 0x00FF00u);
  EXPECT_EQ(AreaFrameColour(1), 0xFF0000u);
  EXPECT_EQ(AreaFrameColour(2), 0x0000FFu);
  EXPECT_EQ(AreaFrameColour(3), 0x00FF00u);
  EXPECT_EQ(AreaFrameColour(7), 0x00FF00u);
  EXPECT_EQ(AreaMouseParam(3, 100, 200), (3u << 24) | (100u << 12) | 200u);
  // A pointer left of the primary screen does not reach the index.
  EXPECT_EQ(AreaMouseParam(3, -1, 5) >> 24, 3u);
}

// ------------------------------------------------------------- status lamps
// The host tells the lamps each new state back, as the main window does.
struct FakeHost : FakeStatusHost {
  FakeHost() {
    onSet = [this](int kind, int index, int on) {
      if (lamps) lamps->SetChannelState(kind, index, on);
    };
  }
  StatusLamps* lamps = nullptr;
};

TEST(StatusLamps, KindZeroEnablesTheWindowsThatShowVideo) {
  FakeHost host;
  StatusLamps lamps(host);
  host.lamps = &lamps;
  host.states[{0, 1}] = 1;
  host.states[{0, 3}] = 1;
  host.states[{0, 5}] = 1;   // beyond the 4-window layout
  lamps.SetMode(0);
  std::vector<int> enabled;
  for (int i = 0; i < kStatusLampCount; ++i)
    if (lamps.Enabled(i)) enabled.push_back(i);
  EXPECT_EQ(enabled, (std::vector<int>{1, 3}));
  EXPECT_TRUE(lamps.CommandsEnabled());
  EXPECT_EQ(lamps.State(5), 1);   // every lamp shows the host's state
}

// A window that opens or closes video afterwards: its lamp follows, lit and
// clickable while it shows video; other kinds keep their lamps enabled.
TEST(StatusLamps, WindowLampFollowsTheReportedState) {
  FakeHost host;
  StatusLamps lamps(host);
  host.lamps = &lamps;
  lamps.SetMode(0);
  EXPECT_FALSE(lamps.Enabled(2));
  EXPECT_TRUE(lamps.SetChannelState(0, 2, 1));
  EXPECT_EQ(lamps.State(2), 1);
  EXPECT_TRUE(lamps.Enabled(2));
  EXPECT_TRUE(lamps.SetChannelState(0, 2, 0));
  EXPECT_EQ(lamps.State(2), 0);
  EXPECT_FALSE(lamps.Enabled(2));
  lamps.SetMode(1);
  ASSERT_TRUE(lamps.Enabled(0));
  EXPECT_TRUE(lamps.SetChannelState(1, 0, 0));
  EXPECT_TRUE(lamps.Enabled(0));
}

TEST(StatusLamps, NoChannelsDisablesEverything) {
  FakeHost host;
  host.channels = 0;
  StatusLamps lamps(host);
  host.states[{1, 0}] = 1;
  lamps.SetMode(1);
  for (int i = 0; i < kStatusLampCount; ++i) EXPECT_FALSE(lamps.Enabled(i)) << i;
  EXPECT_FALSE(lamps.CommandsEnabled());
  lamps.SetAll(1);
  lamps.Toggle(0);
  EXPECT_TRUE(host.calls.empty());
}

TEST(StatusLamps, KindTwoLeavesTheLampsAsTheyAre) {
  FakeHost host;
  StatusLamps lamps(host);
  host.states[{1, 2}] = 1;
  lamps.SetMode(1);
  host.channels = 0;
  lamps.SetMode(2);
  EXPECT_EQ(lamps.Kind(), 2);
  EXPECT_TRUE(lamps.Enabled(2));
  EXPECT_EQ(lamps.State(2), 1);
  EXPECT_FALSE(lamps.SetChannelState(2, 2, 0));
  EXPECT_EQ(lamps.State(2), 1);
}

TEST(StatusLamps, ClickTogglesThroughTheHost) {
  FakeHost host;
  StatusLamps lamps(host);
  host.lamps = &lamps;
  lamps.SetMode(4);
  lamps.Toggle(6);
  EXPECT_EQ(lamps.State(6), 1);
  lamps.Toggle(6);
  EXPECT_EQ(lamps.State(6), 0);
  ASSERT_EQ(host.calls.size(), 2u);
  EXPECT_EQ(host.calls[0].kind, 4);
  EXPECT_EQ(host.calls[0].on, 1);
  EXPECT_EQ(host.calls[1].on, 0);
  lamps.Toggle(8);   // out of use
  lamps.Toggle(-1);
  EXPECT_EQ(host.calls.size(), 2u);
}

TEST(StatusLamps, AllOpenSwitchesExactlyTheLampsThatWereOff) {
  FakeHost host;
  StatusLamps lamps(host);
  host.lamps = &lamps;
  host.states[{1, 0}] = 1;
  host.states[{1, 5}] = 1;
  lamps.SetMode(1);
  lamps.SetAll(1);
  std::vector<int> switched;
  for (auto& c : host.calls) {
    EXPECT_EQ(c.on, 1);
    switched.push_back(c.index);
  }
  EXPECT_EQ(switched, (std::vector<int>{1, 2, 3, 4, 6, 7}));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(lamps.State(i), 1);
  host.calls.clear();
  lamps.SetAll(0);
  EXPECT_EQ(host.calls.size(), 8u);
}

TEST(StatusLamps, AllOpenRereadsTheCountAfterEachChannel) {
  // Switching a channel on may drop channels (a device gone): the walk
  // stops at the new count.
  struct Shrinking : FakeHost {
    void SetChannelState(int kind, int index, int on) override {
      FakeHost::SetChannelState(kind, index, on);
      channels = 2;
    }
  } host;
  StatusLamps lamps(host);
  lamps.SetMode(1);
  lamps.SetAll(1);
  EXPECT_EQ(host.calls.size(), 2u);
}

TEST(StatusLamps, ReportedStatesOutsideTheShownKindOrRangeAreIgnored) {
  FakeHost host;
  StatusLamps lamps(host);
  lamps.SetMode(1);
  EXPECT_FALSE(lamps.SetChannelState(4, 0, 1));
  EXPECT_FALSE(lamps.SetChannelState(1, 8, 1));
  EXPECT_FALSE(lamps.SetChannelState(1, -1, 1));
  EXPECT_FALSE(lamps.SetChannelState(1, 64, 1));
  EXPECT_TRUE(lamps.SetChannelState(1, 7, 1));
  EXPECT_EQ(lamps.State(7), 1);
  EXPECT_EQ(lamps.State(0), 0);
}

TEST(StatusLamps, KindsCycleAndCarryTheirTooltips) {
  EXPECT_EQ(NextStatusKind(0), 1);
  EXPECT_EQ(NextStatusKind(1), 4);
  EXPECT_EQ(NextStatusKind(4), 0);
  EXPECT_EQ(NextStatusKind(3), 0);
  EXPECT_EQ(NextStatusKind(-1), 0);
  EXPECT_EQ(StatusKindTooltip(2), nullptr);
  EXPECT_EQ(StatusKindTooltip(3), nullptr);
  EXPECT_STREQ(StatusKindTooltip(4), "Manual Alarm Status");
  FakeHost host;
  host.second = 99;
  EXPECT_EQ(StatusLampsInUse(3, host), 64);
  host.windows = -2;
  EXPECT_EQ(StatusLampsInUse(0, host), 0);
}

}  // namespace
