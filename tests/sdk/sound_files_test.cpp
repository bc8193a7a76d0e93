// What the SDK really plays and records: the runner's sound device writes
// playback into a file and reads capture from one (sound_kit.h). G.711
// playback through the exports, talkback capture of a known sweep, and a
// device's PCMA audio through NET_OpenSound and the caller's decode.
#include <gtest/gtest.h>

#include "stream_fixture.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "annexb.h"
#include "sound_kit.h"

using namespace streamtest;
using testsupport::Audible;
using testsupport::ReadPlayed;

namespace {

const auto* g_env = ::testing::AddGlobalTestEnvironment(new SdkSession);

constexpr size_t kPayload = 320;  // G.711 bytes a call plays: 40 ms

// The samples a G.711 byte string expands to.
std::vector<short> Expand(const std::vector<uint8_t>& g711, int codec) {
    std::vector<short> out;
    out.reserve(g711.size());
    for (uint8_t b : g711) out.push_back(short(codec == 2 ? testsupport::RefUlaw(b) : testsupport::RefAlaw(b)));
    return out;
}

// The first place where two sample runs differ, or -1 when one is a prefix
// of the other.
long FirstDifference(const std::vector<short>& a, const std::vector<short>& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return long(i);
    return -1;
}

// Waits until the device has played at least `count` audible samples.
bool WaitPlayed(size_t count, DWORD timeoutMs) {
    return WaitUntil([&] { return Audible(ReadPlayed()).size() >= count; }, timeoutMs);
}

TEST(SoundFiles, G711PlaybackPlaysEveryPayloadOnceInOrder) {
    for (int codec : {1, 2}) {
        SCOPED_TRACE(codec == 2 ? "mu-law" : "A-law");
        auto g711 = testsupport::ReadFileBytes(Data(codec == 2 ? "tone.pcmu" : "tone.pcma"));
        ASSERT_EQ(g711.size() % kPayload, 0u);
        ASSERT_EQ(NET_AudioPlayStart(), 1);
        // Paced like a live stream, a few payloads ahead of the device: the
        // player's ring holds 20 and drops what finds its slot still queued.
        const DWORD t0 = GetTickCount();
        const size_t payloads = g711.size() / kPayload;
        for (size_t i = 0; i < payloads; ++i) {
            const long due = (long(i) - 6) * 40;
            while (long(GetTickCount() - t0) < due) Sleep(5);
            ASSERT_EQ(NET_AudioDecode(&g711[i * kPayload], int(kPayload), codec), 1);
        }
        const std::vector<short> want = Audible(Expand(g711, codec));
        EXPECT_TRUE(WaitPlayed(want.size(), 15000));
        EXPECT_EQ(NET_AudioPlayStop(), 1);
        const std::vector<short> played = Audible(ReadPlayed());
        EXPECT_EQ(played.size(), want.size()) << "samples lost or repeated";
        EXPECT_EQ(FirstDifference(played, want), -1) << "played sound differs from the payloads";
    }
}

// Talkback capture hands on G.711 frames: two {00 01 F0 00} + 480 bytes.
struct Captured {
    std::mutex m;
    std::vector<std::vector<uint8_t>> blocks;
    std::atomic<int> bad{0};
};
Captured* g_captured = nullptr;
void CALLBACK OnCapture(const char* data, int length, int user) {
    const auto* p = reinterpret_cast<const uint8_t*>(data);
    if (user != 42 || length != 968 || p[0] || p[1] != 1 || p[2] != 240 || p[484] || p[485] != 1 || p[486] != 240) {
        g_captured->bad++;
        return;
    }
    std::lock_guard<std::mutex> g(g_captured->m);
    g_captured->blocks.emplace_back(p, p + length);
}

TEST(SoundFiles, TalkbackCaptureEncodesTheInputAndItDecodesBack) {
    const std::vector<short> sweep = testsupport::Sweep(48000);  // 6 s: room for skipped periods
    ASSERT_TRUE(testsupport::WriteCaptureSource(sweep));
    NET_LOGIN_PARAMS p = {};
    p.address = "127.0.8.9";  // nothing listens: talkback needs only the login
    p.port = 36688;
    const int id = NET_Login(p);
    ASSERT_GT(id, 0);
    Captured got;
    g_captured = &got;
    ASSERT_EQ(NET_StartTalkback(id, 1, 0), 1);
    ASSERT_EQ(NET_SoundCaptureStart(OnCapture, 42), 0);
    const bool enough = WaitUntil([&] {
        std::lock_guard<std::mutex> g(got.m);
        return got.blocks.size() >= 10;
    }, 15000);
    EXPECT_EQ(NET_StopTalkback(id), 1);
    EXPECT_EQ(NET_LogOut(id), 1);
    ASSERT_TRUE(enough);
    EXPECT_EQ(got.bad, 0);
    std::vector<short> decoded;
    {
        std::lock_guard<std::mutex> g(got.m);
        for (auto& b : got.blocks)
            for (size_t frame : {size_t(4), size_t(488)})
                for (size_t i = 0; i < 480; ++i) decoded.push_back(short(testsupport::RefAlaw(b[frame + i])));
    }
    // Every piece is the input's within A-law's step (256 at these levels),
    // in order; the runner's device may skip whole periods between them.
    ASSERT_GE(decoded.size(), 9600u);
    const auto last = std::min(decoded.size(), size_t(9600));
    int gaps = 0;
    EXPECT_EQ(testsupport::CheckPiecesInOrder({decoded.begin(), decoded.begin() + long(last)}, sweep, 80, 128, &gaps), "");
    std::printf("capture: %zu samples checked, %d gaps where the device skipped periods\n", last, gaps);
}

// A device's audio through NET_OpenSound: the caller decodes each payload as
// it arrives, and the device plays the clip from its start, in order.
struct Decoder {
    std::atomic<int> payloads{0};
    static void CALLBACK Callback(unsigned char* data, int length, int type, int codec, void* user) {
        if (type != 3) return;
        auto* self = static_cast<Decoder*>(user);
        NET_AudioDecode(data, length, codec);
        self->payloads++;
    }
};

TEST(SoundFiles, DeviceAudioComesOutOfTheSoundDevice) {
    devsim::Config c;
    c.address = "127.0.8.10";
    c.mainClip = Data("d1.264");
    c.subClip = Data("cif_aud.264");
    c.audioFile = Data("tone.pcma");
    c.audioCodec = 1;
    auto sim = std::make_unique<devsim::Simulator>(c);
    ASSERT_TRUE(sim->Start());
    const int id = NET_Login(Params(c.address, sim->Port()));
    ASSERT_GT(id, 0);
    Decoder dec;
    ASSERT_EQ(NET_StartRealPlay(id, 0, Decoder::Callback, &dec), 1);
    ASSERT_EQ(NET_OpenSound(id, 0), 1);  // starts the shared player
    const auto g711 = testsupport::ReadFileBytes(Data("tone.pcma"));
    const std::vector<short> clip = Expand(g711, 1);
    const size_t wantPayloads = 30;  // 1.2 s
    EXPECT_TRUE(WaitUntil([&] { return dec.payloads >= int(wantPayloads); }, 20000)) << dec.payloads;
    EXPECT_TRUE(WaitPlayed(wantPayloads * kPayload, 10000));
    EXPECT_EQ(NET_CloseSound(id, 0), 1);  // closes the player: the file is complete
    EXPECT_EQ(NET_StopRealPlay(id, 0), 1);
    EXPECT_EQ(NET_LogOut(id), 1);
    sim.reset();
    const std::vector<short> played = Audible(ReadPlayed());
    ASSERT_GE(played.size(), wantPayloads * kPayload);
    // The clip loops on the device: compare against it repeated.
    std::vector<short> looped;
    while (looped.size() < played.size()) looped.insert(looped.end(), clip.begin(), clip.end());
    looped = Audible(looped);
    EXPECT_EQ(FirstDifference(played, looped), -1) << "device audio played out of order, lost or repeated";
}

}  // namespace
