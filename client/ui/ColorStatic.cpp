#include "ColorStatic.h"

BEGIN_MESSAGE_MAP(CColorStatic, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

HBRUSH CColorStatic::CtlColor(CDC* dc, UINT) {
  dc->SetTextColor(m_textColor);
  if (m_backColor == kTransparent) {
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  }
  m_brush.DeleteObject();
  m_brush.CreateSolidBrush(m_backColor);
  dc->SetBkColor(m_backColor);
  return m_brush;
}

void CColorStatic::RefreshBackground() {
  CWnd* parent = GetParent();
  if (!m_hWnd || !parent) return;
  CRect r;
  GetWindowRect(&r);
  parent->ScreenToClient(&r);
  r.DeflateRect(2, 2);
  parent->InvalidateRect(&r, FALSE);
}
