// Play channel: file mode (a record file read frame by frame on the
// channel's thread, paced by the scheduler) and stream mode (frames pushed
// by the caller into a ring, taken out one per tick).
#include "player_win.h"

namespace quillon {

namespace {
DWORD g_closeTimeout = 5000;
constexpr DWORD kFileExit = 8002, kStreamExit = 8001;
}  // namespace

void CPlayChannel::SetCloseTimeout(DWORD ms) { g_closeTimeout = ms; }

CPlayChannel::CPlayChannel()
    : m_tick(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_stopEv(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_done(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_lock(new CLock) {}

CPlayChannel::~CPlayChannel() {
    // Tables are destroyed at unload: no waiting on threads here.
    for (HANDLE h : {m_tick, m_stopEv, m_done, m_thread})
        if (h) CloseHandle(h);
}

void CPlayChannel::OnTick(void* self) {
    auto* c = static_cast<CPlayChannel*>(self);
    if (c->m_mode == kFile && (c->m_paused || (c->m_reader && c->m_reader->AtEnd()))) {
        if (c->m_video) c->m_video->Redraw();
        return;
    }
    SetEvent(c->m_tick);
}

int CPlayChannel::StartThread(LPTHREAD_START_ROUTINE proc) {
    ResetEvent(m_stopEv);
    ResetEvent(m_done);
    ResetEvent(m_tick);
    m_thread = CreateThread(nullptr, 0, proc, this, 0, nullptr);
    return m_thread ? kPlOk : kPlNoMemory;
}

int CPlayChannel::OpenStream(HWND window, int rateMode, PictureCallback cb, void* user) {
    if (m_mode != kClosed) return kPlBusy;
    if (!window || !IsWindow(window)) return kPlBadArg;
    try {
        m_ring.reset(new StreamRing);
        m_video.reset(new CVideoDecoder);
    } catch (...) {
        m_ring.reset();
        m_video.reset();
        return kPlNoMemory;
    }
    int r = m_video->Create(window);
    if (r != kPlOk) {
        m_video.reset();
        m_ring.reset();
        return r;
    }
    m_video->SetCallback(cb, user);
    m_window = window;
    m_streamInterval = rateMode == 1 ? 1000 / 31 : 1000 / 26;
    m_entry = Scheduler().Add(m_streamInterval, OnTick, this);
    if (m_entry < 0) {  // a channel that never ticks is no channel
        m_video.reset();
        m_ring.reset();
        return kPlNoMemory;
    }
    m_mode = kStream;
    if (StartThread(StreamThread) != kPlOk) {
        Close();
        return kPlNoMemory;
    }
    return kPlOk;
}

int CPlayChannel::AddVideo(const uint8_t* data, uint32_t length) {
    if (m_mode != kStream || !m_ring) return kPlNotOpen;
    return m_ring->Add(data, length);
}

DWORD WINAPI CPlayChannel::StreamThread(void* self) {
    auto* c = static_cast<CPlayChannel*>(self);
    HANDLE waits[2] = {c->m_stopEv, c->m_tick};
    for (;;) {
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) break;
        if (c->m_holdMs) Sleep(c->m_holdMs);
        const uint8_t *p1, *p2;
        uint32_t n1, n2;
        if (!c->m_ring->Peek(&p1, &n1, &p2, &n2)) continue;
        c->m_video->Decode(p1, n1);
        if (n2) c->m_video->Decode(p2, n2);
        if (c->m_ring->Pop() > kBacklogLimit) SetEvent(c->m_tick);
    }
    SetEvent(c->m_done);
    return kStreamExit;
}

int CPlayChannel::OpenFile(const char* path, HWND window, PlayerFileInfo* info, PictureCallback cb, void* user) {
    if (m_mode != kClosed) return kPlBusy;
    if (!path || !info || !window || !IsWindow(window)) return kPlBadArg;
    std::unique_ptr<CRecordReader> reader(new CRecordReader(kChannelBufferSize));
    PlayerFileInfo fi{};
    int r = reader->Open(path, &fi);
    if (r != kPlOk) return r;
    std::unique_ptr<CVideoDecoder> video(new CVideoDecoder);
    r = video->Create(window);
    if (r != kPlOk) return r;
    video->SetCallback(cb, user);
    m_frameRate = reader->Header().frameRate;
    m_reader = std::move(reader);
    m_video = std::move(video);
    m_window = window;
    m_paused = 1;
    m_speed = 0;
    m_entry = Scheduler().Add(SpeedInterval(m_frameRate, 0), OnTick, this);
    if (m_entry < 0) {
        m_reader.reset();
        m_video.reset();
        return kPlNoMemory;
    }
    m_mode = kFile;
    if (StartThread(FileThread) != kPlOk) {
        Close();
        return kPlNoMemory;
    }
    *info = fi;
    return kPlOk;
}

void CPlayChannel::PlayAudio(const uint8_t* audio, uint32_t length) {
    if (!m_sound || !m_sound->Started()) return;
    const uint32_t size = VoiceFrameSize(audio, length);
    if (!size) return;
    const uint32_t whole = length / size * size;
    if (whole) m_sound->Play(audio, whole);
}

DWORD WINAPI CPlayChannel::FileThread(void* self) {
    auto* c = static_cast<CPlayChannel*>(self);
    CLock& lock = *c->m_lock;
    HANDLE waits[2] = {c->m_stopEv, c->m_tick};
    for (;;) {
        if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) break;
        CGuard g(lock);
        if (c->m_holdMs) Sleep(c->m_holdMs);
        if (c->m_reader->AtEnd()) continue;
        PlayerFrameHeader h;
        if (c->m_reader->Next(&h) != kPlOk) continue;
        const uint8_t* buf = c->m_reader->Buffer();
        if (h.videoLength()) c->m_video->Decode(buf, h.videoLength());
        if (c->m_speed == 0 && h.audioLength()) c->PlayAudio(buf + h.videoLength(), h.audioLength());
    }
    SetEvent(c->m_done);
    return kFileExit;
}

int CPlayChannel::Close() {
    if (m_mode == kClosed) return kPlOk;
    Scheduler().Remove(m_entry);
    m_entry = -1;
    if (m_thread) {
        ResetEvent(m_done);
        SetEvent(m_stopEv);
        if (WaitForSingleObject(m_done, g_closeTimeout) != WAIT_OBJECT_0) {
            TerminateThread(m_thread, DWORD(-101));
            WaitForSingleObject(m_thread, 1000);
            // The thread may have died holding the channel lock or the
            // display lock: both are replaced, never waited on again.
            m_lock.release();  // leaked on purpose: its owner is gone
            m_lock.reset(new CLock);
            m_video.release();
        }
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    m_paused = 1;
    m_speed = 0;
    m_reader.reset();
    m_ring.reset();
    m_video.reset();
    m_window = nullptr;
    m_mode = kClosed;
    return kPlOk;
}

void CPlayChannel::Play() {
    if (m_mode != kFile) return;
    if (m_reader->AtEnd()) {
        CGuard g(*m_lock);
        m_reader->Seek(0);
    }
    m_paused = 0;
}

void CPlayChannel::Pause() { m_paused = 1; }

void CPlayChannel::StopPlay() {
    if (m_mode != kFile || m_paused) return;
    m_paused = 1;
    Sleep(50);
    Seek(0);
}

void CPlayChannel::Step() { SetEvent(m_tick); }

int CPlayChannel::Seek(int perMille) {
    if (perMille < 0 || perMille > 1000) return kPlBadArg;
    if (m_mode != kFile) return kPlOk;
    {
        CGuard g(*m_lock);
        m_reader->Seek(perMille);
    }
    if (m_paused) {
        SetEvent(m_tick);
        Sleep(50);
        SetEvent(m_tick);
    }
    return kPlOk;
}

int CPlayChannel::Position() {
    if (m_mode != kFile) return 0;
    return PerMille(m_reader->Position(), m_reader->Length());
}

int CPlayChannel::Time() {
    if (m_mode != kFile || m_frameRate <= 0) return 0;
    return int(m_reader->FrameNumber() / uint32_t(m_frameRate));
}

void CPlayChannel::ReplaceEntry() {
    if (m_mode != kFile) return;  // the stream pace stays as opened
    const int interval = SpeedInterval(m_frameRate, m_speed);
    if (interval <= 0) return;
    Scheduler().Remove(m_entry);
    m_entry = Scheduler().Add(interval, OnTick, this);
}

void CPlayChannel::Slow() {
    if (m_mode != kFile || m_speed <= kMinSpeed) return;
    m_speed = m_speed - 1;
    ReplaceEntry();
}

void CPlayChannel::Fast() {
    if (m_mode != kFile || m_speed >= kMaxSpeed) return;
    m_speed = m_speed + 1;
    ReplaceEntry();
}

int CPlayChannel::Snapshot(const char* path) {
    if (!m_video) return kPlNoPicture;
    return m_video->Snapshot(path);
}

int CPlayChannel::OpenDisplay(HWND window) {
    if (m_mode != kClosed) return kPlBusy;
    if (!window || !IsWindow(window)) return kPlBadArg;
    std::unique_ptr<CVideoDecoder> video(new CVideoDecoder);
    int r = video->Create(window, false);
    if (r != kPlOk) return r;
    m_video = std::move(video);
    m_window = window;
    m_mode = kDisplay;
    return kPlOk;
}

int CPlayChannel::ShowYuv(int format, const uint8_t* picture, uint32_t length, int width, int height) {
    if (m_mode != kDisplay || !m_video) return kPlNotOpen;
    if (!m_video->HasDisplay()) return kPlNoMemory;
    if (format != 1) return kPlBadArg;
    return m_video->ShowYuv(picture, length, width, height);
}

int CPlayChannel::CloseDisplay() {
    if (m_mode != kDisplay) return kPlNotOpen;
    m_video.reset();
    m_window = nullptr;
    m_mode = kClosed;
    return kPlOk;
}

}  // namespace quillon
