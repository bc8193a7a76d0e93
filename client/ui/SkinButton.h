// The client's bitmap button: four state pictures, an optional mask that
// shapes the window and makes the picture transparent, a tooltip, its own
// cursor, a lamp state, and press/release notices to the parent.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <cstdint>
#include <vector>

// Makes target a new screen-compatible bitmap holding the rectangle
// (left, top)-(right, bottom) of source. 0 when source, its handle or target
// is missing or the copy cannot be made.
BOOL CopyBitmapPart(CBitmap* source, CBitmap* target, int left, int top, int right, int bottom);
int GetBitmapWidth(CBitmap* bitmap);
int GetBitmapHeight(CBitmap* bitmap);

// One rectangle per horizontal run of pixels that differ from transparent,
// one pixel high, rows from the bottom one up. pixels are 0x00RRGGBB values,
// top row first, width per row; transparent is a COLORREF.
std::vector<RECT> MaskRuns(const uint32_t* pixels, int width, int height, COLORREF transparent);
// The region of every pixel of bitmap whose colour differs from transparent
// (an empty region when there is none); nullptr when the bitmap cannot be
// read. The caller owns the region.
HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent);

// Draw modes of the picture in its rectangle.
enum SkinDrawMode { kSkinNatural = 0, kSkinStretched = 1, kSkinTiled = 2 };
// Tiles picture over rect from its top-left corner; the last column and row
// are cut to the rectangle.
void DrawBitmapTiled(CDC* dc, CBitmap* picture, const CRect& rect);
// Draws picture into rect where mask is black and leaves the background
// where it is white; stretched (kSkinStretched) or unscaled (kSkinNatural).
// Without a mask the picture is simply stretched or copied.
void DrawBitmapMasked(CDC* dc, CBitmap* picture, CBitmap* mask, const CRect& rect, int drawMode);

class CSkinButton : public CButton {
public:
  // wParam of the notify message.
  enum { kNotifyPress = 513, kNotifyRelease = 514 };

  CSkinButton() = default;
  ~CSkinButton() override;

  // Copies the pictures (the caller may destroy its own afterwards); a null
  // disabled picture becomes a copy of the normal one. maskId: bitmap
  // resource whose non-white pixels shape the window (0 = none); drawMode
  // 0 natural, 1 stretched, 2 tiled (clamped); border: 3-D edge round the
  // picture; cursorId: cursor resource (0 = keep); focusInset: inset of the
  // focus rectangle (0 = none).
  void SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, UINT maskId = 0,
                  int drawMode = kSkinStretched, int border = 0, UINT cursorId = 0, int focusInset = 0);
  void SetTooltipText(LPCSTR text);
  // Non-zero: drawn with the pressed picture whatever the pointer does (a
  // lit lamp). The push state of the button control stays reachable as
  // CButton::SetState.
  void SetState(int value);
  int GetLampState() const { return m_state; }
  // Posts (message, kNotifyPress / kNotifyRelease, id) to the parent on
  // every press and release; message 0 = none.
  void SetNotifyMessage(UINT message, UINT id);
  // Caption colour (the system's button-text colour at first).
  void SetTextColor(COLORREF color);
  // 0 only when the cursor resource cannot be loaded.
  BOOL SetCursorId(UINT cursorId);

  int GetDrawMode() const { return m_drawMode; }
  int GetFocusInset() const { return m_focusInset; }
  BOOL HasMask() const { return m_bmpMask.GetSafeHandle() != nullptr; }
  CToolTipCtrl* GetTooltip() { return m_tooltip.GetSafeHwnd() ? &m_tooltip : nullptr; }

  void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
  // Draws one of the pictures (or the button face when it is empty) in the
  // button's draw mode, through the mask when there is one.
  void DrawStateBitmap(CDC* dc, CBitmap& picture, const CRect& rect);
  // Passes the mouse message being handled on to the tooltip.
  void RelayToTooltip();
  // Ends a press that was notified: clears the flag and posts the release.
  void EndPress();
  void PostNotify(WPARAM code);

  afx_msg void OnLButtonDown(UINT flags, CPoint pt);
  afx_msg void OnLButtonUp(UINT flags, CPoint pt);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint pt);
  afx_msg void OnMouseMove(UINT flags, CPoint pt);
  afx_msg void OnMouseLeave();
  afx_msg void OnKillFocus(CWnd* newWnd);
  afx_msg void OnCaptureChanged(CWnd* wnd);
  afx_msg BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);

  UINT m_notifyMessage = 0;
  UINT m_notifyId = 0;
  HCURSOR m_cursor = nullptr;
  bool m_hover = false;
  bool m_pressed = false;
  CToolTipCtrl m_tooltip;
  CBitmap m_bmpNormal;
  CBitmap m_bmpPressed;
  CBitmap m_bmpDisabled;
  CBitmap m_bmpMask;
  CBitmap m_bmpHover;
  short m_focusInset = 0;
  // The button's own copy of its window region: the region handed to
  // SetWindowRgn belongs to the system from then on.
  HRGN m_region = nullptr;
  int m_border = 0;
  COLORREF m_textColor = ::GetSysColor(COLOR_BTNTEXT);
  short m_drawMode = kSkinStretched;
  int m_state = 0;
  DECLARE_MESSAGE_MAP()
};
