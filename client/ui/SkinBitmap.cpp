#include "SkinBitmap.h"

BOOL CSkinBitmap::Load(UINT id) {
  m_bitmap.DeleteObject();
  m_width = m_height = 0;
  if (!m_bitmap.LoadBitmap(id)) return FALSE;
  BITMAP bm{};
  m_bitmap.GetBitmap(&bm);
  m_width = bm.bmWidth;
  m_height = bm.bmHeight;
  return TRUE;
}

void CSkinBitmap::Blit(CDC* dc, const CRect& to, int sx, int sy, int sw, int sh) {
  if (!IsLoaded() || to.IsRectEmpty() || sw <= 0 || sh <= 0) return;
  CDC mem;
  mem.CreateCompatibleDC(dc);
  CBitmap* old = mem.SelectObject(&m_bitmap);
  if (to.Width() == sw && to.Height() == sh) {
    dc->BitBlt(to.left, to.top, sw, sh, &mem, sx, sy, SRCCOPY);
  } else {
    dc->SetStretchBltMode(COLORONCOLOR);
    dc->StretchBlt(to.left, to.top, to.Width(), to.Height(), &mem, sx, sy, sw, sh, SRCCOPY);
  }
  mem.SelectObject(old);
}

void CSkinBitmap::Draw(CDC* dc, int x, int y) { Blit(dc, CRect(x, y, x + m_width, y + m_height), 0, 0, m_width, m_height); }

void CSkinBitmap::Draw(CDC* dc, const CRect& rect) { Blit(dc, rect, 0, 0, m_width, m_height); }

void CSkinBitmap::DrawFrame(CDC* dc, const CRect& rect, int frame, int frames) {
  if (frames < 1) frames = 1;
  int w = m_width / frames;
  if (frame < 0 || frame >= frames) frame = 0;
  Blit(dc, rect, frame * w, 0, w, m_height);
}

void FillWithParentBack(CWnd* child, CDC& dc, const CRect& rect) {
  HWND parent = child ? ::GetParent(child->GetSafeHwnd()) : nullptr;
  HBRUSH brush = nullptr;
  if (parent) {
    brush = reinterpret_cast<HBRUSH>(::GetClassLongPtrA(parent, GCLP_HBRBACKGROUND));
    if (!brush) brush = HBRUSH(::SendMessageA(parent, WM_CTLCOLORSTATIC, WPARAM(dc.m_hDC), LPARAM(child->m_hWnd)));
  }
  ::FillRect(dc, &rect, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
}
