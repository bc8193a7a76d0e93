// The main dialog under Xvfb: start-up from a fresh program folder, the
// menu by rights, Esc and full screen, the minimum size, layouts read back
// from the monitor windows, the close with and without the right.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <atomic>
#include <thread>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app_state.h"
#include "card_resource.h"
#include "config_store.h"
#include "notice_main_dlg.h"
#include "fake_main_dlg.h"
#include "gui_kit.h"
#include "helpers.h"
#include "language.h"
#include "local_dialogs_resource.h"
#include "main_dlg.h"
#include "post_copy.h"
#include "preview_plan_dlg.h"
#include "shell_resource.h"
#include "user_rights.h"
#include "RecordDisks.h"
#include "RecordWriter.h"
#include "card_session.h"
#include "channel_blocks.h"
#include "channel_list_dlg.h"
#include "live_resource.h"
#include "load_config_dlg.h"
#include "shell_fixture.h"
#include "window_layout.h"

namespace {

// The main dialog with the notices it sends recorded, and a way to run code
// on its thread.
class TestMainDlg : public NoticeRecordingMainDlg<TestMainDlg> {
public:
  void RestartStream(int slot, int window, int kind) override {
    std::lock_guard<std::mutex> l(m_lock);
    m_restarts.push_back({std::to_string(slot), window, kind});
  }
  std::vector<StreamNotice> Restarts() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_restarts;
  }
  void GrantRights(DWORD rights) { g_userRights = rights; }
  // Which slots were stopped, and whether the workers were still running.
  void StopRecord(int slot) override {
    {
      std::lock_guard<std::mutex> l(m_lock);
      m_stopped.push_back({slot, m_stopFlag == 0});
    }
    CMainDlg::StopRecord(slot);
  }
  std::vector<std::pair<int, bool>> Stopped() {
    std::lock_guard<std::mutex> l(m_lock);
    return m_stopped;
  }
  // UDP commands written down instead of sent.
  int SendUdpCommand(const void* data, int length, const char* address, uint16_t port) override {
    std::lock_guard<std::mutex> l(m_lock);
    const auto* b = static_cast<const uint8_t*>(data);
    m_sent.push_back({std::string(address) + ":" + std::to_string(port), std::vector<uint8_t>(b, b + length)});
    return length;
  }
  std::vector<std::pair<std::string, std::vector<uint8_t>>> TakeSent() {
    std::lock_guard<std::mutex> l(m_lock);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> out;
    out.swap(m_sent);
    return out;
  }
  record::RecordFileState FileState(int slot) { return m_recordWriter->FileState(slot); }
  bool CleanUpRecordDisk() { return m_recordDisks->CleanUpRecordDisk(); }
  void SetAutoWorkPlan(BOOL on) { m_autoWorkPlan = on; }
  // Sets the stop flag and tells whether the resolver left within ms.
  bool ResolverStopsWithin(DWORD ms) {
    ::InterlockedExchange(&m_stopFlag, 1);
    return m_resolverThread.Wait(ms) != FALSE;
  }

private:
  std::vector<StreamNotice> m_restarts;   // address: the slot
  std::vector<std::pair<int, bool>> m_stopped;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> m_sent;
};

// Every item of a menu, one line each, indented by level.
void ReadMenu(HMENU menu, int level, std::vector<std::string>& out) {
  int n = ::GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    char text[128] = {};
    MENUITEMINFOA mi{sizeof mi};
    mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_DATA;
    mi.dwTypeData = text;
    mi.cch = sizeof text;
    ::GetMenuItemInfoA(menu, UINT(i), TRUE, &mi);
    bool separator = (mi.fType & MFT_SEPARATOR) != 0;
    // Skinned items are owner-drawn: their text and type are in their data.
    if ((mi.fType & MFT_OWNERDRAW) && mi.dwItemData) {
      const auto* data = reinterpret_cast<const CNewMenuItemData*>(mi.dwItemData);
      lstrcpynA(text, data->m_szMenuText, sizeof text);
      separator = (data->m_nType & MFT_SEPARATOR) != 0;
    }
    std::string line(size_t(level) * 2, ' ');
    if (separator) line += "-";
    else line += std::string(text) + (mi.hSubMenu ? "" : " " + std::to_string(mi.wID));
    out.push_back(line);
    if (mi.hSubMenu) ReadMenu(mi.hSubMenu, level + 1, out);
  }
}

shell::LocalUserRecord User(const char* name, DWORD level, DWORD rights) {
  shell::LocalUserRecord u{};
  u.inUse = 1;
  lstrcpynA(u.name, name, sizeof u.name);
  u.levelMask = level;
  u.rightsMask = rights;
  return u;
}

// The texts of the local log's rows (every column), read on the dialog's
// thread once the posted lines have arrived.
std::vector<std::string> LogRows(TestMainDlg* dlg) {
  gui::PumpFor(100);
  std::vector<std::string> rows;
  dlg->Run([&](TestMainDlg& d) {
    MSG m;
    while (::PeekMessageA(&m, d.LocalLogDlg().m_hWnd, 0, 0, PM_REMOVE)) ::DispatchMessageA(&m);
    for (int r = 0; r < d.LocalLogDlg().GetRowCount(); ++r)
      for (int c = 0; c < 3; ++c) rows.push_back(std::string(d.LocalLogDlg().GetCell(r, c)));
  });
  return rows;
}

bool Has(const std::vector<std::string>& rows, const std::string& text) {
  return std::find(rows.begin(), rows.end(), text) != rows.end();
}

class MainDialog : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    // A fresh program folder with the default interface solution.
    ScratchDir::CopyTree(GetModuleDirectory() + "Language\\", dir / "Language\\");
    // Records go to drive P: only (a temporary folder while the tests run).
    ScratchDir::WriteText(dir / "Corvel.ini", "[General]\r\nLanguage=English\r\nSubMonRecDisk=32768\r\n");
    CInterfaceSolutions::Instance().Build(dir.Path());
    ASSERT_TRUE(CInterfaceSolutions::Instance().Choose(dir / "Corvel.ini"));
  }
  void TearDown() override {
    if (run && run->Dialog()) {
      // End the dialog whatever the test did.
      gui::MessageBoxScript yes({}, IDYES);
      Dlg()->Run([](TestMainDlg& d) { d.GrantRights(0xFFFFFFFF); });
      ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
      run->Wait(20000);
    }
    run.reset();
    SetCurrentSolution(nullptr);
  }
  HWND Start(const shell::LocalUserRecord& user) {
    CString path = dir.Path();
    run = std::make_unique<gui::ModalRunner<TestMainDlg>>(
        [path, user](TestMainDlg& d) {
          d.m_programDir = path;
          d.m_udpPort = 0;
          // Wine lists the record disk tests' drives P:, Q: and R: nowhere.
          d.m_logicalDrives = [] { return ::GetLogicalDrives() | 0x38000u; };
          d.SetLoggedInUser(0, user);
          g_userRights = user.rightsMask;
        },
        [this](TestMainDlg& d) {
          stoppedAtEnd = d.Stopped();
          talkbackAtEnd = d.TalkbackActive();
          panelTalkbackSlotAtEnd = d.DevicePanel().TalkbackSlot();
          for (int s = 0; s < shell::kChannelSlots; ++s)
            if (d.m_channels[s].talkback) talkbackMarksAtEnd.push_back(s);
        });
    hwnd = run->WaitForWindow(60000);
    if (hwnd) gui::PumpFor(200);
    return hwnd;
  }
  TestMainDlg* Dlg() { return run->Dialog(); }
  bool Visible(int w) { return ::IsWindowVisible(gui::Control(hwnd, IDC_MAIN_MONITOR_FIRST + w)) != 0; }
  CRect Rect(int w) {
    CRect r;
    HWND m = gui::Control(hwnd, IDC_MAIN_MONITOR_FIRST + w);
    ::GetWindowRect(m, &r);
    ::ScreenToClient(hwnd, &r.TopLeft());
    ::ScreenToClient(hwnd, &r.BottomRight());
    return r;
  }
  std::vector<std::string> Menu() {
    std::vector<std::string> lines;
    ReadMenu(::GetMenu(hwnd), 0, lines);
    return lines;
  }

  ScratchDir dir{"maindlg"};
  std::unique_ptr<gui::ModalRunner<TestMainDlg>> run;
  HWND hwnd = nullptr;
  std::vector<std::pair<int, bool>> stoppedAtEnd;
  BOOL talkbackAtEnd = -1;
  int panelTalkbackSlotAtEnd = -2;
  std::vector<int> talkbackMarksAtEnd;
};

TEST_F(MainDialog, StartsMaximisedWithItsWindowsLogAndFiles) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  EXPECT_EQ("Dravenor", gui::Text(hwnd));
  EXPECT_TRUE(::IsZoomed(hwnd));
  // 36 monitor windows; the 36-window split shows kind 4 at start: 0..15.
  for (int w = 0; w < 36; ++w) {
    ASSERT_NE(nullptr, gui::Control(hwnd, IDC_MAIN_MONITOR_FIRST + w)) << w;
    EXPECT_EQ(w < 16, Visible(w)) << w;
  }
  EXPECT_EQ(4, Dlg()->LayoutKind());
  // Features reach the running dialog through its face; a fake stands in
  // while it lives and gives the pointer back.
  EXPECT_EQ(static_cast<CMainDlgFace*>(Dlg()), g_pMainDlg);
  {
    FakeMainDlg fake;
    EXPECT_EQ(&fake, g_pMainDlg);
    EXPECT_EQ(nullptr, g_pMainDlg->FindDeviceByLoginId(0));
  }
  EXPECT_EQ(static_cast<CMainDlgFace*>(Dlg()), g_pMainDlg);
  EXPECT_TRUE(Has(LogRows(Dlg()), "admin Login Successfully!"));
  // A default Corvel.ini and SysCfg.dat are written; the command socket is up.
  char poll[16] = {};
  ::GetPrivateProfileStringA("LocalMonSet", "PollInterval", "", poll, sizeof poll, dir / "Corvel.ini");
  EXPECT_STREQ("5", poll);
  EXPECT_TRUE(FileExists(dir / "SysCfg.dat"));
  EXPECT_TRUE(gui::PumpUntil([&] { return Dlg()->UdpBound(); }, 5000));
  // The tool-bar buttons of top_config.ini.
  EXPECT_EQ("Play Back", gui::Text(hwnd, ID_MAIN_PLAYBACK));
  EXPECT_EQ("Settings", gui::Text(hwnd, ID_MAIN_SETTINGS));
  EXPECT_TRUE(::IsWindowEnabled(gui::Control(hwnd, ID_MAIN_SETTINGS)));
  // The skin's background colour around the video area, the title strip on
  // top, the monitor background in the windows' video areas below their
  // title bars of [PlayWndSettings] TitleBackColor.
  {
    HDC dc = ::GetDC(hwnd);
    CRect w0 = Rect(0);
    EXPECT_EQ(RGB(30, 34, 42), ::GetPixel(dc, 2, w0.top + 10));
    EXPECT_EQ(RGB(18, 20, 26), ::GetPixel(dc, w0.left + 5, w0.top + 30));
    EXPECT_EQ(RGB(44, 50, 60), ::GetPixel(dc, w0.left + 60, w0.top + 8));
    ::ReleaseDC(hwnd, dc);
  }
  EXPECT_TRUE(gui::SaveWindowBitmap(hwnd, gui::OutputPath("main_dialog.bmp")));
}

// Relative luminance (sRGB) and the contrast ratio of two colours.
double Luminance(COLORREF c) {
  auto lin = [](int v) {
    double x = v / 255.0;
    return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}
double Contrast(COLORREF a, COLORREF b) {
  double la = Luminance(a), lb = Luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

// The screen's pixels inside r (screen coordinates), row by row.
std::vector<COLORREF> ScreenPixels(const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<COLORREF> out;
  if (w <= 0 || h <= 0) return out;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  ::SelectObject(mem, old);
  BITMAPINFOHEADER bi{sizeof bi, w, -h, 1, 32, BI_RGB};
  std::vector<uint32_t> raw(size_t(w) * h);
  ::GetDIBits(mem, bmp, 0, UINT(h), raw.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  for (uint32_t p : raw) out.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  return out;
}

TEST_F(MainDialog, MenuBarCaptionsStandOutFromTheBarAsDrawn) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  gui::PumpFor(300);
  MENUBARINFO bar{sizeof bar};
  ASSERT_TRUE(::GetMenuBarInfo(hwnd, OBJID_MENU, 0, &bar));
  int items = ::GetMenuItemCount(::GetMenu(hwnd));
  ASSERT_GE(items, 3);
  const COLORREF back = RGB(30, 34, 42);  // [MainSettings] BackColor
  RECT last{};
  for (int i = 1; i <= items; ++i) {
    MENUBARINFO item{sizeof item};
    ASSERT_TRUE(::GetMenuBarInfo(hwnd, OBJID_MENU, i, &item)) << i;
    last = item.rcBar;
    std::vector<COLORREF> px = ScreenPixels(item.rcBar);
    ASSERT_FALSE(px.empty()) << i;
    // The item's ground is the skin's colour; its caption's strokes stand
    // out from it by 4.5:1 at least.
    size_t ground = size_t(std::count(px.begin(), px.end(), back));
    EXPECT_GT(ground * 2, px.size()) << "item " << i << " is not drawn on the bar's colour";
    double best = 0;
    size_t strokes = 0;
    for (COLORREF c : px) {
      double k = Contrast(c, back);
      best = std::max(best, k);
      if (k >= 4.5) ++strokes;
    }
    EXPECT_GE(best, 4.5) << "item " << i;
    EXPECT_GE(strokes, 12u) << "item " << i << ": too few caption pixels at 4.5:1";
    std::printf("menu item %d: caption contrast %.2f:1, %u pixels at 4.5:1 or more\n", i, best, unsigned(strokes));
  }
  // The bar beyond its last caption.
  RECT rest{last.right, bar.rcBar.top, bar.rcBar.right, bar.rcBar.bottom};
  std::vector<COLORREF> px = ScreenPixels(rest);
  size_t skin = size_t(std::count(px.begin(), px.end(), back));
  std::printf("bar beyond the last caption: %u of %u pixels in the skin's colour\n", unsigned(skin), unsigned(px.size()));
  EXPECT_GE(skin * 10, px.size() * 9) << "the bar beyond its captions is not painted in the skin's colour";
  RECT whole = bar.rcBar;
  EXPECT_TRUE(gui::SaveScreenBitmap(whole, gui::OutputPath("menu_bar.bmp")));

  // A popup opened by a click on the first caption, as the operator would.
  MENUBARINFO first{sizeof first};
  ASSERT_TRUE(::GetMenuBarInfo(hwnd, OBJID_MENU, 1, &first));
  POINT at{(first.rcBar.left + first.rcBar.right) / 2, (first.rcBar.top + first.rcBar.bottom) / 2};
  ::PostMessageA(hwnd, WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(at.x, at.y));
  HWND popup = nullptr;
  gui::PumpUntil([&] { return (popup = ::FindWindowA(MAKEINTATOM(32768), nullptr)) != nullptr &&
                              ::IsWindowVisible(popup); }, 5000);
  ASSERT_NE(nullptr, popup) << "no popup opened";
  gui::PumpFor(400);
  RECT pr;
  ::GetWindowRect(popup, &pr);
  RECT shot;
  ::UnionRect(&shot, &pr, &bar.rcBar);
  shot.right = std::max(shot.right, pr.right + 8);
  shot.bottom += 8;
  EXPECT_TRUE(gui::SaveScreenBitmap(shot, gui::OutputPath("menu_bar_popup.bmp")));
  ::PostMessageA(hwnd, WM_CANCELMODE, 0, 0);
  ::PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  ::PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(gui::PumpUntil([&] { return !::IsWindowVisible(popup); }, 5000));
}

TEST_F(MainDialog, MenuFollowsTheUsersRights) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  std::vector<std::string> admin = {
      "System", "  Change Language", "    English 2074", "  Exit System 2030",
      "Function", "  Local Alarm Settings 2218", "  Local Storage Settings 2216", "  Local User Management 2228",
      "  Local Polling Settings 2231", "  -", "  Remote Alarm Upload Info 2217",
      "  Real-time Monitor Info Statistics 2212", "  PTZ Preset 2233", "  -",
      "Log Management", "  Local 2065", "  -", "  Disk Cleaning And Writing Error Info", "    Local 2214",
      "Help", "  About Dravenor 2085"};
  EXPECT_EQ(admin, Menu());
  // The system menu ends with the about item (command 16).
  std::vector<std::string> sys;
  ReadMenu(::GetSystemMenu(hwnd, FALSE), 0, sys);
  ASSERT_GE(sys.size(), 2u);
  EXPECT_EQ("-", sys[sys.size() - 2]);
  EXPECT_EQ("About Dravenor... 16", sys.back());
  // An Operator with no rights: no alarm, storage or PTZ items; no settings.
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_pConfig->users[1] = User("op", 0, 0);
    d.ChangeCurrentUser(1);
  });
  EXPECT_EQ(0u, g_userRights);
  EXPECT_TRUE(Has(LogRows(Dlg()), "Change User op Login Successfully!"));
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(hwnd, ID_MAIN_SETTINGS)));
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(hwnd, ID_MAIN_PLAYBACK)));
  EXPECT_TRUE(::IsWindowEnabled(gui::Control(hwnd, ID_MAIN_PREVIEW_PLANS)));
  std::vector<std::string> op = admin;
  op.erase(std::remove_if(op.begin(), op.end(),
                          [](const std::string& s) {
                            return s.find("2218") != std::string::npos || s.find("2216") != std::string::npos ||
                                   s.find("2233") != std::string::npos;
                          }),
           op.end());
  EXPECT_EQ(op, Menu());
}

TEST_F(MainDialog, SwitchModePanelAndStatusBarDriveTheDialog) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  HWND panel = Dlg()->SwitchModePanel().m_hWnd;
  ASSERT_NE(nullptr, panel);
  EXPECT_TRUE(::IsWindowVisible(panel));
  // Along the bottom of the client area, between the left margin and the
  // side panels.
  CRect client, r;
  ::GetClientRect(hwnd, &client);
  ::GetWindowRect(panel, &r);
  ::ScreenToClient(hwnd, &r.TopLeft());
  ::ScreenToClient(hwnd, &r.BottomRight());
  EXPECT_EQ(client.bottom - 4 - 24, r.top);
  EXPECT_EQ(4, r.left);
  EXPECT_EQ(client.right - 4 - 169, r.right);
  // Its "4 Monitor Windows" button: the split in use and its layout.
  int index = 0;
  while (index < CSwitchModeDlg::kButtons && CSwitchModeDlg::CommandOf(index) != 3225) ++index;
  ASSERT_LT(index, int(CSwitchModeDlg::kButtons));
  HWND button = Dlg()->SwitchModePanel().Button(index).m_hWnd;
  ::SendMessageA(panel, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED), LPARAM(button));
  EXPECT_EQ(1, Dlg()->SplitLayout());
  EXPECT_EQ(2, Dlg()->LayoutKind());
  for (int w = 0; w < 36; ++w) EXPECT_EQ(w < 4, Visible(w)) << w;
  // The status bar: shown by 2086, hidden by its own message.
  HWND bar = Dlg()->StatusBar().m_hWnd;
  ASSERT_NE(nullptr, bar);
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_STATUS_BAR, 0);
  EXPECT_TRUE(::IsWindowVisible(bar));
  gui::PumpFor(300);
  EXPECT_TRUE(gui::SaveWindowBitmap(hwnd, gui::OutputPath("main_dialog_status_bar.bmp")));
  ::SendMessageA(hwnd, WM_MAIN_STATUSBAR_HIDE, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(bar));
}

TEST_F(MainDialog, SettingsCommandRunsTheFrontEndSettingsDialog) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_SETTINGS, 0);
  HWND settings = gui::FindThreadWindow(::GetWindowThreadProcessId(hwnd, nullptr), "Front End System Settings", 10000);
  ASSERT_NE(nullptr, settings);
  // Modal: the main window waits until it closes.
  EXPECT_FALSE(::IsWindowEnabled(hwnd));
  ::PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(gui::PumpUntil([&] { return !::IsWindow(settings); }, 5000));
  EXPECT_TRUE(gui::PumpUntil([&] { return ::IsWindowEnabled(hwnd) != FALSE; }, 5000));
}

TEST_F(MainDialog, PlaybackCommandShowsTheRecordPlaybackWindow) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_PLAYBACK, 0);
  HWND playback = gui::FindThreadWindow(::GetWindowThreadProcessId(hwnd, nullptr), "Record Playback", 3000);
  ASSERT_NE(nullptr, playback);
  EXPECT_TRUE(::IsWindowVisible(playback));
  EXPECT_EQ(hwnd, ::GetWindow(playback, GW_OWNER));
  // Esc closes it as the close box does; the command shows the same window.
  ::SendMessageA(playback, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(::IsWindowVisible(playback));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_PLAYBACK, 0);
  EXPECT_TRUE(::IsWindowVisible(playback));
  EXPECT_EQ(playback, gui::FindThreadWindow(::GetWindowThreadProcessId(hwnd, nullptr), "Record Playback", 1000));
  ::SendMessageA(playback, WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(playback));
}

TEST_F(MainDialog, ChangeOfUserThroughTheLoginDialog) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  Dlg()->Run([](TestMainDlg& d) {
    shell::LocalUserRecord op = User("op2", 0, kRightLocalPlayback);
    lstrcpyA(op.password, "pw2");
    d.m_pConfig->users[3] = op;
  });
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_CHANGE_USER, 0);
  HWND login = gui::FindThreadWindow(::GetWindowThreadProcessId(hwnd, nullptr), "Login Dravenor", 10000);
  ASSERT_NE(nullptr, login);
  gui::SetText(login, IDC_LOGIN_USER, "op2");
  gui::SetText(login, IDC_LOGIN_PASSWORD, "pw2");
  ::PostMessageA(login, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(gui::PumpUntil([] { return g_userRights == kRightLocalPlayback; }, 10000));
  EXPECT_TRUE(Has(LogRows(Dlg()), "Change User op2 Login Successfully!"));
  EXPECT_EQ(3, Dlg()->CurrentUserIndex());
  EXPECT_FALSE(::IsWindowEnabled(gui::Control(hwnd, ID_MAIN_SETTINGS)));
  EXPECT_TRUE(::IsWindowEnabled(gui::Control(hwnd, ID_MAIN_PLAYBACK)));
}

// The menu's local dialogs: each command opens its dialog; what the operator
// keeps reaches the settings, Corvel.ini and the configuration image.
TEST_F(MainDialog, MenuCommandsOpenTheLocalDialogs) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  struct Modal {
    UINT command;
    const char* caption;
    int leaveWith;
  } modals[] = {
      {ID_MAIN_ABOUT, "About Dravenor", IDOK},
      {ID_MAIN_POLLING_SETTINGS, "Local Polling Settings", IDOK},
      {ID_MAIN_STORAGE_SETTINGS, "Local Storage Settings", IDCANCEL},
      {ID_MAIN_ALARM_SETTINGS, "Local Alarm Settings", IDCANCEL},
      {ID_MAIN_WORK_PLAN, "Local Auto Work Plan", IDOK},
      {ID_MAIN_CONNECT_SERVER, "Connect Server", IDCANCEL},
  };
  for (const Modal& m : modals) {
    SCOPED_TRACE(m.caption);
    ::PostMessageA(hwnd, WM_COMMAND, m.command, 0);
    HWND dlg = gui::FindThreadWindow(thread, m.caption, 10000);
    ASSERT_NE(nullptr, dlg);
    if (m.command == ID_MAIN_POLLING_SETTINGS) gui::SetText(dlg, IDC_POLL_INTERVAL, "12");
    if (m.command == ID_MAIN_WORK_PLAN) gui::Click(dlg, IDC_WP_ENABLE);
    ::PostMessageA(dlg, WM_COMMAND, m.leaveWith, 0);
    ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(dlg); }, 10000));
  }
  EXPECT_EQ(::GetPrivateProfileIntA("LocalMonSet", "PollInterval", 0, dir / "Corvel.ini"), 12u);
  int pollInterval = 0;
  uint32_t planFlag = 0;
  Dlg()->Run([&](TestMainDlg& d) {
    pollInterval = d.m_settings.pollInterval;
    planFlag = d.m_pConfig->workPlanEnabled;
  });
  EXPECT_EQ(pollInterval, 12);
  EXPECT_EQ(planFlag, 1u) << "the work plan switched on and kept";
  // The modeless ones are made when first shown and shown again after.
  for (UINT command : {ID_MAIN_PREVIEW_PLANS, ID_MAIN_ALARM_UPLOAD}) {
    const char* caption = command == ID_MAIN_PREVIEW_PLANS ? "Preview Plans" : "Remote Alarm Upload Info";
    ::SendMessageA(hwnd, WM_COMMAND, command, 0);
    HWND dlg = gui::FindThreadWindow(thread, caption, 10000);
    ASSERT_NE(nullptr, dlg) << caption;
    ::SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindowVisible(dlg)) << caption;
    ::SendMessageA(hwnd, WM_COMMAND, command, 0);
    EXPECT_EQ(gui::FindThreadWindow(thread, caption, 10000), dlg) << "the same window again";
    ::SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
  }
}

TEST_F(MainDialog, EscOnlyLeavesFullScreenAndTheMinimumSizeHolds) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  gui::PostKey(hwnd, VK_ESCAPE);
  gui::PumpFor(300);
  EXPECT_TRUE(::IsWindow(hwnd));
  EXPECT_FALSE(run->Wait(0));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_FULL_SCREEN, 0);
  EXPECT_TRUE(Dlg()->IsFullScreen());
  EXPECT_FALSE(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION);
  CRect r;
  ::GetWindowRect(hwnd, &r);
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), r.Width());
  EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), r.Height());
  // Full screen: the cells start at the screen's corner.
  EXPECT_EQ(CPoint(1, 1), Rect(0).TopLeft());
  gui::PostKey(hwnd, VK_ESCAPE);
  EXPECT_TRUE(gui::PumpUntil([&] { return !Dlg()->IsFullScreen(); }, 3000));
  EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(run->Wait(0));
  MINMAXINFO mmi{};
  ::SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(900, mmi.ptMinTrackSize.x);
  EXPECT_EQ(700, mmi.ptMinTrackSize.y);
}

TEST_F(MainDialog, LayoutsReadBackFromTheMonitorWindows) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  CRect area;
  int g = 1;
  Dlg()->Run([&](TestMainDlg& d) {
    area = d.VideoArea();
    // 16 windows in use; kind 4 from window 10 is pulled back to 0.
    d.SetSplitLayout(3);
    d.ArrangeWindows(4, 10);
  });
  for (int w = 0; w < 36; ++w) EXPECT_EQ(w < 16, Visible(w)) << w;
  EXPECT_EQ(0, Dlg()->FirstWindow());

  // A channel of a device shown in window 7, then kind 1 from window 7.
  Dlg()->Run([&](TestMainDlg& d) {
    d.SetSplitLayout(5);
    shell::DeviceRecord& dev = d.m_pConfig->devices[0];
    lstrcpyA(dev.address, "169.254.9.9");
    int slot = d.m_channels.Assign(&dev, 2);
    d.m_windows[7].Add(slot);
    d.m_windows[7].position = 0;
    d.SelectMonitorWindow(7);
    d.ClearNotices();
    d.ArrangeWindows(1, -1);
  });
  for (int w = 0; w < 36; ++w) EXPECT_EQ(w == 7, Visible(w)) << w;
  CRect whole = Rect(7);
  EXPECT_EQ(area.left + g, whole.left);
  EXPECT_EQ(area.top + g, whole.top);
  EXPECT_GT(whole.Width(), area.Width() - 4);
  std::vector<StreamNotice> n = Dlg()->Notices();
  ASSERT_EQ(1u, n.size());
  EXPECT_EQ("169.254.9.9", n[0].address);
  EXPECT_EQ(2, n[0].channel);
  EXPECT_EQ(0, n[0].kind);   // the single window takes the main stream

  // Back to 16 windows: the window's device is told the sub stream.
  Dlg()->Run([](TestMainDlg& d) {
    d.ClearNotices();
    d.ArrangeWindows(4, 0);
  });
  n = Dlg()->Notices();
  ASSERT_EQ(1u, n.size());
  EXPECT_EQ(1, n[0].kind);
  EXPECT_EQ(0, Dlg()->GetCurrentWindow());

  // A list entry outside its list and windows outside the split are skipped.
  Dlg()->Run([](TestMainDlg& d) {
    d.m_windows[7].position = -1;
    d.ClearNotices();
    d.ArrangeWindows(4, 0);
    d.m_windows[7].position = 0;
    d.SetSplitLayout(0);   // one window in use
    d.ArrangeWindows(2, 0);
  });
  EXPECT_TRUE(Dlg()->Notices().empty());

  // SetSplitForCount: 0 gives 2 x 2, 37 changes nothing.
  Dlg()->Run([](TestMainDlg& d) { d.SetSplitForCount(0); });
  EXPECT_EQ(2, Dlg()->LayoutKind());
  for (int w = 0; w < 36; ++w) EXPECT_EQ(w < 4, Visible(w)) << w;
  Dlg()->Run([](TestMainDlg& d) { d.SetSplitForCount(37); });
  EXPECT_EQ(2, Dlg()->LayoutKind());
}

namespace {

// The switch-mode bar's layout buttons, in the bar's order, with the kind
// each shows.
struct LayoutButton {
  UINT command;
  int kind;
};
const LayoutButton kLayoutButtons[] = {{3224, 1}, {3225, 2}, {3231, 7}, {3232, 8},  {3226, 3},
                                       {3233, 9}, {3227, 4}, {3234, 10}, {3228, 5}, {3229, 6}};

}  // namespace

// Every layout the operator can show is saved as a plan and comes back when
// the plan is opened after another layout was picked: the kind shown and
// every window's place, not the layout of the windows in use. The rows: as
// started (16 of the 36 windows in use), each button of the switch-mode bar,
// and window 0 enlarged by a double click while 16 windows are in use.
TEST_F(MainDialog, PlansBringBackTheLayoutShownWithEveryWindowsPlace) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  // The preview plans exist from the start, hidden; 2241 shows them.
  HWND plans = nullptr;
  Dlg()->Run([&](TestMainDlg& d) { plans = d.PreviewPlans() ? d.PreviewPlans()->m_hWnd : nullptr; });
  ASSERT_NE(nullptr, plans);
  EXPECT_FALSE(::IsWindowVisible(plans));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_PREVIEW_PLANS, 0);
  EXPECT_TRUE(::IsWindowVisible(plans));
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  HWND panel = Dlg()->SwitchModePanel().m_hWnd;
  auto press = [&](UINT command) {
    for (int i = 0; i < CSwitchModeDlg::kButtons; ++i) {
      if (CSwitchModeDlg::CommandOf(i) != command) continue;
      HWND b = Dlg()->SwitchModePanel().Button(i).m_hWnd;
      ::SendMessageA(panel, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(b), BN_CLICKED), LPARAM(b));
    }
  };
  struct Shown {
    int kind;
    std::vector<std::string> rects;   // "hidden" for a hidden window
  };
  auto shown = [&] {
    Shown s{Dlg()->LayoutKind(), {}};
    for (int w = 0; w < 36; ++w) {
      CRect r = Rect(w);
      s.rects.push_back(Visible(w) ? std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
                                         std::to_string(r.right) + "," + std::to_string(r.bottom)
                                   : "hidden");
    }
    return s;
  };
  struct Row {
    const char* how;
    std::function<void()> reach;
    int kind;
  };
  std::vector<Row> rows = {{"as started", [] {}, 4}};
  for (const LayoutButton& b : kLayoutButtons)
    rows.push_back({"switch-mode button", [&press, b] { press(b.command); }, b.kind});
  rows.push_back({"double click on window 0 of 16", [&] {
                    press(3227);
                    ::SendMessageA(hwnd, WM_MONITOR_MOUSE, MAKEWPARAM(WM_LBUTTONDBLCLK, 0), 0);
                  },
                  1});
  const size_t buttons = sizeof kLayoutButtons / sizeof kLayoutButtons[0];
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    SCOPED_TRACE(std::string(row.how) + ", kind " + std::to_string(row.kind));
    row.reach();
    const Shown saved = shown();
    ASSERT_EQ(row.kind, saved.kind);
    gui::PostClick(plans, IDC_PLAN_SAVE);
    HWND name = gui::FindThreadWindow(thread, "Input The Local Plan Name", 10000);
    ASSERT_NE(nullptr, name);
    gui::SetText(name, IDC_PLAN_NAME, ("Layout " + std::to_string(i)).c_str());
    gui::Click(name, IDOK);
    ASSERT_TRUE(gui::PumpUntil([&] { return gui::ListCount(plans, IDC_PLAN_LIST) == int(i + 1); }, 10000));
    // Another layout: three buttons on along the bar, never the same kind.
    const LayoutButton& other = kLayoutButtons[(i + 3) % buttons];
    press(other.kind == row.kind ? kLayoutButtons[(i + 4) % buttons].command : other.command);
    ASSERT_NE(row.kind, Dlg()->LayoutKind());
    gui::SelectListItem(plans, IDC_PLAN_LIST, int(i));
    ::SendMessageA(gui::Control(plans, IDC_PLAN_LIST), LVM_SETSELECTIONMARK, 0, LPARAM(i));
    gui::Click(plans, IDC_PLAN_OPEN);
    const Shown opened = shown();
    EXPECT_EQ(saved.kind, opened.kind);
    for (int w = 0; w < 36; ++w) EXPECT_EQ(saved.rects[w], opened.rects[w]) << "window " << w;
  }
  // LocalPlans.dat holds the kinds shown.
  auto file = std::make_unique<shell::PlanImage>();
  ASSERT_TRUE(shell::LoadLocalPlans(*file, dir.Path()));
  for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(uint32_t(rows[i].kind), file->slots[i].layoutKind) << i;
}

TEST_F(MainDialog, MessagesAndLookupsRefuseBadIndexes) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  // 0x1788 from window 5 selects it; window 40 is ignored.
  ::SendMessageA(hwnd, WM_MONITOR_MOUSE, MAKEWPARAM(WM_LBUTTONDOWN, 5), 0);
  EXPECT_EQ(5, Dlg()->GetCurrentWindow());
  ::SendMessageA(hwnd, WM_MONITOR_MOUSE, MAKEWPARAM(WM_LBUTTONDOWN, 40), 0);
  EXPECT_EQ(5, Dlg()->GetCurrentWindow());
  // A click on a real monitor window reports itself.
  ::PostMessageA(gui::Control(hwnd, IDC_MAIN_MONITOR_FIRST + 2), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(gui::PumpUntil([&] { return Dlg()->GetCurrentWindow() == 2; }, 3000));
  Dlg()->Run([](TestMainDlg& d) {
    EXPECT_EQ(nullptr, d.FindDeviceByLoginId(0));
    EXPECT_EQ(nullptr, d.FindDeviceByLoginId(-3));
    d.m_pConfig->devices[4].loginId = 17;
    EXPECT_EQ(&d.m_pConfig->devices[4], d.FindDeviceByLoginId(17));
    EXPECT_EQ(4, d.FindDeviceIndexByLoginId(17));
    for (int kind : {0, 1, 3, 4, 2, 9})
      for (int index : {-1, 36, 64, 1000}) EXPECT_EQ(0, d.GetChannelState(kind, index)) << kind << "/" << index;
    d.SetChannelState(4, 70, TRUE);   // nothing happens
    d.SetChannelState(1, -1, TRUE);
  });
  // 2232: the PTZ flag of the current window's channel, refused while its
  // list polls.
  int slot = -1;
  Dlg()->Run([&](TestMainDlg& d) {
    slot = d.m_channels.Assign(&d.m_pConfig->devices[1], 0);
    int other = d.m_channels.Assign(&d.m_pConfig->devices[1], 1);
    d.m_windows[2].Add(slot);
    d.m_windows[2].Add(other);
    d.m_windows[2].position = 0;
    d.m_windows[2].showsChannel = 1;
  });
  {
    gui::MessageBoxScript boxes;
    ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_PTZ_FLAG, 0);
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_EQ("Please pause polling first!", boxes.Boxes()[0].text);
    EXPECT_FALSE(Dlg()->PtzChannelFlag(slot));
    ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_POLL_PAUSE, 0);
    ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_PTZ_FLAG, 0);
    EXPECT_EQ(1u, boxes.Count());
    EXPECT_TRUE(Dlg()->PtzChannelFlag(slot));
  }
  // 2226 reads SysCfg.dat again for its users only: connected devices keep
  // their state and login ids.
  {
    auto image = std::make_unique<shell::SystemConfigImage>();
    shell::ResetSysConfig(*image);
    image->users[1] = User("op2", 0, 0x20);
    ASSERT_TRUE(shell::SaveSysConfig(*image, dir.Path()));
  }
  Dlg()->Run([](TestMainDlg& d) {
    d.m_pConfig->devices[4].state = 4;
    ASSERT_TRUE(d.ReloadUsers());
    EXPECT_STREQ("op2", d.m_pConfig->users[1].name);
    EXPECT_EQ(0x20u, d.m_pConfig->users[1].rightsMask);
    EXPECT_EQ(4u, d.m_pConfig->devices[4].state);
    EXPECT_EQ(17u, d.m_pConfig->devices[4].loginId);
  });
  // Timer 101: a silent stream of a listed slot is restarted on the 12th
  // tick, main and sub stream alike; data clears the counters.
  Dlg()->Run([&](TestMainDlg& d) {
    for (int tick = 0; tick < 11; ++tick) d.RunWatchdog();
    EXPECT_TRUE(d.Restarts().empty());
    d.m_channels[slot].SubDataArrived();
    d.RunWatchdog();
  });
  std::vector<StreamNotice> r;
  for (const StreamNotice& n : Dlg()->Restarts())
    if (n.address == std::to_string(slot)) r.push_back(n);
  ASSERT_EQ(1u, r.size());   // the sub stream had data on the 11th tick
  EXPECT_EQ(std::to_string(slot), r[0].address);
  EXPECT_EQ(2, r[0].channel);   // the window that lists it
  EXPECT_EQ(0, r[0].kind);
  // 0x893 with a pointer nobody handed out is dropped.
  ::SendMessageA(hwnd, WM_MAIN_DEVICE_MESSAGE, 2002, 0x1234);
  EXPECT_TRUE(::IsWindow(hwnd));
}

// The files of a folder tree whose names end in ext.
void FindFiles(const CString& dir, const char* ext, std::vector<CString>& out) {
  CFileFind ff;
  BOOL more = ff.FindFile(dir + "*.*");
  while (more) {
    more = ff.FindNextFile();
    if (ff.IsDots()) continue;
    if (ff.IsDirectory()) FindFiles(ff.GetFilePath() + "\\", ext, out);
    else if (ff.GetFileName().Right(int(strlen(ext))).CompareNoCase(ext) == 0) out.push_back(ff.GetFilePath());
  }
}

TEST_F(MainDialog, ManualRecordingOpensAndCompletesARecordFile) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  int slot = -1;
  Dlg()->Run([&](TestMainDlg& d) {
    shell::DeviceRecord& dev = d.m_pConfig->devices[0];
    lstrcpyA(dev.address, "169.254.9.9");
    slot = d.m_channels.Assign(&dev, 0);
    // Without its main stream a channel does not record.
    d.SetChannelState(1, slot, TRUE);
    EXPECT_EQ(0, d.GetChannelState(1, slot));
    EXPECT_EQ(0u, d.m_channels[slot].manualRecord.load());
    d.m_channels[slot].mainStreamRunning = 1;
    d.ClearNotices();
    d.SetChannelState(1, slot, TRUE);
    EXPECT_EQ(1, d.GetChannelState(1, slot));
    EXPECT_EQ(1u, d.m_channels[slot].manualRecord.load());
    EXPECT_EQ(1u, d.m_pConfig->channels[slot].manualRecord);
  });
  std::vector<StreamNotice> n = Dlg()->Notices();
  ASSERT_EQ(1u, n.size());
  EXPECT_EQ(0, n[0].kind);
  std::vector<CString> files;
  FindFiles("P:\\TQX RecordData\\", ".264", files);
  ASSERT_EQ(1u, files.size());
  EXPECT_NE(-1, files[0].Find("\\169.254.9.9\\01\\"));
  Dlg()->Run([&](TestMainDlg& d) {
    d.SetChannelState(1, slot, FALSE);
    EXPECT_EQ(0, d.GetChannelState(1, slot));
    EXPECT_EQ(0u, d.m_pConfig->channels[slot].manualRecord);
  });
  std::vector<unsigned char> bytes = ScratchDir::Read(files[0]);
  ASSERT_GE(bytes.size(), 32u);
  EXPECT_EQ(0, memcmp(bytes.data(), "RIMF", 4));
}

TEST_F(MainDialog, CloseWithoutTheRightIsRefusedAndSavesNothing) {
  ASSERT_NE(nullptr, Start(User("op", 0, 0)));
  std::vector<unsigned char> before = ScratchDir::Read(dir / "SysCfg.dat");
  ASSERT_EQ(52936u, before.size());
  Dlg()->Run([](TestMainDlg& d) { d.m_savedStateFlag = TRUE; });
  gui::MessageBoxScript boxes({IDYES});
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("You have no power to close system!", boxes.Boxes()[0].text);
  EXPECT_EQ("PROMPT", boxes.Boxes()[0].caption);
  EXPECT_EQ(before, ScratchDir::Read(dir / "SysCfg.dat"));
  EXPECT_FALSE(run->Wait(300));
  // The window's close box does the same.
  ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(2u, boxes.Count());
  EXPECT_FALSE(run->Wait(300));
}

TEST_F(MainDialog, CloseAsksThenStopsEverythingInBoundedTime) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ASSERT_TRUE(gui::PumpUntil([&] { return Dlg()->UdpBound(); }, 5000));
  {
    gui::MessageBoxScript no({IDNO});
    ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
    ASSERT_EQ(1u, no.Count());
    EXPECT_EQ("Are you sure you want to close this system?", no.Boxes()[0].text);
    EXPECT_EQ("WARNING", no.Boxes()[0].caption);
    EXPECT_EQ(UINT(MB_YESNO | MB_ICONQUESTION), no.Boxes()[0].type);
  }
  EXPECT_FALSE(run->Wait(300));
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  // With the saved-state flag the live state goes to SysCfg.dat.
  Dlg()->Run([](TestMainDlg& d) {
    d.m_savedStateFlag = TRUE;
    d.SetSplitLayout(7);
    int slot = d.m_channels.Assign(&d.m_pConfig->devices[0], 0);
    d.m_channels[slot].recording = 1;
  });
  gui::MessageBoxScript yes({IDYES});
  DWORD start = ::GetTickCount();
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
  ASSERT_TRUE(run->Wait(15000));
  EXPECT_LT(::GetTickCount() - start, 12000u);
  EXPECT_EQ(IDCANCEL, run->Result());
  // The recording channel was stopped (its file completed) while the
  // record writer still ran.
  ASSERT_EQ(1u, stoppedAtEnd.size());
  EXPECT_EQ(0, stoppedAtEnd[0].first);
  EXPECT_TRUE(stoppedAtEnd[0].second);
  std::vector<unsigned char> image = ScratchDir::Read(dir / "SysCfg.dat");
  ASSERT_EQ(52936u, image.size());
  EXPECT_EQ(7, image[8]);
  run.reset();
  EXPECT_EQ(nullptr, g_pMainDlg);
}

TEST_F(MainDialog, ToolBarButtonsWithoutTheVisibilityKeyStayHidden) {
  CString ini = dir / "Language\\English\\top_config.ini";
  ASSERT_TRUE(::WritePrivateProfileStringA("MainButtons", "TopConfig_IsVisible", nullptr, ini));
  ASSERT_TRUE(::WritePrivateProfileStringA("MainButtons", "TopPlayBack", "Replay", ini));
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  EXPECT_EQ(nullptr, gui::Control(hwnd, ID_MAIN_SETTINGS));
  EXPECT_EQ("Replay", gui::Text(hwnd, ID_MAIN_PLAYBACK));
  // Placed at its _Position.
  char pos[64] = {};
  ::GetPrivateProfileStringA("MainButtons", "TopPreviewPlan_Position", "", pos, sizeof pos, ini);
  CRect want = ParseRect(pos);
  ASSERT_FALSE(want.IsRectEmpty()) << pos;
  CRect r;
  ::GetWindowRect(gui::Control(hwnd, ID_MAIN_PREVIEW_PLANS), &r);
  ::ScreenToClient(hwnd, &r.TopLeft());
  ::ScreenToClient(hwnd, &r.BottomRight());
  EXPECT_EQ(want, r);
}

TEST_F(MainDialog, SkinPictureThatCannotBeLoadedEndsTheDialogWithTheBox) {
  CString title = dir / "Language\\English\\title.bmp";
  ASSERT_TRUE(::DeleteFileA(title));
  gui::MessageBoxScript boxes;
  EXPECT_EQ(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ASSERT_TRUE(run->Wait(30000));
  EXPECT_EQ(IDCANCEL, run->Result());
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Load background image: " + std::string(title) + " failed!", boxes.Boxes()[0].text);
  EXPECT_EQ("FATAL ERROR", boxes.Boxes()[0].caption);
}

}  // namespace

// ---- live streams and the UDP command channel, through the SDK seam

namespace {

struct SdkCalls {
  std::mutex lock;
  std::vector<std::string> calls;
  void Add(const std::string& s) {
    std::lock_guard<std::mutex> l(lock);
    calls.push_back(s);
  }
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> l(lock);
    std::vector<std::string> out;
    out.swap(calls);
    return out;
  }
};
SdkCalls g_sdk;

int WINAPI FakePlayVideo(int handle, unsigned char*, int length) {
  g_sdk.Add("play " + std::to_string(handle) + " " + std::to_string(length));
  return 0;
}
int WINAPI FakeAudioDecode(unsigned char*, int length, int codec) {
  g_sdk.Add("audio " + std::to_string(length) + " " + std::to_string(codec));
  return 1;
}

// Starts and stops written down; a start can take its time like a dead
// device's.
struct FakeStreamControl : shell::ISdkStreamControl {
  std::atomic<int> startDelayMs{0};
  std::atomic<DWORD> lastThread{0};
  int StartStream(int loginId, int channel, int kind, void*) override {
    lastThread = ::GetCurrentThreadId();
    ::Sleep(DWORD(startDelayMs.load()));
    g_sdk.Add("start " + std::to_string(loginId) + " " + std::to_string(channel) + " " + std::to_string(kind));
    return 1;
  }
  int StopStream(int loginId, int channel, int kind) override {
    g_sdk.Add("stop " + std::to_string(loginId) + " " + std::to_string(channel) + " " + std::to_string(kind));
    return 1;
  }
};

std::vector<uint8_t> VideoUnit(uint8_t nalHeader, size_t size) {
  std::vector<uint8_t> u(size, 0x55);
  u[0] = u[1] = u[2] = 0;
  u[3] = 1;
  u[4] = nalHeader;
  return u;
}

// Runs a callback the way the SDK does: on a thread of its own.
void DeliverOnSdkThread(const std::function<void()>& fn) { std::thread(fn).join(); }

}  // namespace

TEST_F(MainDialog, StreamCallbacksPlayOnlyIntoTheWindowThatShowsTheStream) {
  FakeStreamControl* control = nullptr;
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  int slot = -1, mainHandle = 0, subHandle = 0;
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_sdkPlay.playVideo = FakePlayVideo;
    d.m_sdkPlay.audioDecode = FakeAudioDecode;
    auto c = std::make_unique<FakeStreamControl>();
    control = c.get();
    d.m_streamControl = std::move(c);
    shell::DeviceRecord& dev = d.m_pConfig->devices[0];
    lstrcpynA(dev.address, "169.254.1.2", sizeof dev.address);
    lstrcpynA(dev.serverName, "Yard", sizeof dev.serverName);
    dev.loginId = 7;
    slot = d.m_channels.Assign(&dev, 2);
    d.m_windows[3].Add(slot);
    ASSERT_TRUE(d.OpenWindowVideo(3));
    mainHandle = d.m_windows[3].mainHandle;
    subHandle = d.m_windows[3].subHandle;
    d.m_windows[3].showsMainStream = 1;
    d.PublishWindowRoute(3);
  });
  ASSERT_GE(slot, 0);
  ASSERT_NE(0, mainHandle);
  ASSERT_NE(0, subHandle);
  EXPECT_EQ(3, Dlg()->m_channels[slot].window.load());
  std::string caption;
  Dlg()->Run([&](TestMainDlg& d) { caption = static_cast<LPCSTR>(d.Monitor(3).GetTitle()); });
  EXPECT_EQ("Yard - ", caption.substr(0, 7));
  g_sdk.Take();

  void* user = &Dlg()->m_channels[slot];
  const auto unit = VideoUnit(0x65, 300);
  uint8_t pcma[160] = {};
  auto deliver = [&](bool sub, int type, const uint8_t* data, int length) {
    DeliverOnSdkThread([&] {
      if (sub)
        SubStreamCallback(const_cast<uint8_t*>(data), length, type, 0, user);
      else
        StreamCallback(const_cast<uint8_t*>(data), length, type, 1, user);
    });
  };
  deliver(false, 0, unit.data(), 300);
  deliver(true, 1, unit.data(), 300);
  deliver(false, 3, pcma, 160);
  EXPECT_EQ(g_sdk.Take(), (std::vector<std::string>{"play " + std::to_string(mainHandle) + " 300", "audio 160 1"}));
  EXPECT_EQ(1u, Dlg()->m_pConfig->devices[0].audioFormat);
  // The device panel counts the main stream's video bytes only.
  EXPECT_EQ(300u, Dlg()->DevicePanel().ReceivedBytes(slot));

  // The window shows the sub stream now: only the sub stream plays, on its handle.
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_windows[3].showsMainStream = 0;
    d.PublishWindowRoute(3);
  });
  deliver(false, 0, unit.data(), 300);
  deliver(true, 1, unit.data(), 300);
  EXPECT_EQ(g_sdk.Take(), (std::vector<std::string>{"play " + std::to_string(subHandle) + " 300"}));

  // While the playback window is visible nothing plays live.
  Dlg()->m_playbackVisible = true;
  deliver(true, 1, unit.data(), 300);
  deliver(false, 3, pcma, 160);
  EXPECT_TRUE(g_sdk.Take().empty());
  Dlg()->m_playbackVisible = false;

  // Closed window: the slot is shown nowhere; a stale user pointer and a
  // null one change nothing.
  Dlg()->Run([&](TestMainDlg& d) { d.CloseWindowVideo(3); });
  EXPECT_EQ(0, Dlg()->m_windows[3].mainHandle.load());
  Dlg()->m_channels[slot].window = -1;
  deliver(true, 1, unit.data(), 300);
  deliver(false, 0, unit.data(), 300);
  DeliverOnSdkThread([&] {
    StreamCallback(const_cast<uint8_t*>(unit.data()), 300, 0, 0, nullptr);
    int notASlot = 0;
    StreamCallback(const_cast<uint8_t*>(unit.data()), 300, 0, 0, &notASlot);
  });
  EXPECT_TRUE(g_sdk.Take().empty());

  // A restart runs off the dialog's thread, even when the start takes a
  // second, and is followed by the stream-started notice.
  Dlg()->ClearNotices();
  control->startDelayMs = 1000;
  DWORD took = 0;
  Dlg()->Run([&](TestMainDlg& d) {
    DWORD t0 = ::GetTickCount();
    d.CMainDlg::RestartStream(slot, 3, 0);
    d.CMainDlg::RestartStream(slot, 3, 0);  // already waiting: once
    took = ::GetTickCount() - t0;
  });
  EXPECT_LT(took, 500u);
  ASSERT_TRUE(gui::PumpUntil([&] { return !Dlg()->Notices().empty(); }, 10000));
  EXPECT_EQ(g_sdk.Take(), (std::vector<std::string>{"stop 7 2 0", "start 7 2 0"}));
  ASSERT_EQ(1u, Dlg()->Notices().size());
  EXPECT_EQ("169.254.1.2", Dlg()->Notices()[0].address);
  EXPECT_EQ(2, Dlg()->Notices()[0].channel);
  EXPECT_EQ(0, Dlg()->Notices()[0].kind);
  EXPECT_NE(::GetWindowThreadProcessId(hwnd, nullptr), control->lastThread.load());
}

TEST_F(MainDialog, ReceivedAnnouncementsAndAlarmsReachRecordsAndSlots) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  int slot = -1;
  Dlg()->Run([&](TestMainDlg& d) {
    lstrcpynA(d.m_pConfig->devices[4].address, "192.168.1.10", sizeof d.m_pConfig->devices[4].address);
    lstrcpynA(d.m_pConfig->devices[5].address, "camera.local", sizeof d.m_pConfig->devices[5].address);
    slot = d.m_channels.Assign(&d.m_pConfig->devices[4], 1);
  });
  // As the receive thread does: into the channel's queue, which wakes the
  // dialog.
  auto post = [&](const std::string& from, std::vector<uint8_t> bytes) {
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = ::inet_addr(from.c_str());
    ASSERT_TRUE(Dlg()->UdpChannel().Offer(at, bytes.data(), bytes.size()));
  };
  std::vector<uint8_t> announce(240, 0);
  announce[0] = 1;
  announce[1] = 1;
  announce[14] = 224;
  memcpy(&announce[16 + 20], "SN-77", 5);
  std::vector<uint8_t> alarmOn = {1, 63, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> otherChannel = {1, 63, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  post("192.168.1.10", announce);
  post("192.168.1.10", alarmOn);
  post("192.168.1.10", otherChannel);
  post("192.168.1.10", std::vector<uint8_t>(200, 1));  // short announcement
  gui::PumpFor(300);
  uint32_t flags = 0;
  std::string serial;
  Dlg()->Run([&](TestMainDlg& d) {
    serial = reinterpret_cast<const char*>(&d.m_pConfig->devices[4].announcement[20]);
    flags = d.m_channels[slot].alarmFlags;
  });
  EXPECT_EQ("SN-77", serial);
  EXPECT_EQ(uint32_t(shell::ChannelSlot::kAlarmMotion), flags);
  std::vector<uint8_t> alarmOff = {1, 127, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  post("192.168.1.10", alarmOff);
  gui::PumpFor(300);
  Dlg()->Run([&](TestMainDlg& d) { flags = d.m_channels[slot].alarmFlags; });
  EXPECT_EQ(0u, flags);
}

TEST_F(MainDialog, MapAndCardOpenOnceAndTheCloseReleasesTheCard) {
  ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", "2");
  const std::string cardFolder(dir.Path().Left(dir.Path().GetLength() - 1));
  ::SetEnvironmentVariableA("MIRELLE_FOLDER", cardFolder.c_str());
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_VIDEO_CARD, 0);
  HWND card = ::FindWindowA("#32770", "Out put analogue signal");
  ASSERT_TRUE(card && ::IsWindowVisible(card));
  EXPECT_EQ(hwnd, ::GetWindow(card, GW_OWNER));
  ::ShowWindow(card, SW_HIDE);
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_VIDEO_CARD, 0);
  EXPECT_EQ(card, ::FindWindowA("#32770", "Out put analogue signal"));
  EXPECT_TRUE(::IsWindowVisible(card));
  ::SendMessageA(gui::Control(card, IDC_CARD_CONNECT), BM_CLICK, 0, 0);
  EXPECT_EQ("Connected", gui::Text(card, IDC_CARD_CONNECT));

  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_EMAP, 0);
  HWND map = ::FindWindowA("#32770", "Electronic Map");
  ASSERT_TRUE(map && ::IsWindowVisible(map));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_EMAP, 0);
  EXPECT_EQ(map, ::FindWindowA("#32770", "Electronic Map"));

  gui::MessageBoxScript yes({IDYES});
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
  ASSERT_TRUE(run->Wait(15000));
  std::vector<unsigned char> log = ScratchDir::Read(dir / "Mirelle.log");
  std::string text(log.begin(), log.end());
  EXPECT_NE(std::string::npos, text.find("OpenChannel 1\nCloseChannel 0\nClearVideoOutput 0\nCloseChannel 1\n"
                                         "ClearVideoOutput 1\nReleaseCards\n"))
      << text;
  ::SetEnvironmentVariableA("MIRELLE_OUTPUTS", nullptr);
  ::SetEnvironmentVariableA("MIRELLE_FOLDER", nullptr);
}

// ---- the record schedule, polling and PTZ

namespace {

SYSTEMTIME Wednesday(int hour, int minute) {
  SYSTEMTIME t{};
  t.wYear = 2026;
  t.wMonth = 12;
  t.wDay = 9;
  t.wDayOfWeek = 3;
  t.wHour = WORD(hour);
  t.wMinute = WORD(minute);
  return t;
}

// Device record 0 at address with a name; its first channels in slots.
shell::DeviceRecord& Device(TestMainDlg& d, int index, const char* address, const char* name) {
  shell::DeviceRecord& dev = d.m_pConfig->devices[index];
  lstrcpynA(dev.address, address, sizeof dev.address);
  lstrcpynA(dev.serverName, name, sizeof dev.serverName);
  dev.loginId = uint32_t(10 + index);
  dev.state = 4;
  return dev;
}

}  // namespace

TEST_F(MainDialog, RecordScheduleCutsFilesOnItsClock) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  std::atomic<uint32_t> tick{1000000};
  int slot = -1;
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_tickMs = [&tick] { return tick.load(); };
    d.m_localTime = [] { return Wednesday(12, 0); };
    d.m_settings.recordMinutes = 1;
    d.m_settings.recordDelay = 20;
    slot = d.m_channels.Assign(&Device(d, 0, "169.254.9.9", "Gate"), 0);
    d.m_channels.CountUsed();
    d.m_channels[slot].mainStreamRunning = 1;
    d.SetChannelState(1, slot, TRUE);
    ASSERT_TRUE(d.FileState(slot).open);
  });
  ASSERT_GE(slot, 0);
  std::string first;
  Dlg()->Run([&](TestMainDlg& d) {
    first = d.FileState(slot).path;
    tick += 59000;
    d.RunRecordSchedule();
    EXPECT_EQ(first, d.FileState(slot).path) << "cut before SubMonRecTime";
  });
  ::Sleep(1100);  // record file names carry the wall clock's second
  Dlg()->Run([&](TestMainDlg& d) {
    tick += 1000;
    d.RunRecordSchedule();
    record::RecordFileState now = d.FileState(slot);
    EXPECT_TRUE(now.open) << "the cut file is reopened in the same pass";
    EXPECT_NE(first, now.path);
    EXPECT_EQ(tick.load(), now.startTick);
    // Switched off by hand: the next pass stops it.
    d.m_channels[slot].manualRecord = 0;
    d.RunRecordSchedule();
    EXPECT_FALSE(d.FileState(slot).open);
  });

  // An alarm under the work plan records for RecDelay seconds.
  Dlg()->Run([&](TestMainDlg& d) {
    shell::WorkPlanEntry& e = d.m_pConfig->workPlan.entries[slot][2][1];  // Wednesday
    e = shell::WorkPlanEntry{1, 11, 0, 13, 0, 4, {0, 0}};
    d.SetAutoWorkPlan(TRUE);
    d.RunRecordSchedule();
    EXPECT_FALSE(d.FileState(slot).open) << "no alarm, no continuous entry";
    d.m_channels[slot].alarmFlags = shell::ChannelSlot::kAlarmMotion;
    d.RunRecordSchedule();
    record::RecordFileState alarm = d.FileState(slot);
    ASSERT_TRUE(alarm.open);
    EXPECT_EQ(2, alarm.recordType);
    tick += 19000;
    d.RunRecordSchedule();
    EXPECT_TRUE(d.FileState(slot).open);
    tick += 1000;
    d.RunRecordSchedule();
    EXPECT_FALSE(d.FileState(slot).open);
    EXPECT_EQ(0u, d.m_channels[slot].alarmFlags.load());
    d.SetAutoWorkPlan(FALSE);
  });
}

// Slots are not compacted when a device goes: a recording slot after a freed
// one is still cut on the schedule's clock.
TEST_F(MainDialog, RecordScheduleReachesSlotsAfterAFreedOne) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  std::atomic<uint32_t> tick{1000000};
  int slot = -1;
  std::string first;
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_tickMs = [&tick] { return tick.load(); };
    d.m_localTime = [] { return Wednesday(12, 0); };
    d.m_settings.recordMinutes = 1;
    shell::DeviceRecord& gone = Device(d, 0, "169.254.9.8", "Gone");
    shell::DeviceRecord& gate = Device(d, 1, "169.254.9.9", "Gate");
    const int freed = d.m_channels.Assign(&gone, 0);
    slot = d.m_channels.Assign(&gate, 0);
    d.m_channels[freed].Clear();
    ASSERT_EQ(1, d.m_channels.CountUsed());
    ASSERT_GT(slot, freed);
    d.m_channels[slot].mainStreamRunning = 1;
    d.SetChannelState(1, slot, TRUE);
    ASSERT_TRUE(d.FileState(slot).open);
    first = d.FileState(slot).path;
  });
  ::Sleep(1100);  // record file names carry the wall clock's second
  Dlg()->Run([&](TestMainDlg& d) {
    tick += 61000;
    d.RunRecordSchedule();
    EXPECT_TRUE(d.FileState(slot).open);
    EXPECT_NE(first, d.FileState(slot).path) << "the slot past the freed one was not cut";
    d.m_channels[slot].manualRecord = 0;
    d.RunRecordSchedule();
    EXPECT_FALSE(d.FileState(slot).open);
  });
}

TEST_F(MainDialog, PollingCyclesWindowsWhileTheStreamsRun) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  int slots[4] = {-1, -1, -1, -1};
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_streamControl = std::make_unique<FakeStreamControl>();
    shell::DeviceRecord& dev = Device(d, 0, "169.254.3.4", "Hall");
    for (int i = 0; i < 4; ++i) slots[i] = d.m_channels.Assign(&dev, i);
    d.m_channels.CountUsed();
    for (int i = 0; i < 3; ++i) d.m_windows[0].Add(slots[i]);
    d.m_windows[1].Add(slots[3]);  // one channel: never polls
    ASSERT_TRUE(d.OpenWindowVideo(0));
    ASSERT_TRUE(d.OpenWindowVideo(1));
  });
  g_sdk.Take();
  std::vector<int> positions;
  std::vector<std::pair<bool, bool>> looks;   // record, talkback of window 0
  Dlg()->Run([&](TestMainDlg& d) {
    d.ClearNotices();
    d.m_channels[slots[2]].manualRecord = 1;
    d.m_channels[slots[1]].talkback = 1;
    int handle = d.m_windows[0].mainHandle;
    for (int step = 0; step < 4; ++step) {
      d.PollStep();
      positions.push_back(d.m_windows[0].position);
      looks.push_back({d.Monitor(0).ButtonIsOn(kButtonRecord) != FALSE, d.Monitor(0).IsTalkbackOn() != FALSE});
      EXPECT_EQ(0, d.m_windows[1].position.load());
    }
    d.m_channels[slots[2]].manualRecord = 0;
    d.m_channels[slots[1]].talkback = 0;
    EXPECT_NE(0, d.m_windows[0].mainHandle.load());
    EXPECT_NE(handle, d.m_windows[0].mainHandle.load()) << "new play handles for the new channel";
    EXPECT_STREQ("Hall - Channel-2", d.Monitor(0).GetTitle()) << "window 0 shows entry 1 after four steps";
  });
  EXPECT_EQ((std::vector<int>{1, 2, 0, 1}), positions);
  // The looks follow the channel shown: recording on entry 2, talkback on 1.
  EXPECT_EQ((std::vector<std::pair<bool, bool>>{{false, true}, {true, false}, {false, false}, {false, true}}), looks);
  for (const std::string& call : g_sdk.Take()) EXPECT_NE(0u, call.rfind("stop", 0)) << call;
  std::vector<StreamNotice> n = Dlg()->Notices();
  ASSERT_EQ(8u, n.size());  // main and sub notice per step
  EXPECT_EQ(1, n[0].channel);
  EXPECT_EQ(0, n[0].kind);
  EXPECT_EQ(1, n[1].kind);

  // An entry that is no channel ends the step; a paused window stays.
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_windows[0].Clear();
    d.m_windows[0].Add(slots[0]);
    d.m_windows[0].Add(50);
    d.m_windows[0].position = 0;
    d.m_windows[2].Add(slots[1]);
    d.m_windows[2].Add(slots[2]);
    ASSERT_TRUE(d.OpenWindowVideo(2));
    d.PollStep();
    EXPECT_EQ(0, d.m_windows[0].position.load());
    EXPECT_EQ(0, d.m_windows[2].position.load()) << "later windows wait for the next tick";
    d.m_windows[0].pollingPaused = 1;
    d.PollStep();
    EXPECT_EQ(1, d.m_windows[2].position.load());
  });
}

TEST_F(MainDialog, PtzButtonsSendToTheFocusedWindowsDevice) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  Dlg()->Run([&](TestMainDlg& d) {
    shell::DeviceRecord& dev = Device(d, 0, "169.254.5.6", "Dock");
    int a = d.m_channels.Assign(&dev, 2), b = d.m_channels.Assign(&dev, 3);
    d.m_channels.CountUsed();
    d.m_windows[0].Add(a);
    d.m_windows[1].Add(a);
    d.m_windows[1].Add(b);
    ASSERT_TRUE(d.OpenWindowVideo(0));
    ASSERT_TRUE(d.OpenWindowVideo(1));
    d.SelectMonitorWindow(0);
    d.TakeSent();
  });
  ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_LBUTTONDOWN, 0);   // Up pressed
  ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_LBUTTONUP, 0);     // and released
  ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_LBUTTONDOWN, 28);  // iris: stop
  ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_MOUSEMOVE, 0);     // nothing
  auto sent = Dlg()->TakeSent();
  ASSERT_EQ(3u, sent.size());
  const uint8_t up[20] = {1, 0xC3, 3, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 3, 3, 0, 0};
  EXPECT_EQ("169.254.5.6:8001", sent[0].first);
  ASSERT_EQ(20u, sent[0].second.size());
  EXPECT_EQ(0, memcmp(up, sent[0].second.data(), 20));
  EXPECT_EQ(0xFE, sent[1].second[2]);
  EXPECT_EQ(0xFE, sent[2].second[2]);

  // A polling window refuses with the prompt; releases refuse silently.
  {
    gui::MessageBoxScript boxes;
    Dlg()->Run([](TestMainDlg& d) {
      d.SelectMonitorWindow(1);
      d.TakeSent();   // the colour request
    });
    ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_LBUTTONDOWN, 6);
    ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_LBUTTONUP, 6);
    auto shown = boxes.Boxes();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Please pause polling first!", shown[0].text);
    EXPECT_EQ("PROMPT", shown[0].caption);
    EXPECT_TRUE(Dlg()->TakeSent().empty());
  }
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_POLL_PAUSE, 0);
  ::SendMessageA(hwnd, WM_MAIN_PTZ_BUTTON, WM_LBUTTONDOWN, 6);
  sent = Dlg()->TakeSent();
  ASSERT_EQ(1u, sent.size());
  EXPECT_EQ(6, sent[0].second[2]);
  EXPECT_EQ(2, sent[0].second[3]) << "the window's current channel";
}

TEST_F(MainDialog, ChannelListAppliesSlotsAndWindowsStoppingStreamsThatChangeHands) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_streamControl = std::make_unique<FakeStreamControl>();
    shell::DeviceRecord& dev = Device(d, 0, "169.254.6.1", "Lane");
    d.m_channels.Assign(&dev, 0);
    d.m_channels.Assign(&dev, 1);
    d.m_channels.CountUsed();
    d.m_channels[0].mainStreamRunning = 1;
    d.m_channels[1].mainStreamRunning = 1;
    d.m_channels[1].subStreamRunning = 1;
    d.m_windows[0].Add(0);
    d.m_windows[0].Add(1);
  });
  g_sdk.Take();
  // Cancel: nothing changes and the card feed stays as it was.
  Dlg()->Run([&](TestMainDlg& d) {
    TheCardSession().SetFeed(false);
    d.m_channelListHook = [](CMonitorChannelListDlg&) -> INT_PTR { return IDCANCEL; };
    d.ApplyMonitoringChannels();
    EXPECT_FALSE(TheCardSession().FeedOn());
    TheCardSession().SetFeed(true);
    d.ApplyMonitoringChannels();
    EXPECT_TRUE(TheCardSession().FeedOn());
    EXPECT_EQ(2, d.m_windows[0].Count());
  });
  EXPECT_TRUE(g_sdk.Take().empty());
  // OK: slot 1 now holds channel 3; slot 0 keeps its channel and stream.
  Dlg()->Run([&](TestMainDlg& d) {
    d.m_channelListHook = [&d](CMonitorChannelListDlg& dlg) -> INT_PTR {
      dlg.m_groups[1].channel = 3;
      dlg.m_groups.Group(0).clear();
      dlg.m_groups.Group(0).push_back(1);
      dlg.m_groups.Group(2).push_back(0);
      dlg.m_groupsCountIndex = 2;
      return IDOK;
    };
    d.ApplyMonitoringChannels();
    EXPECT_EQ(3, d.m_channels[1].channel.load());
    EXPECT_EQ(1u, d.m_channels[0].mainStreamRunning.load());
    EXPECT_EQ(1, d.m_windows[0].Count());
    EXPECT_EQ(1, d.m_windows[0].At(0));
    EXPECT_EQ(0, d.m_windows[2].At(0));
    EXPECT_EQ(2, d.SplitLayout());
    EXPECT_FALSE(TheCardSession().FeedOn()) << "an applied change leaves the feed off";
    d.m_channelListHook = nullptr;
  });
  std::vector<std::string> calls = g_sdk.Take();
  std::vector<std::string> stops, starts;
  for (const std::string& c : calls)
    (c.rfind("stop", 0) == 0 ? stops : starts).push_back(c);
  EXPECT_EQ((std::vector<std::string>{"stop 10 1 0", "stop 10 1 1"}), stops);
  // Listed channels stream: the one that changed hands as channel 3, the
  // kept one gets the sub stream it lacked and not its main stream again.
  EXPECT_EQ((std::vector<std::string>{"start 10 3 0", "start 10 3 1", "start 10 0 1"}), starts);
}

TEST_F(MainDialog, StartUpRestoreKeepsEveryReachableDevice) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  Dlg()->Run([&](TestMainDlg& d) {
    const uint32_t states[4] = {2, 3, 4, 0};
    for (int i = 0; i < 4; ++i) {
      Device(d, i, ("169.254.8." + std::to_string(i + 1)).c_str(), "Dev").state = states[i];
      d.m_pConfig->channels[i] = shell::LogicalChannelEntry{uint32_t(i + 1), 0, 0, 1, 0, 0, {0, 0}};
      d.m_pConfig->windows[0].slots[i] = uint32_t(i);
    }
    d.m_pConfig->windows[0].count = 4;
    d.m_loaderHook = [](CLoadConfigDlg&) {};
    d.SetStartUpMode(TRUE);
    d.ApplyMonitoringChannels();
    EXPECT_FALSE(d.StartUpMode());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(&d.m_pConfig->devices[i], d.m_channels[i].device.load()) << i;
    EXPECT_EQ(nullptr, d.m_channels[3].device.load()) << "an offline device's slot";
    EXPECT_EQ(1u, d.m_channels[1].manualRecord.load());
    ASSERT_EQ(3, d.m_windows[0].Count());
    EXPECT_EQ(2, d.m_windows[0].At(2));
  });
  // The resolver thread looks at the stop flag every 200 ms.
  EXPECT_TRUE(Dlg()->ResolverStopsWithin(2000));
}

TEST_F(MainDialog, PlanPanelStandsAboveTheDevicePanelAndOnePanelIsOpenAtATime) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  HWND ptz = nullptr, colour = nullptr, plan = nullptr, device = nullptr;
  Dlg()->Run([&](TestMainDlg& d) {
    ptz = d.PtzPanel().m_hWnd;
    colour = d.ColourPanel().m_hWnd;
    plan = d.PlanPanel().m_hWnd;
    device = d.DevicePanel().m_hWnd;
  });
  ASSERT_TRUE(ptz && colour && plan && device);
  // Each header as an operator's click on it reaches its panel.
  auto header = [](HWND panel, UINT id) {
    ::SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(panel, int(id))));
    gui::PumpFor(50);
  };
  auto rect = [&](HWND h) {
    CRect r;
    ::GetWindowRect(h, &r);
    ::ScreenToClient(hwnd, &r.TopLeft());
    ::ScreenToClient(hwnd, &r.BottomRight());
    return r;
  };
  struct State {
    bool ptz, colour, plan;
    int device;
  };
  auto state = [&] {
    State st{};
    Dlg()->Run([&](TestMainDlg& d) {
      st = {d.PtzPanel().IsExpanded() != FALSE, d.ColourPanel().IsExpanded() != FALSE,
            d.PlanPanel().IsExpanded() != FALSE, d.DeviceExpanded()};
    });
    return st;
  };
  // Collapsed: PTZ, colour, plan headers, then the device panel to the bottom.
  EXPECT_TRUE(::IsWindowVisible(plan));
  EXPECT_EQ(rect(colour).bottom, rect(plan).top);
  EXPECT_EQ(37, rect(plan).Height());
  EXPECT_EQ(rect(plan).bottom, rect(device).top);

  header(ptz, IDC_PTZ_SHOW);
  header(plan, IDC_PLAN_SHOW);
  State st = state();
  EXPECT_TRUE(st.plan);
  EXPECT_FALSE(st.ptz) << "opening the plan panel closes the PTZ panel";
  EXPECT_FALSE(st.colour);
  EXPECT_EQ(1, st.device);
  EXPECT_EQ(37, rect(ptz).Height());
  EXPECT_EQ(117, rect(plan).Height());
  EXPECT_EQ(rect(colour).bottom, rect(plan).top);
  EXPECT_EQ(rect(plan).bottom, rect(device).top);
  gui::PumpFor(200);
  EXPECT_TRUE(gui::SaveWindowBitmap(plan, gui::OutputPath("plan_panel.bmp")));
  CRect column = rect(ptz);
  column.bottom = rect(device).bottom;
  CRect screen = column;
  ::ClientToScreen(hwnd, &screen.TopLeft());
  ::ClientToScreen(hwnd, &screen.BottomRight());
  EXPECT_TRUE(gui::SaveScreenBitmap(screen, gui::OutputPath("side_column_plan_open.bmp")));

  // Its header again closes it and the device panel's state with it.
  header(plan, IDC_PLAN_SHOW);
  st = state();
  EXPECT_FALSE(st.plan);
  EXPECT_EQ(-1, st.device);
  EXPECT_EQ(37, rect(plan).Height());
  EXPECT_EQ(rect(plan).bottom, rect(device).top);
  // The colour panel opened over an open plan panel closes it.
  header(plan, IDC_PLAN_SHOW);
  header(colour, IDC_COLOR_SHOW);
  st = state();
  EXPECT_TRUE(st.colour);
  EXPECT_FALSE(st.plan);
  EXPECT_EQ(-1, st.device);
  EXPECT_EQ(170, rect(colour).Height());
  EXPECT_EQ(rect(colour).bottom, rect(plan).top);
  EXPECT_EQ(37, rect(plan).Height());
}

TEST_F(MainDialog, StatusStripCommandReservesItsRowInEveryWindow) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  // The gap between a window's bottom and its video area's, for windows 0 and 15.
  auto gaps = [&] {
    std::vector<int> out;
    Dlg()->Run([&](TestMainDlg& d) {
      for (int w : {0, 15}) {
        CRect outer, video;
        d.Monitor(w).GetWindowRect(&outer);
        ::GetWindowRect(d.Monitor(w).GetVideoHwnd(), &video);
        out.push_back(outer.bottom - video.bottom);
      }
    });
    return out;
  };
  EXPECT_EQ((std::vector<int>{0, 0}), gaps());
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_STATUS_STRIPS, 0);
  EXPECT_EQ((std::vector<int>{13, 13}), gaps());
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_STATUS_STRIPS, 0);
  EXPECT_EQ((std::vector<int>{0, 0}), gaps());
}

// A recording started by hand names its file with the channel block's name
// (the fallback only for a channel the device has no block for), and the
// status bar's record lamps follow the start and the stop.
TEST_F(MainDialog, RecordFileTakesTheChannelBlocksNameAndTheRecordLampFollows) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  struct Row {
    int channel;
    const char* ending;
  } rows[] = {{1, "\\169.254.9.8\\02\\"}, {3, "\\169.254.9.8\\04\\"}};
  const char* names[] = {"-Gate.264", "-Channel-3.264"};
  int slots[2] = {-1, -1};
  Dlg()->Run([&](TestMainDlg& d) {
    shell::DeviceRecord& dev = d.m_pConfig->devices[0];
    lstrcpyA(dev.address, "169.254.9.8");
    dev.channelCount = 2;   // no block for channel 3
    shell::NameChannels(dev, "Channel");
    lstrcpyA(shell::ChannelBlock(dev, 1), "Gate");
    for (int i = 0; i < 2; ++i) {
      slots[i] = d.m_channels.Assign(&dev, rows[i].channel);
      d.m_channels[slots[i]].mainStreamRunning = 1;
    }
    d.m_channels.CountUsed();
  });
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_STATUS_BAR, 0);
  Dlg()->Run([&](TestMainDlg& d) {
    d.StatusBar().SetMode(1);
    for (int s : slots) EXPECT_EQ(0, d.StatusBar().Lamp(s).GetLampState()) << s;
    for (int s : slots) d.SetChannelState(1, s, TRUE);
    for (int s : slots) EXPECT_EQ(1, d.StatusBar().Lamp(s).GetLampState()) << s;
  });
  gui::PumpFor(300);
  EXPECT_TRUE(gui::SaveWindowBitmap(Dlg()->StatusBar().m_hWnd, gui::OutputPath("status_bar_recording.bmp")));
  std::vector<CString> files;
  FindFiles("P:\\TQX RecordData\\", ".264", files);
  for (int i = 0; i < 2; ++i) {
    bool found = false;
    for (const CString& f : files)
      found = found || (f.Find(rows[i].ending) != -1 && f.Right(int(strlen(names[i]))) == names[i]);
    EXPECT_TRUE(found) << "no file ending in " << names[i];
  }
  Dlg()->Run([&](TestMainDlg& d) {
    d.SetChannelState(1, slots[0], FALSE);
    EXPECT_EQ(0, d.StatusBar().Lamp(slots[0]).GetLampState());
    EXPECT_EQ(1, d.StatusBar().Lamp(slots[1]).GetLampState());
    d.SetChannelState(1, slots[1], FALSE);
    EXPECT_EQ(0, d.StatusBar().Lamp(slots[1]).GetLampState());
  });
}

// The bar showing the monitor kind lights a window's lamp, and lets it be
// clicked, while the window shows video.
TEST_F(MainDialog, MonitorLampsFollowWindowsOpeningAndClosingVideo) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  ::SendMessageA(hwnd, WM_COMMAND, ID_MAIN_STATUS_BAR, 0);
  Dlg()->Run([&](TestMainDlg& d) {
    shell::DeviceRecord& dev = d.m_pConfig->devices[0];
    lstrcpyA(dev.address, "169.254.9.7");
    int slot = d.m_channels.Assign(&dev, 0);
    d.m_channels.CountUsed();
    d.m_windows[2].Add(slot);
    d.StatusBar().SetMode(0);
    CSkinButton& lamp = d.StatusBar().Lamp(2);
    EXPECT_EQ(0, lamp.GetLampState());
    EXPECT_FALSE(lamp.IsWindowEnabled());
    ASSERT_TRUE(d.OpenWindowVideo(2));
    EXPECT_EQ(1, lamp.GetLampState());
    EXPECT_TRUE(lamp.IsWindowEnabled());
    EXPECT_EQ(0, d.StatusBar().Lamp(3).GetLampState());
    d.CloseWindowVideo(2);
    EXPECT_EQ(0, lamp.GetLampState());
    EXPECT_FALSE(lamp.IsWindowEnabled());
  });
}

// The device panel's show/hide command flips its state and has the side
// column laid out again.
TEST_F(MainDialog, DevicePanelCommandTogglesItAndLaysTheColumnOutAgain) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  HWND device = nullptr;
  CRect placed;
  Dlg()->Run([&](TestMainDlg& d) {
    device = d.DevicePanel().m_hWnd;
    ::GetWindowRect(device, &placed);
  });
  ASSERT_NE(nullptr, device);
  for (int want : {-1, 1}) {
    ::MoveWindow(device, 0, 0, 30, 30, TRUE);
    ::SendMessageA(device, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_PANEL_TOGGLE, 0), 0);
    CRect now;
    ::GetWindowRect(device, &now);
    EXPECT_EQ(placed, now) << want;
    Dlg()->Run([&](TestMainDlg& d) {
      EXPECT_EQ(want, d.DevicePanel().ExpandedState());
      EXPECT_EQ(want, d.DeviceExpanded());
    });
  }
}

// 0x892: the lost device is reconnecting, its login id names it no more and
// its channel blocks are gone; other devices and unknown ids stay as they are.
TEST_F(MainDialog, LostDeviceGivesUpItsLoginIdAndChannelBlocks) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  Dlg()->Run([&](TestMainDlg& d) {
    for (int i : {2, 3}) {
      shell::DeviceRecord& dev = d.m_pConfig->devices[i];
      dev.inUse = 1;
      dev.state = 4;
      dev.loginId = uint32_t(3000 + i);
      dev.channelCount = 2;
      shell::NameChannels(dev, "Channel");
    }
  });
  ::SendMessageA(hwnd, WM_MAIN_DEVICE_LOST, 3003, 0);
  ::SendMessageA(hwnd, WM_MAIN_DEVICE_LOST, 4711, 0);
  Dlg()->Run([&](TestMainDlg& d) {
    const shell::DeviceRecord& lost = d.m_pConfig->devices[3];
    EXPECT_EQ(1u, lost.state);
    EXPECT_EQ(0u, lost.loginId);
    EXPECT_EQ(nullptr, d.FindDeviceByLoginId(3003));
    EXPECT_EQ(0u, lost.channelBlocks);
    EXPECT_EQ(nullptr, shell::ChannelBlock(lost, 0));
    EXPECT_STREQ("", shell::ChannelName(lost, 1));
    const shell::DeviceRecord& other = d.m_pConfig->devices[2];
    EXPECT_EQ(4u, other.state);
    EXPECT_EQ(&other, d.FindDeviceByLoginId(3002));
    EXPECT_STREQ("Channel-02", shell::ChannelName(other, 1));
  });
}

// A date folder that cannot go (a file in it is open) leaves the local log
// in "error.log" of the program folder.
TEST_F(MainDialog, FolderThatCannotBeDeletedSavesTheLocalLogToErrorLog) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  const char* folder = "P:\\TQX RecordData\\20000101\\10.0.0.7\\01";
  for (const char* part : {"P:\\TQX RecordData", "P:\\TQX RecordData\\20000101",
                           "P:\\TQX RecordData\\20000101\\10.0.0.7", folder})
    ::CreateDirectoryA(part, nullptr);
  const std::string busy = std::string(folder) + "\\01-1-20000101-000000-Gate.264";
  HANDLE h = ::CreateFileA(busy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  ::DeleteFileA(dir / "error.log");
  Dlg()->Run([&](TestMainDlg& d) { d.CleanUpRecordDisk(); });
  ::CloseHandle(h);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(dir / "error.log"));
  record::DeleteFolderTree("P:\\TQX RecordData\\20000101", nullptr, nullptr);
}

namespace {

// A real click: the pointer onto the middle of the window, then the left
// button pressed and released through the system's input queue.
void PointerClick(HWND target) {
  RECT r;
  ::GetWindowRect(target, &r);
  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  gui::PumpFor(100);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

uint32_t WorkPlanFlagOnDisk(const CString& programDir) {
  std::vector<unsigned char> image = ScratchDir::Read(programDir + "SysCfg.dat");
  if (image.size() != 52936u) return 0xFFFFFFFFu;
  return uint32_t(image[12]) | uint32_t(image[13]) << 8 | uint32_t(image[14]) << 16 | uint32_t(image[15]) << 24;
}

}  // namespace

// The "Record Plans" top button, clicked with the pointer, runs "Local Auto
// Work Plan"; OK writes the switched-on plan to SysCfg.dat at once.
TEST_F(MainDialog, RecordPlansButtonClickedRunsTheWorkPlanAndOkSavesIt) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  HWND button = gui::Control(hwnd, ID_MAIN_RECORD_PLANS);
  ASSERT_NE(nullptr, button);
  EXPECT_EQ("Record Plans", gui::Text(button));
  EXPECT_TRUE(::IsWindowEnabled(button));
  EXPECT_EQ(0u, WorkPlanFlagOnDisk(dir.Path()));
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  HWND plan = nullptr;
  {
    gui::PointerLock pointer(hwnd);
    ASSERT_TRUE(pointer.Held());
    gui::PumpFor(300);
    PointerClick(button);
    plan = gui::FindThreadWindow(thread, "Local Auto Work Plan", 20000);
  }
  ASSERT_NE(nullptr, plan);
  EXPECT_FALSE(::IsWindowEnabled(hwnd)) << "modal";
  gui::PumpFor(300);
  EXPECT_TRUE(gui::SaveWindowBitmap(plan, gui::OutputPath("record_plans_work_plan.bmp")));
  gui::Click(plan, IDC_WP_ENABLE);
  ::PostMessageA(plan, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(plan); }, 10000));
  // The dialog's thread writes the file once the modal loop has returned,
  // a moment after the window is gone.
  EXPECT_TRUE(gui::PumpUntil([&] { return WorkPlanFlagOnDisk(dir.Path()) == 1u; }, 10000))
      << WorkPlanFlagOnDisk(dir.Path());
  Dlg()->Run([](TestMainDlg& d) { EXPECT_EQ(1u, d.m_pConfig->workPlanEnabled); });
}

// A press in a monitor window that shows a channel asks that channel's
// device for its colours (the 18-byte get, channel in byte 16, port 8001);
// a window without a channel asks nobody.
TEST_F(MainDialog, SelectingAWindowAsksItsChannelsDeviceForTheColours) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  Dlg()->Run([&](TestMainDlg& d) {
    shell::DeviceRecord& a = d.m_pConfig->devices[0];
    shell::DeviceRecord& b = d.m_pConfig->devices[1];
    lstrcpyA(a.address, "169.254.7.1");
    lstrcpyA(b.address, "169.254.7.2");
    d.m_windows[2].Add(d.m_channels.Assign(&a, 3));
    d.m_windows[5].Add(d.m_channels.Assign(&b, 0));
    d.m_windows[2].position = 0;
    d.m_windows[5].position = 0;
    d.m_channels.CountUsed();
    d.TakeSent();
  });
  struct Row {
    UINT button;
    int window;
    const char* to;   // null: nothing sent
    uint8_t channel;
    int current;      // the current window after it
  } rows[] = {{WM_LBUTTONDOWN, 2, "169.254.7.1:8001", 3, 2},
              {WM_RBUTTONDOWN, 5, "169.254.7.2:8001", 0, 5},
              {WM_LBUTTONDOWN, 4, nullptr, 0, 4},
              {WM_LBUTTONDBLCLK, 2, nullptr, 0, 4}};   // not current: no selection
  for (const Row& r : rows) {
    SCOPED_TRACE(r.window);
    ::SendMessageA(hwnd, WM_MONITOR_MOUSE, MAKEWPARAM(r.button, r.window), 0);
    auto sent = Dlg()->TakeSent();
    EXPECT_EQ(r.current, Dlg()->GetCurrentWindow());
    if (!r.to) {
      EXPECT_TRUE(sent.empty());
      continue;
    }
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(r.to, sent[0].first);
    std::vector<uint8_t> want(18, 0);
    want[0] = 1;
    want[1] = 0xC1;
    want[2] = 2;
    want[14] = 2;
    want[16] = r.channel;
    EXPECT_EQ(want, sent[0].second);
  }
}

// The real change of user: each of the five rights switches its own
// controls of the main window (tool bar, switch-mode panel, device panel,
// PTZ panel) and no other.
TEST_F(MainDialog, ChangeOfUserSwitchesTheControlsOfEachRight) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  struct Control {
    const char* what;
    HWND hwnd;
    DWORD right;
  };
  std::vector<Control> controls;
  Dlg()->Run([&](TestMainDlg& d) {
    controls.push_back({"Settings", d.ToolBarButton(1).m_hWnd, kRightFrontEndSettings});
    controls.push_back({"Play Back", d.ToolBarButton(0).m_hWnd, kRightLocalPlayback});
    controls.push_back({"Preview Plans", d.ToolBarButton(2).m_hWnd, 0});
    controls.push_back({"Record Plans", d.ToolBarButton(3).m_hWnd, 0});
    HWND recordAll = nullptr;
    for (int i = 0; i < CSwitchModeDlg::kButtons; ++i)
      if (CSwitchModeDlg::CommandOf(i) == IDC_RECORD_ALL) recordAll = d.SwitchModePanel().Button(i).m_hWnd;
    controls.push_back({"All Open Record", recordAll, kRightLocalRecord});
    controls.push_back({"Device Manage", d.DevicePanel().SkinButton(0).m_hWnd, kRightLocalConnect});
    controls.push_back({"Connect All", ::GetDlgItem(d.DevicePanel().m_hWnd, IDC_DEVICE_CONNECT_ALL), kRightLocalConnect});
    controls.push_back({"PTZ Up", d.PtzPanel().ButtonAt(0).m_hWnd, kRightFrontEndPtz});
    controls.push_back({"PTZ last", d.PtzPanel().ButtonAt(CPtzDlgEx::kButtons - 1).m_hWnd, kRightFrontEndPtz});
    const DWORD bits[] = {kRightFrontEndSettings, kRightLocalPlayback, kRightLocalRecord, kRightLocalConnect,
                          kRightFrontEndPtz};
    for (int i = 0; i < 5; ++i) {
      char name[8];
      wsprintfA(name, "op%d", i);
      shell::LocalUserRecord op = User(name, 0, bits[i] | kRightLocalCloseSystem);
      lstrcpyA(op.password, "pw");
      d.m_pConfig->users[2 + i] = op;
    }
  });
  for (const Control& c : controls) {
    ASSERT_NE(nullptr, c.hwnd) << c.what;
    EXPECT_TRUE(::IsWindowEnabled(c.hwnd)) << c.what << " for the administrator";
  }
  const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
  auto changeUser = [&](const char* name, const char* password) {
    ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_CHANGE_USER, 0);
    HWND login = gui::FindThreadWindow(thread, "Login Dravenor", 10000);
    if (!login) return false;
    gui::SetText(login, IDC_LOGIN_USER, name);
    gui::SetText(login, IDC_LOGIN_PASSWORD, password);
    ::PostMessageA(login, WM_COMMAND, IDOK, 0);
    // The log's line is the change's last step.
    const std::string line = std::string("Change User ") + name + " Login Successfully!";
    return gui::PumpUntil([&] { return !::IsWindow(login); }, 10000) &&
           gui::PumpUntil([&] { return Has(LogRows(Dlg()), line); }, 10000);
  };
  const DWORD bits[] = {kRightFrontEndSettings, kRightLocalPlayback, kRightLocalRecord, kRightLocalConnect,
                        kRightFrontEndPtz};
  for (int i = 0; i < 5; ++i) {
    char name[8];
    wsprintfA(name, "op%d", i);
    SCOPED_TRACE(name);
    ASSERT_TRUE(changeUser(name, "pw"));
    EXPECT_EQ(2 + i, Dlg()->CurrentUserIndex());
    for (const Control& c : controls)
      EXPECT_EQ(c.right == 0 || c.right == bits[i], ::IsWindowEnabled(c.hwnd) != FALSE) << c.what;
  }
  ASSERT_TRUE(changeUser("admin", "tulip"));
  for (const Control& c : controls) EXPECT_TRUE(::IsWindowEnabled(c.hwnd)) << c.what << " for the administrator again";
}

// Talkback on at the close: the close ends it, the device panel's talkback
// slot and the channel's mark with the main dialog's flag.
TEST_F(MainDialog, CloseEndsTalkbackWithTheDevicePanelsSlot) {
  ASSERT_NE(nullptr, Start(User("admin", 0xFFFFFFFF, 0xFFFFFFFF)));
  int slot = -1;
  Dlg()->Run([&](TestMainDlg& d) {
    shell::DeviceRecord& dev = d.m_pConfig->devices[0];
    lstrcpyA(dev.address, "169.254.9.9");
    slot = d.m_channels.Assign(&dev, 1);
    d.m_channels.CountUsed();
    d.m_windows[0].Add(slot);
    d.m_windows[0].position = 0;
    d.DevicePanel().OnMonitorButton(0, kButtonTalkback);
    EXPECT_NE(FALSE, d.TalkbackActive());
    EXPECT_EQ(slot, d.DevicePanel().TalkbackSlot());
  });
  ASSERT_GE(slot, 0);
  gui::MessageBoxScript yes({IDYES});
  ::PostMessageA(hwnd, WM_COMMAND, ID_MAIN_EXIT_SYSTEM, 0);
  ASSERT_TRUE(run->Wait(15000));
  EXPECT_EQ(FALSE, talkbackAtEnd);
  EXPECT_EQ(-1, panelTalkbackSlotAtEnd);
  EXPECT_TRUE(talkbackMarksAtEnd.empty());
}
