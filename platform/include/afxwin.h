// Windows, message maps, application and threads, dialogs, standard
// controls and GDI objects: thin wrappers over Win32 in the MFC shape.
#pragma once

#include "afx.h"
#include "afxtempl.h"
#include <commctrl.h>
#include <memory>

class CWnd;
class CDC;
class CMenu;
class CDataExchange;
class CWinThread;
class CWinApp;
class CScrollBar;

// ------------------------------------------------------------- geometry
class CSize : public SIZE {
public:
  CSize() { cx = cy = 0; }
  CSize(int x, int y) { cx = x; cy = y; }
  CSize(SIZE s) { cx = s.cx; cy = s.cy; }
  bool operator==(SIZE s) const { return cx == s.cx && cy == s.cy; }
  bool operator!=(SIZE s) const { return !(*this == s); }
  CSize operator+(SIZE s) const { return CSize(cx + s.cx, cy + s.cy); }
  CSize operator-(SIZE s) const { return CSize(cx - s.cx, cy - s.cy); }
};

class CPoint : public POINT {
public:
  CPoint() { x = y = 0; }
  CPoint(int px, int py) { x = px; y = py; }
  CPoint(POINT p) { x = p.x; y = p.y; }
  CPoint(SIZE s) { x = s.cx; y = s.cy; }
  explicit CPoint(LPARAM l) { x = short(LOWORD(l)); y = short(HIWORD(l)); }
  void Offset(int dx, int dy) { x += dx; y += dy; }
  bool operator==(POINT p) const { return x == p.x && y == p.y; }
  bool operator!=(POINT p) const { return !(*this == p); }
  CPoint operator+(SIZE s) const { return CPoint(x + s.cx, y + s.cy); }
  CPoint operator-(SIZE s) const { return CPoint(x - s.cx, y - s.cy); }
  CSize operator-(POINT p) const { return CSize(x - p.x, y - p.y); }
  CPoint& operator+=(SIZE s) { x += s.cx; y += s.cy; return *this; }
  CPoint& operator-=(SIZE s) { x -= s.cx; y -= s.cy; return *this; }
};

class CRect : public RECT {
public:
  CRect() { left = top = right = bottom = 0; }
  CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  CRect(const RECT& r) { CopyRect(&r); }
  CRect(const RECT* r) { CopyRect(r); }
  CRect(POINT p, SIZE s) { left = p.x; top = p.y; right = p.x + s.cx; bottom = p.y + s.cy; }
  CRect(POINT tl, POINT br) { left = tl.x; top = tl.y; right = br.x; bottom = br.y; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint& TopLeft() { return *reinterpret_cast<CPoint*>(this); }
  CPoint& BottomRight() { return *(reinterpret_cast<CPoint*>(this) + 1); }
  const CPoint& TopLeft() const { return *reinterpret_cast<const CPoint*>(this); }
  const CPoint& BottomRight() const { return *(reinterpret_cast<const CPoint*>(this) + 1); }
  CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
  operator LPRECT() { return this; }
  operator LPCRECT() const { return this; }
  BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
  BOOL IsRectNull() const { return left == 0 && right == 0 && top == 0 && bottom == 0; }
  BOOL PtInRect(POINT p) const { return ::PtInRect(this, p); }
  void SetRect(int l, int t, int r, int b) { ::SetRect(this, l, t, r, b); }
  void SetRectEmpty() { ::SetRectEmpty(this); }
  void CopyRect(LPCRECT r) { if (r) ::CopyRect(this, r); else SetRectEmpty(); }
  BOOL EqualRect(LPCRECT r) const { return ::EqualRect(this, r); }
  void InflateRect(int x, int y) { ::InflateRect(this, x, y); }
  void InflateRect(int l, int t, int r, int b) { left -= l; top -= t; right += r; bottom += b; }
  void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
  void DeflateRect(int l, int t, int r, int b) { left += l; top += t; right -= r; bottom -= b; }
  void OffsetRect(int x, int y) { ::OffsetRect(this, x, y); }
  void OffsetRect(POINT p) { ::OffsetRect(this, p.x, p.y); }
  void MoveToXY(int x, int y) { right += x - left; bottom += y - top; left = x; top = y; }
  void NormalizeRect();
  BOOL IntersectRect(LPCRECT a, LPCRECT b) { return ::IntersectRect(this, a, b); }
  BOOL UnionRect(LPCRECT a, LPCRECT b) { return ::UnionRect(this, a, b); }
  bool operator==(const RECT& r) const { return ::EqualRect(this, &r) != 0; }
  bool operator!=(const RECT& r) const { return !(*this == r); }
  CRect& operator=(const RECT& r) { CopyRect(&r); return *this; }
};

// ---------------------------------------------------------- run-time class
class CObject;
struct CRuntimeClass {
  LPCSTR m_lpszClassName;
  CObject* (*m_pfnCreateObject)();
  const CRuntimeClass* m_pBaseClass;
  CObject* CreateObject() const { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }
  BOOL IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
      if (c == base) return TRUE;
    return FALSE;
  }
};

class CObject {
public:
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
  BOOL IsKindOf(const CRuntimeClass* c) const { return GetRuntimeClass()->IsDerivedFrom(c); }
  static const CRuntimeClass classCObject;
protected:
  CObject() = default;
};

#define RUNTIME_CLASS(cls) (&cls::class##cls)
#define DECLARE_DYNAMIC(cls) \
 public: static const CRuntimeClass class##cls; \
  const CRuntimeClass* GetRuntimeClass() const override { return &class##cls; }
#define DECLARE_DYNCREATE(cls) DECLARE_DYNAMIC(cls) static CObject* CreateObject();
#define IMPLEMENT_DYNAMIC(cls, base) \
  const CRuntimeClass cls::class##cls = {#cls, nullptr, RUNTIME_CLASS(base)};
#define IMPLEMENT_DYNCREATE(cls, base) \
  CObject* cls::CreateObject() { return new cls; } \
  const CRuntimeClass cls::class##cls = {#cls, &cls::CreateObject, RUNTIME_CLASS(base)};

// ------------------------------------------------------------ message maps
class CCmdTarget;
// One handler thunk per map entry: casts the target to the class whose map
// holds the entry, unpacks the parameters, calls the member and stores the
// result. Returns FALSE when the member declines (ON_NOTIFY_REFLECT_EX etc.).
typedef BOOL (*AFX_PMSGHANDLER)(CCmdTarget* target, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;   // window message, or WM_COMMAND / WM_NOTIFY, or a reflected one
  UINT nCode;      // notification code for commands and notifications
  UINT nID;        // first control / command id
  UINT nLastID;    // last id of a range
  AFX_PMSGHANDLER pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Reflected messages arrive at the child's own map at this offset.
#define WM_REFLECT_BASE 0xBC00
// WM_CTLCOLOR* all map to one entry; nCtlColor tells which.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

#define DECLARE_MESSAGE_MAP() \
 protected: \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override; \
 private:

#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, type_name, baseClass) \
  template <typename type_name> \
  const AFX_MSGMAP* theClass<type_name>::GetMessageMap() const { return GetThisMessageMap(); } \
  template <typename type_name> \
  const AFX_MSGMAP* theClass<type_name>::GetThisMessageMap() { \
    using ThisClass [[maybe_unused]] = theClass<type_name>; \
    typedef baseClass TheBaseClass; \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() { \
    using ThisClass [[maybe_unused]] = theClass; \
    typedef baseClass TheBaseClass; \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP() \
      {0, 0, 0, 0, nullptr}}; \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap; \
  }

// Entry builder: the body sees `pThis` (ThisClass*), wParam, lParam, pResult.
#define AFX_MSG_THUNK(...) \
  [](CCmdTarget* _target, UINT _msg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) -> BOOL { \
    ThisClass* pThis = static_cast<ThisClass*>(_target); \
    (void)pThis; (void)_msg; (void)wParam; (void)lParam; (void)pResult; \
    __VA_ARGS__; \
    return TRUE; }
#define AFX_MSG_ENTRY(msg, code, id, last, ...) {UINT(msg), UINT(code), UINT(id), UINT(last), AFX_MSG_THUNK(__VA_ARGS__)},

// Commands and control notifications
#define ON_COMMAND(id, fn) AFX_MSG_ENTRY(WM_COMMAND, 0, id, id, pThis->fn())
#define ON_COMMAND_RANGE(id, last, fn) AFX_MSG_ENTRY(WM_COMMAND, 0, id, last, pThis->fn(UINT(LOWORD(wParam))))
#define ON_CONTROL(code, id, fn) AFX_MSG_ENTRY(WM_COMMAND, code, id, id, pThis->fn())
#define ON_CONTROL_RANGE(code, id, last, fn) AFX_MSG_ENTRY(WM_COMMAND, code, id, last, pThis->fn(UINT(LOWORD(wParam))))
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_DROPDOWN(id, fn) ON_CONTROL(CBN_DROPDOWN, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_CBN_CLOSEUP(id, fn) ON_CONTROL(CBN_CLOSEUP, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_EN_SETFOCUS(id, fn) ON_CONTROL(EN_SETFOCUS, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_STN_CLICKED(id, fn) ON_CONTROL(STN_CLICKED, id, fn)
#define ON_STN_DBLCLK(id, fn) ON_CONTROL(STN_DBLCLK, id, fn)
#define ON_NOTIFY(code, id, fn) \
  AFX_MSG_ENTRY(WM_NOTIFY, code, id, id, pThis->fn(reinterpret_cast<NMHDR*>(lParam), pResult))
#define ON_NOTIFY_RANGE(code, id, last, fn) \
  AFX_MSG_ENTRY(WM_NOTIFY, code, id, last, pThis->fn(UINT(reinterpret_cast<NMHDR*>(lParam)->idFrom), reinterpret_cast<NMHDR*>(lParam), pResult))
// Reflected to the control's own class (id range covers every id).
#define ON_NOTIFY_REFLECT(code, fn) \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0xFFFF, pThis->fn(reinterpret_cast<NMHDR*>(lParam), pResult))
#define ON_NOTIFY_REFLECT_EX(code, fn) \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0xFFFF, return pThis->fn(reinterpret_cast<NMHDR*>(lParam), pResult))
#define ON_CONTROL_REFLECT(code, fn) AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0xFFFF, pThis->fn())
#define ON_CONTROL_REFLECT_EX(code, fn) AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0xFFFF, return pThis->fn())
#define ON_WM_CTLCOLOR_REFLECT() \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR, 0, 0, 0, \
    *pResult = LRESULT(pThis->CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), UINT(_msg - WM_CTLCOLORMSGBOX))); return *pResult != 0)
#define ON_WM_DRAWITEM_REFLECT() \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM, 0, 0, 0, pThis->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); *pResult = TRUE)
#define ON_WM_MEASUREITEM_REFLECT() \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM, 0, 0, 0, pThis->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); *pResult = TRUE)
#define ON_WM_HSCROLL_REFLECT() \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_HSCROLL, 0, 0, 0, pThis->HScroll(UINT(LOWORD(wParam)), UINT(short(HIWORD(wParam)))))
#define ON_WM_VSCROLL_REFLECT() \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_VSCROLL, 0, 0, 0, pThis->VScroll(UINT(LOWORD(wParam)), UINT(short(HIWORD(wParam)))))

// Private and registered messages: LRESULT fn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, fn) AFX_MSG_ENTRY(msg, 0, 0, 0, *pResult = pThis->fn(wParam, lParam))
#define ON_REGISTERED_MESSAGE(var, fn) AFX_MSG_ENTRY(var, 0, 0, 0, *pResult = pThis->fn(wParam, lParam))
#define ON_THREAD_MESSAGE(msg, fn) AFX_MSG_ENTRY(msg, 0, 0, 0, pThis->fn(wParam, lParam))

#define AFX_PT CPoint(lParam)
#define ON_WM_CREATE() AFX_MSG_ENTRY(WM_CREATE, 0, 0, 0, *pResult = pThis->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, 0, 0, 0, pThis->OnDestroy())
#define ON_WM_NCDESTROY() AFX_MSG_ENTRY(WM_NCDESTROY, 0, 0, 0, pThis->OnNcDestroy())
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, 0, 0, 0, pThis->OnClose())
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, 0, 0, 0, pThis->OnPaint())
#define ON_WM_NCPAINT() AFX_MSG_ENTRY(WM_NCPAINT, 0, 0, 0, pThis->OnNcPaint())
#define ON_WM_ERASEBKGND() AFX_MSG_ENTRY(WM_ERASEBKGND, 0, 0, 0, *pResult = pThis->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))
#define ON_WM_SIZE() AFX_MSG_ENTRY(WM_SIZE, 0, 0, 0, pThis->OnSize(UINT(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_MOVE() AFX_MSG_ENTRY(WM_MOVE, 0, 0, 0, pThis->OnMove(short(LOWORD(lParam)), short(HIWORD(lParam))))
#define ON_WM_TIMER() AFX_MSG_ENTRY(WM_TIMER, 0, 0, 0, pThis->OnTimer(UINT_PTR(wParam)))
#define ON_WM_SHOWWINDOW() AFX_MSG_ENTRY(WM_SHOWWINDOW, 0, 0, 0, pThis->OnShowWindow(BOOL(wParam), UINT(lParam)))
#define ON_WM_ACTIVATE() AFX_MSG_ENTRY(WM_ACTIVATE, 0, 0, 0, pThis->OnActivate(LOWORD(wParam), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), BOOL(HIWORD(wParam))))
#define ON_WM_NCACTIVATE() AFX_MSG_ENTRY(WM_NCACTIVATE, 0, 0, 0, *pResult = pThis->OnNcActivate(BOOL(wParam)))
#define ON_WM_ENABLE() AFX_MSG_ENTRY(WM_ENABLE, 0, 0, 0, pThis->OnEnable(BOOL(wParam)))
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, 0, 0, 0, pThis->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_KILLFOCUS() AFX_MSG_ENTRY(WM_KILLFOCUS, 0, 0, 0, pThis->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))))
#define ON_WM_LBUTTONDOWN() AFX_MSG_ENTRY(WM_LBUTTONDOWN, 0, 0, 0, pThis->OnLButtonDown(UINT(wParam), AFX_PT))
#define ON_WM_LBUTTONUP() AFX_MSG_ENTRY(WM_LBUTTONUP, 0, 0, 0, pThis->OnLButtonUp(UINT(wParam), AFX_PT))
#define ON_WM_LBUTTONDBLCLK() AFX_MSG_ENTRY(WM_LBUTTONDBLCLK, 0, 0, 0, pThis->OnLButtonDblClk(UINT(wParam), AFX_PT))
#define ON_WM_RBUTTONDOWN() AFX_MSG_ENTRY(WM_RBUTTONDOWN, 0, 0, 0, pThis->OnRButtonDown(UINT(wParam), AFX_PT))
#define ON_WM_RBUTTONUP() AFX_MSG_ENTRY(WM_RBUTTONUP, 0, 0, 0, pThis->OnRButtonUp(UINT(wParam), AFX_PT))
#define ON_WM_RBUTTONDBLCLK() AFX_MSG_ENTRY(WM_RBUTTONDBLCLK, 0, 0, 0, pThis->OnRButtonDblClk(UINT(wParam), AFX_PT))
#define ON_WM_MOUSEMOVE() AFX_MSG_ENTRY(WM_MOUSEMOVE, 0, 0, 0, pThis->OnMouseMove(UINT(wParam), AFX_PT))
#define ON_WM_MOUSEWHEEL() AFX_MSG_ENTRY(WM_MOUSEWHEEL, 0, 0, 0, *pResult = pThis->OnMouseWheel(LOWORD(wParam), short(HIWORD(wParam)), AFX_PT))
#define ON_WM_MOUSELEAVE() AFX_MSG_ENTRY(WM_MOUSELEAVE, 0, 0, 0, pThis->OnMouseLeave())
#define ON_MESSAGE_VOID(msg, fn) AFX_MSG_ENTRY(msg, 0, 0, 0, pThis->fn())
#define ON_WM_SETCURSOR() AFX_MSG_ENTRY(WM_SETCURSOR, 0, 0, 0, *pResult = pThis->OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_NCHITTEST() AFX_MSG_ENTRY(WM_NCHITTEST, 0, 0, 0, *pResult = pThis->OnNcHitTest(AFX_PT))
#define ON_WM_NCLBUTTONDOWN() AFX_MSG_ENTRY(WM_NCLBUTTONDOWN, 0, 0, 0, pThis->OnNcLButtonDown(UINT(wParam), AFX_PT))
#define ON_WM_NCLBUTTONDBLCLK() AFX_MSG_ENTRY(WM_NCLBUTTONDBLCLK, 0, 0, 0, pThis->OnNcLButtonDblClk(UINT(wParam), AFX_PT))
#define ON_WM_NCMOUSEMOVE() AFX_MSG_ENTRY(WM_NCMOUSEMOVE, 0, 0, 0, pThis->OnNcMouseMove(UINT(wParam), AFX_PT))
#define ON_WM_KEYDOWN() AFX_MSG_ENTRY(WM_KEYDOWN, 0, 0, 0, pThis->OnKeyDown(UINT(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYUP() AFX_MSG_ENTRY(WM_KEYUP, 0, 0, 0, pThis->OnKeyUp(UINT(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_CHAR() AFX_MSG_ENTRY(WM_CHAR, 0, 0, 0, pThis->OnChar(UINT(wParam), LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SYSCOMMAND() AFX_MSG_ENTRY(WM_SYSCOMMAND, 0, 0, 0, pThis->OnSysCommand(UINT(wParam), lParam))
#define ON_WM_HSCROLL() AFX_MSG_ENTRY(WM_HSCROLL, 0, 0, 0, pThis->OnHScroll(LOWORD(wParam), UINT(short(HIWORD(wParam))), reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(lParam)))))
#define ON_WM_VSCROLL() AFX_MSG_ENTRY(WM_VSCROLL, 0, 0, 0, pThis->OnVScroll(LOWORD(wParam), UINT(short(HIWORD(wParam))), reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(lParam)))))
#define ON_WM_CTLCOLOR() \
  AFX_MSG_ENTRY(WM_CTLCOLOR, 0, 0, 0, *pResult = LRESULT(pThis->OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), UINT(_msg - WM_CTLCOLORMSGBOX))))
#define ON_WM_DRAWITEM() AFX_MSG_ENTRY(WM_DRAWITEM, 0, 0, 0, pThis->OnDrawItem(int(wParam), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); *pResult = TRUE)
#define ON_WM_MEASUREITEM() AFX_MSG_ENTRY(WM_MEASUREITEM, 0, 0, 0, pThis->OnMeasureItem(int(wParam), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); *pResult = TRUE)
#define ON_WM_GETMINMAXINFO() AFX_MSG_ENTRY(WM_GETMINMAXINFO, 0, 0, 0, pThis->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))
#define ON_WM_CONTEXTMENU() AFX_MSG_ENTRY(WM_CONTEXTMENU, 0, 0, 0, pThis->OnContextMenu(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), AFX_PT))
#define ON_WM_COPYDATA() AFX_MSG_ENTRY(WM_COPYDATA, 0, 0, 0, *pResult = pThis->OnCopyData(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), reinterpret_cast<COPYDATASTRUCT*>(lParam)))
#define ON_WM_INITMENUPOPUP() AFX_MSG_ENTRY(WM_INITMENUPOPUP, 0, 0, 0, pThis->OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), LOWORD(lParam), BOOL(HIWORD(lParam))))
#define ON_WM_MENUSELECT() AFX_MSG_ENTRY(WM_MENUSELECT, 0, 0, 0, pThis->OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)))
#define ON_WM_MENUCHAR() AFX_MSG_ENTRY(WM_MENUCHAR, 0, 0, 0, *pResult = pThis->OnMenuChar(LOWORD(wParam), HIWORD(wParam), CMenu::FromHandle(reinterpret_cast<HMENU>(lParam))))
#define ON_WM_CAPTURECHANGED() AFX_MSG_ENTRY(WM_CAPTURECHANGED, 0, 0, 0, pThis->OnCaptureChanged(CWnd::FromHandle(reinterpret_cast<HWND>(lParam))))
#define ON_WM_WINDOWPOSCHANGING() AFX_MSG_ENTRY(WM_WINDOWPOSCHANGING, 0, 0, 0, pThis->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_WINDOWPOSCHANGED() AFX_MSG_ENTRY(WM_WINDOWPOSCHANGED, 0, 0, 0, pThis->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_QUERYDRAGICON() AFX_MSG_ENTRY(WM_QUERYDRAGICON, 0, 0, 0, *pResult = LRESULT(pThis->OnQueryDragIcon()))
#define ON_WM_ENTERMENULOOP() AFX_MSG_ENTRY(WM_ENTERMENULOOP, 0, 0, 0, pThis->OnEnterMenuLoop(BOOL(wParam)))
#define ON_WM_EXITMENULOOP() AFX_MSG_ENTRY(WM_EXITMENULOOP, 0, 0, 0, pThis->OnExitMenuLoop(BOOL(wParam)))
#define ON_WM_GETDLGCODE() AFX_MSG_ENTRY(WM_GETDLGCODE, 0, 0, 0, *pResult = pThis->OnGetDlgCode())

// ------------------------------------------------------------- CCmdTarget
class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
public:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
  // Finds an entry for msg and calls it. For WM_COMMAND / WM_NOTIFY (and
  // their reflections) code and id select the entry.
  // key is the map's message (WM_CTLCOLOR for every WM_CTLCOLOR*, or
  // WM_REFLECT_BASE + msg); msg is what the handler sees.
  BOOL DispatchMessageMap(UINT key, UINT msg, WPARAM w, LPARAM l, LRESULT* result);
  BOOL HasMapEntry(UINT key) const;
  // MFC's command routing: this object only.
  virtual BOOL OnCmdMsg(UINT id, int code, void* extra, void* handlerInfo);
};

// ---------------------------------------------------------------- GDI
class CGdiObject : public CObject {
public:
  CGdiObject() = default;
  ~CGdiObject() override { DeleteObject(); }
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  BOOL Attach(HGDIOBJ h) { if (m_hObject) return FALSE; m_hObject = h; return h != nullptr; }
  HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; return h; }
  BOOL DeleteObject() { if (!m_hObject) return FALSE; HGDIOBJ h = Detach(); return ::DeleteObject(h); }
  HGDIOBJ GetSafeHandle() const { return this ? m_hObject : nullptr; }
  int GetObject(int size, void* buf) const { return ::GetObjectA(m_hObject, size, buf); }
  operator HGDIOBJ() const { return m_hObject; }
  static CGdiObject* FromHandle(HGDIOBJ h);
  HGDIOBJ m_hObject = nullptr;
};

class CPen : public CGdiObject {
public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  static CPen* FromHandle(HPEN h) { return static_cast<CPen*>(CGdiObject::FromHandle(h)); }
};

class CBrush : public CGdiObject {
public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  BOOL CreatePatternBrush(class CBitmap* bmp);
  BOOL CreateSysColorBrush(int index) { return Attach(::GetSysColorBrush(index)); }
  BOOL CreateHatchBrush(int index, COLORREF color) { return Attach(::CreateHatchBrush(index, color)); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  static CBrush* FromHandle(HBRUSH h) { return static_cast<CBrush*>(CGdiObject::FromHandle(h)); }
};

class CFont : public CGdiObject {
public:
  BOOL CreateFontIndirect(const LOGFONTA* lf) { return Attach(::CreateFontIndirectA(lf)); }
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision,
                  BYTE quality, BYTE pitchAndFamily, LPCSTR face) {
    return Attach(::CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                                charSet, outPrecision, clipPrecision, quality, pitchAndFamily, face));
  }
  BOOL CreatePointFont(int pointSize10, LPCSTR face, CDC* dc = nullptr);
  int GetLogFont(LOGFONTA* lf) const { return GetObject(sizeof(LOGFONTA), lf); }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  static CFont* FromHandle(HFONT h) { return static_cast<CFont*>(CGdiObject::FromHandle(h)); }
};

class CBitmap : public CGdiObject {
public:
  BOOL LoadBitmap(UINT id) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id))); }
  BOOL LoadBitmap(LPCSTR name) { return Attach(::LoadBitmapA(AfxGetResourceHandle(), name)); }
  BOOL CreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits) { return Attach(::CreateBitmap(w, h, planes, bpp, bits)); }
  BOOL CreateCompatibleBitmap(CDC* dc, int w, int h);
  BOOL CreateBitmapIndirect(const BITMAP* bm) { return Attach(::CreateBitmapIndirect(bm)); }
  int GetBitmap(BITMAP* bm) const { return GetObject(sizeof(BITMAP), bm); }
  CSize GetBitmapDimension() const { SIZE s{}; ::GetBitmapDimensionEx(*this, &s); return s; }
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  static CBitmap* FromHandle(HBITMAP h) { return static_cast<CBitmap*>(CGdiObject::FromHandle(h)); }
};

class CRgn : public CGdiObject {
public:
  BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
  BOOL CreateRectRgnIndirect(LPCRECT r) { return Attach(::CreateRectRgnIndirect(r)); }
  BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
  BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) { return Attach(::CreateRoundRectRgn(l, t, r, b, w, h)); }
  BOOL CreatePolygonRgn(const POINT* pts, int n, int mode) { return Attach(::CreatePolygonRgn(pts, n, mode)); }
  int CombineRgn(CRgn* a, CRgn* b, int mode) { return ::CombineRgn(*this, *a, b ? HRGN(*b) : nullptr, mode); }
  int CopyRgn(CRgn* src) { return ::CombineRgn(*this, *src, nullptr, RGN_COPY); }
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
  BOOL PtInRegion(POINT p) const { return ::PtInRegion(*this, p.x, p.y); }
  int GetRgnBox(LPRECT r) const { return ::GetRgnBox(*this, r); }
  void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn(*this, l, t, r, b); }
  int OffsetRgn(int x, int y) { return ::OffsetRgn(*this, x, y); }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
  static CRgn* FromHandle(HRGN h) { return static_cast<CRgn*>(CGdiObject::FromHandle(h)); }
};

class CPalette : public CGdiObject {
public:
  BOOL CreatePalette(const LOGPALETTE* lp) { return Attach(::CreatePalette(lp)); }
  UINT GetEntryCount() const { WORD n = 0; GetObject(sizeof n, &n); return n; }
  operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
  static CPalette* FromHandle(HPALETTE h) { return static_cast<CPalette*>(CGdiObject::FromHandle(h)); }
};

// Device context. A CDC owns its handle (DeleteDC) unless attached by a
// derived class that releases it otherwise.
class CDC : public CObject {
public:
  CDC() = default;
  ~CDC() override { if (m_hDC) ::DeleteDC(Detach()); }
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  BOOL Attach(HDC h) { if (m_hDC) return FALSE; m_hDC = m_hAttribDC = h; return h != nullptr; }
  HDC Detach() { HDC h = m_hDC; m_hDC = m_hAttribDC = nullptr; return h; }
  HDC GetSafeHdc() const { return this ? m_hDC : nullptr; }
  operator HDC() const { return m_hDC; }
  static CDC* FromHandle(HDC h);
  BOOL CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }
  BOOL CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* init) { return Attach(::CreateDCA(driver, device, output, init)); }
  BOOL DeleteDC() { return m_hDC ? ::DeleteDC(Detach()) : FALSE; }
  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

  CGdiObject* SelectObject(CGdiObject* o) { return CGdiObject::FromHandle(::SelectObject(m_hDC, o->m_hObject)); }
  CPen* SelectObject(CPen* o) { return CPen::FromHandle(HPEN(::SelectObject(m_hDC, o->m_hObject))); }
  CBrush* SelectObject(CBrush* o) { return CBrush::FromHandle(HBRUSH(::SelectObject(m_hDC, o->m_hObject))); }
  CFont* SelectObject(CFont* o) { return CFont::FromHandle(HFONT(::SelectObject(m_hDC, o->m_hObject))); }
  CBitmap* SelectObject(CBitmap* o) { return CBitmap::FromHandle(HBITMAP(::SelectObject(m_hDC, o->m_hObject))); }
  int SelectObject(CRgn* o) { return int(reinterpret_cast<INT_PTR>(::SelectObject(m_hDC, o->m_hObject))); }
  CGdiObject* SelectStockObject(int index) { return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index))); }
  CPalette* SelectPalette(CPalette* p, BOOL background) { return CPalette::FromHandle(::SelectPalette(m_hDC, *p, background)); }
  UINT RealizePalette() { return ::RealizePalette(m_hDC); }
  int SelectClipRgn(CRgn* r) { return ::SelectClipRgn(m_hDC, r ? HRGN(*r) : nullptr); }
  int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
  int IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
  int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
  int ExcludeClipRect(LPCRECT r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
  int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }

  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
  int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
  UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  COLORREF SetPixel(POINT p, COLORREF c) { return ::SetPixel(m_hDC, p.x, p.y, c); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  COLORREF GetPixel(POINT p) const { return ::GetPixel(m_hDC, p.x, p.y); }
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

  CPoint MoveTo(int x, int y) { POINT p{}; ::MoveToEx(m_hDC, x, y, &p); return p; }
  CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL LineTo(POINT p) { return ::LineTo(m_hDC, p.x, p.y); }
  BOOL Polyline(const POINT* pts, int n) { return ::Polyline(m_hDC, pts, n); }
  BOOL Polygon(const POINT* pts, int n) { return ::Polygon(m_hDC, pts, n); }
  BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
  BOOL Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
  BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
  BOOL RoundRect(LPCRECT r, POINT p) { return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, p.x, p.y); }
  BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
  BOOL Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
  void FillRect(LPCRECT r, CBrush* b) { ::FillRect(m_hDC, r, *b); }
  void FillSolidRect(LPCRECT r, COLORREF c);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF c) { RECT r{x, y, x + cx, y + cy}; FillSolidRect(&r, c); }
  void FrameRect(LPCRECT r, CBrush* b) { ::FrameRect(m_hDC, r, *b); }
  void Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF tl, COLORREF br) { RECT r{x, y, x + cx, y + cy}; Draw3dRect(&r, tl, br); }
  BOOL DrawEdge(LPRECT r, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, r, edge, flags); }
  void DrawFocusRect(LPCRECT r) { ::DrawFocusRect(m_hDC, r); }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
  BOOL DrawIcon(POINT p, HICON icon) { return ::DrawIcon(m_hDC, p.x, p.y, icon); }
  BOOL FillRgn(CRgn* r, CBrush* b) { return ::FillRgn(m_hDC, *r, *b); }
  BOOL FrameRgn(CRgn* r, CBrush* b, int w, int h) { return ::FrameRgn(m_hDC, *r, *b, w, h); }
  BOOL PaintRgn(CRgn* r) { return ::PaintRgn(m_hDC, *r); }
  BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
  }
  BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, rop);
  }
  BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
  BOOL TextOut(int x, int y, LPCSTR s, int n) { return ::TextOutA(m_hDC, x, y, s, n); }
  BOOL TextOut(int x, int y, const CString& s) { return ::TextOutA(m_hDC, x, y, s, s.GetLength()); }
  int DrawText(LPCSTR s, int n, LPRECT r, UINT fmt) { return ::DrawTextA(m_hDC, s, n, r, fmt); }
  int DrawText(const CString& s, LPRECT r, UINT fmt) { return ::DrawTextA(m_hDC, s, s.GetLength(), r, fmt); }
  BOOL ExtTextOut(int x, int y, UINT opts, LPCRECT r, LPCSTR s, UINT n, LPINT dx) { return ::ExtTextOutA(m_hDC, x, y, opts, r, s, n, dx); }
  CSize GetTextExtent(LPCSTR s, int n) const { SIZE sz{}; ::GetTextExtentPoint32A(m_hDC, s, n, &sz); return sz; }
  CSize GetTextExtent(const CString& s) const { return GetTextExtent(s, s.GetLength()); }
  BOOL GetTextMetrics(LPTEXTMETRICA tm) const { return ::GetTextMetricsA(m_hDC, tm); }
  CPoint SetViewportOrg(int x, int y) { POINT p{}; ::SetViewportOrgEx(m_hDC, x, y, &p); return p; }
  CPoint SetWindowOrg(int x, int y) { POINT p{}; ::SetWindowOrgEx(m_hDC, x, y, &p); return p; }
  BOOL LPtoDP(LPPOINT p, int n = 1) const { return ::LPtoDP(m_hDC, p, n); }
  BOOL DPtoLP(LPPOINT p, int n = 1) const { return ::DPtoLP(m_hDC, p, n); }

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;
};

class CPaintDC : public CDC {
public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};
protected:
  HWND m_hWnd;
};

class CClientDC : public CDC {
public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;
protected:
  HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;
protected:
  HWND m_hWnd;
};

// ------------------------------------------------------------------ CMenu
class CMenu : public CObject {
public:
  CMenu() = default;
  ~CMenu() override;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;
  BOOL CreateMenu() { return Attach(::CreateMenu()); }
  BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
  BOOL LoadMenu(UINT id) { return Attach(::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id))); }
  BOOL LoadMenu(LPCSTR name) { return Attach(::LoadMenuA(AfxGetResourceHandle(), name)); }
  BOOL DestroyMenu();
  // Attach puts the wrapper in the process-wide menu map, where owner-drawn
  // item requests find it.
  BOOL Attach(HMENU h);
  HMENU Detach();
  HMENU GetSafeHmenu() const { return this ? m_hMenu : nullptr; }
  operator HMENU() const { return m_hMenu; }
  static CMenu* FromHandle(HMENU h);
  static CMenu* FromHandlePermanent(HMENU h);
  // The mapped menu that holds an item with this command id (searching
  // popups too), for WM_MEASUREITEM, which names no menu.
  static CMenu* FindMenuWithItem(UINT id);

  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) { return ::AppendMenuA(m_hMenu, flags, id, item); }
  BOOL InsertMenu(UINT pos, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) { return ::InsertMenuA(m_hMenu, pos, flags, id, item); }
  BOOL ModifyMenu(UINT pos, UINT flags, UINT_PTR id = 0, LPCSTR item = nullptr) { return ::ModifyMenuA(m_hMenu, pos, flags, id, item); }
  BOOL RemoveMenu(UINT pos, UINT flags) { return ::RemoveMenu(m_hMenu, pos, flags); }
  BOOL DeleteMenu(UINT pos, UINT flags) { return ::DeleteMenu(m_hMenu, pos, flags); }
  UINT EnableMenuItem(UINT id, UINT enable) { return ::EnableMenuItem(m_hMenu, id, enable); }
  UINT CheckMenuItem(UINT id, UINT check) { return ::CheckMenuItem(m_hMenu, id, check); }
  BOOL CheckMenuRadioItem(UINT first, UINT last, UINT item, UINT flags) { return ::CheckMenuRadioItem(m_hMenu, first, last, item, flags); }
  UINT GetMenuItemCount() const { return UINT(::GetMenuItemCount(m_hMenu)); }
  UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(m_hMenu, pos); }
  UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(m_hMenu, id, flags); }
  int GetMenuString(UINT id, LPSTR buf, int max, UINT flags) const { return ::GetMenuStringA(m_hMenu, id, buf, max, flags); }
  int GetMenuString(UINT id, CString& s, UINT flags) const;
  BOOL GetMenuItemInfo(UINT item, LPMENUITEMINFOA info, BOOL byPos = FALSE) { return ::GetMenuItemInfoA(m_hMenu, item, byPos, info); }
  BOOL SetMenuItemInfo(UINT item, LPMENUITEMINFOA info, BOOL byPos = FALSE) { return ::SetMenuItemInfoA(m_hMenu, item, byPos, info); }
  CMenu* GetSubMenu(int pos) const { return FromHandle(::GetSubMenu(m_hMenu, pos)); }
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT r = nullptr);
  virtual void DrawItem(LPDRAWITEMSTRUCT dis) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT mis) {}
  HMENU m_hMenu = nullptr;
};

// ------------------------------------------------------------------- CWnd
// Message-box hook: every AfxMessageBox and CWnd::MessageBox goes through
// the installed function. A test replaces it to record and answer boxes.
typedef int (*AFX_MSGBOX_HOOK)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
AFX_MSGBOX_HOOK AFXAPI AfxSetMessageBoxHook(AFX_MSGBOX_HOOK hook);   // returns the previous one
int AFXAPI AfxShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int AFXAPI AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
int AFXAPI AfxMessageBox(UINT idPrompt, UINT type = MB_OK, UINT helpId = UINT(-1));

#ifdef GetNextWindow
#undef GetNextWindow
#endif

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)
public:
  CWnd() = default;
  explicit CWnd(HWND h) : m_hWnd(h) {}   // temporary wrapper, not mapped
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return this ? m_hWnd : nullptr; }
  HWND GetSafeHwnd() const { return this ? m_hWnd : nullptr; }
  bool operator==(const CWnd& o) const { return m_hWnd == o.m_hWnd; }
  bool operator!=(const CWnd& o) const { return m_hWnd != o.m_hWnd; }

  // The permanent map (process-wide, any thread) and temporary wrappers
  // (per thread, freed when the thread's message loop goes idle or ends).
  static CWnd* FromHandle(HWND h);
  static CWnd* FromHandlePermanent(HWND h);
  static void DeleteTempMap();
  BOOL Attach(HWND h);
  HWND Detach();
  BOOL SubclassWindow(HWND h);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();
  virtual void PreSubclassWindow() {}

  virtual BOOL PreCreateWindow(CREATESTRUCTA& cs) { return TRUE; }
  virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                      CWnd* parent, UINT id, void* context = nullptr);
  virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                        int x, int y, int w, int h, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
  BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id, LPVOID param = nullptr) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent->GetSafeHwnd(), reinterpret_cast<HMENU>(UINT_PTR(id)), param);
  }
  virtual BOOL DestroyWindow();

  // Message handling
  virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
  virtual BOOL OnWndMsg(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l);
  virtual BOOL OnCommand(WPARAM w, LPARAM l);
  virtual BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result);
  virtual BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
  BOOL ReflectChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
  static BOOL ReflectLastMsg(HWND child, LRESULT* result = nullptr);
  virtual BOOL PreTranslateMessage(MSG* msg) { return FALSE; }
  virtual void PostNcDestroy() {}
  virtual void DoDataExchange(CDataExchange* dx) {}
  virtual BOOL OnInitDialog() { return TRUE; }   // dialogs only
  LRESULT Default();
  static const MSG* GetCurrentMessage();
  // Runs PreTranslateMessage from the target window up to (not past) the
  // top-level window; TRUE when one of them ate the message.
  static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);

  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageA(m_hWnd, msg, w, l); }
  BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageA(m_hWnd, msg, w, l); }
  BOOL SendNotifyMessage(UINT msg, WPARAM w, LPARAM l) const { return ::SendNotifyMessageA(m_hWnd, msg, w, l); }
  void SendMessageToDescendants(UINT msg, WPARAM w = 0, LPARAM l = 0, BOOL deep = TRUE);

  // State and geometry
  BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
  BOOL IsChild(const CWnd* w) const { return ::IsChild(m_hWnd, w->GetSafeHwnd()); }
  void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
  void MoveWindow(LPCRECT r, BOOL repaint = TRUE) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, repaint); }
  BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
  }
  void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
  void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
  void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
  void ClientToScreen(LPRECT r) const { ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(r)); ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(r) + 1); }
  void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
  void ScreenToClient(LPRECT r) const { ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(r)); ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(r) + 1); }
  void CenterWindow(CWnd* alternateOwner = nullptr);
  BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
  CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
  BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
  static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
  static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
  static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
  static CWnd* FindWindow(LPCSTR cls, LPCSTR name) { return FromHandle(::FindWindowA(cls, name)); }
  static CWnd* WindowFromPoint(POINT p) { return FromHandle(::WindowFromPoint(p)); }
  BOOL IsWindow() const { return this && ::IsWindow(m_hWnd); }

  // Painting
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(LPCRECT r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
  void InvalidateRgn(CRgn* rgn, BOOL erase = TRUE) { ::InvalidateRgn(m_hWnd, rgn ? HRGN(*rgn) : nullptr, erase); }
  void ValidateRect(LPCRECT r) { ::ValidateRect(m_hWnd, r); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  BOOL RedrawWindow(LPCRECT r = nullptr, CRgn* rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) {
    return ::RedrawWindow(m_hWnd, r, rgn ? HRGN(*rgn) : nullptr, flags);
  }
  CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
  CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
  int ReleaseDC(CDC* dc);
  int SetWindowRgn(HRGN rgn, BOOL redraw) { return ::SetWindowRgn(m_hWnd, rgn, redraw); }
  int GetWindowRgn(HRGN rgn) const { return ::GetWindowRgn(m_hWnd, rgn); }

  // Text, font, icon
  void SetWindowText(LPCSTR s) { ::SetWindowTextA(m_hWnd, s); }
  int GetWindowText(LPSTR buf, int max) const { return ::GetWindowTextA(m_hWnd, buf, max); }
  void GetWindowText(CString& s) const;
  int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
  void SetFont(CFont* f, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, WPARAM(f ? HFONT(*f) : nullptr), redraw); }
  CFont* GetFont() const { return CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT))); }
  HICON SetIcon(HICON icon, BOOL big) { return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big, LPARAM(icon))); }
  HICON GetIcon(BOOL big) const { return reinterpret_cast<HICON>(SendMessage(WM_GETICON, big)); }

  // Styles
  DWORD GetStyle() const { return DWORD(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return DWORD(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  int SetDlgCtrlID(int id) { return int(::SetWindowLongA(m_hWnd, GWL_ID, id)); }

  // Relatives
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  CWnd* SetParent(CWnd* p) { return FromHandle(::SetParent(m_hWnd, p->GetSafeHwnd())); }
  CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
  CWnd* GetTopLevelParent() const;
  CWnd* GetWindow(UINT cmd) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
  CWnd* GetNextWindow(UINT cmd = GW_HWNDNEXT) const { return FromHandle(::GetWindow(m_hWnd, cmd)); }
  CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
  void GetDlgItem(int id, HWND* h) const { *h = ::GetDlgItem(m_hWnd, id); }
  CWnd* ChildWindowFromPoint(POINT p) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, p)); }
  CWnd* GetNextDlgTabItem(CWnd* ctl, BOOL previous = FALSE) const { return FromHandle(::GetNextDlgTabItem(m_hWnd, ctl->GetSafeHwnd(), previous)); }
  void SetDlgItemText(int id, LPCSTR s) { ::SetDlgItemTextA(m_hWnd, id, s); }
  int GetDlgItemText(int id, LPSTR buf, int max) const { return int(::GetDlgItemTextA(m_hWnd, id, buf, max)); }
  int GetDlgItemText(int id, CString& s) const;
  void SetDlgItemInt(int id, UINT v, BOOL isSigned = TRUE) { ::SetDlgItemInt(m_hWnd, id, v, isSigned); }
  UINT GetDlgItemInt(int id, BOOL* ok = nullptr, BOOL isSigned = TRUE) const { return ::GetDlgItemInt(m_hWnd, id, ok, isSigned); }
  void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
  UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
  void CheckRadioButton(int first, int last, int check) { ::CheckRadioButton(m_hWnd, first, last, check); }
  LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM w = 0, LPARAM l = 0) const { return ::SendDlgItemMessageA(m_hWnd, id, msg, w, l); }

  // Input
  CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
  static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
  CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
  static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) { return ::SetTimer(m_hWnd, id, elapse, proc); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

  // Menus
  CMenu* GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
  BOOL SetMenu(CMenu* m) { return ::SetMenu(m_hWnd, m->GetSafeHmenu()); }
  void DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
  CMenu* GetSystemMenu(BOOL revert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert)); }

  // Scroll bars
  int SetScrollPos(int bar, int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, bar, pos, redraw); }
  int GetScrollPos(int bar) const { return ::GetScrollPos(m_hWnd, bar); }
  void SetScrollRange(int bar, int mn, int mx, BOOL redraw = TRUE) { ::SetScrollRange(m_hWnd, bar, mn, mx, redraw); }

  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  // Default handlers (they pass the message on).
  afx_msg int OnCreate(LPCREATESTRUCT) { return int(Default()); }
  afx_msg void OnDestroy() { Default(); }
  afx_msg void OnNcDestroy() { Default(); }
  afx_msg void OnClose() { Default(); }
  afx_msg void OnPaint() { Default(); }
  afx_msg void OnNcPaint() { Default(); }
  afx_msg BOOL OnEraseBkgnd(CDC*) { return BOOL(Default()); }
  afx_msg void OnSize(UINT, int, int) { Default(); }
  afx_msg void OnMove(int, int) { Default(); }
  afx_msg void OnTimer(UINT_PTR) { Default(); }
  afx_msg void OnShowWindow(BOOL, UINT) { Default(); }
  afx_msg void OnActivate(UINT, CWnd*, BOOL) { Default(); }
  afx_msg BOOL OnNcActivate(BOOL) { return BOOL(Default()); }
  afx_msg void OnEnable(BOOL) { Default(); }
  afx_msg void OnSetFocus(CWnd*) { Default(); }
  afx_msg void OnKillFocus(CWnd*) { Default(); }
  afx_msg void OnLButtonDown(UINT, CPoint) { Default(); }
  afx_msg void OnLButtonUp(UINT, CPoint) { Default(); }
  afx_msg void OnLButtonDblClk(UINT, CPoint) { Default(); }
  afx_msg void OnRButtonDown(UINT, CPoint) { Default(); }
  afx_msg void OnRButtonUp(UINT, CPoint) { Default(); }
  afx_msg void OnRButtonDblClk(UINT, CPoint) { Default(); }
  afx_msg void OnMouseMove(UINT, CPoint) { Default(); }
  afx_msg BOOL OnMouseWheel(UINT, short, CPoint) { return BOOL(Default()); }
  afx_msg void OnMouseLeave() { Default(); }
  afx_msg BOOL OnSetCursor(CWnd*, UINT, UINT) { return BOOL(Default()); }
  afx_msg LRESULT OnNcHitTest(CPoint) { return Default(); }
  afx_msg void OnNcLButtonDown(UINT, CPoint) { Default(); }
  afx_msg void OnNcLButtonDblClk(UINT, CPoint) { Default(); }
  afx_msg void OnNcMouseMove(UINT, CPoint) { Default(); }
  afx_msg void OnKeyDown(UINT, UINT, UINT) { Default(); }
  afx_msg void OnKeyUp(UINT, UINT, UINT) { Default(); }
  afx_msg void OnChar(UINT, UINT, UINT) { Default(); }
  afx_msg void OnSysCommand(UINT, LPARAM) { Default(); }
  afx_msg void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
  afx_msg void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
  afx_msg void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
  afx_msg void OnContextMenu(CWnd*, CPoint) { Default(); }
  afx_msg BOOL OnCopyData(CWnd*, COPYDATASTRUCT*) { return BOOL(Default()); }
  afx_msg void OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
  afx_msg void OnMenuSelect(UINT, UINT, HMENU) { Default(); }
  afx_msg LRESULT OnMenuChar(UINT, UINT, CMenu*) { return Default(); }
  afx_msg void OnCaptureChanged(CWnd*) { Default(); }
  afx_msg void OnWindowPosChanging(WINDOWPOS*) { Default(); }
  afx_msg void OnWindowPosChanged(WINDOWPOS*) { Default(); }
  afx_msg HCURSOR OnQueryDragIcon() { return HCURSOR(Default()); }
  afx_msg void OnEnterMenuLoop(BOOL) { Default(); }
  afx_msg void OnExitMenuLoop(BOOL) { Default(); }
  afx_msg UINT OnGetDlgCode() { return UINT(Default()); }

  WNDPROC m_pfnSuper = nullptr;   // the procedure this object subclassed
protected:
  DECLARE_MESSAGE_MAP()
};

// Registers (once) a window class whose procedure is DefWindowProc; CWnd
// subclasses each window at creation. Returns the class name.
LPCSTR AFXAPI AfxRegisterWndClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr, HICON icon = nullptr);
LRESULT CALLBACK AfxWndProc(HWND h, UINT msg, WPARAM w, LPARAM l);

// ----------------------------------------------------- application, threads
typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
public:
  CWinThread();
  CWinThread(AFX_THREADPROC proc, LPVOID param);
  ~CWinThread() override;
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES sa = nullptr);
  DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
  DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
  int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
  BOOL SetThreadPriority(int p) { return ::SetThreadPriority(m_hThread, p); }
  BOOL PostThreadMessage(UINT msg, WPARAM w, LPARAM l) { return ::PostThreadMessageA(m_nThreadID, msg, w, l); }
  operator HANDLE() const { return m_hThread; }

  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance();
  virtual int Run();
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnIdle(LONG count);
  virtual BOOL PumpMessage();
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

  CWnd* m_pMainWnd = nullptr;
  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  BOOL m_bAutoDelete = TRUE;   // the object deletes itself when its thread ends
  MSG m_msgCur{};

  // Internal: the thread body.
  static unsigned __stdcall ThreadEntry(void* param);
protected:
  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;
  HANDLE m_hStarted = nullptr;
  BOOL m_bInitOk = FALSE;
};

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                                  UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES sa = nullptr);
CWinThread* AFXAPI AfxBeginThread(const CRuntimeClass* threadClass, int priority = THREAD_PRIORITY_NORMAL,
                                  UINT stackSize = 0, DWORD createFlags = 0, LPSECURITY_ATTRIBUTES sa = nullptr);
void AFXAPI AfxEndThread(UINT exitCode, BOOL deleteObject = TRUE);
CWinThread* AFXAPI AfxGetThread();

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
public:
  explicit CWinApp(LPCSTR appName = nullptr);
  ~CWinApp() override;
  BOOL InitInstance() override { return TRUE; }
  int ExitInstance() override;
  int Run() override;
  HICON LoadIcon(UINT id) const { return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)); }
  HICON LoadStandardIcon(LPCSTR name) const { return ::LoadIconA(nullptr, name); }
  HCURSOR LoadCursor(UINT id) const { return ::LoadCursorA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)); }
  HCURSOR LoadStandardCursor(LPCSTR name) const { return ::LoadCursorA(nullptr, name); }

  LPCSTR m_pszAppName = nullptr;
  LPCSTR m_pszExeName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  LPSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
private:
  CString m_appName;
  CString m_exeName;
};

CWinApp* AFXAPI AfxGetApp();
CWnd* AFXAPI AfxGetMainWnd();
LPCSTR AFXAPI AfxGetAppName();
// The program's WinMain body: initialises the application object and runs it.
int AFXAPI AfxWinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmdLine, int show);

// ----------------------------------------------------------------- dialogs
class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_lpszTemplateName(MAKEINTRESOURCEA(templateId)), m_nIDHelp(templateId), m_pParentWnd(parent) {}
  explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr) : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}
  ~CDialog() override;

  // Modeless
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr) { return Create(MAKEINTRESOURCEA(templateId), parent); }
  virtual BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);
  BOOL CreateIndirect(LPCDLGTEMPLATEA tmpl, CWnd* parent = nullptr);
  // Modal: runs the dialog's own message loop; returns the EndDialog code,
  // or -1 when the dialog could not be created.
  virtual INT_PTR DoModal();
  BOOL InitModalIndirect(LPCDLGTEMPLATEA tmpl, CWnd* parent = nullptr) { m_lpDialogTemplate = tmpl; m_pParentWnd = parent; return TRUE; }
  void EndDialog(int result);
  BOOL OnInitDialog() override;
  virtual void OnOK();
  virtual void OnCancel();
  BOOL PreTranslateMessage(MSG* msg) override;
  void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
  void PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
  void GotoDlgCtrl(CWnd* ctl) { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, WPARAM(ctl->GetSafeHwnd()), 1); }
  void SetDefID(UINT id) { ::SendMessageA(m_hWnd, DM_SETDEFID, id, 0); }
  DWORD GetDefID() const { return DWORD(::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0)); }
  void MapDialogRect(LPRECT r) const { ::MapDialogRect(m_hWnd, r); }
  BOOL IsModal() const { return m_bModal; }

  LPCSTR m_lpszTemplateName = nullptr;
  LPCDLGTEMPLATEA m_lpDialogTemplate = nullptr;
  UINT m_nIDHelp = 0;
  CWnd* m_pParentWnd = nullptr;
  LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l) override;
protected:
  BOOL CreateFromTemplate(LPCDLGTEMPLATEA tmpl, HWND parent);
  LPCDLGTEMPLATEA FindTemplate() const;
  BOOL m_bModal = FALSE;
  BOOL m_bEnded = FALSE;
  int m_nModalResult = -1;
  DECLARE_MESSAGE_MAP()
};

// DDX/DDV: dialog data exchange
class CDataExchange {
public:
  CDataExchange(CWnd* dlg, BOOL save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
  HWND PrepareCtrl(int id);
  HWND PrepareEditCtrl(int id);
  // Marks the exchange failed: shows nothing itself; the caller has already
  // shown the prompt. Sets focus to the last prepared control.
  void Fail();
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  BOOL m_bFailed = FALSE;
  HWND m_hWndLastControl = nullptr;
  BOOL m_bEditLastControl = FALSE;
};

void AFXAPI DDX_Text(CDataExchange* dx, int id, int& value);
void AFXAPI DDX_Text(CDataExchange* dx, int id, UINT& value);
void AFXAPI DDX_Text(CDataExchange* dx, int id, long& value);
void AFXAPI DDX_Text(CDataExchange* dx, int id, DWORD& value);
void AFXAPI DDX_Text(CDataExchange* dx, int id, CString& value);
void AFXAPI DDX_Check(CDataExchange* dx, int id, int& value);
void AFXAPI DDX_Radio(CDataExchange* dx, int id, int& value);
void AFXAPI DDX_CBIndex(CDataExchange* dx, int id, int& index);
void AFXAPI DDX_CBString(CDataExchange* dx, int id, CString& value);
void AFXAPI DDX_LBIndex(CDataExchange* dx, int id, int& index);
void AFXAPI DDX_Control(CDataExchange* dx, int id, CWnd& control);
void AFXAPI DDV_MinMaxInt(CDataExchange* dx, int value, int minVal, int maxVal);
void AFXAPI DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minVal, UINT maxVal);
void AFXAPI DDV_MinMaxLong(CDataExchange* dx, long value, long minVal, long maxVal);
void AFXAPI DDV_MinMaxDWord(CDataExchange* dx, DWORD value, DWORD minVal, DWORD maxVal);
void AFXAPI DDV_MaxChars(CDataExchange* dx, const CString& value, int maxChars);

// ------------------------------------------------------- standard controls
// Owner-drawn controls get DrawItem/MeasureItem from their parent's
// WM_DRAWITEM / WM_MEASUREITEM through reflection.
#define AFX_OWNERDRAW_REFLECT() \
  BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* r) override { \
    if (msg == WM_DRAWITEM) { DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(l)); if (r) *r = TRUE; return TRUE; } \
    if (msg == WM_MEASUREITEM) { MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(l)); if (r) *r = TRUE; return TRUE; } \
    return CWnd::OnChildNotify(msg, w, l, r); }

class CStatic : public CWnd {
public:
  BOOL Create(LPCSTR text, DWORD style, const RECT& r, CWnd* parent, UINT id = 0xFFFF) {
    return CWnd::Create("STATIC", text, style, r, parent, id);
  }
  HBITMAP SetBitmap(HBITMAP b) { return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, LPARAM(b))); }
  HBITMAP GetBitmap() const { return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
  HICON SetIcon(HICON i) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, WPARAM(i))); }
  HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

class CButton : public CWnd {
public:
  BOOL Create(LPCSTR text, DWORD style, const RECT& r, CWnd* parent, UINT id) {
    return CWnd::Create("BUTTON", text, style, r, parent, id);
  }
  int GetCheck() const { return int(SendMessage(BM_GETCHECK)); }
  void SetCheck(int c) { SendMessage(BM_SETCHECK, WPARAM(c)); }
  UINT GetState() const { return UINT(SendMessage(BM_GETSTATE)); }
  void SetState(BOOL h) { SendMessage(BM_SETSTATE, WPARAM(h)); }
  UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
  void SetButtonStyle(UINT s, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, s, redraw); }
  HBITMAP SetBitmap(HBITMAP b) { return reinterpret_cast<HBITMAP>(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, LPARAM(b))); }
  HICON SetIcon(HICON i) { return reinterpret_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, LPARAM(i))); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

class CEdit : public CWnd {
public:
  BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create("EDIT", nullptr, style, r, parent, id); }
  void SetLimitText(UINT n) { SendMessage(EM_LIMITTEXT, n); }
  void LimitText(int n = 0) { SendMessage(EM_LIMITTEXT, WPARAM(n)); }
  UINT GetLimitText() const { return UINT(SendMessage(EM_GETLIMITTEXT)); }
  void SetSel(int start, int end, BOOL noScroll = FALSE) { SendMessage(EM_SETSEL, WPARAM(start), end); if (!noScroll) SendMessage(EM_SCROLLCARET); }
  void GetSel(int& start, int& end) const { SendMessage(EM_GETSEL, WPARAM(&start), LPARAM(&end)); }
  void ReplaceSel(LPCSTR s, BOOL undo = FALSE) { SendMessage(EM_REPLACESEL, undo, LPARAM(s)); }
  BOOL SetReadOnly(BOOL ro = TRUE) { return BOOL(SendMessage(EM_SETREADONLY, ro)); }
  int GetLineCount() const { return int(SendMessage(EM_GETLINECOUNT)); }
  void LineScroll(int lines, int chars = 0) { SendMessage(EM_LINESCROLL, WPARAM(chars), lines); }
  void SetPasswordChar(char ch) { SendMessage(EM_SETPASSWORDCHAR, WPARAM(BYTE(ch))); }
  BOOL GetModify() const { return BOOL(SendMessage(EM_GETMODIFY)); }
  void SetModify(BOOL m = TRUE) { SendMessage(EM_SETMODIFY, m); }
  void Clear() { SendMessage(WM_CLEAR); }
  void Copy() { SendMessage(WM_COPY); }
  void Cut() { SendMessage(WM_CUT); }
  void Paste() { SendMessage(WM_PASTE); }
};

class CComboBox : public CWnd {
public:
  BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create("COMBOBOX", nullptr, style, r, parent, id); }
  int AddString(LPCSTR s) { return int(SendMessage(CB_ADDSTRING, 0, LPARAM(s))); }
  int InsertString(int i, LPCSTR s) { return int(SendMessage(CB_INSERTSTRING, WPARAM(i), LPARAM(s))); }
  int DeleteString(UINT i) { return int(SendMessage(CB_DELETESTRING, i)); }
  void ResetContent() { SendMessage(CB_RESETCONTENT); }
  int GetCount() const { return int(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return int(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int i) { return int(SendMessage(CB_SETCURSEL, WPARAM(i))); }
  int GetLBText(int i, LPSTR buf) const { return int(SendMessage(CB_GETLBTEXT, WPARAM(i), LPARAM(buf))); }
  void GetLBText(int i, CString& s) const;
  int GetLBTextLen(int i) const { return int(SendMessage(CB_GETLBTEXTLEN, WPARAM(i))); }
  DWORD_PTR GetItemData(int i) const { return DWORD_PTR(SendMessage(CB_GETITEMDATA, WPARAM(i))); }
  int SetItemData(int i, DWORD_PTR d) { return int(SendMessage(CB_SETITEMDATA, WPARAM(i), LPARAM(d))); }
  int FindString(int after, LPCSTR s) const { return int(SendMessage(CB_FINDSTRING, WPARAM(after), LPARAM(s))); }
  int FindStringExact(int after, LPCSTR s) const { return int(SendMessage(CB_FINDSTRINGEXACT, WPARAM(after), LPARAM(s))); }
  int SelectString(int after, LPCSTR s) { return int(SendMessage(CB_SELECTSTRING, WPARAM(after), LPARAM(s))); }
  BOOL LimitText(int n) { return BOOL(SendMessage(CB_LIMITTEXT, WPARAM(n))); }
  void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, show); }
  BOOL GetDroppedState() const { return BOOL(SendMessage(CB_GETDROPPEDSTATE)); }
  int SetDroppedWidth(UINT w) { return int(SendMessage(CB_SETDROPPEDWIDTH, w)); }
  int SetItemHeight(int i, UINT h) { return int(SendMessage(CB_SETITEMHEIGHT, WPARAM(i), h)); }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

class CListBox : public CWnd {
public:
  BOOL Create(DWORD style, const RECT& r, CWnd* parent, UINT id) { return CWnd::Create("LISTBOX", nullptr, style, r, parent, id); }
  int AddString(LPCSTR s) { return int(SendMessage(LB_ADDSTRING, 0, LPARAM(s))); }
  int InsertString(int i, LPCSTR s) { return int(SendMessage(LB_INSERTSTRING, WPARAM(i), LPARAM(s))); }
  int DeleteString(UINT i) { return int(SendMessage(LB_DELETESTRING, i)); }
  void ResetContent() { SendMessage(LB_RESETCONTENT); }
  int GetCount() const { return int(SendMessage(LB_GETCOUNT)); }
  int GetCurSel() const { return int(SendMessage(LB_GETCURSEL)); }
  int SetCurSel(int i) { return int(SendMessage(LB_SETCURSEL, WPARAM(i))); }
  int GetSel(int i) const { return int(SendMessage(LB_GETSEL, WPARAM(i))); }
  int SetSel(int i, BOOL sel = TRUE) { return int(SendMessage(LB_SETSEL, sel, i)); }
  int GetSelCount() const { return int(SendMessage(LB_GETSELCOUNT)); }
  int GetText(int i, LPSTR buf) const { return int(SendMessage(LB_GETTEXT, WPARAM(i), LPARAM(buf))); }
  void GetText(int i, CString& s) const;
  int GetTextLen(int i) const { return int(SendMessage(LB_GETTEXTLEN, WPARAM(i))); }
  DWORD_PTR GetItemData(int i) const { return DWORD_PTR(SendMessage(LB_GETITEMDATA, WPARAM(i))); }
  int SetItemData(int i, DWORD_PTR d) { return int(SendMessage(LB_SETITEMDATA, WPARAM(i), LPARAM(d))); }
  int GetItemRect(int i, LPRECT r) const { return int(SendMessage(LB_GETITEMRECT, WPARAM(i), LPARAM(r))); }
  int SetItemHeight(int i, UINT h) { return int(SendMessage(LB_SETITEMHEIGHT, WPARAM(i), MAKELPARAM(h, 0))); }
  int GetItemHeight(int i) const { return int(SendMessage(LB_GETITEMHEIGHT, WPARAM(i))); }
  int FindString(int after, LPCSTR s) const { return int(SendMessage(LB_FINDSTRING, WPARAM(after), LPARAM(s))); }
  int FindStringExact(int after, LPCSTR s) const { return int(SendMessage(LB_FINDSTRINGEXACT, WPARAM(after), LPARAM(s))); }
  int GetTopIndex() const { return int(SendMessage(LB_GETTOPINDEX)); }
  int SetTopIndex(int i) { return int(SendMessage(LB_SETTOPINDEX, WPARAM(i))); }
  UINT ItemFromPoint(CPoint p, BOOL& outside) const {
    DWORD r = DWORD(SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y)));
    outside = HIWORD(r) != 0;
    return LOWORD(r);
  }
  virtual void DrawItem(LPDRAWITEMSTRUCT) {}
  virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}
  AFX_OWNERDRAW_REFLECT()
};

// A list box of check boxes: owner-drawn (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS),
// a click on the box toggles the check; rows can be disabled.
class CCheckListBox : public CListBox {
public:
  void SetCheck(int i, int check);
  int GetCheck(int i) const;
  void Enable(int i, BOOL enable = TRUE);
  BOOL IsEnabled(int i) const;
  void SetCheckStyle(UINT style) { m_nStyle = style; }
  UINT GetCheckStyle() const { return m_nStyle; }
  void DrawItem(LPDRAWITEMSTRUCT dis) override;
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override;
  // Parent is told of a toggle with CLBN_CHKCHANGE.
  enum { CLBN_CHKCHANGE = 40 };
protected:
  afx_msg void OnLButtonDown(UINT flags, CPoint pt);
  afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
  afx_msg LRESULT OnLBAddString(WPARAM w, LPARAM l);
  afx_msg LRESULT OnLBInsertString(WPARAM w, LPARAM l);
  afx_msg LRESULT OnLBDeleteString(WPARAM w, LPARAM l);
  afx_msg LRESULT OnLBResetContent(WPARAM w, LPARAM l);
  void Toggle(int i);
  struct Row { int check = 0; BOOL enabled = TRUE; };
  std::vector<Row> m_rows;
  UINT m_nStyle = BS_AUTOCHECKBOX;
  DECLARE_MESSAGE_MAP()
};

class CScrollBar : public CWnd {
public:
  int GetScrollPos() const { return ::GetScrollPos(m_hWnd, SB_CTL); }
  int SetScrollPos(int pos, BOOL redraw = TRUE) { return ::SetScrollPos(m_hWnd, SB_CTL, pos, redraw); }
  void SetScrollRange(int mn, int mx, BOOL redraw = TRUE) { ::SetScrollRange(m_hWnd, SB_CTL, mn, mx, redraw); }
};

// Loads a dialog template resource by name from the resource module.
LPCDLGTEMPLATEA AFXAPI AfxFindDialogTemplate(LPCSTR name);
// Thread-safety helper: runs fn on the window's own thread (SendMessage).
void AFXAPI AfxDeleteTempMaps();
