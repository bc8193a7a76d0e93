#include "main_duties.h"

#include "channel_slot.h"

namespace shell {

int WorkPlanDay(int tmWeekday) { return (tmWeekday + 6) % 7; }

uint8_t AlarmPlanMask(uint32_t alarmFlags) {
  uint8_t mask = 0;
  if (alarmFlags & ChannelSlot::kAlarmMotion) mask |= kPlanMotionAlarm;
  if (alarmFlags & ChannelSlot::kAlarmProbe) mask |= kPlanProbeAlarm;
  return mask;
}

bool IsInWorkPlan(const LocalWorkPlan& plan, int slot, uint8_t mask, int day, int minuteOfDay) {
  if (slot < 0 || slot >= 64 || day < 0 || day >= 7) return false;
  for (const WorkPlanEntry& e : plan.entries[slot][day]) {
    if (!e.used || !(e.detectionType & mask)) continue;
    int begin = e.beginHour * 60 + e.beginMinute;
    int end = e.endHour * 60 + e.endMinute;
    if (begin <= minuteOfDay && minuteOfDay <= end) return true;
  }
  return false;
}

RecordScheduleStep StepRecordSchedule(const RecordScheduleInput& in) {
  RecordScheduleStep step;
  bool recording = in.recording;
  if (recording) {
    bool alarm = in.recordType == kRecordAlarm;
    uint32_t limit = alarm ? uint32_t(in.recordDelay) : uint32_t(in.recordMinutes) * 60u;
    if (in.elapsedSeconds >= limit || in.lowSpace) {
      step.cut = true;
      step.clearAlarm = alarm;
      recording = false;
    }
  }
  // A cut alarm file clears the slot's alarm flags: the plan is then asked
  // about no alarm kind at all.
  bool planAlarm = in.planAlarm && !step.clearAlarm;
  if (in.autoWorkPlan) {
    if (in.planNormal && !recording) {
      step.startType = kRecordNormal;
      step.preFrames = 60;
    } else if (planAlarm && !recording) {
      step.startType = kRecordAlarm;
      step.preFrames = in.preRecord ? 150 : 30;
    }
  } else if (in.manualRecord && !recording) {
    step.startType = kRecordNormal;
  } else if (recording && !in.manualRecord) {
    step.stop = true;
  }
  return step;
}

int NextPollPosition(int position, int count) {
  int next = position + 1;
  if (next < 0 || next >= count) next = 0;
  return next;
}

uint8_t PtzCommandForButton(int buttonCode) {
  switch (buttonCode) {
    case kPtzUp: return 3;
    case kPtzDown: return 4;
    case kPtzLeft: return 5;
    case kPtzRight: return 6;
    case kPtzLeftUp: return 17;
    case kPtzLeftDown: return 19;
    case kPtzRightUp: return 18;
    case kPtzRightDown: return 20;
    case kPtzFocusReduce: return 8;
    case kPtzFocusAdd: return 7;
    case kPtzZoomAdd: return 9;
    case kPtzZoomReduce: return 10;
    case 40: return 15;
    default: return 0xFE;
  }
}

void PutColourValues(uint8_t block[12], const int values[4]) {
  for (int i = 0; i < 4; ++i) block[kColourFirstByte + i] = uint8_t(values[i] & 0xFF);
}

void GetColourValues(const uint8_t block[12], int values[4]) {
  for (int i = 0; i < 4; ++i) values[i] = block[kColourFirstByte + i];
}

int GroupCountForChoice(int choice) {
  static const int kCounts[] = {1, 4, 9, 16, 25, 36};
  return choice >= 0 && choice < 6 ? kCounts[choice] : 0;
}

int GroupChoiceForChannels(int n) {
  if (n <= 0) return -1;
  for (int choice = 1; choice < 5; ++choice)
    if (n <= GroupCountForChoice(choice)) return choice;
  return 5;
}

}  // namespace shell
