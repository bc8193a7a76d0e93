// The map's small dialogs: "Channel configuration", which picks the number
// 1..16 of a camera or probe, and the video dialog the map creates hidden.
#pragma once
#include <afxcmn.h>
#include <afxwin.h>

#include "emap_resource.h"

class CMapChannelDlg : public CDialog {
public:
  enum { IDD = IDD_MAP_CHANNEL };
  explicit CMapChannelDlg(CWnd* parent = nullptr);
  int m_chosen = 0;          // the chosen number, 0 none
  CString m_iniPath;         // EMAP.INI

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSelChanged(NMHDR* nm, LRESULT* result);
  afx_msg void OnDblClick(NMHDR* nm, LRESULT* result);
  CTreeCtrl m_tree;
  HTREEITEM m_selected = nullptr;
  DECLARE_MESSAGE_MAP()
};

class CMapVideoDlg : public CDialog {
public:
  enum { IDD = IDD_MAP_VIDEO };
  explicit CMapVideoDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

protected:
  void OnOK() override {}
  void OnCancel() override { ShowWindow(SW_HIDE); }
};
