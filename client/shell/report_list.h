// Report-view lists of the shell's dialogs: translated column titles,
// full-row selection and grid lines.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "language.h"

struct ListColumn {
  const char* title;   // English
  int width;           // pixels
};

inline void SetupReportList(CListCtrl& list, const ListColumn* columns, int count) {
  for (int i = 0; i < count; ++i) list.InsertColumn(i, TranslateString(columns[i].title), LVCFMT_LEFT, columns[i].width);
  list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}
