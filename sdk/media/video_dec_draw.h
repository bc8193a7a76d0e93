// The decode-and-draw object of a play handle: decodes H.264 access units
// with the chosen decoder, draws the pictures into the window and writes
// requested snapshots as BMP files.
//   type 1: the chip maker's decoder (qv_h264dec), fields deinterlaced;
//   type 2: libavcodec through Orvik's shim, drawn and paced;
//   type 3: ffmpeg_api, the decoder of every play handle.
#pragma once
#include <windows.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "directx_draw.h"
#include "frame_pacer.h"
#include "h264_decoder.h"

struct AVCodecContext;
struct AVFrame;

namespace orvik {

class CVideoDecDrawH264 {
public:
    CVideoDecDrawH264();
    virtual ~CVideoDecDrawH264();
    CVideoDecDrawH264(const CVideoDecDrawH264&) = delete;
    CVideoDecDrawH264& operator=(const CVideoDecDrawH264&) = delete;

    // 0, or -1 for an unknown decoder type. Types 1-3 return 0 even when
    // their decoder could not be made (type 3 retries on every unit).
    int InitDecoder(HWND window);
    // Type 3: decodes and draws one access unit; writes a pending snapshot
    // of its last picture.
    void DecDrawFfmpegApi(const uint8_t* data, int length);
    // Types 1 and 2: the number of pictures drawn.
    int DecDraw(const uint8_t* data, int length);
    int DecDrawMS264(const uint8_t* data, int length);
    // Sleeps to keep types 1 and 2 near the target rate.
    void PaceFrame();
    void CleanScrean();

    // Type 1: whole access units (1, the default) or bytes as they come
    // (0), read when the decoder is made.
    void SetQvAccessUnitMode(int mode) { m_QvParams[1] = mode; }
    // Releases every decoder and drawing surface; the next InitDecoder
    // starts afresh.
    void ReleaseDecoders();

    // Marks the next decoded picture to be written to path (null: empty).
    void RequestSnapshot(const char* path);
    bool SnapshotPending() const;

    int m_DecoderType = 3;
    CQV_DIRECTX_Draw m_DirectxDraw;  // types 1 and 2

    CQV_DIRECTX_Draw& FfmpegDraw() { return m_FfmpegDraw; }
    int DrawTime() const { return m_DrawTime; }
    const FramePacer& Pacer() const { return m_Pacer; }

private:
    int InitQvDecoder();
    int InitAvcodec();
    int DecDrawQv(const uint8_t* data, int length);
    void DecDrawAvcodec(const uint8_t* data, int length, int& pictures);
    void ReleaseQvDecoder();
    void ReleaseAvcodec();
    // Copies planes into the contiguous picture buffer.
    void CopyPicture(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, int width,
                     int height);
    // Writes the pending snapshot, if any, from the given planes.
    void WriteSnapshot(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, int width,
                       int height);

    HWND m_hWnd = nullptr;
    intptr_t m_QvDecoder = 0;
    int m_QvParams[3] = {0, 1, 0};

    mutable std::mutex m_SnapshotLock;
    bool m_SnapshotPending = false;
    std::string m_SnapshotPath;

    std::vector<uint8_t> m_Picture;  // contiguous 4:2:0, types 1 and 2
    int m_PictureWidth = 0, m_PictureHeight = 0;
    void* m_Deinterlacer = nullptr;
    int m_DeinterlaceWidth = 0, m_DeinterlaceHeight = 0;
    std::vector<uint8_t> m_DeinterlaceFrame;

    AVCodecContext* m_Context = nullptr;
    AVFrame* m_Frame = nullptr;
    bool m_SurfaceReady = false;
    std::string m_CodecName = "h264";

    FramePacer m_Pacer;
    int m_DrawTime = 0;
    CH264Decoder m_H264Decoder;
    CQV_DIRECTX_Draw m_FfmpegDraw;  // type 3
};

}  // namespace orvik
