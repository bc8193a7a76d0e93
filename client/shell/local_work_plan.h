// Edits of the client's weekly recording schedule (the image's
// LocalWorkPlan): four packed entries per channel and weekday. No window
// code here.
#pragma once

#include <cstdint>

#include "config_image.h"

namespace shell {

constexpr int kPlanChannels = 64;
constexpr int kPlanDays = 7;
constexpr int kPlanEntries = 4;

inline bool ValidPlanDay(int channel, int day) {
  return channel >= 0 && channel < kPlanChannels && day >= 0 && day < kPlanDays;
}
// Number of used entries at the start of the day (entries are kept packed).
int CountPlanEntries(const LocalWorkPlan& plan, int channel, int day);
// The first unused entry of the day, -1 when all four are used.
int FirstFreePlanEntry(const LocalWorkPlan& plan, int channel, int day);
// Removes entry e; the following entries move up and the last is cleared.
bool DeletePlanEntry(LocalWorkPlan& plan, int channel, int day, int entry);
// Copies the day's 32 bytes to every day whose bit is set in dayMask
// (bit 0 Monday), the source day excepted.
void CopyPlanDay(LocalWorkPlan& plan, int channel, int day, uint32_t dayMask);
// Copies the channel's whole week to every channel whose flag is set, the
// source channel excepted. flags has kPlanChannels entries.
void CopyPlanChannel(LocalWorkPlan& plan, int channel, const int* flags);

}  // namespace shell
