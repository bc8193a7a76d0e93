// DirectDraw drawing into a real window (Wine's display): surfaces are made,
// a decoded picture reaches the window, failures are reported, and the
// decode-and-draw object of a play handle draws and writes snapshots.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "annexb.h"
#include "ffmpeg_api.h"
#include "media/cvt_yuv2bmp.h"
#include "media/directx_draw.h"
#include "media/video_dec_draw.h"

using namespace testsupport;
using orvik::CQV_DIRECTX_Draw;

namespace {

// A top-level window with a client area of the given size, pumped while the
// test looks at it.
class TestWindow {
public:
    TestWindow(int w, int h) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrvikDrawTest";
        wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&wc);
        RECT r{0, 0, w, h};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        hwnd = CreateWindowA("OrvikDrawTest", "draw", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        Pump();
    }
    ~TestWindow() {
        if (hwnd) DestroyWindow(hwnd);
        Pump();
    }
    void Pump() {
        MSG m;
        for (int i = 0; i < 50 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageA(&m);
        UpdateWindow(hwnd);
        GdiFlush();
    }
    // The client area as top-down 32-bit BGRX pixels.
    std::vector<uint8_t> Capture(int& w, int& h) {
        Pump();
        RECT rc;
        GetClientRect(hwnd, &rc);
        w = rc.right, h = rc.bottom;
        HDC wdc = GetDC(hwnd);
        HDC mdc = CreateCompatibleDC(wdc);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(mdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mdc, bmp);
        BitBlt(mdc, 0, 0, w, h, wdc, 0, 0, SRCCOPY);
        GdiFlush();
        std::vector<uint8_t> out(static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits) + size_t(w) * h * 4);
        SelectObject(mdc, old);
        DeleteObject(bmp);
        DeleteDC(mdc);
        ReleaseDC(hwnd, wdc);
        return out;
    }
    HWND hwnd = nullptr;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> i420;
    const uint8_t* Y() const { return i420.data(); }
    const uint8_t* U() const { return i420.data() + size_t(width) * height; }
    const uint8_t* V() const { return U() + size_t(width / 2) * (height / 2); }
};

// The n-th picture (0-based) of a fixture stream, decoded with ffmpeg_api.
Picture DecodePicture(const char* name, int n) {
    std::vector<uint8_t> s = ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name + ".264");
    intptr_t h = ffmpeg_h264_init();
    Picture out;
    int seen = 0;
    for (const auto& au : SplitAccessUnits(s)) {
        int got = 0;
        FfmpegPicture p{};
        ffmpeg_h264_decode(h, au.data(), int(au.size()), &got, &p);
        if (got && seen++ == n) {
            out.width = p.width, out.height = p.height;
            out.i420.assign(p.y, p.y + size_t(p.width) * p.height * 3 / 2);
            break;
        }
    }
    ffmpeg_h264_Release(h);
    return out;
}

// Mean absolute difference per channel between the captured client area and
// the picture converted to RGB (the client area is the picture's size).
double MeanError(const std::vector<uint8_t>& bgrx, const Picture& p) {
    const orvik::YuvRgbTables& t = orvik::GetYuvRgbTables();
    double sum = 0;
    for (int r = 0; r < p.height; ++r)
        for (int x = 0; x < p.width; ++x) {
            uint8_t R, G, B;
            t.Convert(p.Y()[r * p.width + x], p.U()[(r / 2) * (p.width / 2) + x / 2],
                      p.V()[(r / 2) * (p.width / 2) + x / 2], R, G, B);
            const uint8_t* c = &bgrx[(size_t(r) * p.width + x) * 4];
            sum += std::abs(c[0] - B) + std::abs(c[1] - G) + std::abs(c[2] - R);
        }
    return sum / (3.0 * p.width * p.height);
}

// The client area's mean brightness over all channels.
double MeanLevel(const std::vector<uint8_t>& bgrx) {
    double sum = 0;
    for (size_t i = 0; i < bgrx.size(); i += 4) sum += bgrx[i] + bgrx[i + 1] + bgrx[i + 2];
    return sum / (3.0 * double(bgrx.size() / 4));
}

// UYVY rows of the picture, packed one pixel pair at a time.
std::vector<uint8_t> RefUyvy(const Picture& p) {
    std::vector<uint8_t> out(size_t(p.width) * 2 * p.height);
    for (int r = 0; r < p.height; ++r)
        for (int x = 0; x < p.width; x += 2) {
            uint8_t* o = &out[(size_t(r) * p.width + x) * 2];
            o[0] = p.U()[(r / 2) * (p.width / 2) + x / 2];
            o[1] = p.Y()[r * p.width + x];
            o[2] = p.V()[(r / 2) * (p.width / 2) + x / 2];
            o[3] = p.Y()[r * p.width + x + 1];
        }
    return out;
}

// Under Wine without OpenGL the display offers plain blits only, so the
// surface chosen by the capabilities is RGB 5-6-5; forcing it must give the
// same picture.
class RgbPath : public ::testing::TestWithParam<int> {};

TEST_P(RgbPath, DecodedPictureReachesTheWindow) {
    Picture pic = DecodePicture("cif_aud", 10);
    ASSERT_EQ(pic.width, 352);
    TestWindow win(352, 288);
    ASSERT_NE(win.hwnd, nullptr);
    CQV_DIRECTX_Draw draw;
    draw.ForceSurfaceKind(GetParam());
    int kind = -1;
    ASSERT_EQ(draw.InitDDraw(win.hwnd, 352, 288, &kind), 0);
    if (GetParam() == CQV_DIRECTX_Draw::kRgb565) {
        EXPECT_EQ(kind, CQV_DIRECTX_Draw::kRgb565);
    }
    if (kind != CQV_DIRECTX_Draw::kRgb565) GTEST_SKIP() << "this display blits FourCC surfaces";
    EXPECT_TRUE(draw.Ready());
    // A fresh surface is black.
    ASSERT_EQ(draw.Present(1), 0);
    int w, h;
    EXPECT_LT(MeanLevel(win.Capture(w, h)), 2.0);
    ASSERT_EQ(draw.DrawYUV(pic.Y(), pic.U(), pic.V(), 1), 0);
    std::vector<uint8_t> shot = win.Capture(w, h);
    ASSERT_EQ(w, 352);
    ASSERT_EQ(h, 288);
    EXPECT_LT(MeanError(shot, pic), 4.0);  // 5-6-5 keeps 5 or 6 bits a channel
}

INSTANTIATE_TEST_SUITE_P(Surfaces, RgbPath, ::testing::Values(-1, int(CQV_DIRECTX_Draw::kRgb565)),
                         [](const ::testing::TestParamInfo<int>& i) { return i.param < 0 ? "Chosen" : "Forced"; });

// The UYVY surface: made, cleared to black, and filled with the packed
// picture. (Wine's CPU blitter cannot show FourCC surfaces, so here the
// surface itself is read back.)
TEST(UyvyPath, SurfaceIsBlackThenHoldsThePackedPicture) {
    Picture pic = DecodePicture("d1", 3);
    ASSERT_EQ(pic.width, 704);
    TestWindow win(352, 288);
    CQV_DIRECTX_Draw draw;
    draw.ForceSurfaceKind(CQV_DIRECTX_Draw::kUyvy);
    int kind = -1;
    ASSERT_EQ(draw.InitDDraw(win.hwnd, 704, 576, &kind), 0);
    ASSERT_EQ(kind, CQV_DIRECTX_Draw::kUyvy);
    std::vector<uint8_t> surf;
    ASSERT_TRUE(draw.ReadSurface(surf));
    ASSERT_EQ(surf.size(), size_t(704) * 2 * 576);
    for (size_t i = 0; i < surf.size(); i += 4)
        ASSERT_TRUE(surf[i] == 0x80 && surf[i + 1] == 0x10 && surf[i + 2] == 0x80 && surf[i + 3] == 0x10) << i;
    ASSERT_EQ(draw.DrawYUV(pic.Y(), pic.U(), pic.V(), 1), 0);
    ASSERT_TRUE(draw.ReadSurface(surf));
    const std::vector<uint8_t> want = RefUyvy(pic);
    EXPECT_TRUE(surf == want);

    // libavcodec pads its planes: with the real strides the colours stay.
    const int ys = 768, cs = 416;
    std::vector<uint8_t> y(size_t(ys) * 576, 0), u(size_t(cs) * 288, 0), v(size_t(cs) * 288, 0);
    for (int r = 0; r < 576; ++r) std::memcpy(&y[size_t(r) * ys], pic.Y() + r * 704, 704);
    for (int r = 0; r < 288; ++r) {
        std::memcpy(&u[size_t(r) * cs], pic.U() + r * 352, 352);
        std::memcpy(&v[size_t(r) * cs], pic.V() + r * 352, 352);
    }
    ASSERT_EQ(draw.InitDDraw(win.hwnd, 704, 576, &kind), 0);
    ASSERT_EQ(draw.DrawYUYV(y.data(), u.data(), v.data(), ys, cs, 1), 0);
    ASSERT_TRUE(draw.ReadSurface(surf));
    EXPECT_TRUE(surf == want);
    // Packed UYVY input (no U and V) is copied as it is.
    ASSERT_EQ(draw.InitDDraw(win.hwnd, 704, 576, &kind), 0);
    ASSERT_EQ(draw.DrawYUV(want.data(), nullptr, nullptr, 1), 0);
    ASSERT_TRUE(draw.ReadSurface(surf));
    EXPECT_TRUE(surf == want);
}

TEST(DrawFailures, AreReportedNotFatal) {
    Picture pic = DecodePicture("cif_noaud", 0);
    ASSERT_EQ(pic.width, 352);
    CQV_DIRECTX_Draw draw;
    EXPECT_EQ(draw.DrawYUV(pic.Y(), pic.U(), pic.V(), 1), -1);  // not set up
    EXPECT_EQ(draw.Present(1), -1);
    EXPECT_EQ(draw.InitDDraw(nullptr, 352, 288), -2);           // no window
    EXPECT_FALSE(draw.Ready());
    EXPECT_LT(draw.DrawPicture(pic.Y(), pic.U(), pic.V(), 1, 352, 288, nullptr), 0);
    HWND gone;
    {
        TestWindow win(352, 288);
        gone = win.hwnd;
        EXPECT_EQ(draw.InitDDraw(win.hwnd, 0, 288), -4);   // no picture size
        EXPECT_EQ(draw.InitDDraw(win.hwnd, 351, 288), -4);  // UYVY holds pixel pairs
        ASSERT_EQ(draw.DrawPicture(pic.Y(), pic.U(), pic.V(), 1, 352, 288, win.hwnd), 0);
        EXPECT_EQ(draw.DrawYUV(nullptr, nullptr, nullptr, 1), -1);
    }
    // The window went away under the drawing object.
    EXPECT_EQ(draw.DrawYUV(pic.Y(), pic.U(), pic.V(), 1), -1);
    EXPECT_LT(draw.InitDDraw(gone, 352, 288), 0);
    draw.ClearWindow();
}

TEST(DrawResize, WindowSizeMovesTheDestinationPictureSizeRemakesSurfaces) {
    Picture cif = DecodePicture("cif_aud", 5);
    Picture d1 = DecodePicture("d1", 0);
    TestWindow win(352, 288);
    CQV_DIRECTX_Draw draw;
    ASSERT_EQ(draw.DrawPicture(cif.Y(), cif.U(), cif.V(), 1, 352, 288, win.hwnd), 0);
    // The window grows: the same surfaces, the picture scaled into the new
    // client area (compared at the picture's size by sampling every second
    // pixel).
    RECT r{0, 0, 704, 576};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(win.hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_EQ(draw.DrawPicture(cif.Y(), cif.U(), cif.V(), 1, 352, 288, win.hwnd), 0);
    EXPECT_EQ(draw.Width(), 352);
    int w, h;
    std::vector<uint8_t> big = win.Capture(w, h);
    ASSERT_EQ(w, 704);
    ASSERT_EQ(h, 576);
    std::vector<uint8_t> sampled(size_t(352) * 288 * 4);
    for (int y = 0; y < 288; ++y)
        for (int x = 0; x < 352; ++x)
            std::memcpy(&sampled[(size_t(y) * 352 + x) * 4], &big[(size_t(2 * y) * 704 + 2 * x) * 4], 4);
    EXPECT_LT(MeanError(sampled, cif), 6.0);
    // A picture of another size re-creates the surfaces.
    ASSERT_EQ(draw.DrawPicture(d1.Y(), d1.U(), d1.V(), 1, 704, 576, win.hwnd), 0);
    EXPECT_EQ(draw.Width(), 704);
    EXPECT_LT(MeanError(win.Capture(w, h), d1), 4.0);
}

// The play handle's decode-and-draw object, decoder types 3 and 2.
class DecodeAndDraw : public ::testing::TestWithParam<int> {};

TEST_P(DecodeAndDraw, LastPictureIsInTheWindow) {
    const int type = GetParam();
    std::vector<uint8_t> s = ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_aud.264");
    std::vector<std::vector<uint8_t>> units = SplitAccessUnits(s);
    ASSERT_GE(units.size(), 20u);
    TestWindow win(352, 288);
    orvik::CVideoDecDrawH264 dd;
    dd.m_DecoderType = type;
    ASSERT_EQ(dd.InitDecoder(win.hwnd), 0);
    int drawn = 0;
    for (size_t i = 0; i < 20; ++i) {
        if (type == 3)
            dd.DecDrawFfmpegApi(units[i].data(), int(units[i].size()));
        else
            drawn += dd.DecDrawMS264(units[i].data(), int(units[i].size()));
    }
    if (type == 2) {
        EXPECT_EQ(drawn, 20);
    }
    Picture last = DecodePicture("cif_aud", 19);
    int w, h;
    EXPECT_LT(MeanError(win.Capture(w, h), last), 4.0);
    dd.CleanScrean();
    EXPECT_LT(MeanLevel(win.Capture(w, h)), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Types, DecodeAndDraw, ::testing::Values(3, 2),
                         [](const ::testing::TestParamInfo<int>& i) { return "Type" + std::to_string(i.param); });

// Decoder type 1: qv_h264dec's decoder, whole access units; pictures that
// the stream marks as single fields (the chip maker's SEI) are deinterlaced
// into frames twice as high.
TEST(DecodeAndDrawTypes, TypeOneDrawsFramesAndDeinterlacedFields) {
    std::vector<std::vector<uint8_t>> units =
        SplitAccessUnits(ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_aud.264"));
    ASSERT_GE(units.size(), 8u);
    const Picture last = DecodePicture("cif_aud", 7);
    ASSERT_EQ(last.width, 352);
    TestWindow win(352, 288);
    int w, h;
    {
        orvik::CVideoDecDrawH264 dd;
        dd.m_DecoderType = 1;
        ASSERT_EQ(dd.InitDecoder(win.hwnd), 0);
        for (size_t i = 0; i < 8; ++i) EXPECT_EQ(dd.DecDraw(units[i].data(), int(units[i].size())), 1) << i;
        EXPECT_EQ(dd.m_DirectxDraw.Height(), 288);
        EXPECT_LT(MeanError(win.Capture(w, h), last), 4.0);
    }
    {
        // The field mark after the first unit's delimiter. The deinterlacer
        // gives the field before the one just decoded, so the eighth call
        // shows the seventh picture, its odd lines interpolated.
        const uint8_t sei[] = {0, 0, 0, 1, 0x06, 0xE0, 0x01, 0x01, 0x80};
        units[0].insert(units[0].begin() + 6, sei, sei + sizeof sei);
        orvik::CVideoDecDrawH264 dd;
        dd.m_DecoderType = 1;
        ASSERT_EQ(dd.InitDecoder(win.hwnd), 0);
        for (size_t i = 0; i < 8; ++i) EXPECT_EQ(dd.DecDraw(units[i].data(), int(units[i].size())), 1) << i;
        EXPECT_EQ(dd.m_DirectxDraw.Width(), 352);
        EXPECT_EQ(dd.m_DirectxDraw.Height(), 576);
        double err = MeanError(win.Capture(w, h), DecodePicture("cif_aud", 6));
        std::printf("deinterlaced field: mean error %.2f\n", err);
        EXPECT_LT(err, 12.0);
    }
}

TEST(DecodeAndDrawTypes, UnknownAndAbsentDecoders) {
    TestWindow win(64, 64);
    orvik::CVideoDecDrawH264 unknown;
    unknown.m_DecoderType = 7;
    EXPECT_EQ(unknown.InitDecoder(win.hwnd), -1);
    unknown.CleanScrean();  // logs, does nothing
    unknown.m_DecoderType = 3;
    // Type 1 fed a slice without its parameter sets, and nothing at all:
    // no picture, nothing drawn.
    orvik::CVideoDecDrawH264 qv;
    qv.m_DecoderType = 1;
    EXPECT_EQ(qv.InitDecoder(win.hwnd), 0);
    uint8_t au[] = {0, 0, 0, 1, 0x65, 0x88, 0x84, 0x00};
    EXPECT_EQ(qv.DecDraw(au, int(sizeof au)), 0);
    EXPECT_EQ(qv.DecDraw(nullptr, 8), 0);
    EXPECT_EQ(qv.DecDraw(au, 0), 0);
}

}  // namespace
