// "Setup Monitoring Channel List": which device channels the client
// monitors and how they are grouped, one group per monitor window. Runs on
// a copy of the main dialog's slots and window lists (a ChannelGroups);
// the caller takes the copy back after OK.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <functional>

#include "channel_groups.h"
#include "channel_list_resource.h"
#include "config_image.h"

class CMonitorChannelListDlg : public CDialog {
public:
  enum { IDD = IDD_MONITOR_CHANNEL_LIST };

  // image: the devices of the server tree; settingsIni: the file that keeps
  // [SetupSupMonSet] CheckMC.
  CMonitorChannelListDlg(shell::SystemConfigImage* image, const CString& settingsIni, CWnd* parent = nullptr);

  shell::ChannelGroups m_groups;
  int m_groupsCountIndex = -1;  // 0..5 = 1, 4, 9, 16, 25, 36 groups
  BOOL m_selectAll = FALSE;
  BOOL m_manual = FALSE;
  // Called when the dialog's window goes (the main dialog's
  // load-last-connect-status answer becomes No).
  std::function<void()> m_onDestroyed;

  static int GetGroupCount(int index);
  CListCtrl& ChannelList() { return m_channelList; }
  CListCtrl& GroupList() { return m_groupList; }
  CTreeCtrl& ServerTree() { return m_serverTree; }
  CTabCtrl& GroupTabs() { return m_tabs; }

  void FillChannelList();
  void FillServerTree();
  void FillGroupList();

  afx_msg void OnAddChannels();
  afx_msg void OnRemoveChannels();
  afx_msg void OnAddToGroup();
  afx_msg void OnDeleteFromGroup();
  afx_msg void OnGroupsCount(UINT id);
  afx_msg void OnSelectAll();
  afx_msg void OnManualConfiguration();

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  afx_msg void OnDestroy();
  afx_msg void OnTabChange(NMHDR*, LRESULT* result);
  afx_msg void OnChannelListDblClk(NMHDR*, LRESULT* result);
  afx_msg void OnGroupListDblClk(NMHDR*, LRESULT* result);
  afx_msg void OnTreeClick(NMHDR*, LRESULT* result);
  afx_msg LRESULT OnTreeCheckChanged(WPARAM, LPARAM item);
  void EnableGroupControls();
  void CreateTabs();
  int CurrentGroup() const;
  // The slot a row of the all-channels list shows, by its item data.
  int RowSlot(int row) const;
  std::vector<int> SelectedRows(const CListCtrl& list) const;

  shell::SystemConfigImage* m_image;
  CString m_settingsIni;
  CListCtrl m_groupList;
  CTabCtrl m_tabs;
  CListCtrl m_channelList;
  CTreeCtrl m_serverTree;
  DECLARE_MESSAGE_MAP()
};
