#include "app_state.h"
#include "main_dlg_face.h"

CString g_strAppDir;
COLORREF g_skinBackColor = 0;

// Set by the main dialog (or a fake of its face) while it lives; here, so
// features and their tests link without the main dialog.
CMainDlgFace* g_pMainDlg = nullptr;
