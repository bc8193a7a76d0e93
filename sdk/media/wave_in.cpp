#include "media/wave_in.h"

#include <cstring>

#include "core/Log.h"

namespace {
void Log(const char* line) {
    if (CLog* log = CLog::GetInstance()) log->WriteLog(line);
}
}  // namespace

void CWaveIn::InitEncoder(NET_CaptureCallback fn, int user) {
    fn_ = fn;
    user_ = user;
    int type;
    switch (talkCodecType_) {
    case 1: state_ = stateG711_; type = QV_VOICE_G711A; break;
    case 2: state_ = stateG711_; type = QV_VOICE_G711U; break;
    case 0:
    case 5: state_ = stateG726_; type = QV_VOICE_G726_32; break;
    case 6: state_ = stateAdpcm_; type = QV_VOICE_ADPCM_DVI4; break;
    default: return;  // the previous encoder stays selected
    }
    if (QV_VOICE_EncReset(state_, type) != 0)
        Log("\xB1\xE0\xC2\xEB\xC6\xF7\xB3\xF5\xCA\xBC\xBB\xAF\xCA\xA7\xB0\xDC!");  // encoder init failed
}

int CWaveIn::Start(const WAVEFORMATEX* format, int count, int size) {
    if (started_ || !fn_ || count <= 0 || size <= 0) return 0;
    if (format) format_ = *format;
    WAVEFORMATEX f = format_;
    if (waveInOpen(&in_, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(&CWaveIn::WaveInProc),
                   reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
        in_ = nullptr;
        return 0;
    }
    count_ = count;
    size_ = size;
    headers_.assign(count, WAVEHDR{});
    buffers_.assign(count, std::vector<char>(size));
    encoded_.assign(size, 0);
    queued_ = 0;
    {
        // Started before the buffers go to the device so that no captured
        // block is missed; the callback waits for the lock until Start ends.
        std::lock_guard<std::mutex> g(lock_);
        started_ = true;
        for (int i = 0; i < count; ++i) {
            WAVEHDR& h = headers_[i];
            h.lpData = buffers_[i].data();
            h.dwBufferLength = size;
            if (waveInPrepareHeader(in_, &h, sizeof h) != MMSYSERR_NOERROR) continue;
            if (waveInAddBuffer(in_, &h, sizeof h) != MMSYSERR_NOERROR) {
                waveInUnprepareHeader(in_, &h, sizeof h);
                continue;
            }
            ++queued_;
        }
    }
    if (queued_ > 0 && waveInStart(in_) == MMSYSERR_NOERROR) return 1;
    // Nothing to capture into, or the device did not start: back to stopped.
    {
        std::lock_guard<std::mutex> g(lock_);
        started_ = false;
    }
    waveInReset(in_);
    for (WAVEHDR& h : headers_) waveInUnprepareHeader(in_, &h, sizeof h);
    waveInClose(in_);
    in_ = nullptr;
    FreeBuffers();
    return 0;
}

void CALLBACK CWaveIn::WaveInProc(HWAVEIN, UINT msg, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR) {
    if (msg == WIM_DATA && instance && p1)
        reinterpret_cast<CWaveIn*>(instance)->OnWIM_DATA(reinterpret_cast<WAVEHDR*>(p1));
}

void CWaveIn::OnWIM_DATA(WAVEHDR* header) {
    std::lock_guard<std::mutex> g(lock_);
    if (!started_) return;
    EncodeBlock(header->lpData, int(header->dwBytesRecorded));
    if (started_) waveInAddBuffer(in_, header, sizeof *header);
}

void CWaveIn::EncodeBlock(char* data, int bytes) {
    if (!data || bytes < 2 || !fn_) return;
    if (!state_) {
        Log("\xB1\xE0\xC2\xEB\xCA\xA7\xB0\xDC!");  // encoding failed
        return;
    }
    const int samples = bytes / 2;
    if (int(encoded_.size()) < bytes) encoded_.assign(bytes, 0);
    std::vector<short> pcm(samples);
    std::memcpy(pcm.data(), data, samples * 2);
    int total = 0;
    for (int off = 0; off < samples; off += kFrameSamples) {
        int n = samples - off < kFrameSamples ? samples - off : kFrameSamples;
        if (QV_VOICE_EncodeFrame(state_, pcm.data() + off, frame_, n) != 0) {
            Log("\xB1\xE0\xC2\xEB\xCA\xA7\xB0\xDC!");  // encoding failed
            return;
        }
        int frameBytes = 4 + 2 * frame_[2];  // header + payload words
        if (total + frameBytes > bytes) {
            Log("\xB1\xE0\xC2\xEB\xCA\xA7\xB0\xDC,\xB1\xE0\xC2\xEB\xBA\xF3\xB4\xF3\xD0\xA1\xB9\xFD\xB4\xF3!");
            return;
        }
        std::memcpy(encoded_.data() + total, frame_, frameBytes);
        total += frameBytes;
    }
    std::memcpy(data, encoded_.data(), total);
    fn_(data, total, user_);
}

int CWaveIn::Stop() {
    {
        std::lock_guard<std::mutex> g(lock_);  // waits for a callback at work
        if (!started_) return 0;
        started_ = false;
    }
    waveInReset(in_);
    for (WAVEHDR& h : headers_) waveInUnprepareHeader(in_, &h, sizeof h);
    waveInClose(in_);
    in_ = nullptr;
    FreeBuffers();
    return 0;
}

void CWaveIn::FreeBuffers() {
    headers_.clear();
    buffers_.clear();
    queued_ = 0;
}
