// G.711 expansion, the talkback encoder and the waveOut/waveIn wrappers
// (the runner's ALSA null device: playback is silent, capture gives zeros).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "annexb.h"
#include "media/SDKObjectManager.h"
#include "media/g711_pcm.h"
#include "media/wave_in.h"
#include "media/wave_sound.h"
#include "qv_voice.h"
#include "sound_kit.h"
#include "wait_until.h"

namespace {

std::string Data(const char* name) { return std::string(SELVANE_TEST_DATA) + "/" + name; }

using testsupport::RefAlaw;
using testsupport::RefUlaw;

TEST(G711, EveryCodeMatchesTheTables) {
    for (int c = 0; c < 256; ++c) {
        unsigned char in = static_cast<unsigned char>(c);
        short a = 0, u = 0;
        EXPECT_EQ(AlawToPcm16(&a, &in, 1), 2);
        EXPECT_EQ(UlawToPcm16(&u, &in, 1), 2);
        EXPECT_EQ(a, RefAlaw(in)) << "A-law " << c;
        EXPECT_EQ(u, RefUlaw(in)) << "mu-law " << c;
    }
    struct { unsigned char code; bool alaw; int value; } cases[] = {
        {0xD5, true, 8}, {0x2A, true, -32256}, {0xFF, false, 0}, {0x00, false, -32124}};
    for (auto& c : cases) {
        short s = 1;
        (c.alaw ? AlawToPcm16 : UlawToPcm16)(&s, &c.code, 1);
        EXPECT_EQ(s, c.value) << int(c.code);
    }
    short s = 7;
    EXPECT_EQ(AlawToPcm16(&s, nullptr, 0), 0);
    EXPECT_EQ(UlawToPcm16(&s, nullptr, -3), 0);
    EXPECT_EQ(s, 7);
}

TEST(G711, ToneFixturesDecodeToTheirSource) {
    auto s16 = testsupport::ReadFileBytes(Data("tone.s16"));
    ASSERT_EQ(s16.size(), 48000u);
    for (const char* name : {"tone.pcma", "tone.pcmu"}) {
        auto g = testsupport::ReadFileBytes(Data(name));
        ASSERT_EQ(g.size(), 24000u) << name;
        std::vector<short> pcm(g.size() + 1, 0x7777);
        int n = (std::strcmp(name, "tone.pcma") == 0 ? AlawToPcm16 : UlawToPcm16)(pcm.data(), g.data(), int(g.size()));
        EXPECT_EQ(n, 48000);
        EXPECT_EQ(pcm.back(), 0x7777) << "wrote past count";
        int worst = 0;
        for (size_t i = 0; i < g.size(); ++i) {
            short ref;
            std::memcpy(&ref, &s16[2 * i], 2);
            worst = std::max(worst, std::abs(pcm[i] - ref));
        }
        EXPECT_LE(worst, 64) << name;  // within a step of the tone's segments
    }
}

// Captured blocks as the talkback function receives them.
struct Received {
    std::mutex m;
    std::vector<std::vector<char>> blocks;
    int user = 0;
};
Received* g_rx = nullptr;
void CALLBACK OnCapture(const char* data, int length, int user) {
    std::lock_guard<std::mutex> g(g_rx->m);
    g_rx->blocks.emplace_back(data, data + length);
    g_rx->user = user;
}

// Walks the voice frames of a block: each {u16 0x0100, u8 words, u8 0}.
std::vector<std::vector<unsigned char>> Frames(const std::vector<char>& b) {
    std::vector<std::vector<unsigned char>> out;
    size_t off = 0;
    while (off + 4 <= b.size()) {
        const auto* p = reinterpret_cast<const unsigned char*>(b.data()) + off;
        if (p[0] != 0x00 || p[1] != 0x01 || p[3] != 0) break;
        size_t n = 4 + 2 * p[2];
        if (off + n > b.size()) break;
        out.emplace_back(p, p + n);
        off += n;
    }
    if (off != b.size()) out.clear();
    return out;
}

TEST(WaveIn, A960SampleBlockBecomesEncodedFramesThatDecodeBack) {
    auto s16 = testsupport::ReadFileBytes(Data("tone.s16"));
    struct Case { int talkType; int voiceType; size_t frameBytes; int maxError; };
    const Case cases[] = {
        {1, QV_VOICE_G711A, 4 + 480, 512},
        {2, QV_VOICE_G711U, 4 + 480, 512},
        {5, QV_VOICE_G726_32, 4 + 240, 3000},
        {6, QV_VOICE_ADPCM_DVI4, 0, 3000},  // size checked by the walk only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.talkType);
        Received rx;
        g_rx = &rx;
        CWaveIn in;
        in.SetTalkCodecType(c.talkType);
        in.InitEncoder(OnCapture, 77);
        std::vector<char> block(s16.begin(), s16.begin() + 1920);
        in.EncodeBlock(block.data(), int(block.size()));
        ASSERT_EQ(rx.blocks.size(), 1u);
        EXPECT_EQ(rx.user, 77);
        auto frames = Frames(rx.blocks[0]);
        ASSERT_EQ(frames.size(), 2u) << "960 samples in two frames, nothing raw";
        if (c.frameBytes) {
            EXPECT_EQ(frames[0].size(), c.frameBytes);
        }
        alignas(16) unsigned char dec[QV_VOICE_STATE_SIZE];
        ASSERT_EQ(QV_VOICE_DecReset(dec, c.voiceType), 0);
        std::vector<short> out;
        for (auto& f : frames) {
            short pcm[QV_VOICE_MAX_DECODE_SAMPLES];
            int count = 0;
            ASSERT_EQ(QV_VOICE_DecodeFrame(dec, f.data(), pcm, &count), 0);
            out.insert(out.end(), pcm, pcm + count);
        }
        ASSERT_EQ(out.size(), 960u);
        int worst = 0;
        for (size_t i = 64; i < 960; ++i) {  // past the adaptive coders' start
            short ref;
            std::memcpy(&ref, &s16[2 * i], 2);
            worst = std::max(worst, std::abs(out[i] - ref));
        }
        EXPECT_LE(worst, c.maxError);
    }
}

TEST(WaveIn, NoEncoderSelectedDropsTheBlock) {
    Received rx;
    g_rx = &rx;
    CWaveIn in;
    in.SetTalkCodecType(9);  // no encoder for it, none selected before
    in.InitEncoder(OnCapture, 1);
    std::vector<char> block(1920, 5);
    in.EncodeBlock(block.data(), int(block.size()));
    EXPECT_TRUE(rx.blocks.empty()) << "raw PCM must not be handed on";
}

TEST(WaveIn, CaptureDeliversEncodedBlocksAndStopsPromptly) {
    Received rx;
    g_rx = &rx;
    CWaveIn in;
    WAVEFORMATEX f = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    EXPECT_EQ(in.Start(&f, 6, 1920), 0) << "no capture function kept";
    in.SetTalkCodecType(1);
    in.InitEncoder(OnCapture, 3);
    ASSERT_EQ(in.Start(&f, 6, 1920), 1);
    EXPECT_EQ(in.Start(&f, 6, 1920), 0) << "already started";
    bool got = WaitUntil([&] {
        std::lock_guard<std::mutex> g(rx.m);
        return rx.blocks.size() >= 3;
    }, 5000);
    DWORD t0 = GetTickCount();
    in.Stop();
    EXPECT_LT(GetTickCount() - t0, 2000u);
    EXPECT_FALSE(in.IsStarted());
    ASSERT_TRUE(got);
    size_t n;
    {
        std::lock_guard<std::mutex> g(rx.m);
        n = rx.blocks.size();
        for (auto& b : rx.blocks) {
            auto frames = Frames(b);
            ASSERT_EQ(frames.size(), 2u);
            EXPECT_EQ(b.size(), 2u * (4 + 480));
        }
    }
    Sleep(300);
    std::lock_guard<std::mutex> g(rx.m);
    EXPECT_EQ(rx.blocks.size(), n) << "no block after Stop";
    // Restartable after a stop.
}

TEST(WaveSound, RingDropsBlocksWhileItsSlotIsQueued) {
    CWaveSound s;
    WAVEFORMATEX f = {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    EXPECT_EQ(s.Write("x", 1), 0) << "closed";
    EXPECT_EQ(s.Open(f, 20, 640, 0x7F0000), 0) << "unknown notification";
    ASSERT_EQ(s.Open(f, 20, 640, CALLBACK_FUNCTION), 1);
    EXPECT_EQ(s.Open(f, 20, 640, CALLBACK_FUNCTION), 0) << "already open";
    EXPECT_EQ(s.SampleRate(), 8000u);
    // Paused: nothing completes, so the 21st block finds slot 0 queued.
    std::vector<short> pcm(320, 100);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(s.Write(pcm.data(), 640), 1) << i;
    EXPECT_EQ(s.Write(pcm.data(), 640), 0);
    EXPECT_EQ(s.WriteCount(), 20u);
    ASSERT_EQ(s.Restart(), 1);
    EXPECT_TRUE(WaitUntil([&] { return s.DoneCount() >= 20; }, 5000));
    EXPECT_EQ(s.Write(pcm.data(), 10), 1) << "short block padded with silence";
    EXPECT_EQ(s.Close(), 1);
    EXPECT_FALSE(s.IsOpen());
    EXPECT_EQ(s.Close(), 1);
    EXPECT_EQ(s.Write(pcm.data(), 640), 0);
    ASSERT_EQ(s.Open(f, 20, 640, CALLBACK_EVENT), 1) << "reopens after a close";
    EXPECT_EQ(s.WriteCount(), 0u);
}

TEST(SoundManager, StartCountAndSampleRateType) {
    CSDKObjectManager m;
    EXPECT_EQ(m.ReleaseAudioPlay(), 1);
    EXPECT_EQ(m.SoundStartCount(), 0) << "never below zero";
    m.SetTalkParams(1, 2);
    ASSERT_EQ(m.StartAudioPlay(), 0);
    EXPECT_EQ(m.SoundRate(), 16000u);
    EXPECT_EQ(m.StartAudioPlay(), 61);
    EXPECT_EQ(m.SoundStartCount(), 2);
    m.ReleaseAudioPlay();
    EXPECT_TRUE(m.SoundOpen()) << "start, start, stop leaves the player open";
    m.ReleaseAudioPlay();
    EXPECT_FALSE(m.SoundOpen());
    m.SetTalkParams(1, 9);  // unknown type: the previous rate stays
    ASSERT_EQ(m.StartAudioPlay(), 0);
    EXPECT_EQ(m.SoundRate(), 16000u);
    m.ReleaseAudioPlay();
    // Capture stays at 8,000 Hz: its blocks are 960 samples, two 480-sample frames.
    Received rx;
    g_rx = &rx;
    m.SetTalkParams(1, 2);
    ASSERT_EQ(m.SoundCaptureStart(OnCapture, 9), 0);
    EXPECT_TRUE(m.CaptureRunning());
    EXPECT_EQ(m.SoundCaptureStart(OnCapture, 9), 57);
    EXPECT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> g(rx.m);
        return !rx.blocks.empty();
    }, 5000));
    EXPECT_EQ(m.StopCapture(), 0);
    EXPECT_FALSE(m.CaptureRunning());
    std::lock_guard<std::mutex> g(rx.m);
    for (auto& b : rx.blocks) EXPECT_EQ(b.size(), 968u);
}

}  // namespace
