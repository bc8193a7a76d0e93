// The encoder, video parameters and alarm parts of a channel block: what
// loads, what saves (no choice never written as all ones), bounded names,
// the record size per hour, the default bit rates, the alarm masks' rows
// and the motion detection rectangle's rules.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "alarm_rules.h"
#include "config_blocks.h"
#include "encoder_part.h"
#include "video_param_part.h"

using namespace devcfg;

TEST(EncoderPart, ResolutionModesAndNoChoice) {
  struct Case {
    uint32_t stored;
    int resolution;
  } cases[] = {{4, 0}, {0, 0}, {16, 0}, {8, 1}, {0xFFFFFFFF, 0}};
  for (const Case& c : cases) {
    uint8_t part[32] = {};
    PutU32(part, c.stored);
    EXPECT_EQ(LoadEncoderPart(part).resolution, c.resolution) << c.stored;
  }
  uint8_t part[32];
  std::memset(part, 0x77, sizeof part);
  PutU32(part + 6, 1);
  part[10] = 3;
  EncoderValues v;  // mode and quality -1
  v.resolution = 1;
  v.iInterval = 50;
  v.frameRate = 25;
  v.bitRate = 300;
  StoreEncoderPart(part, v);
  EXPECT_EQ(GetU32(part), 8u);
  EXPECT_EQ(GetU32(part + 6), 1u) << "mode kept";
  EXPECT_EQ(part[10], 3) << "quality kept";
  EXPECT_EQ(GetU16(part + 11), 300);
  EXPECT_EQ(part[13], 0x77) << "outside the 13 bytes";
  struct Rate {
    int mode, resolution, want;
  } rates[] = {{0, 0, 200}, {0, 1, 64}, {1, 0, 300}, {1, 1, 100}};
  for (const Rate& r : rates) EXPECT_EQ(DefaultEncoderBitRate(r.mode, r.resolution), r.want);
  EXPECT_EQ(EncoderFrameRateFallback(0), 25);
  EXPECT_EQ(EncoderFrameRateFallback(1), 30);
}

TEST(VideoParamPart, LoadSaveRoundTrip) {
  std::vector<uint8_t> block(128, 0xEE);
  std::memset(block.data(), 'N', 33);  // no NUL inside the name field
  PutU32(&block[52], 16);
  PutU32(&block[58], 1);
  block[62] = 4;
  PutU16(&block[63], 1234);
  VideoParamValues v = LoadVideoParamPart(block.data());
  EXPECT_EQ(v.name, std::string(32, 'N')) << "read bounded";
  EXPECT_EQ(v.resolution, 0) << "16 loads as 720P";
  EXPECT_EQ(v.mode, 1);
  EXPECT_EQ(v.quality, 4);
  EXPECT_EQ(v.bitRate, 1234);
  EXPECT_TRUE(v.showName);

  v.name = "Porch";
  v.resolution = -1;
  v.mode = -1;
  v.quality = -1;
  v.shelterW = 352;
  v.luminance = 200;
  StoreVideoParamPart(block.data(), v);
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "Porch");
  EXPECT_EQ(GetU32(&block[52]), 1u) << "no choice saved as 720P";
  EXPECT_EQ(GetU32(&block[58]), 1u) << "mode kept";
  EXPECT_EQ(block[62], 4) << "quality kept";
  EXPECT_EQ(GetU16(&block[48]), 352);
  EXPECT_EQ(block[65], 200);
  EXPECT_EQ(block[70], 0xEE) << "outside the fields";

  struct Res {
    uint32_t stored;
    int index;
  } res[] = {{1, 0}, {2, 1}, {4, 2}, {8, 3}, {0, 0}};
  for (const Res& r : res) {
    PutU32(&block[52], r.stored);
    const VideoParamValues l = LoadVideoParamPart(block.data());
    EXPECT_EQ(l.resolution, r.index) << r.stored;
    StoreVideoParamPart(block.data(), l);
    EXPECT_EQ(GetU32(&block[52]), 1u << r.index) << r.stored;
  }
}

TEST(VideoParamPart, RecordSizeAndDefaults) {
  EXPECT_EQ(HourlyMegabytes(180), 79);
  EXPECT_EQ(HourlyMegabytes(VariableModeRate(2, 0)), 79) << "CIF, Level 1";
  EXPECT_EQ(HourlyMegabytes(512), 225);
  EXPECT_EQ(VariableModeRate(0, 5), 400);
  EXPECT_EQ(VariableModeRate(3, 5), 24);
  EXPECT_EQ(VariableModeRate(4, 0), -1);
  EXPECT_EQ(VariableModeRate(0, -1), -1);
  struct Rate {
    int mode, resolution, want;
  } rates[] = {{1, 0, 2000}, {1, 1, 1000}, {1, 2, 600}, {1, 3, 150},
               {0, 0, 1500}, {0, 1, 700},  {0, 2, 500}, {0, 3, 100}};
  for (const Rate& r : rates) EXPECT_EQ(DefaultVideoBitRate(r.mode, r.resolution), r.want);
}

// ------------------------------------------------------------ alarm part

namespace {
// A part of marked bytes: every byte differs from its neighbours.
std::vector<uint8_t> MarkedPart() {
  std::vector<uint8_t> p(kAlarmPartSize + 1);
  for (size_t i = 0; i < p.size(); ++i) p[i] = uint8_t(0xA0 + i);
  return p;
}
}  // namespace

TEST(AlarmPart, LoadHoldsRangesAndSaveWritesOnlyItsPagesBytes) {
  struct Case {
    uint16_t duration, linkDuration;
    uint8_t sensitivity, threshold;
    int shownDuration, shownLink, shownSensitivity, shownThreshold;
  } cases[] = {
      {15, 60, 50, 100, 15, 60, 50, 100},       {0, 0, 0, 0, 5, 30, 1, 1},
      {4, 29, 101, 255, 5, 30, 100, 255},        {5, 30, 1, 1, 5, 30, 1, 1},
      {300, 600, 100, 7, 300, 600, 100, 7},     {301, 601, 255, 8, 300, 600, 100, 8},
      {0xFFFF, 0xFFFF, 200, 9, 300, 600, 100, 9},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> part = MarkedPart();
    PutU16(&part[14], c.duration);
    PutU16(&part[19], c.linkDuration);
    part[29] = c.sensitivity;
    part[30] = c.threshold;
    EXPECT_EQ(LoadAlarmBasic(part.data()).duration, c.shownDuration) << c.duration;
    EXPECT_EQ(LoadAlarmLink(part.data()).duration, c.shownLink) << c.linkDuration;
    EXPECT_EQ(LoadMotionRegion(part.data()).sensitivity, c.shownSensitivity) << int(c.sensitivity);
    EXPECT_EQ(LoadMotionRegion(part.data()).threshold, c.shownThreshold) << int(c.threshold);
  }

  // Each page writes its own bytes: basic 0..16, record 17..20, region
  // 21..30; nothing after the part.
  std::vector<uint8_t> part = MarkedPart();
  part[0] = 1;
  part[1] = 0;
  part[2] = 7;
  part[3] = 0;
  PutU16(&part[4], 0x8001);
  PutU16(&part[12], 0xFFFF);
  PutU16(&part[14], 120);
  part[16] = 1;
  const AlarmBasic basic = LoadAlarmBasic(part.data());
  EXPECT_TRUE(basic.enabled[kAlarmVideoLost]);
  EXPECT_FALSE(basic.enabled[kAlarmMotion]);
  EXPECT_TRUE(basic.enabled[kAlarmProbe]) << "any non-zero byte is on";
  EXPECT_EQ(basic.probeMask, 0x8001);
  EXPECT_EQ(basic.outputMask[kAlarmVideoLost], GetU16(&part[6]));
  EXPECT_EQ(basic.outputMask[kAlarmManual], 0xFFFF);
  EXPECT_TRUE(basic.sendToAll);
  struct Page {
    const char* name;
    size_t from, to;
    void (*store)(uint8_t*, const uint8_t*);
  } pages[] = {
      {"basic", 0, 17, [](uint8_t* p, const uint8_t* src) { StoreAlarmBasic(p, LoadAlarmBasic(src)); }},
      {"record", 17, 21, [](uint8_t* p, const uint8_t* src) { StoreAlarmLink(p, LoadAlarmLink(src)); }},
      {"region", 21, 31, [](uint8_t* p, const uint8_t* src) { StoreMotionRegion(p, LoadMotionRegion(src)); }},
  };
  std::vector<uint8_t> source(kAlarmPartSize, 0);
  source[0] = source[2] = 1;
  PutU16(&source[4], 0x000F);
  PutU16(&source[10], 0x1234);
  PutU16(&source[14], 60);
  PutU16(&source[17], 0x0005);
  PutU16(&source[19], 90);
  PutU16(&source[21], 16);
  PutU16(&source[23], 32);
  PutU16(&source[25], 320);
  PutU16(&source[27], 64);
  source[29] = 40;
  source[30] = 200;
  for (const Page& pg : pages) {
    std::vector<uint8_t> target = MarkedPart();
    pg.store(target.data(), source.data());
    for (size_t i = 0; i < target.size(); ++i) {
      if (i >= pg.from && i < pg.to) {
        EXPECT_EQ(target[i], source[i]) << pg.name << " byte " << i;
      } else {
        EXPECT_EQ(target[i], uint8_t(0xA0 + i)) << pg.name << " wrote byte " << i;
      }
    }
  }
  // Flags are written 0 or 1; values out of range are held at their ends.
  AlarmBasic b;
  b.enabled[kAlarmProbe] = true;
  b.duration = 1000;
  AlarmLink l;
  l.duration = 1;
  MotionRegion r;
  r.sensitivity = 0;
  r.threshold = 300;
  r.x = 70000;
  std::vector<uint8_t> out(kAlarmPartSize, 0xEE);
  StoreAlarmBasic(out.data(), b);
  StoreAlarmLink(out.data(), l);
  StoreMotionRegion(out.data(), r);
  EXPECT_EQ(out[2], 1);
  EXPECT_EQ(GetU16(&out[14]), 300);
  EXPECT_EQ(GetU16(&out[19]), 30);
  EXPECT_EQ(out[29], 1);
  EXPECT_EQ(out[30], 255);
  EXPECT_EQ(GetU16(&out[21]), 0xFFFF) << "held at 16 bits, not wrapped";
}

TEST(AlarmPart, RowsStopAtTheMasksSixteenBits) {
  // A device may report up to 255 inputs, outputs or channels; a row past
  // bit 15 would be lost or, shifted by 32 or more, land on a low bit.
  struct Rows {
    int count, rows;
  } rows[] = {{-1, 0}, {0, 0}, {4, 4}, {16, 16}, {17, 16}, {32, 16}, {255, 16}};
  for (const Rows& r : rows) EXPECT_EQ(AlarmRows(r.count), r.rows) << r.count;
  struct Bit {
    int row;
    uint16_t set;
  } bits[] = {{0, 0x0001}, {3, 0x0008}, {15, 0x8000}, {16, 0}, {31, 0}, {32, 0}, {33, 0}, {48, 0}, {255, 0}, {-1, 0}};
  for (const Bit& b : bits) {
    EXPECT_EQ(WithMaskRow(0, b.row, true), b.set) << b.row;
    EXPECT_EQ(WithMaskRow(0xFFFF, b.row, false), uint16_t(0xFFFF & ~b.set)) << b.row;
    EXPECT_EQ(MaskRow(0xFFFF, b.row), b.set != 0) << b.row;
    EXPECT_FALSE(MaskRow(uint16_t(~b.set), b.row)) << b.row;
  }
  // Every row of a 255-input device ticked: the 16 rows shown fill the mask.
  uint16_t mask = 0;
  for (int row = 0; row < AlarmRows(255); ++row) mask = WithMaskRow(mask, row, true);
  EXPECT_EQ(mask, 0xFFFF);
  // Only the rows shown are kept: 4 rows of a mask that had bit 9.
  mask = 0;
  for (int row = 0; row < AlarmRows(4); ++row) mask = WithMaskRow(mask, row, MaskRow(0x0205, row));
  EXPECT_EQ(mask, 0x0005);
}

TEST(AlarmPart, MotionRectangleRules) {
  struct Fit {
    MotionRegion in;
    int x, y, w, h;
  } fits[] = {
      {{330, 0, 100, 100, 5, 5}, 320, 0, 32, 100},   {{0, 0, 0, 0, 5, 5}, 0, 0, 32, 32},
      {{100, 200, 400, 100, 5, 5}, 100, 200, 252, 88}, {{0, 300, 352, 10, 5, 5}, 0, 256, 352, 32},
      {{0, 0, 352, 288, 5, 5}, 0, 0, 352, 288},       {{320, 256, 31, 31, 5, 5}, 320, 256, 32, 32},
      {{999, 999, 999, 999, 5, 5}, 320, 256, 32, 32},
  };
  for (const Fit& f : fits) {
    const MotionRegion r = FitRegion(f.in);
    EXPECT_EQ(r.x, f.x) << f.in.x;
    EXPECT_EQ(r.y, f.y) << f.in.y;
    EXPECT_EQ(r.w, f.w) << f.in.x << "," << f.in.w;
    EXPECT_EQ(r.h, f.h) << f.in.y << "," << f.in.h;
  }
  struct Drawn {
    int left, top, right, bottom;
    bool taken;
  } drawn[] = {{10, 10, 41, 100, false}, {10, 10, 42, 100, true}, {10, 10, 100, 41, false},
               {0, 0, 352, 288, true},   {5, 5, 5, 5, false}};
  for (const Drawn& d : drawn) {
    MotionRegion r{7, 7, 40, 40, 5, 5};
    EXPECT_EQ(TakeDrawnRegion(r, d.left, d.top, d.right, d.bottom), d.taken) << d.right - d.left;
    EXPECT_EQ(r.x, d.taken ? d.left : 7);
    EXPECT_EQ(r.w, d.taken ? d.right - d.left : 40);
  }
  const MotionRegion def;
  EXPECT_EQ(def.w, 352);
  EXPECT_EQ(def.h, 288);
  EXPECT_EQ(def.sensitivity, 5);
}
