// Window helpers of the play-handle tests: a visible popup window, its
// client-area pixels read back with GDI, a bounded wait that keeps the
// thread's messages flowing, and paths in the temporary folder.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace playtest {

// A file of that name in the system's temporary folder.
inline std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

template <class F>
bool WaitFor(F cond, DWORD ms) {
    DWORD t0 = GetTickCount();
    while (!cond()) {
        if (GetTickCount() - t0 > ms) return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        Sleep(10);
    }
    return true;
}

inline HWND MakeWindow(int w, int h) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PlayHandleTest";
        wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
        RegisterClassW(&wc);
        registered = true;
    }
    RECT r{0, 0, w, h};
    AdjustWindowRect(&r, WS_POPUP, FALSE);
    HWND wnd = CreateWindowW(L"PlayHandleTest", L"play", WS_POPUP | WS_VISIBLE, 0, 0, r.right - r.left,
                             r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    UpdateWindow(wnd);
    return wnd;
}

// Client-area pixels as 0x00RRGGBB, top row first.
inline std::vector<uint32_t> ReadWindow(HWND wnd, int* w, int* h) {
    RECT rc;
    GetClientRect(wnd, &rc);
    *w = rc.right, *h = rc.bottom;
    HDC dc = GetDC(wnd);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = *w;
    bi.bmiHeader.biHeight = -*h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, *w, *h, dc, 0, 0, SRCCOPY);
    std::vector<uint32_t> px(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(*w) * *h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(wnd, dc);
    for (uint32_t& p : px) p &= 0xFFFFFF;
    return px;
}

}  // namespace playtest
