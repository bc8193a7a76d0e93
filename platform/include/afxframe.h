// Frame windows and document templates: thin shells in the MFC shape. The
// client builds no frame window; the menu library offers skinned frames over
// these bases.
#pragma once

#include "afxwin.h"

class CFrameWnd : public CWnd {
  DECLARE_DYNAMIC(CFrameWnd)
public:
  CFrameWnd() = default;
  // An overlapped frame with an optional menu from the resources.
  virtual BOOL Create(LPCSTR className, LPCSTR title, DWORD style = WS_OVERLAPPEDWINDOW,
                      const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                      DWORD exStyle = 0);
  static const RECT rectDefault;
};

class CMDIFrameWnd : public CFrameWnd {
  DECLARE_DYNAMIC(CMDIFrameWnd)
};

class CMDIChildWnd : public CFrameWnd {
  DECLARE_DYNAMIC(CMDIChildWnd)
};

class CMiniFrameWnd : public CFrameWnd {
  DECLARE_DYNAMIC(CMiniFrameWnd)
};

class CMiniDockFrameWnd : public CMiniFrameWnd {
  DECLARE_DYNAMIC(CMiniDockFrameWnd)
};

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)
public:
  CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
               const CRuntimeClass* viewClass)
      : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}
  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
};

// The shared menu of the template's frames comes from its resource id.
class CMultiDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CMultiDocTemplate)
public:
  CMultiDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                    const CRuntimeClass* viewClass);
  ~CMultiDocTemplate() override;
  HMENU m_hMenuShared = nullptr;
};
