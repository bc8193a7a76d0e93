// Decode-and-draw throughput of the play-handle path (ffmpeg_api decoding,
// DirectDraw drawing into a window the size of the picture), at 352x288,
// 704x576 and 1280x720, with the time split between decoding and drawing.
// Usage: decode_draw_bench [passes] (run it under Wine with a display).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "annexb.h"
#include "media/cvt_yuv2bmp.h"
#include "media/directx_draw.h"
#include "media/yuv_pack.h"
#include "media/h264_decoder.h"
#include "media/video_dec_draw.h"

using namespace testsupport;

namespace {

double Now() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) / double(f.QuadPart);
}

HWND MakeWindow(int w, int h) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvikBench";
    RegisterClassA(&wc);
    RECT r{0, 0, w, h};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowA("OrvikBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, r.right - r.left,
                         r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

}  // namespace

int main(int argc, char** argv) {
    int passes = argc > 1 ? std::atoi(argv[1]) : 2;
    if (passes < 1) passes = 1;
    struct Item {
        const char* name;
        int w, h;
    } items[] = {{"cif_aud", 352, 288}, {"d1", 704, 576}, {"hd720", 1280, 720}};
    std::printf("%-9s %8s %8s %13s %11s %13s %8s\n", "size", "pictures", "pics/s", "decode ms/pic", "draw ms/pic",
                "(fill ms/pic)", "surface");
    for (const Item& it : items) {
        std::vector<uint8_t> s = ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + it.name + ".264");
        std::vector<std::vector<uint8_t>> units = SplitAccessUnits(s);
        if (units.empty()) {
            std::printf("%s: no stream\n", it.name);
            continue;
        }
        HWND wnd = MakeWindow(it.w, it.h);
        Pump();

        // The whole path as a play handle's decode thread runs it.
        orvik::CVideoDecDrawH264 dd;
        dd.InitDecoder(wnd);
        int pictures = 0;
        double t0 = Now();
        for (int p = 0; p < passes; ++p)
            for (const auto& au : units) {
                dd.DecDrawFfmpegApi(au.data(), int(au.size()));
                ++pictures;
            }
        double whole = Now() - t0;

        // The same work split: decoding alone, then drawing the pictures.
        orvik::CH264Decoder dec;
        orvik::CQV_DIRECTX_Draw draw;
        double decodeTime = 0, drawTime = 0, packTime = 0;
        std::vector<uint8_t> scratch(size_t(it.w) * it.h * 2);
        int drawn = 0;
        for (int p = 0; p < passes; ++p)
            for (const auto& au : units) {
                FfmpegPicture pic{};
                double a = Now();
                int n = dec.Decode(au.data(), int(au.size()), &pic);
                double b = Now();
                decodeTime += b - a;
                if (n > 0) {
                    draw.DrawPicture(pic.y, pic.u, pic.v, 1, pic.width, pic.height, wnd);
                    double c = Now();
                    drawTime += c - b;
                    ++drawn;
                    // The CPU share of drawing: filling the off-screen surface.
                    if (draw.Kind() == orvik::CQV_DIRECTX_Draw::kUyvy)
                        orvik::PackUyvy(pic.y, pic.width, pic.u, pic.v, pic.width / 2, scratch.data(), pic.width,
                                        pic.height, pic.width * 2);
                    else
                        orvik::YuvToRgb565(pic.y, pic.width, pic.u, pic.v, pic.width / 2, scratch.data(), pic.width,
                                           pic.height, pic.width * 2);
                    packTime += Now() - c;
                }
            }
        std::printf("%4dx%-4d %8d %8.1f %13.2f %11.2f %13.2f %8s\n", it.w, it.h, pictures, pictures / whole,
                    1000 * decodeTime / (drawn ? drawn : 1), 1000 * drawTime / (drawn ? drawn : 1),
                    1000 * packTime / (drawn ? drawn : 1),
                    draw.Kind() == orvik::CQV_DIRECTX_Draw::kUyvy ? "UYVY" : "RGB565");
        DestroyWindow(wnd);
        Pump();
    }
    return 0;
}
