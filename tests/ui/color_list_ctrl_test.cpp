// The coloured list and its sort header: cell texts cut on character
// boundaries, marked and selected rows in their colours, the sort mark.
#include <gtest/gtest.h>

#include "ColorListCtrl.h"
#include "SortHeaderCtrl.h"
#include "gui_kit.h"
#include "hosted_test.h"

namespace {

// One pixel per byte: a GBK character is two pixels wide.
int ByteWidth(const char*, int n) { return n; }

TEST(CellText, ShortenedOnCharacterBoundaries) {
  const char* gbk = "\xC4\xE3\xBA\xC3" "ab";   // two GBK characters, then "ab"
  const struct {
    const char* text;
    int available;
    const char* shown;
  } table[] = {
      {"abc", 3, "abc"},                       // fits: unchanged
      {"abcdef", 5, "ab..."},
      {"abcdef", 1, "a..."},                   // one character is always kept
      {"x", 0, "x..."},
      {"", 0, ""},
      {gbk, 6, gbk},
      {gbk, 7, gbk},
      {gbk, 5, "\xC4\xE3..."},                 // never half a character
      {gbk, 4, "\xC4\xE3..."},
      {"a\xC4\xE3" "bcdef", 5, "a..."},       // the lead byte does not stay alone
      {"a\xC4\xE3" "bcdef", 6, "a\xC4\xE3..."},
      {"ab\xC4", 2, "a..."},                   // a lone lead byte at the end counts as one
  };
  for (auto& row : table)
    EXPECT_EQ(CString(row.shown), FitCellText(row.text, row.available, &ByteWidth, [](unsigned char b) {
                return b >= 0x81 && b <= 0xFE;
              })) << row.text << " in " << row.available;
  // The default rule of this system treats GBK lead bytes the same way.
  EXPECT_EQ(CString("\xC4\xE3..."), FitCellText(gbk, 5, &ByteWidth));
}

class ListTest : public HostedTest<320, 200> {
protected:
  void SetUp() override {
    HostedTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_ICON, CRect(0, 0, 320, 200), &host, 1064));
    ASSERT_EQ(DWORD(LVS_REPORT | LVS_OWNERDRAWFIXED), list.GetStyle() & (LVS_TYPEMASK | LVS_OWNERDRAWFIXED));
    list.InsertColumn(0, "Window", LVCFMT_LEFT, 80);
    list.InsertColumn(1, "Name", LVCFMT_LEFT, 140);
    for (int i = 0; i < 4; ++i) {
      list.InsertItem(i, "");
      list.SetItemText(i, 0, "");
      list.SetItemText(i, 1, "Gate");
    }
  }
  CColorListCtrl list;
};

TEST_F(ListTest, MarkingTwiceKeepsOneAndUnmarkingAnUnmarkedRowDoesNothing) {
  list.MarkRow(2);
  list.MarkRow(2);
  EXPECT_EQ(1, list.GetMarkedCount());
  list.UnmarkRow(3);
  EXPECT_EQ(1, list.GetMarkedCount());
  EXPECT_TRUE(list.IsRowMarked(2));
  list.UnmarkRow(2);
  EXPECT_FALSE(list.IsRowMarked(2));
  EXPECT_EQ(0, list.GetMarkedCount());
}

TEST_F(ListTest, RowsDrawnInTheirColoursOnAMemoryDC) {
  const COLORREF mark = RGB(0, 0, 255);   // 0xFF0000 as the card dialog sets it
  const COLORREF window = ::GetSysColor(COLOR_WINDOW);
  const COLORREF hi = ::GetSysColor(COLOR_HIGHLIGHT), hiText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
  list.SetMarkColor(mark);
  list.MarkRow(0);
  list.MarkRow(2);
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
  list.SetSelectionMark(-1);
  ASSERT_NE(list.m_hWnd, ::GetFocus());   // the list never had the focus
  const struct {
    int row;
    bool showSelectionAlways;
    COLORREF back, text;
  } table[] = {
      {0, true, window, mark},          // marked
      {1, true, hi, hiText},            // selected
      {2, true, hi, hiText},            // selected and marked
      {3, true, window, RGB(0, 0, 0)},  // plain
      {1, false, window, RGB(0, 0, 0)}, // selected, but the list shows it only with the focus
      {2, false, window, mark},
  };
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP canvas = ::CreateCompatibleBitmap(screen, 320, 20);
  HGDIOBJ old = ::SelectObject(mem, canvas);
  ::SelectObject(mem, ::GetStockObject(DEFAULT_GUI_FONT));
  for (const auto& want : table) {
    SCOPED_TRACE(testing::Message() << "row " << want.row << (want.showSelectionAlways ? " always" : ""));
    list.ModifyStyle(LVS_SHOWSELALWAYS, want.showSelectionAlways ? LVS_SHOWSELALWAYS : 0);
    CDC::FromHandle(mem)->FillSolidRect(0, 0, 320, 20, RGB(1, 2, 3));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTVIEW;
    dis.itemID = UINT(want.row);
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = list.m_hWnd;
    dis.hDC = mem;
    dis.rcItem = RECT{0, 0, 220, 20};
    list.DrawItem(&dis);
    // The row's background runs to the client width, past the last column.
    EXPECT_EQ(want.back, ::GetPixel(mem, 300, 10));
    EXPECT_EQ(want.back, ::GetPixel(mem, 1, 1));
    int text = 0, markText = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 80; x < 220; ++x) {
        COLORREF c = ::GetPixel(mem, x, y);
        text += c == want.text;
        markText += c == mark;
      }
    EXPECT_GT(text, 0);
    if (want.text != mark) {
      EXPECT_EQ(0, markText);
    }
  }
  ::SelectObject(mem, old);
  ::DeleteObject(canvas);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
}

TEST_F(ListTest, UntilTheFirstClickTheSelectionMarkRowIsDrawnFocused) {
  list.SetSelectionMark(2);
  HDC screen = ::GetDC(nullptr);
  HDC mem = ::CreateCompatibleDC(screen);
  HBITMAP canvas = ::CreateCompatibleBitmap(screen, 320, 20);
  HGDIOBJ old = ::SelectObject(mem, canvas);
  // Pixels of the row's top line that differ from its background: the
  // dotted focus rectangle.
  auto focusDots = [&](int row, UINT state) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_LISTVIEW;
    dis.itemID = UINT(row);
    dis.itemState = state;
    dis.hwndItem = list.m_hWnd;
    dis.hDC = mem;
    dis.rcItem = RECT{0, 0, 220, 20};
    list.DrawItem(&dis);
    int n = 0;
    for (int x = 0; x < 300; ++x) n += ::GetPixel(mem, x, 0) != ::GetSysColor(COLOR_WINDOW);
    return n;
  };
  EXPECT_GT(focusDots(2, 0), 0);
  EXPECT_EQ(0, focusDots(1, ODS_FOCUS));
  CRect r;
  ASSERT_TRUE(list.GetItemRect(0, &r, LVIR_LABEL));
  list.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(r.left + 2, r.top + 2));
  list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
  gui::PumpFor(30);
  EXPECT_EQ(0, focusDots(2, 0));
  EXPECT_GT(focusDots(1, ODS_FOCUS), 0);
  ::SelectObject(mem, old);
  ::DeleteObject(canvas);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
}

TEST_F(ListTest, SelectingARowRepaintsItsStripRightOfTheLastColumn) {
  list.ModifyStyle(0, LVS_SHOWSELALWAYS);
  list.Invalidate();
  gui::PumpFor(50);
  CRect row;
  ASSERT_TRUE(list.GetItemRect(1, &row, LVIR_BOUNDS));
  const int y = (row.top + row.bottom) / 2;
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), PixelAt(list.m_hWnd, 300, y));
  // The list itself invalidates only the columns of the row.
  list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  gui::PumpFor(50);
  EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), PixelAt(list.m_hWnd, 300, y));
  EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), PixelAt(list.m_hWnd, row.right - 2, y));
  list.SetItemState(1, 0, LVIS_SELECTED);
  gui::PumpFor(50);
  EXPECT_EQ(::GetSysColor(COLOR_WINDOW), PixelAt(list.m_hWnd, 300, y));
}

TEST_F(ListTest, SortMarkKeepsTheCaptionAndPointsTheWayOfTheSort) {
  CSortHeaderCtrl header;
  ASSERT_TRUE(header.SubclassWindow(list.GetHeaderCtrl()->m_hWnd));
  header.SetSortMark(1, TRUE);
  HDITEMA item{};
  item.mask = HDI_FORMAT;
  header.GetItem(1, &item);
  EXPECT_TRUE(item.fmt & HDF_OWNERDRAW);
  CRect cell;
  header.GetItemRect(1, &cell);
  const COLORREF ink = ::GetSysColor(COLOR_BTNTEXT);
  auto inkIn = [&](int left, int right, int top, int bottom) {
    header.Invalidate();
    gui::PumpFor(30);
    HDC dc = ::GetDC(header.m_hWnd);
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += ::GetPixel(dc, x, y) == ink;
    ::ReleaseDC(header.m_hWnd, dc);
    return n;
  };
  const int markLeft = cell.right - CColorListCtrl::kCellPadding - CSortHeaderCtrl::kMarkWidth;
  const int markTop = cell.top + (cell.Height() - CSortHeaderCtrl::kMarkHeight) / 2;
  // The caption "Name" left of the mark, and the mark.
  EXPECT_GT(inkIn(cell.left + 2, markLeft - 2, cell.top + 2, cell.bottom - 2), 5);
  EXPECT_GT(inkIn(markLeft, markLeft + CSortHeaderCtrl::kMarkWidth + 1, cell.top, cell.bottom), 5);
  // Ascending: the point is on top, the wide side below.
  EXPECT_EQ(0, inkIn(markLeft, markLeft + 2, markTop, markTop + 1));
  EXPECT_GT(inkIn(markLeft, markLeft + 2, markTop + CSortHeaderCtrl::kMarkHeight, markTop + CSortHeaderCtrl::kMarkHeight + 1), 0);
  header.SetSortMark(1, FALSE);
  EXPECT_GT(inkIn(markLeft, markLeft + 2, markTop, markTop + 1), 0);
  EXPECT_FALSE(header.IsAscending());
  header.UnsubclassWindow();
}

}  // namespace
