// CNewMenu, its item data, the skin's hook and popup-menu window procedure,
// and the free helpers of the menu library.
#include "NewMenu.h"

#include "MenuTheme.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <new>
#include <string>

IMPLEMENT_DYNAMIC(CNewMenuItemData, CObject)

namespace {

const char kOldMenuProc[] = "OldMenuProc";
// Undocumented popup-menu window messages: the menu handle, and the size
// request the system sends as the popup is laid out.
const UINT kMnGetHMenu = 0x01E1;
const UINT kMnSizeWindow = 0x01E2;

struct VersionInfo {
  int code;
  DWORD major;
};

VersionInfo ComputeVersion() {
  OSVERSIONINFOA vi{};
  vi.dwOSVersionInfoSize = sizeof vi;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&vi)) return {1, 0};
#pragma GCC diagnostic pop
  int code;
  if (vi.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (vi.dwMajorVersion == 4)
      code = 5;
    else if (vi.dwMajorVersion == 5 && vi.dwMinorVersion == 0)
      code = 6;
    else if (vi.dwMajorVersion == 5 && vi.dwMinorVersion == 1)
      code = 7;
    else
      code = 1;
  } else if (LOBYTE(LOWORD(::GetVersion())) < 4) {
    code = 0;
  } else {
    code = vi.dwMinorVersion == 10 ? 3 : vi.dwMinorVersion == 90 ? 4 : 2;
  }
  return {code, vi.dwMajorVersion};
}

// Computed once at load.
const VersionInfo g_version = ComputeVersion();

typedef BOOL(WINAPI* GradientFillFn)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

struct SkinState {
  HHOOK hook = nullptr;
  HMODULE msimg = nullptr;
  GradientFillFn gradientFill = nullptr;
  std::map<HWND, MenuWndRecord> menuWnds;
  int reentry = 0;
};
SkinState& Skin() {
  static SkinState s;
  return s;
}

thread_local HMENU t_lastPopup = nullptr;
thread_local HWND t_lastOwner = nullptr;

LRESULT CallOldMenuProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  WNDPROC old = reinterpret_cast<WNDPROC>(::GetPropA(h, kOldMenuProc));
  return old ? ::CallWindowProcA(old, h, msg, w, l) : ::DefWindowProcA(h, msg, w, l);
}

HMENU MenuOfWindow(HWND h, MenuWndRecord& rec) {
  if (!rec.menu) rec.menu = reinterpret_cast<HMENU>(CallOldMenuProc(h, kMnGetHMenu, 0, 0));
  return rec.menu;
}

// The screen under the shadow strips of a window about to show at r.
void TakeScreenUnder(MenuWndRecord& rec, const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 8 || h <= 8) return;
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  auto grab = [&](int x, int y, int cx, int cy, std::vector<DWORD>& out) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) return;
    HGDIOBJ old = ::SelectObject(mem, bmp);
    ::BitBlt(mem, 0, 0, cx, cy, screen, x, y, SRCCOPY);
    ::GdiFlush();
    out.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + size_t(cx) * cy);
    ::SelectObject(mem, old);
    ::DeleteObject(bmp);
  };
  grab(r.right - 4, r.top, 4, h, rec.underRight);
  grab(r.left, r.bottom - 4, w, 4, rec.underBottom);
  rec.underSize = {w, h};
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
}

LRESULT CALLBACK MenuWndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  SkinState& skin = Skin();
  struct Reentry {
    int& n;
    explicit Reentry(int& c) : n(c) { ++n; }
    ~Reentry() { --n; }
  } reentry(skin.reentry);
  auto it = skin.menuWnds.find(h);
  CMenuTheme* theme = GetMenuTheme();
  if (it == skin.menuWnds.end()) return CallOldMenuProc(h, msg, w, l);
  MenuWndRecord& rec = it->second;
  switch (msg) {
    case WM_NCCALCSIZE:
      if (theme && theme->OnNcCalcSize(h, reinterpret_cast<NCCALCSIZE_PARAMS*>(l), BOOL(w))) return 0;
      break;
    case WM_ERASEBKGND:
      if (theme && theme->OnEraseBkgnd(h, reinterpret_cast<HDC>(w))) return 1;
      break;
    case WM_WINDOWPOSCHANGING: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(l);
      if (theme && !(wp->flags & SWP_NOSIZE) && wp->cx > 0 && wp->cy > 0) {
        // The system sized the window for its own frame: make room for the
        // theme's frame (and shadow) around the same client area.
        RECT sys{0, 0, 0, 0};
        ::AdjustWindowRectEx(&sys, rec.style, FALSE, rec.exStyle);
        RECT own = theme->Borders();
        wp->cx += (own.left + own.right) - (sys.right - sys.left);
        wp->cy += (own.top + own.bottom) - (sys.bottom - sys.top);
      }
      if (!(wp->flags & SWP_NOMOVE)) {
        rec.screenPos = {wp->x, wp->y};
        rec.posKnown = TRUE;
      }
      if ((wp->flags & SWP_SHOWWINDOW) && !::IsWindowVisible(h)) {
        RECT r;
        ::GetWindowRect(h, &r);
        POINT p = rec.posKnown ? rec.screenPos : POINT{r.left, r.top};
        int cx = (wp->flags & SWP_NOSIZE) ? r.right - r.left : wp->cx;
        int cy = (wp->flags & SWP_NOSIZE) ? r.bottom - r.top : wp->cy;
        RECT at{p.x, p.y, p.x + cx, p.y + cy};
        if (theme && !CMenuTheme::SystemDrawsShadow()) TakeScreenUnder(rec, at);
      }
      MenuOfWindow(h, rec);
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(l);
      if (!(wp->flags & SWP_NOMOVE) && (!rec.posKnown || rec.screenPos.x != wp->x || rec.screenPos.y != wp->y)) {
        rec.screenPos = {wp->x, wp->y};
        rec.posKnown = TRUE;
      }
      break;
    }
    case WM_NCPAINT:
      if (theme) {
        HDC dc = ::GetWindowDC(h);
        if (dc) {
          theme->OnDrawBorder(h, dc);
          ::ReleaseDC(h, dc);
          return 0;
        }
      }
      break;
    case WM_PRINT:
      if (theme && (l & PRF_NONCLIENT)) {
        LRESULT r = CallOldMenuProc(h, msg, w, l & ~PRF_NONCLIENT);
        theme->OnDrawBorder(h, reinterpret_cast<HDC>(w));
        return r;
      }
      break;
    case WM_NCDESTROY: {
      HMENU menu = MenuOfWindow(h, rec);
      if (rec.stylesChanged) {
        if (theme)
          theme->OnUnInitWnd(h);
        else {
          ::SetWindowLongA(h, GWL_STYLE, LONG(rec.style));
          ::SetWindowLongA(h, GWL_EXSTYLE, LONG(rec.exStyle));
        }
      }
      WNDPROC old = reinterpret_cast<WNDPROC>(::RemovePropA(h, kOldMenuProc));
      if (old) ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
      skin.menuWnds.erase(h);
      if (CNewMenu* m = CNewMenu::FromHandleNew(menu))
        if (m->IsPopupOpen()) m->OnMenuPopupExit();
      return old ? ::CallWindowProcA(old, h, msg, w, l) : ::DefWindowProcA(h, msg, w, l);
    }
    default:
      break;
  }
  return CallOldMenuProc(h, msg, w, l);
}

void SubclassMenuWindow(HWND h) {
  char cls[16] = {};
  if (!::GetClassNameA(h, cls, sizeof cls) || lstrcmpA(cls, "#32768") != 0) return;
  // A window subclassed already keeps the procedure stored first: storing
  // our own as the "old" one would make every message call itself.
  if (::GetPropA(h, kOldMenuProc)) return;
  WNDPROC old = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(h, GWLP_WNDPROC));
  if (old == &MenuWndProc || !old) return;
  if (!::SetPropA(h, kOldMenuProc, reinterpret_cast<HANDLE>(old))) return;
  MenuWndRecord& rec = Skin().menuWnds[h];
  rec = MenuWndRecord{};
  rec.style = DWORD(::GetWindowLongA(h, GWL_STYLE));
  rec.exStyle = DWORD(::GetWindowLongA(h, GWL_EXSTYLE));
  ::SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MenuWndProc));
}

LRESULT CALLBACK SkinHookProc(int code, WPARAM w, LPARAM l) {
  if (code == HC_ACTION) {
    const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(l);
    if (cwp->message == WM_CREATE || cwp->message == kMnSizeWindow) SubclassMenuWindow(cwp->hwnd);
  }
  return ::CallNextHookEx(Skin().hook, code, w, l);
}

CString MenuItemText(HMENU menu, UINT pos) {
  char buf[512] = {};
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_STRING;
  mii.dwTypeData = buf;
  mii.cch = sizeof buf - 1;
  if (!::GetMenuItemInfoA(menu, pos, TRUE, &mii)) return CString();
  return CString(buf);
}

// The image of a command in a toolbar resource, copied into an image list
// of the menu's icon size.
CImageList* LoadToolbarImage(int toolbarId, UINT commandId, CSize iconSize, COLORREF mask, int* index) {
  LPCSTR name = MAKEINTRESOURCEA(toolbarId);
  HINSTANCE inst = AfxFindResourceHandle(name, MAKEINTRESOURCEA(241) /* RT_TOOLBAR */);
  HRSRC res = inst ? ::FindResourceA(inst, name, MAKEINTRESOURCEA(241)) : nullptr;
  if (!res) return nullptr;
  HGLOBAL g = ::LoadResource(inst, res);
  const BYTE* data = g ? static_cast<const BYTE*>(::LockResource(g)) : nullptr;
  DWORD size = ::SizeofResource(inst, res);
  if (!data || size < 8) return nullptr;
  // The system's layout: WORD version 1, width, height, count, WORD ids.
  // Resource compilers of the GNU tools write DWORD width, height, count
  // and DWORD ids instead.
  auto word = [&](DWORD i) { return DWORD(reinterpret_cast<const WORD*>(data)[i]); };
  auto dword = [&](DWORD i) { return reinterpret_cast<const DWORD*>(data)[i]; };
  int bw = 0, bh = 0;
  std::vector<DWORD> ids;
  if (word(0) == 1 && size >= 8 + 2 * word(3)) {
    bw = int(word(1));
    bh = int(word(2));
    for (DWORD i = 0; i < word(3); ++i) ids.push_back(word(4 + i));
  } else if (size >= 12 && dword(2) < 0x10000 && size >= 12 + 4 * dword(2)) {
    bw = int(dword(0));
    bh = int(dword(1));
    for (DWORD i = 0; i < dword(2); ++i) ids.push_back(dword(3 + i));
  }
  if (bw <= 0 || bh <= 0) return nullptr;
  int image = -1;
  for (size_t i = 0, n = 0; i < ids.size(); ++i) {
    if (ids[i] == 0) continue;   // separator: no image
    if (ids[i] == commandId) {
      image = int(n);
      break;
    }
    ++n;
  }
  if (image < 0) return nullptr;
  // A 16-colour strip takes the system's 3-D colours; others load as they are.
  UINT loadFlags = 0;
  if (HRSRC bits = ::FindResourceA(inst, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */)) {
    HGLOBAL bg = ::LoadResource(inst, bits);
    auto* bih = bg ? static_cast<const BITMAPINFOHEADER*>(::LockResource(bg)) : nullptr;
    if (bih && ::SizeofResource(inst, bits) >= sizeof *bih && bih->biBitCount == 4) loadFlags = LR_LOADMAP3DCOLORS;
  }
  HBITMAP strip = static_cast<HBITMAP>(::LoadImageA(inst, name, IMAGE_BITMAP, 0, 0, loadFlags));
  if (!strip) return nullptr;
  BITMAP bm{};
  ::GetObjectA(strip, sizeof bm, &bm);
  CImageList* list = nullptr;
  if ((image + 1) * bw <= bm.bmWidth) {
    HDC screen = ::GetDC(nullptr);
    HDC src = ::CreateCompatibleDC(screen), dst = ::CreateCompatibleDC(screen);
    HBITMAP one = ::CreateCompatibleBitmap(screen, iconSize.cx, iconSize.cy);
    HGDIOBJ o1 = ::SelectObject(src, strip), o2 = ::SelectObject(dst, one);
    RECT all{0, 0, iconSize.cx, iconSize.cy};
    HBRUSH b = ::CreateSolidBrush(mask);
    ::FillRect(dst, &all, b);
    ::DeleteObject(b);
    ::BitBlt(dst, 0, 0, std::min<int>(bw, iconSize.cx), std::min<int>(bh, iconSize.cy), src, image * bw, 0, SRCCOPY);
    ::SelectObject(src, o1);
    ::SelectObject(dst, o2);
    ::DeleteDC(src);
    ::DeleteDC(dst);
    ::ReleaseDC(nullptr, screen);
    auto l = std::make_unique<CImageList>();
    if (l->Create(iconSize.cx, iconSize.cy, ILC_COLOR24 | ILC_MASK, 1, 0) &&
        ImageList_AddMasked(*l, one, mask) >= 0) {
      list = l.release();
      *index = 0;
    }
    ::DeleteObject(one);
  }
  ::DeleteObject(strip);
  return list;
}

struct WindowMenuSearch {
  HMENU menu;
  BOOL found;
};

BOOL CALLBACK FindWindowWithMenu(HWND h, LPARAM p) {
  auto* s = reinterpret_cast<WindowMenuSearch*>(p);
  if (::GetMenu(h) != s->menu) return TRUE;
  s->found = TRUE;
  return FALSE;
}

}  // namespace

MenuWndRecord* FindMenuWndRecord(HWND menuWnd) {
  auto& m = Skin().menuWnds;
  auto it = m.find(menuWnd);
  return it == m.end() ? nullptr : &it->second;
}

// ------------------------------------------------------------ item data
CNewMenuItemData::~CNewMenuItemData() {
  if (m_bOwnsImageList) delete m_pImageList;
}

CString CNewMenuItemData::Dump() const { return CString("MenuItem: ") + m_szMenuText; }

// ------------------------------------------------------------- CNewMenu
CNewMenu::CNewMenu() = default;

CNewMenu::~CNewMenu() {
  DestroyMenuData();
  if (m_hBackBrush) ::DeleteObject(m_hBackBrush);
  // A popup's handle belongs to its parent menu.
  if (m_hParentMenu) Detach();
}

CNewMenu* CNewMenu::FromHandleNew(HMENU menu) {
  return dynamic_cast<CNewMenu*>(CMenu::FromHandlePermanent(menu));
}

BOOL CNewMenu::IsMenuBar(HMENU menu) {
  CNewMenu* m = FromHandleNew(menu);
  if (m) return m->m_bMenuBar && !m->m_hParentMenu;
  return IsWindowMenu(menu);
}

BOOL CNewMenu::IsWindowMenu(HMENU menu) {
  if (!menu) return FALSE;
  // A menu bar is some window's menu; ask the thread's windows.
  WindowMenuSearch search{menu, FALSE};
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindWindowWithMenu, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CNewMenu::CreateMenu() {
  if (!CMenu::CreateMenu()) return FALSE;
  m_bMenuBar = TRUE;
  return TRUE;
}

BOOL CNewMenu::CreatePopupMenu() {
  if (!CMenu::CreatePopupMenu()) return FALSE;
  m_bMenuBar = FALSE;
  return TRUE;
}

BOOL CNewMenu::DestroyMenu() {
  DestroyMenuData();
  if (m_hParentMenu) {
    Detach();
    return TRUE;
  }
  return CMenu::DestroyMenu();
}

BOOL CNewMenu::LoadMenu(LPCSTR name) {
  HINSTANCE inst = AfxFindResourceHandle(name, MAKEINTRESOURCEA(4) /* RT_MENU */);
  HMENU h = inst ? ::LoadMenuA(inst, name) : nullptr;
  if (!h) return FALSE;
  if (!LoadMenuHandle(h)) {
    ::DestroyMenu(h);
    return FALSE;
  }
  m_bMenuBar = TRUE;   // a menu resource's top level is a bar
  return TRUE;
}

BOOL CNewMenu::LoadMenuHandle(HMENU menu) {
  if (!menu || !::IsMenu(menu)) return FALSE;
  if (m_hMenu != menu) {
    DestroyMenuData();
    if (m_hMenu) {
      if (m_hParentMenu)
        Detach();
      else
        CMenu::DestroyMenu();
    }
    if (!Attach(menu)) return FALSE;
  }
  if (!m_hParentMenu && IsWindowMenu(menu)) m_bMenuBar = TRUE;
  ConvertItems();
  return TRUE;
}

void CNewMenu::DestroyMenuData() {
  for (auto& sub : m_OwnedSubMenus) {
    sub->DestroyMenuData();
    sub->Detach();
  }
  m_OwnedSubMenus.clear();
  m_SubMenus.clear();
  m_MenuItemList.clear();
}

BOOL CNewMenu::OwnsItemData(const void* data) const {
  for (auto& d : m_MenuItemList)
    if (d.get() == data) return TRUE;
  return FALSE;
}

CNewMenu* CNewMenu::FindDataOwner(const void* data) {
  if (!data) return nullptr;
  if (OwnsItemData(data)) return this;
  for (HMENU h : m_SubMenus)
    if (CNewMenu* sub = FromHandleNew(h))
      if (sub != this)
        if (CNewMenu* found = sub->FindDataOwner(data)) return found;
  return nullptr;
}

CNewMenu* CNewMenu::AdoptSubMenu(HMENU sub) {
  CNewMenu* wrapper = FromHandleNew(sub);
  if (!wrapper) {
    auto owned = std::make_unique<CNewMenu>();
    owned->m_hParentMenu = m_hMenu;
    if (!owned->Attach(sub)) return nullptr;
    wrapper = owned.get();
    m_OwnedSubMenus.push_back(std::move(owned));
    wrapper->ConvertItems();
  }
  wrapper->m_hParentMenu = m_hMenu;
  wrapper->m_bMenuBar = FALSE;
  wrapper->m_iconSize = m_iconSize;
  return wrapper;
}

void CNewMenu::ConvertItems() {
  if (!m_hMenu) return;
  int count = ::GetMenuItemCount(m_hMenu);
  if (count < 0) return;
  std::vector<std::unique_ptr<CNewMenuItemData>> old = std::move(m_MenuItemList);
  std::vector<std::unique_ptr<CNewMenuItemData>> items;
  std::vector<HMENU> subs;
  auto claim = [&](auto pred) -> std::unique_ptr<CNewMenuItemData> {
    for (auto& d : old)
      if (d && pred(*d)) return std::move(d);
    return nullptr;
  };
  for (int pos = 0; pos < count; ++pos) {
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    if (!::GetMenuItemInfoA(m_hMenu, UINT(pos), TRUE, &mii)) {
      items.push_back(std::make_unique<CNewMenuItemData>());
      continue;
    }
    bool separator = (mii.fType & MFT_SEPARATOR) != 0;
    // The data the item carries already, then the same popup, the next
    // separator or the same command; each object serves one item only.
    std::unique_ptr<CNewMenuItemData> data =
        claim([&](const CNewMenuItemData& d) { return ULONG_PTR(&d) == mii.dwItemData; });
    if (!data && mii.hSubMenu)
      data = claim([&](const CNewMenuItemData& d) { return d.m_hSubMenu == mii.hSubMenu; });
    else if (!data && separator)
      data = claim([&](const CNewMenuItemData& d) { return (d.m_nType & MFT_SEPARATOR) && !d.m_hSubMenu; });
    else if (!data)
      data = claim([&](const CNewMenuItemData& d) {
        return d.m_nID == mii.wID && !d.m_hSubMenu && !(d.m_nType & MFT_SEPARATOR);
      });
    if (!data) data = std::make_unique<CNewMenuItemData>();
    data->m_nID = mii.hSubMenu ? 0 : mii.wID;
    data->m_hSubMenu = mii.hSubMenu;
    data->m_nType = mii.fType & ~UINT(MFT_OWNERDRAW);
    data->m_nFlags = ::GetMenuState(m_hMenu, UINT(pos), MF_BYPOSITION) & (mii.hSubMenu ? 0xFFu : 0xFFFFu);
    if (!separator) {
      CString text = MenuItemText(m_hMenu, UINT(pos));
      if (!text.IsEmpty()) data->m_szMenuText = text;
    }
    MENUITEMINFOA set{};
    set.cbSize = sizeof set;
    set.fMask = MIIM_FTYPE | MIIM_DATA;
    set.fType = mii.fType | MFT_OWNERDRAW;
    set.dwItemData = ULONG_PTR(data.get());
    ::SetMenuItemInfoA(m_hMenu, UINT(pos), TRUE, &set);
    if (mii.hSubMenu) {
      subs.push_back(mii.hSubMenu);
      AdoptSubMenu(mii.hSubMenu);
    }
    items.push_back(std::move(data));
  }
  m_MenuItemList = std::move(items);
  m_SubMenus = std::move(subs);
  // Wrappers of popups that are no longer items go with them.
  for (auto it = m_OwnedSubMenus.begin(); it != m_OwnedSubMenus.end();) {
    if (std::find(m_SubMenus.begin(), m_SubMenus.end(), (*it)->m_hMenu) == m_SubMenus.end()) {
      (*it)->DestroyMenuData();
      (*it)->Detach();
      it = m_OwnedSubMenus.erase(it);
    } else {
      ++it;
    }
  }
}

BOOL CNewMenu::AddItem(UINT position, BOOL append, UINT flags, UINT_PTR id, LPCSTR text, int toolbarId) {
  if (!m_hMenu) return FALSE;
  if (!append && !(flags & MF_BYPOSITION) && !(flags & MF_POPUP)) {
    // By command: into the popup that holds it.
    int pos = -1;
    CNewMenu* owner = FindMenuOwner(position, &pos);
    if (!owner) return FALSE;
    return owner->AddItem(UINT(pos), FALSE, flags | MF_BYPOSITION, id, text, toolbarId);
  }
  auto data = std::make_unique<CNewMenuItemData>();
  bool separator = (flags & MF_SEPARATOR) || (id == 0 && !(flags & MF_POPUP));
  data->m_szMenuText = text ? text : "";
  data->m_nID = (flags & MF_POPUP) ? 0 : UINT(id);
  if (separator) data->m_nType = MFT_SEPARATOR;
  if (flags & MF_POPUP) data->m_hSubMenu = reinterpret_cast<HMENU>(id);
  if (toolbarId >= 0 && !separator && !(flags & MF_POPUP)) {
    COLORREF mask = m_menuColor != 0xFF000000 ? m_menuColor : ::GetSysColor(COLOR_3DFACE);
    int index = -1;
    if (CImageList* list = LoadToolbarImage(toolbarId, UINT(id), m_iconSize, mask, &index)) {
      data->m_pImageList = list;
      data->m_bOwnsImageList = TRUE;
      data->m_nImageIndex = index;
    }
  }
  UINT f = (flags & ~UINT(MF_STRING | MF_BITMAP | MF_SEPARATOR)) | MF_OWNERDRAW;
  if (separator) f |= MF_SEPARATOR;
  BOOL ok = append ? ::AppendMenuA(m_hMenu, f, id, reinterpret_cast<LPCSTR>(data.get()))
                   : ::InsertMenuA(m_hMenu, position, f | MF_BYPOSITION, id, reinterpret_cast<LPCSTR>(data.get()));
  if (!ok) return FALSE;
  int pos = append ? ::GetMenuItemCount(m_hMenu) - 1
                   : (position == UINT(-1) ? ::GetMenuItemCount(m_hMenu) - 1 : int(position));
  pos = std::min(pos, int(m_MenuItemList.size()));
  if (flags & MF_POPUP) {
    HMENU sub = reinterpret_cast<HMENU>(id);
    m_SubMenus.push_back(sub);
    AdoptSubMenu(sub);
  }
  m_MenuItemList.insert(m_MenuItemList.begin() + pos, std::move(data));
  return TRUE;
}

BOOL CNewMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text, int toolbarId) {
  return AddItem(UINT(-1), TRUE, flags, id, text, toolbarId);
}

BOOL CNewMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text, int toolbarId) {
  if (position == UINT(-1)) return AddItem(position, TRUE, flags, id, text, toolbarId);
  return AddItem(position, FALSE, flags, id, text, toolbarId);
}

BOOL CNewMenu::DeleteMenu(UINT item, UINT flags) {
  if (!m_hMenu) return FALSE;
  if (!(flags & MF_BYPOSITION)) {
    int pos = -1;
    CNewMenu* owner = FindMenuOwner(item, &pos);
    if (!owner) return FALSE;
    return owner->DeleteMenu(UINT(pos), flags | MF_BYPOSITION);
  }
  HMENU sub = ::GetSubMenu(m_hMenu, int(item));
  if (!::DeleteMenu(m_hMenu, item, MF_BYPOSITION)) return FALSE;
  if (item < m_MenuItemList.size()) m_MenuItemList.erase(m_MenuItemList.begin() + item);
  if (sub) {
    m_SubMenus.erase(std::remove(m_SubMenus.begin(), m_SubMenus.end(), sub), m_SubMenus.end());
    for (auto it = m_OwnedSubMenus.begin(); it != m_OwnedSubMenus.end(); ++it)
      if ((*it)->m_hMenu == sub) {
        (*it)->DestroyMenuData();
        (*it)->Detach();   // the system destroyed the popup with the item
        m_OwnedSubMenus.erase(it);
        break;
      }
  }
  return TRUE;
}

CNewMenu* CNewMenu::FindMenuOwner(UINT id, int* position) {
  if (position) *position = -1;
  if (!m_hMenu) return nullptr;
  int n = ::GetMenuItemCount(m_hMenu);
  for (int i = 0; i < n; ++i) {
    if (HMENU sub = ::GetSubMenu(m_hMenu, i)) {
      if (CNewMenu* w = FromHandleNew(sub))
        if (w != this)
          if (CNewMenu* found = w->FindMenuOwner(id, position)) return found;
    } else if (::GetMenuItemID(m_hMenu, i) == id) {
      if (position) *position = i;
      return this;
    }
  }
  return nullptr;
}

void CNewMenu::SetMenuBackColor(COLORREF color) {
  m_menuColor = color;
  if (!m_hMenu) return;
  HBRUSH brush = ::CreateSolidBrush(color);
  MENUINFO mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIM_BACKGROUND;
  mi.hbrBack = brush;
  if (::SetMenuInfo(m_hMenu, &mi)) {
    if (m_hBackBrush) ::DeleteObject(m_hBackBrush);
    m_hBackBrush = brush;
  } else {
    ::DeleteObject(brush);
  }
}

COLORREF CNewMenu::GetMenuBackColorOf() const {
  return m_menuColor != 0xFF000000 ? m_menuColor : GetMenuBackColor();
}

void CNewMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
  if (!dis || !OwnsItemData(reinterpret_cast<void*>(dis->itemData))) return;
  CMenuTheme* theme = GetMenuTheme();
  BOOL bar = IsMenuBar(m_hMenu);
  if (theme)
    (bar ? theme->m_pDrawMenuBar : theme->m_pDrawItem)(this, dis, bar);
  else
    (bar ? menu_theme::DrawMenuBarItem : menu_theme::DrawStandard)(this, dis, bar);
}

void CNewMenu::MeasureItem(LPMEASUREITEMSTRUCT mis, BOOL menuBar) {
  if (!mis || !OwnsItemData(reinterpret_cast<void*>(mis->itemData))) return;
  CMenuTheme* theme = GetMenuTheme();
  (theme ? theme->m_pMeasureItem : menu_theme::MeasureStandard)(this, mis, menuBar);
}

BOOL CNewMenu::EraseMenuBackground(HWND menuWnd, HDC dc) {
  RECT r;
  if (!::GetClientRect(menuWnd, &r)) return FALSE;
  HBRUSH b = ::CreateSolidBrush(GetMenuBackColorOf());
  ::FillRect(dc, &r, b);
  ::DeleteObject(b);
  return TRUE;
}

void CNewMenu::RedrawBarArea() {
  HWND owner = t_lastOwner;
  if (!owner || !::IsWindow(owner) || ::GetMenu(owner) != m_hMenu) return;
  MENUBARINFO mbi{};
  mbi.cbSize = sizeof mbi;
  if (!::GetMenuBarInfo(owner, OBJID_MENU, 0, &mbi)) return;
  // The bar's item area and 10 pixels beyond, in the coordinates that
  // RedrawWindow takes (relative to the client origin, the frame included).
  RECT r = mbi.rcBar;
  r.right += 10;
  r.bottom += 10;
  POINT origin{0, 0};
  ::ClientToScreen(owner, &origin);
  ::OffsetRect(&r, -origin.x, -origin.y);
  ::RedrawWindow(owner, &r, nullptr, RDW_FRAME | RDW_INVALIDATE);
}

void CNewMenu::RenumberSystemCommands(int delta) {
  if (!m_bSystemMenu || GetWinVersion() != 7) return;
  int n = ::GetMenuItemCount(m_hMenu);
  for (int i = 0; i < n; ++i) {
    UINT id = ::GetMenuItemID(m_hMenu, i);
    UINT base = delta > 0 ? id : id - 1;
    if (base != SC_RESTORE && base != SC_MINIMIZE && base != SC_CLOSE) continue;
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID;
    mii.wID = UINT(int(id) + delta);
    ::SetMenuItemInfoA(m_hMenu, UINT(i), TRUE, &mii);
    if (i < int(m_MenuItemList.size())) m_MenuItemList[size_t(i)]->m_nID = mii.wID;
  }
}

void CNewMenu::OnMenuPopupInit() {
  BOOL wasOpen = m_bIsPopupMenu;
  m_bIsPopupMenu = TRUE;
  ConvertItems();
  if (wasOpen) return;
  RenumberSystemCommands(+1);
  if (CNewMenu* parent = FromHandleNew(m_hParentMenu))
    if (parent->m_nOpenMenus++ == 0 && IsMenuBar(parent->m_hMenu)) parent->RedrawBarArea();
}

void CNewMenu::OnMenuPopupExit() {
  if (!m_bIsPopupMenu) return;
  m_bIsPopupMenu = FALSE;
  RenumberSystemCommands(-1);
  if (CNewMenu* parent = FromHandleNew(m_hParentMenu))
    if (parent->m_nOpenMenus > 0 && --parent->m_nOpenMenus == 0 && IsMenuBar(parent->m_hMenu))
      parent->RedrawBarArea();
}

HWND CNewMenu::LastMenuOwner() { return t_lastOwner; }

void CNewMenu::PaintBarBeyondItems(HWND owner) {
  HMENU bar = owner ? ::GetMenu(owner) : nullptr;
  CNewMenu* menu = bar ? FromHandleNew(bar) : nullptr;
  int items = bar ? ::GetMenuItemCount(bar) : 0;
  if (!menu || items <= 0 || menu->m_menuColor == 0xFF000000) return;
  MENUBARINFO whole{};
  whole.cbSize = sizeof whole;
  MENUBARINFO last{};
  last.cbSize = sizeof last;
  if (!::GetMenuBarInfo(owner, OBJID_MENU, 0, &whole) || !::GetMenuBarInfo(owner, OBJID_MENU, items, &last)) return;
  // The bar's rows right of the last item, and a row that wraps beneath it.
  RECT window;
  ::GetWindowRect(owner, &window);
  RECT rest = {last.rcBar.right, last.rcBar.top, whole.rcBar.right, last.rcBar.bottom};
  RECT below = {whole.rcBar.left, last.rcBar.bottom, whole.rcBar.right, whole.rcBar.bottom};
  HDC dc = ::GetWindowDC(owner);
  if (!dc) return;
  HBRUSH brush = ::CreateSolidBrush(menu->GetMenuBackColorOf());
  for (RECT r : {rest, below}) {
    if (r.right <= r.left || r.bottom <= r.top) continue;
    ::OffsetRect(&r, -window.left, -window.top);
    ::FillRect(dc, &r, brush);
  }
  ::DeleteObject(brush);
  ::ReleaseDC(owner, dc);
}

BOOL CNewMenu::OnMeasureItem(const MSG* msg) {
  if (!msg || msg->message != WM_MEASUREITEM) return FALSE;
  auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(msg->lParam);
  if (!mis || mis->CtlType != ODT_MENU) return FALSE;
  const void* data = reinterpret_cast<const void*>(mis->itemData);
  HMENU candidates[3] = {t_lastPopup, ::GetMenu(msg->hwnd), ::GetSystemMenu(msg->hwnd, FALSE)};
  for (HMENU h : candidates) {
    CNewMenu* m = FromHandleNew(h);
    if (!m) continue;
    if (CNewMenu* owner = m->FindDataOwner(data)) {
      owner->MeasureItem(mis, IsMenuBar(owner->m_hMenu));
      return TRUE;
    }
  }
  return FALSE;
}

void CNewMenu::OnInitMenuPopup(HWND owner, CMenu* popup, UINT, BOOL) {
  if (!popup) return;
  t_lastPopup = popup->m_hMenu;
  t_lastOwner = owner;
  if (CNewMenu* m = FromHandleNew(popup->m_hMenu)) m->OnMenuPopupInit();
}

LRESULT CNewMenu::OnMenuChar(UINT ch, UINT, CMenu* menu) {
  CNewMenu* m = menu ? FromHandleNew(menu->m_hMenu) : nullptr;
  if (!m) return 0;
  int count = ::GetMenuItemCount(m->m_hMenu);
  if (count != m->GetItemDataCount()) m->ConvertItems();
  std::vector<std::string> texts;
  for (auto& d : m->m_MenuItemList) {
    std::string t = d->m_szMenuText.GetString();
    if (!t.empty()) ::CharLowerBuffA(&t[0], DWORD(t.size()));
    texts.push_back(t);
  }
  char c[2] = {char(ch), 0};
  ::CharLowerBuffA(c, 1);
  int pos = menu_rules::FindMnemonic(texts, c[0]);
  return pos < 0 ? 0 : MAKELRESULT(pos, MNC_EXECUTE);
}

// ------------------------------------------------------------- the skin
BOOL InstallSkin() {
  SkinState& s = Skin();
  if (!s.msimg) {
    s.msimg = ::LoadLibraryA("Msimg32.dll");
    s.gradientFill = s.msimg ? reinterpret_cast<GradientFillFn>(
                                   reinterpret_cast<void*>(::GetProcAddress(s.msimg, "GradientFill")))
                             : nullptr;
  }
  RegisterMenuThemes();
  SetMenuTheme(3);
  if (!s.hook) {
    s.hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &SkinHookProc, nullptr, ::GetCurrentThreadId());
    if (!s.hook) {
      ShowLastErrorBox();
      throw std::bad_alloc();
    }
  }
  return TRUE;
}

void UninstallSkin() {
  SkinState& s = Skin();
  if (s.hook) {
    if (!::UnhookWindowsHookEx(s.hook)) ShowLastErrorBox();
    s.hook = nullptr;
  }
  RemoveMenuThemes();
  s.gradientFill = nullptr;
  if (s.msimg) {
    ::FreeLibrary(s.msimg);
    s.msimg = nullptr;
  }
}

BOOL IsSkinInstalled() { return Skin().hook != nullptr; }

BOOL IsGradientFillLoaded() { return Skin().gradientFill != nullptr; }

void FillGradient(HDC dc, const RECT& r, COLORREF start, COLORREF end, int direction) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  if (GradientFillFn fill = Skin().gradientFill) {
    TRIVERTEX v[2] = {};
    v[0].x = r.left;
    v[0].y = r.top;
    v[0].Red = COLOR16(GetRValue(start) << 8);
    v[0].Green = COLOR16(GetGValue(start) << 8);
    v[0].Blue = COLOR16(GetBValue(start) << 8);
    v[1].x = r.right;
    v[1].y = r.bottom;
    v[1].Red = COLOR16(GetRValue(end) << 8);
    v[1].Green = COLOR16(GetGValue(end) << 8);
    v[1].Blue = COLOR16(GetBValue(end) << 8);
    GRADIENT_RECT gr{0, 1};
    if (fill(dc, v, 2, &gr, 1, direction ? GRADIENT_FILL_RECT_H : GRADIENT_FILL_RECT_V)) return;
  }
  int length = direction ? w : h;
  for (const menu_rules::Band& b : menu_rules::GradientBands(start, end, length)) {
    RECT band = r;
    if (direction) {
      band.left = r.left + b.offset;
      band.right = band.left + b.length;
    } else {
      band.top = r.top + b.offset;
      band.bottom = band.top + b.length;
    }
    HBRUSH brush = ::CreateSolidBrush(b.color);
    ::FillRect(dc, &band, brush);
    ::DeleteObject(brush);
  }
}

namespace {
// Installs the skin as the program loads, before the application object
// starts, and takes it away at exit. A failure leaves the program unskinned.
struct SkinInstaller {
  SkinInstaller() {
    try {
      InstallSkin();
    } catch (...) {
      ::OutputDebugStringA("Menu skin could not be installed; menus stay unskinned\n");
    }
  }
  ~SkinInstaller() { UninstallSkin(); }
} g_skinInstaller;
}  // namespace

// ------------------------------------------------------------- helpers
UINT_PTR SetFreeTimer(HWND window, UINT elapse) {
  if (!window || !::IsWindow(window)) return 0;
  for (UINT_PTR id = 31; id <= 99; ++id)
    if (UINT_PTR r = ::SetTimer(window, id, elapse, nullptr)) return r;
  return 0;
}

BOOL RedrawMenuBarItem(HWND window, HMENU menuBar, UINT index, UINT itemState) {
  if (!window || !::IsWindow(window) || !menuBar || !::IsMenu(menuBar)) return FALSE;
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (!::GetMenuItemInfoA(menuBar, index, TRUE, &mii) || !(mii.fType & MFT_OWNERDRAW)) return FALSE;
  RECT item, win;
  if (!::GetMenuItemRect(window, menuBar, index, &item) || !::GetWindowRect(window, &win)) return FALSE;
  ::OffsetRect(&item, -win.left, -win.top);
  HDC dc = ::GetWindowDC(window);
  if (!dc) return FALSE;
  HFONT font = menu_theme::CreateMenuFont(FALSE);
  HGDIOBJ oldFont = ::SelectObject(dc, font);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = mii.hSubMenu ? UINT(reinterpret_cast<UINT_PTR>(mii.hSubMenu)) : mii.wID;
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = itemState;
  dis.hwndItem = reinterpret_cast<HWND>(menuBar);
  dis.hDC = dc;
  dis.rcItem = item;
  dis.itemData = mii.dwItemData;
  ::SendMessageA(window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
  ::SelectObject(dc, oldFont);
  ::DeleteObject(font);
  ::ReleaseDC(window, dc);
  return TRUE;
}

int GetWinVersion() { return g_version.code; }

BOOL IsMenuHotTrackSystem() { return g_version.major < 6; }

COLORREF GetMenuBackColor() {
  BOOL flat = FALSE;
  if (GetWinVersion() == 7 && ::SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0) && flat)
    return ::GetSysColor(COLOR_MENUBAR);
  return ::GetSysColor(COLOR_MENU);
}

void ShowLastErrorBox() {
  DWORD err = ::GetLastError();
  if (err == 0) return;
  char* text = nullptr;
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, err, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  CString msg;
  if (n && text) {
    msg = text;
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Error message 0x%lx not found", static_cast<unsigned long>(err));
    msg = buf;
  }
  if (text) ::LocalFree(text);
  AfxShowMessageBox(::GetActiveWindow(), msg, "Error", MB_OK | MB_ICONERROR);
}
