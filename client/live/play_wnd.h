// The monitor windows: a skinned title bar with the caption and six small
// title buttons, and below it the video area whose window handle is the
// drawing target of the channel's play handle. The window starts, stops and
// records nothing: it reports presses, drags and button clicks to its owner
// and to the device panel, and shows what they tell it.
#pragma once
#include <afxwin.h>

#include "BitmapStatic.h"
#include "SkinButton.h"
#include "channel_slot.h"

// Messages of the monitor windows (WM_MONITOR_MOUSE, 6024, is the main
// dialog's and comes with its face).
#define WM_MONITOR_DRAGOVER 1825   // sent to the device panel, lParam window
#define WM_MONITOR_DROP 1826       // sent, lParam MAKELONG(screen x, y)
#define WM_MONITOR_PRESS 1827      // sent, lParam window
#define WM_MONITOR_BUTTON 3826     // sent, wParam window, lParam button code

// Title-button codes (control id - 5025).
enum MonitorButtonCode {
  kButtonTalkback = 0, kButtonNone = 1, kButtonRecord = 2, kButtonSnap = 3,
  kButtonAudio = 4, kButtonClose = 5, kButtonPause = 6,
};

class CPlayWnd : public CWnd {
public:
  enum { kButtonFirstId = 5025, kVideoAreaId = 0xFFFF, kTimerBitRate = 3001, kStatusStripHeight = 13,
         kVideoTop = 16, kButtonCount = 7 };

  CPlayWnd();
  ~CPlayWnd() override;

  BOOL Create(int index, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int Index() const { return m_index; }

  void SetTitle(LPCSTR text);
  const CString& GetTitle() const { return m_title; }
  void SetBitRate(int kbps) { m_bitRateKbps = kbps; }
  int GetBitRate() const { return m_bitRateKbps; }
  void SetBackColor(COLORREF color);
  HWND GetVideoHwnd() const { return m_videoArea.GetSafeHwnd(); }
  void SetStatusText(LPCSTR text);
  const CString& GetStatusText() const { return m_statusText; }
  void ShowStatusStrip(BOOL show);
  void SetRecordButton(BOOL recording);
  void SetAudioButton(BOOL on);
  void SetTalkbackButton(BOOL on);
  BOOL IsTalkbackOn() const { return m_talkbackOn; }
  void SetPauseButton(BOOL paused);
  // The look a title button shows: TRUE for the on look.
  BOOL ButtonIsOn(int code) const { return code >= 0 && code < kButtonCount && m_buttonOn[code]; }
  CSkinButton* Button(int code);

  // Who hears about presses: the owner (6024) and the device panel.
  void SetNotifyTarget(CWnd* target) { m_notifyTarget = target; }
  void SetPanel(CWnd* panel) { m_panel = panel; }
  BOOL IsPressed() const { return m_pressed; }
  void ClearPressed() { m_pressed = FALSE; }

  // Layouts of the title buttons and the video area for a client rectangle.
  struct TitleMetrics { int marginRight = 3, interval = 3, titleHeight = 24, buttonHeight = 12, buttonWidth = 12; };
  static CRect ButtonRect(int code, const CRect& client, const TitleMetrics& m);
  static CRect VideoRect(const CRect& client, BOOL statusStrip);

protected:
  // The name of the channel the window shows, for the bit-rate caption.
  virtual CString ShownChannelName() const { return CString(); }
  void LayoutChildren();
  void LoadButtonBitmaps();
  void ApplyButtonLook(int code, BOOL on);
  void ReadSkin();
  void NotifyMouse(UINT what, CPoint client);
  void DrawStatusStrip(CDC& dc, const CRect& client);

  afx_msg int OnCreate(LPCREATESTRUCT cs);
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnLButtonDown(UINT flags, CPoint p);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint p);
  afx_msg void OnRButtonDown(UINT flags, CPoint p);
  afx_msg void OnMouseMove(UINT flags, CPoint p);
  afx_msg void OnLButtonUp(UINT flags, CPoint p);
  BOOL OnCommand(WPARAM w, LPARAM l) override;

  BOOL m_pressed = FALSE;
  CSkinButton m_buttons[kButtonCount];   // by code; code 1 is never created
  BOOL m_buttonOn[kButtonCount] = {};
  BOOL m_talkbackOn = FALSE;
  int m_bitRateKbps = 0;
  CBitmap m_buttonBitmaps[8][4];          // normal, over, down, disabled
  CString m_title;
  int m_titleHeight = 0;
  COLORREF m_titleBackColor = 0;
  COLORREF m_videoBackColor = 0;
  CWnd* m_notifyTarget = nullptr;
  CWnd* m_panel = nullptr;
  int m_index = -1;
  CBitmapStatic m_videoArea;
  CString m_statusText;
  BOOL m_statusStripShown = FALSE;
  CFont* m_font = nullptr;
  CFont m_ownFont;
  TitleMetrics m_metrics;

  DECLARE_MESSAGE_MAP()
};

// One of the main dialog's 36 monitor windows: its polling list and run-time
// state are the main dialog's window list of the same index.
class CMonitorWnd : public CPlayWnd {
public:
  shell::WindowList* List() const;
  int CurrentSlot() const;

protected:
  CString ShownChannelName() const override;
};
