// The record search page's arithmetic and texts: the result list's time,
// duration and size texts, the local walk's filters and sort position, the
// remote search's times and reply entries, and the progress figures of the
// backup and download dialogs. No Windows headers: built natively too.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RecordFormat.h"

namespace record {

constexpr uint32_t kMinListedFileKB = 30;        // smaller record files are not listed
constexpr int kMaxRemoteEntries = 100;           // entries of one search reply
constexpr size_t kRemoteEntriesOffset = 8;       // in the reply's payload
constexpr uint32_t kCopyBlockSize = 65536;       // backup copies in blocks of this size
constexpr int kProgressRange = 1000;             // the backup and download bars

// "2026-12-9 8:05:03": year, month, day, hour, minute, second.
std::string FormatListTime(const LocalTime& t);
// "%d:%02d:%02d"; search rows drop whole days (wrapDays), the rows the
// player bar adds from a record header keep every hour.
std::string FormatListDuration(uint32_t seconds, bool wrapDays);
// A file length in KB: "29 KB", "1,024 KB".
std::string FormatListSize(uint64_t length);
// "%d" below 1,000, else "%d,%03d" (thousands and remainder).
std::string FormatThousands(uint32_t value);

// The remote search's rule for both ends: an hour below 8 is taken as 8.
LocalTime RemoteSearchTime(LocalTime t);

// The record type character of a record file name (its fourth character);
// 0 when the name is shorter.
char RecordTypeChar(const std::string& fileName);
// Whether a record file passes the record-type boxes.
bool RecordTypeWanted(char typeChar, bool normalWanted, bool alarmWanted);
// Whether the file name's channel-name part (after the time, before the
// extension and any "(n)" copy mark) is exactly this channel name.
bool RecordNameHasChannel(const std::string& fileName, const std::string& channelName);
// Whether a file [created, written] overlaps [begin, end].
bool RecordOverlaps(int64_t created, int64_t written, int64_t begin, int64_t end);
// Whether a date folder created at this time lies in the search's day range
// (whole days of the time_t scale).
bool DateFolderInRange(int64_t created, int64_t begin, int64_t end);
// Where a row of this creation time goes among rows sorted by creation
// time: below the last row not later than it (equal times keep their order).
int SortedInsertIndex(const std::vector<int64_t>& rowTimes, int64_t created);

// Seconds of a record whose header is accepted (magic "RIMF", PAL or NTSC,
// 1..30 frames a second, H.264), 0 otherwise.
bool RecordHeaderAccepted(const RecordFileHeader& h);
uint32_t RecordHeaderSeconds(const RecordFileHeader& h);

// One entry of a search reply that names a record.
struct RemoteRecordEntry {
    uint8_t channel;     // 0-based
    uint8_t number;      // the second number of the file name
    uint32_t begin;      // time_t
    uint32_t end;
    int index;           // the entry's place in the reply
};
// The entries of a reply payload, as far as its length reaches (at most
// 100); entries with a zero time or an end not after the begin are left out.
std::vector<RemoteRecordEntry> ParseRemoteRecordEntries(const uint8_t* payload, size_t size);
// "ch%d-%d-%d%d%d%d%d%d-%d": channel, number, begin (no leading zeros),
// duration in seconds.
std::string RemoteRecordFileName(const RemoteRecordEntry& e, const LocalTime& begin);

// The backup bar's position for count of length bytes (0..1000); lengths
// under 1,000 bytes count in bytes.
int CopyProgress(uint64_t count, uint64_t length);
// The download dialog's rate: kbit/s with the low three bits cleared.
uint32_t DownloadRateKbps(uint32_t bytesThisSecond);

}  // namespace record
