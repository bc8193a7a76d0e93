// The record-file playback engine: plays one local record file into one
// window. A reader thread reads frame after frame and hands the video to an
// SDK play handle and, at normal speed, the audio to the SDK's audio output;
// ticks of the playback code's media timer release the frames at the file's
// frame rate, scaled by five speed levels.
//
// Threads: the UI thread calls every operation; the reader thread reads and
// plays under the engine lock; the media timer's worker thread calls
// OnTick. The getters, Play, Pause, StepFrame and the speed changes are
// single-word reads and writes.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>

#include "RecordFileReader.h"
#include "RecordReading.h"

class CMediaTimer;

namespace record {

// The SDK calls the engine makes; OrvikPlayerSdk() holds the SDK's own.
struct RecordPlayerSdk {
    int(WINAPI* createPlayHandle)(HWND window);
    int(WINAPI* closePlayHandle)(int handle);
    int(WINAPI* playVideoStream)(int handle, unsigned char* data, int length);
    int(WINAPI* audioDecode)(unsigned char* data, int length, int type);
    int(WINAPI* audioPlayStart)();
    int(WINAPI* snapshot)(int handle, const char* path);
};
const RecordPlayerSdk& OrvikPlayerSdk();

// The media timer all engines share; the playback panel starts it with a
// 2 ms base period.
CMediaTimer& PlaybackTimer();

constexpr int kRecordFilePlayers = 9;
constexpr size_t kSnapshotPathMax = 255;

class CRecordFilePlayer {
public:
    explicit CRecordFilePlayer(const RecordPlayerSdk& sdk = OrvikPlayerSdk(), CMediaTimer* timer = nullptr);
    ~CRecordFilePlayer();
    CRecordFilePlayer(const CRecordFilePlayer&) = delete;
    CRecordFilePlayer& operator=(const CRecordFilePlayer&) = delete;

    // 0 or kReadBadArg, kReadBusy, kReadCannotOpen, kReadHeaderError,
    // kReadTooShort, kReadBadHeader. Opens the file paused at its first frame.
    int Start(const char* path, HWND window, PlayerFileInfo* info);
    // Ends the reader thread, closes the play handle and the file. At once
    // when idle.
    int Stop();
    int Play();
    int Pause();
    int StopPlay();
    int StepFrame();
    int Slower();
    int Faster();
    int GetSpeed(int* level) const;
    int GetPlayTime(uint32_t* seconds) const;
    int GetPosition(uint32_t* perMille) const;
    int SetPosition(int perMille);
    // kReadBadArg for a null path or one longer than 255 characters.
    int Snapshot(const char* bmpPath);

    // The media timer's task: releases one frame when playing.
    void OnTick();

    // The sound flag: 1 the audio is played, 0 not.
    void SetSound(bool on) { sound_ = on ? 1 : 0; }
    bool Sound() const { return sound_ != 0; }
    bool IsOpen() const { return open_ != 0; }
    bool IsPaused() const { return paused_ != 0; }
    int TickPeriodMs() const { return period_; }
    int PlayHandle() const { return playHandle_; }

private:
    static DWORD WINAPI ReaderThreadProc(void* self);
    DWORD ReadLoop();
    void PlayFrame(const RecordFrameHeader& h);
    void ApplySpeed();
    void Lock() { EnterCriticalSection(lock_.get()); }
    void Unlock() { LeaveCriticalSection(lock_.get()); }
    void NewLock();

    const RecordPlayerSdk& sdk_;
    CMediaTimer* timer_;
    CRecordFileReader reader_;
    std::unique_ptr<CRITICAL_SECTION> lock_;
    HANDLE tickEvent_;
    HANDLE stopEvent_;
    HANDLE exitedEvent_;
    HANDLE thread_ = nullptr;
    HWND window_ = nullptr;
    int playHandle_ = 0;
    int timerSlot_ = -1;
    std::atomic<int> period_{0};
    std::atomic<int> open_{0};
    std::atomic<int> paused_{1};
    std::atomic<int> speed_{0};
    std::atomic<int> sound_{0};
};

}  // namespace record
