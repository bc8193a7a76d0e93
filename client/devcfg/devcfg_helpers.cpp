#include "devcfg_helpers.h"

#include "app_services.h"

void EnableChildControls(CWnd* page, BOOL enable) {
  if (!page || !page->GetSafeHwnd()) return;
  for (HWND child = ::GetWindow(page->GetSafeHwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    ::EnableWindow(child, enable);
}

void RectFromPoints(RECT& out, POINT a, POINT b) {
  out.left = a.x < b.x ? a.x : b.x;
  out.right = a.x < b.x ? b.x : a.x;
  out.top = a.y < b.y ? a.y : b.y;
  out.bottom = a.y < b.y ? b.y : a.y;
}

CString GetItemText(CWnd* dialog, int id) {
  CString text;
  if (dialog) dialog->GetDlgItemText(id, text);
  return text;
}

void TellDeviceNotChanged(CWnd* page) {
  TranslatedMessageBox(page, "This request is not sent to the front end device: the device was not changed!",
                       "PROMPT", MB_OK | MB_ICONINFORMATION);
}
