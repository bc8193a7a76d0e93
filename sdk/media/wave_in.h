// CWaveIn: a waveIn recorder that encodes each captured block with the
// voice codec and hands the encoded frames to the caller's function.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <mutex>
#include <vector>

#include "core/Orvik.h"
#include "qv_voice.h"

class CWaveIn {
public:
    // Samples per encoder call: a captured block is cut into frames of this
    // many samples (the encoder takes at most QV_VOICE_MAX_ENCODE_SAMPLES).
    static constexpr int kFrameSamples = 480;

    CWaveIn() = default;
    virtual ~CWaveIn() { Stop(); }
    CWaveIn(const CWaveIn&) = delete;
    CWaveIn& operator=(const CWaveIn&) = delete;

    virtual int Stop();
    // 1 / 0; format null keeps the last one taken.
    virtual int Start(const WAVEFORMATEX* format, int count, int size);

    void SetTalkCodecType(int type) { talkCodecType_ = type; }
    void InitEncoder(NET_CaptureCallback fn, int user);
    bool IsStarted() const { return started_; }

    // Encodes one captured block of 16-bit samples in place: on success the
    // block starts with the encoded frames, one after another, and the
    // caller's function gets them. A block that cannot be encoded is
    // dropped (raw PCM is never handed on).
    void EncodeBlock(char* data, int bytes);

private:
    static void CALLBACK WaveInProc(HWAVEIN, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR);
    void OnWIM_DATA(WAVEHDR* header);
    void FreeBuffers();

    std::vector<WAVEHDR> headers_;
    std::vector<std::vector<char>> buffers_;
    HWAVEIN in_ = nullptr;
    int queued_ = 0;
    bool started_ = false;
    WAVEFORMATEX format_ = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    int count_ = 0;
    int size_ = 0;
    NET_CaptureCallback fn_ = nullptr;
    int user_ = 0;
    void* state_ = nullptr;
    int talkCodecType_ = 1;
    // Encoder states: types 1 and 2 share one, 0 and 5 another, 6 its own.
    alignas(16) unsigned char stateG711_[QV_VOICE_STATE_SIZE] = {};
    alignas(16) unsigned char stateG726_[QV_VOICE_STATE_SIZE] = {};
    alignas(16) unsigned char stateAdpcm_[QV_VOICE_STATE_SIZE] = {};
    unsigned char frame_[QV_VOICE_MAX_FRAME_BYTES] = {};
    std::vector<char> encoded_;
    // Held by the callback while it uses the buffers; Stop takes it to know
    // that no callback is still working on them.
    std::mutex lock_;
};
