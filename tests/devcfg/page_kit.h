// The pages of the settings dialog, driven as the dialog drives them: a
// block for the current channel delivered with message 0x0B09 while the
// page is the current one, or the device and service blocks with 0x0B0A
// and 0x0B0B; the operator's changes, "Save Channel", the blocks read back;
// the logged-in local user whose rights the pages check.
#pragma once
#include <functional>

#include "copy_pickers.h"
#include "settings_fixture.h"
#include "text_copy.h"
#include "user_rights.h"

// Answers the next dialog with this caption that opens on this thread
// (inside the page's DoModal) from a thread timer; bounded by the test.
class NestedDialog {
public:
  NestedDialog(const char* caption, std::function<void(HWND)> answer) {
    s_caption = caption;
    s_answer = std::move(answer);
    s_seen = false;
    m_timer = SetTimer(nullptr, 0, 30, &Tick);
  }
  ~NestedDialog() {
    if (m_timer) KillTimer(nullptr, m_timer);
    s_answer = nullptr;
  }
  bool Seen() const { return s_seen; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!s_answer || s_seen) return;
    HWND h = gui::FindThreadWindow(GetCurrentThreadId(), s_caption, 0);
    if (!h) return;
    s_seen = true;
    s_answer(h);
  }
  static inline const char* s_caption = nullptr;
  static inline std::function<void(HWND)> s_answer;
  static inline bool s_seen = false;
  UINT_PTR m_timer = 0;
};

class PageTest : public FrontEndSettings {
protected:
  // What the fake channel picker was offered and answers.
  std::vector<std::string> offeredNames;
  uint64_t pickedMask = 0;
  bool pickerAnswersOk = true;

  void SetUp() override {
    FrontEndSettings::SetUp();
    devcfg::SetChannelPicker([this](CWnd*, const std::vector<std::string>& names, uint64_t* mask) {
      offeredNames = names;
      *mask = pickedMask;
      return pickerAnswersOk;
    });
  }
  void TearDown() override {
    devcfg::SetChannelPicker(nullptr);
    SetCurrentUser(nullptr, -1);
    FrontEndSettings::TearDown();
  }
  // Makes page the current one and hands it channel's block (channel
  // below the two slots in use).
  void Deliver(int page, int channel, const Bytes& block) {
    dlg->SelectPage(page);
    ASSERT_EQ(SendMessageA(hwnd, WM_FES_SET_CHANNEL_BLOCK, WPARAM(channel), LPARAM(block.data())), 0);
  }
  // Logs in a local user of this level and rights.
  void LogIn(uint32_t level, uint32_t rights) {
    shell::LocalUserRecord& u = main.m_pConfig->users[5];
    u = shell::LocalUserRecord{};
    u.inUse = 1;
    CopyText(u.name, level == kLevelAdministrator ? "boss" : "guard");
    u.levelMask = level;
    u.rightsMask = rights;
    SetCurrentUser(main.m_pConfig, 5);
  }
  // The shared blocks of messages 0x0B0A (512 bytes) and 0x0B0B (2,048).
  void DeliverDeviceBlock(const Bytes& block) {
    ASSERT_EQ(SendMessageA(hwnd, WM_FES_SET_DEVICE_BLOCK, 0, LPARAM(block.data())), 0);
  }
  void DeliverServiceBlock(const Bytes& block) {
    ASSERT_EQ(SendMessageA(hwnd, WM_FES_SET_SERVICE_BLOCK, 0, LPARAM(block.data())), 0);
  }
  Bytes DeviceBlockNow() { return Bytes(dlg->DeviceBlock(), dlg->DeviceBlock() + 512); }
  Bytes ServiceBlockNow() { return Bytes(dlg->ServiceBlock(), dlg->ServiceBlock() + 2048); }
  Bytes Mirror(int channel) {
    const uint8_t* b = dlg->MirrorBlock(channel).bytes;
    return Bytes(b, b + 1024);
  }
  // Bytes of a and b that differ, outside [from, from + size).
  static std::vector<size_t> DiffOutside(const Bytes& a, const Bytes& b, size_t from, size_t size) {
    std::vector<size_t> d;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
      if ((i < from || i >= from + size) && a[i] != b[i]) d.push_back(i);
    return d;
  }
};
