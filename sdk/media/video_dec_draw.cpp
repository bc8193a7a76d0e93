#include "video_dec_draw.h"

#include <atomic>
#include <cstring>
#include <new>
#include <string>

#include "avcodec_shim.h"
#include "cvt_yuv2bmp.h"
#include "media_log.h"
#include "qv_deinterlace.h"
#include "qv_h264dec.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace orvik {

CVideoDecDrawH264::CVideoDecDrawH264() = default;

CVideoDecDrawH264::~CVideoDecDrawH264() {
    switch (m_DecoderType) {
    case 1:
    case 2:
    case 3:
        break;
    default:
        MediaLog("~CVideoDecDrawH264()m_DecoderType Error!");
    }
    // Whatever the type is now, nothing made earlier is left behind.
    ReleaseQvDecoder();
    ReleaseAvcodec();
    m_H264Decoder.Release();
}

void CVideoDecDrawH264::ReleaseDecoders() {
    ReleaseQvDecoder();
    ReleaseAvcodec();
    m_H264Decoder.Release();
    m_DirectxDraw.ReleaseSurfaces();
    m_FfmpegDraw.ReleaseSurfaces();
}

int CVideoDecDrawH264::InitDecoder(HWND window) {
    switch (m_DecoderType) {
    case 1:
        m_hWnd = window;
        InitQvDecoder();
        return 0;
    case 2:
        m_hWnd = window;
        InitAvcodec();
        return 0;
    case 3:
        m_hWnd = window;
        m_H264Decoder.Init();
        return 0;
    default:
        return -1;
    }
}

void CVideoDecDrawH264::RequestSnapshot(const char* path) {
    std::lock_guard<std::mutex> g(m_SnapshotLock);
    m_SnapshotPath = path ? path : "";
    m_SnapshotPending = true;
}

bool CVideoDecDrawH264::SnapshotPending() const {
    std::lock_guard<std::mutex> g(m_SnapshotLock);
    return m_SnapshotPending;
}

void CVideoDecDrawH264::WriteSnapshot(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v,
                                      int cStride, int width, int height) {
    std::string path;
    {
        std::lock_guard<std::mutex> g(m_SnapshotLock);
        if (!m_SnapshotPending) return;
        m_SnapshotPending = false;
        path = m_SnapshotPath;
    }
    // The buffer is sized by the picture: any size the decoder gives fits.
    CCvtYuv2BMP cvt(width, height);
    std::vector<uint8_t> rgb;
    try {
        rgb.resize(cvt.ImageSize());
    } catch (const std::bad_alloc&) {
        MediaLog("snapshot: no memory for the picture");
        return;
    }
    if (rgb.empty() || !cvt.YuvToRgb(y, yStride, u, v, cStride, rgb.data())) {
        MediaLog("snapshot: picture size not convertible");
        return;
    }
    cvt.WriteBmp(path.c_str(), rgb.data(), 24);
}

void CVideoDecDrawH264::DecDrawFfmpegApi(const uint8_t* data, int length) {
    FfmpegPicture pic{};
    bool drew = false;
    while (length > 0) {
        int n = m_H264Decoder.Decode(data, length, &pic);
        if (n <= 0) return;
        DWORD t0 = GetTickCount();
        m_FfmpegDraw.DrawPicture(pic.y, pic.u, pic.v, 1, pic.width, pic.height, m_hWnd);
        m_DrawTime = int(GetTickCount() - t0);
        drew = true;
        data += n;
        length -= n;
    }
    if (drew) WriteSnapshot(pic.y, pic.width, pic.u, pic.v, pic.width / 2, pic.width, pic.height);
}

// ---- type 1 ----

int CVideoDecDrawH264::InitQvDecoder() {
    if (m_QvDecoder) return 0;
    m_QvDecoder = QV_H264DEC_Create(m_QvParams[0], m_QvParams[1], m_QvParams[2]);
    return 0;
}

void CVideoDecDrawH264::ReleaseQvDecoder() {
    if (m_Deinterlacer) QV_ReleaseDeinterlace(m_Deinterlacer);
    m_Deinterlacer = nullptr;
    m_DeinterlaceFrame.clear();
    if (m_QvDecoder) QV_H264DEC_Release(m_QvDecoder);
    m_QvDecoder = 0;
    if (m_DecoderType == 1) m_DirectxDraw.ReleaseSurfaces();
}

void CVideoDecDrawH264::CopyPicture(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                                    int width, int height) {
    m_PictureWidth = width;
    m_PictureHeight = height;
    const int cw = width / 2, ch = height / 2;
    m_Picture.resize(size_t(width) * height + 2 * size_t(cw) * ch);
    uint8_t* d = m_Picture.data();
    for (int r = 0; r < height; ++r, d += width) std::memcpy(d, y + ptrdiff_t(r) * yStride, size_t(width));
    for (int r = 0; r < ch; ++r, d += cw) std::memcpy(d, u + ptrdiff_t(r) * cStride, size_t(cw));
    for (int r = 0; r < ch; ++r, d += cw) std::memcpy(d, v + ptrdiff_t(r) * cStride, size_t(cw));
}

int CVideoDecDrawH264::DecDraw(const uint8_t* data, int length) {
    try {
        return DecDrawQv(data, length);
    } catch (...) {
        // GBK text: exception
        MediaLog("CVideoDecDrawH264::DecDraw \xD2\xEC\xB3\xA3");
        return 0;
    }
}

int CVideoDecDrawH264::DecDrawQv(const uint8_t* data, int length) {
    if (!m_QvDecoder || !data || length <= 0) return 0;
    QV_H264DEC_PICTURE pic{};
    int r = m_QvParams[1] ? QV_H264DEC_DecodeAu(m_QvDecoder, data, length, &pic)
                          : QV_H264DEC_DecodeNalu(m_QvDecoder, data, length, &pic);
    if (r <= 0 || pic.width <= 0 || pic.height <= 0 || !pic.y) return 0;
    int width = pic.width, height = pic.height;
    if (pic.field) {
        // The frame is twice the field's height; its luma rows are a
        // multiple of 8 wide and its chroma starts grey.
        const int stride = (width + 7) & ~7;
        height = pic.height * 2;
        if (!m_Deinterlacer || m_DeinterlaceWidth != width || m_DeinterlaceHeight != height) {
            if (m_Deinterlacer) QV_ReleaseDeinterlace(m_Deinterlacer);
            m_Deinterlacer = nullptr;
            qvDEINTERLACE_PARA_S para = {width, pic.height, pic.yStride, pic.cStride, stride, stride / 2};
            if (QV_InitDeinterlace(&m_Deinterlacer, para) != 0) m_Deinterlacer = nullptr;
            m_DeinterlaceWidth = width;
            m_DeinterlaceHeight = height;
            m_DeinterlaceFrame.assign(size_t(stride) * height + 2 * size_t(stride / 2) * (height / 2), 128);
        }
        if (!m_Deinterlacer) return 0;
        uint8_t* fy = m_DeinterlaceFrame.data();
        uint8_t* fu = fy + size_t(stride) * height;
        uint8_t* fv = fu + size_t(stride / 2) * (height / 2);
        qvDEINTERLACE_FRAME_S out = {fy, fu, fv};
        if (QV_Deinterlace(m_Deinterlacer, out, const_cast<uint8_t*>(pic.y), const_cast<uint8_t*>(pic.u),
                           const_cast<uint8_t*>(pic.v), QV_PIC_FIELD_OUTPUT) != 0)
            return 0;
        CopyPicture(fy, stride, fu, fv, stride / 2, width, height);
    } else {
        CopyPicture(pic.y, pic.yStride, pic.u, pic.v, pic.cStride, width, height);
    }
    const uint8_t* y = m_Picture.data();
    const uint8_t* u = y + size_t(width) * height;
    const uint8_t* v = u + size_t(width / 2) * (height / 2);
    if (!m_DirectxDraw.Ready() || m_DirectxDraw.Width() != width || m_DirectxDraw.Height() != height ||
        m_DirectxDraw.Window() != m_hWnd) {
        int code = m_DirectxDraw.InitDDraw(m_hWnd, width, height);
        if (code < 0) {
            std::string line = "m_DirectxDraw.InitDDraw false! error CVideoDecDrawH264::DecDraw m_DirectxHandle=";
            MediaLog((line + std::to_string(code)).c_str());
            WriteSnapshot(y, width, u, v, width / 2, width, height);
            return 0;
        }
    }
    try {
        m_DirectxDraw.DrawYUV(y, u, v, 1);
    } catch (...) {
        // GBK text: exception!
        MediaLog("m_DirectxDraw.DrawYUV\xD2\xEC\xB3\xA3\xA3\xA1");
    }
    WriteSnapshot(y, width, u, v, width / 2, width, height);
    return 1;
}

// ---- type 2 ----

int CVideoDecDrawH264::InitAvcodec() {
    if (m_Context) return 0;
    AVCODEC_init();
    m_Context = AVCODEC_alloc_context();
    m_Frame = AVCODEC_alloc_frame();
    if (!m_Context || !m_Frame || AVCODEC_open(m_Context, nullptr) < 0) {
        MediaLog("CVideoDecDrawH264::InitAvcodec failed");
        ReleaseAvcodec();
        return 0;
    }
    m_SurfaceReady = false;
    return 0;
}

void CVideoDecDrawH264::ReleaseAvcodec() {
    if (m_Context) {
        AVCODEC_close(m_Context);
        AV_FREE(m_Context);
        m_Context = nullptr;
    }
    if (m_Frame) {
        AV_FREE(m_Frame);
        m_Frame = nullptr;
    }
    if (m_DecoderType == 2) m_DirectxDraw.ReleaseSurfaces();
    m_SurfaceReady = false;
}

int CVideoDecDrawH264::DecDrawMS264(const uint8_t* data, int length) {
    int pictures = 0;
    try {
        DecDrawAvcodec(data, length, pictures);
    } catch (...) {
        MediaLog("catch CVideoDecDrawH264::DecDrawMS264");
    }
    return pictures;
}

void CVideoDecDrawH264::DecDrawAvcodec(const uint8_t* data, int length, int& pictures) {
    if (!m_Context || !m_Frame || !data) return;
    // The surface is made once the first picture gives the real size, and
    // again whenever the size changes.
    while (length > 0) {
        int got = 0;
        int n = AVCODEC_decode_video(m_Context, m_Frame, &got, data, length);
        if (n <= 0) break;
        if (got) {
            const AVFrame* f = m_Frame;
            if (!m_SurfaceReady || m_DirectxDraw.Width() != f->width || m_DirectxDraw.Height() != f->height ||
                m_DirectxDraw.Window() != m_hWnd)
                m_SurfaceReady = m_DirectxDraw.InitDDraw(m_hWnd, f->width, f->height) == 0;
            if (m_SurfaceReady &&
                m_DirectxDraw.DrawYUYV(f->data[0], f->data[1], f->data[2], f->linesize[0], f->linesize[1], 1) == 0)
                ++pictures;
            CopyPicture(f->data[0], f->linesize[0], f->data[1], f->data[2], f->linesize[1], f->width, f->height);
            const uint8_t* y = m_Picture.data();
            const uint8_t* u = y + size_t(f->width) * f->height;
            const uint8_t* v = u + size_t(f->width / 2) * (f->height / 2);
            WriteSnapshot(y, f->width, u, v, f->width / 2, f->width, f->height);
        }
        data += n;
        length -= n;
    }
}

void CVideoDecDrawH264::PaceFrame() {
    int wait = m_Pacer.SleepBefore(GetTickCount());
    if (wait > 0) Sleep(DWORD(wait));
    m_Pacer.Account(GetTickCount());
}

void CVideoDecDrawH264::CleanScrean() {
    switch (m_DecoderType) {
    case 1:
    case 2:
        m_DirectxDraw.ClearWindow();
        break;
    case 3:
        m_FfmpegDraw.ClearWindow();
        break;
    default:
        MediaLog("CVideoDecDrawH264::CleanScrean()m_DecoderType Error!");
    }
}

}  // namespace orvik
