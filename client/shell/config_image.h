// The client's fixed-size configuration images, SysCfg.dat and
// LocalPlans.dat: packed little-endian layouts and the pure rules that
// check, default and repair them. No file or window code here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shell {

#pragma pack(push, 1)

struct LocalUserRecord {            // 64 bytes
  uint8_t inUse;
  char name[17];
  char password[17];
  uint32_t levelMask;               // 0xFFFFFFFF Administrator, 0 Operator
  uint32_t rightsMask;
  uint8_t reserved[21];
};

struct WorkPlanEntry {              // 8 bytes
  uint8_t used;
  uint8_t beginHour, beginMinute;
  uint8_t endHour, endMinute;
  uint8_t detectionType;
  uint8_t spare[2];
};

struct LocalWorkPlan {              // 64 channels x 7 days x 4 entries
  WorkPlanEntry entries[64][7][4];
};

struct DeviceRecord {               // 673 bytes
  uint32_t inUse;
  char address[64];
  char serverName[34];
  char userName[17];
  char password[17];
  uint32_t loginWord1;              // written at login
  uint32_t loginWord2;
  uint8_t reserved[21];
  uint32_t linkType;                // 0 TCP, 1 UDP, 2 Multicast
  uint32_t state;                   // run time only
  uint32_t loginId;                 // run time only
  uint8_t info[54];                 // device information block, up to the channel count
  uint8_t channelCount;             // record byte 231 (information block +54)
  uint8_t alarmInputs;              // 232
  uint8_t alarmOutputs;             // 233
  uint8_t infoRest[199];
  uint32_t channelBlocks;           // run time only
  uint32_t resolvedIp;              // network order, 0 when not resolved
  uint16_t streamPort;              // 0 means 36688
  uint16_t secondPort;
  uint32_t audioFormat;
  uint8_t announcement[224];
};

struct LogicalChannelEntry {        // 32 bytes
  uint32_t deviceRef;               // record index + 1; 0 = none
  uint32_t channel;
  uint32_t recording;
  uint32_t manualRecord;
  uint32_t thirdFlag;
  uint32_t manualAlarm;
  uint32_t words[2];
};

struct WindowChannelList {          // 284 bytes
  uint32_t slots[64];
  uint32_t count;                   // 0..64
  uint32_t showsChannel;
  uint32_t stateWords[2];
  uint32_t pollingPaused;
  uint32_t position;
  uint32_t furtherState;
};

struct SystemConfigImage {          // 52,936 bytes
  char magic[4];                    // "RIMC"
  uint32_t version;                 // 256
  uint32_t splitLayout;             // 0..9
  uint32_t workPlanEnabled;
  uint8_t savePassword;
  uint8_t autoLogin;
  char savedUser[17];
  char savedPassword[17];
  LocalUserRecord users[32];
  LocalWorkPlan workPlan;
  DeviceRecord devices[36];
  LogicalChannelEntry channels[64];
  WindowChannelList windows[36];
};

struct PlanChannel {                // 69 bytes
  uint8_t used;
  uint32_t channel;
  char address[64];
};

struct PlanWindow {                 // 1,383 bytes
  uint8_t used;
  uint8_t record;
  uint8_t sound;                    // stored, never read back
  PlanChannel channels[20];
};

struct PlanSlot {                   // 49,923 bytes
  uint8_t used;
  uint32_t layoutKind;              // 1..10
  char date[12];                    // "%Y-%m-%d"
  char userName[17];
  char name[101];
  PlanWindow windows[36];
};

struct PlanImage {                  // 998,460 bytes
  PlanSlot slots[20];
};

#pragma pack(pop)

static_assert(sizeof(LocalUserRecord) == 64, "LocalUserRecord");
static_assert(sizeof(WorkPlanEntry) == 8, "WorkPlanEntry");
static_assert(sizeof(LocalWorkPlan) == 14336, "LocalWorkPlan");
static_assert(sizeof(DeviceRecord) == 673, "DeviceRecord");
static_assert(offsetof(DeviceRecord, linkType) == 165, "DeviceRecord.linkType");
static_assert(offsetof(DeviceRecord, info) == 177, "DeviceRecord.info");
static_assert(offsetof(DeviceRecord, channelCount) == 231, "DeviceRecord.channelCount");
static_assert(offsetof(DeviceRecord, channelBlocks) == 433, "DeviceRecord.channelBlocks");
static_assert(offsetof(DeviceRecord, streamPort) == 441, "DeviceRecord.streamPort");
static_assert(offsetof(DeviceRecord, announcement) == 449, "DeviceRecord.announcement");
static_assert(sizeof(LogicalChannelEntry) == 32, "LogicalChannelEntry");
static_assert(sizeof(WindowChannelList) == 284, "WindowChannelList");
static_assert(sizeof(SystemConfigImage) == 52936, "SystemConfigImage");
static_assert(offsetof(SystemConfigImage, users) == 52, "users");
static_assert(offsetof(SystemConfigImage, workPlan) == 2100, "workPlan");
static_assert(offsetof(SystemConfigImage, devices) == 16436, "devices");
static_assert(offsetof(SystemConfigImage, channels) == 40664, "channels");
static_assert(offsetof(SystemConfigImage, windows) == 42712, "windows");
static_assert(sizeof(PlanChannel) == 69, "PlanChannel");
static_assert(sizeof(PlanWindow) == 1383, "PlanWindow");
static_assert(sizeof(PlanSlot) == 49923, "PlanSlot");
static_assert(offsetof(PlanSlot, windows) == 135, "PlanSlot.windows");
static_assert(sizeof(PlanImage) == 998460, "PlanImage");

constexpr uint32_t kSysConfigVersion = 256;
constexpr char kDefaultAdminUser[] = "admin";
constexpr char kDefaultAdminPassword[] = "tulip";
constexpr int kLastPlayPlanSlot = 19;

// Defaults: all zero, the magic, version 256, user 0 "admin" with every right.
void ResetSysConfig(SystemConfigImage& image);

enum class ImageCheck {
  Ok,
  WrongSize,
  BadMagic,
};
// What a file's bytes are worth as a SysCfg.dat image.
ImageCheck CheckSysConfigBytes(const uint8_t* data, size_t size);

// After a load: clears the run-time fields of every device record, forces
// every text field to end in NUL, and puts counts, layouts and references
// that are out of range back to their neutral value. Returns the number of
// fields it had to repair (0 for a sound image).
int RepairSysConfig(SystemConfigImage& image);

// Forces the plan texts to end in NUL. Returns the number repaired.
int RepairPlans(PlanImage& image);

}  // namespace shell
