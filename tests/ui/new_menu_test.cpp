// Skinned menus on a real dialog: item conversion, the menu API, menu
// characters, the popup-window subclassing and the window picture.
#include "MenuTheme.h"
#include "NewDialog.h"
#include "gui_kit.h"
#include "new_menu_resource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A modeless skinned dialog on this thread (the thread the skin hooked).
struct SkinnedDialog {
  CNewDialog dlg{IDD_SKINNED_DIALOG};
  SkinnedDialog() {
    gui::InitControls();
    EXPECT_TRUE(dlg.Create(IDD_SKINNED_DIALOG));
    ::SetWindowPos(dlg.m_hWnd, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    gui::PumpFor(100);
  }
  ~SkinnedDialog() {
    dlg.DestroyWindow();
    gui::PumpFor(50);
  }
  HMENU Bar() const { return ::GetMenu(dlg.m_hWnd); }
  CNewMenu* Popup(int pos) const { return CNewMenu::FromHandleNew(::GetSubMenu(Bar(), pos)); }
};

MENUITEMINFOA ItemInfo(HMENU menu, int pos) {
  MENUITEMINFOA mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_SUBMENU;
  EXPECT_TRUE(::GetMenuItemInfoA(menu, UINT(pos), TRUE, &mii));
  return mii;
}

// Every item of the menu and its popups: owner-drawn, carrying the data
// object that the wrapper lists at its position, one object per item.
void ExpectConverted(HMENU menu, std::set<const void*>& seen) {
  CNewMenu* wrapper = CNewMenu::FromHandleNew(menu);
  ASSERT_NE(wrapper, nullptr);
  int n = ::GetMenuItemCount(menu);
  ASSERT_EQ(wrapper->GetItemDataCount(), n);
  for (int i = 0; i < n; ++i) {
    MENUITEMINFOA mii = ItemInfo(menu, i);
    EXPECT_TRUE(mii.fType & MFT_OWNERDRAW) << "item " << i;
    EXPECT_EQ(reinterpret_cast<CNewMenuItemData*>(mii.dwItemData), wrapper->GetItemDataAt(i));
    EXPECT_TRUE(seen.insert(reinterpret_cast<void*>(mii.dwItemData)).second) << "data shared, item " << i;
    if (mii.hSubMenu) {
      CNewMenu* sub = CNewMenu::FromHandleNew(mii.hSubMenu);
      ASSERT_NE(sub, nullptr);
      EXPECT_EQ(sub->GetParentMenu(), menu);
      ExpectConverted(mii.hSubMenu, seen);
    }
  }
}

std::vector<std::string> Texts(CNewMenu* m) {
  std::vector<std::string> t;
  for (int i = 0; i < m->GetItemDataCount(); ++i) t.push_back(m->GetItemDataAt(i)->m_szMenuText.GetString());
  return t;
}

}  // namespace

TEST(NewDialog, InitialisationMakesEveryItemOwnerDrawnWithItsResourceText) {
  SkinnedDialog d;
  ASSERT_NE(d.Bar(), nullptr);
  EXPECT_EQ(d.dlg.m_DefaultNewMenu.m_hMenu, d.Bar());
  EXPECT_TRUE(CNewMenu::IsMenuBar(d.Bar()));
  std::set<const void*> seen;
  ExpectConverted(d.Bar(), seen);
  EXPECT_EQ(Texts(&d.dlg.m_DefaultNewMenu),
            (std::vector<std::string>{"System", "Function", "Log Management", "Help"}));
  CNewMenu* system = d.Popup(0);
  EXPECT_EQ(Texts(system), (std::vector<std::string>{"&Open\tCtrl+O", "", "&More", "E&xit System"}));
  EXPECT_TRUE(system->GetItemDataAt(1)->m_nType & MFT_SEPARATOR);
  EXPECT_EQ(system->GetItemDataAt(0)->m_nID, UINT(ID_OPEN));
  EXPECT_EQ(Texts(CNewMenu::FromHandleNew(::GetSubMenu(system->m_hMenu, 2))), (std::vector<std::string>{"&Deep"}));
  EXPECT_FALSE(CNewMenu::IsMenuBar(system->m_hMenu));
  // The system menu is wrapped too.
  EXPECT_EQ(d.dlg.m_SystemNewMenu.m_hMenu, ::GetSystemMenu(d.dlg.m_hWnd, FALSE));
}

TEST(NewDialog, ConvertingAgainKeepsOneDataObjectPerItem) {
  SkinnedDialog d;
  CNewMenu* system = d.Popup(0);
  HMENU h = system->m_hMenu;
  CNewMenuItemData* open = system->GetItemDataAt(0);
  // Added past the wrapper: a second item with the command id of "Open",
  // and "Exit System" removed.
  ASSERT_TRUE(::AppendMenuA(h, MF_STRING, ID_OPEN, "Open &again"));
  ASSERT_TRUE(::DeleteMenu(h, ID_EXIT, MF_BYCOMMAND));
  system->ConvertItems();
  std::set<const void*> seen;
  ExpectConverted(d.Bar(), seen);
  EXPECT_EQ(Texts(system), (std::vector<std::string>{"&Open\tCtrl+O", "", "&More", "Open &again"}));
  EXPECT_EQ(system->GetItemDataAt(0), open);
  EXPECT_NE(system->GetItemDataAt(3), open);
  EXPECT_EQ(system->GetItemDataAt(3)->m_nID, UINT(ID_OPEN));
  // Again with nothing changed: the same objects.
  std::vector<CNewMenuItemData*> before;
  for (int i = 0; i < system->GetItemDataCount(); ++i) before.push_back(system->GetItemDataAt(i));
  system->ConvertItems();
  for (int i = 0; i < system->GetItemDataCount(); ++i) EXPECT_EQ(system->GetItemDataAt(i), before[size_t(i)]);
}

TEST(MenuDrawRules, BarCaptionColourStandsOutFromTheBar) {
  using menu_rules::MakeColor;
  const menu_rules::Color black = 0, white = MakeColor(255, 255, 255);
  struct Case {
    menu_rules::Color preferred, back, want;
  } cases[] = {
      {black, MakeColor(30, 34, 42), white},         // the default skin's dark bar
      {MakeColor(64, 64, 64), MakeColor(0, 0, 0), white},
      {black, MakeColor(240, 240, 240), black},      // a light bar keeps the system's text
      {MakeColor(0, 0, 128), white, MakeColor(0, 0, 128)},
      {white, MakeColor(250, 250, 210), black},
      {white, MakeColor(119, 119, 119), black},      // mid grey: black stands out a little more
  };
  for (const Case& c : cases) {
    menu_rules::Color got = menu_rules::ReadableText(c.preferred, c.back);
    EXPECT_EQ(c.want, got) << std::hex << c.preferred << " on " << c.back;
  }
  EXPECT_NEAR(21.0, menu_rules::ContrastRatio(black, white), 1e-9);
  EXPECT_NEAR(1.0, menu_rules::ContrastRatio(MakeColor(30, 34, 42), MakeColor(30, 34, 42)), 1e-9);
  EXPECT_NEAR(4.48, menu_rules::ContrastRatio(MakeColor(119, 119, 119), white), 0.01);
}

TEST(NewMenu, ItemsGoIntoThePopupHoldingTheCommand) {
  SkinnedDialog d;
  CNewMenu& bar = d.dlg.m_DefaultNewMenu;
  CNewMenu* more = CNewMenu::FromHandleNew(::GetSubMenu(d.Popup(0)->m_hMenu, 2));
  ASSERT_NE(more, nullptr);
  int pos = -2;
  EXPECT_EQ(bar.FindMenuOwner(ID_DEEP, &pos), more);
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(bar.FindMenuOwner(0x7777, &pos), nullptr);
  EXPECT_EQ(pos, -1);

  ASSERT_TRUE(bar.InsertMenu(ID_DEEP, MF_BYCOMMAND | MF_STRING, ID_ADDED, "Add&ed"));
  EXPECT_EQ(bar.FindMenuOwner(ID_ADDED, &pos), more);
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(Texts(more), (std::vector<std::string>{"Add&ed", "&Deep"}));
  std::set<const void*> seen;
  ExpectConverted(d.Bar(), seen);

  ASSERT_TRUE(more->AppendMenu(MF_STRING, 0, nullptr));   // id 0: a separator
  EXPECT_TRUE(ItemInfo(more->m_hMenu, 2).fType & MFT_SEPARATOR);
  EXPECT_TRUE(ItemInfo(more->m_hMenu, 2).fType & MFT_OWNERDRAW);

  ASSERT_TRUE(bar.DeleteMenu(ID_ADDED, MF_BYCOMMAND));
  EXPECT_EQ(bar.FindMenuOwner(ID_ADDED), nullptr);
  EXPECT_EQ(Texts(more), (std::vector<std::string>{"&Deep", ""}));
  seen.clear();
  ExpectConverted(d.Bar(), seen);
}

TEST(NewMenu, ItemImageComesFromTheToolbarButtonOfTheSameCommand) {
  CNewMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, ID_EXIT, "E&xit", IDR_SKINNED_TOOLBAR));      // after a separator
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, ID_RECORD, "&Record", IDR_SKINNED_TOOLBAR));  // not on the toolbar
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, ID_OPEN, "&Open", IDR_MISSING_TOOLBAR));
  ASSERT_TRUE(menu.AppendMenu(MF_STRING, ID_ABOUT, "&About"));
  CNewMenuItemData* exit = menu.GetItemDataAt(0);
  ASSERT_NE(exit->m_pImageList, nullptr);
  EXPECT_TRUE(exit->m_bOwnsImageList);
  EXPECT_EQ(exit->m_nImageIndex, 0);
  EXPECT_EQ(ImageList_GetImageCount(*exit->m_pImageList), 1);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(menu.GetItemDataAt(i)->m_pImageList, nullptr) << i;
    EXPECT_EQ(menu.GetItemDataAt(i)->m_nImageIndex, -1) << i;
  }
  // Drawn in the middle of the image column: the green button.
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP bmp = ::CreateCompatibleBitmap(screen, 120, 23);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(mem, bmp);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_MENU;
  dis.itemID = ID_EXIT;
  dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
  dis.hDC = mem;
  dis.rcItem = RECT{0, 0, 120, 23};
  dis.itemData = ULONG_PTR(exit);
  menu.DrawItem(&dis);
  EXPECT_EQ(::GetPixel(mem, 11, 11), RGB(30, 180, 60));
  EXPECT_EQ(::GetPixel(mem, 2, 11), menu_theme::ItemColors().dark);
  ::SelectObject(mem, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem);
}

TEST(NewMenu, MenuCharacterFindsTheFirstMnemonic) {
  CNewMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, 1, "&Open\tCtrl+O");
  menu.AppendMenu(MF_STRING, 2, "E&xit");
  menu.AppendMenu(MF_STRING, 3, "&other");
  menu.AppendMenu(MF_STRING, 4, "No mnemonic x");
  struct Case {
    UINT ch;
    LRESULT expected;
  } cases[] = {
      {'o', MAKELRESULT(0, MNC_EXECUTE)},   // first of two
      {'O', MAKELRESULT(0, MNC_EXECUTE)},   // case does not matter
      {'x', MAKELRESULT(1, MNC_EXECUTE)},   // only after an ampersand
      {'q', 0},
      {'&', 0},
  };
  for (const Case& c : cases) EXPECT_EQ(CNewMenu::OnMenuChar(c.ch, MF_POPUP, &menu), c.expected) << char(c.ch);
  // An item added past the wrapper is found: the data are rebuilt first.
  ::AppendMenuA(menu.m_hMenu, MF_STRING, 5, "&Quit");
  EXPECT_EQ(CNewMenu::OnMenuChar('q', MF_POPUP, &menu), MAKELRESULT(4, MNC_EXECUTE));
  EXPECT_EQ(menu.GetItemDataCount(), 5);
  CMenu plain;
  plain.CreatePopupMenu();
  plain.AppendMenu(MF_STRING, 1, "&Open");
  EXPECT_EQ(CNewMenu::OnMenuChar('o', MF_POPUP, &plain), 0);
}

namespace {

// Opens a popup with TrackPopupMenu; `inside` runs on a timer while it is
// open, then the menu is ended. Bounded: a second timer ends it anyway.
struct PopupProbe {
  static PopupProbe*& Current() {
    static PopupProbe* p = nullptr;
    return p;
  }
  std::function<void(HWND menuWnd)> inside;
  HWND menuWnd = nullptr;
  bool ran = false;

  static void CALLBACK OnTimer(HWND owner, UINT, UINT_PTR id, DWORD) {
    PopupProbe* p = Current();
    ::KillTimer(owner, id);
    if (id == 1 && p && !p->ran) {
      p->ran = true;
      p->menuWnd = ::FindWindowA("#32768", nullptr);
      if (p->menuWnd && p->inside) p->inside(p->menuWnd);
    }
    ::EndMenu();
  }

  void Run(HWND owner, HMENU popup, int x, int y) {
    gui::PointerLock pointer;   // the menu loop holds the display's pointer
    Current() = this;
    ::SetTimer(owner, 1, 400, &OnTimer);
    ::SetTimer(owner, 2, 5000, &OnTimer);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, x, y, 0, owner, nullptr);
    ::KillTimer(owner, 1);
    ::KillTimer(owner, 2);
    gui::PumpFor(50);
    Current() = nullptr;
  }
};

}  // namespace

TEST(MenuSkin, PopupWindowsAreSubclassedOnceAndReleased) {
  ASSERT_TRUE(IsSkinInstalled());
  SkinnedDialog d;
  HMENU popup = d.Popup(0)->m_hMenu;
  HANDLE storedProc = nullptr;
  LONG_PTR procBefore = 0, procAfter = 0;
  HANDLE storedAfter = nullptr;
  LRESULT menuOfWindow = 0;
  BOOL recordWhileOpen = FALSE;
  PopupProbe probe;
  probe.inside = [&](HWND w) {
    storedProc = ::GetPropA(w, "OldMenuProc");
    recordWhileOpen = FindMenuWndRecord(w) != nullptr;
    procBefore = ::GetWindowLongPtrA(w, GWLP_WNDPROC);
    // The size request the system sends; a second subclass here would store
    // our own procedure as the old one and recurse.
    ::SendMessageA(w, 0x01E2, 0, 0);
    storedAfter = ::GetPropA(w, "OldMenuProc");
    procAfter = ::GetWindowLongPtrA(w, GWLP_WNDPROC);
    menuOfWindow = ::SendMessageA(w, 0x01E1, 0, 0);   // reaches the system's procedure
  };
  probe.Run(d.dlg.m_hWnd, popup, 100, 100);
  ASSERT_TRUE(probe.ran);
  ASSERT_NE(probe.menuWnd, nullptr);
  EXPECT_NE(storedProc, nullptr);
  EXPECT_TRUE(recordWhileOpen);
  EXPECT_EQ(storedAfter, storedProc);
  EXPECT_EQ(procAfter, procBefore);
  EXPECT_EQ(reinterpret_cast<HMENU>(menuOfWindow), popup);
  // Gone with the window: no record stays for a reused handle.
  EXPECT_EQ(FindMenuWndRecord(probe.menuWnd), nullptr);
  EXPECT_FALSE(d.Popup(0)->IsPopupOpen());

  UninstallSkin();
  PopupProbe plain;
  HANDLE storedUnskinned = reinterpret_cast<HANDLE>(1);
  plain.inside = [&](HWND w) { storedUnskinned = ::GetPropA(w, "OldMenuProc"); };
  plain.Run(d.dlg.m_hWnd, popup, 100, 100);
  InstallSkin();
  ASSERT_TRUE(plain.ran);
  EXPECT_EQ(storedUnskinned, nullptr);
  EXPECT_EQ(GetMenuTheme(), FindMenuTheme(3));
}

TEST(MenuSkin, MeasureRequestsOfTheDialogReachTheTheme) {
  SkinnedDialog d;
  CNewMenu* system = d.Popup(0);
  MEASUREITEMSTRUCT mis{};
  mis.CtlType = ODT_MENU;
  mis.itemID = ID_OPEN;
  mis.itemData = ULONG_PTR(system->GetItemDataAt(0));
  ::SendMessageA(d.dlg.m_hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  EXPECT_EQ(int(mis.itemHeight), std::max(15 + 8, ::GetSystemMetrics(SM_CYMENU)));
  EXPECT_GT(int(mis.itemWidth), 2 + 2 * 16 + 15);
  MEASUREITEMSTRUCT sep{};
  sep.CtlType = ODT_MENU;
  sep.itemData = ULONG_PTR(system->GetItemDataAt(1));
  ::SendMessageA(d.dlg.m_hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&sep));
  EXPECT_EQ(sep.itemHeight, 3u);
  // Foreign item data is not ours to read.
  int foreign = 0;
  MEASUREITEMSTRUCT other{};
  other.CtlType = ODT_MENU;
  other.itemData = ULONG_PTR(&foreign);
  other.itemHeight = 77;
  ::SendMessageA(d.dlg.m_hWnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&other));
  EXPECT_EQ(other.itemHeight, 77u);
}

TEST(MenuSkin, PictureOfASkinnedDialogWithAnOpenPopup) {
  SkinnedDialog d;
  CNewMenu* function = d.Popup(1);
  RECT item;
  ASSERT_TRUE(::GetMenuItemRect(d.dlg.m_hWnd, d.Bar(), 1, &item));
  bool saved = false;
  RECT popupRect{};
  COLORREF underItem = 0, beside = 0;
  PopupProbe probe;
  probe.inside = [&](HWND w) {
    gui::PumpFor(100);
    ::GetWindowRect(w, &popupRect);
    // The frame's top line: open where it touches the bar item, drawn past it.
    HDC wdc = ::GetWindowDC(w);
    underItem = ::GetPixel(wdc, (item.right - item.left) / 2, 0);
    beside = ::GetPixel(wdc, popupRect.right - popupRect.left - 8, 0);
    ::ReleaseDC(w, wdc);
    RECT dlgRect;
    ::GetWindowRect(d.dlg.m_hWnd, &dlgRect);
    ::GetWindowRect(w, &popupRect);
    RECT all;
    ::UnionRect(&all, &dlgRect, &popupRect);
    ::InflateRect(&all, 8, 8);
    saved = gui::SaveScreenBitmap(all, gui::OutputPath("skinned_dialog_popup.bmp"));
  };
  d.dlg.m_DefaultNewMenu.SetMenuBackColor(RGB(0xE8, 0xE4, 0xDC));
  probe.Run(d.dlg.m_hWnd, function->m_hMenu, item.left, item.bottom);
  ASSERT_TRUE(probe.ran);
  EXPECT_TRUE(saved);
  // The popup joins its bar item: it opened right under it, and the frame
  // gives way there in the bar's colour.
  EXPECT_EQ(popupRect.top, item.bottom);
  ASSERT_GT(popupRect.right - 8, item.right);
  EXPECT_EQ(underItem, RGB(0xE8, 0xE4, 0xDC));
  EXPECT_EQ(beside, menu_rules::Darken(128, GetMenuBackColor()));
  EXPECT_TRUE(gui::SaveWindowBitmap(d.dlg.m_hWnd, gui::OutputPath("skinned_dialog.bmp")));
}

TEST(MenuSkin, BarPopupOpenedFromTheKeyboardCountsAsOpenInItsBar) {
  SkinnedDialog d;
  ::SetForegroundWindow(d.dlg.m_hWnd);
  CNewMenu& bar = d.dlg.m_DefaultNewMenu;
  CNewMenu* function = d.Popup(1);
  bool open = false;
  int openInBar = -1;
  bool saved = false;
  PopupProbe probe;
  probe.inside = [&](HWND w) {
    gui::PumpFor(150);
    open = function->IsPopupOpen() != FALSE;
    openInBar = bar.OpenPopupCount();
    RECT dlgRect, popupRect, all;
    ::GetWindowRect(d.dlg.m_hWnd, &dlgRect);
    ::GetWindowRect(w, &popupRect);
    ::UnionRect(&all, &dlgRect, &popupRect);
    saved = gui::SaveScreenBitmap(all, gui::OutputPath("skinned_dialog_bar_popup.bmp"));
  };
  gui::PointerLock pointer;   // the menu loop holds the display's pointer
  PopupProbe::Current() = &probe;
  ::SetTimer(d.dlg.m_hWnd, 1, 600, &PopupProbe::OnTimer);
  ::SetTimer(d.dlg.m_hWnd, 2, 5000, &PopupProbe::OnTimer);
  // Menu mode from the keyboard: the first bar item, one to the right, open it.
  ::PostMessageA(d.dlg.m_hWnd, WM_KEYDOWN, VK_RIGHT, 0);
  ::PostMessageA(d.dlg.m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
  ::SendMessageA(d.dlg.m_hWnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
  ::KillTimer(d.dlg.m_hWnd, 1);
  ::KillTimer(d.dlg.m_hWnd, 2);
  gui::PumpFor(50);
  PopupProbe::Current() = nullptr;
  ASSERT_TRUE(probe.ran);
  EXPECT_TRUE(saved);
  EXPECT_TRUE(open);
  EXPECT_EQ(openInBar, 1);
  EXPECT_FALSE(function->IsPopupOpen());
  EXPECT_EQ(bar.OpenPopupCount(), 0);
}

TEST(MenuSkin, NoHandMadeHotTrackingFromVersionSix) {
  if (IsMenuHotTrackSystem()) GTEST_SKIP() << "the system reports a version before 6";
  SkinnedDialog d;
  RECT item;
  ASSERT_TRUE(::GetMenuItemRect(d.dlg.m_hWnd, d.Bar(), 1, &item));
  LRESULT hit = ::SendMessageA(d.dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(item.left + 3, item.top + 3));
  EXPECT_EQ(hit, HTMENU);
  EXPECT_EQ(d.dlg.m_menubarItemIndex, -1);
  EXPECT_EQ(d.dlg.m_TimerID, 0u);
}

TEST(MenuSkin, FreeTimerTakesTheFirstFreeIdFrom31) {
  SkinnedDialog d;
  EXPECT_EQ(SetFreeTimer(reinterpret_cast<HWND>(0x1234), 100), 0u);
  EXPECT_EQ(SetFreeTimer(nullptr, 100), 0u);
  UINT_PTR id = SetFreeTimer(d.dlg.m_hWnd, 10);
  EXPECT_NE(id, 0u);
  // The tick arrives with id 31 (looked for in the queue, not dispatched).
  MSG msg{};
  bool ticked = false;
  for (DWORD start = ::GetTickCount(); !ticked && ::GetTickCount() - start < 2000;) {
    if (::PeekMessageA(&msg, d.dlg.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE))
      ticked = msg.wParam == 31;
    else
      ::Sleep(5);
  }
  EXPECT_TRUE(ticked);
  ::KillTimer(d.dlg.m_hWnd, 31);
}

TEST(MenuSkin, LastErrorBoxShowsTheSystemText) {
  gui::MessageBoxScript boxes;
  ::SetLastError(0);
  ShowLastErrorBox();
  EXPECT_EQ(boxes.Count(), 0u);
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  ShowLastErrorBox();
  ::SetLastError(0x2BADC0DE);
  ShowLastErrorBox();
  auto shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].caption, "Error");
  EXPECT_FALSE(shown[0].text.empty());
  EXPECT_EQ(shown[0].text.find("Error message"), std::string::npos);
  EXPECT_EQ(shown[1].caption, "Error");
  EXPECT_EQ(shown[1].text, "Error message 0x2badc0de not found");
}

TEST(MenuSkin, ClassesKeepTheirRunTimeRecords) {
  struct Case {
    const CRuntimeClass* cls;
    const char* name;
    const CRuntimeClass* base;
  } cases[] = {
      {RUNTIME_CLASS(CNewDialog), "CNewDialog", RUNTIME_CLASS(CDialog)},
      {RUNTIME_CLASS(CNewFrameWnd), "CNewFrameWnd", RUNTIME_CLASS(CFrameWnd)},
      {RUNTIME_CLASS(CNewMDIFrameWnd), "CNewMDIFrameWnd", RUNTIME_CLASS(CMDIFrameWnd)},
      {RUNTIME_CLASS(CNewMiniFrameWnd), "CNewMiniFrameWnd", RUNTIME_CLASS(CMiniFrameWnd)},
      {RUNTIME_CLASS(CNewMDIChildWnd), "CNewMDIChildWnd", RUNTIME_CLASS(CMDIChildWnd)},
      {RUNTIME_CLASS(CNewMiniDockFrameWnd), "CNewMiniDockFrameWnd", RUNTIME_CLASS(CMiniDockFrameWnd)},
      {RUNTIME_CLASS(CNewMultiDocTemplate), "CNewMultiDocTemplate", RUNTIME_CLASS(CMultiDocTemplate)},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(c.cls->m_lpszClassName, c.name);
    EXPECT_TRUE(c.cls->IsDerivedFrom(c.base)) << c.name;
  }
  CNewMenuItemData data;
  data.m_szMenuText = "Exit System";
  EXPECT_STREQ(data.Dump(), "MenuItem: Exit System");
  EXPECT_EQ(data.m_nImageIndex, -1);
}

TEST(MenuSkin, FrameWithAMenuBarIsSkinnedToo) {
  CNewFrameWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, "Skinned frame", WS_OVERLAPPEDWINDOW, CRect(60, 60, 400, 260), nullptr,
                           MAKEINTRESOURCEA(IDR_SKINNED_MENU)));
  EXPECT_EQ(frame.m_SystemNewMenu.m_hMenu, ::GetSystemMenu(frame.m_hWnd, FALSE));
  ASSERT_TRUE(frame.m_DefaultNewMenu.LoadMenuHandle(::GetMenu(frame.m_hWnd)));
  EXPECT_TRUE(CNewMenu::IsMenuBar(frame.m_DefaultNewMenu.m_hMenu));
  frame.DestroyWindow();
  EXPECT_EQ(frame.m_DefaultNewMenu.m_hMenu, nullptr);
  EXPECT_EQ(frame.m_SystemNewMenu.m_hMenu, nullptr);
}
