// Frame windows and document templates.
#include "afxframe.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CMDIChildWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CMiniFrameWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CMiniDockFrameWnd, CMiniFrameWnd)
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

const RECT CFrameWnd::rectDefault = {int(CW_USEDEFAULT), int(CW_USEDEFAULT), 0, 0};

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect, CWnd* parent,
                       LPCSTR menuName, DWORD exStyle) {
  HMENU menu = nullptr;
  if (menuName) {
    HINSTANCE inst = AfxFindResourceHandle(menuName, MAKEINTRESOURCEA(4) /* RT_MENU */);
    menu = inst ? ::LoadMenuA(inst, menuName) : nullptr;
    if (!menu) return FALSE;
  }
  int x = rect.left, y = rect.top, w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (rect.left == int(CW_USEDEFAULT)) x = y = w = h = int(CW_USEDEFAULT);
  if (!CreateEx(exStyle, className, title, style, x, y, w, h, parent->GetSafeHwnd(), menu)) {
    if (menu) ::DestroyMenu(menu);
    return FALSE;
  }
  return TRUE;
}

CMultiDocTemplate::CMultiDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                                     const CRuntimeClass* viewClass)
    : CDocTemplate(resourceId, docClass, frameClass, viewClass) {
  LPCSTR name = MAKEINTRESOURCEA(resourceId);
  if (HINSTANCE inst = AfxFindResourceHandle(name, MAKEINTRESOURCEA(4) /* RT_MENU */))
    m_hMenuShared = ::LoadMenuA(inst, name);
}

CMultiDocTemplate::~CMultiDocTemplate() {
  if (m_hMenuShared) ::DestroyMenu(m_hMenuShared);
}
