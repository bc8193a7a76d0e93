// The device panel: tree, logins and logouts, channel slots, skin buttons.
// Live view (start, stop, move, title buttons) is in live_view.cpp.
#include "device_dlg.h"

#include <winsock2.h>

#include <cstring>
#include <string>

#include "channel_blocks.h"
#include "core/Orvik.h"
#include "helpers.h"
#include "app_services.h"
#include "language.h"
#include "main_dlg_ids.h"
#include "user_rights.h"

namespace {

constexpr uint16_t kDefaultDevicePort = 36688;

// A login handed to the worker and back: the worker owns it while it runs.
struct LoginJob {
  HWND panel = nullptr;
  int record = -1;
  char address[64] = {};
  uint16_t port = 0;
  char user[17] = {};
  char password[17] = {};
  int loginId = 0;
  uint32_t resolvedIp = 0;
};

// Resolves the address (the text as typed when it does not resolve) and
// logs in: the login id, 0 on failure.
void RunLogin(LoginJob& job) {
  char dotted[64];
  lstrcpynA(dotted, job.address, sizeof dotted);
  job.resolvedIp = 0;
  if (hostent* h = ::gethostbyname(job.address)) {
    if (h->h_addr_list && h->h_addr_list[0]) {
      in_addr a;
      memcpy(&a, h->h_addr_list[0], sizeof a);
      lstrcpynA(dotted, ::inet_ntoa(a), sizeof dotted);
      job.resolvedIp = a.s_addr;
    }
  }
  NET_LOGIN_PARAMS p{};
  p.address = dotted;
  p.port = job.port ? job.port : kDefaultDevicePort;
  memcpy(p.user, job.user, sizeof p.user);
  memcpy(p.password, job.password, sizeof p.password);
  job.loginId = NET_Login(p);
}

void FillJob(LoginJob& job, const shell::DeviceRecord& r, int index) {
  job.record = index;
  memcpy(job.address, r.address, sizeof job.address);
  job.address[sizeof job.address - 1] = 0;
  job.port = r.streamPort;
  memcpy(job.user, r.userName, sizeof job.user);
  memcpy(job.password, r.password, sizeof job.password);
  job.user[16] = job.password[16] = 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDeviceDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDeviceDlg::CDeviceDlg(CWnd* parent) : CDialog(IDD, parent) {}

CDeviceDlg::~CDeviceDlg() {
  if (g_pDeviceDlg == this) g_pDeviceDlg = nullptr;
}

BOOL CDeviceDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  m_tree.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                    TVS_SHOWSELALWAYS,
                CRect(0, 0, 10, 10), this, IDC_DEVICE_TREE);
  // Check boxes set after creation and before the first item: given at
  // creation, the tree may set up its boxes only when it first paints and
  // clear every mark given before then (a channel shown before that paint
  // would read as not shown).
  m_tree.ModifyStyle(0, TVS_CHECKBOXES);
  m_tree.LoadStateImages();
  m_tree.SendMessage(TVM_SETIMAGELIST, TVSIL_NORMAL, LPARAM(m_tree.GetStateImages().GetSafeHandle()));
  m_connectAll.Create(TranslateString("Connect All"), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 80, 20),
                      this, IDC_DEVICE_CONNECT_ALL);
  m_autoConfig.Create(TranslateString("Auto Config"), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 80, 20),
                      this, IDC_DEVICE_AUTO_CONFIG);
  m_selectAll.Create(TranslateString("Select All"), WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(0, 0, 80, 16),
                     this, IDC_DEVICE_SELECT_ALL);
  if (CFont* f = GetParent() ? GetParent()->GetFont() : nullptr) {
    m_connectAll.SetFont(f);
    m_autoConfig.SetFont(f);
    m_selectAll.SetFont(f);
  }
  LoadSkin();
  SetTimer(kTimerPanel, 1000, nullptr);
  g_pDeviceDlg = this;
  RebuildDeviceTree();
  m_autoConfig.EnableWindow((g_userRights & kRightLocalWatchVideo) != 0);
  m_connectAll.EnableWindow((g_userRights & kRightLocalConnect) != 0);
  ConnectAll();
  return TRUE;
}

void CDeviceDlg::LoadSkin() {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s) return;
  CString ini = s->folderPath + "device_config.ini";
  m_backColor = ParseColor(ReadIniString("MainSettings", "BackColor", "", ini, 128));
  static const char* const images[5] = {"BackImage_Up", "BackImage_Over", "BackImage_Down", "BackImage_Disable",
                                        "BackImage_Background"};
  for (int i = 0; i < 5; ++i) {
    CString name = ReadIniString("DeviceDlgSettings", images[i], "", ini, 256);
    CString path = s->folderPath + name;
    if (!LoadDibFile(path, m_skinImages[i], FALSE)) {
      CString text;
      text.Format("%s: %s %s!", static_cast<LPCSTR>(TranslateString("Load background image")),
                  static_cast<LPCSTR>(path), static_cast<LPCSTR>(TranslateString("failed")));
      TranslatedMessageBox(this, text, "FATAL ERROR", MB_OK | MB_ICONERROR);
      break;
    }
  }
  struct Spec { const char* key; UINT id; const char* tip; };
  static const Spec specs[4] = {{"DevcManage", IDC_DEVICE_MANAGE, "Device Manage"},
                                {"Record", IDC_DEVICE_RECORD, "Device Record"},
                                {"Reboot", IDC_DEVICE_REBOOT, "Device Reboot"},
                                {"Talking", IDC_DEVICE_TALKING, "Talkback"}};
  for (int i = 0; i < 4; ++i) {
    CString key = CString(specs[i].key) + "_Position";
    CRect r = ParseRect(ReadIniString("MainButtons", key, "", ini, 128));
    m_skinButtons[i].Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, r, this, specs[i].id);
    CBitmap parts[4];
    bool all = true;
    for (int k = 0; k < 4; ++k)
      all = all && m_skinImages[k].GetSafeHandle() &&
            CopyBitmapPart(&m_skinImages[k], &parts[k], r.left, r.top, r.right, r.bottom);
    if (all) m_skinButtons[i].SetBitmaps(&parts[0], &parts[2], &parts[1], &parts[3]);
    m_skinButtons[i].SetTooltipText(TranslateString(specs[i].tip));
  }
  m_skinButtons[2].EnableWindow(FALSE);
  m_skinButtons[3].EnableWindow(FALSE);
  m_skinButtons[0].EnableWindow((g_userRights & kRightLocalConnect) != 0);
}

void CDeviceDlg::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  if (m_skinImages[4].GetSafeHandle()) {
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    CBitmap* old = mem.SelectObject(&m_skinImages[4]);
    dc.StretchBlt(0, 0, r.Width(), r.Height(), &mem, 0, 0, GetBitmapWidth(&m_skinImages[4]),
                  GetBitmapHeight(&m_skinImages[4]), SRCCOPY);
    mem.SelectObject(old);
  } else {
    dc.FillSolidRect(&r, m_backColor);
  }
}

void CDeviceDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  if (!m_tree.m_hWnd) return;
  const int top = 31 + m_panelTop;
  const int width = m_panelWidth > 0 ? m_panelWidth : cx;
  const int bottom = std::max(top + 20, cy - 40);
  m_tree.MoveWindow(0, top, width, bottom - top);
  m_connectAll.MoveWindow(0, bottom + 3, 80, 20);
  m_autoConfig.MoveWindow(82, bottom + 3, 80, 20);
  m_selectAll.MoveWindow(4, bottom + 24, 100, 16);
}

void CDeviceDlg::OnDestroy() {
  if (g_pDeviceDlg == this) g_pDeviceDlg = nullptr;
  KillTimer(kTimerPanel);
  for (CBitmap& b : m_skinImages) b.DeleteObject();
  CDialog::OnDestroy();
}

HBRUSH CDeviceDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (ctlColor == CTLCOLOR_STATIC) {
    dc->SetBkColor(m_backColor);
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(RGB(230, 230, 230));
    return HBRUSH(::GetStockObject(HOLLOW_BRUSH));
  }
  return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

// ------------------------------------------------------------------ the tree

shell::DeviceRecord* CDeviceDlg::RecordOf(HTREEITEM deviceItem) const {
  if (!deviceItem || !g_pMainDlg || !g_pMainDlg->m_pConfig) return nullptr;
  DWORD_PTR i = m_tree.GetItemData(deviceItem);
  return i < 36 ? &g_pMainDlg->m_pConfig->devices[i] : nullptr;
}

int CDeviceDlg::RecordIndexOf(const shell::DeviceRecord* r) const {
  if (!r || !g_pMainDlg || !g_pMainDlg->m_pConfig) return -1;
  ptrdiff_t i = r - g_pMainDlg->m_pConfig->devices;
  return i >= 0 && i < 36 ? int(i) : -1;
}

HTREEITEM CDeviceDlg::FindDeviceItem(int recordIndex) const {
  for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d))
    if (int(m_tree.GetItemData(d)) == recordIndex) return d;
  return nullptr;
}

HTREEITEM CDeviceDlg::FindChannelItem(int recordIndex, int channel) const {
  HTREEITEM d = FindDeviceItem(recordIndex);
  for (HTREEITEM c = d ? m_tree.GetChildItem(d) : nullptr; c; c = m_tree.GetNextSiblingItem(c))
    if (ChannelItemData::Channel(m_tree.GetItemData(c)) == channel) return c;
  return nullptr;
}

HTREEITEM CDeviceDlg::ChannelItemOfSlot(int slot) const {
  for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d))
    for (HTREEITEM c = m_tree.GetChildItem(d); c; c = m_tree.GetNextSiblingItem(c))
      if (ChannelItemData::Slot(m_tree.GetItemData(c)) == slot) return c;
  return nullptr;
}

void CDeviceDlg::SetCode(HTREEITEM item, int code) {
  if (item) m_tree.SetItemState(item, code);
}

int CDeviceDlg::ItemCode(HTREEITEM item) const {
  int image = -1, sel = -1;
  if (!item || !m_tree.GetItemImage(item, image, sel)) return 0;
  return image >= 0 && image < 7 ? CTreeCtrlEx::kStateCodes[image] : 0;
}

bool CDeviceDlg::IsConnecting(int recordIndex) const {
  return recordIndex >= 0 && recordIndex < 36 && m_connecting[recordIndex] != 0;
}

void CDeviceDlg::AddChannelItems(HTREEITEM deviceItem, const shell::DeviceRecord& r, DWORD_PTR data) {
  for (int ch = 0; ch < r.channelCount; ++ch) {
    HTREEITEM c = m_tree.InsertItem(shell::ChannelName(r, ch), deviceItem);
    m_tree.SetItemData(c, DWORD_PTR(ch) | data);
    SetCode(c, kCodeChannelIdle);
  }
}

void CDeviceDlg::RebuildDeviceTree() {
  if (!m_tree.m_hWnd || !g_pMainDlg || !g_pMainDlg->m_pConfig) return;
  shell::SystemConfigImage& img = *g_pMainDlg->m_pConfig;
  for (HTREEITEM d = m_tree.GetRootItem(); d;) {
    HTREEITEM next = m_tree.GetNextSiblingItem(d);
    DWORD_PTR i = m_tree.GetItemData(d);
    if (i >= 36 || !img.devices[i].inUse) {
      if (d == m_talkbackItem) m_talkbackItem = nullptr;
      m_tree.DeleteItem(d);
    } else if (img.devices[i].state == kStateOffline) {
      if (m_tree.ItemHasChildren(d)) DisconnectDevice(d);
    } else {
      const shell::DeviceRecord& r = img.devices[i];
      m_tree.SetItemText(d, r.serverName);
      SetCode(d, d == m_talkbackItem ? kCodeDeviceTalkback
                                     : m_tree.ItemHasChildren(d) ? kCodeDeviceConnected : kCodeDeviceOffline);
      for (HTREEITEM c = m_tree.GetChildItem(d); c; c = m_tree.GetNextSiblingItem(c)) {
        DWORD_PTR data = m_tree.GetItemData(c);
        m_tree.SetItemText(c, shell::ChannelName(r, ChannelItemData::Channel(data)));
        const shell::ChannelSlot* s = g_pMainDlg->m_channels.At(ChannelItemData::Slot(data));
        bool rec = s && s->manualRecord;
        bool shown = ChannelItemData::HasWindow(data);
        SetCode(c, shown ? (rec ? kCodeChannelShownRecording : kCodeChannelShown)
                         : (rec ? kCodeChannelRecording : kCodeChannelIdle));
      }
    }
    d = next;
  }
  for (int i = 0; i < 36; ++i) {
    const shell::DeviceRecord& r = img.devices[i];
    if (!r.inUse) continue;
    HTREEITEM d = FindDeviceItem(i);
    const bool withChannels = r.channelCount != 0 && r.state != kStateOffline;
    if (d) {
      if (!m_tree.ItemHasChildren(d) && withChannels) {
        AddChannelItems(d, r, 0xFFFFFF00);
        SetCode(d, kCodeDeviceConnected);
        m_tree.Expand(d, TVE_EXPAND);
      }
      continue;
    }
    d = m_tree.InsertItem(r.serverName);
    m_tree.SetItemData(d, DWORD_PTR(i));
    if (withChannels) AddChannelItems(d, r, 0xFFFFFF00);
    SetCode(d, m_tree.ItemHasChildren(d) ? kCodeDeviceConnected : kCodeDeviceOffline);
    m_tree.Expand(d, TVE_EXPAND);
  }
  AssignChannelSlots();
  CountChannelSlots();
}

void CDeviceDlg::AssignChannelSlots() {
  if (!g_pMainDlg) return;
  for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d)) {
    shell::DeviceRecord* r = RecordOf(d);
    if (!r) continue;
    for (HTREEITEM c = m_tree.GetChildItem(d); c; c = m_tree.GetNextSiblingItem(c)) {
      DWORD_PTR data = m_tree.GetItemData(c);
      int ch = ChannelItemData::Channel(data);
      if (g_pMainDlg->m_channels.Find(r, ch) >= 0) continue;
      int slot = g_pMainDlg->m_channels.Assign(r, ch);
      if (slot >= 0) m_tree.SetItemData(c, ChannelItemData::WithSlot(data, slot));
    }
  }
  UpdateButtons(m_tree.GetSelectedItem());
}

int CDeviceDlg::CountChannelSlots() { return g_pMainDlg ? g_pMainDlg->m_channels.CountUsed() : 0; }

void CDeviceDlg::AddReceivedBytes(int slot, int bytes) {
  if (shell::ChannelTable::IsValid(slot)) m_byteCounters[slot].fetch_add(uint32_t(bytes));
}

uint32_t CDeviceDlg::ReceivedBytes(int slot) const {
  return shell::ChannelTable::IsValid(slot) ? m_byteCounters[slot].load() : 0;
}

// ------------------------------------------------------------- connections

void CDeviceDlg::ConnectAll() {
  for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d)) ConnectDevice(d);
  CountChannelSlots();
}

void CDeviceDlg::ConnectDevice(HTREEITEM deviceItem) {
  m_tree.Invalidate();
  shell::DeviceRecord* r = RecordOf(deviceItem);
  int index = RecordIndexOf(r);
  if (!r || r->state != kStateOffline || IsConnecting(index)) return;
  LoginJob job;
  FillJob(job, *r, index);
  RunLogin(job);
  FinishLogin(deviceItem, index, job.loginId, job.resolvedIp);
}

UINT CDeviceDlg::ConnectThreadProc(LPVOID param) {
  std::unique_ptr<LoginJob> job(static_cast<LoginJob*>(param));
  RunLogin(*job);
  // The panel finishes on its own thread; a login nobody takes is undone.
  if (::PostMessageA(job->panel, WM_DEVICE_LOGIN_DONE, 0, reinterpret_cast<LPARAM>(job.get()))) {
    job.release();
  } else if (job->loginId > 0) {
    NET_LogOut(job->loginId);
  }
  return 0;
}

void CDeviceDlg::FinishLogin(HTREEITEM deviceItem, int recordIndex, int loginId, uint32_t resolvedIp) {
  if (!g_pMainDlg || recordIndex < 0 || recordIndex >= 36) return;
  shell::DeviceRecord& r = g_pMainDlg->m_pConfig->devices[recordIndex];
  if (loginId <= 0) {
    m_tree.Invalidate();
    return;
  }
  g_pMainDlg->m_savedStateFlag = TRUE;
  r.resolvedIp = resolvedIp;
  r.loginId = uint32_t(loginId);
  r.loginWord1 = 0xFFFFFFFFu;
  r.loginWord2 = 0x0000FFFFu;
  r.state = kStateLoggedIn;
  if (r.channelCount == 0) r.channelCount = 1;
  // Blocks grow with the channel count; names already there are kept.
  shell::EnsureChannelBlocks(r);
  shell::NameChannels(r, TranslateString("Channel"));
  if (!deviceItem) return;
  if (!m_tree.ItemHasChildren(deviceItem)) {
    CountChannelSlots();
    AddChannelItems(deviceItem, r, 0x00FFFF00);
  }
  m_tree.Expand(deviceItem, TVE_EXPAND);
  m_tree.Invalidate();
  SetCode(deviceItem, m_tree.ItemHasChildren(deviceItem) ? kCodeDeviceConnected : kCodeDeviceOffline);
  AssignChannelSlots();
}

void CDeviceDlg::DisconnectByRecord(int recordIndex) {
  HTREEITEM d = FindDeviceItem(recordIndex);
  if (d && m_tree.ItemHasChildren(d)) DisconnectDevice(d);
}

void CDeviceDlg::DisconnectDevice(HTREEITEM deviceItem) {
  shell::DeviceRecord* r = RecordOf(deviceItem);
  if (!r || !g_pMainDlg) return;
  CMainDlgFace& m = *g_pMainDlg;
  if (deviceItem == m_talkbackItem) EndTalkback();
  for (int s = 0; s < shell::kChannelSlots; ++s)
    if (m.m_channels[s].device.load() == r && m.m_channels[s].manualRecord) m.SetChannelState(1, s, FALSE);
  // Streams stop and the device logs out before its slots are cleared, so a
  // late delivery finds either a running slot or a free one.
  const int loginId = int(r->loginId);
  for (HTREEITEM c = m_tree.GetChildItem(deviceItem); c; c = m_tree.GetNextSiblingItem(c)) {
    int slot = ChannelItemData::Slot(m_tree.GetItemData(c));
    shell::ChannelSlot* s = m.m_channels.At(slot);
    if (!s || s->device.load() != r) continue;
    for (int w = 0; w < shell::kMonitorWindows; ++w) {
      shell::WindowList& list = m.m_windows[w];
      if (!list.Contains(slot)) continue;
      if (list.Count() == 1) {
        m.CloseWindowVideo(w);
        ResetWindow(w, "Video");
      }
      list.Remove(slot);
      list.position = list.Count() > 0 ? 0 : -1;
    }
    // Recording-only slots have a main stream too.
    m.StopLiveStream(loginId, s->channel, 0);
    m.StopLiveStream(loginId, s->channel, 1);
    s->mainStreamRunning = 0;
    s->subStreamRunning = 0;
  }
  if (loginId != 0) NET_LogOut(loginId);
  for (HTREEITEM c = m_tree.GetChildItem(deviceItem); c; c = m_tree.GetNextSiblingItem(c)) {
    shell::ChannelSlot* s = m.m_channels.At(ChannelItemData::Slot(m_tree.GetItemData(c)));
    if (s && s->device.load() == r) s->Clear();
  }
  while (HTREEITEM c = m_tree.GetChildItem(deviceItem)) m_tree.DeleteItem(c);
  r->state = kStateOffline;
  SetCode(deviceItem, kCodeDeviceOffline);
  CountChannelSlots();
}

void CDeviceDlg::OnItemActivated(HTREEITEM item) {
  if (!item) return;
  HTREEITEM parent = m_tree.GetParentItem(item);
  if (parent && !m_tree.ItemHasChildren(item)) {
    if (!CheckUserRight(kRightLocalWatchVideo, "You have no power to watch video!")) return;
    CountChannelSlots();
    ToggleChannelView(item);
    return;
  }
  if (parent) return;
  if (!m_tree.ItemHasChildren(item)) {
    if (!CheckUserRight(kRightLocalConnect, "You have no power to connect device!")) return;
    shell::DeviceRecord* r = RecordOf(item);
    int index = RecordIndexOf(r);
    // A device already being logged in is not started twice; each worker
    // carries its own device.
    if (!r || r->state != kStateOffline || index < 0 || m_connecting[index]) return;
    auto job = std::make_unique<LoginJob>();
    FillJob(*job, *r, index);
    job->panel = m_hWnd;
    m_connectItem = item;
    m_connecting[index] = 1;
    if (AfxBeginThread(ConnectThreadProc, job.get())) job.release();
    else m_connecting[index] = 0;
    return;
  }
  if (!CheckUserRight(kRightLocalConnect, "You have no power to disconnect device!")) return;
  DisconnectDevice(item);
  CountChannelSlots();
}

// ------------------------------------------------------------------ buttons

void CDeviceDlg::UpdateButtons(HTREEITEM item) {
  bool device = item && !m_tree.GetParentItem(item) && m_tree.ItemHasChildren(item);
  m_skinButtons[3].SetState(device && item == m_talkbackItem ? 1 : 0);
  if (!m_skinButtons[1].m_hWnd) return;
  bool channel = item && m_tree.GetParentItem(item);
  m_skinButtons[1].EnableWindow(!device && channel && (g_userRights & kRightLocalRecord) != 0);
  m_skinButtons[2].EnableWindow(device);
  m_skinButtons[3].EnableWindow(device);
}

void CDeviceDlg::FollowRights() {
  if (m_autoConfig.m_hWnd) m_autoConfig.EnableWindow((g_userRights & kRightLocalWatchVideo) != 0);
  if (m_connectAll.m_hWnd) m_connectAll.EnableWindow((g_userRights & kRightLocalConnect) != 0);
  if (m_skinButtons[0].m_hWnd) m_skinButtons[0].EnableWindow((g_userRights & kRightLocalConnect) != 0);
  if (m_tree.m_hWnd) UpdateButtons(m_tree.GetSelectedItem());
}

void CDeviceDlg::OnReboot() {
  if (!CheckUserRight(kRightFrontEndSettings, "You have no power to reboot Front End device!")) return;
  HTREEITEM item = m_tree.GetSelectedItem();
  if (!item || m_tree.GetParentItem(item) || !m_tree.ItemHasChildren(item)) return;
  shell::DeviceRecord* r = RecordOf(item);
  if (!r) return;
  if (TranslatedMessageBox(this, "Are you sure you want to reboot the front end device?", "WARNING",
                           MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  if (r->state == kStateReconnecting) return;
  const uint8_t command[16] = {1, 0xC1, 0xFE, 0};
  g_pMainDlg->SendUdpCommand(command, sizeof command, r->address, 8001);
}

// The main dialog keeps the talkback flag, the slot's mark and the window's
// look; the panel keeps the slot and the device item.
void CDeviceDlg::EndTalkback() {
  CMainDlgFace& m = *g_pMainDlg;
  if (m_talkbackSlot >= 0) {
    const int w = m.m_channels[m_talkbackSlot].window;
    m.SetChannelTalkback(m_talkbackSlot, FALSE);
    if (shell::WindowListModel::IsValid(w)) m.ResetWindowTalkback(w);
  }
  m.SetTalkbackActive(FALSE);
  if (m_talkbackItem) SetCode(m_talkbackItem, kCodeDeviceConnected);
  m_talkbackItem = nullptr;
  m_talkbackSlot = -1;
  m_skinButtons[3].SetState(0);
}

void CDeviceDlg::SwitchTalkback(int slot, HTREEITEM deviceItem) {
  CMainDlgFace& m = *g_pMainDlg;
  if (m_talkbackSlot == slot) {
    EndTalkback();
    return;
  }
  EndTalkback();
  m.SetTalkbackActive(TRUE);
  m.SetChannelTalkback(slot, TRUE);
  m_talkbackSlot = slot;
  m_talkbackItem = deviceItem;
  if (deviceItem) SetCode(deviceItem, kCodeDeviceTalkback);
  m_skinButtons[3].SetState(1);
}

void CDeviceDlg::OnTalking() {
  HTREEITEM item = m_tree.GetSelectedItem();
  if (!item || m_tree.GetParentItem(item) || !m_tree.ItemHasChildren(item)) return;
  shell::DeviceRecord* r = RecordOf(item);
  for (int s = 0; s < shell::kChannelSlots; ++s)
    if (r && g_pMainDlg->m_channels[s].device.load() == r) {
      SwitchTalkback(s, item);
      return;
    }
}

void CDeviceDlg::ToggleRecordOfSlot(int slot) {
  CMainDlgFace& m = *g_pMainDlg;
  shell::ChannelSlot* s = m.m_channels.At(slot);
  if (!s || !s->InUse()) return;
  m.SetChannelState(1, slot, s->manualRecord ? FALSE : TRUE);
  UpdateChannelRecordMark(slot);
}

void CDeviceDlg::OnRecord() {
  HTREEITEM item = m_tree.GetSelectedItem();
  if (!item || !m_tree.GetParentItem(item)) return;
  if (!CheckUserRight(kRightLocalRecord, "You have no power to Local Record!")) return;
  shell::DeviceRecord* r = RecordOf(m_tree.GetParentItem(item));
  int slot = g_pMainDlg->m_channels.Find(r, ChannelItemData::Channel(m_tree.GetItemData(item)));
  if (slot >= 0) ToggleRecordOfSlot(slot);
}

void CDeviceDlg::UpdateChannelRecordMark(int slot) {
  if (!g_pMainDlg) return;
  const shell::ChannelSlot* s = g_pMainDlg->m_channels.At(slot);
  if (!s) return;
  // Recording by hand or by the schedule.
  const bool rec = s->manualRecord != 0 || s->recording != 0;
  const int w = g_pMainDlg->m_windows.FindWindowOf(slot);
  if (HTREEITEM c = ChannelItemOfSlot(slot))
    SetCode(c, w >= 0 ? (rec ? kCodeChannelShownRecording : kCodeChannelShown)
                      : (rec ? kCodeChannelRecording : kCodeChannelIdle));
  if (w >= 0 && g_pMainDlg->m_windows[w].CurrentSlot() == slot)
    if (CPlayWnd* p = Monitor(w)) p->SetRecordButton(rec);
}

// ---------------------------------------------------------------- messages

BOOL CDeviceDlg::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) != BN_CLICKED && HIWORD(w) != 0) return CDialog::OnCommand(w, l);
  switch (LOWORD(w)) {
    case IDC_DEVICE_AUTO_CONFIG: OnAutoConfig(); return TRUE;
    case IDC_DEVICE_CONNECT_ALL: ConnectAll(); return TRUE;
    case IDC_DEVICE_SELECT_ALL:
      m_selectAllValue = m_selectAll.GetCheck() == BST_CHECKED;
      for (HTREEITEM d = m_tree.GetRootItem(); d; d = m_tree.GetNextSiblingItem(d))
        m_tree.SetCheck(d, m_selectAllValue);
      return TRUE;
    case IDC_DEVICE_REBOOT: OnReboot(); return TRUE;
    case IDC_DEVICE_TALKING: OnTalking(); return TRUE;
    case IDC_DEVICE_RECORD: OnRecord(); return TRUE;
    case IDC_DEVICE_MANAGE:   // the main dialog opens "Connect Server"
      if (g_pMainDlg && g_pMainDlg->GetMainHwnd())
        ::PostMessageA(g_pMainDlg->GetMainHwnd(), WM_COMMAND, ID_MAIN_CONNECT_SERVER, 0);
      return TRUE;
    case IDC_DEVICE_PANEL_TOGGLE:
      m_expanded = -m_expanded;
      if (g_pMainDlg) g_pMainDlg->DevicePanelToggled(m_expanded);
      return TRUE;
    default: break;
  }
  return CDialog::OnCommand(w, l);
}

BOOL CDeviceDlg::OnNotify(WPARAM w, LPARAM l, LRESULT* result) {
  auto* h = reinterpret_cast<NMHDR*>(l);
  if (h && h->idFrom == IDC_DEVICE_TREE && (h->code == NM_DBLCLK || h->code == NM_CLICK)) {
    CPoint p;
    ::GetCursorPos(&p);
    m_tree.ScreenToClient(&p);
    UINT flags = 0;
    HTREEITEM item = m_tree.HitTest(p, &flags);
    if (h->code == NM_CLICK) {
      UpdateButtons(item);
      return CDialog::OnNotify(w, l, result);
    }
    if (item && (flags & TVHT_ONITEM)) {
      OnItemActivated(item);
      if (result) *result = 1;
      return TRUE;
    }
  }
  return CDialog::OnNotify(w, l, result);
}

LRESULT CDeviceDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_DEVICE_LOGIN_DONE: {
      std::unique_ptr<LoginJob> job(reinterpret_cast<LoginJob*>(l));
      if (job->record >= 0 && job->record < 36) m_connecting[job->record] = 0;
      shell::DeviceRecord* r = g_pMainDlg ? &g_pMainDlg->m_pConfig->devices[job->record] : nullptr;
      if (r && r->inUse && r->state == kStateOffline)
        FinishLogin(FindDeviceItem(job->record), job->record, job->loginId, job->resolvedIp);
      else if (job->loginId > 0)
        NET_LogOut(job->loginId);   // the record went away or connected meanwhile
      return 0;
    }
    case WM_DEVICE_LIVE_VIEW: {
      HTREEITEM item = m_tree.GetSelectedItem();
      if (item && m_tree.GetParentItem(item)) ToggleChannelView(item);
      return 0;
    }
    case WM_MONITOR_BUTTON:
      OnMonitorButton(int(w), int(l));
      return 0;
    case WM_MONITOR_PRESS:
      m_dragSource = shell::WindowListModel::IsValid(int(l)) ? int(l) : -1;
      return 0;
    case WM_MONITOR_DRAGOVER:
      if (shell::WindowListModel::IsValid(int(l))) {
        m_dragSource = int(l);
        ::SetCursor(::LoadCursorA(nullptr, IDC_SIZEALL));
      }
      return 0;
    case WM_MONITOR_DROP: {
      const int from = m_dragSource;
      m_dragSource = -1;
      if (CPlayWnd* src = Monitor(from)) src->ClearPressed();
      CPoint p(short(LOWORD(l)), short(HIWORD(l)));
      int to = -1;
      for (int i = 0; i < shell::kMonitorWindows && m_monitors; ++i) {
        CPlayWnd& mw = m_monitors[i];
        CRect r;
        if (!mw.m_hWnd || !mw.IsWindowVisible()) continue;
        mw.GetWindowRect(&r);
        if (r.PtInRect(p)) {
          to = i;
          break;
        }
      }
      m_dragTarget = to;
      if (from >= 0 && to >= 0) MoveWindowVideo(from, to);
      return 0;
    }
    default:
      break;
  }
  return CDialog::WindowProc(msg, w, l);
}
