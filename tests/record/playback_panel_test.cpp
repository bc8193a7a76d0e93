// The playback panel and the file player control bar in a real window under
// Xvfb: the layouts and the double-click round trip, a record file made from
// the fixtures playing in the panes and driven from the bar (pause, step,
// speeds, the slider's release), resuming, a start that fails, the remote
// panes per device, snapshots, and nothing left running after the panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FilePlayerDlg.h"
#include "PlaybackPanelDlg.h"
#include "app_services.h"
#include "app_state.h"
#include "gui_kit.h"
#include "playback_gui.h"
#include "helpers.h"
#include "language.h"
#include "record_file_fixture.h"

#include <tlhelp32.h>

using namespace record;

namespace {

constexpr COLORREF kPaneBack = 0x662B16;
constexpr int kPanelW = 600, kPanelH = 425, kBarH = 70;

using playgui::UseDefaultSolution;

// The top-level window; it shows the boxes posted to the main window.
class CHostWnd : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_POST_MESSAGE_BOX) return ShowPostedMessageBox(this, l);
        return CWnd::WindowProc(msg, w, l);
    }
};

// The playback window's video area and control bar in a top-level host.
struct PlaybackWindow {
    CHostWnd host;
    CPlaybackPanelDlg panel;
    CFilePlayerDlg bar;
    PlaybackWindow() {
        UseDefaultSolution();
        gui::InitControls();
        LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                         reinterpret_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
        CRect r(0, 0, kPanelW + 200, kPanelH + kBarH);
        ::AdjustWindowRectEx(&r, WS_OVERLAPPED | WS_CAPTION, FALSE, 0);
        // In the screen's bottom right corner, away from where the other
        // programs of the display put their windows.
        const int x = std::max(0, ::GetSystemMetrics(SM_CXSCREEN) - r.Width() - 4);
        const int y = std::max(0, ::GetSystemMetrics(SM_CYSCREEN) - r.Height() - 4);
        host.CreateEx(0, cls, "Record Playback", WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, x, y, r.Width(),
                      r.Height(), nullptr, nullptr);
        host.ShowWindow(SW_SHOW);
        SetMessageBoxWindow(host.m_hWnd);
        panel.Create(CPlaybackPanelDlg::IDD, &host);
        panel.MoveWindow(0, 0, kPanelW, kPanelH);
        panel.ShowWindow(SW_SHOW);
        bar.Create(CFilePlayerDlg::IDD, &host);
        bar.MoveWindow(0, kPanelH, kPanelW + 200, kBarH);
        bar.ShowWindow(SW_SHOW);
        opened = std::make_shared<std::vector<std::string>>();
        auto list = opened;
        panel.m_openPicture = [list](const std::string& p) { list->push_back(p); };
        gui::PumpFor(50);
    }
    ~PlaybackWindow() {
        bar.DestroyWindow();
        panel.DestroyWindow();
        SetMessageBoxWindow(nullptr);
        host.DestroyWindow();
        gui::PumpFor(20);
    }
    HWND Bar() { return bar.m_hWnd; }
    void Select(int pane) {
        ::SendMessageA(panel.Pane(pane).m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    }
    void DoubleClick(int pane) {
        Select(pane);
        ::SendMessageA(panel.Pane(pane).m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    }
    // Runs the bar's status timer once it is due.
    void RefreshStatus() { bar.SendMessage(WM_TIMER, CFilePlayerDlg::kStatusTimer, 0); }
    std::shared_ptr<std::vector<std::string>> opened;
};

// A click on a skinned button: its notice to the parent, as the button sends
// it when released under the pointer. (The pointer itself is left alone:
// other programs on the display follow it.)
void Press(HWND parent, int id) {
    ASSERT_NE(::GetDlgItem(parent, id), nullptr) << id;
    ASSERT_TRUE(::IsWindowEnabled(::GetDlgItem(parent, id))) << id;
    gui::Command(parent, id, BN_CLICKED);
}

PaneRect RectInPanel(CPlaybackPanelDlg& panel, int pane) {
    CRect r;
    panel.Pane(pane).GetWindowRect(&r);
    panel.ScreenToClient(&r);
    return PaneRect{r.left, r.top, r.right, r.bottom};
}

// Share of a pane's pixels that are not its background: the clip shows.
double PictureShare(HWND video) {
    int w = 0, h = 0;
    auto px = playtest::ReadWindow(video, &w, &h);
    if (px.empty()) return 0;
    const uint32_t back = (GetRValue(kPaneBack) << 16) | (GetGValue(kPaneBack) << 8) | GetBValue(kPaneBack);
    size_t other = 0;
    for (uint32_t p : px) other += p != back;
    return double(other) / double(px.size());
}

bool ShowsPicture(HWND video, DWORD ms) {
    return gui::PumpUntil([&] { return PictureShare(video) > 0.5; }, ms);
}

int ThreadCount() {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    int n = 0;
    for (BOOL ok = ::Thread32First(snap, &te); ok; ok = ::Thread32Next(snap, &te))
        n += te.th32OwnerProcessID == ::GetCurrentProcessId();
    ::CloseHandle(snap);
    return n;
}

const FixtureFile& Clip() {
    static FixtureFile f(60, "panel_clip.264");
    return f;
}

RemoteFileInfo Remote(const char* name) {
    return RemoteFileInfo{{2026, 12, 10, 8, 0, 0}, {2026, 12, 10, 8, 10, 30}, name};
}

}  // namespace

// Layouts from the buttons: the panes sit where the layout puts them and the
// others are hidden; double-clicks go to one pane and back.
TEST(PlaybackPanel, LayoutsAndTheDoubleClickRoundTrip) {
    PlaybackWindow w;
    CRect client;
    w.panel.GetClientRect(&client);
    const PaneRect area{client.left, client.top, client.right, client.bottom};
    struct Case {
        UINT button;
        int layout, shown;
    } cases[] = {{IDC_PANEL_ONE_WINDOW, kLayoutSingle, 1},
                 {IDC_PANEL_FOUR_WINDOWS, kLayoutFour, 4},
                 {IDC_PANEL_SIX_WINDOWS, kLayoutSix, 6},
                 {IDC_PANEL_NINE_WINDOWS, kLayoutNine, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.layout);
        Press(w.panel.m_hWnd, c.button);
        EXPECT_EQ(w.panel.Layout(), c.layout);
        const PaneLayout expect = ComputePaneLayout(c.layout, w.panel.CurrentPane(), area);
        int shown = 0;
        for (int k = 0; k < kPlaybackPanes; ++k) {
            const bool visible = ::IsWindowVisible(w.panel.Pane(k).m_hWnd) != FALSE;
            EXPECT_EQ(visible, expect.shown[k]) << "pane " << k;
            shown += visible;
            if (!visible) continue;
            PaneRect r = RectInPanel(w.panel, k);
            EXPECT_EQ(std::memcmp(&r, &expect.rect[k], sizeof r), 0) << "pane " << k;
        }
        EXPECT_EQ(shown, c.shown);
    }

    Press(w.panel.m_hWnd, IDC_PANEL_FOUR_WINDOWS);
    w.DoubleClick(2);
    EXPECT_EQ(w.panel.Layout(), kLayoutSingle);
    EXPECT_EQ(w.panel.CurrentPane(), 2);
    EXPECT_TRUE(::IsWindowVisible(w.panel.Pane(2).m_hWnd));
    EXPECT_FALSE(::IsWindowVisible(w.panel.Pane(0).m_hWnd));
    PaneRect single = RectInPanel(w.panel, 2);
    EXPECT_EQ(single.right - single.left, client.Width() - 2);
    w.DoubleClick(2);
    EXPECT_EQ(w.panel.Layout(), kLayoutFour);
    EXPECT_EQ(w.panel.CurrentPane(), 0);

    // The one-window button twice, then a double click: back to nine, not
    // stuck in the single view.
    Press(w.panel.m_hWnd, IDC_PANEL_NINE_WINDOWS);
    Press(w.panel.m_hWnd, IDC_PANEL_ONE_WINDOW);
    Press(w.panel.m_hWnd, IDC_PANEL_ONE_WINDOW);
    EXPECT_EQ(w.panel.SavedLayout(), kLayoutNine);
    w.DoubleClick(0);
    EXPECT_EQ(w.panel.Layout(), kLayoutNine);

    // Esc is full screen and back; the panel returns to its place.
    CRect before;
    w.panel.GetWindowRect(&before);
    w.panel.SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(w.panel.IsFullScreen());
    EXPECT_EQ(::GetParent(w.panel.m_hWnd), nullptr);
    CRect full;
    w.panel.GetWindowRect(&full);
    EXPECT_EQ(full.Width(), ::GetSystemMetrics(SM_CXSCREEN));
    w.panel.SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(w.panel.IsFullScreen());
    EXPECT_EQ(::GetParent(w.panel.m_hWnd), w.host.m_hWnd);
    CRect after;
    w.panel.GetWindowRect(&after);
    EXPECT_TRUE(after == before) << after.left << "," << after.top << " " << after.Width() << "x" << after.Height()
                                 << " was " << before.left << "," << before.top << " " << before.Width() << "x"
                                 << before.Height();
    EXPECT_TRUE(::IsWindowVisible(w.host.m_hWnd));
}

// A record file plays in a pane and the bar drives it.
TEST(PlaybackPanel, PlaysAFileDrivenFromTheBar) {
    PlaybackWindow w;
    gui::MessageBoxScript boxes;
    CRecordFilePlayer& engine = w.panel.Player(0);
    w.panel.PlayFile(Clip().path.c_str());
    CPlaybackPaneWnd& pane = w.panel.Pane(0);
    EXPECT_TRUE(pane.m_busy);
    EXPECT_EQ(pane.m_channelId, uint32_t(kPaneChannelBase));
    EXPECT_EQ(std::string(pane.m_fileName), Clip().path);
    EXPECT_TRUE(engine.IsOpen());
    EXPECT_FALSE(engine.IsPaused());
    EXPECT_TRUE(ShowsPicture(pane.VideoWindow(), 30000)) << PictureShare(pane.VideoWindow());

    struct Step {
        UINT button;
        bool paused;
        int level;
        const char* speed;
    } steps[] = {
        {IDC_PLAYER_PAUSE, true, 0, "Play Speed:  1 X"},
        {IDC_PLAYER_FAST, true, 1, "Play Speed:  2 X"},
        {IDC_PLAYER_FAST, true, 2, "Play Speed:  4 X"},
        {IDC_PLAYER_FAST, true, 2, "Play Speed:  4 X"},
        {IDC_PLAYER_SLOW, true, 1, "Play Speed:  2 X"},
        {IDC_PLAYER_SLOW, true, 0, "Play Speed:  1 X"},
        {IDC_PLAYER_SLOW, true, -1, "Play Speed:  1/2 X"},
        {IDC_PLAYER_SLOW, true, -2, "Play Speed:  1/4 X"},
        {IDC_PLAYER_PLAY, false, -2, "Play Speed:  1/4 X"},
        {IDC_PLAYER_NEXT, true, -2, "Play Speed:  1/4 X"},
    };
    CPlaybackSearchPage* noPage = nullptr;
    struct FakePage : CPlaybackSearchPage {
        HWND wnd;
        int plays = 0;
        HWND PageWindow() const override { return wnd; }
        void PlaySelected() override { ++plays; }
        void AddFiles() override {}
        void SaveSelected() override {}
    } page;
    page.wnd = w.host.m_hWnd;
    g_pPlaybackSearchPage = &page;   // Play acts only while the search page is there
    for (const Step& s : steps) {
        SCOPED_TRACE(s.speed);
        Press(w.Bar(), s.button);
        w.RefreshStatus();
        EXPECT_EQ(engine.IsPaused(), s.paused);
        int level = 9;
        engine.GetSpeed(&level);
        EXPECT_EQ(level, s.level);
        EXPECT_EQ(w.bar.SpeedText(), s.speed);
        EXPECT_EQ(w.bar.TimeText().rfind("Play Time: 00:00:0", 0), 0u) << w.bar.TimeText();
    }
    EXPECT_EQ(page.plays, 0) << "the busy pane plays; no row is asked for";

    // The slider's release seeks and plays, also from a paused pane.
    Press(w.Bar(), IDC_PLAYER_PAUSE);
    CBitmapSlider& slider = w.bar.Slider();
    CRect track;
    slider.GetClientRect(&track);
    EXPECT_EQ(track.Height(), CFilePlayerDlg::kSliderHeight);
    EXPECT_EQ(track.Width(), kPanelW + 200) << "across the whole bar";
    slider.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(track.Width() / 2, 7));
    slider.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(track.Width() / 2, 7));
    EXPECT_NEAR(slider.GetPos(), 500, 10);
    uint32_t pos = 0;
    EXPECT_TRUE(gui::PumpUntil([&] { return engine.GetPosition(&pos) == 0 && pos >= 450; }, 3000)) << pos;
    EXPECT_FALSE(engine.IsPaused());
    EXPECT_EQ(pane.m_playState, uint32_t(kPanePlaying));

    // Stop: the labels alone; the same path again resumes the same file.
    Press(w.Bar(), IDC_PLAYER_STOP);
    w.RefreshStatus();
    EXPECT_EQ(w.bar.TimeText(), "Play Time:");
    EXPECT_EQ(w.bar.SpeedText(), "Play Speed:");
    EXPECT_TRUE(engine.IsPaused());
    const int handle = engine.PlayHandle();
    w.panel.PlayFile(Clip().path.c_str());
    EXPECT_FALSE(engine.IsPaused());
    EXPECT_EQ(engine.PlayHandle(), handle) << "resumed, not opened again";
    EXPECT_EQ(pane.m_playState, uint32_t(kPanePlaying));

    // Sound off and on reaches the engine.
    Press(w.Bar(), IDC_PLAYER_SOUND);
    EXPECT_FALSE(engine.Sound());
    Press(w.Bar(), IDC_PLAYER_SOUND);
    EXPECT_TRUE(engine.Sound());

    // Play on an idle pane asks the search page for its selected row; Pause
    // there does nothing.
    w.Select(1);
    Press(w.Bar(), IDC_PLAYER_PAUSE);
    Press(w.Bar(), IDC_PLAYER_PLAY);
    EXPECT_EQ(page.plays, 1);
    g_pPlaybackSearchPage = noPage;
    Press(w.Bar(), IDC_PLAYER_PLAY);
    EXPECT_EQ(page.plays, 1) << "no search page: nothing";
    w.panel.PlayFile("");
    EXPECT_FALSE(w.panel.Pane(1).m_busy);
    gui::PumpFor(50);
    EXPECT_EQ(boxes.Count(), 0u) << "nothing chosen: no failure box";
}

// A start that fails leaves the pane idle, with a box posted after the call.
TEST(PlaybackPanel, AFailedStartLeavesThePaneIdle) {
    PlaybackWindow w;
    gui::MessageBoxScript boxes;
    std::vector<uint8_t> bytes = FileHeader();
    bytes.resize(16383, 0);
    const std::string shortFile = WriteTemp("panel_short.264", bytes);
    w.panel.PlayFile(Clip().path.c_str());
    ASSERT_TRUE(w.panel.Pane(0).m_busy);
    w.panel.PlayFile(shortFile.c_str());
    EXPECT_EQ(boxes.Count(), 0u) << "posted, not shown inside the call";
    ASSERT_TRUE(gui::PumpUntil([&] { return boxes.Count() == 1; }, 2000));
    auto box = boxes.Boxes()[0];
    EXPECT_EQ(box.caption, "Play File Failed !");
    EXPECT_EQ(box.text, "File Name: " + shortFile + "\nError Info: Error Code -512");
    EXPECT_TRUE(box.type & MB_ICONEXCLAMATION);
    CPlaybackPaneWnd& pane = w.panel.Pane(0);
    EXPECT_FALSE(pane.m_busy);
    EXPECT_TRUE(pane.m_fileName.IsEmpty());
    EXPECT_FALSE(w.panel.Player(0).IsOpen());
    uint32_t status[5] = {9, 9, 9, 9, 9};
    w.panel.GetStatus(status);
    EXPECT_EQ(status[1], uint32_t(kPaneStopped));
    EXPECT_EQ(status[3], 0u);
    DWORD t0 = ::GetTickCount();
    EXPECT_EQ(w.panel.CloseAll(), 0);
    EXPECT_LT(::GetTickCount() - t0, 1000u);
    // The pane is free for the next file.
    w.panel.PlayFile(Clip().path.c_str());
    EXPECT_TRUE(pane.m_busy);
}

// Remote panes: four per device, the fifth refused even with free panes;
// the same name resumes; commands reach the session.
TEST(PlaybackPanel, RemotePanesPerDevice) {
    PlaybackWindow w;
    gui::MessageBoxScript boxes;
    Press(w.panel.m_hWnd, IDC_PANEL_NINE_WINDOWS);
    for (int k = 0; k < 4; ++k) {
        w.Select(k);
        w.panel.PlayRemote(7, Remote(("rec" + std::to_string(k)).c_str()));
        EXPECT_TRUE(w.panel.Pane(k).m_busy);
    }
    EXPECT_EQ(w.panel.CountRemote(7, CPlaybackPaneWnd::kRemote), 4);
    CPlaybackPaneWnd& first = w.panel.Pane(0);
    EXPECT_EQ(first.m_totalSeconds, 630u);
    EXPECT_EQ(first.m_session->ChannelId(), uint32_t(kPaneChannelBase));
    EXPECT_EQ(first.m_session->LoginId(), 7u);
    EXPECT_EQ(first.m_session->Mode(), 1u);
    EXPECT_EQ(first.m_session->NotifyWindow(), static_cast<void*>(w.panel.m_hWnd));
    EXPECT_EQ(first.m_session->FileName(), "rec0");

    w.Select(4);
    w.panel.PlayRemote(7, Remote("rec4"));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Playback Remote channels are all in use!");
    EXPECT_EQ(boxes.Boxes()[0].caption, "ERROR");
    EXPECT_FALSE(w.panel.Pane(4).m_busy);
    // A local file in pane 4 cannot become a fifth remote one either.
    w.panel.PlayFile(Clip().path.c_str());
    w.panel.PlayRemote(7, Remote("rec4"));
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(w.panel.Pane(4).m_kind, uint32_t(CPlaybackPaneWnd::kLocal));
    w.panel.PlayRemote(8, Remote("other device"));
    EXPECT_EQ(w.panel.Pane(4).m_kind, uint32_t(CPlaybackPaneWnd::kRemote));
    EXPECT_FALSE(w.panel.Player(4).IsOpen()) << "the local file was stopped";
    w.panel.PlayRemote(7, Remote("rec5"));
    EXPECT_EQ(boxes.Count(), 3u) << "another device's pane cannot become a fifth one either";
    EXPECT_EQ(w.panel.Pane(4).m_loginId, 8u);

    // Commands on a remote pane go to its session.
    w.Select(0);
    CRemotePlaySession& s = *first.m_session;
    w.panel.Control(CPlaybackPanelDlg::kFaster);
    uint32_t status[5];
    w.panel.GetStatus(status);
    EXPECT_EQ(int32_t(status[0]), 1);
    EXPECT_EQ(status[4], 630u);
    s.SetPosition(1000);
    w.panel.Control(CPlaybackPanelDlg::kPlay);
    EXPECT_EQ(s.GetPosition(), 0u) << "play at the end rewinds";
    w.panel.PlayRemote(7, Remote("rec0"));
    EXPECT_TRUE(s.IsActive()) << "the same name resumes";
    w.panel.Control(CPlaybackPanelDlg::kStop);
    EXPECT_FALSE(first.m_busy);
    EXPECT_FALSE(s.IsActive());
    EXPECT_FALSE(s.HasBuffer());
    EXPECT_EQ(w.panel.CountRemote(7, CPlaybackPaneWnd::kRemote), 3);
    w.panel.CloseAll();
    EXPECT_EQ(w.panel.CountRemote(7, CPlaybackPaneWnd::kRemote), 0);
}

// Snapshots go to the first drive with room and are opened once written;
// a paused pane writes at its next picture; without a drive, a message.
TEST(PlaybackPanel, SnapshotsFromTheBar) {
    PlaybackWindow w;
    gui::MessageBoxScript boxes;
    uint32_t freeQ = 5000;
    w.bar.m_driveSeams.freeMB = [&](const std::string& root) { return root == "Q:\\" ? freeQ : 0u; };
    // Wine lists drives mapped while it runs only after a while.
    w.bar.m_driveSeams.logicalDrives = [] { return uint32_t(::GetLogicalDrives()) | 1u << ('Q' - 'A'); };
    w.panel.PlayFile(Clip().path.c_str());
    ASSERT_TRUE(ShowsPicture(w.panel.Pane(0).VideoWindow(), 30000));
    Press(w.Bar(), IDC_PLAYER_PAUSE);
    w.panel.SetPosition(0);   // frames still to come, wherever the clip had got to
    gui::PumpFor(500);
    Press(w.Bar(), IDC_PLAYER_SHOT);
    gui::PumpFor(1000);
    EXPECT_TRUE(w.opened->empty()) << "paused: not written yet, not opened";
    Press(w.Bar(), IDC_PLAYER_NEXT);
    ASSERT_TRUE(gui::PumpUntil([&] { return !w.opened->empty(); }, 10000));
    const std::string path = (*w.opened)[0];
    EXPECT_EQ(path.rfind("Q:\\TQX RecordData\\", 0), 0u) << path;
    EXPECT_NE(path.find("\\TQX PictureData\\"), std::string::npos) << path;
    EXPECT_EQ(path.substr(path.size() - 4), ".bmp");
    uint32_t size = 0;
    EXPECT_TRUE(FileExists(path.c_str(), &size));
    EXPECT_GT(size, 54u);

    freeQ = 200;
    Press(w.Bar(), IDC_PLAYER_SHOT);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "No disk has enough free space for the picture!");
    gui::PumpFor(500);
    EXPECT_EQ(w.opened->size(), 1u);
}

// The panel's destruction ends its engines, timer tasks and timer thread;
// four panes playing, saved as a picture first.
TEST(PlaybackPanel, FourPanesPlayingAndNothingLeftAfter) {
    {
        // Once, so that what the system keeps after a first playback (sound
        // output, timer services) is part of the baseline.
        PlaybackWindow warm;
        warm.panel.PlayFile(Clip().path.c_str());
        ShowsPicture(warm.panel.Pane(0).VideoWindow(), 30000);
    }
    gui::PumpFor(500);
    const int baseline = ThreadCount();
    ASSERT_GT(baseline, 0);
    {
        PlaybackWindow w;
        for (int k = 0; k < 4; ++k) {
            w.Select(k);
            w.panel.PlayFile(Clip().path.c_str());
        }
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(ShowsPicture(w.panel.Pane(k).VideoWindow(), 30000)) << "pane " << k;
        EXPECT_GT(ThreadCount(), baseline);
        w.Select(2);
        w.RefreshStatus();
        gui::SaveWindowBitmap(w.panel.m_hWnd, gui::OutputPath("playback_panel.bmp"));
        gui::SaveWindowBitmap(w.bar.m_hWnd, gui::OutputPath("file_player_bar.bmp"));
        gui::SaveWindowBitmap(w.host.m_hWnd, gui::OutputPath("playback_window.bmp"));
        w.panel.DestroyWindow();
        for (int k = 0; k < 4; ++k) EXPECT_FALSE(w.panel.Player(k).IsOpen());
    }
    EXPECT_TRUE(gui::PumpUntil([&] { return ThreadCount() <= baseline; }, 5000))
        << ThreadCount() << " threads, " << baseline << " before";
}

// The bar's buttons sit at the skin's places below the slider strip; a
// background picture that is missing is reported once and the bar still
// comes up.
TEST(FilePlayerBar, ButtonsFromTheSkinAndAMissingPicture) {
    {
        PlaybackWindow w;
        const SolutionEntry* s = GetCurrentSolution();
        ASSERT_NE(s, nullptr);
        const CString skin = s->folderPath + "player_config.ini";
        const struct {
            UINT id;
            const char* key;
        } buttons[] = {{IDC_PLAYER_PLAY, "Play"}, {IDC_PLAYER_PAUSE, "Pause"}, {IDC_PLAYER_STOP, "Stop"},
                       {IDC_PLAYER_FAST, "Fast"}, {IDC_PLAYER_SLOW, "Slow"},   {IDC_PLAYER_NEXT, "Next"},
                       {IDC_PLAYER_SHOT, "Shot"}, {IDC_PLAYER_OPEN, "Open"},   {IDC_PLAYER_SAVE, "Save"},
                       {IDC_PLAYER_SOUND, "Sound"}};
        for (const auto& b : buttons) {
            SCOPED_TRACE(b.key);
            CRect want = ParseRect(ReadIniString("MainButtons", CString(b.key) + "_Position", "", skin));
            ASSERT_FALSE(want.IsRectEmpty());
            want.OffsetRect(0, CFilePlayerDlg::kSliderHeight);
            HWND h = ::GetDlgItem(w.Bar(), b.id);
            ASSERT_NE(h, nullptr);
            CRect got;
            ::GetWindowRect(h, &got);
            w.bar.ScreenToClient(&got);
            EXPECT_TRUE(got == want) << got.left << "," << got.top << " " << got.Width() << "x" << got.Height();
            EXPECT_TRUE(::IsWindowVisible(h) && ::IsWindowEnabled(h));
        }
    }

    // A solution whose bar pictures are missing from the second one on.
    const SolutionEntry* saved = GetCurrentSolution();
    const std::string dir = playtest::TempFile("bar_skin\\");
    ::CreateDirectoryA(dir.c_str(), nullptr);
    ::CopyFileA(saved->folderPath + "player_up.bmp", (dir + "player_up.bmp").c_str(), FALSE);
    const std::string ini = dir + "Config.ini";
    ::WritePrivateProfileStringA("PlayerSettings", "BackImage_Up", "player_up.bmp", ini.c_str());
    ::WritePrivateProfileStringA("PlayerSettings", "BackImage_Over", "missing_over.bmp", ini.c_str());
    ::WritePrivateProfileStringA("PlayerSettings", "BackImage_Down", "missing_down.bmp", ini.c_str());
    SolutionEntry broken{ini.c_str(), "English", dir.c_str(), nullptr};
    SetCurrentSolution(&broken);
    {
        gui::MessageBoxScript boxes;
        PlaybackWindow w;
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "Load background image: " + dir + "missing_over.bmp failed!");
        EXPECT_EQ(boxes.Boxes()[0].caption, "FATAL ERROR");
        EXPECT_TRUE(::IsWindowVisible(w.Bar()));
        EXPECT_NE(::GetDlgItem(w.Bar(), IDC_PLAYER_SOUND), nullptr);
    }
    SetCurrentSolution(saved);
}
