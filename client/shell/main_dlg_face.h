// The main dialog as the client's features see it: the channel slots, the
// monitor windows' lists, the configuration, and the few operations they
// call. Features include this header only, never main_dlg.h, so they build
// and test without the main dialog (tests give them a fake of this face).
#pragma once
#include <afxwin.h>

#include <cstdint>

#include "channel_slot.h"
#include "udp_packets.h"
#include "config_image.h"
#include "settings.h"

// Private messages of the main dialog.
#define WM_MAIN_STATUSBAR_HIDE 0x827     // from the status bar
#define WM_MAIN_LEAVE_FULLSCREEN 0x828   // from the status bar
#define WM_MAIN_DEVICE_LOST 0x892        // wParam login id
#define WM_MAIN_DEVICE_MESSAGE 0x893
#define WM_MAIN_PTZ_BUTTON 0x8A3
// The record writer's thread asks for a slot's record mark (wParam slot).
// A message of the main dialog's own (WM_APP + 0x120 upwards).
#define WM_MAIN_RECORD_MARK (WM_APP + 0x120)
#define WM_MONITOR_MOUSE 0x1788          // from the monitor windows

class CMainDlgFace {
public:
  virtual ~CMainDlgFace() = default;

  // ---- data the features read and write (UI thread unless stated)
  // The 64 logical channel slots; the stream callbacks read them on the
  // SDK's threads. m_channels.UsedCount() is the logical-channel count.
  shell::ChannelTable m_channels;
  // The 36 monitor windows' polling lists; safe to read from any thread.
  shell::WindowListModel m_windows;
  // The configuration image (SysCfg.dat), owned by the main dialog.
  shell::SystemConfigImage* m_pConfig = nullptr;
  // Corvel.ini as read at start-up.
  CorvelSettings m_settings;
  // Set once when the system closes; worker threads poll it.
  volatile LONG m_stopFlag = 0;
  // Devices were connected in this run: the close saves the live state.
  BOOL m_savedStateFlag = FALSE;

  // ---- look-ups
  virtual HWND GetMainHwnd() const = 0;
  // The device record with this login id; null for 0 or less or none.
  virtual shell::DeviceRecord* FindDeviceByLoginId(int loginId) = 0;
  virtual int FindDeviceIndexByLoginId(int loginId) = 0;
  // Windows of the split layout in use.
  virtual int GetWindowCount() const = 0;
  // The layout kind shown (0..10): what the monitor area shows now. It
  // differs from the split's own kind in the single-window view and at
  // start-up (16 of the 36 windows in use).
  virtual int GetLayoutKind() const = 0;
  // The slot window w shows, -1 when none.
  virtual int GetWindowChannel(int window) const = 0;
  virtual int GetCurrentWindow() const = 0;

  // ---- channel and window state
  virtual int GetChannelState(int kind, int index) = 0;
  virtual void SetChannelState(int kind, int index, BOOL on) = 0;
  virtual void SelectMonitorWindow(int window) = 0;
  virtual void ArrangeWindows(int kind, int firstWindow) = 0;
  // A plan's layout kind arranged from the current window; a split with
  // fewer windows than the kind's cells takes the kind, so that every window
  // the plan fills can show video.
  virtual void ArrangePlanLayout(int kind) = 0;
  virtual void SetSplitForCount(int count) = 0;
  virtual BOOL OpenWindowVideo(int window) = 0;
  virtual void CloseWindowVideo(int window) = 0;
  virtual void OnSnapshot() = 0;
  // Manual recording of every channel in a window's list on or off.
  virtual void SetWindowListRecord(int window, BOOL on) = 0;
  // Sound of every channel of a window's list on or off.
  virtual void ToggleWindowSound(int window) = 0;
  // Talkback bookkeeping of the device panel (no SDK call): the flag that a
  // channel is in talkback; a window's Talkback look off and its slot's mark
  // cleared; a slot's mark and the look of the window showing it.
  virtual void SetTalkbackActive(BOOL on) = 0;
  virtual void ResetWindowTalkback(int window) = 0;
  virtual void SetChannelTalkback(int slot, BOOL on) = 0;

  // ---- the UDP command channel (port 8001)
  virtual int SendUdpCommand(const void* data, int length, const char* address, uint16_t port) = 0;
  virtual void SendStreamStarted(const char* address, int port, int channel, int kind) = 0;
  // Receivers of datagrams (device search, settings pages, colour panel,
  // alarm view, record search) register while their windows exist; calls
  // come on the UI thread.
  virtual void RegisterUdpReceiver(shell::UdpReceiver* receiver) = 0;
  virtual void UnregisterUdpReceiver(shell::UdpReceiver* receiver) = 0;

  // ---- streams and recording
  // A live stream of a device channel (kind 0 main, 1 sub) started into the
  // client's stream callbacks for `slot`, or stopped: the SDK's result
  // (1 success).
  virtual int StartLiveStream(int loginId, int channel, int kind, int slot) = 0;
  virtual int StopLiveStream(int loginId, int channel, int kind) = 0;
  virtual void RestartStream(int slot, int window, int kind) = 0;
  // What window w plays is published for the stream threads; call after its
  // shown slot, play handles or main/sub choice change.
  virtual void PublishWindowRoute(int window) = 0;
  // A frame or audio payload of a recording slot into its record frame.
  virtual void BuildRecordFrame(int slot, const uint8_t* data, int length, int streamType) = 0;
  virtual BOOL StartRecord(int slot, int recordType, int preFrames) = 0;
  virtual void StopRecord(int slot) = 0;

  // ---- configuration
  virtual BOOL SaveConfig() = 0;

  // ---- the monitor windows' status texts and the statistics list
  // The text in the status strip of monitor window w.
  virtual void SetWindowStatusText(int window, const char* text) {}
  // The statistics list ("Statistic Report") read again from the slots.
  virtual void RefreshStatistics() {}

  // ---- the side panels
  // The PTZ panel's press (513) and release (514) of a button code.
  virtual LRESULT OnPtzButton(WPARAM mouseMessage, LPARAM buttonCode) { return 0; }
  // The Sit button: the PTZ flag of the current window's channel.
  virtual void TogglePtzChannelFlag() {}
  virtual BOOL PtzChannelFlag(int slot) const { return FALSE; }
  // The device panel was shown (1) or hidden (-1): the side column is laid
  // out again.
  virtual void DevicePanelToggled(int state) {}
};

// The main dialog while it exists (set by its constructor), else null.
extern CMainDlgFace* g_pMainDlg;
