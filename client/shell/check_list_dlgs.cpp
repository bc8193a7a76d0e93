#include "check_list_dlgs.h"

#include <cstring>

#include "language.h"

const char* const kWeekDayNames[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

namespace {
int Clamp64(int n) { return n < 0 ? 0 : n > CCheckListDlg::kMaxRows ? CCheckListDlg::kMaxRows : n; }
}  // namespace

BEGIN_MESSAGE_MAP(CCheckListDlg, CDialog)
  ON_BN_CLICKED(IDC_SELECT_ALL, OnSelectAll)
END_MESSAGE_MAP()

CCheckListDlg::CCheckListDlg(UINT idd, CWnd* parent) : CDialog(idd, parent) { std::memset(m_check, 0, sizeof m_check); }

void CCheckListDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_CHECK_LIST, m_list); }

BOOL CCheckListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  Fill();
  return TRUE;
}

void CCheckListDlg::OnSelectAll() {
  for (int i = 0; i < m_list.GetItemCount(); ++i) m_list.SetCheck(i, m_selectAll);
  m_selectAll = !m_selectAll;
  SetDlgItemText(IDC_SELECT_ALL, TranslateString(m_selectAll ? "Select All" : "Clear All"));
}

void CCheckListDlg::OnOK() {
  int rows = RowCount();
  for (int i = 0; i < rows && i < m_list.GetItemCount(); ++i) m_check[i] = m_list.GetCheck(i) ? 1 : 0;
  CDialog::OnOK();
}

// ------------------------------------------------------ CChannelSelectDlg
CChannelSelectDlg::CChannelSelectDlg(CWnd* parent) : CCheckListDlg(IDD, parent) {}

int CChannelSelectDlg::RowCount() const { return Clamp64(m_channelCount); }

void CChannelSelectDlg::Fill() {
  SetWindowText(TranslateString("Channel Selection"));
  m_list.InsertColumn(0, TranslateString("Channel"), LVCFMT_LEFT, 55);
  m_list.InsertColumn(1, TranslateString("Name"), LVCFMT_LEFT, 150);
  for (int i = 0; i < RowCount(); ++i) {
    CString n;
    n.Format("%d", i + 1);
    m_list.InsertItem(i, n);
    m_list.SetItemText(i, 1, m_names[i]);
  }
}

// ------------------------------------------------------ CWeekDaySelectDlg
CWeekDaySelectDlg::CWeekDaySelectDlg(CWnd* parent) : CCheckListDlg(IDD, parent) {}

unsigned CWeekDaySelectDlg::DayMask() const {
  unsigned mask = 0;
  for (int d = 0; d < 7; ++d)
    if (m_check[d]) mask |= 1u << d;
  return mask;
}

void CWeekDaySelectDlg::Fill() {
  SetWindowText(TranslateString("Week Day Selection"));
  m_list.InsertColumn(0, TranslateString("Week Day"), LVCFMT_LEFT, 120);
  for (int d = 0; d < 7; ++d) m_list.InsertItem(d, TranslateString(kWeekDayNames[d]));
}

// ------------------------------------------------- CLocalChannelSelectDlg
CLocalChannelSelectDlg::CLocalChannelSelectDlg(CWnd* parent) : CCheckListDlg(IDD, parent) {}

int CLocalChannelSelectDlg::RowCount() const { return Clamp64(m_count); }

void CLocalChannelSelectDlg::Fill() {
  SetWindowText(TranslateString("Channel Selection"));
  m_list.InsertColumn(0, TranslateString("Chan No."), LVCFMT_LEFT, 65);
  m_list.InsertColumn(1, TranslateString("Channel Name"), LVCFMT_LEFT, 200);
  m_list.InsertColumn(2, TranslateString("Server Name"), LVCFMT_LEFT, 200);
  for (int i = 0; i < RowCount(); ++i) {
    CString n;
    n.Format("%d", i + 1);
    m_list.InsertItem(i, n);
    m_list.SetItemText(i, 1, m_channelNames[i]);
    m_list.SetItemText(i, 2, m_serverNames[i]);
  }
}
