#include "RecordPlanPage.h"

#include "app_services.h"
#include "copy_pickers.h"
#include "language.h"
#include "work_plan_entry_dlg.h"

namespace {

const char* const kDays[devcfg::kPlanDays] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};

// The package time edit: out of 2..15 it becomes 10 when it loses focus.
const devcfg::EditRange kClamp[] = {
    {IDC_PLAN_PACKAGE_TIME, devcfg::kPackageTimeMin, devcfg::kPackageTimeMax, devcfg::kPackageTimeDefault}};

// Enabled only while the plan is.
const int kPlanControls[] = {IDC_PLAN_DAYS,     IDC_PLAN_ENTRIES,     IDC_PLAN_ADD,         IDC_PLAN_MODIFY,
                             IDC_PLAN_DELETE,   IDC_PLAN_COPY_DAYS,   IDC_PLAN_AUTO_RECORD, IDC_PLAN_PACKAGE_TIME,
                             IDC_PLAN_PACKAGE_SPIN};

CString TimeText(int hour, int minute) {
  CString t;
  t.Format("%d:%02d", hour, minute);
  return t;
}

}  // namespace

BEGIN_MESSAGE_MAP(CRecordPlanPage, CChannelBlockPage)
  ON_BN_CLICKED(IDC_PLAN_ADD, OnAdd)
  ON_BN_CLICKED(IDC_PLAN_MODIFY, OnModify)
  ON_BN_CLICKED(IDC_PLAN_DELETE, OnDelete)
  ON_BN_CLICKED(IDC_PLAN_DEFAULT, OnDefault)
  ON_BN_CLICKED(IDC_PLAN_ENABLE, OnEnableClicked)
  ON_BN_CLICKED(IDC_PLAN_COPY_DAYS, OnCopyDays)
  ON_BN_CLICKED(IDC_PLAN_COPY_CHANNELS, OnCopyChannels)
  ON_NOTIFY(TCN_SELCHANGE, IDC_PLAN_DAYS, OnDayChange)
  ON_NOTIFY(NM_DBLCLK, IDC_PLAN_ENTRIES, OnEntryDoubleClick)
END_MESSAGE_MAP()

CRecordPlanPage::CRecordPlanPage(CSettingsPageHost* owner)
    : CChannelBlockPage(IDD_RECORD_PLAN_PAGE, owner, 7) {}

BOOL CRecordPlanPage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  SetClampTable(kClamp, 1);
  m_packageSpin.SubclassDlgItem(IDC_PLAN_PACKAGE_SPIN, this);
  m_days.SubclassDlgItem(IDC_PLAN_DAYS, this);
  m_entries.SubclassDlgItem(IDC_PLAN_ENTRIES, this);
  m_entries.SetExtendedStyle(m_entries.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_entries.InsertColumn(0, TranslateString("Begin Time"), LVCFMT_LEFT, 80);
  m_entries.InsertColumn(1, TranslateString("End Time"), LVCFMT_LEFT, 80);
  m_entries.InsertColumn(2, TranslateString("Detection Type"), LVCFMT_LEFT, 400);
  for (int d = 0; d < devcfg::kPlanDays; ++d) m_days.InsertItem(d, TranslateString(kDays[d]));
  m_packageSpin.SetRange(devcfg::kPackageTimeMin, devcfg::kPackageTimeMax);
  ShowControls();
  return TRUE;
}

int CRecordPlanPage::Day() const {
  const int d = m_days.GetSafeHwnd() ? m_days.GetCurSel() : 0;
  return d >= 0 && d < devcfg::kPlanDays ? d : 0;
}

int CRecordPlanPage::SelectedSlot() const {
  if (!m_entries.GetSafeHwnd()) return -1;
  const int row = m_entries.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0) return -1;
  const int slot = int(m_entries.GetItemData(row));
  return slot >= 0 && slot < devcfg::kPlanDayEntries ? slot : -1;
}

void CRecordPlanPage::RefreshList() {
  if (!m_entries.GetSafeHwnd()) return;
  m_entries.DeleteAllItems();
  const int day = Day();
  int row = 0;
  for (int slot = 0; slot < devcfg::kPlanDayEntries; ++slot) {
    const shell::WorkPlanEntry& e = m_plan.entries[day][slot];
    if (!e.used) continue;
    m_entries.InsertItem(row, TimeText(e.beginHour, e.beginMinute));
    m_entries.SetItemText(row, 1, TimeText(e.endHour, e.endMinute));
    m_entries.SetItemText(row, 2, DetectionTypeText(e.detectionType));
    // Rows name their slot: a device's day may have gaps.
    m_entries.SetItemData(row, DWORD_PTR(slot));
    ++row;
  }
}

void CRecordPlanPage::TakeControls() {
  if (!GetSafeHwnd()) return;
  m_plan.enabled = IsDlgButtonChecked(IDC_PLAN_ENABLE) == BST_CHECKED;
  m_plan.autoRecord = IsDlgButtonChecked(IDC_PLAN_AUTO_RECORD) == BST_CHECKED;
  m_plan.packageTime = m_packageSpin.GetPos();
}

void CRecordPlanPage::ShowControls() {
  if (!GetSafeHwnd()) return;
  CheckDlgButton(IDC_PLAN_ENABLE, m_plan.enabled ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_PLAN_AUTO_RECORD, m_plan.autoRecord ? BST_CHECKED : BST_UNCHECKED);
  m_packageSpin.SetPos(m_plan.packageTime);
  RefreshList();
  ApplyEnabling();
}

void CRecordPlanPage::ApplyEnabling() {
  for (int id : kPlanControls)
    if (CWnd* c = GetDlgItem(id)) c->EnableWindow(m_plan.enabled);
}

void CRecordPlanPage::Prompt(const char* english) {
  TranslatedMessageBox(this, english, "PROMPT", MB_OK | MB_ICONWARNING);
}

void CRecordPlanPage::LoadPart(const uint8_t* part) {
  m_plan = devcfg::LoadRecordPlan(part);
  ShowControls();
}

void CRecordPlanPage::SavePart(uint8_t* part) {
  TakeControls();
  devcfg::StoreRecordPlan(part, m_plan);
}

void CRecordPlanPage::ResetPage() {
  m_plan = devcfg::DefaultRecordPlan();
  ShowControls();
}

void CRecordPlanPage::OnAdd() {
  const int day = Day();
  const int slot = devcfg::FirstFreePlanSlot(m_plan, day);
  if (slot < 0) {
    Prompt("Already reach maximum entries!");
    return;
  }
  CWorkPlanEntryDlg dlg(this);
  dlg.m_entry = shell::WorkPlanEntry{};
  dlg.m_entry.endHour = 23;
  dlg.m_entry.endMinute = 59;
  dlg.m_entry.detectionType = 15;
  if (dlg.DoModal() != IDOK) return;
  m_plan.entries[day][slot] = dlg.m_entry;
  RefreshList();
}

void CRecordPlanPage::OnModify() {
  const int slot = SelectedSlot();
  if (slot < 0) {
    Prompt("Please select the entry to modify!");
    return;
  }
  const int day = Day();
  CWorkPlanEntryDlg dlg(this);
  dlg.m_entry = m_plan.entries[day][slot];
  if (dlg.DoModal() == IDOK) {
    m_plan.entries[day][slot] = dlg.m_entry;
    RefreshList();
  }
  if (CWnd* modify = GetDlgItem(IDC_PLAN_MODIFY)) modify->SetFocus();
  Invalidate();
}

void CRecordPlanPage::OnDelete() {
  const int slot = SelectedSlot();
  if (slot < 0) {
    Prompt("Please select the entry to delete!");
    return;
  }
  devcfg::DeletePlanEntry(m_plan, Day(), slot);
  RefreshList();
}

void CRecordPlanPage::OnDefault() {
  ResetPage();
}

void CRecordPlanPage::OnEnableClicked() {
  TakeControls();
  ApplyEnabling();
}

void CRecordPlanPage::OnCopyDays() {
  unsigned days = 0;
  if (devcfg::PickWeekDays(this, &days)) devcfg::CopyPlanDay(m_plan, Day(), days);
}

void CRecordPlanPage::OnCopyChannels() { CopySettingsToPicked(); }

void CRecordPlanPage::OnDayChange(NMHDR*, LRESULT* result) {
  *result = 0;
  RefreshList();
}

void CRecordPlanPage::OnEntryDoubleClick(NMHDR*, LRESULT* result) {
  *result = 0;
  OnModify();
}
