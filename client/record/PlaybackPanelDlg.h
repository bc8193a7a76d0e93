// The video area of the "Record Playback" window: nine playback panes in one
// of four layouts, a strip of six buttons along the bottom and the current
// pane's file name beside them. Each pane plays a local record file through
// its own engine or a remote record through its own session; every command
// acts on the current pane, which the operator picks with a click.
//
// Everything here runs on the window's UI thread; the engines' reader
// threads and the shared media timer are the engines' own.
#pragma once
#include <afxwin.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BitmapStatic.h"
#include "PlaybackCore.h"
#include "RecordFilePlayer.h"
#include "RecordResource.h"
#include "RemotePlaySession.h"
#include "SkinButton.h"

class CPlaybackPanelDlg;

// A remote record as PlayRemote receives it.
struct RemoteFileInfo {
    record::LocalTime begin;
    record::LocalTime end;
    CString fileName;
};

// A pane: a picture static filling it, which carries its background colour;
// a press and a double click are reported to the panel (message 4025).
class CPaneWnd : public CWnd {
public:
    BOOL CreatePane(int index, COLORREF backColor, CWnd* parent, UINT id);
    // The window the pane's video is drawn into.
    HWND VideoWindow() const { return m_picture.GetSafeHwnd(); }

    CBitmapStatic m_picture;
    int m_index = -1;
    COLORREF m_backColor = 0;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnLButtonDown(UINT flags, CPoint pt);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint pt);
    DECLARE_MESSAGE_MAP()
};

class CPlaybackPaneWnd : public CPaneWnd {
public:
    enum Kind { kLocal = 0, kRemote = 1 };

    CPlaybackPanelDlg* m_panel = nullptr;
    BOOL m_busy = FALSE;
    uint32_t m_channelId = 0;
    uint32_t m_kind = kLocal;
    uint32_t m_loginId = 0;
    uint32_t m_playState = record::kPaneStopped;
    uint32_t m_totalSeconds = 0;
    std::unique_ptr<record::CRemotePlaySession> m_session;
    CString m_fileName;
};

class CPlaybackPanelDlg : public CDialog {
public:
    enum { IDD = IDD_PLAYBACK_PANEL };
    // Panel commands of Control.
    enum { kPlay = 0, kPause, kStop, kFaster, kSlower, kStep, kSnapshot };

    explicit CPlaybackPanelDlg(CWnd* parent = nullptr, const record::RecordPlayerSdk& sdk = record::OrvikPlayerSdk());
    ~CPlaybackPanelDlg() override;

    void SetLayout(int layout);
    void SelectPane(int pane);
    void PlayFile(const char* path);
    void PlayRemote(uint32_t loginId, const RemoteFileInfo& file);
    int CloseAll();
    void Control(int command, const char* path = nullptr);
    // [0] speed level, [1] pane state, [2] played seconds, [3] position per
    // mille (at most 1000), [4] total seconds of the current pane.
    void GetStatus(uint32_t status[5]);
    void SetPosition(int perMille);
    void SetSound(BOOL on);
    int CountRemote(uint32_t loginId, uint32_t kind);
    void ToggleFullScreen();

    int CurrentPane() const { return m_currentPane; }
    int Layout() const { return m_layout; }
    int SavedLayout() const { return m_savedLayout; }
    BOOL IsFullScreen() const { return m_fullScreen; }
    CPlaybackPaneWnd& Pane(int i) { return m_panes[i]; }
    record::CRecordFilePlayer& Player(int i) { return *m_players[i]; }
    BOOL CurrentPaneBusy();

    // Opens a snapshot once its file exists; ShellExecuteA "open" unless a
    // test puts its own here.
    std::function<void(const std::string& path)> m_openPicture;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override { ToggleFullScreen(); }
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnDestroy();
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg LRESULT OnPaneMouse(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    bool ValidPane(int pane) const { return pane >= 0 && pane < record::kPlaybackPanes; }
    void PlaceButtons();
    void DrawPaneFrame(CDC& dc, int pane, COLORREF color);
    void DrawNameStrip(CDC& dc);
    void RepaintPane(int pane);
    void RedrawFrameAndName();
    void StopPane(int pane);
    void ShowBox(const char* english, const char* caption, UINT type);
    void WatchSnapshot(const std::string& path);

    CPlaybackPaneWnd m_panes[record::kPlaybackPanes];
    std::unique_ptr<record::CRecordFilePlayer> m_players[record::kPlaybackPanes];
    record::PlayerFileInfo m_fileInfos[record::kPlaybackPanes] = {};
    CSkinButton m_buttons[6];
    CBitmap m_buttonBitmaps[6][4];
    CFont m_font;
    int m_currentPane = 0;
    int m_layout = record::kLayoutFour;
    int m_savedLayout = record::kLayoutFour;
    BOOL m_fullScreen = FALSE;
    BOOL m_wasMaximized = FALSE;
    HWND m_oldParent = nullptr;
    CRect m_normalRect;
    bool m_panesMade = false;
    std::vector<std::string> m_pendingSnapshots;
};

// The panel while it exists; the search page, the control bar and the
// playback window reach it through this.
extern CPlaybackPanelDlg* g_pPlaybackPanel;
