// CNewDialog, the skinned frame classes and the skinned document template.
#include "NewDialog.h"

IMPLEMENT_DYNAMIC(CNewDialog, CDialog)
IMPLEMENT_DYNAMIC(CNewFrameWnd, CFrameWnd)
IMPLEMENT_DYNAMIC(CNewMDIFrameWnd, CMDIFrameWnd)
IMPLEMENT_DYNAMIC(CNewMiniFrameWnd, CMiniFrameWnd)
IMPLEMENT_DYNAMIC(CNewMDIChildWnd, CMDIChildWnd)
IMPLEMENT_DYNAMIC(CNewMiniDockFrameWnd, CMiniDockFrameWnd)
IMPLEMENT_DYNAMIC(CNewMultiDocTemplate, CMultiDocTemplate)

BOOL CNewDialog::OnInitDialog() {
  BOOL result = CDialog::OnInitDialog();
  AttachSystemMenu();
  if (HMENU bar = ::GetMenu(m_hWnd)) {
    if (m_DefaultNewMenu.LoadMenuHandle(bar)) ::DrawMenuBar(m_hWnd);   // measured again as owner-drawn
  }
  return result;
}

CNewMultiDocTemplate::CNewMultiDocTemplate(UINT resourceId, const CRuntimeClass* docClass,
                                           const CRuntimeClass* frameClass, const CRuntimeClass* viewClass)
    : CMultiDocTemplate(resourceId, docClass, frameClass, viewClass) {
  if (m_hMenuShared) m_NewMenuShared.LoadMenuHandle(m_hMenuShared);
}

CNewMultiDocTemplate::~CNewMultiDocTemplate() {
  // The base destroys the shared menu.
  m_NewMenuShared.DestroyMenuData();
  m_NewMenuShared.Detach();
}
