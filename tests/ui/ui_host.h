// A top-level window that hosts toolkit controls in the tests: it reflects
// owner drawing to them (as every CWnd does) and records the messages the
// controls post or send it.
#pragma once
#include <afxwin.h>

#include <functional>
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
  // back: the colour the window paints under its children (-1: the button
  // face, and children are clipped out).
  BOOL Make(int width, int height, LPCSTR title = "Toolkit", COLORREF back = COLORREF(-1)) {
    gui::InitControls();
    HBRUSH brush = back == COLORREF(-1) ? reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1) : ::CreateSolidBrush(back);
    LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW), brush);
    CRect r(0, 0, width, height);
    ::AdjustWindowRectEx(&r, WS_OVERLAPPED | WS_CAPTION, FALSE, 0);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | (back == COLORREF(-1) ? WS_CLIPCHILDREN : 0);
    if (!CreateEx(0, cls, title, style, 40, 40, r.Width(), r.Height(), nullptr, nullptr))
      return FALSE;
    ShowWindow(SW_SHOW);
    UpdateWindow();
    return TRUE;
  }
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg >= m_first && msg < 0xC000) {
      m_notices.push_back({msg, w, l});
      if (m_onNotice) m_onNotice(msg);
    }
    return CWnd::WindowProc(msg, w, l);
  }
  std::vector<Notice> m_notices;
  // Called as each recorded message arrives.
  std::function<void(UINT)> m_onNotice;
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
