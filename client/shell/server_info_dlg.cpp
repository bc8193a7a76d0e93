#include "server_info_dlg.h"

#include "app_services.h"
#include "language.h"
#include "local_settings_rules.h"
#include "report_list.h"

BEGIN_MESSAGE_MAP(CServerInfoDlg, CDialog)
  ON_BN_CLICKED(IDC_SERVER_REFRESH, OnRefresh)
  ON_NOTIFY(NM_DBLCLK, IDC_SERVER_ONLINE_LIST, OnPickRow)
END_MESSAGE_MAP()

CServerInfoDlg::CServerInfoDlg(CWnd* parent) : CDialog(IDD, parent) {}

int CServerInfoDlg::Port() const { return shell::ParseServerPort(std::string(m_port)); }
int CServerInfoDlg::ChannelCount() const { return shell::ParseChannelCount(std::string(m_channels)); }

void CServerInfoDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_SERVER_ONLINE_LIST, m_online);
  DDX_Text(dx, IDC_SERVER_ADDRESS, m_address);
  DDX_Text(dx, IDC_SERVER_NAME, m_serverName);
  DDX_Text(dx, IDC_SERVER_USER, m_userName);
  DDX_Text(dx, IDC_SERVER_PASSWORD, m_password);
  DDX_CBString(dx, IDC_SERVER_PORT, m_port);
  DDX_Text(dx, IDC_SERVER_CHANNELS, m_channels);
  DDX_CBIndex(dx, IDC_SERVER_MODE, m_linkType);
}

BOOL CServerInfoDlg::OnInitDialog() {
  HWND port = ::GetDlgItem(m_hWnd, IDC_SERVER_PORT);
  ::SendMessageA(port, CB_ADDSTRING, 0, LPARAM("36688"));
  ::SendMessageA(port, CB_ADDSTRING, 0, LPARAM("37777"));
  HWND mode = ::GetDlgItem(m_hWnd, IDC_SERVER_MODE);
  for (const char* m : {"TCP", "UDP", "Multicast"}) ::SendMessageA(mode, CB_ADDSTRING, 0, LPARAM(m));
  if (m_linkType < 0 || m_linkType > 2) m_linkType = 0;
  if (m_port.IsEmpty()) m_port = "36688";
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SetWindowText(TranslateString(m_caption.IsEmpty() ? "Server Info" : LPCSTR(m_caption)));
  SendDlgItemMessage(IDC_SERVER_ADDRESS, EM_LIMITTEXT, shell::kServerAddressChars);
  SendDlgItemMessage(IDC_SERVER_NAME, EM_LIMITTEXT, shell::kServerNameChars);
  SendDlgItemMessage(IDC_SERVER_USER, EM_LIMITTEXT, shell::kServerLoginChars);
  SendDlgItemMessage(IDC_SERVER_PASSWORD, EM_LIMITTEXT, shell::kServerLoginChars);
  ::SendMessageA(port, CB_LIMITTEXT, shell::kServerPortChars, 0);
  SendDlgItemMessage(IDC_SERVER_CHANNELS, EM_LIMITTEXT, shell::kServerChannelChars);
  static const ListColumn kColumns[] = {
      {"Index", 70}, {"IP or Domain", 140}, {"Channels", 70}, {"RTSP Port", 70}, {"RCFG Port", 70},
  };
  SetupReportList(m_online, kColumns, 5);
  OnRefresh();
  return TRUE;
}

// Nothing announces online devices to this dialog: the list stays empty.
void CServerInfoDlg::OnRefresh() { m_online.DeleteAllItems(); }

void CServerInfoDlg::PickRow() {
  int row = m_online.GetNextItem(-1, LVNI_SELECTED);
  if (row < 0 || row > 35) {
    TranslatedMessageBox(this, "Please select a server item to modify!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CString address = m_online.GetItemText(row, 1);
  SetDlgItemText(IDC_SERVER_ADDRESS, address);
  SetDlgItemText(IDC_SERVER_NAME, address);
  SetDlgItemText(IDC_SERVER_CHANNELS, m_online.GetItemText(row, 2));
  SetDlgItemText(IDC_SERVER_PORT, m_online.GetItemText(row, 3));
  SetDlgItemText(IDC_SERVER_USER, "admin");
  SetDlgItemText(IDC_SERVER_PASSWORD, "tulip");
  SendDlgItemMessage(IDC_SERVER_MODE, CB_SETCURSEL, 0);
}

void CServerInfoDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (m_linkType < 0) m_linkType = 0;
  shell::ServerEntryText e{std::string(m_address),  std::string(m_serverName), std::string(m_userName),
                           std::string(m_password), std::string(m_port),       std::string(m_channels)};
  switch (shell::CheckServerEntry(e)) {
    case shell::ServerEntryError::None:
      break;
    case shell::ServerEntryError::EmptyField:
      TranslatedMessageBox(this, "Value can not be empty!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
      return;
    case shell::ServerEntryError::BadAddress: {
      CString text;
      text.Format("%s \"%s\" ", LPCSTR(TranslateString("IP or domain name not support")), shell::kBadAddressChars);
      ComposedMessageBox(this, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    case shell::ServerEntryError::TooLong:
      TranslatedMessageBox(this, "Value is too long!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
      return;
    case shell::ServerEntryError::BadPort:
      TranslatedMessageBox(this, "Port must be a number from 0 to 65535!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
      return;
    case shell::ServerEntryError::BadChannelCount:
      TranslatedMessageBox(this, "Channels must be a number from 0 to 32!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
      return;
  }
  if (m_port.IsEmpty()) m_port = "36688";
  EndDialog(IDOK);
}
