// The player's portable rules: frame headers and the scan, speeds, the
// stream ring, voice frame sizes, the PCM record ring, colour and BMP.
#include <gtest/gtest.h>

#include <cstring>

#include "md5.h"
#include "player_core.h"

using namespace quillon;

namespace {

std::vector<uint8_t> Header(uint32_t type, uint32_t video, uint32_t audio, uint32_t number = 7) {
    std::vector<uint8_t> b(16);
    StoreFrameHeader(PlayerFrameHeader{kFrameSync, MakeFrameInfo(type, video, audio), number, 0}, b.data());
    return b;
}

TEST(PlayerFrameHeader, FieldsAndAcceptance) {
    auto b = Header(1, 0x1234, 0x56);
    PlayerFrameHeader h = LoadFrameHeader(b.data());
    EXPECT_EQ(0x00u, b[0]);
    EXPECT_EQ(0x07u, b[3]);
    EXPECT_EQ(1u, h.type());
    EXPECT_EQ(0x1234u, h.videoLength());
    EXPECT_EQ(0x56u, h.audioLength());
    EXPECT_TRUE(IsAcceptableFrameHeader(LoadFrameHeader(Header(0, 0x21000 - 0x10, 0x10).data())));
    EXPECT_FALSE(IsAcceptableFrameHeader(LoadFrameHeader(Header(0, 0x21000, 1).data())));
}

TEST(PlayerScan, FindsHeadersInGarbageAndRespectsMode) {
    std::vector<uint8_t> buf(100, 0xAB);
    auto p = Header(0, 100, 0);
    auto k = Header(1, 100, 0);
    std::copy(p.begin(), p.end(), buf.begin() + 10);
    std::copy(k.begin(), k.end(), buf.begin() + 50);
    EXPECT_EQ(10, FindFrameHeader(buf.data(), buf.size(), false, kReaderBufferSize));
    EXPECT_EQ(50, FindFrameHeader(buf.data(), buf.size(), true, kReaderBufferSize));
    // A header that does not fit the caller's buffer is garbage to the scan.
    auto big = Header(0, 0x30000, 0);
    std::copy(big.begin(), big.end(), buf.begin() + 10);
    EXPECT_EQ(50, FindFrameHeader(buf.data(), buf.size(), false, kReaderBufferSize));
    EXPECT_EQ(10, FindFrameHeader(buf.data(), buf.size(), false, kChannelBufferSize));
    // A header cut off by the end of the window is not read past it.
    EXPECT_EQ(-1, FindFrameHeader(buf.data() + 40, 25, false, kReaderBufferSize));
    EXPECT_EQ(-1, FindFrameHeader(buf.data(), 0, false, kReaderBufferSize));
}

TEST(PlayerFile, HeaderChecksAndInfo) {
    record::RecordFileHeader h{};
    std::memcpy(h.magic, "RIMF", 4);
    h.frameRate = 25;
    h.videoCodec = 1;
    h.frameCount = 2600;
    h.hasAudio = 1;
    h.audioBlockLength = 320;
    EXPECT_EQ(0, record::CheckRecordFileHeader(h));
    struct {
        const char* what;
        void (*change)(record::RecordFileHeader&);
    } bad[] = {
        {"magic", [](record::RecordFileHeader& x) { x.magic[3] = 'G'; }},
        {"standard 2", [](record::RecordFileHeader& x) { x.videoStandard = 2; }},
        {"rate 0", [](record::RecordFileHeader& x) { x.frameRate = 0; }},
        {"rate 31", [](record::RecordFileHeader& x) { x.frameRate = 31; }},
        {"codec 2", [](record::RecordFileHeader& x) { x.videoCodec = 2; }},
    };
    for (auto& c : bad) {
        record::RecordFileHeader x = h;
        c.change(x);
        EXPECT_EQ(kPlBadHeader, record::CheckRecordFileHeader(x)) << c.what;
    }
    PlayerFileInfo i = record::MakePlayerFileInfo(h);
    EXPECT_EQ(1, i.valid);
    EXPECT_EQ(25, i.frameRate);
    EXPECT_EQ(320, i.audioBlockLength);
    EXPECT_EQ(104, i.durationSeconds);
    EXPECT_EQ(500, PerMille(500 * 100 + 50, 100000));
    EXPECT_EQ(32u, SeekOffset(0, 100000));
    EXPECT_EQ(100000u, SeekOffset(1000, 100000));
    EXPECT_EQ(50000u, SeekOffset(500, 100000));
}

TEST(PlayerSpeed, IntervalsOfTheFiveLevels) {
    const struct {
        int rate, level, ms;
    } cases[] = {{25, 0, 40}, {25, 1, 20}, {25, 2, 10}, {25, -1, 80}, {25, -2, 160},
                 {30, 0, 33}, {30, 2, 8},  {1, -2, 4000}, {0, 0, 0}};
    for (auto& c : cases) EXPECT_EQ(c.ms, SpeedInterval(c.rate, c.level)) << c.rate << " " << c.level;
}

std::vector<uint8_t> Unit(std::initializer_list<uint8_t> head, size_t length) {
    std::vector<uint8_t> u(head);
    u.resize(length, 0x55);
    return u;
}

TEST(PlayerStreamRing, FullRingDropsUntilSps) {
    StreamRing ring;
    auto p = Unit({0, 0, 0, 1, 0x41}, 0x7FFFF);
    // Frames longer than the stream thread takes are refused up front.
    auto tooLong = Unit({0, 0, 0, 1, 0x67}, kMaxStreamFrame + 1);
    EXPECT_EQ(kPlBadArg, ring.Add(tooLong.data(), uint32_t(tooLong.size())));
    EXPECT_EQ(0u, ring.Waiting());
    EXPECT_EQ(0, ring.Add(p.data(), uint32_t(p.size())));
    EXPECT_EQ(0, ring.Add(p.data(), uint32_t(p.size())));
    EXPECT_EQ(2u, ring.FreeRoom());
    EXPECT_EQ(kPlRingFull, ring.Add(p.data(), 2));
    EXPECT_TRUE(ring.Dropping());
    ring.Pop();
    // Room again, but P frames are dropped (0) until an SPS comes.
    EXPECT_EQ(0, ring.Add(p.data(), 100));
    EXPECT_EQ(1u, ring.Waiting());
    const std::vector<uint8_t> sps[] = {
        Unit({0, 0, 0, 1, 0x67}, 50),                    // 4-byte start code
        Unit({0, 0, 1, 0x67}, 50),                       // 3-byte start code
        Unit({0, 0, 0, 1, 0x09, 0x10, 0, 0, 0, 1, 0x67}, 50),  // after an AUD
    };
    for (const auto& s : sps) {
        StreamRing r;
        auto big = Unit({0, 0, 0, 1, 0x41}, 0x80000);
        r.Add(big.data(), uint32_t(big.size()));
        r.Add(big.data(), uint32_t(big.size()));
        ASSERT_TRUE(r.Dropping());
        r.Pop();
        EXPECT_EQ(0, r.Add(s.data(), uint32_t(s.size())));
        EXPECT_FALSE(r.Dropping());
        EXPECT_EQ(1u, r.Waiting());
    }
    // A short frame while dropping is looked at without reading past it.
    StreamRing r;
    auto big = Unit({0, 0, 0, 1, 0x41}, 0x80000);
    r.Add(big.data(), uint32_t(big.size()));
    r.Add(big.data(), uint32_t(big.size()));
    const uint8_t shortUnit[3] = {0, 0, 1};
    EXPECT_EQ(0, r.Add(shortUnit, 3));
    EXPECT_TRUE(r.Dropping());
}

TEST(PlayerStreamRing, FrameAcrossTheEndComesOutInTwoPieces) {
    StreamRing ring;
    std::vector<uint8_t> a(0x80000, 1), b(0x70000, 2), c(0x20000);
    for (size_t i = 0; i < c.size(); ++i) c[i] = uint8_t(i * 7);
    ASSERT_EQ(0, ring.Add(a.data(), uint32_t(a.size())));
    ASSERT_EQ(0, ring.Add(b.data(), uint32_t(b.size())));
    ring.Pop();
    ASSERT_EQ(0, ring.Add(c.data(), uint32_t(c.size())));
    ring.Pop();
    const uint8_t *p1, *p2;
    uint32_t n1, n2;
    ASSERT_TRUE(ring.Peek(&p1, &n1, &p2, &n2));
    ASSERT_EQ(0x10000u, n1);
    ASSERT_EQ(0x10000u, n2);
    std::vector<uint8_t> joined(p1, p1 + n1);
    joined.insert(joined.end(), p2, p2 + n2);
    EXPECT_EQ(c, joined);
    EXPECT_EQ(0u, ring.Pop());
    EXPECT_FALSE(ring.Peek(&p1, &n1, &p2, &n2));
    EXPECT_EQ(kStreamRingSize, ring.FreeRoom());
}

TEST(PlayerVoice, FrameSizesAndPcmRing) {
    uint8_t f44[4] = {0x00, 0x01, 20, 0}, f24[4] = {0x00, 0x01, 10, 0};
    EXPECT_EQ(44u, VoiceFrameSize(f44, 44));
    EXPECT_EQ(24u, VoiceFrameSize(f24, 24));
    EXPECT_EQ(0u, VoiceFrameSize(f44, 3));
    EXPECT_EQ(6, VoiceTypeOfSize(44));
    EXPECT_EQ(4, VoiceTypeOfSize(24));
    EXPECT_EQ(0, VoiceTypeOfSize(42));

    CFrameRingBuffer ring(64);
    uint8_t data[40], out[40];
    for (int i = 0; i < 40; ++i) data[i] = uint8_t(i);
    uint32_t n = 0;
    EXPECT_EQ(CFrameRingBuffer::kEmpty, ring.Read(out, 40, &n));
    EXPECT_EQ(CFrameRingBuffer::kZeroLength, ring.Write(data, 0));
    EXPECT_EQ(0u, ring.Write(data, 30));  // 4 + 32
    EXPECT_EQ(CFrameRingBuffer::kNoRoom, ring.Write(data, 30));
    EXPECT_EQ(0u, ring.Read(out, 40, &n));
    EXPECT_EQ(30u, n);
    EXPECT_EQ(0, std::memcmp(out, data, 30));
    // Records wrap round the end of the ring.
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(0u, ring.Write(data + k, 21));
        ASSERT_EQ(0u, ring.Read(out, 40, &n));
        ASSERT_EQ(21u, n);
        ASSERT_EQ(0, std::memcmp(out, data + k, 21));
    }
    EXPECT_EQ(CFrameRingBuffer::kNoSize, CFrameRingBuffer(0).Write(data, 4));
}

TEST(PlayerColour, BlackWhiteAndBmp) {
    uint8_t r, g, b;
    YuvToRgb(16, 128, 128, &r, &g, &b);
    EXPECT_EQ(0, r + g + b);
    YuvToRgb(235, 128, 128, &r, &g, &b);
    EXPECT_GE(r, 254);
    EXPECT_GE(g, 254);
    EXPECT_GE(b, 254);
    const int w = 704, h = 576;
    std::vector<uint8_t> pic(size_t(w) * h * 3 / 2);
    for (size_t i = 0; i < pic.size(); ++i) pic[i] = uint8_t(i * 13);
    auto bmp = MakeBmp(pic.data(), w, pic.data() + w * h, pic.data() + w * h * 5 / 4, w / 2, w, h);
    EXPECT_EQ(1216566u, bmp.size());
    EXPECT_EQ('B', bmp[0]);
    EXPECT_EQ(54u, uint32_t(bmp[10]));
    // The first stored row is the bottom row of the picture.
    YuvToRgb(pic[size_t(h - 1) * w], pic[w * h + size_t(h / 2 - 1) * (w / 2)],
             pic[w * h * 5 / 4 + size_t(h / 2 - 1) * (w / 2)], &r, &g, &b);
    EXPECT_EQ(b, bmp[54]);
    EXPECT_EQ(g, bmp[55]);
    EXPECT_EQ(r, bmp[56]);
}

}  // namespace
