#include "FrontSystemPage.h"

#include <afxdlgs.h>

#include <cstring>

#include "app_services.h"
#include "devcfg_helpers.h"
#include "helpers.h"
#include "language.h"
#include "system_rules.h"
#include "text_copy.h"
#include "udp_packets.h"

BEGIN_MESSAGE_MAP(CFrontSystemPage, CDeviceBlockPage)
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_SYS_BROWSE, OnBrowse)
  ON_BN_CLICKED(IDC_SYS_UPDATE, OnUpdate)
  ON_BN_CLICKED(IDC_SYS_REBOOT, OnReboot)
  ON_BN_CLICKED(IDC_SYS_RESTORE, OnRestore)
  ON_BN_CLICKED(IDC_SYS_SAVE_NAME, OnSaveName)
  ON_BN_CLICKED(IDC_SYS_SAVE_PORTS, OnSavePorts)
  ON_BN_CLICKED(IDC_SYS_SAVE_TIME, OnSaveTime)
  ON_BN_CLICKED(IDC_SYS_SYNC_PC, OnSyncClicked)
  ON_BN_CLICKED(IDC_SYS_UPDATE_CHECK, OnUpdateClicked)
  ON_BN_CLICKED(IDC_SYS_RESTORE_CHECK, OnRestoreClicked)
END_MESSAGE_MAP()

CFrontSystemPage::CFrontSystemPage(CSettingsPageHost* owner, uint8_t* deviceBlock)
    : CDeviceBlockPage(IDD_FRONT_SYSTEM_PAGE, owner, deviceBlock, devcfg::kDeviceSettingsSize) {}

BOOL CFrontSystemPage::OnInitDialog() {
  CDeviceBlockPage::OnInitDialog();
  m_progress.SubclassDlgItem(IDC_SYS_PROGRESS, this);
  m_date.SubclassDlgItem(IDC_SYS_DATE, this);
  m_time.SubclassDlgItem(IDC_SYS_TIME, this);
  m_progress.SetRange(0, 100);
  SendDlgItemMessage(IDC_SYS_NAME, EM_LIMITTEXT, 32);
  SendDlgItemMessage(IDC_SYS_TCP_PORT, EM_LIMITTEXT, 5);
  SendDlgItemMessage(IDC_SYS_HTTP_PORT, EM_LIMITTEXT, 5);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  m_date.SetTime(&now);
  m_time.SetTime(&now);
  m_sync = m_update = m_restore = FALSE;
  RefreshFromBlock();
  ApplyChecks();
  return TRUE;
}

void CFrontSystemPage::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_SYS_FILE, m_updatePath);
  DDX_Radio(dx, IDC_SYS_PAL, m_videoStandard);
  DDX_Check(dx, IDC_SYS_SYNC_PC, m_sync);
  DDX_Check(dx, IDC_SYS_UPDATE_CHECK, m_update);
  DDX_Check(dx, IDC_SYS_RESTORE_CHECK, m_restore);
  DDX_Text(dx, IDC_SYS_NAME, m_name);
  DDX_Radio(dx, IDC_SYS_CYCLE, m_diskFull);
}

void CFrontSystemPage::RefreshFromBlock() {
  const uint8_t* b = m_shared;
  m_name = devcfg::FieldText(reinterpret_cast<const char*>(b + devcfg::kDeviceNameAt), devcfg::kDeviceNameSize).c_str();
  m_videoStandard = devcfg::GetU32(b + devcfg::kVideoStandardAt) ? 1 : 0;
  m_diskFull = b[devcfg::kDiskFullAt] ? 0 : 1;
  if (!GetSafeHwnd()) return;
  UpdateData(FALSE);
  SetDlgItemInt(IDC_SYS_TCP_PORT, devcfg::ShownPort(devcfg::GetU16(b + devcfg::kTcpPortAt), devcfg::kDefaultTcpPort),
                FALSE);
  SetDlgItemInt(IDC_SYS_HTTP_PORT,
                devcfg::ShownPort(devcfg::GetU16(b + devcfg::kHttpPortAt), devcfg::kDefaultHttpPort), FALSE);
}

void CFrontSystemPage::ApplyChecks() {
  auto enable = [this](int id, BOOL on) {
    if (CWnd* c = GetDlgItem(id)) c->EnableWindow(on);
  };
  enable(IDC_SYS_DATE, !m_sync);
  enable(IDC_SYS_TIME, !m_sync);
  enable(IDC_SYS_BROWSE, m_update);
  enable(IDC_SYS_FILE, m_update);
  enable(IDC_SYS_UPDATE, m_update && (g_userRights & kRightFrontEndUpdate));
  enable(IDC_SYS_RESTORE, m_restore);
}

void CFrontSystemPage::OnDestroy() {
  m_sync = m_update = m_restore = FALSE;
  CDeviceBlockPage::OnDestroy();
}

void CFrontSystemPage::OnSyncClicked() {
  UpdateData(TRUE);
  ApplyChecks();
}
void CFrontSystemPage::OnUpdateClicked() {
  UpdateData(TRUE);
  ApplyChecks();
}
void CFrontSystemPage::OnRestoreClicked() {
  UpdateData(TRUE);
  ApplyChecks();
}

void CFrontSystemPage::OnBrowse() {
  UpdateData(TRUE);
  CString filter;
  filter.Format("%s (*.bin)|*.bin||", (LPCSTR)TranslateString("BIOS File"));
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter, this);
  if (dlg.DoModal() != IDOK) return;
  m_updatePath = dlg.GetPathName();
  UpdateData(FALSE);
}

void CFrontSystemPage::OnUpdate() {
  UpdateData(TRUE);
  if (!IsCurrentUserAdministrator()) {
    TranslatedMessageBox(this, "You have no power to update software!", "WARNING", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (m_updatePath.IsEmpty()) return;
  uint32_t size = 0;
  if (FileExists(m_updatePath, &size) && devcfg::UpdateFileSizeAccepted(size)) {
    ChosenDevice();
    for (int id : {IDC_SYS_BROWSE, IDC_SYS_FILE, IDC_SYS_UPDATE, IDC_SYS_UPDATE_CHECK})
      if (CWnd* c = GetDlgItem(id)) c->EnableWindow(FALSE);
    TellDeviceNotChanged(this);
    return;
  }
  CString text;
  text.Format("%s : %s", (LPCSTR)TranslateString("Invalid BIOS File"), (LPCSTR)m_updatePath);
  ComposedMessageBox(this, text, "ERROR", MB_OK | MB_ICONSTOP);
}

void CFrontSystemPage::OnReboot() {
  UpdateData(TRUE);
  if (TranslatedMessageBox(this, "Are you sure you want to reboot the front end device?", "WARNING",
                           MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (SendToChosenDevice(shell::BuildReboot()) != 0) TellDeviceNotChanged(this);
}

void CFrontSystemPage::OnRestore() {
  UpdateData(TRUE);
  if (TranslatedMessageBox(this, "Are you sure you want to restore to manufacturer default?", "WARNING",
                           MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ChosenDevice();
  TellDeviceNotChanged(this);
}

void CFrontSystemPage::OnSaveName() {
  UpdateData(TRUE);
  char* field = reinterpret_cast<char*>(m_shared + devcfg::kDeviceNameAt);
  std::memset(field, 0, devcfg::kDeviceNameSize);
  CopyText(field, devcfg::kDeviceNameSize, m_name);
  ChosenDevice();
}

void CFrontSystemPage::OnSavePorts() {
  UpdateData(TRUE);
  int tcp = 0, http = 0;
  // Five digits reach 99999: anything above 65535 is refused, never wrapped.
  const bool parsed = devcfg::ParseBoundedNumber(GetItemText(this, IDC_SYS_TCP_PORT), 99999, &tcp) &&
                      devcfg::ParseBoundedNumber(GetItemText(this, IDC_SYS_HTTP_PORT), 99999, &http);
  if (!parsed || !devcfg::PortsAccepted(uint32_t(tcp), uint32_t(http))) {
    TranslatedMessageBox(this, "Invalid port config, please re-config!", "WARNING", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  devcfg::PutU32(m_shared + devcfg::kVideoStandardAt, uint32_t(m_videoStandard ? 1 : 0));
  devcfg::PutU16(m_shared + devcfg::kTcpPortAt, uint32_t(tcp));
  devcfg::PutU16(m_shared + devcfg::kHttpPortAt, uint32_t(http));
  m_shared[devcfg::kDiskFullAt] = m_diskFull == 0 ? 1 : 0;
  ChosenDevice();
}

void CFrontSystemPage::OnSaveTime() {
  UpdateData(TRUE);
  SYSTEMTIME when{};
  if (m_sync) {
    GetLocalTime(&when);
  } else {
    SYSTEMTIME date{}, time{};
    m_date.GetTime(&date);
    m_time.GetTime(&time);
    when = date;
    when.wHour = time.wHour;
    when.wMinute = time.wMinute;
    when.wSecond = time.wSecond;
  }
  (void)when;  // no request carries the time to the device
  ChosenDevice();
  TellDeviceNotChanged(this);
}
