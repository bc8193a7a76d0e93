// Sound output (decoded voice frames through waveOut), voice decoding and
// talk capture (waveIn, encoded to voice frames). The device callbacks only
// signal an event; buffers are refilled and re-queued on our own threads.
#include <cstring>

#include "player_win.h"
#include "qv_voice.h"

namespace quillon {

namespace {
WAVEFORMATEX PcmFormat() {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = 8000;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 2;
    f.nAvgBytesPerSec = 16000;
    return f;
}
}  // namespace

// ---------------------------------------------------------------- output

bool CWaveOutPlayer::Open() {
    Close();
    WAVEFORMATEX fmt = PcmFormat();
    m_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_event) return false;
    if (waveOutOpen(&m_wave, WAVE_MAPPER, &fmt, DWORD_PTR(m_event), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        m_wave = nullptr;
        CloseHandle(m_event);
        m_event = nullptr;
        return false;
    }
    m_data.assign(kBuffers, std::vector<uint8_t>(kBufferBytes));
    CGuard g(m_lock);
    for (int i = 0; i < kBuffers; ++i) {
        WAVEHDR& h = m_headers[i];
        std::memset(&h, 0, sizeof h);
        h.lpData = reinterpret_cast<LPSTR>(m_data[i].data());
        Refill(h);
    }
    m_stop = 0;
    m_thread = CreateThread(nullptr, 0, FeedThread, this, 0, nullptr);
    return true;
}

// Fills one buffer from the ring (one record) or with silence, and queues it.
void CWaveOutPlayer::Refill(WAVEHDR& h) {
    uint32_t n = 0;
    auto* data = reinterpret_cast<uint8_t*>(h.lpData);
    if (m_ring.Read(data, kBufferBytes, &n) != CFrameRingBuffer::kOk || n == 0) {
        std::memset(data, 0, kBufferBytes);
        n = kBufferBytes;
    }
    h.dwBufferLength = n;
    h.dwFlags = 0;
    if (waveOutPrepareHeader(m_wave, &h, sizeof h) == MMSYSERR_NOERROR) waveOutWrite(m_wave, &h, sizeof h);
}

DWORD WINAPI CWaveOutPlayer::FeedThread(void* self) {
    auto* p = static_cast<CWaveOutPlayer*>(self);
    while (!p->m_stop) {
        WaitForSingleObject(p->m_event, 100);
        CGuard g(p->m_lock);
        if (p->m_stop) break;
        for (WAVEHDR& h : p->m_headers) {
            if (!(h.dwFlags & WHDR_DONE)) continue;
            waveOutUnprepareHeader(p->m_wave, &h, sizeof h);
            p->m_played = p->m_played + 1;
            p->Refill(h);
        }
    }
    return 0;
}

void CWaveOutPlayer::Close() {
    if (m_thread) {
        m_stop = 1;
        SetEvent(m_event);
        WaitForSingleObject(m_thread, 5000);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_wave) {
        waveOutReset(m_wave);
        for (WAVEHDR& h : m_headers)
            if (h.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(m_wave, &h, sizeof h);
        waveOutClose(m_wave);
        m_wave = nullptr;
    }
    if (m_event) CloseHandle(m_event);
    m_event = nullptr;
    m_data.clear();
    ResetRing();
}

void CWaveOutPlayer::Queue(const uint8_t* pcm, uint32_t bytes) {
    CGuard g(m_lock);
    m_ring.Write(pcm, bytes);  // no room: the record is dropped
}

void CWaveOutPlayer::ResetRing() {
    CGuard g(m_lock);
    m_ring.Reset();
}

// ---------------------------------------------------------------- sound channel

void CSoundChannel::SetType(int type) {
    m_type = type;
    QV_VOICE_DecReset(m_decState, type);
    m_stateReady = true;
}

int CSoundChannel::Start() {
    if (m_started) return kPlOk;
    SetType(m_type);
    m_out.Open();  // no device: started and silent
    m_started = true;
    return kPlOk;
}

int CSoundChannel::Stop() {
    if (!m_started) return kPlOk;
    m_started = false;
    SetType(m_type);
    m_out.Close();
    return kPlOk;
}

int CSoundChannel::DecodeOne(const uint8_t* frame, int16_t* out, int* samples) {
    *samples = 0;
    return QV_VOICE_DecodeFrame(m_decState, frame, out, m_type, samples);
}

int CSoundChannel::Play(const uint8_t* data, uint32_t length) {
    if (!m_started) return kPlNoMemory;
    const uint32_t size = VoiceFrameSize(data, length);
    if (!size || length % size) return kPlBadArg;
    for (uint32_t at = 0; at < length; at += size) {
        const int type = VoiceTypeOfSize(size);
        if (!type) return kPlBadArg;
        if (type != m_type || !m_stateReady) SetType(type);
        // A frame whose own header gives another size is dropped: decoding
        // it would read past its bytes.
        if (VoiceFrameSize(data + at, size) != size) continue;
        int samples = 0;
        if (DecodeOne(data + at, m_pcm, &samples) != 0 || samples <= 0) continue;  // dropped
        m_lastSamples = samples;
        m_out.Queue(reinterpret_cast<const uint8_t*>(m_pcm), uint32_t(samples) * 2);
    }
    return kPlOk;
}

int CSoundChannel::Decode(const uint8_t* data, uint32_t length, uint8_t* pcm, int* bytes) {
    if (!data || !length || !pcm || !bytes) return kPlBadArg;
    const uint32_t size = VoiceFrameSize(data, length);
    if (!size || length % size) return kPlBadArg;
    int total = 0;
    for (uint32_t at = 0; at < length; at += size) {
        const int type = VoiceTypeOfSize(size);
        if (!type) return kPlBadArg;
        if (type != m_type || !m_stateReady) SetType(type);
        if (VoiceFrameSize(data + at, size) != size) {
            // Its own header gives another size: the frames are not one kind.
            *bytes = total;
            return kPlBadArg;
        }
        int samples = 0;
        if (DecodeOne(data + at, m_pcm, &samples) != 0) {
            *bytes = total;
            return kPlNoMemory;
        }
        std::memcpy(pcm + total, m_pcm, size_t(samples) * 2);
        total += samples * 2;
        m_lastSamples = samples;
    }
    *bytes = total;
    return kPlOk;
}

// ---------------------------------------------------------------- capture

int CWaveInCapture::Start(CaptureCallback cb) {
    if (m_wave) return kPlOk;
    QV_VOICE_EncReset(m_encState, 6);
    WAVEFORMATEX fmt = PcmFormat();
    if (waveInOpen(nullptr, WAVE_MAPPER, &fmt, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR) return kPlNoCapture;
    m_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!m_event) return kPlNoCapture;
    if (waveInOpen(&m_wave, WAVE_MAPPER, &fmt, DWORD_PTR(m_event), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        m_wave = nullptr;
        CloseHandle(m_event);
        m_event = nullptr;
        return kPlNoCapture;
    }
    m_data.assign(kBuffers, std::vector<uint8_t>(kBufferBytes));
    bool ok = true;
    for (int i = 0; i < kBuffers && ok; ++i) {
        WAVEHDR& h = m_headers[i];
        std::memset(&h, 0, sizeof h);
        h.lpData = reinterpret_cast<LPSTR>(m_data[i].data());
        h.dwBufferLength = kBufferBytes;
        ok = waveInPrepareHeader(m_wave, &h, sizeof h) == MMSYSERR_NOERROR &&
             waveInAddBuffer(m_wave, &h, sizeof h) == MMSYSERR_NOERROR;
    }
    m_callback = cb;
    m_stop = 0;
    if (ok) m_thread = CreateThread(nullptr, 0, CaptureThread, this, 0, nullptr);
    if (!ok || !m_thread || waveInStart(m_wave) != MMSYSERR_NOERROR) {
        Stop();
        return kPlNoCapture;
    }
    return kPlOk;
}

void CWaveInCapture::OnBuffer(WAVEHDR& h) {
    waveInUnprepareHeader(m_wave, &h, sizeof h);
    int samples = int(h.dwBytesRecorded / 2);
    if (samples > 480) samples = 480;
    if (samples > 0) {
        const int length = 2 * (samples / 4 + 2);
        if (QV_VOICE_EncodeFrame(m_encState, reinterpret_cast<const short*>(h.lpData), m_frame, samples, 6) == 0 &&
            length > 0 && m_callback)
            m_callback(m_frame, length);
    }
    h.dwFlags = 0;
    h.dwBytesRecorded = 0;
    if (waveInPrepareHeader(m_wave, &h, sizeof h) == MMSYSERR_NOERROR) waveInAddBuffer(m_wave, &h, sizeof h);
}

DWORD WINAPI CWaveInCapture::CaptureThread(void* self) {
    auto* c = static_cast<CWaveInCapture*>(self);
    while (!c->m_stop) {
        WaitForSingleObject(c->m_event, 100);
        if (c->m_stop) break;
        for (WAVEHDR& h : c->m_headers)
            if ((h.dwFlags & WHDR_DONE) && h.dwBytesRecorded) c->OnBuffer(h);
    }
    return 0;
}

int CWaveInCapture::Stop() {
    if (m_thread) {
        m_stop = 1;
        SetEvent(m_event);
        WaitForSingleObject(m_thread, 5000);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_wave) {
        waveInReset(m_wave);
        for (WAVEHDR& h : m_headers)
            if (h.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(m_wave, &h, sizeof h);
        waveInClose(m_wave);
        m_wave = nullptr;
    }
    if (m_event) CloseHandle(m_event);
    m_event = nullptr;
    m_data.clear();
    m_callback = nullptr;
    QV_VOICE_EncReset(m_encState, 4);
    return kPlOk;
}

}  // namespace quillon
