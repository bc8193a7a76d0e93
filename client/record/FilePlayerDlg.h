// The control bar of the "Record Playback" window: a position slider across
// its top, ten skinned buttons below it and, at its right edge, the play
// time and speed of the playback panel's current pane. It has no engine of
// its own: every button and the slider act on the panel's current pane.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <cstdint>
#include <functional>
#include <string>

#include "BitmapSlider.h"
#include "PlaybackCore.h"
#include "RecordResource.h"
#include "SkinButton.h"

// The record search page as the control bar uses it (its Play, Open File and
// Save as buttons).
class CPlaybackSearchPage {
public:
    virtual ~CPlaybackSearchPage() = default;
    virtual HWND PageWindow() const = 0;
    virtual void PlaySelected() = 0;
    virtual void AddFiles() = 0;
    virtual void SaveSelected() = 0;
};
// The search page while it exists, else null.
extern CPlaybackSearchPage* g_pPlaybackSearchPage;

// What the snapshot path needs of the machine.
struct SnapshotDriveSeams {
    std::function<uint32_t()> logicalDrives;                   // bit n: drive 'A' + n present
    std::function<uint32_t(const std::string& root)> freeMB;   // "C:\" -> MiB free
};

class CFilePlayerDlg : public CDialog {
public:
    enum { IDD = IDD_FILE_PLAYER };
    enum { kButtons = 10, kStatusTimer = 1000, kSliderHeight = 15 };

    explicit CFilePlayerDlg(CWnd* parent = nullptr);

    // The full path of a new snapshot, its folders made; empty when no drive
    // qualifies.
    std::string MakeSnapshotPath();
    BOOL SoundOn() const { return m_sound; }
    CSkinButton& Button(int i) { return m_buttons[i]; }
    CBitmapSlider& Slider() { return m_slider; }
    // The status texts as last drawn.
    const std::string& TimeText() const { return m_timeText; }
    const std::string& SpeedText() const { return m_speedText; }

    SnapshotDriveSeams m_driveSeams;
    // Drives snapshots may go to, and drives given up (bit n: 'A' + n).
    uint32_t m_allowedDrives = 0xFFFFFFFF;
    uint32_t m_failedDrives = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR id);
    afx_msg void OnDestroy();
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    afx_msg LRESULT OnSliderReleased(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    bool LoadBackImages();
    void CreateButtons();
    void DrawStatus(CDC& dc);
    void PlaceSlider();

    CBitmapSlider m_slider;
    CBitmap m_backUp, m_backOver, m_backDown, m_backDisable, m_backFill;
    CBitmap m_soundPictures[4];
    CSkinButton m_buttons[kButtons];
    CFont m_font;
    CBrush m_hollow;
    BOOL m_sound = TRUE;
    std::string m_timeText, m_speedText;
};
