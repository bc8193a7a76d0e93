// The device tree under Xvfb: state codes to pictures, the pictures on the
// screen, and the notice of a check-box click.
#include <gtest/gtest.h>

#include "TreeCtrlEx.h"
#include "gui_kit.h"
#include "hosted_test.h"

namespace {

const COLORREF kLive = RGB(64, 184, 104);   // the lamp of a live device (513)

class TreeTest : public HostedTest<240, 200> {
protected:
  void SetUp() override {
    HostedTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                TVS_CHECKBOXES | TVS_SHOWSELALWAYS,
                            CRect(0, 0, 240, 200), &host, 1203));
    ASSERT_TRUE(tree.LoadStateImages());
    device = tree.InsertItem("Gate DVR");
    channel = tree.InsertItem("Channel 1", device);
    tree.Expand(device, TVE_EXPAND);
    tree.SetItemState(device, 513);
    tree.SetItemState(channel, 515);
    gui::PumpFor(50);
  }
  int Image(HTREEITEM item) {
    int image = -1, selected = -1;
    tree.GetItemImage(item, image, selected);
    EXPECT_EQ(image, selected);
    return image;
  }
  // First x on the item's row whose hit test gives `part`; -1 when none.
  int FindPart(HTREEITEM item, UINT part, int* y) {
    CRect label;
    tree.GetItemRect(item, &label, TRUE);
    *y = (label.top + label.bottom) / 2;
    for (int x = 0; x < label.right; ++x) {
      UINT flags = 0;
      if (tree.HitTest(CPoint(x, *y), &flags) == item && (flags & part)) return x;
    }
    return -1;
  }
  int Notices() {
    gui::PumpFor(30);
    int n = 0;
    for (const Notice& m : host.m_notices) n += m.message == CTreeCtrlEx::kCheckClickMessage;
    return n;
  }
  // A click as the tree sees it: the release waits in the queue so the
  // tree's drag detection ends at once.
  void Click(int x, int y) {
    tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    gui::PumpFor(30);
  }
  CTreeCtrlEx tree;
  HTREEITEM device = nullptr, channel = nullptr;
};

TEST(TreeCodes, CodeToImageTable) {
  const struct {
    int code, image;
  } table[] = {{513, 0}, {514, 1}, {515, 2}, {516, 3}, {534, 4}, {544, 5}, {543, 6},
               {517, -1}, {600, -1}, {0, -1}, {-513, -1}};
  for (auto& row : table) EXPECT_EQ(row.image, CTreeCtrlEx::ImageOfCode(row.code)) << row.code;
  CTreeCtrlEx tree;
  EXPECT_STREQ("CTreeCtrlEx", tree.GetRuntimeClass()->m_lpszClassName);
  EXPECT_TRUE(tree.IsKindOf(RUNTIME_CLASS(CTreeCtrl)));
}

TEST_F(TreeTest, StateCodesSetBothImagesAndUnknownCodesChangeNothing) {
  EXPECT_EQ(7, tree.GetStateImages().GetImageCount());
  EXPECT_EQ(0, Image(device));
  EXPECT_EQ(2, Image(channel));
  EXPECT_TRUE(tree.SetItemState(channel, 543));
  EXPECT_EQ(6, Image(channel));
  EXPECT_FALSE(tree.SetItemState(channel, 517));
  EXPECT_FALSE(tree.SetItemState(channel, 600));
  EXPECT_EQ(6, Image(channel));
  // The tree's own state setter stays reachable.
  EXPECT_FALSE(tree.IsBold(device));
  tree.SetItemState(device, TVIS_BOLD, TVIS_BOLD);
  EXPECT_TRUE(tree.IsBold(device));
}

TEST_F(TreeTest, PicturesShowOnTheScreenWithBlackTransparent) {
  int y = 0;
  int x = FindPart(device, TVHT_ONITEMICON, &y);
  ASSERT_GE(x, 0);
  CRect row;
  tree.GetItemRect(device, &row, FALSE);
  bool lamp = false, black = false;
  tree.Invalidate();
  ::UpdateWindow(tree.m_hWnd);
  HDC dc = ::GetDC(tree.m_hWnd);
  for (int py = row.top; py < row.bottom; ++py)
    for (int px = x; px < x + 20; ++px) {
      COLORREF c = ::GetPixel(dc, px, py);
      lamp |= c == kLive;
      black |= c == RGB(0, 0, 0);
    }
  ::ReleaseDC(tree.m_hWnd, dc);
  EXPECT_TRUE(lamp);
  EXPECT_FALSE(black);
}

TEST_F(TreeTest, ACheckBoxClickSelectsTheItemThenTellsTheParentOnce) {
  HTREEITEM selectedWhenTold = nullptr;
  host.m_onNotice = [&](UINT msg) {
    if (msg == CTreeCtrlEx::kCheckClickMessage) selectedWhenTold = tree.GetSelectedItem();
  };
  tree.SelectItem(device);
  int y = 0;
  int x = FindPart(channel, TVHT_ONITEMSTATEICON, &y);
  ASSERT_GE(x, 0);
  EXPECT_FALSE(tree.GetCheck(channel));
  Click(x + 2, y);
  EXPECT_EQ(1, Notices());
  EXPECT_EQ(channel, selectedWhenTold);
  EXPECT_TRUE(tree.GetCheck(channel));   // the tree's own handling follows

  host.m_notices.clear();
  int lx = FindPart(device, TVHT_ONITEMLABEL, &y);
  ASSERT_GE(lx, 0);
  Click(lx + 3, y);
  EXPECT_EQ(0, Notices());
  int bx = FindPart(device, TVHT_ONITEMBUTTON, &y);
  ASSERT_GE(bx, 0);
  Click(bx + 1, y);
  EXPECT_EQ(0, Notices());
}

}  // namespace
