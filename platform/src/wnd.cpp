// CWnd: the handle maps, window creation and subclassing, message-map
// dispatch and reflection.
#include "afxwin.h"
#include "afx_internal.h"

#include <set>
#include <unordered_map>

const CRuntimeClass CObject::classCObject = {"CObject", nullptr, nullptr};
IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// Process-wide map of permanent window objects: any thread may look a
// window up (the UDP, loader and splash threads call window members).
struct WndMap {
  afx_detail::Lock lock;
  std::unordered_map<HWND, CWnd*> map;
};
WndMap& Wnds() {
  static WndMap m;
  return m;
}

struct ThreadState {
  HHOOK hook = nullptr;
  CWnd* pending = nullptr;     // object waiting for its HWND at creation
  MSG current{};               // message being handled (Default, reflection)
  std::map<HWND, std::unique_ptr<CWnd>> tempWnd;
  ~ThreadState() {
    for (auto& t : tempWnd) t.second->m_hWnd = nullptr;
    if (hook) ::UnhookWindowsHookEx(hook);
  }
};
// Plain pointers in thread-local storage: no destructor is registered with
// the runtime (thread exit stays simple); AfxBeginThread's threads free
// their state on the way out.
thread_local ThreadState* t_state = nullptr;
ThreadState& State() {
  if (!t_state) t_state = new ThreadState;
  return *t_state;
}

UINT DestroyRequestMessage() {
  static const UINT msg = ::RegisterWindowMessageA("Selvane.Platform.Destroy");
  return msg;
}

LRESULT CALLBACK CbtHook(int code, WPARAM w, LPARAM l) {
  ThreadState& ts = State();
  if (code == HCBT_CREATEWND && ts.pending) {
    CWnd* wnd = ts.pending;
    ts.pending = nullptr;
    HWND h = reinterpret_cast<HWND>(w);
    wnd->Attach(h);
    wnd->PreSubclassWindow();
    WNDPROC old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (old != &AfxWndProc) wnd->m_pfnSuper = old;
  }
  return ::CallNextHookEx(ts.hook, code, w, l);
}

}  // namespace

namespace afx_detail {

void HookWindowCreate(CWnd* wnd) {
  ThreadState& ts = State();
  if (!ts.hook) ts.hook = ::SetWindowsHookExA(WH_CBT, &CbtHook, nullptr, ::GetCurrentThreadId());
  ts.pending = wnd;
}

BOOL UnhookWindowCreate() {
  ThreadState& ts = State();
  BOOL wasPending = ts.pending != nullptr;
  ts.pending = nullptr;
  return !wasPending;
}

void DeleteTempWnds() {
  if (t_state) t_state->tempWnd.clear();
}

void ReleaseThreadWnds() {
  delete t_state;
  t_state = nullptr;
}

}  // namespace afx_detail

// ------------------------------------------------------------------ maps
CWnd* CWnd::FromHandlePermanent(HWND h) {
  if (!h) return nullptr;
  WndMap& m = Wnds();
  afx_detail::Guard g(m.lock);
  auto it = m.map.find(h);
  return it == m.map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND h) {
  if (!h) return nullptr;
  if (CWnd* p = FromHandlePermanent(h)) return p;
  auto& temp = State().tempWnd;
  auto& slot = temp[h];
  if (!slot) slot.reset(new CWnd(h));
  return slot.get();
}

void CWnd::DeleteTempMap() { afx_detail::DeleteTempWnds(); }

BOOL CWnd::Attach(HWND h) {
  if (!h || m_hWnd) return FALSE;
  WndMap& m = Wnds();
  afx_detail::Guard g(m.lock);
  m.map[h] = this;
  m_hWnd = h;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND h = m_hWnd;
  if (h) {
    WndMap& m = Wnds();
    afx_detail::Guard g(m.lock);
    auto it = m.map.find(h);
    if (it != m.map.end() && it->second == this) m.map.erase(it);
  }
  m_hWnd = nullptr;
  return h;
}

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    // The object goes first: the window must not call into it any more.
    HWND h = m_hWnd;
    if (m_pfnSuper) ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    Detach();
    if (::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId()) ::DestroyWindow(h);
  }
}

BOOL CWnd::SubclassWindow(HWND h) {
  if (!Attach(h)) return FALSE;
  PreSubclassWindow();
  WNDPROC old = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
  if (old != &AfxWndProc) m_pfnSuper = old;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  HWND h = ::GetDlgItem(parent->GetSafeHwnd(), int(id));
  return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (m_pfnSuper) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  return Detach();
}

// -------------------------------------------------------------- creation
LPCSTR AFXAPI AfxRegisterWndClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
  static afx_detail::Lock lock;
  static std::set<std::string> names;
  char name[96];
  wsprintfA(name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), style,
            static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
  afx_detail::Guard g(lock);
  auto it = names.find(name);
  if (it != names.end()) return it->c_str();
  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = ::DefWindowProcA;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hCursor = cursor;
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = name;
  WNDCLASSA existing{};
  if (!::GetClassInfoA(wc.hInstance, name, &existing) && !::RegisterClassA(&wc)) return nullptr;
  return names.insert(name).first->c_str();
}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& r, CWnd* parent, UINT id,
                  void*) {
  return CreateEx(0, className, windowName, style | WS_CHILD, r.left, r.top, r.right - r.left,
                  r.bottom - r.top, parent->GetSafeHwnd(), reinterpret_cast<HMENU>(UINT_PTR(id)));
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int w,
                    int h, HWND parent, HMENU idOrMenu, LPVOID param) {
  if (m_hWnd) return FALSE;
  CREATESTRUCTA cs{};
  cs.dwExStyle = exStyle;
  cs.lpszClass = className;
  cs.lpszName = windowName;
  cs.style = style;
  cs.x = x; cs.y = y; cs.cx = w; cs.cy = h;
  cs.hwndParent = parent;
  cs.hMenu = idOrMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = param;
  if (!PreCreateWindow(cs)) return FALSE;
  if (!cs.lpszClass)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  afx_detail::HookWindowCreate(this);
  HWND hwnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  DWORD err = ::GetLastError();
  afx_detail::UnhookWindowCreate();
  if (!hwnd) {
    if (m_hWnd) Detach();   // attached, then failed in WM_CREATE
    ::SetLastError(err);
    return FALSE;
  }
  return m_hWnd == hwnd;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  // A window can only be destroyed by its own thread; from another thread
  // the request is sent to it.
  if (::GetWindowThreadProcessId(m_hWnd, nullptr) != ::GetCurrentThreadId())
    return BOOL(::SendMessageA(m_hWnd, DestroyRequestMessage(), 0, 0));
  return ::DestroyWindow(m_hWnd);
}

// ------------------------------------------------------------- dispatch
const MSG* CWnd::GetCurrentMessage() { return &State().current; }

LRESULT CALLBACK AfxWndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  CWnd* wnd = CWnd::FromHandlePermanent(h);
  if (!wnd) return ::DefWindowProcA(h, msg, w, l);
  if (msg == DestroyRequestMessage()) return ::DestroyWindow(h);
  ThreadState& ts = State();
  MSG saved = ts.current;
  ts.current.hwnd = h;
  ts.current.message = msg;
  ts.current.wParam = w;
  ts.current.lParam = l;
  LRESULT r = wnd->WindowProc(msg, w, l);
  ts.current = saved;
  if (msg == WM_NCDESTROY && CWnd::FromHandlePermanent(h) == wnd) {
    // The window is gone: restore the procedure, forget the handle, and let
    // the object clean up after itself (it may delete itself).
    if (wnd->m_pfnSuper &&
        ::GetWindowLongPtrA(h, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&AfxWndProc))
      ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
    wnd->Detach();
    wnd->PostNcDestroy();
  }
  return r;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  LRESULT r = 0;
  if (!OnWndMsg(msg, w, l, &r)) r = DefWindowProc(msg, w, l);
  return r;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, w, l);
  return ::DefWindowProcA(m_hWnd, msg, w, l);
}

LRESULT CWnd::Default() {
  const MSG* m = GetCurrentMessage();
  return DefWindowProc(m->message, m->wParam, m->lParam);
}

static bool IsCtlColor(UINT msg) { return msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC; }

BOOL CWnd::OnWndMsg(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  if (msg == WM_COMMAND) {
    if (!OnCommand(w, l)) return FALSE;
    *result = 0;
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    LRESULT r = 0;
    if (!OnNotify(w, l, &r)) return FALSE;
    *result = r;
    return TRUE;
  }
  UINT key = IsCtlColor(msg) ? UINT(WM_CTLCOLOR) : msg;
  if (DispatchMessageMap(key, msg, w, l, result)) return TRUE;
  // Unmapped messages whose default handling reflects them to the child.
  switch (msg) {
    case WM_DRAWITEM:
      OnDrawItem(int(w), reinterpret_cast<LPDRAWITEMSTRUCT>(l));
      *result = TRUE;
      return TRUE;
    case WM_MEASUREITEM:
      OnMeasureItem(int(w), reinterpret_cast<LPMEASUREITEMSTRUCT>(l));
      *result = TRUE;
      return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM: {
      HWND child = nullptr;
      if (msg == WM_HSCROLL || msg == WM_VSCROLL || msg == WM_VKEYTOITEM || msg == WM_CHARTOITEM)
        child = reinterpret_cast<HWND>(l);
      else if (msg == WM_COMPAREITEM)
        child = reinterpret_cast<COMPAREITEMSTRUCT*>(l)->hwndItem;
      else
        child = reinterpret_cast<DELETEITEMSTRUCT*>(l)->hwndItem;
      return child && ReflectLastMsg(child, result);
    }
    default:
      break;
  }
  if (IsCtlColor(msg)) {
    *result = LRESULT(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(w)),
                                 FromHandle(reinterpret_cast<HWND>(l)), msg - WM_CTLCOLORMSGBOX));
    return TRUE;
  }
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM w, LPARAM l) {
  HWND ctl = reinterpret_cast<HWND>(l);
  if (ctl && ReflectLastMsg(ctl)) return TRUE;   // eaten by the control
  LRESULT r = 0;
  return DispatchMessageMap(WM_COMMAND, WM_COMMAND, w, l, &r);
}

BOOL CWnd::OnNotify(WPARAM w, LPARAM l, LRESULT* result) {
  const NMHDR* nm = reinterpret_cast<const NMHDR*>(l);
  if (!nm) return FALSE;
  if (nm->hwndFrom && ReflectLastMsg(nm->hwndFrom, result)) return TRUE;
  return DispatchMessageMap(WM_NOTIFY, WM_NOTIFY, w, l, result);
}

BOOL CWnd::ReflectLastMsg(HWND child, LRESULT* result) {
  CWnd* c = FromHandlePermanent(child);
  if (!c) return FALSE;
  const MSG m = *GetCurrentMessage();
  LRESULT dummy = 0;
  return c->OnChildNotify(m.message, m.wParam, m.lParam, result ? result : &dummy);
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  return ReflectChildNotify(msg, w, l, result);
}

BOOL CWnd::ReflectChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  UINT key = WM_REFLECT_BASE + (IsCtlColor(msg) ? UINT(WM_CTLCOLOR) : msg);
  LRESULT r = 0;
  if (!DispatchMessageMap(key, msg, w, l, &r)) return FALSE;
  if (result) *result = r;
  return TRUE;
}

HBRUSH CWnd::OnCtlColor(CDC* dc, CWnd* wnd, UINT) {
  LRESULT r = 0;
  if (wnd && ReflectLastMsg(wnd->m_hWnd, &r) && r) return reinterpret_cast<HBRUSH>(r);
  return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT dis) {
  if (dis->CtlType == ODT_MENU) {
    if (CMenu* m = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem))) {
      m->DrawItem(dis);
      return;
    }
  } else if (ReflectLastMsg(dis->hwndItem)) {
    return;
  }
  Default();
}

void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT mis) {
  if (mis->CtlType == ODT_MENU) {
    if (CMenu* m = CMenu::FindMenuWithItem(mis->itemID)) {
      m->MeasureItem(mis);
      return;
    }
  } else if (HWND child = ::GetDlgItem(m_hWnd, int(mis->CtlID))) {
    if (ReflectLastMsg(child)) return;
  }
  Default();
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
    if (CWnd* w = FromHandlePermanent(h))
      if (w->PreTranslateMessage(msg)) return TRUE;
    if (h == stop || !(::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return FALSE;
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM w, LPARAM l, BOOL deep) {
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
    ::SendMessageA(c, msg, w, l);
    if (deep) CWnd(c).SendMessageToDescendants(msg, w, l, TRUE);
  }
}

// ------------------------------------------------------------- members
void CWnd::GetWindowText(CString& s) const {
  int n = ::GetWindowTextLengthA(m_hWnd);
  ::GetWindowTextA(m_hWnd, s.GetBuffer(n), n + 1);
  s.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int id, CString& s) const {
  HWND h = ::GetDlgItem(m_hWnd, id);
  if (!h) { s.Empty(); return 0; }
  CWnd(h).GetWindowText(s);
  return s.GetLength();
}

int CWnd::ReleaseDC(CDC* dc) {
  if (!dc) return 0;
  return ::ReleaseDC(m_hWnd, dc->m_hDC);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  DWORD s = GetStyle(), n = (s & ~remove) | add;
  if (s == n) return FALSE;
  ::SetWindowLongA(m_hWnd, GWL_STYLE, LONG(n));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
  DWORD s = GetExStyle(), n = (s & ~remove) | add;
  if (s == n) return FALSE;
  ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, LONG(n));
  if (flags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  return TRUE;
}

CWnd* CWnd::GetTopLevelParent() const {
  HWND h = m_hWnd;
  while (h && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
  return FromHandle(h);
}

void CWnd::CenterWindow(CWnd* alternateOwner) {
  RECT area{}, me{};
  HWND owner = alternateOwner ? alternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
  if (GetStyle() & WS_CHILD) owner = ::GetParent(m_hWnd);
  ::GetWindowRect(m_hWnd, &me);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &area);
  } else {
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  int w = me.right - me.left, h = me.bottom - me.top;
  int x = (area.left + area.right - w) / 2, y = (area.top + area.bottom - h) / 2;
  if (GetStyle() & WS_CHILD) {
    POINT p{x, y};
    ::ScreenToClient(owner, &p);
    x = p.x;
    y = p.y;
  }
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) {
  return AfxShowMessageBox(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

// -------------------------------------------------------- message boxes
namespace {
volatile LONG g_msgBoxHook = 0;
}

AFX_MSGBOX_HOOK AFXAPI AfxSetMessageBoxHook(AFX_MSGBOX_HOOK hook) {
  return reinterpret_cast<AFX_MSGBOX_HOOK>(::InterlockedExchange(&g_msgBoxHook, LONG(reinterpret_cast<LONG_PTR>(hook))));
}

int AFXAPI AfxShowMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  auto hook = reinterpret_cast<AFX_MSGBOX_HOOK>(LONG_PTR(g_msgBoxHook));
  if (hook) return hook(owner, text ? text : "", caption ? caption : "", type);
  return ::MessageBoxA(owner, text, caption, type);
}

int AFXAPI AfxMessageBox(LPCSTR text, UINT type, UINT) {
  CWnd* main = AfxGetMainWnd();
  HWND owner = main && ::IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
  if (owner && ::GetWindowThreadProcessId(owner, nullptr) != ::GetCurrentThreadId()) owner = nullptr;
  if (!owner) owner = ::GetActiveWindow();
  return AfxShowMessageBox(owner, text, AfxGetAppName(), type);
}

int AFXAPI AfxMessageBox(UINT idPrompt, UINT type, UINT) {
  CString s;
  s.LoadString(idPrompt);
  return AfxMessageBox(s, type);
}

// -------------------------------------------------------- CCmdTarget maps
const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT id, int code, void*, void*) {
  LRESULT r = 0;
  return DispatchMessageMap(WM_COMMAND, WM_COMMAND, MAKEWPARAM(id, code), 0, &r);
}

BOOL CCmdTarget::HasMapEntry(UINT key) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e)
      if (e->nMessage == key) return TRUE;
  return FALSE;
}

BOOL CCmdTarget::DispatchMessageMap(UINT key, UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  bool isCommand = key == WM_COMMAND || key == WM_REFLECT_BASE + WM_COMMAND;
  bool isNotify = key == WM_NOTIFY || key == WM_REFLECT_BASE + WM_NOTIFY;
  UINT code = 0, id = 0;
  if (isCommand) {
    code = HIWORD(w);
    id = LOWORD(w);
    if (code == 1 && l == 0) code = 0;   // accelerator: same as a menu command
  } else if (isNotify) {
    const NMHDR* nm = reinterpret_cast<const NMHDR*>(l);
    code = nm->code;
    id = UINT(nm->idFrom);
  }
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
      if (e->nMessage != key) continue;
      if ((isCommand || isNotify) && (e->nCode != code || id < e->nID || id > e->nLastID)) continue;
      LRESULT r = 0;
      if (e->pfn(this, msg, w, l, &r)) {
        *result = r;
        return TRUE;
      }
    }
  }
  return FALSE;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()
