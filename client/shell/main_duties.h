// The main dialog's periodic and event-driven duties as rules over numbers:
// whether the local work plan asks a channel to record now, what one pass
// of the record schedule does for a slot, where a polling window goes
// next, which PTZ command a panel button sends and the colour block a
// colour change sends. No window code and no clock here: callers pass the
// time in.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>

#include "config_image.h"

namespace shell {

// Weekday of the local work plan: Monday 0 .. Sunday 6, from a C library
// weekday (Sunday 0 .. Saturday 6).
int WorkPlanDay(int tmWeekday);

// Whether an entry of slot's plan for day (Monday 0) covers minuteOfDay
// (hour x 60 + minute, both ends included) for a detection type in mask.
// False for a slot outside 0..63 or a day outside 0..6.
bool IsInWorkPlan(const LocalWorkPlan& plan, int slot, uint8_t mask, int day, int minuteOfDay);

// The work plan's detection types.
enum : uint8_t { kPlanContinuous = 1, kPlanMotionAlarm = 4, kPlanProbeAlarm = 8 };
// A channel slot's alarm flags (ChannelSlot::kAlarmMotion 0x10, kAlarmProbe
// 0x100) as the plan's detection types they ask about.
uint8_t AlarmPlanMask(uint32_t alarmFlags);

// Record types of the record writer.
enum : int { kRecordNormal = 1, kRecordAlarm = 2 };

// What the record schedule knows of one slot with a device in one pass.
struct RecordScheduleInput {
  bool recording = false;     // a record file is open
  int recordType = 0;         // of the open file
  uint32_t elapsedSeconds = 0;
  bool lowSpace = false;      // the file's drive has less than 200 MB free
  int recordMinutes = 30;     // SubMonRecTime: a normal file's length
  int recordDelay = 30;       // RecDelay: an alarm file's length in seconds
  bool preRecord = false;
  bool autoWorkPlan = false;
  bool planNormal = false;    // the plan asks for continuous recording now
  bool planAlarm = false;     // the plan covers the slot's alarm kinds now (before a cut)
  bool manualRecord = false;  // the operator's record switch
};

// What the pass does, in this order: cut the open file (clearing the alarm
// flags first for an alarm file), then start or stop.
struct RecordScheduleStep {
  bool cut = false;
  bool clearAlarm = false;
  int startType = 0;  // 0: no start
  int preFrames = 0;
  bool stop = false;
};
RecordScheduleStep StepRecordSchedule(const RecordScheduleInput& in);

// The list entry a polling window moves to: the next one, wrapping to 0 at
// the end (a negative position also gives 0).
int NextPollPosition(int position, int count);

// The PTZ command a panel button code sends on press; 0xFE (stop) for
// codes that move nothing (the iris buttons among them).
uint8_t PtzCommandForButton(int buttonCode);

// The panel button codes of the press-and-hold buttons.
enum PtzButtonCode : int {
  kPtzUp = 0, kPtzDown = 2, kPtzLeft = 4, kPtzRight = 6, kPtzLeftUp = 8, kPtzLeftDown = 10,
  kPtzRightUp = 12, kPtzRightDown = 14, kPtzFocusReduce = 20, kPtzFocusAdd = 22, kPtzZoomAdd = 24,
  kPtzZoomReduce = 26, kPtzIrisReduce = 28, kPtzIrisAdd = 30,
};

// The colour (sensor) block: bytes 5..8 are brightness, contrast,
// saturation and hue; the others go back to the device as it sent them.
constexpr int kColourFirstByte = 5;
void PutColourValues(uint8_t block[12], const int values[4]);
void GetColourValues(const uint8_t block[12], int values[4]);

// The monitoring channel list's groups: the number of groups of a
// groups-count choice (0..5 = 1, 4, 9, 16, 25, 36; else 0), and the choice
// that fits n channels one to a group (-1 for none).
int GroupCountForChoice(int choice);
int GroupChoiceForChannels(int n);

}  // namespace shell
