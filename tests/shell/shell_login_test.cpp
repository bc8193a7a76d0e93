// The login dialog under Xvfb: checks of OK, the saved login in SysCfg.dat,
// the auto-login countdown, the language choice, the check-only mode and
// the skin buttons OK and Cancel.
#include <gtest/gtest.h>

#include "config_image.h"
#include "config_store.h"
#include "gui_kit.h"
#include "helpers.h"
#include "language.h"
#include "login_dlg.h"
#include "shell_fixture.h"
#include "text_copy.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using shell::SystemConfigImage;

const COLORREF kPicture = RGB(0x30, 0x70, 0x50);
const COLORREF kBack = RGB(10, 20, 30);

class Login : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    dir.WriteSolution("English", "Log_Image=login.bmp\r\n", "BackColor=10, 20, 30\r\n");
    ScratchDir::WriteSolidBmp(dir / "Language\\English\\login.bmp", 360, 120, kPicture);
    ScratchDir::WriteText(dir / "Corvel.ini", "[General]\r\nLanguage=English\r\n");
    CInterfaceSolutions::Instance().Build(dir.Path());
    ASSERT_TRUE(CInterfaceSolutions::Instance().Choose(dir / "Corvel.ini"));
  }
  void TearDown() override { SetCurrentSolution(nullptr); }

  // A SysCfg.dat with defaults changed by `edit`.
  template <class F>
  void WriteConfig(F edit) {
    auto img = std::make_unique<SystemConfigImage>();
    shell::ResetSysConfig(*img);
    edit(*img);
    ScratchDir::Write(dir / "SysCfg.dat", img.get(), sizeof *img);
  }
  // Auto login stored for "admin" with this password.
  void WriteAutoLogin(const char* password) {
    WriteConfig([password](SystemConfigImage& i) {
      i.savePassword = i.autoLogin = 1;
      CopyText(i.savedUser, "admin");
      CopyText(i.savedPassword, password);
    });
  }
  std::unique_ptr<SystemConfigImage> ReadConfig() {
    auto bytes = ScratchDir::Read(dir / "SysCfg.dat");
    auto img = std::make_unique<SystemConfigImage>();
    EXPECT_EQ(sizeof *img, bytes.size());
    if (bytes.size() == sizeof *img) memcpy(img.get(), bytes.data(), sizeof *img);
    return img;
  }
  std::function<void(CLoginDlg&)> InDir() {
    CString path = dir.Path();
    return [path](CLoginDlg& d) { d.SetProgramDirectory(path); };
  }

  ScratchDir dir{"login"};
};

// The dialog's window once it is up and drawn; no box came up on the way.
HWND UpWithoutBoxes(gui::ModalRunner<CLoginDlg>& run, gui::MessageBoxScript& boxes) {
  HWND h = run.WaitForWindow(5000);
  EXPECT_EQ(0u, boxes.Count());
  gui::PumpFor(100);
  return h;
}

// What a button of the dialog shows at its point (x, y), drawn afresh.
COLORREF ButtonPixel(HWND dlg, int id, int x, int y) {
  HWND b = gui::Control(dlg, id);
  ::RedrawWindow(b, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  HDC dc = ::GetDC(b);
  COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(b, dc);
  return c;
}

// Pixels of colour c in a button of the dialog.
int ButtonPixels(HWND dlg, int id, COLORREF c) {
  HWND b = gui::Control(dlg, id);
  ::RedrawWindow(b, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  RECT r;
  ::GetClientRect(b, &r);
  HDC dc = ::GetDC(b);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) n += ::GetPixel(dc, x, y) == c;
  ::ReleaseDC(b, dc);
  return n;
}

TEST_F(Login, OkChecksTheInputAndSavesTheLoginAsAsked) {
  struct Case {
    const char* user;
    const char* password;
    const char* box;        // expected text, null = logs in
    const char* caption;
  } cases[] = {
      {"", "tulip", "Please input user name!", "PROMPT"},
      {"admin", "", "Please input password!", "PROMPT"},
      {"Admin", "tulip", "Invalid user name!", "ERROR"},
      {"admin", "Tulip", "Password is not correct!", "ERROR"},
      {"nobody", "tulip", "Invalid user name!", "ERROR"},
  };
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  // A fresh folder: the default file is written and nothing is filled in.
  EXPECT_EQ(sizeof(SystemConfigImage), ScratchDir::Read(dir / "SysCfg.dat").size());
  EXPECT_EQ("", gui::Text(h, IDC_LOGIN_USER));
  EXPECT_FALSE(gui::IsChecked(h, IDC_LOGIN_SAVE_PASSWORD));
  EXPECT_EQ("Login Dravenor", gui::Text(h));
  for (int id : {IDC_LOGIN_USER, IDC_LOGIN_PASSWORD})
    EXPECT_EQ(16, int(::SendMessageA(gui::Control(h, id), EM_GETLIMITTEXT, 0, 0)));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.user) + "/" + c.password);
    size_t before = boxes.Count();
    gui::SetText(h, IDC_LOGIN_USER, c.user);
    gui::SetText(h, IDC_LOGIN_PASSWORD, c.password);
    gui::Command(h, IDOK, BN_CLICKED);
    ASSERT_EQ(before + 1, boxes.Count());
    EXPECT_EQ(c.box, boxes.Boxes().back().text);
    EXPECT_EQ(c.caption, boxes.Boxes().back().caption);
    EXPECT_TRUE(::IsWindow(h) && ::IsWindowVisible(h));
  }
  // Success without "save password": the user is kept, the password not.
  gui::SetText(h, IDC_LOGIN_USER, "admin");
  gui::SetText(h, IDC_LOGIN_PASSWORD, "tulip");
  gui::Command(h, IDOK, BN_CLICKED);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDOK, run.Result());
  auto img = ReadConfig();
  EXPECT_STREQ("admin", img->savedUser);
  EXPECT_EQ(std::string(17, '\0'), std::string(img->savedPassword, 17));
  EXPECT_EQ(0, img->savePassword);
  EXPECT_EQ(0, img->autoLogin);
}

TEST_F(Login, SavePasswordAndAutoLoginAreStoredAndTheBoxesFollowEachOther) {
  WriteConfig([](SystemConfigImage& i) { CopyText(i.users[1].name, "bob"), CopyText(i.users[1].password, "pw"), i.users[1].inUse = 1; });
  int index = -1;
  gui::ModalRunner<CLoginDlg> run(InDir(), [&](CLoginDlg& d) { index = d.GetUserIndex(); });
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  // Ticking auto login ticks save password; clearing save clears auto.
  gui::Click(h, IDC_LOGIN_AUTO_LOGIN);
  EXPECT_TRUE(gui::IsChecked(h, IDC_LOGIN_SAVE_PASSWORD));
  gui::Click(h, IDC_LOGIN_SAVE_PASSWORD);
  EXPECT_FALSE(gui::IsChecked(h, IDC_LOGIN_AUTO_LOGIN));
  gui::Click(h, IDC_LOGIN_AUTO_LOGIN);
  gui::SetText(h, IDC_LOGIN_USER, "bob");
  gui::SetText(h, IDC_LOGIN_PASSWORD, "pw");
  gui::Command(h, IDOK, BN_CLICKED);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(1, index);
  auto img = ReadConfig();
  EXPECT_EQ(1, img->savePassword);
  EXPECT_EQ(1, img->autoLogin);
  EXPECT_STREQ("bob", img->savedUser);
  EXPECT_STREQ("pw", img->savedPassword);
}

TEST_F(Login, AutoLoginCountsDownToOk) {
  WriteAutoLogin("tulip");
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("admin", gui::Text(h, IDC_LOGIN_USER));
  EXPECT_EQ("tulip", gui::Text(h, IDC_LOGIN_PASSWORD));
  EXPECT_TRUE(gui::IsChecked(h, IDC_LOGIN_AUTO_LOGIN));
  std::vector<std::string> seen;
  DWORD start = ::GetTickCount();
  while (::IsWindow(h) && ::GetTickCount() - start < 9000) {
    std::string t = gui::Text(h, IDC_LOGIN_COUNTDOWN);
    if (!t.empty() && (seen.empty() || seen.back() != t)) seen.push_back(t);
    ::Sleep(50);
  }
  ASSERT_TRUE(run.Wait(3000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(0u, boxes.Count());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ("From Auto Login 4 s", seen.front());
  EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), "From Auto Login 1 s"));
}

TEST_F(Login, UntickingAutoLoginStopsTheCountdown) {
  WriteAutoLogin("tulip");
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  gui::Click(h, IDC_LOGIN_AUTO_LOGIN);
  gui::PumpFor(6500);
  EXPECT_TRUE(::IsWindowVisible(h));
  EXPECT_EQ("", gui::Text(h, IDC_LOGIN_COUNTDOWN));
  ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDCANCEL, run.Result());
}

TEST_F(Login, AFailingAutoLoginShowsOneBoxOnly) {
  WriteAutoLogin("stale");
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  DWORD start = ::GetTickCount();
  while (boxes.Count() == 0 && ::GetTickCount() - start < 9000) ::Sleep(50);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ("Password is not correct!", boxes.Boxes()[0].text);
  ::Sleep(5600);   // a further auto-login period
  EXPECT_EQ(1u, boxes.Count());
  EXPECT_TRUE(::IsWindowVisible(h));
  ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(run.Wait(5000));
}

TEST_F(Login, CheckOnlyModeChecksTheRunningUsersAndWritesNothing) {
  WriteConfig([](SystemConfigImage& i) { i.savePassword = 1; CopyText(i.savedUser, "admin"); });
  auto before = ScratchDir::Read(dir / "SysCfg.dat");
  // The running system's users: "carol" exists only there.
  auto live = std::make_unique<SystemConfigImage>();
  shell::ResetSysConfig(*live);
  CopyText(live->users[5].name, "carol");
  CopyText(live->users[5].password, "secret");
  live->users[5].inUse = 1;
  const SystemConfigImage* users = live.get();
  int index = -1;
  CString path = dir.Path();
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(
      [&](CLoginDlg& d) {
        d.SetProgramDirectory(path);
        d.SetCheckOnly(users);
      },
      [&](CLoginDlg& d) { index = d.GetUserIndex(); });
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("", gui::Text(h, IDC_LOGIN_USER));   // nothing read from the file
  gui::SetText(h, IDC_LOGIN_USER, "carol");
  gui::SetText(h, IDC_LOGIN_PASSWORD, "secret");
  gui::Click(h, IDC_LOGIN_AUTO_LOGIN);
  gui::Command(h, IDOK, BN_CLICKED);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(5, index);
  EXPECT_EQ(0u, boxes.Count());
  EXPECT_EQ(before, ScratchDir::Read(dir / "SysCfg.dat"));
}

TEST_F(Login, ShowsTheSkinAndSwitchesTheLanguage) {
  dir.WriteSolution("Deutsch", "Log_Image=login.bmp\r\n", "BackColor=1, 2, 3\r\n");
  ScratchDir::WriteSolidBmp(dir / "Language\\Deutsch\\login.bmp", 360, 120, kPicture);
  ScratchDir::WriteText(dir / "Language\\Deutsch.ini",
                        "[Info]\r\nLanguage=Deutsch\r\nImgDir=Deutsch\r\n[String]\r\nLogin Dravenor=Anmeldung\r\n");
  CInterfaceSolutions::Instance().Build(dir.Path());
  ASSERT_TRUE(CInterfaceSolutions::Instance().Choose(dir / "Corvel.ini"));
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(0u, boxes.Count());
  HWND combo = gui::Control(h, IDC_LOGIN_LANGUAGE);
  ASSERT_EQ(2, int(::SendMessageA(combo, CB_GETCOUNT, 0, 0)));
  int current = int(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
  char name[64] = {};
  ::SendMessageA(combo, CB_GETLBTEXT, WPARAM(current), LPARAM(name));
  EXPECT_STREQ("English", name);
  gui::PumpFor(300);
  ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::Sleep(200);
  HDC dc = ::GetDC(h);
  EXPECT_EQ(kPicture, ::GetPixel(dc, 10, 10));
  RECT client;
  ::GetClientRect(h, &client);
  EXPECT_EQ(kBack, ::GetPixel(dc, client.right - 3, client.bottom - 3));
  ::ReleaseDC(h, dc);
  // No button pictures in this solution: OK and Cancel show the face.
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), ButtonPixel(h, IDOK, 2, 2));
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("shell_login.bmp")));

  gui::SelectCombo(h, IDC_LOGIN_LANGUAGE, 1 - current);
  ASSERT_NE(nullptr, GetCurrentSolution());
  EXPECT_EQ("Deutsch", std::string(GetCurrentSolution()->name));
  char lang[64] = {};
  ::GetPrivateProfileStringA("General", "Language", "", lang, sizeof lang, dir / "Corvel.ini");
  EXPECT_STREQ("Deutsch", lang);
  EXPECT_EQ("Anmeldung", std::string(TranslateString("Login Dravenor")));
  ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(run.Wait(5000));
}

TEST_F(Login, OkAndCancelAreSkinButtonsDrawnWithTheSolutionsPictures) {
  const COLORREF up = RGB(20, 30, 60), over = RGB(0, 120, 200), down = RGB(0, 80, 40), off = RGB(90, 90, 90);
  dir.WriteSolution("English",
                    "Log_Image=login.bmp\r\n[LoginDlgSettings]\r\nBackImage_Up=b_up.bmp\r\n"
                    "BackImage_Over=b_over.bmp\r\nBackImage_Down=b_down.bmp\r\nBackImage_Disable=b_off.bmp\r\n",
                    "BackColor=10, 20, 30\r\n");
  struct {
    const char* name;
    COLORREF color;
  } pictures[] = {{"b_up.bmp", up}, {"b_over.bmp", over}, {"b_down.bmp", down}, {"b_off.bmp", off}};
  for (const auto& p : pictures)
    ScratchDir::WriteSolidBmp(dir / (CString("Language\\English\\") + p.name), 16, 8, p.color);
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = UpWithoutBoxes(run, boxes);
  ASSERT_NE(nullptr, h);
  for (int id : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(id);
    HWND b = gui::Control(h, id);
    EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK);
    EXPECT_EQ(up, ButtonPixel(h, id, 2, 2));
    // The caption in white on the dark picture.
    EXPECT_GT(ButtonPixels(h, id, RGB(255, 255, 255)), 0);
    ::SendMessageA(b, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(down, ButtonPixel(h, id, 2, 2));
    ::SendMessageA(b, BM_SETSTATE, FALSE, 0);
    ::EnableWindow(b, FALSE);
    EXPECT_EQ(off, ButtonPixel(h, id, 2, 2));
    ::EnableWindow(b, TRUE);
    EXPECT_EQ(up, ButtonPixel(h, id, 2, 2));
  }
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("shell_login_buttons.bmp")));
  // A real click on Cancel: a skin button follows the pointer while it is
  // pressed, so the pointer rests on it.
  gui::PointerLock pointer(h);
  ASSERT_TRUE(pointer.Held());
  RECT r;
  ::GetWindowRect(gui::Control(h, IDCANCEL), &r);
  ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  gui::Click(h, IDCANCEL);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDCANCEL, run.Result());
}

TEST_F(Login, EnterInThePasswordBoxLogsIn) {
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  gui::SetText(h, IDC_LOGIN_USER, "admin");
  gui::SetText(h, IDC_LOGIN_PASSWORD, "tulip");
  gui::PostKey(gui::Control(h, IDC_LOGIN_PASSWORD), VK_RETURN);
  ASSERT_TRUE(run.Wait(5000));
  EXPECT_EQ(IDOK, run.Result());
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(Login, TheDefaultSolutionSkinsTheButtons) {
  CInterfaceSolutions::Instance().Build(GetModuleDirectory());
  SetCurrentSolution(CInterfaceSolutions::Instance().Find("English"));
  ASSERT_NE(nullptr, GetCurrentSolution()) << "the default interface solution is missing";
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = UpWithoutBoxes(run, boxes);
  ASSERT_NE(nullptr, h);
  for (int id : {IDOK, IDCANCEL}) {
    EXPECT_NE(::GetSysColor(COLOR_BTNFACE), ButtonPixel(h, id, 3, 3)) << id;
    EXPECT_GT(ButtonPixels(h, id, RGB(255, 255, 255)), 0) << id;
  }
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("shell_login_default.bmp")));
  ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(run.Wait(5000));
}

TEST_F(Login, AMissingPictureIsReported) {
  ::DeleteFileA(dir / "Language\\English\\login.bmp");
  gui::MessageBoxScript boxes;
  gui::ModalRunner<CLoginDlg> run(InDir());
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  auto b = boxes.Boxes();
  ASSERT_EQ(2u, b.size());
  EXPECT_EQ("FATAL ERROR", b[0].caption);
  EXPECT_EQ(std::string("Load background image: ") + std::string(dir / "Language\\English\\login.bmp") + " failed!",
            b[0].text);
  EXPECT_EQ("Load Login Picture Error0", b[1].text);
  ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(run.Wait(5000));
}

}  // namespace
