// A slider painted entirely from bitmaps (the player's position and volume
// bars): a channel, optionally an active channel on the minimum side of the
// thumb, and a thumb, each with an optional transparency mask.
#pragma once
#include <afxwin.h>

#include "SliderGeometry.h"

class CBitmapSlider : public CStatic {
public:
  // Posted to the parent with (control id, position): while the thumb is
  // dragged to a new position, and when a drag ends or a key moved it.
  enum { kNotifyMoving = 0x28D1, kNotifyMoved = 0x28D2 };
  // The transparent colour that means "the colour of the pixel at (x, y)".
  static constexpr COLORREF kPixelColour = 0xFF000000;

  CBitmapSlider() = default;

  void SetRange(int min, int max, BOOL redraw = FALSE);
  int GetRangeMin() const { return m_min; }
  int GetRangeMax() const { return m_max; }
  // Clamped to the range; repaints.
  void SetPos(int pos);
  int GetPos() const { return m_pos; }
  void SetPageSize(int size) { m_page = size; }
  void SetMargin(int left, int right, int top, int bottom);
  void SetVertical(BOOL vertical);
  void EnableFocusRect(BOOL enable, BOOL redraw = FALSE);
  void Enable(BOOL enable);
  BOOL IsDragging() const { return m_dragging; }
  // The window call; the slider keeps the new size.
  BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
  // Resource bitmaps (0 clears). With transparency a mask is made in which
  // pixels of the transparent colour (kPixelColour: of the pixel at (x, y))
  // let the background through. The thumb's size is its bitmap's.
  BOOL SetChannelBitmaps(UINT channelId, UINT activeChannelId, BOOL transparent = FALSE,
                         COLORREF transparentColour = kPixelColour, int x = 0, int y = 0);
  BOOL SetThumbBitmaps(UINT thumbId, UINT activeThumbId, BOOL transparent = FALSE,
                       COLORREF transparentColour = kPixelColour, int x = 0, int y = 0);
  // The axis as laid out now (tests and owners that place other controls).
  ui::SliderAxis Axis() const;

protected:
  void PreSubclassWindow() override;
  // The pointer's coordinate along the axis.
  int Along(CPoint pt) const { return m_vertical ? pt.y : pt.x; }
  void Notify(UINT message);
  void Draw(CDC& dc, const CRect& client);

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnLButtonDown(UINT flags, CPoint pt);
  afx_msg void OnMouseMove(UINT flags, CPoint pt);
  afx_msg void OnLButtonUp(UINT flags, CPoint pt);
  afx_msg void OnCaptureChanged(CWnd* wnd);
  afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
  afx_msg UINT OnGetDlgCode();
  afx_msg void OnSetFocus(CWnd*);
  afx_msg void OnKillFocus(CWnd*);
  afx_msg LRESULT OnNcHitTest(CPoint) { return HTCLIENT; }
  afx_msg void OnSize(UINT type, int cx, int cy);

  int m_max = 100;
  int m_min = 0;
  int m_pos = 0;
  int m_page = 20;
  int m_width = 0, m_height = 0;
  int m_thumbWidth = 0, m_thumbHeight = 0;
  int m_marginLeft = 0, m_marginRight = 0, m_marginTop = 0, m_marginBottom = 0;
  int m_dragOffset = 0;
  BOOL m_vertical = FALSE;
  CBitmap m_channel, m_channelActive;
  CBitmap m_thumb, m_thumbActive;
  CBitmap m_channelMask, m_channelActiveMask, m_thumbMask, m_thumbActiveMask;
  BOOL m_focusRect = TRUE;
  BOOL m_enabled = TRUE;
  BOOL m_dragging = FALSE;
  BOOL m_hasFocus = FALSE;
  DECLARE_MESSAGE_MAP()
};

// Loads bitmap resource id into picture (0 clears it) and, with
// transparency, its mask: white where the pixel has the transparent colour
// (kPixelColour: the colour at (x, y)). FALSE when the resource is missing.
BOOL LoadMaskedBitmap(UINT id, CBitmap& picture, CBitmap& mask, BOOL transparent, COLORREF colour, int x, int y);
