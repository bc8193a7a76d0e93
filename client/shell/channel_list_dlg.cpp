#include "channel_list_dlg.h"

#include <algorithm>
#include <cstring>

#include "language.h"
#include "main_duties.h"
#include "report_list.h"
#include "statistic_dlg.h"

namespace {

const UINT kGroupRadios[6] = {IDC_CL_GROUPS_1,  IDC_CL_GROUPS_4,  IDC_CL_GROUPS_9,
                              IDC_CL_GROUPS_16, IDC_CL_GROUPS_25, IDC_CL_GROUPS_36};
constexpr UINT WM_TREE_CHECK_CHANGED = WM_APP + 0x31;
constexpr DWORD_PTR kDeviceItemLow = 0xFFFF;

CString Text(const char* field, size_t size) { return CString(field, int(strnlen(field, size))); }

}  // namespace

BEGIN_MESSAGE_MAP(CMonitorChannelListDlg, CDialog)
  ON_BN_CLICKED(IDC_CL_ADD_CHANNELS, OnAddChannels)
  ON_BN_CLICKED(IDC_CL_REMOVE_CHANNELS, OnRemoveChannels)
  ON_BN_CLICKED(IDC_CL_ADD_TO_GROUP, OnAddToGroup)
  ON_BN_CLICKED(IDC_CL_DELETE_FROM_GROUP, OnDeleteFromGroup)
  ON_BN_CLICKED(IDC_CL_SELECT_ALL, OnSelectAll)
  ON_BN_CLICKED(IDC_CL_MANUAL, OnManualConfiguration)
  ON_CONTROL_RANGE(BN_CLICKED, IDC_CL_GROUPS_1, IDC_CL_GROUPS_1, OnGroupsCount)
  ON_CONTROL_RANGE(BN_CLICKED, IDC_CL_GROUPS_4, IDC_CL_GROUPS_9, OnGroupsCount)
  ON_CONTROL_RANGE(BN_CLICKED, IDC_CL_GROUPS_25, IDC_CL_GROUPS_36, OnGroupsCount)
  ON_CONTROL_RANGE(BN_CLICKED, IDC_CL_GROUPS_16, IDC_CL_GROUPS_16, OnGroupsCount)
  ON_NOTIFY(TCN_SELCHANGE, IDC_CL_GROUP_TABS, OnTabChange)
  ON_NOTIFY(NM_DBLCLK, IDC_CL_ALL_CHANNELS, OnChannelListDblClk)
  ON_NOTIFY(NM_DBLCLK, IDC_CL_GROUP_LIST, OnGroupListDblClk)
  ON_NOTIFY(NM_CLICK, IDC_CL_SERVER_TREE, OnTreeClick)
  ON_MESSAGE(WM_TREE_CHECK_CHANGED, OnTreeCheckChanged)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CMonitorChannelListDlg::CMonitorChannelListDlg(shell::SystemConfigImage* image, const CString& settingsIni,
                                               CWnd* parent)
    : CDialog(IDD, parent), m_image(image), m_settingsIni(settingsIni) {
  char value[80] = {};
  ::GetPrivateProfileStringA("SetupSupMonSet", "CheckMC", "", value, sizeof value, m_settingsIni);
  m_manual = strcmp(value, "1") == 0 ? TRUE : FALSE;
}

int CMonitorChannelListDlg::GetGroupCount(int index) { return shell::GroupCountForChoice(index); }

BOOL CMonitorChannelListDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Setup Monitoring Channel List"));
  TranslateDialog(this);
  m_groupList.SubclassDlgItem(IDC_CL_GROUP_LIST, this);
  m_tabs.SubclassDlgItem(IDC_CL_GROUP_TABS, this);
  m_channelList.SubclassDlgItem(IDC_CL_ALL_CHANNELS, this);
  m_serverTree.SubclassDlgItem(IDC_CL_SERVER_TREE, this);
  // Check boxes set after creation and before the first item: given in the
  // template, the tree may clear the marks when it first paints.
  m_serverTree.ModifyStyle(0, TVS_CHECKBOXES);
  static const ListColumn kAll[] = {{"Chan No.", 65}, {"Group No.", 70}, {"Server IP or Domain", 150},
                                    {"Server Name", 200}, {"Channel Name", 200}};
  SetupReportList(m_channelList, kAll, 5);
  if (m_groupsCountIndex < 0) m_groupsCountIndex = 1;
  CreateTabs();
  static const ListColumn kGroup[] = {{"Chan No.", 65}, {"Server IP", 110}, {"Server Name", 200}, {"Channel Name", 200}};
  SetupReportList(m_groupList, kGroup, 4);
  FillChannelList();
  FillServerTree();
  FillGroupList();
  CheckDlgButton(IDC_CL_SELECT_ALL, m_selectAll ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_CL_MANUAL, m_manual ? BST_CHECKED : BST_UNCHECKED);
  for (int i = 0; i < 6; ++i) CheckDlgButton(int(kGroupRadios[i]), i == m_groupsCountIndex ? BST_CHECKED : BST_UNCHECKED);
  EnableGroupControls();
  return TRUE;
}

void CMonitorChannelListDlg::OnDestroy() {
  if (m_onDestroyed) m_onDestroyed();
  CDialog::OnDestroy();
}

void CMonitorChannelListDlg::CreateTabs() {
  m_tabs.DeleteAllItems();
  int n = GetGroupCount(m_groupsCountIndex);
  for (int i = 0; i < n; ++i) m_tabs.InsertItem(i, "");
  if (n > 0) m_tabs.SetCurSel(0);
}

int CMonitorChannelListDlg::CurrentGroup() const {
  int g = m_tabs.m_hWnd ? m_tabs.GetCurSel() : -1;
  return g >= 0 && g < shell::ChannelGroups::kGroups ? g : -1;
}

void CMonitorChannelListDlg::FillChannelList() {
  if (!m_channelList.m_hWnd) return;
  m_channelList.DeleteAllItems();
  int row = 0;
  for (int slot : m_groups.ListedSlots()) {
    const shell::ChannelGroups::Slot& s = m_groups[slot];
    CString text;
    text.Format("%02d", row + 1);
    m_channelList.InsertItem(row, text);
    text.Empty();
    if (s.group >= 0) text.Format("%02d", s.group + 1);
    m_channelList.SetItemText(row, 1, text);
    m_channelList.SetItemText(row, 2, Text(s.device->address, sizeof s.device->address));
    m_channelList.SetItemText(row, 3, Text(s.device->serverName, sizeof s.device->serverName));
    m_channelList.SetItemText(row, 4, StatisticChannelName(s.device, uint32_t(s.channel)));
    m_channelList.SetItemData(row, (DWORD_PTR(s.device->loginId) << 16) | DWORD_PTR(s.channel & 0xFFFF));
    ++row;
  }
}

void CMonitorChannelListDlg::FillServerTree() {
  if (!m_serverTree.m_hWnd || !m_image) return;
  m_serverTree.DeleteAllItems();
  HTREEITEM first = nullptr;
  for (int d = 0; d < 36; ++d) {
    shell::DeviceRecord& dev = m_image->devices[d];
    if (dev.state == 0) continue;
    HTREEITEM item = m_serverTree.InsertItem(Text(dev.serverName, sizeof dev.serverName));
    m_serverTree.SetItemData(item, (DWORD_PTR(dev.loginId) << 16) | kDeviceItemLow);
    if (!first) first = item;
    for (int c = 0; c < dev.channelCount; ++c) {
      if (m_groups.Holds(&dev, c)) continue;
      HTREEITEM child = m_serverTree.InsertItem(StatisticChannelName(&dev, uint32_t(c)), item);
      m_serverTree.SetItemData(child, (DWORD_PTR(d) << 16) | DWORD_PTR(c));
    }
    m_serverTree.Expand(item, TVE_EXPAND);
  }
  if (first) m_serverTree.EnsureVisible(first);
}

void CMonitorChannelListDlg::FillGroupList() {
  if (!m_groupList.m_hWnd) return;
  for (int i = 0; i < m_tabs.GetItemCount(); ++i) {
    const std::vector<int>& list = m_groups.Group(i);
    CString label;
    if (list.empty())
      label.Format("%02d", i + 1);
    else
      label.Format("%02d (%d)", i + 1, int(list.size()));
    TCITEMA it{};
    it.mask = TCIF_TEXT;
    it.pszText = const_cast<LPSTR>(label.GetString());
    m_tabs.SendMessage(TCM_SETITEMA, WPARAM(i), LPARAM(&it));
  }
  m_groupList.DeleteAllItems();
  int g = CurrentGroup();
  if (g < 0) return;
  int row = 0;
  for (int slot : m_groups.Group(g)) {
    if (slot < 0 || slot >= shell::ChannelGroups::kSlots || !m_groups[slot].device) continue;
    const shell::ChannelGroups::Slot& s = m_groups[slot];
    CString text;
    text.Format("%02d", slot + 1);
    m_groupList.InsertItem(row, text);
    m_groupList.SetItemText(row, 1, Text(s.device->address, sizeof s.device->address));
    m_groupList.SetItemText(row, 2, Text(s.device->serverName, sizeof s.device->serverName));
    m_groupList.SetItemText(row, 3, StatisticChannelName(s.device, uint32_t(s.channel)));
    ++row;
  }
}

int CMonitorChannelListDlg::RowSlot(int row) const {
  DWORD_PTR data = m_channelList.GetItemData(row);
  return m_groups.FindSlot(uint32_t(data >> 16), int(data & 0xFFFF));
}

std::vector<int> CMonitorChannelListDlg::SelectedRows(const CListCtrl& list) const {
  std::vector<int> rows;
  for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED)) rows.push_back(i);
  return rows;
}

void CMonitorChannelListDlg::OnAddChannels() {
  for (HTREEITEM dev = m_serverTree.GetRootItem(); dev; dev = m_serverTree.GetNextSiblingItem(dev)) {
    for (HTREEITEM ch = m_serverTree.GetChildItem(dev); ch; ch = m_serverTree.GetNextSiblingItem(ch)) {
      if (!m_serverTree.GetCheck(ch)) continue;
      DWORD_PTR data = m_serverTree.GetItemData(ch);
      int index = int(data >> 16), channel = int(data & 0xFFFF);
      if (index < 0 || index >= 36 || !m_image) continue;
      m_groups.AddChannel(&m_image->devices[index], channel);  // no free slot: skipped
    }
  }
  FillChannelList();
  FillServerTree();
}

void CMonitorChannelListDlg::OnRemoveChannels() {
  // The slots first: each removal renumbers the later ones.
  std::vector<std::pair<uint32_t, int>> keys;
  for (int row : SelectedRows(m_channelList)) {
    DWORD_PTR data = m_channelList.GetItemData(row);
    keys.push_back({uint32_t(data >> 16), int(data & 0xFFFF)});
  }
  for (const auto& k : keys) {
    int slot = m_groups.FindSlot(k.first, k.second);
    if (slot >= 0) m_groups.RemoveSlot(slot);
  }
  FillChannelList();
  FillServerTree();
  FillGroupList();
}

void CMonitorChannelListDlg::OnAddToGroup() {
  int g = CurrentGroup();
  if (g < 0) return;
  std::vector<int> slots;
  for (int row : SelectedRows(m_channelList)) {
    if (!m_channelList.GetItemText(row, 1).IsEmpty()) continue;
    int slot = RowSlot(row);
    if (slot >= 0) slots.push_back(slot);
  }
  m_groups.AddToGroup(g, slots);
  FillChannelList();
  FillGroupList();
}

void CMonitorChannelListDlg::OnDeleteFromGroup() {
  int g = CurrentGroup();
  std::vector<int> rows = SelectedRows(m_groupList);
  if (g < 0 || rows.empty()) return;
  m_groups.DeleteFromGroup(g, rows);
  FillChannelList();
  FillGroupList();
}

void CMonitorChannelListDlg::OnGroupsCount(UINT id) {
  for (int i = 0; i < 6; ++i)
    if (kGroupRadios[i] == id) m_groupsCountIndex = i;
  m_groups.KeepGroups(GetGroupCount(m_groupsCountIndex));
  CreateTabs();
  FillChannelList();
  FillGroupList();
}

void CMonitorChannelListDlg::OnSelectAll() {
  BOOL value = IsDlgButtonChecked(IDC_CL_SELECT_ALL) == BST_CHECKED;
  // A notice without a change (the box getting the focus) leaves the tree.
  if (value == m_selectAll) return;
  m_selectAll = value;
  for (HTREEITEM dev = m_serverTree.GetRootItem(); dev; dev = m_serverTree.GetNextSiblingItem(dev)) {
    m_serverTree.SetCheck(dev, m_selectAll);
    for (HTREEITEM ch = m_serverTree.GetChildItem(dev); ch; ch = m_serverTree.GetNextSiblingItem(ch))
      m_serverTree.SetCheck(ch, m_selectAll);
  }
}

void CMonitorChannelListDlg::OnManualConfiguration() {
  m_manual = !m_manual;
  CheckDlgButton(IDC_CL_MANUAL, m_manual ? BST_CHECKED : BST_UNCHECKED);
  ::WritePrivateProfileStringA("SetupSupMonSet", "CheckMC", m_manual ? "1" : "0", m_settingsIni);
  EnableGroupControls();
}

void CMonitorChannelListDlg::EnableGroupControls() {
  const UINT ids[] = {IDC_CL_GROUP_LIST, IDC_CL_ADD_TO_GROUP, IDC_CL_DELETE_FROM_GROUP, IDC_CL_GROUP_TABS};
  for (UINT id : ids)
    if (CWnd* w = GetDlgItem(int(id))) w->EnableWindow(m_manual);
  for (UINT id : kGroupRadios)
    if (CWnd* w = GetDlgItem(int(id))) w->EnableWindow(m_manual);
}

void CMonitorChannelListDlg::OnTabChange(NMHDR*, LRESULT* result) {
  FillGroupList();
  *result = 0;
}

void CMonitorChannelListDlg::OnChannelListDblClk(NMHDR*, LRESULT* result) {
  if (m_manual) OnAddToGroup();
  *result = 0;
}

void CMonitorChannelListDlg::OnGroupListDblClk(NMHDR*, LRESULT* result) {
  OnDeleteFromGroup();
  *result = 0;
}

void CMonitorChannelListDlg::OnTreeClick(NMHDR*, LRESULT* result) {
  *result = 0;
  CPoint p;
  ::GetCursorPos(&p);
  m_serverTree.ScreenToClient(&p);
  UINT flags = 0;
  HTREEITEM item = m_serverTree.HitTest(p, &flags);
  // The check mark changes after this notice: look at it once it has.
  if (item && (flags & TVHT_ONITEMSTATEICON) && !m_serverTree.GetParentItem(item))
    PostMessage(WM_TREE_CHECK_CHANGED, 0, LPARAM(item));
}

LRESULT CMonitorChannelListDlg::OnTreeCheckChanged(WPARAM, LPARAM param) {
  auto item = reinterpret_cast<HTREEITEM>(param);
  // The item may have gone with a refill meanwhile.
  for (HTREEITEM dev = m_serverTree.GetRootItem(); dev; dev = m_serverTree.GetNextSiblingItem(dev)) {
    if (dev != item) continue;
    BOOL on = m_serverTree.GetCheck(dev);
    m_serverTree.Expand(dev, TVE_EXPAND);
    for (HTREEITEM ch = m_serverTree.GetChildItem(dev); ch; ch = m_serverTree.GetNextSiblingItem(ch))
      m_serverTree.SetCheck(ch, on);
  }
  return 0;
}

void CMonitorChannelListDlg::OnOK() {
  if (!m_manual) {
    OnAddChannels();
    int choice = m_groups.GroupAutomatically();
    if (choice >= 0) m_groupsCountIndex = choice;
  }
  CDialog::OnOK();
}
