#include "directx_draw.h"

#include <cstring>

#include "cvt_yuv2bmp.h"
#include "media_log.h"
#include "yuv_pack.h"

namespace orvik {

CQV_DIRECTX_Draw::~CQV_DIRECTX_Draw() { ReleaseSurfaces(); }

void CQV_DIRECTX_Draw::ReleaseSurfaces() {
    m_ready = false;
    m_surfaces.Release();
    m_surfaceWindow = nullptr;
    m_lastStretch = -1;
}

int CQV_DIRECTX_Draw::InitDDraw(HWND window, int width, int height, int* kind) {
    ReleaseSurfaces();
    m_kind = kUyvy;
    if (kind) *kind = 0;
    // DirectDraw takes a null window for the whole desktop; a picture needs
    // a real one.
    if (!window || !IsWindow(window)) return -2;
    DDCAPS caps;
    const int opened = m_surfaces.Open(window, caps);
    if (opened < 0) return opened;
    if (m_forcedKind >= 0)
        m_kind = m_forcedKind;
    else if (caps.dwCaps & DDCAPS_BLTFOURCC)
        m_kind = kUyvy;
    else if (caps.dwCaps & DDCAPS_BLT)
        m_kind = kRgb565;
    else {
        ReleaseSurfaces();
        return -21;
    }

    if (!m_surfaces.CreatePrimary()) {
        ReleaseSurfaces();
        return -3;
    }
    if (width <= 0 || height <= 0 || (width & 1)) {
        ReleaseSurfaces();
        return -4;
    }
    auto makeOffscreen = [&](int k) {
        DDPIXELFORMAT pf;
        std::memset(&pf, 0, sizeof pf);
        if (k == kUyvy) {
            pf.dwFlags = DDPF_FOURCC;
            pf.dwFourCC = MAKEFOURCC('U', 'Y', 'V', 'Y');
        } else {
            pf.dwFlags = DDPF_RGB;
            pf.dwRGBBitCount = 16;
            pf.dwRBitMask = 0xF800;
            pf.dwGBitMask = 0x07E0;
            pf.dwBBitMask = 0x001F;
        }
        return m_surfaces.CreateOffscreen(width, height, pf);
    };
    // A display that claims FourCC blits but refuses the UYVY surface still
    // gets a picture through the RGB surface.
    if (!makeOffscreen(m_kind) && !(m_kind == kUyvy && (caps.dwCaps & DDCAPS_BLT) && makeOffscreen(kRgb565))) {
        ReleaseSurfaces();
        return -4;
    }
    if (m_surfaces.Offscreen() && m_kind == kUyvy) {
        DDSURFACEDESC2 got;
        std::memset(&got, 0, sizeof got);
        got.dwSize = sizeof got;
        if (SUCCEEDED(m_surfaces.Offscreen()->GetSurfaceDesc(&got)) && !(got.ddpfPixelFormat.dwFlags & DDPF_FOURCC))
            m_kind = kRgb565;
    }
    const int clipped = m_surfaces.AttachClipper(window);
    if (clipped < 0) {
        ReleaseSurfaces();
        return clipped;
    }
    m_window = window;
    m_width = width;
    m_height = height;
    FillBlack();
    m_dest = display::ClientRectOnScreen(window);
    m_surfaceWindow = window;
    m_ready = true;
    if (kind) *kind = m_kind;
    return 0;
}

// Black in the surface's own format: Y 16, U and V 128 for UYVY (a zero
// fill would be green), zero for RGB.
bool CQV_DIRECTX_Draw::FillBlack() {
    DDSURFACEDESC2 sd;
    if (!m_surfaces.Lock(sd, true)) return false;
    auto* base = static_cast<uint8_t*>(sd.lpSurface);
    for (int row = 0; row < m_height; ++row) {
        uint8_t* d = base + ptrdiff_t(row) * sd.lPitch;
        if (m_kind == kUyvy)
            for (int x = 0; x < m_width; x += 2) std::memcpy(d + 2 * x, kUyvyBlack, 4);
        else
            std::memset(d, 0, size_t(m_width) * 2);
    }
    m_surfaces.Unlock();
    return true;
}

int CQV_DIRECTX_Draw::DrawPicture(const uint8_t* y, const uint8_t* u, const uint8_t* v, int stretch, int width,
                                  int height, HWND window) {
    if (!m_ready || width != m_width || height != m_height || window != m_window) {
        ReleaseSurfaces();
        int r = InitDDraw(window, width, height);
        if (r < 0) return r;
    }
    return DrawYUV(y, u, v, stretch);
}

int CQV_DIRECTX_Draw::DrawYUV(const uint8_t* y, const uint8_t* u, const uint8_t* v, int stretch) {
    return Upload(y, m_width, u, v, m_width / 2, stretch);
}

int CQV_DIRECTX_Draw::DrawYUYV(const uint8_t* y, const uint8_t* u, const uint8_t* v, int yStride, int cStride,
                               int stretch) {
    return Upload(y, yStride, u, v, cStride, stretch);
}

int CQV_DIRECTX_Draw::Upload(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                             int stretch) {
    if (m_ready && m_window != m_surfaceWindow) {
        HWND w = m_window;
        InitDDraw(w, m_width, m_height);
    }
    if (!m_window || !m_ready || !y) return -1;
    if (!m_surfaces.Primary() || !m_surfaces.Offscreen()) return -9;
    if (!IsWindow(m_window)) return -1;

    DDSURFACEDESC2 sd;
    if (!m_surfaces.Lock(sd, true)) {
        m_surfaces.RestoreOffscreen();
        return -3;
    }
    auto* dst = static_cast<uint8_t*>(sd.lpSurface);
    const int pitch = int(sd.lPitch);
    const bool planar = u && v;
    if (m_kind == kUyvy) {
        if (planar)
            PackUyvy(y, yStride, u, v, cStride, dst, m_width, m_height, pitch);
        else
            for (int row = 0; row < m_height; ++row)
                std::memcpy(dst + ptrdiff_t(row) * pitch, y + ptrdiff_t(row) * 2 * m_width, size_t(m_width) * 2);
    } else {
        // The RGB surface takes RGB pixels, never UYVY bytes.
        if (planar)
            YuvToRgb565(y, yStride, u, v, cStride, dst, m_width, m_height, pitch);
        else
            UyvyToRgb565(y, 2 * m_width, dst, m_width, m_height, pitch);
    }
    m_surfaces.Unlock();
    return Present(stretch);
}

int CQV_DIRECTX_Draw::Present(int stretch) {
    if (!m_window || !m_ready || !IsWindow(m_window)) return -1;
    if (!m_surfaces.Primary() || !m_surfaces.Offscreen()) return -9;
    m_dest = display::ClientRectOnScreen(m_window);
    if (stretch != m_lastStretch) {
        m_lastStretch = stretch;
        ClearWindow();
    }
    if (m_dest.right <= m_dest.left || m_dest.bottom <= m_dest.top) return 0;  // nothing visible
    m_surfaces.Blit(m_dest, nullptr);
    return 0;
}

void CQV_DIRECTX_Draw::ClearWindow() {
    if (!m_surfaces.Primary() || !m_window || !IsWindow(m_window)) return;
    const RECT r = display::ClientRectOnScreen(m_window);
    if (r.right <= r.left || r.bottom <= r.top) return;
    m_surfaces.FillScreen(r);
}

}  // namespace orvik

namespace orvik {

bool CQV_DIRECTX_Draw::ReadSurface(std::vector<uint8_t>& out) {
    out.clear();
    DDSURFACEDESC2 sd;
    if (!m_surfaces.Lock(sd, false)) return false;
    const size_t row = size_t(m_width) * 2;
    out.resize(row * size_t(m_height));
    for (int r = 0; r < m_height; ++r)
        std::memcpy(&out[row * size_t(r)], static_cast<const uint8_t*>(sd.lpSurface) + ptrdiff_t(r) * sd.lPitch, row);
    m_surfaces.Unlock();
    return true;
}

}  // namespace orvik
