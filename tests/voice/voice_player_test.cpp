// The player's build of the voice codec (Quillon.dll): encode, decode and
// reset only, the codec type as an argument, types 1-7 and 35-39, errors
// 0xA1222xxx.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "qv_voice.h"
#include "voice_vectors.h"

using voicetest::MakeFrame;
using voicetest::ReadBytes;
using voicetest::ReadS16;

namespace {

struct State {
    alignas(8) uint8_t mem[QV_VOICE_STATE_SIZE];
    State() { std::memset(mem, 0xCD, sizeof mem); }
};

TEST(VoicePlayerBuild, KnowsTypes1To7And35To39Only) {
    static_assert(QV_VOICE_E_ENC_TYPE == int(0xA1222001), "player build error base");
    for (int type = -1; type <= 110; ++type) {
        const bool known = (type >= 1 && type <= 7) || (type >= 35 && type <= 39);
        State e, d;
        EXPECT_EQ(known ? 0 : int(0xA1222001), QV_VOICE_EncReset(e.mem, type)) << type;
        EXPECT_EQ(known ? 0 : int(0xA1222011), QV_VOICE_DecReset(d.mem, type)) << type;
    }
}

TEST(VoicePlayerBuild, ErrorCodes) {
    std::vector<int16_t> s(481, 100);
    std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES);
    std::vector<int16_t> pcm(QV_VOICE_MAX_DECODE_SAMPLES);
    State st;
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 6));
    int n = 5;
    std::vector<uint8_t> good = {0x00, 0x01, 20, 0};
    good.resize(44);
    auto bad = good;
    bad[1] = 0x02;
    const struct {
        const char* what;
        int got;
        unsigned want;
    } cases[] = {
        {"encode null state", QV_VOICE_EncodeFrame(nullptr, s.data(), frame.data(), 160, 6), 0xA1222101},
        {"encode null samples", QV_VOICE_EncodeFrame(st.mem, nullptr, frame.data(), 160, 6), 0xA1222102},
        {"encode null frame", QV_VOICE_EncodeFrame(st.mem, s.data(), nullptr, 160, 6), 0xA1222103},
        {"encode 482 samples", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 482, 6), 0xA1222002},
        {"encode type 65", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 160, 65), 0xA1222001},
        {"encode type 68", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 160, 68), 0xA1222001},
        {"encode type 6", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 160, 6), 0},
        {"decode null frame", QV_VOICE_DecodeFrame(st.mem, nullptr, pcm.data(), 6, &n), 0xA1222102},
        {"decode null count", QV_VOICE_DecodeFrame(st.mem, good.data(), pcm.data(), 6, nullptr), 0xA1222103},
        {"decode type 67", QV_VOICE_DecodeFrame(st.mem, good.data(), pcm.data(), 67, &n), 0xA1222011},
        {"decode bad header", QV_VOICE_DecodeFrame(st.mem, bad.data(), pcm.data(), 6, &n), 0xA1222013},
        {"decode length 20 as type 5", QV_VOICE_DecodeFrame(st.mem, good.data(), pcm.data(), 5, &n), 0xA1222012},
        {"decode length 20 as type 6", QV_VOICE_DecodeFrame(st.mem, good.data(), pcm.data(), 6, &n), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(int(c.want), c.got) << c.what;
}

TEST(VoicePlayerBuild, TalkFramesOfType6AreBitExactAndHaveThePlayersLength) {
    // The player codes talk as type 6 and expects 2 x (samples / 4 + 2) bytes.
    const auto input = ReadS16("voice/input.s16");
    const auto ref = ReadBytes("voice/g726_32_right.bin");
    ASSERT_EQ(1200u, ref.size());
    State st;
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 6));
    std::vector<uint8_t> got;
    for (size_t at = 0; at < input.size(); at += 480) {
        std::vector<uint8_t> f(QV_VOICE_MAX_FRAME_BYTES);
        ASSERT_EQ(0, QV_VOICE_EncodeFrame(st.mem, &input[at], f.data(), 480, 6));
        ASSERT_EQ(2u * (480 / 4 + 2), 4u + 2u * f[2]);
        got.insert(got.end(), f.begin() + 4, f.begin() + 4 + 2 * f[2]);
    }
    EXPECT_EQ(ref, got);
}

TEST(VoicePlayerBuild, PlayerFramesOf24And44BytesDecodeAsTypes4And6) {
    const struct {
        int type, kbit, bytes;
    } cases[] = {{4, 16, 24}, {6, 32, 44}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const auto ref = ReadBytes("voice/g726_" + std::to_string(c.kbit) + "_right.bin");
        const auto want = ReadS16("voice/g726_" + std::to_string(c.kbit) + "_decoded.s16");
        State st;
        ASSERT_EQ(0, QV_VOICE_DecReset(st.mem, c.type));
        const int words = (c.bytes - 4) / 2;
        std::vector<int16_t> out(960);  // the player's 1,920-byte buffer
        for (size_t at = 0, s = 0; at + size_t(2 * words) <= ref.size(); at += size_t(2 * words), s += 80) {
            auto f = MakeFrame(&ref[at], words);
            ASSERT_EQ(size_t(c.bytes), f.size());
            int n = 0;
            ASSERT_EQ(0, QV_VOICE_DecodeFrame(st.mem, f.data(), out.data(), c.type, &n));
            ASSERT_EQ(80, n);
            for (size_t i = 0; i < 80; ++i)
                ASSERT_TRUE(voicetest::SameOrSaturated(want[s + i], out[i])) << s + i;
        }
    }
}

TEST(VoicePlayerBuild, TheArgumentDecidesTheCodec) {
    // A state reset as G.711 A-law; the call's type 2 codes mu-law.
    std::vector<int16_t> s(160, 1000);
    State st;
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 1));
    std::vector<uint8_t> f(QV_VOICE_MAX_FRAME_BYTES);
    ASSERT_EQ(0, QV_VOICE_EncodeFrame(st.mem, s.data(), f.data(), 160, 2));
    EXPECT_EQ(80, f[2]);
    EXPECT_EQ(0xCE, f[4]);  // mu-law of 1000
}

}  // namespace
