#include "work_plan_entry.h"

namespace shell {

int WorkPlanFieldMax(WorkPlanField field) {
  return field == kPlanBeginHour || field == kPlanEndHour ? 23 : 59;
}

int ClampWorkPlanField(WorkPlanField field, int value) {
  if (value >= 0 && value <= WorkPlanFieldMax(field)) return value;
  switch (field) {
    case kPlanEndHour: return 23;
    case kPlanEndMinute: return 59;
    default: return 0;
  }
}

WorkPlanEntryError CheckWorkPlanEntry(const WorkPlanEntry& e) {
  if (e.beginHour * 60 + e.beginMinute >= e.endHour * 60 + e.endMinute)
    return WorkPlanEntryError::StopNotAfterStart;
  if ((e.detectionType & 0x0F) == 0) return WorkPlanEntryError::NoDetectionType;
  return WorkPlanEntryError::None;
}

}  // namespace shell
