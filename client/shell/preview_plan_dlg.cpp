#include "preview_plan_dlg.h"

#include <ctime>

#include "app_services.h"
#include "config_store.h"
#include "device_panel_face.h"
#include "language.h"
#include "main_dlg_face.h"

// ------------------------------------------------------------ CPlanNameDlg
CPlanNameDlg::CPlanNameDlg(const shell::PlanImage* plans, CWnd* parent) : CDialog(IDD, parent), m_plans(plans) {}

void CPlanNameDlg::DoDataExchange(CDataExchange* dx) { DDX_Text(dx, IDC_PLAN_NAME, m_name); }

BOOL CPlanNameDlg::OnInitDialog() {
  m_name = TranslateString("Current Plan");
  CDialog::OnInitDialog();
  TranslateDialog(this);
  // The name field of a plan holds 100 characters.
  SendDlgItemMessage(IDC_PLAN_NAME, EM_LIMITTEXT, shell::kPlanNameChars);
  return TRUE;
}

void CPlanNameDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (m_plans && shell::PlanNameTaken(*m_plans, m_name)) {
    TranslatedMessageBox(this, "This name already made!", "Tip", MB_OK | MB_ICONINFORMATION);
    return;
  }
  EndDialog(IDOK);
}

// --------------------------------------------------------- CMainPlanTarget
bool CMainPlanTarget::WindowShowsChannel(int window) {
  return g_pMainDlg && g_pMainDlg->GetChannelState(0, window) != 0;
}
void CMainPlanTarget::CloseWindowView(int window) {
  if (g_pDeviceDlg) g_pDeviceDlg->CloseWindowView(window);
}
void CMainPlanTarget::ConnectAll() {
  if (g_pDeviceDlg) g_pDeviceDlg->ConnectAll();
  ::Sleep(100);
}
void CMainPlanTarget::ArrangeWindows(int layoutKind) {
  if (g_pMainDlg) g_pMainDlg->ArrangePlanLayout(layoutKind);
}
void CMainPlanTarget::OpenChannelInWindow(const char* address, int channel, int window) {
  if (g_pDeviceDlg) g_pDeviceDlg->OpenChannelInWindow(address, channel, window);
}
void CMainPlanTarget::SetWindowRecordOn(int window) {
  if (g_pMainDlg) g_pMainDlg->SetWindowListRecord(window, TRUE);
}

// --------------------------------------------------------- CPreviewPlanDlg
BEGIN_MESSAGE_MAP(CPreviewPlanDlg, CDialog)
  ON_BN_CLICKED(IDC_PLAN_SAVE, OnSaveCurrentPlan)
  ON_BN_CLICKED(IDC_PLAN_OPEN, OnOpenPlan)
  ON_BN_CLICKED(IDC_PLAN_DELETE, OnDeletePlan)
  ON_NOTIFY(NM_DBLCLK, IDC_PLAN_LIST, OnListDblClk)
  ON_NOTIFY(NM_CLICK, IDC_PLAN_LIST, OnListClick)
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CPreviewPlanDlg::CPreviewPlanDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CPreviewPlanDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_PLAN_LIST, m_list); }

BOOL CPreviewPlanDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  CenterWindow();
  CRect r;
  m_list.GetClientRect(&r);
  int w = r.Width();
  m_list.InsertColumn(0, TranslateString("Plan Name"), LVCFMT_LEFT, w / 2);
  m_list.InsertColumn(1, TranslateString("User"), LVCFMT_LEFT, w / 4);
  m_list.InsertColumn(2, TranslateString("Date"), LVCFMT_LEFT, w / 4);
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  if (m_plans) {
    shell::LoadLocalPlans(*m_plans, m_programDir);
    for (int s = 0; s < shell::kPlanSlots; ++s)
      if (m_plans->slots[s].used == 1) AppendRow(s);
  }
  return TRUE;
}

void CPreviewPlanDlg::AppendRow(int slot) {
  const shell::PlanSlot& p = m_plans->slots[slot];
  char name[sizeof p.name], user[sizeof p.userName], date[sizeof p.date];
  lstrcpynA(name, p.name, sizeof name);
  lstrcpynA(user, p.userName, sizeof user);
  lstrcpynA(date, p.date, sizeof date);
  int row = m_list.InsertItem(m_list.GetItemCount(), name);
  m_list.SetItemText(row, 1, user);
  m_list.SetItemText(row, 2, date);
  m_list.SetItemData(row, DWORD_PTR(slot));
}

void CPreviewPlanDlg::FillSlot(int slot, const char* name) {
  shell::PlanSnapshot now;
  if (g_pMainDlg) {
    // The kind shown, not the split's: at start-up 16 of the 36 windows in
    // use are shown, and the single-window view shows one.
    now.layoutKind = g_pMainDlg->GetLayoutKind();
    now.channels = &g_pMainDlg->m_channels;
    now.windows = &g_pMainDlg->m_windows;
  }
  char date[16];
  time_t t = time(nullptr);
  tm local{};
  if (tm* l = localtime(&t)) local = *l;
  strftime(date, sizeof date, "%Y-%m-%d", &local);
  const shell::LocalUserRecord* user = GetCurrentUser();
  char userName[sizeof user->name] = {};
  if (user) lstrcpynA(userName, user->name, sizeof userName);
  shell::FillPlanSlot(m_plans->slots[slot], now, name, userName, date);
}

void CPreviewPlanDlg::OnSaveCurrentPlan() {
  if (!m_plans) return;
  CPlanNameDlg name(m_plans);
  if (name.DoModal() != IDOK) return;
  int slot = shell::FirstFreeNamedPlanSlot(*m_plans);
  if (slot < 0) {
    TranslatedMessageBox(this, "No room for another plan: delete a plan first!", "Tip", MB_OK | MB_ICONINFORMATION);
    return;
  }
  FillSlot(slot, name.m_name);
  AppendRow(slot);
  shell::SaveLocalPlans(*m_plans, m_programDir);
}

void CPreviewPlanDlg::OnOpenPlan() {
  if (!m_plans) return;
  int row = m_list.GetSelectionMark();
  if (row < 0 || row >= m_list.GetItemCount()) {
    TranslatedMessageBox(this, "Please select a plan!", "Tip", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (!(g_userRights & kRightLocalWatchVideo)) {
    TranslatedMessageBox(this, "You have no power to watch video!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  int slot = int(m_list.GetItemData(row));
  if (slot < 0 || slot >= shell::kPlanSlots) return;
  PlaySlot(slot);
}

void CPreviewPlanDlg::PlaySlot(int slot) {
  CMainPlanTarget main;
  shell::PlayPlanSlot(m_plans->slots[slot], m_target ? *m_target : main);
}

void CPreviewPlanDlg::OnDeletePlan() {
  if (!m_plans) return;
  int row = m_list.GetSelectionMark();
  if (row < 0 || row >= m_list.GetItemCount()) {
    TranslatedMessageBox(this, "Please select a plan!", "WARNING", MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (TranslatedMessageBox(this, "Are you sure you want to delete Plan?", "WARNING", MB_YESNO | MB_ICONQUESTION) !=
      IDYES)
    return;
  int slot = int(m_list.GetItemData(row));
  if (slot < 0 || slot >= shell::kPlanSlots) return;
  m_list.DeleteItem(row);
  memset(&m_plans->slots[slot], 0, sizeof m_plans->slots[slot]);
  shell::SaveLocalPlans(*m_plans, m_programDir);
  m_list.SetSelectionMark(-1);
  m_list.SendMessage(LVM_SETHOTITEM, WPARAM(-1), 0);
  m_list.SetFocus();
}

void CPreviewPlanDlg::OnListClick(NMHDR*, LRESULT*) {
  m_list.SendMessage(LVM_SETHOTITEM, WPARAM(m_list.GetSelectionMark()), 0);
}

void CPreviewPlanDlg::OnShowWindow(BOOL show, UINT status) {
  CDialog::OnShowWindow(show, status);
  if (!show) return;
  int row = m_list.GetSelectionMark();
  if (row >= 0 && row < m_list.GetItemCount()) {
    m_list.SetFocus();
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

void CPreviewPlanDlg::SaveLastPlayPlan() {
  if (!m_plans) return;
  FillSlot(shell::kLastPlayPlanSlot, TranslateString("Last Play Plan"));
  shell::SaveLocalPlans(*m_plans, m_programDir);
}

void CPreviewPlanDlg::PlayLastPlayPlan() {
  if (!m_plans) return;
  // A first start has no Last Play Plan: nothing is closed or rearranged.
  if (!shell::PlanPlayable(m_plans->slots[shell::kLastPlayPlanSlot])) return;
  PlaySlot(shell::kLastPlayPlanSlot);
  if (g_pMainDlg && g_pMainDlg->GetMainHwnd()) ::InvalidateRect(g_pMainDlg->GetMainHwnd(), nullptr, TRUE);
}
