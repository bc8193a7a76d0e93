#include "load_config_dlg.h"

#include <winsock2.h>

#include <cstring>
#include <vector>

#include "language.h"

namespace shell {

int ResolveDevices(SystemConfigImage& image, const ResolveSeams& seams) {
  std::vector<int> wanted;
  for (int i = 0; i < 36; ++i)
    if (image.devices[i].state == 3) wanted.push_back(i);
  const int n = int(wanted.size());
  if (n == 0) return 0;
  if (seams.progress) seams.progress(0);
  int k = 0;
  for (int index : wanted) {
    if (seams.stopped && seams.stopped()) break;
    DeviceRecord& d = image.devices[index];
    // A copy: the record may change while the look-up runs.
    char name[sizeof d.address + 1] = {};
    memcpy(name, d.address, sizeof d.address);
    uint32_t address = 0;
    bool found = name[0] && seams.lookup && seams.lookup(name, &address);
    if (seams.stopped && seams.stopped()) break;  // nothing written after the stop
    if (found) {
      d.resolvedIp = address;
      d.state = 2;
    }
    ++k;
    if (seams.progress) seams.progress(100 * k / n);
    if (seams.pause && !seams.pause(1000)) break;
  }
  return k;
}

bool LookUpHost(const std::string& name, uint32_t* address) {
  hostent* h = ::gethostbyname(name.c_str());
  if (!h || h->h_addrtype != AF_INET || !h->h_addr_list || !h->h_addr_list[0]) return false;
  memcpy(address, h->h_addr_list[0], sizeof *address);
  return true;
}

}  // namespace shell

namespace {
constexpr UINT WM_LOAD_PROGRESS = WM_APP + 0x32;
}

BEGIN_MESSAGE_MAP(CLoadConfigDlg, CDialog)
  ON_MESSAGE(WM_LOAD_PROGRESS, OnProgress)
  ON_WM_CLOSE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CLoadConfigDlg::CLoadConfigDlg(shell::SystemConfigImage* image, CWnd* parent) : CDialog(IDD, parent), m_image(image) {
  m_stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CLoadConfigDlg::~CLoadConfigDlg() {
  m_stop = true;
  ::SetEvent(m_stopEvent);
  m_thread.Join(INFINITE);
  ::CloseHandle(m_stopEvent);
}

BOOL CLoadConfigDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Loading Last Configuration ..."));
  TranslateDialog(this);
  if (CWnd* owner = GetParent()) CenterWindow(owner);
  m_progress.SubclassDlgItem(IDC_LOAD_CONFIG_PROGRESS, this);
  m_progress.SetRange(0, 100);
  if (!m_thread.Start(LoadConfigThreadProc, this)) PostMessage(WM_CLOSE);
  return TRUE;
}

UINT CLoadConfigDlg::LoadConfigThreadProc(LPVOID param) {
  auto* self = static_cast<CLoadConfigDlg*>(param);
  HWND hwnd = self->m_hWnd;
  shell::ResolveSeams seams;
  seams.lookup = self->m_lookup;
  seams.progress = [hwnd](int percent) { ::PostMessageA(hwnd, WM_LOAD_PROGRESS, WPARAM(percent), 0); };
  seams.pause = [self](int ms) { return ::WaitForSingleObject(self->m_stopEvent, DWORD(ms)) == WAIT_TIMEOUT; };
  seams.stopped = [self] { return self->m_stop.load(); };
  if (self->m_image) self->m_resolved = shell::ResolveDevices(*self->m_image, seams);
  ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
  return 0;
}

LRESULT CLoadConfigDlg::OnProgress(WPARAM percent, LPARAM) {
  m_percent = int(percent);
  if (m_progress.m_hWnd) m_progress.SetPos(m_percent);
  return 0;
}

void CLoadConfigDlg::OnClose() {
  // The thread posts the close as its last act: waiting for it is short.
  m_stop = true;
  ::SetEvent(m_stopEvent);
  m_thread.Join(5000);
  EndDialog(IDOK);
}

void CLoadConfigDlg::OnDestroy() {
  m_stop = true;
  ::SetEvent(m_stopEvent);
  CDialog::OnDestroy();
}
