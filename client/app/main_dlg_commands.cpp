// The main dialog's menu, tool bar, snapshot, commands and channel state.
#include "main_dlg.h"

#include "RecordDisks.h"
#include "RecordPlaybackDlg.h"
#include "RecordWriter.h"
#include "channel_blocks.h"
#include "app_services.h"
#include "config_store.h"
#include "local_user_dlg.h"
#include "login_dlg.h"
#include "text_copy.h"
#include "udp_packets.h"
#include "core/Orvik.h"
#include "helpers.h"
#include "settings.h"
#include "window_layout.h"

namespace {

struct TopButtonKey {
  const char* key;
  const char* caption;
  UINT command;
};
const TopButtonKey kTopButtons[4] = {{"TopPlayBack", "Play Back", ID_MAIN_PLAYBACK},
                                  {"TopConfig", "Settings", ID_MAIN_SETTINGS},
                                  {"TopPreviewPlan", "Preview Plans", ID_MAIN_PREVIEW_PLANS},
                                  {"TopRecordPlan", "Record Plans", ID_MAIN_RECORD_PLANS}};

}  // namespace

std::vector<MainMenuItem> DescribeMainMenu(DWORD rights, const std::vector<CString>& languages) {
  std::vector<MainMenuItem> m;
  m.push_back({0, 0, "System", true});
  m.push_back({1, 0, "Change Language", true});
  for (size_t i = 0; i < languages.size() && i < 11; ++i)
    m.push_back({2, UINT(ID_MAIN_LANGUAGE_FIRST + i), languages[i], false});
  m.push_back({1, ID_MAIN_EXIT_SYSTEM, "Exit System", false});
  m.push_back({0, 0, "Function", true});
  if (rights & kRightLocalAlarmSettings) m.push_back({1, ID_MAIN_ALARM_SETTINGS, "Local Alarm Settings", false});
  if (rights & kRightLocalRecordSettings) m.push_back({1, ID_MAIN_STORAGE_SETTINGS, "Local Storage Settings", false});
  m.push_back({1, ID_MAIN_USER_MANAGEMENT, "Local User Management", false});
  m.push_back({1, ID_MAIN_POLLING_SETTINGS, "Local Polling Settings", false});
  m.push_back({1, 0, "", false});
  m.push_back({1, ID_MAIN_ALARM_UPLOAD, "Remote Alarm Upload Info", false});
  m.push_back({1, ID_MAIN_STATISTICS, "Real-time Monitor Info Statistics", false});
  if (rights & kRightFrontEndPtz) m.push_back({1, ID_MAIN_PTZ_PRESET, "PTZ Preset", false});
  m.push_back({1, 0, "", false});
  m.push_back({0, 0, "Log Management", true});
  m.push_back({1, ID_MAIN_LOCAL_LOG, "Local", false});
  m.push_back({1, 0, "", false});
  m.push_back({1, 0, "Disk Cleaning And Writing Error Info", true});
  m.push_back({2, ID_MAIN_DISK_ERRORS, "Local", false});
  m.push_back({0, 0, "Help", true});
  m.push_back({1, ID_MAIN_ABOUT, "About Dravenor", false});
  return m;
}

void CMainDlg::BuildMainMenu() {
  std::vector<CString> languages;
  for (const SolutionEntry& s : CInterfaceSolutions::Instance().Solutions()) languages.push_back(s.name);
  std::vector<MainMenuItem> items = DescribeMainMenu(g_userRights, languages);
  // The bar replaces the old one.
  ::SetMenu(m_hWnd, nullptr);
  HMENU old = m_DefaultNewMenu.m_hMenu;
  m_DefaultNewMenu.DestroyMenuData();
  m_DefaultNewMenu.Detach();
  if (old && ::IsMenu(old)) ::DestroyMenu(old);
  HMENU bar = ::CreateMenu();
  HMENU levels[3] = {bar, nullptr, nullptr};
  for (size_t i = 0; i < items.size(); ++i) {
    const MainMenuItem& it = items[i];
    HMENU parent = levels[it.level];
    if (!parent) continue;
    // Language names are shown as they are; every other caption translated.
    CString caption = it.level == 2 && it.id >= ID_MAIN_LANGUAGE_FIRST && it.id <= ID_MAIN_LANGUAGE_LAST
                          ? it.caption
                          : TranslateString(it.caption);
    if (it.popup) {
      HMENU sub = ::CreatePopupMenu();
      ::AppendMenuA(parent, MF_POPUP | MF_STRING, UINT_PTR(sub), caption);
      levels[it.level + 1] = sub;
      if (it.level + 2 < 3) levels[it.level + 2] = nullptr;
    } else if (it.caption.IsEmpty()) {
      ::AppendMenuA(parent, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuA(parent, MF_STRING, it.id, caption);
    }
  }
  // Every item owner-drawn by the skinned menus, on the main background;
  // the menu is the window's bar first, so its items are measured as bar
  // items.
  ::SetMenu(m_hWnd, bar);
  m_DefaultNewMenu.LoadMenuHandle(bar);
  m_DefaultNewMenu.SetMenuBackColor(m_skin.backColor);
  // The bar beyond its last item too.
  m_menuBrush.DeleteObject();
  m_menuBrush.CreateSolidBrush(m_skin.backColor);
  MENUINFO mi{sizeof mi};
  mi.fMask = MIM_BACKGROUND;
  mi.hbrBack = m_menuBrush;
  ::SetMenuInfo(bar, &mi);
  if (m_fullScreen) ::SetMenu(m_hWnd, nullptr);
  DrawMenuBar();
}

void CMainDlg::CreateTopButtons() {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s) return;
  CString ini = s->folderPath + "top_config.ini";
  for (int i = 0; i < 4; ++i) {
    const TopButtonKey& b = kTopButtons[i];
    CString key = b.key;
    CString caption = ReadIniString("MainButtons", key, b.caption, ini);
    int visible = int(::GetPrivateProfileIntA("MainButtons", key + "_IsVisible", 0, ini));
    CRect pos = ParseRect(ReadIniString("MainButtons", key + "_Position", "", ini));
    if (!visible || m_topButtons[i].m_hWnd) continue;
    // The button's place in each of the tool bar's four pictures.
    CBitmap parts[4];
    CBitmap* states[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int k = 0; k < 4; ++k)
      if (CopyBitmapPart(&m_toolBarPics[k], &parts[k], pos.left, pos.top, pos.right, pos.bottom)) states[k] = &parts[k];
    CString text = TranslateString(caption);
    m_topButtons[i].Create(text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, pos, this, b.command);
    m_topButtons[i].SetFont(&m_font);
    // Normal, pressed, hover, disabled.
    m_topButtons[i].SetBitmaps(states[0], states[2], states[1], states[3], 0, kSkinStretched);
    m_topButtons[i].SetTooltipText(text);
  }
  EnableRightsControls();
}

void CMainDlg::EnableRightsControls() {
  DWORD rights = g_userRights;
  for (int i = 0; i < 4; ++i) {
    if (!m_topButtons[i].m_hWnd) continue;
    BOOL enable = TRUE;
    if (kTopButtons[i].command == ID_MAIN_SETTINGS) enable = (rights & kRightFrontEndSettings) != 0;
    if (kTopButtons[i].command == ID_MAIN_PLAYBACK) enable = (rights & kRightLocalPlayback) != 0;
    m_topButtons[i].EnableWindow(enable);
  }
  // "All Open Record" records, the PTZ panel steers the camera, the device
  // panel connects and records.
  for (int i = 0; i < CSwitchModeDlg::kButtons; ++i)
    if (CSwitchModeDlg::CommandOf(i) == IDC_RECORD_ALL && m_switchMode.Button(i).m_hWnd)
      m_switchMode.Button(i).EnableWindow((rights & kRightLocalRecord) != 0);
  if (m_ptzDlg.m_hWnd)
    for (int i = 0; i < CPtzDlgEx::kButtons; ++i)
      if (m_ptzDlg.ButtonAt(i).m_hWnd) m_ptzDlg.ButtonAt(i).EnableWindow((rights & kRightFrontEndPtz) != 0);
  if (m_devicePanel.m_hWnd) m_devicePanel.FollowRights();
}

// ------------------------------------------------------------- snapshot

CString CMainDlg::MakeSnapshotPath(const char* address, int channel) {
  shell::SnapshotSeams seams;
  if (m_snapshotSeams) {
    seams = m_snapshotSeams();
  } else {
    seams.presentDrives = LogicalDrives();
    seams.recordDiskMask = m_settings.recordDiskMask;
    seams.failedDiskMask = FailedDiskMask();
    seams.freeMB = [](const std::string& root) { return record::GetDiskFreeMB(root.c_str()); };
    seams.createFolder = [](const std::string& dir) {
      return ::CreateDirectoryA(dir.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
    };
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    seams.now = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, int(::GetTickCount() % 1000)};
  }
  return shell::MakeSnapshotPath(seams, address ? address : "", channel).c_str();
}

void CMainDlg::OnSnapshot() {
  if (!shell::WindowListModel::IsValid(m_currentWindow)) return;
  shell::WindowList& w = m_windows[m_currentWindow];
  int handle = w.showsMainStream ? w.mainHandle.load() : w.subHandle.load();
  if (!w.showsChannel || !handle) return;
  const shell::ChannelSlot* slot = m_channels.At(w.CurrentSlot());
  const shell::DeviceRecord* d = slot ? slot->device.load() : nullptr;
  if (!d) return;
  CString path = MakeSnapshotPath(d->address, slot->channel);
  if (path.IsEmpty()) return;
  char buf[255] = {};
  CopyText(buf, path);
  NET_Snapshot(handle, buf);
}

// ------------------------------------------------------------- look-ups

shell::DeviceRecord* CMainDlg::FindDeviceByLoginId(int loginId) {
  int i = FindDeviceIndexByLoginId(loginId);
  return i < 0 ? nullptr : &m_config->devices[i];
}

int CMainDlg::FindDeviceIndexByLoginId(int loginId) {
  if (loginId <= 0) return -1;
  for (int i = 0; i < 36; ++i)
    if (m_config->devices[i].loginId == uint32_t(loginId)) return i;
  return -1;
}

int CMainDlg::GetWindowCount() const { return shell::SplitWindowCount(m_splitLayout); }

int CMainDlg::GetWindowChannel(int window) const { return m_windows.CurrentSlot(window); }

int CMainDlg::GetChannelState(int kind, int index) {
  if (kind == 0) return shell::WindowListModel::IsValid(index) && m_windows[index].showsChannel ? 1 : 0;
  const shell::ChannelSlot* s = m_channels.At(index);
  if (!s) return 0;
  switch (kind) {
    case 1: return s->recording ? 1 : 0;
    case 3: return s->thirdFlag ? 1 : 0;
    case 4: return s->manualAlarm ? 1 : 0;
    default: return 0;
  }
}

void CMainDlg::SetChannelState(int kind, int index, BOOL on) {
  // Slots are not compacted when a device goes: any of the 64 may be used.
  int count = kind == 0 ? GetWindowCount() : shell::kChannelSlots;
  if (index < 0 || index >= count) return;
  if (kind == 0) {
    if (on) OpenWindowVideo(index);
    else CloseWindowVideo(index);
    return;
  }
  shell::ChannelSlot* s = m_channels.At(index);
  if (!s) return;
  if (kind == 1) {
    if (on) {
      if (!StartRecord(index, 1, 0)) return;
      s->manualRecord = 1;
      m_config->channels[index].manualRecord = 1;
    } else {
      StopRecord(index);
      s->manualRecord = 0;
      m_config->channels[index].manualRecord = 0;
    }
    UpdateRecordMark(index);
  } else if (kind == 4) {
    if (!s->InUse()) return;
    s->manualAlarm = on ? 1 : 0;
    m_config->channels[index].manualAlarm = on ? 1 : 0;
    if (m_statusBar.m_hWnd) m_statusBar.SetChannelState(4, index, on ? 1 : 0);
  }
}

void CMainDlg::SelectMonitorWindow(int window) {
  if (!shell::WindowListModel::IsValid(window)) return;
  int old = m_currentWindow;
  m_currentWindow = window;
  if (m_hWnd) {
    CClientDC dc(this);
    int lines = m_skin.lineWidth - 1;
    if (old != window) DrawWindowFrame(dc, old, m_skin.lineColor, lines);
    DrawWindowFrame(dc, window, m_skin.lineFocusColor, lines);
  }
  // The colour panel asks the channel's device for its present colours;
  // the reply fills it.
  const shell::ChannelSlot* s = m_channels.At(m_windows.CurrentSlot(window));
  const shell::DeviceRecord* d = s && s->InUse() ? s->device.load() : nullptr;
  if (!d || !d->address[0]) return;
  shell::UdpDatagram get = shell::BuildSensorGet(uint8_t(s->channel.load()));
  SendUdpCommand(get.data(), int(get.size()), d->address, shell::kUdpCommandPort);
}

// ------------------------------------------------------------- commands

void CMainDlg::OnSettings() { m_frontEndSettings.DoModal(); }

void CMainDlg::OnPlayback() {
  if (!m_playback) {
    m_playback = std::make_unique<CRecordPlaybackDlg>(this);
    m_playback->m_onShown = [this](bool shown) { m_playbackVisible = shown; };
  }
  m_playback->ShowPlayback(this);
}


void CMainDlg::OnChangeLanguage(UINT id) { ChangeLanguageCommand(m_programDir + "Corvel.ini", id); }

void CMainDlg::OnChangeUser() {
  CLoginDlg login(this);
  login.SetProgramDirectory(m_programDir);
  login.SetCheckOnly(m_pConfig);
  if (login.DoModal() != IDOK) return;
  ChangeCurrentUser(login.GetUserIndex());
}

void CMainDlg::ChangeCurrentUser(int index) {
  if (index < 0 || index >= 32 || !m_pConfig->users[index].inUse) return;
  const shell::LocalUserRecord& record = m_pConfig->users[index];
  if (index == m_userIndex && strcmp(record.name, m_user.name) == 0) return;
  SetLoggedInUser(index, record);
  ::SetCurrentUser(m_pConfig, index);
  EnableRightsControls();
  BuildMainMenu();
  CString line;
  line.Format("%s %s %s", TranslateString("Change User").GetString(), m_user.name,
              TranslateString("Login Successfully!").GetString());
  AddLog(line);
}

void CMainDlg::SetWindowListRecord(int window, BOOL on) {
  const shell::WindowList* w = m_windows.At(window);
  if (!w) return;
  int n = w->Count();
  for (int i = 0; i < n; ++i) {
    int slot = w->At(i);
    if (!m_channels.At(slot) || !m_channels[slot].InUse()) break;
    BOOL manual = m_channels[slot].manualRecord ? TRUE : FALSE;
    if (on && !manual) SetChannelState(1, slot, TRUE);
    else if (!on && manual) SetChannelState(1, slot, FALSE);
  }
}

void CMainDlg::OnLoginCheck() {
  CLoginDlg login(this);
  login.SetProgramDirectory(m_programDir);
  login.SetCheckOnly(m_pConfig);
  if (login.DoModal() != IDOK) return;
  int index = login.GetUserIndex();
  CString line;
  line.Format("%s %s", m_pConfig->users[index].name, TranslateString("Login Successfully!").GetString());
  AddLog(line);
  m_loadLastConnectStatus = TranslatedMessageBox(this, "Would you like to load last connect status?", nullptr,
                                                 MB_YESNO | MB_ICONQUESTION) == IDYES;
  if (m_loadLastConnectStatus) m_savedStateFlag = TRUE;
  // The users only: connected devices keep their state and login ids.
  ReloadUsers();
  ChangeCurrentUser(index);
  EnableRightsControls();
  m_currentWindow = 0;
  ArrangeSplitLayout();
  Invalidate(FALSE);
  // Yes: the channels and windows of the last close come back (the
  // devices logged in now are looked up again, then their saved channels
  // play in their saved windows). No: the operator picks devices in
  // "Connect Server".
  if (m_loadLastConnectStatus) {
    SetStartUpMode(TRUE);
    ApplyMonitoringChannels();
  } else {
    OnConnectServer();
  }
}

void CMainDlg::OnToggleStatusStrips() {
  m_statusStrips = !m_statusStrips;
  for (CMonitorWnd& w : m_monitors)
    if (w.m_hWnd) w.ShowStatusStrip(m_statusStrips);
}

void CMainDlg::OnShowStatusBar() {
  m_statusBar.SetMode(0);
  m_statusBar.ShowWindow(SW_SHOW);
}

void CMainDlg::OnShowLocalLog() { m_localLogDlg.ShowWindow(SW_SHOW); }
void CMainDlg::OnShowRemoteLog() { m_remoteLogDlg.ShowWindow(SW_SHOW); }
void CMainDlg::OnShowDiskErrors() { m_diskErrorDlg.ShowWindow(SW_SHOW); }
void CMainDlg::OnShowRemoteDiskErrors() { m_remoteDiskErrorDlg.ShowWindow(SW_SHOW); }

void CMainDlg::OnShowStatistics() {
  m_statisticDlg.ShowWindow(SW_SHOW);
  m_statisticDlg.RefreshList();
}

void CMainDlg::OnUserManagement() {
  CLocalUserManageDlg dlg(this);
  dlg.SetImage(m_pConfig, m_programDir);
  dlg.DoModal();
}

void CMainDlg::OnConnectionInfo() {
  CConnectionInfoDlg dlg(this);
  dlg.DoModal();
}

const shell::DeviceRecord* CMainDlg::GetSlotDevice(int slot, uint32_t* channel) {
  const shell::ChannelSlot* s = m_channels.At(slot);
  const shell::DeviceRecord* d = s ? s->device.load() : nullptr;
  if (d && channel) *channel = uint32_t(s->channel.load());
  return d;
}

CString CMainDlg::GetRecordFilePath(int slot) {
  if (!m_recordWriter || !m_channels.At(slot)) return CString();
  return m_recordWriter->FileState(slot).path.c_str();
}

BOOL CMainDlg::ReloadUsers() {
  auto fresh = std::make_unique<shell::SystemConfigImage>();
  if (!shell::LoadSysConfig(*fresh, m_programDir)) return FALSE;
  memcpy(m_config->users, fresh->users, sizeof m_config->users);
  m_config->savePassword = fresh->savePassword;
  m_config->autoLogin = fresh->autoLogin;
  memcpy(m_config->savedUser, fresh->savedUser, sizeof m_config->savedUser);
  memcpy(m_config->savedPassword, fresh->savedPassword, sizeof m_config->savedPassword);
  return TRUE;
}

void CMainDlg::OnToggleVideo() {
  int w = m_currentWindow;
  SetChannelState(0, w, !GetChannelState(0, w));
}

void CMainDlg::OnToggleRecord() {
  int slot = GetWindowChannel(m_currentWindow);
  if (const shell::ChannelSlot* s = m_channels.At(slot)) SetChannelState(1, slot, !s->manualRecord);
}

void CMainDlg::OnToggleAlarm() {
  int slot = GetWindowChannel(m_currentWindow);
  SetChannelState(4, slot, !GetChannelState(4, slot));
}

void CMainDlg::OnPollPause() {
  if (shell::WindowList* w = m_windows.At(m_currentWindow)) w->pollingPaused = w->pollingPaused ? 0 : 1;
}

void CMainDlg::TogglePtzChannelFlag() {
  shell::WindowList* w = m_windows.At(m_currentWindow);
  if (!w || !w->showsChannel) return;
  if (w->Count() > 1 && !w->pollingPaused) {
    TranslatedMessageBox(this, "Please pause polling first!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  int slot = w->CurrentSlot();
  if (shell::ChannelTable::IsValid(slot)) m_ptzFlags[slot] = m_ptzFlags[slot] ? 0 : 1;
}

LRESULT CMainDlg::OnPostedBox(WPARAM, LPARAM record) { return ShowPostedMessageBox(this, record); }

LRESULT CMainDlg::OnMonitorWndMouse(WPARAM wParam, LPARAM) {
  int window = int(HIWORD(wParam));
  if (!shell::WindowListModel::IsValid(window)) return 0;
  switch (LOWORD(wParam)) {
    case WM_LBUTTONDOWN:
      SelectMonitorWindow(window);
      LoadWindowColours(window);
      break;
    case WM_RBUTTONDOWN:
      SelectMonitorWindow(window);
      break;
    case WM_LBUTTONDBLCLK:
      if (window == m_currentWindow) ToggleSingleWindow();
      break;
  }
  return 0;
}

LRESULT CMainDlg::OnRecordMark(WPARAM slot, LPARAM) {
  UpdateRecordMark(int(slot));
  ShowRecordLamp(int(slot), GetChannelState(1, int(slot)) != 0);
  return 0;
}

LRESULT CMainDlg::OnDeviceLost(WPARAM wParam, LPARAM) {
  // Only a login id this dialog handed out names a device: any other value
  // (SDK login ids start at 1) is dropped.
  shell::DeviceRecord* d = FindDeviceByLoginId(int(wParam));
  if (!d) return 0;
  d->state = 1;  // reconnecting; the resolver looks its name up
  // Its login id no longer names it, and its channel blocks go: the next
  // login gives it fresh ones.
  d->loginId = 0;
  shell::FreeChannelBlocks(*d);
  return 0;
}

LRESULT CMainDlg::OnDeviceMessage(WPARAM wParam, LPARAM lParam) {
  // wParam 2002: a channel's settings block for the settings dialog.
  return RouteDeviceMessage(wParam, lParam);
}

