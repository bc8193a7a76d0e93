// The play-handle manager's shared sound player and capture.
#include <cstring>

#include "core/Log.h"
#include "media/SDKObjectManager.h"
#include "media/g711_pcm.h"

namespace {

constexpr int kPlayBuffers = 20;
constexpr int kPlayBufferSize = 640;    // 320 samples, 40 ms at 8,000 Hz
constexpr int kCaptureBuffers = 6;
constexpr int kCaptureBufferSize = 1920;  // 960 samples, 120 ms at 8,000 Hz

enum { kOpenFailed = 58, kRestartFailed = 59, kAlreadyStarted = 61, kCaptureFailed = 57 };

void Log(const char* line) {
    if (CLog* log = CLog::GetInstance()) log->WriteLog(line);
}

// Sample-rate type -> rate; 0 for a type that keeps the previous rate.
DWORD RateOfType(int type) {
    switch (type) {
    case 0:
    case 1: return 8000;
    case 2: return 16000;
    case 3: return 32000;
    case 4: return 44100;
    case 5: return 48000;
    default: return 0;
    }
}

WAVEFORMATEX MonoPcm16(DWORD rate) {
    WAVEFORMATEX f = {};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = rate;
    f.nAvgBytesPerSec = rate * 2;
    f.nBlockAlign = 2;
    f.wBitsPerSample = 16;
    return f;
}

}  // namespace

int CSDKObjectManager::StartAudioPlay() {
    if (soundStarts_ > 0) {
        ++soundStarts_;
        return kAlreadyStarted;
    }
    if (DWORD rate = RateOfType(sampleRateType_)) playRate_ = rate;
    if (!sound_.Open(MonoPcm16(playRate_), kPlayBuffers, kPlayBufferSize, CALLBACK_FUNCTION))
        return kOpenFailed;
    if (!sound_.Restart()) {
        sound_.Close();  // not counted: the next start opens afresh
        return kRestartFailed;
    }
    ++soundStarts_;
    return 0;
}

int CSDKObjectManager::ReleaseAudioPlay() {
    if (soundStarts_ > 0 && --soundStarts_ == 0) sound_.Close();
    return 1;
}

bool CSDKObjectManager::AudioDecode(const unsigned char* data, int length, int codec) {
    if (!sound_.IsOpen()) {
        Log("CWaveSound m_bOpenSound false");
        return false;
    }
    // The PCM buffer holds two bytes for each byte the input buffer can take.
    if (!data || length < 0 || length + 4 > CWaveSound::kDecodeBufferSize) {
        Log("\xCA\xE4\xC8\xEB\xD2\xF4\xC6\xB5\xCA\xFD\xBE\xDD\xB9\xFD\xB4\xF3!");  // input too large
        return false;
    }
    short* pcm = sound_.PcmBuffer();
    unsigned char* in = sound_.InputBuffer();
    std::memset(pcm, 0, CWaveSound::kPcmBufferSize);
    std::memset(in, 0, CWaveSound::kDecodeBufferSize);
    std::memcpy(in, data, length);
    int bytes = codec == 2 ? UlawToPcm16(pcm, in, length) : AlawToPcm16(pcm, in, length);
    sound_.Write(pcm, bytes);  // the player takes one buffer of it
    return true;
}

int CSDKObjectManager::SoundCaptureStart(NET_CaptureCallback fn, int user) {
    capture_.SetTalkCodecType(talkCodecType_);
    WAVEFORMATEX f = MonoPcm16(8000);
    capture_.InitEncoder(fn, user);
    if (!capture_.Start(&f, kCaptureBuffers, kCaptureBufferSize)) return kCaptureFailed;
    captureRunning_ = true;
    return 0;
}

int CSDKObjectManager::StopCapture() {
    capture_.Stop();
    captureRunning_ = false;
    return 0;
}
