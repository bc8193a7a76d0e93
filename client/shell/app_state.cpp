#include "app_state.h"

CString g_strAppDir;
COLORREF g_skinBackColor = 0;
