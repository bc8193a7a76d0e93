// The main dialog's stream, window-video and recording entries.
// Placeholders until the stream callbacks, the monitor windows and the
// record writer land.
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

BOOL CMainDlg::StartRecord(int slot, int, int) {
  shell::ChannelSlot* s = m_channels.At(slot);
  if (!s || !s->InUse()) return FALSE;
  return s->recording ? TRUE : FALSE;
}

void CMainDlg::StopRecord(int slot) {
  if (shell::ChannelSlot* s = m_channels.At(slot)) s->recording = 0;
}
