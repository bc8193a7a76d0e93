#include <winsock2.h>

#include "connect_server_dlg.h"

#include <thread>
#include <vector>

#include "app_services.h"
#include "channel_blocks.h"
#include "core/Orvik.h"
#include "device_panel_face.h"
#include "device_search_dlg.h"
#include "language.h"
#include "local_settings_rules.h"
#include "main_dlg_face.h"
#include "post_copy.h"
#include "report_list.h"
#include "server_info_dlg.h"

namespace {

constexpr int kGrowPixels = 100;

// The SDK's login behind a host-name lookup.
class NetLoginSdk : public live::LoginSdk {
public:
  bool Resolve(const std::string& host, uint32_t* address, int* socketError) override {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    hostent* h = ::gethostbyname(host.c_str());
    bool ok = h && h->h_addrtype == AF_INET && h->h_addr_list && h->h_addr_list[0];
    if (ok) memcpy(address, h->h_addr_list[0], 4);
    else *socketError = ::WSAGetLastError();
    ::WSACleanup();
    return ok;
  }
  int Login(const char* dotted, int port, const char* user, const char* password) override {
    NET_LOGIN_PARAMS p{};
    p.address = dotted;
    p.port = static_cast<unsigned short>(port);
    lstrcpynA(p.user, user, sizeof p.user);
    lstrcpynA(p.password, password, sizeof p.password);
    return NET_Login(p);
  }
  int LastError() override { return NET_GetLastError(); }
};

std::string Tr(const char* english) { return std::string(TranslateString(english)); }

live::ServerEntry EntryOf(const CServerInfoDlg& info) {
  live::ServerEntry e;
  e.address = LPCSTR(info.m_address);
  e.serverName = LPCSTR(info.m_serverName);
  e.userName = LPCSTR(info.m_userName);
  e.password = LPCSTR(info.m_password);
  e.port = info.Port();
  e.channels = info.ChannelCount();
  e.linkType = uint32_t(info.m_linkType);
  return e;
}

}  // namespace

BEGIN_MESSAGE_MAP(CConnectServerDlg, CDialog)
  ON_WM_DESTROY()
  ON_WM_COPYDATA()
  ON_BN_CLICKED(IDC_CS_ADD, OnAdd)
  ON_BN_CLICKED(IDC_CS_MODIFY, OnModify)
  ON_BN_CLICKED(IDC_CS_DELETE, OnDelete)
  ON_BN_CLICKED(IDC_CS_CONNECT, OnConnect)
  ON_BN_CLICKED(IDC_CS_DISCONNECT, OnDisconnect)
  ON_BN_CLICKED(IDC_CS_SELECT_ALL, OnSelectAll)
  ON_BN_CLICKED(IDC_CS_SEARCH, OnSearch)
  ON_NOTIFY(NM_DBLCLK, IDC_CS_LIST, OnListDblClk)
  ON_MESSAGE(WM_CONNECT_LOGIN_EVENT, OnLoginEvent)
END_MESSAGE_MAP()

void CSearchReplyReceiver::OnAnnouncement(const std::string& from, const uint8_t* block) {
  m_dlg->OnSearchReply(block, from.c_str());
}

CConnectServerDlg::CConnectServerDlg(CWnd* parent) : CDialog(IDD, parent) {}

CConnectServerDlg::~CConnectServerDlg() = default;

shell::SystemConfigImage* CConnectServerDlg::Image() const {
  if (m_image) return m_image;
  return g_pMainDlg ? g_pMainDlg->m_pConfig : nullptr;
}

void CConnectServerDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_CS_LIST, m_list);
  DDX_Control(dx, IDC_CS_PROGRESS, m_progress);
}

BOOL CConnectServerDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (g_pMainDlg) g_pMainDlg->RegisterUdpReceiver(&m_searchReplies);
  TranslateDialog(this);
  SetWindowText(TranslateString("Connect Server"));
  static const ListColumn kColumns[] = {
      {"Status", 110},     {"IP or Domain", 140}, {"Server Name", 130},
      {"Login Name", 90},  {"Password", 70},      {"Video & Audio Sending Mode", 180},
  };
  SetupReportList(m_list, kColumns, 6);
  RefreshList();
  SetDlgItemText(IDC_CS_SELECT_ALL, TranslateString("Select All"));
  m_progress.SetRange(0, 100);
  m_log.Empty();
  m_running = FALSE;
  CRect r;
  GetWindowRect(&r);
  SetWindowPos(nullptr, 0, 0, r.Width(), r.Height() - kGrowPixels, SWP_NOMOVE | SWP_NOZORDER);
  m_grown = FALSE;
  return TRUE;
}

void CConnectServerDlg::RefreshList() {
  if (!m_list.GetSafeHwnd()) return;
  m_list.DeleteAllItems();
  shell::SystemConfigImage* image = Image();
  if (!image) return;
  int row = 0;
  for (int i = 0; i < live::kDeviceRecords; ++i) {
    const shell::DeviceRecord& d = image->devices[i];
    if (!d.inUse) continue;
    live::ServerEntry e = live::EntryOfRecord(d);
    const char* status = live::ServerStatusText(d.state);
    m_list.InsertItem(row, *status ? LPCSTR(TranslateString(status)) : "");
    m_list.SetItemText(row, 1, e.address.c_str());
    m_list.SetItemText(row, 2, e.serverName.c_str());
    m_list.SetItemText(row, 3, e.userName.c_str());
    m_list.SetItemText(row, 4, "********");
    m_list.SetItemText(row, 5, TranslateString(live::LinkTypeText(d.linkType)));
    m_list.SetItemData(row, DWORD_PTR(i));
    ++row;
  }
}

void CConnectServerDlg::RebuildDeviceTree() {
  if (g_pDeviceDlg) g_pDeviceDlg->RebuildDeviceTree();
}

void CConnectServerDlg::OnOK() {
  if (m_running) return;
  if (!UpdateData(TRUE)) return;
  RebuildDeviceTree();
  EndDialog(IDOK);
}

void CConnectServerDlg::OnCancel() {
  if (m_running) return;
  RebuildDeviceTree();
  EndDialog(IDCANCEL);
}

void CConnectServerDlg::OnDestroy() {
  if (m_search && m_search->GetSafeHwnd()) m_search->DestroyWindow();
  if (g_pMainDlg) {
    g_pMainDlg->UnregisterUdpReceiver(&m_searchReplies);
    g_pMainDlg->SaveConfig();
  }
  CDialog::OnDestroy();
}

void CConnectServerDlg::OnAdd() {
  shell::SystemConfigImage* image = Image();
  if (!image) return;
  int free = live::FirstFreeDevice(*image);
  if (free < 0) {
    TranslatedMessageBox(this, "Already reach maximum server entries!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CServerInfoDlg info(this);
  info.m_caption = "Add Server";
  info.m_port = "36688";
  if (info.DoModal() != IDOK) return;
  if (live::FindDeviceByAddress(*image, info.m_address) >= 0) {
    TellAddressExists(info.m_address);
    return;
  }
  live::ServerEntry e = EntryOf(info);
  memset(&image->devices[free], 0, sizeof image->devices[free]);
  live::StoreServerEntry(image->devices[free], e, TranslateString("Channel"));
  RefreshList();
}

void CConnectServerDlg::TellAddressExists(const CString& address) {
  CString text;
  text.Format("%s %s %s", LPCSTR(TranslateString("Server")), LPCSTR(address),
              LPCSTR(TranslateString("is already existent!")));
  ComposedMessageBox(this, text, "PROMPT", MB_OK | MB_ICONEXCLAMATION);
}

void CConnectServerDlg::OnModify() {
  shell::SystemConfigImage* image = Image();
  if (!image) return;
  int row = m_list.GetNextItem(-1, LVNI_SELECTED);
  int index = row < 0 ? -1 : int(m_list.GetItemData(row));
  if (index < 0 || index >= live::kDeviceRecords) {
    TranslatedMessageBox(this, "Please select a server item to modify!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  shell::DeviceRecord& d = image->devices[index];
  if (d.state != 0) {
    TranslatedMessageBox(this, "Server is in connection state, please disconnect it first!", "Modify Server",
                         MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  live::ServerEntry old = live::EntryOfRecord(d);
  CServerInfoDlg info(this);
  info.m_caption = "Modify Server";
  info.m_address = old.address.c_str();
  info.m_serverName = old.serverName.c_str();
  info.m_userName = old.userName.c_str();
  info.m_password = old.password.c_str();
  info.m_linkType = int(old.linkType);
  info.m_port.Format("%d", old.port);
  info.m_channels.Format("%d", old.channels);
  if (info.DoModal() != IDOK) return;
  int same = live::FindDeviceByAddress(*image, info.m_address);
  if (same >= 0 && same != index) {
    TellAddressExists(info.m_address);
    return;
  }
  live::ServerEntry e = EntryOf(info);
  live::StoreServerEntry(d, e, TranslateString("Channel"));
  RefreshList();
}

void CConnectServerDlg::OnDelete() {
  shell::SystemConfigImage* image = Image();
  if (!image || m_list.GetSelectedCount() == 0) return;
  CString question;
  question.Format("%s?", LPCSTR(TranslateString("Are you sure you want to delete server you have selected")));
  if (ComposedMessageBox(this, question, "PROMPT", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    int index = int(m_list.GetItemData(row));
    if (index < 0 || index >= live::kDeviceRecords) continue;
    shell::DeviceRecord& d = image->devices[index];
    // Any state but offline still has a login, slots or streams using the
    // record: it is never zeroed under them.
    if (d.state != 0) {
      TranslatedMessageBox(this, "Server is in connection state, please disconnect it first!", "PROMPT",
                           MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
    memset(&d, 0, sizeof d);
  }
  RefreshList();
  RebuildDeviceTree();
}

void CConnectServerDlg::OnDisconnect() {
  shell::SystemConfigImage* image = Image();
  if (!image) return;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    int index = int(m_list.GetItemData(row));
    if (index < 0 || index >= live::kDeviceRecords) continue;
    shell::DeviceRecord& d = image->devices[index];
    if (d.state == 0) continue;
    d.state = 0;
    bool inSlot = false;
    if (g_pMainDlg)
      for (int s = 0; s < shell::kChannelSlots && !inSlot; ++s) inSlot = g_pMainDlg->m_channels[s].device.load() == &d;
    if (inSlot && g_pDeviceDlg) {
      g_pDeviceDlg->DisconnectByRecord(index);
    } else if (d.loginId) {
      // Logged in here without a channel in use: the login is ended here.
      NET_LogOut(int(d.loginId));
      d.loginId = 0;
    }
    m_list.SetItemText(row, 0, "");
  }
}

void CConnectServerDlg::OnSelectAll() {
  for (int i = 0; i < m_list.GetItemCount(); ++i) m_list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
  m_list.SetFocus();
}

void CConnectServerDlg::OnListDblClk(NMHDR*, LRESULT*) {
  if (m_list.GetNextItem(-1, LVNI_SELECTED) >= 0) OnModify();
}

void CConnectServerDlg::OnSearch() {
  // The search dialog dies with a modal parent: made again whenever its
  // window is gone.
  if (!m_search || !m_search->GetSafeHwnd()) {
    m_search = std::make_unique<CDeviceSearchDlg>(this);
    m_search->m_owner = this;
    m_search->m_image = Image();
    if (!m_search->Create(CDeviceSearchDlg::IDD, this)) {
      m_search.reset();
      return;
    }
  }
  m_search->ShowWindow(SW_SHOW);
  m_search->SetForegroundWindow();
}

void CConnectServerDlg::OnSearchReply(const uint8_t* block, const char* from) {
  if (m_search && m_search->GetSafeHwnd()) m_search->OnSearchReply(block, from);
}

BOOL CConnectServerDlg::OnCopyData(CWnd*, COPYDATASTRUCT* data) {
  shell::SystemConfigImage* image = Image();
  if (!image || !data || !data->lpData) return FALSE;
  for (live::FoundDevice d : live::ParseFoundDevices(static_cast<const char*>(data->lpData), data->cbData)) {
    if (d.name.empty()) {
      size_t dot = d.address.rfind('.');
      d.name = "Server" + (dot == std::string::npos ? d.address : d.address.substr(dot + 1));
    }
    if (live::AddFoundDevice(*image, d, "", "", TranslateString("Channel")) == live::AddFoundResult::TableFull) break;
  }
  RefreshList();
  return TRUE;
}

void CConnectServerDlg::AppendLog(const CString& line) {
  if (!m_log.IsEmpty()) m_log += "\r\n";
  m_log += line;
  SetDlgItemText(IDC_CS_LOG, m_log);
  SendDlgItemMessage(IDC_CS_LOG, EM_LINESCROLL, 0, 0xFFFF);
}

void CConnectServerDlg::Grow() {
  if (m_grown) return;
  CRect r;
  GetWindowRect(&r);
  SetWindowPos(nullptr, 0, 0, r.Width(), r.Height() + kGrowPixels, SWP_NOMOVE | SWP_NOZORDER);
  m_grown = TRUE;
}

void CConnectServerDlg::OnConnect() {
  shell::SystemConfigImage* image = Image();
  if (!image || m_running) return;
  std::vector<live::LoginJob> jobs;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    int index = int(m_list.GetItemData(row));
    if (index < 0 || index >= live::kDeviceRecords) continue;
    const shell::DeviceRecord& d = image->devices[index];
    live::ServerEntry e = live::EntryOfRecord(d);
    live::LoginJob job;
    job.row = row;
    job.record = index;
    job.skip = d.state != 0;
    job.address = e.address;
    job.port = d.streamPort;
    job.user = e.userName;
    job.password = e.password;
    jobs.push_back(job);
  }
  if (jobs.empty()) return;
  Grow();
  m_progress.SetPos(0);
  m_running = TRUE;
  EnableWindow(FALSE);
  live::LoginWords words;
  words.connecting = Tr("Connecting:");
  words.initDevice = Tr("Initialization Device");
  words.failed = Tr("failed!");
  words.errorInfo = Tr("Error Info:");
  words.success = Tr("Success!");
  words.errorText = [](int code) { return std::string(GetErrorText(code)); };
  std::shared_ptr<live::LoginSdk> sdk = m_sdk ? m_sdk : std::make_shared<NetLoginSdk>();
  HWND target = m_hWnd;
  // The worker owns copies of everything it reads and only posts back.
  std::thread([jobs, sdk, words, target] {
    live::RunLogins(jobs, *sdk, words, [target](live::LoginEvent e) {
      PostHeapCopy(target, WM_CONNECT_LOGIN_EVENT, 0, std::make_unique<live::LoginEvent>(std::move(e)));
    });
  }).detach();
}

LRESULT CConnectServerDlg::OnLoginEvent(WPARAM, LPARAM lParam) {
  std::unique_ptr<live::LoginEvent> e = TakePostedCopy<live::LoginEvent>(lParam);
  if (!e) return 0;
  shell::SystemConfigImage* image = Image();
  switch (e->kind) {
    case live::LoginEvent::Log:
      AppendLog(e->text.c_str());
      break;
    case live::LoginEvent::Progress:
      m_progress.SetPos(e->percent);
      break;
    case live::LoginEvent::LoggedIn:
      if (image && e->record >= 0 && e->record < live::kDeviceRecords) {
        shell::DeviceRecord& d = image->devices[e->record];
        d.resolvedIp = e->address;
        d.loginId = uint32_t(e->loginId);
        d.state = 3;
        if (d.channelCount == 0) d.channelCount = 1;
        shell::NameChannels(d, TranslateString("Channel"));
        if (g_pMainDlg) g_pMainDlg->m_savedStateFlag = TRUE;
        if (e->row >= 0 && e->row < m_list.GetItemCount()) m_list.SetItemText(e->row, 0, TranslateString("Connected"));
      }
      break;
    case live::LoginEvent::Finished:
      m_running = FALSE;
      EnableWindow(TRUE);
      RefreshList();
      break;
  }
  return 0;
}
