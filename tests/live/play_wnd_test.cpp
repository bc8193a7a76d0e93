// The monitor window alone: its caption, layout, looks, and the notices a
// press, a drag and a title-button click send.
#include <gtest/gtest.h>

#include <vector>

#include "gui_kit.h"
#include "language.h"
#include "main_dlg_face.h"
#include "play_wnd.h"
#include "shell_fixture.h"

namespace {

struct Msg {
  UINT msg;
  WPARAM w;
  LPARAM l;
};

// A top-level window that records the messages of interest sent or posted
// to it.
class Recorder : public CWnd {
public:
  BOOL Make(const CRect& r) {
    return CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, r, nullptr, 0);
  }
  std::vector<Msg> got;

protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg == WM_MONITOR_MOUSE || msg == WM_MONITOR_PRESS || msg == WM_MONITOR_DRAGOVER || msg == WM_MONITOR_DROP ||
        msg == WM_MONITOR_BUTTON)
      got.push_back({msg, w, l});
    return CWnd::WindowProc(msg, w, l);
  }
};

class PlayWndTest : public ::testing::Test {
protected:
  void SetUp() override {
    gui::InitControls();
    ASSERT_TRUE(host.Make(CRect(0, 0, 700, 340)));
    ASSERT_TRUE(panel.Make(CRect(710, 0, 760, 50)));
    for (int i = 0; i < 2; ++i) {
      wnd[i].SetNotifyTarget(&host);
      wnd[i].SetPanel(&panel);
      wnd[i].SetBackColor(RGB(20, 30, 40));
      ASSERT_TRUE(wnd[i].Create(i == 0 ? 2 : 5, WS_VISIBLE, CRect(i * 350, 0, i * 350 + 340, 300), &host, 100 + i));
    }
    gui::PumpFor(100);
  }
  void TearDown() override {
    for (CPlayWnd& w : wnd) w.DestroyWindow();
    panel.DestroyWindow();
    host.DestroyWindow();
  }
  Recorder host, panel;
  CPlayWnd wnd[2];
};

TEST_F(PlayWndTest, CaptionLayoutAndLooks) {
  EXPECT_EQ("No video", std::string(wnd[0].GetTitle()));
  // The video area: 16 pixels below the top to the bottom, 13 less with the
  // status strip.
  CRect v;
  ::GetWindowRect(wnd[0].GetVideoHwnd(), &v);
  wnd[0].ScreenToClient(&v);
  EXPECT_EQ(CRect(0, 16, 340, 300), v);
  wnd[0].ShowStatusStrip(TRUE);
  ::GetWindowRect(wnd[0].GetVideoHwnd(), &v);
  wnd[0].ScreenToClient(&v);
  EXPECT_EQ(CRect(0, 16, 340, 287), v);
  wnd[0].SetStatusText("[server]");
  EXPECT_EQ("[server]", std::string(wnd[0].GetStatusText()));
  wnd[0].SetStatusText(nullptr);
  EXPECT_EQ("", std::string(wnd[0].GetStatusText()));
  // Title buttons right to left from the right margin; Pause Turn 2 wider
  // and 2 further left; no button has code 1.
  CPlayWnd::TitleMetrics m;
  CRect client(0, 0, 340, 300);
  struct Row { int code; CRect r; } rows[] = {
      {kButtonClose, CRect(325, 2, 337, 14)}, {kButtonAudio, CRect(310, 2, 322, 14)},
      {kButtonSnap, CRect(295, 2, 307, 14)},  {kButtonRecord, CRect(280, 2, 292, 14)},
      {kButtonTalkback, CRect(265, 2, 277, 14)}, {kButtonPause, CRect(246, 2, 260, 14)}};
  for (const Row& r : rows) {
    EXPECT_EQ(r.r, CPlayWnd::ButtonRect(r.code, client, m)) << r.code;
    CRect b;
    ASSERT_NE(nullptr, wnd[0].Button(r.code)) << r.code;
    ::GetWindowRect(wnd[0].Button(r.code)->m_hWnd, &b);
    wnd[0].ScreenToClient(&b);
    EXPECT_EQ(r.r, b) << r.code;
  }
  EXPECT_EQ(nullptr, wnd[0].Button(kButtonNone));
  EXPECT_EQ(nullptr, wnd[0].GetDlgItem(5026));
  // Looks: record, audio, talkback and pause on and off.
  wnd[0].SetRecordButton(TRUE);
  wnd[0].SetTalkbackButton(TRUE);
  wnd[0].SetPauseButton(TRUE);
  EXPECT_TRUE(wnd[0].ButtonIsOn(kButtonRecord));
  EXPECT_TRUE(wnd[0].IsTalkbackOn());
  EXPECT_TRUE(wnd[0].ButtonIsOn(kButtonPause));
  wnd[0].SetPauseButton(FALSE);
  EXPECT_FALSE(wnd[0].ButtonIsOn(kButtonPause));
  // A bit rate without a main dialog shows an empty channel name, and the
  // title keeps the caption.
  wnd[0].SetTitle("Front");
  wnd[0].SetBitRate(512);
  wnd[0].Invalidate();
  wnd[0].UpdateWindow();
  EXPECT_EQ("512kbps-", std::string(wnd[0].GetTitle()));
  wnd[0].SetBitRate(0);
  wnd[0].SetTitle("Video3");
  wnd[0].UpdateWindow();
  EXPECT_EQ("Video3", std::string(wnd[0].GetTitle()));
  EXPECT_TRUE(gui::SaveWindowBitmap(host.m_hWnd, gui::OutputPath("play_wnd.bmp")));
}

TEST_F(PlayWndTest, PressDragDropAndTitleButtonNotices) {
  // Press in window 2, move, release over window 5 (the capture keeps the
  // release with window 2).
  CRect five;
  wnd[1].GetWindowRect(&five);
  CPoint over(five.left + 50, five.top + 100);
  CPoint rel = over;
  wnd[0].ScreenToClient(&rel);
  wnd[0].SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 40));
  wnd[0].SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 40));
  wnd[0].SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(rel.x, rel.y));
  gui::PumpFor(100);
  ASSERT_EQ(3u, panel.got.size());
  EXPECT_EQ(UINT(WM_MONITOR_PRESS), panel.got[0].msg);
  EXPECT_EQ(2, int(panel.got[0].l));
  EXPECT_EQ(UINT(WM_MONITOR_DRAGOVER), panel.got[1].msg);
  EXPECT_EQ(2, int(panel.got[1].l));
  EXPECT_EQ(UINT(WM_MONITOR_DROP), panel.got[2].msg);
  EXPECT_EQ(over.x, short(LOWORD(panel.got[2].l)));
  EXPECT_EQ(over.y, short(HIWORD(panel.got[2].l)));
  EXPECT_FALSE(wnd[0].IsPressed());
  // 6024 to the owner: window 2, the left press, the packed screen point.
  ASSERT_EQ(1u, host.got.size());
  CPoint down(20, 40);
  wnd[0].ClientToScreen(&down);
  EXPECT_EQ(UINT(WM_MONITOR_MOUSE), host.got[0].msg);
  EXPECT_EQ(WPARAM(2) << 16 | WM_LBUTTONDOWN, host.got[0].w);
  EXPECT_EQ(LPARAM(2) << 24 | LPARAM(down.x) << 12 | down.y, host.got[0].l);
  // A title button's click: 3826 with the window and the button's code.
  panel.got.clear();
  struct { int code; } clicks[] = {{kButtonClose}, {kButtonRecord}, {kButtonPause}, {kButtonTalkback}};
  for (auto c : clicks) {
    wnd[1].SendMessage(WM_COMMAND, MAKEWPARAM(5025 + c.code, BN_CLICKED), LPARAM(wnd[1].Button(c.code)->m_hWnd));
    ASSERT_FALSE(panel.got.empty());
    EXPECT_EQ(UINT(WM_MONITOR_BUTTON), panel.got.back().msg);
    EXPECT_EQ(5u, panel.got.back().w);
    EXPECT_EQ(c.code, int(panel.got.back().l));
  }
}

}  // namespace
