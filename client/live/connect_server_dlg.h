// "Connect Server": the table of up to 36 devices, edited through the
// "Server Info" dialog, and the logins of the selected devices on a worker
// thread with a log and a progress bar. It edits the main dialog's
// configuration image and has it saved to SysCfg.dat when it closes.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <memory>

#include "config_image.h"
#include "live_resource.h"
#include "server_table.h"
#include "udp_packets.h"

class CDeviceSearchDlg;
class CConnectServerDlg;

// Announcements from the UDP dispatch, for the device search.
class CSearchReplyReceiver : public shell::UdpReceiver {
public:
  explicit CSearchReplyReceiver(CConnectServerDlg* dlg) : m_dlg(dlg) {}
  void OnAnnouncement(const std::string& from, const uint8_t* block) override;

private:
  CConnectServerDlg* m_dlg;
};

// Worker events posted to the dialog (lParam: a live::LoginEvent copy).
#define WM_CONNECT_LOGIN_EVENT (WM_APP + 0x130)

class CConnectServerDlg : public CDialog {
public:
  enum { IDD = IDD_CONNECT_SERVER };
  explicit CConnectServerDlg(CWnd* parent = nullptr);
  ~CConnectServerDlg() override;

  // The image edited; null: the main dialog's.
  shell::SystemConfigImage* m_image = nullptr;
  // The logins' SDK; null: the real one (NET_Login behind a name lookup).
  std::shared_ptr<live::LoginSdk> m_sdk;

  // A device announcement from the UDP listener, for the search dialog.
  void OnSearchReply(const uint8_t* block, const char* from = nullptr);
  CDeviceSearchDlg* SearchDialog() const { return m_search.get(); }
  void RefreshList();
  BOOL IsRunning() const { return m_running; }

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  void OnCancel() override;
  afx_msg void OnDestroy();
  afx_msg void OnAdd();
  afx_msg void OnModify();
  afx_msg void OnDelete();
  afx_msg void OnConnect();
  afx_msg void OnDisconnect();
  afx_msg void OnSelectAll();
  afx_msg void OnSearch();
  afx_msg void OnListDblClk(NMHDR*, LRESULT*);
  afx_msg BOOL OnCopyData(CWnd* from, COPYDATASTRUCT* data);
  afx_msg LRESULT OnLoginEvent(WPARAM, LPARAM);
  shell::SystemConfigImage* Image() const;
  void AppendLog(const CString& line);
  void TellAddressExists(const CString& address);
  void Grow();
  void RebuildDeviceTree();
  CListCtrl m_list;
  CProgressCtrl m_progress;
  CString m_log;
  BOOL m_grown = FALSE;
  BOOL m_running = FALSE;
  std::unique_ptr<CDeviceSearchDlg> m_search;
  // Registered with the main dialog's UDP receivers while the window lives.
  CSearchReplyReceiver m_searchReplies{this};
  DECLARE_MESSAGE_MAP()
};
