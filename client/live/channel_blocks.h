// The channel blocks of a device record: 1,024 bytes per channel, each
// beginning with the channel's name. The record keeps only their address;
// the number of blocks allocated is kept here beside it, so a channel count
// raised later gets its blocks reallocated and no name is read or written
// past the blocks' end. No window code here.
#pragma once

#include <string>

#include "config_image.h"

namespace live {

constexpr int kChannelBlockSize = 1024;

// Makes sure the record has blocks for at least `count` channels (zero-filled;
// names already written are kept when the blocks grow). Returns the number
// of blocks the record now has.
int EnsureChannelBlocks(shell::DeviceRecord& record, int count);
// Blocks allocated for the record (0 when none).
int ChannelBlockCount(const shell::DeviceRecord& record);
// The name in block `channel`, bounded by the block; empty without a block.
std::string ChannelBlockName(const shell::DeviceRecord* record, int channel);
// Writes the name into block `channel` (cut to fit); false without a block.
bool SetChannelBlockName(shell::DeviceRecord& record, int channel, const std::string& name);
// Names every allocated channel "<word>-NN" from 1 ("Channel-01").
void NameChannels(shell::DeviceRecord& record, const std::string& channelWord);
// Frees the record's blocks and clears its reference.
void FreeChannelBlocks(shell::DeviceRecord& record);

}  // namespace live
