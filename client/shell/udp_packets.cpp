#include "udp_packets.h"

#include <cstdio>
#include <cstring>

namespace shell {

namespace {

void PutU16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

UdpDatagram Datagram(size_t size, uint8_t type, uint8_t command, uint8_t channel, uint16_t lengthField) {
  UdpDatagram d(size, 0);
  d[0] = 1;
  d[1] = type;
  d[2] = command;
  d[3] = channel;
  PutU16(&d[14], lengthField);
  return d;
}

UdpDatagram Set(uint8_t command, const uint8_t* block, size_t size, uint16_t lengthField) {
  UdpDatagram d = Datagram(kUdpHeaderSize + size, UDPCMD_SET, command, 0, lengthField);
  std::memcpy(&d[kUdpHeaderSize], block, size);
  return d;
}

}  // namespace

UdpDatagram BuildRegionGet(uint8_t channel) {
  UdpDatagram d = Datagram(16, UDPCMD_GET, UDPCFG_REGION, channel, 0);
  d[13] = 1;
  return d;
}

UdpDatagram BuildSensorGet(uint8_t channel) {
  UdpDatagram d = Datagram(18, UDPCMD_GET, UDPCFG_SENSOR, 0, 2);
  d[16] = channel;
  return d;
}

UdpDatagram BuildStreamGet() { return Datagram(18, UDPCMD_GET, UDPCFG_STREAM, 0, 0); }
UdpDatagram BuildNetworkGet() { return Datagram(16, UDPCMD_GET, UDPCFG_NETWORK, 0, 0); }
UdpDatagram BuildItemListGet() { return Datagram(16, UDPCMD_GET, UDPCFG_ITEM_LIST, 0, 0); }
UdpDatagram BuildReboot() { return Datagram(16, UDPCMD_GET, UDPCMD_REBOOT, 0, 0); }

UdpDatagram BuildStreamStarted(uint8_t channel, uint8_t streamKind) {
  UdpDatagram d = Datagram(16, UDPCMD_GET, UDPCMD_STREAM_STARTED, channel, 0);
  d[4] = streamKind;
  return d;
}

UdpDatagram BuildRecordSearch(uint8_t command, uint8_t selector, uint32_t begin, uint32_t end) {
  UdpDatagram d = Datagram(28, UDPCMD_RECORD_SEARCH, command, 0, 12);
  d[16] = selector;
  PutU32(&d[20], begin);
  PutU32(&d[24], end);
  return d;
}

UdpDatagram BuildPtz(uint8_t command, uint8_t channel, uint8_t preset) {
  UdpDatagram d = Datagram(20, UDPCMD_PTZ, command, channel, 4);
  d[16] = 3;  // the two speeds
  d[17] = 3;
  if (command == UDPPTZ_SET_PRESET || command == UDPPTZ_CLEAR_PRESET) {
    d[16] = preset;  // and no speeds
    d[17] = 0;
  }
  return d;
}

UdpDatagram BuildRegionSet(const uint8_t block[kRegionBlockSize]) {
  return Set(UDPCFG_REGION, block, kRegionBlockSize, kRegionBlockSize);
}
UdpDatagram BuildSensorSet(const uint8_t block[kSensorBlockSize]) {
  return Set(UDPCFG_SENSOR, block, kSensorBlockSize, kSensorBlockSize);
}
UdpDatagram BuildStreamSet(const uint8_t block[kStreamBlockSize]) {
  // Devices expect the whole datagram's size in the length field here.
  return Set(UDPCFG_STREAM, block, kStreamBlockSize, kUdpHeaderSize + kStreamBlockSize);
}
UdpDatagram BuildNetworkSet(const uint8_t block[kNetworkBlockSize]) {
  return Set(UDPCFG_NETWORK, block, kNetworkBlockSize, kNetworkBlockSize);
}

std::string Ipv4Text(uint32_t v) {
  char s[16];
  std::snprintf(s, sizeof s, "%u.%u.%u.%u", unsigned(v >> 24), unsigned((v >> 16) & 255),
                unsigned((v >> 8) & 255), unsigned(v & 255));
  return s;
}

bool ParseIpv4(const char* text, uint32_t* address) {
  if (!text) return false;
  uint32_t value = 0;
  const char* p = text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *p++ != '.') return false;
    if (*p < '0' || *p > '9') return false;
    unsigned n = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9') {
      n = n * 10 + unsigned(*p++ - '0');
      if (++digits > 3 || n > 255) return false;
    }
    value = value << 8 | n;
  }
  if (*p) return false;
  if (address) *address = value;
  return true;
}

uint32_t UdpDeviceInfoView::Address() const {
  return uint32_t(b_[7]) << 24 | uint32_t(b_[6]) << 16 | uint32_t(b_[5]) << 8 | b_[4];
}
std::string UdpDeviceInfoView::AddressText() const { return Ipv4Text(Address()); }
uint16_t UdpDeviceInfoView::ConfigPort() const { return GetU16(b_ + 8); }
uint16_t UdpDeviceInfoView::StreamPort() const { return GetU16(b_ + 12); }
std::string UdpDeviceInfoView::Serial() const { return Text(20); }

std::string UdpDeviceInfoView::Text(size_t offset) const {
  if (offset >= kDeviceInfoSize) return std::string();
  const char* p = reinterpret_cast<const char*>(b_ + offset);
  const void* nul = std::memchr(p, 0, kDeviceInfoSize - offset);
  size_t n = nul ? size_t(static_cast<const char*>(nul) - p) : kDeviceInfoSize - offset;
  return std::string(p, n);
}

size_t ConfigBlockSize(uint8_t command) {
  switch (command) {
    case UDPCFG_REGION:
      return kRegionBlockSize;
    case UDPCFG_SENSOR:
      return kSensorBlockSize;
    case UDPCFG_STREAM:
      return kStreamBlockSize;
    case UDPCFG_NETWORK:
      return kNetworkBlockSize;
    default:
      return 0;
  }
}

UdpDispatch DispatchUdpDatagram(const uint8_t* data, size_t size, const std::string& from,
                                UdpReceiver& receiver) {
  if (!data || size < kUdpHeaderSize) return UdpDispatch::Ignored;
  const uint8_t type = uint8_t(data[1] & ~0x40);
  const uint8_t command = data[2];
  const uint8_t* payload = data + kUdpHeaderSize;
  const size_t received = size - kUdpHeaderSize;
  switch (type) {
    case UDPREPLY_DEVICE_INFO: {
      if (size < kDeviceInfoSize) return UdpDispatch::Ignored;
      // The block as far as the datagram carried it; the rest stays 0.
      uint8_t block[kDeviceInfoSize] = {};
      std::memcpy(block, payload, received < kDeviceInfoSize ? received : kDeviceInfoSize);
      receiver.OnAnnouncement(from, block);
      return UdpDispatch::Announcement;
    }
    case UDPREPLY_CONFIG: {
      if (command == UDPCFG_ITEM_LIST) {
        // Items {u16 type, u16 length, data}, as far as both the length
        // field and the datagram reach.
        size_t end = GetU16(data + 14);
        if (end > received) end = received;
        size_t at = 0;
        while (at + 4 <= end) {
          uint16_t itemType = GetU16(payload + at);
          size_t itemSize = GetU16(payload + at + 2);
          if (itemSize > end - at - 4) break;
          receiver.OnListItem(from, itemType, payload + at + 4, itemSize);
          at += 4 + itemSize;
        }
        return UdpDispatch::ItemList;
      }
      const size_t blockSize = ConfigBlockSize(command);
      // A reply shorter than its block is dropped: nothing may read past
      // the bytes received.
      if (!blockSize || received < blockSize) return UdpDispatch::Ignored;
      receiver.OnConfigReply(from, command, data[3], payload, blockSize);
      return UdpDispatch::ConfigReply;
    }
    case UDPREPLY_ALARM:
      receiver.OnAlarm(from, command, data[3], data[4]);
      return UdpDispatch::Alarm;
    case UDPREPLY_RECORD_LIST: {
      size_t length = GetU16(data + 14);
      receiver.OnRecordList(from, command, payload, length < received ? length : received);
      return UdpDispatch::RecordList;
    }
    default:
      return UdpDispatch::Ignored;
  }
}

}  // namespace shell
