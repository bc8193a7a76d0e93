// The simulated card: what it answers, what it refuses and what it records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card_sim.h"

using mirelle::CardConfig;
using mirelle::CardSim;

namespace {

CardConfig Card(int outputs, int dsps = 4) {
  CardConfig c;
  c.outputs = outputs;
  c.dsps = dsps;
  return c;
}

std::vector<uint8_t> Grey(uint8_t y) {
  std::vector<uint8_t> p(size_t(mirelle::kPictureBytes), 128);
  std::fill(p.begin(), p.begin() + mirelle::kPictureWidth * mirelle::kPictureHeight, y);
  return p;
}

}  // namespace

TEST(CardSim, ConnectSequenceAsTheClientCallsIt) {
  CardSim card(Card(2, 4));
  ASSERT_EQ(1, card.InitCards());
  card.SetVideoStandard(0);
  EXPECT_EQ(2, card.GetChannels());
  EXPECT_EQ(4, card.GetDSPs());
  EXPECT_EQ(1, card.OpenChannel(0));
  EXPECT_EQ(1, card.OpenChannel(1));
  EXPECT_EQ(1, card.OpenChannel(1));  // the feed opens again: no second line
  EXPECT_EQ(1, card.CloseChannel(0));
  EXPECT_EQ(1, card.ClearVideoOutput(0));
  card.ReleaseCards();
  std::vector<std::string> want = {"InitCards -> 1", "SetVideoStandard 0", "GetChannels -> 2", "GetDSPs -> 4",
                                   "OpenChannel 0",  "OpenChannel 1",      "CloseChannel 0",   "ClearVideoOutput 0",
                                   "ReleaseCards"};
  EXPECT_EQ(want, card.Log());
  EXPECT_EQ(0, card.Errors());
}

TEST(CardSim, NoCardConfiguredFailsTheInitAndNothingElse) {
  CardSim card{CardConfig()};
  EXPECT_EQ(0, card.InitCards());
  EXPECT_EQ(0, card.Errors());
  EXPECT_EQ(0, card.GetChannels());  // not running: refused and counted
  EXPECT_EQ(1, card.Errors());
}

TEST(CardSim, ZeroOutputsConnectWithNothingToOpen) {
  CardSim card(Card(0));
  ASSERT_EQ(1, card.InitCards());
  EXPECT_EQ(0, card.GetChannels());
  EXPECT_EQ(0, card.OpenChannel(0));
  EXPECT_EQ(1, card.Errors());
}

TEST(CardSim, MisusesAreRefusedAndLogged) {
  struct Case {
    const char* what;
    bool init, release;
    int (*call)(CardSim&, const uint8_t*);
    const char* line;
  };
  const std::vector<uint8_t> pic = Grey(50);
  const Case cases[] = {
      {"before init", false, false, [](CardSim& c, const uint8_t*) { return c.OpenChannel(0); },
       "ERROR OpenChannel: card not initialised"},
      {"after release", true, true, [](CardSim& c, const uint8_t*) { return c.ClearVideoOutput(0); },
       "ERROR ClearVideoOutput: card not initialised"},
      {"second init", true, false, [](CardSim& c, const uint8_t*) { return c.InitCards(); },
       "ERROR InitCards: cards already running"},
      {"bad channel", true, false, [](CardSim& c, const uint8_t*) { return c.OpenChannel(2); },
       "ERROR OpenChannel: bad channel 2"},
      {"negative channel", true, false, [](CardSim& c, const uint8_t*) { return c.CloseChannel(-1); },
       "ERROR CloseChannel: bad channel -1"},
      {"unopened channel", true, false, [](CardSim& c, const uint8_t* p) { return c.InputData(1, p, 704, 576, 1); },
       "ERROR InputData: channel 1 not open"},
      {"null picture", true, false,
       [](CardSim& c, const uint8_t*) { c.OpenChannel(0); return c.InputData(0, nullptr, 704, 576, 1); },
       "ERROR InputData: null picture"},
      {"wrong size", true, false,
       [](CardSim& c, const uint8_t* p) { c.OpenChannel(0); return c.InputData(0, p, 352, 288, 1); },
       "ERROR InputData: size 352x288"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    CardSim card(Card(2));
    if (k.init) {
      ASSERT_EQ(1, card.InitCards());
    }
    if (k.release) card.ReleaseCards();
    EXPECT_EQ(0, k.call(card, pic.data()));
    EXPECT_EQ(1, card.Errors());
    EXPECT_EQ(k.line, card.Log().back());
  }
}

TEST(CardSim, KeepsTheLatestPictureAndLogsOnlyChanges) {
  CardSim card(Card(2));
  ASSERT_EQ(1, card.InitCards());
  card.OpenChannel(1);
  std::vector<uint8_t> a = Grey(10), b = Grey(200);
  EXPECT_EQ(1, card.InputData(1, a.data(), 704, 576, 1));
  EXPECT_EQ(1, card.InputData(1, a.data(), 704, 576, 1));
  EXPECT_EQ(1, card.InputData(1, b.data(), 704, 576, 1));
  EXPECT_EQ(b, card.Picture(1));
  EXPECT_TRUE(card.Picture(0).empty());
  int changes = 0;
  for (const std::string& l : card.Log()) changes += l == "InputData 1 new picture";
  EXPECT_EQ(2, changes);
  card.ClearVideoOutput(1);
  EXPECT_TRUE(card.Picture(1).empty());
}

TEST(CardSim, ConfigurationFromIniAndEnvironment) {
  struct Case {
    const char* ini;
    const char* outputs;
    const char* dsps;
    int wantOutputs, wantDsps;
  };
  const Case cases[] = {
      {"", nullptr, nullptr, -1, 0},
      {"[Card]\nOutputs=2\nDSPs=8\n", nullptr, nullptr, 2, 8},
      {"[Card]\r\nOutputs = 3\r\n", "1", "", 1, 0},
      {"[Other]\nOutputs=2\n", nullptr, nullptr, -1, 0},
      {"[Card]\nOutputs=two\n", nullptr, nullptr, -1, 0},
      {"", "4", "2", 4, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.ini);
    CardConfig c = mirelle::ParseCardConfig(k.ini, k.outputs, k.dsps, nullptr);
    EXPECT_EQ(k.wantOutputs, c.outputs);
    EXPECT_EQ(k.wantDsps, c.dsps);
  }
  EXPECT_EQ("/tmp/x", mirelle::ParseCardConfig("[Card]\nFolder=/tmp/y\n", nullptr, nullptr, "/tmp/x").folder);
}
