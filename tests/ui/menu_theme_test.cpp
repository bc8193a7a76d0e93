// Menu themes: the colour functions, measures, gradient bands and shadow as
// tables, and item drawing on a memory device context.
#include "MenuTheme.h"
#include "gui_kit.h"

#include <gtest/gtest.h>

using namespace menu_rules;

TEST(MenuColors, FunctionsRoundEachChannel) {
  struct Case {
    const char* what;
    Color got, expected;
  } cases[] = {
      {"darken 0", Darken(0, RGB(200, 100, 50)), RGB(200, 100, 50)},
      {"darken 255", Darken(255, RGB(200, 100, 50)), RGB(0, 0, 0)},
      {"darken 128 of white", Darken(128, RGB(255, 255, 255)), RGB(127, 127, 127)},
      {"darken 15", Darken(15, RGB(200, 100, 50)), RGB(188, 94, 47)},
      {"mix86 white black", Mix86(RGB(255, 255, 255), RGB(0, 0, 0)), RGB(219, 219, 219)},
      {"mix86 per channel", Mix86(RGB(255, 0, 100), RGB(0, 255, 200)), RGB(219, 36, 114)},
      {"mix86 of one colour", Mix86(RGB(240, 240, 240), RGB(240, 240, 240)), RGB(240, 240, 240)},
      {"mix70 halves away from zero", Mix70(RGB(255, 255, 255), RGB(0, 0, 128)), RGB(179, 179, 217)},
      {"glyph face", GlyphFace(RGB(100, 200, 255)), RGB(70, 140, 217)},
      {"glyph face of black", GlyphFace(RGB(0, 0, 0)), RGB(0, 0, 39)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(MenuColors, DisplayThatCannotTellTheMixesApartGetsWindowAndMenuColours) {
  const Color window = RGB(255, 255, 255), menu = RGB(212, 208, 200), highlight = RGB(49, 106, 197);
  ItemColors exact = BlendedItemColors(window, menu, highlight, [](Color c) { return c; });
  EXPECT_EQ(exact.light, Mix86(window, menu));
  EXPECT_EQ(exact.dark, Mix86(menu, window));
  EXPECT_EQ(exact.selection, Mix70(window, highlight));
  // Sixteen colours: both mixes come out as light grey.
  ItemColors coarse = BlendedItemColors(window, menu, highlight, [](Color) { return RGB(192, 192, 192); });
  EXPECT_EQ(coarse.light, window);
  EXPECT_EQ(coarse.dark, menu);
  EXPECT_EQ(coarse.selection, Mix70(window, highlight));
}

TEST(MenuMeasure, RulesByKindOfItem) {
  auto in = [](bool sep, bool bar, bool caption, bool tab, int text) {
    MeasureInput m;
    m.separator = sep;
    m.menuBar = bar;
    m.caption = caption;
    m.hasTab = tab;
    m.textWidth = text;
    return m;
  };
  struct Case {
    const char* what;
    MeasureInput input;
    int width, height;
  } cases[] = {
      {"separator", in(true, false, false, false, 0), 0, 3},
      {"popup item", in(false, false, false, false, 50), 50 + 2 + 32, 23},
      {"popup item with accelerator", in(false, false, false, true, 50), 50 + 2 + 32 + 15, 23},
      {"top-level caption", in(false, true, true, false, 40), 42, 23},
      {"other bar item", in(false, true, false, false, 40), 40, 23},
  };
  for (const Case& c : cases) {
    MeasureResult r = MeasureMenuItem(c.input);
    EXPECT_EQ(r.width, c.width) << c.what;
    EXPECT_EQ(r.height, c.height) << c.what;
  }
  MeasureInput tall = in(false, false, false, false, 10);
  tall.menuBarHeight = 30;
  EXPECT_EQ(MeasureMenuItem(tall).height, 30);
  MeasureInput big = in(false, false, false, false, 10);
  big.iconWidth = 20;
  big.iconHeight = 24;
  EXPECT_EQ(MeasureMenuItem(big).width, 10 + 2 + 40);
  EXPECT_EQ(MeasureMenuItem(big).height, 32);
}

TEST(MenuGradient, BandsCoverTheRunWithoutDividingByZero) {
  struct Case {
    int length;
    std::vector<int> offsets;   // and each band runs to the next, the last to the end
  } cases[] = {
      {0, {}}, {3, {0}}, {4, {0}}, {5, {0}}, {8, {0, 4}}, {10, {0, 4}}, {12, {0, 4, 8}}, {13, {0, 4, 8}},
  };
  for (const Case& c : cases) {
    std::vector<Band> bands = GradientBands(RGB(0, 0, 0), RGB(255, 60, 200), c.length);
    ASSERT_EQ(bands.size(), c.offsets.size()) << c.length;
    int end = 0;
    for (size_t i = 0; i < bands.size(); ++i) {
      EXPECT_EQ(bands[i].offset, c.offsets[i]) << c.length;
      EXPECT_EQ(bands[i].offset, end) << c.length;
      end = bands[i].offset + bands[i].length;
    }
    EXPECT_EQ(end, c.length);
    if (!bands.empty()) {
      EXPECT_EQ(bands[0].color, RGB(0, 0, 0)) << c.length;
    }
  }
  // start + (end - start) x i / (length - 4): at length 12 the band at 8 has the end colour.
  std::vector<Band> b = GradientBands(RGB(10, 200, 0), RGB(250, 0, 120), 12);
  EXPECT_EQ(b[1].color, RGB(10 + 240 * 4 / 8, 200 - 200 * 4 / 8, 120 * 4 / 8));
  EXPECT_EQ(b[2].color, RGB(250, 0, 120));
}

TEST(MenuShadow, DarkeningAlongTheStrips) {
  struct Case {
    int k, pos, length;
    bool column;
    int amount;
  } cases[] = {
      {1, 0, 20, true, 0},  {1, 3, 20, true, 0},   {1, 4, 20, true, 3},   {1, 7, 20, true, 12},
      {1, 8, 20, true, 15}, {1, 15, 20, true, 15}, {1, 16, 20, true, 12}, {1, 19, 20, true, 3},
      {4, 5, 20, true, 24}, {4, 10, 20, true, 60}, {4, 19, 20, true, 12}, {3, 17, 20, true, 27},
      {2, 19, 20, false, 30},   // a row does not fade at its end: the corner is the column's
      {2, 2, 20, false, 0},  {5, 10, 20, true, 0},  {1, 20, 20, true, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShadowAmount(c.k, c.pos, c.length, c.column), c.amount)
        << "k " << c.k << " pos " << c.pos << (c.column ? " column" : " row");
}

TEST(MenuTheme, SixThemesWithThemeThreeInUse) {
  ASSERT_TRUE(IsSkinInstalled());
  struct Case {
    DWORD id;
    bool blended;
    DWORD flags;
  } cases[] = {{0, false, 1}, {1, false, 0}, {2, true, 1}, {3, true, 0}, {4, false, 1}, {5, false, 0}};
  for (const Case& c : cases) {
    CMenuTheme* t = FindMenuTheme(c.id);
    ASSERT_NE(t, nullptr) << c.id;
    EXPECT_EQ(dynamic_cast<CMenuThemeBlended*>(t) != nullptr, c.blended) << c.id;
    EXPECT_EQ(t->m_dwFlags, c.flags) << c.id;
  }
  EXPECT_EQ(FindMenuTheme(6), nullptr);
  EXPECT_EQ(GetMenuTheme(), FindMenuTheme(3));
  EXPECT_NE(FindMenuTheme(4)->m_pDrawItem, FindMenuTheme(0)->m_pDrawItem);
  // A theme already in the list is not added twice.
  EXPECT_FALSE(AddMenuTheme(new CMenuTheme(3, nullptr, nullptr, nullptr, 0)));
  RegisterMenuThemes();
  EXPECT_EQ(FindMenuTheme(3), GetMenuTheme());
}

TEST(MenuTheme, FrameIsTwoPixelsWithTheSystemShadowElseRoomForOurs) {
  RECT with = CMenuTheme::BorderWidths(TRUE), without = CMenuTheme::BorderWidths(FALSE);
  EXPECT_EQ(with.left, 2);
  EXPECT_EQ(with.top, 2);
  EXPECT_EQ(with.right, 2);
  EXPECT_EQ(with.bottom, 2);
  EXPECT_EQ(without.left, 2);
  EXPECT_EQ(without.top, 2);
  EXPECT_EQ(without.right, 5);
  EXPECT_EQ(without.bottom, 6);
}

namespace {

// A 24-bit memory DC of the given size, filled black.
struct MemoryDC {
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  MemoryDC(int w, int h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    dc = ::CreateCompatibleDC(nullptr);
    bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    old = ::SelectObject(dc, bmp);
    RECT r{0, 0, w, h};
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  ~MemoryDC() {
    ::SelectObject(dc, old);
    ::DeleteObject(bmp);
    ::DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return ::GetPixel(dc, x, y); }
};

DRAWITEMSTRUCT ItemDraw(CNewMenu& menu, int pos, HDC dc, RECT rc, UINT state) {
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = menu.GetItemDataAt(pos)->m_nID;
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = state;
  dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
  dis.hDC = dc;
  dis.rcItem = rc;
  dis.itemData = ULONG_PTR(menu.GetItemDataAt(pos));
  return dis;
}

// A menu colour of the classic look for the test's run (the default desktop
// here has white menus, where both mixes are white).
struct ClassicMenuColor {
  COLORREF saved = ::GetSysColor(COLOR_MENU);
  ClassicMenuColor() { Set(RGB(212, 208, 200)); }
  ~ClassicMenuColor() { Set(saved); }
  static void Set(COLORREF c) {
    INT index = COLOR_MENU;
    ::SetSysColors(1, &index, &c);
  }
};

}  // namespace

TEST(MenuTheme, BlendedPopupItemColumnsAndSelection) {
  ClassicMenuColor classic;
  CNewMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, 100, "&Open\tCtrl+O");
  menu.AppendMenu(MF_SEPARATOR);
  ItemColors colors = menu_theme::ItemColors();
  ASSERT_NE(colors.dark, colors.light);
  ASSERT_NE(colors.dark, colors.selection);
  const RECT rc{0, 0, 200, 23};
  struct Case {
    UINT state;
    Color column, text;   // a pixel of the image column and of the text area
  } cases[] = {
      {0, colors.dark, colors.light},
      {ODS_HOTLIGHT, colors.selection, colors.selection},
      {ODS_INACTIVE, colors.selection, colors.selection},
      {ODS_SELECTED, colors.selection, colors.selection},
      {ODS_GRAYED, colors.dark, colors.light},
  };
  for (const Case& c : cases) {
    MemoryDC mem(200, 23);
    DRAWITEMSTRUCT dis = ItemDraw(menu, 0, mem.dc, rc, c.state);
    menu.DrawItem(&dis);
    EXPECT_EQ(mem.At(4, 2), c.column) << "state " << c.state;
    EXPECT_EQ(mem.At(190, 2), c.text) << "state " << c.state;
    // The image column ends at the icon width plus 8.
    if (c.state == 0) {
      EXPECT_EQ(mem.At(16 + 7, 20), colors.dark);
      EXPECT_EQ(mem.At(16 + 8, 20), colors.light);
    }
    // A selected item is framed in the highlight colour.
    if (c.state & (ODS_HOTLIGHT | ODS_SELECTED)) {
      EXPECT_EQ(mem.At(0, 0), ::GetSysColor(COLOR_HIGHLIGHT));
    }
  }
  // The text is drawn in the text area in the menu-text colour.
  MemoryDC mem(200, 23);
  DRAWITEMSTRUCT dis = ItemDraw(menu, 0, mem.dc, rc, 0);
  menu.DrawItem(&dis);
  int ink = 0;
  for (int x = 24; x < 185; ++x)
    for (int y = 0; y < 23; ++y) ink += mem.At(x, y) == ::GetSysColor(COLOR_MENUTEXT);
  EXPECT_GT(ink, 10);
  // A separator leaves the column and area colours and a line.
  MemoryDC sep(200, 3);
  DRAWITEMSTRUCT sd = ItemDraw(menu, 1, sep.dc, RECT{0, 0, 200, 3}, 0);
  menu.DrawItem(&sd);
  EXPECT_EQ(sep.At(2, 0), colors.dark);
  EXPECT_EQ(sep.At(100, 0), colors.light);
  EXPECT_NE(sep.At(100, 1), colors.light);
}

TEST(MenuTheme, TopCaptionsSelectedHotAndNormal) {
  CNewMenu bar;
  ASSERT_TRUE(bar.CreateMenu());
  bar.AppendMenu(MF_STRING, 200, "System");
  bar.SetMenuBackColor(RGB(10, 20, 30));
  ASSERT_TRUE(CNewMenu::IsMenuBar(bar.m_hMenu));
  const RECT rc{0, 0, 60, 20};
  struct Case {
    UINT state;
    Color fill;
    bool outlined;
  } cases[] = {
      {ODS_SELECTED, 0xF0FFFF, true},
      {ODS_HOTLIGHT, 0xBEE6D2, true},
      {ODS_HOTLIGHT | ODS_INACTIVE, 0xBEE6D2, true},
      {0, RGB(10, 20, 30), false},
      {ODS_INACTIVE, RGB(10, 20, 30), false},
  };
  for (const Case& c : cases) {
    MemoryDC mem(60, 20);
    DRAWITEMSTRUCT dis = ItemDraw(bar, 0, mem.dc, rc, c.state);
    bar.DrawItem(&dis);
    EXPECT_EQ(mem.At(3, 2), c.fill) << "state " << c.state;
    if (c.outlined) {
      EXPECT_EQ(mem.At(10, 0), ::GetSysColor(COLOR_HIGHLIGHT)) << "state " << c.state;
      EXPECT_EQ(mem.At(0, 0), RGB(0, 0, 0)) << "corner cut, state " << c.state;
      EXPECT_EQ(mem.At(1, 1), ::GetSysColor(COLOR_HIGHLIGHT)) << "state " << c.state;
    } else {
      EXPECT_EQ(mem.At(0, 0), c.fill);
    }
  }
}

TEST(MenuTheme, WindowCommandsTakeTheWidestWidth) {
  CNewMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
  menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close the window for good\tAlt+F4");
  menu.AppendMenu(MF_STRING, 300, "&Other");
  UINT widths[3];
  for (int i = 0; i < 3; ++i) {
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemData = ULONG_PTR(menu.GetItemDataAt(i));
    menu.MeasureItem(&mis, FALSE);
    widths[i] = mis.itemWidth;
  }
  // "Restore" is measured at the close command's width (which has a tab).
  EXPECT_EQ(widths[0] + 15, widths[1]);
  EXPECT_LT(widths[2], widths[0]);
}

TEST(MenuTheme, GradientWithoutGradientFillPaintsBandsToTheEnd) {
  MemoryDC loaded(10, 10);
  ASSERT_TRUE(IsGradientFillLoaded());
  FillGradient(loaded.dc, RECT{0, 0, 10, 10}, RGB(0, 0, 0), RGB(0, 0, 250), 0);
  EXPECT_LT(GetBValue(loaded.At(5, 0)), GetBValue(loaded.At(5, 9)));

  UninstallSkin();
  EXPECT_FALSE(IsGradientFillLoaded());
  MemoryDC bands(10, 10);
  FillGradient(bands.dc, RECT{0, 0, 10, 10}, RGB(0, 0, 0), RGB(0, 0, 240), 0);
  MemoryDC across(10, 4);
  FillGradient(across.dc, RECT{0, 0, 10, 4}, RGB(90, 0, 0), RGB(250, 0, 0), 1);
  InstallSkin();
  // Rows 0-3 one band, rows 4-9 the last band, reaching the bottom.
  for (int y = 0; y < 4; ++y) EXPECT_EQ(bands.At(5, y), RGB(0, 0, 0)) << y;
  for (int y = 4; y < 10; ++y) EXPECT_EQ(bands.At(5, y), RGB(0, 0, 240 * 4 / 6)) << y;
  // Left to right as well.
  EXPECT_EQ(across.At(0, 2), RGB(90, 0, 0));
  EXPECT_EQ(across.At(9, 2), RGB(90 + 160 * 4 / 6, 0, 0));
  EXPECT_EQ(GetMenuTheme(), FindMenuTheme(3));
}
