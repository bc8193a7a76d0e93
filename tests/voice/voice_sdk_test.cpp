// The SDK's build of the voice codec (QV_VOICE_* of Orvik.dll).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

struct Encoder : State {
    explicit Encoder(int type) { EXPECT_EQ(0, QV_VOICE_EncReset(mem, type)); }
    // Encodes count samples; returns the whole frame.
    std::vector<uint8_t> Frame(const int16_t* s, int count) {
        std::vector<uint8_t> f(QV_VOICE_MAX_FRAME_BYTES + 16, 0xEE);
        EXPECT_EQ(0, QV_VOICE_EncodeFrame(mem, s, f.data(), count));
        f.resize(4 + 2 * f[2]);
        return f;
    }
};

struct Decoder : State {
    explicit Decoder(int type) { EXPECT_EQ(0, QV_VOICE_DecReset(mem, type)); }
    std::vector<int16_t> Samples(const std::vector<uint8_t>& frame) {
        std::vector<int16_t> out(QV_VOICE_MAX_DECODE_SAMPLES);
        int n = -1;
        EXPECT_EQ(0, QV_VOICE_DecodeFrame(mem, frame.data(), out.data(), &n));
        out.resize(size_t(n < 0 ? 0 : n));
        return out;
    }
};

std::vector<int16_t> Ramp(int n, int from = -32768, int step = 331) {
    std::vector<int16_t> s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) s[size_t(i)] = int16_t(from + (i * step) % 65536);
    return s;
}

struct Transcoder {
    alignas(8) uint8_t mem[QV_VOICE_TRANSCODER_STATE_SIZE];
    explicit Transcoder(int type) {
        std::memset(mem, 0xCD, sizeof mem);
        EXPECT_EQ(0, QV_VOICE_TransCodeReset(mem, type));
    }
};

// ---------------------------------------------------------------- G.711

TEST(VoiceG711, FrameOf320SamplesHasTheDocumentedHeader) {
    Encoder enc(QV_VOICE_G711A);
    auto f = enc.Frame(Ramp(320).data(), 320);
    ASSERT_EQ(324u, f.size());
    EXPECT_EQ(0x00, f[0]);
    EXPECT_EQ(0x01, f[1]);
    EXPECT_EQ(0xA0, f[2]);
    EXPECT_EQ(0x00, f[3]);
}

TEST(VoiceG711, ExpansionOfAll256CodesMatchesTheTables) {
    // Each table is sox's G.711 expansion of the codes 0..255.
    const struct {
        int type;
        const char* table;
        bool swapped;
    } cases[] = {{1, "voice/g711_alaw.s16", false}, {2, "voice/g711_ulaw.s16", false},
                 {65, "voice/g711_alaw.s16", true}, {66, "voice/g711_ulaw.s16", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const auto table = ReadS16(c.table);
        ASSERT_EQ(256u, table.size());
        // 320 codes: 0..255 then 0..63, one 40 ms frame.
        std::vector<uint8_t> payload(320);
        for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i);
        if (c.swapped)
            for (size_t i = 0; i < payload.size(); i += 2) std::swap(payload[i], payload[i + 1]);
        Decoder dec(c.type);
        auto pcm = dec.Samples(MakeFrame(payload.data(), 160));
        ASSERT_EQ(320u, pcm.size());
        for (int code = 0; code < 320; ++code) ASSERT_EQ(table[size_t(code % 256)], pcm[size_t(code)]) << code;
    }
    // Check values of the recommendation itself.
    const auto alaw = ReadS16("voice/g711_alaw.s16");
    const auto ulaw = ReadS16("voice/g711_ulaw.s16");
    ASSERT_EQ(256u, alaw.size());
    ASSERT_EQ(256u, ulaw.size());
    EXPECT_EQ(8, alaw[0xD5]);
    EXPECT_EQ(-8, alaw[0x55]);
    EXPECT_EQ(32256, alaw[0xAA]);
    EXPECT_EQ(-32124, ulaw[0x00]);
    EXPECT_EQ(0, ulaw[0xFF]);
    EXPECT_EQ(0, ulaw[0x7F]);
}

TEST(VoiceG711, EveryTableValueEncodesToItsCodeAndBack) {
    // Expanding a code and compressing the value gives the code again (mu-law
    // has two zeros; 0x7F and 0xFF both expand to 0, which compresses to 0xFF).
    for (int type : {1, 2}) {
        std::vector<int16_t> values;
        for (int code = 0; code < 256; ++code)
            values.push_back(ReadS16(type == 1 ? "voice/g711_alaw.s16" : "voice/g711_ulaw.s16")[size_t(code)]);
        values.resize(320, 0);
        Encoder enc(type);
        auto f = enc.Frame(values.data(), 320);
        for (int code = 0; code < 256; ++code) {
            int want = (type == 2 && code == 0x7F) ? 0xFF : code;
            ASSERT_EQ(want, f[size_t(4 + code)]) << "type " << type << " code " << code;
        }
    }
}

TEST(VoiceG711, ToneFixturesEncodeAndDecode) {
    // The fixtures come from an encoder with other decision levels than the
    // ITU reference: its code and ours are the same or neighbours, and both
    // decode to the table values.
    const auto pcm = ReadS16("tone.s16");
    const auto alaw = ReadBytes("tone.pcma");
    const auto ulaw = ReadBytes("tone.pcmu");
    ASSERT_EQ(24000u, pcm.size());
    ASSERT_EQ(24000u, alaw.size());
    ASSERT_EQ(24000u, ulaw.size());
    for (int type : {1, 2}) {
        SCOPED_TRACE(type);
        const auto& ref = type == 1 ? alaw : ulaw;
        const auto table = ReadS16(type == 1 ? "voice/g711_alaw.s16" : "voice/g711_ulaw.s16");
        // Rank of each code's value among the distinct values.
        std::vector<int16_t> levels(table.begin(), table.end());
        std::sort(levels.begin(), levels.end());
        levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
        auto rank = [&](uint8_t code) {
            return int(std::lower_bound(levels.begin(), levels.end(), table[code]) - levels.begin());
        };
        Encoder enc(type);
        Decoder dec(type);
        int same = 0;
        for (size_t at = 0; at < pcm.size(); at += 320) {
            auto f = enc.Frame(&pcm[at], 320);
            for (size_t i = 0; i < 320; ++i) {
                ASSERT_LE(std::abs(rank(f[4 + i]) - rank(ref[at + i])), 1) << at + i;
                same += f[4 + i] == ref[at + i];
            }
            auto out = dec.Samples(MakeFrame(&ref[at], 160));
            ASSERT_EQ(320u, out.size());
            for (size_t i = 0; i < 320; ++i) ASSERT_EQ(table[ref[at + i]], out[i]);
        }
        EXPECT_GT(same, 20000);
    }
}

TEST(VoiceG711, PairOrderOfEveryPacking) {
    const auto s = Ramp(161);
    for (int law : {1, 2}) {
        auto plain = Encoder(law).Frame(s.data(), 161);
        auto swapped = Encoder(law + 64).Frame(s.data(), 161);
        ASSERT_EQ(4u + 160u, plain.size()) << "a last odd sample is left out";
        ASSERT_EQ(plain.size(), swapped.size());
        for (size_t i = 4; i < plain.size(); i += 2) {
            EXPECT_EQ(plain[i], swapped[i + 1]);
            EXPECT_EQ(plain[i + 1], swapped[i]);
        }
        // 160 samples decode from both packings to the same values.
        auto s160 = Ramp(160);
        auto a = Decoder(law).Samples(Encoder(law).Frame(s160.data(), 160));
        auto b = Decoder(law + 64).Samples(Encoder(law + 64).Frame(s160.data(), 160));
        ASSERT_EQ(160u, a.size());
        EXPECT_EQ(a, b);
        for (size_t i = 0; i < 160; ++i) EXPECT_NEAR(s160[i], a[i], 1024) << i;
    }
}

// ---------------------------------------------------------------- G.726

struct G726Case {
    int type;
    int kbit;
    const char* packing;  // the reference's file suffix
};

const G726Case kG726Cases[] = {
    {4, 16, "right"}, {5, 24, "right"}, {6, 32, "right"}, {7, 40, "right"},
    {36, 16, "left"}, {37, 24, "left"}, {38, 32, "left"}, {39, 40, "left"},
};

TEST(VoiceG726, EncoderIsBitExactWithTheReferenceAtEveryRateAndPacking) {
    const auto input = ReadS16("voice/input.s16");
    ASSERT_EQ(2400u, input.size());
    for (const auto& c : kG726Cases) {
        SCOPED_TRACE(c.type);
        const auto ref = ReadBytes("voice/g726_" + std::to_string(c.kbit) + "_" + c.packing + ".bin");
        ASSERT_EQ(input.size() * size_t(c.kbit / 8) / 8, ref.size());
        Encoder enc(c.type);
        std::vector<uint8_t> got;
        for (size_t at = 0; at < input.size(); at += 160) {
            auto f = enc.Frame(&input[at], 160);
            ASSERT_EQ(160 * (c.kbit / 8) / 16, f[2]);
            got.insert(got.end(), f.begin() + 4, f.end());
        }
        ASSERT_EQ(ref.size(), got.size());
        for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(ref[i], got[i]) << "byte " << i;
    }
}

TEST(VoiceG726, DecoderIsBitExactWithTheReferenceAtEveryRateAndPacking) {
    for (const auto& c : kG726Cases) {
        SCOPED_TRACE(c.type);
        const auto ref = ReadBytes("voice/g726_" + std::to_string(c.kbit) + "_" + c.packing + ".bin");
        const auto want = ReadS16("voice/g726_" + std::to_string(c.kbit) + "_decoded.s16");
        ASSERT_EQ(2400u, want.size());
        const int words = 160 * (c.kbit / 8) / 16;
        Decoder dec(c.type);
        std::vector<int16_t> got;
        for (size_t at = 0; at + size_t(2 * words) <= ref.size(); at += size_t(2 * words)) {
            const auto frame = MakeFrame(&ref[at], words);
            const auto before = frame;
            auto pcm = dec.Samples(frame);
            ASSERT_EQ(160u, pcm.size());
            ASSERT_EQ(before, frame) << "the input frame is only read";
            got.insert(got.end(), pcm.begin(), pcm.end());
        }
        ASSERT_EQ(want.size(), got.size());
        int saturated = 0;
        for (size_t i = 0; i < want.size(); ++i) {
            ASSERT_TRUE(voicetest::SameOrSaturated(want[i], got[i])) << "sample " << i;
            if (want[i] != got[i]) {
                ++saturated;
                EXPECT_TRUE(i >= 1400 && i < 1700) << "outside the clipped square burst: " << i;
            }
        }
        EXPECT_LT(saturated, 100);
    }
}

TEST(VoiceG726, Type68PacksEightCodesPerWordFromTheTop) {
    const auto input = ReadS16("voice/input.s16");
    const auto codes = ReadBytes("voice/g726_16_codes.bin");
    const auto want = ReadS16("voice/g726_16_decoded.s16");
    ASSERT_EQ(2400u, codes.size());
    std::vector<uint8_t> payload;
    for (size_t i = 0; i < codes.size(); i += 8) {
        unsigned w = 0;
        for (size_t k = 0; k < 8; ++k) w = (w << 2) | codes[i + k];
        payload.push_back(uint8_t(w & 0xFF));
        payload.push_back(uint8_t(w >> 8));
    }
    Encoder enc(68);
    Decoder dec(68);
    for (size_t at = 0; at < input.size(); at += 480) {
        auto f = enc.Frame(&input[at], 480);
        ASSERT_EQ(60, f[2]);
        ASSERT_EQ(0, std::memcmp(&payload[at / 4], &f[4], 120)) << "frame at " << at;
        auto pcm = dec.Samples(f);
        ASSERT_EQ(480u, pcm.size());
        for (size_t i = 0; i < 480; ++i) ASSERT_TRUE(voicetest::SameOrSaturated(want[at + i], pcm[i])) << at + i;
    }
}

TEST(VoiceG726, OddLeftoverSamplesAreNotCodedSoTheDecoderStaysInStep) {
    // 2 x 81 samples at 40 kbit/s: 81 -> 80 samples (25 words) per frame. The
    // second frame must decode as if the first had carried 80 samples only.
    const auto input = ReadS16("voice/input.s16");
    std::vector<int16_t> a(input.begin(), input.begin() + 81), b(input.begin() + 81, input.begin() + 161);
    std::vector<int16_t> a80(input.begin(), input.begin() + 80);
    Encoder e1(7), e2(7);
    auto f1 = e1.Frame(a.data(), 81);
    auto g1 = e2.Frame(a80.data(), 80);
    EXPECT_EQ(f1, g1);
    EXPECT_EQ(e1.Frame(b.data(), 80), e2.Frame(b.data(), 80));
}

// ---------------------------------------------------------------- IMA ADPCM

TEST(VoiceIma, DviStyleIsBitExactWithTheReference) {
    const auto input = ReadS16("voice/input.s16");
    const auto ref = ReadBytes("voice/ima_dvi4.bin");  // 84-byte blocks, header big-endian
    const auto want = ReadS16("voice/ima_dvi4_decoded.s16");
    ASSERT_EQ(15u * 84u, ref.size());
    Encoder enc(3);
    Decoder dec(3);
    for (size_t blk = 0; blk < 15; ++blk) {
        SCOPED_TRACE(blk);
        const uint8_t* r = &ref[blk * 84];
        auto f = enc.Frame(&input[blk * 160], 160);
        ASSERT_EQ(42, f[2]);
        EXPECT_EQ(r[0], f[5]);  // predicted sample, our header is little-endian
        EXPECT_EQ(r[1], f[4]);
        EXPECT_EQ(r[2], f[6]);  // step index
        EXPECT_EQ(0, f[7]);
        ASSERT_EQ(0, std::memcmp(r + 4, &f[8], 80));
        auto pcm = dec.Samples(f);
        ASSERT_EQ(160u, pcm.size());
        ASSERT_EQ(0, std::memcmp(&want[blk * 160], pcm.data(), 320));
    }
}

TEST(VoiceIma, HeaderlessStyleRunsOnAcrossFrames) {
    const auto input = ReadS16("voice/input.s16");
    const auto ref = ReadBytes("voice/ima_dvi4.bin");
    const auto want = ReadS16("voice/ima_dvi4_decoded.s16");
    Encoder enc(67);
    Decoder dec(67);
    for (size_t blk = 0; blk < 15; ++blk) {
        auto f = enc.Frame(&input[blk * 160], 160);
        ASSERT_EQ(40, f[2]);
        ASSERT_EQ(0, std::memcmp(&ref[blk * 84 + 4], &f[4], 80)) << blk;
        auto pcm = dec.Samples(f);
        ASSERT_EQ(0, std::memcmp(&want[blk * 160], pcm.data(), 320)) << blk;
    }
}

TEST(VoiceIma, BlockStyleIsBitExactWithTheReference) {
    const auto input = ReadS16("voice/input.s16");
    const auto ref = ReadBytes("voice/ima_ima4.bin");  // 84-byte blocks of 161 samples
    const auto want = ReadS16("voice/ima_ima4_decoded.s16");
    ASSERT_EQ(14u * 84u, ref.size());
    Encoder enc(35);
    Decoder dec(35);
    for (size_t blk = 0; blk < 14; ++blk) {
        SCOPED_TRACE(blk);
        auto f = enc.Frame(&input[blk * 161], 161);
        ASSERT_EQ(42, f[2]);  // (161 - 1) / 4 + 2
        ASSERT_EQ(0, std::memcmp(&ref[blk * 84], &f[4], 84));
        auto pcm = dec.Samples(f);
        ASSERT_EQ(161u, pcm.size());
        ASSERT_EQ(0, std::memcmp(&want[blk * 161], pcm.data(), 161 * 2));
    }
}

TEST(VoiceIma, LeftoverSamplesAreNotCodedSoTheDecoderStaysInStep) {
    const auto input = ReadS16("voice/input.s16");
    Encoder e1(67), e2(67);
    auto f1 = e1.Frame(&input[0], 163);
    auto g1 = e2.Frame(&input[0], 160);
    EXPECT_EQ(g1, f1);
    EXPECT_EQ(e2.Frame(&input[160], 160), e1.Frame(&input[160], 160));
}

TEST(VoiceIma, HeaderStepIndexOutOfRangeIsClamped) {
    // A step index beyond the table's end must not be used as an index.
    std::vector<uint8_t> payload(84, 0x77);
    payload[0] = 0x10;
    payload[1] = 0x00;
    payload[2] = 200;
    payload[3] = 0;
    std::vector<uint8_t> clamped = payload;
    clamped[2] = 88;
    for (int type : {3, 35}) {
        auto a = Decoder(type).Samples(MakeFrame(payload.data(), 42));
        auto b = Decoder(type).Samples(MakeFrame(clamped.data(), 42));
        ASSERT_FALSE(a.empty());
        EXPECT_EQ(b, a) << type;
    }
}

// ---------------------------------------------------------------- frames and errors

TEST(VoiceFrames, SampleCountsOfEveryType) {
    const auto s = Ramp(481);
    const struct {
        int type, count, words, decoded;
    } cases[] = {
        {1, 481, 240, 480}, {2, 160, 80, 160},   {65, 80, 40, 80},    {66, 320, 160, 320},
        {3, 160, 42, 160},  {3, 481, 122, 480},  {35, 161, 42, 161},  {35, 481, 122, 481},
        {67, 480, 120, 480}, {4, 480, 60, 480},  {5, 160, 30, 160},   {6, 480, 120, 480},
        {7, 480, 150, 480}, {36, 80, 10, 80},    {37, 480, 90, 480},  {38, 161, 40, 160},
        {39, 81, 25, 80},   {68, 480, 60, 480},  {68, 87, 10, 80},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " count " << c.count);
        Encoder enc(c.type);
        auto f = enc.Frame(s.data(), c.count);
        EXPECT_EQ(c.words, f[2]);
        EXPECT_EQ(0x0100, f[0] | (f[1] << 8));
        EXPECT_EQ(0, f[3]);
        EXPECT_EQ(Decoder(c.type).Samples(f).size(), size_t(c.decoded));
    }
}

TEST(VoiceFrames, EncoderWritesNothingPastTheFrame) {
    const auto s = Ramp(481);
    for (int type : {1, 2, 3, 4, 5, 6, 7, 35, 36, 37, 38, 39, 65, 66, 67, 68}) {
        State st;
        ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, type));
        std::vector<uint8_t> out(QV_VOICE_MAX_FRAME_BYTES, 0xEE);
        ASSERT_EQ(0, QV_VOICE_EncodeFrame(st.mem, s.data(), out.data(), 481));
        const size_t used = 4 + 2 * size_t(out[2]);
        for (size_t i = used; i < out.size(); ++i) ASSERT_EQ(0xEE, out[i]) << "type " << type << " byte " << i;
    }
}

TEST(VoiceFrames, ErrorCodes) {
    const auto s = Ramp(481);
    State st;
    std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES);
    std::vector<int16_t> pcm(QV_VOICE_MAX_DECODE_SAMPLES);
    int n = 0;
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 1));
    const std::vector<uint8_t> good = Encoder(1).Frame(s.data(), 160);
    auto with = [&](uint8_t b1, uint8_t len) {
        auto f = good;
        f[1] = b1;
        f[2] = len;
        f.resize(QV_VOICE_MAX_FRAME_BYTES);
        return f;
    };
    auto decode = [&](int type, const std::vector<uint8_t>& f) {
        State d;
        EXPECT_EQ(0, QV_VOICE_DecReset(d.mem, type));
        return QV_VOICE_DecodeFrame(d.mem, f.data(), pcm.data(), &n);
    };
    const auto longFrame = with(0x01, 255);
    const struct {
        const char* what;
        int got;
        unsigned want;
    } cases[] = {
        {"encode null state", QV_VOICE_EncodeFrame(nullptr, s.data(), frame.data(), 160), 0xA1220101},
        {"encode null samples", QV_VOICE_EncodeFrame(st.mem, nullptr, frame.data(), 160), 0xA1220102},
        {"encode null frame", QV_VOICE_EncodeFrame(st.mem, s.data(), nullptr, 160), 0xA1220103},
        {"encode 0 samples", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 0), 0xA1220002},
        {"encode 482 samples", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 482), 0xA1220002},
        {"encode -1 samples", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), -1), 0xA1220002},
        {"encode 481 samples", QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 481), 0},
        {"decode null state", QV_VOICE_DecodeFrame(nullptr, good.data(), pcm.data(), &n), 0xA1220101},
        {"decode null frame", QV_VOICE_DecodeFrame(st.mem, nullptr, pcm.data(), &n), 0xA1220102},
        {"decode null samples", QV_VOICE_DecodeFrame(st.mem, good.data(), nullptr, &n), 0xA1220103},
        {"decode null count", QV_VOICE_DecodeFrame(st.mem, good.data(), pcm.data(), nullptr), 0xA1220103},
        {"reset null state", QV_VOICE_EncReset(nullptr, 1), 0xA1220101},
        {"dec reset null state", QV_VOICE_DecReset(nullptr, 1), 0xA1220101},
        {"header 0x0200", decode(1, with(0x02, 80)), 0xA1220013},
        {"header 0x0300", decode(1, with(0x03, 80)), 0xA1220013},
        {"header 0xFD00: other bits ignored", decode(1, with(0xFD, 80)), 0},
        {"length 0", decode(1, with(0x01, 0)), 0xA1220012},
        {"G.711 length 50", decode(1, with(0x01, 50)), 0xA1220012},
        {"G.711 length 240", decode(65, with(0x01, 240)), 0},
        {"G.711 length 241", decode(2, with(0x01, 241)), 0xA1220012},
        {"DVI length 122", decode(3, with(0x01, 122)), 0},
        {"DVI length 123", decode(3, with(0x01, 123)), 0xA1220012},
        {"DVI length 1 (no header)", decode(3, with(0x01, 1)), 0xA1220012},
        {"block length 1 (no header)", decode(35, with(0x01, 1)), 0xA1220012},
        {"raw length 122", decode(67, with(0x01, 122)), 0},
        {"raw length 255", decode(67, longFrame), 0xA1220012},
        {"G.726-16 length 60", decode(4, with(0x01, 60)), 0},
        {"G.726-16 length 61", decode(36, with(0x01, 61)), 0xA1220012},
        {"G.726-16 length 15", decode(4, with(0x01, 15)), 0xA1220012},
        {"G.726-24 length 15", decode(5, with(0x01, 15)), 0},
        {"G.726-24 length 16", decode(37, with(0x01, 16)), 0xA1220012},
        {"G.726-24 length 105", decode(5, with(0x01, 105)), 0xA1220012},
        {"G.726-32 length 120", decode(38, with(0x01, 120)), 0},
        {"G.726-32 length 130", decode(6, with(0x01, 130)), 0xA1220012},
        {"G.726-40 length 150", decode(7, with(0x01, 150)), 0},
        {"G.726-40 length 175", decode(39, with(0x01, 175)), 0xA1220012},
        {"type 68 length 70", decode(68, with(0x01, 70)), 0xA1220012},
        {"type 68 length 20", decode(68, with(0x01, 20)), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(int(c.want), c.got) << c.what;
}

TEST(VoiceFrames, ArbitraryFramesStayWithinTheirBounds) {
    // Random headers and payloads: a decode either fails or writes at most
    // the type's samples, never touches the frame, never writes past 488.
    uint32_t seed = 2463534242u;
    auto next = [&] {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    const int types[] = {1, 2, 3, 4, 5, 6, 7, 35, 36, 37, 38, 39, 65, 66, 67, 68};
    for (int type : types) {
        Decoder dec(type);
        int decoded = 0;
        for (int i = 0; i < 300; ++i) {
            std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES);
            for (auto& b : frame) b = uint8_t(next());
            if (i % 4) frame[1] = uint8_t((frame[1] & ~3) | 1);
            if (i % 2) frame[2] = uint8_t(next() % 160);
            const auto before = frame;
            std::vector<int16_t> out(QV_VOICE_MAX_DECODE_SAMPLES + 64, 0x5A5A);
            int n = -1;
            const int rc = QV_VOICE_DecodeFrame(dec.mem, frame.data(), out.data(), &n);
            ASSERT_EQ(before, frame) << type;
            if (rc != 0) {
                ASSERT_EQ(0, n);
                continue;
            }
            ++decoded;
            ASSERT_GE(n, 0);
            ASSERT_LE(n, QV_VOICE_MAX_DECODE_SAMPLES);
            for (size_t k = QV_VOICE_MAX_DECODE_SAMPLES; k < out.size(); ++k) ASSERT_EQ(0x5A5A, out[k]);
        }
        EXPECT_GT(decoded, 0) << type;
    }
    for (int trans : {99, 100}) {
        Transcoder t(trans);
        for (int i = 0; i < 300; ++i) {
            std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES + 16);
            for (auto& b : frame) b = uint8_t(next());
            frame[1] = 0x01;
            frame[2] = uint8_t(next() % 130);
            const auto tail = std::vector<uint8_t>(frame.begin() + QV_VOICE_MAX_FRAME_BYTES, frame.end());
            QV_VOICE_TransCodeFrame(t.mem, frame.data());
            ASSERT_EQ(tail, std::vector<uint8_t>(frame.begin() + QV_VOICE_MAX_FRAME_BYTES, frame.end()));
        }
    }
}

TEST(VoiceFrames, UnknownTypeIsStoredAndReportedByLaterCalls) {
    const auto s = Ramp(160);
    std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES);
    std::vector<int16_t> pcm(QV_VOICE_MAX_DECODE_SAMPLES);
    for (int type : {0, 8, 34, 40, 64, 69, 97, 1000}) {
        State e, d;
        EXPECT_EQ(int(0xA1220001), QV_VOICE_EncReset(e.mem, type)) << type;
        EXPECT_EQ(int(0xA1220001), QV_VOICE_EncodeFrame(e.mem, s.data(), frame.data(), 160)) << type;
        EXPECT_EQ(int(0xA1220011), QV_VOICE_DecReset(d.mem, type)) << type;
        auto good = Encoder(1).Frame(s.data(), 160);
        int n = 7;
        EXPECT_EQ(int(0xA1220011), QV_VOICE_DecodeFrame(d.mem, good.data(), pcm.data(), &n)) << type;
        EXPECT_EQ(0, n) << "the count is cleared first";
    }
}

TEST(VoiceFrames, FailedCallsLeaveTheStateAsItWas) {
    const auto input = ReadS16("voice/input.s16");
    for (int type : {3, 6, 67}) {
        Encoder enc(type);
        enc.Frame(input.data(), 160);
        Decoder dec(type);
        dec.Samples(enc.Frame(&input[160], 160));
        uint8_t encBefore[QV_VOICE_STATE_SIZE], decBefore[QV_VOICE_STATE_SIZE];
        std::memcpy(encBefore, enc.mem, sizeof encBefore);
        std::memcpy(decBefore, dec.mem, sizeof decBefore);
        std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES);
        EXPECT_NE(0, QV_VOICE_EncodeFrame(enc.mem, input.data(), frame.data(), 500));
        auto bad = enc.Frame(input.data(), 160);
        std::memcpy(enc.mem, encBefore, sizeof encBefore);
        bad[2] = 123;
        bad.resize(QV_VOICE_MAX_FRAME_BYTES);
        int n;
        std::vector<int16_t> pcm(QV_VOICE_MAX_DECODE_SAMPLES);
        EXPECT_NE(0, QV_VOICE_DecodeFrame(dec.mem, bad.data(), pcm.data(), &n));
        EXPECT_EQ(0, std::memcmp(encBefore, enc.mem, sizeof encBefore)) << type;
        EXPECT_EQ(0, std::memcmp(decBefore, dec.mem, sizeof decBefore)) << type;
    }
}

TEST(VoiceFrames, ResetToAnotherTypeChangesTheCodec) {
    const auto s = Ramp(160);
    State st;
    std::vector<uint8_t> frame(QV_VOICE_MAX_FRAME_BYTES);
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 6));
    ASSERT_EQ(0, QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 160));
    EXPECT_EQ(40, frame[2]);
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 1));
    ASSERT_EQ(0, QV_VOICE_EncodeFrame(st.mem, s.data(), frame.data(), 160));
    EXPECT_EQ(80, frame[2]);
    // A reset starts the history anew: the same input codes the same way.
    ASSERT_EQ(0, QV_VOICE_EncReset(st.mem, 6));
    std::vector<uint8_t> again(QV_VOICE_MAX_FRAME_BYTES);
    ASSERT_EQ(0, QV_VOICE_EncodeFrame(st.mem, s.data(), again.data(), 160));
    Encoder fresh(6);
    EXPECT_EQ(fresh.Frame(s.data(), 160), std::vector<uint8_t>(again.begin(), again.begin() + 84));
}

TEST(VoiceFrames, Version) {
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(0, QV_VOICE_GetVersion(buf));
    EXPECT_STREQ("QV_VOICE_VERSION=Qv7702_VOICELIB_V1.0.0.0", buf);
    EXPECT_EQ(-1, QV_VOICE_GetVersion(nullptr));
}

// ---------------------------------------------------------------- transcodes


TEST(VoiceTranscode, SwappedG711BecomesPlainG711) {
    const auto s = Ramp(320);
    for (int law : {1, 2}) {
        Transcoder t(96 + law);
        auto f = Encoder(law + 64).Frame(s.data(), 320);
        ASSERT_EQ(0, QV_VOICE_TransCodeFrame(t.mem, f.data()));
        EXPECT_EQ(Encoder(law).Frame(s.data(), 320), f) << law;
    }
}

TEST(VoiceTranscode, HeaderlessAdpcmBecomesDviFrames) {
    // 99: type 67 frames decoded and coded again as type 3, frame by frame.
    const auto input = ReadS16("voice/input.s16");
    Transcoder t(99);
    Encoder src(67);
    Decoder ref67(67);
    Encoder ref3(3);
    Decoder out3(3);
    for (size_t at = 0; at < 960; at += 160) {
        auto f = src.Frame(&input[at], 160);
        const auto pcm = ref67.Samples(f);
        const auto want = ref3.Frame(pcm.data(), int(pcm.size()));
        std::vector<uint8_t> buf(QV_VOICE_MAX_FRAME_BYTES, 0xEE);
        std::memcpy(buf.data(), f.data(), f.size());
        ASSERT_EQ(0, QV_VOICE_TransCodeFrame(t.mem, buf.data()));
        ASSERT_EQ(42, buf[2]);  // grows by the 4-byte block header
        EXPECT_EQ(want, std::vector<uint8_t>(buf.begin(), buf.begin() + 88));
        for (size_t i = 88; i < buf.size(); ++i) ASSERT_EQ(0xEE, buf[i]);
        EXPECT_EQ(pcm, out3.Samples(want));
    }
}

TEST(VoiceTranscode, Type68BecomesG726Lsb) {
    const auto input = ReadS16("voice/input.s16");
    Transcoder t(100);
    Encoder src(68);
    Decoder ref68(68);
    Encoder ref4(4);
    for (size_t at = 0; at < 960; at += 160) {
        auto f = src.Frame(&input[at], 160);
        const auto pcm = ref68.Samples(f);
        const auto want = ref4.Frame(pcm.data(), int(pcm.size()));
        ASSERT_EQ(0, QV_VOICE_TransCodeFrame(t.mem, f.data()));
        EXPECT_EQ(want, f);
    }
}

TEST(VoiceTranscode, Errors) {
    uint8_t frame[QV_VOICE_MAX_FRAME_BYTES] = {0x00, 0x01, 40, 0};
    alignas(8) uint8_t mem[QV_VOICE_TRANSCODER_STATE_SIZE] = {};
    EXPECT_EQ(int(0xA1221001), QV_VOICE_TransCodeReset(nullptr, 97));
    EXPECT_EQ(int(0xA1221002), QV_VOICE_TransCodeReset(mem, 96));
    EXPECT_EQ(int(0xA1221002), QV_VOICE_TransCodeReset(mem, 101));
    EXPECT_EQ(int(0xA1221001), QV_VOICE_TransCodeFrame(nullptr, frame));
    EXPECT_EQ(int(0xA1221002), QV_VOICE_TransCodeFrame(mem, frame)) << "never reset";
    ASSERT_EQ(0, QV_VOICE_TransCodeReset(mem, 97));
    EXPECT_EQ(int(0xA1220102), QV_VOICE_TransCodeFrame(mem, nullptr));
    // An encoder half of another type.
    ASSERT_EQ(0, QV_VOICE_EncReset(mem, 6));
    EXPECT_EQ(int(0xA1221002), QV_VOICE_TransCodeFrame(mem, frame));
}

TEST(VoiceTranscode, InnerFailuresAreReportedAndTheFrameIsKept) {
    // A type-67 frame of 121 words decodes to 484 samples, more than one
    // encode takes; a frame of 0 words does not decode.
    Transcoder t(99);
    std::vector<uint8_t> big(QV_VOICE_MAX_FRAME_BYTES, 0x5A);
    big[0] = 0x00;
    big[1] = 0x01;
    big[2] = 121;
    big[3] = 0;
    const auto before = big;
    EXPECT_EQ(int(0xA1220002), QV_VOICE_TransCodeFrame(t.mem, big.data()));
    EXPECT_EQ(before, big);
    std::vector<uint8_t> empty = {0x00, 0x01, 0, 0};
    EXPECT_EQ(int(0xA1220012), QV_VOICE_TransCodeFrame(t.mem, empty.data()));
    std::vector<uint8_t> badHeader = {0x00, 0x02, 1, 0, 1, 2};
    EXPECT_EQ(int(0xA1220013), QV_VOICE_TransCodeFrame(t.mem, badHeader.data()));
    Transcoder t100(100);
    std::vector<uint8_t> odd = {0x00, 0x01, 11, 0};
    odd.resize(4 + 22);
    EXPECT_EQ(int(0xA1220012), QV_VOICE_TransCodeFrame(t100.mem, odd.data()));
}

}  // namespace
