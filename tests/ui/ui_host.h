// A top-level window that hosts toolkit controls in the tests: it reflects
// owner drawing to them (as every CWnd does) and records the messages the
// controls post or send it.
#pragma once
#include <afxwin.h>

#include <vector>

#include "gui_kit.h"

struct Notice {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class CTestHost : public CWnd {
public:
  // Messages from `first` up are recorded.
  explicit CTestHost(UINT first = WM_USER) : m_first(first) {}
  BOOL Make(int width, int height, LPCSTR title = "Toolkit") {
    gui::InitControls();
    LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                     reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CRect r(0, 0, width, height);
    ::AdjustWindowRectEx(&r, WS_OVERLAPPED | WS_CAPTION, FALSE, 0);
    if (!CreateEx(0, cls, title, WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN, 40, 40, r.Width(), r.Height(),
                  nullptr, nullptr))
      return FALSE;
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
  }
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg >= m_first && msg < 0xC000) m_notices.push_back({msg, w, l});
    return CWnd::WindowProc(msg, w, l);
  }
  std::vector<Notice> m_notices;
private:
  UINT m_first;
};

// What the window shows at client point (x, y), read from its DC.
inline COLORREF PixelAt(HWND h, int x, int y) {
  ::UpdateWindow(h);
  HDC dc = ::GetDC(h);
  COLORREF c = ::GetPixel(dc, x, y);
  ::ReleaseDC(h, dc);
  return c;
}
