// Window helpers of the configuration pages.
#pragma once
#include <afxwin.h>

// Enables or disables every child window of a page.
void EnableChildControls(CWnd* page, BOOL enable);
// The rectangle of two corner points given in any order.
void RectFromPoints(RECT& out, POINT a, POINT b);
// The text of a dialog item.
CString GetItemText(CWnd* dialog, int id);
// Tells the operator that a confirmed action reached no device (no request
// carries it): a "PROMPT" box.
void TellDeviceNotChanged(CWnd* page);
