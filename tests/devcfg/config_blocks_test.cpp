// The settings blocks' rules: stream value ranges (nothing stored on a
// refusal), addresses held as byte-swapped words, versions, bounded
// numbers and names, the channel-block parts and the mirror's cap.
#include <gtest/gtest.h>

#include <cstring>

#include "config_blocks.h"

using namespace devcfg;

namespace {

StreamBlock DevsimLikeBlock(uint8_t mainResolution) {
  StreamBlock b;
  uint8_t* p = reinterpret_cast<uint8_t*>(&b);
  for (size_t i = 0; i < sizeof b; ++i) p[i] = uint8_t(i + 1);
  b.flow[0].resolution = mainResolution;
  return b;
}

}  // namespace

TEST(StreamRules, RangesInOrderAndNothingStoredOnRefusal) {
  struct Case {
    int flow, resolution;
    StreamValues v;
    StreamCheck want;
  } cases[] = {
      {0, 1, {4096, 100, 2, 5, 25}, StreamCheck::Ok},
      {0, 1, {32, 25, 1, 1, 1}, StreamCheck::Ok},
      {0, 1, {4097, 100, 1, 1, 25}, StreamCheck::BitRate},
      {0, 1, {31, 100, 1, 1, 25}, StreamCheck::BitRate},
      {0, 1, {4096, 24, 1, 1, 25}, StreamCheck::IFrameInterval},
      {0, 1, {4096, 101, 1, 1, 25}, StreamCheck::IFrameInterval},
      {0, 1, {4096, 100, 1, 1, 26}, StreamCheck::FrameRate},
      {0, 1, {4096, 100, 1, 1, 0}, StreamCheck::FrameRate},
      {0, 10, {4096, 100, 1, 1, 16}, StreamCheck::FrameRate},  // UVGA main flow: 1..15
      {0, 10, {4096, 100, 1, 1, 15}, StreamCheck::Ok},
      {1, 1, {4096, 100, 1, 1, 16}, StreamCheck::FrameRate},   // minor flow: 1..15 always
      {1, 1, {4096, 100, 1, 1, 15}, StreamCheck::Ok},
      {0, 1, {0, 0, 1, 1, 0}, StreamCheck::BitRate},           // text that is not a number
  };
  for (const Case& c : cases) {
    StreamBlock b = DevsimLikeBlock(uint8_t(c.resolution));
    const StreamBlock before = b;
    EXPECT_EQ(StoreStreamValues(b, c.flow, c.v), c.want) << c.flow << " " << c.v.bitRate << " " << c.v.frameRate;
    if (c.want != StreamCheck::Ok) {
      EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0) << "a refused save changed the block";
      continue;
    }
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&b);
    const size_t at = 20 + 8 * size_t(c.flow);
    EXPECT_EQ(raw[at + 1], c.v.frameRate);
    EXPECT_EQ(raw[at + 2], c.v.iFrameInterval);
    EXPECT_EQ(raw[at + 3], c.v.rateType);
    EXPECT_EQ(GetU16(raw + at + 4), c.v.bitRate);
    EXPECT_EQ(raw[at + 6], c.v.quality);
    // The bytes the page does not own stay as received.
    const uint8_t* old = reinterpret_cast<const uint8_t*>(&before);
    for (size_t i = 0; i < sizeof b; ++i)
      if (i < at + 1 || i > at + 6) {
        EXPECT_EQ(raw[i], old[i]) << "byte " << i;
      }
  }
}

TEST(BlockAddresses, ByteSwappedWordsBothWays) {
  NetworkBlock b;
  std::memset(&b, 0, sizeof b);
  // Bytes d, c, b, a at offset 12 are the address a.b.c.d.
  const uint8_t ip[4] = {4, 3, 2, 169};
  std::memcpy(reinterpret_cast<uint8_t*>(&b) + 12, ip, 4);
  EXPECT_EQ(BlockAddressText(b.ip), "169.2.3.4");
  ASSERT_TRUE(PutBlockAddress(b.gateway, "192.168.1.254"));
  const uint8_t want[4] = {254, 1, 168, 192};
  EXPECT_EQ(std::memcmp(reinterpret_cast<uint8_t*>(&b) + 20, want, 4), 0);
  // Texts that do not parse are refused and leave the word alone.
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "a.b.c.d", "1.2.3.4 ", "-1.2.3.4"}) {
    EXPECT_FALSE(PutBlockAddress(b.gateway, bad)) << bad;
    EXPECT_EQ(std::memcmp(reinterpret_cast<uint8_t*>(&b) + 20, want, 4), 0) << bad;
  }
  EXPECT_FALSE(PutBlockAddress(b.gateway, nullptr));
}

TEST(DeviceInfoRules, VersionsAndBoundedTexts) {
  EXPECT_EQ(VersionText(0x0123), "1.23");
  EXPECT_EQ(VersionText(0x0A0F), "10.015");
  EXPECT_EQ(VersionText(0x0202), "2.02");
  const char serial[5] = {'A', 'B', 'C', 'D', 'E'};  // no NUL inside the field
  EXPECT_EQ(FieldText(serial, sizeof serial), "ABCDE");
  ChannelSettingsBlock block;
  std::memset(&block, 'x', sizeof block);
  EXPECT_EQ(ChannelName(block).size(), kChannelNameSize);
  std::memcpy(block.bytes, "Gate\0", 5);
  EXPECT_EQ(ChannelName(block), "Gate");
}

TEST(NumberEdits, BoundedNumbersAndClampTable) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {{"0", true, 0},     {"255", true, 255}, {"300", false, 0}, {"256", false, 0}, {"", false, 0},
               {"12a", false, 0},  {"-1", false, 0},   {" 7 ", true, 7},  {"99999999999", false, 0}};
  for (const Case& c : cases) {
    int v = -1;
    EXPECT_EQ(ParseBoundedNumber(c.text, 255, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  const EditRange table[] = {{1094, 32, 4096, 512}, {1097, 1, 25, 25}};
  ASSERT_NE(FindEditRange(table, 2, 1097), nullptr);
  EXPECT_EQ(FindEditRange(table, 2, 1000), nullptr);
  EXPECT_EQ(ClampEditValue(table[0], 4097), 512);
  EXPECT_EQ(ClampEditValue(table[0], 4096), 4096);
  EXPECT_EQ(ClampEditValue(table[1], 0), 25);
}

TEST(ChannelMirror, PartsAndCap) {
  struct Case {
    int page;
    size_t offset, size;
  } cases[] = {{0, 0, 70}, {2, 128, 31}, {5, 576, 13}, {6, 608, 9}, {7, 256, 227}, {8, 512, 26},
               {1, 0, 0},   {10, 0, 0},    {-1, 0, 0}};
  for (const Case& c : cases) {
    ChannelPart p = ChannelPartOfPage(c.page);
    EXPECT_EQ(p.offset, c.offset) << c.page;
    EXPECT_EQ(p.size, c.size) << c.page;
    EXPECT_LE(p.offset + p.size, kChannelBlockSize);
  }
  EXPECT_EQ(CappedChannelCount(100), 64);
  EXPECT_EQ(CappedChannelCount(255), 64);
  EXPECT_EQ(CappedChannelCount(4), 4);
  EXPECT_EQ(CappedChannelCount(-3), 0);
  uint32_t words[4] = {1, 2, 3, 4};
  EXPECT_EQ(ZeroDwords(words, 3), 0);
  EXPECT_EQ(words[2], 0u);
  EXPECT_EQ(words[3], 4u);
}
