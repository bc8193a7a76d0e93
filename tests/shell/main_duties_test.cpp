// The main dialog's duties as rules: the work plan's time test, one pass of
// the record schedule over a run of 10-second ticks, polling positions, the
// PTZ button codes, the colour block and the channel list's group counts.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "channel_slot.h"
#include "channel_groups.h"
#include "main_duties.h"

using namespace shell;

namespace {

std::unique_ptr<LocalWorkPlan> Plan() {
  auto plan = std::make_unique<LocalWorkPlan>();
  memset(plan.get(), 0, sizeof *plan);
  return plan;
}

void PutEntry(LocalWorkPlan& plan, int slot, int day, int i, int bh, int bm, int eh, int em, uint8_t type) {
  WorkPlanEntry& e = plan.entries[slot][day][i];
  e.used = 1;
  e.beginHour = uint8_t(bh);
  e.beginMinute = uint8_t(bm);
  e.endHour = uint8_t(eh);
  e.endMinute = uint8_t(em);
  e.detectionType = type;
}

}  // namespace

TEST(WorkPlan, Table) {
  auto plan = Plan();
  PutEntry(*plan, 3, 0, 0, 8, 0, 8, 0, 1);      // Monday 08:00-08:00 continuous
  PutEntry(*plan, 3, 6, 2, 22, 30, 23, 59, 4);  // Sunday evening motion, third entry
  PutEntry(*plan, 63, 2, 3, 0, 0, 23, 59, 8);   // last slot, Wednesday, probe
  plan->entries[5][1][0] = plan->entries[3][0][0];
  plan->entries[5][1][0].used = 0;              // an unused entry never matches
  struct Case {
    const char* name;
    int slot, day, minute;
    uint8_t mask;
    bool want;
  } cases[] = {
      {"08:00 exactly", 3, 0, 8 * 60, 1, true},
      {"07:59", 3, 0, 8 * 60 - 1, 1, false},
      {"08:01", 3, 0, 8 * 60 + 1, 1, false},
      {"continuous entry, motion asked", 3, 0, 8 * 60, 4, false},
      {"mask with several kinds", 3, 0, 8 * 60, 0x15, true},
      {"Sunday is day 6, begin included", 3, 6, 22 * 60 + 30, 4, true},
      {"Sunday end included", 3, 6, 23 * 60 + 59, 4, true},
      {"Sunday before begin", 3, 6, 22 * 60 + 29, 4, false},
      {"another day", 3, 5, 22 * 60 + 30, 4, false},
      {"probe bit", 63, 2, 12 * 60, 8, true},
      {"motion is not probe", 63, 2, 12 * 60, 4, false},
      {"unused entry", 5, 1, 8 * 60, 1, false},
      {"slot 64", 64, 0, 8 * 60, 1, false},
      {"slot -1", -1, 0, 8 * 60, 1, false},
      {"day 7", 3, 7, 8 * 60, 1, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsInWorkPlan(*plan, c.slot, c.mask, c.day, c.minute), c.want) << c.name;
  // The slots' alarm flags ask for the plan's alarm kinds.
  EXPECT_EQ(AlarmPlanMask(0), 0);
  EXPECT_EQ(AlarmPlanMask(0x10), kPlanMotionAlarm);
  EXPECT_EQ(AlarmPlanMask(0x110), kPlanMotionAlarm | kPlanProbeAlarm);
  EXPECT_TRUE(IsInWorkPlan(*plan, 63, AlarmPlanMask(0x100), 2, 60));
  // C library weekdays: Sunday 0 .. Saturday 6.
  EXPECT_EQ(WorkPlanDay(0), 6);
  EXPECT_EQ(WorkPlanDay(1), 0);
  EXPECT_EQ(WorkPlanDay(6), 5);
}

namespace {

// A slot under the schedule: the record file it would have, advanced by
// 10-second ticks; returns the tick seconds at which files were cut.
struct ScheduledSlot {
  bool recording = false;
  int type = 0;
  uint32_t startedAt = 0;
  bool alarm = false;
  std::vector<uint32_t> cuts, starts;

  void Tick(uint32_t now, RecordScheduleInput in) {
    in.recording = recording;
    in.recordType = type;
    in.elapsedSeconds = now - startedAt;
    in.planAlarm = in.planAlarm && alarm;
    RecordScheduleStep s = StepRecordSchedule(in);
    if (s.cut) {
      recording = false;
      cuts.push_back(now);
      if (s.clearAlarm) alarm = false;
    }
    if (s.startType) {
      recording = true;
      type = s.startType;
      startedAt = now;
      starts.push_back(now);
    }
    if (s.stop) recording = false;
  }
};

}  // namespace

TEST(RecordSchedule, NormalFilesAreCutAtTheirLength) {
  RecordScheduleInput in;
  in.recordMinutes = 30;
  in.autoWorkPlan = true;
  in.planNormal = true;
  ScheduledSlot slot;
  for (uint32_t t = 0; t <= 2 * 3600; t += 10) slot.Tick(t, in);
  EXPECT_EQ(slot.cuts, (std::vector<uint32_t>{1800, 3600, 5400, 7200}));
  // Each cut file is reopened in the same pass.
  EXPECT_EQ(slot.starts, (std::vector<uint32_t>{0, 1800, 3600, 5400, 7200}));
}

TEST(RecordSchedule, AlarmRecordEndsAfterRecDelay) {
  RecordScheduleInput in;
  in.recordDelay = 20;
  in.autoWorkPlan = true;
  in.planAlarm = true;
  ScheduledSlot slot;
  slot.alarm = true;
  slot.Tick(5, in);  // the alarm arrived; the next pass starts its file
  ASSERT_TRUE(slot.recording);
  EXPECT_EQ(slot.type, kRecordAlarm);
  for (uint32_t t = 15; t <= 65; t += 10) slot.Tick(t, in);
  ASSERT_EQ(slot.cuts.size(), 1u);
  EXPECT_GE(slot.cuts[0] - 5, 20u);
  EXPECT_LT(slot.cuts[0] - 5, 30u);
  EXPECT_FALSE(slot.recording);  // the alarm flags were cleared
  EXPECT_FALSE(slot.alarm);
  EXPECT_EQ(slot.starts.size(), 1u);
}

TEST(RecordSchedule, Table) {
  struct Case {
    const char* name;
    RecordScheduleInput in;
    RecordScheduleStep want;
  };
  auto In = [](bool rec, int type, uint32_t elapsed, bool plan, bool normal, bool alarm, bool manual) {
    RecordScheduleInput i;
    i.recording = rec;
    i.recordType = type;
    i.elapsedSeconds = elapsed;
    i.autoWorkPlan = plan;
    i.planNormal = normal;
    i.planAlarm = alarm;
    i.manualRecord = manual;
    return i;
  };
  auto Step = [](bool cut, bool clear, int start, int pre, bool stop) {
    RecordScheduleStep s;
    s.cut = cut;
    s.clearAlarm = clear;
    s.startType = start;
    s.preFrames = pre;
    s.stop = stop;
    return s;
  };
  RecordScheduleInput lowSpace = In(true, 1, 10, false, false, false, true);
  lowSpace.lowSpace = true;
  RecordScheduleInput preRecord = In(false, 0, 0, true, false, true, false);
  preRecord.preRecord = true;
  Case cases[] = {
      {"manual on starts without pre-frames", In(false, 0, 0, false, false, false, true), Step(false, false, 1, 0, false)},
      {"manual off stops", In(true, 1, 10, false, false, false, false), Step(false, false, 0, 0, true)},
      {"manual on keeps recording", In(true, 1, 10, false, false, false, true), Step(false, false, 0, 0, false)},
      {"low space cuts and reopens", lowSpace, Step(true, false, 1, 0, false)},
      {"plan normal starts with 60", In(false, 0, 0, true, true, false, false), Step(false, false, 1, 60, false)},
      {"plan alarm starts with 30", In(false, 0, 0, true, false, true, false), Step(false, false, 2, 30, false)},
      {"pre-record gives 150", preRecord, Step(false, false, 2, 150, false)},
      {"plan ignores the manual switch", In(true, 1, 10, true, false, false, false), Step(false, false, 0, 0, false)},
      {"normal file at its length", In(true, 1, 1800, true, false, false, false), Step(true, false, 0, 0, false)},
      {"alarm file at RecDelay", In(true, 2, 30, true, false, false, false), Step(true, true, 0, 0, false)},
  };
  for (const Case& c : cases) {
    RecordScheduleStep s = StepRecordSchedule(c.in);
    EXPECT_EQ(s.cut, c.want.cut) << c.name;
    EXPECT_EQ(s.clearAlarm, c.want.clearAlarm) << c.name;
    EXPECT_EQ(s.startType, c.want.startType) << c.name;
    EXPECT_EQ(s.preFrames, c.want.preFrames) << c.name;
    EXPECT_EQ(s.stop, c.want.stop) << c.name;
  }
}

TEST(Polling, NextPosition) {
  EXPECT_EQ(NextPollPosition(-1, 3), 0);
  EXPECT_EQ(NextPollPosition(0, 3), 1);
  EXPECT_EQ(NextPollPosition(2, 3), 0);
  EXPECT_EQ(NextPollPosition(-7, 3), 0);
  EXPECT_EQ(NextPollPosition(5, 3), 0);
}

TEST(Ptz, ButtonCodes) {
  const int codes[][2] = {{0, 3},   {2, 4},   {4, 5},   {6, 6},   {8, 17},  {10, 19},  {12, 18},  {14, 20},
                          {20, 8},  {22, 7},  {24, 9},  {26, 10}, {40, 15}, {28, 0xFE}, {30, 0xFE}, {1, 0xFE}};
  for (auto& c : codes) EXPECT_EQ(PtzCommandForButton(c[0]), c[1]) << "code " << c[0];
}

TEST(Colour, BlockKeepsItsOtherBytes) {
  uint8_t block[12];
  for (int i = 0; i < 12; ++i) block[i] = uint8_t(200 + i);
  const int values[4] = {128, 128, 256 + 7, -1};
  PutColourValues(block, values);
  const uint8_t want[12] = {200, 201, 202, 203, 204, 128, 128, 7, 255, 209, 210, 211};
  EXPECT_EQ(0, memcmp(block, want, 12));
  int back[4];
  GetColourValues(want, back);
  EXPECT_EQ(back[2], 7);
  EXPECT_EQ(back[3], 255);
}

TEST(ChannelGroups, Counts) {
  const int choices[][2] = {{-1, 0}, {0, 1}, {1, 4}, {2, 9}, {3, 16}, {4, 25}, {5, 36}, {6, 0}};
  for (auto& c : choices) EXPECT_EQ(GroupCountForChoice(c[0]), c[1]);
  const int fits[][2] = {{0, -1}, {1, 1}, {4, 1}, {5, 2}, {7, 2}, {9, 2}, {10, 3}, {16, 3}, {17, 4}, {25, 4}, {26, 5}, {64, 5}};
  for (auto& f : fits) EXPECT_EQ(GroupChoiceForChannels(f[0]), f[1]) << f[0] << " channels";
}

namespace {

struct Devices {
  DeviceRecord d[3] = {};
  Devices() {
    for (int i = 0; i < 3; ++i) {
      d[i].state = 4;
      d[i].loginId = uint32_t(i + 1);
    }
    d[2].state = 0;  // offline
  }
};

std::vector<int> Slots(ChannelGroups& g, std::initializer_list<int> channels, DeviceRecord* dev) {
  std::vector<int> out;
  for (int c : channels) {
    g.AddChannel(dev, c);
    out.push_back(g.FindSlot(dev->loginId, c));
  }
  return out;
}

}  // namespace

TEST(ChannelGroupsModel, RemovingASlotMovesLaterSlotsGroupsAndPlanRows) {
  Devices dev;
  ChannelGroups g;
  Slots(g, {0, 1, 2, 3, 4}, &dev.d[0]);
  g.AddToGroup(0, {0, 3});
  g.AddToGroup(1, {2, 4});
  g.PlanRows(3)[1][0].used = 1;
  g.PlanRows(3)[1][0].beginHour = 7;
  g.RemoveSlot(2);  // channel 3 of 5
  EXPECT_EQ(3, g[2].channel);
  EXPECT_EQ(4, g[3].channel);
  EXPECT_EQ(nullptr, g[4].device);
  EXPECT_EQ(-1, g[4].channel);
  EXPECT_EQ((std::vector<int>{0, 2}), g.Group(0));
  EXPECT_EQ((std::vector<int>{3}), g.Group(1));
  EXPECT_EQ(7, g.PlanRows(2)[1][0].beginHour) << "the plan rows moved with their slot";
  EXPECT_EQ(0, g.PlanRows(3)[1][0].used);
}

TEST(ChannelGroupsModel, GroupOperations) {
  Devices dev;
  ChannelGroups g;
  std::vector<int> s = Slots(g, {0, 1, 2, 3, 4, 5, 6, 7, 8}, &dev.d[0]);
  // A slot already in a group is not added to a second one.
  g.AddToGroup(0, {s[0], s[1], s[2]});
  g.AddToGroup(1, {s[1], s[3]});
  EXPECT_EQ((std::vector<int>{s[3]}), g.Group(1));
  EXPECT_EQ(0, g[s[1]].group);
  // Several rows of a group at once: the right ones go.
  g.DeleteFromGroup(0, {0, 2});
  EXPECT_EQ((std::vector<int>{s[1]}), g.Group(0));
  EXPECT_EQ(-1, g[s[0]].group);
  EXPECT_EQ(-1, g[s[2]].group);
  // "4 Groups" empties groups 5 and up.
  for (int i = 4; i < 9; ++i) g.AddToGroup(i, {s[size_t(i)]});
  g.KeepGroups(4);
  for (int i = 4; i < 9; ++i) {
    EXPECT_TRUE(g.Group(i).empty());
    EXPECT_EQ(-1, g[s[size_t(i)]].group);
  }
  EXPECT_EQ(1, g[s[3]].group);
}

TEST(ChannelGroupsModel, AutomaticGrouping) {
  Devices dev;
  ChannelGroups g;
  Slots(g, {0, 1, 2}, &dev.d[2]);  // offline: listed nowhere
  Slots(g, {0, 1, 2, 3, 4, 5, 6}, &dev.d[0]);
  ASSERT_EQ(7u, g.ListedSlots().size());
  EXPECT_EQ(2, g.GroupAutomatically());  // 9 groups
  for (int i = 0; i < 7; ++i) EXPECT_EQ((std::vector<int>{3 + i}), g.Group(i)) << i;
  EXPECT_TRUE(g.Group(7).empty());
  EXPECT_TRUE(g.Group(8).empty());
  EXPECT_EQ(-1, g[0].group);

  ChannelGroups many;
  for (int c = 0; c < 40; ++c) many.AddChannel(&dev.d[c % 2], c);
  EXPECT_EQ(5, many.GroupAutomatically());
  EXPECT_EQ((std::vector<int>{35}), many.Group(35));
  EXPECT_EQ(-1, many[36].group) << "no window beyond the 36th";
  EXPECT_EQ(-1, many[39].group);
}
