#include "local_settings_dlgs.h"

#include <afxdlgs.h>

#include "alarm_sound.h"
#include "app_services.h"
#include "language.h"
#include "local_settings_rules.h"

// ------------------------------------------------------------- SpinField
void SpinField::Init(int position) {
  spin.SetRange32(lo, hi);
  spin.SetPos(shell::SpinValueOr(true, position, lo, hi, fallback));
}

int SpinField::Check(CWnd* dlg) {
  if (!spin.GetSafeHwnd()) return fallback;
  BOOL ok = FALSE;
  int typed = int(dlg->GetDlgItemInt(editId, &ok, TRUE));
  int value = shell::SpinValueOr(ok != FALSE, typed, lo, hi, fallback);
  if (!ok || value != typed) dlg->SetDlgItemInt(editId, UINT(value), TRUE);
  return value;
}

// ------------------------------------------------------ CLocalPollingDlg
BEGIN_MESSAGE_MAP(CLocalPollingDlg, CDialog)
  ON_EN_CHANGE(IDC_POLL_INTERVAL, OnChange)
END_MESSAGE_MAP()

CLocalPollingDlg::CLocalPollingDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CLocalPollingDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, m_field.spinId, m_field.spin); }

BOOL CLocalPollingDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SetWindowText(TranslateString("Local Polling Settings"));
  m_field.Init(m_interval);
  return TRUE;
}

void CLocalPollingDlg::OnOK() {
  // A typed number the edit check set back is read again here.
  m_interval = shell::PollIntervalFromSpin(m_field.Check(this));
  if (!m_iniPath.IsEmpty()) {
    CString text;
    text.Format("%d", m_interval);
    ::WritePrivateProfileStringA("LocalMonSet", "PollInterval", text, m_iniPath);
  }
  if (m_timerWindow && ::IsWindow(m_timerWindow)) {
    ::KillTimer(m_timerWindow, kPollTimerId);
    ::SetTimer(m_timerWindow, kPollTimerId, UINT(m_interval) * 1000u, nullptr);
  }
  CDialog::OnOK();
}

// ------------------------------------------------------ CLocalStorageDlg
BEGIN_MESSAGE_MAP(CLocalStorageDlg, CDialog)
  ON_BN_CLICKED(IDC_STORAGE_SELECT_ALL, OnSelectAll)
  ON_BN_CLICKED(IDC_STORAGE_CLEAR_ALL, OnClearAll)
  ON_EN_CHANGE(IDC_STORAGE_MINUTES, OnChange)
END_MESSAGE_MAP()

CLocalStorageDlg::CLocalStorageDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CLocalStorageDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_STORAGE_DISKS, m_disks);
  DDX_Control(dx, m_field.spinId, m_field.spin);
}

BOOL CLocalStorageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SetWindowText(TranslateString("Local Storage Settings"));
  m_disks.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  m_disks.InsertColumn(0, "", LVCFMT_LEFT, 60);
  for (int i = 0; i < shell::kDiskRows; ++i) {
    char letter[2] = {char('C' + i), 0};
    m_disks.InsertItem(i, letter);
    m_disks.SetCheck(i, shell::DiskRowTicked(m_diskMask, i));
  }
  m_field.Init(m_minutes);
  SetDlgItemText(IDC_STORAGE_RECORD_DIR, "X:\\TQX RecordData");
  SetDlgItemText(IDC_STORAGE_PICTURE_DIR, "X:\\TQX PictureData");
  return TRUE;
}

void CLocalStorageDlg::SetAll(BOOL check) {
  for (int i = 0; i < m_disks.GetItemCount(); ++i) m_disks.SetCheck(i, check);
}

void CLocalStorageDlg::OnOK() {
  uint32_t rows = 0;
  for (int i = 0; i < shell::kDiskRows && i < m_disks.GetItemCount(); ++i)
    if (m_disks.GetCheck(i)) rows |= 1u << i;
  m_diskMask = shell::DiskMaskFromRows(rows);
  m_minutes = m_field.Check(this);
  CDialog::OnOK();
}

// ----------------------------------------------------- CLocalAlarmSetDlg
namespace {

struct AlarmRow {
  int check, file, browse, play;
};
const AlarmRow kAlarmRows[] = {
    {IDC_ALARM_LOST, IDC_ALARM_LOST_FILE, IDC_ALARM_LOST_BROWSE, IDC_ALARM_LOST_PLAY},
    {IDC_ALARM_MOTION, IDC_ALARM_MOTION_FILE, IDC_ALARM_MOTION_BROWSE, IDC_ALARM_MOTION_PLAY},
    {IDC_ALARM_PROBE, IDC_ALARM_PROBE_FILE, IDC_ALARM_PROBE_BROWSE, IDC_ALARM_PROBE_PLAY},
};

}  // namespace

BEGIN_MESSAGE_MAP(CLocalAlarmSetDlg, CDialog)
  ON_BN_CLICKED(IDC_ALARM_BEEP, OnBeep)
  ON_BN_CLICKED(IDC_ALARM_RECORD, OnRecord)
  ON_BN_CLICKED(IDC_ALARM_LOST_BROWSE, OnBrowseLost)
  ON_BN_CLICKED(IDC_ALARM_MOTION_BROWSE, OnBrowseMotion)
  ON_BN_CLICKED(IDC_ALARM_PROBE_BROWSE, OnBrowseProbe)
  ON_BN_CLICKED(IDC_ALARM_LOST_PLAY, OnPlayLost)
  ON_BN_CLICKED(IDC_ALARM_MOTION_PLAY, OnPlayMotion)
  ON_BN_CLICKED(IDC_ALARM_PROBE_PLAY, OnPlayProbe)
  ON_EN_CHANGE(IDC_ALARM_REC_DELAY, OnRecDelayChange)
  ON_EN_CHANGE(IDC_ALARM_SOUND_DELAY, OnSoundDelayChange)
END_MESSAGE_MAP()

CLocalAlarmSetDlg::CLocalAlarmSetDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CLocalAlarmSetDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, m_recDelay.spinId, m_recDelay.spin);
  DDX_Control(dx, m_soundDelay.spinId, m_soundDelay.spin);
}

void CLocalAlarmSetDlg::FromSettings(const CorvelSettings& s) {
  m_lostSound = s.lostSound;
  m_motionSound = s.motionSound;
  m_probeSound = s.probeSound;
  m_beep = s.beep;
  m_alarmRecord = s.alarmRecord;
  m_preRecord = s.preRecord;
  m_recordDelay = s.recordDelay;
  m_alarmDelay = s.alarmDelay;
  m_lostSoundFile = s.lostSoundFile;
  m_motionSoundFile = s.motionSoundFile;
  m_probeSoundFile = s.probeSoundFile;
}

void CLocalAlarmSetDlg::ToSettings(CorvelSettings& s) const {
  s.lostSound = m_lostSound;
  s.motionSound = m_motionSound;
  s.probeSound = m_probeSound;
  s.beep = m_beep;
  s.alarmRecord = m_alarmRecord;
  s.preRecord = m_preRecord;
  s.recordDelay = m_recordDelay;
  s.alarmDelay = m_alarmDelay;
  s.lostSoundFile = m_lostSoundFile;
  s.motionSoundFile = m_motionSoundFile;
  s.probeSoundFile = m_probeSoundFile;
}

BOOL CLocalAlarmSetDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SetWindowText(TranslateString("Local Alarm Settings"));
  if (!m_browseBitmap.GetSafeHandle()) m_browseBitmap.LoadBitmap(IDB_ALARM_BROWSE);
  if (!m_playBitmap.GetSafeHandle()) m_playBitmap.LoadBitmap(IDB_ALARM_PLAY);
  const int checks[3] = {m_lostSound, m_motionSound, m_probeSound};
  const CString* files[3] = {&m_lostSoundFile, &m_motionSoundFile, &m_probeSoundFile};
  for (int i = 0; i < 3; ++i) {
    const AlarmRow& r = kAlarmRows[i];
    CheckDlgButton(r.check, checks[i] ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(r.file, *files[i]);
    SendDlgItemMessage(r.browse, BM_SETIMAGE, IMAGE_BITMAP, LPARAM(HBITMAP(m_browseBitmap.GetSafeHandle())));
    SendDlgItemMessage(r.play, BM_SETIMAGE, IMAGE_BITMAP, LPARAM(HBITMAP(m_playBitmap.GetSafeHandle())));
  }
  CheckDlgButton(IDC_ALARM_BEEP, m_beep ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_ALARM_RECORD, m_alarmRecord ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_ALARM_PRERECORD, m_preRecord ? BST_CHECKED : BST_UNCHECKED);
  m_recDelay.Init(m_recordDelay);
  m_soundDelay.Init(m_alarmDelay);
  ApplyBeep();
  ApplyRecord();
  return TRUE;
}

void CLocalAlarmSetDlg::ApplyBeep() {
  BOOL enable = IsDlgButtonChecked(IDC_ALARM_BEEP) != BST_CHECKED;
  for (const AlarmRow& r : kAlarmRows)
    for (int id : {r.check, r.browse, r.play}) ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

void CLocalAlarmSetDlg::ApplyRecord() {
  BOOL enable = IsDlgButtonChecked(IDC_ALARM_RECORD) == BST_CHECKED;
  for (int id : {IDC_ALARM_PRERECORD, IDC_ALARM_REC_DELAY, IDC_ALARM_REC_SPIN})
    ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

void CLocalAlarmSetDlg::Browse(int fileId) {
  CString filter;
  filter.Format("%s (*.wav)|*.wav|%s (*.*)|*.*||", LPCSTR(TranslateString("Audio Files")),
                LPCSTR(TranslateString("All Files")));
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter, this);
  if (dlg.DoModal() == IDOK) SetDlgItemText(fileId, dlg.GetPathName());
}

void CLocalAlarmSetDlg::Play(int fileId) {
  CString path;
  GetDlgItemText(fileId, path);
  PlayAlarmSound(path, 0, FALSE);   // once
}

void CLocalAlarmSetDlg::OnOK() {
  m_lostSound = IsDlgButtonChecked(IDC_ALARM_LOST) == BST_CHECKED;
  m_motionSound = IsDlgButtonChecked(IDC_ALARM_MOTION) == BST_CHECKED;
  m_probeSound = IsDlgButtonChecked(IDC_ALARM_PROBE) == BST_CHECKED;
  m_beep = IsDlgButtonChecked(IDC_ALARM_BEEP) == BST_CHECKED;
  m_alarmRecord = IsDlgButtonChecked(IDC_ALARM_RECORD) == BST_CHECKED;
  m_preRecord = IsDlgButtonChecked(IDC_ALARM_PRERECORD) == BST_CHECKED;
  GetDlgItemText(IDC_ALARM_LOST_FILE, m_lostSoundFile);
  GetDlgItemText(IDC_ALARM_MOTION_FILE, m_motionSoundFile);
  GetDlgItemText(IDC_ALARM_PROBE_FILE, m_probeSoundFile);
  m_recordDelay = m_recDelay.Check(this);
  m_alarmDelay = m_soundDelay.Check(this);
  CDialog::OnOK();
}

// ---------------------------------------------------------- CLanguageDlg
CLanguageDlg::CLanguageDlg(CWnd* parent) : CDialog(IDD, parent) {}

BOOL CLanguageDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  HWND list = ::GetDlgItem(m_hWnd, IDC_LANGUAGE_LIST);
  for (const LanguageEntry& l : CInterfaceSolutions::Instance().Languages())
    ::SendMessageA(list, LB_ADDSTRING, 0, LPARAM(LPCSTR(l.name)));
  // English is offered first; a single language is offered whatever it is.
  LRESULT pick = ::SendMessageA(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM("English"));
  if (pick == LB_ERR && ::SendMessageA(list, LB_GETCOUNT, 0, 0) == 1) pick = 0;
  if (pick != LB_ERR) ::SendMessageA(list, LB_SETCURSEL, WPARAM(pick), 0);
  return TRUE;
}

void CLanguageDlg::OnOK() {
  HWND list = ::GetDlgItem(m_hWnd, IDC_LANGUAGE_LIST);
  LRESULT sel = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (sel == LB_ERR) {
    AfxShowMessageBox(m_hWnd, "Please Select a Language!", "ERROR", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  LRESULT len = ::SendMessageA(list, LB_GETTEXTLEN, WPARAM(sel), 0);
  CString name;
  if (len > 0) {
    ::SendMessageA(list, LB_GETTEXT, WPARAM(sel), LPARAM(name.GetBuffer(int(len) + 1)));
    name.ReleaseBuffer();
  }
  m_language = name;
  if (!m_iniPath.IsEmpty()) ::WritePrivateProfileStringA("General", "Language", name, m_iniPath);
  CDialog::OnOK();
}
