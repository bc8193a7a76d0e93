// The map's device list: which device records and channels it shows, and
// which camera a dropped channel node stands for.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config_image.h"

namespace emap {

constexpr int kMapDeviceRecords = 36;

struct MapChannelNode {
  std::string name;
  uint32_t data = 0;        // (device index << 16) | channel index (from 0)
};
struct MapDeviceNode {
  std::string name;         // the record's server name
  uint32_t loginId = 0;     // the device node's item data
  std::vector<MapChannelNode> channels;
};

// The number of records in use that are not offline (state not 0).
int CountListedDevices(const shell::DeviceRecord* records, int count);
// One node per record that is not offline, with one node per channel
// (channelName gives a channel's caption).
std::vector<MapDeviceNode> BuildMapDeviceList(const shell::DeviceRecord* records, int count,
                                              std::string (*channelName)(const shell::DeviceRecord&, int));

// The camera a dropped channel node stands for: the record at the node's
// device index must still be online with the parent's login id and have
// the channel. channel is 1-based, as the map stores it.
bool ResolveDroppedChannel(const shell::DeviceRecord* records, int count, uint32_t itemData, uint32_t parentData,
                           int& channel, int& loginId);

}  // namespace emap
