// The main dialog's stream, window-video and recording entries.
// Placeholders until the stream callbacks and the monitor windows land.
#include "main_dlg.h"

void CMainDlg::RestartStream(int slot, int window, int) {
  if (!shell::ChannelTable::IsValid(slot) || !shell::WindowListModel::IsValid(window)) return;
}

BOOL CMainDlg::OpenWindowVideo(int window) {
  if (window < 0 || window >= GetWindowCount()) return FALSE;
  return m_windows[window].showsChannel ? TRUE : FALSE;
}

void CMainDlg::CloseWindowVideo(int window) {
  if (window < 0 || window >= GetWindowCount()) return;
  shell::WindowList& w = m_windows[window];
  if (!w.showsChannel) return;
  w.showsChannel = 0;
  w.position = -1;
}

BOOL CMainDlg::EnsureMainStream(int slot) {
  // The main stream is started here once the stream callbacks land.
  const shell::ChannelSlot* s = m_channels.At(slot);
  return s && s->InUse() && s->mainStreamRunning;
}
