// What Quillon.dll really plays and records: its voice output decodes
// G.726 frames into the runner's file-backed sound device, and its talk
// capture encodes what the device records (sound_kit.h).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "qv_voice.h"
#include "quillon.h"
#include "sound_kit.h"
#include "wait_until.h"

using testsupport::Audible;
using testsupport::ReadPlayed;

namespace {

class Player : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, H264PL_Init()); }
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new Player);

struct State {
    alignas(8) uint8_t mem[QV_VOICE_STATE_SIZE];
};

// The sweep as the player's 44-byte frames (type 6: 80 samples, G.726 at
// 32 kbit/s), and what the player's decoder makes of them.
struct Coded {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<short> decoded;
};
Coded Code(const std::vector<short>& pcm) {
    Coded c;
    State enc, dec;
    EXPECT_EQ(0, QV_VOICE_EncReset(enc.mem, 6));
    EXPECT_EQ(0, QV_VOICE_DecReset(dec.mem, 6));
    for (size_t at = 0; at + 80 <= pcm.size(); at += 80) {
        std::vector<uint8_t> f(QV_VOICE_MAX_FRAME_BYTES);
        EXPECT_EQ(0, QV_VOICE_EncodeFrame(enc.mem, &pcm[at], f.data(), 80, 6));
        f.resize(4 + 2 * f[2]);
        EXPECT_EQ(44u, f.size());
        short out[QV_VOICE_MAX_DECODE_SAMPLES];
        int n = 0;
        EXPECT_EQ(0, QV_VOICE_DecodeFrame(dec.mem, f.data(), out, 6, &n));
        c.decoded.insert(c.decoded.end(), out, out + n);
        c.frames.push_back(std::move(f));
    }
    return c;
}

TEST(PlayerSoundFiles, VoiceOutputPlaysEveryFrameOnceInOrder) {
    const Coded c = Code(testsupport::Sweep(16000));  // 2 s, 200 frames
    const std::vector<short> want = Audible(c.decoded);
    ASSERT_EQ(0, H264PL_Voice_StartOutput());
    // Paced like a live stream, some frames ahead of the device: the
    // output's ring drops what it has no room for.
    const DWORD t0 = GetTickCount();
    for (size_t i = 0; i < c.frames.size(); ++i) {
        const long due = (long(i) - 8) * 10;
        while (long(GetTickCount() - t0) < due) Sleep(2);
        ASSERT_EQ(0, H264PL_Voice_Output(c.frames[i].data(), int(c.frames[i].size()))) << i;
    }
    EXPECT_TRUE(WaitUntil([&] { return Audible(ReadPlayed()).size() >= want.size(); }, 15000));
    EXPECT_EQ(0, H264PL_Voice_StopOutput());
    const std::vector<short> played = Audible(ReadPlayed());
    EXPECT_EQ(played.size(), want.size()) << "samples lost or repeated";
    size_t same = 0;
    while (same < played.size() && same < want.size() && played[same] == want[same]) ++same;
    EXPECT_EQ(same, want.size()) << "played sound differs from the frames' decode at sample " << same;
}

struct Captured {
    std::mutex m;
    std::vector<std::vector<uint8_t>> frames;
};
Captured* g_captured = nullptr;
void CALLBACK OnCapture(unsigned char* frame, int length) {
    std::lock_guard<std::mutex> g(g_captured->m);
    g_captured->frames.emplace_back(frame, frame + length);
}

TEST(PlayerSoundFiles, TalkCaptureEncodesTheInputAndItDecodesBack) {
    const std::vector<short> sweep = testsupport::Sweep(48000, 4000.0);
    ASSERT_TRUE(testsupport::WriteCaptureSource(sweep));
    Captured got;
    g_captured = &got;
    ASSERT_EQ(0, H264PL_Voice_StartCapture(OnCapture));
    const bool enough = WaitUntil([&] {
        std::lock_guard<std::mutex> g(got.m);
        return got.frames.size() >= 20;
    }, 15000);
    EXPECT_EQ(0, H264PL_Voice_StopCapture());
    ASSERT_TRUE(enough);
    // Type-6 frames of 480 samples: 244 bytes each, decoded in order.
    std::vector<short> decoded;
    State dec;
    ASSERT_EQ(0, QV_VOICE_DecReset(dec.mem, 6));
    {
        std::lock_guard<std::mutex> g(got.m);
        for (auto& f : got.frames) {
            ASSERT_EQ(244u, f.size());
            short out[QV_VOICE_MAX_DECODE_SAMPLES];
            int n = 0;
            ASSERT_EQ(0, QV_VOICE_DecodeFrame(dec.mem, f.data(), out, 6, &n));
            ASSERT_EQ(480, n);
            decoded.insert(decoded.end(), out, out + n);
        }
    }
    // Past the coder's first adaptation, every piece is the input's within
    // ADPCM's error (a tenth of the level), in order; the device may skip
    // whole periods between them.
    ASSERT_GE(decoded.size(), 9600u);
    const std::vector<short> checked(decoded.begin() + 160, decoded.begin() + 9600);
    int gaps = 0;
    EXPECT_EQ(testsupport::CheckPiecesInOrder(checked, sweep, 80, 400, &gaps), "");
    std::printf("capture: %zu samples checked, %d gaps where the device skipped periods\n", checked.size(), gaps);
}

}  // namespace
