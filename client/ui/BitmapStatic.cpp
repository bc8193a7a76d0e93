#include "BitmapStatic.h"

BEGIN_MESSAGE_MAP(CBitmapStatic, CStatic)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

void CBitmapStatic::Repaint() {
  if (m_hWnd) Invalidate(FALSE);
}

HBITMAP CBitmapStatic::SetBitmap(HBITMAP bitmap) {
  HBITMAP old = m_bitmap;
  m_bitmap = bitmap;
  Repaint();
  return old;
}

void CBitmapStatic::SetBackColor(COLORREF color) {
  m_backColor = color;
  Repaint();
}

void CBitmapStatic::SetText(LPCSTR text) {
  m_text = text;
  Repaint();
}

void CBitmapStatic::SetTextColor(COLORREF color) {
  m_textColor = color;
  Repaint();
}

void CBitmapStatic::SetTextFont(CFont* font) {
  m_font = font;
  Repaint();
}

BOOL CBitmapStatic::OnEraseBkgnd(CDC*) { return TRUE; }   // the paint covers everything

void CBitmapStatic::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  BITMAP bm{};
  if (m_bitmap && ::GetObjectA(m_bitmap, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
    HDC mem = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(mem, m_bitmap);
    dc.SetStretchBltMode(COLORONCOLOR);
    ::StretchBlt(dc, 0, 0, client.Width(), client.Height(), mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    return;
  }
  dc.FillSolidRect(&client, m_backColor);
  if (m_text.IsEmpty()) return;
  CFont* oldFont = m_font ? dc.SelectObject(m_font) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(m_textColor);
  dc.TextOut(0, 0, m_text);
  if (oldFont) dc.SelectObject(oldFont);
}
