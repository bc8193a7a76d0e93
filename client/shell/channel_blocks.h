// The run-time channel settings blocks of the device records: one 1,024-byte
// block per channel of a device, each beginning with the channel's name.
// A record's channelBlocks word is non-zero while its blocks are allocated;
// the blocks themselves live here, one fixed set per record object, and are
// never freed while the program runs (the stream callbacks may read names).
#pragma once

#include <cstddef>

#include "config_image.h"

namespace shell {

constexpr int kMaxDeviceChannels = 32;   // channel blocks one device may hold
constexpr int kChannelBlockSize = 1024;
constexpr int kChannelNameSize = 32;     // bytes of a block's name, NUL included

// The record's channel count bounded to 1..kMaxDeviceChannels (0 counts as 1).
int DeviceChannelCount(const DeviceRecord& record);
// Allocates zeroed blocks for the record when its channelBlocks word is 0
// (a cleared, deleted or freshly loaded record), then marks it allocated.
void EnsureChannelBlocks(DeviceRecord& record);
// Gives the record's blocks up: it has none until EnsureChannelBlocks, which
// hands it zeroed ones. The bytes stay readable for a stream callback that
// still holds a name.
void FreeChannelBlocks(DeviceRecord& record);
// Names every channel "<channelWord>-%02d" from 1 (allocating first).
void NameChannels(DeviceRecord& record, const char* channelWord);
// The block of channel `channel` (from 0); null when the blocks are not
// allocated or the channel is outside the record's count. A record's blocks
// lie one after the other: block c is block 0 plus c * kChannelBlockSize.
char* ChannelBlock(DeviceRecord& record, int channel);
const char* ChannelBlock(const DeviceRecord& record, int channel);
// The channel's name; "" when it has no block.
const char* ChannelName(const DeviceRecord& record, int channel);

}  // namespace shell
