#include "SortHeaderCtrl.h"

#include "ColorListCtrl.h"

void CSortHeaderCtrl::SetSortMark(int column, BOOL ascending) {
  m_sortColumn = column;
  m_ascending = ascending;
  HDITEMA item{};
  item.mask = HDI_FORMAT;
  if (GetItem(column, &item)) {
    item.fmt |= HDF_OWNERDRAW;
    SetItem(column, &item);
  }
  Invalidate();
}

void CSortHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT dis) {
  CDC* dc = CDC::FromHandle(dis->hDC);
  CRect rect(dis->rcItem);
  char text[260] = {};
  HDITEMA item{};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  GetItem(int(dis->itemID), &item);

  const bool marked = int(dis->itemID) == m_sortColumn;
  CRect textRect(rect);
  textRect.DeflateRect(CColorListCtrl::kCellPadding / 2, 0);
  if (marked) textRect.right -= kMarkWidth + CColorListCtrl::kCellPadding;
  if (dis->itemState & ODS_SELECTED) textRect.OffsetRect(1, 1);

  int saved = dc->SaveDC();
  if (CFont* font = GetFont()) dc->SelectObject(font);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(::GetSysColor(COLOR_BTNTEXT));
  DrawCellText(dc, text, textRect, item.fmt & HDF_JUSTIFYMASK);
  if (marked) {
    // The triangle, right-aligned and centred vertically.
    int left = rect.right - CColorListCtrl::kCellPadding - kMarkWidth;
    int top = rect.top + (rect.Height() - kMarkHeight) / 2;
    CBrush brush(::GetSysColor(COLOR_BTNTEXT));
    CPen pen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT));
    dc->SelectObject(&brush);
    dc->SelectObject(&pen);
    POINT tri[3];
    if (m_ascending) {
      tri[0] = {left, top + kMarkHeight};
      tri[1] = {left + kMarkWidth, top + kMarkHeight};
      tri[2] = {left + kMarkWidth / 2, top};
    } else {
      tri[0] = {left, top};
      tri[1] = {left + kMarkWidth, top};
      tri[2] = {left + kMarkWidth / 2, top + kMarkHeight};
    }
    dc->Polygon(tri, 3);
    dc->RestoreDC(saved);   // the brush and pen leave the DC before they go
    return;
  }
  dc->RestoreDC(saved);
}
