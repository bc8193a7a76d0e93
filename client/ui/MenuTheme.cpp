// The menu themes: frames, borders, shadows and the drawing and measuring
// of owner-drawn items.
#include "MenuTheme.h"

#include "language.h"

#include <algorithm>
#include <memory>

using menu_rules::Color;

namespace {

std::vector<std::unique_ptr<CMenuTheme>>& Themes() {
  static std::vector<std::unique_ptr<CMenuTheme>> themes;
  return themes;
}
CMenuTheme* g_current = nullptr;

void FillColor(HDC dc, const RECT& r, COLORREF c) {
  COLORREF old = ::SetBkColor(dc, c);
  ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
  ::SetBkColor(dc, old);
}

void FrameColor(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = ::CreateSolidBrush(c);
  ::FrameRect(dc, &r, b);
  ::DeleteObject(b);
}

CNewMenuItemData* ItemData(ULONG_PTR data) { return reinterpret_cast<CNewMenuItemData*>(data); }

bool IsSystemCommand(UINT id) { return id >= 0xF000 && id <= 0xF150; }

int TextWidth(HDC dc, const CString& text) {
  if (text.IsEmpty()) return 0;
  RECT r{0, 0, 0, 0};
  ::DrawTextA(dc, text, text.GetLength(), &r, DT_CALCRECT | DT_SINGLELINE);
  return r.right - r.left;
}

// Text before and after the tab (the accelerator).
void SplitAtTab(const CString& text, CString& left, CString& right, bool& hasTab) {
  int tab = text.Find('\t');
  hasTab = tab >= 0;
  left = hasTab ? text.Left(tab) : text;
  right = hasTab ? text.Mid(tab + 1) : CString();
}

int ItemTextWidth(HDC dc, const CNewMenuItemData& d) {
  CString left, right;
  bool tab = false;
  SplitAtTab(d.m_szMenuText, left, right, tab);
  return TextWidth(dc, left) + TextWidth(dc, right);
}

// The glyph drawn with lines, where the system has no "Marlett" font.
void DrawGlyphLines(HDC dc, const RECT& r, char ch, COLORREF color) {
  int s = std::max<int>(6, std::min(r.right - r.left, r.bottom - r.top) / 2);
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int l = cx - s / 2, t = cy - s / 2, rr = l + s, b = t + s;
  HPEN pen = ::CreatePen(PS_SOLID, 1, color);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
  switch (ch) {
    case 98: {   // check mark
      POINT p[3] = {{l, cy}, {l + s / 3, b - 1}, {rr, t}};
      for (int i = 0; i < 2; ++i) {
        ::Polyline(dc, p, 3);
        for (POINT& q : p) ++q.y;
      }
      break;
    }
    case 105: {  // radio dot
      HBRUSH dot = ::CreateSolidBrush(color);
      HGDIOBJ o = ::SelectObject(dc, dot);
      ::Ellipse(dc, cx - s / 4, cy - s / 4, cx + s / 4 + 1, cy + s / 4 + 1);
      ::SelectObject(dc, o);
      ::DeleteObject(dot);
      break;
    }
    case '0':    // minimise
      ::MoveToEx(dc, l, b - 1, nullptr);
      ::LineTo(dc, rr, b - 1);
      break;
    case '1':    // maximise
      ::Rectangle(dc, l, t, rr, b);
      ::MoveToEx(dc, l, t + 1, nullptr);
      ::LineTo(dc, rr, t + 1);
      break;
    case '2':    // restore
      ::Rectangle(dc, l + 2, t, rr, b - 2);
      ::Rectangle(dc, l, t + 2, rr - 2, b);
      break;
    case 'r':    // close
      ::MoveToEx(dc, l, t, nullptr);
      ::LineTo(dc, rr, b);
      ::MoveToEx(dc, rr - 1, t, nullptr);
      ::LineTo(dc, l - 1, b);
      break;
    default:
      break;
  }
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
}

void DrawMarlett(HDC dc, const RECT& r, char ch, COLORREF color) {
  LOGFONTA lf{};
  lf.lfHeight = -std::max<LONG>(8, std::min(r.right - r.left, r.bottom - r.top) - 2);
  lf.lfCharSet = SYMBOL_CHARSET;
  lstrcpynA(lf.lfFaceName, "Marlett", LF_FACESIZE);
  HFONT f = ::CreateFontIndirectA(&lf);
  HGDIOBJ old = ::SelectObject(dc, f);
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(dc, LF_FACESIZE, face);
  if (lstrcmpiA(face, "Marlett") != 0) {
    ::SelectObject(dc, old);
    ::DeleteObject(f);
    DrawGlyphLines(dc, r, ch, color);
    return;
  }
  COLORREF oldColor = ::SetTextColor(dc, color);
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  RECT box = r;
  char s[2] = {ch, 0};
  ::DrawTextA(dc, s, 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::SetBkMode(dc, oldMode);
  ::SetTextColor(dc, oldColor);
  ::SelectObject(dc, old);
  ::DeleteObject(f);
}

char SystemCommandGlyph(UINT id) {
  switch (id & 0xFFF0) {
    case SC_MINIMIZE: return '0';
    case SC_MAXIMIZE: return '1';
    case SC_RESTORE: return '2';
    case SC_CLOSE: return 'r';
    default: return 0;
  }
}

// Text of a popup item in its area: the label left, the accelerator right.
void DrawItemText(HDC dc, const CNewMenuItemData& d, RECT area, COLORREF color, BOOL bold, BOOL noAccel) {
  HFONT f = menu_theme::CreateMenuFont(bold);
  HGDIOBJ old = ::SelectObject(dc, f);
  COLORREF oldColor = ::SetTextColor(dc, color);
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  CString left, right;
  bool tab = false;
  SplitAtTab(d.m_szMenuText, left, right, tab);
  UINT fmt = DT_SINGLELINE | DT_VCENTER | (noAccel ? DT_HIDEPREFIX : 0);
  ::DrawTextA(dc, left, left.GetLength(), &area, fmt | DT_LEFT);
  if (tab) ::DrawTextA(dc, right, right.GetLength(), &area, fmt | DT_RIGHT);
  ::SetBkMode(dc, oldMode);
  ::SetTextColor(dc, oldColor);
  ::SelectObject(dc, old);
  ::DeleteObject(f);
}

Color NearestOnScreen(Color c) {
  HDC screen = ::GetDC(nullptr);
  COLORREF n = ::GetNearestColor(screen, c);
  ::ReleaseDC(nullptr, screen);
  return n;
}

// The menu-bar item this popup opened from, in screen coordinates.
BOOL BarItemRect(HMENU popup, RECT* out) {
  CNewMenu* menu = CNewMenu::FromHandleNew(popup);
  if (!menu || !menu->GetParentMenu() || !CNewMenu::IsMenuBar(menu->GetParentMenu())) return FALSE;
  HWND owner = CNewMenu::LastMenuOwner();
  HMENU bar = menu->GetParentMenu();
  if (!owner || ::GetMenu(owner) != bar) return FALSE;
  int n = ::GetMenuItemCount(bar);
  for (int i = 0; i < n; ++i)
    if (::GetSubMenu(bar, i) == popup) return ::GetMenuItemRect(owner, bar, UINT(i), out);
  return FALSE;
}

}  // namespace

// ------------------------------------------------------------ registry
BOOL AddMenuTheme(CMenuTheme* theme) {
  std::unique_ptr<CMenuTheme> owned(theme);
  if (!theme || FindMenuTheme(theme->m_dwThemeId)) return FALSE;
  Themes().push_back(std::move(owned));
  return TRUE;
}

CMenuTheme* FindMenuTheme(DWORD id) {
  for (auto& t : Themes())
    if (t->m_dwThemeId == id) return t.get();
  return nullptr;
}

BOOL SetMenuTheme(DWORD id) {
  CMenuTheme* t = FindMenuTheme(id);
  if (!t) return FALSE;
  g_current = t;
  return TRUE;
}

CMenuTheme* GetMenuTheme() { return g_current; }

void RemoveMenuThemes() {
  g_current = nullptr;
  Themes().clear();
}

void RegisterMenuThemes() {
  using namespace menu_theme;
  AddMenuTheme(new CMenuTheme(0, &MeasureStandard, &DrawStandard, &DrawMenuBarItem, 1));
  AddMenuTheme(new CMenuTheme(1, &MeasureStandard, &DrawStandard, &DrawMenuBarItem, 0));
  AddMenuTheme(new CMenuThemeBlended(2, &MeasureBlended, &DrawBlended, &DrawMenuBarItem, 1));
  AddMenuTheme(new CMenuThemeBlended(3, &MeasureBlended, &DrawBlended, &DrawMenuBarItem, 0));
  AddMenuTheme(new CMenuTheme(4, &MeasureStandard, &DrawStandardGradient, &DrawMenuBarItem, 1));
  AddMenuTheme(new CMenuTheme(5, &MeasureStandard, &DrawStandardGradient, &DrawMenuBarItem, 0));
}

// ------------------------------------------------------------ CMenuTheme
CMenuTheme::CMenuTheme(DWORD id, MeasureFn measure, DrawFn draw, DrawFn drawMenuBar, DWORD flags)
    : m_dwThemeId(id), m_dwFlags(flags & 1), m_pMeasureItem(measure), m_pDrawItem(draw), m_pDrawMenuBar(drawMenuBar) {}

BOOL CMenuTheme::SystemDrawsShadow() {
  BOOL shadow = FALSE;
  return ::SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &shadow, 0) && shadow;
}

RECT CMenuTheme::BorderWidths(BOOL systemShadow) {
  return systemShadow ? RECT{2, 2, 2, 2} : RECT{2, 2, 5, 6};
}

BOOL CMenuTheme::OnNcCalcSize(HWND menuWnd, NCCALCSIZE_PARAMS* params, BOOL) {
  if (!params) return FALSE;
  const DWORD exMask = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  DWORD style = DWORD(::GetWindowLongA(menuWnd, GWL_STYLE));
  DWORD ex = DWORD(::GetWindowLongA(menuWnd, GWL_EXSTYLE));
  if ((style & WS_BORDER) || (ex & exMask)) {
    if (MenuWndRecord* rec = FindMenuWndRecord(menuWnd)) {
      if (!rec->stylesChanged) {
        rec->style = style;
        rec->exStyle = ex;
      }
      rec->stylesChanged = TRUE;
    }
    ::SetWindowLongA(menuWnd, GWL_STYLE, LONG(style & ~DWORD(WS_BORDER)));
    ::SetWindowLongA(menuWnd, GWL_EXSTYLE, LONG(ex & ~exMask));
  }
  // The first rectangle is the window's; it becomes the client area.
  RECT b = Borders();
  RECT& r = params->rgrc[0];
  r.left += b.left;
  r.top += b.top;
  r.right = std::max(r.left, r.right - b.right);
  r.bottom = std::max(r.top, r.bottom - b.bottom);
  return TRUE;
}

void CMenuTheme::OnUnInitWnd(HWND menuWnd) {
  MenuWndRecord* rec = FindMenuWndRecord(menuWnd);
  if (!rec || !rec->stylesChanged) return;
  ::SetWindowLongA(menuWnd, GWL_STYLE, LONG(rec->style));
  ::SetWindowLongA(menuWnd, GWL_EXSTYLE, LONG(rec->exStyle));
  rec->stylesChanged = FALSE;
}

BOOL CMenuTheme::OnEraseBkgnd(HWND menuWnd, HDC dc) {
  RECT r;
  if (!::GetClientRect(menuWnd, &r)) return FALSE;
  r.right = std::max(r.left, r.right - 1);
  FillColor(dc, r, ::GetSysColor(COLOR_MENU));
  return TRUE;
}

int CMenuTheme::BeginBorder(HWND menuWnd, HDC dc, RECT& win, RECT& frame) const {
  ::GetWindowRect(menuWnd, &win);
  frame = RECT{0, 0, win.right - win.left, win.bottom - win.top};
  if (!SystemDrawsShadow()) {
    frame.right -= 4;
    frame.bottom -= 4;
  }
  // The client area is not ours to paint here.
  RECT client;
  ::GetClientRect(menuWnd, &client);
  POINT origin{0, 0};
  ::ClientToScreen(menuWnd, &origin);
  ::OffsetRect(&client, origin.x - win.left, origin.y - win.top);
  int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
  return saved;
}

void CMenuTheme::EndBorder(HWND menuWnd, HDC dc, int saved) {
  if (!SystemDrawsShadow()) DrawOwnShadow(menuWnd, dc);
  ::RestoreDC(dc, saved);
}

void CMenuTheme::OnDrawBorder(HWND menuWnd, HDC dc) {
  RECT win, frame;
  int saved = BeginBorder(menuWnd, dc, win, frame);
  RECT inside = frame;
  ::InflateRect(&inside, -1, -1);
  FillColor(dc, inside, GetMenuBackColor());
  FrameColor(dc, frame, ::GetSysColor(COLOR_HIGHLIGHT));
  EndBorder(menuWnd, dc, saved);
}

void CMenuTheme::DrawOwnShadow(HWND menuWnd, HDC dc) {
  RECT win;
  ::GetWindowRect(menuWnd, &win);
  int w = win.right - win.left, h = win.bottom - win.top;
  if (w <= 8 || h <= 8) return;
  MenuWndRecord* rec = FindMenuWndRecord(menuWnd);
  std::vector<DWORD> right, bottom;
  if (rec && rec->underSize.cx == w && rec->underSize.cy == h) {
    right = rec->underRight;
    bottom = rec->underBottom;
  }
  if (right.size() != size_t(4 * h) || bottom.size() != size_t(4 * w)) {
    // Nothing kept from before the window showed: shade what is there.
    right.assign(size_t(4 * h), 0);
    bottom.assign(size_t(4 * w), 0);
    HDC screen = ::GetDC(nullptr);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < 4; ++x) {
        COLORREF c = ::GetPixel(screen, win.right - 4 + x, win.top + y);
        right[size_t(y * 4 + x)] = RGB(GetBValue(c), GetGValue(c), GetRValue(c));
      }
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < w; ++x) {
        COLORREF c = ::GetPixel(screen, win.left + x, win.bottom - 4 + y);
        bottom[size_t(y * w + x)] = RGB(GetBValue(c), GetGValue(c), GetRValue(c));
      }
    ::ReleaseDC(nullptr, screen);
  }
  // DIB pixels are 0x00RRGGBB; darkening scales each channel alike.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < 4; ++x) {
      int k = 4 - x;
      DWORD& p = right[size_t(y * 4 + x)];
      p = menu_rules::Darken(menu_rules::ShadowAmount(k, y, h, true), p);
    }
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < w - 4; ++x) {
      int k = 4 - y;
      DWORD& p = bottom[size_t(y * w + x)];
      p = menu_rules::Darken(menu_rules::ShadowAmount(k, x, w, false), p);
    }
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biWidth = 4;
  bi.bmiHeader.biHeight = -h;
  ::SetDIBitsToDevice(dc, w - 4, 0, 4, UINT(h), 0, 0, 0, UINT(h), right.data(), &bi, DIB_RGB_COLORS);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -4;
  ::SetDIBitsToDevice(dc, 0, h - 4, UINT(w - 4), 4, 0, 0, 0, 4, bottom.data(), &bi, DIB_RGB_COLORS);
}

// ------------------------------------------------------ CMenuThemeBlended
BOOL CMenuThemeBlended::OnEraseBkgnd(HWND menuWnd, HDC dc) {
  RECT r;
  if (!::GetClientRect(menuWnd, &r)) return FALSE;
  r.right = std::max(r.left, r.right - 1);
  MenuWndRecord* rec = FindMenuWndRecord(menuWnd);
  BOOL skinned = rec && CNewMenu::FromHandleNew(rec->menu);
  FillColor(dc, r, skinned ? GetMenuBackColor() : ::GetSysColor(COLOR_MENU));
  return TRUE;
}

void CMenuThemeBlended::OnDrawBorder(HWND menuWnd, HDC dc) {
  RECT win, frame;
  int saved = BeginBorder(menuWnd, dc, win, frame);
  COLORREF menuColor = GetMenuBackColor();
  RECT inside = frame;
  ::InflateRect(&inside, -1, -1);
  FillColor(dc, inside, ::GetSysColor(COLOR_WINDOW));
  FrameColor(dc, frame, menu_rules::Darken(128, menuColor));
  // Where the popup touches its menu-bar item, the frame gives way so that
  // both read as one.
  MenuWndRecord* rec = FindMenuWndRecord(menuWnd);
  RECT item;
  if (rec && BarItemRect(rec->menu, &item)) {
    // The bar's own colour, so that the item runs on into the popup.
    CNewMenu* bar = CNewMenu::FromHandleNew(CNewMenu::FromHandleNew(rec->menu)->GetParentMenu());
    if (bar) menuColor = bar->GetMenuBackColorOf();
    int left = std::max(item.left, win.left) - win.left, right = std::min(item.right, win.left + frame.right) - win.left;
    int top = std::max(item.top, win.top) - win.top, bottom = std::min(item.bottom, win.top + frame.bottom) - win.top;
    if (right - left > 1 && (item.bottom == win.top || item.top == win.top + frame.bottom)) {
      int y = item.bottom == win.top ? 0 : frame.bottom - 1;
      FillColor(dc, RECT{left + 1, y, right - 1, y + 1}, menuColor);
    } else if (bottom - top > 1 && (item.right == win.left || item.left == win.left + frame.right)) {
      int x = item.right == win.left ? 0 : frame.right - 1;
      FillColor(dc, RECT{x, top + 1, x + 1, bottom - 1}, menuColor);
    }
  }
  EndBorder(menuWnd, dc, saved);
}

// ------------------------------------------------------- item operations
namespace menu_theme {

HFONT CreateMenuFont(BOOL bold) {
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;   // without the padded border the newest systems add
  LOGFONTA lf{};
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
    lf = ncm.lfMenuFont;
  else
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  if (bold) lf.lfWeight = FW_BOLD;
  return ::CreateFontIndirectA(&lf);
}

BOOL IsTopCaption(const CString& text) {
  static const char* const captions[] = {"System", "Function", "Help"};
  for (const char* c : captions)
    if (text == TranslateString(c)) return TRUE;
  return FALSE;
}

menu_rules::ItemColors ItemColors() {
  return menu_rules::BlendedItemColors(::GetSysColor(COLOR_WINDOW), GetMenuBackColor(),
                                       ::GetSysColor(COLOR_HIGHLIGHT), &NearestOnScreen);
}

void MeasureBlended(CNewMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL menuBar) {
  CNewMenuItemData* d = ItemData(mis->itemData);
  if (!d) return;
  menu_rules::MeasureInput in;
  in.separator = (d->m_nType & MFT_SEPARATOR) != 0;
  in.menuBar = menuBar != FALSE;
  in.iconWidth = menu->m_iconSize.cx;
  in.iconHeight = menu->m_iconSize.cy;
  in.menuBarHeight = ::GetSystemMetrics(SM_CYMENU);
  if (!in.separator) {
    HDC dc = ::GetDC(nullptr);
    HFONT f = CreateMenuFont((d->m_nFlags & 0x20) != 0);
    HGDIOBJ old = ::SelectObject(dc, f);
    CString left, right;
    bool tab = false;
    SplitAtTab(d->m_szMenuText, left, right, tab);
    in.hasTab = tab;
    in.caption = IsTopCaption(left) != FALSE;
    in.textWidth = ItemTextWidth(dc, *d);
    if (IsSystemCommand(d->m_nID)) {
      // Window commands line up at the widest of them.
      for (int i = 0; i < menu->GetItemDataCount(); ++i) {
        const CNewMenuItemData* o = menu->GetItemDataAt(i);
        if (IsSystemCommand(o->m_nID) && !(o->m_nType & MFT_SEPARATOR))
          in.textWidth = std::max(in.textWidth, ItemTextWidth(dc, *o));
      }
    }
    ::SelectObject(dc, old);
    ::DeleteObject(f);
    ::ReleaseDC(nullptr, dc);
  }
  menu_rules::MeasureResult m = menu_rules::MeasureMenuItem(in);
  mis->itemWidth = UINT(m.width);
  mis->itemHeight = UINT(m.height);
}

void MeasureStandard(CNewMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL menuBar) { MeasureBlended(menu, mis, menuBar); }

// The glyph column of a popup item: check mark, window-command image or
// the item's own image.
static void DrawGlyph(CNewMenu* menu, HDC dc, const CNewMenuItemData& d, const RECT& column, UINT state,
                      BOOL selected, COLORREF selection) {
  BOOL disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
  RECT box = column;
  ::InflateRect(&box, -2, -2);
  if (state & ODS_CHECKED) {
    if (selected) FillColor(dc, box, menu_rules::GlyphFace(selection));
    if (GetWinVersion() >= 2) ::DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
    char ch = (d.m_nType & MFT_RADIOCHECK) ? char(105) : char(98);
    DrawMarlett(dc, box, ch, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    return;
  }
  if (char g = IsSystemCommand(d.m_nID) ? SystemCommandGlyph(d.m_nID) : 0) {
    COLORREF c = ::GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    DrawMarlett(dc, box, g, c);
    return;
  }
  if (d.m_pImageList && d.m_nImageIndex >= 0) {
    int x = column.left + (column.right - column.left - menu->m_iconSize.cx) / 2;
    int y = column.top + (column.bottom - column.top - menu->m_iconSize.cy) / 2;
    ImageList_Draw(*d.m_pImageList, d.m_nImageIndex, dc, x, y, disabled ? ILD_BLEND50 : ILD_TRANSPARENT);
  }
}

void DrawBlended(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar) {
  if (menuBar) {
    DrawMenuBarItem(menu, dis, menuBar);
    return;
  }
  CNewMenuItemData* d = ItemData(dis->itemData);
  if (!d) return;
  HDC dc = dis->hDC;
  RECT rc = dis->rcItem;
  menu_rules::ItemColors colors = ItemColors();
  RECT column = rc;
  column.right = std::min<LONG>(rc.right, rc.left + menu->m_iconSize.cx + 8);
  RECT textArea = rc;
  textArea.left = column.right;
  FillColor(dc, column, colors.dark);
  FillColor(dc, textArea, colors.light);
  if (d->m_nType & MFT_SEPARATOR) {
    int y = (rc.top + rc.bottom) / 2;
    FillColor(dc, RECT{textArea.left + 4, y, rc.right, y + 1}, menu_rules::Darken(64, GetMenuBackColor()));
    return;
  }
  UINT state = dis->itemState;
  BOOL selected = (state & (ODS_SELECTED | ODS_HOTLIGHT | ODS_INACTIVE)) != 0;
  BOOL disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
  if (selected) {
    RECT sel = rc;
    if (!disabled) FillColor(dc, sel, colors.selection);
    FrameColor(dc, sel, ::GetSysColor(COLOR_HIGHLIGHT));
  }
  DrawGlyph(menu, dc, *d, column, state, selected, colors.selection);
  RECT text = textArea;
  text.left += 4;
  text.right -= 15;
  COLORREF color = ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT);
  DrawItemText(dc, *d, text, color, (state & ODS_DEFAULT) != 0, (state & ODS_NOACCEL) != 0);
}

static void DrawStandardItem(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL gradient) {
  CNewMenuItemData* d = ItemData(dis->itemData);
  if (!d) return;
  HDC dc = dis->hDC;
  RECT rc = dis->rcItem;
  COLORREF back = menu->GetMenuBackColorOf();
  FillColor(dc, rc, back);
  if (d->m_nType & MFT_SEPARATOR) {
    int y = (rc.top + rc.bottom) / 2;
    RECT line{rc.left + 2, y, rc.right - 2, y + 2};
    ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  UINT state = dis->itemState;
  BOOL selected = (state & (ODS_SELECTED | ODS_HOTLIGHT | ODS_INACTIVE)) != 0;
  BOOL disabled = (state & (ODS_GRAYED | ODS_DISABLED)) != 0;
  if (selected && !disabled) {
    if (gradient)
      FillGradient(dc, rc, ::GetSysColor(COLOR_HIGHLIGHT), back, 1);
    else
      FillColor(dc, rc, ::GetSysColor(COLOR_HIGHLIGHT));
  }
  RECT column = rc;
  column.right = std::min<LONG>(rc.right, rc.left + menu->m_iconSize.cx + 8);
  DrawGlyph(menu, dc, *d, column, state, selected, ::GetSysColor(COLOR_HIGHLIGHT));
  RECT text = rc;
  text.left = column.right + 4;
  text.right -= 15;
  COLORREF color = ::GetSysColor(disabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
  DrawItemText(dc, *d, text, color, (state & ODS_DEFAULT) != 0, (state & ODS_NOACCEL) != 0);
}

void DrawStandard(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar) {
  if (menuBar)
    DrawMenuBarItem(menu, dis, menuBar);
  else
    DrawStandardItem(menu, dis, FALSE);
}

void DrawStandardGradient(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar) {
  if (menuBar)
    DrawMenuBarItem(menu, dis, menuBar);
  else
    DrawStandardItem(menu, dis, TRUE);
}

void DrawMenuBarItem(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL) {
  CNewMenuItemData* d = ItemData(dis->itemData);
  if (!d) return;
  HDC dc = dis->hDC;
  RECT rc = dis->rcItem;
  UINT state = dis->itemState;
  BOOL selected = (state & ODS_SELECTED) != 0;
  BOOL hot = (state & ODS_HOTLIGHT) != 0;
  COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
  // Captions on the bar's own colour: the menu text colour when it stands
  // out from the bar, else white or black; a disabled caption half-way to
  // the bar.
  COLORREF back = menu->GetMenuBackColorOf();
  COLORREF textColor = menu_rules::ReadableText(::GetSysColor(COLOR_MENUTEXT), back);
  if (state & (ODS_GRAYED | ODS_DISABLED))
    textColor = RGB((GetRValue(textColor) + GetRValue(back)) / 2, (GetGValue(textColor) + GetGValue(back)) / 2,
                    (GetBValue(textColor) + GetBValue(back)) / 2);
  if (selected || hot) {
    RECT in = rc;
    ::InflateRect(&in, -1, -1);
    FillColor(dc, in, selected ? RGB(0xFF, 0xFF, 0xF0) : RGB(0xD2, 0xE6, 0xBE));
    // Outline with the corners cut by 2 pixels.
    int l = rc.left, t = rc.top, r = rc.right - 1, b = rc.bottom - 1;
    POINT pts[9] = {{l + 2, t}, {r - 2, t}, {r, t + 2}, {r, b - 2}, {r - 2, b},
                    {l + 2, b}, {l, b - 2}, {l, t + 2}, {l + 2, t}};
    HPEN pen = ::CreatePen(PS_SOLID, 1, highlight);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    ::Polyline(dc, pts, 9);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    textColor = highlight;
  } else {
    FillColor(dc, rc, back);
  }
  HFONT f = CreateMenuFont(FALSE);
  HGDIOBJ old = ::SelectObject(dc, f);
  COLORREF oldColor = ::SetTextColor(dc, textColor);
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  RECT text = rc;
  text.left += 8;
  ::DrawTextA(dc, d->m_szMenuText, d->m_szMenuText.GetLength(), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | ((state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
  ::SetBkMode(dc, oldMode);
  ::SetTextColor(dc, oldColor);
  ::SelectObject(dc, old);
  ::DeleteObject(f);
}

}  // namespace menu_theme
