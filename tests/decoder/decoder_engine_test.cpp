// Decoder engine: bit reader, byte scanner, creation limits, parameter-set
// and slice-header refusals, picture buffer, and stream decoding against
// reference MD5 lists (the fixtures and a few conformance streams).
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "annexb.h"
#include "decoder_stream.h"
#include "h264_internal.h"

namespace {

// ------------------------------------------------------------ bit writer
class BitWriter {
public:
    void Bits(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) Bit((v >> i) & 1);
    }
    void Ue(uint32_t v) {
        uint64_t x = uint64_t(v) + 1;
        int len = 0;
        while ((x >> len) > 1) ++len;
        Bits(0, len);
        for (int i = len; i >= 0; --i) Bit(uint32_t(x >> i) & 1);
    }
    void Se(int32_t v) { Ue(v > 0 ? uint32_t(2 * v - 1) : uint32_t(-2 * int64_t(v))); }
    void Trailing() {
        Bit(1);
        while (n_ % 8) Bit(0);
    }
    // The unit as an Annex B NAL unit with emulation prevention.
    std::vector<uint8_t> Nal(uint8_t header) const {
        std::vector<uint8_t> out = {0, 0, 0, 1, header};
        int zeros = 0;
        for (uint8_t b : bytes_) {
            if (zeros >= 2 && b <= 3) {
                out.push_back(3);
                zeros = 0;
            }
            out.push_back(b);
            zeros = b == 0 ? zeros + 1 : 0;
        }
        return out;
    }

private:
    void Bit(uint32_t b) {
        if (n_ % 8 == 0) bytes_.push_back(0);
        if (b) bytes_.back() |= uint8_t(0x80 >> (n_ % 8));
        ++n_;
    }
    std::vector<uint8_t> bytes_;
    int n_ = 0;
};

H264BitReader ReaderOver(const std::vector<uint8_t>& b) {
    H264BitReader br;
    br.buf = b.data();
    br.size = uint32_t(b.size());
    br.pos = 0;
    br.end = uint32_t(8 * b.size());
    return br;
}

TEST(BitReader, ExpGolombCodes) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint32_t ue;
    } cases[] = {{{0x80}, 0}, {{0x40}, 1}, {{0x38}, 6}, {{0x01, 0xFE}, 254}, {{0x00, 0x00, 0x80, 0x00}, 65535}};
    for (const Case& c : cases) {
        H264BitReader br = ReaderOver(c.bytes);
        EXPECT_EQ(BitReadUe(&br), c.ue);
    }
    std::vector<uint8_t> b = {0x38};  // 00111: code 6 -> se -3
    H264BitReader br = ReaderOver(b);
    EXPECT_EQ(BitReadSe(&br), -3);
    b = {0x20};  // 00100: code 3 -> se 2
    br = ReaderOver(b);
    EXPECT_EQ(BitReadSe(&br), 2);
}

TEST(BitReader, BoundedAndOverlongCodes) {
    std::vector<uint8_t> b = {0xFF};
    H264BitReader br = ReaderOver(b);
    EXPECT_EQ(BitReadBits(8, &br), 0xFFu);
    EXPECT_EQ(BitReadBits(32, &br), 0u);  // past the end: zeros, no read outside
    std::vector<uint8_t> z(8, 0);
    br = ReaderOver(z);
    g_bitUeOverflow = false;
    BitReadUe(&br);
    EXPECT_TRUE(g_bitUeOverflow);
}

TEST(BitReader, MoreRbspData) {
    // 1 0000000: only the stop bit is left.
    std::vector<uint8_t> b = {0xA0};  // bit 1 (data), then stop bit at 2
    H264BitReader br = ReaderOver(b);
    br.end = 2;
    EXPECT_TRUE(BitMoreRbspData(&br));
    BitReadBits(2, &br);
    EXPECT_FALSE(BitMoreRbspData(&br));
}

// ------------------------------------------------------------ creation
TEST(Create, ParametersAreClamped) {
    struct Case {
        H264DecParams in;
        uint32_t w, h, r;
    } cases[] = {
        {{0, 0, 1, 5, 0, 0}, 45, 36, 4},
        {{0, 0, 200, 200, 40, 0}, 45, 36, 16},
        {{0, 0, 22, 18, 2, 0}, 22, 18, 2},
        {{0, 0, 128, 6, 16, 1}, 128, 6, 16},
    };
    for (const Case& c : cases) {
        H264DecContext* d = H264DecCreate(&c.in);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->maxW, c.w);
        EXPECT_EQ(d->maxH, c.h);
        EXPECT_EQ(d->refFrames, c.r);
        EXPECT_EQ(d->numPictureStores, 2 * c.r + 4);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(d->planeY[1]) % 16, 0u);
        H264DecRelease(d);
    }
    EXPECT_EQ(H264DecRelease(nullptr), nullptr);
}

TEST(Create, ProcessorLevel) {
    H264DecParams p{0, 0, 22, 18, 2, 0};
    H264DecSetCpuLevelOverride(1);  // no CMOV
    EXPECT_EQ(H264DecCreate(&p), nullptr);
    H264DecSetCpuLevelOverride(-1);
    int level = H264DecCpuLevel();
    EXPECT_GE(level, 0);
    EXPECT_LE(level, 5);
}

TEST(Create, NullArguments) {
    H264DecPicture pic;
    EXPECT_EQ(H264DecDecodeFrame(nullptr, nullptr, 0, 0, 0, &pic, 0), -3);
    H264DecParams p{0, 0, 22, 18, 2, 0};
    H264DecContext* d = H264DecCreate(&p);
    EXPECT_EQ(H264DecDecodeFrame(d, nullptr, 0, 0, 0, nullptr, 0), -3);
    EXPECT_EQ(H264DecGetOutputPicture(d, nullptr), -3);
    EXPECT_EQ(H264DecGetOutputPicture(nullptr, &pic), -3);
    EXPECT_EQ(H264DecGetOutputPicture(d, &pic), -2);
    H264DecRelease(d);
}

// ------------------------------------------------------------ parameter sets
struct SpsFields {
    uint32_t profile = 66, level = 30, id = 0, log2FrameNum = 0, pocType = 2, log2Lsb = 0;
    uint32_t numRef = 1, widthMinus1 = 10, heightMinus1 = 8, frameMbsOnly = 1;
    bool crop = false;
    uint32_t crop4[4] = {0, 0, 0, 0};
    // High-profile extras.
    uint32_t chroma = 1, depth = 0, scaling = 0;
};

std::vector<uint8_t> SpsRbsp(const SpsFields& f) {
    BitWriter w;
    w.Bits(f.profile, 8);
    w.Bits(0, 8);
    w.Bits(f.level, 8);
    w.Ue(f.id);
    if (f.profile >= 100) {
        w.Ue(f.chroma);
        w.Ue(f.depth);
        w.Ue(0);
        w.Bits(0, 1);
        w.Bits(f.scaling, 1);
    }
    w.Ue(f.log2FrameNum);
    w.Ue(f.pocType);
    if (f.pocType == 0) w.Ue(f.log2Lsb);
    w.Ue(f.numRef);
    w.Bits(0, 1);
    w.Ue(f.widthMinus1);
    w.Ue(f.heightMinus1);
    w.Bits(f.frameMbsOnly, 1);
    if (!f.frameMbsOnly) w.Bits(0, 1);
    w.Bits(1, 1);
    w.Bits(f.crop ? 1 : 0, 1);
    if (f.crop)
        for (uint32_t v : f.crop4) w.Ue(v);
    w.Bits(0, 1);
    w.Trailing();
    return w.Nal(0x67);
}

// Runs one NAL unit (header byte first, emulation prevention removed by
// the scanner) through the NAL layer and returns its status.
uint32_t RunNal(H264DecContext* d, const std::vector<uint8_t>& annexB) {
    std::vector<uint8_t> s = annexB;
    if (s.size() < 4 || s[0] != 0 || s[1] != 0) {
        s.insert(s.begin(), {0, 0, 0, 1});
    }
    // Feed the unit plus a closing start code; the result is the return of
    // the NAL layer, captured by decoding the RBSP directly.
    d->rbspLen = 0;
    size_t begin = 4;
    std::vector<uint8_t> rbsp;
    int zeros = 0;
    for (size_t i = begin; i < s.size(); ++i) {
        if (zeros >= 2 && s[i] == 3) {
            zeros = 0;
            continue;
        }
        rbsp.push_back(s[i]);
        zeros = s[i] == 0 ? zeros + 1 : 0;
    }
    std::memcpy(d->rbsp, rbsp.data(), rbsp.size());
    std::memset(d->rbsp + rbsp.size(), 0, 8);
    d->br.buf = d->rbsp;
    d->br.size = uint32_t(rbsp.size());
    d->br.pos = 0;
    uint8_t last = rbsp.back();
    d->br.end = uint32_t(8 * (rbsp.size() - 1) + 7 - __builtin_ctz(last));
    return H264DecodeNal(d);
}

std::vector<uint8_t> WithHeader(uint8_t h, const std::vector<uint8_t>& rbspWithoutHeader) {
    std::vector<uint8_t> v(5 + rbspWithoutHeader.size());
    v[3] = 1;
    v[4] = h;
    std::copy(rbspWithoutHeader.begin(), rbspWithoutHeader.end(), v.begin() + 5);
    return v;
}

class Params : public ::testing::Test {
protected:
    void SetUp() override {
        H264DecParams p{0, 0, 100, 75, 2, 0};
        d = H264DecCreate(&p);
        ASSERT_NE(d, nullptr);
    }
    void TearDown() override { H264DecRelease(d); }
    uint32_t Sps(const SpsFields& f) {
        return RunNal(d, SpsRbsp(f));
    }
    H264DecContext* d = nullptr;
};

TEST_F(Params, SequenceParameterSetRefusals) {
    struct Case {
        const char* what;
        void (*edit)(SpsFields&);
        uint32_t want;
    } cases[] = {
        {"baseline CIF", [](SpsFields&) {}, 7},
        {"id above 31", [](SpsFields& f) { f.id = 32; }, 0x20000001},
        {"log2_max_frame_num above 16", [](SpsFields& f) { f.log2FrameNum = 13; }, 0x20000002},
        {"poc type 3", [](SpsFields& f) { f.pocType = 3; }, 0x20000004},
        {"poc lsb above 16 bits", [](SpsFields& f) { f.pocType = 0; f.log2Lsb = 13; }, 0x20000004},
        {"17 references", [](SpsFields& f) { f.numRef = 17; }, 0x20000003},
        {"more references than the decoder", [](SpsFields& f) { f.numRef = 3; }, 0x2000000a},
        {"field coding", [](SpsFields& f) { f.frameMbsOnly = 0; }, 0x2000000b},
        {"1920x1088 over 100x75", [](SpsFields& f) { f.widthMinus1 = 119; f.heightMinus1 = 67; }, 0x2000000c},
        {"16 pixels wide", [](SpsFields& f) { f.widthMinus1 = 0; }, 0x2000000c},
        {"crop all of the width", [](SpsFields& f) { f.crop = true; f.crop4[0] = 44; f.crop4[1] = 44; }, 0x20000006},
        {"crop half the width in units", [](SpsFields& f) { f.crop = true; f.crop4[0] = 88; }, 0x20000006},
        {"crop 8 rows", [](SpsFields& f) { f.crop = true; f.crop4[3] = 4; }, 7},
        {"high profile 4:2:0 8-bit", [](SpsFields& f) { f.profile = 100; }, 7},
        {"high profile 4:2:2", [](SpsFields& f) { f.profile = 100; f.chroma = 2; }, 0x2000000d},
        {"high profile 10-bit", [](SpsFields& f) { f.profile = 110; f.depth = 2; }, 0x2000000d},
        {"high profile scaling matrices", [](SpsFields& f) { f.profile = 100; f.scaling = 1; }, 0x2000000d},
    };
    for (const Case& c : cases) {
        SpsFields f;
        c.edit(f);
        EXPECT_EQ(Sps(f), c.want) << c.what;
    }
    SpsFields f;
    f.crop = true;
    f.crop4[3] = 4;
    ASSERT_EQ(Sps(f), 7u);
    EXPECT_EQ(d->spsTable[0].cropBottom, 8u);
}

TEST_F(Params, PictureBufferSizeFromLevel) {
    SpsFields f;
    f.widthMinus1 = 44;
    f.heightMinus1 = 35;
    f.level = 30;
    f.numRef = 2;
    ASSERT_EQ(Sps(f), 7u);
    // 3,110,400 / 622,080 = 5, capped at 2R = 4.
    EXPECT_EQ(d->spsTable[0].dpbSize, 4u);
    f.level = 99;  // unknown level: 16, capped at 2R
    ASSERT_EQ(Sps(f), 7u);
    EXPECT_EQ(d->spsTable[0].dpbSize, 4u);
}

std::vector<uint8_t> Pps(uint32_t id, uint32_t cabac, uint32_t groups, int qp, bool t8x8, int chromaOffset = 0) {
    BitWriter w;
    w.Ue(id);
    w.Ue(0);
    w.Bits(cabac, 1);
    w.Bits(0, 1);
    w.Ue(groups);
    w.Ue(0);
    w.Ue(0);
    w.Bits(0, 1);
    w.Bits(0, 2);
    w.Se(qp - 26);
    w.Se(0);
    w.Se(chromaOffset);
    w.Bits(1, 1);
    w.Bits(0, 1);
    w.Bits(0, 1);
    if (t8x8) {
        w.Bits(1, 1);
        w.Bits(0, 1);
        w.Se(0);
    }
    w.Trailing();
    return w.Nal(0x68);
}

TEST_F(Params, PictureParameterSetRefusals) {
    ASSERT_EQ(Sps(SpsFields()), 7u);
    EXPECT_EQ(RunNal(d, Pps(0, 0, 0, 26, false)), 8u);
    EXPECT_EQ(RunNal(d, Pps(1, 1, 0, 26, false)), 0x2000001bu);
    EXPECT_EQ(RunNal(d, Pps(1, 0, 1, 26, false)), 0x2000001au);
    EXPECT_EQ(RunNal(d, Pps(1, 0, 0, 52, false)), 0x20000013u);
    EXPECT_EQ(RunNal(d, Pps(1, 0, 0, 26, false, 13)), 0x20000015u);
    EXPECT_EQ(RunNal(d, Pps(1, 0, 0, 26, true)), 0x2000001du);
    EXPECT_EQ(RunNal(d, Pps(256, 0, 0, 26, false)), 0x20000011u);
    EXPECT_EQ(d->ppsTable[1].id, 256u);  // refused sets are not stored
}

std::vector<uint8_t> Slice(uint8_t nalHeader, uint32_t sliceType, uint32_t frameNum, int qpDelta,
                           uint32_t firstMb = 0, uint32_t idrId = 0) {
    BitWriter w;
    w.Ue(firstMb);
    w.Ue(sliceType);
    w.Ue(0);
    w.Bits(frameNum, 4);
    if ((nalHeader & 31) == 5) w.Ue(idrId);
    if (sliceType % 5 == 0) {
        w.Bits(0, 1);
        w.Bits(0, 1);
    }
    if (nalHeader & 0x60) {
        if ((nalHeader & 31) == 5) w.Bits(0, 2);
        else w.Bits(0, 1);
    }
    w.Se(qpDelta);
    w.Ue(1);  // deblocking off
    w.Trailing();
    return w.Nal(nalHeader);
}

TEST_F(Params, SliceHeaderRefusalsAndStreamStates) {
    // Slices before parameter sets are held back.
    EXPECT_EQ(RunNal(d, Slice(0x65, 7, 0, 0)), kErrSliceTooEarly);
    ASSERT_EQ(Sps(SpsFields()), 7u);
    ASSERT_EQ(RunNal(d, Pps(0, 0, 0, 26, false)), 8u);
    EXPECT_EQ(d->streamState, 2u);
    // A P slice cannot start decoding.
    EXPECT_EQ(RunNal(d, Slice(0x41, 5, 1, 0)), kErrSliceTooEarly);
    EXPECT_EQ(RunNal(d, Slice(0x41, 6, 1, 0)), 0x3000001au);  // B
    EXPECT_EQ(RunNal(d, Slice(0x41, 8, 1, 0)), 0x3000001cu);  // SP
    EXPECT_EQ(RunNal(d, Slice(0x41, 9, 1, 0)), 0x3000001cu);  // SI
    EXPECT_EQ(RunNal(d, Slice(0x41, 10, 1, 0)), 0x30000001u);
    EXPECT_EQ(RunNal(d, Slice(0x65, 7, 0, 26)), 0x3000000bu);  // QP 52
    EXPECT_EQ(RunNal(d, Slice(0x65, 7, 0, 0, 99)), 0x3000000eu);  // first_mb past the picture
    EXPECT_EQ(RunNal(d, Slice(0x65, 7, 3, 0)), 0x30000003u);  // IDR with frame_num 3
    // Data partitions are not supported.
    EXPECT_EQ(RunNal(d, WithHeader(0x02, {0x80})), kErrNalUnsupported);
    EXPECT_EQ(RunNal(d, WithHeader(0x09, {0x10})), uint32_t(kNalIgnored));
}

TEST_F(Params, SeiMessages) {
    EXPECT_EQ(RunNal(d, WithHeader(0x06, {0xE0, 0x01, 0x01, 0x80})), 2u);
    EXPECT_EQ(d->interlacedHint, 1u);
    EXPECT_EQ(RunNal(d, WithHeader(0x06, {0xE0, 0x01, 0x00, 0x80})), 2u);
    EXPECT_EQ(d->interlacedHint, 0u);
    EXPECT_EQ(RunNal(d, WithHeader(0x06, {0xF0, 0x03, 0xAA, 0xBB, 0xCC, 0x80})), 2u);
    ASSERT_TRUE(d->haveUserData);
    EXPECT_EQ(d->userData[0], 240);
    EXPECT_EQ(d->userData[1], 3);
    EXPECT_EQ(d->userData[2], 0xAA);
    EXPECT_EQ(d->userData[4], 0xCC);
    // A length beyond the unit is cut at the unit's end; an empty SEI is fine.
    EXPECT_EQ(RunNal(d, WithHeader(0x06, {0xF0, 0xFF, 0x11, 0x80})), 2u);
    EXPECT_LE(d->userData[1], 2);
    EXPECT_EQ(RunNal(d, WithHeader(0x06, {0x80})), 2u);
}

// ------------------------------------------------------------ streams
std::vector<uint8_t> Fixture(const char* name) { return testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name); }

TEST(Streams, FixturesMatchLibavcodec) {
    for (const char* name : {"cif_aud", "cif_noaud", "d1"}) {
        std::vector<uint8_t> data = Fixture((std::string(name) + ".264").c_str());
        std::vector<std::string> want = testsupport::ReadFrameMd5s(std::string(SELVANE_TEST_DATA) + "/" + name + ".framemd5");
        ASSERT_FALSE(data.empty());
        for (uint32_t mode : {0u, 1u}) {
            dectest::DecodeResult got = dectest::DecodeStream(data, mode, 65536);
            ASSERT_EQ(got.md5s.size(), want.size()) << name << " mode " << mode;
            for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got.md5s[i], want[i]) << name << " frame " << i;
        }
    }
}

TEST(Streams, ConformanceSubset) {
    // A few streams under the target too: intra only, PCM, P with several slices.
    for (const char* name : {"SVA_BA1_B", "CVPCMNL1_SVA_C", "BA_MW_D"}) {
        std::string base = std::string(SELVANE_CONFORMANCE) + "/h264/" + name;
        std::vector<uint8_t> data = testsupport::ReadFileBytes(base + ".264");
        std::vector<std::string> want = testsupport::ReadFrameMd5s(base + ".framemd5");
        if (data.empty()) GTEST_SKIP() << "conformance streams not present";
        for (int level : {-1, 3}) {  // the selected kernel set, then the plain one
            H264DecSetCpuLevelOverride(level);
            dectest::DecodeResult got = dectest::DecodeStream(data, H264DEC_OUTPUT_POC_ORDER, 1000);
            H264DecSetCpuLevelOverride(-1);
            ASSERT_EQ(got.md5s.size(), want.size()) << name;
            for (size_t i = 0; i < want.size(); ++i)
                EXPECT_EQ(got.md5s[i], want[i]) << name << " level " << level << " frame " << i;
        }
    }
}

TEST(Scanner, OneBytePerCallAndFlush) {
    std::vector<uint8_t> data = Fixture("cif_aud.264");
    ASSERT_FALSE(data.empty());
    data.resize(std::min<size_t>(data.size(), 60000));  // a few pictures
    dectest::DecodeResult whole = dectest::DecodeStream(data, 0, 0);
    dectest::DecodeResult bytes = dectest::DecodeStream(data, 0, 1);
    ASSERT_GT(whole.md5s.size(), 1u);
    EXPECT_EQ(bytes.md5s, whole.md5s);

    H264DecParams p{0, 0, 22, 18, 16, 0};
    H264DecContext* d = H264DecCreate(&p);
    H264DecPicture pic;
    int outputs = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        int rc = H264DecDecodeFrame(d, &data[i], 1, uint32_t(i), 7, &pic, 0);
        while (rc == 0) {
            ++outputs;
            EXPECT_EQ(pic.callerValue2, 7u);
            rc = H264DecDecodeFrame(d, nullptr, 0, 0, 0, &pic, 0);
        }
        EXPECT_EQ(rc, -1);
    }
    // The last pictures (whose units no start code has closed yet) only come
    // with the flush; a second flush has nothing.
    int flushed = 0;
    while (H264DecDecodeFrame(d, nullptr, 0, 0, 0, &pic, H264DEC_FLUSH) == 0) ++flushed;
    EXPECT_GE(flushed, 1);
    outputs += flushed;
    EXPECT_EQ(H264DecDecodeFrame(d, nullptr, 0, 0, 0, &pic, H264DEC_FLUSH), -2);
    EXPECT_EQ(size_t(outputs), whole.md5s.size());
    // New data after a flush decodes normally.
    int again = 0;
    int rc = H264DecDecodeFrame(d, data.data(), uint32_t(data.size()), 0, 0, &pic, 0);
    while (rc == 0) {
        ++again;
        rc = H264DecDecodeFrame(d, nullptr, 0, 0, 0, &pic, 0);
    }
    while (H264DecDecodeFrame(d, nullptr, 0, 0, 0, &pic, H264DEC_FLUSH) == 0) ++again;
    EXPECT_EQ(size_t(again), whole.md5s.size());
    H264DecRelease(d);
}

TEST(Scanner, EmulationPreventionRemoved) {
    H264DecParams p{0, 0, 22, 18, 2, 0};
    H264DecContext* d = H264DecCreate(&p);
    H264DecPicture pic;
    // SEI user data whose payload holds 00 00 03 01 and ends with 00 00 03.
    std::vector<uint8_t> s = {0, 0, 0, 1, 0x06, 0xF0, 0x04, 0x00, 0x00, 0x03, 0x01, 0x07, 0x80,
                              0, 0, 0, 1, 0x06, 0xE0, 0x01, 0x00, 0x00, 0x03, 0, 0, 1, 0x09, 0x10};
    EXPECT_EQ(H264DecDecodeFrame(d, s.data(), uint32_t(s.size()), 0, 0, &pic, 0), -1);
    EXPECT_EQ(d->userData[1], 4);
    EXPECT_EQ(d->userData[2], 0x00);
    EXPECT_EQ(d->userData[3], 0x00);
    EXPECT_EQ(d->userData[4], 0x01);
    EXPECT_EQ(d->userData[5], 0x07);
    EXPECT_EQ(d->interlacedHint, 0u);
    H264DecRelease(d);
}

TEST(Streams, DamagedSlicesMarkPicturesAndDecodingGoesOn) {
    // Corrupt bytes inside slice data (never in the first 40 bytes, which
    // hold the parameter sets): every picture still comes out, some marked
    // damaged, and nothing reads or writes outside its buffers.
    std::string base = std::string(SELVANE_CONFORMANCE) + "/h264/";
    for (const char* file : {"CVPCMNL1_SVA_C.264", "SVA_BA1_B.264", "BA_MW_D.264"}) {
        std::vector<uint8_t> data = testsupport::ReadFileBytes(base + file);
        if (data.empty()) GTEST_SKIP() << "conformance streams not present";
        size_t clean = dectest::DecodeStream(data, 0).md5s.size();
        uint32_t seed = 12345;
        for (size_t i = 40; i < data.size(); i += 97) {
            seed = seed * 1103515245u + 12345u;
            if ((seed >> 16) % 3 == 0) data[i] ^= uint8_t(seed >> 24) | 1;
        }
        dectest::DecodeResult got = dectest::DecodeStream(data, 0, 777);
        EXPECT_GT(got.damaged, 0) << file;
        EXPECT_GE(2 * got.md5s.size(), clean) << file;  // a damaged slice header can cost its picture
    }
}

TEST(Streams, TruncatedPcmMacroblock) {
    // A stream cut inside an I_PCM macroblock: the samples that would lie
    // past the unit are not read; the picture comes out damaged.
    std::vector<uint8_t> data = testsupport::ReadFileBytes(std::string(SELVANE_CONFORMANCE) + "/h264/CVPCMNL1_SVA_C.264");
    if (data.empty()) GTEST_SKIP() << "conformance streams not present";
    std::vector<size_t> starts = testsupport::FindStartCodes(data);
    ASSERT_GT(starts.size(), 4u);
    for (size_t cut : {starts[3] + 200, starts[3] + 500, starts[3] + 1000}) {
        std::vector<uint8_t> part(data.begin(), data.begin() + long(cut));
        dectest::DecodeResult got = dectest::DecodeStream(part, 0);
        EXPECT_GE(got.md5s.size(), 1u);
        EXPECT_GE(got.damaged, 1);
    }
}

TEST(Streams, UndecodedAreaIsBlack) {
    // The first picture of a stream cut inside its slice: the macroblocks
    // never decoded show what a fresh store holds, luma 0 and chroma 128,
    // also in a store used before by smaller pictures.
    std::vector<uint8_t> cif = testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/cif_aud.264");
    std::vector<uint8_t> small = testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/small_intra_48x48.264");
    ASSERT_FALSE(cif.empty());
    ASSERT_FALSE(small.empty());
    std::vector<size_t> starts = testsupport::FindStartCodes(cif);
    ASSERT_GT(starts.size(), 4u);
    // Access unit delimiter, SPS, PPS, SEI, then the IDR slice: cut 300 bytes into it.
    ASSERT_EQ(cif[starts[4] + 3] & 31, 5);
    const std::vector<uint8_t> cut(cif.begin(), cif.begin() + long(starts[4] + 300));
    for (bool smallFirst : {false, true}) {
        H264DecParams params{0, 0, 45, 36, 4, 0};
        H264DecContext* d = H264DecCreate(&params);
        ASSERT_NE(d, nullptr);
        H264DecPicture pic{}, out{};  // out: the last picture handed out
        auto feed = [&](const std::vector<uint8_t>& data) {
            int last = -1, guard = 0;
            int rc = H264DecDecodeFrame(d, data.data(), uint32_t(data.size()), 0, 0, &out, 0);
            while (rc == 0 && ++guard < 1000) {
                pic = out;
                last = pic.index;
                rc = H264DecDecodeFrame(d, nullptr, 0, 0, 0, &out, 0);
            }
            while (H264DecDecodeFrame(d, nullptr, 0, 0, 0, &out, H264DEC_FLUSH) == 0 && ++guard < 1000) {
                pic = out;
                last = pic.index;
            }
            return last;
        };
        if (smallFirst) {
            ASSERT_GE(feed(small), 0);
        }
        ASSERT_GE(feed(cut), 0);
        ASSERT_EQ(pic.width, 352);
        EXPECT_NE(pic.damaged, 0);
        const int h = pic.height;
        for (int x = 0; x < pic.width; ++x) ASSERT_EQ(pic.y[(h - 1) * pic.strideY + x], 0) << x;
        for (int x = 0; x < pic.width / 2; ++x) {
            ASSERT_EQ(pic.u[(h / 2 - 1) * pic.strideC + x], 128) << x;
            ASSERT_EQ(pic.v[(h / 2 - 1) * pic.strideC + x], 128) << x;
        }
        H264DecRelease(d);
    }
}

// ------------------------------------------------------------ picture buffer
// Drives the picture buffer with synthetic slice headers.
class PictureBuffer : public ::testing::Test {
protected:
    void Make(uint32_t mode, uint32_t numRef, uint32_t pocType = 2, bool gaps = false, uint32_t dpbSize = 4) {
        H264DecParams p{0, 0, 22, 18, 4, mode};
        d = H264DecCreate(&p);
        ASSERT_NE(d, nullptr);
        H264SeqParamSet& s = d->activeSps;
        std::memset(&s, 0, sizeof s);
        s.maxFrameNum = 16;
        s.pocType = pocType;
        s.log2MaxPocLsbMinus4 = 0;
        s.numRefFrames = numRef;
        s.gapsAllowed = gaps;
        s.width = 352;
        s.height = 288;
        s.dpbSize = dpbSize;
        d->haveActiveSps = 1;
    }
    void TearDown() override { H264DecRelease(d); }
    // Starts a picture; the previous one is finished by the start.
    int Start(uint32_t nalType, uint32_t refIdc, uint32_t frameNum, uint32_t pocLsb = 0,
              std::vector<H264Mmco> mmco = {}, bool noOutputOfPrior = false, bool longTerm = false) {
        H264SliceHeader& sh = d->sh;
        std::memset(&sh, 0, sizeof sh);
        sh.nalType = nalType;
        sh.nalRefIdc = refIdc;
        sh.frameNum = frameNum;
        sh.pocLsb = pocLsb;
        sh.sizeMbs = 1;
        sh.widthMbs = 22;
        sh.heightMbs = 18;
        sh.noOutputOfPriorPics = noOutputOfPrior;
        sh.longTermReference = longTerm;
        sh.adaptiveRefPicMarking = !mmco.empty();
        sh.numMmco = uint32_t(mmco.size());
        for (size_t i = 0; i < mmco.size(); ++i) sh.mmco[i] = mmco[i];
        int rc = H264StartPicture(d);
        d->picSh = sh;
        if (d->cur) d->cur->mbsDecoded = 1;
        return rc;
    }
    void Finish() { H264FinishPicture(d); }
    std::vector<int> ShortRefs() {
        std::vector<int> v;
        for (uint32_t i = 0; i < d->dpbCount; ++i)
            if (d->dpb[i]->reference && !d->dpb[i]->longTerm) v.push_back(int(d->dpb[i]->frameNum));
        std::sort(v.begin(), v.end());
        return v;
    }
    std::vector<int> LongRefs() {
        std::vector<int> v;
        for (uint32_t i = 0; i < d->dpbCount; ++i)
            if (d->dpb[i]->reference && d->dpb[i]->longTerm) v.push_back(int(d->dpb[i]->longTermFrameIdx));
        std::sort(v.begin(), v.end());
        return v;
    }
    std::vector<int> Drain() {
        std::vector<int> pocs;
        H264DecPicture pic;
        while (H264DecGetOutputPicture(d, &pic) == 0) pocs.push_back(pic.poc);
        return pocs;
    }
    static H264Mmco Op(uint32_t op, uint32_t a = 0, uint32_t b = 0) {
        H264Mmco m{};
        m.op = op;
        if (op == 1 || op == 3) m.diffPicNumsMinus1 = a;
        if (op == 2) m.longTermPicNum = a;
        if (op == 3) m.longTermFrameIdx = b;
        if (op == 6) m.longTermFrameIdx = a;
        if (op == 4) m.maxLongTermFrameIdxPlus1 = a;
        return m;
    }
    H264DecContext* d = nullptr;
};

TEST_F(PictureBuffer, SlidingWindow) {
    Make(0, 2);
    ASSERT_EQ(Start(5, 1, 0), 0);
    for (uint32_t fn = 1; fn <= 3; ++fn) ASSERT_EQ(Start(1, 1, fn), 0);
    Finish();
    EXPECT_EQ(ShortRefs(), (std::vector<int>{2, 3}));
    EXPECT_EQ(Drain().size(), 4u);  // output mode 0: every picture, in decoding order
}

TEST_F(PictureBuffer, NumRefFramesZeroKeepsOne) {
    Make(0, 0);
    ASSERT_EQ(Start(5, 1, 0), 0);
    ASSERT_EQ(Start(1, 1, 1), 0);
    ASSERT_EQ(Start(1, 1, 2), 0);
    Finish();
    EXPECT_EQ(ShortRefs(), (std::vector<int>{2}));
}

TEST_F(PictureBuffer, FrameNumGapInsertsNonExistingFrames) {
    Make(0, 4, 2, true);
    ASSERT_EQ(Start(5, 1, 0), 0);
    ASSERT_EQ(Start(1, 1, 1), 0);
    ASSERT_EQ(Start(1, 1, 4), 0);  // 2 and 3 are missing
    Finish();
    EXPECT_EQ(ShortRefs(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Drain().size(), 3u);  // non-existing frames are never output
    // Without gaps allowed, a frame_num behind the expected one is refused.
    ASSERT_EQ(Start(1, 1, 5), 0);
    d->activeSps.gapsAllowed = 0;
    EXPECT_EQ(Start(1, 1, 2), -1);
}

TEST_F(PictureBuffer, MemoryManagementOperations) {
    Make(0, 4);
    ASSERT_EQ(Start(5, 1, 0), 0);
    ASSERT_EQ(Start(1, 1, 1), 0);
    ASSERT_EQ(Start(1, 1, 2), 0);
    // At frame 3: allow long-term index 0..1 (op 4), frame 2 becomes long-term
    // 1 (op 3, picNum 3 - 1 - 0 = 2), frame 1 is unmarked (op 1, 3 - 1 - 1).
    ASSERT_EQ(Start(1, 1, 3, 0, {Op(4, 2), Op(3, 0, 1), Op(1, 1)}), 0);
    ASSERT_EQ(Start(1, 1, 4), 0);
    EXPECT_EQ(ShortRefs(), (std::vector<int>{0, 3}));
    EXPECT_EQ(LongRefs(), (std::vector<int>{1}));
    // At frame 5: long-term 1 removed (op 2), the picture itself long-term 0 (op 6).
    ASSERT_EQ(Start(1, 1, 5, 0, {Op(2, 1), Op(6, 0)}), 0);
    ASSERT_EQ(Start(1, 1, 6), 0);
    EXPECT_EQ(LongRefs(), (std::vector<int>{0}));
    EXPECT_EQ(ShortRefs(), (std::vector<int>{0, 3, 4}));
    // Op 4 with 0: no long-term index is allowed any more.
    ASSERT_EQ(Start(1, 1, 7, 0, {Op(4, 0)}), 0);
    ASSERT_EQ(Start(1, 1, 8), 0);
    EXPECT_TRUE(LongRefs().empty());
    // Op 5: everything unmarked; the picture becomes frame_num 0, order count 0.
    ASSERT_EQ(Start(1, 1, 9, 0, {Op(5)}), 0);
    H264Picture* p = d->cur;
    ASSERT_EQ(Start(1, 1, 1), 0);  // frame_num 1 follows the reset
    EXPECT_EQ(p->frameNum, 0u);
    EXPECT_EQ(p->poc, 0);
    EXPECT_EQ(ShortRefs(), (std::vector<int>{0}));
}

TEST_F(PictureBuffer, LaterIdrIsNotRefused) {
    Make(1, 2);
    for (int gop = 0; gop < 3; ++gop) {
        ASSERT_EQ(Start(5, 1, 0), 0) << gop;
        ASSERT_EQ(Start(1, 1, 1), 0) << gop;
        ASSERT_EQ(Start(1, 1, 2), 0) << gop;
    }
    Finish();
    H264FlushDpb(d);
    EXPECT_EQ(Drain().size(), 9u);
}

TEST_F(PictureBuffer, OutputOrderByPictureOrderCount) {
    // Order counts of the decoding order 0, 8, 4, 2, 6 (the last three non-reference).
    for (uint32_t mode : {0u, 1u}) {
        Make(mode, 2, 0, false, 3);
        ASSERT_EQ(Start(5, 1, 0, 0), 0);
        ASSERT_EQ(Start(1, 1, 1, 8), 0);
        ASSERT_EQ(Start(1, 0, 2, 4), 0);
        ASSERT_EQ(Start(1, 0, 2, 2), 0);
        ASSERT_EQ(Start(1, 0, 2, 6), 0);
        Finish();
        H264FlushDpb(d);
        std::vector<int> got = Drain();
        if (mode == 0) EXPECT_EQ(got, (std::vector<int>{0, 8, 4, 2, 6}));
        else EXPECT_EQ(got, (std::vector<int>{0, 2, 4, 6, 8}));
        H264DecRelease(d);
        d = nullptr;
    }
}

TEST_F(PictureBuffer, IdrWithoutOutputOfPriorPicturesDropsWaiting) {
    Make(1, 2, 0, false, 4);
    ASSERT_EQ(Start(5, 1, 0, 0), 0);
    ASSERT_EQ(Start(1, 1, 1, 2), 0);
    ASSERT_EQ(Start(1, 1, 2, 4), 0);
    ASSERT_EQ(Start(5, 1, 0, 0, {}, true), 0);  // drops 0, 2, 4 still waiting
    Finish();
    H264FlushDpb(d);
    EXPECT_EQ(Drain().size(), 1u);
}

TEST_F(PictureBuffer, ReferenceListOrderAndModification) {
    Make(0, 4);
    ASSERT_EQ(Start(5, 1, 0), 0);
    ASSERT_EQ(Start(1, 1, 1), 0);
    ASSERT_EQ(Start(1, 1, 2), 0);
    ASSERT_EQ(Start(1, 1, 3), 0);
    d->sh.kind = kSliceP;
    d->sh.numRefIdxL0Minus1 = 2;
    ASSERT_EQ(H264BuildRefList0(d), 0);
    EXPECT_EQ(d->refList0Size, 3u);
    EXPECT_EQ(d->refList0[0]->frameNum, 2u);  // PicNum descending
    EXPECT_EQ(d->refList0[1]->frameNum, 1u);
    EXPECT_EQ(d->refList0[2]->frameNum, 0u);
    EXPECT_EQ(d->refList0[20]->frameNum, 2u);  // padded with the first entry
    // Move frame 0 to the front: abs_diff_pic_num_minus1 2 subtracts 3 from 3.
    d->sh.refListModification = 1;
    d->sh.numModOps = 1;
    d->sh.modIdc[0] = 0;
    d->sh.modValue[0] = 2;
    H264ModifyRefList0(d);
    EXPECT_EQ(d->refList0[0]->frameNum, 0u);
    EXPECT_EQ(d->refList0[1]->frameNum, 2u);
    EXPECT_EQ(d->refList0[2]->frameNum, 1u);
}

}  // namespace
