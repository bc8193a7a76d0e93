// The play-handle manager: play handles, the map of stream callbacks that
// stream delivery consults, the talk sessions and talk parameters, and the
// shared sound player and capture. One global instance (SdkObjects()).
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>

#include "core/Orvik.h"
#include "core/RWLock.h"
#include "media/wave_in.h"
#include "media/wave_sound.h"

class CSDKObject;

struct StreamCallbackEntry {
    int key;
    NET_StreamDataCallback callback;
    void* user;
};

struct TalkSession {
    int loginId;
    int channel;
    int value;
};

// Stream key: login id << 8 | channel, | 0x40 for the sub stream.
inline int StreamKey(int loginId, int channel, bool sub) {
    return (loginId << 8) | channel | (sub ? 0x40 : 0);
}

class CSDKObjectManager {
public:
    static constexpr int kMaxHandles = 10000;

    CSDKObjectManager();
    virtual ~CSDKObjectManager();
    CSDKObjectManager(const CSDKObjectManager&) = delete;
    CSDKObjectManager& operator=(const CSDKObjectManager&) = delete;

    // Play handles.
    int CreateRealPlayHandle(HWND window);  // handle, or -1
    int CloseRealPlayHandle(int handle);    // 0, or -1 when unknown
    CSDKObject* FindObject(int handle);     // caller holds PlayHandleLock()
    int CloseAll();
    CRWLock& PlayHandleLock() { return playLock_; }
    // The play-handle exports behind the handle look-up: 0, or 47 unknown.
    int PlayVideoStream(int handle, const unsigned char* data, int length);
    int StopPlayVideoStream(int handle);
    int OverlayMdCoverRgn(int handle, const int32_t values[23]);
    int Snapshot(int handle, const char* path);
    // Access units the handle has decoded, -1 when unknown (a test seam).
    long DecodedUnits(int handle);
    // Restarts the handle's decoding with another decoder type (see
    // CSDKObject::RestartDecode; not exported, a test seam): 0, 47 unknown,
    // or the start's failure code. A handle whose thread did not end in
    // time is removed (-4).
    int RestartDecode(int handle, int decoderType, int qvAccessUnitMode);

    // Stream callbacks: an entry already under the key stays as it is.
    int AddStreamCallback(int key, NET_StreamDataCallback callback, void* user);  // 1
    int RemoveStreamCallback(int key);                                            // 0 / 47
    // Calls the callback registered under key, under the map's read lock.
    // False when there is none.
    bool CallStreamCallback(int key, unsigned char* data, int length, int streamType,
                            int audioCodec);
    bool HasStreamCallback(int key);

    // Talk sessions.
    int AddTalkSession(int loginId, int channel, int value);  // 0
    int RemoveTalkSession(int loginId);                       // 0 / 47
    int SetTalkParams(int codecType, int sampleRateType);     // 0
    int TalkCodecType() const { return talkCodecType_; }
    int SampleRateType() const { return sampleRateType_; }

    // Shared sound player and capture.
    int StartAudioPlay();    // 0 or the player's failure code
    int ReleaseAudioPlay();  // 1
    bool AudioDecode(const unsigned char* data, int length, int codec);
    int SoundCaptureStart(NET_CaptureCallback fn, int user);  // 0 / 57
    int StopCapture();                                        // 0
    int SoundStartCount() const { return soundStarts_; }
    bool CaptureRunning() const { return captureRunning_; }
    bool SoundOpen() const { return sound_.IsOpen(); }
    DWORD SoundRate() const { return sound_.SampleRate(); }
    unsigned SoundWriteCount() const { return sound_.WriteCount(); }

private:
    int handleCounter_ = 0;
    CSDKObject* table_[kMaxHandles] = {};
    CRWLock playLock_;
    std::map<int, StreamCallbackEntry> callbacks_;
    CRWLock callbackLock_;
    std::map<int, TalkSession> talks_;
    CRWLock talkLock_;
    int talkCodecType_ = 1;
    int sampleRateType_ = 1;
    int soundStarts_ = 0;
    bool captureRunning_ = false;
    DWORD playRate_ = 8000;  // rate of the last player start
    CWaveSound sound_;
    CWaveIn capture_;
};

CSDKObjectManager& SdkObjects();
