// The client's main window and hub. Only the application and the main
// dialog's own files include this header; features use main_dlg_face.h.
//
// The implementation is split by concern:
//   main_dlg.cpp          construction, start-up, painting, close
//   main_dlg_layout.cpp   sizes, side panels, monitor-window layouts
//   main_dlg_timers.cpp   timers 101-103 and the stream watchdog
//   main_dlg_commands.cpp menu, tool bar, snapshot, commands, channel state
//   main_dlg_udp.cpp      the UDP command socket and its listener thread
//   main_dlg_stream.cpp   streams, window video and recording entries
//   main_dlg_card.cpp     the electronic map and the video-output card
#pragma once
#include <afxwin.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "FrontEndSettingsDlg.h"
#include "NewDialog.h"
#include "SkinButton.h"
#include "SystemStatusBar.h"
#include "color_dlg.h"
#include "ptz_dlg.h"
#include "language.h"
#include "log_dlgs.h"
#include "statistic_dlg.h"
#include "switch_mode_dlg.h"
#include "window_layout.h"
#include "main_dlg_face.h"
#include "main_dlg_ids.h"
#include "media_timer.h"
#include "device_dlg.h"
#include "play_wnd.h"
#include "snapshot_path.h"
#include "RecordFrameBuilder.h"
#include "stream_core.h"
#include "stream_delivery.h"
#include "udp_channel.h"
#include "udp_receivers.h"
#include "worker_thread.h"

class CAnalogOutputDlg;
class CEMapDlg;

class CStartLogoDlg;
class CPreviewPlanDlg;
class CAlarmUploadDlg;
class CAlarmVideoDlg;
class CMonitorChannelListDlg;
class CLoadConfigDlg;
namespace shell {
class ChannelGroups;
}
class CMainRecordHost;
class CRecordPlaybackDlg;
namespace record {
class CFrameQueue;
class CRecordDisks;
class CRecordWriter;
}  // namespace record

// The main dialog's base: the skinned dialog base.
using CMainDlgBase = CNewDialog;

// One item of the main menu as the menu is described before it is built.
struct MainMenuItem {
  int level;          // 0 bar item, 1 its pop-up's item, 2 a sub-pop-up's item
  UINT id;            // 0 for a separator or a pop-up
  CString caption;    // English; translated when built
  bool popup;         // opens a pop-up (the following deeper items)
};
// The main menu for a user's rights and the interface solutions' language
// names (at most 11 are offered).
std::vector<MainMenuItem> DescribeMainMenu(DWORD rights, const std::vector<CString>& languages);

class CMainDlg : public CMainDlgBase,
                 public CMainDlgFace,
                 public IStatisticSource,
                 public CSwitchModeHost,
                 public CStatusBarHost,
                 public shell::UdpReceiver,
                 public shell::IStreamServices {
  friend class CMainRecordHost;

public:
  enum { IDD = IDD_MAIN_DIALOG };
  enum { kTimerWatchdog = 101, kTimerRecordSchedule = 102, kTimerPolling = 103 };
  enum { kMinTrackWidth = 900, kMinTrackHeight = 700 };

  explicit CMainDlg(CWnd* parent = nullptr);
  ~CMainDlg() override;

  // The logged-in user (index into the image's users) and its record; the
  // rights checks read the process-wide copy of its rights.
  void SetLoggedInUser(int index, const shell::LocalUserRecord& record);
  int CurrentUserIndex() const { return m_userIndex; }
  const shell::LocalUserRecord& CurrentUser() const { return m_user; }

  // ---- CMainDlgFace
  HWND GetMainHwnd() const override { return m_hWnd; }
  shell::DeviceRecord* FindDeviceByLoginId(int loginId) override;
  int FindDeviceIndexByLoginId(int loginId) override;
  int GetWindowCount() const override;
  int GetLayoutKind() const override { return m_layoutKind; }
  int GetWindowChannel(int window) const override;
  int GetCurrentWindow() const override { return m_currentWindow; }
  int GetChannelState(int kind, int index) override;
  void SetChannelState(int kind, int index, BOOL on) override;
  void SelectMonitorWindow(int window) override;
  void ArrangeWindows(int kind, int firstWindow) override;
  void ArrangePlanLayout(int kind) override;
  void SetSplitForCount(int count) override;
  BOOL OpenWindowVideo(int window) override;
  void CloseWindowVideo(int window) override;
  void OnSnapshot() override;
  void SetWindowListRecord(int window, BOOL on) override;
  int SendUdpCommand(const void* data, int length, const char* address, uint16_t port) override;
  void SendStreamStarted(const char* address, int port, int channel, int kind) override;
  void RestartStream(int slot, int window, int kind) override;
  int StartLiveStream(int loginId, int channel, int kind, int slot) override;
  int StopLiveStream(int loginId, int channel, int kind) override;
  BOOL StartRecord(int slot, int recordType, int preFrames) override;
  void StopRecord(int slot) override;
  BOOL SaveConfig() override;
  void SetWindowStatusText(int window, const char* text) override;
  void RefreshStatistics() override;

  // ---- layouts
  void ArrangeSplitLayout();
  void SetSplitMode(int kind, int firstWindow);
  void ToggleSingleWindow();
  void ToggleFullScreen();
  void ComputeVideoArea();
  void LayoutSidePanels();
  int SplitLayout() const { return m_splitLayout; }
  void SetSplitLayout(int split) { m_splitLayout = split; }
  int LayoutKind() const { return m_layoutKind; }
  int FirstWindow() const { return m_firstWindow; }
  BOOL IsFullScreen() const { return m_fullScreen; }
  BOOL IsSingleWindow() const { return m_singleWindow; }
  const CRect& VideoArea() const { return m_videoArea; }
  CMonitorWnd& Monitor(int w) { return m_monitors[w]; }
  CDeviceDlg& DevicePanel() { return m_devicePanel; }

  // ---- start-up and close
  BOOL LoadConfiguration();
  void BuildMainMenu();
  void OnCloseSystem();
  // SysCfg.dat read again for its users only: the devices keep their
  // connection state and login ids. FALSE when the file could not be read.
  BOOL ReloadUsers();
  void SaveLiveState();
  // Closes the system without the right check and the question (the
  // application's last resort when the dialog is destroyed another way).
  void StopWorkers();

  // After the login dialog's change of user: user `index` of the dialog's
  // image becomes current (rights copy included), the controls and menu
  // items that depend on rights follow, the local log tells.
  void ChangeCurrentUser(int index);
  // Command 2232 and the PTZ panel's Sit button.
  void TogglePtzChannelFlag() override;
  BOOL PtzChannelFlag(int slot) const override { return shell::ChannelTable::IsValid(slot) && m_ptzFlags[slot]; }
  void DevicePanelToggled(int state) override {
    m_deviceExpanded = state;
    LayoutSidePanels();
  }

  // The stream watchdog, one tick of timer 101.
  void RunWatchdog();
  // The record schedule, one tick of timer 102: files cut at their length,
  // the local work plan or the manual switches followed.
  void RunRecordSchedule();
  BOOL IsInWorkPlan(int slot, uint8_t detectionMask);
  // One polling step, one tick of timer 103.
  void PollStep();
  // The PTZ panel's buttons: mouse message 513 presses, 514 releases.
  LRESULT OnPtzButton(WPARAM mouseMessage, LPARAM buttonCode) override;
  void PtzStart(int buttonCode);
  void PtzStop(int buttonCode);
  // Sound of every channel of a window's list on or off (command 2229 for
  // the current window).
  void ToggleWindowSound(int window) override;
  BOOL WindowSound(int window) const { return shell::WindowListModel::IsValid(window) && m_windowSound[window]; }
  // Talkback bookkeeping of the device panel; no SDK call.
  void SetTalkbackActive(BOOL on) override { m_talkbackActive = on; }
  BOOL TalkbackActive() const { return m_talkbackActive; }
  void ResetWindowTalkback(int window) override;
  // The slot's record mark on its device-tree item and monitor window.
  void UpdateRecordMark(int slot) {
    if (m_devicePanel.m_hWnd) m_devicePanel.UpdateChannelRecordMark(slot);
  }
  // The slot's lamp of the status bar's record kind.
  void ShowRecordLamp(int slot, bool recording) {
    if (m_statusBar.m_hWnd) m_statusBar.SetChannelState(1, slot, recording ? 1 : 0);
  }
  afx_msg LRESULT OnRecordMark(WPARAM slot, LPARAM);
  void SetChannelTalkback(int slot, BOOL on) override;
  BOOL WindowTalkback(int window) const { return shell::WindowListModel::IsValid(window) && m_windowTalkback[window]; }
  // The clocks of the schedule and the record files (the system's when
  // empty); tests put their own here.
  std::function<uint32_t()> m_tickMs;
  std::function<SYSTEMTIME()> m_localTime;
  uint32_t TickMs() const;
  SYSTEMTIME LocalTimeNow() const;
  // Command 2213 and the start-up restore: the channel slots and the
  // windows' lists anew, from the monitoring channel list or (at start-up)
  // from the last configuration.
  void ApplyMonitoringChannels();
  BOOL StartUpMode() const { return m_startUpMode; }
  void SetStartUpMode(BOOL on) { m_startUpMode = on; }
  // Tests run the dialogs their own way (DoModal when empty).
  std::function<INT_PTR(CMonitorChannelListDlg&)> m_channelListHook;
  std::function<void(CLoadConfigDlg&)> m_loaderHook;
  // The side panels above the device panel (PTZ, colour, plan; at most one
  // expanded), and the preset dialog.
  CPtzDlgEx& PtzPanel() { return m_ptzDlg; }
  CColorDlg& ColourPanel() { return m_colorDlg; }
  CPlanDlg& PlanPanel() { return m_planDlg; }
  CSetPresetDlg& PresetDlg() { return m_presetDlg; }
  // The device panel's expanded state as the side panels set it.
  int DeviceExpanded() const { return m_deviceExpanded; }
  // The colour panel shows the colours of the current window's channel.
  void LoadWindowColours(int window);
  void SetWindowCaption(int window, const CString& text);
  // The snapshot path for a device address and channel on this machine.
  CString MakeSnapshotPath(const char* address, int channel);
  // What MakeSnapshotPath asks of the machine; tests replace it.
  std::function<shell::SnapshotSeams()> m_snapshotSeams;
  // The drives present, for snapshots and records (GetLogicalDrives when
  // empty); tests add drives the system does not list.
  std::function<uint32_t()> m_logicalDrives;
  uint32_t LogicalDrives() const { return m_logicalDrives ? m_logicalDrives() : ::GetLogicalDrives(); }

  // Where the dialog finds its files (the program folder by default).
  CString m_programDir;
  UINT m_udpPort = 8001;
  BOOL UdpBound() const { return m_udp.IsBound(); }
  CUdpCommandChannel& UdpChannel() { return m_udp; }
  void RegisterUdpReceiver(shell::UdpReceiver* receiver) override { m_udpReceivers.Add(receiver); }
  void UnregisterUdpReceiver(shell::UdpReceiver* receiver) override { m_udpReceivers.Remove(receiver); }

  // ---- live streams
  // The SDK's deliveries for a slot (user: the slot), on its worker threads.
  void OnMainStreamData(void* user, const uint8_t* data, int length, int streamType, int audioCodec);
  void OnSubStreamData(void* user, const uint8_t* data, int length, int streamType);
  // What window w plays, published for the stream threads (UI thread); call
  // after its shown slot, play handles or main/sub choice change.
  void PublishWindowRoute(int window) override;
  void PlayWindowFrame(int playHandle, const uint8_t* data, int length, int kind);
  void BuildRecordFrame(int slot, const uint8_t* data, int length, int streamType) override;
  // The video-output card's feed as a 40 ms media-timer task; mode 1 feeds,
  // 0 pauses.
  void StartCardFeed(BOOL mode) override;
  // The "Record Playback" window is visible: nothing plays live.
  std::atomic<bool> m_playbackVisible{false};
  // The SDK calls of live play and audio; tests put their own here.
  struct SdkPlayCalls {
    int(WINAPI* playVideo)(int handle, unsigned char* data, int length);
    int(WINAPI* audioDecode)(unsigned char* data, int length, int codec);
  };
  SdkPlayCalls m_sdkPlay;
  // Stream starts and stops (NET_StartRealPlay ... with the client's
  // callbacks); tests put their own here before the dialog starts.
  std::unique_ptr<shell::ISdkStreamControl> m_streamControl;
  shell::StreamCallbackCounts m_streamCounts;
  CLocalLogDlg& LocalLogDlg() { return m_localLogDlg; }
  CDiskErrorDlg& DiskErrorDlg() { return m_diskErrorDlg; }
  CStatisticReportDlg& StatisticDlg() { return m_statisticDlg; }

  CSwitchModeDlg& SwitchModePanel() { return m_switchMode; }
  CPreviewPlanDlg* PreviewPlans() { return m_previewPlanDlg.get(); }
  CSystemStatusBar& StatusBar() { return m_statusBar; }
  CSkinButton& ToolBarButton(int i) { return m_topButtons[i]; }
  BOOL WindowRecordFlag(int window) const { return shell::WindowListModel::IsValid(window) && m_windowRecord[window]; }

  // CSwitchModeHost
  void SetSplitMode(int mode) override;
  BOOL WindowShowsVideo(int window) override;
  void SetWindowRecordFlag(int window, BOOL on) override;
  void RefreshDevicePanel() override {
    if (m_devicePanel.m_hWnd) m_devicePanel.RebuildDeviceTree();
  }

  // CStatusBarHost (the channel states are the face's)
  int GetWindowCount() override { return shell::SplitWindowCount(m_splitLayout); }
  int GetChannelCount() override { return m_channels.UsedCount(); }
  int GetSecondChannelCount() override { return m_channels.UsedCount(); }

  // IStatisticSource
  int GetLogicalChannelCount() override { return m_channels.UsedCount(); }
  const shell::DeviceRecord* GetSlotDevice(int slot, uint32_t* channel) override;
  CString GetRecordFilePath(int slot) override;

  // Recording: the channel-table rebuild under the record lock, and the
  // drives the record writer gave up.
  void RebuildChannelTable();
  uint32_t FailedDiskMask() const;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override {}
  void OnCancel() override;

  afx_msg void OnSysCommand(UINT id, LPARAM l);
  afx_msg void OnPaint();
  afx_msg HCURSOR OnQueryDragIcon();
  afx_msg void OnDestroy();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnClose();
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* info);
  afx_msg void OnNothing() {}
  afx_msg void OnNothingRange(UINT) {}
  afx_msg void OnSettings();
  afx_msg void OnPlayback();
  afx_msg void OnSnapshotCommand() { OnSnapshot(); }
  afx_msg void OnExitSystem() { OnCloseSystem(); }
  afx_msg void OnSplitCommand(UINT id);
  afx_msg void OnChangeUser();
  afx_msg void OnChangeLanguage(UINT id);
  afx_msg void OnAbout();
  afx_msg void OnToggleVideo();
  afx_msg void OnToggleRecord();
  afx_msg void OnToggleAlarm();
  afx_msg void OnLoginCheck();
  afx_msg void OnFullScreen() { ToggleFullScreen(); }
  afx_msg void OnPollPause();
  afx_msg void OnEmap();
  afx_msg void OnVideoCard();
  // The close's part: the feed stops and a connected card is closed,
  // cleared and released.
  void ReleaseCard();
  afx_msg void OnShowLocalLog();
  afx_msg void OnShowRemoteLog();
  afx_msg void OnShowStatistics();
  afx_msg void OnShowDiskErrors();
  afx_msg void OnShowRemoteDiskErrors();
  afx_msg void OnUserManagement();
  afx_msg void OnConnectionInfo();
  afx_msg void OnShowStatusBar();
  // Command 2227: the status strip below the video of all 36 windows.
  afx_msg void OnToggleStatusStrips();
  // main_dlg_local.cpp
  afx_msg void OnPollingSettings();
  afx_msg void OnStorageSettings();
  afx_msg void OnAlarmSettings();
  afx_msg void OnWorkPlan();
  afx_msg void OnConnectServer();
  afx_msg void OnPreviewPlans();
  afx_msg void OnAlarmUpload();
  // The alarm view and its video pop-up, hidden, at start-up.
  void CreateAlarmDialogs();
  afx_msg LRESULT OnStatusBarHide(WPARAM, LPARAM);
  afx_msg LRESULT OnLeaveFullScreen(WPARAM, LPARAM);
  afx_msg LRESULT OnPostedBox(WPARAM, LPARAM);
  afx_msg LRESULT OnMonitorWndMouse(WPARAM, LPARAM);
  afx_msg LRESULT OnDeviceLost(WPARAM, LPARAM);
  afx_msg LRESULT OnDeviceMessage(WPARAM, LPARAM);
  afx_msg void OnToggleWindowSound();
  afx_msg void OnPtzPreset();

  // Start-up pieces.
  void StartSplash();
  void CloseSplash();
  BOOL LoadMainSkin();
  void CreateTopButtons();
  void CreateMonitorWindows();
  void StartWorkers();
  void AddLog(const CString& line);
  void CreateRecording();
  void StopRecordWriter();
  // Starts the slot's main stream unless it runs; FALSE when it cannot.
  BOOL EnsureMainStream(int slot);
  void EnableRightsControls();
  void DrawWindowFrame(CDC& dc, int window, COLORREF color, int lines);
  void RedrawVideoArea();

  // UDP command channel: the receive loop on m_udpThread, datagrams back
  // on this thread as WM_UDP_PACKET, handed to the receivers registered.
  static UINT UdpThreadProc(LPVOID self);
  afx_msg LRESULT OnUdpPacket(WPARAM, LPARAM);
  // shell::IStreamServices
  bool PlaybackVisible() override;
  void PlayVideoStream(int handle, const uint8_t* data, int length) override;
  void AudioDecode(const uint8_t* data, int length, int codec) override;
  void StoreAudioFormat(int slot, int codec) override;
  void CountVideoBytes(int slot, int length) override;
  void PreviewFrame(int slot, const uint8_t* data, int length) override;
  void CardVideo(int window, const uint8_t* data, int length) override;
  void CreateStreams();
  void StopStreams();
  void RestartStreamNow(int slot, int kind);
  static void CALLBACK CardFeedTimerProc(UINT task, UINT, DWORD_PTR context, DWORD_PTR, DWORD_PTR);

  // shell::UdpReceiver: announcements into the device records, alarm
  // reports onto the channel slots.
  void OnAnnouncement(const std::string& from, const uint8_t* block) override;
  void OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) override;
  static UINT ResolverThreadProc(LPVOID self);

  HICON m_hIcon = nullptr;
  CUdpCommandChannel m_udp;
  shell::CUdpReceiverList m_udpReceivers;
  shell::PlayRouteCell m_routes[shell::kMonitorWindows];
  std::unique_ptr<shell::CStreamRestarter> m_restarter;
  std::unique_ptr<record::CRecordFrameBuilder> m_frameBuilders[shell::kChannelSlots];
  int m_cardTask = -1;
  CWorkerThread m_udpThread, m_resolverThread;
  HANDLE m_stopEvent = nullptr;              // set with m_stopFlag
  std::unique_ptr<record::CFrameQueue> m_frameQueue;
  std::unique_ptr<record::CRecordDisks> m_recordDisks;
  std::unique_ptr<CMainRecordHost> m_recordHost;
  std::unique_ptr<record::CRecordWriter> m_recordWriter;
  // The "Record Playback" window, made at its first showing.
  std::unique_ptr<CRecordPlaybackDlg> m_playback;
  // Member dialogs, created hidden at start-up.
  CLocalLogDlg m_localLogDlg;
  CDiskErrorDlg m_diskErrorDlg;
  CRemoteLogDlg m_remoteLogDlg;
  CRemoteDiskErrorDlg m_remoteDiskErrorDlg;
  CStatisticReportDlg m_statisticDlg;
  // "Front End System Settings", run modally by command 2025.
  CFrontEndSettingsDlg m_frontEndSettings;
  // "Preview Plans", made hidden at start-up: it saves the Last Play Plan
  // at the close and plays it on the watchdog's fourth tick.
  std::unique_ptr<CPreviewPlanDlg> m_previewPlanDlg;
  void CreatePreviewPlans();
  // Made at start-up.
  std::unique_ptr<CAlarmUploadDlg> m_alarmUploadDlg;
  std::unique_ptr<CAlarmVideoDlg> m_alarmVideoDlg;

  // Splash on its own UI thread.
  CWorkerThread m_splashThread;
  CStartLogoDlg* volatile m_pSplash = nullptr;
  HWND volatile m_splashHwnd = nullptr;
  volatile LONG m_splashGone = 0;
  static UINT SplashThreadProc(LPVOID self);

  CMonitorWnd m_monitors[shell::kMonitorWindows];
  CDeviceDlg m_devicePanel;
  CRect m_videoArea;
  int m_splitLayout = 5;
  int m_layoutKind = 4;
  int m_firstWindow = 0;
  int m_currentWindow = 0;
  BOOL m_fullScreen = FALSE;
  BOOL m_singleWindow = FALSE;
  int m_singleSavedKind = 0, m_singleSavedFirst = 0;
  WINDOWPLACEMENT m_placementBeforeFullScreen{};
  DWORD m_styleBeforeFullScreen = 0;
  int m_watchdogTicks = 0;
  BOOL m_lastPlanPlayed = FALSE;
  uint8_t m_ptzFlags[shell::kChannelSlots] = {};
  uint8_t m_windowRecord[shell::kMonitorWindows] = {};
  uint8_t m_windowSound[shell::kMonitorWindows] = {};
  uint8_t m_windowTalkback[shell::kMonitorWindows] = {};
  BOOL m_talkbackActive = FALSE;
  BOOL m_statusStrips = FALSE;
  // The current window's PTZ target (-1 none; prompt: the polling message).
  int PtzTargetSlot(BOOL prompt);
  BOOL m_startUpMode = FALSE;
  void StopSlotStreams(int slot);
  BOOL RunChannelListDialog(shell::ChannelGroups& groups, int& splitLayout);
  void RestoreChannelsAtStartUp();
  afx_msg void OnMonitoringChannels() { ApplyMonitoringChannels(); }
  void SendPtz(int slot, uint8_t command, uint8_t preset = 0);
  BOOL m_windowsCreated = FALSE;

  int m_userIndex = 0;
  shell::LocalUserRecord m_user{};
  BOOL m_loadLastConnectStatus = FALSE;
  BOOL m_autoWorkPlan = FALSE;

  std::unique_ptr<shell::SystemConfigImage> m_config;
  std::unique_ptr<shell::PlanImage> m_plans;
  CMediaTimer m_mediaTimer;
  // Created on their first command and kept for the session.
  std::unique_ptr<CEMapDlg> m_emapDlg;
  std::unique_ptr<CAnalogOutputDlg> m_cardDlg;

  MainSkin m_skin;
  CBitmap m_toolBarPics[4], m_titlePic, m_logoPic;
  CFont m_font;
  CBrush m_menuBrush;
  // Tool-bar buttons: TopPlayBack, TopConfig, TopPreviewPlan, TopRecordPlan.
  CSkinButton m_topButtons[4];
  CSwitchModeDlg m_switchMode;
  CPtzDlgEx m_ptzDlg;
  CColorDlg m_colorDlg;
  CPlanDlg m_planDlg;
  CSetPresetDlg m_presetDlg;
  CSidePanelColumn m_sideColumn;
  int m_deviceExpanded = 1;
  CSystemStatusBar m_statusBar;
  BOOL m_splashRan = FALSE;
  BOOL m_closing = FALSE;

  DECLARE_MESSAGE_MAP()
};

// The client's stream callbacks (StreamDataCallback), given to
// NET_StartRealPlay and NET_StartSubStream with the channel slot as user.
void CALLBACK StreamCallback(unsigned char* data, int length, int streamType, int audioCodec, void* user);
void CALLBACK SubStreamCallback(unsigned char* data, int length, int streamType, int audioCodec, void* user);
