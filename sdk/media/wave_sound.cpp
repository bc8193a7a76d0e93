#include "media/wave_sound.h"

#include <cstring>

void CALLBACK CWaveSound::WaveOutProc(HWAVEOUT, UINT msg, DWORD_PTR instance, DWORD_PTR p1,
                                      DWORD_PTR) {
    if (msg != WOM_DONE || !instance) return;
    auto* self = reinterpret_cast<CWaveSound*>(instance);
    ++self->doneCount_;
    if (p1) self->lastUser_ = reinterpret_cast<WAVEHDR*>(p1)->dwUser;
}

int CWaveSound::Open(const WAVEFORMATEX& format, int count, int size, DWORD notification) {
    if (m_bOpenSound || count <= 0 || size <= 0) return 0;
    DWORD_PTR target;
    if (notification == CALLBACK_EVENT) {
        event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!event_) return 0;
        target = reinterpret_cast<DWORD_PTR>(event_);
    } else if (notification == CALLBACK_FUNCTION) {
        target = reinterpret_cast<DWORD_PTR>(&CWaveSound::WaveOutProc);
    } else {
        return 0;
    }
    m_bOpenSound = true;
    count_ = count;
    size_ = size;
    headers_.assign(count, WAVEHDR{});
    buffers_.assign(count, std::vector<char>(size));
    for (int i = 0; i < count; ++i) {
        headers_[i].lpData = buffers_[i].data();
        headers_[i].dwBufferLength = size;
    }
    spare_.assign(size, 0);
    writeCount_ = 0;
    doneCount_ = 0;
    WAVEFORMATEX f = format;
    if (waveOutOpen(&out_, WAVE_MAPPER, &f, target, reinterpret_cast<DWORD_PTR>(this),
                    notification) != MMSYSERR_NOERROR) {
        out_ = nullptr;
        m_bOpenSound = false;
        FreeBuffers();
        return 0;
    }
    rate_ = format.nSamplesPerSec;
    waveOutPause(out_);
    return 1;
}

int CWaveSound::Restart() {
    if (!m_bOpenSound) return 0;
    return waveOutRestart(out_) == MMSYSERR_NOERROR ? 1 : 0;
}

int CWaveSound::Write(const void* data, int length) {
    if (!m_bOpenSound || !data || length < 0) return 0;
    WAVEHDR& h = headers_[writeCount_ % unsigned(count_)];
    if (h.dwFlags & WHDR_INQUEUE) return 0;
    waveOutUnprepareHeader(out_, &h, sizeof h);
    h.dwBufferLength = size_;
    h.dwUser = length;
    h.dwBytesRecorded = 0;
    h.dwFlags = 0;
    h.dwLoops = 0;
    int n = length < size_ ? length : size_;
    std::memcpy(h.lpData, data, n);
    std::memset(h.lpData + n, 0, size_ - n);
    if (waveOutPrepareHeader(out_, &h, sizeof h) != MMSYSERR_NOERROR) return 0;
    if (waveOutWrite(out_, &h, sizeof h) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(out_, &h, sizeof h);
        return 0;
    }
    ++writeCount_;
    return 1;
}

int CWaveSound::Close() {
    if (!m_bOpenSound) return 1;
    m_bOpenSound = false;
    waveOutReset(out_);
    for (WAVEHDR& h : headers_) waveOutUnprepareHeader(out_, &h, sizeof h);
    waveOutClose(out_);
    out_ = nullptr;
    FreeBuffers();
    return 1;
}

void CWaveSound::FreeBuffers() {
    headers_.clear();
    buffers_.clear();
    spare_.clear();
    if (event_) {
        CloseHandle(event_);
        event_ = nullptr;
    }
}
