// Process-wide state set at start-up and read by every part of the client.
#pragma once
#include <afxwin.h>

// The program folder with its trailing backslash.
extern CString g_strAppDir;
// [MainSettings] BackColor of the current interface solution.
extern COLORREF g_skinBackColor;

