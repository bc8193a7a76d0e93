#include "FrontEndSettingsDlg.h"

#include <cstring>

#include "app_services.h"
#include "channel_blocks.h"
#include "language.h"
#include "main_dlg_face.h"
#include "post_copy.h"
#include "statistic_dlg.h"

CFrontEndSettingsDlg* g_pFrontEndSettingsDlg = nullptr;

namespace {

// What the Save buttons do while a page is shown.
enum SaveButtons { kKeep, kEnable, kDisable };
SaveButtons SaveButtonsOf(int index) {
  if (index <= kPageDdns) return kKeep;
  if (index <= kPagePtz) return kEnable;
  return kDisable;
}

constexpr int kDevices = 36;

}  // namespace

BEGIN_MESSAGE_MAP(CFrontEndSettingsDlg, CDialog)
  ON_WM_DESTROY()
  ON_BN_CLICKED(IDC_FES_SAVE_CHANNEL, OnSaveChannel)
  ON_BN_CLICKED(IDC_FES_SAVE_ALL, OnSaveAll)
  ON_CBN_SELCHANGE(IDC_FES_DEVICE, OnDeviceChange)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_FES_CHANNELS, OnListItemChanged)
  ON_NOTIFY(LVN_ITEMCHANGING, IDC_FES_CHANNELS, OnListItemChanging)
  ON_NOTIFY(TVN_SELCHANGEDA, IDC_FES_TREE, OnTreeSelChanged)
  ON_NOTIFY(TVN_SELCHANGINGA, IDC_FES_TREE, OnTreeSelChanging)
  ON_MESSAGE(WM_FES_SET_CHANNEL_BLOCK, OnSetChannelBlock)
  ON_MESSAGE(WM_FES_SET_DEVICE_BLOCK, OnSetDeviceBlock)
  ON_MESSAGE(WM_FES_SET_SERVICE_BLOCK, OnSetServiceBlock)
  ON_MESSAGE(WM_FES_SET_PTZ_BLOCK, OnSetPtzBlock)
  ON_MESSAGE(WM_FES_CONFIG_REPLY, OnPostedReply)
  ON_MESSAGE(WM_FES_PREVIEW_DATA, OnPostedPreview)
END_MESSAGE_MAP()

CFrontEndSettingsDlg::CFrontEndSettingsDlg(CWnd* parent)
    : CDialog(IDD, parent),
      m_videoParamPage(this),
      m_encodePage(this),
      m_audioPage(this),
      m_alarmTabsPage(this),
      m_recordPlanPage(this),
      m_ptzPage(this),
      m_userPage(this),
      m_networkPage(this, m_deviceBlock),
      m_systemPage(this, m_deviceBlock),
      m_diskPage(this),
      m_handsetPage(this, m_deviceBlock),
      m_ftpPage(this, m_serviceBlock),
      m_mailPage(this, m_serviceBlock),
      m_deviceInfoPage(this),
      m_motionPage(this),
      m_coverPage(this),
      m_streamPage(this),
      m_ddnsPage(this),
      m_sensorPage(this),
      m_mirrorStore(new devcfg::ChannelSettingsBlock[devcfg::kMaxChannels]) {
  m_mirror = m_mirrorStore.get();
  std::memset(m_mirror, 0, sizeof(devcfg::ChannelSettingsBlock) * devcfg::kMaxChannels);
  std::memset(m_deviceBlock, 0, sizeof m_deviceBlock);
  std::memset(m_serviceBlock, 0, sizeof m_serviceBlock);
  m_receiver.dlg = this;
  g_pFrontEndSettingsDlg = this;
}

CFrontEndSettingsDlg::~CFrontEndSettingsDlg() {
  if (g_pFrontEndSettingsDlg == this) g_pFrontEndSettingsDlg = nullptr;
}

// ------------------------------------------------------------------ pages

CConfigPage* CFrontEndSettingsDlg::Page(int index) const {
  CFrontEndSettingsDlg* self = const_cast<CFrontEndSettingsDlg*>(this);
  switch (index) {
    case kPageStream: return &self->m_streamPage;
    case kPageSensor: return &self->m_sensorPage;
    case kPageMotion: return &self->m_motionPage;
    case kPageCover: return &self->m_coverPage;
    case kPageDdns: return &self->m_ddnsPage;
    case kPageEncode: return &self->m_encodePage;
    case kPageAudio: return &self->m_audioPage;
    case kPageRecordPlan: return &self->m_recordPlanPage;
    case kPagePtz: return &self->m_ptzPage;
    case kPageUsers: return &self->m_userPage;
    case kPageNetwork: return &self->m_networkPage;
    case kPageSystem: return &self->m_systemPage;
    case kPageDeviceInfo: return &self->m_deviceInfoPage;
    case kPageDisk: return &self->m_diskPage;
    case kPageHandset: return &self->m_handsetPage;
    case kPageFtp: return &self->m_ftpPage;
    case kPageMail: return &self->m_mailPage;
    default: return nullptr;
  }
}

CChannelBlockPage* CFrontEndSettingsDlg::ChannelBlockPage(int index) {
  switch (index) {
    case kPageStream: return &m_videoParamPage;
    case kPageMotion: return &m_alarmTabsPage;
    case kPageEncode: return &m_encodePage;
    case kPageAudio: return &m_audioPage;
    case kPageRecordPlan: return &m_recordPlanPage;
    case kPagePtz: return &m_ptzPage;
    default: return nullptr;
  }
}

void CFrontEndSettingsDlg::CreatePages() {
  CConfigPage* order[] = {&m_videoParamPage, &m_encodePage,    &m_audioPage,      &m_alarmTabsPage,
                          &m_recordPlanPage, &m_ptzPage,       &m_userPage,       &m_networkPage,
                          &m_systemPage,     &m_diskPage,      &m_handsetPage,    &m_ftpPage,
                          &m_mailPage,       &m_deviceInfoPage, &m_motionPage,    &m_coverPage,
                          &m_streamPage,     &m_ddnsPage,      &m_sensorPage};
  CRect area(0, 0, 0, 0);
  if (CWnd* frame = GetDlgItem(IDC_FES_PAGE_AREA)) {
    frame->GetWindowRect(&area);
    ScreenToClient(&area);
    area.DeflateRect(2, 2);
  }
  for (CConfigPage* page : order) {
    page->CreatePage(this);
    if (page->GetSafeHwnd()) {
      page->SetWindowPos(nullptr, area.left, area.top, area.Width(), area.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
      page->ShowWindow(SW_HIDE);
    }
  }
  m_pagesCreated = true;
}

int CFrontEndSettingsDlg::ShowPage(int index) {
  if (index < 0 || index > kPageNone) return -1;
  for (int i = 0; i < kPageCount; ++i)
    if (CConfigPage* p = Page(i))
      if (p->GetSafeHwnd()) p->ShowWindow(SW_HIDE);
  if (m_videoParamPage.GetSafeHwnd()) m_videoParamPage.ShowWindow(SW_HIDE);
  if (m_alarmTabsPage.GetSafeHwnd()) m_alarmTabsPage.ShowWindow(SW_HIDE);
  if (index == kPageNone) return 0;
  if (index == kPageDeviceInfo) {
    const uint8_t* info = nullptr;
    m_deviceInfoPage.ShowDeviceInfo(GetDeviceInfo(&info) >= 0 ? info : nullptr);
    m_deviceInfoPage.RefreshFromAnnouncement();
  }
  if (CConfigPage* p = Page(index))
    if (p->GetSafeHwnd()) p->ShowWindow(SW_SHOW);
  SetSaveButtons(index);
  return 0;
}

void CFrontEndSettingsDlg::SetSaveButtons(int index) {
  const SaveButtons s = SaveButtonsOf(index);
  if (s == kKeep) return;
  for (int id : {IDC_FES_SAVE_CHANNEL, IDC_FES_SAVE_ALL})
    if (CWnd* b = GetDlgItem(id)) b->EnableWindow(s == kEnable);
}

int CFrontEndSettingsDlg::SelectPage(int index) {
  if (index < 0 || index >= kPageCount) return -1;
  if (m_tree.GetSafeHwnd()) {
    HTREEITEM found = nullptr;
    for (HTREEITEM a = m_tree.GetChildItem(m_tree.GetRootItem()); a && !found; a = m_tree.GetNextSiblingItem(a)) {
      if (int(m_tree.GetItemData(a)) == index) found = a;
      for (HTREEITEM b = m_tree.GetChildItem(a); b && !found; b = m_tree.GetNextSiblingItem(b))
        if (int(m_tree.GetItemData(b)) == index) found = b;
    }
    if (found) {
      m_selectingPage = true;
      m_tree.SelectItem(found);
      m_selectingPage = false;
    }
  }
  const int device = GetSelectedDevice(nullptr);
  if (device >= 0) SendConfigRequest(device, GetCurrentChannel(), index);
  m_currentPage = index;
  ShowPage(index);
  return 0;
}

// ------------------------------------------------------------------ state for pages

int CFrontEndSettingsDlg::GetCurrentChannel() const { return m_currentChannel; }

int CFrontEndSettingsDlg::GetSelectedDevice(shell::DeviceRecord** out) const {
  if (out) *out = nullptr;
  if (!m_deviceCombo.GetSafeHwnd() || !g_pMainDlg || !g_pMainDlg->m_pConfig) return -1;
  const int sel = m_deviceCombo.GetCurSel();
  if (sel < 0) return -1;
  const int index = int(m_deviceCombo.GetItemData(sel));
  if (index < 0 || index >= kDevices) return -1;
  if (out) *out = &g_pMainDlg->m_pConfig->devices[index];
  return index;
}

int CFrontEndSettingsDlg::GetDeviceInfo(const uint8_t** out) const {
  shell::DeviceRecord* device = nullptr;
  const int index = GetSelectedDevice(&device);
  if (out) *out = device ? device->info : nullptr;
  return index;
}

int CFrontEndSettingsDlg::SendConfigRequest(int deviceIndex, int channel, int pageIndex) {
  if (deviceIndex < 0 || deviceIndex >= kDevices || !g_pMainDlg || !g_pMainDlg->m_pConfig) return -1;
  const uint8_t ch = uint8_t(channel < 0 ? 0 : channel);
  std::vector<uint8_t> request;
  switch (pageIndex) {
    case kPageStream: request = shell::BuildStreamGet(); break;
    case kPageSensor: request = shell::BuildSensorGet(ch); break;
    case kPageMotion:
    case kPageCover: request = shell::BuildRegionGet(ch); break;
    case kPageDdns: request = shell::BuildItemListGet(); break;
    case kPageNetwork: request = shell::BuildNetworkGet(); break;
    default: return -1;
  }
  const shell::DeviceRecord& d = g_pMainDlg->m_pConfig->devices[deviceIndex];
  g_pMainDlg->SendUdpCommand(request.data(), int(request.size()), d.address, d.streamPort);
  return 0;
}

int CFrontEndSettingsDlg::SendToChosenDevice(const std::vector<uint8_t>& datagram) {
  shell::DeviceRecord* d = nullptr;
  if (GetSelectedDevice(&d) < 0 || !d || datagram.empty()) return -1;
  g_pMainDlg->SendUdpCommand(datagram.data(), int(datagram.size()), d->address, d->streamPort);
  return 0;
}

int CFrontEndSettingsDlg::ChannelCountOf(const shell::DeviceRecord* device) const {
  return device ? devcfg::CappedChannelCount(device->channelCount) : 0;
}

int CFrontEndSettingsDlg::FindSlotOf(const shell::DeviceRecord* device, int channel) const {
  return g_pMainDlg && device ? g_pMainDlg->m_channels.Find(device, channel) : -1;
}

// ------------------------------------------------------------------ the mirror

void CFrontEndSettingsDlg::LoadChannelPage(int channel, int index) {
  if (channel < 0 || channel >= devcfg::kMaxChannels || GetSelectedDevice(nullptr) < 0) return;
  if (CChannelBlockPage* p = ChannelBlockPage(index)) p->LoadPart(m_mirror[channel].bytes + p->Part().offset);
}

void CFrontEndSettingsDlg::SaveChannelPage(int channel, int index) {
  if (channel < 0 || channel >= devcfg::kMaxChannels) return;
  if (CChannelBlockPage* p = ChannelBlockPage(index)) p->SavePart(m_mirror[channel].bytes + p->Part().offset);
}

void CFrontEndSettingsDlg::SaveCurrentPage() {
  if (m_currentChannel >= 0 && m_currentPage >= 0) SaveChannelPage(m_currentChannel, m_currentPage);
}

// ------------------------------------------------------------------ opening

BOOL CFrontEndSettingsDlg::OnInitDialog() {
  TranslateDialog(this);
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Front End System Settings"));
  CenterWindow();
  m_savedFlag = FALSE;
  m_tree.SubclassDlgItem(IDC_FES_TREE, this);
  m_deviceCombo.SubclassDlgItem(IDC_FES_DEVICE, this);
  m_channelList.SubclassDlgItem(IDC_FES_CHANNELS, this);

  m_deviceCombo.ResetContent();
  if (g_pMainDlg && g_pMainDlg->m_pConfig)
    for (int i = 0; i < kDevices; ++i) {
      const shell::DeviceRecord& d = g_pMainDlg->m_pConfig->devices[i];
      if (!d.inUse) continue;
      const int at = m_deviceCombo.AddString(devcfg::FieldText(d.serverName, sizeof d.serverName).c_str());
      m_deviceCombo.SetItemData(at, DWORD_PTR(i));
    }

  // Replies come while the window exists.
  if (g_pMainDlg) g_pMainDlg->RegisterUdpReceiver(&m_receiver);
  BuildTree();
  m_channelList.SetExtendedStyle(m_channelList.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_channelList.InsertColumn(0, TranslateString("Channel"), LVCFMT_LEFT, 55);
  m_channelList.InsertColumn(1, TranslateString("Name"), LVCFMT_LEFT, 175);
  CreatePages();

  m_currentPage = kPageStream;
  if (m_deviceCombo.GetCount() == 0) {
    SelectPage(kPageStream);
    return TRUE;
  }
  m_deviceCombo.SetCurSel(0);
  FillFromDevice(true);
  return TRUE;
}

void CFrontEndSettingsDlg::BuildTree() {
  m_tree.DeleteAllItems();
  m_images.DeleteImageList();
  if (m_images.Create(IDB_SETTINGS_TREE, 16, 1, RGB(255, 0, 255))) m_tree.SetImageList(&m_images, TVSIL_NORMAL);
  struct Entry {
    const char* text;
    int image;
    int data;
  };
  const HTREEITEM root = m_tree.InsertItem(TranslateString("Fornt End Config List"), 0, 0);
  m_tree.SetItemData(root, DWORD_PTR(-1));
  auto add = [&](HTREEITEM parent, const Entry& e) {
    HTREEITEM h = m_tree.InsertItem(TranslateString(e.text), e.image, e.image, parent);
    m_tree.SetItemData(h, DWORD_PTR(INT_PTR(e.data)));
    return h;
  };
  const HTREEITEM channel = add(root, {"Channel Settings", 1, -1});
  add(channel, {"Stream Settings", 2, kPageStream});
  add(channel, {"Video Sensor Settings", 2, kPageSensor});
  add(channel, {"Montion Detection Settings", 5, kPageMotion});
  add(channel, {"Video Cover", 5, kPageCover});
  m_tree.Expand(channel, TVE_EXPAND);
  const HTREEITEM common = add(root, {"Common Settings", 1, -1});
  add(common, {"Network Settings", 9, kPageNetwork});
  m_tree.Expand(common, TVE_EXPAND);
  add(root, {"Device Info", 15, kPageDeviceInfo});
  m_tree.Expand(root, TVE_EXPAND);
}

void CFrontEndSettingsDlg::FillChannelList() {
  m_filling = true;
  m_channelList.DeleteAllItems();
  shell::DeviceRecord* device = nullptr;
  GetSelectedDevice(&device);
  const int count = ChannelCountOf(device);
  for (int ch = 0; ch < count; ++ch) {
    CString number;
    number.Format("%02d", ch + 1);
    const int row = m_channelList.InsertItem(ch, number);
    m_channelList.SetItemText(row, 1, devcfg::ChannelName(m_mirror[ch]).c_str());
    m_channelList.SetItemData(row, DWORD_PTR(ch));
  }
  if (count > 0) {
    m_channelList.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_channelList.SetSelectionMark(0);
  }
  m_filling = false;
}

void CFrontEndSettingsDlg::FillFromDevice(bool opening) {
  shell::DeviceRecord* device = nullptr;
  const int index = GetSelectedDevice(&device);
  if (index < 0) return;
  m_loginHandle = device->loginId;
  std::memset(m_mirror, 0, sizeof(devcfg::ChannelSettingsBlock) * devcfg::kMaxChannels);
  const int count = ChannelCountOf(device);
  for (int ch = 0; ch < count; ++ch)
    if (const char* block = shell::ChannelBlock(*device, ch))
      std::memcpy(m_mirror[ch].bytes, block, devcfg::kChannelBlockSize);
  for (int i = 0; i < kPageCount; ++i)
    if (CConfigPage* p = Page(i)) p->OnDeviceChanged();
  FillChannelList();
  // The pages always hold a loaded channel: channel 0 from here on.
  m_currentChannel = 0;
  LoadChannelPage(0, m_currentPage);
  m_currentSlot = FindSlotOf(device, 0);
  if (opening) {
    SendConfigRequest(index, 0, kPageStream);
    SelectPage(kPageStream);
  } else {
    const int page = m_currentPage;
    SendConfigRequest(index, 0, page);
    ShowPage(page);
  }
}

// ------------------------------------------------------------------ operator's choices

void CFrontEndSettingsDlg::OnDeviceChange() {
  if (GetSelectedDevice(nullptr) < 0) return;
  m_videoParamPage.ResetPage();
  m_alarmTabsPage.ResetPage();
  FillFromDevice(false);
}

void CFrontEndSettingsDlg::OnListItemChanged(NMHDR* nm, LRESULT* result) {
  *result = 0;
  const NMLISTVIEW* lv = reinterpret_cast<const NMLISTVIEW*>(nm);
  if (m_filling || !(lv->uChanged & LVIF_STATE) || !(lv->uNewState & LVIS_SELECTED) ||
      (lv->uOldState & LVIS_SELECTED))
    return;
  const int row = lv->iItem;
  HTREEITEM item = m_tree.GetSelectedItem();
  const int page = item ? int(INT_PTR(m_tree.GetItemData(item))) : -1;
  if (page < 0 || row < 0 || row >= devcfg::kMaxChannels) return;
  SaveChannelPage(m_currentChannel, page);
  LoadChannelPage(row, page);
  m_currentPage = page;
  if (row != m_currentChannel) m_sensorPage.OnDeviceChanged();  // its block was the old channel's
  m_currentChannel = row;
  shell::DeviceRecord* device = nullptr;
  const int index = GetSelectedDevice(&device);
  const int slot = FindSlotOf(device, row);
  if (slot < 0 || slot == m_currentSlot) return;
  m_currentSlot = slot;
  SendConfigRequest(index, row, page);
}

void CFrontEndSettingsDlg::OnListItemChanging(NMHDR*, LRESULT* result) { *result = 0; }

void CFrontEndSettingsDlg::OnTreeSelChanging(NMHDR*, LRESULT* result) {
  *result = 0;
  if (!m_selectingPage) SaveCurrentPage();
}

void CFrontEndSettingsDlg::OnTreeSelChanged(NMHDR* nm, LRESULT* result) {
  *result = 0;
  if (m_selectingPage) return;
  const NMTREEVIEWA* tv = reinterpret_cast<const NMTREEVIEWA*>(nm);
  const int page = int(INT_PTR(tv->itemNew.lParam));
  if (page < 0) return;
  m_currentPage = page;
  LoadChannelPage(m_currentChannel, page);
  const int device = GetSelectedDevice(nullptr);
  if (device >= 0) SendConfigRequest(device, GetCurrentChannel(), page);
  ShowPage(page);
}

void CFrontEndSettingsDlg::SetRowName(int channel) {
  if (channel < 0 || channel >= devcfg::kMaxChannels || !m_channelList.GetSafeHwnd()) return;
  const std::string name = devcfg::ChannelName(m_mirror[channel]);
  for (int row = 0; row < m_channelList.GetItemCount(); ++row)
    if (int(m_channelList.GetItemData(row)) == channel) {
      m_channelList.SetItemText(row, 1, name.c_str());
      return;
    }
  CString number;
  number.Format("%02d", channel + 1);
  const int row = m_channelList.InsertItem(channel, number);
  m_channelList.SetItemText(row, 1, name.c_str());
  m_channelList.SetItemData(row, DWORD_PTR(channel));
}

void CFrontEndSettingsDlg::OnSaveChannel() {
  if (GetSelectedDevice(nullptr) < 0) return;
  SaveCurrentPage();
  m_deviceCombo.SetCurSel(m_deviceCombo.GetCurSel());
  SetRowName(m_currentChannel);
}

void CFrontEndSettingsDlg::OnSaveAll() {
  shell::DeviceRecord* device = nullptr;
  if (GetSelectedDevice(&device) < 0) return;
  SaveCurrentPage();
  m_savedFlag = TRUE;
  for (int ch = 0; ch < ChannelCountOf(device); ++ch) SetRowName(ch);
}

void CFrontEndSettingsDlg::OnOK() {
  OnSaveChannel();
  CDialog::OnOK();
}

void CFrontEndSettingsDlg::ShowChannelNamesInWindows() {
  if (!g_pMainDlg) return;
  const int windows = g_pMainDlg->GetWindowCount();
  for (int w = 0; w < windows && w < shell::kMonitorWindows; ++w) {
    if (!g_pMainDlg->GetChannelState(0, w)) continue;
    const int slot = g_pMainDlg->GetWindowChannel(w);
    const shell::ChannelSlot* s = g_pMainDlg->m_channels.At(slot);
    const shell::DeviceRecord* device = s ? s->device.load() : nullptr;
    if (!device) continue;
    const std::string server = devcfg::FieldText(device->serverName, sizeof device->serverName);
    CString text;
    if (g_pMainDlg->GetChannelState(1, slot))
      text.Format("[%s] - [%s] : %s", server.c_str(),
                  StatisticChannelName(device, uint32_t(s->channel.load())).GetString(),
                  TranslateString("Recording").GetString());
    else
      text.Format("[%s]", server.c_str());
    g_pMainDlg->SetWindowStatusText(w, text);
  }
  g_pMainDlg->RefreshStatistics();
}

void CFrontEndSettingsDlg::OnDestroy() {
  if (g_pMainDlg) g_pMainDlg->UnregisterUdpReceiver(&m_receiver);
  // The channel names may have changed: the windows and the statistics
  // list show them again.
  ShowChannelNamesInWindows();
  m_images.DeleteImageList();
  m_pagesCreated = false;
  CDialog::OnDestroy();
}

// ------------------------------------------------------------------ replies

void CFrontEndSettingsDlg::PostReply(const char* from, uint8_t command, const uint8_t* payload, size_t size) {
  if (!payload || !from) return;
  auto copy = std::make_unique<ConfigReplyCopy>();
  copy->from = from;
  copy->command = command;
  copy->block.assign(payload, payload + size);
  PostHeapCopy(m_hWnd, WM_FES_CONFIG_REPLY, 0, std::move(copy));
}

void CFrontEndSettingsDlg::OnChannelParamReply(const char* from, const uint8_t* payload, size_t size) {
  PostReply(from, shell::UDPCFG_REGION, payload, size);
}
void CFrontEndSettingsDlg::OnSensorParamReply(const char* from, const uint8_t* payload, size_t size) {
  PostReply(from, shell::UDPCFG_SENSOR, payload, size);
}
void CFrontEndSettingsDlg::OnStreamParamReply(const char* from, const uint8_t* payload, size_t size) {
  PostReply(from, shell::UDPCFG_STREAM, payload, size);
}
void CFrontEndSettingsDlg::OnNetworkParamReply(const char* from, const uint8_t* payload, size_t size) {
  PostReply(from, shell::UDPCFG_NETWORK, payload, size);
}

// Header byte 3 of a reply is not read: a device may leave it 0.
void CFrontEndSettingsDlg::Receiver::OnConfigReply(const std::string& from, uint8_t command, uint8_t,
                                                   const uint8_t* block, size_t size) {
  switch (command) {
    case shell::UDPCFG_REGION: dlg->OnChannelParamReply(from.c_str(), block, size); break;
    case shell::UDPCFG_SENSOR: dlg->OnSensorParamReply(from.c_str(), block, size); break;
    case shell::UDPCFG_STREAM: dlg->OnStreamParamReply(from.c_str(), block, size); break;
    case shell::UDPCFG_NETWORK: dlg->OnNetworkParamReply(from.c_str(), block, size); break;
    default: break;
  }
}

bool CFrontEndSettingsDlg::FromChosenDevice(const std::string& from) const {
  shell::DeviceRecord* d = nullptr;
  if (GetSelectedDevice(&d) < 0 || !d) return false;
  if (from == devcfg::FieldText(d->address, sizeof d->address)) return true;
  // A device entered by name: the address its name resolved to (network order).
  uint32_t host = 0;
  if (!d->resolvedIp || !shell::ParseIpv4(from.c_str(), &host)) return false;
  const uint8_t* r = reinterpret_cast<const uint8_t*>(&d->resolvedIp);
  return (uint32_t(r[0]) << 24 | uint32_t(r[1]) << 16 | uint32_t(r[2]) << 8 | r[3]) == host;
}

LRESULT CFrontEndSettingsDlg::OnPostedReply(WPARAM, LPARAM l) {
  std::unique_ptr<ConfigReplyCopy> r = TakePostedCopy<ConfigReplyCopy>(l);
  // Only the chosen device's replies: a block from another host would
  // fill a page that the operator may then save to the chosen device.
  if (!r || !FromChosenDevice(r->from)) return 0;
  // The region and sensor blocks are the current channel's when their own
  // channel byte says so.
  const bool currentChannel = devcfg::BlockChannel(r->block.data(), r->block.size()) == m_currentChannel;
  switch (r->command) {
    case shell::UDPCFG_SENSOR:
      if (currentChannel) m_sensorPage.OnBlockReply(r->block.data(), r->block.size());
      break;
    case shell::UDPCFG_STREAM: m_streamPage.OnBlockReply(r->block.data(), r->block.size()); break;
    case shell::UDPCFG_NETWORK: m_networkPage.OnBlockReply(r->block.data(), r->block.size()); break;
    case shell::UDPCFG_REGION:
      if (currentChannel)
        for (int i : {kPageMotion, kPageCover})
          if (auto* p = dynamic_cast<CUdpBlockPage*>(Page(i))) p->OnBlockReply(r->block.data(), r->block.size());
      break;
    default: break;
  }
  return 0;
}

void CFrontEndSettingsDlg::OnPreviewData(const uint8_t* data, size_t length) {
  const int page = m_currentPage;
  if (!data || !length || (page != kPageMotion && page != kPageCover)) return;
  HWND h = m_hWnd;
  if (!h || !::IsWindow(h) || !m_pagesCreated) return;
  auto copy = std::make_unique<PreviewCopy>();
  copy->data.assign(data, data + length);
  PostHeapCopy(h, WM_FES_PREVIEW_DATA, WPARAM(page), std::move(copy));
}

LRESULT CFrontEndSettingsDlg::OnPostedPreview(WPARAM w, LPARAM l) {
  std::unique_ptr<PreviewCopy> p = TakePostedCopy<PreviewCopy>(l);
  if (!p || int(w) != m_currentPage || !m_pagesCreated) return 0;
  if (CConfigPage* page = Page(int(w))) page->OnPreviewData(p->data.data(), p->data.size());
  return 0;
}

void CFrontEndSettingsDlg::OnConfigReply(uint32_t loginHandle, const devcfg::ConfigReplyRecord* reply) {
  if (!reply || !g_pMainDlg) return;
  shell::DeviceRecord* device = g_pMainDlg->FindDeviceByLoginId(int(loginHandle));
  if (!device) return;
  const int channel = reply->channel;
  if (channel >= ChannelCountOf(device)) return;
  const uint32_t error = devcfg::GetU32(reply->error);
  if (error != 0) {
    CString text, errorText;
    text.Format("%s %s %s", (LPCSTR)TranslateString("Request config settings failed!"),
                (LPCSTR)TranslateString("Error Info:"), (LPCSTR)GetErrorText(errorText, int(error)));
    PostMessageBox(text, nullptr, MB_ICONWARNING);
    return;
  }
  if (char* block = shell::ChannelBlock(*device, channel))
    std::memcpy(block, reply->block.bytes, devcfg::kChannelBlockSize);
  if (!GetSafeHwnd() || GetSelectedDevice(nullptr) < 0 || m_loginHandle != loginHandle) return;
  m_mirror[channel] = reply->block;
  SetRowName(channel);
  if (channel == m_currentChannel) {
    m_channelList.SetSelectionMark(channel);
    // The pages show the new block, so a later save keeps it.
    LoadChannelPage(channel, m_currentPage);
    SelectPage(m_currentPage);
  }
}

LRESULT CFrontEndSettingsDlg::OnSetChannelBlock(WPARAM w, LPARAM l) {
  const int channel = int(w);
  const int slots = g_pMainDlg ? g_pMainDlg->m_channels.UsedCount() : 0;
  if (!l || channel < 0 || channel >= slots || channel >= devcfg::kMaxChannels) return -1;
  std::memcpy(m_mirror[channel].bytes, reinterpret_cast<const void*>(l), devcfg::kChannelBlockSize);
  SetRowName(channel);
  if (channel == m_currentChannel) {
    LoadChannelPage(channel, m_currentPage);
    SelectPage(m_currentPage);
  }
  return 0;
}

LRESULT CFrontEndSettingsDlg::OnSetDeviceBlock(WPARAM, LPARAM l) {
  if (!l) return -1;
  std::memcpy(m_deviceBlock, reinterpret_cast<const void*>(l), sizeof m_deviceBlock);
  m_systemPage.RefreshFromBlock();
  m_handsetPage.RefreshFromBlock();
  return 0;
}

LRESULT CFrontEndSettingsDlg::OnSetServiceBlock(WPARAM, LPARAM l) {
  if (!l) return -1;
  std::memcpy(m_serviceBlock, reinterpret_cast<const void*>(l), sizeof m_serviceBlock);
  m_ftpPage.RefreshFromBlock();
  m_mailPage.RefreshFromBlock();
  return 0;
}

LRESULT CFrontEndSettingsDlg::OnSetPtzBlock(WPARAM w, LPARAM l) {
  // The list is in lParam. A sender that gives its size in wParam has it
  // read only within that size; without one (wParam 0) the list holds
  // as many names as its count says.
  if (!l) return -1;
  const uint8_t* list = reinterpret_cast<const uint8_t*>(l);
  size_t size = size_t(w);
  if (size == 0) size = devcfg::kPtzListNamesAt + devcfg::kPtzListNameSize * list[devcfg::kPtzListCountAt];
  if (size <= devcfg::kPtzListCountAt) return -1;
  m_ptzPage.SetProtocolList(list, size);
  return 0;
}

LRESULT RouteDeviceMessage(WPARAM w, LPARAM l) {
  if (w != 2002 || !l || !g_pFrontEndSettingsDlg) return 0;
  struct Record {
    uint32_t loginHandle;
    const devcfg::ConfigReplyRecord* reply;
  };
  const Record* r = reinterpret_cast<const Record*>(l);
  g_pFrontEndSettingsDlg->OnConfigReply(r->loginHandle, r->reply);
  return 1;
}
