// The skin button under Xvfb: state pictures read back from the screen,
// mask regions, press and release notices, the tooltip and GDI ownership.
#include <gtest/gtest.h>

#include "SkinButton.h"
#include "gdi_count.h"
#include "gui_kit.h"
#include "hosted_test.h"

namespace {

const int kMaskId = 21590;   // skin_button_test.rc: 40 x 24, left 10 columns white
const int kWhiteMaskId = 21591;   // 8 x 8, all white
const UINT kNotify = WM_APP + 5;
const COLORREF kNormal = RGB(200, 40, 40);
const COLORREF kPressed = RGB(40, 200, 40);
const COLORREF kHover = RGB(40, 40, 200);
const COLORREF kDisabled = RGB(200, 200, 40);

// A screen-compatible bitmap filled with one colour, or with `right` from
// column split on.
void MakeBitmap(CBitmap& b, int w, int h, COLORREF color, int split = -1, COLORREF right = 0) {
  HDC screen = ::GetDC(nullptr);
  b.Attach(::CreateCompatibleBitmap(screen, w, h));
  HDC mem = ::CreateCompatibleDC(screen);
  HGDIOBJ old = ::SelectObject(mem, b.m_hObject);
  CDC::FromHandle(mem)->FillSolidRect(0, 0, w, h, color);
  if (split >= 0) CDC::FromHandle(mem)->FillSolidRect(split, 0, w - split, h, right);
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
}

// A 32-bit bitmap from rows of 0x00RRGGBB pixels.
HBITMAP MaskOf(int w, int h, const std::vector<uint32_t>& pixels) {
  return ::CreateBitmap(w, h, 1, 32, pixels.data());
}

class SkinButtonTest : public HostedTest<320, 120> {
protected:
  // Hover, the held press and the tooltip follow the real pointer and need
  // the host to be the window under it: the suite holds the display's
  // pointer with its host kept above other test programs' windows.
  static void SetUpTestSuite() {
    s_pointer = new gui::PointerLock();
    HostedTest::SetUpTestSuite();
    if (!s_pointer->Held() || !s_host) return;
    // In the screen's bottom right corner, away from the other tests'
    // windows (top left and centre): a window of another program under the
    // pointer would hear its moves and report them to the system late.
    CRect r;
    s_host->GetWindowRect(&r);
    s_host->SetWindowPos(nullptr, ::GetSystemMetrics(SM_CXSCREEN) - r.Width() - 8,
                         ::GetSystemMetrics(SM_CYSCREEN) - r.Height() - 8, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    s_pointer->KeepOnTop(s_host->m_hWnd);
  }
  static void TearDownTestSuite() {
    HostedTest::TearDownTestSuite();
    delete s_pointer;
    s_pointer = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(s_pointer && s_pointer->Held()) << "another test program kept the pointer";
    HostedTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(gdicount::Install());
  }
  static inline gui::PointerLock* s_pointer = nullptr;
  // A 40 x 24 owner-drawn button at (x, y) with the four test pictures,
  // which are deleted again before the button draws.
  void MakeButton(CSkinButton& b, int x, int y, bool allPictures = true, UINT maskId = 0, int mode = 1) {
    ASSERT_TRUE(b.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(x, y, x + 40, y + 24), &host, 1000 + x));
    CBitmap normal, pressed, hover, disabled;
    MakeBitmap(normal, 40, 24, kNormal);
    MakeBitmap(pressed, 40, 24, kPressed);
    MakeBitmap(hover, 40, 24, kHover);
    MakeBitmap(disabled, 40, 24, kDisabled);
    if (allPictures)
      b.SetBitmaps(&normal, &pressed, &hover, &disabled, maskId, mode);
    else
      b.SetBitmaps(&normal, nullptr, nullptr, nullptr, maskId, mode);
  }
  COLORREF At(CSkinButton& b, int x, int y) {
    b.Invalidate(FALSE);
    gui::PumpFor(30);
    return PixelAt(b.m_hWnd, x, y);
  }
};

// Puts the pointer on client point pt of w and sends the move there.
void PointerTo(CWnd& w, CPoint pt, WPARAM keys = 0) {
  CPoint screen(pt);
  w.ClientToScreen(&screen);
  ::SetCursorPos(screen.x, screen.y);
  w.SendMessage(WM_MOUSEMOVE, keys, MAKELPARAM(pt.x, pt.y));
}

// Tries up to five times to see `want` at (5, 5) of b with the pointer put
// at pt.
bool ShowsWithPointerAt(CSkinButton& b, CPoint pt, WPARAM keys, COLORREF want) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    PointerTo(b, pt, keys);
    b.Invalidate(FALSE);
    gui::PumpFor(30);
    if (PixelAt(b.m_hWnd, 5, 5) == want) return true;
  }
  return false;
}

TEST(SkinButtonRegion, MaskTable) {
  const uint32_t W = 0xFFFFFF, B = 0, G = 0x808080;
  struct Case {
    const char* what;
    int w, h;
    std::vector<uint32_t> pixels;
    int complexity;
    RECT box;
  } cases[] = {
      {"all white", 4, 4, std::vector<uint32_t>(16, W), NULLREGION, {0, 0, 0, 0}},
      {"black 2x2 at (1,1)", 4, 4, {W, W, W, W, W, B, B, W, W, B, B, W, W, W, W, W}, SIMPLEREGION, {1, 1, 3, 3}},
      {"run to the row's end", 4, 2, {W, W, B, B, W, W, W, W}, SIMPLEREGION, {2, 0, 4, 1}},
      {"grey is not transparent", 3, 1, {W, G, W}, SIMPLEREGION, {1, 0, 2, 1}},
      {"two rows, two runs", 3, 2, {B, W, W, W, W, B}, COMPLEXREGION, {0, 0, 3, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HBITMAP mask = MaskOf(c.w, c.h, c.pixels);
    HRGN r = CreateRegionFromBitmap(mask, RGB(255, 255, 255));
    ASSERT_NE(nullptr, r);
    CRect box;
    EXPECT_EQ(c.complexity, ::GetRgnBox(r, &box));
    EXPECT_EQ(CRect(c.box), box);
    ::DeleteObject(r);
    ::DeleteObject(mask);
  }
}

TEST(SkinButtonRegion, RunsBeyondOneBlockAllCount) {
  // 50 one-pixel runs: more than one block of 40 rectangles.
  std::vector<uint32_t> px(100);
  for (int x = 0; x < 100; ++x) px[x] = x % 2 ? 0xFFFFFF : 0;
  HBITMAP mask = MaskOf(100, 1, px);
  HRGN r = CreateRegionFromBitmap(mask, RGB(255, 255, 255));
  ASSERT_NE(nullptr, r);
  DWORD size = ::GetRegionData(r, 0, nullptr);
  std::vector<BYTE> data(size);
  ASSERT_EQ(size, ::GetRegionData(r, size, reinterpret_cast<RGNDATA*>(data.data())));
  EXPECT_EQ(50u, reinterpret_cast<RGNDATA*>(data.data())->rdh.nCount);
  EXPECT_TRUE(::PtInRegion(r, 98, 0));
  EXPECT_FALSE(::PtInRegion(r, 99, 0));
  ::DeleteObject(r);
  ::DeleteObject(mask);
}

TEST(SkinButtonBitmaps, CopyBitmapPart) {
  CBitmap src, part, empty;
  MakeBitmap(src, 20, 10, kNormal, 10, kPressed);
  EXPECT_FALSE(CopyBitmapPart(nullptr, &part, 0, 0, 1, 1));
  EXPECT_FALSE(CopyBitmapPart(&empty, &part, 0, 0, 1, 1));
  EXPECT_FALSE(CopyBitmapPart(&src, nullptr, 0, 0, 1, 1));
  ASSERT_TRUE(CopyBitmapPart(&src, &part, 8, 2, 14, 10));
  EXPECT_EQ(6, GetBitmapWidth(&part));
  EXPECT_EQ(8, GetBitmapHeight(&part));
  HDC mem = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(mem, part.m_hObject);
  EXPECT_EQ(kNormal, ::GetPixel(mem, 1, 0));
  EXPECT_EQ(kPressed, ::GetPixel(mem, 2, 7));
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  // A second copy replaces the target's bitmap.
  HGDIOBJ first = part.m_hObject;
  ASSERT_TRUE(CopyBitmapPart(&src, &part, 0, 0, 3, 3));
  EXPECT_EQ(0u, ::GetObjectType(first));
  EXPECT_EQ(3, GetBitmapWidth(&part));
}

TEST_F(SkinButtonTest, EachStateShowsItsPictureAfterTheCallerDeletedItsOwn) {
  CSkinButton b;
  MakeButton(b, 10, 10);
  EXPECT_EQ(kNormal, At(b, 5, 5));
  b.CButton::SetState(TRUE);   // pushed
  EXPECT_EQ(kPressed, At(b, 5, 5));
  b.CButton::SetState(FALSE);
  b.SetState(1);   // lamp lit
  EXPECT_EQ(kPressed, At(b, 5, 5));
  b.SetState(0);
  EXPECT_EQ(kNormal, At(b, 5, 5));
  // Hover: the pointer really over the button, then a move.
  EXPECT_TRUE(ShowsWithPointerAt(b, CPoint(20, 12), 0, kHover));
  b.EnableWindow(FALSE);   // disabled: no hover picture
  EXPECT_EQ(kDisabled, At(b, 5, 5));
  b.EnableWindow(TRUE);
  b.SendMessage(WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(kNormal, At(b, 5, 5));
  ::SetCursorPos(0, 0);
}

TEST_F(SkinButtonTest, AHeldPressFollowsThePointerOutAndBackIn) {
  CSkinButton b;
  MakeButton(b, 10, 10);
  CPoint inside(20, 12), outside(80, 12);
  PointerTo(b, inside);
  b.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
  EXPECT_TRUE(ShowsWithPointerAt(b, inside, MK_LBUTTON, kPressed));
  EXPECT_TRUE(ShowsWithPointerAt(b, outside, MK_LBUTTON, kNormal));
  EXPECT_TRUE(ShowsWithPointerAt(b, inside, MK_LBUTTON, kPressed));
  b.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  ::SetCursorPos(0, 0);
}

// Pixels of colour c inside the button.
int CountColor(CSkinButton& b, COLORREF c) {
  b.Invalidate(FALSE);
  gui::PumpFor(30);
  ::UpdateWindow(b.m_hWnd);
  HDC dc = ::GetDC(b.m_hWnd);
  int n = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 40; ++x) n += ::GetPixel(dc, x, y) == c;
  ::ReleaseDC(b.m_hWnd, dc);
  return n;
}

TEST_F(SkinButtonTest, CaptionEngravedWhenDisabledAndNoneWhileTheLampIsLit) {
  CSkinButton b;
  MakeButton(b, 10, 10);
  b.SetWindowText("Mm");
  const COLORREF ink = ::GetSysColor(COLOR_BTNTEXT);
  EXPECT_GT(CountColor(b, ink), 0);
  EXPECT_LT(CountColor(b, kNormal), 40 * 24 - 10);
  b.EnableWindow(FALSE);
  EXPECT_GT(CountColor(b, ::GetSysColor(COLOR_3DHILIGHT)), 0);
  EXPECT_GT(CountColor(b, ::GetSysColor(COLOR_GRAYTEXT)), 0);
  b.EnableWindow(TRUE);
  b.SetState(1);
  EXPECT_EQ(40 * 24, CountColor(b, kPressed));
}

TEST_F(SkinButtonTest, OnlyANormalPictureGivesTheFaceWhenPushedAndItselfWhenDisabled) {
  CSkinButton b;
  MakeButton(b, 10, 10, false);
  EXPECT_EQ(kNormal, At(b, 5, 5));
  b.CButton::SetState(TRUE);
  EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), At(b, 5, 5));
  b.CButton::SetState(FALSE);
  b.EnableWindow(FALSE);
  EXPECT_EQ(kNormal, At(b, 5, 5));
}

TEST_F(SkinButtonTest, DrawModesStretchCopyAndTile) {
  CSkinButton stretched, natural, tiled;
  CBitmap halves;
  MakeBitmap(halves, 10, 6, kNormal, 5, kHover);
  ASSERT_TRUE(stretched.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 50, 34), &host, 1));
  ASSERT_TRUE(natural.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(60, 10, 100, 34), &host, 2));
  ASSERT_TRUE(tiled.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(110, 10, 150, 34), &host, 3));
  stretched.SetBitmaps(&halves, nullptr, nullptr, nullptr, 0, 1);
  natural.SetBitmaps(&halves, nullptr, nullptr, nullptr, 0, 0);
  tiled.SetBitmaps(&halves, nullptr, nullptr, nullptr, 0, 2);
  EXPECT_EQ(kNormal, At(stretched, 15, 20));
  EXPECT_EQ(kHover, At(stretched, 25, 20));
  EXPECT_EQ(kNormal, At(natural, 2, 2));
  EXPECT_EQ(kHover, At(natural, 7, 2));
  EXPECT_EQ(kNormal, At(tiled, 12, 8));   // second tile, second row
  EXPECT_EQ(kHover, At(tiled, 37, 20));   // last tile, cut to the button
}

TEST_F(SkinButtonTest, StoredValuesAreClamped) {
  struct Case {
    int mode, inset, wantMode, wantInset;
  } cases[] = {{5, 2, 2, 2}, {-1, -3, 0, 0}, {1, 0, 1, 0}, {2, 7, 2, 7}};
  CSkinButton b;
  MakeButton(b, 10, 10);
  CBitmap pic;
  MakeBitmap(pic, 4, 4, kNormal);
  for (const Case& c : cases) {
    b.SetBitmaps(&pic, nullptr, nullptr, nullptr, 0, c.mode, 0, 0, c.inset);
    EXPECT_EQ(c.wantMode, b.GetDrawMode()) << c.mode;
    EXPECT_EQ(c.wantInset, b.GetFocusInset()) << c.inset;
  }
}

TEST_F(SkinButtonTest, MaskShapesTheWindowAndShowsThePictureInside) {
  CSkinButton b;
  MakeButton(b, 10, 10, true, kMaskId, 1);
  EXPECT_TRUE(b.HasMask());
  HRGN probe = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(SIMPLEREGION, ::GetWindowRgn(b.m_hWnd, probe));
  CRect box;
  ::GetRgnBox(probe, &box);
  EXPECT_EQ(CRect(10, 0, 40, 24), box);
  EXPECT_EQ(kNormal, At(b, 20, 5));
  // Natural size: the window takes the mask's size.
  CSkinButton n;
  ASSERT_TRUE(n.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(100, 10, 120, 20), &host, 7));
  CBitmap pic;
  MakeBitmap(pic, 40, 24, kPressed);
  n.SetBitmaps(&pic, nullptr, nullptr, nullptr, kMaskId, 0);
  CRect wr;
  n.GetWindowRect(&wr);
  EXPECT_EQ(CSize(40, 24), wr.Size());
  ::DeleteObject(probe);
}

TEST_F(SkinButtonTest, AllWhiteMaskGivesAnEmptyWindowRegion) {
  CSkinButton b;
  MakeButton(b, 10, 10, true, kWhiteMaskId, 1);
  HRGN probe = ::CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(NULLREGION, ::GetWindowRgn(b.m_hWnd, probe));
  ::DeleteObject(probe);
}

TEST_F(SkinButtonTest, SetBitmapsWithAMaskTwiceThenDestroyLeavesNoGdiObject) {
  size_t before = gdicount::Count();
  {
    CSkinButton b;
    MakeButton(b, 10, 10, true, kMaskId, 1);
    CBitmap pic;
    MakeBitmap(pic, 40, 24, kHover);
    b.SetBitmaps(&pic, &pic, &pic, nullptr, kMaskId, 1);
    EXPECT_EQ(kHover, At(b, 20, 5));
    b.SetTooltipText("Zoom in");
    EXPECT_GT(gdicount::Count(), before + 4);   // the copies are held
  }
  gui::PumpFor(50);
  EXPECT_EQ(before, gdicount::Count());
}

TEST_F(SkinButtonTest, NoticesOfPressesAndReleases) {
  CSkinButton b, other;
  MakeButton(b, 10, 10);
  MakeButton(other, 60, 10);
  b.SetNotifyMessage(kNotify, 77);
  auto codes = [&] {
    gui::PumpFor(50);
    std::vector<WPARAM> out;
    for (const Notice& n : host.m_notices)
      if (n.message == kNotify) {
        EXPECT_EQ(77, n.lParam);
        out.push_back(n.wParam);
      }
    host.m_notices.clear();
    return out;
  };
  const LPARAM at = MAKELPARAM(20, 12);
  b.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  b.SendMessage(WM_LBUTTONUP, 0, at);
  b.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  b.SendMessage(WM_LBUTTONUP, 0, at);
  EXPECT_EQ((std::vector<WPARAM>{513, 514, 513, 514}), codes());

  // The focus goes elsewhere during a press: the release is posted once.
  b.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  EXPECT_EQ(b.m_hWnd, ::GetCapture());
  b.SendMessage(WM_KILLFOCUS, WPARAM(other.m_hWnd), 0);
  EXPECT_NE(b.m_hWnd, ::GetCapture());
  EXPECT_EQ((std::vector<WPARAM>{513, 514}), codes());

  // The capture is taken away during a press.
  b.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::ReleaseCapture();
  EXPECT_EQ((std::vector<WPARAM>{513, 514}), codes());

  // Without a notify message nothing is posted.
  other.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
  other.SendMessage(WM_LBUTTONUP, 0, at);
  EXPECT_TRUE(codes().empty());
}

BOOL CALLBACK CountTooltip(HWND h, LPARAM p) {
  char cls[64] = {};
  ::GetClassNameA(h, cls, sizeof cls);
  if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0) ++*reinterpret_cast<int*>(p);
  return TRUE;
}

int CountTooltips() {
  int n = 0;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CountTooltip, reinterpret_cast<LPARAM>(&n));
  return n;
}

TEST_F(SkinButtonTest, OneTooltipWithItsDelaysAndNoSubclassing) {
  int before = CountTooltips();
  CSkinButton b;
  MakeButton(b, 10, 10);
  b.SetTooltipText("Zoom in");
  b.SetTooltipText("Zoom out");
  EXPECT_EQ(before + 1, CountTooltips());
  CToolTipCtrl* tip = b.GetTooltip();
  ASSERT_NE(nullptr, tip);
  EXPECT_EQ(200, tip->GetDelayTime(TTDT_INITIAL));
  EXPECT_EQ(10000, tip->GetDelayTime(TTDT_AUTOPOP));
  ASSERT_EQ(1, tip->GetToolCount());
  char text[80] = {};
  TOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V1_SIZE;
  ti.lpszText = text;
  ASSERT_TRUE(tip->SendMessage(TTM_ENUMTOOLSA, 0, LPARAM(&ti)));
  EXPECT_STREQ("Zoom out", text);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(b.m_hWnd), ti.uId);
  // The button relays its mouse messages; a subclassing tool would see each
  // of them a second time.
  EXPECT_EQ(0u, ti.uFlags & TTF_SUBCLASS);
}

TEST_F(SkinButtonTest, TheTooltipShowsWhenThePointerRestsOnTheButton) {
  CSkinButton b;
  MakeButton(b, 10, 10);
  b.SetTooltipText("Zoom in");
  CToolTipCtrl* tip = b.GetTooltip();
  ASSERT_NE(nullptr, tip);
  bool shown = false;
  for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
    PointerTo(b, CPoint(20, 12));
    shown = gui::PumpUntil([&] { return ::IsWindowVisible(tip->m_hWnd) != FALSE; }, 1000);
  }
  EXPECT_TRUE(shown);
  ::SetCursorPos(0, 0);
  b.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(200, 200));
  gui::PumpFor(50);
}

TEST_F(SkinButtonTest, OwnCursorOverTheButtonElseTheDefault) {
  const int kCursorId = 21592;   // skin_button_test.rc
  CSkinButton b;
  MakeButton(b, 10, 10);
  HCURSOR arrow = ::LoadCursorA(nullptr, IDC_ARROW);
  auto cursorOver = [&] {
    ::SetCursor(nullptr);
    b.SendMessage(WM_SETCURSOR, WPARAM(b.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
  };
  EXPECT_EQ(arrow, cursorOver());
  EXPECT_FALSE(b.SetCursorId(21599));   // no such resource
  ASSERT_TRUE(b.SetCursorId(kCursorId));
  HCURSOR own = cursorOver();
  EXPECT_NE(nullptr, own);
  EXPECT_NE(arrow, own);
  EXPECT_TRUE(b.SetCursorId(0));        // back to the default
  EXPECT_EQ(arrow, cursorOver());
}

}  // namespace
