// Draws 4:2:0 pictures into a window with DirectDraw 7: a clipper on the
// window, an off-screen surface in UYVY (or RGB 5-6-5 when the display
// cannot blit FourCC surfaces), and a stretch blit into the client area.
#pragma once
#include <windows.h>

#include <ddraw.h>

#include <cstdint>
#include <vector>

#include "ddraw_surfaces.h"

namespace orvik {

class CQV_DIRECTX_Draw {
public:
    enum SurfaceKind { kUyvy = 0, kRgb565 = 2 };

    CQV_DIRECTX_Draw() = default;
    virtual ~CQV_DIRECTX_Draw();
    CQV_DIRECTX_Draw(const CQV_DIRECTX_Draw&) = delete;
    CQV_DIRECTX_Draw& operator=(const CQV_DIRECTX_Draw&) = delete;

    // Sets up DirectDraw for window and a width x height off-screen surface.
    // 0 success; -1 no DirectDraw; -2 cooperative level, no window or no
    // clipper; -3 primary surface or clipper window; -4 off-screen surface or
    // clipper attachment; -20 no capabilities; -21 the display blits nothing.
    int InitDDraw(HWND window, int width, int height, int* kind = nullptr);
    void ReleaseSurfaces();

    // Re-creates the surfaces when the size or the window changed, then draws.
    int DrawPicture(const uint8_t* y, const uint8_t* u, const uint8_t* v, int stretch, int width, int height,
                    HWND window);
    // Draws a contiguous 4:2:0 picture of the set-up size (rows without
    // padding); with u and v null, y holds packed UYVY rows of 2 x width
    // bytes. 0; -1 no window, not set up or no picture; -3 lock failed;
    // -9 no surfaces.
    int DrawYUV(const uint8_t* y, const uint8_t* u, const uint8_t* v, int stretch);
    // The same for planes with their own strides (libavcodec pictures).
    int DrawYUYV(const uint8_t* y, const uint8_t* u, const uint8_t* v, int yStride, int cStride, int stretch);
    // Blits the off-screen surface into the window again (a repaint).
    int Present(int stretch);
    // Fills the window's part of the screen with black.
    void ClearWindow();

    bool Ready() const { return m_ready; }
    int Kind() const { return m_kind; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    HWND Window() const { return m_window; }

    // Test and diagnostics seam: use this surface kind whatever the display
    // reports (-1: choose by its capabilities).
    void ForceSurfaceKind(int kind) { m_forcedKind = kind; }
    // Copies the off-screen surface's rows (2 x width bytes each) out; for
    // checking what was drawn. False when there is no surface.
    bool ReadSurface(std::vector<uint8_t>& out);

private:
    int Upload(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, int stretch);
    bool FillBlack();

    HWND m_window = nullptr;  // the window asked for
    int m_width = 0;
    int m_height = 0;
    display::DDrawSurfaces m_surfaces;
    RECT m_dest{};
    HWND m_surfaceWindow = nullptr;  // the window the surfaces were made for
    bool m_ready = false;
    int m_lastStretch = -1;
    int m_kind = kUyvy;
    int m_forcedKind = -1;
};

}  // namespace orvik
