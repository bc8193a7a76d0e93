// DirectDraw display: 4:2:0 pictures converted to 32-bit RGB in an
// off-screen surface and stretched onto the window's client area.
#include <cstring>

#include "player_win.h"

namespace quillon {

void CDDrawDisplay::Release() {
    m_created = false;
    m_surfaces.Release();
    m_lastStretch = -1;
}

int CDDrawDisplay::Create(HWND window, int width, int height) {
    Release();
    DDCAPS caps;
    const int opened = m_surfaces.Open(window, caps);
    if (opened < 0) return opened;
    if (!m_surfaces.CreatePrimary()) {
        Release();
        return -3;
    }
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwFlags = DDPF_RGB;
    pf.dwRGBBitCount = 32;
    pf.dwRBitMask = 0xFF0000;
    pf.dwGBitMask = 0xFF00;
    pf.dwBBitMask = 0xFF;
    if (!m_surfaces.CreateOffscreen(width, height, pf)) {
        Release();
        return -4;
    }
    if (m_surfaces.AttachClipper(window) != 0) {
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
    if (!m_surfaces.Primary() || !m_surfaces.Offscreen()) return -9;
    if (m_picW <= 0 || m_picH <= 0 || m_picW > m_surfW || m_picH > m_surfH) return -1;
    DDSURFACEDESC2 sd;
    if (!m_surfaces.Lock(sd, true)) {
        m_surfaces.RestoreOffscreen();
        return -3;
    }
    Yuv420ToRgb32(y, yStride, u, v, cStride, m_picW, m_picH, static_cast<uint8_t*>(sd.lpSurface), int(sd.lPitch));
    m_surfaces.Unlock();

    const RECT client = display::ClientRectOnScreen(m_window);
    if (client.right <= client.left || client.bottom <= client.top) return 0;
    if (stretch != m_lastStretch) {
        m_lastStretch = stretch;
        m_surfaces.FillScreen(client);
    }
    RECT dest = client;
    if (!stretch) {
        const int cx = (client.left + client.right - m_picW) / 2, cy = (client.top + client.bottom - m_picH) / 2;
        dest = RECT{cx, cy, cx + m_picW, cy + m_picH};
    }
    const RECT src{0, 0, m_picW, m_picH};
    m_surfaces.Blit(dest, &src);
    return 0;
}

}  // namespace quillon
