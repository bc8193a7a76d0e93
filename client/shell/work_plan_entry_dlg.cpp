#include "work_plan_entry_dlg.h"

#include <cstring>

#include "app_services.h"
#include "language.h"

namespace {

using shell::WorkPlanField;

const int kEditIds[shell::kPlanFields] = {IDC_WPE_BEGIN_HOUR, IDC_WPE_BEGIN_MINUTE, IDC_WPE_END_HOUR,
                                          IDC_WPE_END_MINUTE};
const int kSpinIds[shell::kPlanFields] = {IDC_WPE_BEGIN_HOUR_SPIN, IDC_WPE_BEGIN_MINUTE_SPIN,
                                          IDC_WPE_END_HOUR_SPIN, IDC_WPE_END_MINUTE_SPIN};
struct TypeBox {
  int id;
  uint8_t bit;
};
const TypeBox kTypeBoxes[] = {
    {IDC_WPE_TIMING, shell::kPlanTiming},
    {IDC_WPE_VIDEO_LOST, shell::kPlanVideoLost},
    {IDC_WPE_MOTION, shell::kPlanMotion},
    {IDC_WPE_PROBE, shell::kPlanProbe},
};

}  // namespace

BEGIN_MESSAGE_MAP(CWorkPlanEntryDlg, CDialog)
  ON_EN_KILLFOCUS(IDC_WPE_BEGIN_HOUR, OnKillFocusBeginHour)
  ON_EN_KILLFOCUS(IDC_WPE_BEGIN_MINUTE, OnKillFocusBeginMinute)
  ON_EN_KILLFOCUS(IDC_WPE_END_HOUR, OnKillFocusEndHour)
  ON_EN_KILLFOCUS(IDC_WPE_END_MINUTE, OnKillFocusEndMinute)
END_MESSAGE_MAP()

CWorkPlanEntryDlg::CWorkPlanEntryDlg(CWnd* parent) : CDialog(IDD, parent) {
  std::memset(&m_entry, 0, sizeof m_entry);
}

void CWorkPlanEntryDlg::DoDataExchange(CDataExchange* dx) {
  for (int f = 0; f < shell::kPlanFields; ++f) DDX_Control(dx, kSpinIds[f], m_spin[f]);
}

BOOL CWorkPlanEntryDlg::OnInitDialog() {
  TranslateDialog(this);
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Work Plan Entry"));
  const uint8_t values[shell::kPlanFields] = {m_entry.beginHour, m_entry.beginMinute, m_entry.endHour,
                                              m_entry.endMinute};
  for (int f = 0; f < shell::kPlanFields; ++f) {
    m_spin[f].SetRange(0, short(shell::WorkPlanFieldMax(WorkPlanField(f))));
    m_spin[f].SetPos(values[f]);
  }
  for (const TypeBox& b : kTypeBoxes) CheckDlgButton(b.id, (m_entry.detectionType & b.bit) ? BST_CHECKED : BST_UNCHECKED);
  return TRUE;
}

int CWorkPlanEntryDlg::ClampField(WorkPlanField field) {
  BOOL ok = FALSE;
  int typed = int(GetDlgItemInt(kEditIds[field], &ok, TRUE));
  int value = shell::ClampWorkPlanField(field, ok ? typed : -1);
  if (!ok || value != typed) m_spin[field].SetPos(value);
  return value;
}

void CWorkPlanEntryDlg::Prompt(const char* english) {
  TranslatedMessageBox(this, english, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
}

void CWorkPlanEntryDlg::OnOK() {
  // Enter in an edit box ends the dialog without its kill-focus check:
  // every field is checked again here.
  shell::WorkPlanEntry e = m_entry;
  e.beginHour = uint8_t(ClampField(shell::kPlanBeginHour));
  e.beginMinute = uint8_t(ClampField(shell::kPlanBeginMinute));
  e.endHour = uint8_t(ClampField(shell::kPlanEndHour));
  e.endMinute = uint8_t(ClampField(shell::kPlanEndMinute));
  e.detectionType = 0;
  for (const TypeBox& b : kTypeBoxes)
    if (IsDlgButtonChecked(b.id) == BST_CHECKED) e.detectionType |= b.bit;
  switch (shell::CheckWorkPlanEntry(e)) {
    case shell::WorkPlanEntryError::StopNotAfterStart:
      Prompt("Stop time should be larger than start time!");
      return;
    case shell::WorkPlanEntryError::NoDetectionType:
      Prompt("Please select detection type!");
      return;
    case shell::WorkPlanEntryError::None:
      break;
  }
  e.used = 1;
  m_entry = e;
  CDialog::OnOK();
}

CString DetectionTypeText(int flags) {
  static const char* const kWords[4] = {"Record", "Video Lost Detect", "Motion Detect", "Probe Detect"};
  CString text;
  for (int b = 0; b < 4; ++b) {
    if (!(flags >> b & 1)) continue;
    if (!text.IsEmpty()) text += " + ";
    text += TranslateString(kWords[b]);
  }
  return text;
}
