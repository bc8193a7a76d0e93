// The record-plan part of a channel block (227 bytes at 256): the plan
// switch, four work plan entries for each weekday (Monday first), the
// "auto record when no connection" switch and the record file package time.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config_blocks.h"
#include "config_image.h"

namespace devcfg {

constexpr int kPlanDays = 7, kPlanDayEntries = 4;
constexpr int kPackageTimeMin = 2, kPackageTimeMax = 15, kPackageTimeDefault = 10;

struct RecordPlan {
  bool enabled = false;
  shell::WorkPlanEntry entries[kPlanDays][kPlanDayEntries] = {};
  bool autoRecord = false;
  int packageTime = kPackageTimeDefault;  // minutes
};

RecordPlan LoadRecordPlan(const uint8_t* part);
void StoreRecordPlan(uint8_t* part, const RecordPlan& plan);
// "Default": plan off, no entries, auto record off, package time 10.
RecordPlan DefaultRecordPlan();

// The first unused of the day's four slots, -1 when all are used.
int FirstFreePlanSlot(const RecordPlan& plan, int day);
// Removes the day's entry in slot: the later ones move one slot down and
// the fourth is cleared.
void DeletePlanEntry(RecordPlan& plan, int day, int slot);
// The day's four entries into every day of mask (bit 0 Monday) but itself.
void CopyPlanDay(RecordPlan& plan, int day, unsigned mask);

}  // namespace devcfg
