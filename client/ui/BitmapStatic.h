// A static that shows a bitmap stretched over its client area or, without
// one, a plain background with a text at its top-left corner. The video area
// of the monitor windows and the picture of the area-selection control.
#pragma once
#include <afxwin.h>

class CBitmapStatic : public CStatic {
public:
  // The bitmap is the owner's: it must outlive its use here. Returns the
  // previous one; repaints.
  HBITMAP SetBitmap(HBITMAP bitmap);
  HBITMAP GetBitmap() const { return m_bitmap; }
  void SetBackColor(COLORREF color);
  COLORREF GetBackColor() const { return m_backColor; }
  void SetText(LPCSTR text);
  void SetTextColor(COLORREF color);
  // The font stays the owner's; nullptr = the DC's default font.
  void SetTextFont(CFont* font);

protected:
  void Repaint();
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* dc);

  HBITMAP m_bitmap = nullptr;
  CString m_text;
  COLORREF m_textColor = RGB(255, 255, 255);
  COLORREF m_backColor = RGB(0, 0, 0);
  CFont* m_font = nullptr;
  DECLARE_MESSAGE_MAP()
};
