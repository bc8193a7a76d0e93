// Local users' levels and rights, the current user and the rights checks.
// The pure part (bits, levels, slot operations on the image) has no window
// code; the checks show the translated refusal prompts.
#pragma once

#include <cstdint>

#include "config_image.h"

// The twelve local rights, in the order both user dialogs list them.
enum UserRight : uint32_t {
  kRightFrontEndSettings = 0x20000000u,
  kRightFrontEndUsers = 0x80000000u,
  kRightFrontEndUpdate = 0x40000000u,
  kRightFrontEndPtz = 0x10000000u,
  kRightLocalUsers = 0x08000000u,
  kRightLocalConnect = 0x04000000u,
  kRightLocalCloseSystem = 0x02000000u,
  kRightLocalWatchVideo = 0x00000001u,
  kRightLocalRecord = 0x00000002u,
  kRightLocalPlayback = 0x00000004u,
  kRightLocalAlarmSettings = 0x00000010u,
  kRightLocalRecordSettings = 0x00000020u,
};

constexpr int kUserRightCount = 12;
constexpr uint32_t kLevelAdministrator = 0xFFFFFFFFu;
constexpr uint32_t kLevelOperator = 0;
// Bits an Operator can never hold: "Front End User Management",
// "Front End Update Software" and "Local User Management".
constexpr uint32_t kOperatorRightsMask = 0x37FFFFFFu;
constexpr int kMaxLocalUsers = 32;
constexpr int kUserTextLimit = 16;   // characters of a name or password

struct UserRightRow {
  const char* text;   // English, shown translated
  uint32_t bit;
};
// Row i of the rights lists.
const UserRightRow& GetUserRightRow(int row);
// The mask of the ticked rows (bit i of `rows` = row i ticked).
uint32_t RightsFromRows(uint32_t rows);
// Rows an Operator starts with when the level is switched to Operator.
constexpr uint32_t kOperatorDefaultRows = 0xFE9;   // all but rows 1, 2 and 4
constexpr uint32_t kOperatorLockedRows = 0x016;    // rows 1, 2 and 4

// "Administrator", "Operator" or "Unknown" (English).
const char* UserLevel(uint32_t levelMask);
inline bool IsAdministratorLevel(uint32_t levelMask) { return levelMask == kLevelAdministrator; }

namespace shell {

// Slot operations on the image's 32 users; names compare exactly.
int FindUser(const SystemConfigImage& image, const char* name);   // in-use slot or -1
int FirstFreeUserSlot(const SystemConfigImage& image);            // or -1
int CountUsers(const SystemConfigImage& image);

enum class AddUserResult { Added, ListFull, Exists };
// Fills the first free slot. An Administrator gets every right; an
// Operator the given rights without the bits it can never hold.
AddUserResult AddLocalUser(SystemConfigImage& image, const char* name, const char* password, bool administrator,
                           uint32_t rights, int* slot = nullptr);
// Zeroes the slot of that name. FALSE when there is none.
bool DeleteLocalUser(SystemConfigImage& image, const char* name);
// An Operator's new rights (bits 31, 30 and 27 cleared); an Administrator's
// never change. FALSE when the slot is not an Operator in use.
bool SetOperatorRights(SystemConfigImage& image, int slot, uint32_t rights);

}  // namespace shell

// ------------------------------------------------------------ current user
// The logged-in user: its slot in the image that owns it (the login
// dialog's at start-up, then the main dialog's) and a process-wide copy of
// its rights mask that every rights check reads.
extern volatile uint32_t g_userRights;

void SetCurrentUser(shell::SystemConfigImage* image, int slot);
// Null before a login (or when the slot went out of use).
shell::LocalUserRecord* GetCurrentUser();
int GetCurrentUserIndex();
bool IsCurrentUserAdministrator();

// Rights checks: true when allowed; otherwise the refusal prompt, translated,
// in a "PROMPT" box with the exclamation icon, and false.
bool CheckUserRight(uint32_t right, const char* refusal);
bool CheckAdministrator(const char* refusal);

// The user editor's modes.
enum LocalUserDlgMode { kModeAddUser = 1, kModeChangePassword = 3, kModeChangePower = 4 };
// The editor's checks on OK, in order: the English prompt of the first one
// that fails, or null. level: -1 none, 0 Administrator, 1 Operator.
const char* CheckLocalUserInput(int mode, const char* name, const char* newPassword, const char* repeatPassword,
                                const char* oldPassword, const char* currentPassword, int level);
