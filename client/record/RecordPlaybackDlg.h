// The "Record Playback" window: a modeless top-level dialog of the main
// window hosting the playback panel, the playback source page (every
// configured device with its channels, and the choice between the local
// record disks and the device itself), the record search page and the file
// player bar.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <cstdint>
#include <functional>

#include "FilePlayerDlg.h"
#include "PlaybackPanelDlg.h"
#include "RecordResource.h"
#include "RecordSearchDlg.h"
#include "TreeCtrlEx.h"

class CPlaybackSourceDlg : public CDialog {
public:
    enum { IDD = IDD_PLAYBACK_SOURCE };
    // State codes of the tree's pictures.
    enum { kDeviceWithChannels = 513, kDeviceEmpty = 514, kChannelNode = 515 };

    explicit CPlaybackSourceDlg(CWnd* parent = nullptr);

    void RebuildTree();
    BOOL GetSelection(uint32_t& device, uint16_t& channelMask);
    void OnSourceChanged();
    CTreeCtrlEx& Tree() { return m_tree; }

    int m_sourceMode = 0;
    uint32_t m_pageHeight = 200;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    afx_msg void OnPaint();
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType);
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()

private:
    void OnTreeSelChanged(const NMTREEVIEWA* nm);

    CTreeCtrlEx m_tree;
};

class CRecordPlaybackDlg : public CDialog {
public:
    enum { IDD = IDD_RECORD_PLAYBACK };
    enum { kSideWidth = 230, kBarHeight = 70 };

    explicit CRecordPlaybackDlg(CWnd* parent = nullptr,
                                const record::RecordPlayerSdk& sdk = record::OrvikPlayerSdk());
    ~CRecordPlaybackDlg() override;

    // Creates the window the first time, then shows it.
    BOOL ShowPlayback(CWnd* owner);
    void LayoutPages();
    void SetSourceMode(uint32_t mode);
    BOOL DestroyWindow() override;

    CRecordSearchDlg m_search;
    CPlaybackPanelDlg m_panel;
    CPlaybackSourceDlg m_source;
    CFilePlayerDlg m_playerBar;
    uint32_t m_minimized = 0;
    // Told when the window is shown or hidden (live play stops meanwhile).
    std::function<void(bool shown)> m_onShown;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    afx_msg void OnPaint();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnClose();
    afx_msg void OnSysCommand(UINT id, LPARAM lParam);
    afx_msg void OnShowWindow(BOOL show, UINT status);
    DECLARE_MESSAGE_MAP()
};

// The playback window while it exists, else null.
extern CRecordPlaybackDlg* g_pRecordPlayback;
