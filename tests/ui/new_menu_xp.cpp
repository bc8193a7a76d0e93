// Menu-bar hot tracking, which the skin does itself on systems before
// version 6. Run with Wine reporting Windows XP for this program (its
// per-program version setting is made by the test's set-up step).
#include "NewDialog.h"
#include "gui_kit.h"
#include "new_menu_resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records the menu draw requests the dialog gets.
class RecordingDialog : public CNewDialog {
public:
  RecordingDialog() : CNewDialog(IDD_SKINNED_DIALOG) {}
  struct Draw {
    HMENU menu;
    ULONG_PTR data;
    UINT state;
  };
  std::vector<Draw> draws;
  // The state of the last draw request of the bar item at `pos`, -1 none.
  int LastState(int pos) const {
    ULONG_PTR data = ULONG_PTR(m_DefaultNewMenu.GetItemDataAt(pos));
    for (auto it = draws.rbegin(); it != draws.rend(); ++it)
      if (it->menu == m_DefaultNewMenu.m_hMenu && it->data == data) return int(it->state);
    return -1;
  }
protected:
  afx_msg void OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
    if (dis->CtlType == ODT_MENU) draws.push_back({reinterpret_cast<HMENU>(dis->hwndItem), dis->itemData, dis->itemState});
    CNewDialog::OnDrawItem(id, dis);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingDialog, CNewDialog)
  ON_WM_DRAWITEM()
END_MESSAGE_MAP()

POINT Center(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace

TEST(MenuHotTrackXp, VersionIsXp) {
  EXPECT_EQ(GetWinVersion(), 7);
  EXPECT_TRUE(IsMenuHotTrackSystem());
}

TEST(MenuHotTrackXp, BarItemUnderThePointerIsRedrawnHotAndClearedWhenItLeaves) {
  ASSERT_TRUE(IsMenuHotTrackSystem()) << "the set-up step did not make Wine report XP";
  gui::InitControls();
  RecordingDialog dlg;
  ASSERT_TRUE(dlg.Create(IDD_SKINNED_DIALOG));
  ::SetWindowPos(dlg.m_hWnd, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  // The hot item follows the real pointer over the bar.
  gui::PointerLock pointer(dlg.m_hWnd);
  ASSERT_TRUE(pointer.Held());
  ::SetForegroundWindow(dlg.m_hWnd);
  ::SetFocus(dlg.m_hWnd);
  gui::PumpFor(100);
  HMENU bar = ::GetMenu(dlg.m_hWnd);
  RECT item1, item2, client;
  ASSERT_TRUE(::GetMenuItemRect(dlg.m_hWnd, bar, 1, &item1));
  ASSERT_TRUE(::GetMenuItemRect(dlg.m_hWnd, bar, 2, &item2));
  POINT on1 = Center(item1), on2 = Center(item2);
  bool focusInside = ::GetFocus() == dlg.m_hWnd || ::IsChild(dlg.m_hWnd, ::GetFocus());
  UINT hot = focusInside ? 64 : 192, normal = focusInside ? 0 : 128;

  // The pointer rests on item 1: a hit test there makes it hot.
  ::SetCursorPos(on1.x, on1.y);
  dlg.draws.clear();
  LRESULT hit = ::SendMessageA(dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(on1.x, on1.y));
  EXPECT_EQ(hit, HTMENU);
  EXPECT_EQ(dlg.m_menubarItemIndex, 1);
  EXPECT_EQ(dlg.LastState(1), int(hot));
  EXPECT_GE(dlg.m_TimerID, 31u);
  EXPECT_LE(dlg.m_TimerID, 99u);

  // Moving to item 2: item 1 is drawn normal again, item 2 hot.
  ::SetCursorPos(on2.x, on2.y);
  ::SendMessageA(dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(on2.x, on2.y));
  EXPECT_EQ(dlg.m_menubarItemIndex, 2);
  EXPECT_EQ(dlg.LastState(1), int(normal));
  EXPECT_EQ(dlg.LastState(2), int(hot));

  // The pointer leaves the bar: the timer's hit test clears the hot item.
  ::GetClientRect(dlg.m_hWnd, &client);
  POINT away{client.right / 2, client.bottom / 2};
  ::ClientToScreen(dlg.m_hWnd, &away);
  ::SetCursorPos(away.x, away.y);
  EXPECT_TRUE(gui::PumpUntil([&] { return dlg.m_menubarItemIndex == -1; }, 2000));
  EXPECT_EQ(dlg.LastState(2), int(normal));
  EXPECT_EQ(dlg.m_TimerID, 0u);

  // Inside a menu loop the bar is the system's: nothing is hot-tracked.
  ::SendMessageA(dlg.m_hWnd, WM_ENTERMENULOOP, FALSE, 0);
  ::SendMessageA(dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(on1.x, on1.y));
  EXPECT_EQ(dlg.m_menubarItemIndex, -1);
  ::SendMessageA(dlg.m_hWnd, WM_EXITMENULOOP, FALSE, 0);
  ::SetCursorPos(on1.x, on1.y);
  ::RedrawWindow(dlg.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  ::SendMessageA(dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(on1.x, on1.y));
  EXPECT_EQ(dlg.m_menubarItemIndex, 1);
  RECT win;
  ::GetWindowRect(dlg.m_hWnd, &win);
  gui::PumpFor(150);   // the drawing reaches the screen
  EXPECT_TRUE(gui::SaveScreenBitmap(win, gui::OutputPath("skinned_dialog_hot_item.bmp")));
  dlg.DestroyWindow();
  EXPECT_EQ(dlg.m_TimerID, 0u);
}

TEST(MenuHotTrackXp, SystemMenuCommandsAreRenumberedWhileTheirPopupIsOpen) {
  ASSERT_EQ(GetWinVersion(), 7);
  CNewMenu sys;
  ASSERT_TRUE(sys.CreatePopupMenu());
  sys.AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
  sys.AppendMenu(MF_STRING, SC_MOVE, "&Move");
  sys.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
  sys.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
  sys.SetIsSystemMenu(TRUE);
  auto ids = [&] {
    std::vector<UINT> v;
    for (int i = 0; i < 4; ++i) v.push_back(::GetMenuItemID(sys.m_hMenu, i));
    return v;
  };
  const std::vector<UINT> original{SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_CLOSE};
  sys.OnMenuPopupInit();
  EXPECT_EQ(ids(), (std::vector<UINT>{SC_RESTORE + 1, SC_MOVE, SC_MINIMIZE + 1, SC_CLOSE + 1}));
  sys.OnMenuPopupInit();   // opened again without closing: no second step
  EXPECT_EQ(ids(), (std::vector<UINT>{SC_RESTORE + 1, SC_MOVE, SC_MINIMIZE + 1, SC_CLOSE + 1}));
  sys.OnMenuPopupExit();
  EXPECT_EQ(ids(), original);
  // Any other menu keeps its ids.
  CNewMenu plain;
  plain.CreatePopupMenu();
  plain.AppendMenu(MF_STRING, SC_CLOSE, "&Close");
  plain.OnMenuPopupInit();
  EXPECT_EQ(::GetMenuItemID(plain.m_hMenu, 0), UINT(SC_CLOSE));
}
