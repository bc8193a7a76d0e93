// Quillon.dll: the H264PL_* interface over static tables of play channels,
// YUV display slots, record readers, audio decoders, voice output and
// capture, and the play scheduler.
#include "player_win.h"

using namespace quillon;

namespace {

constexpr int kChannels = 128, kSlots = 128, kReaders = 256, kAudioDecoders = 64;

struct ChannelEntry {
    LONG open = 0;
    CPlayChannel channel;
    CSoundChannel sound;
    CLock lock;
};

struct ReaderEntry {
    CRecordReader reader{kReaderBufferSize};
    CLock lock;
};

struct Tables {
    ChannelEntry channels[kChannels];
    ChannelEntry slots[kSlots];
    ReaderEntry readers[kReaders];
    CSoundChannel audioDecoders[kAudioDecoders];
    CSoundChannel voiceOut;
    CLock voiceOutLock;
    CWaveInCapture capture;
    CLock captureLock;
    CLock initLock;
    volatile LONG initialised = 0;
};

Tables& T() {
    static Tables* t = new Tables;  // lives until the process ends: no work under the loader lock
    return *t;
}

bool Ready() { return T().initialised != 0; }

#define PL_CHANNEL(ch)                               \
    if (!Ready()) return kPlNotInit;                 \
    if ((ch) < 0 || (ch) >= kChannels) return kPlBadArg; \
    ChannelEntry& e = T().channels[ch];              \
    CGuard guard(e.lock)

#define PL_OPEN_CHANNEL(ch) \
    PL_CHANNEL(ch);         \
    if (!e.open) return kPlNotOpen

int CloseChannel(ChannelEntry& e) {
    if (e.open) {
        e.channel.Close();
        e.sound.Stop();
        e.open = 0;
    }
    return kPlOk;
}

}  // namespace

extern "C" {

int WINAPI H264PL_Init() {
    Tables& t = T();
    CGuard g(t.initLock);
    if (t.initialised) return kPlOk;
    for (ChannelEntry& e : t.channels) e.channel.SetSound(&e.sound);
    Scheduler().Start();
    t.initialised = 1;
    return kPlOk;
}

int WINAPI H264PL_DeInit() {
    Tables& t = T();
    CGuard g(t.initLock);
    if (!t.initialised) return kPlOk;
    for (ChannelEntry& e : t.channels) {
        CGuard lg(e.lock);
        CloseChannel(e);
    }
    Scheduler().Stop();
    for (ChannelEntry& e : t.slots) {
        CGuard lg(e.lock);
        if (e.open) e.channel.CloseDisplay();
        e.open = 0;
    }
    t.initialised = 0;
    return kPlOk;
}

int WINAPI H264PL_OpenStreamEx(int ch, HWND window, int rateMode, int sound, PictureCallback cb, void* user) {
    PL_CHANNEL(ch);
    if (e.open) return kPlBusy;
    int r = e.channel.OpenStream(window, rateMode, cb, user);
    if (r != kPlOk) return r;
    if (sound) e.sound.Start();
    e.open = 1;
    return kPlOk;
}

int WINAPI H264PL_OpenStream(int ch, HWND window, int rateMode, int sound) {
    return H264PL_OpenStreamEx(ch, window, rateMode, sound, nullptr, nullptr);
}

int WINAPI H264PL_AddStreamFrame(int ch, int type, const unsigned char* data, int length) {
    PL_CHANNEL(ch);
    if (!data || length <= 0) return kPlBadArg;
    if (!e.open) return kPlNotOpen;
    if (type == 1) return e.channel.AddVideo(data, uint32_t(length));
    if (type == 2) return e.sound.Play(data, uint32_t(length));
    return kPlBadFrameType;
}

int WINAPI H264PL_Close(int ch) {
    PL_CHANNEL(ch);
    return CloseChannel(e);
}

int WINAPI H264PL_OpenFileEx(int ch, const char* path, HWND window, PlayerFileInfo* info, PictureCallback cb,
                             void* user) {
    PL_CHANNEL(ch);
    if (e.open) return kPlBusy;
    int r = e.channel.OpenFile(path, window, info, cb, user);
    if (r != kPlOk) return r;
    if (info->hasAudio && info->audioBlockLength) e.sound.Start();
    e.open = 1;
    return kPlOk;
}

int WINAPI H264PL_OpenFile(int ch, const char* path, HWND window, PlayerFileInfo* info) {
    return H264PL_OpenFileEx(ch, path, window, info, nullptr, nullptr);
}

int WINAPI H264PL_Play(int ch) {
    PL_OPEN_CHANNEL(ch);
    e.channel.Play();
    return kPlOk;
}

int WINAPI H264PL_Pause(int ch) {
    PL_OPEN_CHANNEL(ch);
    e.channel.Pause();
    return kPlOk;
}

int WINAPI H264PL_Stop(int ch) {
    PL_OPEN_CHANNEL(ch);
    e.channel.StopPlay();
    return kPlOk;
}

int WINAPI H264PL_GetPlayingPos(int ch, int* pos) {
    PL_OPEN_CHANNEL(ch);
    if (!pos) return kPlBadArg;
    *pos = e.channel.Position();
    return kPlOk;
}

int WINAPI H264PL_SetPlayingPos(int ch, int pos) {
    PL_OPEN_CHANNEL(ch);
    return e.channel.Seek(pos);
}

int WINAPI H264PL_GetPlayingTime(int ch, int* seconds) {
    PL_OPEN_CHANNEL(ch);
    if (!seconds) return kPlBadArg;
    *seconds = e.channel.Time();
    return kPlOk;
}

int WINAPI H264PL_Slow(int ch) {
    PL_OPEN_CHANNEL(ch);
    e.channel.Slow();
    return kPlOk;
}

int WINAPI H264PL_Fast(int ch) {
    PL_OPEN_CHANNEL(ch);
    e.channel.Fast();
    return kPlOk;
}

int WINAPI H264PL_GetSpeed(int ch, int* level) {
    PL_OPEN_CHANNEL(ch);
    if (!level) return kPlBadArg;
    *level = e.channel.Speed();
    return kPlOk;
}

int WINAPI H264PL_NextFrame(int ch) {
    PL_OPEN_CHANNEL(ch);
    e.channel.Step();
    return kPlOk;
}

int WINAPI H264PL_Snapshot(int ch, const char* path) {
    PL_OPEN_CHANNEL(ch);
    if (!path) return kPlBadArg;
    return e.channel.Snapshot(path);
}

int WINAPI H264PL_EnableSound(int ch, int on) {
    PL_OPEN_CHANNEL(ch);
    return on ? e.sound.Start() : e.sound.Stop();
}

int WINAPI H264PL_Voice_StartOutput() {
    CGuard g(T().voiceOutLock);
    return T().voiceOut.Start();
}

int WINAPI H264PL_Voice_StopOutput() {
    CGuard g(T().voiceOutLock);
    return T().voiceOut.Stop();
}

int WINAPI H264PL_Voice_Output(const unsigned char* data, int length) {
    CGuard g(T().voiceOutLock);
    if (!T().voiceOut.Started()) return kPlNoMemory;
    if (!data || length <= 0) return kPlBadArg;
    return T().voiceOut.Play(data, uint32_t(length));
}

int WINAPI H264PL_Voice_StartCapture(CaptureCallback cb) {
    CGuard g(T().captureLock);
    return T().capture.Start(cb);
}

int WINAPI H264PL_Voice_StopCapture() {
    CGuard g(T().captureLock);
    return T().capture.Stop();
}

#define PL_READER(slot)                                   \
    if (!Ready()) return kPlNotInit;                      \
    if ((slot) < 0 || (slot) >= kReaders) return kPlBadArg; \
    ReaderEntry& r = T().readers[slot];                   \
    CGuard guard(r.lock)

int WINAPI H264PL_ReadFile_Open(int slot, const char* path, PlayerFileInfo* info) {
    PL_READER(slot);
    if (!path || !info) return kPlBadArg;
    if (r.reader.IsOpen()) return kPlBusy;
    return r.reader.Open(path, info);
}

int WINAPI H264PL_ReadFile_GetNextFrame(int slot, PlayerFrameInfo* info) {
    PL_READER(slot);
    if (!info) return kPlBadArg;
    if (!r.reader.IsOpen()) return kPlNotOpen;
    PlayerFrameHeader h;
    int rc = r.reader.Next(&h);
    if (rc != kPlOk) return rc;
    uint8_t* buf = r.reader.Buffer();
    info->keyFrame = h.type() == 1 ? 1 : 0;
    info->video = buf;
    info->videoLength = int32_t(h.videoLength());
    info->audio = buf + h.videoLength();
    info->audioLength = int32_t(h.audioLength());
    info->position = PerMille(r.reader.Position(), r.reader.Length());
    return kPlOk;
}

int WINAPI H264PL_ReadFile_SetReadPos(int slot, int pos) {
    PL_READER(slot);
    if (pos < 0 || pos > 1000) return kPlBadArg;
    if (!r.reader.IsOpen()) return kPlNotOpen;
    return r.reader.Seek(pos);
}

int WINAPI H264PL_ReadFile_Close(int slot) {
    PL_READER(slot);
    r.reader.Close();
    return kPlOk;
}

#define PL_SLOT(s)                                    \
    if (!Ready()) return kPlNotInit;                  \
    if ((s) < 0 || (s) >= kSlots) return kPlBadArg;  \
    ChannelEntry& e = T().slots[s];                   \
    CGuard guard(e.lock)

int WINAPI H264PL_YUV_Open(int slot, HWND window) {
    PL_SLOT(slot);
    if (e.open) return kPlBusy;
    int r = e.channel.OpenDisplay(window);
    if (r != kPlOk) return r;
    e.open = 1;
    return kPlOk;
}

int WINAPI H264PL_YUV_Show(int slot, int format, const unsigned char* picture, int length, int width, int height) {
    PL_SLOT(slot);
    if (!picture || length <= 0) return kPlBadArg;
    if (!e.open) return kPlNotOpen;
    return e.channel.ShowYuv(format, picture, uint32_t(length), width, height);
}

int WINAPI H264PL_YUV_Close(int slot) {
    PL_SLOT(slot);
    if (e.open) e.channel.CloseDisplay();
    e.open = 0;
    return kPlOk;
}

int WINAPI H264PL_Audio_Decode(int slot, const unsigned char* data, int length, unsigned char* pcm, int* bytes) {
    if (slot < 0 || slot >= kAudioDecoders || !data || length <= 0 || !pcm || !bytes) return kPlBadArg;
    return T().audioDecoders[slot].Decode(data, uint32_t(length), pcm, bytes);
}

}  // extern "C"

// The tables stay until the process ends, and the library's threads are
// ended by H264PL_DeInit. Under the loader lock nothing waits for a thread,
// so detaching does no work of its own.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
