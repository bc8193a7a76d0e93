#include "PlaybackPanelDlg.h"

#include <shellapi.h>

#include <algorithm>

#include "app_services.h"
#include "language.h"
#include "media_timer.h"

using namespace record;

CPlaybackPanelDlg* g_pPlaybackPanel = nullptr;

namespace {

constexpr COLORREF kPaneBackColor = 0x662B16;   // red 0x16, green 0x2B, blue 0x66
constexpr COLORREF kCurrentFrameColor = RGB(0, 255, 0);
constexpr int kButtonStrip = 25;
constexpr int kNameLeft = 180;
constexpr UINT kBasePeriodMs = 2;
// Private ids of this panel (outside the ranges of the templates' controls).
constexpr UINT kSnapshotTimer = 4140;
constexpr UINT kSnapshotPollMs = 200;
constexpr size_t kMaxPendingSnapshots = 16;

struct PanelButton {
    UINT id;
    const char* tooltip;
    UINT normal, hover, pressed, disabled;
};
const PanelButton kPanelButtons[6] = {
    {IDC_PANEL_FULL_SCREEN, "Full Screen", IDB_PANEL_FULL_UP, IDB_PANEL_FULL_OVER, IDB_PANEL_FULL_DOWN,
     IDB_PANEL_FULL_DISABLE},
    {IDC_PANEL_ONE_WINDOW, "1 Window", IDB_PANEL_ONE_UP, IDB_PANEL_ONE_OVER, IDB_PANEL_ONE_DOWN,
     IDB_PANEL_ONE_DISABLE},
    {IDC_PANEL_FOUR_WINDOWS, "4 Windows", IDB_PANEL_FOUR_UP, IDB_PANEL_FOUR_OVER, IDB_PANEL_FOUR_DOWN,
     IDB_PANEL_FOUR_DISABLE},
    {IDC_PANEL_SIX_WINDOWS, "6 Windows", IDB_PANEL_SIX_UP, IDB_PANEL_SIX_OVER, IDB_PANEL_SIX_DOWN,
     IDB_PANEL_SIX_DISABLE},
    {IDC_PANEL_NINE_WINDOWS, "9 Windows", IDB_PANEL_NINE_UP, IDB_PANEL_NINE_OVER, IDB_PANEL_NINE_DOWN,
     IDB_PANEL_NINE_DISABLE},
    {IDC_PANEL_CLOSE_ALL, "Close All Playback", IDB_PANEL_CLOSE_UP, IDB_PANEL_CLOSE_OVER, IDB_PANEL_CLOSE_DOWN,
     IDB_PANEL_CLOSE_DISABLE},
};

// Local time of a file time, as a record file's times are compared.
bool ToLocalTime(const FILETIME& ft, LocalTime& out) {
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToSystemTime(&local, &st)) return false;
    out = LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return true;
}

// Seconds a record file covers, from its creation and last change; false
// when the file's times cannot be read.
bool RecordFileSeconds(const char* path, uint32_t& seconds) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    LocalTime created, modified;
    if (!ToLocalTime(data.ftCreationTime, created) || !ToLocalTime(data.ftLastWriteTime, modified)) return false;
    seconds = RecordSecondsBetween(created, modified);
    return true;
}


}  // namespace

// ------------------------------------------------------------------ panes

BEGIN_MESSAGE_MAP(CPaneWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

BOOL CPaneWnd::CreatePane(int index, COLORREF backColor, CWnd* parent, UINT id) {
    m_index = index;
    m_backColor = backColor;
    LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                     reinterpret_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    return Create(cls, "", WS_CHILD, CRect(0, 0, 0, 0), parent, id);
}

int CPaneWnd::OnCreate(LPCREATESTRUCT) {
    if (!m_picture.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, IDC_PANE_PICTURE)) return -1;
    m_picture.SetBackColor(m_backColor);
    return 0;
}

void CPaneWnd::OnSize(UINT, int cx, int cy) {
    if (m_picture.GetSafeHwnd()) m_picture.MoveWindow(0, 0, cx, cy);
}

void CPaneWnd::OnLButtonDown(UINT, CPoint) {
    if (CWnd* p = GetParent()) p->SendMessage(WM_PLAYBACK_PANE_MOUSE, WM_LBUTTONDOWN, m_index);
}

void CPaneWnd::OnLButtonDblClk(UINT, CPoint) {
    if (CWnd* p = GetParent()) p->SendMessage(WM_PLAYBACK_PANE_MOUSE, WM_LBUTTONDBLCLK, m_index);
}

// ------------------------------------------------------------------ panel

BEGIN_MESSAGE_MAP(CPlaybackPanelDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_DESTROY()
    ON_WM_TIMER()
    ON_MESSAGE(WM_PLAYBACK_PANE_MOUSE, OnPaneMouse)
END_MESSAGE_MAP()

CPlaybackPanelDlg::CPlaybackPanelDlg(CWnd* parent, const RecordPlayerSdk& sdk) : CDialog(IDD, parent) {
    for (auto& p : m_players) p.reset(new CRecordFilePlayer(sdk, &PlaybackTimer()));
    m_openPicture = [](const std::string& path) {
        ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    g_pPlaybackPanel = this;
}

CPlaybackPanelDlg::~CPlaybackPanelDlg() {
    if (m_hWnd) DestroyWindow();
    if (g_pPlaybackPanel == this) g_pPlaybackPanel = nullptr;
}

BOOL CPlaybackPanelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateDialog(this);
    for (int i = 0; i < kPlaybackPanes; ++i) {
        CPlaybackPaneWnd& pane = m_panes[i];
        pane.m_fileName.Empty();
        pane.m_panel = this;
        pane.m_busy = FALSE;
        pane.m_channelId = uint32_t(i);
        pane.m_kind = CPlaybackPaneWnd::kLocal;
        pane.m_playState = kPaneStopped;
        pane.m_session.reset(new CRemotePlaySession());
        pane.CreatePane(i, kPaneBackColor, this, IDC_PLAYBACK_PANE_FIRST + i);
    }
    m_panesMade = true;
    m_font.CreateFont(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, nullptr);
    SetLayout(m_layout);
    SelectPane(m_currentPane);
    for (int b = 0; b < 6; ++b) {
        const PanelButton& def = kPanelButtons[b];
        CBitmap* pics = m_buttonBitmaps[b];
        pics[0].LoadBitmap(def.normal);
        pics[1].LoadBitmap(def.hover);
        pics[2].LoadBitmap(def.pressed);
        pics[3].LoadBitmap(def.disabled);
        m_buttons[b].Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 24, 24), this, def.id);
        m_buttons[b].SetBitmaps(&pics[0], &pics[2], &pics[1], &pics[3], 0, kSkinStretched);
        m_buttons[b].SetTooltipText(TranslateString(def.tooltip));
    }
    PlaceButtons();
    PlaybackTimer().Start(kBasePeriodMs);
    return TRUE;
}

void CPlaybackPanelDlg::OnDestroy() {
    // Nothing of the panes may outlive the panel: engines, their timer
    // tasks and the sessions end here.
    KillTimer(kSnapshotTimer);
    m_pendingSnapshots.clear();
    for (int i = 0; i < kPlaybackPanes; ++i) {
        m_players[i]->Stop();
        CPlaybackPaneWnd& pane = m_panes[i];
        if (pane.m_session) {
            pane.m_session->Stop();
            pane.m_session->FreeBuffer();
            pane.m_session.reset();
        }
        pane.m_busy = FALSE;
        pane.m_playState = kPaneStopped;
    }
    PlaybackTimer().Stop();
    m_panesMade = false;
    CDialog::OnDestroy();
}

BOOL CPlaybackPanelDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
        case IDC_PANEL_ONE_WINDOW: SetLayout(kLayoutSingle); return TRUE;
        case IDC_PANEL_FOUR_WINDOWS: SetLayout(kLayoutFour); return TRUE;
        case IDC_PANEL_SIX_WINDOWS: SetLayout(kLayoutSix); return TRUE;
        case IDC_PANEL_NINE_WINDOWS: SetLayout(kLayoutNine); return TRUE;
        case IDC_PANEL_CLOSE_ALL: CloseAll(); return TRUE;
        case IDC_PANEL_FULL_SCREEN: ToggleFullScreen(); return TRUE;
        default: return CDialog::OnCommand(wParam, lParam);
    }
}

void CPlaybackPanelDlg::PlaceButtons() {
    if (!m_buttons[0].GetSafeHwnd()) return;
    CRect client;
    GetClientRect(&client);
    int x = client.left + 10;
    const int y = client.bottom - kButtonStrip;
    for (CSkinButton& b : m_buttons) {
        b.MoveWindow(x, y, 24, 24);
        x += 24 + 2;
    }
}

void CPlaybackPanelDlg::SetLayout(int layout) {
    if (!IsPlaybackLayout(layout) || !m_panesMade) return;
    if (!ValidPane(m_currentPane)) m_currentPane = 0;
    CRect client;
    GetClientRect(&client);
    const PaneLayout places =
        ComputePaneLayout(layout, m_currentPane, PaneRect{client.left, client.top, client.right, client.bottom});
    // The single view remembers the layout to go back to; entering it again
    // from itself keeps that layout, so the view can always be left.
    if (layout == kLayoutSingle && m_layout != kLayoutSingle) m_savedLayout = m_layout;
    for (int i = 0; i < kPlaybackPanes; ++i) {
        CPlaybackPaneWnd& pane = m_panes[i];
        if (places.shown[i]) {
            const PaneRect& r = places.rect[i];
            pane.SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                              SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        } else {
            pane.ShowWindow(SW_HIDE);
        }
    }
    m_layout = layout;
    if (layout != kLayoutSingle) SelectPane(0);
    Invalidate(TRUE);
}

void CPlaybackPanelDlg::DrawPaneFrame(CDC& dc, int pane, COLORREF color) {
    if (!ValidPane(pane) || !m_panes[pane].GetSafeHwnd()) return;
    CRect r;
    m_panes[pane].GetWindowRect(&r);
    ScreenToClient(&r);
    r.InflateRect(1, 1);
    CBrush brush;
    brush.CreateSolidBrush(color);
    dc.FrameRect(&r, &brush);
}

void CPlaybackPanelDlg::DrawNameStrip(CDC& dc) {
    CRect client;
    GetClientRect(&client);
    CRect strip(client.left + kNameLeft, client.bottom - kButtonStrip, client.right, client.bottom);
    dc.FillSolidRect(&strip, RGB(0, 0, 0));
    if (!ValidPane(m_currentPane)) return;
    CFont* old = m_font.GetSafeHandle() ? dc.SelectObject(&m_font) : nullptr;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kCurrentFrameColor);
    dc.TextOut(client.left + kNameLeft, client.bottom - 23, m_panes[m_currentPane].m_fileName);
    if (old) dc.SelectObject(old);
}

void CPlaybackPanelDlg::SelectPane(int pane) {
    if (!m_hWnd) return;
    CClientDC dc(this);
    DrawPaneFrame(dc, m_currentPane, RGB(0, 0, 0));
    m_currentPane = pane;
    DrawPaneFrame(dc, m_currentPane, kCurrentFrameColor);
    DrawNameStrip(dc);
}

void CPlaybackPanelDlg::RedrawFrameAndName() { SelectPane(m_currentPane); }

void CPlaybackPanelDlg::RepaintPane(int pane) {
    if (ValidPane(pane) && m_panes[pane].m_picture.GetSafeHwnd())
        m_panes[pane].m_picture.Invalidate(TRUE);
}

void CPlaybackPanelDlg::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, RGB(0, 0, 0));
    DrawNameStrip(dc);
    DrawPaneFrame(dc, m_currentPane, kCurrentFrameColor);
}

void CPlaybackPanelDlg::OnSize(UINT, int, int) {
    if (!m_panesMade) return;
    SetLayout(m_layout);
    PlaceButtons();
}

LRESULT CPlaybackPanelDlg::OnPaneMouse(WPARAM wParam, LPARAM lParam) {
    if (wParam == WM_LBUTTONDOWN) {
        if (ValidPane(int(lParam))) SelectPane(int(lParam));
    } else if (wParam == WM_LBUTTONDBLCLK) {
        SetLayout(m_layout == kLayoutSingle ? m_savedLayout : kLayoutSingle);
    }
    return 0;
}

BOOL CPlaybackPanelDlg::CurrentPaneBusy() { return ValidPane(m_currentPane) && m_panes[m_currentPane].m_busy; }

// ------------------------------------------------------------- playing

void CPlaybackPanelDlg::ShowBox(const char* english, const char* caption, UINT type) {
    TranslatedMessageBox(this, english, caption, type);
}

void CPlaybackPanelDlg::StopPane(int pane) {
    CPlaybackPaneWnd& p = m_panes[pane];
    if (p.m_kind == CPlaybackPaneWnd::kRemote) {
        if (p.m_session) p.m_session->Stop();
    } else {
        m_players[pane]->Stop();
    }
}

void CPlaybackPanelDlg::PlayFile(const char* path) {
    if (!path || !*path) return;   // nothing chosen: nothing to play
    if (!ValidPane(m_currentPane)) {
        ShowBox("Please select a play window!", "Tip", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const int k = m_currentPane;
    CPlaybackPaneWnd& pane = m_panes[k];
    if (pane.m_busy) {
        if (pane.m_kind == CPlaybackPaneWnd::kRemote) {
            pane.m_session->Stop();
            pane.m_fileName.Empty();
            RepaintPane(k);
        } else if (pane.m_fileName == path) {
            m_players[k]->Play();
            pane.m_playState = kPanePlaying;
            return;
        } else {
            m_players[k]->Stop();
        }
    }
    m_fileInfos[k] = PlayerFileInfo{};
    const int result = m_players[k]->Start(path, pane.VideoWindow(), &m_fileInfos[k]);
    if (result != 0) {
        CString text;
        text.Format("%s %s\n%s %s", LPCSTR(TranslateString("File Name:")), path,
                    LPCSTR(TranslateString("Error Info:")), LPCSTR(GetErrorText(result)));
        PostMessageBox(text, TranslateString("Play File Failed !"), MB_OK | MB_ICONEXCLAMATION);
        // Whatever played here before has been stopped: the pane is idle.
        if (pane.m_busy) {
            pane.m_busy = FALSE;
            pane.m_fileName.Empty();
            pane.m_playState = kPaneStopped;
            RepaintPane(k);
            RedrawFrameAndName();
        }
        return;
    }
    m_players[k]->Play();
    RepaintPane(k);
    pane.m_fileName = path;
    pane.m_busy = TRUE;
    pane.m_channelId = uint32_t(kPaneChannelBase + k);
    pane.m_kind = CPlaybackPaneWnd::kLocal;
    pane.m_playState = kPanePlaying;
    uint32_t seconds = 0;
    if (RecordFileSeconds(path, seconds)) pane.m_totalSeconds = seconds;
    RedrawFrameAndName();
}

void CPlaybackPanelDlg::PlayRemote(uint32_t loginId, const RemoteFileInfo& file) {
    if (!ValidPane(m_currentPane)) {
        ShowBox("Please select a play window!", "Tip", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const int k = m_currentPane;
    CPlaybackPaneWnd& pane = m_panes[k];
    const int remoteInUse = CountRemote(loginId, CPlaybackPaneWnd::kRemote);
    if (!pane.m_busy) {
        if (remoteInUse >= kRemotePanesPerDevice) {
            ShowBox("Playback Remote channels are all in use!", "ERROR", MB_OK | MB_ICONSTOP);
            return;
        }
    } else if (pane.m_kind == CPlaybackPaneWnd::kRemote) {
        if (pane.m_fileName == file.fileName) {
            pane.m_session->Resume();
            pane.m_playState = kPanePlaying;
            return;
        }
        // A pane of another device would become one more of this device's.
        if (pane.m_loginId != loginId && remoteInUse >= kRemotePanesPerDevice) {
            ShowBox("Playback Remote channels are all in use!", "ERROR", MB_OK | MB_ICONSTOP);
            return;
        }
        pane.m_session->Stop();
        pane.m_fileName.Empty();
    } else {
        if (remoteInUse >= kRemotePanesPerDevice) {
            ShowBox("Playback Remote channels are all in use!", "ERROR", MB_OK | MB_ICONSTOP);
            return;
        }
        m_players[k]->Stop();
    }
    CRemotePlaySession& s = *pane.m_session;
    const uint32_t mode = 1, total = RemoteRecordSeconds(file.begin, file.end);
    const uint32_t channel = uint32_t(kPaneChannelBase + k);
    s.SetParam(kParamFileName, LPCSTR(file.fileName));
    s.SetParam(kParamMode, &mode);
    s.SetParam(kParamNotifyWindow, m_hWnd);
    s.SetParam(kParamLoginId, &loginId);
    s.SetParam(kParamTotalSeconds, &total);
    s.SetParam(kParamChannelId, &channel);
    if (s.Start(pane.VideoWindow()) == 1) {
        pane.m_busy = TRUE;
        pane.m_playState = kPanePlaying;
        pane.m_kind = CPlaybackPaneWnd::kRemote;
        pane.m_channelId = channel;
        pane.m_loginId = loginId;
        pane.m_fileName = file.fileName;
        pane.m_totalSeconds = s.GetTotalTime();
    }
    RepaintPane(k);
    RedrawFrameAndName();
}

int CPlaybackPanelDlg::CloseAll() {
    for (int i = 0; i < kPlaybackPanes; ++i) {
        CPlaybackPaneWnd& pane = m_panes[i];
        if (!pane.m_busy) continue;
        StopPane(i);
        pane.m_busy = FALSE;
        pane.m_fileName.Empty();
        RepaintPane(i);
        pane.m_playState = kPaneStopped;
    }
    if (m_hWnd) RedrawFrameAndName();
    return 0;
}

int CPlaybackPanelDlg::CountRemote(uint32_t loginId, uint32_t kind) {
    int n = 0;
    for (const CPlaybackPaneWnd& p : m_panes)
        if (p.m_busy && p.m_kind == kind && p.m_loginId == loginId) ++n;
    return n;
}

void CPlaybackPanelDlg::Control(int command, const char* path) {
    if (!CurrentPaneBusy()) return;
    const int k = m_currentPane;
    CPlaybackPaneWnd& pane = m_panes[k];
    CRecordFilePlayer& engine = *m_players[k];
    const bool remote = pane.m_kind == CPlaybackPaneWnd::kRemote;
    CRemotePlaySession& s = *pane.m_session;
    switch (command) {
        case kPlay:
            if (remote) {
                if (s.GetPosition() == 1000) s.SetPosition(0);
                s.Resume();
            } else {
                engine.Play();
            }
            pane.m_playState = kPanePlaying;
            break;
        case kPause:
            if (remote) s.Pause(1);
            else engine.Pause();
            pane.m_playState = kPanePaused;
            break;
        case kStop:
            if (remote) {
                s.Stop();
                pane.m_fileName.Empty();
                pane.m_busy = FALSE;
            } else {
                engine.StopPlay();
            }
            RedrawFrameAndName();
            pane.m_playState = kPaneStopped;
            RepaintPane(k);
            break;
        case kFaster:
            if (remote) s.ChangeSpeed(true);
            else engine.Faster();
            break;
        case kSlower:
            if (remote) s.ChangeSpeed(false);
            else engine.Slower();
            break;
        case kStep:
            if (remote) {
                s.StepFrame();
            } else {
                engine.Pause();
                engine.StepFrame();
            }
            break;
        case kSnapshot:
            if (!path || !*path) {
                ShowBox("No disk has enough free space for the picture!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
                break;
            }
            engine.Snapshot(path);
            WatchSnapshot(path);
            break;
        default:
            break;
    }
}

void CPlaybackPanelDlg::WatchSnapshot(const std::string& path) {
    // The engine's play handle writes the picture with the next decoded
    // frame; it is opened once it is there.
    if (m_pendingSnapshots.size() >= kMaxPendingSnapshots) m_pendingSnapshots.erase(m_pendingSnapshots.begin());
    m_pendingSnapshots.push_back(path);
    SetTimer(kSnapshotTimer, kSnapshotPollMs, nullptr);
}

void CPlaybackPanelDlg::OnTimer(UINT_PTR id) {
    if (id != kSnapshotTimer) return CDialog::OnTimer(id);
    std::vector<std::string> ready;
    auto written = [](const std::string& p) {
        const DWORD a = ::GetFileAttributesA(p.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    };
    for (auto it = m_pendingSnapshots.begin(); it != m_pendingSnapshots.end();) {
        if (written(*it)) {
            ready.push_back(*it);
            it = m_pendingSnapshots.erase(it);
        } else {
            ++it;
        }
    }
    if (m_pendingSnapshots.empty()) KillTimer(kSnapshotTimer);
    for (const std::string& p : ready)
        if (m_openPicture) m_openPicture(p);
}

void CPlaybackPanelDlg::GetStatus(uint32_t status[5]) {
    for (int i = 0; i < 5; ++i) status[i] = 0;
    if (!ValidPane(m_currentPane)) return;
    const int k = m_currentPane;
    CPlaybackPaneWnd& pane = m_panes[k];
    status[1] = pane.m_playState;
    if (!pane.m_busy) return;
    if (pane.m_kind == CPlaybackPaneWnd::kRemote) {
        CRemotePlaySession& s = *pane.m_session;
        status[0] = uint32_t(s.GetSpeedLevel());
        status[2] = s.GetPlayTime();
        status[3] = s.GetPosition();
    } else {
        CRecordFilePlayer& e = *m_players[k];
        int level = 0;
        e.GetSpeed(&level);
        status[0] = uint32_t(level);
        e.GetPlayTime(&status[2]);
        e.GetPosition(&status[3]);
    }
    status[3] = std::min<uint32_t>(status[3], 1000);
    status[4] = pane.m_totalSeconds;
}

void CPlaybackPanelDlg::SetPosition(int perMille) {
    if (!CurrentPaneBusy()) return;
    CPlaybackPaneWnd& pane = m_panes[m_currentPane];
    if (pane.m_kind == CPlaybackPaneWnd::kRemote) pane.m_session->SetPosition(uint32_t(perMille));
    else m_players[m_currentPane]->SetPosition(perMille);
}

void CPlaybackPanelDlg::SetSound(BOOL on) {
    if (CurrentPaneBusy() && m_panes[m_currentPane].m_kind == CPlaybackPaneWnd::kLocal)
        m_players[m_currentPane]->SetSound(on != FALSE);
}

// ------------------------------------------------------------ full screen

void CPlaybackPanelDlg::ToggleFullScreen() {
    m_fullScreen = !m_fullScreen;
    const int W = ::GetSystemMetrics(SM_CXSCREEN), H = ::GetSystemMetrics(SM_CYSCREEN);
    auto eachChild = [this](int show) {
        for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ::ShowWindow(c, show);
    };
    if (m_fullScreen) {
        m_wasMaximized = IsZoomed();
        m_oldParent = ::GetParent(m_hWnd);
        // The place to go back to, in the parent's client coordinates, read
        // while the panel still is the parent's child.
        GetWindowRect(&m_normalRect);
        if (m_oldParent) ::MapWindowPoints(nullptr, m_oldParent, reinterpret_cast<POINT*>(&m_normalRect), 2);
        ::SetParent(m_hWnd, nullptr);
        // A window without a parent is a pop-up, not a child of the desktop.
        ModifyStyle(WS_CHILD, WS_POPUP);
        if (m_oldParent) ::ShowWindow(m_oldParent, SW_HIDE);
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, W, H, SWP_SHOWWINDOW);
        eachChild(SW_HIDE);
        for (CSkinButton& b : m_buttons) b.ShowWindow(SW_SHOW);
    } else {
        ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, W, H, 0);
        if (m_oldParent) {
            ::ShowWindow(m_oldParent, SW_SHOW);
            ModifyStyle(WS_POPUP, WS_CHILD);
            ::SetParent(m_hWnd, m_oldParent);
        }
        SetWindowPos(nullptr, m_normalRect.left, m_normalRect.top, m_normalRect.Width(), m_normalRect.Height(),
                     SWP_NOZORDER | SWP_NOREDRAW);
        if (m_wasMaximized) {
            ShowWindow(SW_SHOWNORMAL);
            ShowWindow(SW_SHOWMAXIMIZED);
        } else {
            ShowWindow(SW_SHOWMAXIMIZED);
            ShowWindow(SW_SHOWNORMAL);
        }
        eachChild(SW_SHOW);
    }
    SetLayout(m_savedLayout);
}
