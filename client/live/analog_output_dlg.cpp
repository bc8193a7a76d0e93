#include "analog_output_dlg.h"

#include "app_services.h"
#include "language.h"

BEGIN_MESSAGE_MAP(CAnalogOutputDlg, CDialog)
  ON_BN_CLICKED(IDC_CARD_CONNECT, OnConnect)
  ON_BN_CLICKED(IDC_CARD_DISCONNECT, OnDisconnect)
  ON_BN_CLICKED(IDC_CARD_ASSIGN, OnAssign)
  ON_BN_CLICKED(IDC_CARD_REMOVE, OnRemove)
  ON_BN_CLICKED(IDC_CARD_CLEAR, OnClear)
  ON_EN_CHANGE(IDC_CARD_INTERVAL, OnIntervalChange)
  ON_EN_KILLFOCUS(IDC_CARD_INTERVAL, OnIntervalKillFocus)
  ON_NOTIFY(NM_DBLCLK, IDC_CARD_WINDOWS, OnListDblClk)
  ON_NOTIFY(NM_DBLCLK, IDC_CARD_TREE, OnTreeDblClk)
  ON_WM_TIMER()
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {

void Box(CWnd* owner, const char* text) { TranslatedMessageBox(owner, text, nullptr, MB_OK | MB_ICONINFORMATION); }

CString TwoDigits(int n) {
  CString s;
  s.Format("%02d", n);
  return s;
}

}  // namespace

CAnalogOutputDlg::CAnalogOutputDlg(card::CCardSession& session, CWnd* parent)
    : CDialog(IDD, parent), m_session(session) {}

BOOL CAnalogOutputDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Out put analogue signal"));
  TranslateDialog(this);
  m_list.SubclassDlgItem(IDC_CARD_WINDOWS, this);
  m_spin.SubclassDlgItem(IDC_CARD_SPIN, this);
  m_tree.SubclassDlgItem(IDC_CARD_TREE, this);
  m_list.SetMarkColor(0xFF0000);
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  CRect r;
  m_list.GetClientRect(&r);
  m_list.InsertColumn(0, TranslateString("Window Num"), LVCFMT_LEFT, r.Width() / 3);
  m_list.InsertColumn(1, TranslateString("Ana Num"), LVCFMT_LEFT, r.Width() / 3 - 10);
  m_list.InsertColumn(2, TranslateString("Output Pos"), LVCFMT_LEFT, r.Width() / 3 - 10);
  m_root = m_tree.InsertItem("Analouge Chan");
  FillList();
  SendDlgItemMessage(IDC_CARD_INTERVAL, EM_LIMITTEXT, 3, 0);
  m_spin.SetRange(1, 100);
  m_spin.SetPos(m_interval);
  SetDlgItemInt(IDC_CARD_INTERVAL, UINT(m_interval), FALSE);
  if (m_session.Connected()) {
    SetDlgItemText(IDC_CARD_CONNECT, "Connected");
    FillTree("Output pos");
  }
  return TRUE;
}

void CAnalogOutputDlg::OnShowWindow(BOOL show, UINT status) {
  Default();
  if (show) RefreshMarks();
}

void CAnalogOutputDlg::RefreshMarks() {
  for (int w = 0; w < card::kWindows; ++w) {
    if (m_windowShowsChannel && m_windowShowsChannel(w))
      m_list.MarkRow(w);
    else
      m_list.UnmarkRow(w);
  }
}

void CAnalogOutputDlg::FillList() {
  m_list.DeleteAllItems();
  CString word = TranslateString("Window");
  for (int w = 0; w < card::kWindows; ++w) {
    CString text;
    text.Format("%s%02d", word.GetString(), w + 1);
    m_list.InsertItem(w, text);
    ShowAssignment(w);
  }
  RefreshMarks();
}

void CAnalogOutputDlg::ShowAssignment(int window) {
  const card::CardAssignment& a = m_model.Assignment(window);
  m_list.SetItemText(window, 1, a.output >= 0 ? TwoDigits(a.output + 1) : CString());
  m_list.SetItemText(window, 2, a.position >= 0 ? TwoDigits(a.position) : CString());
}

void CAnalogOutputDlg::FillTree(const char* positionWord) {
  // Expanded states and selection are rebuilt with the items.
  HTREEITEM child;
  while ((child = m_tree.GetChildItem(m_root)) != nullptr) m_tree.DeleteItem(child);
  for (int o = 0; o < m_model.Outputs(); ++o) {
    HTREEITEM channel = m_tree.InsertItem("Channel" + TwoDigits(o + 1), m_root);
    m_tree.SetItemData(channel, DWORD_PTR(o));
    for (int p = 1; p <= card::kPositions; ++p) {
      HTREEITEM position = m_tree.InsertItem(positionWord + TwoDigits(p), channel);
      m_tree.SetItemData(position, DWORD_PTR(p));
      for (int w : m_model.Windows(o, p)) {
        HTREEITEM item = m_tree.InsertItem(m_list.GetItemText(w, 0), position);
        m_tree.SetItemData(item, DWORD_PTR(w));
      }
      m_tree.Expand(position, TVE_EXPAND);
    }
    m_tree.Expand(channel, TVE_EXPAND);
  }
  m_tree.Expand(m_root, TVE_EXPAND);
}

void CAnalogOutputDlg::Publish() { m_session.SetModel(m_model); }

int CAnalogOutputDlg::CountChildItems(HTREEITEM item) const {
  int n = 0;
  for (HTREEITEM c = item ? m_tree.GetChildItem(item) : nullptr; c; c = m_tree.GetNextSiblingItem(c)) ++n;
  return n;
}

int CAnalogOutputDlg::HasMultipleAssignedPositions(HTREEITEM channelItem) const {
  int used = 0;
  for (HTREEITEM p = channelItem ? m_tree.GetChildItem(channelItem) : nullptr; p; p = m_tree.GetNextSiblingItem(p))
    if (CountChildItems(p) > 0 && ++used >= 2) return 1;
  return 0;
}

void CAnalogOutputDlg::OnConnect() {
  if (m_session.Connected()) {
    Box(this, "Have connected to card");
    return;
  }
  SetDlgItemText(IDC_CARD_CONNECT, TranslateString("Connecting.."));
  int outputs = 0, dsps = 0;
  if (!m_session.Connect(outputs, dsps)) {
    Box(this, "Cards is running or .img not found!");
    SetDlgItemText(IDC_CARD_CONNECT, TranslateString("Disconnected"));
    return;
  }
  SetDlgItemText(IDC_CARD_CONNECT, TranslateString("Connected"));
  m_outputs = outputs;
  m_dsps = dsps;
  m_model.Reset(outputs);
  FillTree("Output pos");
  FillList();
  for (int o = 0; o < card::kMaxOutputs; ++o)
    for (int q = 0; q < card::kPositions; ++q) m_session.ClearQuadrant(o, q);
  Publish();
  SetTimer(kRotationTimer, UINT(ReadInterval()) * 1000);
}

void CAnalogOutputDlg::OnDisconnect() {
  if (!m_session.Connected()) return;
  KillTimer(kRotationTimer);
  m_session.Disconnect(m_outputs);
  SetDlgItemText(IDC_CARD_CONNECT, TranslateString("Disconnected"));
  m_model.Reset(0);
  FillTree("Output pos");
  FillList();
}

void CAnalogOutputDlg::OnAssign() {
  if (!m_session.Connected()) {
    Box(this, "Please connect to decard first");
    return;
  }
  HTREEITEM position = m_tree.GetSelectedItem();
  HTREEITEM channel = position ? m_tree.GetParentItem(position) : nullptr;
  if (!channel || m_tree.GetParentItem(channel) != m_root) {
    Box(this, "Please Choose Output Pos");
    return;
  }
  const int output = card::WindowNumberInText(m_tree.GetItemText(channel)) - 1;
  const int pos = card::WindowNumberInText(m_tree.GetItemText(position));
  bool changed = false;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    int window = card::WindowNumberInText(m_list.GetItemText(row, 0)) - 1;
    if (m_model.Assign(output, pos, window)) changed = true;
  }
  if (!changed) return;
  for (int w = 0; w < card::kWindows; ++w) ShowAssignment(w);
  FillTree("Output pos");
  Publish();
}

void CAnalogOutputDlg::OnRemove() {
  if (!m_session.Connected()) {
    Box(this, "Please connect to decard first");
    return;
  }
  HTREEITEM item = m_tree.GetSelectedItem();
  HTREEITEM position = item ? m_tree.GetParentItem(item) : nullptr;
  HTREEITEM channel = position ? m_tree.GetParentItem(position) : nullptr;
  if (!channel || m_tree.GetParentItem(channel) != m_root) return;
  int window = int(m_tree.GetItemData(item));
  int output = m_model.Assignment(window).output;
  if (output < 0) return;
  // The feed opens the output again with its remaining windows.
  m_session.ResetOutput(output);
  m_model.Remove(window);
  for (int w = 0; w < card::kWindows; ++w) ShowAssignment(w);
  FillTree("Output pos");
  Publish();
}

void CAnalogOutputDlg::OnClear() {
  if (m_model.Outputs() <= 0) return;
  m_model.Reset(m_outputs);
  FillTree("Output Pos");
  FillList();
  Publish();
  for (int o = 0; o < m_outputs; ++o) m_session.ResetOutput(o);
}

int CAnalogOutputDlg::ReadInterval() {
  BOOL ok = FALSE;
  int v = int(GetDlgItemInt(IDC_CARD_INTERVAL, &ok, FALSE));
  if (!ok || v < 1) v = 1;
  if (v > 100) v = 100;
  m_interval = v;
  return v;
}

void CAnalogOutputDlg::OnOK() {
  KillTimer(kRotationTimer);
  SetTimer(kRotationTimer, UINT(ReadInterval()) * 1000);
}

void CAnalogOutputDlg::OnIntervalChange() {
  BOOL ok = FALSE;
  int v = int(GetDlgItemInt(IDC_CARD_INTERVAL, &ok, FALSE));
  if (ok && v > 100) SetDlgItemInt(IDC_CARD_INTERVAL, 100, FALSE);
}

void CAnalogOutputDlg::OnIntervalKillFocus() {
  BOOL ok = FALSE;
  int v = int(GetDlgItemInt(IDC_CARD_INTERVAL, &ok, FALSE));
  if (!ok || v < 1) SetDlgItemInt(IDC_CARD_INTERVAL, 1, FALSE);
}

void CAnalogOutputDlg::OnListDblClk(NMHDR*, LRESULT* result) {
  *result = 0;
  OnAssign();
}

void CAnalogOutputDlg::OnTreeDblClk(NMHDR*, LRESULT* result) {
  *result = 0;
  OnRemove();
}

void CAnalogOutputDlg::OnTimer(UINT_PTR id) {
  if (id != kRotationTimer) {
    Default();
    return;
  }
  if (!m_session.Connected() || !m_session.FeedOn()) return;
  m_model.Rotate();
  Publish();
}
