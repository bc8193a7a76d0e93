// The encoder and video parameters parts of a channel block: what loads,
// what saves (no choice never written as all ones), bounded names, the
// record size per hour and the default bit rates.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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
