// DirectDraw display: 4:2:0 pictures converted to 32-bit RGB in an
// off-screen surface and stretched onto the window's client area.
#include <cstring>

#include "player_win.h"

namespace quillon {

namespace {
template <class T>
void SafeRelease(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}
}  // namespace

void CDDrawDisplay::Release() {
    m_created = false;
    if (m_primary) m_primary->SetClipper(nullptr);
    SafeRelease(m_clipper);
    SafeRelease(m_offscreen);
    SafeRelease(m_primary);
    SafeRelease(m_dd);
    m_lastStretch = -1;
}

int CDDrawDisplay::Create(HWND window, int width, int height) {
    Release();
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&m_dd), IID_IDirectDraw7, nullptr))) {
        m_dd = nullptr;
        return -1;
    }
    if (FAILED(m_dd->SetCooperativeLevel(window, DDSCL_NORMAL))) {
        Release();
        return -2;
    }
    DDCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    if (FAILED(m_dd->GetCaps(&caps, nullptr))) {
        Release();
        return -20;
    }
    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    sd.dwFlags = DDSD_CAPS;
    sd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(m_dd->CreateSurface(&sd, &m_primary, nullptr))) {
        m_primary = nullptr;
        Release();
        return -3;
    }
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    sd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
    sd.dwWidth = DWORD(width);
    sd.dwHeight = DWORD(height);
    sd.ddpfPixelFormat.dwSize = sizeof sd.ddpfPixelFormat;
    sd.ddpfPixelFormat.dwFlags = DDPF_RGB;
    sd.ddpfPixelFormat.dwRGBBitCount = 32;
    sd.ddpfPixelFormat.dwRBitMask = 0xFF0000;
    sd.ddpfPixelFormat.dwGBitMask = 0xFF00;
    sd.ddpfPixelFormat.dwBBitMask = 0xFF;
    if (FAILED(m_dd->CreateSurface(&sd, &m_offscreen, nullptr))) {
        // No display memory to spare: the surface lives in system memory.
        sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (FAILED(m_dd->CreateSurface(&sd, &m_offscreen, nullptr))) {
            m_offscreen = nullptr;
            Release();
            return -4;
        }
    }
    if (FAILED(m_dd->CreateClipper(0, &m_clipper, nullptr)) || FAILED(m_clipper->SetHWnd(0, window)) ||
        FAILED(m_primary->SetClipper(m_clipper))) {
        Release();
        return -3;
    }
    m_window = window;
    m_surfW = width;
    m_surfH = height;
    m_created = true;
    return 0;
}

int CDDrawDisplay::Draw(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                        int stretch) {
    if (!m_created || !m_window || !IsWindow(m_window) || !IsWindowVisible(m_window)) return -1;
    if (!m_primary || !m_offscreen) return -9;
    if (m_picW <= 0 || m_picH <= 0 || m_picW > m_surfW || m_picH > m_surfH) return -1;
    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    if (FAILED(m_offscreen->Lock(nullptr, &sd, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
        m_offscreen->Restore();
        return -3;
    }
    Yuv420ToRgb32(y, yStride, u, v, cStride, m_picW, m_picH, static_cast<uint8_t*>(sd.lpSurface), int(sd.lPitch));
    m_offscreen->Unlock(nullptr);

    RECT client;
    GetClientRect(m_window, &client);
    MapWindowPoints(m_window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (client.right <= client.left || client.bottom <= client.top) return 0;
    if (stretch != m_lastStretch) {
        m_lastStretch = stretch;
        DDBLTFX fx;
        std::memset(&fx, 0, sizeof fx);
        fx.dwSize = sizeof fx;
        m_primary->Blt(&client, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }
    RECT dest = client;
    if (!stretch) {
        const int cx = (client.left + client.right - m_picW) / 2, cy = (client.top + client.bottom - m_picH) / 2;
        dest = RECT{cx, cy, cx + m_picW, cy + m_picH};
    }
    RECT src{0, 0, m_picW, m_picH};
    HRESULT hr = m_primary->Blt(&dest, m_offscreen, &src, DDBLT_WAIT, nullptr);
    if (hr == DDERR_SURFACELOST) {
        m_primary->Restore();
        m_offscreen->Restore();
    }
    return 0;
}

}  // namespace quillon
