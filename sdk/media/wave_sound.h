// CWaveSound: a waveOut player over a ring of equal-sized buffers. Opened
// paused; Restart starts playing; each Write queues one buffer.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <vector>

class CWaveSound {
public:
    static constexpr int kDecodeBufferSize = 4096;               // input bytes
    static constexpr int kPcmBufferSize = 2 * kDecodeBufferSize;  // their samples

    CWaveSound() = default;
    ~CWaveSound() { Close(); }
    CWaveSound(const CWaveSound&) = delete;
    CWaveSound& operator=(const CWaveSound&) = delete;

    // notification: CALLBACK_EVENT or CALLBACK_FUNCTION. 1 / 0.
    int Open(const WAVEFORMATEX& format, int count, int size, DWORD notification);
    int Restart();  // 1 / 0
    // Queues one buffer: up to buffer-size bytes of data, the rest silence.
    // 0 when closed or when the slot is still queued (the block is dropped).
    int Write(const void* data, int length);
    int Close();  // 1

    bool IsOpen() const { return m_bOpenSound; }
    unsigned WriteCount() const { return writeCount_; }
    unsigned DoneCount() const { return doneCount_; }
    DWORD SampleRate() const { return rate_; }

    // Buffers of the G.711 decode path (the manager's AudioDecode).
    short* PcmBuffer() { return pcm_; }
    unsigned char* InputBuffer() { return input_; }

private:
    static void CALLBACK WaveOutProc(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR p1,
                                     DWORD_PTR);
    void FreeBuffers();

    int count_ = 0;
    int size_ = 0;
    std::vector<WAVEHDR> headers_;
    std::vector<std::vector<char>> buffers_;
    std::vector<char> spare_;
    bool m_bOpenSound = false;
    HWAVEOUT out_ = nullptr;
    HANDLE event_ = nullptr;
    DWORD rate_ = 0;
    std::atomic<unsigned> writeCount_{0};
    std::atomic<unsigned> doneCount_{0};
    std::atomic<DWORD_PTR> lastUser_{0};
    short pcm_[kPcmBufferSize / 2] = {};
    unsigned char input_[kDecodeBufferSize] = {};
};
