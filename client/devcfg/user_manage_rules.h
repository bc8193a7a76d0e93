// The device users page's rules: a device user's 64-byte record, the ten
// rights in the order both the page and the user dialog list them, and the
// user dialog's checks on OK. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config_image.h"

namespace devcfg {

// Same layout as the client's local user record.
using DeviceUserRecord = shell::LocalUserRecord;
constexpr int kDeviceUsers = 32;
constexpr int kDeviceRightCount = 10;

struct DeviceRightItem {
  const char* text;  // English
  uint32_t bit;
};
const DeviceRightItem& DeviceRight(int item);  // item 0..9
// The rights of a mask of ticked items (bit n = item n), and back.
uint32_t RightsOfItems(uint32_t items);
uint32_t ItemsOfRights(uint32_t rights);
// What an Operator's list shows: every item ticked but 1 and 2, which are
// cleared and cannot be ticked.
constexpr uint32_t kOperatorLockedItems = 0x6;
constexpr uint32_t kAllItems = (1u << kDeviceRightCount) - 1;

// The user dialog's modes.
enum DeviceUserMode { kDeviceUserAdd = 1, kDeviceUserPassword = 3, kDeviceUserPower = 4 };
// The user dialog's checks on OK in order: the English prompt of the first
// that fails, or null. level: -1 none chosen, 0 Administrator, 1 Operator.
const char* CheckDeviceUserInput(int mode, const char* name, const char* newPassword, const char* repeatPassword,
                                 const char* oldPassword, int level);

}  // namespace devcfg
