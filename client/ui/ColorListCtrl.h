// An owner-drawn report list: whole-row selection, marked rows in their own
// text colour, cell texts shortened with "..." on character boundaries.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <functional>
#include <vector>

// Whether b starts a double-byte character: the ANSI code page's rule when
// it is a double-byte one, else GBK's (the devices' texts are GBK).
bool IsTextLeadByte(unsigned char b);
// The text shown in a cell with `available` pixels for it: the text itself
// when it fits; otherwise its longest beginning, at least one character,
// that fits with "..." behind it, and "...". width(text, length) measures.
// Double-byte characters are kept whole.
CString FitCellText(const CString& text, int available, const std::function<int(const char*, int)>& width,
                    bool (*isLead)(unsigned char) = &IsTextLeadByte);

// Draws text in rect shortened to fit (kCellPadding / 2 kept free on each
// side), aligned by justify: LVCFMT_LEFT / RIGHT / CENTER, which have the
// values of HDF_LEFT / RIGHT / CENTER.
void DrawCellText(CDC* dc, const CString& text, const CRect& rect, int justify);

class CColorListCtrl : public CListCtrl {
public:
  // Horizontal room a cell keeps free round its text.
  enum { kCellPadding = 6 };

  void MarkRow(int row);
  void UnmarkRow(int row);
  bool IsRowMarked(int row) const;
  int GetMarkedCount() const { return int(m_marked.size()); }
  // Text colour of marked rows.
  void SetMarkColor(COLORREF color) { m_markColor = color; }
  void SetBackColor(COLORREF color) { m_backColor = color; }

  void DrawItem(LPDRAWITEMSTRUCT dis) override;

protected:
  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  void PreSubclassWindow() override;
  void InvalidateRow(int row);
  // Redraws the focused row and, unless the list always shows its
  // selection, every selected row, each from its label's left edge.
  void RedrawFocusRows();

  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg void OnSetFocus(CWnd* old);
  afx_msg void OnKillFocus(CWnd* next);
  afx_msg void OnLButtonDown(UINT flags, CPoint pt);
  afx_msg void OnDestroy();

  COLORREF m_markColor = ::GetSysColor(COLOR_WINDOWTEXT);
  COLORREF m_backColor = ::GetSysColor(COLOR_WINDOW);
  BOOL m_createdHere = FALSE;
  int m_clientWidth = 0;
  BOOL m_paintWholeRow = TRUE;
  BOOL m_firstClick = TRUE;
  std::vector<int> m_marked;
  DECLARE_MESSAGE_MAP()
};
