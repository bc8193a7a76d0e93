#include "ServicePages.h"

#include <cstring>

#include "app_services.h"
#include "devcfg_helpers.h"
#include "language.h"
#include "text_copy.h"
#include "udp_packets.h"

// ------------------------------------------------------------ CServicePage

CServicePage::CServicePage(UINT templateId, CSettingsPageHost* owner, uint8_t* shared, size_t size, int checkId)
    : CDeviceBlockPage(templateId, owner, shared, size), m_checkId(checkId) {}

BOOL CServicePage::OnInitDialog() {
  CDeviceBlockPage::OnInitDialog();
  EnableChildControls(this, FALSE);
  return TRUE;
}

BOOL CServicePage::OnCommand(WPARAM w, LPARAM l) {
  if (LOWORD(w) == m_checkId && HIWORD(w) == BN_CLICKED) ApplyEnabling();
  return CDeviceBlockPage::OnCommand(w, l);
}

void CServicePage::ApplyEnabling() {
  EnableChildControls(this, Checked());
  for (int id : {m_checkId, int(IDC_SVC_SAVE)})
    if (CWnd* c = GetDlgItem(id)) c->EnableWindow(TRUE);
}

void CServicePage::ShowText(int id, const devcfg::TextField& f) {
  SetDlgItemText(id, devcfg::FieldText(reinterpret_cast<const char*>(m_shared + f.at), f.size).c_str());
}

void CServicePage::TakeText(int id, const devcfg::TextField& f) {
  char* field = reinterpret_cast<char*>(m_shared + f.at);
  std::memset(field, 0, f.size);
  CopyText(field, f.size, GetItemText(this, id));
}

void CServicePage::ShowServer(const devcfg::TextField& f) {
  uint32_t address = 0;
  const std::string text = devcfg::FieldText(reinterpret_cast<const char*>(m_shared + f.at), f.size);
  if (shell::ParseIpv4(text.c_str(), &address))
    SendDlgItemMessage(IDC_SVC_SERVER, IPM_SETADDRESS, 0, LPARAM(address));
  else
    SendDlgItemMessage(IDC_SVC_SERVER, IPM_CLEARADDRESS);
}

void CServicePage::TakeServer(const devcfg::TextField& f) {
  DWORD address = 0;
  const bool blank = SendDlgItemMessage(IDC_SVC_SERVER, IPM_GETADDRESS, 0, LPARAM(&address)) == 0;
  char* field = reinterpret_cast<char*>(m_shared + f.at);
  std::memset(field, 0, f.size);
  if (!blank) CopyText(field, f.size, shell::Ipv4Text(address).c_str());
}

void CServicePage::RefuseInput() {
  TranslatedMessageBox(this, "Input data error, please check!", "PROMPT", MB_OK | MB_ICONWARNING);
}

// ------------------------------------------------------------ CFtpUploadPage

BEGIN_MESSAGE_MAP(CFtpUploadPage, CServicePage)
  ON_BN_CLICKED(IDC_SVC_SAVE, OnSave)
END_MESSAGE_MAP()

CFtpUploadPage::CFtpUploadPage(CSettingsPageHost* owner, uint8_t* serviceBlock)
    : CServicePage(IDD_FTP_UPLOAD_PAGE, owner, serviceBlock, devcfg::kServiceSettingsSize, IDC_FTP_ENABLE) {}

BOOL CFtpUploadPage::OnInitDialog() {
  CServicePage::OnInitDialog();
  LimitText(IDC_SVC_PORT, 5);
  LimitText(IDC_SVC_USER, 32);
  LimitText(IDC_SVC_PASSWORD, 32);
  LimitText(IDC_FTP_FILE_LENGTH, 3);
  LimitText(IDC_FTP_PATH, 64);
  return TRUE;
}

void CFtpUploadPage::RefreshFromBlock() {
  if (!GetSafeHwnd()) return;
  CheckDlgButton(IDC_FTP_ENABLE, m_shared[devcfg::kFtpEnabledAt] ? BST_CHECKED : BST_UNCHECKED);
  ShowServer(devcfg::kFtpServer);
  SetDlgItemInt(IDC_SVC_PORT, devcfg::GetU16(m_shared + devcfg::kFtpPortAt), FALSE);
  ShowText(IDC_SVC_USER, devcfg::kFtpUser);
  ShowText(IDC_SVC_PASSWORD, devcfg::kFtpPassword);
  SetDlgItemInt(IDC_FTP_FILE_LENGTH, devcfg::GetU16(m_shared + devcfg::kFtpFileLengthAt), FALSE);
  ShowText(IDC_FTP_PATH, devcfg::kFtpPath);
  ApplyEnabling();
}

void CFtpUploadPage::OnSave() {
  uint32_t port = 0;
  int length = 0;
  if (!devcfg::ParsePort(GetItemText(this, IDC_SVC_PORT), &port) ||
      !devcfg::ParseBoundedNumber(GetItemText(this, IDC_FTP_FILE_LENGTH), 999, &length)) {
    RefuseInput();
    return;
  }
  m_shared[devcfg::kFtpEnabledAt] = Checked() ? 1 : 0;
  TakeServer(devcfg::kFtpServer);
  devcfg::PutU16(m_shared + devcfg::kFtpPortAt, port);
  TakeText(IDC_SVC_USER, devcfg::kFtpUser);
  TakeText(IDC_SVC_PASSWORD, devcfg::kFtpPassword);
  devcfg::PutU16(m_shared + devcfg::kFtpFileLengthAt, uint32_t(devcfg::FtpFileLength(length)));
  TakeText(IDC_FTP_PATH, devcfg::kFtpPath);
  SetDlgItemInt(IDC_FTP_FILE_LENGTH, devcfg::FtpFileLength(length), FALSE);
}

// ------------------------------------------------------------ CMailAlarmPage

namespace {
const int kReceiverIds[3] = {IDC_MAIL_RECEIVER1, IDC_MAIL_RECEIVER2, IDC_MAIL_RECEIVER3};
}

BEGIN_MESSAGE_MAP(CMailAlarmPage, CServicePage)
  ON_BN_CLICKED(IDC_SVC_SAVE, OnSave)
END_MESSAGE_MAP()

CMailAlarmPage::CMailAlarmPage(CSettingsPageHost* owner, uint8_t* serviceBlock)
    : CServicePage(IDD_MAIL_ALARM_PAGE, owner, serviceBlock, devcfg::kServiceSettingsSize, IDC_MAIL_ENABLE) {}

BOOL CMailAlarmPage::OnInitDialog() {
  CServicePage::OnInitDialog();
  LimitText(IDC_SVC_PORT, 5);
  LimitText(IDC_SVC_USER, 32);
  LimitText(IDC_SVC_PASSWORD, 32);
  for (int id : {IDC_MAIL_SENDER, IDC_MAIL_SUBJECT, IDC_MAIL_RECEIVER1, IDC_MAIL_RECEIVER2, IDC_MAIL_RECEIVER3})
    LimitText(id, 64);
  return TRUE;
}

void CMailAlarmPage::RefreshFromBlock() {
  if (!GetSafeHwnd()) return;
  CheckDlgButton(IDC_MAIL_ENABLE, m_shared[devcfg::kMailEnabledAt] ? BST_CHECKED : BST_UNCHECKED);
  ShowServer(devcfg::kMailServer);
  SetDlgItemInt(IDC_SVC_PORT, devcfg::GetU16(m_shared + devcfg::kMailPortAt), FALSE);
  ShowText(IDC_SVC_USER, devcfg::kMailUser);
  ShowText(IDC_SVC_PASSWORD, devcfg::kMailPassword);
  ShowText(IDC_MAIL_SENDER, devcfg::kMailSender);
  ShowText(IDC_MAIL_SUBJECT, devcfg::kMailSubject);
  for (int i = 0; i < 3; ++i) ShowText(kReceiverIds[i], devcfg::kMailReceivers[i]);
  ApplyEnabling();
}

void CMailAlarmPage::OnSave() {
  uint32_t port = 0;
  bool accepted = devcfg::ParsePort(GetItemText(this, IDC_SVC_PORT), &port) || !Checked();
  if (Checked()) {
    devcfg::MailInput in;
    in.user = (LPCSTR)GetItemText(this, IDC_SVC_USER);
    in.password = (LPCSTR)GetItemText(this, IDC_SVC_PASSWORD);
    in.sender = (LPCSTR)GetItemText(this, IDC_MAIL_SENDER);
    in.subject = (LPCSTR)GetItemText(this, IDC_MAIL_SUBJECT);
    for (int i = 0; i < 3; ++i) in.receivers[i] = (LPCSTR)GetItemText(this, kReceiverIds[i]);
    accepted = accepted && devcfg::MailInputAccepted(in);
  }
  if (!accepted) {
    RefuseInput();
    return;
  }
  m_shared[devcfg::kMailEnabledAt] = Checked() ? 1 : 0;
  TakeServer(devcfg::kMailServer);
  // Unchecked, a port the edit cannot hold keeps the stored one.
  if (devcfg::ParsePort(GetItemText(this, IDC_SVC_PORT), &port)) devcfg::PutU16(m_shared + devcfg::kMailPortAt, port);
  TakeText(IDC_SVC_USER, devcfg::kMailUser);
  TakeText(IDC_SVC_PASSWORD, devcfg::kMailPassword);
  TakeText(IDC_MAIL_SENDER, devcfg::kMailSender);
  TakeText(IDC_MAIL_SUBJECT, devcfg::kMailSubject);
  for (int i = 0; i < 3; ++i) TakeText(kReceiverIds[i], devcfg::kMailReceivers[i]);
}

// ------------------------------------------------------------ CHandsetVideoPage

BEGIN_MESSAGE_MAP(CHandsetVideoPage, CServicePage)
  ON_BN_CLICKED(IDC_SVC_SAVE, OnSave)
  ON_CBN_SELCHANGE(IDC_HANDSET_MODE, OnModeChange)
END_MESSAGE_MAP()

CHandsetVideoPage::CHandsetVideoPage(CSettingsPageHost* owner, uint8_t* deviceBlock)
    : CServicePage(IDD_HANDSET_VIDEO_PAGE, owner, deviceBlock, devcfg::kDeviceSettingsSize, IDC_HANDSET_ENABLE) {}

BOOL CHandsetVideoPage::OnInitDialog() {
  CServicePage::OnInitDialog();
  LimitText(IDC_SVC_PORT, 5);
  LimitText(IDC_SVC_USER, 31);
  LimitText(IDC_SVC_PASSWORD, 15);
  LimitText(IDC_HANDSET_DEVICE_ID, 10);
  SendDlgItemMessage(IDC_HANDSET_STREAM, CB_RESETCONTENT);
  SendDlgItemMessage(IDC_HANDSET_STREAM, CB_ADDSTRING, 0, LPARAM((LPCSTR)TranslateString("Sub Stream")));
  SendDlgItemMessage(IDC_HANDSET_STREAM, CB_SETCURSEL, 0);
  SendDlgItemMessage(IDC_HANDSET_MODE, CB_RESETCONTENT);
  for (const char* mode : {"Stream Server", "Point To Point"})
    SendDlgItemMessage(IDC_HANDSET_MODE, CB_ADDSTRING, 0, LPARAM((LPCSTR)TranslateString(mode)));
  SendDlgItemMessage(IDC_HANDSET_MODE, CB_SETCURSEL, 0);
  return TRUE;
}

bool CHandsetVideoPage::DeviceOffersHandsetVideo() const {
  const uint8_t* info = nullptr;
  return m_owner && m_owner->GetDeviceInfo(&info) >= 0 && info && info[devcfg::kHandsetCapabilityAt] != 0;
}

void CHandsetVideoPage::ApplyEnabling() {
  CServicePage::ApplyEnabling();
  // Point to point: only the switch, Save and the two choices.
  if (!Checked() || SendDlgItemMessage(IDC_HANDSET_MODE, CB_GETCURSEL) != 1) return;
  EnableChildControls(this, FALSE);
  for (int id : {m_checkId, int(IDC_SVC_SAVE), IDC_HANDSET_STREAM, IDC_HANDSET_MODE, IDC_HANDSET_TYPE_LABEL,
                 IDC_HANDSET_MODE_LABEL})
    if (CWnd* c = GetDlgItem(id)) c->EnableWindow(TRUE);
}

void CHandsetVideoPage::RefreshFromBlock() {
  if (!GetSafeHwnd() || !DeviceOffersHandsetVideo()) return;
  CheckDlgButton(IDC_HANDSET_ENABLE, m_shared[devcfg::kHandsetEnabledAt] ? BST_CHECKED : BST_UNCHECKED);
  const uint32_t mode = devcfg::GetU32(m_shared + devcfg::kHandsetModeAt);
  SendDlgItemMessage(IDC_HANDSET_MODE, CB_SETCURSEL, mode < 2 ? WPARAM(mode) : WPARAM(-1));
  ShowServer(devcfg::kHandsetServer);
  SetDlgItemInt(IDC_SVC_PORT, devcfg::GetU16(m_shared + devcfg::kHandsetPortAt), FALSE);
  ShowText(IDC_SVC_USER, devcfg::kHandsetUser);
  ShowText(IDC_SVC_PASSWORD, devcfg::kHandsetPassword);
  SetDlgItemText(IDC_HANDSET_DEVICE_ID,
                 std::to_string(devcfg::GetU32(m_shared + devcfg::kHandsetDeviceIdAt)).c_str());
  ApplyEnabling();
}

void CHandsetVideoPage::OnSave() {
  if (!DeviceOffersHandsetVideo()) return;
  uint32_t port = 0, id = 0;
  if (!devcfg::ParsePort(GetItemText(this, IDC_SVC_PORT), &port) ||
      !devcfg::ParseDeviceId(GetItemText(this, IDC_HANDSET_DEVICE_ID), &id)) {
    RefuseInput();
    return;
  }
  m_shared[devcfg::kHandsetEnabledAt] = Checked() ? 1 : 0;
  const int mode = int(SendDlgItemMessage(IDC_HANDSET_MODE, CB_GETCURSEL));
  devcfg::PutU32(m_shared + devcfg::kHandsetModeAt, uint32_t(mode < 0 ? 0 : mode));
  TakeServer(devcfg::kHandsetServer);
  devcfg::PutU16(m_shared + devcfg::kHandsetPortAt, port);
  TakeText(IDC_SVC_USER, devcfg::kHandsetUser);
  TakeText(IDC_SVC_PASSWORD, devcfg::kHandsetPassword);
  devcfg::PutU32(m_shared + devcfg::kHandsetDeviceIdAt, id);
}
