// The device panel's live view: channels into monitor windows and out again.
#include <cstring>

#include "channel_blocks.h"
#include "core/Orvik.h"
#include "device_dlg.h"
#include "app_services.h"
#include "language.h"
#include "user_rights.h"

void CDeviceDlg::ShowStreamError(const char* format, int a, int b, bool two) {
  CString text;
  if (two) text.Format(format, a, b);
  else text.Format(format, a);
  TranslatedMessageBox(this, text, "Error", MB_OK | MB_ICONINFORMATION);
}

void CDeviceDlg::ResetWindow(int window, const char* titleWord) {
  CPlayWnd* w = Monitor(window);
  if (!w) return;
  w->SetBitRate(0);
  CString title = TranslateString(titleWord);
  if (strcmp(titleWord, "No video") != 0) title.AppendFormat("%d", window + 1);
  w->SetTitle(title);
  w->SetRecordButton(FALSE);
  w->Invalidate(FALSE);
}

void CDeviceDlg::SetItemWindow(int slot, int window) {
  HTREEITEM c = ChannelItemOfSlot(slot);
  if (!c) return;
  const shell::ChannelSlot& s = g_pMainDlg->m_channels[slot];
  const bool rec = s.manualRecord != 0;
  if (window >= 0 && window < shell::kMonitorWindows) {
    m_tree.SetItemData(c, ChannelItemData::WithWindow(m_tree.GetItemData(c), window));
    m_tree.SetCheck(c, TRUE);
    SetCode(c, rec ? kCodeChannelShownRecording : kCodeChannelShown);
  } else {
    m_tree.SetItemData(c, ChannelItemData::WithWindow(m_tree.GetItemData(c), shell::kMonitorWindows));
    m_tree.SetCheck(c, FALSE);
    SetCode(c, rec ? kCodeChannelRecording : kCodeChannelIdle);
  }
}

// Both streams of a slot: the main stream unless it runs, its notice sent
// whatever the start gave, then the sub stream. The device reads connected
// from the sub-stream attempt on, whatever its result; a main stream started
// here for a slot that does not record is stopped again when the sub stream
// fails.
BOOL CDeviceDlg::StartSlotStreams(int slot, bool showErrors) {
  CMainDlgFace& m = *g_pMainDlg;
  shell::ChannelSlot& s = m.m_channels[slot];
  shell::DeviceRecord* r = s.device.load();
  if (!r) return FALSE;
  const int loginId = int(r->loginId), ch = s.channel;
  bool startedMain = false;
  if (!s.mainStreamRunning && m.StartLiveStream(loginId, ch, 0, slot) == 1) {
    s.mainStreamRunning = 1;
    startedMain = true;
  }
  m.SendStreamStarted(r->address, r->secondPort, ch, 0);
  const bool subStarted = m.StartLiveStream(loginId, ch, 1, slot) == 1;
  r->state = kStateConnected;
  if (!subStarted) {
    if (startedMain && !s.manualRecord && !s.recording) {
      m.StopLiveStream(loginId, ch, 0);
      s.mainStreamRunning = 0;
    }
    if (showErrors) ShowStreamError("Request Video Stream Error: %d\n", NET_GetLastError());
    return FALSE;
  }
  s.subStreamRunning = 1;
  m.SendStreamStarted(r->address, r->secondPort, ch, 1);
  return TRUE;
}

// One slot out of a window: looks off, video closed, streams stopped (a
// recording slot keeps its main stream), the slot out of the list.
void CDeviceDlg::StopSlotInWindow(int window, int slot) {
  CMainDlgFace& m = *g_pMainDlg;
  shell::WindowList* list = m.m_windows.At(window);
  shell::ChannelSlot* s = m.m_channels.At(slot);
  if (!list || !s) return;
  CPlayWnd* w = Monitor(window);
  if (w && w->ButtonIsOn(kButtonAudio)) {
    w->SetAudioButton(FALSE);
    m.ToggleWindowSound(window);
  }
  if (w && w->IsTalkbackOn() && m_talkbackSlot == slot) EndTalkback();
  if (w && (list->Count() == 1 || list->CurrentSlot() == slot)) w->SetRecordButton(FALSE);
  if (!list->Contains(slot)) return;
  m.CloseWindowVideo(window);
  if (shell::DeviceRecord* r = s->device.load()) {
    m.StopLiveStream(int(r->loginId), s->channel, 1);
    r->state = kStateStreamStopped;
    s->subStreamRunning = 0;
    if (!s->recording && !s->manualRecord) {
      m.StopLiveStream(int(r->loginId), s->channel, 0);
      s->mainStreamRunning = 0;
    }
  }
  list->Remove(slot);
  list->position = list->Count() > 0 ? 0 : -1;
  s->window = -1;
}

void CDeviceDlg::ToggleChannelView(HTREEITEM item) {
  if (!item || !g_pMainDlg) return;
  CMainDlgFace& m = *g_pMainDlg;
  shell::DeviceRecord* r = RecordOf(m_tree.GetParentItem(item));
  const DWORD_PTR data = m_tree.GetItemData(item);
  const int slot = m.m_channels.Find(r, ChannelItemData::Channel(data));
  if (!r || slot < 0) return;
  shell::ChannelSlot& s = m.m_channels[slot];
  if (m_tree.GetCheck(item)) {
    const int w = s.window;
    shell::WindowList* list = m.m_windows.At(w);
    if (!list || list->Count() == 0) return;
    if (ChannelItemData::Window(data) != m.GetCurrentWindow()) {
      m.SelectMonitorWindow(ChannelItemData::Window(data));
      return;
    }
    StopSlotInWindow(w, slot);
    if (list->Count() == 0) ResetWindow(w, "Video");
    else m.OpenWindowVideo(w);
    if (CPlayWnd* p = Monitor(w)) p->Invalidate(FALSE);
    SetItemWindow(slot, -1);
    return;
  }
  if (r->state == kStateReconnecting) return;
  const int w = m.GetCurrentWindow();
  shell::WindowList* list = m.m_windows.At(w);
  if (!list) return;
  if (!StartSlotStreams(slot, true)) return;
  // The window's earlier video closes before its list changes.
  m.CloseWindowVideo(w);
  list->Add(slot);
  list->position = list->Count() - 1;
  s.window = w;
  SetItemWindow(slot, w);
  m.OpenWindowVideo(w);
  if (CPlayWnd* p = Monitor(w)) {
    p->SetTitle(CString(r->serverName) + " - " + shell::ChannelName(*r, s.channel));
    p->SetRecordButton(s.manualRecord != 0);
    p->Invalidate(FALSE);
  }
}

void CDeviceDlg::CloseWindowView(int window) {
  if (!g_pMainDlg) return;
  shell::WindowList* list = g_pMainDlg->m_windows.At(window);
  if (!list) return;
  while (list->Count() > 0) {
    int slot = list->At(0);
    int before = list->Count();
    StopSlotInWindow(window, slot);
    SetItemWindow(slot, -1);
    if (list->Count() == before) list->Remove(slot);
  }
  list->Clear();
  ResetWindow(window, "Video");
}

void CDeviceDlg::OnAutoConfig() {
  if (!g_pMainDlg) return;
  CMainDlgFace& m = *g_pMainDlg;
  for (int w = 0; w < shell::kMonitorWindows; ++w)
    if (m.m_windows[w].Count() > 0 || m.m_windows[w].showsChannel) CloseWindowView(w);
  AssignChannelSlots();
  ConnectAll();
  const int count = CountChannelSlots();
  m.SetSplitForCount(count);
  // Slots are not compacted: every slot holding a device is walked, and
  // windows are given only while they last.
  int w = 0;
  for (int slot = 0; slot < shell::kChannelSlots && w < shell::kMonitorWindows; ++slot) {
    shell::ChannelSlot& s = m.m_channels[slot];
    if (!s.InUse() || s.device.load()->state == kStateReconnecting) continue;
    if (!StartSlotStreams(slot, false)) continue;
    m.m_windows[w].Add(slot);
    m.m_windows[w].position = 0;
    s.window = w;
    SetItemWindow(slot, w);
    if (CPlayWnd* p = Monitor(w))
      p->SetTitle(CString(s.device.load()->serverName) + " - " +
                  shell::ChannelName(*s.device.load(), s.channel));
    ++w;
  }
  for (int i = 0; i < shell::kMonitorWindows; ++i)
    if (m.m_windows[i].Count() > 0) m.OpenWindowVideo(i);
  if (CWnd* parent = GetParent()) parent->Invalidate(FALSE);
}

void CDeviceDlg::FollowChannelTable() {
  if (!g_pMainDlg) return;
  CMainDlgFace& m = *g_pMainDlg;
  // The items first: their slots as the table now has them, no window.
  for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d)) {
    shell::DeviceRecord* r = RecordOf(d);
    for (HTREEITEM c = m_tree.GetChildItem(d); c; c = m_tree.GetNextSiblingItem(c)) {
      const DWORD_PTR data = m_tree.GetItemData(c);
      const int slot = r ? m.m_channels.Find(r, ChannelItemData::Channel(data)) : -1;
      m_tree.SetItemData(c, ChannelItemData::WithWindow(ChannelItemData::WithSlot(data, slot < 0 ? 0xFF : slot),
                                                        shell::kMonitorWindows));
      m_tree.SetCheck(c, FALSE);
      const shell::ChannelSlot* s = m.m_channels.At(slot);
      SetCode(c, s && s->manualRecord ? kCodeChannelRecording : kCodeChannelIdle);
    }
  }
  // Channels the table left out take free slots, as after a login.
  AssignChannelSlots();
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    shell::WindowList& list = m.m_windows[w];
    if (list.Count() == 0) {
      ResetWindow(w, "Video");
      continue;
    }
    for (int i = 0; i < list.Count(); ++i) {
      shell::ChannelSlot* s = m.m_channels.At(list.At(i));
      shell::DeviceRecord* r = s ? s->device.load() : nullptr;
      if (!r) continue;
      // A slot whose start fails stays listed: the watchdog tries again.
      if (!s->subStreamRunning && r->state != kStateReconnecting) StartSlotStreams(list.At(i), false);
      s->window = w;
      SetItemWindow(list.At(i), w);
    }
    m.OpenWindowVideo(w);
    if (CPlayWnd* p = Monitor(w)) {
      const shell::ChannelSlot* s = m.m_channels.At(m.GetWindowChannel(w));
      p->SetRecordButton(s && (s->manualRecord || s->recording));
      p->Invalidate(FALSE);
    }
  }
  CountChannelSlots();
}

void CDeviceDlg::OpenChannelInWindow(const char* address, int channel, int window) {
  if (!g_pMainDlg || !address || !shell::WindowListModel::IsValid(window)) return;
  CMainDlgFace& m = *g_pMainDlg;
  for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d)) {
    shell::DeviceRecord* r = RecordOf(d);
    if (!r || !m_tree.ItemHasChildren(d) || strncmp(r->address, address, sizeof r->address) != 0) continue;
    const int slot = m.m_channels.Find(r, channel);
    if (slot < 0 || r->state == kStateReconnecting) return;
    shell::ChannelSlot& s = m.m_channels[slot];
    // A recording slot keeps its main stream running.
    if (!s.recording && !s.manualRecord) {
      m.StopLiveStream(int(r->loginId), channel, 0);
      s.mainStreamRunning = 0;
    }
    m.StopLiveStream(int(r->loginId), channel, 1);
    s.subStreamRunning = 0;
    if (!StartSlotStreams(slot, true)) return;
    m.CloseWindowVideo(window);
    m.m_windows[window].Add(slot);
    m.m_windows[window].position = m.m_windows[window].Count() - 1;
    s.window = window;
    SetItemWindow(slot, window);
    m.OpenWindowVideo(window);
    if (CPlayWnd* p = Monitor(window))
      p->SetTitle(CString(r->serverName) + " - " + shell::ChannelName(*r, channel));
    return;
  }
}

void CDeviceDlg::MoveWindowVideo(int from, int to) {
  if (!g_pMainDlg || from == to) return;
  CMainDlgFace& m = *g_pMainDlg;
  shell::WindowList* a = m.m_windows.At(from);
  shell::WindowList* b = m.m_windows.At(to);
  if (!a || !b || (a->Count() == 0 && b->Count() == 0)) return;
  CPlayWnd* wa = Monitor(from);
  CPlayWnd* wb = Monitor(to);
  bool soundDiffers = false;
  if (wa && wb) {
    BOOL aa = wa->ButtonIsOn(kButtonAudio), ab = wb->ButtonIsOn(kButtonAudio);
    BOOL pa = wa->ButtonIsOn(kButtonPause), pb = wb->ButtonIsOn(kButtonPause);
    wa->SetAudioButton(ab), wb->SetAudioButton(aa);
    wa->SetPauseButton(pb), wb->SetPauseButton(pa);
    soundDiffers = (aa != FALSE) != (ab != FALSE);
  }
  if (a->Count() > 0) m.CloseWindowVideo(from);
  if (b->Count() > 0) m.CloseWindowVideo(to);
  std::vector<int> la, lb;
  for (int i = 0; i < a->Count(); ++i) la.push_back(a->At(i));
  for (int i = 0; i < b->Count(); ++i) lb.push_back(b->At(i));
  a->Clear();
  b->Clear();
  for (int s : lb) a->Add(s);
  for (int s : la) b->Add(s);
  a->position = a->Count() > 0 ? 0 : -1;
  b->position = b->Count() > 0 ? 0 : -1;
  for (int s : la) m.m_channels[s].window = to, SetItemWindow(s, to);
  for (int s : lb) m.m_channels[s].window = from, SetItemWindow(s, from);
  if (a->Count() == 0) ResetWindow(from, "No video");
  if (b->Count() == 0) ResetWindow(to, "Video");
  const int targets[2] = {from, to};
  for (int w : targets) {
    shell::WindowList& list = m.m_windows[w];
    const int slot = list.CurrentSlot();
    if (slot < 0) continue;
    // The streams belong to the slot and keep running: only the window's
    // play handle is made again.
    m.OpenWindowVideo(w);
    shell::ChannelSlot& s = m.m_channels[slot];
    if (CPlayWnd* p = Monitor(w)) {
      shell::DeviceRecord* r = s.device.load();
      if (r) p->SetTitle(CString(r->serverName) + " - " + shell::ChannelName(*r, s.channel));
      p->SetRecordButton(s.manualRecord != 0);
      p->Invalidate(FALSE);
    }
  }
  // Sound and talkback follow the video: the main dialog's window flags
  // are set again for the channels each window now shows.
  if (soundDiffers) {
    m.ToggleWindowSound(from);
    m.ToggleWindowSound(to);
  }
  if (m_talkbackSlot >= 0 && (a->Contains(m_talkbackSlot) || b->Contains(m_talkbackSlot))) {
    m.ResetWindowTalkback(from);
    m.ResetWindowTalkback(to);
    m.SetChannelTalkback(m_talkbackSlot, TRUE);
  }
}

void CDeviceDlg::OnMonitorButton(int window, int code) {
  if (!g_pMainDlg || !shell::WindowListModel::IsValid(window)) return;
  CMainDlgFace& m = *g_pMainDlg;
  m.SelectMonitorWindow(window);
  CPlayWnd* w = Monitor(window);
  if (w) w->Invalidate(FALSE);
  const int slot = m.GetWindowChannel(window);
  const bool used = slot >= 0 && m.m_channels[slot].InUse();
  shell::WindowList& list = m.m_windows[window];
  switch (code) {
    case kButtonTalkback:
      if (used) SwitchTalkback(slot, FindDeviceItem(RecordIndexOf(m.m_channels[slot].device.load())));
      break;
    case kButtonRecord:
      if (used && CheckUserRight(kRightLocalRecord, "You have no power to Local Record!")) ToggleRecordOfSlot(slot);
      break;
    case kButtonSnap:
      m.OnSnapshot();
      break;
    case kButtonAudio:
      if (used) {
        m.ToggleWindowSound(window);
        if (w) w->SetAudioButton(!w->ButtonIsOn(kButtonAudio));
      }
      break;
    case kButtonClose:
      CloseWindowView(window);
      // fall through: the pause update
    case kButtonPause:
      if (list.Count() > 1 && list.showsChannel) {
        list.pollingPaused = list.pollingPaused ? 0 : 1;
        if (w) w->SetPauseButton(list.pollingPaused != 0);
      } else {
        list.pollingPaused = 0;
        if (w) w->SetPauseButton(FALSE);
      }
      break;
    default:
      break;
  }
}
