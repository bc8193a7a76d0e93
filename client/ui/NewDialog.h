// Window bases with skinned menus: CNewDialog (the client's dialogs stand on
// it) and the frame classes, all from one template over the window base.
#pragma once

#include "NewMenu.h"

#include <afxframe.h>

// The menu handling that a dialog or frame with skinned menus shares: menu
// measure requests, menu characters and popup set-up go to CNewMenu, the
// system menu is wrapped, and the menu bar is hot-tracked on systems that
// do not do it themselves.
template <class Base>
class CSkinMenuFrame : public Base {
public:
  using Base::Base;
  ~CSkinMenuFrame() override { ReleaseMenus(); }

  CNewMenu m_DefaultNewMenu;   // the menu bar
  CNewMenu m_SystemNewMenu;    // the system menu
  BOOL m_bInMenuLoop = FALSE;
  UINT_PTR m_TimerID = 0;      // hot-track timer, 0 = none
  int m_menubarItemIndex = -1; // hot menu-bar item, -1 = none

  // Hot tracking of the menu bar for a non-client hit test whose default
  // answer is `hit`; the answer to give.
  LRESULT TrackMenuBarHit(CPoint screenPoint, LRESULT hit);

protected:
  // Wraps the window's system menu (a different menu held before is
  // destroyed; a failure shows the system's error).
  void AttachSystemMenu();
  // Lets the menus go without destroying what the window owns.
  void ReleaseMenus();
  void ClearHotItem();
  BOOL FocusInside() const;

  afx_msg int OnCreate(LPCREATESTRUCT cs);
  afx_msg void OnDestroy();
  afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
  afx_msg LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);
  afx_msg void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
  afx_msg void OnEnterMenuLoop(BOOL trackPopup);
  afx_msg void OnExitMenuLoop(BOOL trackPopup);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  // The frame as the system draws it, then the menu bar's empty end in the
  // skin's colour.
  afx_msg void OnNcPaint() {
    this->Default();
    CNewMenu::PaintBarBeyondItems(this->m_hWnd);
  }
  afx_msg BOOL OnNcActivate(BOOL active) {
    BOOL result = BOOL(this->Default());
    CNewMenu::PaintBarBeyondItems(this->m_hWnd);
    return result;
  }
  afx_msg void OnTimer(UINT_PTR id);
  DECLARE_MESSAGE_MAP()
};

BEGIN_TEMPLATE_MESSAGE_MAP(CSkinMenuFrame, Base, Base)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_MEASUREITEM()
  ON_WM_MENUCHAR()
  ON_WM_INITMENUPOPUP()
  ON_WM_ENTERMENULOOP()
  ON_WM_EXITMENULOOP()
  ON_WM_NCHITTEST()
  ON_WM_NCPAINT()
  ON_WM_NCACTIVATE()
  ON_WM_TIMER()
END_MESSAGE_MAP()

template <class Base>
void CSkinMenuFrame<Base>::AttachSystemMenu() {
  HMENU sys = ::GetSystemMenu(this->m_hWnd, FALSE);
  if (sys && m_SystemNewMenu.m_hMenu == sys) return;
  HMENU old = m_SystemNewMenu.m_hMenu;
  m_SystemNewMenu.DestroyMenuData();
  m_SystemNewMenu.Detach();
  if (old && old != sys && ::IsMenu(old)) ::DestroyMenu(old);
  if (!sys) return;   // no system menu (no WS_SYSMENU): nothing to wrap
  if (!m_SystemNewMenu.Attach(sys)) {
    ShowLastErrorBox();
    return;
  }
  m_SystemNewMenu.SetIsSystemMenu(TRUE);
}

template <class Base>
void CSkinMenuFrame<Base>::ReleaseMenus() {
  HWND wnd = this->m_hWnd;
  m_SystemNewMenu.DestroyMenuData();
  m_SystemNewMenu.Detach();
  if (m_DefaultNewMenu.m_hMenu && wnd && ::IsWindow(wnd) && ::GetMenu(wnd) == m_DefaultNewMenu.m_hMenu) {
    // The window destroys its menu itself.
    m_DefaultNewMenu.DestroyMenuData();
    m_DefaultNewMenu.Detach();
  }
}

template <class Base>
BOOL CSkinMenuFrame<Base>::FocusInside() const {
  HWND focus = ::GetFocus();
  return focus && (focus == this->m_hWnd || ::IsChild(this->m_hWnd, focus));
}

template <class Base>
void CSkinMenuFrame<Base>::ClearHotItem() {
  if (m_menubarItemIndex >= 0 && m_DefaultNewMenu.m_hMenu)
    RedrawMenuBarItem(this->m_hWnd, m_DefaultNewMenu.m_hMenu, UINT(m_menubarItemIndex), FocusInside() ? 0 : ODS_INACTIVE);
  m_menubarItemIndex = -1;
}

template <class Base>
LRESULT CSkinMenuFrame<Base>::TrackMenuBarHit(CPoint pt, LRESULT hit) {
  if (!IsMenuHotTrackSystem()) return hit;
  HMENU bar = ::GetMenu(this->m_hWnd);
  if (!m_bInMenuLoop && hit == HTMENU && bar && bar == m_DefaultNewMenu.m_hMenu) {
    int item = -1, n = ::GetMenuItemCount(bar);
    for (int i = 0; i < n && item < 0; ++i) {
      RECT r;
      if (::GetMenuItemRect(this->m_hWnd, bar, UINT(i), &r) && ::PtInRect(&r, pt)) item = i;
    }
    if (item >= 0) {
      if (item != m_menubarItemIndex) {
        BOOL active = FocusInside();
        ClearHotItem();
        if (RedrawMenuBarItem(this->m_hWnd, bar, UINT(item), active ? ODS_HOTLIGHT : ODS_HOTLIGHT | ODS_INACTIVE))
          m_menubarItemIndex = item;
      }
      if (!m_TimerID) m_TimerID = SetFreeTimer(this->m_hWnd, 100);
      return HTMENU;
    }
  }
  ClearHotItem();
  if (m_TimerID) {
    ::KillTimer(this->m_hWnd, m_TimerID);
    m_TimerID = 0;
  }
  return hit;
}

template <class Base>
int CSkinMenuFrame<Base>::OnCreate(LPCREATESTRUCT cs) {
  int r = Base::OnCreate(cs);
  if (r != -1) AttachSystemMenu();
  return r;
}

template <class Base>
void CSkinMenuFrame<Base>::OnDestroy() {
  if (m_TimerID) {
    ::KillTimer(this->m_hWnd, m_TimerID);
    m_TimerID = 0;
  }
  m_menubarItemIndex = -1;
  ReleaseMenus();
  Base::OnDestroy();
}

template <class Base>
void CSkinMenuFrame<Base>::OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis) {
  if (mis && mis->CtlType == ODT_MENU && CNewMenu::OnMeasureItem(CWnd::GetCurrentMessage())) return;
  Base::OnMeasureItem(id, mis);
}

template <class Base>
LRESULT CSkinMenuFrame<Base>::OnMenuChar(UINT ch, UINT flags, CMenu* menu) {
  if (menu && CNewMenu::FromHandleNew(menu->m_hMenu)) return CNewMenu::OnMenuChar(ch, flags, menu);
  return Base::OnMenuChar(ch, flags, menu);
}

template <class Base>
void CSkinMenuFrame<Base>::OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu) {
  Base::OnInitMenuPopup(popup, index, sysMenu);
  CNewMenu::OnInitMenuPopup(this->m_hWnd, popup, index, sysMenu);
}

template <class Base>
void CSkinMenuFrame<Base>::OnEnterMenuLoop(BOOL trackPopup) {
  Base::OnEnterMenuLoop(trackPopup);
  m_bInMenuLoop = TRUE;
  if (m_TimerID) {
    ::KillTimer(this->m_hWnd, m_TimerID);
    m_TimerID = 0;
  }
  ClearHotItem();
}

template <class Base>
void CSkinMenuFrame<Base>::OnExitMenuLoop(BOOL trackPopup) {
  Base::OnExitMenuLoop(trackPopup);
  m_bInMenuLoop = FALSE;
}

template <class Base>
LRESULT CSkinMenuFrame<Base>::OnNcHitTest(CPoint point) {
  return TrackMenuBarHit(point, Base::OnNcHitTest(point));
}

template <class Base>
void CSkinMenuFrame<Base>::OnTimer(UINT_PTR id) {
  if (id && id == m_TimerID) {
    // Repeat the hit test where the pointer is now, so that the hot item
    // goes when the pointer has left the bar.
    POINT p;
    if (::GetCursorPos(&p)) ::SendMessageA(this->m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
    return;
  }
  Base::OnTimer(id);
}

// The dialog base of the client's dialogs.
class CNewDialog : public CSkinMenuFrame<CDialog> {
  DECLARE_DYNAMIC(CNewDialog)
public:
  CNewDialog() = default;
  explicit CNewDialog(UINT templateId, CWnd* parent = nullptr) : CSkinMenuFrame<CDialog>(templateId, parent) {}
  explicit CNewDialog(LPCSTR templateName, CWnd* parent = nullptr) : CSkinMenuFrame<CDialog>(templateName, parent) {}
  // The base initialisation, then the system menu and the menu bar wrapped
  // (every item owner-drawn).
  BOOL OnInitDialog() override;
};

class CNewFrameWnd : public CSkinMenuFrame<CFrameWnd> {
  DECLARE_DYNAMIC(CNewFrameWnd)
};

class CNewMDIFrameWnd : public CSkinMenuFrame<CMDIFrameWnd> {
  DECLARE_DYNAMIC(CNewMDIFrameWnd)
};

class CNewMiniFrameWnd : public CSkinMenuFrame<CMiniFrameWnd> {
  DECLARE_DYNAMIC(CNewMiniFrameWnd)
};

class CNewMDIChildWnd : public CSkinMenuFrame<CMDIChildWnd> {
  DECLARE_DYNAMIC(CNewMDIChildWnd)
};

class CNewMiniDockFrameWnd : public CSkinMenuFrame<CMiniDockFrameWnd> {
  DECLARE_DYNAMIC(CNewMiniDockFrameWnd)
};

// A document template whose shared menu is skinned.
class CNewMultiDocTemplate : public CMultiDocTemplate {
  DECLARE_DYNAMIC(CNewMultiDocTemplate)
public:
  CNewMultiDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                       const CRuntimeClass* viewClass);
  ~CNewMultiDocTemplate() override;
  CNewMenu m_NewMenuShared;
};
