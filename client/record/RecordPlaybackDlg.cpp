#include "RecordPlaybackDlg.h"

#include <cstring>

#include "app_state.h"
#include "language.h"
#include "main_dlg_face.h"
#include "statistic_dlg.h"

CRecordPlaybackDlg* g_pRecordPlayback = nullptr;

namespace {

constexpr int kDeviceRecords = 36;

CRecordSearchDlg* LiveSearch() {
    return g_pRecordPlayback && ::IsWindow(g_pRecordPlayback->m_search.GetSafeHwnd()) ? &g_pRecordPlayback->m_search
                                                                                       : nullptr;
}

}  // namespace

// ------------------------------------------------------------- source page

BEGIN_MESSAGE_MAP(CPlaybackSourceDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_WM_SIZE()
END_MESSAGE_MAP()

CPlaybackSourceDlg::CPlaybackSourceDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CPlaybackSourceDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateDialog(this);
    m_tree.SubclassDlgItem(IDC_SOURCE_TREE, this);
    m_tree.LoadStateImages();
    CheckRadioButton(IDC_SOURCE_LOCAL, IDC_SOURCE_REMOTE, m_sourceMode ? IDC_SOURCE_REMOTE : IDC_SOURCE_LOCAL);
    RebuildTree();
    return TRUE;
}

void CPlaybackSourceDlg::RebuildTree() {
    if (!m_tree.GetSafeHwnd()) return;
    m_tree.DeleteAllItems();
    if (!g_pMainDlg || !g_pMainDlg->m_pConfig) return;
    for (int i = 0; i < kDeviceRecords; ++i) {
        const shell::DeviceRecord& d = g_pMainDlg->m_pConfig->devices[i];
        if (!d.inUse) continue;
        const CString name(d.serverName, int(strnlen(d.serverName, sizeof d.serverName)));
        HTREEITEM root = m_tree.InsertItem(name);
        m_tree.SetItemData(root, DWORD_PTR(i));
        for (int ch = 0; ch < d.channelCount; ++ch) {
            // A device without its channel blocks (not logged in) shows the
            // default channel names.
            HTREEITEM node = m_tree.InsertItem(StatisticChannelName(&d, uint32_t(ch)), root);
            m_tree.SetItemData(node, DWORD_PTR(0xFFFFFF00u | uint32_t(ch & 0xFF)));
            m_tree.SetItemState(node, kChannelNode);
        }
        m_tree.SetItemState(root, d.channelCount ? kDeviceWithChannels : kDeviceEmpty);
    }
}

BOOL CPlaybackSourceDlg::GetSelection(uint32_t& device, uint16_t& channelMask) {
    if (!m_tree.GetSafeHwnd()) return FALSE;
    HTREEITEM item = m_tree.GetSelectedItem();
    if (!item) return FALSE;
    HTREEITEM parent = m_tree.GetParentItem(item);
    const bool children = m_tree.ItemHasChildren(item) != FALSE;
    if (!parent) {
        device = uint32_t(m_tree.GetItemData(item));
        for (HTREEITEM c = m_tree.GetChildItem(item); c; c = m_tree.GetNextSiblingItem(c))
            channelMask = uint16_t(channelMask | (1u << (m_tree.GetItemData(c) & 0xFF & 31)));
        return TRUE;
    }
    if (children) return FALSE;
    device = uint32_t(m_tree.GetItemData(parent));
    channelMask = uint16_t(1u << (m_tree.GetItemData(item) & 0xFF & 31));
    return TRUE;
}

BOOL CPlaybackSourceDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED && (LOWORD(wParam) == IDC_SOURCE_LOCAL || LOWORD(wParam) == IDC_SOURCE_REMOTE)) {
        OnSourceChanged();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CPlaybackSourceDlg::OnSourceChanged() {
    m_pageHeight = 200;
    m_sourceMode = IsDlgButtonChecked(IDC_SOURCE_REMOTE) == BST_CHECKED ? 1 : 0;
    if (!g_pRecordPlayback || !::IsWindow(g_pRecordPlayback->GetSafeHwnd())) return;
    g_pRecordPlayback->LayoutPages();
    g_pRecordPlayback->SetSourceMode(uint32_t(m_sourceMode));
    RebuildTree();
    if (CRecordSearchDlg* search = LiveSearch()) search->SetChannelName("");
}

BOOL CPlaybackSourceDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
    if (nm && nm->idFrom == IDC_SOURCE_TREE && (nm->code == TVN_SELCHANGEDA || nm->code == TVN_SELCHANGEDW)) {
        OnTreeSelChanged(reinterpret_cast<const NMTREEVIEWA*>(lParam));
        *result = 0;
        return TRUE;
    }
    return CDialog::OnNotify(wParam, lParam, result);
}

void CPlaybackSourceDlg::OnTreeSelChanged(const NMTREEVIEWA* nm) {
    // Only a click chooses: moving through the tree by keyboard does not.
    if (nm->action != TVC_BYMOUSE) return;
    HTREEITEM item = nm->itemNew.hItem;
    CRecordSearchDlg* search = LiveSearch();
    if (!item || !search) return;
    const bool root = m_tree.GetParentItem(item) == nullptr;
    if (!root && m_tree.ItemHasChildren(item)) return;
    CString text;
    text.Format("%s", m_tree.GetItemText(item).GetString());
    search->SetChannelName(text);
}

void CPlaybackSourceDlg::OnPaint() { PaintPageBackground(*this); }

HBRUSH CPlaybackSourceDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlType) {
    if (HBRUSH brush = PageControlColor(dc, wnd, ctlType)) return brush;
    return CDialog::OnCtlColor(dc, wnd, ctlType);
}

void CPlaybackSourceDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    StretchToPageBottom(*this, m_tree, cy);
}

// --------------------------------------------------------- playback window

BEGIN_MESSAGE_MAP(CRecordPlaybackDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_SYSCOMMAND()
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CRecordPlaybackDlg::CRecordPlaybackDlg(CWnd* parent, const record::RecordPlayerSdk& sdk)
    : CDialog(IDD, parent), m_search(this), m_panel(this, sdk), m_source(this), m_playerBar(this) {
    g_pRecordPlayback = this;
    m_search.m_chosenSource = [this](uint32_t& device, uint16_t& mask) {
        return m_source.GetSafeHwnd() && m_source.GetSelection(device, mask);
    };
}

CRecordPlaybackDlg::~CRecordPlaybackDlg() {
    if (m_hWnd) DestroyWindow();
    if (g_pRecordPlayback == this) g_pRecordPlayback = nullptr;
}

BOOL CRecordPlaybackDlg::ShowPlayback(CWnd* owner) {
    if (!m_hWnd && !Create(IDD, owner)) return FALSE;
    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

BOOL CRecordPlaybackDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateDialog(this);
    CenterWindow();
    m_panel.Create(CPlaybackPanelDlg::IDD, this);
    m_panel.ShowWindow(SW_SHOW);
    m_search.Create(CRecordSearchDlg::IDD, this);
    m_search.ShowWindow(SW_SHOW);
    m_source.Create(CPlaybackSourceDlg::IDD, this);
    m_source.ShowWindow(SW_SHOW);
    m_playerBar.Create(CFilePlayerDlg::IDD, this);
    m_playerBar.ShowWindow(SW_SHOW);
    LayoutPages();
    return TRUE;
}

void CRecordPlaybackDlg::LayoutPages() {
    if (!m_hWnd) return;
    CRect c;
    GetClientRect(&c);
    const int side = c.right - kSideWidth;
    const bool sourceShown = m_source.GetSafeHwnd() != nullptr;
    const int height = int(m_source.m_pageHeight);
    if (m_panel.GetSafeHwnd()) m_panel.MoveWindow(c.left, c.top, side - c.left, c.bottom - kBarHeight - c.top);
    if (sourceShown) m_source.MoveWindow(side, c.top, kSideWidth, height);
    if (m_search.GetSafeHwnd()) {
        const int top = sourceShown ? height + 2 * c.top : 50;
        m_search.MoveWindow(side, top, kSideWidth, c.bottom - top);
    }
    if (m_playerBar.GetSafeHwnd()) m_playerBar.MoveWindow(c.left, c.bottom - kBarHeight, side - c.left, kBarHeight);
}

void CRecordPlaybackDlg::SetSourceMode(uint32_t mode) {
    if (m_search.GetSafeHwnd()) m_search.m_sourceMode = mode;
}

void CRecordPlaybackDlg::OnPaint() { ValidateRect(nullptr); }

void CRecordPlaybackDlg::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    LayoutPages();
}

void CRecordPlaybackDlg::OnClose() { OnCancel(); }

void CRecordPlaybackDlg::OnCancel() {
    // Esc and the close box alike: every pane stops, so no playback sound
    // goes on under the live sound; the window hides for the next showing.
    if (m_panel.GetSafeHwnd()) m_panel.CloseAll();
    ShowWindow(SW_HIDE);
}

void CRecordPlaybackDlg::OnSysCommand(UINT id, LPARAM lParam) {
    const UINT command = id & 0xFFF0;
    if (command == SC_MINIMIZE)
        m_minimized = 1;
    else if (command == SC_MAXIMIZE || command == SC_RESTORE)
        m_minimized = 0;
    CDialog::OnSysCommand(id, lParam);
}

void CRecordPlaybackDlg::OnShowWindow(BOOL show, UINT status) {
    CDialog::OnShowWindow(show, status);
    if (m_onShown) m_onShown(show != FALSE);
    if (show && status == SW_PARENTOPENING && m_minimized) PostMessage(WM_SYSCOMMAND, SC_MINIMIZE);
}

BOOL CRecordPlaybackDlg::DestroyWindow() {
    if (m_panel.GetSafeHwnd()) m_panel.DestroyWindow();
    if (m_source.GetSafeHwnd()) m_source.DestroyWindow();
    if (m_search.GetSafeHwnd()) m_search.DestroyWindow();
    if (m_playerBar.GetSafeHwnd()) m_playerBar.DestroyWindow();
    return CDialog::DestroyWindow();
}
