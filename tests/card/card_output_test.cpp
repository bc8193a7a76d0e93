// The card's assignments, rotation and quarter pictures.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "card_feed.h"
#include "card_output.h"

using namespace card;

TEST(CardOutputModel, AssignmentsAndMultiPositionFlags) {
  CardOutputModel m;
  m.Reset(2);
  EXPECT_TRUE(m.Assign(0, 1, 2));  // window 3
  EXPECT_EQ((CardAssignment{0, 0, 1}), m.Assignment(2));
  EXPECT_TRUE(m.Assign(0, 2, 6));  // window 7: two positions now
  EXPECT_EQ((CardAssignment{0, 1, 1}), m.Assignment(2));
  EXPECT_EQ((CardAssignment{0, 1, 2}), m.Assignment(6));
  EXPECT_TRUE(m.Assign(1, 4, 9));  // another output keeps its own flag
  EXPECT_EQ((CardAssignment{1, 0, 4}), m.Assignment(9));

  EXPECT_TRUE(m.Remove(6));
  EXPECT_EQ((CardAssignment{}), m.Assignment(6));
  EXPECT_EQ((CardAssignment{0, 0, 1}), m.Assignment(2));
  EXPECT_FALSE(m.Remove(6));
}

TEST(CardOutputModel, RefusalsAndMovesNeverDuplicate) {
  CardOutputModel m;
  m.Reset(9);  // more outputs than the feed keeps: capped
  EXPECT_EQ(kMaxOutputs, m.Outputs());
  struct Case {
    int output, position, window;
  };
  const Case bad[] = {{4, 1, 0}, {-1, 1, 0}, {0, 0, 0}, {0, 5, 0}, {0, 1, -1}, {0, 1, 36}};
  for (const Case& k : bad) EXPECT_FALSE(m.Assign(k.output, k.position, k.window));

  ASSERT_TRUE(m.Assign(0, 1, 5));
  EXPECT_FALSE(m.Assign(0, 1, 5));  // already there
  ASSERT_TRUE(m.Assign(3, 2, 5));   // moved
  EXPECT_EQ(0, m.CountChildItems(0, 1));
  EXPECT_EQ(std::vector<int>{5}, m.Windows(3, 2));

  m.Reset(0);
  EXPECT_FALSE(m.Assign(0, 1, 0));
  EXPECT_EQ((CardAssignment{}), m.Assignment(5));
}

TEST(CardOutputModel, RotationGoesThroughAPositionsWindows) {
  CardOutputModel m;
  m.Reset(2);
  m.Assign(0, 1, 2);
  m.Assign(0, 1, 6);
  m.Assign(1, 3, 11);
  EXPECT_EQ(2, m.QuarterWindow(0, 0));  // before the first step: the first window
  std::vector<int> seen, other;
  for (int i = 0; i < 3; ++i) {
    m.Rotate();
    seen.push_back(m.RotationSlot(0));
    other.push_back(m.RotationSlot(1 * kPositions + 2));
  }
  EXPECT_EQ((std::vector<int>{2, 6, 2}), seen);
  EXPECT_EQ((std::vector<int>{11, 11, 11}), other);
  EXPECT_EQ(-1, m.RotationSlot(1));  // empty positions keep -1

  m.Rotate();  // slot 6
  m.Remove(6);
  EXPECT_EQ(2, m.QuarterWindow(0, 0));  // the slot's window left: the first again
  m.Rotate();
  EXPECT_EQ(2, m.RotationSlot(0));
  EXPECT_EQ(-1, m.QuarterWindow(0, 1));
}

TEST(CardOutput, WindowNumberRule) {
  struct Case {
    const char* text;
    int number;
  };
  const Case cases[] = {{"Window03", 3}, {"Window36", 36}, {"Window", 0}, {"Window7", 0},
                        {"0102", 1},     {"12 and 02", 2}, {nullptr, 0}};
  for (const Case& k : cases) EXPECT_EQ(k.number, WindowNumberInText(k.text)) << (k.text ? k.text : "null");
}

namespace {

std::vector<uint8_t> Flat(int w, int h, uint8_t y, uint8_t u, uint8_t v) {
  std::vector<uint8_t> p(size_t(w * h * 3 / 2));
  std::fill(p.begin(), p.begin() + w * h, y);
  std::fill(p.begin() + w * h, p.begin() + w * h + (w / 2) * (h / 2), u);
  std::fill(p.begin() + w * h + (w / 2) * (h / 2), p.end(), v);
  return p;
}

struct Sample {
  int y, u, v;
};
Sample At(const std::vector<uint8_t>& card, int x, int y) {
  const uint8_t* U = card.data() + kPictureWidth * kPictureHeight;
  const uint8_t* V = U + (kPictureWidth / 2) * (kPictureHeight / 2);
  return {card[size_t(y * kPictureWidth + x)], U[(y / 2) * (kPictureWidth / 2) + x / 2],
          V[(y / 2) * (kPictureWidth / 2) + x / 2]};
}

}  // namespace

TEST(CardOutput, QuartersFilledFromPicturesOfAnySize) {
  struct Case {
    int w, h, quarter;
  };
  const Case cases[] = {{352, 288, 0}, {704, 576, 1}, {1920, 1080, 2}, {176, 144, 3}, {202, 118, 1}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.w);
    std::vector<uint8_t> cardPic = Flat(kPictureWidth, kPictureHeight, 0, 128, 128);
    std::vector<uint8_t> src = Flat(k.w, k.h, 200, 60, 90);
    ASSERT_TRUE(ScaleIntoQuarter(cardPic.data(), k.quarter, ContiguousPicture(src.data(), k.w, k.h)));
    for (int q = 0; q < 4; ++q) {
      int x0 = (q % 2) * kQuarterWidth, y0 = (q / 2) * kQuarterHeight;
      for (auto [dx, dy] : {std::pair<int, int>{0, 0}, {351, 287}, {176, 144}}) {
        Sample s = At(cardPic, x0 + dx, y0 + dy);
        if (q == k.quarter)
          EXPECT_TRUE(s.y == 200 && s.u == 60 && s.v == 90) << q << " " << dx;
        else
          EXPECT_TRUE(s.y == 0 && s.u == 128 && s.v == 128) << q << " " << dx;
      }
    }
  }
}

TEST(CardOutput, ShrinkingAveragesAndKeepsTheLayout) {
  // Left half dark, right half bright, 704 wide: the quarter keeps the edge
  // at its middle column.
  std::vector<uint8_t> src = Flat(704, 576, 0, 128, 128);
  for (int y = 0; y < 576; ++y)
    for (int x = 352; x < 704; ++x) src[size_t(y * 704 + x)] = 240;
  std::vector<uint8_t> cardPic = Flat(kPictureWidth, kPictureHeight, 0, 128, 128);
  ASSERT_TRUE(ScaleIntoQuarter(cardPic.data(), 3, ContiguousPicture(src.data(), 704, 576)));
  EXPECT_EQ(0, At(cardPic, 352 + 175, 300).y);
  EXPECT_EQ(240, At(cardPic, 352 + 176, 300).y);

  std::vector<uint8_t> none;
  EXPECT_FALSE(ScaleIntoQuarter(cardPic.data(), 4, ContiguousPicture(src.data(), 704, 576)));
  EXPECT_FALSE(ScaleIntoQuarter(cardPic.data(), 0, ContiguousPicture(nullptr, 0, 0)));
}


namespace {

// Pictures of flat colours for some windows.
class FlatPictures : public card::IWindowPictures {
public:
  std::map<int, uint8_t> luma;
  bool CopyPicture(int window, std::vector<uint8_t>& picture, int& width, int& height) override {
    auto it = luma.find(window);
    if (it == luma.end()) return false;
    width = 176;
    height = 144;
    picture = Flat(width, height, it->second, 100, 150);
    return true;
  }
};

}  // namespace

namespace {

class CountingCard : public card::ICardLibrary {
public:
  std::vector<std::string> calls;
  int outputs = 2;
  int InitCards() override { return calls.push_back("init"), outputs >= 0; }
  void SetVideoStandard(int) override {}
  int GetChannels() override { return outputs; }
  int GetDSPs() override { return 1; }
  void OpenChannel(int o) override { calls.push_back("open" + std::to_string(o)); }
  void InputData(int o, const uint8_t*, int, int, int) override { calls.push_back("input" + std::to_string(o)); }
  void CloseChannel(int o) override { calls.push_back("close" + std::to_string(o)); }
  void ClearVideoOutput(int o) override { calls.push_back("clear" + std::to_string(o)); }
  void ReleaseCards() override { calls.push_back("release"); }
};

}  // namespace

TEST(CardFeed, AssignedQuartersShowTheirWindowsAndTheRestIsBlack) {
  CountingCard lib;
  card::CCardSession s(lib);
  int outputs = 0, dsps = 0;
  ASSERT_TRUE(s.Connect(outputs, dsps));
  CardOutputModel m;
  m.Reset(outputs);
  m.Assign(0, 1, 2);
  m.Assign(0, 2, 6);
  m.Assign(0, 4, 9);   // assigned, but no picture yet
  s.SetModel(m);
  EXPECT_TRUE(s.OnCard(9));
  EXPECT_FALSE(s.OnCard(3));
  s.SetFeed(true);
  FlatPictures source;
  source.luma = {{2, 50}, {6, 180}, {9, 99}};
  ASSERT_EQ(1, s.RunFeed(source));
  source.luma.erase(9);  // the window lost its picture: black again
  ASSERT_EQ(1, s.RunFeed(source));
  std::vector<uint8_t> cardPic = s.Picture(0);
  Sample q0 = At(cardPic, 10, 10), q1 = At(cardPic, 400, 10), q2 = At(cardPic, 10, 300), q3 = At(cardPic, 400, 300);
  EXPECT_TRUE(q0.y == 50 && q0.u == 100 && q0.v == 150);
  EXPECT_EQ(180, q1.y);
  EXPECT_TRUE(q2.y == 0 && q2.u == 128 && q2.v == 128);
  EXPECT_TRUE(q3.y == 0 && q3.u == 128 && q3.v == 128);
}

TEST(CardFeed, SessionFeedsOnlyWhileConnectedAndOn) {
  CountingCard lib;
  card::CCardSession s(lib);
  FlatPictures source;
  int outputs = 0, dsps = 0;
  ASSERT_TRUE(s.Connect(outputs, dsps));
  CardOutputModel m;
  m.Reset(outputs);
  m.Assign(1, 3, 4);
  s.SetModel(m);
  EXPECT_EQ(0, s.RunFeed(source));  // the feed is off
  s.SetFeed(true);
  lib.calls.clear();
  EXPECT_EQ(1, s.RunFeed(source));  // output 0 has no window
  EXPECT_EQ((std::vector<std::string>{"open1", "input1"}), lib.calls);
  lib.calls.clear();
  s.Disconnect(outputs);
  EXPECT_EQ((std::vector<std::string>{"close0", "clear0", "close1", "clear1", "release"}), lib.calls);
  EXPECT_FALSE(s.FeedOn());
  EXPECT_EQ(0, s.RunFeed(source));
  lib.calls.clear();
  s.Disconnect(outputs);  // twice: nothing
  EXPECT_TRUE(lib.calls.empty());
}
