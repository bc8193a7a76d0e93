// The rules of one work plan entry (begin, end, the kinds of event that
// make a channel record): the ranges of its four time fields, what leaving
// an out-of-range field sets it back to, and the checks before it is
// accepted. No window code here.
#pragma once

#include "config_image.h"

namespace shell {

enum WorkPlanField { kPlanBeginHour, kPlanBeginMinute, kPlanEndHour, kPlanEndMinute, kPlanFields };

// Detection type bits of an entry.
enum WorkPlanType : uint8_t {
  kPlanTiming = 1,
  kPlanVideoLost = 2,
  kPlanMotion = 4,
  kPlanProbe = 8,
};

int WorkPlanFieldMax(WorkPlanField field);  // 23 for hours, 59 for minutes
// A value outside 0..max becomes the field's bound: begin fields 0, end
// hour 23, end minute 59. Values in range stay.
int ClampWorkPlanField(WorkPlanField field, int value);

enum class WorkPlanEntryError { None, StopNotAfterStart, NoDetectionType };
// An entry must end after it begins within one day and name at least one type.
WorkPlanEntryError CheckWorkPlanEntry(const WorkPlanEntry& e);

}  // namespace shell
