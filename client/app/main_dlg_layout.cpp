// The main dialog's sizes, side panels and monitor-window layouts.
#include "main_dlg.h"

#include "window_layout.h"


void CMainDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
  CMainDlgBase::OnGetMinMaxInfo(info);
  info->ptMinTrackSize.x = kMinTrackWidth;
  info->ptMinTrackSize.y = kMinTrackHeight;
}

void CMainDlg::ComputeVideoArea() {
  if (m_fullScreen || !m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  shell::Cell a = shell::VideoAreaFor(client.Width(), client.Height(), m_skin.marginLeft, m_skin.marginTop,
                                      m_skin.marginRight, m_skin.marginBottom, m_skin.toolBarHeight,
                                      m_skin.leftDlgWidth);
  m_videoArea.SetRect(a.left, a.top, a.right, a.bottom);
}

void CMainDlg::LayoutSidePanels() {
  constexpr int kFolding = shell::kFoldingSidePanels;
  CSidePanelDlg* const folding[kFolding] = {&m_ptzDlg, &m_colorDlg, &m_planDlg};
  CWnd* const panels[kFolding + 1] = {folding[0], folding[1], folding[2], &m_devicePanel};
  if (m_fullScreen) {
    for (CWnd* p : panels)
      if (p->m_hWnd) p->ShowWindow(SW_HIDE);
    return;
  }
  // PTZ, colour and plan panels at their heights, the device panel below
  // them to the bottom of the column; a panel not created takes no room.
  CRect client;
  GetClientRect(&client);
  const int left = client.right - m_skin.marginRight - m_skin.leftDlgWidth;
  int expandedHeight[kFolding];
  bool expanded[kFolding];
  for (int i = 0; i < kFolding; ++i) {
    const bool made = folding[i]->m_hWnd != nullptr;
    expandedHeight[i] = made ? folding[i]->NormalHeight() : 0;
    expanded[i] = !made || folding[i]->IsExpanded() != FALSE;
  }
  shell::SidePanelStack st = shell::StackSidePanels(m_skin.toolBarHeight + m_skin.marginTop, expandedHeight, expanded,
                                                    m_skin.leftDlgHeight, client.bottom - m_skin.marginBottom);
  for (int i = 0; i <= kFolding; ++i) {
    if (!panels[i]->m_hWnd) continue;
    panels[i]->MoveWindow(left, st.top[i], m_skin.leftDlgWidth, std::max(st.height[i], i == kFolding ? 60 : 0));
    panels[i]->ShowWindow(SW_SHOW);
    panels[i]->Invalidate();
  }
}

void CMainDlg::OnSize(UINT type, int cx, int cy) {
  CMainDlgBase::OnSize(type, cx, cy);
  if (type == SIZE_MINIMIZED) return;
  LayoutSidePanels();
  if (m_switchMode.m_hWnd && !m_fullScreen) {
    int h = m_skin.switchModeHeight;
    m_switchMode.MoveWindow(m_skin.marginLeft, cy - m_skin.marginBottom - h,
                            cx - m_skin.marginRight - m_skin.leftDlgWidth - m_skin.marginLeft, h);
    m_switchMode.ShowWindow(SW_SHOW);
  }
  ComputeVideoArea();
  if (m_windowsCreated) ArrangeWindows(m_layoutKind, m_firstWindow);
  Invalidate(FALSE);
}

void CMainDlg::ArrangeWindows(int kind, int firstWindow) {
  kind = shell::NormalizeLayoutKind(kind);
  if (!m_windowsCreated) return;
  if (kind == 0) {
    for (CMonitorWnd& m : m_monitors) m.ShowWindow(SW_HIDE);
    m_layoutKind = 0;
    RedrawVideoArea();
    return;
  }
  const int n = shell::SplitWindowCount(m_splitLayout);
  const int cells = shell::LayoutWindowCount(kind);
  const int first = shell::FirstWindowShown(kind, firstWindow, m_currentWindow, n);
  shell::LayoutArea area;
  area.offsetLeft = m_fullScreen ? 0 : m_skin.marginLeft;
  area.offsetTop = m_fullScreen ? 0 : m_skin.toolBarHeight + m_skin.marginTop;
  area.width = m_videoArea.Width();
  area.height = m_videoArea.bottom - (m_fullScreen ? 0 : m_skin.switchModeHeight) - m_videoArea.top;
  area.gap = m_skin.lineWidth;
  for (int i = 0; i < shell::kMonitorWindows; ++i) {
    shell::Cell c;
    if (i >= first && i < first + cells && shell::LayoutCell(kind, i - first, area, c)) {
      m_monitors[i].MoveWindow(c.left, c.top, c.right - c.left, c.bottom - c.top, FALSE);
      m_monitors[i].ShowWindow(SW_SHOW);
    } else {
      m_monitors[i].ShowWindow(SW_HIDE);
    }
  }
  if (kind <= 6) {
    // Which stream each window of the split uses; windows outside the split
    // and lists without a current entry are skipped.
    for (int w = 0; w < shell::kMonitorWindows; ++w) {
      bool single = kind == 1 && w == m_currentWindow;
      m_windows[w].enlarged = single ? 1 : 0;
      if (w >= n) continue;
      int slot = m_windows.CurrentSlot(w);
      const shell::ChannelSlot* s = m_channels.At(slot);
      const shell::DeviceRecord* d = s ? s->device.load() : nullptr;
      if (!d) continue;
      SendStreamStarted(d->address, d->streamPort, s->channel, single ? 0 : 1);
    }
    if (kind == 1 && m_currentWindow != 0 && shell::WindowListModel::IsValid(m_currentWindow)) {
      shell::Cell c;
      if (shell::LayoutCell(1, 0, area, c)) {
        m_monitors[m_currentWindow].MoveWindow(c.left, c.top, c.right - c.left, c.bottom - c.top, FALSE);
        m_monitors[m_currentWindow].ShowWindow(SW_SHOW);
        m_monitors[0].ShowWindow(SW_HIDE);
      }
    }
  }
  if (kind >= 2 && m_currentWindow != 0) m_currentWindow = 0;
  m_layoutKind = kind;
  m_firstWindow = first;
  RedrawVideoArea();
}

void CMainDlg::ArrangePlanLayout(int kind) {
  kind = shell::NormalizeLayoutKind(kind);
  // Video opens only in windows of the split in use: a plan of 36 windows
  // opened while 4 are in use would otherwise show its windows 5..36 empty.
  if (shell::SplitWindowCount(m_splitLayout) < shell::LayoutWindowCount(kind))
    m_splitLayout = shell::SplitForKind(kind);
  ArrangeWindows(kind, -1);
}

void CMainDlg::ArrangeSplitLayout() {
  int kind = shell::KindForSplit(m_splitLayout);
  m_layoutKind = kind;
  ArrangeWindows(kind, -1);
}

void CMainDlg::SetSplitForCount(int count) {
  int kind = shell::EqualGridKindForCount(count);
  if (kind < 0) return;
  m_currentWindow = 0;
  // The split in use follows, so every window of the grid belongs to it.
  m_splitLayout = shell::SplitForKind(kind);
  ArrangeWindows(kind, 0);
}

void CMainDlg::SetSplitMode(int kind, int firstWindow) {
  kind = shell::NormalizeLayoutKind(kind);
  if (kind == 0 || kind > 6) {
    ArrangeWindows(kind, firstWindow);
    return;
  }
  if (!m_windowsCreated) return;
  const int n = shell::SplitWindowCount(m_splitLayout);
  const int cells = shell::LayoutWindowCount(kind);
  const int first = shell::FirstWindowShown(kind, firstWindow, m_currentWindow, n);
  const CRect& p = m_skin.previewPosition;
  for (int i = 0; i < shell::kMonitorWindows; ++i) {
    shell::Cell c;
    if (i >= first && i < first + cells &&
        shell::CentredGridCell(kind, i - first, p.left, p.top, p.Width(), p.Height(), m_skin.lineWidth, c)) {
      m_monitors[i].MoveWindow(c.left, c.top, c.right - c.left, c.bottom - c.top, FALSE);
      m_monitors[i].ShowWindow(SW_SHOW);
    } else {
      m_monitors[i].ShowWindow(SW_HIDE);
    }
  }
  m_layoutKind = kind;
  m_firstWindow = first;
  RedrawVideoArea();
}

void CMainDlg::OnSplitCommand(UINT id) {
  int kind = id == ID_MAIN_SPLIT_1 ? 1 : int(id - ID_MAIN_SPLIT_4) + 2;
  m_singleWindow = FALSE;
  m_splitLayout = shell::SplitForKind(kind);
  SetSplitMode(kind, m_firstWindow);
}

void CMainDlg::ToggleSingleWindow() {
  if (!m_singleWindow) {
    m_singleSavedKind = m_layoutKind;
    m_singleSavedFirst = m_firstWindow;
    m_singleWindow = TRUE;
    ArrangeWindows(1, m_currentWindow);
  } else {
    m_singleWindow = FALSE;
    ArrangeWindows(m_singleSavedKind, m_singleSavedFirst);
  }
}

void CMainDlg::ToggleFullScreen() {
  if (!m_fullScreen) {
    m_placementBeforeFullScreen.length = sizeof m_placementBeforeFullScreen;
    ::GetWindowPlacement(m_hWnd, &m_placementBeforeFullScreen);
    m_styleBeforeFullScreen = GetStyle();
    m_fullScreen = TRUE;
    for (CSkinButton& b : m_topButtons)
      if (b.m_hWnd) b.ShowWindow(SW_HIDE);
    if (m_switchMode.m_hWnd) m_switchMode.ShowWindow(SW_HIDE);
    if (m_devicePanel.m_hWnd) m_devicePanel.ShowWindow(SW_HIDE);
    if (m_statusBar.m_hWnd) m_statusBar.ShowWindow(SW_HIDE);
    ::SetMenu(m_hWnd, nullptr);
    ModifyStyle(WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZE, 0, SWP_FRAMECHANGED);
    int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    m_videoArea.SetRect(0, 0, cx, cy);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, cx, cy, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  } else {
    m_fullScreen = FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, LONG(m_styleBeforeFullScreen & ~WS_MAXIMIZE));
    ::SetMenu(m_hWnd, m_DefaultNewMenu.GetSafeHmenu());
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    ::SetWindowPlacement(m_hWnd, &m_placementBeforeFullScreen);
    for (CSkinButton& b : m_topButtons)
      if (b.m_hWnd) b.ShowWindow(SW_SHOW);
    if (m_switchMode.m_hWnd) m_switchMode.ShowWindow(SW_SHOW);
    if (m_devicePanel.m_hWnd) m_devicePanel.ShowWindow(SW_SHOW);
    ComputeVideoArea();
  }
  ArrangeWindows(m_layoutKind, m_firstWindow);
  Invalidate(FALSE);
}

LRESULT CMainDlg::OnLeaveFullScreen(WPARAM, LPARAM) {
  if (m_fullScreen) ToggleFullScreen();
  return 0;
}

LRESULT CMainDlg::OnStatusBarHide(WPARAM, LPARAM) {
  if (m_statusBar.m_hWnd) m_statusBar.ShowWindow(SW_HIDE);
  return 0;
}

void CMainDlg::SetSplitMode(int mode) {
  int kind = shell::NormalizeLayoutKind(mode);
  if (kind == 0) return;
  m_splitLayout = shell::SplitForKind(kind);
  ArrangeWindows(kind, m_firstWindow);
}

BOOL CMainDlg::WindowShowsVideo(int window) { return GetChannelState(0, window) ? TRUE : FALSE; }

void CMainDlg::SetWindowRecordFlag(int window, BOOL on) {
  // The monitor windows draw the indicator once they land.
  if (shell::WindowListModel::IsValid(window)) m_windowRecord[window] = on ? 1 : 0;
}
