// The video parameters part of a channel's settings block (its first 70
// bytes: name, on-screen texts, shelter, encoding, colours) and the page's
// rules: the record size per hour and the default bit rate.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <string>

namespace devcfg {

constexpr int kVideoNameChars = 32;

struct VideoParamValues {
  std::string name;
  bool showName = false, showTime = false, shelter = false;
  int nameX = 0, nameY = 0, timeX = 0, timeY = 0;
  int shelterX = 0, shelterY = 0, shelterW = 0, shelterH = 0;
  int resolution = -1;  // 0 720P, 1 D1, 2 CIF, 3 QCIF
  int iInterval = 0, frameRate = 0;
  int mode = -1;        // 0 constant, 1 variable
  int quality = -1;     // 0..5
  int bitRate = 0;
  int luminance = 0, contrast = 0, saturation = 0, hue = 0, offset = 0;
};

// The part's fields; the name is read no further than its 33 bytes, and a
// resolution bit other than 2, 4 or 8 is 720P.
VideoParamValues LoadVideoParamPart(const uint8_t* block);
// Writes every field: the name (at most 32 characters) with its NUL, the
// resolution as 1 << index (no choice taken as 720P), a mode or quality of
// -1 keeps the part's value.
void StoreVideoParamPart(uint8_t* block, const VideoParamValues& v);

// Megabytes per hour of a rate in kbps (each step truncating).
inline int HourlyMegabytes(int kbps) { return kbps * 3600 / 8 / 1024; }
// The variable-mode rate of a resolution and quality; -1 out of range.
int VariableModeRate(int resolution, int quality);
// Bit rate after a mode or resolution change.
int DefaultVideoBitRate(int mode, int resolution);

}  // namespace devcfg
