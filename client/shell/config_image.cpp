#include "config_image.h"

#include <cstring>

namespace shell {

void ResetSysConfig(SystemConfigImage& image) {
  std::memset(&image, 0, sizeof image);
  std::memcpy(image.magic, "RIMC", 4);
  image.version = kSysConfigVersion;
  LocalUserRecord& admin = image.users[0];
  admin.inUse = 1;
  std::memcpy(admin.name, kDefaultAdminUser, sizeof kDefaultAdminUser);
  std::memcpy(admin.password, kDefaultAdminPassword, sizeof kDefaultAdminPassword);
  admin.levelMask = 0xFFFFFFFFu;
  admin.rightsMask = 0xFFFFFFFFu;
}

ImageCheck CheckSysConfigBytes(const uint8_t* data, size_t size) {
  if (size != sizeof(SystemConfigImage)) return ImageCheck::WrongSize;
  if (std::memcmp(data, "RIMC", 4) != 0) return ImageCheck::BadMagic;
  return ImageCheck::Ok;
}

namespace {

template <size_t N>
int Terminate(char (&text)[N]) {
  if (std::memchr(text, 0, N)) return 0;
  text[N - 1] = 0;
  return 1;
}

// The value, or neutral when it passes max (counted in fixes). Fields of the
// packed images are passed by value: most of them are not aligned.
template <class T>
T Limit(T value, T max, T neutral, int& fixes) {
  if (value <= max) return value;
  ++fixes;
  return neutral;
}

}  // namespace

int RepairSysConfig(SystemConfigImage& image) {
  int fixes = 0;
  fixes += Terminate(image.savedUser);
  fixes += Terminate(image.savedPassword);
  image.splitLayout = Limit<uint32_t>(image.splitLayout, 9, 0, fixes);
  for (LocalUserRecord& u : image.users) {
    fixes += Terminate(u.name);
    fixes += Terminate(u.password);
  }
  for (DeviceRecord& d : image.devices) {
    d.state = 0;
    d.loginId = 0;
    d.channelBlocks = 0;
    fixes += Terminate(d.address);
    fixes += Terminate(d.serverName);
    fixes += Terminate(d.userName);
    fixes += Terminate(d.password);
    d.linkType = Limit<uint32_t>(d.linkType, 2, 0, fixes);
    d.channelCount = Limit<uint8_t>(d.channelCount, 64, 0, fixes);
  }
  for (LogicalChannelEntry& c : image.channels) c.deviceRef = Limit<uint32_t>(c.deviceRef, 36, 0, fixes);
  for (WindowChannelList& w : image.windows) {
    w.count = Limit<uint32_t>(w.count, 64, 0, fixes);
    for (uint32_t i = 0; i < w.count; ++i) w.slots[i] = Limit<uint32_t>(w.slots[i], 63, 0, fixes);
    if (w.count && w.position >= w.count) {
      w.position = 0;
      ++fixes;
    }
  }
  return fixes;
}

int RepairPlans(PlanImage& image) {
  int fixes = 0;
  for (PlanSlot& s : image.slots) {
    fixes += Terminate(s.date);
    fixes += Terminate(s.userName);
    fixes += Terminate(s.name);
    for (PlanWindow& w : s.windows)
      for (PlanChannel& c : w.channels) fixes += Terminate(c.address);
  }
  return fixes;
}

}  // namespace shell
