// The settings blocks of a remote device as the configuration pages see
// them: struct views of every block with their sizes and offsets checked,
// the page rules that are plain arithmetic (stream value ranges, version
// texts, addresses held as byte-swapped words, the kill-focus clamp table)
// and the channel-block mirror.
//
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace devcfg {

constexpr int kMaxChannels = 64;               // blocks in the mirror
constexpr size_t kChannelBlockSize = 1024;     // ChannelSettingsBlock
constexpr size_t kDeviceSettingsSize = 512;    // shared device block
constexpr size_t kServiceSettingsSize = 2048;  // shared service block
constexpr size_t kDeviceInfoSize = 256;        // DeviceRecord's information block
constexpr size_t kAnnouncementSize = 224;

// Parts of the channel settings block, the page index that owns each and
// the bytes of its fields; the bytes between one part's fields and the next
// part belong to no page and stay as they are.
constexpr size_t kVideoParamPart = 0;     // page 0, begins with the channel name
constexpr size_t kVideoParamPartSize = 70;
constexpr size_t kAlarmPart = 128;        // page 2
constexpr size_t kAlarmPartSize = 31;
constexpr size_t kRecordPlanPart = 256;   // page 7
constexpr size_t kRecordPlanPartSize = 227;
constexpr size_t kPtzSerialPart = 512;    // page 8
constexpr size_t kPtzPartSize = 26;
constexpr size_t kEncoderPart = 576;      // page 5
constexpr size_t kEncoderPartSize = 13;
constexpr size_t kAudioPart = 608;        // page 6
constexpr size_t kAudioPartSize = 9;
constexpr size_t kChannelNameSize = 32;   // the name at the block's start

struct ChannelPart {
  size_t offset, size;
};
// The part of the channel block that page index loads and saves: where it
// starts and the bytes of its fields (all a copy may write); size 0 for
// pages without one.
ChannelPart ChannelPartOfPage(int pageIndex);

// The channel a region (command 1) or sensor (command 2) block belongs
// to: its byte 0, which a set returns as received; -1 for an empty block.
int BlockChannel(const uint8_t* block, size_t size);

#pragma pack(push, 1)
struct ChannelSettingsBlock {
  uint8_t bytes[kChannelBlockSize];
};

// One flow of the stream block (8 bytes).
struct StreamFlow {
  uint8_t resolution;   // resolution code
  uint8_t frameRate;
  uint8_t iFrameInterval;
  uint8_t rateType;     // 1 CBR, 2 VBR
  uint8_t bitRate[2];   // kbps, u16 LE
  uint8_t quality;      // 1 (best) .. 5
  uint8_t keep;
};

// Payload of the command-3 reply and set.
struct StreamBlock {
  uint8_t keep0[20];
  StreamFlow flow[2];   // main, minor
  uint8_t keep1[16];
};

// Payload of the command-2 reply and set.
struct SensorBlock {
  uint8_t keep0[5];
  uint8_t brightness, contrast, saturation, hue, sharpness;
  uint8_t flip;         // 0 NoMove, 1 UpDown, 2 LeftRight, 3 All
  uint8_t keep1;
};

// Payload of the command-4 reply and set. Addresses are u32 LE words whose
// most significant byte is the first octet.
struct NetworkBlock {
  uint8_t dns[4];
  uint8_t keep0[5];
  uint8_t wifiEnabled;  // 2 on, 1 off
  uint8_t ipMode;       // 1 fixed, 2 DHCP
  uint8_t keep1;
  uint8_t ip[4];
  uint8_t mask[4];
  uint8_t gateway[4];
  uint8_t keep2[8];
  uint8_t wifiMode;
  uint8_t security;
  uint8_t keep3[5];
  uint8_t passwordLength;
  char password[64];
  char ssid[64];
};

// The device information block the login stores in the device record.
struct DeviceInfoBlock {
  uint8_t deviceType[4];
  uint8_t keep0[17];
  char serial[17];
  uint8_t biosVersion[2];
  uint8_t netVersion[2];
  uint8_t videoStandard[4];  // 0 PAL, else NTSC
  uint8_t videoCompression[4];
  uint8_t audioCompression[4];
  uint8_t channelCount;
  uint8_t alarmInputs;
  uint8_t alarmOutputs;
  uint8_t keep1;
  uint8_t storageSupported;
  uint8_t storagePlugged;
  uint8_t keep2[3];
  uint8_t handsetVideo;
  uint8_t keep3[192];
};

// What message 0x893 (wParam 2002) points at through its record.
struct ConfigReplyRecord {
  uint8_t keep[8];
  uint8_t channel;
  uint8_t error[4];     // u32 LE, 0 = success
  ChannelSettingsBlock block;
};
#pragma pack(pop)

static_assert(sizeof(ChannelSettingsBlock) == 1024, "ChannelSettingsBlock");
static_assert(sizeof(StreamFlow) == 8, "StreamFlow");
static_assert(sizeof(StreamBlock) == 52, "StreamBlock");
static_assert(offsetof(StreamBlock, flow) == 20, "StreamBlock.flow");
static_assert(offsetof(StreamBlock, flow) + sizeof(StreamFlow) + offsetof(StreamFlow, bitRate) == 32,
              "minor flow bit rate");
static_assert(sizeof(SensorBlock) == 12, "SensorBlock");
static_assert(offsetof(SensorBlock, brightness) == 5 && offsetof(SensorBlock, flip) == 10, "SensorBlock fields");
static_assert(sizeof(NetworkBlock) == 168, "NetworkBlock");
static_assert(offsetof(NetworkBlock, wifiEnabled) == 9 && offsetof(NetworkBlock, ipMode) == 10, "NetworkBlock modes");
static_assert(offsetof(NetworkBlock, ip) == 12 && offsetof(NetworkBlock, gateway) == 20, "NetworkBlock addresses");
static_assert(offsetof(NetworkBlock, wifiMode) == 32 && offsetof(NetworkBlock, passwordLength) == 39,
              "NetworkBlock wifi");
static_assert(offsetof(NetworkBlock, password) == 40 && offsetof(NetworkBlock, ssid) == 104, "NetworkBlock texts");
static_assert(sizeof(DeviceInfoBlock) == kDeviceInfoSize, "DeviceInfoBlock");
static_assert(offsetof(DeviceInfoBlock, serial) == 21 && offsetof(DeviceInfoBlock, biosVersion) == 38,
              "DeviceInfoBlock versions");
static_assert(offsetof(DeviceInfoBlock, videoStandard) == 42 && offsetof(DeviceInfoBlock, channelCount) == 54,
              "DeviceInfoBlock counts");
static_assert(offsetof(DeviceInfoBlock, storagePlugged) == 59 && offsetof(DeviceInfoBlock, handsetVideo) == 63,
              "DeviceInfoBlock storage");
static_assert(sizeof(ConfigReplyRecord) == 1037 && offsetof(ConfigReplyRecord, block) == 13, "ConfigReplyRecord");

// Little-endian fields.
uint16_t GetU16(const uint8_t* p);
uint32_t GetU32(const uint8_t* p);
void PutU16(uint8_t* p, uint32_t v);
void PutU32(uint8_t* p, uint32_t v);

// ZeroDwords (buffer, count) -> 0: clears count 32-bit words.
int ZeroDwords(void* buffer, size_t count);

// Channel counts a device reports are capped against the 64-block mirror.
int CappedChannelCount(int count);

// A channel's name: the NUL-terminated text at the block's start, never
// read past kChannelNameSize bytes.
std::string ChannelName(const ChannelSettingsBlock& block);

// ------------------------------------------------------------ addresses
// The dotted text of a block's address word (first octet in the top byte).
std::string BlockAddressText(const uint8_t* word);
// Stores dotted text into a block's address word; false (word unchanged)
// when the text is not four decimal numbers 0..255.
bool PutBlockAddress(uint8_t* word, const char* text);

// ------------------------------------------------------------ stream page
enum class StreamCheck { Ok, BitRate, IFrameInterval, FrameRate };
constexpr int kBitRateMin = 32, kBitRateMax = 4096;
constexpr int kIFrameMin = 25, kIFrameMax = 100;
// The highest frame rate of a flow (0 main, else minor) at a resolution
// code: 15 for the minor flow and for the main flow at code 10, else 25.
int MaxFrameRate(int flow, int resolution);
struct StreamValues {
  int bitRate, iFrameInterval, rateType, quality, frameRate;
};
// Checks the values in the page's order; the first that fails is
// returned and nothing is stored. Ok: the values are in the flow.
StreamCheck StoreStreamValues(StreamBlock& block, int flow, const StreamValues& v);

// ------------------------------------------------------------ device info
// "%d.%d%d" of (v >> 8, (v >> 4) & 15, v & 15).
std::string VersionText(uint16_t v);
// A NUL-terminated text inside a fixed field, never past it.
std::string FieldText(const char* field, size_t size);

// ------------------------------------------------------------ number edits
// The kill-focus clamp table of a page: an edit's range and the value it
// takes when what was typed is outside it.
struct EditRange {
  int id;
  int min, max;
  int fallback;
};
// The entry of id, null when the table has none.
const EditRange* FindEditRange(const EditRange* table, size_t count, int id);
// value when inside the entry's range, else the entry's fallback.
int ClampEditValue(const EditRange& range, int value);
// A decimal number 0..max with nothing else; false otherwise.
bool ParseBoundedNumber(const char* text, int max, int* value);

}  // namespace devcfg
