// The rules behind the local dialogs, without windows: spin fall-backs,
// disk rows, server entries, the work plan's edits, channel blocks and
// preview plans saved from and played into the monitor area.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "channel_blocks.h"
#include "channel_slot.h"
#include "local_settings_rules.h"
#include "local_work_plan.h"
#include "preview_plan.h"

using namespace shell;

TEST(LocalRules, SpinsDisksAndPolling) {
  struct Spin {
    bool parsed;
    int typed, lo, hi, fallback, want;
  } spins[] = {
      {true, 0, 1, 120, 30, 30},   {true, 121, 1, 120, 30, 30}, {true, 120, 1, 120, 30, 120},
      {false, 5, 1, 120, 30, 30},  {true, 14, 15, 900, 30, 30}, {true, 901, 3, 900, 3, 3},
  };
  for (const Spin& s : spins) EXPECT_EQ(SpinValueOr(s.parsed, s.typed, s.lo, s.hi, s.fallback), s.want) << s.typed;
  EXPECT_TRUE(DiskRowTicked(0x4, 0));
  for (int row = 1; row < kDiskRows; ++row) EXPECT_FALSE(DiskRowTicked(0x4, row)) << row;
  EXPECT_TRUE(DiskRowTicked(1u << 25, 23));   // Z:
  EXPECT_FALSE(DiskRowTicked(0x3, 0));        // A: and B: are no rows
  EXPECT_EQ(DiskMaskFromRows(0x3), 0xCu);     // C and D
  EXPECT_EQ(DiskMaskFromRows(0xFFFFFFFFu), 0x03FFFFFCu);
  EXPECT_EQ(PollIntervalFromSpin(2), 5);
  EXPECT_EQ(PollIntervalFromSpin(300), 300);
}

TEST(LocalRules, ServerEntries) {
  struct Port {
    const char* text;
    int want;
  } ports[] = {{"", 36688}, {"37777", 37777}, {"0", 0}, {"65535", 65535}, {"65536", -1},
               {"99999", -1}, {"123456", -1}, {"8a", -1}, {"-1", -1}};
  for (const Port& p : ports) EXPECT_EQ(ParseServerPort(p.text), p.want) << p.text;
  struct Count {
    const char* text;
    int want;
  } counts[] = {{"", 1}, {"0", 1}, {"4", 4}, {"32", 32}, {"33", -1}, {"99", -1}, {"x", -1}};
  for (const Count& c : counts) EXPECT_EQ(ParseChannelCount(c.text), c.want) << c.text;

  ServerEntryText good{"192.168.1.10", "Gate", "admin", "tulip", "36688", "4"};
  EXPECT_EQ(CheckServerEntry(good), ServerEntryError::None);
  struct Bad {
    const char* what;
    ServerEntryText e;
    ServerEntryError want;
  } bad[] = {
      {"empty password", {"1.2.3.4", "a", "b", "", "", ""}, ServerEntryError::EmptyField},
      {"empty name", {"1.2.3.4", "", "b", "c", "", ""}, ServerEntryError::EmptyField},
      {"slash", {"cam/1", "a", "b", "c", "", ""}, ServerEntryError::BadAddress},
      {"bar", {"cam|1", "a", "b", "c", "", ""}, ServerEntryError::BadAddress},
      {"port 70000", {"cam", "a", "b", "c", "70000", ""}, ServerEntryError::BadPort},
      {"40 channels", {"cam", "a", "b", "c", "", "40"}, ServerEntryError::BadChannelCount},
      {"long name", {"cam", std::string(33, 'n'), "b", "c", "", ""}, ServerEntryError::TooLong},
  };
  for (const Bad& b : bad) EXPECT_EQ(CheckServerEntry(b.e), b.want) << b.what;
}

namespace {

WorkPlanEntry Entry(int bh, int eh, int type) {
  WorkPlanEntry e{};
  e.used = 1;
  e.beginHour = uint8_t(bh);
  e.endHour = uint8_t(eh);
  e.detectionType = uint8_t(type);
  return e;
}

}  // namespace

TEST(LocalWorkPlanEdits, AddDeleteAndCopies) {
  auto plan = std::make_unique<LocalWorkPlan>();
  std::memset(plan.get(), 0, sizeof *plan);
  for (int e = 0; e < 3; ++e) plan->entries[5][0][e] = Entry(e, e + 1, 1 << e);
  EXPECT_EQ(FirstFreePlanEntry(*plan, 5, 0), 3);
  plan->entries[5][0][3] = Entry(9, 10, 8);
  EXPECT_EQ(FirstFreePlanEntry(*plan, 5, 0), -1) << "four used: no room for a fifth";
  plan->entries[5][0][3] = WorkPlanEntry{};

  // Deleting the first of three: the others move up, the last is cleared.
  ASSERT_TRUE(DeletePlanEntry(*plan, 5, 0, 0));
  EXPECT_EQ(CountPlanEntries(*plan, 5, 0), 2);
  EXPECT_EQ(plan->entries[5][0][0].beginHour, 1);
  EXPECT_EQ(plan->entries[5][0][1].beginHour, 2);
  const WorkPlanEntry zero{};
  EXPECT_EQ(std::memcmp(&plan->entries[5][0][2], &zero, sizeof zero), 0);
  EXPECT_EQ(std::memcmp(&plan->entries[5][0][3], &zero, sizeof zero), 0);
  EXPECT_FALSE(DeletePlanEntry(*plan, 64, 0, 0));
  EXPECT_FALSE(DeletePlanEntry(*plan, 5, 7, 0));

  // Monday copied with Monday and Wednesday ticked changes Wednesday only.
  plan->entries[5][4][0] = Entry(20, 21, 2);   // Friday keeps its own
  auto before = std::make_unique<LocalWorkPlan>(*plan);
  CopyPlanDay(*plan, 5, 0, (1u << 0) | (1u << 2));
  EXPECT_EQ(std::memcmp(plan->entries[5][2], plan->entries[5][0], 32), 0);
  for (int d : {0, 1, 3, 4, 5, 6}) EXPECT_EQ(std::memcmp(plan->entries[5][d], before->entries[5][d], 32), 0) << d;
  const uint8_t* a = reinterpret_cast<const uint8_t*>(plan.get());
  const uint8_t* b = reinterpret_cast<const uint8_t*>(before.get());
  size_t changed = 0;
  for (size_t i = 0; i < sizeof *plan; ++i) changed += a[i] != b[i];
  EXPECT_GT(changed, 0u);
  for (size_t i = 0; i < sizeof *plan; ++i)
    if (a[i] != b[i]) { EXPECT_EQ(i / 32, size_t(5 * 7 + 2)) << "byte " << i; }

  // The whole week to the ticked channels, the source excepted.
  int flags[kPlanChannels] = {};
  flags[5] = flags[7] = flags[63] = 1;
  CopyPlanChannel(*plan, 5, flags);
  EXPECT_EQ(std::memcmp(plan->entries[7], plan->entries[5], 7 * 32), 0);
  EXPECT_EQ(std::memcmp(plan->entries[63], plan->entries[5], 7 * 32), 0);
  EXPECT_EQ(CountPlanEntries(*plan, 6, 0), 0);
}

TEST(ChannelBlocks, NamesAndBounds) {
  auto image = std::make_unique<SystemConfigImage>();
  std::memset(image.get(), 0, sizeof *image);
  DeviceRecord& d = image->devices[3];
  d.channelCount = 0;
  EXPECT_STREQ(ChannelName(d, 0), "") << "no blocks yet";
  NameChannels(d, "Channel");
  EXPECT_STREQ(ChannelName(d, 0), "Channel-01") << "0 channels count as 1";
  EXPECT_STREQ(ChannelName(d, 1), "");
  d.channelCount = 40;
  NameChannels(d, "Kanal");
  EXPECT_STREQ(ChannelName(d, 31), "Kanal-32");
  EXPECT_EQ(ChannelBlock(d, 32), nullptr) << "32 blocks at most";
  EXPECT_EQ(ChannelBlock(d, -1), nullptr);
  // A record cleared to zero gets fresh, zeroed blocks.
  std::strcpy(ChannelBlock(d, 2) + 100, "settings");
  std::memset(&d, 0, sizeof d);
  d.channelCount = 4;
  EnsureChannelBlocks(d);
  EXPECT_STREQ(ChannelName(d, 2), "");
  EXPECT_EQ(ChannelBlock(d, 2)[100], 0);
}

namespace {

struct PlanFixture {
  std::unique_ptr<SystemConfigImage> image = std::make_unique<SystemConfigImage>();
  std::unique_ptr<ChannelTable> channels = std::make_unique<ChannelTable>();
  std::unique_ptr<WindowListModel> windows = std::make_unique<WindowListModel>();
  PlanFixture() {
    std::memset(image.get(), 0, sizeof *image);
    for (int d = 0; d < 2; ++d) {
      image->devices[d].inUse = 1;
      std::snprintf(image->devices[d].address, sizeof image->devices[d].address, "10.0.0.%d", d + 1);
    }
  }
  PlanSnapshot Snapshot(int kind) {
    PlanSnapshot s;
    s.layoutKind = kind;
    s.channels = channels.get();
    s.windows = windows.get();
    return s;
  }
};

struct RecordingTarget : PlanTarget {
  std::vector<std::string> calls;
  bool shows[kMonitorWindows] = {};
  bool WindowShowsChannel(int w) override { return shows[w]; }
  void CloseWindowView(int w) override {
    calls.push_back("close " + std::to_string(w));
    shows[w] = false;
  }
  void ConnectAll() override { calls.push_back("connect"); }
  void ArrangeWindows(int kind) override { calls.push_back("arrange " + std::to_string(kind)); }
  void OpenChannelInWindow(const char* address, int channel, int w) override {
    calls.push_back("open " + std::string(address) + " " + std::to_string(channel) + " " + std::to_string(w));
    shows[w] = true;
  }
  void SetWindowRecordOn(int w) override { calls.push_back("record " + std::to_string(w)); }
};

}  // namespace

TEST(PreviewPlans, SaveAndPlayRoundTrip) {
  PlanFixture f;
  // Window 2 polls three channels (device 1 ch 0, device 2 ch 3, device 1 ch 2);
  // window 5 holds 25 slots; window 7 is empty but its flag is off.
  int a = f.channels->Assign(&f.image->devices[0], 0);
  int b = f.channels->Assign(&f.image->devices[1], 3);
  int c = f.channels->Assign(&f.image->devices[0], 2);
  (*f.channels)[b].recording = 1;
  WindowList& w2 = (*f.windows)[2];
  ASSERT_TRUE(w2.Add(a) && w2.Add(b) && w2.Add(c));
  w2.showsChannel = 1;
  WindowList& w5 = (*f.windows)[5];
  for (int i = 0; i < 25; ++i) w5.Add(f.channels->Assign(&f.image->devices[1], 8 + i));
  w5.showsChannel = 1;

  auto plans = std::make_unique<PlanImage>();
  std::memset(plans.get(), 0, sizeof *plans);
  PlanSlot& slot = plans->slots[4];
  FillPlanSlot(slot, f.Snapshot(3), "Gate", "admin", "2026-12-10");
  EXPECT_EQ(slot.used, 1);
  EXPECT_EQ(slot.layoutKind, 3u);
  EXPECT_STREQ(slot.name, "Gate");
  EXPECT_STREQ(slot.userName, "admin");
  EXPECT_STREQ(slot.date, "2026-12-10");
  const PlanWindow& pw = slot.windows[2];
  EXPECT_EQ(pw.used, 1);
  EXPECT_EQ(pw.record, 0) << "the last channel of the list decides: c is idle";
  const char* want[3] = {"10.0.0.1", "10.0.0.2", "10.0.0.1"};
  const uint32_t wantCh[3] = {0, 3, 2};
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(pw.channels[j].used, 1);
    EXPECT_STREQ(pw.channels[j].address, want[j]);
    EXPECT_EQ(pw.channels[j].channel, wantCh[j]);
  }
  EXPECT_EQ(pw.channels[3].used, 0);
  int usedIn5 = 0;
  for (const PlanChannel& ch : slot.windows[5].channels) usedIn5 += ch.used;
  EXPECT_EQ(usedIn5, 20) << "a list of 25 is saved with its first 20";
  EXPECT_EQ(slot.windows[7].used, 0);

  // Playing: close shown windows, connect, arrange, open in order.
  RecordingTarget t;
  t.shows[9] = true;
  slot.windows[2].record = 1;
  ASSERT_TRUE(PlayPlanSlot(slot, t));
  std::vector<std::string> expect = {"close 9", "connect", "arrange 3", "open 10.0.0.1 0 2", "open 10.0.0.2 3 2",
                                     "open 10.0.0.1 2 2", "record 2"};
  ASSERT_GE(t.calls.size(), expect.size());
  for (size_t i = 0; i < expect.size(); ++i) EXPECT_EQ(t.calls[i], expect[i]) << i;
  EXPECT_EQ(t.calls.size(), expect.size() + 20) << "then window 5's twenty channels";
}

TEST(PreviewPlans, NamesSlotsAndUnplayableSlots) {
  auto plans = std::make_unique<PlanImage>();
  std::memset(plans.get(), 0, sizeof *plans);
  EXPECT_TRUE(PlanNameTaken(*plans, "")) << "a zeroed slot has the empty name";
  EXPECT_FALSE(PlanNameTaken(*plans, "Gate"));
  for (int s = 0; s < kPlanSlots; ++s) {
    plans->slots[s].used = 1;
    plans->slots[s].layoutKind = 2;
    std::snprintf(plans->slots[s].name, sizeof plans->slots[s].name, "Plan %d", s);
  }
  EXPECT_FALSE(PlanNameTaken(*plans, "")) << "no zeroed slot left";
  EXPECT_TRUE(PlanNameTaken(*plans, "Plan 19"));
  EXPECT_FALSE(PlanNameTaken(*plans, "plan 19")) << "case-sensitive";
  EXPECT_EQ(FirstFreeNamedPlanSlot(*plans), -1);
  plans->slots[19].used = 0;
  EXPECT_EQ(FirstFreeNamedPlanSlot(*plans), -1) << "slot 19 is never a named plan";
  plans->slots[11].used = 0;
  EXPECT_EQ(FirstFreeNamedPlanSlot(*plans), 11);

  // A first start (zeroed Last Play Plan) or a bad layout plays nothing.
  RecordingTarget t;
  t.shows[0] = true;
  PlanSlot zero{};
  EXPECT_FALSE(PlayPlanSlot(zero, t));
  PlanSlot badKind{};
  badKind.used = 1;
  badKind.layoutKind = 11;
  EXPECT_FALSE(PlayPlanSlot(badKind, t));
  EXPECT_TRUE(t.calls.empty()) << "no window was closed";
}
