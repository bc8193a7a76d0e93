// An owner-drawn push button with rounded corners and gradient faces (the
// login dialog, the device panel, the record search page).
#pragma once
#include <afxwin.h>

class CRoundButton : public CButton {
public:
  CRoundButton() = default;

  void DrawItem(LPDRAWITEMSTRUCT dis) override;
  BOOL IsHover() const { return m_hover; }

  // Colours (COLORREF), public as the pages set them before drawing.
  COLORREF m_frameColor = 0x804000;
  COLORREF m_pressedEnd = 0xFF901E;
  COLORREF m_hoverEnd = 0xE16941;
  COLORREF m_hoverFrame = 0xCD0000;
  COLORREF m_lightEdge = 0xE6E6E6;
  COLORREF m_darkEdge = 0x808080;   // also the disabled caption
  COLORREF m_faceStart = 0xFFFFFF;
  COLORREF m_faceEnd = 0xFF8000;
  // What shows outside the rounded corners: the parent's background.
  COLORREF m_backColor = ::GetSysColor(COLOR_BTNFACE);

protected:
  // The dialog's button becomes owner-drawn before it is subclassed.
  void PreSubclassWindow() override;
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  void DrawGradient(CDC* dc, const CRect& r, COLORREF start, COLORREF end);
  afx_msg void OnMouseMove(UINT flags, CPoint pt);
  afx_msg void OnMouseLeave();

  BOOL m_hover = FALSE;
  DECLARE_MESSAGE_MAP()
};
