#include "TreeCtrlEx.h"

IMPLEMENT_DYNAMIC(CTreeCtrlEx, CTreeCtrl)

BEGIN_MESSAGE_MAP(CTreeCtrlEx, CTreeCtrl)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

const int CTreeCtrlEx::kStateCodes[7] = {513, 514, 515, 516, 534, 544, 543};

int CTreeCtrlEx::ImageOfCode(int code) {
  for (int i = 0; i < 7; ++i)
    if (kStateCodes[i] == code) return i;
  return -1;
}

CTreeCtrlEx::CTreeCtrlEx() { m_images.Create(20, 20, ILC_COLOR24 | ILC_MASK, 0, 1); }

BOOL CTreeCtrlEx::LoadStateImages() {
  BOOL all = TRUE;
  for (int code : kStateCodes) {
    CBitmap picture;
    if (picture.LoadBitmap(UINT(code)))
      all = m_images.Add(&picture, RGB(0, 0, 0)) >= 0 && all;
    else
      all = FALSE;
  }
  SetImageList(&m_images, TVSIL_NORMAL);
  return all;
}

BOOL CTreeCtrlEx::SetItemState(HTREEITEM item, int code) {
  int image = ImageOfCode(code);
  return image >= 0 && SetItemImage(item, image, image);
}

BOOL CTreeCtrlEx::OnEraseBkgnd(CDC*) { return TRUE; }   // painted with the items

void CTreeCtrlEx::OnPaint() {
  if (GetCurrentMessage()->wParam) {
    Default();   // painting into a DC the caller gave
    return;
  }
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (client.IsRectEmpty()) return;
  // The tree paints itself into an off-screen bitmap that goes to the
  // screen in one block.
  CDC mem;
  CBitmap picture;
  if (!mem.CreateCompatibleDC(&dc) || !picture.CreateCompatibleBitmap(&dc, client.Width(), client.Height())) {
    DefWindowProc(WM_PAINT, WPARAM(dc.m_hDC), 0);
    return;
  }
  CBitmap* old = mem.SelectObject(&picture);
  COLORREF back = COLORREF(SendMessage(TVM_GETBKCOLOR));
  mem.FillSolidRect(&client, back == COLORREF(-1) ? ::GetSysColor(COLOR_WINDOW) : back);
  DefWindowProc(WM_PAINT, WPARAM(mem.m_hDC), 0);
  const RECT& p = dc.m_ps.rcPaint;
  dc.BitBlt(p.left, p.top, p.right - p.left, p.bottom - p.top, &mem, p.left, p.top, SRCCOPY);
  mem.SelectObject(old);
}

void CTreeCtrlEx::OnLButtonDown(UINT, CPoint pt) {
  UINT flags = 0;
  HTREEITEM item = HitTest(pt, &flags);
  if (item && (flags & TVHT_ONITEMSTATEICON)) {
    SelectItem(item);
    ::SendMessageA(::GetParent(m_hWnd), kCheckClickMessage, 0, 0);
  }
  Default();
}
