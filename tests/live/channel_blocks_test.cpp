// The channel blocks beside a device record: growth keeps the names, reads
// and writes stay inside the blocks allocated.
#include <gtest/gtest.h>

#include <string>

#include "channel_blocks.h"

namespace {

TEST(ChannelBlocks, GrowKeepingNamesAndNeverPastTheirEnd) {
  shell::DeviceRecord r{};
  EXPECT_EQ("", live::ChannelBlockName(&r, 0));   // none allocated
  EXPECT_FALSE(live::SetChannelBlockName(r, 0, "x"));
  EXPECT_EQ(1, live::EnsureChannelBlocks(r, 0));  // at least one
  EXPECT_EQ(2, live::EnsureChannelBlocks(r, 2));
  live::NameChannels(r, "Channel");
  EXPECT_EQ("Channel-02", live::ChannelBlockName(&r, 1));
  ASSERT_TRUE(live::SetChannelBlockName(r, 0, "Gate"));
  const uint32_t before = r.channelBlocks;
  EXPECT_EQ(2, live::EnsureChannelBlocks(r, 1));   // no shrink, same blocks
  EXPECT_EQ(before, r.channelBlocks);
  // A raised channel count reallocates; the names already there stay.
  EXPECT_EQ(5, live::EnsureChannelBlocks(r, 5));
  EXPECT_EQ(5, live::ChannelBlockCount(r));
  EXPECT_EQ("Gate", live::ChannelBlockName(&r, 0));
  EXPECT_EQ("Channel-02", live::ChannelBlockName(&r, 1));
  EXPECT_EQ("", live::ChannelBlockName(&r, 4));
  // Outside the blocks: nothing read or written.
  struct Row { int channel; bool ok; } rows[] = {{-1, false}, {5, false}, {200, false}, {4, true}};
  for (const Row& row : rows) {
    EXPECT_EQ(row.ok, live::SetChannelBlockName(r, row.channel, "N")) << row.channel;
    EXPECT_EQ(row.ok ? "N" : "", live::ChannelBlockName(&r, row.channel)) << row.channel;
  }
  // A name longer than a block is cut to fit, ending in NUL.
  ASSERT_TRUE(live::SetChannelBlockName(r, 2, std::string(3000, 'a')));
  EXPECT_EQ(size_t(live::kChannelBlockSize - 1), live::ChannelBlockName(&r, 2).size());
  // A record whose reference is not ours reads as having no blocks.
  shell::DeviceRecord copy = r;
  EXPECT_EQ(0, live::ChannelBlockCount(copy));
  EXPECT_EQ("", live::ChannelBlockName(&copy, 0));
  live::FreeChannelBlocks(r);
  EXPECT_EQ(0u, r.channelBlocks);
  EXPECT_EQ("", live::ChannelBlockName(&r, 0));
}

}  // namespace
