// The main dialog's timers: 101 the stream watchdog, 102 the record
// schedule, 103 polling.
#include "main_dlg.h"

#include "preview_plan_dlg.h"
#include "window_layout.h"

void CMainDlg::RunWatchdog() {
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    const shell::WindowList& list = m_windows[w];
    int n = list.Count();
    for (int i = 0; i < n; ++i) {
      int slotIndex = list.At(i);
      shell::ChannelSlot* slot = m_channels.At(slotIndex);
      if (!slot) continue;
      // Main stream, then sub stream; the callbacks clear the values when
      // data arrives.
      shell::WatchdogStep main = shell::StepWatchdog(slot->mainTicks, slot->mainRestarts);
      slot->mainRestarts = main.restarts;
      if (main.restart) RestartStream(slotIndex, w, 0);
      slot->mainTicks = main.ticks;
      shell::WatchdogStep sub = shell::StepWatchdog(slot->subTicks, slot->subRestarts);
      slot->subRestarts = sub.restarts;
      if (sub.restart) RestartStream(slotIndex, w, 1);
      slot->subTicks = sub.ticks;
    }
  }
}

void CMainDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case kTimerWatchdog:
      RunWatchdog();
      // Once in a run, from the fourth tick on, as soon as the preview plans
      // exist: the windows of the last close come back.
      if (!m_lastPlanPlayed && ++m_watchdogTicks >= 4 && m_previewPlanDlg) {
        m_lastPlanPlayed = TRUE;
        m_previewPlanDlg->PlayLastPlayPlan();
      }
      return;
    case kTimerRecordSchedule:
      RunRecordSchedule();
      return;
    case kTimerPolling:
      PollStep();
      return;
    default:
      // The skinned base's hover timer among others.
      CMainDlgBase::OnTimer(id);
  }
}
