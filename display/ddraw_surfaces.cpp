#include "ddraw_surfaces.h"

#include <cstring>

namespace display {

namespace {

template <class T>
void SafeRelease(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

}  // namespace

int DDrawSurfaces::Open(HWND window, DDCAPS& caps) {
    Release();
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&m_dd), IID_IDirectDraw7, nullptr))) {
        m_dd = nullptr;
        return -1;
    }
    if (FAILED(m_dd->SetCooperativeLevel(window, DDSCL_NORMAL))) {
        Release();
        return -2;
    }
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    if (FAILED(m_dd->GetCaps(&caps, nullptr))) {
        Release();
        return -20;
    }
    return 0;
}

bool DDrawSurfaces::CreatePrimary() {
    if (!m_dd) return false;
    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    sd.dwFlags = DDSD_CAPS;
    sd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (SUCCEEDED(m_dd->CreateSurface(&sd, &m_primary, nullptr))) return true;
    m_primary = nullptr;
    return false;
}

bool DDrawSurfaces::CreateOffscreen(int width, int height, const DDPIXELFORMAT& format) {
    if (!m_dd) return false;
    SafeRelease(m_offscreen);
    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    sd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    sd.dwWidth = DWORD(width);
    sd.dwHeight = DWORD(height);
    sd.ddpfPixelFormat = format;
    sd.ddpfPixelFormat.dwSize = sizeof sd.ddpfPixelFormat;
    if (SUCCEEDED(m_dd->CreateSurface(&sd, &m_offscreen, nullptr))) return true;
    m_offscreen = nullptr;
    sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (SUCCEEDED(m_dd->CreateSurface(&sd, &m_offscreen, nullptr))) return true;
    m_offscreen = nullptr;
    return false;
}

int DDrawSurfaces::AttachClipper(HWND window) {
    if (!m_dd || !m_primary) return -2;
    if (FAILED(m_dd->CreateClipper(0, &m_clipper, nullptr))) {
        m_clipper = nullptr;
        return -2;
    }
    if (FAILED(m_clipper->SetHWnd(0, window))) return -3;
    if (FAILED(m_primary->SetClipper(m_clipper))) return -4;
    return 0;
}

void DDrawSurfaces::Release() {
    if (m_primary) m_primary->SetClipper(nullptr);
    SafeRelease(m_clipper);
    SafeRelease(m_offscreen);
    SafeRelease(m_primary);
    SafeRelease(m_dd);
}

bool DDrawSurfaces::Lock(DDSURFACEDESC2& desc, bool write) {
    if (!m_offscreen) return false;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    const DWORD flags = DDLOCK_WAIT | (write ? DDLOCK_WRITEONLY : DDLOCK_READONLY);
    return SUCCEEDED(m_offscreen->Lock(nullptr, &desc, flags, nullptr));
}

void DDrawSurfaces::Unlock() {
    if (m_offscreen) m_offscreen->Unlock(nullptr);
}

void DDrawSurfaces::RestoreOffscreen() {
    if (m_offscreen) m_offscreen->Restore();
}

void DDrawSurfaces::Blit(const RECT& dest, const RECT* src) {
    if (!m_primary || !m_offscreen) return;
    RECT d = dest;
    RECT s{};
    if (src) s = *src;
    HRESULT hr = m_primary->Blt(&d, m_offscreen, src ? &s : nullptr, DDBLT_WAIT, nullptr);
    if (hr == DDERR_SURFACELOST) {
        m_primary->Restore();
        m_offscreen->Restore();
    }
}

void DDrawSurfaces::FillScreen(const RECT& r) {
    if (!m_primary) return;
    RECT d = r;
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    m_primary->Blt(&d, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

RECT ClientRectOnScreen(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace display
