// Test fixture of the record writer: record frames that name their channel
// and number, a parser of record files, file writes that fail on script, and
// a fake main dialog whose drives P:, Q: and R: are sub-folders of a
// temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "FrameQueue.h"
#include "RecordWriter.h"

namespace writertest {

using namespace record;
namespace fs = std::filesystem;

inline fs::path TempFolder(const char* name) {
    fs::path p = fs::temp_directory_path() / ("selvane_writer_" + std::string(name));
    std::error_code ec;
    fs::remove_all(p, ec);
    fs::create_directories(p);
    return p;
}

inline std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A record frame of one channel: its video is a start code, an SPS or slice
// NAL header, the channel and the sequence number, then filler; audio of
// audioLen bytes follows.
inline std::vector<uint8_t> MakeFrame(int channel, uint32_t seq, bool key, uint32_t videoLen = 200,
                               uint32_t audioLen = 0) {
    std::vector<uint8_t> f(24 + videoLen + audioLen);
    RecordFrameHeader h{kRecordFrameSync, key ? 1u : 0u, videoLen, audioLen, 0, kAudioPcma, {0, 0, 0}};
    StoreRecordFrameHeader(h, f.data());
    const uint8_t sc[5] = {0, 0, 0, 1, uint8_t(key ? 0x67 : 0x41)};
    std::memcpy(&f[24], sc, 5);
    std::memcpy(&f[29], &channel, 4);
    std::memcpy(&f[33], &seq, 4);
    for (size_t i = 37; i < f.size(); ++i) f[i] = uint8_t(seq + i);
    return f;
}

struct ParsedFrame {
    RecordFrameHeader h;
    int channel;
    uint32_t seq;
    size_t offset;  // of the frame header in the file
};

// Every whole frame of a record file, in order; stops at the first torn one.
inline std::vector<ParsedFrame> ParseFile(const std::vector<uint8_t>& bytes, RecordFileHeader* header = nullptr) {
    std::vector<ParsedFrame> out;
    if (bytes.size() < 32) return out;
    if (header) *header = LoadRecordFileHeader(bytes.data());
    size_t at = 32;
    while (at + 24 <= bytes.size()) {
        RecordFrameHeader h = LoadRecordFrameHeader(&bytes[at]);
        if (!IsValidRecordFrameHeader(h) || at + 24 + h.videoLength + h.audioLength > bytes.size()) break;
        ParsedFrame p{h, 0, 0, at};
        std::memcpy(&p.channel, &bytes[at + 29], 4);
        std::memcpy(&p.seq, &bytes[at + 33], 4);
        out.push_back(p);
        at += 24 + h.videoLength + h.audioLength;
    }
    return out;
}

// What the writer's file writes do: pass, fail, or write only half.
enum class WriteStep { Pass, Fail, Short };

struct WriteScript {
    std::mutex lock;
    std::deque<WriteStep> steps;  // for frame writes, in order; then Pass
    bool failHeader = false;
    WriteStep Next() {
        std::lock_guard<std::mutex> hold(lock);
        if (steps.empty()) return WriteStep::Pass;
        WriteStep s = steps.front();
        steps.pop_front();
        return s;
    }
};

class ScriptedSink : public IRecordFileSink {
public:
    ScriptedSink(std::unique_ptr<IRecordFileSink> real, WriteScript& script) : real_(std::move(real)), script_(script) {}
    long Append(const uint8_t* data, uint32_t n) override {
        if (first_) {
            first_ = false;
            if (script_.failHeader) return -1;
            return real_->Append(data, n);
        }
        switch (script_.Next()) {
        case WriteStep::Fail: return -1;
        case WriteStep::Short: return real_->Append(data, n / 2);
        default: return real_->Append(data, n);
        }
    }
    bool RewriteStart(const uint8_t* d, uint32_t n) override { return real_->RewriteStart(d, n); }
    bool Truncate(uint64_t size) override { return real_->Truncate(size); }
    bool Flush() override { return real_->Flush(); }
    bool Close() override { return real_->Close(); }

private:
    std::unique_ptr<IRecordFileSink> real_;
    WriteScript& script_;
    bool first_ = true;
};

// The main dialog as the writer sees it: drives are sub-folders "P", "Q"
// and "R" of a temporary folder, each file path begins with its drive.
class FakeHost : public IRecordHost {
public:
    explicit FakeHost(fs::path folder, int channels = 4) : folder_(std::move(folder)), channels_(channels) {
        for (const char* d : {"P", "Q", "R"}) fs::create_directories(folder_ / d);
    }
    int ChannelCount() override { return channels_; }
    bool GetChannel(int slot, RecordChannelInfo& out) override {
        if (noDevice.count(slot)) return false;
        out.address = "10.1.2.3";
        out.channelIndex = slot;
        out.hasChannelName = !noChannelBlock.count(slot);
        out.channelName = out.hasChannelName ? "Gate" : "";
        out.videoStandard = videoStandard;
        return true;
    }
    bool EnsureStreamStarted(int slot) override {
        if (streamFails.count(slot)) return false;
        return !startStream || startStream(slot);
    }
    void SetRecordingFlag(int slot, bool on) override { recordingFlag[slot] = on; }
    void ResetVideoFrameCounter(int) override {}
    void SendStreamStarted(int slot) override { ++notices[slot]; }
    void UpdateRecordMark(int slot, bool fromWriter) override {
        std::lock_guard<std::mutex> hold(lock);
        marks.push_back({slot, fromWriter});
    }
    void ShowRecordState(int slot, bool on, bool fromWriter) override {
        std::lock_guard<std::mutex> hold(lock);
        states.push_back({slot, on, fromWriter});
    }
    void LocalLog(const std::string& line) override {
        std::lock_guard<std::mutex> hold(lock);
        log.push_back(line);
    }
    void AddDiskErrorRow(int slot, const std::string& root, const std::string& path, const std::string& error) override {
        std::lock_guard<std::mutex> hold(lock);
        diskErrors.push_back({slot, root, path, error});
    }
    void AddChannelBytes(int slot, uint32_t bytes) override { channelBytes[slot] += bytes; }
    std::string Translate(const char* english) override { return english; }
    uint32_t TickMs() override { return tick; }
    std::string MakeRecordFilePath(const std::string&, int channelIndex, const std::string& channelName,
                                   int recordType) override {
        std::lock_guard<std::mutex> hold(lock);
        names.push_back(channelName);
        for (const char* d : {"P", "Q", "R"}) {
            if (failedDrives.count(std::string(d) + ":\\")) continue;
            return std::string(d) + ":\\" + std::to_string(channelIndex) + "-" + std::to_string(recordType) + "-" +
                   std::to_string(++serial) + ".264";
        }
        return "";
    }
    bool CleanUpRecordDisk() override { return false; }
    void MarkDriveFailed(const std::string& root) override {
        std::lock_guard<std::mutex> hold(lock);
        failedRoots.push_back(root);
        failedDrives.insert(root);
    }
    // Where a path on one of the fake drives lives.
    std::string RealPath(const std::string& path) const {
        return (folder_ / path.substr(0, 1) / path.substr(3)).string();
    }

    struct Mark { int slot; bool fromWriter; };
    struct State { int slot; bool on; bool fromWriter; };
    struct DiskError { int slot; std::string root, path, error; };
    std::mutex lock;
    std::vector<Mark> marks;
    std::vector<State> states;
    std::vector<std::string> log, names, failedRoots;
    std::vector<DiskError> diskErrors;
    std::set<std::string> failedDrives;
    std::set<int> noDevice, noChannelBlock, streamFails;
    std::function<bool(int slot)> startStream;  // the main stream's start, when the test has one
    std::map<int, bool> recordingFlag;
    std::map<int, int> notices;
    std::atomic<uint64_t> channelBytes[kRecordChannels] = {};
    std::atomic<uint32_t> tick{1000};
    uint32_t videoStandard = 0;

private:
    fs::path folder_;
    int channels_;
    int serial = 0;
};

template <class F>
bool WaitFor(F cond, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > end) return cond();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

struct Rig {
    explicit Rig(const char* name, int channels = 4)
        : host(TempFolder(name), channels), queue(kRecordChannels),
          writer(queue, host, Options()) {}
    RecordWriterOptions Options() {
        RecordWriterOptions o;
        o.openFile = [this](const std::string& path) -> std::unique_ptr<IRecordFileSink> {
            auto real = CreateRecordFileSink(host.RealPath(path));
            if (!real) return nullptr;
            return std::unique_ptr<IRecordFileSink>(new ScriptedSink(std::move(real), script));
        };
        return o;
    }
    // Puts a frame and wakes the writer as the stream path does.
    void Feed(int slot, uint32_t seq, bool key, uint32_t videoLen = 200, uint32_t audioLen = 0) {
        auto f = MakeFrame(slot, seq, key, videoLen, audioLen);
        ASSERT_TRUE(queue.Put(slot, f.data()));
        if (queue.IsRecording(slot)) writer.Signal(slot);
    }
    std::vector<uint8_t> Read(const std::string& path) { return ReadAll(host.RealPath(path)); }
    bool WaitFrames(int slot, uint32_t frames) {
        return WaitFor([&] { return writer.FileState(slot).frameCount >= frames; }, 10000);
    }
    WriteScript script;
    FakeHost host;
    CFrameQueue queue;
    CRecordWriter writer;
};

}  // namespace writertest
