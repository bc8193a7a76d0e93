// "Device Search": the devices that announce themselves on the UDP command
// channel, one row per address, and the checked ones added to the device
// table as new servers. Modeless, owned by the Connect Server dialog, which
// forwards announcements to it while its window exists.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <string>
#include <vector>

#include "config_image.h"
#include "live_resource.h"

class CConnectServerDlg;

class CDeviceSearchDlg : public CDialog {
public:
  enum { IDD = IDD_DEVICE_SEARCH };
  explicit CDeviceSearchDlg(CWnd* parent = nullptr);

  shell::SystemConfigImage* m_image = nullptr;
  CConnectServerDlg* m_owner = nullptr;   // refreshed after an Add
  CString m_userName, m_password;
  BOOL m_checkAll = FALSE;

  // One announcement block (224 bytes, zero past what was received).
  void OnSearchReply(const uint8_t* block, const char* from = nullptr);
  afx_msg void OnAdd();

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnCancel() override { DestroyWindow(); }
  void OnOK() override {}
  afx_msg void OnListClick(NMHDR*, LRESULT*);
  afx_msg void OnItemChanged(NMHDR*, LRESULT*);
  afx_msg void OnCheckAll();
  void ApplyRemembered();
  CListCtrl m_list;
  std::vector<int> m_selectedRows;
  std::vector<CString> m_selectedAddresses;
  bool m_applying = false;
  DECLARE_MESSAGE_MAP()
};
