#include "AreaSelectCtrl.h"

#include "language.h"

BEGIN_MESSAGE_MAP(CAreaSelectCtrl, CWnd)
  ON_WM_CREATE()
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_SIZE()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_RBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CAreaSelectCtrl::~CAreaSelectCtrl() {
  if (m_hWnd) DestroyWindow();
}

BOOL CAreaSelectCtrl::Create(UINT index, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  m_index = int(index);
  m_notify = parent;
  return CWnd::Create(nullptr, nullptr, style | WS_CHILD, rect, parent, id);
}

int CAreaSelectCtrl::OnCreate(LPCREATESTRUCT) {
  m_captionFont.CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  if (!m_pictureCtrl.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, kPictureId)) return -1;
  m_pictureCtrl.SetBackColor(m_backColor);
  if (m_picture) m_pictureCtrl.SetBitmap(m_picture);
  return 0;
}

void CAreaSelectCtrl::ShowPicture(BOOL show) {
  if (m_pictureCtrl.GetSafeHwnd()) m_pictureCtrl.ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void CAreaSelectCtrl::SetBackColor(COLORREF color) {
  m_backColor = color;
  if (m_pictureCtrl.GetSafeHwnd()) m_pictureCtrl.SetBackColor(color);
  if (m_hWnd) Invalidate(TRUE);
}

void CAreaSelectCtrl::SetArea(const RECT* area) {
  m_area = area ? ui::AreaRect{area->left, area->top, area->right, area->bottom} : ui::AreaRect{};
  if (m_hWnd) Invalidate(TRUE);
}

void CAreaSelectCtrl::SetPicture(HBITMAP picture) {
  m_picture = picture;
  if (m_pictureCtrl.GetSafeHwnd()) m_pictureCtrl.SetBitmap(picture);
  if (m_hWnd) Invalidate(TRUE);
}

void CAreaSelectCtrl::SetCaption(LPCSTR text) {
  m_caption = text ? text : "";
  if (m_hWnd) Invalidate(TRUE);
}

void CAreaSelectCtrl::ShowCaption(BOOL show) {
  m_showCaption = show;
  if (m_hWnd) {
    Layout();
    Invalidate(TRUE);
  }
}

void CAreaSelectCtrl::SetRecordMark(int mark) {
  m_recordMark = mark;
  if (m_hWnd) Invalidate(TRUE);
}

void CAreaSelectCtrl::SetDetectionMark(int mark) {
  m_detectionMark = mark;
  if (m_hWnd) Invalidate(TRUE);
}

void CAreaSelectCtrl::SetKeepProportion(BOOL keep) {
  m_keepProportion = keep;
  if (m_hWnd) Layout();
}

void CAreaSelectCtrl::Layout() {
  if (!m_pictureCtrl.GetSafeHwnd()) return;
  CRect client;
  GetClientRect(&client);
  ui::AreaRect r = ui::PictureRect(client.Width(), client.Height(), m_showCaption != 0, m_keepProportion != 0);
  m_pictureCtrl.MoveWindow(r.left, r.top, r.Width(), r.Height());
}

void CAreaSelectCtrl::OnSize(UINT, int, int) { Layout(); }

// ---------------------------------------------------------------- painting
void CAreaSelectCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  BITMAP bm{};
  if (m_picture && ::GetObjectA(m_picture, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) {
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    HGDIOBJ old = ::SelectObject(mem, m_picture);
    dc.SetStretchBltMode(HALFTONE);
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    dc.StretchBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    ::SelectObject(mem, old);
  } else {
    dc.FillSolidRect(&client, m_backColor);
  }

  dc.SetBkMode(TRANSPARENT);
  CFont* oldFont = dc.SelectObject(&m_captionFont);
  if (m_showCaption && !m_caption.IsEmpty()) {
    dc.SetTextColor(RGB(255, 255, 255));
    dc.TextOut(2, client.bottom - ui::kAreaCaptionHeight, m_caption);
  }
  if (m_recordMark) {
    dc.SetTextColor(ui::kRecordMarkColour);
    dc.TextOut(client.right - 80, 2, TranslateString("REC"));
  }
  if (m_detectionMark) {
    dc.SetTextColor(ui::DetectionMarkColour(m_detectionMark));
    dc.TextOut(client.right - 40, 2, TranslateString("DET"));
  }
  dc.SelectObject(oldFont);

  if (m_area.HasArea()) {
    ui::AreaRect r = ui::ScaleArea(m_area, client.Width(), client.Height());
    CPen pen(PS_SOLID, 4, ui::AreaFrameColour(m_detectionMark));
    CPen* oldPen = dc.SelectObject(&pen);
    CGdiObject* oldBrush = dc.SelectStockObject(NULL_BRUSH);
    dc.Rectangle(r.left, r.top, r.right, r.bottom);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
  }
}

// ------------------------------------------------------------------- mouse
void CAreaSelectCtrl::PostMouse(UINT event, UINT flags, CPoint pt) {
  if (!m_notify || !m_notify->GetSafeHwnd()) return;
  ClientToScreen(&pt);
  m_notify->PostMessage(kNotifyMessage, WPARAM((flags << 16) | event),
                        LPARAM(ui::AreaMouseParam(m_index, pt.x, pt.y)));
}

void CAreaSelectCtrl::OnLButtonDown(UINT flags, CPoint pt) {
  PostMouse(kButtonDown, flags, pt);
  if (!m_selectEnabled) return;
  m_dragging = TRUE;
  m_band.SetRectEmpty();
  m_dragStart = pt;
  SetCapture();
}

void CAreaSelectCtrl::OnLButtonDblClk(UINT flags, CPoint pt) { PostMouse(kDoubleClick, flags, pt); }

void CAreaSelectCtrl::OnRButtonDown(UINT flags, CPoint pt) { PostMouse(kRightDown, flags, pt); }

void CAreaSelectCtrl::DrawBand(CDC& dc, const CRect& r, BOOL erase) {
  if (r.IsRectEmpty() && !erase) return;
  CPen pen(erase ? PS_SOLID : PS_DOT, 1, erase ? m_backColor : RGB(0, 255, 0));
  CPen* oldPen = dc.SelectObject(&pen);
  CGdiObject* oldBrush = dc.SelectStockObject(NULL_BRUSH);
  if (!erase) dc.SetBkMode(TRANSPARENT);
  dc.Rectangle(&r);
  dc.SelectObject(oldBrush);
  dc.SelectObject(oldPen);
}

void CAreaSelectCtrl::OnMouseMove(UINT, CPoint pt) {
  if (!m_dragging) return;
  CClientDC dc(this);
  if (!m_band.IsRectEmpty()) DrawBand(dc, m_band, TRUE);
  ui::AreaRect r = ui::NormalizeDrag(m_dragStart.x, m_dragStart.y, pt.x, pt.y);
  m_band.SetRect(r.left, r.top, r.right, r.bottom);
  DrawBand(dc, m_band, FALSE);
}

void CAreaSelectCtrl::OnLButtonUp(UINT, CPoint pt) {
  if (!m_dragging) return;
  m_dragging = FALSE;
  if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  {
    CClientDC dc(this);
    if (!m_band.IsRectEmpty()) DrawBand(dc, m_band, TRUE);
  }
  m_band.SetRectEmpty();
  CRect client;
  GetClientRect(&client);
  ui::AreaRect r = ui::ClampToClient(ui::NormalizeDrag(m_dragStart.x, m_dragStart.y, pt.x, pt.y), client.Width(),
                                     client.Height());
  if (r.HasArea() && m_notify && m_notify->GetSafeHwnd()) {
    RECT area{r.left, r.top, r.right, r.bottom};
    m_notify->SendMessage(kNotifyMessage, WPARAM((UINT(m_index) << 16) | kAreaDrawn), LPARAM(&area));
  }
  Invalidate(TRUE);
}

void CAreaSelectCtrl::OnCaptureChanged(CWnd* wnd) {
  // Capture taken away mid-drag: the drag is dropped, no area reported.
  if (m_dragging && wnd != this) {
    m_dragging = FALSE;
    m_band.SetRectEmpty();
    Invalidate(TRUE);
  }
}
