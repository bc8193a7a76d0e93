#include "FilePlayerDlg.h"

#include "PlaybackPanelDlg.h"
#include "app_services.h"
#include "app_state.h"
#include "RecordDisks.h"
#include "helpers.h"
#include "language.h"

using namespace record;

CPlaybackSearchPage* g_pPlaybackSearchPage = nullptr;

namespace {

constexpr int kStatusWidth = 220;
constexpr int kFillLeft = 580;

struct BarButton {
    UINT id;
    const char* key;
    const char* tooltip;
};
// In the order they are made.
const BarButton kBarButtons[CFilePlayerDlg::kButtons] = {
    {IDC_PLAYER_PLAY, "Play", "Play"},          {IDC_PLAYER_PAUSE, "Pause", "Pause"},
    {IDC_PLAYER_STOP, "Stop", "Stop"},          {IDC_PLAYER_FAST, "Fast", "Fast Play"},
    {IDC_PLAYER_SLOW, "Slow", "Slow Play"},     {IDC_PLAYER_NEXT, "Next", "Next Frame"},
    {IDC_PLAYER_SHOT, "Shot", "Snap picture"},  {IDC_PLAYER_OPEN, "Open", "Open File"},
    {IDC_PLAYER_SAVE, "Save", "Save as"},       {IDC_PLAYER_SOUND, "Sound", "Sound"},
};

CPlaybackSearchPage* LiveSearchPage() {
    CPlaybackSearchPage* page = g_pPlaybackSearchPage;
    return page && ::IsWindow(page->PageWindow()) ? page : nullptr;
}

CPlaybackPanelDlg* LivePanel() {
    CPlaybackPanelDlg* panel = g_pPlaybackPanel;
    return panel && ::IsWindow(panel->GetSafeHwnd()) ? panel : nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(CFilePlayerDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_WM_CTLCOLOR()
    ON_MESSAGE(CBitmapSlider::kNotifyMoved, OnSliderReleased)
END_MESSAGE_MAP()

CFilePlayerDlg::CFilePlayerDlg(CWnd* parent) : CDialog(IDD, parent) {
    m_driveSeams.logicalDrives = [] { return uint32_t(::GetLogicalDrives()); };
    m_driveSeams.freeMB = [](const std::string& root) { return GetDiskFreeMB(root.c_str()); };
}

BOOL CFilePlayerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateDialog(this);
    m_slider.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, kSliderHeight), this, IDC_PLAYER_SLIDER);
    m_slider.SetChannelBitmaps(IDB_PLAYER_SLIDER_CHANNEL, IDB_PLAYER_SLIDER_CHANNEL_ACTIVE, FALSE,
                               CBitmapSlider::kPixelColour);
    m_slider.SetThumbBitmaps(IDB_PLAYER_SLIDER_THUMB, IDB_PLAYER_SLIDER_THUMB_ACTIVE, TRUE,
                             CBitmapSlider::kPixelColour);
    m_slider.EnableFocusRect(FALSE);
    PlaceSlider();
    m_slider.SetRange(0, 1000, FALSE);
    m_slider.SetPos(0);
    m_slider.SetMargin(2, 3, 2, 0);
    m_font.CreateFont(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, nullptr);
    m_hollow.Attach(::GetStockObject(HOLLOW_BRUSH));
    LoadBackImages();
    CreateButtons();
    SetTimer(kStatusTimer, 1000, nullptr);
    return TRUE;
}

bool CFilePlayerDlg::LoadBackImages() {
    const SolutionEntry* s = GetCurrentSolution();
    if (!s) return false;
    struct Image {
        const char* key;
        CBitmap* bitmap;
    } images[] = {{"BackImage_Up", &m_backUp},
                  {"BackImage_Over", &m_backOver},
                  {"BackImage_Down", &m_backDown},
                  {"BackImage_Disable", &m_backDisable},
                  {"BackImage_Fill", &m_backFill}};
    for (const Image& im : images) {
        CString path;
        path.Format("%s%s", LPCSTR(s->folderPath),
                    LPCSTR(ReadIniString("PlayerSettings", im.key, "", s->configPath)));
        if (!LoadDibFile(path, *im.bitmap, TRUE)) {
            CString text;
            text.Format("%s: %s %s!", LPCSTR(TranslateString("Load background image")), LPCSTR(path),
                        LPCSTR(TranslateString("failed")));
            ComposedMessageBox(this, text, "FATAL ERROR", MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
    }
    return true;
}

void CFilePlayerDlg::CreateButtons() {
    const SolutionEntry* s = GetCurrentSolution();
    CString skin;
    if (s) skin.Format("%splayer_config.ini", LPCSTR(s->folderPath));
    for (int i = 0; i < kButtons; ++i) {
        const BarButton& def = kBarButtons[i];
        CString key;
        key.Format("%s_Position", def.key);
        const CRect r = s ? ParseRect(ReadIniString("MainButtons", key, "", skin)) : CRect(0, 0, 0, 0);
        CBitmap cut[4];
        CBitmap* pics = def.id == IDC_PLAYER_SOUND ? m_soundPictures : cut;
        CBitmap* from[4] = {&m_backUp, &m_backOver, &m_backDown, &m_backDisable};
        for (int p = 0; p < 4; ++p) CopyBitmapPart(from[p], &pics[p], r.left, r.top, r.right, r.bottom);
        CSkinButton& b = m_buttons[i];
        b.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, r, this, def.id);
        // normal, pressed, hover, disabled
        b.SetBitmaps(&pics[0], &pics[2], &pics[1], &pics[3], 0, kSkinStretched);
        b.SetWindowPos(nullptr, r.left, r.top + kSliderHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        b.EnableWindow(TRUE);
        b.SetTooltipText(TranslateString(def.tooltip));
    }
}

void CFilePlayerDlg::PlaceSlider() {
    if (!m_slider.GetSafeHwnd()) return;
    CRect client;
    GetClientRect(&client);
    m_slider.SetWindowPos(nullptr, client.left, client.top, client.Width(), kSliderHeight,
                          SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFilePlayerDlg::OnSize(UINT, int, int) { PlaceSlider(); }

void CFilePlayerDlg::OnDestroy() {
    KillTimer(kStatusTimer);
    CDialog::OnDestroy();
}

BOOL CFilePlayerDlg::OnEraseBkgnd(CDC*) { return TRUE; }   // the paint covers everything

HBRUSH CFilePlayerDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    if (ctlColor == CTLCOLOR_STATIC) {
        dc->SetBkColor(g_skinBackColor);
        dc->SetBkMode(TRANSPARENT);
        return static_cast<HBRUSH>(m_hollow.GetSafeHandle());
    }
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CFilePlayerDlg::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, g_skinBackColor);
    auto blit = [&](CBitmap& picture, int x, int y, int w, int h, bool stretch) {
        if (!picture.GetSafeHandle()) return;
        CDC mem;
        mem.CreateCompatibleDC(&dc);
        CBitmap* old = mem.SelectObject(&picture);
        if (stretch)
            dc.StretchBlt(x, y, w, h, &mem, 0, 0, GetBitmapWidth(&picture), GetBitmapHeight(&picture), SRCCOPY);
        else
            dc.BitBlt(x, y, w, h, &mem, 0, 0, SRCCOPY);
        mem.SelectObject(old);
    };
    blit(m_backUp, 0, kSliderHeight, client.Width(), client.Height(), false);
    blit(m_backFill, kFillLeft, kSliderHeight, client.Width(), client.Height(), true);
    DrawStatus(dc);
}

void CFilePlayerDlg::DrawStatus(CDC& dc) {
    uint32_t status[5] = {};
    if (CPlaybackPanelDlg* panel = LivePanel()) panel->GetStatus(status);
    // A thumb the operator holds stays where it is held.
    if (m_slider.GetSafeHwnd() && !m_slider.IsDragging()) m_slider.SetPos(int(status[3]));
    CRect client;
    GetClientRect(&client);
    CRect area(client.right - kStatusWidth, client.top + kSliderHeight, client.right, client.bottom);
    dc.FillSolidRect(&area, g_skinBackColor);
    CFont* old = m_font.GetSafeHandle() ? dc.SelectObject(&m_font) : nullptr;
    dc.SetTextColor(RGB(0, 0, 0));
    dc.SetBkMode(TRANSPARENT);
    const int state = int(status[1]);
    m_timeText = PlayTimeText(LPCSTR(TranslateString("Play Time:")), state, status[2]);
    m_speedText = PlaySpeedText(LPCSTR(TranslateString("Play Speed:")), state, int32_t(status[0]));
    dc.TextOut(client.right - kStatusWidth, client.top + 25, m_timeText.c_str());
    dc.TextOut(client.right - kStatusWidth, client.top + 40, m_speedText.c_str());
    if (old) dc.SelectObject(old);
}

void CFilePlayerDlg::OnTimer(UINT_PTR id) {
    if (id != kStatusTimer) return CDialog::OnTimer(id);
    if (!LivePanel()) return;
    CClientDC dc(this);
    DrawStatus(dc);
}

LRESULT CFilePlayerDlg::OnSliderReleased(WPARAM wParam, LPARAM lParam) {
    if (wParam != IDC_PLAYER_SLIDER) return 0;
    if (CPlaybackPanelDlg* panel = LivePanel()) {
        panel->Control(CPlaybackPanelDlg::kPause);
        panel->SetPosition(int(lParam));
        panel->Control(CPlaybackPanelDlg::kPlay);
    }
    return 0;
}

BOOL CFilePlayerDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    CPlaybackPanelDlg* panel = LivePanel();
    switch (id) {
        case IDC_PLAYER_PLAY:
            if (CPlaybackSearchPage* page = LiveSearchPage()) {
                if (panel && panel->CurrentPaneBusy()) panel->Control(CPlaybackPanelDlg::kPlay);
                else page->PlaySelected();
            }
            return TRUE;
        case IDC_PLAYER_PAUSE:
            if (panel && panel->CurrentPaneBusy()) panel->Control(CPlaybackPanelDlg::kPause);
            return TRUE;
        case IDC_PLAYER_STOP:
        case IDC_PLAYER_FAST:
        case IDC_PLAYER_SLOW:
        case IDC_PLAYER_NEXT: {
            const int command = id == IDC_PLAYER_STOP   ? CPlaybackPanelDlg::kStop
                                : id == IDC_PLAYER_FAST ? CPlaybackPanelDlg::kFaster
                                : id == IDC_PLAYER_SLOW ? CPlaybackPanelDlg::kSlower
                                                        : CPlaybackPanelDlg::kStep;
            if (panel) panel->Control(command);
            return TRUE;
        }
        case IDC_PLAYER_SHOT: {
            const std::string path = MakeSnapshotPath();
            if (panel) panel->Control(CPlaybackPanelDlg::kSnapshot, path.c_str());
            return TRUE;
        }
        case IDC_PLAYER_OPEN:
            if (CPlaybackSearchPage* page = LiveSearchPage()) page->AddFiles();
            return TRUE;
        case IDC_PLAYER_SAVE:
            if (CPlaybackSearchPage* page = LiveSearchPage()) page->SaveSelected();
            return TRUE;
        case IDC_PLAYER_SOUND:
            m_sound = !m_sound;
            if (panel) panel->SetSound(m_sound);
            return TRUE;
        default:
            return CDialog::OnCommand(wParam, lParam);
    }
}

std::string CFilePlayerDlg::MakeSnapshotPath() {
    const uint32_t present = m_driveSeams.logicalDrives ? m_driveSeams.logicalDrives() : 0;
    const std::string root = ChooseSnapshotDrive(present, m_allowedDrives, m_failedDrives, m_driveSeams.freeMB);
    if (root.empty()) return std::string();
    const DWORD tick = ::GetTickCount();
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    const LocalTime t{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    const SnapshotFolders folders = PlaybackSnapshotFolders(root, t);
    for (const std::string& dir : folders.levels) {
        if (!::CreateDirectoryA(dir.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return std::string();   // a folder that cannot be made: no path to write to
    }
    return PlaybackSnapshotFile(folders.levels[2], t, tick);
}
