#include "monitor_pane.h"
#include "main_dlg_face.h"
#include "main_dlg_ids.h"

BEGIN_MESSAGE_MAP(CMonitorPane, CWnd)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

BOOL CMonitorPane::Create(CWnd* owner, int index, COLORREF back) {
  m_owner = owner;
  m_index = index;
  m_back = back;
  LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW));
  return CreateEx(0, cls, "", WS_CHILD | WS_CLIPSIBLINGS, CRect(0, 0, 0, 0), owner,
                  IDC_MAIN_MONITOR_FIRST + index);
}

void CMonitorPane::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  dc.FillSolidRect(&r, m_back);
}

void CMonitorPane::OnLButtonDown(UINT flags, CPoint p) {
  if (m_owner) {
    CPoint s = p;
    ClientToScreen(&s);
    m_owner->PostMessage(WM_MONITOR_MOUSE, WPARAM(m_index) << 16 | WM_LBUTTONDOWN,
                         LPARAM(m_index) << 24 | LPARAM(s.x & 0xFFF) << 12 | LPARAM(s.y & 0xFFF));
  }
  CWnd::OnLButtonDown(flags, p);
}

void CMonitorPane::OnLButtonDblClk(UINT flags, CPoint p) {
  if (m_owner)
    m_owner->PostMessage(WM_MONITOR_MOUSE, WPARAM(m_index) << 16 | WM_LBUTTONDBLCLK, LPARAM(m_index) << 24);
  CWnd::OnLButtonDblClk(flags, p);
}
