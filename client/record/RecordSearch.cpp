#include "RecordSearch.h"

#include <cstdio>
#include <cstring>

namespace record {

namespace {

uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

std::string FormatListTime(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string FormatListDuration(uint32_t seconds, bool wrapDays) {
    uint32_t hours = seconds / 3600;
    if (wrapDays) hours %= 24;
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u:%02u", hours, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string FormatListSize(uint64_t length) {
    return FormatThousands(uint32_t(length >> 10)) + " KB";
}

std::string FormatThousands(uint32_t value) {
    char text[32];
    if (value < 1000)
        std::snprintf(text, sizeof text, "%u", value);
    else
        std::snprintf(text, sizeof text, "%u,%03u", value / 1000, value % 1000);
    return text;
}

LocalTime RemoteSearchTime(LocalTime t) {
    if (t.hour < 8) t.hour = 8;
    return t;
}

char RecordTypeChar(const std::string& fileName) { return fileName.size() >= 4 ? fileName[3] : 0; }

bool RecordTypeWanted(char typeChar, bool normalWanted, bool alarmWanted) {
    if (!normalWanted && typeChar != '2') return false;
    if (!alarmWanted && typeChar == '2') return false;
    return true;
}

bool RecordNameHasChannel(const std::string& fileName, const std::string& channelName) {
    // "01-1-20261209-080503-Name.264": the name follows the fourth '-'.
    size_t pos = 0;
    for (int dash = 0; dash < 4; ++dash) {
        pos = fileName.find('-', pos);
        if (pos == std::string::npos) return false;
        ++pos;
    }
    std::string name = fileName.substr(pos);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    if (name == channelName) return true;
    // A second file of the same second carries "(n)" after the name.
    if (name.size() > channelName.size() + 2 && name.compare(0, channelName.size(), channelName) == 0 &&
        name[channelName.size()] == '(' && name.back() == ')') {
        for (size_t i = channelName.size() + 1; i + 1 < name.size(); ++i)
            if (name[i] < '0' || name[i] > '9') return false;
        return true;
    }
    return false;
}

bool RecordOverlaps(int64_t created, int64_t written, int64_t begin, int64_t end) {
    return created <= end && written >= begin;
}

bool DateFolderInRange(int64_t created, int64_t begin, int64_t end) {
    const int64_t day = created / 86400;
    return day >= begin / 86400 && day <= end / 86400;
}

int SortedInsertIndex(const std::vector<int64_t>& rowTimes, int64_t created) {
    for (int i = int(rowTimes.size()) - 1; i >= 0; --i)
        if (rowTimes[size_t(i)] <= created) return i + 1;
    return 0;
}

bool RecordHeaderAccepted(const RecordFileHeader& h) {
    return std::memcmp(h.magic, "RIMF", 4) == 0 && h.videoStandard <= 1 && h.frameRate >= 1 &&
           h.frameRate <= 30 && h.videoCodec == 1;
}

uint32_t RecordHeaderSeconds(const RecordFileHeader& h) {
    return RecordHeaderAccepted(h) ? h.frameCount / h.frameRate : 0;
}

std::vector<RemoteRecordEntry> ParseRemoteRecordEntries(const uint8_t* payload, size_t size) {
    std::vector<RemoteRecordEntry> entries;
    if (!payload || size < kRemoteEntriesOffset) return entries;
    size_t count = (size - kRemoteEntriesOffset) / 8;
    if (count > size_t(kMaxRemoteEntries)) count = kMaxRemoteEntries;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = payload + kRemoteEntriesOffset + i * 8;
        RemoteRecordEntry e{payload[0], payload[1], GetU32(p), GetU32(p + 4), int(i)};
        if (e.begin == 0 || e.end == 0 || e.end <= e.begin) continue;
        entries.push_back(e);
    }
    return entries;
}

std::string RemoteRecordFileName(const RemoteRecordEntry& e, const LocalTime& b) {
    char text[96];
    std::snprintf(text, sizeof text, "ch%d-%d-%d%d%d%d%d%d-%u", e.channel, e.number, b.year, b.month, b.day, b.hour,
                  b.minute, b.second, e.end - e.begin);
    return text;
}

int CopyProgress(uint64_t count, uint64_t length) {
    if (length == 0) return kProgressRange;
    uint64_t value = length < 1000 ? count * 1000 / length : (count / 1000 * 1000) / (length / 1000);
    return value > uint64_t(kProgressRange) ? kProgressRange : int(value);
}

uint32_t DownloadRateKbps(uint32_t bytesThisSecond) { return (bytesThisSecond / 128) & ~7u; }

}  // namespace record
