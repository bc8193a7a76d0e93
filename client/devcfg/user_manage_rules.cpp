#include "user_manage_rules.h"

#include <cstring>

namespace devcfg {

namespace {
const DeviceRightItem kRights[kDeviceRightCount] = {
    {"Front End System Settings", 0x20000000u},
    {"User Management", 0x80000000u},
    {"Update Software", 0x40000000u},
    {"PTZ Control", 0x10000000u},
    {"Watch Real-time Monitor Video", 0x1u},
    {"Local Record", 0x2u},
    {"Local Playback", 0x4u},
    {"Manual Alarm", 0x8u},
    {"Local Alarm Settings", 0x10u},
    {"Local Record Settings", 0x20u},
};
}  // namespace

const DeviceRightItem& DeviceRight(int item) {
  return kRights[item < 0 ? 0 : item >= kDeviceRightCount ? kDeviceRightCount - 1 : item];
}

uint32_t RightsOfItems(uint32_t items) {
  uint32_t rights = 0;
  for (int i = 0; i < kDeviceRightCount; ++i)
    if (items >> i & 1) rights |= kRights[i].bit;
  return rights;
}

uint32_t ItemsOfRights(uint32_t rights) {
  uint32_t items = 0;
  for (int i = 0; i < kDeviceRightCount; ++i)
    if (rights & kRights[i].bit) items |= 1u << i;
  return items;
}

const char* CheckDeviceUserInput(int mode, const char* name, const char* newPassword, const char* repeatPassword,
                                 const char* oldPassword, int level) {
  auto empty = [](const char* s) { return !s || !*s; };
  if (empty(name)) return "User name can not be empty!";
  if (mode != kDeviceUserPower) {
    if (empty(newPassword) || empty(repeatPassword)) return "Password can not be empty!";
    if (std::strcmp(newPassword, repeatPassword) != 0) return "Password is not consistent!";
  }
  if (mode == kDeviceUserPassword && empty(oldPassword)) return "Password can not be empty!";
  if (level < 0) return "Please select user level!";
  return nullptr;
}

}  // namespace devcfg
