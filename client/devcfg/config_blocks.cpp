#include "config_blocks.h"

#include <cstdio>
#include <cstring>

#include "udp_packets.h"

namespace devcfg {

ChannelPart ChannelPartOfPage(int pageIndex) {
  switch (pageIndex) {
    case 0: return {kVideoParamPart, kVideoParamPartSize};
    case 2: return {kAlarmPart, kAlarmPartSize};
    case 5: return {kEncoderPart, kEncoderPartSize};
    case 6: return {kAudioPart, kAudioPartSize};
    case 7: return {kRecordPlanPart, kRecordPlanPartSize};
    case 8: return {kPtzSerialPart, kPtzPartSize};
    default: return {0, 0};
  }
}

int BlockChannel(const uint8_t* block, size_t size) { return block && size ? block[0] : -1; }

uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t GetU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
void PutU16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

int ZeroDwords(void* buffer, size_t count) {
  if (buffer && count) std::memset(buffer, 0, count * 4);
  return 0;
}

int CappedChannelCount(int count) { return count < 0 ? 0 : count > kMaxChannels ? kMaxChannels : count; }

std::string FieldText(const char* field, size_t size) {
  size_t n = 0;
  while (n < size && field[n]) ++n;
  return std::string(field, n);
}

std::string ChannelName(const ChannelSettingsBlock& block) {
  return FieldText(reinterpret_cast<const char*>(block.bytes), kChannelNameSize);
}

std::string BlockAddressText(const uint8_t* word) { return shell::Ipv4Text(GetU32(word)); }

bool PutBlockAddress(uint8_t* word, const char* text) {
  uint32_t a = 0;
  if (!text || !shell::ParseIpv4(text, &a)) return false;
  PutU32(word, a);
  return true;
}

int MaxFrameRate(int flow, int resolution) { return (flow != 0 || resolution == 10) ? 15 : 25; }

StreamCheck StoreStreamValues(StreamBlock& block, int flow, const StreamValues& v) {
  StreamFlow& f = block.flow[flow ? 1 : 0];
  if (v.bitRate < kBitRateMin || v.bitRate > kBitRateMax) return StreamCheck::BitRate;
  if (v.iFrameInterval < kIFrameMin || v.iFrameInterval > kIFrameMax) return StreamCheck::IFrameInterval;
  if (v.frameRate < 1 || v.frameRate > MaxFrameRate(flow, block.flow[0].resolution)) return StreamCheck::FrameRate;
  PutU16(f.bitRate, uint32_t(v.bitRate));
  f.iFrameInterval = uint8_t(v.iFrameInterval);
  f.rateType = uint8_t(v.rateType);
  f.quality = uint8_t(v.quality);
  f.frameRate = uint8_t(v.frameRate);
  return StreamCheck::Ok;
}

std::string VersionText(uint16_t v) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d%d", v >> 8, (v >> 4) & 15, v & 15);
  return text;
}

const EditRange* FindEditRange(const EditRange* table, size_t count, int id) {
  for (size_t i = 0; i < count; ++i)
    if (table[i].id == id) return &table[i];
  return nullptr;
}

int ClampEditValue(const EditRange& range, int value) {
  return value < range.min || value > range.max ? range.fallback : value;
}

bool ParseBoundedNumber(const char* text, int max, int* value) {
  if (!text) return false;
  while (*text == ' ') ++text;
  if (!*text) return false;
  long n = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    n = n * 10 + (*text - '0');
    if (n > max) return false;
  }
  while (*text == ' ') ++text;
  if (*text) return false;
  if (value) *value = int(n);
  return true;
}

}  // namespace devcfg
