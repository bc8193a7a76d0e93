// "Server Info": one device entry (address, names, credentials, port,
// channel count, sending mode). The caller fills the members, runs the
// dialog modally and reads them back after IDOK.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "local_dialogs_resource.h"

class CServerInfoDlg : public CDialog {
public:
  enum { IDD = IDD_SERVER_INFO };
  explicit CServerInfoDlg(CWnd* parent = nullptr);

  CString m_caption;          // empty: "Server Info"
  CString m_address, m_serverName, m_userName, m_password;
  CString m_port;             // empty becomes "36688"
  CString m_channels;
  int m_linkType = 0;         // 0 TCP, 1 UDP, 2 Multicast

  // After IDOK: the port and channel count as numbers (checked by OnOK).
  int Port() const;
  int ChannelCount() const;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnRefresh();
  afx_msg void OnPickRow(NMHDR*, LRESULT*) { PickRow(); }
  void PickRow();
  CListCtrl m_online;
  DECLARE_MESSAGE_MAP()
};
