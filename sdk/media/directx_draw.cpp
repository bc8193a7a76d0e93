#include "directx_draw.h"

#include <cstring>

#include "cvt_yuv2bmp.h"
#include "media_log.h"
#include "yuv_pack.h"

namespace orvik {

namespace {

template <class T>
void SafeRelease(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}

}  // namespace

CQV_DIRECTX_Draw::~CQV_DIRECTX_Draw() { ReleaseSurfaces(); }

void CQV_DIRECTX_Draw::ReleaseSurfaces() {
    m_ready = false;
    if (m_primary) m_primary->SetClipper(nullptr);
    SafeRelease(m_clipper);
    SafeRelease(m_offscreen);
    SafeRelease(m_primary);
    SafeRelease(m_dd);
    m_surfaceWindow = nullptr;
    m_lastStretch = -1;
}

int CQV_DIRECTX_Draw::InitDDraw(HWND window, int width, int height, int* kind) {
    ReleaseSurfaces();
    m_kind = kUyvy;
    if (kind) *kind = 0;
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&m_dd), IID_IDirectDraw7, nullptr))) {
        m_dd = nullptr;
        return -1;
    }
    // DirectDraw takes a null window for the whole desktop; a picture needs
    // a real one.
    if (!window || !IsWindow(window) || FAILED(m_dd->SetCooperativeLevel(window, DDSCL_NORMAL))) {
        ReleaseSurfaces();
        return -2;
    }
    DDCAPS caps;
    std::memset(&caps, 0, sizeof caps);
    caps.dwSize = sizeof caps;
    if (FAILED(m_dd->GetCaps(&caps, nullptr))) {
        ReleaseSurfaces();
        return -20;
    }
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

    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    sd.dwFlags = DDSD_CAPS;
    sd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(m_dd->CreateSurface(&sd, &m_primary, nullptr))) {
        m_primary = nullptr;
        ReleaseSurfaces();
        return -3;
    }
    if (width <= 0 || height <= 0 || (width & 1)) {
        ReleaseSurfaces();
        return -4;
    }
    auto makeOffscreen = [&](int k) {
        std::memset(&sd, 0, sizeof sd);
        sd.dwSize = sizeof sd;
        sd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
        sd.dwWidth = DWORD(width);
        sd.dwHeight = DWORD(height);
        sd.ddpfPixelFormat.dwSize = sizeof sd.ddpfPixelFormat;
        if (k == kUyvy) {
            sd.ddpfPixelFormat.dwFlags = DDPF_FOURCC;
            sd.ddpfPixelFormat.dwFourCC = MAKEFOURCC('U', 'Y', 'V', 'Y');
        } else {
            sd.ddpfPixelFormat.dwFlags = DDPF_RGB;
            sd.ddpfPixelFormat.dwRGBBitCount = 16;
            sd.ddpfPixelFormat.dwRBitMask = 0xF800;
            sd.ddpfPixelFormat.dwGBitMask = 0x07E0;
            sd.ddpfPixelFormat.dwBBitMask = 0x001F;
        }
        if (SUCCEEDED(m_dd->CreateSurface(&sd, &m_offscreen, nullptr))) return true;
        // Without display hardware (or with its memory full) the surface
        // lives in system memory and the blit is done by the CPU.
        m_offscreen = nullptr;
        sd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        if (SUCCEEDED(m_dd->CreateSurface(&sd, &m_offscreen, nullptr))) return true;
        m_offscreen = nullptr;
        return false;
    };
    // A display that claims FourCC blits but refuses the UYVY surface still
    // gets a picture through the RGB surface.
    if (!makeOffscreen(m_kind) && !(m_kind == kUyvy && (caps.dwCaps & DDCAPS_BLT) && makeOffscreen(kRgb565))) {
        ReleaseSurfaces();
        return -4;
    }
    if (m_offscreen && m_kind == kUyvy) {
        DDSURFACEDESC2 got;
        std::memset(&got, 0, sizeof got);
        got.dwSize = sizeof got;
        if (SUCCEEDED(m_offscreen->GetSurfaceDesc(&got)) && !(got.ddpfPixelFormat.dwFlags & DDPF_FOURCC))
            m_kind = kRgb565;
    }
    if (FAILED(m_dd->CreateClipper(0, &m_clipper, nullptr))) {
        m_clipper = nullptr;
        ReleaseSurfaces();
        return -2;
    }
    if (FAILED(m_clipper->SetHWnd(0, window))) {
        ReleaseSurfaces();
        return -3;
    }
    if (FAILED(m_primary->SetClipper(m_clipper))) {
        ReleaseSurfaces();
        return -4;
    }
    m_window = window;
    m_width = width;
    m_height = height;
    FillBlack();
    GetClientRect(window, &m_dest);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&m_dest), 2);
    m_surfaceWindow = window;
    m_ready = true;
    if (kind) *kind = m_kind;
    return 0;
}

// Black in the surface's own format: Y 16, U and V 128 for UYVY (a zero
// fill would be green), zero for RGB.
bool CQV_DIRECTX_Draw::FillBlack() {
    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    if (FAILED(m_offscreen->Lock(nullptr, &sd, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) return false;
    auto* base = static_cast<uint8_t*>(sd.lpSurface);
    for (int row = 0; row < m_height; ++row) {
        uint8_t* d = base + ptrdiff_t(row) * sd.lPitch;
        if (m_kind == kUyvy)
            for (int x = 0; x < m_width; x += 2) std::memcpy(d + 2 * x, kUyvyBlack, 4);
        else
            std::memset(d, 0, size_t(m_width) * 2);
    }
    m_offscreen->Unlock(nullptr);
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
    if (!m_primary || !m_offscreen) return -9;
    if (!IsWindow(m_window)) return -1;

    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    if (FAILED(m_offscreen->Lock(nullptr, &sd, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr))) {
        m_offscreen->Restore();
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
    m_offscreen->Unlock(nullptr);
    return Present(stretch);
}

int CQV_DIRECTX_Draw::Present(int stretch) {
    if (!m_window || !m_ready || !IsWindow(m_window)) return -1;
    if (!m_primary || !m_offscreen) return -9;
    RECT client;
    GetClientRect(m_window, &client);
    MapWindowPoints(m_window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    m_dest = client;
    if (stretch != m_lastStretch) {
        m_lastStretch = stretch;
        ClearWindow();
    }
    if (m_dest.right <= m_dest.left || m_dest.bottom <= m_dest.top) return 0;  // nothing visible
    HRESULT hr = m_primary->Blt(&m_dest, m_offscreen, nullptr, DDBLT_WAIT, nullptr);
    if (hr == DDERR_SURFACELOST) {
        m_primary->Restore();
        m_offscreen->Restore();
    }
    return 0;
}

void CQV_DIRECTX_Draw::ClearWindow() {
    if (!m_primary || !m_window || !IsWindow(m_window)) return;
    RECT r;
    GetClientRect(m_window, &r);
    MapWindowPoints(m_window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    if (r.right <= r.left || r.bottom <= r.top) return;
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    m_primary->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

}  // namespace orvik

namespace orvik {

bool CQV_DIRECTX_Draw::ReadSurface(std::vector<uint8_t>& out) {
    out.clear();
    if (!m_offscreen) return false;
    DDSURFACEDESC2 sd;
    std::memset(&sd, 0, sizeof sd);
    sd.dwSize = sizeof sd;
    if (FAILED(m_offscreen->Lock(nullptr, &sd, DDLOCK_WAIT | DDLOCK_READONLY, nullptr))) return false;
    const size_t row = size_t(m_width) * 2;
    out.resize(row * size_t(m_height));
    for (int r = 0; r < m_height; ++r)
        std::memcpy(&out[row * size_t(r)], static_cast<const uint8_t*>(sd.lpSurface) + ptrdiff_t(r) * sd.lPitch, row);
    m_offscreen->Unlock(nullptr);
    return true;
}

}  // namespace orvik
