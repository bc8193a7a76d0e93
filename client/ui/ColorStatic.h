// A static text in its own colour over its own background colour, or over
// whatever its parent shows beneath it (background -1).
#pragma once
#include <afxwin.h>

class CColorStatic : public CStatic {
public:
  enum : COLORREF { kTransparent = COLORREF(-1) };
  // Set before the control is shown.
  void SetTextColor(COLORREF color) { m_textColor = color; }
  void SetBackColor(COLORREF color) { m_backColor = color; }
  COLORREF GetTextColor() const { return m_textColor; }
  COLORREF GetBackColor() const { return m_backColor; }
  // Has the parent repaint, without erasing, what lies under the control
  // (deflated by 2 pixels): a transparent text over a picture is redrawn
  // with it.
  void RefreshBackground();

  HBRUSH CtlColor(CDC* dc, UINT ctlColor);

protected:
  COLORREF m_textColor = RGB(0, 0, 0);
  COLORREF m_backColor = kTransparent;
  CBrush m_brush;
  DECLARE_MESSAGE_MAP()
};
