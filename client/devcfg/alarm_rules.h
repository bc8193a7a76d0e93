// The alarm part of a channel block (31 bytes at 128) as its three pages
// see it: which detections raise an alarm and which outputs each drives,
// which channels record on alarm, and the motion detection rectangle. Rows
// of the check lists stand for the bits of u16 masks, so a list never has
// more than 16 rows whatever the device reports.
//
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config_blocks.h"

namespace devcfg {

// Alarm kinds, in the order of the part's flags and masks and of the
// output tabs.
enum AlarmKind { kAlarmVideoLost, kAlarmMotion, kAlarmProbe, kAlarmManual, kAlarmKinds };
constexpr int kAlarmMaskRows = 16;

constexpr int kAlarmDurationMin = 5, kAlarmDurationMax = 300, kAlarmDurationDefault = 15;
constexpr int kLinkDurationMin = 30, kLinkDurationMax = 600, kLinkDurationDefault = 30;
constexpr int kSensitivityMin = 1, kSensitivityMax = 100;
constexpr int kThresholdMin = 1, kThresholdMax = 255;
// Sensitivity and threshold: what an edit left out of range takes, and
// what "Default" sets.
constexpr int kDetectFallback = 10, kDetectDefault = 5;
// The detection rectangle lives on a 352 x 288 picture.
constexpr int kRegionWidth = 352, kRegionHeight = 288, kRegionMinSide = 32;
constexpr int kRegionMaxX = kRegionWidth - kRegionMinSide, kRegionMaxY = kRegionHeight - kRegionMinSide;

// "Basic Settings": part bytes 0..16.
struct AlarmBasic {
  bool enabled[kAlarmKinds] = {};
  uint16_t probeMask = 0;                   // bit i: probe input i + 1
  uint16_t outputMask[kAlarmKinds] = {};    // bit i: alarm output i + 1
  int duration = kAlarmDurationDefault;     // seconds
  bool sendToAll = false;
};

// "Alarm Linkage Record": part bytes 17..20.
struct AlarmLink {
  uint16_t channelMask = 0;                 // bit i: channel i + 1 records
  int duration = kLinkDurationDefault;      // seconds
};

// "Motion Detection Area": part bytes 21..30. The defaults are the page's
// "Default": the whole picture, sensitivity and threshold 5.
struct MotionRegion {
  int x = 0, y = 0, w = kRegionWidth, h = kRegionHeight;
  int sensitivity = kDetectDefault, threshold = kDetectDefault;
};

// Loading holds the durations, sensitivity and threshold inside their
// ranges, as their spins show them; saving writes each page's own bytes
// and nothing else of the part.
AlarmBasic LoadAlarmBasic(const uint8_t* part);
void StoreAlarmBasic(uint8_t* part, const AlarmBasic& v);
AlarmLink LoadAlarmLink(const uint8_t* part);
void StoreAlarmLink(uint8_t* part, const AlarmLink& v);
MotionRegion LoadMotionRegion(const uint8_t* part);
void StoreMotionRegion(uint8_t* part, const MotionRegion& v);

// Rows of a check list for a count the device reports: 0..16.
int AlarmRows(int count);
// A row's bit; rows outside the mask are never set.
bool MaskRow(uint16_t mask, int row);
uint16_t WithMaskRow(uint16_t mask, int row, bool on);

// v, or the nearer end of min..max.
int HeldInRange(int v, int min, int max);

// The rule of the X, Y, W and H edits when one is left: X at most 320, Y
// at most 256, W and H at least 32, then W cut to 352 - X and H to 288 - Y.
MotionRegion FitRegion(MotionRegion r);
// A rectangle drawn on the picture: taken (true) only when at least 32
// wide and 32 high.
bool TakeDrawnRegion(MotionRegion& r, int left, int top, int right, int bottom);

}  // namespace devcfg
