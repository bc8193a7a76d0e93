#include "local_work_plan.h"

#include <cstring>

namespace shell {

int CountPlanEntries(const LocalWorkPlan& plan, int channel, int day) {
  if (!ValidPlanDay(channel, day)) return 0;
  int n = 0;
  while (n < kPlanEntries && plan.entries[channel][day][n].used) ++n;
  return n;
}

int FirstFreePlanEntry(const LocalWorkPlan& plan, int channel, int day) {
  if (!ValidPlanDay(channel, day)) return -1;
  for (int e = 0; e < kPlanEntries; ++e)
    if (!plan.entries[channel][day][e].used) return e;
  return -1;
}

bool DeletePlanEntry(LocalWorkPlan& plan, int channel, int day, int entry) {
  if (!ValidPlanDay(channel, day) || entry < 0 || entry >= kPlanEntries) return false;
  WorkPlanEntry* e = plan.entries[channel][day];
  for (int i = entry; i + 1 < kPlanEntries; ++i) e[i] = e[i + 1];
  std::memset(&e[kPlanEntries - 1], 0, sizeof e[0]);
  return true;
}

void CopyPlanDay(LocalWorkPlan& plan, int channel, int day, uint32_t dayMask) {
  if (!ValidPlanDay(channel, day)) return;
  for (int d = 0; d < kPlanDays; ++d)
    if (d != day && (dayMask >> d & 1))
      std::memcpy(plan.entries[channel][d], plan.entries[channel][day], sizeof plan.entries[0][0]);
}

void CopyPlanChannel(LocalWorkPlan& plan, int channel, const int* flags) {
  if (channel < 0 || channel >= kPlanChannels || !flags) return;
  for (int c = 0; c < kPlanChannels; ++c)
    if (c != channel && flags[c]) std::memcpy(plan.entries[c], plan.entries[channel], sizeof plan.entries[0]);
}

}  // namespace shell
