// GDI wrappers, temporary handle wrappers and menus.
#include "afxwin.h"
#include "afx_internal.h"

#include <unordered_map>

namespace {

struct TempGdi {
  std::map<HDC, std::unique_ptr<CDC>> dc;
  std::map<HGDIOBJ, std::unique_ptr<CGdiObject>> obj;
  std::map<HMENU, std::unique_ptr<CMenu>> menu;
  void Clear() {
    for (auto& d : dc) d.second->Detach();
    for (auto& o : obj) o.second->Detach();
    for (auto& m : menu) m.second->m_hMenu = nullptr;
    dc.clear();
    obj.clear();
    menu.clear();
  }
  ~TempGdi() { Clear(); }
};
thread_local TempGdi* t_temps = nullptr;
TempGdi& Temps() {
  if (!t_temps) t_temps = new TempGdi;
  return *t_temps;
}

struct MenuMap {
  afx_detail::Lock lock;
  std::unordered_map<HMENU, CMenu*> map;
};
MenuMap& Menus() {
  static MenuMap m;
  return m;
}

}  // namespace

namespace afx_detail {
void DeleteTempGdi() {
  if (t_temps) t_temps->Clear();
}

void ReleaseThreadGdi() {
  delete t_temps;
  t_temps = nullptr;
}
}

void AFXAPI AfxDeleteTempMaps() {
  afx_detail::DeleteTempWnds();
  afx_detail::DeleteTempGdi();
}

CDC* CDC::FromHandle(HDC h) {
  if (!h) return nullptr;
  auto& slot = Temps().dc[h];
  if (!slot) {
    slot.reset(new CDC);
    slot->Attach(h);
  }
  return slot.get();
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) {
  if (!h) return nullptr;
  auto& slot = Temps().obj[h];
  if (!slot) {
    slot.reset(new CGdiObject);
    slot->Attach(h);
  }
  return slot.get();
}

BOOL CBrush::CreatePatternBrush(CBitmap* bmp) { return Attach(::CreatePatternBrush(*bmp)); }

BOOL CFont::CreatePointFont(int pointSize10, LPCSTR face, CDC* dc) {
  HDC h = dc ? dc->m_hDC : ::GetDC(nullptr);
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = -MulDiv(pointSize10, ::GetDeviceCaps(h, LOGPIXELSY), 720);
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  if (!dc) ::ReleaseDC(nullptr, h);
  return CreateFontIndirect(&lf);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int w, int h) {
  return Attach(::CreateCompatibleBitmap(dc->m_hDC, w, h));
}

void CDC::FillSolidRect(LPCRECT r, COLORREF c) {
  COLORREF old = ::SetBkColor(m_hDC, c);
  ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
  ::SetBkColor(m_hDC, old);
}

void CDC::Draw3dRect(LPCRECT r, COLORREF tl, COLORREF br) {
  int x = r->left, y = r->top, cx = r->right - r->left, cy = r->bottom - r->top;
  FillSolidRect(x, y, cx - 1, 1, tl);
  FillSolidRect(x, y, 1, cy - 1, tl);
  FillSolidRect(x + cx, y, -1, cy, br);
  FillSolidRect(x, y + cy, cx, -1, br);
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }
CPaintDC::~CPaintDC() {
  ::EndPaint(m_hWnd, &m_ps);
  Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }
CClientDC::~CClientDC() { ::ReleaseDC(m_hWnd, Detach()); }

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetWindowDC(m_hWnd)); }
CWindowDC::~CWindowDC() { ::ReleaseDC(m_hWnd, Detach()); }

// ------------------------------------------------------------------ menus
CMenu::~CMenu() {
  if (m_hMenu && FromHandlePermanent(m_hMenu) == this) DestroyMenu();
}

BOOL CMenu::Attach(HMENU h) {
  if (!h || m_hMenu) return FALSE;
  MenuMap& m = Menus();
  afx_detail::Guard g(m.lock);
  m.map[h] = this;
  m_hMenu = h;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  if (h) {
    MenuMap& m = Menus();
    afx_detail::Guard g(m.lock);
    auto it = m.map.find(h);
    if (it != m.map.end() && it->second == this) m.map.erase(it);
  }
  m_hMenu = nullptr;
  return h;
}

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  return ::DestroyMenu(Detach());
}

CMenu* CMenu::FromHandlePermanent(HMENU h) {
  if (!h) return nullptr;
  MenuMap& m = Menus();
  afx_detail::Guard g(m.lock);
  auto it = m.map.find(h);
  return it == m.map.end() ? nullptr : it->second;
}

CMenu* CMenu::FromHandle(HMENU h) {
  if (!h) return nullptr;
  if (CMenu* p = FromHandlePermanent(h)) return p;
  auto& slot = Temps().menu[h];
  if (!slot) {
    slot.reset(new CMenu);
    slot->m_hMenu = h;
  }
  return slot.get();
}

CMenu* CMenu::FindMenuWithItem(UINT id) {
  MenuMap& m = Menus();
  afx_detail::Guard g(m.lock);
  for (auto& e : m.map) {
    int n = ::GetMenuItemCount(e.first);
    for (int i = 0; i < n; ++i)
      if (::GetMenuItemID(e.first, i) == id) return e.second;
  }
  return nullptr;
}

int CMenu::GetMenuString(UINT id, CString& s, UINT flags) const {
  int n = ::GetMenuStringA(m_hMenu, id, nullptr, 0, flags);
  ::GetMenuStringA(m_hMenu, id, s.GetBuffer(n), n + 1, flags);
  s.ReleaseBuffer();
  return s.GetLength();
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* wnd, LPCRECT r) {
  return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, wnd->GetSafeHwnd(), r);
}

void CRect::NormalizeRect() {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
}
