// Owner-drawn menus painted by the selected menu theme, and the skin: a
// per-thread window-procedure hook that subclasses every popup-menu window
// ("#32768") so that the theme paints its frame, background and shadow.
#pragma once

#include <afxwin.h>
#include <afxcmn.h>

#include <memory>
#include <vector>

class CNewMenu;

// One per item of a CNewMenu.
class CNewMenuItemData : public CObject {
  DECLARE_DYNAMIC(CNewMenuItemData)
public:
  CNewMenuItemData() = default;
  ~CNewMenuItemData() override;
  CNewMenuItemData(const CNewMenuItemData&) = delete;
  CNewMenuItemData& operator=(const CNewMenuItemData&) = delete;
  // "MenuItem: " and the text.
  CString Dump() const;

  CString m_szMenuText;
  UINT m_nID = 0;
  int m_nImageIndex = -1;                // -1: no image
  BOOL m_bOwnsImageList = FALSE;
  CImageList* m_pImageList = nullptr;
  // Read back from the item at each conversion.
  UINT m_nFlags = 0;                     // menu state flags (GetMenuState)
  UINT m_nType = 0;                      // item type (MFT_*), without MFT_OWNERDRAW
  HMENU m_hSubMenu = nullptr;            // the popup this item opens
};

class CNewMenu : public CMenu {
public:
  CNewMenu();
  ~CNewMenu() override;

  // The current theme's draw and measure operations.
  void DrawItem(LPDRAWITEMSTRUCT dis) override;
  void MeasureItem(LPMEASUREITEMSTRUCT mis) override { MeasureItem(mis, IsMenuBar(m_hMenu)); }
  virtual void MeasureItem(LPMEASUREITEMSTRUCT mis, BOOL menuBar);
  virtual BOOL LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEA(id)); }
  virtual BOOL LoadMenu(LPCSTR name);
  // Attaches the menu, wraps every popup in a CNewMenu of its own and makes
  // every item owner-drawn.
  virtual BOOL LoadMenuHandle(HMENU menu);
  // Deletes the popups' wrappers and all item data.
  virtual void DestroyMenuData();
  // Fills the menu window's client rectangle with the menu background colour.
  virtual BOOL EraseMenuBackground(HWND menuWnd, HDC dc);
  virtual void OnMenuPopupInit();
  virtual void OnMenuPopupExit();

  BOOL CreateMenu();
  BOOL CreatePopupMenu();
  BOOL DestroyMenu();
  // Always owner-drawn (an id of 0 is a separator). toolbarId >= 0 takes the
  // image of the same command id from that toolbar resource. Position -1
  // appends; by command, the item goes into the popup holding that command.
  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr, int toolbarId = -1);
  BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr, int toolbarId = -1);
  BOOL DeleteMenu(UINT item, UINT flags);
  // Depth-first: the menu holding the command and its position (null, -1).
  CNewMenu* FindMenuOwner(UINT id, int* position = nullptr);
  void SetMenuBackColor(COLORREF color);
  // The colour set by SetMenuBackColor, else GetMenuBackColor().
  COLORREF GetMenuBackColorOf() const;
  void SetIsSystemMenu(BOOL sys) { m_bSystemMenu = sys; }
  // Re-reads every item and rebuilds the item data: each item owner-drawn
  // with a data object of its own.
  void ConvertItems();

  static CNewMenu* FromHandleNew(HMENU menu);
  static BOOL IsMenuBar(HMENU menu);
  // Some window of this thread has the menu as its menu bar.
  static BOOL IsWindowMenu(HMENU menu);
  // For a menu measure request (the current message of the owner): finds
  // the owning CNewMenu among the thread's last popup, the window's menu and
  // its system menu. TRUE when measured.
  static BOOL OnMeasureItem(const MSG* msg);
  static void OnInitMenuPopup(HWND owner, CMenu* popup, UINT index, BOOL sysMenu);
  static LRESULT OnMenuChar(UINT ch, UINT flags, CMenu* menu);
  // The owner window of the last popup opened on this thread.
  static HWND LastMenuOwner();
  // Paints the window's menu bar beyond its last item in the bar menu's
  // background colour (when one is set). Windows fills that part with the
  // menu's background brush; Wine fills it with the system menu colour
  // whatever the brush, so the skin paints it after the frame is drawn.
  static void PaintBarBeyondItems(HWND owner);

  int GetItemDataCount() const { return int(m_MenuItemList.size()); }
  CNewMenuItemData* GetItemDataAt(int i) const { return m_MenuItemList[size_t(i)].get(); }
  BOOL OwnsItemData(const void* data) const;
  // This menu or a popup below it that owns the item data.
  CNewMenu* FindDataOwner(const void* data);
  HMENU GetParentMenu() const { return m_hParentMenu; }
  BOOL IsPopupOpen() const { return m_bIsPopupMenu; }
  int OpenPopupCount() const { return m_nOpenMenus; }
  const std::vector<HMENU>& SubMenus() const { return m_SubMenus; }

  CSize m_iconSize{16, 15};

protected:
  BOOL AddItem(UINT position, BOOL append, UINT flags, UINT_PTR id, LPCSTR text, int toolbarId);
  CNewMenu* AdoptSubMenu(HMENU sub);
  void RedrawBarArea();
  void RenumberSystemCommands(int delta);

  std::vector<std::unique_ptr<CNewMenuItemData>> m_MenuItemList;
  std::vector<HMENU> m_SubMenus;
  std::vector<std::unique_ptr<CNewMenu>> m_OwnedSubMenus;
  COLORREF m_menuColor = 0xFF000000;     // not set
  HBRUSH m_hBackBrush = nullptr;
  HMENU m_hParentMenu = nullptr;
  BOOL m_bIsPopupMenu = FALSE;           // this popup is open
  int m_nOpenMenus = 0;                  // open popups of this menu
  BOOL m_bMenuBar = FALSE;
  BOOL m_bSystemMenu = FALSE;
};

// Installs the skin: "GradientFill" from msimg32, the six themes (theme 3
// selected) and, once, the window-procedure hook on the calling thread.
// Throws std::bad_alloc after showing the error when the hook cannot be set.
BOOL InstallSkin();
void UninstallSkin();
BOOL IsSkinInstalled();

// A timer on the window with the first id from 31 to 99 that can be set; 0
// when the window does not exist or no id could be set.
UINT_PTR SetFreeTimer(HWND window, UINT elapse);
// Sends the window a draw request for an owner-drawn menu-bar item with the
// given state (64 hot, 128 inactive, 192 both). 0 on failure.
BOOL RedrawMenuBarItem(HWND window, HMENU menuBar, UINT index, UINT itemState);
// 0-7 version code of the system, computed once at load.
int GetWinVersion();
// The system's major version below 6: menu bars are hot-tracked by hand.
BOOL IsMenuHotTrackSystem();
COLORREF GetMenuBackColor();
// The system's text of the last error in a box titled "Error"; nothing when
// the last error is 0.
void ShowLastErrorBox();
// Fills a rectangle from start to end colour, top to bottom (0) or left to
// right (1): with "GradientFill" when loaded, else in 4-pixel bands.
void FillGradient(HDC dc, const RECT& r, COLORREF start, COLORREF end, int direction);
BOOL IsGradientFillLoaded();
