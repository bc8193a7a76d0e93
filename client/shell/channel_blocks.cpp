#include "channel_blocks.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace shell {

namespace {

struct BlockSet {
  char bytes[kMaxDeviceChannels][kChannelBlockSize];
};

std::mutex& Lock() {
  static std::mutex m;
  return m;
}
std::map<const DeviceRecord*, std::unique_ptr<BlockSet>>& Sets() {
  static std::map<const DeviceRecord*, std::unique_ptr<BlockSet>> sets;
  return sets;
}

BlockSet* FindSet(const DeviceRecord& record) {
  if (!record.channelBlocks) return nullptr;
  std::lock_guard<std::mutex> l(Lock());
  auto it = Sets().find(&record);
  return it == Sets().end() ? nullptr : it->second.get();
}

}  // namespace

int DeviceChannelCount(const DeviceRecord& record) {
  int n = record.channelCount;
  return n < 1 ? 1 : n > kMaxDeviceChannels ? kMaxDeviceChannels : n;
}

void EnsureChannelBlocks(DeviceRecord& record) {
  if (record.channelBlocks && FindSet(record)) return;
  std::lock_guard<std::mutex> l(Lock());
  std::unique_ptr<BlockSet>& set = Sets()[&record];
  if (!set) set = std::make_unique<BlockSet>();
  std::memset(set.get(), 0, sizeof *set);
  record.channelBlocks = 1;
}

void FreeChannelBlocks(DeviceRecord& record) { record.channelBlocks = 0; }

void NameChannels(DeviceRecord& record, const char* channelWord) {
  EnsureChannelBlocks(record);
  int count = DeviceChannelCount(record);
  for (int c = 0; c < count; ++c)
    if (char* block = ChannelBlock(record, c)) {
      std::memset(block, 0, kChannelNameSize);
      std::snprintf(block, kChannelNameSize, "%s-%02d", channelWord ? channelWord : "", c + 1);
    }
}

char* ChannelBlock(DeviceRecord& record, int channel) {
  if (channel < 0 || channel >= DeviceChannelCount(record)) return nullptr;
  BlockSet* set = FindSet(record);
  return set ? set->bytes[channel] : nullptr;
}

const char* ChannelBlock(const DeviceRecord& record, int channel) {
  return ChannelBlock(const_cast<DeviceRecord&>(record), channel);
}

const char* ChannelName(const DeviceRecord& record, int channel) {
  const char* block = ChannelBlock(record, channel);
  return block ? block : "";
}

}  // namespace shell
