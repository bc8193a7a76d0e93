#include "BitmapSlider.h"

#include "SkinBitmap.h"
#include "SkinButton.h"

BOOL LoadMaskedBitmap(UINT id, CBitmap& picture, CBitmap& mask, BOOL transparent, COLORREF colour, int x, int y) {
  picture.DeleteObject();
  mask.DeleteObject();
  if (id == 0) return TRUE;
  if (!picture.LoadBitmap(id)) return FALSE;
  if (!transparent) return TRUE;
  BITMAP bm{};
  picture.GetBitmap(&bm);
  CDC pic, msk;
  pic.CreateCompatibleDC(nullptr);
  msk.CreateCompatibleDC(nullptr);
  CBitmap* oldPic = pic.SelectObject(&picture);
  if (colour == CBitmapSlider::kPixelColour) colour = pic.GetPixel(x, y);
  mask.CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
  CBitmap* oldMask = msk.SelectObject(&mask);
  // Colour to monochrome: pixels of the background colour become white.
  pic.SetBkColor(colour);
  msk.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &pic, 0, 0, SRCCOPY);
  msk.SelectObject(oldMask);
  pic.SelectObject(oldPic);
  return TRUE;
}

BEGIN_MESSAGE_MAP(CBitmapSlider, CStatic)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_CAPTURECHANGED()
  ON_WM_KEYDOWN()
  ON_WM_GETDLGCODE()
  ON_WM_SETFOCUS()
  ON_WM_KILLFOCUS()
  ON_WM_NCHITTEST()
  ON_WM_SIZE()
END_MESSAGE_MAP()

void CBitmapSlider::PreSubclassWindow() {
  CRect r;
  GetClientRect(&r);
  m_width = r.Width();
  m_height = r.Height();
}

void CBitmapSlider::OnSize(UINT, int cx, int cy) {
  m_width = cx;
  m_height = cy;
  Invalidate(FALSE);
}

ui::SliderAxis CBitmapSlider::Axis() const {
  ui::SliderAxis a;
  a.min = m_min;
  a.max = m_max;
  a.length = m_vertical ? m_height : m_width;
  a.startMargin = m_vertical ? m_marginTop : m_marginLeft;
  a.endMargin = m_vertical ? m_marginBottom : m_marginRight;
  a.thumb = m_vertical ? m_thumbHeight : m_thumbWidth;
  return a;
}

void CBitmapSlider::SetRange(int min, int max, BOOL redraw) {
  m_min = min;
  m_max = max;
  m_pos = Axis().ClampPos(m_pos);
  if (redraw && m_hWnd) Invalidate();
}

void CBitmapSlider::SetPos(int pos) {
  m_pos = Axis().ClampPos(pos);
  if (m_hWnd) Invalidate();
}

void CBitmapSlider::SetMargin(int left, int right, int top, int bottom) {
  m_marginLeft = left;
  m_marginRight = right;
  m_marginTop = top;
  m_marginBottom = bottom;
}

void CBitmapSlider::SetVertical(BOOL vertical) { m_vertical = vertical; }

void CBitmapSlider::EnableFocusRect(BOOL enable, BOOL redraw) {
  m_focusRect = enable;
  if (redraw && m_hWnd) Invalidate();
}

void CBitmapSlider::Enable(BOOL enable) {
  m_enabled = enable;
  if (!enable && m_dragging) {
    m_dragging = FALSE;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  }
  if (m_hWnd) Invalidate();
}

BOOL CBitmapSlider::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
  BOOL ok = CWnd::SetWindowPos(after, x, y, cx, cy, flags);
  if (!(flags & SWP_NOSIZE)) {
    m_width = cx;
    m_height = cy;
  }
  return ok;
}

BOOL CBitmapSlider::SetChannelBitmaps(UINT channelId, UINT activeChannelId, BOOL transparent, COLORREF colour,
                                      int x, int y) {
  BOOL ok = LoadMaskedBitmap(channelId, m_channel, m_channelMask, transparent, colour, x, y);
  ok = LoadMaskedBitmap(activeChannelId, m_channelActive, m_channelActiveMask, transparent, colour, x, y) && ok;
  if (m_hWnd) Invalidate();
  return ok;
}

BOOL CBitmapSlider::SetThumbBitmaps(UINT thumbId, UINT activeThumbId, BOOL transparent, COLORREF colour, int x,
                                    int y) {
  BOOL ok = LoadMaskedBitmap(thumbId, m_thumb, m_thumbMask, transparent, colour, x, y);
  ok = LoadMaskedBitmap(activeThumbId, m_thumbActive, m_thumbActiveMask, transparent, colour, x, y) && ok;
  m_thumbWidth = GetBitmapWidth(&m_thumb);
  m_thumbHeight = GetBitmapHeight(&m_thumb);
  m_pos = Axis().ClampPos(m_pos);
  if (m_hWnd) Invalidate();
  return ok;
}

void CBitmapSlider::Notify(UINT message) {
  CWnd* parent = GetParent();
  if (parent) parent->PostMessage(message, WPARAM(GetDlgCtrlID()), LPARAM(m_pos));
}

// ------------------------------------------------------------ mouse, keys
void CBitmapSlider::OnLButtonDown(UINT flags, CPoint pt) {
  if (!m_enabled) return;
  SetCapture();
  SetFocus();
  m_dragging = TRUE;
  ui::SliderAxis axis = Axis();
  int centre = axis.ThumbCentre(m_pos);
  int half = axis.thumb / 2;
  int offset = Along(pt) - centre;
  // A press on the thumb keeps its grip; elsewhere the thumb jumps there.
  m_dragOffset = (offset >= -half && offset <= half) ? offset : 0;
  OnMouseMove(flags, pt);
  Invalidate(FALSE);
}

void CBitmapSlider::OnMouseMove(UINT, CPoint pt) {
  if (!m_dragging) return;
  ui::SliderAxis axis = Axis();
  int px = axis.ClampCentre(Along(pt) - m_dragOffset);
  if (px == axis.ThumbCentre(m_pos)) return;
  int pos = axis.ClampPos(axis.PosFromPixel(px));
  if (pos == m_pos) return;
  m_pos = pos;
  Invalidate(FALSE);
  Notify(kNotifyMoving);
}

void CBitmapSlider::OnLButtonUp(UINT, CPoint) {
  // Only a drag that began here ends here: a stray release (a press
  // elsewhere, or while disabled) must not look like a seek.
  if (!m_enabled || !m_dragging) return;
  m_dragging = FALSE;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  Invalidate(FALSE);
  Notify(kNotifyMoved);
}

void CBitmapSlider::OnCaptureChanged(CWnd* wnd) {
  // The capture taken away in the middle of a drag ends the drag where the
  // thumb stands.
  if (m_dragging && wnd != this) {
    m_dragging = FALSE;
    Invalidate(FALSE);
    Notify(kNotifyMoved);
  }
}

void CBitmapSlider::OnKeyDown(UINT key, UINT, UINT) {
  if (!m_enabled) return;
  ui::SliderKey k;
  switch (key) {
    case VK_PRIOR: k = ui::SliderKey::PageUp; break;
    case VK_NEXT: k = ui::SliderKey::PageDown; break;
    case VK_END: k = ui::SliderKey::End; break;
    case VK_HOME: k = ui::SliderKey::Home; break;
    case VK_LEFT:
    case VK_UP: k = ui::SliderKey::Back; break;
    case VK_RIGHT:
    case VK_DOWN: k = ui::SliderKey::Forward; break;
    default: Default(); return;
  }
  SetPos(ui::SliderKeyPos(k, m_pos, m_page, m_min, m_max));
  Notify(kNotifyMoved);
}

UINT CBitmapSlider::OnGetDlgCode() {
  if (::GetKeyState(VK_TAB) < 0) return UINT(Default());
  return DLGC_WANTARROWS;
}

void CBitmapSlider::OnSetFocus(CWnd*) {
  m_hasFocus = TRUE;
  Invalidate(FALSE);
}

void CBitmapSlider::OnKillFocus(CWnd*) {
  m_hasFocus = FALSE;
  Invalidate(FALSE);
}

// ---------------------------------------------------------------- painting
void CBitmapSlider::OnPaint() {
  CPaintDC paint(this);
  CRect client;
  GetClientRect(&client);
  if (client.IsRectEmpty()) return;
  // Drawn off screen and copied in one go: the thumb never flickers over
  // the channel.
  CDC mem;
  mem.CreateCompatibleDC(&paint);
  CBitmap off;
  off.CreateCompatibleBitmap(&paint, client.Width(), client.Height());
  CBitmap* old = mem.SelectObject(&off);
  Draw(mem, client);
  paint.BitBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, SRCCOPY);
  mem.SelectObject(old);
}

void CBitmapSlider::Draw(CDC& dc, const CRect& client) {
  // What shows through transparent parts: the parent's background.
  FillWithParentBack(this, dc, client);

  ui::SliderAxis axis = Axis();
  int centre = axis.ThumbCentre(m_pos);
  if (m_channel.GetSafeHandle()) DrawBitmapMasked(&dc, &m_channel, &m_channelMask, client, kSkinStretched);
  if (m_channelActive.GetSafeHandle()) {
    // The active picture from the minimum end up to the thumb.
    int saved = dc.SaveDC();
    if (m_vertical)
      dc.IntersectClipRect(client.left, client.top, client.right, centre);
    else
      dc.IntersectClipRect(client.left, client.top, centre, client.bottom);
    DrawBitmapMasked(&dc, &m_channelActive, &m_channelActiveMask, client, kSkinStretched);
    dc.RestoreDC(saved);
  }

  bool active = m_dragging && m_hasFocus && m_thumbActive.GetSafeHandle();
  CBitmap& thumb = active ? m_thumbActive : m_thumb;
  CBitmap& mask = active ? m_thumbActiveMask : m_thumbMask;
  if (thumb.GetSafeHandle()) {
    CRect t;
    if (m_vertical) {
      t.left = (client.Width() - m_thumbWidth) / 2;
      t.top = centre - m_thumbHeight / 2;
    } else {
      t.left = centre - m_thumbWidth / 2;
      t.top = (client.Height() - m_thumbHeight) / 2;
    }
    t.right = t.left + m_thumbWidth;
    t.bottom = t.top + m_thumbHeight;
    DrawBitmapMasked(&dc, &thumb, &mask, t, kSkinNatural);
  }
  if (m_focusRect && m_hasFocus) dc.DrawFocusRect(&client);
}
