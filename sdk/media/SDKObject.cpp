#include "media/SDKObject.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "media/media_log.h"
#include "qv_h264dec.h"

using orvik::MediaLog;

namespace {

std::atomic<long> g_live{0};
std::atomic<void (*)(CSDKObject*)> g_stepHook{nullptr};

// Offset of the first 00 00 01 at or after from (a leading 00 of a 4-byte
// code included), or n.
size_t NextStartCode(const uint8_t* p, size_t n, size_t from) {
    for (size_t i = from; i + 3 <= n; ++i)
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1) return (i > from && p[i - 1] == 0) ? i - 1 : i;
    return n;
}

}  // namespace

// ---- overlay geometry ----

OverlayFields ParseOverlay(const OverlayRegionBlock& b) {
    uint8_t raw[92];
    std::memcpy(raw, b.words, sizeof raw);
    auto i32 = [&](int o) {
        int32_t v;
        std::memcpy(&v, raw + o, 4);
        return v;
    };
    auto u16 = [&](int o) { return uint16_t(raw[o] | raw[o + 1] << 8); };
    OverlayFields f{};
    f.refWidth = i32(0);
    f.refHeight = i32(4);
    f.gridFlag = raw[8];
    for (int r = 0; r < 15; ++r) f.rowMask[r] = uint32_t(i32(12 + 4 * r));
    f.coverFlag = raw[72];
    f.coverX = u16(74);
    f.coverY = u16(76);
    f.coverW = u16(78);
    f.coverH = u16(80);
    return f;
}

bool CoverRect(const OverlayFields& f, int W, int H, OverlayRect* out) {
    if (f.coverFlag != 1 || f.coverW == 0 || f.coverH == 0) return false;
    // A reference size of zero or below has no scale: nothing is drawn.
    if (f.refWidth <= 0 || f.refHeight <= 0) return false;
    const float sx = float(W) / float(uint32_t(f.refWidth));
    const float sy = float(H) / float(uint32_t(f.refHeight));
    OverlayRect r;
    r.left = int(float(f.coverX) * sx);
    r.top = int(float(f.coverY) * sy);
    r.right = int(float(f.coverX + f.coverW) * sx);
    r.bottom = int(float(f.coverY + f.coverH) * sy);
    if (r.right - r.left <= 0 || r.bottom - r.top <= 0) return false;
    *out = r;
    return true;
}

int GridCells(const OverlayFields& f, int W, int H, OverlayRect* out) {
    if (f.gridFlag != 1) return 0;
    const int cw = W / 20, ch = H / 15;
    int n = 0;
    for (int r = 0; r < 15; ++r)
        for (int i = 0; i < 20; ++i)
            if (!(f.rowMask[r] >> i & 1)) out[n++] = OverlayRect{i * cw, r * ch, (i + 1) * cw, (r + 1) * ch};
    return n;
}

// ---- CSDKObject ----

CSDKObject::CSDKObject() {
    InitializeCriticalSection(&m_OverlayLock);
    m_hLeft = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ++g_live;
}

CSDKObject::~CSDKObject() {
    if (m_hThread) StopDecode();
    std::free(m_Gather);
    std::free(m_AuBuffer);
    std::free(m_FrameBuffer);
    delete m_RingBuffer;
    DeleteCriticalSection(&m_OverlayLock);
    if (m_hLeft) CloseHandle(m_hLeft);
    --g_live;
}

long CSDKObject::LiveObjects() { return g_live.load(); }
void CSDKObject::SetStepHookForTest(void (*hook)(CSDKObject*)) { g_stepHook.store(hook); }

void CSDKObject::FreeBuffers() {
    delete m_RingBuffer;
    m_RingBuffer = nullptr;
    std::free(m_FrameBuffer);
    m_FrameBuffer = nullptr;
    std::free(m_Gather);
    m_Gather = nullptr;
    std::free(m_AuBuffer);
    m_AuBuffer = nullptr;
    m_iFrameBufferLen = 0;
}

int CSDKObject::StartDecode() { return StartDecodeWith(3); }

int CSDKObject::RestartDecode(int decoderType, int qvAccessUnitMode) {
    const HWND window = m_hWnd;
    if (!StopDecode()) return -4;
    m_hWnd = window;
    m_iFrameBufferLen = 0;
    m_DecDraw.ReleaseDecoders();
    m_DecDraw.SetQvAccessUnitMode(qvAccessUnitMode);
    return StartDecodeWith(decoderType);
}

int CSDKObject::StartDecodeWith(int decoderType) {
    if (m_bRunning) return 0;
    if (!m_RingBuffer) {
        m_RingBuffer = new (std::nothrow) CRingBufferH264(kRingSize);
        if (m_RingBuffer && !m_RingBuffer->Valid()) {
            delete m_RingBuffer;
            m_RingBuffer = nullptr;
        }
    }
    if (!m_FrameBuffer) m_FrameBuffer = static_cast<uint8_t*>(std::malloc(kFrameSize));
    if (!m_Gather) m_Gather = static_cast<uint8_t*>(std::malloc(kGatherSize));
    if (!m_AuBuffer) m_AuBuffer = static_cast<uint8_t*>(std::malloc(kGatherSize));
    if (!m_RingBuffer || !m_FrameBuffer || !m_Gather || !m_AuBuffer) {
        FreeBuffers();
        return -1;
    }
    StopPlay();
    m_DecDraw.m_DecoderType = decoderType;
    if (m_DecDraw.InitDecoder(m_hWnd) < 0) {
        FreeBuffers();
        return -2;
    }
    m_ExitState = 0;
    if (m_hLeft) ResetEvent(m_hLeft);
    m_bRunning = true;
    m_hThread = CreateThread(nullptr, 0, DecodeThreadProc, this, 0, nullptr);
    if (!m_hThread) {
        m_bRunning = false;
        FreeBuffers();
        return -3;
    }
    return 0;
}

bool CSDKObject::StopDecode() {
    if (!m_hThread) return true;
    m_bRunning = false;
    // Wait for the thread to end, or at least to leave its loop: while the
    // library is being unloaded, a thread's exit waits for the loader lock
    // that the unloading thread holds, so only the left-loop event can come.
    // Messages sent to this thread's windows are served while waiting, so
    // a drawing that needs them can finish.
    HANDLE waits[2] = {m_hThread, m_hLeft};
    const DWORD count = m_hLeft ? 2 : 1;
    const DWORD t0 = GetTickCount();
    DWORD left = kStopWaitMs;
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(count, waits, FALSE, left, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + count) break;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        DWORD spent = GetTickCount() - t0;
        if (spent >= kStopWaitMs) break;
        left = kStopWaitMs - spent;
    }
    auto ended = [&](DWORD ms) {
        return WaitForMultipleObjects(count, waits, FALSE, ms) < WAIT_OBJECT_0 + count;
    };
    if (!ended(0)) {
        // Still blocked. Terminating it would leave its locks and memory
        // behind; the thread finishes the step and deletes the object.
        if (m_ExitState.exchange(2) != 1) {
            MediaLog("CSDKObject::StopDecode decode thread did not end in time; it will free the play handle");
            return false;
        }
        ended(kStopWaitMs);  // it is leaving: its event comes next
    }
    // Out of its loop, the thread has only to return from this library's
    // code; give it a moment when the system has not yet ended it.
    WaitForSingleObject(m_hThread, 20);
    CloseHandle(m_hThread);
    m_hThread = nullptr;
    std::free(m_FrameBuffer);
    m_FrameBuffer = nullptr;
    m_DecDraw.CleanScrean();
    delete m_RingBuffer;
    m_RingBuffer = nullptr;
    m_hWnd = nullptr;
    m_RingResetDone = false;
    return true;
}

void CSDKObject::Dispose(CSDKObject* obj) {
    if (!obj) return;
    if (obj->StopDecode()) delete obj;
}

int CSDKObject::StopPlay() {
    if (!m_RingResetDone && m_RingBuffer) {
        m_RingResetDone = true;
        m_RingBuffer->Reset();
    }
    return 0;
}

DWORD WINAPI CSDKObject::DecodeThreadProc(LPVOID p) {
    auto* self = static_cast<CSDKObject*>(p);
    while (self->m_bRunning) self->DecodeLoopStep();
    const HANDLE leftLoop = self->m_hLeft;
    if (self->m_ExitState.exchange(1) == 2) {
        // The closer gave up waiting and handed the object over.
        HANDLE h = self->m_hThread;
        self->m_hThread = nullptr;
        CloseHandle(h);
        delete self;
    } else if (leftLoop) {
        // The closer waits for this before it frees the object (and the
        // event): nothing of the object is touched after it.
        SetEvent(leftLoop);
    }
    return 0;
}

void CSDKObject::DecodeLoopStep() {
    if (auto hook = g_stepHook.load()) hook(this);
    int len = 0;
    uint32_t tag = 0;
    if (!m_RingBuffer->RBRead(m_FrameBuffer, kFrameSize, &len, &tag)) {
        Sleep(10);
        return;
    }
    if (len < 0) {
        MediaLog("CSDKObject::DecodeLoopStep access unit larger than the frame buffer dropped");
        return;
    }
    if (len == 0) {
        Sleep(10);
        return;
    }
    int pictures = 0;
    switch (m_DecDraw.m_DecoderType) {
    case 1:
        pictures = m_DecDraw.DecDraw(m_FrameBuffer, len);
        break;
    case 2:
        pictures = m_DecDraw.DecDrawMS264(m_FrameBuffer, len);
        break;
    case 3:
        m_DecDraw.DecDrawFfmpegApi(m_FrameBuffer, len);
        break;
    default:
        MediaLog("\xB2\xA5\xB7\xC5\xC0\xE0\xD0\xCD\xB2\xBB\xB4\xE6\xD4\xDA,\xC3\xBB\xB7\xA8\xBD\xE2\xC2\xEB!");
        return;
    }
    ++m_DecodedUnits;
    DrawOverlay();
    if (pictures > 0) m_DecDraw.PaceFrame();
}

void CSDKObject::SetOverlayRegions(const int32_t values[23]) {
    EnterCriticalSection(&m_OverlayLock);
    std::memcpy(m_Overlay.words, values, sizeof m_Overlay.words);
    LeaveCriticalSection(&m_OverlayLock);
}

void CSDKObject::DrawOverlay() {
    OverlayRegionBlock block;
    EnterCriticalSection(&m_OverlayLock);
    block = m_Overlay;
    LeaveCriticalSection(&m_OverlayLock);
    const OverlayFields f = ParseOverlay(block);
    if (f.coverFlag != 1 && f.gridFlag != 1) return;
    HWND wnd = m_hWnd;
    RECT rc;
    if (!wnd || !GetClientRect(wnd, &rc)) return;
    const int W = rc.right - rc.left, H = rc.bottom - rc.top;
    HDC dc = GetDC(wnd);
    if (!dc) return;
    OverlayRect r;
    if (CoverRect(f, W, H, &r)) {
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        RECT fr{r.left, r.top, r.right, r.bottom};
        FrameRect(dc, &fr, green);
        DeleteObject(green);
    }
    OverlayRect cells[300];
    int n = GridCells(f, W, H, cells);
    if (n > 0) {
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        for (int k = 0; k < n; ++k) {
            RECT fr{cells[k].left, cells[k].top, cells[k].right, cells[k].bottom};
            FrameRect(dc, &fr, red);
        }
        DeleteObject(red);
    }
    ReleaseDC(wnd, dc);
}

void CSDKObject::Snapshot(const char* path) { m_DecDraw.RequestSnapshot(path); }

void CSDKObject::CutUnits() {
    m_Cutter = QV_BITSTREAM{m_Gather, m_Gather + m_iFrameBufferLen, m_Gather, m_AuBuffer, 0, 0};
    m_Consumed = 0;
    while (QV_BITSTREAM_load_AU(&m_Cutter) == 0) {
        const int n = m_Cutter.auLength;
        if (n > kFrameSize) {
            // The decode thread could never take it: drop it here.
            char line[128];
            std::snprintf(line, sizeof line, "DecodeFrameH264 access unit of %d bytes exceeds the frame buffer", n);
            MediaLog(line);
        } else if (!m_RingBuffer->RBWrite(m_AuBuffer, n, 0)) {
            MediaLog("DecodeFrameH264 m_RingBuffer.RBWrite=false");
            m_Consumed += m_Cutter.used;
            break;
        }
        m_Consumed += m_Cutter.used;
    }
    m_iFrameBufferLen -= m_Consumed;
    if (m_Consumed > 0 && m_iFrameBufferLen > 0)
        std::memmove(m_Gather, m_Gather + m_Consumed, size_t(m_iFrameBufferLen));
}

void CSDKObject::DiscardStalledUnit() {
    size_t next = NextStartCode(m_Gather, size_t(m_iFrameBufferLen), 4);
    const int drop = int(next);
    char line[128];
    std::snprintf(line, sizeof line, "DecodeFrameH264 no access unit in a full gather buffer, %d bytes discarded", drop);
    MediaLog(line);
    m_iFrameBufferLen -= drop;
    if (m_iFrameBufferLen > 0) std::memmove(m_Gather, m_Gather + drop, size_t(m_iFrameBufferLen));
}

int CSDKObject::DecodeFrameH264(const uint8_t* data, int length) {
    if (!m_RingBuffer) {
        m_RingBuffer = new (std::nothrow) CRingBufferH264(kRingSize);
        if (m_RingBuffer && !m_RingBuffer->Valid()) {
            delete m_RingBuffer;
            m_RingBuffer = nullptr;
        }
        if (!m_RingBuffer) return -5;
    }
    if (!m_Gather || !m_AuBuffer || !data || length <= 0) return -5;
    m_Fits = length <= kGatherSize - m_iFrameBufferLen;
    if (m_Fits) {
        std::memcpy(m_Gather + m_iFrameBufferLen, data, size_t(length));
        m_iFrameBufferLen += length;
    }
    CutUnits();
    if (!m_Fits && length <= kGatherSize) {
        // What is held is the start of a unit that never completed. Drop
        // it up to the next start code until the block fits.
        while (length > kGatherSize - m_iFrameBufferLen) DiscardStalledUnit();
        std::memcpy(m_Gather + m_iFrameBufferLen, data, size_t(length));
        m_iFrameBufferLen += length;
        m_Fits = true;
        CutUnits();
    } else if (!m_Fits) {
        char line[160];
        std::snprintf(line, sizeof line, "DecodeFrameH264 BufferEnough=false iBufSize=%dm_iFrameBufferLen=%d", length,
                      m_iFrameBufferLen);
        MediaLog(line);
        std::snprintf(line, sizeof line, "catch DecodeFrameH264 BufferEnough=false iBufSize%d", length);
        MediaLog(line);
    }
    return m_Fits ? 1 : 0;
}
