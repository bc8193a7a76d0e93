#include "about_dlg.h"

#include "language.h"

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  SetWindowText(TranslateString("About Dravenor"));
  SetDlgItemText(IDC_ABOUT_VERSION, "TQX V1.0.1");
  return TRUE;
}
