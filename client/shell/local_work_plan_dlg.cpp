#include "local_work_plan_dlg.h"

#include <cstring>

#include "app_services.h"
#include "channel_blocks.h"
#include "check_list_dlgs.h"
#include "language.h"
#include "local_work_plan.h"
#include "report_list.h"
#include "work_plan_entry_dlg.h"

BEGIN_MESSAGE_MAP(CLocalWorkPlanDlg, CDialog)
  ON_BN_CLICKED(IDC_WP_ENABLE, OnEnable)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_WP_CHANNELS, OnChannelChanged)
  ON_NOTIFY(TCN_SELCHANGE, IDC_WP_DAYS, OnDayChanged)
  ON_NOTIFY(NM_DBLCLK, IDC_WP_ENTRIES, OnEntryDblClk)
  ON_BN_CLICKED(IDC_WP_ADD, OnAdd)
  ON_BN_CLICKED(IDC_WP_MODIFY, OnModify)
  ON_BN_CLICKED(IDC_WP_DELETE, OnDelete)
  ON_BN_CLICKED(IDC_WP_COPY_WEEK, OnCopyWeek)
  ON_BN_CLICKED(IDC_WP_COPY_CHANNEL, OnCopyChannel)
END_MESSAGE_MAP()

std::vector<LocalPlanChannelRow> LocalPlanRowsFromSlots(const shell::ChannelTable& channels) {
  std::vector<LocalPlanChannelRow> rows;
  for (int s = 0; s < shell::kChannelSlots; ++s) {
    const shell::DeviceRecord* d = channels[s].device.load();
    if (!d) continue;
    char server[sizeof d->serverName];
    lstrcpynA(server, d->serverName, sizeof server);
    rows.push_back({s, server, shell::ChannelName(*d, channels[s].channel.load())});
  }
  return rows;
}

CLocalWorkPlanDlg::CLocalWorkPlanDlg(CWnd* parent)
    : CDialog(IDD, parent), m_plan(std::make_unique<shell::LocalWorkPlan>()) {
  std::memset(m_plan.get(), 0, sizeof *m_plan);
}

CLocalWorkPlanDlg::~CLocalWorkPlanDlg() = default;

void CLocalWorkPlanDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_WP_CHANNELS, m_channels);
  DDX_Control(dx, IDC_WP_ENTRIES, m_entries);
  DDX_Control(dx, IDC_WP_DAYS, m_days);
}

BOOL CLocalWorkPlanDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SetWindowText(TranslateString("Local Auto Work Plan"));
  static const ListColumn kChannelColumns[] = {{"Chan No.", 65}, {"Server Name", 250}, {"Channel Name", 250}};
  static const ListColumn kEntryColumns[] = {{"Begin Time", 80}, {"End Time", 80}, {"Detection Type", 400}};
  SetupReportList(m_channels, kChannelColumns, 3);
  SetupReportList(m_entries, kEntryColumns, 3);
  int row = 0;
  for (const LocalPlanChannelRow& r : m_rows) {
    if (r.slot < 0 || r.slot >= shell::kPlanChannels) continue;
    CString n;
    n.Format("%02d", row + 1);
    m_channels.InsertItem(row, n);
    m_channels.SetItemText(row, 1, r.serverName);
    m_channels.SetItemText(row, 2, r.channelName);
    m_channels.SetItemData(row, DWORD_PTR(r.slot));
    ++row;
  }
  for (int d = 0; d < shell::kPlanDays; ++d) m_days.InsertItem(d, TranslateString(kWeekDayNames[d]));
  m_days.SetCurSel(0);
  CheckDlgButton(IDC_WP_ENABLE, m_enabled ? BST_CHECKED : BST_UNCHECKED);
  ApplyEnable();
  return TRUE;
}

void CLocalWorkPlanDlg::ApplyEnable() {
  // OK and Cancel stay usable, so a plan switched off can be kept.
  BOOL on = IsDlgButtonChecked(IDC_WP_ENABLE) == BST_CHECKED;
  for (int id : {IDC_WP_CHANNELS, IDC_WP_DAYS, IDC_WP_ENTRIES, IDC_WP_ADD, IDC_WP_MODIFY, IDC_WP_DELETE,
                 IDC_WP_COPY_WEEK, IDC_WP_COPY_CHANNEL})
    ::EnableWindow(::GetDlgItem(m_hWnd, id), on);
}

void CLocalWorkPlanDlg::OnEnable() {
  m_enabled = IsDlgButtonChecked(IDC_WP_ENABLE) == BST_CHECKED;
  ApplyEnable();
}

void CLocalWorkPlanDlg::OnChannelChanged(NMHDR* nm, LRESULT*) {
  const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
  if (lv->uChanged & LVIF_STATE) ShowEntries();
}

int CLocalWorkPlanDlg::CurrentDay() const {
  int d = m_days.GetCurSel();
  return d < 0 || d >= shell::kPlanDays ? 0 : d;
}

int CLocalWorkPlanDlg::SelectedSlot(bool prompt) {
  int row = m_channels.GetNextItem(-1, LVNI_SELECTED);
  int slot = row < 0 ? -1 : int(m_channels.GetItemData(row));
  if (slot < 0 || slot >= shell::kPlanChannels) {
    if (prompt) Prompt("Please select channel!");
    return -1;
  }
  return slot;
}

int CLocalWorkPlanDlg::SelectedEntry() const {
  int row = m_entries.GetNextItem(-1, LVNI_SELECTED);
  return row < 0 ? -1 : int(m_entries.GetItemData(row));
}

void CLocalWorkPlanDlg::ShowEntries() {
  m_entries.DeleteAllItems();
  int slot = SelectedSlot(false);
  if (slot < 0) return;
  int day = CurrentDay();
  int row = 0;
  for (int e = 0; e < shell::kPlanEntries; ++e) {
    const shell::WorkPlanEntry& w = m_plan->entries[slot][day][e];
    if (!w.used) continue;
    CString begin, end;
    begin.Format("%d:%02d", w.beginHour, w.beginMinute);
    end.Format("%d:%02d", w.endHour, w.endMinute);
    m_entries.InsertItem(row, begin);
    m_entries.SetItemText(row, 1, end);
    m_entries.SetItemText(row, 2, DetectionTypeText(w.detectionType));
    m_entries.SetItemData(row, DWORD_PTR(e));
    ++row;
  }
}

void CLocalWorkPlanDlg::Prompt(const char* english) {
  TranslatedMessageBox(this, english, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
}

void CLocalWorkPlanDlg::OnAdd() {
  int slot = SelectedSlot(true);
  if (slot < 0) return;
  int day = CurrentDay();
  int e = shell::FirstFreePlanEntry(*m_plan, slot, day);
  if (e < 0) {
    Prompt("Already reach maximum entries!");
    return;
  }
  CWorkPlanEntryDlg dlg(this);
  dlg.m_entry.beginHour = 0;
  dlg.m_entry.beginMinute = 0;
  dlg.m_entry.endHour = 23;
  dlg.m_entry.endMinute = 59;
  dlg.m_entry.detectionType = 15;
  if (dlg.DoModal() != IDOK) return;
  m_plan->entries[slot][day][e] = dlg.m_entry;
  ShowEntries();
}

void CLocalWorkPlanDlg::OnModify() {
  int slot = SelectedSlot(true);
  if (slot < 0) return;
  int e = SelectedEntry();
  if (e < 0 || e >= shell::kPlanEntries) {
    Prompt("Please select the entry to modify!");
    return;
  }
  int day = CurrentDay();
  CWorkPlanEntryDlg dlg(this);
  dlg.m_entry = m_plan->entries[slot][day][e];
  if (dlg.DoModal() != IDOK) return;
  m_plan->entries[slot][day][e] = dlg.m_entry;
  ShowEntries();
}

void CLocalWorkPlanDlg::OnDelete() {
  int slot = SelectedSlot(true);
  if (slot < 0) return;
  int e = SelectedEntry();
  if (e < 0 || e >= shell::kPlanEntries) {
    Prompt("Please select the entry to delete!");
    return;
  }
  shell::DeletePlanEntry(*m_plan, slot, CurrentDay(), e);
  ShowEntries();
}

void CLocalWorkPlanDlg::OnCopyWeek() {
  int slot = SelectedSlot(true);
  if (slot < 0) return;
  CWeekDaySelectDlg dlg(this);
  if (dlg.DoModal() != IDOK) return;
  shell::CopyPlanDay(*m_plan, slot, CurrentDay(), dlg.DayMask());
  ShowEntries();
}

void CLocalWorkPlanDlg::OnCopyChannel() {
  int slot = SelectedSlot(true);
  if (slot < 0) return;
  CLocalChannelSelectDlg dlg(this);
  int rows = m_channels.GetItemCount();
  dlg.m_count = rows > CCheckListDlg::kMaxRows ? CCheckListDlg::kMaxRows : rows;
  for (int i = 0; i < dlg.m_count; ++i) {
    dlg.m_serverNames[i] = m_channels.GetItemText(i, 1);
    dlg.m_channelNames[i] = m_channels.GetItemText(i, 2);
  }
  if (dlg.DoModal() != IDOK) return;
  // The picker's rows are the channel rows; each row names its slot.
  int flags[shell::kPlanChannels] = {};
  for (int i = 0; i < dlg.m_count; ++i) {
    int target = int(m_channels.GetItemData(i));
    if (dlg.m_check[i] && target >= 0 && target < shell::kPlanChannels) flags[target] = 1;
  }
  shell::CopyPlanChannel(*m_plan, slot, flags);
  ShowEntries();
}
