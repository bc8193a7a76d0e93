#include "map_devices.h"

namespace emap {

namespace {

bool Listed(const shell::DeviceRecord& r) { return r.inUse != 0 && r.state != 0; }

std::string ServerName(const shell::DeviceRecord& r) {
  size_t n = 0;
  while (n < sizeof r.serverName && r.serverName[n]) ++n;
  return std::string(r.serverName, n);
}

}  // namespace

int CountListedDevices(const shell::DeviceRecord* records, int count) {
  int n = 0;
  for (int i = 0; records && i < count && i < kMapDeviceRecords; ++i) n += Listed(records[i]);
  return n;
}

std::vector<MapDeviceNode> BuildMapDeviceList(const shell::DeviceRecord* records, int count,
                                              std::string (*channelName)(const shell::DeviceRecord&, int)) {
  std::vector<MapDeviceNode> list;
  for (int i = 0; records && i < count && i < kMapDeviceRecords; ++i) {
    const shell::DeviceRecord& r = records[i];
    if (!Listed(r)) continue;
    MapDeviceNode d;
    d.name = ServerName(r);
    d.loginId = r.loginId;
    for (int c = 0; c < r.channelCount; ++c)
      d.channels.push_back({channelName ? channelName(r, c) : std::string(), uint32_t(i) << 16 | uint32_t(c)});
    list.push_back(d);
  }
  return list;
}

bool ResolveDroppedChannel(const shell::DeviceRecord* records, int count, uint32_t itemData, uint32_t parentData,
                           int& channel, int& loginId) {
  int index = int(itemData >> 16), c = int(itemData & 0xFFFF);
  if (!records || index >= count || index >= kMapDeviceRecords) return false;
  const shell::DeviceRecord& r = records[index];
  if (!Listed(r) || r.loginId != parentData || c >= r.channelCount) return false;
  channel = c + 1;
  loginId = int(r.loginId);
  return true;
}

}  // namespace emap
