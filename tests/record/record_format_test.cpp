// Record file format: header byte images, reader rules, key-frame test and
// the names of record folders and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "RecordFormat.h"

using namespace record;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> l) {
    std::vector<uint8_t> v;
    for (int b : l)
        v.push_back(uint8_t(b));
    return v;
}

TEST(RecordHeaders, FileHeaderGoldenImage) {
    RecordFileHeader h = MakeRecordFileHeader(true);
    h.frameCount = 0x01020304;
    h.recordSeconds = 90;
    uint8_t out[32];
    StoreRecordFileHeader(h, out);
    const std::vector<uint8_t> golden = Bytes({
        'R', 'I', 'M', 'F', 1, 25, 1, 1,          // magic, NTSC, 25 fps, H.264, audio
        0, 0, 0, 0, 0x40, 0x01,                   // reserved0, reserved1, 320
        0x04, 0x03, 0x02, 0x01,                   // frameCount at the unaligned offset 14
        90, 0, 0, 0,                              // recordSeconds at 18
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(golden, std::vector<uint8_t>(out, out + 32));
    // The packed structure is the same image in memory.
    EXPECT_EQ(0, std::memcmp(&h, out, 32));

    RecordFileHeader fresh = MakeRecordFileHeader(false);
    StoreRecordFileHeader(fresh, out);
    EXPECT_EQ(Bytes({'R', 'I', 'M', 'F', 0, 25, 1, 1, 0, 0, 0, 0, 0x40, 0x01, 0, 0, 0, 0, 0, 0, 0, 0,
                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
              std::vector<uint8_t>(out, out + 32));
}

TEST(RecordHeaders, FrameHeaderGoldenImage) {
    RecordFrameHeader h{};
    h.sync = kRecordFrameSync;
    h.keyFrame = 1;
    h.videoLength = 0x00012345;
    h.audioLength = 640;
    h.frameNumber = 2250;
    h.audioFormat = kAudioPcmu;
    uint8_t out[24];
    StoreRecordFrameHeader(h, out);
    EXPECT_EQ(Bytes({0, 0, 0, 7, 1, 0, 0, 0, 0x45, 0x23, 0x01, 0, 0x80, 0x02, 0, 0, 0xCA, 0x08, 0, 0,
                     2, 0, 0, 0}),
              std::vector<uint8_t>(out, out + 24));
    EXPECT_EQ(0, std::memcmp(&h, out, 24));
}

TEST(RecordHeaders, RoundTripThroughFile) {
    namespace fs = std::filesystem;
    fs::path path = fs::temp_directory_path() / "selvane_record_roundtrip.264";
    RecordFileHeader fh = MakeRecordFileHeader(false);
    fh.frameCount = 2;
    fh.recordSeconds = 1;
    RecordFrameHeader f1{kRecordFrameSync, 1, 5, 3, 1, kAudioPcma, {0, 0, 0}};
    RecordFrameHeader f2{kRecordFrameSync, 0, 4, 0, 2, kAudioPcma, {0, 0, 0}};
    {
        FILE* f = std::fopen(path.string().c_str(), "wb");
        ASSERT_TRUE(f);
        uint8_t b[32];
        StoreRecordFileHeader(fh, b);
        std::fwrite(b, 1, 32, f);
        StoreRecordFrameHeader(f1, b);
        std::fwrite(b, 1, 24, f);
        std::fwrite("\0\0\1\x67\x42" "abc", 1, 8, f);
        StoreRecordFrameHeader(f2, b);
        std::fwrite(b, 1, 24, f);
        std::fwrite("\0\0\1\x41", 1, 4, f);
        std::fclose(f);
    }
    std::vector<uint8_t> file(fs::file_size(path));
    {
        FILE* f = std::fopen(path.string().c_str(), "rb");
        ASSERT_TRUE(f);
        ASSERT_EQ(file.size(), std::fread(file.data(), 1, file.size(), f));
        std::fclose(f);
    }
    fs::remove(path);
    ASSERT_EQ(32u + 24 + 8 + 24 + 4, file.size());
    RecordFileHeader rh = LoadRecordFileHeader(file.data());
    EXPECT_EQ(0, std::memcmp(&rh, &fh, 32));
    EXPECT_TRUE(IsAcceptedRecordFileHeader(rh));
    // Walk the frames the way a reader does.
    size_t pos = 32;
    std::vector<RecordFrameHeader> frames;
    while (pos + 24 <= file.size()) {
        RecordFrameHeader h = LoadRecordFrameHeader(&file[pos]);
        ASSERT_TRUE(IsValidRecordFrameHeader(h));
        frames.push_back(h);
        pos += RecordFrameSize(h);
    }
    EXPECT_EQ(file.size(), pos);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(0, std::memcmp(&frames[0], &f1, 24));
    EXPECT_EQ(0, std::memcmp(&frames[1], &f2, 24));
}

TEST(RecordHeaders, ReaderRules) {
    struct Case {
        int videoStandard, frameRate, codec;
        const char* magic;
        bool accepted;
    } cases[] = {
        {0, 25, 1, "RIMF", true},  {1, 30, 1, "RIMF", true},  {1, 1, 1, "RIMF", true},
        {2, 25, 1, "RIMF", false}, {0, 0, 1, "RIMF", false},  {0, 31, 1, "RIMF", false},
        {0, 25, 2, "RIMF", false}, {0, 25, 1, "RIMG", false}, {0, 25, 1, "rimf", false},
    };
    for (const Case& c : cases) {
        RecordFileHeader h = MakeRecordFileHeader(false);
        std::memcpy(h.magic, c.magic, 4);
        h.videoStandard = uint8_t(c.videoStandard);
        h.frameRate = uint8_t(c.frameRate);
        h.videoCodec = uint8_t(c.codec);
        EXPECT_EQ(c.accepted, IsAcceptedRecordFileHeader(h)) << c.magic << " " << c.videoStandard << " "
                                                              << c.frameRate << " " << c.codec;
    }

    struct FrameCase {
        uint32_t sync, video, audio;
        bool valid, plausible;
    } frames[] = {
        {kRecordFrameSync, 0x1E0000, 0x20000, true, false},
        {kRecordFrameSync, 0x1DFFFF, 0x1FFFF, true, true},
        {kRecordFrameSync, 0x1E0001, 0, false, false},
        {kRecordFrameSync, 0, 0x20001, false, false},
        {0x00000007, 100, 0, false, false},
        {kRecordFrameSync, 0, 0, true, true},
    };
    for (const FrameCase& c : frames) {
        RecordFrameHeader h{c.sync, 0, c.video, c.audio, 0, 0, {0, 0, 0}};
        EXPECT_EQ(c.valid, IsValidRecordFrameHeader(h)) << std::hex << c.video << " " << c.audio;
        EXPECT_EQ(c.plausible, IsPlausibleRecordFrameHeader(h)) << std::hex << c.video << " " << c.audio;
    }
    // Lengths no record frame can hold give no size (no wrap-around either).
    RecordFrameHeader huge{kRecordFrameSync, 0, 0xFFFFFFF0u, 0x100, 0, 0, {0, 0, 0}};
    EXPECT_EQ(0u, RecordFrameSize(huge));
}

TEST(KeyFrameTest, Table) {
    struct Case {
        const char* what;
        std::vector<uint8_t> unit;
        bool key;
    } cases[] = {
        {"SPS after 4-byte start code", Bytes({0, 0, 0, 1, 0x67, 0x42, 0, 0x1E}), true},
        {"SPS after 3-byte start code", Bytes({0, 0, 1, 0x67, 0x42}), true},
        {"SPS with other nal_ref_idc", Bytes({0, 0, 0, 1, 0x27, 0x42}), true},
        {"AUD then SPS (4-byte)", Bytes({0, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x67, 0x42}), true},
        {"AUD then SPS (3-byte)", Bytes({0, 0, 1, 0x09, 0x10, 0, 0, 1, 0x67}), true},
        {"IDR without SPS", Bytes({0, 0, 0, 1, 0x65, 0x88, 0x84}), false},
        {"P slice", Bytes({0, 0, 0, 1, 0x41, 0x9A}), false},
        {"SEI then SPS", Bytes({0, 0, 0, 1, 0x06, 0x05, 0, 0, 0, 1, 0x67}), false},
        {"AUD then IDR", Bytes({0, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x65}), false},
        {"no start code", Bytes({0x67, 0x42, 0, 0}), false},
        {"one zero only", Bytes({0, 1, 0x67}), false},
        {"empty", Bytes({}), false},
        {"start code alone", Bytes({0, 0, 0, 1}), false},
        {"cut start code", Bytes({0, 0}), false},
        {"zeros only", Bytes({0, 0, 0, 0, 0}), false},
        {"AUD at the end", Bytes({0, 0, 0, 1, 0x09}), false},
        {"AUD, cut start code", Bytes({0, 0, 0, 1, 0x09, 0xF0, 0, 0, 1}), false},
    };
    for (const Case& c : cases) {
        // An exact-size copy, so a read past the end would leave the allocation.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[c.unit.size() + 1]);
        std::memcpy(exact.get(), c.unit.data(), c.unit.size());
        exact[c.unit.size()] = 0x67;  // a trap: an SPS byte just past the unit
        EXPECT_EQ(c.key, IsKeyFrameUnit(exact.get(), c.unit.size())) << c.what;
    }
    EXPECT_FALSE(IsKeyFrameUnit(nullptr, 10));
}

TEST(RecordNames, SafePathComponent) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"192.168.1.10", "192.168.1.10"},
        {"cam.example.com", "cam.example.com"},
        {"Front Door", "Front Door"},
        {"cam:1", "cam_1"},
        {"a/b\\c", "a_b_c"},
        {"*?\"<>|", "______"},
        {"..", "__"},
        {".", "_"},
        {"x..y", "x__y"},
        {"..\\..\\Windows", "______Windows"},
        {"name.", "name_"},
        {"name ", "name_"},
        {"", "_"},
        {"CON", "_CON"},
        {"nul.txt", "_nul.txt"},
        {"com1", "_com1"},
        {"COM10", "COM10"},
        // Superscript digits of the ANSI code page name the same ports.
        {"com\xB9", "_com\xB9"},
        {"LPT\xB2.log", "_LPT\xB2.log"},
        {"Com\xB3 ", "Com\xB3_"},
        {"COM\xB4", "COM\xB4"},
        {"tab\there", "tab_here"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.out, SafePathComponent(c.in)) << c.in;
}

TEST(RecordNames, FolderTreeAndFileName) {
    const LocalTime t{2026, 12, 9, 8, 5, 3};
    std::string rec = RecordFolderPath("D:\\");
    EXPECT_EQ("D:\\TQX RecordData", rec);
    std::string date = DateFolderPath(rec, t);
    EXPECT_EQ("D:\\TQX RecordData\\20261209", date);
    std::string dev = DeviceFolderPath(date, "10.0.0.7");
    EXPECT_EQ("D:\\TQX RecordData\\20261209\\10.0.0.7", dev);
    std::string ch = ChannelFolderPath(dev, 0);
    EXPECT_EQ("D:\\TQX RecordData\\20261209\\10.0.0.7\\01", ch);
    EXPECT_EQ("D:\\TQX RecordData\\20261209\\10.0.0.7\\01\\01-1-20261209-080503-Gate.264",
              RecordFileName(ch, 0, kRecordNormal, t, "Gate"));
    EXPECT_EQ("D:\\TQX RecordData\\20261209\\10.0.0.7\\01\\01-1-20261209-080503-Gate(2).264",
              RecordFileName(ch, 0, kRecordNormal, t, "Gate", 1));
    const LocalTime late{2027, 1, 31, 23, 59, 59};
    EXPECT_EQ("X\\16-2-20270131-235959-Channel-15.264",
              RecordFileName("X", 15, kRecordAlarm, late, DefaultChannelName("Channel", 15)));
    EXPECT_EQ("X\\05", ChannelFolderPath("X", 4));
    // Hostile texts stay one component each.
    EXPECT_EQ("D:\\TQX RecordData\\20261209\\______Windows",
              DeviceFolderPath(date, "..\\..\\Windows"));
    EXPECT_EQ("X\\01-1-20261209-080503-a_b_c__.264", RecordFileName("X", 0, 1, t, "a/b:c.."));
}

TEST(RecordNames, DateFolderNames) {
    struct Case {
        const char* name;
        bool date;
    } cases[] = {
        {"20261209", true},  {"19991231", true},  {"20260101", true},   {"2026129", false},
        {"202612090", false}, {"20261309", false}, {"20261200", false}, {"20261232", false},
        {"2026120a", false}, {"Backup", false},   {"TQX PictureData", false}, {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.date, IsDateFolderName(c.name)) << c.name;
}

}  // namespace
