// A system track bar drawn from bitmaps: the channel in two pictures split
// at the thumb, a value window that stands in for the thumb, a tooltip with
// the position and a hand cursor (the colour panel's picture sliders).
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <memory>

#include "SkinBitmap.h"

class CSkinSliderCtrl;

// The visible thumb: one frame of a bitmap strip (0 normal, 1 under the
// pointer, 2 pressed) with the position written on it. Its mouse input
// goes on to the track bar, so dragging it drags the track bar.
class CSliderValueWnd : public CWnd {
public:
  // frames: how many equal frames the strip holds side by side.
  BOOL Create(CSkinSliderCtrl* slider, UINT stripId, int frames, UINT id);
  // The track bar took the press over: back to the normal frame.
  void Release();
  int Frame() const;
  CSkinBitmap& Strip() { return m_strip; }

protected:
  void Forward(UINT msg, UINT flags, CPoint pt);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnMouseMove(UINT flags, CPoint pt);
  afx_msg void OnMouseLeave();
  afx_msg void OnLButtonDown(UINT flags, CPoint pt);
  afx_msg void OnLButtonUp(UINT flags, CPoint pt);

  CSkinSliderCtrl* m_slider = nullptr;
  CSkinBitmap m_strip;
  int m_frames = 1;
  bool m_hover = false;
  bool m_pressed = false;
  DECLARE_MESSAGE_MAP()
};

class CSkinSliderCtrl : public CSliderCtrl {
public:
  // Posted to the owner window with wParam kNotifyRelease when the mouse
  // is released over the slider; lParam the control id.
  enum { kNotifyMessage = 0x464, kNotifyRelease = 514 };

  CSkinSliderCtrl() = default;
  ~CSkinSliderCtrl() override;

  // The thumb-side and channel pictures; the window takes the channel
  // picture's size. FALSE when a resource is missing.
  BOOL SetBitmaps(UINT thumbId, UINT channelId);
  // Once, with a non-zero strip: the value window and the position tooltip.
  BOOL EnableValueTip(UINT stripId, int frames = 3, UINT valueWndId = 0xFFFF);
  void SetNotifyWindow(CWnd* owner) { m_owner = owner; }
  CSliderValueWnd* ValueWnd() { return m_value.GetSafeHwnd() ? &m_value : nullptr; }
  CToolTipCtrl* Tooltip() { return m_tooltip.GetSafeHwnd() ? &m_tooltip : nullptr; }
  // The thumb rectangle the track bar reports, centred across the channel
  // on the value window's size.
  CRect ThumbRect() const;
  // The system hand cursor, or winhlp32.exe's cursor 106 where there is none.
  static HCURSOR HandCursor();

  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

protected:
  void UpdateTip();
  BOOL IsVertical() const { return (GetStyle() & TBS_VERT) != 0; }
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnMouseMove(UINT flags, CPoint pt);
  afx_msg void OnLButtonUp(UINT flags, CPoint pt);
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hit, UINT msg);

  std::unique_ptr<CSkinBitmap> m_thumbBitmap;
  std::unique_ptr<CSkinBitmap> m_channelBitmap;
  CSliderValueWnd m_value;
  CToolTipCtrl m_tooltip;
  CWnd* m_owner = nullptr;
  DECLARE_MESSAGE_MAP()
};
