// A window with a row of skin buttons, the device tree and a coloured list
// with its sort mark, saved as a picture for a person to look at.
#include <gtest/gtest.h>

#include "ColorListCtrl.h"
#include "SkinButton.h"
#include "SortHeaderCtrl.h"
#include "TreeCtrlEx.h"
#include "gui_kit.h"
#include "ui_host.h"

namespace {

// A button face: a vertical blend from top to bottom with a dark border.
void Face(CBitmap& b, int w, int h, COLORREF top, COLORREF bottom) {
  HDC screen = ::GetDC(nullptr);
  b.Attach(::CreateCompatibleBitmap(screen, w, h));
  HDC mem = ::CreateCompatibleDC(screen);
  HGDIOBJ old = ::SelectObject(mem, b.m_hObject);
  CDC* dc = CDC::FromHandle(mem);
  for (int y = 0; y < h; ++y) {
    auto mix = [&](int a, int z) { return a + (z - a) * y / (h - 1); };
    dc->FillSolidRect(0, y, w, 1, RGB(mix(GetRValue(top), GetRValue(bottom)), mix(GetGValue(top), GetGValue(bottom)),
                                      mix(GetBValue(top), GetBValue(bottom))));
  }
  CBrush edge(RGB(18, 20, 26));
  CRect r(0, 0, w, h);
  dc->FrameRect(&r, &edge);
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
}

TEST(ToolkitPicture, ButtonsTreeAndListInOneWindow) {
  CTestHost host;
  ASSERT_TRUE(host.Make(560, 270, "UI toolkit"));

  CSkinButton buttons[5];
  const char* captions[5] = {"Play", "Stop", "Record", "Lamp", "Off"};
  {
    CBitmap up, over, down, off;
    Face(up, 96, 28, RGB(58, 66, 78), RGB(44, 50, 60));
    Face(over, 96, 28, RGB(28, 151, 234), RGB(0, 122, 204));
    Face(down, 96, 28, RGB(0, 122, 204), RGB(0, 90, 160));
    Face(off, 96, 28, RGB(80, 86, 96), RGB(56, 60, 70));
    for (int i = 0; i < 5; ++i) {
      ASSERT_TRUE(buttons[i].Create(captions[i], WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                    CRect(8 + i * 104, 8, 8 + i * 104 + 96, 36), &host, 2000 + i));
      buttons[i].SetBitmaps(&up, &down, &over, &off, 0, 1, 0, 0, 3);
      buttons[i].SetTextColor(RGB(230, 234, 240));
    }
  }
  buttons[3].SetState(1);
  buttons[4].EnableWindow(FALSE);

  CTreeCtrlEx tree;
  ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                              TVS_CHECKBOXES | TVS_SHOWSELALWAYS,
                          CRect(8, 46, 208, 262), &host, 1203));
  ASSERT_TRUE(tree.LoadStateImages());
  struct Item {
    const char* text;
    int code;
    int parent;   // -1 top level, else index of the device
  } items[] = {{"Gate DVR", 513, -1},      {"Entrance", 515, 0},     {"Car park", 544, 0},
               {"Stairs", 516, 0},         {"Loading bay", 543, 0},  {"Office camera", 534, -1},
               {"Lobby", 515, 5},          {"Warehouse DVS", 514, -1}};
  HTREEITEM made[8] = {};
  for (int i = 0; i < 8; ++i) {
    made[i] = tree.InsertItem(items[i].text, items[i].parent < 0 ? TVI_ROOT : made[items[i].parent]);
    tree.SetItemState(made[i], items[i].code);
  }
  tree.Expand(made[0], TVE_EXPAND);
  tree.Expand(made[5], TVE_EXPAND);
  tree.SetCheck(made[0], TRUE);
  tree.SetCheck(made[1], TRUE);
  tree.SelectItem(made[2]);

  CColorListCtrl list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_SHOWSELALWAYS, CRect(216, 46, 552, 262), &host, 1064));
  list.InsertColumn(0, "Window", LVCFMT_LEFT, 64);
  list.InsertColumn(1, "Channel", LVCFMT_LEFT, 130);
  list.InsertColumn(2, "Output", LVCFMT_CENTER, 70);
  const char* rows[6][3] = {{"1", "Gate DVR - Entrance", "1"},
                            {"2", "Gate DVR - Car park", "2"},
                            {"3", "Warehouse DVS - Loading bay and ramp", "-"},
                            {"4", "Office camera - Lobby", "3"},
                            {"5", "Gate DVR - Stairs", "-"},
                            {"6", "Office camera - Reception desk", "4"}};
  for (int r = 0; r < 6; ++r) {
    list.InsertItem(r, rows[r][0]);
    list.SetItemText(r, 1, rows[r][1]);
    list.SetItemText(r, 2, rows[r][2]);
  }
  list.SetMarkColor(RGB(0, 0, 255));
  list.MarkRow(1);
  list.MarkRow(3);
  list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  list.SetItemState(4, LVIS_SELECTED, LVIS_SELECTED);
  CSortHeaderCtrl header;
  ASSERT_TRUE(header.SubclassWindow(list.GetHeaderCtrl()->m_hWnd));
  header.SetSortMark(1, TRUE);

  gui::PumpFor(100);
  std::string path = gui::OutputPath("ui_toolkit.bmp");
  ASSERT_TRUE(gui::SaveWindowBitmap(host.m_hWnd, path));
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path.c_str(), st));
  EXPECT_GT(st.m_size, 500u * 250u * 3u);
  header.UnsubclassWindow();
}

}  // namespace
