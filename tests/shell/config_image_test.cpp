// The repair of SysCfg.dat images, natively under UBSan: the image is packed,
// so most of its numeric fields are not aligned, and the repair must reach
// them without unaligned references.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "config_image.h"

using namespace shell;

namespace {
// A packed field's value (gtest would bind a reference to it).
uint32_t V(uint32_t v) { return v; }
}  // namespace

TEST(ConfigImageNative, RepairsUnalignedFields) {
  auto img = std::make_unique<SystemConfigImage>();
  ResetSysConfig(*img);
  // Fields at odd offsets in the packed image (device 1 begins at 17109).
  img->devices[1].linkType = 7;
  img->devices[1].channelCount = 65;
  img->devices[1].state = 3;
  img->channels[2].deviceRef = 99;
  img->windows[1].count = 3;
  img->windows[1].slots[2] = 64;
  img->windows[1].position = 3;
  img->splitLayout = 12;
  EXPECT_NE(0u, (reinterpret_cast<uintptr_t>(&img->devices[1].linkType)) % 4);
  EXPECT_EQ(6, RepairSysConfig(*img));
  EXPECT_EQ(0u, V(img->devices[1].linkType));
  EXPECT_EQ(0u, V(img->devices[1].channelCount));
  EXPECT_EQ(0u, V(img->devices[1].state));
  EXPECT_EQ(0u, V(img->channels[2].deviceRef));
  EXPECT_EQ(0u, V(img->windows[1].slots[2]));
  EXPECT_EQ(0u, V(img->windows[1].position));
  EXPECT_EQ(0u, V(img->splitLayout));
  EXPECT_EQ(0, RepairSysConfig(*img));
}
