// The reading rules shared by the readers of record files, and the playback
// engine's reader over files held in memory: headers across scan windows,
// read errors, lengths beyond 4 GiB, positions of an idle reader.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "RecordFileReader.h"
#include "RecordReading.h"

using namespace record;

namespace {

// A file in memory; reads in [failFrom, failTo) fail.
class MemorySource : public IRecordFileSource {
public:
    MemorySource(std::vector<uint8_t> bytes, uint64_t length) : bytes_(std::move(bytes)), length_(length) {}
    uint64_t Length() const override { return length_; }
    long Read(uint8_t* out, uint32_t n) override {
        if (at_ >= failFrom && at_ < failTo) return -1;
        uint64_t left = at_ < bytes_.size() ? bytes_.size() - at_ : 0;
        uint32_t got = uint32_t(n < left ? n : left);
        std::memcpy(out, bytes_.data() + at_, got);
        at_ += got;
        return long(got);
    }
    bool Seek(uint64_t offset) override {
        at_ = offset;
        return true;
    }
    uint64_t failFrom = ~0ull, failTo = ~0ull;

private:
    std::vector<uint8_t> bytes_;
    uint64_t length_;
    uint64_t at_ = 0;
};

std::vector<uint8_t> Header(uint32_t frameCount = 0) {
    std::vector<uint8_t> b(32);
    RecordFileHeader h = MakeRecordFileHeader(false);
    h.frameCount = frameCount;
    StoreRecordFileHeader(h, b.data());
    return b;
}

void AddFrame(std::vector<uint8_t>& file, uint32_t number, uint32_t videoLen, uint32_t audioLen = 0) {
    RecordFrameHeader h{kRecordFrameSync, 0, videoLen, audioLen, number, 0, {0, 0, 0}};
    size_t at = file.size();
    file.resize(at + 24 + videoLen + audioLen, uint8_t(0x40 + number));
    StoreRecordFrameHeader(h, &file[at]);
}

struct Opened {
    MemorySource* source = nullptr;
    CRecordFileReader reader;
    Opened(std::vector<uint8_t> bytes, uint64_t length = 0)
        : reader([this, bytes, length](const std::string&) {
              auto s = std::make_unique<MemorySource>(bytes, length ? length : bytes.size());
              source = s.get();
              return std::unique_ptr<IRecordFileSource>(std::move(s));
          }) {}
    // Frame numbers read until the end (bounded).
    std::vector<uint32_t> ReadAll() {
        std::vector<uint32_t> n;
        for (int guard = 0; guard < 1000 && !reader.AtEnd(); ++guard) {
            RecordFrameHeader h;
            if (reader.ReadFrame(&h)) n.push_back(h.frameNumber);
        }
        return n;
    }
};

}  // namespace

TEST(RecordReading, SharedRules) {
    EXPECT_EQ(ClampFileLength(16384), 16384u);
    EXPECT_EQ(ClampFileLength(0xFFFFFFFFull), 0xFFFFFFFFu);
    EXPECT_EQ(ClampFileLength(0x100000000ull + 5), 0xFFFFFFFFu) << "clamped, not wrapped to 5";
    EXPECT_EQ(PerMille(500, 999), 0) << "no division by zero below 1000 bytes";
    EXPECT_EQ(PerMille(16999, 16999), 1000) << "never above 1000";
    EXPECT_EQ(SeekOffset(0, 100000), 32u);
    EXPECT_EQ(SeekOffset(1000, 100000), 100000u);
    EXPECT_EQ(SeekOffset(500, 100000), 50000u);
    struct Speed {
        int rate, level, ms;
    } speeds[] = {{25, -2, 160}, {25, -1, 80}, {25, 0, 40}, {25, 1, 20}, {25, 2, 10}, {30, 0, 33}, {0, 0, 0}};
    for (const Speed& s : speeds) EXPECT_EQ(SpeedInterval(s.rate, s.level), s.ms) << s.rate << " " << s.level;

    std::vector<uint8_t> buf(100, 0x11);
    RecordFrameHeader h{kRecordFrameSync, 0, kMaxRecordVideoLength, 0, 1, 0, {0, 0, 0}};
    StoreRecordFrameHeader(h, &buf[10]);
    EXPECT_EQ(FindRecordFrameHeader(buf.data(), buf.size()), -1) << "the scan wants lengths below the limits";
    h.videoLength = kMaxRecordVideoLength - 1;
    StoreRecordFrameHeader(h, &buf[40]);
    EXPECT_EQ(FindRecordFrameHeader(buf.data(), buf.size()), 40);
    EXPECT_EQ(FindRecordFrameHeader(buf.data(), 63), -1) << "a header cut by the end is not taken";
}

// Open results by length and header.
TEST(RecordFileReader, OpenResults) {
    std::vector<uint8_t> good = Header();
    good.resize(16384, 0);
    EXPECT_EQ(Opened(good).reader.Open("x"), 0);
    std::vector<uint8_t> shorter(good.begin(), good.end() - 1);
    EXPECT_EQ(Opened(shorter).reader.Open("x"), kReadTooShort);
    std::vector<uint8_t> bad = good;
    bad[5] = 31;
    EXPECT_EQ(Opened(bad).reader.Open("x"), kReadBadHeader);
    CRecordFileReader none([](const std::string&) { return std::unique_ptr<IRecordFileSource>(); });
    EXPECT_EQ(none.Open("x"), kReadCannotOpen);
    EXPECT_EQ(none.PositionPerMille(), 0);
    EXPECT_EQ(none.PlayTimeSeconds(), 0u);
    CRecordFileReader failing([&](const std::string&) {
        auto src = std::make_unique<MemorySource>(good, good.size());
        src->failFrom = 0;
        src->failTo = 32;
        return std::unique_ptr<IRecordFileSource>(std::move(src));
    });
    EXPECT_EQ(failing.Open("x"), kReadHeaderError);
    EXPECT_FALSE(failing.IsOpen());
    // A file of more than 4 GiB is read up to 4 GiB - 1.
    Opened huge(good, 0x100000000ull + 20000);
    ASSERT_EQ(huge.reader.Open("x"), 0);
    EXPECT_EQ(huge.reader.Length(), 0xFFFFFFFFu);
}

// Damage at every place a scan window can put it: headers straddling the
// boundary between two windows are found through the carried bytes.
TEST(RecordFileReader, ResyncAcrossWindows) {
    for (size_t junk : {size_t(5), size_t(32768 - 30), size_t(32768 - 10), size_t(32768), size_t(65536 + 7)}) {
        SCOPED_TRACE(junk);
        std::vector<uint8_t> file = Header(3);
        AddFrame(file, 1, 1000);
        size_t at = file.size();
        file.resize(at + junk, 0x33);
        file[at] = 0;  // a header with a wrong sync
        AddFrame(file, 2, 1000, 320);
        AddFrame(file, 3, 1000);
        file.resize(file.size() + 20000, 0);
        Opened o(file);
        ASSERT_EQ(o.reader.Open("x"), 0);
        EXPECT_EQ(o.ReadAll(), (std::vector<uint32_t>{1, 2, 3}));
        EXPECT_EQ(o.reader.FrameNumber(), 3u) << "the end takes the header's frame count";
        EXPECT_EQ(o.reader.PositionPerMille(), 1000);
    }
}

// A read error skips 131,072 bytes and goes on; a seek moves to the next
// frame header after the place.
TEST(RecordFileReader, ReadErrorsAndSeeks) {
    std::vector<uint8_t> file = Header(40);
    for (uint32_t n = 1; n <= 40; ++n) AddFrame(file, n, 10000);
    Opened o(file);
    ASSERT_EQ(o.reader.Open("x"), 0);
    o.source->failFrom = 32 + 5 * 10024;  // frame 6's header
    o.source->failTo = o.source->failFrom + 1;
    auto got = o.ReadAll();
    // Frames 1-5, then 131,072 bytes on: inside frame 19, so the reader
    // resyncs to frame 20.
    ASSERT_GE(got.size(), 6u);
    EXPECT_EQ(std::vector<uint32_t>(got.begin(), got.begin() + 5), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(got[5], 20u);
    EXPECT_EQ(got.back(), 40u);

    o.source->failFrom = o.source->failTo = ~0ull;
    ASSERT_TRUE(o.reader.SetPosition(500));
    RecordFrameHeader h;
    ASSERT_TRUE(o.reader.ReadFrame(&h));
    EXPECT_EQ(h.frameNumber, 21u) << "the first header after the middle";
    EXPECT_FALSE(o.reader.SetPosition(1001));
    ASSERT_TRUE(o.reader.SetPosition(1000));
    EXPECT_TRUE(o.reader.AtEnd());
    EXPECT_EQ(o.reader.PlayTimeSeconds(), 40u / 25);
    o.reader.Rewind();
    ASSERT_TRUE(o.reader.ReadFrame(&h));
    EXPECT_EQ(h.frameNumber, 1u);
}
