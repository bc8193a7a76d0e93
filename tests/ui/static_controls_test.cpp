// The picture static and the coloured static under Xvfb, read back from the
// screen.
#include <gtest/gtest.h>

#include "BitmapStatic.h"
#include "ColorStatic.h"
#include "gui_kit.h"
#include "hosted_test.h"

namespace {

const COLORREF kParent = RGB(30, 120, 60);   // what the host paints under its children

class StaticsTest : public HostedTest<300, 120, kParent> {
protected:
  static COLORREF At(CWnd& w, int x, int y) {
    w.Invalidate();
    gui::PumpFor(30);
    return PixelAt(w.m_hWnd, x, y);
  }
  // Pixels of colour c in the window's client rectangle.
  static int Count(CWnd& w, COLORREF c) {
    w.Invalidate();
    gui::PumpFor(30);
    CRect r;
    w.GetClientRect(&r);
    HDC dc = ::GetDC(w.m_hWnd);
    int n = 0;
    for (int y = 0; y < r.bottom; ++y)
      for (int x = 0; x < r.right; ++x) n += ::GetPixel(dc, x, y) == c;
    ::ReleaseDC(w.m_hWnd, dc);
    return n;
  }
};

TEST_F(StaticsTest, BitmapStaticShowsBackgroundAndTextOrItsBitmapStretched) {
  CBitmapStatic video;
  ASSERT_TRUE(video.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 110, 70), &host));
  EXPECT_EQ(RGB(0, 0, 0), At(video, 90, 50));
  video.SetBackColor(RGB(20, 30, 90));
  EXPECT_EQ(RGB(20, 30, 90), At(video, 90, 50));
  EXPECT_EQ(0, Count(video, RGB(255, 255, 255)));
  video.SetText("Channel 1");
  EXPECT_GT(Count(video, RGB(255, 255, 255)), 0);
  EXPECT_EQ(RGB(20, 30, 90), At(video, 90, 50));

  // A 10 x 4 bitmap, left half red and right half blue, fills the area.
  HDC screen = ::GetDC(nullptr);
  HBITMAP picture = ::CreateCompatibleBitmap(screen, 10, 4);
  HDC mem = ::CreateCompatibleDC(screen);
  HGDIOBJ old = ::SelectObject(mem, picture);
  CDC::FromHandle(mem)->FillSolidRect(0, 0, 5, 4, RGB(255, 0, 0));
  CDC::FromHandle(mem)->FillSolidRect(5, 0, 5, 4, RGB(0, 0, 255));
  ::SelectObject(mem, old);
  ::DeleteDC(mem);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(nullptr, video.SetBitmap(picture));
  EXPECT_EQ(RGB(255, 0, 0), At(video, 2, 2));
  EXPECT_EQ(RGB(0, 0, 255), At(video, 97, 57));
  EXPECT_EQ(picture, video.SetBitmap(nullptr));
  EXPECT_EQ(RGB(20, 30, 90), At(video, 97, 57));
  ::DeleteObject(picture);
}

TEST_F(StaticsTest, ColorStaticTextOverItsBackgroundOrOverTheParent) {
  CColorStatic label, filled;
  label.SetTextColor(RGB(255, 0, 0));
  filled.SetTextColor(RGB(255, 255, 0));
  filled.SetBackColor(RGB(0, 0, 128));
  ASSERT_TRUE(label.Create("zoom", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(10, 80, 140, 100), &host, 1048));
  ASSERT_TRUE(filled.Create("iris", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(150, 80, 280, 100), &host, 1040));
  label.SetFont(CFont::FromHandle(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
  filled.SetFont(CFont::FromHandle(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
  host.Invalidate();
  gui::PumpFor(50);
  // Transparent: the parent's colour beside the text, the text in red.
  EXPECT_EQ(kParent, PixelAt(label.m_hWnd, 120, 10));
  EXPECT_GT(Count(label, RGB(255, 0, 0)), 0);
  EXPECT_EQ(RGB(0, 0, 128), PixelAt(filled.m_hWnd, 120, 10));
  EXPECT_GT(Count(filled, RGB(255, 255, 0)), 0);

  // The parent repaints what lies under the control, 2 pixels inside it.
  host.UpdateWindow();
  label.RefreshBackground();
  CRect update;
  ASSERT_TRUE(::GetUpdateRect(host.m_hWnd, &update, FALSE));
  EXPECT_EQ(CRect(12, 82, 138, 98), update);
  gui::PumpFor(30);
}

}  // namespace
