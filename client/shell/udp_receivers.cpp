#include "udp_receivers.h"

#include <algorithm>
#include <cstring>

namespace shell {

void CUdpReceiverList::Add(UdpReceiver* receiver) {
  if (receiver && std::find(m_receivers.begin(), m_receivers.end(), receiver) == m_receivers.end())
    m_receivers.push_back(receiver);
}

void CUdpReceiverList::Remove(UdpReceiver* receiver) {
  m_receivers.erase(std::remove(m_receivers.begin(), m_receivers.end(), receiver), m_receivers.end());
}

template <class F>
void CUdpReceiverList::Each(F f) {
  // A receiver may remove itself or another while it runs: the list is
  // walked as it was, skipping those no longer registered.
  const std::vector<UdpReceiver*> now = m_receivers;
  for (UdpReceiver* r : now)
    if (std::find(m_receivers.begin(), m_receivers.end(), r) != m_receivers.end()) f(*r);
}

void CUdpReceiverList::OnAnnouncement(const std::string& from, const uint8_t* block) {
  Each([&](UdpReceiver& r) { r.OnAnnouncement(from, block); });
}
void CUdpReceiverList::OnConfigReply(const std::string& from, uint8_t command, uint8_t channel,
                                     const uint8_t* block, size_t size) {
  Each([&](UdpReceiver& r) { r.OnConfigReply(from, command, channel, block, size); });
}
void CUdpReceiverList::OnListItem(const std::string& from, uint16_t type, const uint8_t* data, size_t size) {
  Each([&](UdpReceiver& r) { r.OnListItem(from, type, data, size); });
}
void CUdpReceiverList::OnRecordList(const std::string& from, uint8_t command, const uint8_t* payload,
                                    size_t size) {
  Each([&](UdpReceiver& r) { r.OnRecordList(from, command, payload, size); });
}
void CUdpReceiverList::OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) {
  Each([&](UdpReceiver& r) { r.OnAlarm(from, kind, channel, state); });
}

int FindAlarmSlot(const ChannelTable& channels, const std::string& from, int channel) {
  for (int i = 0; i < kChannelSlots; ++i) {
    const ChannelSlot& s = channels[i];
    const DeviceRecord* d = s.device.load();
    if (!d || s.channel.load() != int32_t(channel)) continue;
    if (strnlen(d->address, sizeof d->address) != from.size() || from.compare(0, from.size(), d->address, from.size()) != 0)
      continue;
    return i;
  }
  return -1;
}

int ApplyAnnouncement(DeviceRecord* records, int count, const std::string& from, const uint8_t* block) {
  if (!records || !block || from.empty()) return -1;
  for (int i = 0; i < count; ++i) {
    DeviceRecord& d = records[i];
    const size_t n = strnlen(d.address, sizeof d.address);
    if (n == from.size() && std::memcmp(d.address, from.data(), n) == 0) {
      std::memcpy(d.announcement, block, sizeof d.announcement);
      return i;
    }
  }
  return -1;
}

}  // namespace shell
