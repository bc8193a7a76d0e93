#include "record_plan_rules.h"

#include <cstring>

namespace devcfg {

namespace {
constexpr size_t kEntriesAt = 1, kAutoRecordAt = 225, kPackageTimeAt = 226;
static_assert(kEntriesAt + sizeof(shell::WorkPlanEntry) * kPlanDays * kPlanDayEntries == kAutoRecordAt,
              "record plan entries");
}  // namespace

RecordPlan LoadRecordPlan(const uint8_t* part) {
  RecordPlan plan;
  plan.enabled = part[0] != 0;
  std::memcpy(plan.entries, part + kEntriesAt, sizeof plan.entries);
  plan.autoRecord = part[kAutoRecordAt] != 0;
  plan.packageTime = part[kPackageTimeAt];
  return plan;
}

void StoreRecordPlan(uint8_t* part, const RecordPlan& plan) {
  part[0] = plan.enabled ? 1 : 0;
  std::memcpy(part + kEntriesAt, plan.entries, sizeof plan.entries);
  part[kAutoRecordAt] = plan.autoRecord ? 1 : 0;
  part[kPackageTimeAt] = uint8_t(plan.packageTime);
}

RecordPlan DefaultRecordPlan() { return RecordPlan(); }

int FirstFreePlanSlot(const RecordPlan& plan, int day) {
  if (day < 0 || day >= kPlanDays) return -1;
  for (int s = 0; s < kPlanDayEntries; ++s)
    if (!plan.entries[day][s].used) return s;
  return -1;
}

void DeletePlanEntry(RecordPlan& plan, int day, int slot) {
  if (day < 0 || day >= kPlanDays || slot < 0 || slot >= kPlanDayEntries) return;
  shell::WorkPlanEntry* e = plan.entries[day];
  for (int s = slot; s + 1 < kPlanDayEntries; ++s) e[s] = e[s + 1];
  e[kPlanDayEntries - 1] = shell::WorkPlanEntry{};
}

void CopyPlanDay(RecordPlan& plan, int day, unsigned mask) {
  if (day < 0 || day >= kPlanDays) return;
  for (int d = 0; d < kPlanDays; ++d)
    if (d != day && (mask >> d & 1)) std::memcpy(plan.entries[d], plan.entries[day], sizeof plan.entries[d]);
}

}  // namespace devcfg
