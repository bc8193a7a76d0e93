#include "alarm_rules.h"

#include "config_blocks.h"

namespace devcfg {
namespace {

// Part offsets.
constexpr size_t kEnabledAt = 0, kProbeMaskAt = 4, kOutputMaskAt = 6, kDurationAt = 14, kSendToAllAt = 16;
constexpr size_t kLinkMaskAt = 17, kLinkDurationAt = 19;
constexpr size_t kRegionAt = 21, kSensitivityAt = 29, kThresholdAt = 30;

}  // namespace

int HeldInRange(int v, int min, int max) { return v < min ? min : v > max ? max : v; }

AlarmBasic LoadAlarmBasic(const uint8_t* p) {
  AlarmBasic v;
  for (int k = 0; k < kAlarmKinds; ++k) {
    v.enabled[k] = p[kEnabledAt + size_t(k)] != 0;
    v.outputMask[k] = GetU16(p + kOutputMaskAt + 2 * size_t(k));
  }
  v.probeMask = GetU16(p + kProbeMaskAt);
  v.duration = HeldInRange(GetU16(p + kDurationAt), kAlarmDurationMin, kAlarmDurationMax);
  v.sendToAll = p[kSendToAllAt] != 0;
  return v;
}

void StoreAlarmBasic(uint8_t* p, const AlarmBasic& v) {
  for (int k = 0; k < kAlarmKinds; ++k) {
    p[kEnabledAt + size_t(k)] = v.enabled[k] ? 1 : 0;
    PutU16(p + kOutputMaskAt + 2 * size_t(k), v.outputMask[k]);
  }
  PutU16(p + kProbeMaskAt, v.probeMask);
  PutU16(p + kDurationAt, uint32_t(HeldInRange(v.duration, kAlarmDurationMin, kAlarmDurationMax)));
  p[kSendToAllAt] = v.sendToAll ? 1 : 0;
}

AlarmLink LoadAlarmLink(const uint8_t* p) {
  AlarmLink v;
  v.channelMask = GetU16(p + kLinkMaskAt);
  v.duration = HeldInRange(GetU16(p + kLinkDurationAt), kLinkDurationMin, kLinkDurationMax);
  return v;
}

void StoreAlarmLink(uint8_t* p, const AlarmLink& v) {
  PutU16(p + kLinkMaskAt, v.channelMask);
  PutU16(p + kLinkDurationAt, uint32_t(HeldInRange(v.duration, kLinkDurationMin, kLinkDurationMax)));
}

MotionRegion LoadMotionRegion(const uint8_t* p) {
  MotionRegion v;
  v.x = GetU16(p + kRegionAt);
  v.y = GetU16(p + kRegionAt + 2);
  v.w = GetU16(p + kRegionAt + 4);
  v.h = GetU16(p + kRegionAt + 6);
  v.sensitivity = HeldInRange(p[kSensitivityAt], kSensitivityMin, kSensitivityMax);
  v.threshold = HeldInRange(p[kThresholdAt], kThresholdMin, kThresholdMax);
  return v;
}

void StoreMotionRegion(uint8_t* p, const MotionRegion& v) {
  const int fields[4] = {v.x, v.y, v.w, v.h};
  for (int i = 0; i < 4; ++i) PutU16(p + kRegionAt + 2 * size_t(i), uint32_t(HeldInRange(fields[i], 0, 0xFFFF)));
  p[kSensitivityAt] = uint8_t(HeldInRange(v.sensitivity, kSensitivityMin, kSensitivityMax));
  p[kThresholdAt] = uint8_t(HeldInRange(v.threshold, kThresholdMin, kThresholdMax));
}

int AlarmRows(int count) { return HeldInRange(count, 0, kAlarmMaskRows); }

bool MaskRow(uint16_t mask, int row) { return row >= 0 && row < kAlarmMaskRows && (mask >> row & 1u) != 0; }

uint16_t WithMaskRow(uint16_t mask, int row, bool on) {
  if (row < 0 || row >= kAlarmMaskRows) return mask;
  const uint16_t bit = uint16_t(1u << row);
  return on ? uint16_t(mask | bit) : uint16_t(mask & ~bit);
}

MotionRegion FitRegion(MotionRegion r) {
  r.x = HeldInRange(r.x, 0, kRegionMaxX);
  r.y = HeldInRange(r.y, 0, kRegionMaxY);
  r.w = HeldInRange(r.w, kRegionMinSide, kRegionWidth - r.x);
  r.h = HeldInRange(r.h, kRegionMinSide, kRegionHeight - r.y);
  return r;
}

bool TakeDrawnRegion(MotionRegion& r, int left, int top, int right, int bottom) {
  if (right - left < kRegionMinSide || bottom - top < kRegionMinSide) return false;
  r.x = left;
  r.y = top;
  r.w = right - left;
  r.h = bottom - top;
  return true;
}

}  // namespace devcfg
