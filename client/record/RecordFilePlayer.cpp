#include "RecordFilePlayer.h"

#include <cstring>

#include "core/Orvik.h"
#include "media_timer.h"

namespace record {
namespace {

void CALLBACK RecordFilePlayerTimerProc(UINT, UINT, DWORD_PTR engine, DWORD_PTR, DWORD_PTR) {
    reinterpret_cast<CRecordFilePlayer*>(engine)->OnTick();
}

constexpr DWORD kReaderExitCode = 8002;
constexpr DWORD kReaderKilledCode = DWORD(-101);
constexpr DWORD kStopWaitMs = 5000;

}  // namespace

const RecordPlayerSdk& OrvikPlayerSdk() {
    static const RecordPlayerSdk sdk = {NET_CreateRealPlayHandle, NET_CloseRealPlayHandle, NET_PlayVideoStream,
                                        NET_AudioDecode,          NET_AudioPlayStart,      NET_Snapshot};
    return sdk;
}

CMediaTimer& PlaybackTimer() {
    static CMediaTimer timer;
    return timer;
}

CRecordFilePlayer::CRecordFilePlayer(const RecordPlayerSdk& sdk, CMediaTimer* timer)
    : sdk_(sdk), timer_(timer ? timer : &PlaybackTimer()) {
    NewLock();
    tickEvent_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    exitedEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CRecordFilePlayer::~CRecordFilePlayer() {
    Stop();
    CloseHandle(tickEvent_);
    CloseHandle(stopEvent_);
    CloseHandle(exitedEvent_);
    DeleteCriticalSection(lock_.get());
}

void CRecordFilePlayer::NewLock() {
    // A reader thread that had to be ended may have died holding the old
    // lock: it is left behind, never entered again.
    lock_.reset(new CRITICAL_SECTION);
    InitializeCriticalSection(lock_.get());
}

int CRecordFilePlayer::Start(const char* path, HWND window, PlayerFileInfo* info) {
    if (open_)
        return kReadBusy;
    if (!path || !IsWindow(window) || !info)
        return kReadBadArg;
    int r = reader_.Open(path);
    if (r != kReadOk)
        return r;
    window_ = window;
    ResetEvent(stopEvent_);
    ResetEvent(exitedEvent_);
    ResetEvent(tickEvent_);
    paused_ = 1;
    speed_ = 0;
    if (playHandle_)
        sdk_.closePlayHandle(playHandle_);
    playHandle_ = sdk_.createPlayHandle(window);  // 0: the video is simply not shown
    DWORD id = 0;
    thread_ = CreateThread(nullptr, 0, ReaderThreadProc, this, 0, &id);
    if (!thread_) {
        Stop();
        reader_.Close();
        return kReadCannotOpen;
    }
    period_ = SpeedInterval(reader_.Header().frameRate, 0);
    timerSlot_ = timer_->AddTask(UINT(period_), RecordFilePlayerTimerProc, DWORD_PTR(this));
    open_ = 2;
    *info = MakePlayerFileInfo(reader_.Header());
    if (!sound_) {
        sdk_.audioPlayStart();
        sound_ = 1;
    }
    return kReadOk;
}

int CRecordFilePlayer::Stop() {
    if (timerSlot_ >= 0) {
        timer_->RemoveTask(timerSlot_);
        timerSlot_ = -1;
    }
    if (thread_) {
        ResetEvent(exitedEvent_);
        SetEvent(stopEvent_);
        if (WaitForSingleObject(exitedEvent_, kStopWaitMs) != WAIT_OBJECT_0) {
            TerminateThread(thread_, kReaderKilledCode);
            WaitForSingleObject(thread_, kStopWaitMs);
            lock_.release();  // may be held by the dead thread
            NewLock();
        }
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (playHandle_) {
        sdk_.closePlayHandle(playHandle_);
        playHandle_ = 0;
    }
    if (open_) {
        paused_ = 1;
        speed_ = 0;
        reader_.Close();
    }
    window_ = nullptr;
    period_ = 0;
    open_ = 0;
    return kReadOk;
}

int CRecordFilePlayer::Play() {
    if (open_ && reader_.AtEnd()) {
        Lock();
        reader_.Rewind();
        Unlock();
    }
    paused_ = 0;
    return kReadOk;
}

int CRecordFilePlayer::Pause() {
    paused_ = 1;
    return kReadOk;
}

int CRecordFilePlayer::StopPlay() {
    if (!paused_) {
        Pause();
        Sleep(50);
        SetPosition(0);
    }
    return kReadOk;
}

int CRecordFilePlayer::StepFrame() {
    SetEvent(tickEvent_);
    return kReadOk;
}

int CRecordFilePlayer::Slower() {
    if (speed_ > kSlowestSpeed)
        --speed_;
    ApplySpeed();
    return kReadOk;
}

int CRecordFilePlayer::Faster() {
    if (speed_ < kFastestSpeed)
        ++speed_;
    ApplySpeed();
    return kReadOk;
}

void CRecordFilePlayer::ApplySpeed() {
    if (!open_)
        return;
    const int period = SpeedInterval(reader_.Header().frameRate, speed_);
    if (period <= 0)
        return;
    if (timerSlot_ >= 0)
        timer_->RemoveTask(timerSlot_);
    timerSlot_ = timer_->AddTask(UINT(period), RecordFilePlayerTimerProc, DWORD_PTR(this));
    period_ = period;
}

int CRecordFilePlayer::GetSpeed(int* level) const {
    if (!level)
        return kReadBadArg;
    *level = speed_;
    return kReadOk;
}

int CRecordFilePlayer::GetPlayTime(uint32_t* seconds) const {
    if (!seconds)
        return kReadBadArg;
    *seconds = open_ ? reader_.PlayTimeSeconds() : 0;
    return kReadOk;
}

int CRecordFilePlayer::GetPosition(uint32_t* perMille) const {
    if (!perMille)
        return kReadBadArg;
    *perMille = open_ ? uint32_t(reader_.PositionPerMille()) : 0;
    return kReadOk;
}

int CRecordFilePlayer::SetPosition(int perMille) {
    if (perMille < 0 || perMille > 1000)
        return kReadBadArg;
    if (!open_)
        return kReadOk;
    Lock();
    reader_.SetPosition(perMille);
    Unlock();
    if (paused_) {
        // Show the frame at the new place.
        SetEvent(tickEvent_);
        Sleep(50);
        SetEvent(tickEvent_);
    }
    return kReadOk;
}

int CRecordFilePlayer::Snapshot(const char* bmpPath) {
    if (!bmpPath || std::strlen(bmpPath) > kSnapshotPathMax)
        return kReadBadArg;
    if (playHandle_) {
        char copy[kSnapshotPathMax + 1];
        std::strcpy(copy, bmpPath);
        sdk_.snapshot(playHandle_, copy);
    }
    return kReadOk;
}

void CRecordFilePlayer::OnTick() {
    if (open_ && !paused_ && !reader_.AtEnd())
        SetEvent(tickEvent_);
}

DWORD WINAPI CRecordFilePlayer::ReaderThreadProc(void* self) {
    return static_cast<CRecordFilePlayer*>(self)->ReadLoop();
}

DWORD CRecordFilePlayer::ReadLoop() {
    CRITICAL_SECTION* lock = lock_.get();
    EnterCriticalSection(lock);
    for (;;) {
        LeaveCriticalSection(lock);
        HANDLE waits[2] = {tickEvent_, stopEvent_};
        DWORD w = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        EnterCriticalSection(lock);
        if (w != WAIT_OBJECT_0) {
            LeaveCriticalSection(lock);
            SetEvent(exitedEvent_);
            return kReaderExitCode;
        }
        RecordFrameHeader h;
        if (reader_.ReadFrame(&h))
            PlayFrame(h);
    }
}

void CRecordFilePlayer::PlayFrame(const RecordFrameHeader& h) {
    uint8_t* frame = const_cast<uint8_t*>(reader_.Buffer());
    if (h.videoLength > 0 && playHandle_)
        sdk_.playVideoStream(playHandle_, frame, int(h.videoLength));
    if (speed_ != 0 || h.audioLength < kAudioBlockLength)
        return;
    uint8_t* audio = frame + h.videoLength;
    for (uint32_t at = 0; at + kAudioBlockLength <= h.audioLength; at += kAudioBlockLength)
        if (sound_)
            sdk_.audioDecode(audio + at, kAudioBlockLength, h.audioFormat);
}

}  // namespace record
