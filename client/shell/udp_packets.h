// The client's UDP command channel (port 8001 both ways) as bytes: the
// 16-byte header, one builder per request, the views of what devices send,
// and the dispatch of a received datagram to the receivers that take it.
// No sockets and no windows here.
//
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace shell {

enum : uint8_t {
  // Request types.
  UDPCMD_GET = 0xC1,
  UDPCMD_RECORD_SEARCH = 0xC2,
  UDPCMD_PTZ = 0xC3,
  UDPCMD_SET = 0xC4,
  // Device datagram types (each also with bit 0x40 set).
  UDPREPLY_DEVICE_INFO = 1,
  UDPREPLY_CONFIG = 2,
  UDPREPLY_RECORD_LIST = 3,
  UDPREPLY_ALARM = 63,
};

// Commands of UDPCMD_GET and UDPCMD_SET and of configuration replies.
enum : uint8_t {
  UDPCFG_REGION = 1,  // motion-detection and cover areas
  UDPCFG_SENSOR = 2,  // colour / sensor block
  UDPCFG_STREAM = 3,
  UDPCFG_NETWORK = 4,
  UDPCFG_ITEM_LIST = 6,
  UDPCMD_REBOOT = 0xFE,
  UDPCMD_STREAM_STARTED = 0xFF,
};

// PTZ command codes (UDPCMD_PTZ's command byte).
enum UdpPtzCommand : uint8_t {
  UDPPTZ_UP = 3,
  UDPPTZ_DOWN = 4,
  UDPPTZ_LEFT = 5,
  UDPPTZ_RIGHT = 6,
  UDPPTZ_FOCUS_ADD = 7,
  UDPPTZ_FOCUS_REDUCE = 8,
  UDPPTZ_ZOOM_ADD = 9,
  UDPPTZ_ZOOM_REDUCE = 10,
  UDPPTZ_SET_PRESET = 11,
  UDPPTZ_CLEAR_PRESET = 12,
  UDPPTZ_CODE_15 = 15,
  UDPPTZ_LEFT_UP = 17,
  UDPPTZ_RIGHT_UP = 18,
  UDPPTZ_LEFT_DOWN = 19,
  UDPPTZ_RIGHT_DOWN = 20,
  UDPCMD_PTZ_STOP = 0xFE,
};

constexpr uint16_t kUdpCommandPort = 8001;
constexpr size_t kUdpHeaderSize = 16;
constexpr size_t kUdpMaxDatagram = 1500;
constexpr size_t kRegionBlockSize = 136;
constexpr size_t kSensorBlockSize = 12;
constexpr size_t kStreamBlockSize = 52;
constexpr size_t kNetworkBlockSize = 168;
constexpr size_t kDeviceInfoSize = 224;
constexpr size_t kRecordListEntries = 100;

#pragma pack(push, 1)
struct UdpCmdHeader {  // 16 bytes, little-endian
  uint8_t mark;        // always 1
  uint8_t type;
  uint8_t command;
  uint8_t channel;
  uint8_t param;  // stream kind in the stream-started notice, alarm state
  uint8_t zero[8];
  uint8_t flag;     // 1 only in the area-block get
  uint16_t length;  // payload length (the stream-block set holds 68)
};
#pragma pack(pop)
static_assert(sizeof(UdpCmdHeader) == 16, "UdpCmdHeader is 16 bytes");

using UdpDatagram = std::vector<uint8_t>;

// Requests. Every byte not named by the request is 0.
UdpDatagram BuildRegionGet(uint8_t channel);                          // 16 bytes
UdpDatagram BuildSensorGet(uint8_t channel);                          // 18, channel at byte 16
UdpDatagram BuildStreamGet();                                         // 18
UdpDatagram BuildNetworkGet();                                        // 16
UdpDatagram BuildItemListGet();                                       // 16
UdpDatagram BuildReboot();                                            // 16, no reply
UdpDatagram BuildStreamStarted(uint8_t channel, uint8_t streamKind);  // 16, no reply
// command 1 normal, 2 alarm records; selector 0 or 0xFF; times in seconds since 1970.
UdpDatagram BuildRecordSearch(uint8_t command, uint8_t selector, uint32_t begin, uint32_t end);  // 28
// preset: the preset number for set and clear preset, else ignored.
UdpDatagram BuildPtz(uint8_t command, uint8_t channel, uint8_t preset = 0);  // 20
UdpDatagram BuildRegionSet(const uint8_t block[kRegionBlockSize]);           // 152
UdpDatagram BuildSensorSet(const uint8_t block[kSensorBlockSize]);           // 28
UdpDatagram BuildStreamSet(const uint8_t block[kStreamBlockSize]);           // 68, length field 68
UdpDatagram BuildNetworkSet(const uint8_t block[kNetworkBlockSize]);         // 184

// A device announcement's payload (the 224-byte announcement block).
class UdpDeviceInfoView {
public:
  explicit UdpDeviceInfoView(const uint8_t* block) : b_(block) {}
  uint32_t Address() const;  // host order, first octet in the top byte (payload byte 7)
  std::string AddressText() const;
  uint16_t ConfigPort() const;
  uint16_t StreamPort() const;
  uint8_t ChannelCount() const { return b_[15]; }
  std::string Serial() const;             // NUL-terminated at 20, never past the block
  std::string Text(size_t offset) const;  // a NUL-terminated text inside the block

private:
  const uint8_t* b_;
};

// What the dispatch hands on; each receiver runs where the dispatch runs.
// The payloads are valid only during the call.
class UdpReceiver {
public:
  virtual ~UdpReceiver() = default;
  // block: kDeviceInfoSize bytes; the bytes the datagram did not carry are 0.
  virtual void OnAnnouncement(const std::string& from, const uint8_t* block) {}
  // Configuration replies of commands 1-4, whole blocks only.
  virtual void OnConfigReply(const std::string& from, uint8_t command, uint8_t channel, const uint8_t* block,
                             size_t size) {}
  // One item of a typed-item list (command 6).
  virtual void OnListItem(const std::string& from, uint16_t type, const uint8_t* data, size_t size) {}
  // payloadSize: the length field limited to the bytes received after the header.
  virtual void OnRecordList(const std::string& from, uint8_t command, const uint8_t* payload,
                            size_t payloadSize) {}
  virtual void OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) {}
};

enum class UdpDispatch {
  Ignored,  // short, unknown type, too short for its kind
  Announcement,
  ConfigReply,
  ItemList,
  RecordList,
  Alarm,
};

// Size of the block a configuration reply of command carries; 0 for others.
size_t ConfigBlockSize(uint8_t command);

// Hands one received datagram to the receiver.
UdpDispatch DispatchUdpDatagram(const uint8_t* data, size_t size, const std::string& from,
                                UdpReceiver& receiver);

// The dotted text of a host-order IPv4 address, and back: four decimal
// numbers 0..255 and nothing else (no names, no shortened forms).
std::string Ipv4Text(uint32_t address);
bool ParseIpv4(const char* text, uint32_t* address);

}  // namespace shell
