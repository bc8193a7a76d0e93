#include "user_rights.h"
#include "text_copy.h"

#include <cstring>

namespace {

const UserRightRow kRows[kUserRightCount] = {
    {"Front End System Settings", kRightFrontEndSettings},
    {"Front End User Management", kRightFrontEndUsers},
    {"Front End Update Software", kRightFrontEndUpdate},
    {"Front End PTZ Control", kRightFrontEndPtz},
    {"Local User Management", kRightLocalUsers},
    {"Local Connect Settings", kRightLocalConnect},
    {"Local Close System", kRightLocalCloseSystem},
    {"Local Watch Real-time Video", kRightLocalWatchVideo},
    {"Local Record", kRightLocalRecord},
    {"Local Playback", kRightLocalPlayback},
    {"Local Alarm Settings", kRightLocalAlarmSettings},
    {"Local Record Settings", kRightLocalRecordSettings},
};

}  // namespace

const UserRightRow& GetUserRightRow(int row) {
  if (row < 0 || row >= kUserRightCount) row = 0;
  return kRows[row];
}

uint32_t RightsFromRows(uint32_t rows) {
  uint32_t mask = 0;
  for (int i = 0; i < kUserRightCount; ++i)
    if (rows & (1u << i)) mask |= kRows[i].bit;
  return mask;
}

const char* UserLevel(uint32_t levelMask) {
  if (levelMask == kLevelAdministrator) return "Administrator";
  if (levelMask == kLevelOperator) return "Operator";
  return "Unknown";
}

namespace shell {

int FindUser(const SystemConfigImage& image, const char* name) {
  if (!name) return -1;
  for (int i = 0; i < kMaxLocalUsers; ++i) {
    const LocalUserRecord& u = image.users[i];
    if (u.inUse && strncmp(u.name, name, sizeof u.name) == 0 && strlen(name) < sizeof u.name) return i;
  }
  return -1;
}

int FirstFreeUserSlot(const SystemConfigImage& image) {
  for (int i = 0; i < kMaxLocalUsers; ++i)
    if (!image.users[i].inUse) return i;
  return -1;
}

int CountUsers(const SystemConfigImage& image) {
  int n = 0;
  for (const LocalUserRecord& u : image.users) n += u.inUse ? 1 : 0;
  return n;
}

AddUserResult AddLocalUser(SystemConfigImage& image, const char* name, const char* password, bool administrator,
                           uint32_t rights, int* slot) {
  int free = FirstFreeUserSlot(image);
  if (free < 0) return AddUserResult::ListFull;
  if (FindUser(image, name) >= 0) return AddUserResult::Exists;
  LocalUserRecord& u = image.users[free];
  std::memset(&u, 0, sizeof u);
  CopyText(u.name, name);
  CopyText(u.password, password);
  u.levelMask = administrator ? kLevelAdministrator : kLevelOperator;
  u.rightsMask = administrator ? 0xFFFFFFFFu : (rights & kOperatorRightsMask);
  u.inUse = 1;
  if (slot) *slot = free;
  return AddUserResult::Added;
}

bool DeleteLocalUser(SystemConfigImage& image, const char* name) {
  int i = FindUser(image, name);
  if (i < 0) return false;
  std::memset(&image.users[i], 0, sizeof image.users[i]);
  return true;
}

bool SetOperatorRights(SystemConfigImage& image, int slot, uint32_t rights) {
  if (slot < 0 || slot >= kMaxLocalUsers) return false;
  LocalUserRecord& u = image.users[slot];
  if (!u.inUse || u.levelMask != kLevelOperator) return false;
  u.rightsMask = rights & kOperatorRightsMask;
  return true;
}

}  // namespace shell

const char* CheckLocalUserInput(int mode, const char* name, const char* newPassword, const char* repeatPassword,
                                const char* oldPassword, const char* currentPassword, int level) {
  auto empty = [](const char* s) { return !s || !*s; };
  auto same = [](const char* a, const char* b) { return strcmp(a ? a : "", b ? b : "") == 0; };
  if (empty(name)) return "User name can not be empty!";
  if (mode != kModeChangePower) {
    if (!empty(newPassword) && !empty(repeatPassword) && !same(newPassword, repeatPassword))
      return "Password is not consistent!";
    if (empty(newPassword) || empty(repeatPassword)) return "Password can not be empty!";
  }
  if (mode == kModeChangePassword) {
    if (empty(oldPassword)) return "Password can not be empty!";
    if (!same(oldPassword, currentPassword)) return "Old password is not right!";
    if (!same(newPassword, repeatPassword)) return "Password is not consistent!";
  }
  if (level < 0) return "Please select user level!";
  return nullptr;
}
