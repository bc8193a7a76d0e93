// The main dialog's collapsible side panels (PTZ, colour, plan): the base
// they share, the column that keeps at most one of them expanded, and the
// skin they read from the interface solution.
#pragma once
#include <afxwin.h>

#include <functional>

#include "SkinButton.h"

class CSidePanelDlg;

// The left column: the three panels above the device panel. Expanding one
// collapses the others; every change lays the column out again.
struct CSidePanelColumn {
  CSidePanelDlg* ptz = nullptr;
  CSidePanelDlg* colour = nullptr;
  CSidePanelDlg* plan = nullptr;
  // The device panel's expanded state (-1 collapsed, 1 expanded).
  std::function<void(int)> setDeviceExpanded;
  std::function<void()> layout;

  // The panel becomes expanded (the others collapse) or collapsed.
  void Expand(CSidePanelDlg* panel, bool expand);
};

class CSidePanelDlg : public CDialog {
public:
  enum { kExpanded = 1, kCollapsed = -1 };

  CSidePanelDlg(UINT idd, CWnd* parent) : CDialog(idd, parent) {}

  void SetColumn(CSidePanelColumn* column) { m_column = column; }
  int ExpandedState() const { return m_expanded; }
  BOOL IsExpanded() const { return m_expanded == kExpanded; }
  void SetExpandedState(int state) { m_expanded = state; }
  // The header button: expanded through the column (the others collapse).
  void ToggleExpanded();
  int NormalHeight() const { return m_normalHeight; }
  // The header button or a coded button by control id (null when none).
  CSkinButton* Button(UINT id);

protected:
  // The four background pictures from [section] BackImage_Up .. _Disable
  // of the solution's Config.ini; FALSE when one cannot be loaded.
  BOOL LoadBackground(const char* section);
  // A skin button from [MainButtons] key of the panel's config file: placed
  // by "<key>_Position" and cut from the four background pictures.
  BOOL CreateSkinButton(CSkinButton& button, const char* key, UINT id, const char* tooltip = nullptr);
  // "<solution folder><file>" [MainSettings] key.
  int ReadPanelInt(const char* key, int fallback);
  CString PanelIni() const;

  void OnOK() override {}
  void OnCancel() override {}
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }

  CSidePanelColumn* m_column = nullptr;
  CString m_configFile;  // the panel's file in the solution folder
  int m_expanded = kCollapsed;
  int m_normalHeight = 0;
  CBitmap m_back[4];     // up, over, down, disable
  DECLARE_MESSAGE_MAP()
};
