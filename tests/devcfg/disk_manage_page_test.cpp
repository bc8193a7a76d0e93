// The disk management page: disabled from the start, its checks before a
// format, the browse path, and rows that no disk record stands behind.
#include "page_kit.h"

namespace {
void AddRow(HWND list, int row, const char* text, LPARAM data) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<char*>(text);
  item.lParam = data;
  ListView_InsertItem(list, &item);
}
void Command(HWND page, int id) { SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
}  // namespace

TEST_F(PageTest, DiskPageChecksAndBrowsePath) {
  Open();
  dlg->ShowPage(kPageDisk);
  HWND page = dlg->DiskPage().GetSafeHwnd();
  EXPECT_TRUE(IsWindowVisible(page));
  for (int id : {IDC_DISK_LIST, IDC_DISK_FILES, IDC_DISK_FORMAT_CHECK, IDC_DISK_FORMAT, IDC_DISK_BROWSE_ROOT,
                 IDC_DISK_UP_LEVEL})
    EXPECT_FALSE(IsWindowEnabled(gui::Control(page, id))) << id;
  gui::SaveWindowBitmap(hwnd, gui::OutputPath("frontend_settings_disk.bmp"));

  HWND disks = gui::Control(page, IDC_DISK_LIST);
  gui::MessageBoxScript boxes({IDOK, IDOK, IDOK, IDNO, IDYES});
  Command(page, IDC_DISK_FORMAT);
  // Rows a producer might show, with no disk records behind them.
  for (int row = 0; row < 3; ++row) AddRow(disks, row, std::to_string(row + 1).c_str(), 0);
  ListView_SetItemState(disks, 2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetSelectionMark(disks, 2);
  EXPECT_EQ(ListView_GetCheckState(disks, 2), TRUE) << "the selected disk is the ticked one";
  EXPECT_EQ(ListView_GetCheckState(disks, 0), FALSE);
  Command(page, IDC_DISK_BROWSE_ROOT);  // no record behind row 2: refused, not read
  main.m_pConfig->devices[0].loginWord1 = 0;
  Command(page, IDC_DISK_FORMAT);
  main.m_pConfig->devices[0].loginWord1 = kLevelAdministrator;
  Command(page, IDC_DISK_FORMAT);  // No
  Command(page, IDC_DISK_FORMAT);  // Yes
  const auto b = boxes.Boxes();
  std::string all;
  for (const auto& x : b) all += x.text + "\n";
  ASSERT_EQ(b.size(), 6u) << all;
  EXPECT_EQ(b[0].text, "Please select the disk item to format!");
  EXPECT_EQ(b[1].text, "Please select the disk item to browse!");
  EXPECT_EQ(b[2].text, "You have no power to format disk!");
  EXPECT_EQ(b[2].caption, "WARNING");
  EXPECT_EQ(b[3].text, "Are you sure you want to format disk \"3\" ?");
  EXPECT_EQ(b[3].type & MB_DEFMASK, UINT(MB_DEFBUTTON2));
  EXPECT_EQ(b[4].text, b[3].text);
  EXPECT_EQ(b[5].text, "This request is not sent to the front end device: the device was not changed!");

  // Folders opened by double clicks, then up again; "/" at the start stays.
  HWND files = gui::Control(page, IDC_DISK_FILES);
  for (const char* folder : {"rec", "2026"}) {
    AddRow(files, 0, folder, 1);
    ListView_SetItemState(files, 0, LVIS_SELECTED, LVIS_SELECTED);
    gui::Notify(page, IDC_DISK_FILES, NM_DBLCLK);
    EXPECT_EQ(ListView_GetItemCount(files), 0);
  }
  AddRow(files, 0, "clip.264", 0);  // a file: not opened
  ListView_SetItemState(files, 0, LVIS_SELECTED, LVIS_SELECTED);
  gui::Notify(page, IDC_DISK_FILES, NM_DBLCLK);
  EXPECT_EQ(dlg->DiskPage().BrowsePath(), "/rec/2026");
  const char* const ups[] = {"/rec", "/rec"};
  for (const char* up : ups) {
    Command(page, IDC_DISK_UP_LEVEL);
    EXPECT_EQ(dlg->DiskPage().BrowsePath(), up);
  }
  EXPECT_EQ(boxes.Count(), 6u);
}
