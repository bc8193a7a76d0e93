// The main dialog's face pointer lives in the shell library, so features and
// their tests (with a fake main dialog) link without the main dialog.
#include "main_dlg_face.h"

CMainDlgFace* g_pMainDlg = nullptr;
