// The record search page's arithmetic: list texts, the local walk's filters
// and sort position, the remote search's times and reply entries, and the
// progress figures of the copy and download dialogs.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "RecordSearch.h"

using namespace record;

namespace {

std::vector<uint8_t> Reply(uint8_t channel, uint8_t number, const std::vector<std::pair<uint32_t, uint32_t>>& times,
                           size_t entries = 100) {
    std::vector<uint8_t> p(8 + entries * 8, 0);
    p[0] = channel;
    p[1] = number;
    for (size_t i = 0; i < times.size() && i < entries; ++i) {
        std::memcpy(&p[8 + i * 8], &times[i].first, 4);
        std::memcpy(&p[12 + i * 8], &times[i].second, 4);
    }
    return p;
}

}  // namespace

TEST(RecordSearchTexts, TimesDurationsSizesAndCounters) {
    EXPECT_EQ(FormatListTime({2026, 12, 9, 8, 5, 3}), "2026-12-9 8:05:03");
    struct {
        uint32_t seconds;
        bool wrap;
        const char* text;
    } durations[] = {
        {0, true, "0:00:00"},        {3599, true, "0:59:59"},       {25 * 3600, true, "1:00:00"},
        {25 * 3600, false, "25:00:00"}, {90061, true, "1:01:01"},
    };
    for (const auto& d : durations) EXPECT_EQ(FormatListDuration(d.seconds, d.wrap), d.text) << d.seconds;
    struct {
        uint64_t length;
        const char* text;
    } sizes[] = {{1023, "0 KB"}, {30 * 1024, "30 KB"}, {999 * 1024, "999 KB"}, {1000 * 1024, "1,000 KB"},
                 {1048576ull * 2 + 5 * 1024, "2,053 KB"}};
    for (const auto& s : sizes) EXPECT_EQ(FormatListSize(s.length), s.text) << s.length;
    EXPECT_EQ(FormatThousands(1536000 / 1024), "1,500");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(12005), "12,005");
    EXPECT_EQ(DownloadRateKbps(64000), 496u);
    EXPECT_EQ(DownloadRateKbps(127), 0u);
}

TEST(RecordSearchFilters, TypeChannelOverlapAndDays) {
    // The fourth character of the writer's names is the record type.
    const char* normal = "01-1-20261209-080503-Gate.264";
    const char* alarm = "01-2-20261209-080503-Gate.264";
    EXPECT_EQ(RecordTypeChar(normal), '1');
    EXPECT_EQ(RecordTypeChar("01"), 0);
    struct {
        char type;
        bool normal, alarm, wanted;
    } types[] = {{'1', true, false, true},  {'2', true, false, false}, {'2', false, true, true},
                 {'1', false, true, false}, {'1', true, true, true},   {'2', true, true, true}};
    for (const auto& t : types)
        EXPECT_EQ(RecordTypeWanted(t.type, t.normal, t.alarm), t.wanted) << t.type << t.normal << t.alarm;

    struct {
        const char* file;
        const char* channel;
        bool match;
    } names[] = {
        {normal, "Gate", true},
        {alarm, "Gat", false},
        {"01-1-20261209-080503-Channel-1.264", "Channel-1", true},
        {"10-1-20261209-080503-Channel-10.264", "Channel-1", false},
        {"01-1-20261209-080503-Channel-1.264", "Channel-10", false},
        {"01-1-20261209-080503-Gate(2).264", "Gate", true},
        {"01-1-20261209-080503-Gate(x).264", "Gate", false},
        {"01-1-20261209.264", "Gate", false},
    };
    for (const auto& n : names) EXPECT_EQ(RecordNameHasChannel(n.file, n.channel), n.match) << n.file;

    EXPECT_TRUE(RecordOverlaps(100, 200, 200, 300));
    EXPECT_TRUE(RecordOverlaps(300, 400, 200, 300));
    EXPECT_FALSE(RecordOverlaps(301, 400, 200, 300));
    EXPECT_FALSE(RecordOverlaps(100, 199, 200, 300));
    const int64_t day = 86400 * 20000;
    EXPECT_TRUE(DateFolderInRange(day + 5, day + 10, day + 20));  // same day, earlier in it
    EXPECT_FALSE(DateFolderInRange(day - 1, day + 10, day + 20));
    EXPECT_FALSE(DateFolderInRange(day + 86400, day, day + 86399));
}

TEST(RecordSearchFilters, RowsSortByCreationTimeKeepingTheOrderOfEqualTimes) {
    EXPECT_EQ(SortedInsertIndex({}, 5), 0);
    EXPECT_EQ(SortedInsertIndex({10, 20, 30}, 5), 0);
    EXPECT_EQ(SortedInsertIndex({10, 20, 30}, 25), 2);
    EXPECT_EQ(SortedInsertIndex({10, 20, 20, 30}, 20), 3);
    EXPECT_EQ(SortedInsertIndex({10, 20, 30}, 30), 3);
}

TEST(RecordSearchRemote, HoursBelowEightBecomeEight) {
    const LocalTime t = RemoteSearchTime({2026, 12, 9, 5, 30, 7});
    EXPECT_EQ(t.hour, 8);
    EXPECT_EQ(t.minute, 30);
    EXPECT_EQ(t.second, 7);
    EXPECT_EQ(RemoteSearchTime({2026, 12, 9, 7, 10, 0}).hour, 8);
    EXPECT_EQ(RemoteSearchTime({2026, 12, 9, 9, 0, 0}).hour, 9);
    EXPECT_EQ(RemoteSearchTime({2026, 12, 9, 0, 0, 0}).hour, 8);
}

TEST(RecordSearchRemote, ReplyEntriesAreBoundedByTheLengthAndValid) {
    const std::vector<std::pair<uint32_t, uint32_t>> times = {
        {1000, 1600}, {0, 1600}, {1000, 0}, {2000, 2000}, {3000, 2999}, {4000, 4100}};
    std::vector<uint8_t> p = Reply(2, 7, times);
    auto all = ParseRemoteRecordEntries(p.data(), p.size());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].channel, 2);
    EXPECT_EQ(all[0].number, 7);
    EXPECT_EQ(all[0].begin, 1000u);
    EXPECT_EQ(all[0].end, 1600u);
    EXPECT_EQ(all[0].index, 0);
    EXPECT_EQ(all[1].index, 5);

    struct {
        size_t size;
        size_t rows;
    } bounds[] = {{0, 0}, {7, 0}, {8, 0}, {15, 0}, {16, 1}, {8 + 6 * 8 - 1, 1}, {8 + 6 * 8, 2}};
    for (const auto& b : bounds) EXPECT_EQ(ParseRemoteRecordEntries(p.data(), b.size).size(), b.rows) << b.size;
    EXPECT_TRUE(ParseRemoteRecordEntries(nullptr, 808).empty());

    // More than 100 entries' worth of bytes: only 100 are read.
    std::vector<std::pair<uint32_t, uint32_t>> many;
    for (uint32_t i = 0; i < 101; ++i) many.push_back({1000 + i * 10, 1005 + i * 10});
    std::vector<uint8_t> big = Reply(0, 0, many, 101);
    EXPECT_EQ(ParseRemoteRecordEntries(big.data(), big.size()).size(), 100u);

    RemoteRecordEntry e{2, 7, 1000, 1600, 0};
    EXPECT_EQ(RemoteRecordFileName(e, {2026, 1, 9, 8, 5, 3}), "ch2-7-202619853-600");
}

TEST(RecordSearchHeader, AcceptedHeadersAndTheirSeconds) {
    RecordFileHeader h = MakeRecordFileHeader(false);
    h.frameCount = 25 * 90;
    EXPECT_EQ(RecordHeaderSeconds(h), 90u);
    RecordFileHeader ntsc = MakeRecordFileHeader(true);
    ntsc.frameCount = 25 * 60;
    EXPECT_TRUE(RecordHeaderAccepted(ntsc)) << "NTSC files have their length too";
    EXPECT_EQ(RecordHeaderSeconds(ntsc), 60u);
    struct {
        const char* what;
        void (*spoil)(RecordFileHeader&);
    } bad[] = {
        {"magic", [](RecordFileHeader& x) { x.magic[0] = 'X'; }},
        {"standard 2", [](RecordFileHeader& x) { x.videoStandard = 2; }},
        {"rate 0", [](RecordFileHeader& x) { x.frameRate = 0; }},
        {"rate 31", [](RecordFileHeader& x) { x.frameRate = 31; }},
        {"codec", [](RecordFileHeader& x) { x.videoCodec = 2; }},
    };
    for (const auto& b : bad) {
        RecordFileHeader x = h;
        b.spoil(x);
        EXPECT_FALSE(RecordHeaderAccepted(x)) << b.what;
        EXPECT_EQ(RecordHeaderSeconds(x), 0u) << b.what;
    }
}

TEST(RecordCopyProgress, PerMilleWithoutDividingByZero) {
    struct {
        uint64_t count, length;
        int value;
    } table[] = {{0, 0, 1000},        {0, 500, 0},           {250, 500, 500},       {500, 500, 1000},
                 {999, 999, 1000},    {65536, 131072, 496},  {131072, 131072, 1000}, {1000, 1000000, 1}};
    for (const auto& t : table) EXPECT_EQ(CopyProgress(t.count, t.length), t.value) << t.count << "/" << t.length;
}
