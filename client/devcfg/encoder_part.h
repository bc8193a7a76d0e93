// The encoder part of a channel's settings block (13 bytes at 576) and the
// encoder page's rules: what loads and saves, the default bit rate of a
// mode and resolution, and the values an edit takes when left.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>

namespace devcfg {

struct EncoderValues {
  int resolution = -1;  // 0 CIF, 1 QCIF
  int iInterval = 0, frameRate = 0;
  int mode = -1;        // 0 constant, 1 variable
  int quality = -1;     // 0..5
  int bitRate = 0;      // kbps
};

// The part's fields; a resolution of 8 is QCIF, anything else CIF.
EncoderValues LoadEncoderPart(const uint8_t* part);
// Writes the six fields (QCIF as 8, else 4). A mode or quality of -1 (no
// choice) keeps the part's value.
void StoreEncoderPart(uint8_t* part, const EncoderValues& v);
// Bit rate after a mode or resolution change: constant CIF 200, QCIF 64;
// variable CIF 300, QCIF 100.
int DefaultEncoderBitRate(int mode, int resolution);
constexpr int kEncoderBitRateMin = 32, kEncoderBitRateMax = 500;
// Frame rate taken by an edit left outside 1..30: 25 on PAL (standard 0),
// else 30.
inline int EncoderFrameRateFallback(uint32_t videoStandard) { return videoStandard == 0 ? 25 : 30; }

}  // namespace devcfg
