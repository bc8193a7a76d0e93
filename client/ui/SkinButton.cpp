// CSkinButton and the bitmap helpers the skin panels share with it.
#include "SkinButton.h"

#include <algorithm>

// ------------------------------------------------------------ bitmaps
namespace {

BITMAP BitmapInfo(HBITMAP h) {
  BITMAP bm{};
  if (h) ::GetObjectA(h, sizeof bm, &bm);
  return bm;
}

// A memory DC compatible with the screen that puts back what it selected.
class MemDC {
public:
  explicit MemDC(HDC like = nullptr) : m_dc(::CreateCompatibleDC(like)) {}
  ~MemDC() {
    if (m_old) ::SelectObject(m_dc, m_old);
    if (m_dc) ::DeleteDC(m_dc);
  }
  MemDC(const MemDC&) = delete;
  MemDC& operator=(const MemDC&) = delete;
  HDC Select(HGDIOBJ obj) {
    HGDIOBJ prev = ::SelectObject(m_dc, obj);
    if (!m_old) m_old = prev;
    return m_dc;
  }
  operator HDC() const { return m_dc; }
private:
  HDC m_dc;
  HGDIOBJ m_old = nullptr;
};

}  // namespace

BOOL CopyBitmapPart(CBitmap* source, CBitmap* target, int left, int top, int right, int bottom) {
  if (!source || !source->GetSafeHandle() || !target) return FALSE;
  target->DeleteObject();
  HDC screen = ::GetDC(nullptr);
  HBITMAP copy = ::CreateCompatibleBitmap(screen, right - left, bottom - top);
  if (copy) {
    MemDC from(screen), to(screen);
    from.Select(source->m_hObject);
    to.Select(copy);
    ::BitBlt(to, 0, 0, right - left, bottom - top, from, left, top, SRCCOPY);
  }
  ::ReleaseDC(nullptr, screen);
  return copy && target->Attach(copy);
}

int GetBitmapWidth(CBitmap* bitmap) {
  return bitmap ? int(BitmapInfo(static_cast<HBITMAP>(bitmap->GetSafeHandle())).bmWidth) : 0;
}

int GetBitmapHeight(CBitmap* bitmap) {
  return bitmap ? int(BitmapInfo(static_cast<HBITMAP>(bitmap->GetSafeHandle())).bmHeight) : 0;
}

std::vector<RECT> MaskRuns(const uint32_t* pixels, int width, int height, COLORREF transparent) {
  const uint32_t clear = (uint32_t(GetRValue(transparent)) << 16) | (uint32_t(GetGValue(transparent)) << 8) |
                         GetBValue(transparent);
  std::vector<RECT> runs;
  for (int y = height - 1; y >= 0; --y) {
    const uint32_t* row = pixels + size_t(y) * size_t(width);
    int start = -1;
    for (int x = 0; x < width; ++x) {
      bool opaque = (row[x] & 0xFFFFFF) != clear;
      if (opaque && start < 0) start = x;
      if (!opaque && start >= 0) {
        runs.push_back(RECT{start, y, x, y + 1});
        start = -1;
      }
    }
    if (start >= 0) runs.push_back(RECT{start, y, width, y + 1});   // the run ends with the row
  }
  return runs;
}

HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF transparent) {
  BITMAP bm = BitmapInfo(bitmap);
  if (bm.bmWidth <= 0 || bm.bmHeight <= 0) return nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;   // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(size_t(bm.bmWidth) * size_t(bm.bmHeight));
  HDC screen = ::GetDC(nullptr);
  int lines = ::GetDIBits(screen, bitmap, 0, UINT(bm.bmHeight), pixels.data(), &bi, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (lines != bm.bmHeight) return nullptr;

  const std::vector<RECT> runs = MaskRuns(pixels.data(), bm.bmWidth, bm.bmHeight, transparent);
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  // The runs go into the region in blocks of 40 rectangles.
  const size_t kBlock = 40;
  std::vector<BYTE> data(sizeof(RGNDATAHEADER) + kBlock * sizeof(RECT));
  for (size_t first = 0; region && first < runs.size(); first += kBlock) {
    size_t n = std::min(kBlock, runs.size() - first);
    RGNDATA* rd = reinterpret_cast<RGNDATA*>(data.data());
    rd->rdh.dwSize = sizeof(RGNDATAHEADER);
    rd->rdh.iType = RDH_RECTANGLES;
    rd->rdh.nCount = DWORD(n);
    rd->rdh.nRgnSize = DWORD(n * sizeof(RECT));
    RECT bound{bm.bmWidth, bm.bmHeight, 0, 0};
    RECT* out = reinterpret_cast<RECT*>(rd->Buffer);
    for (size_t i = 0; i < n; ++i) {
      out[i] = runs[first + i];
      bound.left = std::min(bound.left, out[i].left);
      bound.top = std::min(bound.top, out[i].top);
      bound.right = std::max(bound.right, out[i].right);
      bound.bottom = std::max(bound.bottom, out[i].bottom);
    }
    rd->rdh.rcBound = bound;
    HRGN block = ::ExtCreateRegion(nullptr, DWORD(data.size()), rd);
    if (!block) {
      ::DeleteObject(region);
      return nullptr;
    }
    ::CombineRgn(region, region, block, RGN_OR);
    ::DeleteObject(block);
  }
  return region;
}

void DrawBitmapTiled(CDC* dc, CBitmap* picture, const CRect& rect) {
  BITMAP bm = BitmapInfo(static_cast<HBITMAP>(picture->GetSafeHandle()));
  if (bm.bmWidth <= 0 || bm.bmHeight <= 0) return;
  MemDC src(*dc);
  src.Select(picture->m_hObject);
  for (int y = rect.top; y < rect.bottom; y += bm.bmHeight)
    for (int x = rect.left; x < rect.right; x += bm.bmWidth)
      ::BitBlt(*dc, x, y, std::min<int>(bm.bmWidth, rect.right - x), std::min<int>(bm.bmHeight, rect.bottom - y),
               src, 0, 0, SRCCOPY);
}

void DrawBitmapMasked(CDC* dc, CBitmap* picture, CBitmap* mask, const CRect& rect, int drawMode) {
  BITMAP bm = BitmapInfo(static_cast<HBITMAP>(picture->GetSafeHandle()));
  if (bm.bmWidth <= 0 || bm.bmHeight <= 0 || rect.IsRectEmpty()) return;
  const bool stretch = drawMode != kSkinNatural;
  MemDC pic(*dc);
  pic.Select(picture->m_hObject);
  // Copies src (its own size w x h) to (x, y) of target, stretched over the
  // whole rectangle or unscaled.
  auto put = [&](HDC target, int x, int y, HDC src, int w, int h, DWORD rop) {
    if (stretch)
      ::StretchBlt(target, x, y, rect.Width(), rect.Height(), src, 0, 0, w, h, rop);
    else
      ::BitBlt(target, x, y, std::min<int>(w, rect.Width()), std::min<int>(h, rect.Height()), src, 0, 0, rop);
  };
  ::SetStretchBltMode(*dc, COLORONCOLOR);
  BITMAP mb = BitmapInfo(static_cast<HBITMAP>(mask ? mask->GetSafeHandle() : nullptr));
  if (mb.bmWidth <= 0 || mb.bmHeight <= 0) {
    put(*dc, rect.left, rect.top, pic, bm.bmWidth, bm.bmHeight, SRCCOPY);
    return;
  }
  // Off screen: background ^ picture, & mask, ^ picture leaves the
  // background under white mask pixels and the picture under black ones.
  HBITMAP work = ::CreateCompatibleBitmap(*dc, rect.Width(), rect.Height());
  if (!work) return;
  {
    MemDC off(*dc), msk(*dc);
    off.Select(work);
    msk.Select(mask->m_hObject);
    ::SetStretchBltMode(off, COLORONCOLOR);
    ::BitBlt(off, 0, 0, rect.Width(), rect.Height(), *dc, rect.left, rect.top, SRCCOPY);
    put(off, 0, 0, pic, bm.bmWidth, bm.bmHeight, SRCINVERT);
    put(off, 0, 0, msk, mb.bmWidth, mb.bmHeight, SRCAND);
    put(off, 0, 0, pic, bm.bmWidth, bm.bmHeight, SRCINVERT);
    ::BitBlt(*dc, rect.left, rect.top, rect.Width(), rect.Height(), off, 0, 0, SRCCOPY);
  }
  ::DeleteObject(work);
}

// -------------------------------------------------------- CSkinButton
BEGIN_MESSAGE_MAP(CSkinButton, CButton)
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSELEAVE()
  ON_WM_KILLFOCUS()
  ON_WM_CAPTURECHANGED()
  ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CSkinButton::~CSkinButton() {
  if (m_region) ::DeleteObject(m_region);
  if (m_cursor) ::DestroyCursor(m_cursor);
  if (m_tooltip.GetSafeHwnd()) m_tooltip.DestroyWindow();
}

void CSkinButton::SetBitmaps(CBitmap* normal, CBitmap* pressed, CBitmap* hover, CBitmap* disabled, UINT maskId,
                             int drawMode, int border, UINT cursorId, int focusInset) {
  m_bmpNormal.DeleteObject();
  m_bmpPressed.DeleteObject();
  m_bmpHover.DeleteObject();
  m_bmpDisabled.DeleteObject();
  m_bmpMask.DeleteObject();

  auto copy = [](CBitmap* from, CBitmap& to) {
    if (from && from->GetSafeHandle())
      CopyBitmapPart(from, &to, 0, 0, GetBitmapWidth(from), GetBitmapHeight(from));
  };
  copy(normal, m_bmpNormal);
  copy(pressed, m_bmpPressed);
  copy(hover, m_bmpHover);
  copy(disabled && disabled->GetSafeHandle() ? disabled : normal, m_bmpDisabled);

  m_drawMode = short(std::clamp(drawMode, 0, 2));
  m_border = border;
  m_focusInset = short(std::max(focusInset, 0));

  if (maskId && m_bmpMask.LoadBitmap(maskId)) {
    if (m_region) ::DeleteObject(m_region);
    m_region = CreateRegionFromBitmap(m_bmpMask, RGB(255, 255, 255));
    if (m_region && m_hWnd) {
      // SetWindowRgn takes the region it is given: hand it a copy.
      HRGN windowRegion = ::CreateRectRgn(0, 0, 0, 0);
      ::CombineRgn(windowRegion, m_region, nullptr, RGN_COPY);
      if (!SetWindowRgn(windowRegion, TRUE)) ::DeleteObject(windowRegion);
      if (m_drawMode == kSkinNatural)
        SetWindowPos(nullptr, 0, 0, GetBitmapWidth(&m_bmpMask), GetBitmapHeight(&m_bmpMask),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (cursorId) SetCursorId(cursorId);
  if (m_hWnd) Invalidate(FALSE);
}

void CSkinButton::SetTooltipText(LPCSTR text) {
  if (!m_hWnd) return;
  if (m_tooltip.GetSafeHwnd()) {
    m_tooltip.UpdateTipText(text, this);
    return;
  }
  if (!m_tooltip.Create(this, TTS_ALWAYSTIP)) return;
  // The button relays its mouse messages itself (no subclassing tool).
  m_tooltip.AddTool(this, text, nullptr, 0, 0);
  m_tooltip.SetDelayTime(TTDT_INITIAL, 200);
  m_tooltip.SetDelayTime(TTDT_AUTOPOP, 10000);
  m_tooltip.Activate(TRUE);
}

void CSkinButton::SetState(int value) {
  m_state = value;
  if (m_hWnd) Invalidate(FALSE);
}

void CSkinButton::SetNotifyMessage(UINT message, UINT id) {
  m_notifyMessage = message;
  m_notifyId = id;
}

void CSkinButton::SetTextColor(COLORREF color) {
  m_textColor = color;
  if (m_hWnd) Invalidate(FALSE);
}

BOOL CSkinButton::SetCursorId(UINT cursorId) {
  if (m_cursor) ::DestroyCursor(m_cursor);
  m_cursor = nullptr;
  if (!cursorId) return TRUE;
  HINSTANCE module = AfxGetResourceHandle();
  if (!::FindResourceA(module, MAKEINTRESOURCEA(cursorId), RT_GROUP_CURSOR))
    module = ::GetModuleHandleA(nullptr);
  m_cursor = static_cast<HCURSOR>(::LoadImageA(module, MAKEINTRESOURCEA(cursorId), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  return m_cursor != nullptr;
}

// ------------------------------------------------------------ drawing
void CSkinButton::DrawStateBitmap(CDC* dc, CBitmap& picture, const CRect& rect) {
  if (!picture.GetSafeHandle()) {
    dc->FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
    return;
  }
  if (m_drawMode == kSkinTiled)
    DrawBitmapTiled(dc, &picture, rect);
  else
    DrawBitmapMasked(dc, &picture, &m_bmpMask, rect, m_drawMode);
}

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect rect(dis->rcItem);

  // A held press follows the pointer: the push state is put right first and
  // the button control draws again.
  if (m_pressed && ::GetCapture() == m_hWnd) {
    CPoint pt;
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    CRect client;
    GetClientRect(&client);
    bool inside = client.PtInRect(pt) != 0;
    bool pushed = (GetState() & BST_PUSHED) != 0;
    if (inside != pushed) {
      CButton::SetState(inside);
      return;
    }
  }

  int saved = dc->SaveDC();
  dc->SetBkMode(TRANSPARENT);
  dc->SelectStockObject(DEFAULT_GUI_FONT);
  CString caption;
  GetWindowText(caption);
  TEXTMETRICA tm{};
  dc->GetTextMetrics(&tm);
  CPoint text(rect.left + (rect.Width() - caption.GetLength() * tm.tmAveCharWidth) / 2,
              rect.top + (rect.Height() - tm.tmHeight) / 2);

  if (m_state) {
    DrawStateBitmap(dc, m_bmpPressed, rect);
  } else if (dis->itemState & ODS_DISABLED) {
    DrawStateBitmap(dc, m_bmpDisabled, rect);
    if (m_border) dc->DrawEdge(&rect, EDGE_RAISED, BF_RECT);
    dc->SetTextColor(::GetSysColor(COLOR_3DHILIGHT));
    dc->TextOut(text.x + 1, text.y + 1, caption);
    dc->SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    dc->TextOut(text.x, text.y, caption);
  } else {
    if (dis->itemState & ODS_SELECTED) {
      DrawStateBitmap(dc, m_bmpPressed, rect);
      if (m_border) dc->DrawEdge(&rect, EDGE_SUNKEN, BF_RECT);
    } else {
      DrawStateBitmap(dc, m_hover && m_bmpHover.GetSafeHandle() ? m_bmpHover : m_bmpNormal, rect);
      if (m_border) dc->DrawEdge(&rect, EDGE_RAISED, BF_RECT);
    }
    CRect clip(rect);
    if ((dis->itemState & ODS_FOCUS) && m_focusInset > 0) {
      clip.DeflateRect(m_focusInset, m_focusInset);
      dc->DrawFocusRect(&clip);
    }
    dc->SetTextColor(m_textColor);
    dc->ExtTextOut(text.x, text.y, ETO_CLIPPED, &clip, caption, UINT(caption.GetLength()), nullptr);
  }
  dc->RestoreDC(saved);
}

// ------------------------------------------------------ mouse and keys
void CSkinButton::RelayToTooltip() {
  if (!m_tooltip.GetSafeHwnd()) return;
  MSG m = *GetCurrentMessage();
  m.time = DWORD(::GetMessageTime());
  m.pt = CPoint(m.lParam);
  m_tooltip.RelayEvent(&m);
}

void CSkinButton::PostNotify(WPARAM code) {
  if (m_notifyMessage && m_hWnd) ::PostMessageA(::GetParent(m_hWnd), m_notifyMessage, code, LPARAM(m_notifyId));
}

void CSkinButton::EndPress() {
  if (!m_pressed) return;
  m_pressed = false;
  PostNotify(kNotifyRelease);
}

void CSkinButton::OnLButtonDown(UINT, CPoint) {
  RelayToTooltip();
  if (m_hover) {
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE | TME_CANCEL, m_hWnd, 0};
    ::TrackMouseEvent(&tme);
    m_hover = false;
  }
  m_pressed = true;
  Default();
  PostNotify(kNotifyPress);
}

void CSkinButton::OnLButtonUp(UINT, CPoint) {
  RelayToTooltip();
  m_pressed = false;
  Default();
  PostNotify(kNotifyRelease);
}

void CSkinButton::OnLButtonDblClk(UINT, CPoint) {
  RelayToTooltip();
  // A double click is a second press.
  const MSG* m = GetCurrentMessage();
  SendMessage(WM_LBUTTONDOWN, m->wParam, m->lParam);
}

void CSkinButton::OnMouseMove(UINT, CPoint pt) {
  RelayToTooltip();
  if (m_pressed && ::GetCapture() == m_hWnd) {
    CRect client;
    GetClientRect(&client);
    bool inside = client.PtInRect(pt) != 0;
    if (inside != ((GetState() & BST_PUSHED) != 0)) {
      CButton::SetState(inside);
      Invalidate(FALSE);
    }
  } else if (!m_hover) {
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, 0};
    if (::TrackMouseEvent(&tme)) {
      m_hover = true;
      Invalidate(FALSE);
    }
  }
  Default();
}

void CSkinButton::OnMouseLeave() {
  m_hover = false;
  Invalidate(FALSE);
  Default();
}

void CSkinButton::OnKillFocus(CWnd*) {
  // A press that loses the focus ends here: the parent hears the release
  // (a camera moving on the press must stop).
  EndPress();
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  Default();
}

void CSkinButton::OnCaptureChanged(CWnd*) {
  EndPress();
  Default();
}

BOOL CSkinButton::OnSetCursor(CWnd*, UINT, UINT) {
  if (m_cursor) {
    ::SetCursor(m_cursor);
    return TRUE;
  }
  return BOOL(Default());
}
