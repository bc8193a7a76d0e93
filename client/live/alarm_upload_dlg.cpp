#include "alarm_upload_dlg.h"

#include <afxdlgs.h>

#include <cstring>
#include <ctime>

#include "alarm_sound.h"
#include "alarm_video_dlg.h"
#include "app_services.h"
#include "channel_blocks.h"
#include "language.h"
#include "main_dlg_face.h"
#include "report_list.h"
#include "settings.h"
#include "udp_receivers.h"

const char* AlarmTypeText(int alarmType) {
  switch (alarmType) {
    case 1: return "Video Lost";
    case 2: return "Motion Detection";
    case 4: return "Hardware Probe";
    case 8: return "Manual Alarm";
    default: return "Unknown Type";
  }
}

std::string AlarmSoundFile(int alarmType, const CorvelSettings& s) {
  switch (alarmType) {
    case 1: return s.beep || s.lostSound ? std::string(s.lostSoundFile) : std::string();
    case 2: return s.beep || s.motionSound ? std::string(s.motionSoundFile) : std::string();
    case 4: return s.beep || s.probeSound ? std::string(s.probeSoundFile) : std::string();
    case 8: return std::string(s.motionSoundFile);
    default: return std::string();
  }
}

BEGIN_MESSAGE_MAP(CAlarmUploadDlg, CDialog)
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_AU_SAVE, OnSave)
  ON_BN_CLICKED(IDC_AU_CLEAR, OnClearAll)
  ON_BN_CLICKED(IDC_AU_WATCH, OnWatch)
  ON_BN_CLICKED(IDC_AU_AUTO_POPUP, OnAutoPopup)
  ON_BN_CLICKED(IDC_AU_AUTO_SCROLL, OnAutoScroll)
  ON_NOTIFY(NM_DBLCLK, IDC_AU_LIST, OnListDblClk)
END_MESSAGE_MAP()

CAlarmUploadDlg::CAlarmUploadDlg(CWnd* parent) : CDialog(IDD, parent), m_receiver(this) {}

void CAlarmUploadDlg::OnDestroy() {
  if (g_pMainDlg) g_pMainDlg->UnregisterUdpReceiver(&m_receiver);
  CDialog::OnDestroy();
}

void CAlarmUploadDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_AU_LIST, m_list);
  DDX_Check(dx, IDC_AU_AUTO_POPUP, m_autoPopup);
  DDX_Check(dx, IDC_AU_AUTO_SCROLL, m_autoScroll);
}

BOOL CAlarmUploadDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (g_pMainDlg) g_pMainDlg->RegisterUdpReceiver(&m_receiver);
  TranslateDialog(this);
  SetWindowText(TranslateString("Remote Alarm Upload Info"));
  CenterWindow();
  static const ListColumn kColumns[] = {
      {"Time", 130},        {"Alarm Type", 120},   {"Server IP", 110},
      {"Server Name", 180}, {"Channel Name", 180}, {"Alarm Flag", 100},
  };
  SetupReportList(m_list, kColumns, 6);
  return TRUE;
}

void CAlarmUploadDlg::AddAlarm(int alarmType, int loginId, int channel, int flag) {
  if (!m_list.GetSafeHwnd()) return;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  shell::DeviceRecord* device = g_pMainDlg ? g_pMainDlg->FindDeviceByLoginId(loginId) : nullptr;
  // An unknown sender is dropped before the list is touched.
  if (!device) return;
  while (m_list.GetItemCount() >= kMaxRows) m_list.DeleteItem(0);
  CString text;
  text.Format("%d-%d-%d %d:%02d:%02d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  int row = m_list.InsertItem(m_list.GetItemCount(), text);
  m_list.SetItemData(row, DWORD_PTR((uint32_t(loginId) << 16) | (uint32_t(channel) & 0xFFFF)));
  m_list.SetItemText(row, 1, TranslateString(AlarmTypeText(alarmType)));
  char address[sizeof device->address], name[sizeof device->serverName];
  lstrcpynA(address, device->address, sizeof address);
  lstrcpynA(name, device->serverName, sizeof name);
  m_list.SetItemText(row, 2, address);
  m_list.SetItemText(row, 3, name);
  char channelName[shell::kChannelNameSize];
  lstrcpynA(channelName, shell::ChannelName(*device, channel), sizeof channelName);
  m_list.SetItemText(row, 4, channelName);
  m_list.SetItemText(row, 5, TranslateString(flag == 1 ? "Begin" : "End"));
  if (flag != 1) return;
  if (m_autoPopup && !IsWindowVisible()) {
    ShowWindow(SW_SHOW);
    SetForegroundWindow();
  }
  if (m_autoScroll) {
    m_list.SendMessage(LVM_SETHOTITEM, WPARAM(row), 0);
    m_list.SendMessage(LVM_SCROLL, 0, 14);
  }
  if (!g_pMainDlg) return;
  const CorvelSettings& s = g_pMainDlg->m_settings;
  std::string file = AlarmSoundFile(alarmType, s);
  if (!file.empty()) PlayAlarmSound(file.c_str(), UINT(s.alarmDelay), BOOL(s.beep));
}

BOOL CAlarmUploadDlg::SaveToFile(const char* path) {
  HANDLE f = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return FALSE;
  BOOL ok = TRUE;
  const int columns = 6;
  // Row by row: no fixed buffer to outgrow.
  for (int r = 0; r < m_list.GetItemCount() && ok; ++r) {
    CString line;
    for (int c = 0; c < columns; ++c) {
      line += m_list.GetItemText(r, c);
      line += c + 1 < columns ? "\t" : "\r\n";
    }
    DWORD written = 0;
    ok = ::WriteFile(f, LPCSTR(line), DWORD(line.GetLength()), &written, nullptr) &&
         written == DWORD(line.GetLength());
  }
  ::CloseHandle(f);
  return ok;
}

void CAlarmUploadDlg::OnSave() {
  CString filter;
  filter.Format("%s (*.log)|*.log|%s (*.*)|*.*||", LPCSTR(TranslateString("Log Files")),
                LPCSTR(TranslateString("All Files")));
  CFileDialog dlg(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter, this);
  if (dlg.DoModal() != IDOK) return;
  CString path = dlg.GetPathName();
  if (path.Find('.') < 0) path += ".log";
  if (SaveToFile(path)) {
    TranslatedMessageBox(this, "Save alarm info to file successfully!", "PROMPT", MB_OK | MB_ICONINFORMATION);
  } else {
    CString text;
    text.Format("%s %s %s", LPCSTR(TranslateString("Open file")), LPCSTR(path), LPCSTR(TranslateString("failed!")));
    ComposedMessageBox(this, text, "ERROR", MB_OK | MB_ICONERROR);
  }
}

void CAlarmUploadDlg::OnClearAll() {
  if (TranslatedMessageBox(this, "Are you sure you want to clear all alarm info?", "WARNING",
                           MB_YESNO | MB_ICONQUESTION) == IDYES)
    m_list.DeleteAllItems();
}

void CAlarmUploadDlg::OnWatch() {
  int row = m_list.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || !m_alarmVideo) return;
  DWORD data = DWORD(m_list.GetItemData(row));
  m_alarmVideo->ShowAlarmChannel(int(data >> 16), int(data & 0xFFFF));
}

// ------------------------------------------------------------ the receiver
void CAlarmReceiver::OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) {
  // The main dialog keeps the slot's alarm flags; this adds the row.
  if (!g_pMainDlg || !m_view) return;
  int slot = shell::FindAlarmSlot(g_pMainDlg->m_channels, from, channel);
  if (slot < 0) return;
  const shell::DeviceRecord* device = g_pMainDlg->m_channels[slot].device.load();
  if (!device) return;
  m_view->AddAlarm(kind == 1 ? 2 : kind == 2 ? 4 : 16, int(device->loginId), channel, state);
}
