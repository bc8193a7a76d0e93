// The main dialog's duties: the record schedule (timer 102), polling
// (timer 103), the PTZ dispatch, the current window's sound and polling
// switches, talkback bookkeeping and the host-name resolver thread.
#include "main_dlg_record_host.h"

#include <winsock2.h>

#include "RecordWriter.h"
#include "core/Orvik.h"
#include "app_services.h"
#include "main_duties.h"
#include "statistic_dlg.h"

namespace {

constexpr ULONGLONG kLowRecordSpace = 200ull * 1024 * 1024;

CString SlotChannelName(const shell::ChannelSlot& s) {
  return StatisticChannelName(s.device.load(), uint32_t(s.channel.load()));
}

}  // namespace

uint32_t CMainDlg::TickMs() const { return m_tickMs ? m_tickMs() : ::GetTickCount(); }

SYSTEMTIME CMainDlg::LocalTimeNow() const {
  if (m_localTime) return m_localTime();
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  return t;
}

BOOL CMainDlg::IsInWorkPlan(int slot, uint8_t detectionMask) {
  if (!m_config) return FALSE;
  SYSTEMTIME t = LocalTimeNow();
  return shell::IsInWorkPlan(m_config->workPlan, slot, detectionMask, shell::WorkPlanDay(t.wDayOfWeek),
                             t.wHour * 60 + t.wMinute)
             ? TRUE
             : FALSE;
}

void CMainDlg::SetWindowCaption(int window, const CString& text) {
  if (shell::WindowListModel::IsValid(window) && m_monitors[window].m_hWnd) m_monitors[window].SetTitle(text);
}

void CMainDlg::SetWindowStatusText(int window, const char* text) {
  if (shell::WindowListModel::IsValid(window)) m_monitors[window].SetStatusText(text);
}

void CMainDlg::RefreshStatistics() { m_statisticDlg.RefreshList(); }

void CMainDlg::RunRecordSchedule() {
  if (!m_recordWriter) return;
  // Slots are not compacted when a device goes: every slot with a device.
  for (int slot = 0; slot < shell::kChannelSlots; ++slot) {
    shell::ChannelSlot& s = m_channels[slot];
    shell::DeviceRecord* dev = s.device.load();
    if (!dev) continue;
    shell::RecordScheduleInput in;
    record::RecordFileState file = m_recordWriter->FileState(slot);
    in.recording = m_recordWriter->IsRecording(slot);
    CString channelName = SlotChannelName(s);
    if (in.recording) {
      std::string address(dev->address, strnlen(dev->address, sizeof dev->address));
      if (m_recordHost->MakeRecordFilePath(address, s.channel, channelName.GetString(), file.recordType).empty())
        m_recordHost->CleanUpRecordDisk();
      in.recordType = file.recordType;
      in.elapsedSeconds = (TickMs() - file.startTick) / 1000;
      ULARGE_INTEGER freeBytes{};
      if (!file.root.empty() && ::GetDiskFreeSpaceExA(file.root.c_str(), &freeBytes, nullptr, nullptr))
        in.lowSpace = freeBytes.QuadPart < kLowRecordSpace;
    }
    in.recordMinutes = m_settings.recordMinutes;
    in.recordDelay = m_settings.recordDelay;
    in.preRecord = m_settings.preRecord != 0;
    in.autoWorkPlan = m_autoWorkPlan != FALSE;
    if (in.autoWorkPlan) {
      in.planNormal = IsInWorkPlan(slot, shell::kPlanContinuous) != FALSE;
      in.planAlarm = IsInWorkPlan(slot, shell::AlarmPlanMask(s.alarmFlags)) != FALSE;
    }
    in.manualRecord = s.manualRecord != 0;
    shell::RecordScheduleStep step = shell::StepRecordSchedule(in);
    if (step.cut) {
      if (step.clearAlarm) s.alarmFlags = 0;
      StopRecord(slot);
      for (int w = 0; w < shell::kMonitorWindows; ++w) {
        if (!m_windows[w].showsChannel || m_windows[w].CurrentSlot() != slot) continue;
        CString caption;
        caption.Format("%s - %s", dev->serverName, channelName.GetString());
        SetWindowCaption(w, caption);
        break;
      }
    }
    // A failed start leaves the slot as it was: the next pass tries again.
    if (step.startType) StartRecord(slot, step.startType, step.preFrames);
    if (step.stop) StopRecord(slot);
  }
}

void CMainDlg::PollStep() {
  int windows = GetWindowCount();
  for (int w = 0; w < windows && w < shell::kMonitorWindows; ++w) {
    shell::WindowList& list = m_windows[w];
    if (!list.showsChannel || list.Count() <= 1 || list.pollingPaused) continue;
    int next = shell::NextPollPosition(list.position, list.Count());
    int slot = list.At(next);
    shell::ChannelSlot* s = m_channels.At(slot);
    shell::DeviceRecord* dev = s ? s->device.load() : nullptr;
    // An entry that is no channel ends the step: later windows wait.
    if (!dev) return;
    CString caption;
    CString name = SlotChannelName(*s);
    bool alarmRecord = m_recordWriter && m_recordWriter->IsRecording(slot) &&
                       m_recordWriter->FileState(slot).recordType == shell::kRecordAlarm;
    if (alarmRecord)
      caption.Format("%s - %s : %s", dev->serverName, name.GetString(),
                     TranslateString("Alarm Recording").GetString());
    else
      caption.Format("%s - %s", dev->serverName, name.GetString());
    SetWindowCaption(w, caption);
    list.position = next;
    s->window = w;
    // The record and talkback looks show the channel now in the window.
    m_monitors[w].SetRecordButton(s->manualRecord || s->recording);
    m_windowTalkback[w] = s->talkback ? 1 : 0;
    m_monitors[w].SetTalkbackButton(s->talkback != 0);
    if (w == m_currentWindow && m_colorDlg.m_hWnd) m_colorDlg.LoadFromChannel(dev);
    // New play handles for the new channel; the streams go on: the slot's
    // callbacks feed whichever window shows it.
    HWND video = m_monitors[w].GetVideoHwnd();
    int oldMain = list.mainHandle.exchange(0), oldSub = list.subHandle.exchange(0);
    PublishWindowRoute(w);  // the stream threads let go of the old handles first
    for (int old : {oldMain, oldSub}) {
      if (!old) continue;
      NET_StopPlayVideoStream(old);
      NET_CloseRealPlayHandle(old);
    }
    list.mainHandle = NET_CreateRealPlayHandle(video);
    list.subHandle = NET_CreateRealPlayHandle(video);
    PublishWindowRoute(w);
    SendStreamStarted(dev->address, dev->streamPort, s->channel, 0);
    SendStreamStarted(dev->address, dev->streamPort, s->channel, 1);
  }
}

void CMainDlg::LoadWindowColours(int window) {
  const shell::ChannelSlot* s = m_channels.At(GetWindowChannel(window));
  if (m_colorDlg.m_hWnd && s && s->device.load()) m_colorDlg.LoadFromChannel(s->device.load());
}

// ---- PTZ

void CMainDlg::OnPtzPreset() {
  if (!m_presetDlg.m_hWnd) return;
  m_presetDlg.CenterWindow(this);
  m_presetDlg.ShowWindow(SW_SHOW);
  m_presetDlg.SetForegroundWindow();
}

int CMainDlg::PtzTargetSlot(BOOL prompt) {
  shell::WindowList* w = m_windows.At(m_currentWindow);
  if (!w || !w->showsChannel) return -1;
  if (w->Count() >= 2 && !w->pollingPaused) {
    if (prompt) TranslatedMessageBox(this, "Please pause polling first!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }
  int slot = GetWindowChannel(m_currentWindow);
  const shell::ChannelSlot* s = m_channels.At(slot);
  return s && s->InUse() ? slot : -1;
}

void CMainDlg::SendPtz(int slot, uint8_t command, uint8_t preset) {
  const shell::ChannelSlot* s = m_channels.At(slot);
  const shell::DeviceRecord* dev = s ? s->device.load() : nullptr;
  if (!dev) return;
  shell::UdpDatagram d = shell::BuildPtz(command, uint8_t(s->channel.load()), preset);
  SendUdpCommand(d.data(), int(d.size()), dev->address, shell::kUdpCommandPort);
}

void CMainDlg::PtzStart(int buttonCode) {
  int slot = PtzTargetSlot(TRUE);
  if (slot >= 0) SendPtz(slot, shell::PtzCommandForButton(buttonCode));
}

void CMainDlg::PtzStop(int) {
  int slot = PtzTargetSlot(FALSE);
  if (slot >= 0) SendPtz(slot, shell::UDPCMD_PTZ_STOP);
}

LRESULT CMainDlg::OnPtzButton(WPARAM mouseMessage, LPARAM buttonCode) {
  if (mouseMessage == WM_LBUTTONDOWN)
    PtzStart(int(buttonCode));
  else if (mouseMessage == WM_LBUTTONUP)
    PtzStop(int(buttonCode));
  return 0;
}

// ---- the current window's switches and talkback

void CMainDlg::ToggleWindowSound(int window) {
  if (!shell::WindowListModel::IsValid(window)) return;
  m_windowSound[window] = m_windowSound[window] ? 0 : 1;
  shell::WindowList& list = m_windows[window];
  if (!list.showsChannel) return;
  for (int i = 0; i < list.Count(); ++i) {
    const shell::ChannelSlot* s = m_channels.At(list.At(i));
    const shell::DeviceRecord* dev = s ? s->device.load() : nullptr;
    if (!dev || !dev->loginId) continue;
    if (m_windowSound[window])
      NET_OpenSound(int(dev->loginId), s->channel);
    else
      NET_CloseSound(int(dev->loginId), s->channel);
  }
}

void CMainDlg::OnToggleWindowSound() { ToggleWindowSound(m_currentWindow); }

void CMainDlg::ResetWindowTalkback(int window) {
  if (!shell::WindowListModel::IsValid(window)) return;
  m_windowTalkback[window] = 0;
  m_monitors[window].SetTalkbackButton(FALSE);
  if (m_monitors[window].m_hWnd) m_monitors[window].Invalidate();
  shell::WindowList& list = m_windows[window];
  for (int i = 0; i < list.Count(); ++i) {
    shell::ChannelSlot* s = m_channels.At(list.At(i));
    if (s && s->talkback) {
      s->talkback = 0;
      break;
    }
  }
}

void CMainDlg::SetChannelTalkback(int slot, BOOL on) {
  shell::ChannelSlot* s = m_channels.At(slot);
  if (!s) return;
  s->talkback = on ? 1 : 0;
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    if (m_windows[w].CurrentSlot() != slot) continue;
    m_windowTalkback[w] = on ? 1 : 0;
    m_monitors[w].SetTalkbackButton(on);
    if (m_monitors[w].m_hWnd) m_monitors[w].Invalidate();
    break;
  }
}

// ---- the host-name resolver

UINT CMainDlg::ResolverThreadProc(LPVOID param) {
  auto* self = static_cast<CMainDlg*>(param);
  while (!self->m_stopFlag) {
    for (int i = 0; i < 36 && !self->m_stopFlag && self->m_config; ++i) {
      const shell::DeviceRecord& d = self->m_config->devices[i];
      if (d.state != 1) continue;
      // A copy: the UI thread may change the record meanwhile.
      char address[sizeof d.address + 1] = {};
      memcpy(address, d.address, sizeof d.address);
      if (!address[0]) continue;
      if (hostent* h = ::gethostbyname(address)) {
        if (h->h_addr_list && h->h_addr_list[0]) {
          in_addr a;
          memcpy(&a, h->h_addr_list[0], sizeof a);
          (void)::inet_ntoa(a);  // looked at, stored nowhere
        }
      }
    }
    for (int wait = 0; wait < 15; ++wait) {
      if (self->m_stopFlag) return 0;
      ::WaitForSingleObject(self->m_stopEvent, 200);
    }
  }
  return 0;
}
