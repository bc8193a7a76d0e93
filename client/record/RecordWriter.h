// Channel recording: the open record file of each of the 64 channel slots,
// starting and stopping a recording, and the record writer thread that
// appends the frames the channels' rings release to their files.
//
// The main dialog owns one CRecordWriter. What the writer needs of the main
// dialog and the rest of the client (channel slots, the stream start, the
// disks, the status bar and device tree, the logs, the clock) it asks for
// through IRecordHost; files are opened through a seam as well, so tests can
// make writes fail.
//
// Threads: StartRecord and StopRecord run on the UI thread; the writer runs
// on its own thread; Signal is called on the stream threads. The record lock
// guards the open files and the recording flags and is taken before the
// queue's locks. The writer never calls into a window: every host call it
// makes comes with fromWriter = true, and the host posts what it shows.
//
// Portable: no Windows headers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "FrameQueue.h"
#include "RecordFile.h"
#include "RecordFormat.h"

namespace record {

// What a channel slot tells about its device and channel.
struct RecordChannelInfo {
    std::string address;          // the device's "IP or Domain" text
    int channelIndex = 0;         // within the device, from 0
    bool hasChannelName = false;  // false: the device has no channel block for it
    std::string channelName;
    uint32_t videoStandard = 0;   // device information: 0 PAL, non-zero NTSC
};

class IRecordHost {
public:
    virtual ~IRecordHost() = default;
    // Channel slots in use; only slots below it record.
    virtual int ChannelCount() = 0;
    // False when the slot has no device record.
    virtual bool GetChannel(int slot, RecordChannelInfo& out) = 0;
    // Starts the slot's main stream unless it runs already; false when it
    // cannot be started.
    virtual bool EnsureStreamStarted(int slot) = 0;
    // The slot's recording flag, read by the stream path.
    virtual void SetRecordingFlag(int slot, bool on) = 0;
    virtual void ResetVideoFrameCounter(int slot) = 0;
    // The stream-started notice to the device (main stream).
    virtual void SendStreamStarted(int slot) = 0;

    // The device tree's and the monitor window's record mark, and the status
    // bar's record state. fromWriter: called on the writer thread with the
    // record lock held; the host must post, never send.
    virtual void UpdateRecordMark(int slot, bool fromWriter) = 0;
    virtual void ShowRecordState(int slot, bool recording, bool fromWriter) = 0;

    virtual void LocalLog(const std::string& line) = 0;
    virtual void AddDiskErrorRow(int slot, const std::string& root, const std::string& path,
                                 const std::string& error) = 0;
    virtual void AddChannelBytes(int slot, uint32_t bytes) = 0;
    virtual std::string Translate(const char* english) = 0;
    virtual uint32_t TickMs() = 0;

    // Record disks: a new file's path (empty: no drive has room), making
    // room, and giving up a drive after write errors.
    virtual std::string MakeRecordFilePath(const std::string& address, int channelIndex,
                                           const std::string& channelName, int recordType) = 0;
    virtual bool CleanUpRecordDisk() = 0;
    virtual void MarkDriveFailed(const std::string& root) = 0;
};

struct RecordWriterOptions {
    std::function<std::unique_ptr<IRecordFileSink>(const std::string& path)> openFile;  // default: CreateRecordFileSink
    std::function<void()> onWriterThreadStart;  // default: RaiseCurrentThreadPriority
};

constexpr int kWriteErrorLimit = 10;      // consecutive errors that give up a drive
constexpr uint32_t kRecordLoopExit = 1002;

// What a channel's open file looks like, for callers that show it and for tests.
struct RecordFileState {
    bool open = false;
    int recordType = 0;
    uint32_t startTick = 0;   // the host's tick when the file began
    std::string path;
    std::string root;
    uint64_t bytesWritten = 0;
    uint32_t frameCount = 0;
    uint32_t writeErrors = 0;
};

class CRecordWriter {
public:
    CRecordWriter(CFrameQueue& queue, IRecordHost& host, RecordWriterOptions options = RecordWriterOptions());
    ~CRecordWriter();
    CRecordWriter(const CRecordWriter&) = delete;
    CRecordWriter& operator=(const CRecordWriter&) = delete;

    // TRUE when the channel records afterwards (also when it already did).
    bool StartRecord(int slot, int recordType, int preFrames);
    // Completes the file's header and closes it. fromWriter: see IRecordHost.
    void StopRecord(int slot, bool fromWriter = false);

    // The slot's record event: frames are waiting. Any thread.
    void Signal(int slot);

    // The writer thread: started once, stopped at shutdown (stop flag, a
    // signal, then up to timeoutMs for it to leave). Stop returns false when
    // it did not leave in time.
    bool StartThread();
    bool StopThread(uint32_t timeoutMs = 5000);
    // The thread's body; returns kRecordLoopExit when the stop flag ends it.
    uint32_t RecordLoop();

    // The record lock (re-entrant), for the main dialog's channel-table
    // rebuild.
    std::recursive_mutex& Lock() { return lock_; }

    bool IsRecording(int slot) const;
    RecordFileState FileState(int slot) const;

private:
    struct ChannelRecordFile {
        std::unique_ptr<IRecordFileSink> file;
        bool recording = false;
        int recordType = 0;
        uint32_t startTick = 0;
        uint64_t bytesWritten = 0;
        uint32_t frameNumber = 0;
        uint32_t writeErrors = 0;
        std::string root;
        std::string path;
        RecordFileHeader header{};
    };

    bool ValidSlot(int slot) const { return slot >= 0 && slot < kRecordChannels; }
    // Takes one frame of the slot and writes it; false when none was waiting.
    bool WriteNextFrame(int slot);
    void OnWriteError(int slot, ChannelRecordFile& f);
    std::string Tr(const char* english) { return host_.Translate(english); }

    CFrameQueue& queue_;
    IRecordHost& host_;
    RecordWriterOptions options_;
    mutable std::recursive_mutex lock_;
    ChannelRecordFile files_[kRecordChannels];
    CTakenFrame frame_;  // the writer's copy of the frame being written

    std::mutex eventLock_;
    std::condition_variable eventCv_;
    uint64_t signalled_ = 0;  // bit n: slot n's record event
    std::atomic<bool> stop_{false};

    std::thread thread_;
    std::mutex exitLock_;
    std::condition_variable exitCv_;
    bool exited_ = false;
};

}  // namespace record
