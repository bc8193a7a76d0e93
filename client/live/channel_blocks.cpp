#include "channel_blocks.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace live {
namespace {

struct Blocks {
  std::unique_ptr<char[]> bytes;
  int count = 0;
};

std::mutex g_lock;
std::map<const shell::DeviceRecord*, Blocks> g_blocks;

// The blocks the record refers to, when they are ours.
Blocks* Find(const shell::DeviceRecord& r) {
  auto it = g_blocks.find(&r);
  if (it == g_blocks.end() || !it->second.bytes) return nullptr;
  // The record's field holds the blocks' 32-bit address (all of it in the
  // client; only its low half where pointers are wider).
  if (r.channelBlocks != uint32_t(uintptr_t(it->second.bytes.get()))) return nullptr;
  return &it->second;
}

}  // namespace

int EnsureChannelBlocks(shell::DeviceRecord& record, int count) {
  std::lock_guard<std::mutex> l(g_lock);
  if (count < 1) count = 1;
  Blocks* b = Find(record);
  if (b && b->count >= count) return b->count;
  Blocks fresh;
  fresh.bytes.reset(new char[size_t(count) * kChannelBlockSize]());
  fresh.count = count;
  if (b) memcpy(fresh.bytes.get(), b->bytes.get(), size_t(b->count) * kChannelBlockSize);
  record.channelBlocks = uint32_t(uintptr_t(fresh.bytes.get()));
  g_blocks[&record] = std::move(fresh);
  return count;
}

int ChannelBlockCount(const shell::DeviceRecord& record) {
  std::lock_guard<std::mutex> l(g_lock);
  const Blocks* b = Find(record);
  return b ? b->count : 0;
}

std::string ChannelBlockName(const shell::DeviceRecord* record, int channel) {
  if (!record || channel < 0) return std::string();
  std::lock_guard<std::mutex> l(g_lock);
  const Blocks* b = Find(*record);
  if (!b || channel >= b->count) return std::string();
  const char* p = b->bytes.get() + size_t(channel) * kChannelBlockSize;
  return std::string(p, strnlen(p, kChannelBlockSize));
}

bool SetChannelBlockName(shell::DeviceRecord& record, int channel, const std::string& name) {
  std::lock_guard<std::mutex> l(g_lock);
  Blocks* b = Find(record);
  if (!b || channel < 0 || channel >= b->count) return false;
  char* p = b->bytes.get() + size_t(channel) * kChannelBlockSize;
  size_t n = std::min(name.size(), size_t(kChannelBlockSize - 1));
  memcpy(p, name.data(), n);
  p[n] = 0;
  return true;
}

void NameChannels(shell::DeviceRecord& record, const std::string& channelWord) {
  int n = ChannelBlockCount(record);
  for (int i = 0; i < n; ++i) {
    char text[160];
    snprintf(text, sizeof text, "%.128s-%02d", channelWord.c_str(), i + 1);
    SetChannelBlockName(record, i, text);
  }
}

void FreeChannelBlocks(shell::DeviceRecord& record) {
  std::lock_guard<std::mutex> l(g_lock);
  g_blocks.erase(&record);
  record.channelBlocks = 0;
}

}  // namespace live
