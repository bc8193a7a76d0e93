// The DirectDraw 7 objects a window's video display is made of: the
// DirectDraw object, the primary surface with a clipper on the window, and
// one off-screen surface the picture is written into and blitted from.
// The displays of the SDK and of the player pick the off-screen format and
// fill it; the objects' making, locking, blitting and release are here.
#pragma once
#include <windows.h>

#include <ddraw.h>

namespace display {

class DDrawSurfaces {
public:
    DDrawSurfaces() = default;
    ~DDrawSurfaces() { Release(); }
    DDrawSurfaces(const DDrawSurfaces&) = delete;
    DDrawSurfaces& operator=(const DDrawSurfaces&) = delete;

    // DirectDraw in normal cooperation with window, and its capabilities.
    // 0; -1 no DirectDraw; -2 cooperative level refused; -20 no capabilities.
    int Open(HWND window, DDCAPS& caps);
    // The primary surface; false when it cannot be made.
    bool CreatePrimary();
    // A width x height off-screen surface of the given pixel format, in
    // display memory or, without display hardware (or with its memory full),
    // in system memory where the blit is done by the CPU.
    bool CreateOffscreen(int width, int height, const DDPIXELFORMAT& format);
    // A clipper on window, attached to the primary surface. 0; -2 no clipper;
    // -3 the clipper refused the window; -4 the primary surface refused it.
    int AttachClipper(HWND window);
    void Release();

    // The off-screen surface locked (desc gets its address and pitch), false
    // when it cannot be.
    bool Lock(DDSURFACEDESC2& desc, bool write);
    void Unlock();
    // The off-screen surface's memory back after the display lost it.
    void RestoreOffscreen();
    // The off-screen surface (src, or all of it when null) stretched onto
    // dest of the screen; lost surfaces are restored for the next picture.
    void Blit(const RECT& dest, const RECT* src);
    // Black over r of the screen.
    void FillScreen(const RECT& r);

    IDirectDrawSurface7* Primary() const { return m_primary; }
    IDirectDrawSurface7* Offscreen() const { return m_offscreen; }

private:
    IDirectDraw7* m_dd = nullptr;
    IDirectDrawSurface7* m_primary = nullptr;
    IDirectDrawSurface7* m_offscreen = nullptr;
    IDirectDrawClipper* m_clipper = nullptr;
};

// A window's client area in screen coordinates.
RECT ClientRectOnScreen(HWND window);

}  // namespace display
