// The main dialog: construction, start-up, painting and the close.
#include "analog_output_dlg.h"
#include "emap_dlg.h"
#include "main_dlg.h"
#include "main_dlg_record_host.h"
#include "RecordPlaybackDlg.h"

#include "alarm_upload_dlg.h"
#include "alarm_video_dlg.h"
#include "app_services.h"
#include "app_state.h"
#include "config_store.h"
#include "core/Orvik.h"
#include "helpers.h"
#include "preview_plan_dlg.h"
#include "settings.h"
#include "start_logo_dlg.h"
#include "window_layout.h"

namespace {

void CALLBACK InfoCallback(int, int, int) {}

}  // namespace

BEGIN_MESSAGE_MAP(CMainDlg, CMainDlgBase)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_DESTROY()
  ON_WM_ERASEBKGND()
  ON_WM_TIMER()
  ON_WM_CLOSE()
  ON_WM_SIZE()
  ON_WM_GETMINMAXINFO()
  ON_COMMAND(1000, OnNothing)
  ON_COMMAND(2027, OnNothing)
  ON_COMMAND(2029, OnNothing)
  ON_COMMAND_RANGE(2039, 2052, OnNothingRange)
  ON_COMMAND(2054, OnNothing)
  ON_COMMAND_RANGE(2056, 2063, OnNothingRange)
  ON_COMMAND(ID_MAIN_SETTINGS, OnSettings)
  ON_COMMAND(ID_MAIN_PLAYBACK, OnPlayback)
  ON_COMMAND(ID_MAIN_SNAPSHOT, OnSnapshotCommand)
  ON_COMMAND(ID_MAIN_EXIT_SYSTEM, OnExitSystem)
  ON_COMMAND_RANGE(ID_MAIN_SPLIT_4, ID_MAIN_SPLIT_1, OnSplitCommand)
  ON_COMMAND(ID_MAIN_CHANGE_USER, OnChangeUser)
  ON_COMMAND_RANGE(ID_MAIN_LANGUAGE_FIRST, ID_MAIN_LANGUAGE_LAST, OnChangeLanguage)
  ON_COMMAND(ID_MAIN_ABOUT, OnAbout)
  ON_COMMAND(ID_MAIN_TOGGLE_VIDEO, OnToggleVideo)
  ON_COMMAND(ID_MAIN_TOGGLE_RECORD, OnToggleRecord)
  ON_COMMAND(ID_MAIN_TOGGLE_ALARM, OnToggleAlarm)
  ON_COMMAND(ID_MAIN_LOGIN_CHECK, OnLoginCheck)
  ON_COMMAND(ID_MAIN_STATUS_STRIPS, OnToggleStatusStrips)
  ON_COMMAND(ID_MAIN_POLL_PAUSE, OnPollPause)
  ON_COMMAND(ID_MAIN_SOUND, OnToggleWindowSound)
  ON_COMMAND(ID_MAIN_PTZ_PRESET, OnPtzPreset)
  ON_COMMAND(ID_MAIN_MONITOR_CHANNELS, OnMonitoringChannels)
  ON_COMMAND(ID_MAIN_PTZ_FLAG, TogglePtzChannelFlag)
  ON_COMMAND(ID_MAIN_FULL_SCREEN, OnFullScreen)
  ON_MESSAGE(WM_MAIN_STATUSBAR_HIDE, OnStatusBarHide)
  ON_MESSAGE(WM_MAIN_LEAVE_FULLSCREEN, OnLeaveFullScreen)
  ON_MESSAGE(WM_POST_MESSAGE_BOX, OnPostedBox)
  ON_COMMAND(ID_MAIN_EMAP, OnEmap)
  ON_COMMAND(ID_MAIN_VIDEO_CARD, OnVideoCard)
  ON_COMMAND(ID_MAIN_LOCAL_LOG, OnShowLocalLog)
  ON_COMMAND(ID_MAIN_REMOTE_LOG, OnShowRemoteLog)
  ON_COMMAND(ID_MAIN_STATISTICS, OnShowStatistics)
  ON_COMMAND(ID_MAIN_DISK_ERRORS, OnShowDiskErrors)
  ON_COMMAND(ID_MAIN_REMOTE_DISK_ERRORS, OnShowRemoteDiskErrors)
  ON_COMMAND(ID_MAIN_USER_MANAGEMENT, OnUserManagement)
  ON_COMMAND(ID_MAIN_REMOTE_CONN_INFO, OnConnectionInfo)
  ON_COMMAND(ID_MAIN_STATUS_BAR, OnShowStatusBar)
  ON_COMMAND(ID_MAIN_POLLING_SETTINGS, OnPollingSettings)
  ON_COMMAND(ID_MAIN_STORAGE_SETTINGS, OnStorageSettings)
  ON_COMMAND(ID_MAIN_ALARM_SETTINGS, OnAlarmSettings)
  ON_COMMAND(ID_MAIN_WORK_PLAN, OnWorkPlan)
  ON_COMMAND(ID_MAIN_RECORD_PLANS, OnWorkPlan)
  ON_COMMAND(ID_MAIN_CONNECT_SERVER, OnConnectServer)
  ON_COMMAND(ID_MAIN_PREVIEW_PLANS, OnPreviewPlans)
  ON_COMMAND(ID_MAIN_ALARM_UPLOAD, OnAlarmUpload)
  ON_MESSAGE(WM_MONITOR_MOUSE, OnMonitorWndMouse)
  ON_MESSAGE(WM_MAIN_DEVICE_LOST, OnDeviceLost)
  ON_MESSAGE(WM_MAIN_DEVICE_MESSAGE, OnDeviceMessage)
  ON_MESSAGE(WM_MAIN_PTZ_BUTTON, OnPtzButton)
  ON_MESSAGE(WM_MAIN_RECORD_MARK, OnRecordMark)
  ON_MESSAGE(WM_UDP_PACKET, OnUdpPacket)
END_MESSAGE_MAP()

CMainDlg::CMainDlg(CWnd* parent)
    : CMainDlgBase(IDD, parent),
      m_frontEndSettings(this),
      m_switchMode(this, this),
      m_statusBar(this, this),
      m_config(std::make_unique<shell::SystemConfigImage>()),
      m_plans(std::make_unique<shell::PlanImage>()) {
  memset(m_config.get(), 0, sizeof *m_config);
  memset(m_plans.get(), 0, sizeof *m_plans);
  m_pConfig = m_config.get();
  m_programDir = g_strAppDir.IsEmpty() ? GetModuleDirectory() : g_strAppDir;
  m_hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(128));
  m_stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_channels.ClearAll();
  CreateRecording();
  CreateStreams();
  m_sdkPlay.playVideo = NET_PlayVideoStream;
  m_sdkPlay.audioDecode = NET_AudioDecode;
  m_udpReceivers.Add(this);
  g_pMainDlg = this;
}

CMainDlg::~CMainDlg() {
  StopWorkers();
  m_recordWriter.reset();
  if (m_stopEvent) ::CloseHandle(m_stopEvent);
  if (g_pMainDlg == this) g_pMainDlg = nullptr;
}

void CMainDlg::DoDataExchange(CDataExchange* dx) { CMainDlgBase::DoDataExchange(dx); }

void CMainDlg::SetLoggedInUser(int index, const shell::LocalUserRecord& record) {
  m_userIndex = index;
  m_user = record;
}

void CMainDlg::AddLog(const CString& line) { AddLocalLog(line, FALSE, FALSE); }

// ------------------------------------------------------------- start-up

UINT CMainDlg::SplashThreadProc(LPVOID param) {
  auto* self = static_cast<CMainDlg*>(param);
  {
    CStartLogoDlg dlg;
    if (dlg.Create(CStartLogoDlg::IDD, nullptr)) {
      self->m_splashHwnd = dlg.m_hWnd;
      self->m_pSplash = &dlg;
      MSG msg;
      while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageA(dlg.m_hWnd, &msg)) {
          ::TranslateMessage(&msg);
          ::DispatchMessageA(&msg);
        }
      }
      self->m_pSplash = nullptr;
      if (dlg.m_hWnd) dlg.DestroyWindow();
    }
  }
  ::InterlockedExchange(&self->m_splashGone, 1);
  return 0;
}

void CMainDlg::StartSplash() {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s || !FileExists(s->folderPath + "StartLogo.bmp")) return;
  m_splashGone = 0;
  if (!m_splashThread.Start(SplashThreadProc, this)) return;
  m_splashRan = TRUE;
  // Bounded: a splash that never shows does not hold the start-up.
  DWORD start = ::GetTickCount();
  while (!m_pSplash && !m_splashGone && ::GetTickCount() - start < 5000) ::Sleep(10);
}

void CMainDlg::CloseSplash() {
  if (!m_splashRan) return;
  if (CStartLogoDlg* splash = m_pSplash) {
    splash->SetProgress(100);
    ::Sleep(500);
    ::PostMessageA(m_splashHwnd, WM_CLOSE, 0, 0);
  }
  DWORD start = ::GetTickCount();
  while (!m_splashGone && ::GetTickCount() - start < 5000) ::Sleep(10);
  // A splash thread that did not leave in time is told to quit and waited
  // for: its dialog lives on its stack.
  m_splashThread.Join(0, [this] { ::PostThreadMessageA(m_splashThread.ThreadId(), WM_QUIT, 0, 0); });
  m_splashHwnd = nullptr;
  m_splashRan = FALSE;
}

BOOL CMainDlg::OnInitDialog() {
  CMainDlgBase::OnInitDialog();
  SetWindowText(TranslateString("Dravenor"));
  TranslateDialog(this);

  char about[128] = {};
  if (::LoadStringA(AfxGetResourceHandle(), IDS_ABOUTBOX, about, sizeof about) > 0 && m_SystemNewMenu.m_hMenu) {
    m_SystemNewMenu.AppendMenu(MF_SEPARATOR);
    m_SystemNewMenu.AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
  }
  if (m_hIcon) {
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
  }
  ModifyStyle(0, WS_SYSMENU);

  SetMessageBoxWindow(m_hWnd);
  StartSplash();

  if (!GetCurrentSolution()) {
    CloseSplash();
    TranslatedMessageBox(this, "Load resource failed! Please reinstall the Web Control!", "FATAL ERROR",
                         MB_OK | MB_ICONERROR);
    EndDialog(IDCANCEL);
    return TRUE;
  }

  m_font.CreateFont(15, 0, 0, 0, FW_DONTCARE, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, 66, nullptr);
  SetFont(&m_font);

  if (!LoadConfiguration()) {
    CloseSplash();
    EndDialog(IDCANCEL);
    return TRUE;
  }

  SetTimer(kTimerPolling, UINT(m_settings.pollInterval) * 1000);
  BuildMainMenu();
  ComputeVideoArea();
  ArrangeWindows(m_layoutKind, m_currentWindow);

  StartWorkers();
  SetTimer(kTimerRecordSchedule, 10000);
  m_mediaTimer.Start(5);

  CloseSplash();

  BringWindowToTop();
  SetForegroundWindow();
  ShowWindow(SW_SHOWMAXIMIZED);

  CString line;
  line.Format("%s %s", m_user.name, TranslateString("Login Successfully!").GetString());
  AddLog(line);

  NET_Init();
  NET_SetInfoCallBack(InfoCallback, static_cast<CMainDlgFace*>(this));
  return TRUE;
}

BOOL CMainDlg::LoadMainSkin() {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s) return FALSE;
  m_skin = ReadMainSkin(*s);
  g_skinBackColor = m_skin.backColor;
  auto load = [](const CString& path, CBitmap& out) {
    out.DeleteObject();
    if (!path.IsEmpty() && LoadDibFile(path, out, FALSE)) return TRUE;
    CString text;
    text.Format("%s: %s %s!", TranslateString("Load background image").GetString(), path.GetString(),
                TranslateString("failed").GetString());
    ComposedMessageBox(nullptr, text, "FATAL ERROR", MB_OK | MB_ICONERROR);
    return FALSE;
  };
  for (int i = 0; i < 4; ++i)
    if (!load(m_skin.toolBarImages[i], m_toolBarPics[i])) return FALSE;
  if (!load(m_skin.titleImage, m_titlePic)) return FALSE;
  m_logoPic.DeleteObject();
  if (!m_skin.logoImage.IsEmpty()) LoadDibFile(m_skin.logoImage, m_logoPic, FALSE);
  return TRUE;
}

BOOL CMainDlg::LoadConfiguration() {
  if (!shell::LoadSysConfig(*m_config, m_programDir)) return FALSE;
  if (!LoadMainSkin()) return FALSE;
  SetTimer(kTimerWatchdog, 1000);
  CreateTopButtons();
  // Member dialogs, hidden until their commands show them.
  CreatePreviewPlans();
  m_localLogDlg.Create(CLocalLogDlg::IDD, this);
  m_statisticDlg.SetSource(this);
  m_statisticDlg.Create(CStatisticReportDlg::IDD, this);
  m_diskErrorDlg.Create(CDiskErrorDlg::IDD, this);
  m_remoteLogDlg.Create(CRemoteLogDlg::IDD, this);
  m_remoteDiskErrorDlg.Create(CRemoteDiskErrorDlg::IDD, this);
  m_switchMode.Create(CSwitchModeDlg::IDD, this);
  m_statusBar.Create(CSystemStatusBar::IDD, this);
  CreateAlarmDialogs();
  m_sideColumn.ptz = &m_ptzDlg;
  m_sideColumn.colour = &m_colorDlg;
  m_sideColumn.plan = &m_planDlg;
  m_sideColumn.setDeviceExpanded = [this](int state) { m_deviceExpanded = state; };
  m_sideColumn.layout = [this] { LayoutSidePanels(); };
  m_ptzDlg.SetColumn(&m_sideColumn);
  m_colorDlg.SetColumn(&m_sideColumn);
  m_planDlg.SetColumn(&m_sideColumn);
  m_ptzDlg.Create(CPtzDlgEx::IDD, this);
  m_colorDlg.Create(CColorDlg::IDD, this);
  m_planDlg.Create(CPlanDlg::IDD, this);
  m_presetDlg.Create(CSetPresetDlg::IDD, this);
  CreateMonitorWindows();
  LoadCorvelSettings(m_programDir + "Corvel.ini", m_settings);
  m_recordDisks->SetRecordDiskMask(m_settings.recordDiskMask);
  m_autoWorkPlan = m_config->workPlanEnabled ? TRUE : FALSE;
  // The panels made above follow the user's rights as the tool bar does.
  EnableRightsControls();
  return TRUE;
}

void CMainDlg::CreateMonitorWindows() {
  if (m_windowsCreated) return;
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    CMonitorWnd& m = m_monitors[w];
    m.SetBackColor(m_skin.monBackColor);
    m.SetNotifyTarget(this);
    m.SetPanel(&m_devicePanel);
    m.Create(w, WS_CHILD, CRect(0, 0, 0, 0), this, IDC_MAIN_MONITOR_FIRST + w);
  }
  m_devicePanel.AttachMonitors(m_monitors);
  m_devicePanel.SetPanelMetrics(m_skin.leftDlgWidth, 0);
  m_devicePanel.Create(CDeviceDlg::IDD, this);
  m_windowsCreated = TRUE;
}

void CMainDlg::StartWorkers() {
  ::InterlockedExchange(&m_stopFlag, 0);
  ::ResetEvent(m_stopEvent);
  m_recordWriter->StartThread();
  m_resolverThread.Start(ResolverThreadProc, this);
  m_udpThread.Start(UdpThreadProc, this);
}

void CMainDlg::StopWorkers() {
  ::InterlockedExchange(&m_stopFlag, 1);
  if (m_stopEvent) ::SetEvent(m_stopEvent);
  // Each thread is waited for until it has left: what it uses is freed
  // only afterwards. One that is still inside a system call after 5 s is
  // woken again (its socket closed, its event set).
  auto wake = [this] {
    ::SetEvent(m_stopEvent);
    m_udp.RequestStop();
  };
  StopStreams();
  StopRecordWriter();
  m_resolverThread.Join(5000, wake);
  m_udpThread.Join(5000, wake);
  m_udp.CloseSocket();
  m_mediaTimer.Stop();
}

// ------------------------------------------------------------- painting

void CMainDlg::OnSysCommand(UINT id, LPARAM l) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) OnAbout();
  else CMainDlgBase::OnSysCommand(id, l);
}

HCURSOR CMainDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

void CMainDlg::DrawWindowFrame(CDC& dc, int w, COLORREF color, int lines) {
  if (!shell::WindowListModel::IsValid(w) || !m_monitors[w].m_hWnd || !m_monitors[w].IsWindowVisible()) return;
  CRect r;
  m_monitors[w].GetWindowRect(&r);
  ScreenToClient(&r);
  CBrush brush(color);
  for (int i = 0; i < lines; ++i) {
    r.InflateRect(1, 1);
    dc.FrameRect(&r, &brush);
  }
}

void CMainDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (IsIconic()) {
    if (m_hIcon) {
      int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
      ::DrawIcon(dc.m_hDC, (client.Width() - cx + 1) / 2, (client.Height() - cy + 1) / 2, m_hIcon);
    }
    return;
  }
  dc.FillSolidRect(&client, m_skin.backColor);
  if (!m_fullScreen) {
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    int titleRight = client.right;
    if (m_logoPic.m_hObject) {
      BITMAP bm{};
      m_logoPic.GetBitmap(&bm);
      titleRight = client.right - 175;
      CBitmap* old = mem.SelectObject(&m_logoPic);
      dc.BitBlt(titleRight, 0, bm.bmWidth, bm.bmHeight, &mem, 0, 0, SRCCOPY);
      mem.SelectObject(old);
    }
    if (m_titlePic.m_hObject) {
      BITMAP bm{};
      m_titlePic.GetBitmap(&bm);
      CBitmap* old = mem.SelectObject(&m_titlePic);
      dc.StretchBlt(0, 0, titleRight, bm.bmHeight, &mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
      mem.SelectObject(old);
    }
  }
  dc.FillSolidRect(&m_videoArea, RGB(0, 0, 0));
  int g = m_skin.lineWidth;
  for (int w = 0; w < shell::kMonitorWindows; ++w) {
    if (!m_monitors[w].m_hWnd || !m_monitors[w].IsWindowVisible()) continue;
    m_monitors[w].SetBackColor(m_skin.monBackColor);
    DrawWindowFrame(dc, w, m_skin.lineColor, g);
  }
  if (shell::SplitWindowCount(m_splitLayout) > 0) DrawWindowFrame(dc, m_currentWindow, m_skin.lineFocusColor, g - 1);
}

void CMainDlg::RedrawVideoArea() {
  if (m_hWnd) InvalidateRect(nullptr, FALSE);
}

// ---------------------------------------------------------------- close

void CMainDlg::OnCancel() {
  // Esc never closes the main window; it only leaves full screen.
  if (m_fullScreen) ToggleFullScreen();
}

void CMainDlg::OnClose() { OnCloseSystem(); }

void CMainDlg::SaveLiveState() {
  m_channels.SaveTo(*m_config);
  m_windows.SaveTo(*m_config);
  m_config->splitLayout = uint32_t(m_splitLayout);
  SaveConfig();
}

BOOL CMainDlg::SaveConfig() { return shell::SaveSysConfig(*m_config, m_programDir); }

void CMainDlg::OnCloseSystem() {
  if (m_closing) return;
  if (!CheckUserRight(kRightLocalCloseSystem, "You have no power to close system!")) return;
  m_config->workPlanEnabled = m_autoWorkPlan ? 1 : 0;
  if (m_savedStateFlag) SaveLiveState();
  if (TranslatedMessageBox(this, "Are you sure you want to close this system?", "WARNING",
                           MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  m_closing = TRUE;
  // The windows as they are now come back at the next start.
  if (m_previewPlanDlg) m_previewPlanDlg->SaveLastPlayPlan();
  m_mediaTimer.Stop();
  ReleaseCard();
  // Talkback ends with the panel's talkback slot.
  if (m_talkbackActive && m_devicePanel.m_hWnd) m_devicePanel.EndTalkback();
  m_talkbackActive = FALSE;
  for (int w = 0; w < shell::kMonitorWindows; ++w)
    if (m_windows[w].showsChannel) CloseWindowVideo(w);
  // Record files get their final headers before the writer stops.
  for (int s = 0; s < shell::kChannelSlots; ++s)
    if (m_channels[s].recording) StopRecord(s);
  for (shell::DeviceRecord& d : m_config->devices) {
    if (d.state == 0 || d.state == 1) continue;
    if (d.loginId) NET_LogOut(int(d.loginId));
    d.state = 0;
    d.loginId = 0;
  }
  KillTimer(kTimerWatchdog);
  KillTimer(kTimerRecordSchedule);
  KillTimer(kTimerPolling);
  StopWorkers();
  NET_Cleanup();
  EndDialog(IDCANCEL);
}

void CMainDlg::OnDestroy() {
  SetMessageBoxWindow(nullptr);
  if (m_playback && m_playback->GetSafeHwnd()) m_playback->DestroyWindow();
  KillTimer(kTimerWatchdog);
  KillTimer(kTimerRecordSchedule);
  KillTimer(kTimerPolling);
  CMainDlgBase::OnDestroy();
}
