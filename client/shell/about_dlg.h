// The about box: the product's caption and version.
#pragma once
#include <afxwin.h>

#include "local_dialogs_resource.h"

class CAboutDlg : public CDialog {
public:
  enum { IDD = IDD_ABOUTBOX };
  explicit CAboutDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

protected:
  BOOL OnInitDialog() override;
};
