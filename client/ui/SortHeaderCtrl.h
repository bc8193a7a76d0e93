// A list header that marks the column by which the list is sorted. The
// marked column's item is owner-drawn: its caption and a triangle pointing
// up (ascending) or down.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

class CSortHeaderCtrl : public CHeaderCtrl {
public:
  enum { kMarkWidth = 8, kMarkHeight = 4 };
  void SetSortMark(int column, BOOL ascending);
  int GetSortColumn() const { return m_sortColumn; }
  BOOL IsAscending() const { return m_ascending; }
  // Reaches the header through the list that owns it (the list is a
  // subclassed window, which passes WM_DRAWITEM on to its children).
  void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
  int m_sortColumn = -1;
  BOOL m_ascending = TRUE;
};
