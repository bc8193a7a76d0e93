// The splash under Xvfb with a solution's StartLogo.bmp.
#include <gtest/gtest.h>

#include "gui_kit.h"
#include "helpers.h"
#include "language.h"
#include "shell_fixture.h"
#include "start_logo_dlg.h"

namespace {

const COLORREF kLogo = RGB(0x20, 0x60, 0xA0);

void WriteLogo(const char* path, int w, int h) { ScratchDir::WriteSolidBmp(path, w, h, kLogo); }

class Splash : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    WriteEnglishSolution(dir, "[MainSettings]\r\nBackColor=0, 0, 0\r\n");
    ScratchDir::WriteText(dir / "Corvel.ini", "[General]\r\nLanguage=English\r\n");
  }
  void TearDown() override { SetCurrentSolution(nullptr); }
  void Choose() {
    CInterfaceSolutions::Instance().Build(dir.Path());
    ASSERT_TRUE(CInterfaceSolutions::Instance().Choose(dir / "Corvel.ini"));
  }
  ScratchDir dir{"splash"};
};

TEST_F(Splash, ShowsTheLogoOverTheProgressBarAndIgnoresTheCloseBox) {
  WriteLogo(dir / "Language\\English\\StartLogo.bmp", 240, 120);
  Choose();
  gui::ModalRunner<CStartLogoDlg> run;
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  CStartLogoDlg* dlg = run.Dialog();
  ASSERT_NE(nullptr, dlg);
  EXPECT_TRUE(dlg->HasLogo());
  EXPECT_EQ("Dravenor", gui::Text(h));
  EXPECT_TRUE(::GetWindowLongA(h, GWL_STYLE) & WS_SYSMENU);
  CRect client, bar;
  ::GetClientRect(h, &client);
  HWND progress = gui::Control(h, IDC_STARTLOGO_PROGRESS);
  ::GetWindowRect(progress, &bar);
  ::ScreenToClient(h, &bar.TopLeft());
  ::ScreenToClient(h, &bar.BottomRight());
  EXPECT_EQ(240, client.Width());
  EXPECT_EQ(120 + bar.Height(), client.Height());
  EXPECT_EQ(CRect(0, 120, 240, 120 + bar.Height()), bar);
  // The close box does nothing; the progress moves by itself (+2 a second).
  ::SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(::IsWindowVisible(h));
  DWORD start = ::GetTickCount();
  while (dlg->GetProgress() < 3 && ::GetTickCount() - start < 5000) ::Sleep(20);
  EXPECT_GE(dlg->GetProgress(), 3);
  ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ::Sleep(200);
  HDC dc = ::GetDC(h);
  EXPECT_EQ(kLogo, ::GetPixel(dc, 10, 10));
  ::ReleaseDC(h, dc);
  EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("shell_splash.bmp")));
  // The owner closes it: the splash thread's loop ends.
  ::PostMessageA(h, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.Wait(5000));
}

TEST_F(Splash, ProgressIsClamped) {
  WriteLogo(dir / "Language\\English\\StartLogo.bmp", 64, 32);
  Choose();
  gui::ModalRunner<CStartLogoDlg> run;
  HWND h = run.WaitForWindow(5000);
  ASSERT_NE(nullptr, h);
  CStartLogoDlg* dlg = run.Dialog();
  struct Case {
    int set, expected;
  } cases[] = {{150, 100}, {-5, 0}, {42, 42}, {100, 100}};
  for (const auto& c : cases) {
    dlg->SetProgress(c.set);
    EXPECT_EQ(c.expected, dlg->GetProgress());
    EXPECT_EQ(c.expected, int(::SendMessageA(gui::Control(h, IDC_STARTLOGO_PROGRESS), PBM_GETPOS, 0, 0)));
  }
  ::PostMessageA(h, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.Wait(5000));
}

TEST_F(Splash, WithoutALogoItStaysHidden) {
  Choose();   // the solution has no StartLogo.bmp
  gui::ModalRunner<CStartLogoDlg> run;
  DWORD start = ::GetTickCount();
  HWND h = nullptr;
  while (!h && ::GetTickCount() - start < 5000) {
    if (CStartLogoDlg* d = run.Dialog()) h = d->m_hWnd;
    ::Sleep(10);
  }
  ASSERT_NE(nullptr, h);
  ::Sleep(200);
  EXPECT_FALSE(run.Dialog()->HasLogo());
  EXPECT_FALSE(::IsWindowVisible(h));
  ::PostMessageA(h, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.Wait(5000));
}

}  // namespace

namespace {

TEST(DefaultSplash, ShowsTheSolutionsStartLogoWholeAboveTheBar) {
  gui::InitControls();
  ScratchDir dir{"splash_default"};
  ScratchDir::CopyTree(GetModuleDirectory() + "Language\\", dir / "Language\\");
  ScratchDir::WriteText(dir / "Corvel.ini", "[General]\r\nLanguage=English\r\n");
  CInterfaceSolutions::Instance().Build(dir.Path());
  ASSERT_TRUE(CInterfaceSolutions::Instance().Choose(dir / "Corvel.ini"));
  {
    gui::ModalRunner<CStartLogoDlg> run;
    HWND h = run.WaitForWindow(5000);
    ASSERT_NE(nullptr, h);
    ASSERT_TRUE(run.Dialog()->HasLogo());
    CRect client;
    ::GetClientRect(h, &client);
    // The picture's own size: 400 x 200, the bar below it.
    EXPECT_EQ(400, client.Width());
    EXPECT_GT(client.Height(), 200);
    gui::PumpFor(200);
    EXPECT_TRUE(gui::SaveWindowBitmap(h, gui::OutputPath("splash_default.bmp")));
    ::PostMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_TRUE(run.Wait(5000));
  }
  SetCurrentSolution(nullptr);
}

}  // namespace
