#include "app_services.h"
#include "language.h"

#include <memory>

// ------------------------------------------------------------ message boxes
int ComposedMessageBox(CWnd* owner, const CString& text, const char* caption, UINT type) {
  CString title;
  TranslateString(title, caption ? caption : kProductName);
  HWND h = owner ? owner->GetSafeHwnd() : nullptr;
  if (!h) {
    CWnd* main = AfxGetMainWnd();
    h = main ? main->GetSafeHwnd() : nullptr;
    if (h && ::GetWindowThreadProcessId(h, nullptr) != ::GetCurrentThreadId()) h = nullptr;
    if (!h) h = ::GetActiveWindow();
  }
  return AfxShowMessageBox(h, text, title, type);
}

int TranslatedMessageBox(CWnd* owner, const char* text, const char* caption, UINT type) {
  return ComposedMessageBox(owner, TranslateString(text), caption, type);
}

namespace {
volatile LONG g_boxWindow = 0;
}

void SetMessageBoxWindow(HWND window) {
  ::InterlockedExchange(&g_boxWindow, LONG(reinterpret_cast<LONG_PTR>(window)));
}

BOOL PostMessageBox(const char* text, const char* caption, UINT type) {
  // Only the registered handle: a worker never reads window objects the UI
  // thread may be destroying.
  HWND target = reinterpret_cast<HWND>(LONG_PTR(g_boxWindow));
  if (!target || !::IsWindow(target)) return FALSE;
  auto record = std::make_unique<PostedMessageBox>();
  record->text = text;
  if (caption) record->caption = caption;
  else TranslateString(record->caption, kProductName);
  record->type = type;
  if (!::PostMessageA(target, WM_POST_MESSAGE_BOX, 0, reinterpret_cast<LPARAM>(record.get()))) return FALSE;
  record.release();   // the receiver frees it
  return TRUE;
}

LRESULT ShowPostedMessageBox(CWnd* owner, LPARAM lParam) {
  std::unique_ptr<PostedMessageBox> record(reinterpret_cast<PostedMessageBox*>(lParam));
  if (!record) return 0;
  return AfxShowMessageBox(owner ? owner->GetSafeHwnd() : nullptr, record->text, record->caption, record->type);
}

// ------------------------------------------------------- device result codes
namespace {

struct DeviceErrorRow {
  int code;
  const char* text;
};

const DeviceErrorRow kDeviceErrors[23] = {
    {0, "No error."},
    {-1, "Unknown error."},
    {-2, "Reach max client connection count."},
    {-3, "Invalid user."},
    {-4, "Invalid password."},
    {-5, "No power."},
    {-6, "Invalid channel number."},
    {-7, "User list is full."},
    {-8, "User is existent."},
    {-9, "User is not existent."},
    {-10, "Invalid parameter."},
    {-11, "Reach MAX download count."},
    {-12, "Open file failed."},
    {-13, "Excluded by another user."},
    {-1006, "Channel is not open."},
    {-15, "File size overflow."},
    {-16, "Invalid file type."},
    {-17, "Not support storage."},
    {-18, "Not plug storage."},
    {-19, "Resource insufficient."},
    {-20, "Invalid file size."},
    {-21, "Invalid file head."},
    {-22, "User already login"},
};

}  // namespace

const char* DeviceErrorEnglish(int code) {
  for (const DeviceErrorRow& r : kDeviceErrors)
    if (r.code == code) return r.text;
  return nullptr;
}

CString& GetErrorText(CString& out, int code) {
  if (const char* text = DeviceErrorEnglish(code)) return TranslateString(out, text);
  CString word;
  TranslateString(word, "Error Code");
  out.Format("%s %d", word.GetString(), code);
  return out;
}

CString GetErrorText(int code) {
  CString s;
  return GetErrorText(s, code);
}

// ------------------------------------------------------------ current user
volatile uint32_t g_userRights = 0;

namespace {
shell::SystemConfigImage* g_userImage = nullptr;
int g_userSlot = -1;
}

void SetCurrentUser(shell::SystemConfigImage* image, int slot) {
  if (!image || slot < 0 || slot >= kMaxLocalUsers) {
    g_userImage = nullptr;
    g_userSlot = -1;
    g_userRights = 0;
    return;
  }
  g_userImage = image;
  g_userSlot = slot;
  g_userRights = image->users[slot].rightsMask;
}

shell::LocalUserRecord* GetCurrentUser() {
  if (!g_userImage || g_userSlot < 0) return nullptr;
  shell::LocalUserRecord* u = &g_userImage->users[g_userSlot];
  return u->inUse ? u : nullptr;
}

int GetCurrentUserIndex() { return GetCurrentUser() ? g_userSlot : -1; }

bool IsCurrentUserAdministrator() {
  const shell::LocalUserRecord* u = GetCurrentUser();
  return u && IsAdministratorLevel(u->levelMask);
}

bool CheckUserRight(uint32_t right, const char* refusal) {
  if ((g_userRights & right) == right) return true;
  TranslatedMessageBox(nullptr, refusal, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
  return false;
}

bool CheckAdministrator(const char* refusal) {
  if (IsCurrentUserAdministrator()) return true;
  TranslatedMessageBox(nullptr, refusal, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
  return false;
}
