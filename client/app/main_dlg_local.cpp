// The main dialog's local settings, work plan, server table, preview plans,
// alarm view and about box: each command runs or shows its dialog and keeps
// what the operator chose.
#include "main_dlg.h"

#include "RecordDisks.h"
#include "about_dlg.h"
#include "alarm_upload_dlg.h"
#include "alarm_video_dlg.h"
#include "connect_server_dlg.h"
#include "local_settings_dlgs.h"
#include "local_work_plan_dlg.h"
#include "preview_plan_dlg.h"

void CMainDlg::OnAbout() {
  CAboutDlg dlg(this);
  dlg.DoModal();
}

void CMainDlg::OnPollingSettings() {
  CLocalPollingDlg dlg(this);
  dlg.m_interval = m_settings.pollInterval;
  dlg.m_iniPath = m_programDir + "Corvel.ini";
  dlg.m_timerWindow = m_hWnd;   // its timer 103 is set again
  if (dlg.DoModal() == IDOK) m_settings.pollInterval = dlg.m_interval;
}

void CMainDlg::OnStorageSettings() {
  CLocalStorageDlg dlg(this);
  dlg.m_diskMask = m_settings.recordDiskMask;
  dlg.m_minutes = m_settings.recordMinutes;
  if (dlg.DoModal() != IDOK) return;
  m_settings.recordDiskMask = dlg.m_diskMask;
  m_settings.recordMinutes = dlg.m_minutes;
  WriteStorageSettings(m_programDir + "Corvel.ini", m_settings);
  if (m_recordDisks) m_recordDisks->SetRecordDiskMask(m_settings.recordDiskMask);
}

void CMainDlg::OnAlarmSettings() {
  CLocalAlarmSetDlg dlg(this);
  dlg.FromSettings(m_settings);
  if (dlg.DoModal() != IDOK) return;
  dlg.ToSettings(m_settings);
  WriteAlarmSettings(m_programDir + "Corvel.ini", m_settings);
}

void CMainDlg::OnWorkPlan() {
  CLocalWorkPlanDlg dlg(this);
  *dlg.m_plan = m_config->workPlan;
  dlg.m_enabled = m_autoWorkPlan;
  dlg.m_rows = LocalPlanRowsFromSlots(m_channels);
  if (dlg.DoModal() != IDOK) return;
  m_config->workPlan = *dlg.m_plan;
  m_autoWorkPlan = dlg.m_enabled;
  m_config->workPlanEnabled = m_autoWorkPlan ? 1 : 0;
  SaveConfig();
}

void CMainDlg::OnConnectServer() {
  CConnectServerDlg dlg(this);
  dlg.DoModal();
}

void CMainDlg::CreatePreviewPlans() {
  if (m_previewPlanDlg) return;
  m_previewPlanDlg = std::make_unique<CPreviewPlanDlg>(this);
  m_previewPlanDlg->m_plans = m_plans.get();
  m_previewPlanDlg->m_programDir = m_programDir;
  if (!m_previewPlanDlg->Create(CPreviewPlanDlg::IDD, this)) m_previewPlanDlg.reset();
}

void CMainDlg::OnPreviewPlans() {
  CreatePreviewPlans();
  if (m_previewPlanDlg) m_previewPlanDlg->ShowWindow(SW_SHOW);
}

void CMainDlg::CreateAlarmDialogs() {
  m_alarmVideoDlg = std::make_unique<CAlarmVideoDlg>(this);
  if (!m_alarmVideoDlg->Create(CAlarmVideoDlg::IDD, this)) m_alarmVideoDlg.reset();
  m_alarmUploadDlg = std::make_unique<CAlarmUploadDlg>(this);
  if (!m_alarmUploadDlg->Create(CAlarmUploadDlg::IDD, this)) {
    m_alarmUploadDlg.reset();
    return;
  }
  m_alarmUploadDlg->m_alarmVideo = m_alarmVideoDlg.get();
}

void CMainDlg::OnAlarmUpload() {
  if (m_alarmUploadDlg) m_alarmUploadDlg->ShowWindow(SW_SHOW);
}
