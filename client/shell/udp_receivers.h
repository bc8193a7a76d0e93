// Where received datagrams go: the one registration point of the UDP
// command channel's receivers (device search, settings pages, colour panel,
// alarm view, record search, the main dialog itself), and what the main
// dialog does with an announcement. Runs on the UI thread, where the posted
// datagrams are dispatched, so registrations need no lock.
//
// Portable: no Windows headers.
#pragma once

#include <string>
#include <vector>

#include "channel_slot.h"
#include "config_image.h"
#include "udp_packets.h"

namespace shell {

// Hands every dispatched call on to the receivers registered, in the order
// of registration. A receiver registers while its window exists and removes
// itself when it closes (also from inside a call).
class CUdpReceiverList : public UdpReceiver {
public:
  void Add(UdpReceiver* receiver);
  void Remove(UdpReceiver* receiver);
  size_t Count() const { return m_receivers.size(); }

  void OnAnnouncement(const std::string& from, const uint8_t* block) override;
  void OnConfigReply(const std::string& from, uint8_t command, uint8_t channel, const uint8_t* block,
                     size_t size) override;
  void OnListItem(const std::string& from, uint16_t type, const uint8_t* data, size_t size) override;
  void OnRecordList(const std::string& from, uint8_t command, const uint8_t* payload, size_t size) override;
  void OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) override;

private:
  template <class F>
  void Each(F f);
  std::vector<UdpReceiver*> m_receivers;
};

// The announcement block goes to the first of the device records whose
// address text is exactly the sender's dotted text (a record entered by host
// name never matches). Returns that record's index, or -1.
int ApplyAnnouncement(DeviceRecord* records, int count, const std::string& from, const uint8_t* block);

// The channel slot an alarm report is about: the first slot whose device
// record's address text is exactly the sender's dotted text and whose
// channel is the report's. -1 when none.
int FindAlarmSlot(const ChannelTable& channels, const std::string& from, int channel);

}  // namespace shell
