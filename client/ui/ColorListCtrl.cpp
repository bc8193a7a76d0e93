#include "ColorListCtrl.h"

#include <algorithm>

bool IsTextLeadByte(unsigned char b) {
  static const bool ansiIsDoubleByte = [] {
    CPINFO info{};
    return ::GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2;
  }();
  if (ansiIsDoubleByte) return ::IsDBCSLeadByte(b) != FALSE;
  return b >= 0x81 && b <= 0xFE;
}

CString FitCellText(const CString& text, int available, const std::function<int(const char*, int)>& width,
                    bool (*isLead)(unsigned char)) {
  const char* s = text;
  const int n = text.GetLength();
  if (n == 0 || width(s, n) <= available) return text;
  // Ends of the whole characters: a lead byte takes the byte after it.
  std::vector<int> ends;
  for (int i = 0; i < n;) {
    i += (isLead(static_cast<unsigned char>(s[i])) && i + 1 < n) ? 2 : 1;
    ends.push_back(i);
  }
  const int dots = width("...", 3);
  size_t keep = ends.size();
  while (keep > 1 && width(s, ends[keep - 1]) + dots > available) --keep;
  return CString(s, ends.empty() ? 0 : ends[keep - 1]) + "...";
}

void DrawCellText(CDC* dc, const CString& text, const CRect& rect, int justify) {
  CRect inside(rect);
  inside.DeflateRect(CColorListCtrl::kCellPadding / 2, 0);
  if (inside.Width() <= 0) return;
  CString shown = FitCellText(text, inside.Width(), [dc](const char* s, int n) { return int(dc->GetTextExtent(s, n).cx); });
  UINT align = DT_LEFT;
  switch (justify & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: align = DT_RIGHT; break;
    case LVCFMT_CENTER: align = DT_CENTER; break;
    default: break;
  }
  dc->DrawText(shown, &inside, align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

BEGIN_MESSAGE_MAP(CColorListCtrl, CListCtrl)
  ON_WM_SIZE()
  ON_WM_PAINT()
  ON_WM_SETFOCUS()
  ON_WM_KILLFOCUS()
  ON_WM_LBUTTONDOWN()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CColorListCtrl::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style = (cs.style & ~LVS_TYPEMASK) | LVS_REPORT | LVS_OWNERDRAWFIXED;
  m_createdHere = TRUE;
  return CListCtrl::PreCreateWindow(cs);
}

void CColorListCtrl::PreSubclassWindow() {
  // A list of a dialog template becomes the owner-drawn report here.
  if (!m_createdHere) ModifyStyle(LVS_TYPEMASK, LVS_REPORT | LVS_OWNERDRAWFIXED);
  CRect client;
  GetClientRect(&client);
  m_clientWidth = client.Width();
  CListCtrl::PreSubclassWindow();
}

void CColorListCtrl::MarkRow(int row) {
  if (IsRowMarked(row)) return;
  m_marked.push_back(row);
  InvalidateRow(row);
}

void CColorListCtrl::UnmarkRow(int row) {
  auto it = std::find(m_marked.begin(), m_marked.end(), row);
  if (it == m_marked.end()) return;
  m_marked.erase(it);
  InvalidateRow(row);
}

bool CColorListCtrl::IsRowMarked(int row) const {
  return std::find(m_marked.begin(), m_marked.end(), row) != m_marked.end();
}

void CColorListCtrl::InvalidateRow(int row) {
  CRect r;
  if (m_hWnd && GetItemRect(row, &r, LVIR_BOUNDS)) {
    if (m_paintWholeRow) r.right = std::max<LONG>(r.right, m_clientWidth);
    InvalidateRect(&r, FALSE);
  }
}

void CColorListCtrl::DrawItem(LPDRAWITEMSTRUCT dis) {
  const int row = int(dis->itemID);
  if (row < 0) return;
  CDC* dc = CDC::FromHandle(dis->hDC);
  const CRect rowRect(dis->rcItem);
  LVITEMA item{};
  item.mask = LVIF_IMAGE | LVIF_STATE;
  item.iItem = row;
  item.stateMask = 0xFFFF;
  GetItem(&item);

  const bool hasFocus = ::GetFocus() == m_hWnd;
  const bool highlighted = (item.state & LVIS_SELECTED) && (hasFocus || (GetStyle() & LVS_SHOWSELALWAYS));
  COLORREF back = m_backColor, text = IsRowMarked(row) ? m_markColor : RGB(0, 0, 0);
  if (highlighted) {
    back = ::GetSysColor(COLOR_HIGHLIGHT);
    text = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  CRect fill(rowRect);
  if (m_paintWholeRow) fill.right = std::max<LONG>(fill.right, m_clientWidth);
  dc->FillSolidRect(&fill, back);

  int saved = dc->SaveDC();
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(text);
  CHeaderCtrl* header = GetHeaderCtrl();
  const int columns = header ? header->GetItemCount() : 0;
  std::vector<int> order(size_t(std::max(columns, 0)));
  for (int i = 0; i < columns; ++i) order[size_t(i)] = i;
  if (columns > 0) SendMessage(LVM_GETCOLUMNORDERARRAY, WPARAM(columns), LPARAM(order.data()));

  int x = rowRect.left;
  for (int column : order) {
    LVCOLUMNA col{};
    col.mask = LVCF_FMT | LVCF_WIDTH;
    SendMessage(LVM_GETCOLUMNA, WPARAM(column), LPARAM(&col));
    CRect cell(x, rowRect.top, x + col.cx, rowRect.bottom);
    x += col.cx;
    if (column == 0) {
      // State picture and small picture at the left of the first column.
      HIMAGELIST states = reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, LVSIL_STATE));
      int state = int((item.state & LVIS_STATEIMAGEMASK) >> 12);
      int cx = 0, cy = 0;
      if (states && state > 0 && ImageList_GetIconSize(states, &cx, &cy)) {
        ImageList_Draw(states, state - 1, *dc, cell.left, cell.top + (cell.Height() - cy) / 2, ILD_TRANSPARENT);
        cell.left += cx;
      }
      HIMAGELIST small = reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL));
      if (small && item.iImage >= 0 && ImageList_GetIconSize(small, &cx, &cy)) {
        ImageList_Draw(small, item.iImage, *dc, cell.left, cell.top + (cell.Height() - cy) / 2, ILD_TRANSPARENT);
        cell.left += cx;
      }
    }
    DrawCellText(dc, GetItemText(row, column), cell, col.fmt);
  }
  dc->RestoreDC(saved);

  const bool focused = m_firstClick ? row == GetSelectionMark() : (dis->itemState & ODS_FOCUS) != 0;
  if (focused) dc->DrawFocusRect(&fill);
}

void CColorListCtrl::OnSize(UINT, int cx, int) {
  m_clientWidth = cx;
  Default();
}

void CColorListCtrl::OnPaint() {
  // Rows are filled beyond the last column: the rows about to be painted
  // take the strip right of it along.
  CRect update;
  if ((GetStyle() & LVS_TYPEMASK) == LVS_REPORT && m_paintWholeRow && GetItemCount() > 0 &&
      ::GetUpdateRect(m_hWnd, &update, FALSE)) {
    CRect bounds, client;
    GetClientRect(&client);
    if (GetItemRect(0, &bounds, LVIR_BOUNDS) && bounds.right < client.right && update.left < bounds.right)
      InvalidateRect(CRect(bounds.right, update.top, client.right, update.bottom), FALSE);
  }
  Default();
}

void CColorListCtrl::RedrawFocusRows() {
  auto redraw = [this](int row) {
    CRect bounds, label;
    if (!GetItemRect(row, &bounds, LVIR_BOUNDS) || !GetItemRect(row, &label, LVIR_LABEL)) return;
    bounds.left = label.left;
    if (m_paintWholeRow) bounds.right = std::max<LONG>(bounds.right, m_clientWidth);
    InvalidateRect(&bounds, FALSE);
  };
  int focused = GetNextItem(-1, LVNI_FOCUSED);
  if (focused >= 0) redraw(focused);
  if (!(GetStyle() & LVS_SHOWSELALWAYS))
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) redraw(row);
  UpdateWindow();
}

void CColorListCtrl::OnSetFocus(CWnd* old) {
  Default();
  if (!old || !::IsChild(m_hWnd, old->m_hWnd)) RedrawFocusRows();
}

void CColorListCtrl::OnKillFocus(CWnd* next) {
  Default();
  if (!next || !::IsChild(m_hWnd, next->m_hWnd)) RedrawFocusRows();
}

void CColorListCtrl::OnLButtonDown(UINT, CPoint pt) {
  if (m_firstClick && HitTest(pt) >= 0) {
    m_firstClick = FALSE;
    Invalidate();
  }
  Default();
}

void CColorListCtrl::OnDestroy() {
  m_firstClick = TRUE;
  Default();
}
