#include "device_search_dlg.h"

#include "app_services.h"
#include "connect_server_dlg.h"
#include "language.h"
#include "report_list.h"
#include "server_table.h"
#include "udp_packets.h"

BEGIN_MESSAGE_MAP(CDeviceSearchDlg, CDialog)
  ON_BN_CLICKED(IDC_DS_ADD, OnAdd)
  ON_BN_CLICKED(IDC_DS_CHECK_ALL, OnCheckAll)
  ON_NOTIFY(NM_CLICK, IDC_DS_LIST, OnListClick)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_DS_LIST, OnItemChanged)
END_MESSAGE_MAP()

CDeviceSearchDlg::CDeviceSearchDlg(CWnd* parent) : CDialog(IDD, parent) {}

void CDeviceSearchDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_DS_LIST, m_list);
  DDX_Text(dx, IDC_DS_USER, m_userName);
  DDX_Text(dx, IDC_DS_PASSWORD, m_password);
  DDX_Check(dx, IDC_DS_CHECK_ALL, m_checkAll);
}

BOOL CDeviceSearchDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SendDlgItemMessage(IDC_DS_USER, EM_LIMITTEXT, 16);
  SendDlgItemMessage(IDC_DS_PASSWORD, EM_LIMITTEXT, 16);
  static const ListColumn kColumns[] = {
      {"No.", 50},           {"IP Address", 120},    {"Stream Port", 130},
      {"Config Port", 100},  {"Device Serial", 130}, {"Channels", 130},
  };
  SetupReportList(m_list, kColumns, 6);
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_CHECKBOXES);
  return TRUE;
}

void CDeviceSearchDlg::OnSearchReply(const uint8_t* block, const char*) {
  if (!block || !m_list.GetSafeHwnd()) return;
  shell::UdpDeviceInfoView info(block);
  const uint32_t address = info.Address();
  for (int i = 0; i < m_list.GetItemCount(); ++i)
    if (uint32_t(m_list.GetItemData(i)) == address) return;   // keeps its first values
  int row = m_list.GetItemCount();
  CString text;
  text.Format("%d", row + 1);
  m_list.InsertItem(row, text);
  m_list.SetItemText(row, 1, info.AddressText().c_str());
  text.Format("%d", info.StreamPort());
  m_list.SetItemText(row, 2, text);
  text.Format("%d", info.ConfigPort());
  m_list.SetItemText(row, 3, text);
  // The serial never runs past the block (the view stops at its end).
  m_list.SetItemText(row, 4, info.Serial().c_str());
  text.Format("%d", info.ChannelCount());
  m_list.SetItemText(row, 5, text);
  m_list.SetItemData(row, DWORD_PTR(address));
}

void CDeviceSearchDlg::OnListClick(NMHDR*, LRESULT*) {
  // The checked rows become exactly the selected rows.
  m_selectedRows.clear();
  m_selectedAddresses.clear();
  for (int r = m_list.GetNextItem(-1, LVNI_SELECTED); r >= 0; r = m_list.GetNextItem(r, LVNI_SELECTED)) {
    m_selectedRows.push_back(r);
    m_selectedAddresses.push_back(m_list.GetItemText(r, 1));
  }
  ApplyRemembered();
}

void CDeviceSearchDlg::ApplyRemembered() {
  m_applying = true;
  for (int i = 0; i < m_list.GetItemCount(); ++i) {
    bool want = false;
    for (int r : m_selectedRows) want = want || r == i;
    if (bool(m_list.GetCheck(i)) != want) m_list.SetCheck(i, want);
  }
  m_applying = false;
}

void CDeviceSearchDlg::OnItemChanged(NMHDR* nm, LRESULT*) {
  const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
  if (m_applying || !(lv->uChanged & LVIF_STATE)) return;
  // Only a change of the check mark itself (the state image) is undone.
  if (((lv->uNewState ^ lv->uOldState) & LVIS_STATEIMAGEMASK) == 0) return;
  if (!m_selectedRows.empty() || !m_selectedAddresses.empty()) ApplyRemembered();
}

void CDeviceSearchDlg::OnCheckAll() {
  m_checkAll = IsDlgButtonChecked(IDC_DS_CHECK_ALL) == BST_CHECKED;
  m_selectedRows.clear();
  m_selectedAddresses.clear();
  if (m_checkAll)
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
      m_selectedRows.push_back(i);
      m_selectedAddresses.push_back(m_list.GetItemText(i, 1));
    }
  ApplyRemembered();
}

void CDeviceSearchDlg::OnAdd() {
  UpdateData(TRUE);
  if (m_image) {
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
      if (!m_list.GetCheck(i)) continue;
      live::FoundDevice d;
      d.address = LPCSTR(m_list.GetItemText(i, 1));
      d.name = d.address;
      d.port = atoi(m_list.GetItemText(i, 2));
      d.channels = atoi(m_list.GetItemText(i, 5));
      if (live::AddFoundDevice(*m_image, d, m_userName, m_password, TranslateString("Channel")) ==
          live::AddFoundResult::TableFull) {
        TranslatedMessageBox(this, "Already reach maximum server entries!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
        break;
      }
    }
  }
  if (m_owner) m_owner->RefreshList();
  DestroyWindow();
}
