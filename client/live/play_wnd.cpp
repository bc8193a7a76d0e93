#include "play_wnd.h"

#include <algorithm>

#include "channel_blocks.h"
#include "helpers.h"
#include "language.h"
#include "main_dlg_face.h"

namespace {

const char* const kTooltips[CPlayWnd::kButtonCount] = {"Talkback", nullptr, "Local Record", "Snap Picture",
                                                        "Audio", "Close Video", "Pause Turn"};
// Glyphs of the drawn title buttons, by code.
const char* const kGlyphs[CPlayWnd::kButtonCount] = {"T", "", "R", "S", "A", "X", "P"};

int IniInt(const char* section, const char* key, int def) {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s) return def;
  return int(::GetPrivateProfileIntA(section, key, def, s->configPath));
}

}  // namespace

BEGIN_MESSAGE_MAP(CPlayWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_SIZE()
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_TIMER()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_RBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CPlayWnd::CPlayWnd() : m_title("No video") {}

CPlayWnd::~CPlayWnd() {
  if (m_hWnd) DestroyWindow();
}

BOOL CPlayWnd::Create(int index, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  m_index = index;
  LPCSTR cls = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW));
  return CreateEx(0, cls, "", style | WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, rect, parent, id);
}

CSkinButton* CPlayWnd::Button(int code) {
  if (code < 0 || code >= kButtonCount || code == kButtonNone) return nullptr;
  return m_buttons[code].m_hWnd ? &m_buttons[code] : nullptr;
}

void CPlayWnd::ReadSkin() {
  const SolutionEntry* s = GetCurrentSolution();
  m_titleBackColor = s ? ParseColor(ReadIniString("PlayWndSettings", "TitleBackColor", "", s->configPath, 128)) : 0;
  m_metrics.marginRight = IniInt("PlayWndSettings", "MarginRight", 3);
  m_metrics.interval = IniInt("PlayWndSettings", "Interval", 3);
  m_metrics.titleHeight = IniInt("PlayWndSettings", "TitleHeight", 24);
  m_metrics.buttonHeight = IniInt("PlayWndSettings", "TitleButtonHeight", 12);
  m_metrics.buttonWidth = IniInt("PlayWndSettings", "TitleButtonWidth", 12);
}

int CPlayWnd::OnCreate(LPCREATESTRUCT cs) {
  if (CWnd::OnCreate(cs) == -1) return -1;
  m_videoArea.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kVideoAreaId);
  m_videoArea.SetBackColor(m_videoBackColor);
  ReadSkin();
  m_titleHeight = IniInt("PlanWndSettings", "TitleHeight", 0);
  m_ownFont.CreatePointFont(80, "Tahoma");
  m_font = &m_ownFont;
  LoadButtonBitmaps();
  for (int code = 0; code < kButtonCount; ++code) {
    if (code == kButtonNone) continue;   // the seventh member is never created
    m_buttons[code].Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(0, 0, 0, 0), this,
                           kButtonFirstId + code);
    ApplyButtonLook(code, FALSE);
    m_buttons[code].SetTooltipText(TranslateString(kTooltips[code]));
  }
  SetTimer(kTimerBitRate, 1000, nullptr);
  return 0;
}

void CPlayWnd::OnDestroy() {
  KillTimer(kTimerBitRate);
  for (auto& set : m_buttonBitmaps)
    for (CBitmap& b : set) b.DeleteObject();
  CWnd::OnDestroy();
}

// The title buttons' pictures: a glyph on a face per state (normal, over,
// down, disabled), drawn once per window.
void CPlayWnd::LoadButtonBitmaps() {
  const COLORREF faces[4] = {RGB(52, 60, 74), RGB(78, 92, 116), RGB(24, 150, 90), RGB(40, 42, 48)};
  const COLORREF inks[4] = {RGB(220, 226, 236), RGB(255, 255, 255), RGB(255, 255, 255), RGB(100, 104, 112)};
  CClientDC screen(this);
  CDC dc;
  dc.CreateCompatibleDC(&screen);
  const int w = std::max(m_metrics.buttonWidth + 2, 4), h = std::max(m_metrics.buttonHeight, 4);
  for (int code = 0; code < kButtonCount; ++code)
    for (int s = 0; s < 4; ++s) {
      CBitmap& b = m_buttonBitmaps[code][s];
      b.CreateCompatibleBitmap(&screen, w, h);
      CBitmap* old = dc.SelectObject(&b);
      dc.FillSolidRect(0, 0, w, h, faces[s]);
      dc.SetBkMode(TRANSPARENT);
      dc.SetTextColor(inks[s]);
      CFont* oldFont = dc.SelectObject(&m_ownFont);
      CRect r(0, 0, w, h);
      dc.DrawText(kGlyphs[code], -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      dc.SelectObject(oldFont);
      dc.SelectObject(old);
    }
}

// An on look shows the down picture at rest: normal, over and down change
// places; the disabled picture stays.
void CPlayWnd::ApplyButtonLook(int code, BOOL on) {
  if (code < 0 || code >= kButtonCount) return;
  m_buttonOn[code] = on;
  if (!m_buttons[code].m_hWnd) return;
  CBitmap(&b)[4] = m_buttonBitmaps[code];
  if (on)
    m_buttons[code].SetBitmaps(&b[2], &b[0], &b[1], &b[3]);
  else
    m_buttons[code].SetBitmaps(&b[0], &b[2], &b[1], &b[3]);
  m_buttons[code].Invalidate(FALSE);
}

CRect CPlayWnd::ButtonRect(int code, const CRect& client, const TitleMetrics& m) {
  // Right to left: Close Video, Audio, Snap Picture, Local Record, Talkback,
  // then Pause Turn 2 pixels further left and 2 wider.
  static const int order[] = {kButtonClose, kButtonAudio, kButtonSnap, kButtonRecord, kButtonTalkback, kButtonPause};
  int right = client.right - m.marginRight;
  for (int i = 0; i < 6; ++i) {
    int width = m.buttonWidth;
    if (order[i] == kButtonPause) {
      right -= 2;
      width += 2;
    }
    CRect r(right - width, client.top + 2, right, client.top + 2 + m.buttonHeight);
    if (order[i] == code) return r;
    right = r.left - m.interval;
  }
  return CRect();
}

CRect CPlayWnd::VideoRect(const CRect& client, BOOL statusStrip) {
  CRect r(client.left, client.top + kVideoTop, client.right, client.bottom);
  if (statusStrip) r.bottom -= kStatusStripHeight;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void CPlayWnd::LayoutChildren() {
  if (!m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  ReadSkin();
  m_titleHeight = m_metrics.titleHeight;
  for (int code = 0; code < kButtonCount; ++code)
    if (m_buttons[code].m_hWnd) {
      CRect r = ButtonRect(code, client, m_metrics);
      m_buttons[code].MoveWindow(r.left, r.top, r.Width(), r.Height(), TRUE);
    }
  CRect v = VideoRect(client, m_statusStripShown);
  if (m_videoArea.m_hWnd) m_videoArea.MoveWindow(v.left, v.top, v.Width(), v.Height(), TRUE);
}

void CPlayWnd::OnSize(UINT type, int cx, int cy) {
  CWnd::OnSize(type, cx, cy);
  LayoutChildren();
}

void CPlayWnd::SetTitle(LPCSTR text) {
  m_title = text ? text : "";
  if (!m_hWnd) return;
  CRect r;
  GetClientRect(&r);
  r.bottom = r.top + m_titleHeight;
  InvalidateRect(&r, FALSE);
}

void CPlayWnd::SetBackColor(COLORREF color) {
  // The main dialog gives the colour at every paint: an unchanged colour
  // must not repaint the video area over the picture.
  if (color == m_videoBackColor && m_videoArea.m_hWnd) return;
  m_videoBackColor = color;
  if (m_videoArea.m_hWnd) m_videoArea.SetBackColor(color);
}

void CPlayWnd::SetStatusText(LPCSTR text) {
  m_statusText = text ? text : "";
  if (!m_hWnd || !m_statusStripShown) return;
  CRect client;
  GetClientRect(&client);
  CClientDC dc(this);
  DrawStatusStrip(dc, client);
}

void CPlayWnd::DrawStatusStrip(CDC& dc, const CRect& client) {
  dc.FillSolidRect(client.left, client.bottom - kStatusStripHeight, client.Width(), kStatusStripHeight,
                   m_videoBackColor);
  if (m_statusText.IsEmpty()) return;
  CFont* old = m_font ? dc.SelectObject(m_font) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(255, 255, 255));
  dc.TextOut(2, client.bottom - kStatusStripHeight, m_statusText);
  if (old) dc.SelectObject(old);
}

void CPlayWnd::ShowStatusStrip(BOOL show) {
  m_statusStripShown = show;
  LayoutChildren();
  if (m_hWnd) Invalidate(FALSE);
}

void CPlayWnd::SetRecordButton(BOOL recording) {
  ApplyButtonLook(kButtonRecord, recording);
  SetTitle(m_title);
}

void CPlayWnd::SetAudioButton(BOOL on) { ApplyButtonLook(kButtonAudio, on); }

void CPlayWnd::SetTalkbackButton(BOOL on) {
  m_talkbackOn = on;
  ApplyButtonLook(kButtonTalkback, on);
}

void CPlayWnd::SetPauseButton(BOOL paused) {
  ApplyButtonLook(kButtonPause, paused);
  if (m_buttons[kButtonPause].m_hWnd)
    m_buttons[kButtonPause].SetTooltipText(TranslateString(paused ? "Continue Turn" : "Pause Turn"));
}

void CPlayWnd::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  CRect title = client;
  title.bottom = std::min(client.bottom, client.top + kVideoTop);
  dc.FillSolidRect(&title, m_titleBackColor);
  if (m_bitRateKbps != 0) {
    CString caption;
    caption.Format("%dkbps-%s", m_bitRateKbps, static_cast<LPCSTR>(ShownChannelName()));
    m_title = caption;
  }
  CFont* old = m_font ? dc.SelectObject(m_font) : nullptr;
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(0, 255, 0));
  dc.TextOut(0, 0, m_title);
  if (old) dc.SelectObject(old);
  if (m_statusStripShown) DrawStatusStrip(dc, client);
}

void CPlayWnd::OnTimer(UINT_PTR id) {
  if (id == kTimerBitRate && m_bitRateKbps != 0) SetTitle(m_title);
  CWnd::OnTimer(id);
}

// 6024 to the owner: wParam window << 16 | mouse message; lParam the window
// and the screen position packed as window << 24 | x << 12 | y.
void CPlayWnd::NotifyMouse(UINT what, CPoint p) {
  if (!m_notifyTarget || !m_notifyTarget->m_hWnd) return;
  ClientToScreen(&p);
  m_notifyTarget->PostMessage(WM_MONITOR_MOUSE, WPARAM(m_index) << 16 | what,
                              LPARAM(m_index) << 24 | LPARAM(p.x) << 12 | LPARAM(p.y));
}

void CPlayWnd::OnLButtonDown(UINT flags, CPoint p) {
  SetCapture();
  m_pressed = TRUE;
  NotifyMouse(WM_LBUTTONDOWN, p);
  if (m_panel && m_panel->m_hWnd) m_panel->SendMessage(WM_MONITOR_PRESS, 0, m_index);
  CWnd::OnLButtonDown(flags, p);
}

void CPlayWnd::OnLButtonDblClk(UINT flags, CPoint p) {
  NotifyMouse(WM_LBUTTONDBLCLK, p);
  CWnd::OnLButtonDblClk(flags, p);
}

void CPlayWnd::OnRButtonDown(UINT flags, CPoint p) {
  NotifyMouse(WM_RBUTTONDOWN, p);
  CWnd::OnRButtonDown(flags, p);
}

void CPlayWnd::OnMouseMove(UINT flags, CPoint p) {
  if (m_pressed && m_panel && m_panel->m_hWnd) m_panel->SendMessage(WM_MONITOR_DRAGOVER, 0, m_index);
  CWnd::OnMouseMove(flags, p);
}

void CPlayWnd::OnLButtonUp(UINT flags, CPoint p) {
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  if (m_pressed && m_panel && m_panel->m_hWnd) {
    CPoint s = p;
    ClientToScreen(&s);
    m_panel->SendMessage(WM_MONITOR_DROP, 0, MAKELONG(s.x, s.y));
  }
  m_pressed = FALSE;
  CWnd::OnLButtonUp(flags, p);
}

BOOL CPlayWnd::OnCommand(WPARAM w, LPARAM l) {
  int id = LOWORD(w);
  if (HIWORD(w) == BN_CLICKED && id >= kButtonFirstId && id < kButtonFirstId + kButtonCount) {
    if (m_panel && m_panel->m_hWnd) m_panel->SendMessage(WM_MONITOR_BUTTON, WPARAM(m_index), id - kButtonFirstId);
    return TRUE;
  }
  return CWnd::OnCommand(w, l);
}

// ---------------------------------------------------------------- CMonitorWnd

shell::WindowList* CMonitorWnd::List() const {
  return g_pMainDlg ? g_pMainDlg->m_windows.At(m_index) : nullptr;
}

int CMonitorWnd::CurrentSlot() const {
  return g_pMainDlg ? g_pMainDlg->m_windows.CurrentSlot(m_index) : -1;
}

CString CMonitorWnd::ShownChannelName() const {
  int slot = CurrentSlot();
  if (!g_pMainDlg || slot < 0) return CString();
  const shell::ChannelSlot& s = g_pMainDlg->m_channels[slot];
  // A slot without a device or without a block has no name to show.
  const shell::DeviceRecord* d = s.device.load();
  return d ? CString(shell::ChannelName(*d, s.channel.load())) : CString();
}
