// The main dialog's channel assignment: the monitoring channel list
// (command 2213) and the start-up restore of the last configuration.
#include "main_dlg_record_host.h"

#include <algorithm>

#include "FrameQueue.h"
#include "RecordWriter.h"
#include "card_session.h"
#include "channel_list_dlg.h"
#include "core/Orvik.h"
#include "load_config_dlg.h"

namespace {

// A device the start-up restore takes a slot of: one the loader left
// reachable (stream stopped, logged in or connected).
bool RestorableState(uint32_t state) { return state >= 2 && state <= 4; }

}  // namespace

void CMainDlg::StopSlotStreams(int slot) {
  shell::ChannelSlot* s = m_channels.At(slot);
  const shell::DeviceRecord* d = s ? s->device.load() : nullptr;
  if (!s) return;
  if (d && d->loginId && m_streamControl) {
    if (s->mainStreamRunning) m_streamControl->StopStream(int(d->loginId), s->channel, 0);
    if (s->subStreamRunning) m_streamControl->StopStream(int(d->loginId), s->channel, 1);
  }
  s->mainStreamRunning = 0;
  s->subStreamRunning = 0;
}

BOOL CMainDlg::RunChannelListDialog(shell::ChannelGroups& groups, int& splitLayout) {
  for (int i = 0; i < shell::kChannelSlots; ++i) {
    groups[i].device = m_channels[i].device.load();
    groups[i].channel = groups[i].device ? m_channels[i].channel.load() : -1;
    groups[i].group = groups[i].device ? m_windows.FindWindowOf(i) : -1;
  }
  for (int w = 0; w < shell::kMonitorWindows; ++w)
    for (int i = 0; i < m_windows[w].Count(); ++i) groups.Group(w).push_back(m_windows[w].At(i));
  memcpy(&groups.Plan(), &m_config->workPlan, sizeof groups.Plan());
  CMonitorChannelListDlg dlg(m_config.get(), m_programDir + "Corvel.ini", this);
  dlg.m_groups = groups;
  dlg.m_groupsCountIndex = m_layoutKind - 1;
  dlg.m_onDestroyed = [this] { m_loadLastConnectStatus = FALSE; };
  if (m_channelListHook ? m_channelListHook(dlg) != IDOK : dlg.DoModal() != IDOK) return FALSE;
  groups = dlg.m_groups;
  if (dlg.m_groupsCountIndex >= 0 && dlg.m_groupsCountIndex <= 5) splitLayout = dlg.m_groupsCountIndex;
  return TRUE;
}

void CMainDlg::ApplyMonitoringChannels() {
  const bool feedBefore = TheCardSession().FeedOn();
  TheCardSession().SetFeed(false);
  auto groups = std::make_unique<shell::ChannelGroups>();
  int splitLayout = m_splitLayout;
  if (!m_startUpMode) {
    if (!RunChannelListDialog(*groups, splitLayout)) {
      // Cancelled: the card goes on as it did.
      TheCardSession().SetFeed(feedBefore);
      return;
    }
  } else {
    CLoadConfigDlg loader(m_config.get(), this);
    if (m_loaderHook) m_loaderHook(loader);
    else loader.DoModal();
  }

  KillTimer(kTimerPolling);
  // Sound and talkback belong to the channels the windows showed: off
  // before the windows change hands.
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    if (!m_windowSound[w]) continue;
    ToggleWindowSound(w);
    m_monitors[w].SetAudioButton(FALSE);
  }
  if (m_talkbackActive && m_devicePanel.m_hWnd) m_devicePanel.EndTalkback();
  for (int w = 0; w < shell::kMonitorWindows; ++w) CloseWindowVideo(w);
  for (int i = 0; i < shell::kChannelSlots; ++i) {
    if (m_recordWriter && m_recordWriter->IsRecording(i)) StopRecord(i);
    m_channels[i].manualAlarm = 0;
  }
  {
    std::unique_ptr<std::lock_guard<std::recursive_mutex>> hold;
    if (m_recordWriter) hold = std::make_unique<std::lock_guard<std::recursive_mutex>>(m_recordWriter->Lock());
    if (m_startUpMode) {
      RestoreChannelsAtStartUp();
    } else {
      for (int i = 0; i < shell::kChannelSlots; ++i) {
        shell::ChannelSlot& s = m_channels[i];
        const shell::ChannelGroups::Slot& g = (*groups)[i];
        // A slot that changes hands stops its streams first: they would
        // deliver the old channel's frames into the new one's windows.
        if (s.device.load() != g.device || s.channel.load() != g.channel) {
          StopSlotStreams(i);
          s.Clear();
          s.device = g.device;
          s.channel = g.device ? g.channel : -1;
        }
      }
      for (int w = 0; w < shell::kMonitorWindows; ++w) {
        m_windows[w].Clear();
        for (int slot : groups->Group(w)) m_windows[w].Add(slot);
      }
      memcpy(&m_config->workPlan, &groups->Plan(), sizeof m_config->workPlan);
      m_splitLayout = splitLayout;
    }
    m_channels.CountUsed();
    for (int w = 0; w < shell::kMonitorWindows; ++w) m_windows[w].position = -1;
    for (int i = 0; i < shell::kChannelSlots; ++i)
      if (m_frameQueue) m_frameQueue->Reset(i);
  }
  m_statisticDlg.ResetCounters();
  SetTimer(kTimerPolling, UINT(m_settings.pollInterval) * 1000);
  if (!m_startUpMode) ArrangeSplitLayout();
  for (int w = 0; w < shell::kMonitorWindows; ++w)
    if (m_windows[w].Count() > 0) OpenWindowVideo(w);
  // The listed channels stream; the windows and the device tree show them.
  if (m_devicePanel.m_hWnd) m_devicePanel.FollowChannelTable();
  if (m_startUpMode) {
    BOOL plan = m_config->workPlanEnabled ? TRUE : FALSE;
    if (plan != m_autoWorkPlan) {
      m_autoWorkPlan = plan;
      BuildMainMenu();
      RunRecordSchedule();
    }
    m_startUpMode = FALSE;
  }
}

void CMainDlg::RestoreChannelsAtStartUp() {
  std::vector<int> skipped;
  for (int i = 0; i < shell::kChannelSlots; ++i) {
    shell::ChannelSlot& s = m_channels[i];
    StopSlotStreams(i);
    s.Clear();
    const shell::LogicalChannelEntry& e = m_config->channels[i];
    shell::DeviceRecord* dev = e.deviceRef >= 1 && e.deviceRef <= 36 ? &m_config->devices[e.deviceRef - 1] : nullptr;
    if (!dev || !RestorableState(dev->state) || e.channel > 255) {
      skipped.push_back(i);
      continue;
    }
    s.device = dev;
    s.channel = int32_t(e.channel);
    s.manualRecord = e.manualRecord ? 1 : 0;
    s.thirdFlag = e.thirdFlag ? 1 : 0;
    s.manualAlarm = e.manualAlarm ? 1 : 0;
    s.alarmFlags = e.words[0] & (shell::ChannelSlot::kAlarmMotion | shell::ChannelSlot::kAlarmProbe);
  }
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    const shell::WindowChannelList& saved = m_config->windows[w];
    shell::WindowList& list = m_windows[w];
    list.Clear();
    uint32_t n = saved.count > 64 ? 64 : saved.count;
    for (uint32_t i = 0; i < n; ++i) {
      int slot = int(saved.slots[i]);
      if (slot < 0 || slot >= shell::kChannelSlots) continue;
      if (std::find(skipped.begin(), skipped.end(), slot) != skipped.end()) continue;
      list.Add(slot);
    }
    list.stateWords[0] = saved.stateWords[0];
    list.stateWords[1] = saved.stateWords[1];
    list.pollingPaused = saved.pollingPaused ? 1 : 0;
    list.furtherState = saved.furtherState;
  }
}
