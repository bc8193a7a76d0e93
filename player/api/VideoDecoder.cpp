// Video decoder of a channel: the H.264 engine, field pairs joined by the
// deinterlacer, the caller's picture callback and the display.
#include <cstdio>
#include <cstring>

#include "player_win.h"
#include "qv_deinterlace.h"

namespace quillon {

namespace {
constexpr size_t kPictureBytes = 10560000;
constexpr int kSurfaceW = 1600, kSurfaceH = 1200;
}  // namespace

int CVideoDecoder::Create(HWND window, bool withDecoder) {
    Destroy();
    CGuard g(m_displayLock);
    m_window = window;
    try {
        m_picture.assign(kPictureBytes, 0);
    } catch (...) {
        return kPlNoMemory;
    }
    if (withDecoder) {
        // Four reference frames: camera encoders commonly use three, and a
        // decoder sized for two refuses such streams outright.
        H264DecParams params{0, 0, 100, 75, 4, 0};
        m_dec = H264DecCreate(&params);
        if (!m_dec) {
            std::vector<uint8_t>().swap(m_picture);
            return kPlNoMemory;
        }
    }
    // A display that cannot be made leaves the channel decoding without
    // drawing (the callback still gets every picture).
    m_display.Create(window, kSurfaceW, kSurfaceH);
    return kPlOk;
}

void CVideoDecoder::Destroy() {
    CGuard g(m_displayLock);
    std::vector<uint8_t>().swap(m_picture);
    if (m_deint) QV_ReleaseDeinterlace(m_deint);
    m_deint = nullptr;
    m_fieldReady = false;
    if (m_dec) H264DecRelease(m_dec);
    m_dec = nullptr;
    m_display.Release();
    m_shownW = m_shownH = 0;
    m_callback = nullptr;
    m_user = nullptr;
}

void CVideoDecoder::Show(int width, int height) {
    ++m_shows;
    m_shownW = width;
    m_shownH = height;
    const size_t luma = size_t(width) * size_t(height);
    if (m_callback) m_callback(1, m_picture.data(), int(luma * 3 / 2), width, height, m_user);
    m_display.SetPictureSize(width, height);
    m_display.Draw(m_picture.data(), width, m_picture.data() + luma, m_picture.data() + luma * 5 / 4, width / 2, 1);
}

void CVideoDecoder::OnPicture(const H264DecPicture& p) {
    const int w = (p.width - p.cropLeft - p.cropRight) & ~1;
    const int h = (p.height - p.cropTop - p.cropBottom) & ~1;
    if (w <= 0 || h <= 0) return;
    const uint8_t* y = p.y + ptrdiff_t(p.cropTop) * p.strideY + p.cropLeft;
    const uint8_t* u = p.u + ptrdiff_t(p.cropTop / 2) * p.strideC + p.cropLeft / 2;
    const uint8_t* v = p.v + ptrdiff_t(p.cropTop / 2) * p.strideC + p.cropLeft / 2;
    const size_t luma = size_t(w) * size_t(h);
    if (p.pictureType == 0) {
        if (luma * 3 / 2 > m_picture.size()) return;
        uint8_t* d = m_picture.data();
        for (int r = 0; r < h; ++r) std::memcpy(d + size_t(r) * w, y + ptrdiff_t(r) * p.strideY, size_t(w));
        d += luma;
        for (const uint8_t* plane : {u, v}) {
            for (int r = 0; r < h / 2; ++r)
                std::memcpy(d + size_t(r) * (w / 2), plane + ptrdiff_t(r) * p.strideC, size_t(w / 2));
            d += luma / 4;
        }
        m_fieldReady = false;
        Show(w, h);
        return;
    }
    // One field of a pair: the frame is twice the field height.
    if (luma * 3 > m_picture.size()) return;
    if (m_deint && (m_deintW != w || m_deintH != h)) {
        QV_ReleaseDeinterlace(m_deint);
        m_deint = nullptr;
    }
    if (!m_deint) {
        qvDEINTERLACE_PARA_S para{w, h, p.strideY, p.strideC, w, w / 2};
        if (QV_InitDeinterlace(&m_deint, para) != 0) {
            m_deint = nullptr;
            return;
        }
        m_deintW = w;
        m_deintH = h;
    }
    qvDEINTERLACE_FRAME_S frame{m_picture.data(), m_picture.data() + luma * 2, m_picture.data() + luma * 5 / 2};
    const qvPIC_TYPE_E type = p.pictureType == 2 ? QV_PIC_FIELD_OUTPUT : QV_PIC_FIELD_HISTORY;
    if (QV_Deinterlace(m_deint, frame, const_cast<uint8_t*>(y), const_cast<uint8_t*>(u), const_cast<uint8_t*>(v),
                       type) != 0)
        return;
    if (type == QV_PIC_FIELD_OUTPUT) {
        m_fieldReady = true;
        Show(w, h * 2);
    }
}

int CVideoDecoder::Decode(const uint8_t* data, uint32_t length) {
    CGuard g(m_displayLock);
    if (!m_dec) return 0;
    H264DecPicture pic{};
    int drawn = 0;
    int rc = H264DecDecodeFrame(m_dec, data, length, 0, 0, &pic, 0);
    for (int guard = 0; rc == 0 && guard < 64; ++guard) {
        const uint32_t before = m_shows;
        OnPicture(pic);
        drawn |= m_shows != before;
        rc = H264DecDecodeFrame(m_dec, nullptr, 0, 0, 0, &pic, 0);
    }
    return drawn ? 1 : 0;
}

void CVideoDecoder::Redraw() {
    // The timer thread must never wait for a decode: a busy display is
    // simply not redrawn this tick.
    if (!m_displayLock.TryEnter()) return;
    if (m_shownW > 0 && !m_picture.empty()) {
        const size_t luma = size_t(m_shownW) * size_t(m_shownH);
        m_display.SetPictureSize(m_shownW, m_shownH);
        m_display.Draw(m_picture.data(), m_shownW, m_picture.data() + luma, m_picture.data() + luma * 5 / 4,
                       m_shownW / 2, 1);
    }
    m_displayLock.Leave();
}

int CVideoDecoder::Snapshot(const char* path) {
    CGuard g(m_displayLock);
    if (m_shownW <= 0 || m_picture.empty()) return kPlNoPicture;
    const int w = m_shownW, h = m_shownH;
    const size_t luma = size_t(w) * size_t(h);
    std::vector<uint8_t> bmp;
    try {
        bmp = MakeBmp(m_picture.data(), w, m_picture.data() + luma, m_picture.data() + luma * 5 / 4, w / 2, w, h);
    } catch (...) {
        return kPlNoMemory;
    }
    FILE* f = std::fopen(path, "wb");
    if (!f) return kPlCannotOpen;
    const bool ok = std::fwrite(bmp.data(), 1, bmp.size(), f) == bmp.size();
    const bool closed = std::fclose(f) == 0;
    return ok && closed ? kPlOk : kPlCannotOpen;
}

int CVideoDecoder::ShowYuv(const uint8_t* picture, uint32_t length, int width, int height) {
    CGuard g(m_displayLock);
    if (!m_display.Created() || m_picture.empty()) return kPlNoMemory;
    // The picture must be a whole 4:2:0 picture the surface can take.
    if (width <= 0 || height <= 0 || (width & 1) || (height & 1) || width > kSurfaceW || height > kSurfaceH)
        return kPlBadArg;
    const size_t luma = size_t(width) * size_t(height);
    if (length < luma * 3 / 2) return kPlBadArg;
    std::memcpy(m_picture.data(), picture, luma * 3 / 2);
    m_shownW = width;
    m_shownH = height;
    m_display.SetPictureSize(width, height);
    m_display.Draw(m_picture.data(), width, m_picture.data() + luma, m_picture.data() + luma * 5 / 4, width / 2, 1);
    return kPlOk;
}

}  // namespace quillon
