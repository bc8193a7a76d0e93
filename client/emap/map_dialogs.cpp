#include "map_dialogs.h"

#include "helpers.h"
#include "language.h"

BEGIN_MESSAGE_MAP(CMapChannelDlg, CDialog)
  ON_NOTIFY(TVN_SELCHANGEDA, IDC_MAP_CHANNEL_TREE, OnSelChanged)
  ON_NOTIFY(NM_DBLCLK, IDC_MAP_CHANNEL_TREE, OnDblClick)
END_MESSAGE_MAP()

CMapChannelDlg::CMapChannelDlg(CWnd* parent) : CDialog(IDD, parent) {
  m_iniPath = GetModuleDirectory() + "EMAP.INI";
}

BOOL CMapChannelDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  m_tree.SubclassDlgItem(IDC_MAP_CHANNEL_TREE, this);
  m_tree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
  // "Channel list"
  HTREEITEM root = m_tree.InsertItem(TranslateString("\xcd\xa8\xb5\xc0\xc1\xd0\xb1\xed"));
  for (int n = 1; n <= 16; ++n) {
    HTREEITEM item = m_tree.InsertItem(IntToString(n), root);
    m_tree.SetItemData(item, DWORD_PTR(n));
  }
  m_tree.Expand(root, TVE_EXPAND);
  return TRUE;
}

void CMapChannelDlg::OnSelChanged(NMHDR*, LRESULT* result) {
  m_selected = m_tree.GetSelectedItem();
  m_chosen = m_selected ? int(m_tree.GetItemData(m_selected)) : 0;
  *result = 0;
}

void CMapChannelDlg::OnDblClick(NMHDR*, LRESULT* result) {
  *result = 0;
  OnOK();
}
