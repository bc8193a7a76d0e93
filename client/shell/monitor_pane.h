// Placeholder for a monitor window until the monitor windows land: a child
// window painted in the monitor background colour that reports left button
// presses to the main dialog (message 0x1788, window number in the high
// word of wParam) as the monitor windows do.
#pragma once
#include <afxwin.h>

class CMonitorPane : public CWnd {
public:
  BOOL Create(CWnd* owner, int index, COLORREF back);
  int Index() const { return m_index; }
  void SetBackColor(COLORREF c) { m_back = c; if (m_hWnd) Invalidate(); }

protected:
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnLButtonDown(UINT flags, CPoint p);
  afx_msg void OnLButtonDblClk(UINT flags, CPoint p);

  int m_index = -1;
  COLORREF m_back = 0;
  CWnd* m_owner = nullptr;
  DECLARE_MESSAGE_MAP()
};
