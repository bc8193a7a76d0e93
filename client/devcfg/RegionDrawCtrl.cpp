#include "RegionDrawCtrl.h"

#include "devcfg_helpers.h"

BEGIN_MESSAGE_MAP(CRegionDrawCtrl, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

BOOL CRegionDrawCtrl::OnInitDialog() {
  CDialog::OnInitDialog();
  ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return TRUE;
}

void CRegionDrawCtrl::SetArea(int left, int top, int right, int bottom) {
  m_model.areaWidth = right - left;
  m_model.areaHeight = bottom - top;
}

void CRegionDrawCtrl::OnPaint() {
  // Drawn over whatever the video left in the window: nothing is erased.
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (m_model.grid) {
    CBrush red(RGB(255, 0, 0));
    const int cw = client.Width() / devcfg::kGridColumns, ch = client.Height() / devcfg::kGridRows;
    for (int r = 0; r < devcfg::kGridRows; ++r)
      for (int c = 0; c < devcfg::kGridColumns; ++c)
        if (!(m_model.rows[r] >> c & 1)) {
          CRect cell(c * cw, r * ch, c * cw + cw, r * ch + ch);
          dc.FrameRect(&cell, &red);
        }
    return;
  }
  devcfg::RegionRect s;
  if (m_model.CoverOnClient(m_model.currentRegion, &s)) {
    CBrush green(RGB(0, 255, 0));
    CRect r(s.left, s.top, s.right, s.bottom);
    dc.FrameRect(&r, &green);
  }
}

void CRegionDrawCtrl::OnLButtonDown(UINT, CPoint p) {
  if (m_drawing) {
    m_model.overlay.dragFlag = 1;
    m_dragging = TRUE;
    m_drag.SetRectEmpty();
    m_start = p;
    ::SetCapture(m_hWnd);
    if (!m_model.grid) m_hitRegion = m_model.HitCover(p.x, p.y);
  }
  Invalidate(FALSE);
}

void CRegionDrawCtrl::OnMouseMove(UINT, CPoint p) {
  if (!m_dragging) return;
  const CRect previous = m_drag;
  RECT r;
  RectFromPoints(r, m_start, CPoint(p));
  m_drag = r;
  {
    CClientDC dc(this);
    CPen pen(PS_DOT, 1, RGB(0, 255, 0));
    CPen* oldPen = dc.SelectObject(&pen);
    dc.Rectangle(&m_drag);
    dc.SelectObject(oldPen);
  }
  if (!previous.IsRectEmpty()) ::InvalidateRect(m_hWnd, &previous, FALSE);
  devcfg::OverlayRecord& o = m_model.overlay;
  o.dragFlag = 1;
  o.dragX = uint16_t(m_drag.left);
  o.dragY = uint16_t(m_drag.top);
  o.dragWidth = uint16_t(m_drag.Width());
  o.dragHeight = uint16_t(m_drag.Height());
}

void CRegionDrawCtrl::OnLButtonUp(UINT, CPoint p) {
  if (!m_dragging || p == m_start) {
    EndDrag();
    return;
  }
  CRect client;
  GetClientRect(&client);
  m_model.ApplyDrag(m_start.x, m_start.y, p.x, p.y, client.Width(), client.Height());
  Invalidate(FALSE);
  EndDrag();
}

void CRegionDrawCtrl::EndDrag() {
  if (!m_drawing) return;
  m_model.overlay.dragFlag = 0;
  m_dragging = FALSE;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}
