// Record disks: which local drive takes a new record file, its folders and
// name, and making room by deleting the oldest date folders of recordings.
//
// What the shell provides (clock, free space, drive list, local log,
// translation, the program folder) comes in through RecordDiskSeams; an
// empty seam falls back to the system's own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "RecordFormat.h"

namespace record {

constexpr uint32_t kRecordDiskMinFreeMB = 500;   // a drive takes a new file above this
constexpr uint32_t kRecordDiskCloseFreeMB = 200; // a running file is closed below this

// Free bytes available to the caller on the drive, in MiB rounded down; 0
// when the query fails.
uint32_t GetDiskFreeMB(const char* root);

struct RecordDiskSeams {
    std::function<uint32_t()> logicalDrives;                   // bit n: drive 'A' + n present
    std::function<uint32_t(const std::string& root)> freeMB;   // "C:\" -> MiB free
    std::function<LocalTime()> now;                            // local time
    std::function<void(const std::string& line)> localLog;     // the "Local Log Info" list
    std::function<bool(const std::string& path)> saveLocalLog; // the whole list into a file
    std::function<std::string(const char* english)> translate;
    std::string appDir;                                        // program folder, trailing '\'
};

struct RecordFolderEntry {
    std::string root;         // "C:\"
    std::string name;         // "20261209"
    std::string path;         // "C:\TQX RecordData\20261209"
    uint64_t creationTime;    // FILETIME ticks
};

// Removes a folder and everything below it. Read-only and system files are
// retried after clearing those attributes; failures go to log with the
// system's error code. Links inside are removed, never followed. TRUE when
// the folder itself is gone.
bool DeleteFolderTree(const std::string& path, const std::function<void(const std::string&)>& log,
                      const std::function<std::string(const char*)>& translate);

class CRecordDisks {
public:
    explicit CRecordDisks(RecordDiskSeams seams = RecordDiskSeams());

    // Corvel.ini [General] SubMonRecDisk: bit n allows drive 'A' + n.
    void SetRecordDiskMask(uint32_t mask) { recordDiskMask_ = mask; }
    uint32_t RecordDiskMask() const { return recordDiskMask_; }

    // The record writer gives up a drive after repeated write errors; it is
    // not used again while the client runs. Safe from any thread.
    void MarkDriveFailed(const std::string& root);
    uint32_t FailedDiskMask() const { return failedDiskMask_.load(); }

    // Drives C: to Y: present, allowed and not failed.
    uint32_t CandidateDrives() const;

    // The full path of a new record file on the first candidate drive with
    // more than 500 MiB free, its folders created. FALSE and an empty path
    // when no drive has room or the arguments are bad.
    bool MakeRecordFilePath(std::string& path, const std::string& address, int channelIndex,
                            const std::string& channelName, int recordType);

    // Every date folder on the candidate drives, oldest first.
    std::vector<RecordFolderEntry> FindRecordFolders() const;

    // Deletes date folders, oldest first, until a drive has more than 500 MiB
    // free: TRUE then; FALSE when the folders ran out.
    bool CleanUpRecordDisk();

private:
    uint32_t LogicalDrives() const;
    uint32_t FreeMB(const std::string& root) const;
    LocalTime Now() const;
    void Log(const std::string& line) const;
    std::string Tr(const char* english) const;

    RecordDiskSeams seams_;
    uint32_t recordDiskMask_ = 0xFFFFFFFF;
    std::atomic<uint32_t> failedDiskMask_{0};
};

}  // namespace record
