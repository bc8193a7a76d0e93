// The device panel: the configured devices as a tree, their logins and
// logouts, the channel slots their channels take, and live view of their
// channels in the monitor windows (start, stop, move, the title buttons).
// It works on the main dialog through its face.
#pragma once

#include <atomic>
#include <afxwin.h>

#include <memory>

#include "SkinButton.h"
#include "TreeCtrlEx.h"
#include "config_image.h"
#include "device_panel_face.h"
#include "live_resource.h"
#include "main_dlg_face.h"
#include "play_wnd.h"

// Device-tree item data of a channel item: channel bits 0-7, slot bits 8-15
// (0xFF none), window bits 16-31 (36 or more: none).
struct ChannelItemData {
  static int Channel(DWORD_PTR d) { return int(d & 0xFF); }
  static int Slot(DWORD_PTR d) { return int((d >> 8) & 0xFF); }
  static int Window(DWORD_PTR d) { return int((d >> 16) & 0xFFFF); }
  static DWORD_PTR WithSlot(DWORD_PTR d, int slot) { return DWORD_PTR(slot & 0xFF) << 8 | (d & 0x00FF00FF); }
  static DWORD_PTR WithWindow(DWORD_PTR d, int w) { return (d & 0xFFFF) | DWORD_PTR(w & 0xFFFF) << 16; }
  static bool HasWindow(DWORD_PTR d) { return Window(d) < shell::kMonitorWindows; }
};

// Tree state-image codes.
enum DeviceTreeCode {
  kCodeDeviceConnected = 513, kCodeDeviceOffline = 514, kCodeDeviceTalkback = 534,
  kCodeChannelShown = 515, kCodeChannelShownRecording = 544, kCodeChannelIdle = 516, kCodeChannelRecording = 543,
};

// Device connection states (DeviceRecord::state).
enum DeviceState { kStateOffline = 0, kStateReconnecting = 1, kStateStreamStopped = 2, kStateLoggedIn = 3,
                   kStateConnected = 4 };

// While its window exists the panel is g_pDeviceDlg, the face the other
// features reach it through.
class CDeviceDlg : public CDialog, public CDevicePanelFace {
public:
  enum { IDD = IDD_DEVICE_DLG, kTimerPanel = 1545 };

  explicit CDeviceDlg(CWnd* parent = nullptr);
  ~CDeviceDlg() override;

  // The main dialog's 36 monitor windows (set before the panel opens).
  void AttachMonitors(CPlayWnd* windows) { m_monitors = windows; }
  CPlayWnd* Monitor(int w) const { return shell::WindowListModel::IsValid(w) && m_monitors ? &m_monitors[w] : nullptr; }
  // The side panel's width and top as the main dialog keeps them.
  void SetPanelMetrics(int width, int top) { m_panelWidth = width; m_panelTop = top; }

  // ---- devices
  void RebuildDeviceTree() override;
  void ConnectAll() override;
  void ConnectDevice(HTREEITEM deviceItem);
  void DisconnectDevice(HTREEITEM deviceItem);
  void DisconnectByRecord(int recordIndex) override;
  void AssignChannelSlots();
  int CountChannelSlots();
  void UpdateChannelRecordMark(int slot);
  // Stream threads add; the UI reads.
  void AddReceivedBytes(int slot, int bytes);
  uint32_t ReceivedBytes(int slot) const;
  int ExpandedState() const { return m_expanded; }
  void OnReboot();
  void OnTalking();
  void OnRecord();

  // ---- live view
  void ToggleChannelView(HTREEITEM channelItem);
  void OnAutoConfig();
  void OpenChannelInWindow(const char* address, int channel, int window) override;
  void CloseWindowView(int window) override;
  void MoveWindowVideo(int fromWindow, int toWindow);
  void OnMonitorButton(int window, int code);
  // After the main dialog has rebuilt its slots and windows' lists (the
  // monitoring channel list, the start-up restore): every slot in a list
  // gets its streams, the windows their titles and looks, the channel
  // items their slots, windows and check marks.
  void FollowChannelTable();
  // Talkback off: the main dialog's flag, the slot's mark and the window's
  // look, the device item's image.
  void EndTalkback();
  // The panel's talkback slot (-1 none).
  int TalkbackSlot() const { return m_talkbackSlot; }
  // After a change of user: the buttons that need a right follow the
  // current user's rights.
  void FollowRights();

  // ---- look-ups (tests and other panels)
  CTreeCtrlEx& Tree() { return m_tree; }
  HTREEITEM FindDeviceItem(int recordIndex) const;
  HTREEITEM FindChannelItem(int recordIndex, int channel) const;
  int ItemCode(HTREEITEM item) const;   // the state code last given, 0 none
  CSkinButton& SkinButton(int i) { return m_skinButtons[i]; }
  // A login worker is running for this record.
  bool IsConnecting(int recordIndex) const;
  // A device item's double click (connect, disconnect or live view).
  void OnItemActivated(HTREEITEM item);

protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override;
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnDestroy();
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);

  void LoadSkin();
  void SetCode(HTREEITEM item, int code);
  void AddChannelItems(HTREEITEM deviceItem, const shell::DeviceRecord& r, DWORD_PTR data);
  void UpdateButtons(HTREEITEM item);
  shell::DeviceRecord* RecordOf(HTREEITEM deviceItem) const;
  int RecordIndexOf(const shell::DeviceRecord* r) const;
  // Steps after a successful login, on the UI thread.
  void FinishLogin(HTREEITEM deviceItem, int recordIndex, int loginId, uint32_t resolvedIp);
  static UINT ConnectThreadProc(LPVOID param);
  // The main dialog's part of a stop: the window's video closed, the
  // channel's streams stopped (a recording slot keeps its main stream),
  // the slot taken out of the list.
  void StopSlotInWindow(int window, int slot);
  BOOL StartSlotStreams(int slot, bool showErrors);
  void ResetWindow(int window, const char* titleWord);
  void SetItemWindow(int slot, int window);
  HTREEITEM ChannelItemOfSlot(int slot) const;
  void SwitchTalkback(int slot, HTREEITEM deviceItem);
  void ToggleRecordOfSlot(int slot);
  void ShowStreamError(const char* format, int a, int b = 0, bool two = false);

  CTreeCtrlEx m_tree;
  CButton m_autoConfig, m_selectAll, m_connectAll;
  BOOL m_selectAllValue = FALSE;
  CSkinButton m_skinButtons[4];   // DevcManage, Record, Reboot, Talking
  CBitmap m_skinImages[5];        // up, over, down, disable, background
  std::atomic<uint32_t> m_byteCounters[shell::kChannelSlots] = {};
  HTREEITEM m_talkbackItem = nullptr;
  int m_talkbackSlot = -1;
  HTREEITEM m_connectItem = nullptr;
  int m_dragSource = -1, m_dragTarget = -1;
  COLORREF m_backColor = RGB(40, 44, 52);
  CPlayWnd* m_monitors = nullptr;
  int m_panelWidth = 169, m_panelTop = 0;
  volatile LONG m_connecting[36] = {};
  int m_expanded = 1;

  DECLARE_MESSAGE_MAP()
};
