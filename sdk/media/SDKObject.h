// One play handle: cuts the pushed bytes into access units, queues them in
// its ring and decodes and draws them on its own thread, with the
// motion-detection grid and cover rectangle drawn over the picture.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "media/RingBufferH264.h"
#include "media/video_dec_draw.h"
#include "qv_bitstream.h"

// The 23 values of NET_OverlayMdCoverRgn, 92 bytes in argument order.
struct OverlayRegionBlock {
    int32_t words[23];
};
static_assert(sizeof(OverlayRegionBlock) == 92, "overlay record is 92 bytes");

// The overlay record read back with its layout.
struct OverlayFields {
    int32_t refWidth, refHeight;
    uint8_t gridFlag;
    uint32_t rowMask[15];
    uint8_t coverFlag;
    uint16_t coverX, coverY, coverW, coverH;
};
OverlayFields ParseOverlay(const OverlayRegionBlock& b);

// A rectangle of the overlay, in window pixels.
struct OverlayRect {
    int left, top, right, bottom;
};
// The cover rectangle scaled into a W x H client area; false when it is
// not drawn (flag off, empty, bad reference size).
bool CoverRect(const OverlayFields& f, int W, int H, OverlayRect* out);
// The grid cells to outline (bit 0 in the row mask), at most 300.
int GridCells(const OverlayFields& f, int W, int H, OverlayRect* out);

class CSDKObject {
public:
    static constexpr int kGatherSize = 4 * 1024 * 1024;
    static constexpr int kFrameSize = 2 * 1024 * 1024;
    static constexpr int kRingSize = 5 * 1024 * 1024;
    static constexpr DWORD kStopWaitMs = 1000;

    CSDKObject();
    virtual ~CSDKObject();
    CSDKObject(const CSDKObject&) = delete;
    CSDKObject& operator=(const CSDKObject&) = delete;

    int StartDecode();   // 0, -1 memory, -2 decoder, -3 thread
    // Stops decoding, drops what is queued and held, and starts again with
    // a fresh decoder of the given type (type 1: qvAccessUnitMode chooses
    // whole access units or NAL units). Handles always decode with type 3;
    // this is how a test reaches the other decoders. -4 when the decode
    // thread did not end in time: it then owns and frees the object.
    int RestartDecode(int decoderType, int qvAccessUnitMode);
    int DecoderType() const { return m_DecDraw.m_DecoderType; }
    // Ends the decode thread within kStopWaitMs. True when it ended; false
    // when it is still blocked (in drawing): the thread then deletes the
    // object itself once it gets out, so the caller must not delete it.
    bool StopDecode();
    // Stops decoding and deletes the object, now or when its blocked
    // thread ends.
    static void Dispose(CSDKObject* obj);
    int StopPlay();      // 0
    int DecodeFrameH264(const uint8_t* data, int length);  // fits flag, or -5
    void SetOverlayRegions(const int32_t values[23]);
    void Snapshot(const char* path);

    bool Running() const { return m_bRunning.load(); }
    // Access units handed to the decoder so far (a test and bench seam).
    long DecodedUnits() const { return m_DecodedUnits.load(); }
    // Bytes held in the gather buffer.
    int Held() const { return m_iFrameBufferLen; }
    // Objects alive in the process, and a hook run at the start of every
    // decode step (test seams for closing a blocked thread).
    static long LiveObjects();
    static void SetStepHookForTest(void (*hook)(CSDKObject*));

    HWND m_hWnd = nullptr;
    int m_Handle = 0;

private:
    static DWORD WINAPI DecodeThreadProc(LPVOID self);
    void DecodeLoopStep();
    void DrawOverlay();
    void CutUnits();
    void FreeBuffers();
    int StartDecodeWith(int decoderType);
    // Drops held bytes up to the next start code after the first byte (all
    // of them when there is none): a unit that outgrew the gather buffer.
    void DiscardStalledUnit();

    HANDLE m_hThread = nullptr;
    HANDLE m_hLeft = nullptr;  // set when the decode thread leaves its loop
    std::atomic<bool> m_bRunning{false};
    CRingBufferH264* m_RingBuffer = nullptr;
    orvik::CVideoDecDrawH264 m_DecDraw;
    int m_Consumed = 0;
    uint8_t* m_Gather = nullptr;
    uint8_t* m_AuBuffer = nullptr;
    int m_iFrameBufferLen = 0;
    bool m_Fits = true;
    bool m_RingResetDone = false;
    QV_BITSTREAM m_Cutter{};
    uint8_t* m_FrameBuffer = nullptr;
    OverlayRegionBlock m_Overlay{};
    CRITICAL_SECTION m_OverlayLock;
    std::atomic<long> m_DecodedUnits{0};
    // 0 running, 1 the thread has left its loop, 2 handed to the thread.
    std::atomic<int> m_ExitState{0};
};
