#include "SkinSliderCtrl.h"

#include <cstdio>

// ---------------------------------------------------------- CSliderValueWnd
BEGIN_MESSAGE_MAP(CSliderValueWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSELEAVE()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

BOOL CSliderValueWnd::Create(CSkinSliderCtrl* slider, UINT stripId, int frames, UINT id) {
  if (!m_strip.Load(stripId)) return FALSE;
  m_slider = slider;
  m_frames = frames < 1 ? 1 : frames;
  LPCSTR cls = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW));
  CRect r(0, 0, m_strip.Width() / m_frames, m_strip.Height());
  return CWnd::Create(cls, nullptr, WS_CHILD | WS_VISIBLE, r, slider, id);
}

int CSliderValueWnd::Frame() const {
  int frame = m_pressed ? 2 : m_hover ? 1 : 0;
  return frame < m_frames ? frame : 0;
}

void CSliderValueWnd::Release() {
  if (!m_pressed) return;
  m_pressed = false;
  Invalidate(FALSE);
}

void CSliderValueWnd::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  m_strip.DrawFrame(&dc, r, Frame(), m_frames);
  if (m_slider) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_slider->GetPos());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(255, 255, 255));
    CFont* old = dc.SelectObject(CFont::FromHandle(HFONT(::GetStockObject(DEFAULT_GUI_FONT))));
    dc.DrawText(text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    dc.SelectObject(old);
  }
}

void CSliderValueWnd::Forward(UINT msg, UINT flags, CPoint pt) {
  if (!m_slider) return;
  ClientToScreen(&pt);
  m_slider->ScreenToClient(&pt);
  m_slider->SendMessage(msg, flags, MAKELPARAM(pt.x, pt.y));
}

void CSliderValueWnd::OnMouseMove(UINT flags, CPoint pt) {
  if (!m_hover) {
    m_hover = true;
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
    Invalidate(FALSE);
  }
  Forward(WM_MOUSEMOVE, flags, pt);
}

void CSliderValueWnd::OnMouseLeave() {
  m_hover = false;
  Invalidate(FALSE);
}

void CSliderValueWnd::OnLButtonDown(UINT flags, CPoint pt) {
  m_pressed = true;
  Invalidate(FALSE);
  Forward(WM_LBUTTONDOWN, flags, pt);
}

void CSliderValueWnd::OnLButtonUp(UINT flags, CPoint pt) {
  Release();
  Forward(WM_LBUTTONUP, flags, pt);
  if (m_slider) m_slider->SendMessage(WM_COMMAND, WPARAM(GetDlgCtrlID()), LPARAM(m_hWnd));
}

// ---------------------------------------------------------- CSkinSliderCtrl
BEGIN_MESSAGE_MAP(CSkinSliderCtrl, CSliderCtrl)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CSkinSliderCtrl::~CSkinSliderCtrl() = default;

BOOL CSkinSliderCtrl::SetBitmaps(UINT thumbId, UINT channelId) {
  auto thumb = std::make_unique<CSkinBitmap>();
  auto channel = std::make_unique<CSkinBitmap>();
  if (!thumb->Load(thumbId) || !channel->Load(channelId)) return FALSE;
  m_thumbBitmap = std::move(thumb);
  m_channelBitmap = std::move(channel);
  if (m_hWnd) {
    SetWindowPos(nullptr, 0, 0, m_channelBitmap->Width(), m_channelBitmap->Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Invalidate();
  }
  return TRUE;
}

BOOL CSkinSliderCtrl::EnableValueTip(UINT stripId, int frames, UINT valueWndId) {
  if (stripId == 0 || m_value.GetSafeHwnd() || !m_hWnd) return FALSE;
  if (!m_value.Create(this, stripId, frames, valueWndId)) return FALSE;
  if (m_tooltip.Create(this)) {
    // The slider relays its own mouse messages; the value window's are
    // watched by the tooltip itself.
    m_tooltip.AddTool(this, "0", nullptr, 0, 0);
    m_tooltip.AddTool(&m_value, "0");
    m_tooltip.SetDelayTime(100);
    m_tooltip.Activate(TRUE);
    UpdateTip();
  }
  Invalidate();
  return TRUE;
}

HCURSOR CSkinSliderCtrl::HandCursor() {
  static HCURSOR hand = [] {
    HCURSOR c = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));   // IDC_HAND
    if (c) return c;
    char path[MAX_PATH];
    UINT n = ::GetWindowsDirectoryA(path, MAX_PATH);
    if (n == 0 || n + 14 >= MAX_PATH) return c;
    lstrcatA(path, "\\winhlp32.exe");
    HMODULE module = ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return c;
    if (HCURSOR found = ::LoadCursorA(module, MAKEINTRESOURCEA(106)))
      c = HCURSOR(::CopyIcon(HICON(found)));   // outlives the module
    ::FreeLibrary(module);
    return c;
  }();
  return hand;
}

CRect CSkinSliderCtrl::ThumbRect() const {
  CRect thumb, channel;
  GetThumbRect(&thumb);
  GetChannelRect(&channel);
  int w = thumb.Width(), h = thumb.Height();
  if (m_value.GetSafeHwnd()) {
    CRect v;
    m_value.GetClientRect(&v);
    w = v.Width();
    h = v.Height();
  }
  CRect r;
  if (IsVertical()) {
    // A vertical track bar reports its channel rectangle lying on its side.
    int cx = (channel.top + channel.bottom) / 2;
    int cy = (thumb.top + thumb.bottom) / 2;
    r.SetRect(cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h);
  } else {
    int cx = (thumb.left + thumb.right) / 2;
    int cy = (channel.top + channel.bottom) / 2;
    r.SetRect(cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h);
  }
  return r;
}

void CSkinSliderCtrl::UpdateTip() {
  if (!m_tooltip.GetSafeHwnd()) return;
  char text[16];
  std::snprintf(text, sizeof text, "%d", GetPos());
  m_tooltip.UpdateTipText(text, this);
  m_tooltip.UpdateTipText(text, &m_value);
}

LRESULT CSkinSliderCtrl::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  if (m_tooltip.GetSafeHwnd() && msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK) {
    MSG m{m_hWnd, msg, w, l, DWORD(::GetMessageTime()), {}};
    ::GetCursorPos(&m.pt);
    m_tooltip.RelayEvent(&m);
  }
  return CSliderCtrl::WindowProc(msg, w, l);
}

void CSkinSliderCtrl::OnPaint() {
  if (!m_channelBitmap) {
    Default();
    return;
  }
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  // What shows through transparent parts: the parent's background.
  FillWithParentBack(this, dc, client);

  CRect thumb = ThumbRect();
  if (IsVertical()) {
    int w = m_channelBitmap->Width();
    int x = (thumb.left + thumb.right) / 2 - w / 2;
    int split = (thumb.top + thumb.bottom) / 2;
    m_channelBitmap->Draw(&dc, CRect(x, client.top, x + w, split));
    m_thumbBitmap->Draw(&dc, CRect(x, split, x + w, client.bottom));
  } else {
    int h = m_channelBitmap->Height();
    int y = (thumb.top + thumb.bottom) / 2 - h / 2;
    int split = (thumb.left + thumb.right) / 2;
    m_channelBitmap->Draw(&dc, CRect(client.left, y, split, y + h));
    m_thumbBitmap->Draw(&dc, CRect(split, y, client.right, y + h));
  }
  // The value window is the thumb the operator sees.
  if (m_value.GetSafeHwnd()) {
    CRect now;
    m_value.GetWindowRect(&now);
    ScreenToClient(&now);
    if (now != thumb)
      m_value.SetWindowPos(nullptr, thumb.left, thumb.top, thumb.Width(), thumb.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE);
    m_value.Invalidate(FALSE);
  }
  UpdateTip();
}

void CSkinSliderCtrl::OnMouseMove(UINT, CPoint) {
  Default();
  UpdateTip();
}

void CSkinSliderCtrl::OnLButtonUp(UINT, CPoint) {
  Default();
  if (m_value.GetSafeHwnd()) m_value.Release();
  Invalidate();
  if (m_owner && m_owner->GetSafeHwnd())
    m_owner->PostMessage(kNotifyMessage, WPARAM(kNotifyRelease), LPARAM(GetDlgCtrlID()));
}

BOOL CSkinSliderCtrl::OnSetCursor(CWnd*, UINT, UINT) {
  ::SetCursor(HandCursor());
  return TRUE;
}
