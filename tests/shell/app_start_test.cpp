// Selvane.exe as an operator starts it: from a fresh program folder up to
// the maximised main window, a second start, a start without an interface
// solution, and the close.
#include <gtest/gtest.h>
#include <winsock2.h>

#include <string>
#include <vector>

#include "gui_kit.h"
#include "helpers.h"
#include "shell_fixture.h"
#include "local_dialogs_resource.h"
#include "shell_resource.h"

namespace {

// Without a window manager Wine leaves a managed window's X window at its
// first size; the client's windows are left to Wine itself, so a maximised
// main window is drawn whole.
void UnmanagedUnderWine(const char* exe) {
  CString key;
  key.Format("Software\\Wine\\AppDefaults\\%s\\X11 Driver", exe);
  HKEY h;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) == ERROR_SUCCESS) {
    ::RegSetValueExA(h, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    ::RegCloseKey(h);
  }
}

struct Found {
  DWORD pid;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectProc(HWND h, LPARAM p) {
  auto* f = reinterpret_cast<Found*>(p);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(h, &pid);
  char cls[64] = {};
  ::GetClassNameA(h, cls, sizeof cls);
  if (pid == f->pid && ::IsWindowVisible(h) && strcmp(cls, "#32770") == 0) f->windows.push_back(h);
  return TRUE;
}

std::vector<HWND> DialogsOf(DWORD pid) {
  Found f{pid, {}};
  ::EnumWindows(&CollectProc, reinterpret_cast<LPARAM>(&f));
  return f.windows;
}

// The static text of a message box.
std::string BoxText(HWND box) {
  HWND text = ::GetDlgItem(box, 0xFFFF);
  return text ? gui::Text(text) : std::string();
}

bool IsMainWindow(HWND h) { return ::GetMenu(h) != nullptr; }

class Client {
public:
  Client(const CString& dir) {
    STARTUPINFOA si{sizeof si};
    CString cmd = "\"" + dir + "Selvane.exe\"";
    std::vector<char> line(cmd.GetString(), cmd.GetString() + cmd.GetLength() + 1);
    m_ok = ::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir, &si, &m_pi);
  }
  ~Client() {
    if (!m_ok) return;
    if (::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(m_pi.hProcess, 1);
      ::WaitForSingleObject(m_pi.hProcess, 10000);
    }
    ::CloseHandle(m_pi.hThread);
    ::CloseHandle(m_pi.hProcess);
  }
  bool Started() const { return m_ok != FALSE; }
  DWORD Pid() const { return m_pi.dwProcessId; }
  bool Ended(DWORD ms) const { return ::WaitForSingleObject(m_pi.hProcess, ms) == WAIT_OBJECT_0; }

  // Waits for a window of the process: a message box (answered with
  // `answer`, its text recorded) or the main window (returned).
  // Logs in as "admin" when the login dialog shows.
  HWND WaitForMain(DWORD ms, std::vector<std::string>* boxes = nullptr, int answer = IDOK, int* logins = nullptr) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
      for (HWND h : DialogsOf(Pid())) {
        if (IsMainWindow(h)) return h;
        if (HWND user = ::GetDlgItem(h, IDC_LOGIN_USER)) {
          // The login: "admin" with the default password.
          ::SetWindowTextA(user, "admin");
          ::SetWindowTextA(::GetDlgItem(h, IDC_LOGIN_PASSWORD), "tulip");
          ::PostMessageA(h, WM_COMMAND, IDOK, 0);
          if (logins) ++*logins;
          ::Sleep(300);
          continue;
        }
        std::string text = BoxText(h);
        if (!text.empty()) {
          if (boxes) boxes->push_back(text);
          ::PostMessageA(h, WM_COMMAND, answer, 0);
          ::Sleep(300);
        }
      }
      if (Ended(50)) return nullptr;
    }
    return nullptr;
  }
  // Waits for a visible dialog of the process that holds control `id`.
  HWND WaitForDialog(int id, DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
      for (HWND h : DialogsOf(Pid()))
        if (::GetDlgItem(h, id)) return h;
      if (Ended(50)) return nullptr;
    }
    return nullptr;
  }
  // Waits for a message box of the process and answers it.
  std::string AnswerBox(DWORD ms, int answer, std::string* caption = nullptr) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
      for (HWND h : DialogsOf(Pid())) {
        if (IsMainWindow(h)) continue;
        std::string text = BoxText(h);
        if (text.empty()) continue;
        if (caption) *caption = gui::Text(h);
        ::PostMessageA(h, WM_COMMAND, answer, 0);
        return text;
      }
      ::Sleep(50);
    }
    return std::string();
  }

private:
  PROCESS_INFORMATION m_pi{};
  BOOL m_ok = FALSE;
};

bool Udp8001Taken() {
  WSADATA wsa;
  ::WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(8001);
  bool taken = ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 && ::WSAGetLastError() == WSAEADDRINUSE;
  ::closesocket(s);
  ::WSACleanup();
  return taken;
}

// The program folder: a folder of the scratch directory whose full path is
// well over 128 characters.
class ProgramFolder {
public:
  explicit ProgramFolder(const ScratchDir& scratch) {
    m_path = scratch.Path() + "program_folder_with_a_long_name_" + CString('x', 60) + "\\";
    ::CreateDirectoryA(m_path, nullptr);
  }
  const CString& Path() const { return m_path; }
  CString operator/(const char* name) const { return m_path + name; }

private:
  CString m_path;
};

class AppStart : public ::testing::Test {
protected:
  void SetUp() override {
    UnmanagedUnderWine("Selvane.exe");
    ASSERT_GT(dir.Path().GetLength(), 128);
    CString bin = GetModuleDirectory();
    ::CopyFileA(bin + "Selvane.exe", dir / "Selvane.exe", FALSE);
    CFileFind ff;
    BOOL more = ff.FindFile(bin + "*.dll");
    while (more) {
      more = ff.FindNextFile();
      ::CopyFileA(ff.GetFilePath(), dir / ff.GetFileName(), FALSE);
    }
  }
  ScratchDir scratch{"app"};
  ProgramFolder dir{scratch};
};

// The language dialog's list: its rows and the row selected (-1 none).
std::vector<std::string> LanguageRows(HWND dlg, int* selected) {
  HWND list = ::GetDlgItem(dlg, IDC_LANGUAGE_LIST);
  std::vector<std::string> rows;
  int n = int(::SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n && i < 32; ++i) {
    // Across processes Wine hands a list box's text over as wide
    // characters.
    wchar_t wide[128] = {};
    char text[128] = {};
    if (::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0) < 128) {
      ::SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(wide));
      ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    }
    rows.push_back(text);
  }
  *selected = int(::SendMessageA(list, LB_GETCURSEL, 0, 0));
  return rows;
}

TEST_F(AppStart, FreshFolderToMainWindowSecondStartAndClose) {
  ScratchDir::CopyTree(GetModuleDirectory() + "Language\\", dir / "Language\\");
  Client first(dir.Path());
  ASSERT_TRUE(first.Started());
  // A fresh folder names no language yet: the language dialog comes first,
  // the single solution installed already selected; OK takes it without a
  // box.
  HWND language = first.WaitForDialog(IDC_LANGUAGE_LIST, 120000);
  ASSERT_NE(nullptr, language);
  EXPECT_EQ("Select Language", gui::Text(language));
  int selected = -2;
  EXPECT_EQ(std::vector<std::string>{"English"}, LanguageRows(language, &selected));
  EXPECT_EQ(0, selected);
  gui::PumpFor(500);
  EXPECT_TRUE(gui::SaveWindowBitmap(language, gui::OutputPath("first_start_language.bmp")));
  ::PostMessageA(language, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(language); }, 20000));
  std::vector<std::string> boxes;
  int logins = 0;
  HWND main = first.WaitForMain(120000, &boxes, IDOK, &logins);
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(1, logins);
  EXPECT_EQ(std::vector<std::string>{}, boxes);
  EXPECT_EQ("Dravenor", gui::Text(main));
  EXPECT_TRUE(gui::PumpUntil([&] { return ::IsZoomed(main) != 0; }, 10000));
  std::vector<unsigned char> image = ScratchDir::Read(dir / "SysCfg.dat");
  EXPECT_EQ(52936u, image.size());
  char text[32] = {};
  ::GetPrivateProfileStringA("General", "Language", "", text, sizeof text, dir / "Corvel.ini");
  EXPECT_STREQ("English", text);
  ::GetPrivateProfileStringA("LocalMonSet", "PollInterval", "", text, sizeof text, dir / "Corvel.ini");
  EXPECT_STREQ("5", text);
  EXPECT_TRUE(gui::PumpUntil([] { return Udp8001Taken(); }, 10000));
  gui::PumpFor(1500);
  EXPECT_TRUE(gui::SaveWindowBitmap(main, gui::OutputPath("selvane_main.bmp")));

  // A second start shows nothing of its own and restores the first window.
  ::ShowWindow(main, SW_MINIMIZE);
  EXPECT_TRUE(gui::PumpUntil([&] { return ::IsIconic(main) != 0; }, 5000));
  {
    Client second(dir.Path());
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.Ended(60000));
    EXPECT_TRUE(DialogsOf(second.Pid()).empty());
  }
  EXPECT_TRUE(gui::PumpUntil([&] { return !::IsIconic(main); }, 10000));

  // Close: No keeps it running; Yes ends the process in bounded time.
  ::PostMessageA(main, WM_COMMAND, 2030, 0);
  std::string caption;
  EXPECT_EQ("Are you sure you want to close this system?", first.AnswerBox(20000, IDNO, &caption));
  EXPECT_EQ("WARNING", caption);
  EXPECT_FALSE(first.Ended(1000));
  ::PostMessageA(main, WM_COMMAND, 2030, 0);
  EXPECT_EQ("Are you sure you want to close this system?", first.AnswerBox(20000, IDYES));
  EXPECT_TRUE(first.Ended(30000));
  EXPECT_FALSE(Udp8001Taken());
}

// The language dialog closed without a choice: the two boxes of the
// fall-back, then English.
TEST_F(AppStart, LanguageDialogClosedFallsBackToEnglishAfterTwoBoxes) {
  ScratchDir::CopyTree(GetModuleDirectory() + "Language\\", dir / "Language\\");
  Client client(dir.Path());
  ASSERT_TRUE(client.Started());
  HWND language = client.WaitForDialog(IDC_LANGUAGE_LIST, 120000);
  ASSERT_NE(nullptr, language);
  ::PostMessageA(language, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(gui::PumpUntil([&] { return !::IsWindow(language); }, 20000));
  std::vector<std::string> boxes;
  HWND main = client.WaitForMain(120000, &boxes);
  ASSERT_NE(nullptr, main);
  ASSERT_EQ(2u, boxes.size());
  EXPECT_EQ("Can not find interface config file: ", boxes[0]);
  EXPECT_EQ("Using default interface solution: English", boxes[1]);
  char text[32] = {};
  ::GetPrivateProfileStringA("General", "Language", "", text, sizeof text, dir / "Corvel.ini");
  EXPECT_STREQ("English", text);
  ::PostMessageA(main, WM_COMMAND, 2030, 0);
  EXPECT_EQ("Are you sure you want to close this system?", client.AnswerBox(20000, IDYES));
  EXPECT_TRUE(client.Ended(30000));
}

TEST_F(AppStart, NoInterfaceSolutionShowsTheFatalBoxAndNoMainWindow) {
  Client client(dir.Path());
  ASSERT_TRUE(client.Started());
  std::vector<std::string> boxes;
  EXPECT_EQ(nullptr, client.WaitForMain(120000, &boxes));
  EXPECT_TRUE(client.Ended(30000));
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ("Load resource failed! Please reinstall the Web Control!", boxes.back());
}

}  // namespace
