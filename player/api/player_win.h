// Player library objects over Win32: the record-file reader, the 2 ms play
// scheduler, the DirectDraw display, the video decoder, sound and talk, and
// the play channel of file and stream mode.
#pragma once
#include <windows.h>

#include <ddraw.h>
#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

#include "ddraw_surfaces.h"
#include "h264dec.h"
#include "player_core.h"

namespace quillon {

// A critical section with RAII.
class CLock {
public:
    CLock() { InitializeCriticalSection(&m_cs); }
    ~CLock() { DeleteCriticalSection(&m_cs); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;
    void Enter() { EnterCriticalSection(&m_cs); }
    bool TryEnter() { return TryEnterCriticalSection(&m_cs) != FALSE; }
    void Leave() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CGuard {
public:
    explicit CGuard(CLock& l) : m_l(l) { m_l.Enter(); }
    ~CGuard() { m_l.Leave(); }
    CGuard(const CGuard&) = delete;
    CGuard& operator=(const CGuard&) = delete;

private:
    CLock& m_l;
};

// ---------------------------------------------------------------- reader
// One record file read frame by frame with the player's 16-byte frame
// headers. Used by the reader slots (0x21000-byte buffer) and by file
// channels (0x85000 bytes).
class CRecordReader {
public:
    explicit CRecordReader(uint32_t capacity) : m_frames(capacity) {}
    ~CRecordReader() { Close(); }
    int Open(const char* path, PlayerFileInfo* info);
    void Close();
    bool IsOpen() const { return m_source.file != INVALID_HANDLE_VALUE; }
    // 0 with the frame in the buffer; kPlEndOfFile; kPlReadError.
    int Next(PlayerFrameHeader* header) { return IsOpen() ? m_frames.Next(header) : kPlNotOpen; }
    // Per mille 0..1000; scans for the next key frame.
    int Seek(int perMille) { return m_frames.Seek(perMille); }
    const uint8_t* Buffer() const { return m_frames.Buffer(); }
    uint8_t* Buffer() { return m_frames.Buffer(); }
    uint32_t Length() const { return m_frames.Length(); }
    uint32_t Position() const { return m_frames.Position(); }
    uint32_t FrameNumber() const { return m_frames.FrameNumber(); }
    const record::RecordFileHeader& Header() const { return m_frames.Header(); }
    bool AtEnd() const { return m_frames.AtEnd(); }

private:
    // The open file as the reading rules' byte source.
    struct FileSource : record::IRecordFileSource {
        HANDLE file = INVALID_HANDLE_VALUE;
        uint32_t length = 0;
        uint64_t Length() const override { return length; }
        long Read(uint8_t* p, uint32_t n) override;
        bool Seek(uint64_t pos) override;
    };

    FileSource m_source;
    RecordFrameReader m_frames;
};

// ---------------------------------------------------------------- scheduler
class CTimerScheduler {
public:
    using Callback = void (*)(void* object);
    enum { kEntries = 64, kPeriod = 2 };
    bool Start();
    void Stop();
    int Add(int intervalMs, Callback cb, void* object);  // index or -1
    void Remove(int index);
    bool Running() const { return m_timer != 0; }
    int InUse();

private:
    static void CALLBACK TimerProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
    void Tick();
    struct Entry {
        bool inUse = false;
        int interval = 0;
        Callback cb = nullptr;
        void* object = nullptr;
        uint32_t lastRun = 0;
    };
    UINT m_resolution = 0;
    MMRESULT m_timer = 0;
    volatile uint32_t m_time = 0;
    CLock m_lock;
    Entry m_entries[kEntries];
};

CTimerScheduler& Scheduler();

// ---------------------------------------------------------------- display
class CDDrawDisplay {
public:
    ~CDDrawDisplay() { Release(); }
    int Create(HWND window, int width, int height);
    void Release();
    bool Created() const { return m_created; }
    void SetPictureSize(int w, int h) {
        m_picW = w;
        m_picH = h;
    }
    // Contiguous planes with the given strides.
    int Draw(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, int stretch);

private:
    display::DDrawSurfaces m_surfaces;
    HWND m_window = nullptr;
    int m_surfW = 0, m_surfH = 0;
    int m_picW = 0, m_picH = 0;
    int m_lastStretch = -1;
    bool m_created = false;
};

// ---------------------------------------------------------------- video decoder
using PictureCallback = void(CALLBACK*)(int format, unsigned char* picture, int length, int width, int height,
                                        void* user);

class CVideoDecoder {
public:
    ~CVideoDecoder() { Destroy(); }
    // 0, or kPlNoMemory when the decoder or the picture buffer cannot be made.
    int Create(HWND window, bool withDecoder = true);
    void SetCallback(PictureCallback cb, void* user) {
        m_callback = cb;
        m_user = user;
    }
    int Decode(const uint8_t* data, uint32_t length);  // 1 when something was drawn
    void Redraw();
    void Destroy();
    // The display and the last picture, under the display lock.
    int Snapshot(const char* path);
    int ShowYuv(const uint8_t* picture, uint32_t length, int width, int height);
    bool HasDisplay() const { return m_display.Created(); }
    CLock& DisplayLock() { return m_displayLock; }

private:
    void OnPicture(const H264DecPicture& pic);
    void Show(int width, int height);

    HWND m_window = nullptr;
    CDDrawDisplay m_display;
    H264DecContext* m_dec = nullptr;
    std::vector<uint8_t> m_picture;  // contiguous 4:2:0 of the last shown picture
    int m_shownW = 0, m_shownH = 0;  // 0 until a picture was shown
    uint32_t m_shows = 0;
    void* m_deint = nullptr;
    int m_deintW = 0, m_deintH = 0;
    bool m_fieldReady = false;
    PictureCallback m_callback = nullptr;
    void* m_user = nullptr;
    CLock m_displayLock;  // the display and m_picture: one owner at a time
};

// ---------------------------------------------------------------- sound
class CWaveOutPlayer {
public:
    enum { kBuffers = 10, kBufferBytes = 960, kRingBytes = 8192 };
    CWaveOutPlayer() : m_ring(kRingBytes) {}
    ~CWaveOutPlayer() { Close(); }
    bool Open();   // false: no device (silent)
    void Close();
    void Queue(const uint8_t* pcm, uint32_t bytes);
    void ResetRing();
    uint64_t BuffersPlayed() const { return m_played; }
    bool IsOpen() const { return m_wave != nullptr; }

private:
    static DWORD WINAPI FeedThread(void* self);
    void Refill(WAVEHDR& h);
    HWAVEOUT m_wave = nullptr;
    HANDLE m_event = nullptr, m_thread = nullptr;
    volatile LONG m_stop = 0;
    std::vector<std::vector<uint8_t>> m_data;
    WAVEHDR m_headers[kBuffers]{};
    CFrameRingBuffer m_ring;
    CLock m_lock;
    volatile uint64_t m_played = 0;
};

class CSoundChannel {
public:
    int Start();
    int Stop();
    int Play(const uint8_t* data, uint32_t length);
    int Decode(const uint8_t* data, uint32_t length, uint8_t* pcm, int* bytes);
    bool Started() const { return m_started; }
    CWaveOutPlayer& Output() { return m_out; }

private:
    void SetType(int type);
    int DecodeOne(const uint8_t* frame, int16_t* out, int* samples);
    int m_type = 4;
    alignas(8) uint8_t m_decState[2048];
    bool m_stateReady = false;
    int16_t m_pcm[960];
    int m_lastSamples = 0;
    bool m_started = false;
    CWaveOutPlayer m_out;
};

using CaptureCallback = void(CALLBACK*)(unsigned char* frame, int length);

class CWaveInCapture {
public:
    enum { kBuffers = 10, kBufferBytes = 960 };
    ~CWaveInCapture() { Stop(); }
    int Start(CaptureCallback cb);
    int Stop();
    bool IsOpen() const { return m_wave != nullptr; }

private:
    static DWORD WINAPI CaptureThread(void* self);
    void OnBuffer(WAVEHDR& h);
    HWAVEIN m_wave = nullptr;
    HANDLE m_event = nullptr, m_thread = nullptr;
    volatile LONG m_stop = 0;
    std::vector<std::vector<uint8_t>> m_data;
    WAVEHDR m_headers[kBuffers]{};
    alignas(8) uint8_t m_encState[2048];
    uint8_t m_frame[1024];
    CaptureCallback m_callback = nullptr;
};

// ---------------------------------------------------------------- play channel
class CPlayChannel {
public:
    enum Mode { kClosed = 0, kStream = 1, kFile = 2, kDisplay = 3 };
    CPlayChannel();
    ~CPlayChannel();
    void SetSound(CSoundChannel* s) { m_sound = s; }
    int GetMode() const { return m_mode; }

    int OpenStream(HWND window, int rateMode, PictureCallback cb, void* user);
    int AddVideo(const uint8_t* data, uint32_t length);
    int OpenFile(const char* path, HWND window, PlayerFileInfo* info, PictureCallback cb, void* user);
    int Close();
    void Play();
    void Pause();
    void StopPlay();
    void Step();
    int Seek(int perMille);
    int Position();
    int Time();
    void Slow();
    void Fast();
    int Speed() const { return m_speed; }
    int SchedulerEntry() const { return m_entry; }
    int Snapshot(const char* path);
    // Display slots.
    int OpenDisplay(HWND window);
    int ShowYuv(int format, const uint8_t* picture, uint32_t length, int width, int height);
    int CloseDisplay();
    // Test hooks.
    bool Paused() const { return m_paused != 0; }
    static void SetCloseTimeout(DWORD ms);
    void HoldThreadForTest(DWORD ms) { m_holdMs = ms; }

private:
    static void OnTick(void* self);
    static DWORD WINAPI FileThread(void* self);
    static DWORD WINAPI StreamThread(void* self);
    int StartThread(LPTHREAD_START_ROUTINE proc);
    void ReplaceEntry();
    void PlayAudio(const uint8_t* audio, uint32_t length);

    volatile LONG m_mode = kClosed;
    CSoundChannel* m_sound = nullptr;
    HWND m_window = nullptr;
    HANDLE m_tick, m_stopEv, m_done;
    HANDLE m_thread = nullptr;
    std::unique_ptr<CLock> m_lock;  // shared by the channel thread and the seek
    std::unique_ptr<CRecordReader> m_reader;
    std::unique_ptr<StreamRing> m_ring;
    std::unique_ptr<CVideoDecoder> m_video;
    volatile LONG m_paused = 1;
    volatile LONG m_speed = 0;
    int m_entry = -1;
    int m_frameRate = 25;
    int m_streamInterval = 38;
    volatile DWORD m_holdMs = 0;
};

}  // namespace quillon
