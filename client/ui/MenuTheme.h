// Menu themes: the frame, background, border and shadow of popup-menu
// windows and the measure and draw operations of owner-drawn items.
#pragma once

#include "MenuDrawRules.h"
#include "NewMenu.h"

#include <vector>

// What the skin keeps per subclassed popup-menu window.
struct MenuWndRecord {
  DWORD style = 0;
  DWORD exStyle = 0;
  POINT screenPos{};
  BOOL posKnown = FALSE;
  HMENU menu = nullptr;
  BOOL stylesChanged = FALSE;
  // The screen under the right and bottom shadow strips, taken as the
  // window shows (32-bit top-down pixels).
  std::vector<DWORD> underRight, underBottom;
  SIZE underSize{};
};
MenuWndRecord* FindMenuWndRecord(HWND menuWnd);

class CMenuTheme {
public:
  typedef void (*MeasureFn)(CNewMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL menuBar);
  typedef void (*DrawFn)(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar);

  CMenuTheme(DWORD id, MeasureFn measure, DrawFn draw, DrawFn drawMenuBar, DWORD flags);
  virtual ~CMenuTheme() = default;

  // WM_NCCALCSIZE: takes the border styles away (remembered in the record)
  // and makes the frame the theme's border widths.
  virtual BOOL OnNcCalcSize(HWND menuWnd, NCCALCSIZE_PARAMS* params, BOOL calcValid);
  // WM_ERASEBKGND; TRUE when painted.
  virtual BOOL OnEraseBkgnd(HWND menuWnd, HDC dc);
  // WM_NCPAINT: the border (and the own shadow) through dc, a window DC.
  virtual void OnDrawBorder(HWND menuWnd, HDC dc);
  // Puts the styles back on WM_NCDESTROY.
  virtual void OnUnInitWnd(HWND menuWnd);
  // Border widths: left 2, top 2, right and bottom 2 with the system's
  // drop shadow, else 5 and 6.
  static RECT BorderWidths(BOOL systemShadow);
  RECT Borders() const { return BorderWidths(SystemDrawsShadow()); }
  static BOOL SystemDrawsShadow();

  DWORD m_dwThemeId;
  DWORD m_dwFlags;
  MeasureFn m_pMeasureItem;
  DrawFn m_pDrawItem;
  DrawFn m_pDrawMenuBar;

protected:
  // Window rectangle and frame (short of the own shadow) of a border paint,
  // with the client area clipped away; the saved DC state for EndBorder.
  int BeginBorder(HWND menuWnd, HDC dc, RECT& win, RECT& frame) const;
  // The own shadow, when the system draws none, and the DC state restored.
  void EndBorder(HWND menuWnd, HDC dc, int saved);
  void DrawOwnShadow(HWND menuWnd, HDC dc);
};

class CMenuThemeBlended : public CMenuTheme {
public:
  CMenuThemeBlended(DWORD id, MeasureFn measure, DrawFn draw, DrawFn drawMenuBar, DWORD flags)
      : CMenuTheme(id, measure, draw, drawMenuBar, flags) {}
  BOOL OnEraseBkgnd(HWND menuWnd, HDC dc) override;
  void OnDrawBorder(HWND menuWnd, HDC dc) override;
};

// The registered themes (set up by InstallSkin).
BOOL AddMenuTheme(CMenuTheme* theme);   // takes ownership; FALSE when the id is taken
CMenuTheme* FindMenuTheme(DWORD id);
BOOL SetMenuTheme(DWORD id);
CMenuTheme* GetMenuTheme();              // null when no skin is installed
void RemoveMenuThemes();
// Registers the six themes (InstallSkin does).
void RegisterMenuThemes();

// The operations of the themes.
namespace menu_theme {
void MeasureStandard(CNewMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL menuBar);
void DrawStandard(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar);
void DrawStandardGradient(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar);
void MeasureBlended(CNewMenu* menu, LPMEASUREITEMSTRUCT mis, BOOL menuBar);
void DrawBlended(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar);
void DrawMenuBarItem(CNewMenu* menu, LPDRAWITEMSTRUCT dis, BOOL menuBar);
// The blended item colours on this display.
menu_rules::ItemColors ItemColors();
// The system menu font, bold when asked.
HFONT CreateMenuFont(BOOL bold);
// The main window's top-level captions "System", "Function", "Help".
BOOL IsTopCaption(const CString& text);
}  // namespace menu_theme
