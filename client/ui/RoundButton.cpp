#include "RoundButton.h"

#include "RoundButtonFaces.h"

BEGIN_MESSAGE_MAP(CRoundButton, CButton)
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

void CRoundButton::PreSubclassWindow() {
  DWORD style = GetStyle();
  if ((style & BS_TYPEMASK) != BS_OWNERDRAW)
    ::SetWindowLongA(m_hWnd, GWL_STYLE, LONG((style & ~DWORD(0xFF)) | BS_OWNERDRAW));
}

BOOL CRoundButton::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style = (cs.style & ~DWORD(0xFF)) | BS_OWNERDRAW;
  return TRUE;
}

void CRoundButton::DrawGradient(CDC* dc, const CRect& r, COLORREF start, COLORREF end) {
  std::vector<uint32_t> rows = ui::GradientRows(start, end, r.Height());
  for (size_t i = 0; i < rows.size(); ++i) {
    CPen pen(PS_SOLID, 1, COLORREF(rows[i]));
    CPen* old = dc->SelectObject(&pen);
    dc->MoveTo(r.left, r.top + int(i));
    dc->LineTo(r.right, r.top + int(i));
    dc->SelectObject(old);
  }
}

void CRoundButton::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect rect(dis->rcItem);
  bool pressed = (dis->itemState & ODS_SELECTED) != 0;
  bool disabled = (dis->itemState & ODS_DISABLED) != 0;
  if (pressed) m_hover = FALSE;

  dc->FillSolidRect(&rect, m_backColor);
  // The face inside the frame and the 3-D edge; a button without height
  // has no face.
  CRect face = rect;
  face.DeflateRect(2, 2);
  COLORREF end = pressed ? m_pressedEnd : m_hover ? m_hoverEnd : m_faceEnd;
  if (!disabled) DrawGradient(dc, face, m_faceStart, end);
  else dc->FillSolidRect(&face, ::GetSysColor(COLOR_BTNFACE));

  CRect edge = rect;
  edge.DeflateRect(1, 1);
  if (disabled) dc->Draw3dRect(&edge, 0xE6E6E6, 0x808080);
  else if (pressed) dc->Draw3dRect(&edge, m_darkEdge, m_lightEdge);
  else dc->Draw3dRect(&edge, m_lightEdge, m_darkEdge);

  CPen framePen(PS_SOLID, 1, m_hover && !pressed ? m_hoverFrame : m_frameColor);
  CPen* oldPen = dc->SelectObject(&framePen);
  CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
  dc->RoundRect(rect.left, rect.top, rect.right, rect.bottom, 3, 3);
  dc->SelectObject(oldBrush);
  dc->SelectObject(oldPen);

  CString text;
  GetWindowText(text);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(disabled ? 0x808080 : ::GetSysColor(COLOR_BTNTEXT));
  CFont* font = GetFont();
  CFont* oldFont = font ? dc->SelectObject(font) : nullptr;
  CRect textRect = rect;
  if (pressed) textRect.OffsetRect(1, 1);
  dc->DrawText(text, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (oldFont) dc->SelectObject(oldFont);
  if ((dis->itemState & ODS_FOCUS) && !disabled) {
    CRect focus = rect;
    focus.DeflateRect(3, 3);
    if (!focus.IsRectEmpty()) dc->DrawFocusRect(&focus);
  }
}

void CRoundButton::OnMouseMove(UINT, CPoint) {
  if (!m_hover) {
    m_hover = TRUE;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
    Invalidate(FALSE);
  }
  Default();
}

void CRoundButton::OnMouseLeave() {
  m_hover = FALSE;
  Invalidate(FALSE);
  Default();
}
