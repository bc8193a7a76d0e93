// The record writer under the full load: 64 channels at 25 frames per
// second and 8 Mbit/s each, recorded into a temporary folder. Prints the
// rate written, the frames lost (taken by nobody before they were
// overwritten, or never written) and the writer thread's CPU seconds per GB.
//   record_writer_bench [seconds, default 10] [folder, default the temp folder]
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "FrameQueue.h"
#include "RecordWriter.h"

using namespace record;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kFps = 25;
constexpr uint32_t kFrameBytes = 8000000 / 8 / kFps;  // 8 Mbit/s

class BenchHost : public IRecordHost {
public:
    explicit BenchHost(std::string folder) : folder_(std::move(folder)) {}
    int ChannelCount() override { return kRecordChannels; }
    bool GetChannel(int slot, RecordChannelInfo& out) override {
        out.address = "bench";
        out.channelIndex = slot;
        out.hasChannelName = true;
        out.channelName = "Bench";
        return true;
    }
    bool EnsureStreamStarted(int) override { return true; }
    void SetRecordingFlag(int, bool) override {}
    void ResetVideoFrameCounter(int) override {}
    void SendStreamStarted(int) override {}
    void UpdateRecordMark(int, bool) override {}
    void ShowRecordState(int, bool, bool) override {}
    void LocalLog(const std::string& line) override { std::printf("log: %s\n", line.c_str()); }
    void AddDiskErrorRow(int slot, const std::string&, const std::string&, const std::string& error) override {
        std::printf("disk error, channel %d: %s\n", slot + 1, error.c_str());
    }
    void AddChannelBytes(int, uint32_t) override {}
    std::string Translate(const char* english) override { return english; }
    uint32_t TickMs() override { return GetTickCount(); }
    std::string MakeRecordFilePath(const std::string&, int channelIndex, const std::string&, int) override {
        return folder_ + "\\bench-" + std::to_string(channelIndex + 1) + ".264";
    }
    bool CleanUpRecordDisk() override { return false; }
    void MarkDriveFailed(const std::string&) override {}

private:
    std::string folder_;
};

std::vector<uint8_t> Frame(bool key) {
    std::vector<uint8_t> f(kFrameBytes, 0x5A);
    RecordFrameHeader h{kRecordFrameSync, key ? 1u : 0u, kFrameBytes - 24, 0, 0, 0, {0, 0, 0}};
    StoreRecordFrameHeader(h, f.data());
    return f;
}

double ThreadCpuSeconds(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    auto s = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
    return s(kernel) + s(user);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
    std::string folder;
    if (argc > 2) {
        folder = argv[2];
    } else {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        folder = std::string(tmp) + "selvane_writer_bench";
    }
    CreateDirectoryA(folder.c_str(), nullptr);

    CFrameQueue queue(kRecordChannels);
    BenchHost host(folder);
    std::atomic<HANDLE> writerThread{nullptr};
    RecordWriterOptions options;
    options.onWriterThreadStart = [&] {
        RaiseCurrentThreadPriority();
        HANDLE h = nullptr;
        DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &h, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
        writerThread = h;
    };
    CRecordWriter writer(queue, host, options);
    writer.StartThread();
    const std::vector<uint8_t> key = Frame(true), other = Frame(false);
    for (int c = 0; c < kRecordChannels; ++c) {
        queue.Put(c, key.data());
        if (!writer.StartRecord(c, kRecordNormal, 0)) {
            std::printf("channel %d: recording does not start in %s\n", c + 1, folder.c_str());
            return 1;
        }
    }

    // Four stream threads of 16 channels each, paced at 25 frames per second.
    std::atomic<uint64_t> put{kRecordChannels};
    std::vector<std::thread> producers;
    const auto t0 = Clock::now();
    const auto end = t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (int t = 0; t < 4; ++t)
        producers.emplace_back([&, t] {
            for (int n = 1;; ++n) {
                auto due = t0 + std::chrono::milliseconds(n * 1000 / kFps);
                if (due >= end) break;
                std::this_thread::sleep_until(due);
                for (int c = t; c < kRecordChannels; c += 4) {
                    queue.Put(c, (n % kFps == 0 ? key : other).data());
                    writer.Signal(c);
                    ++put;
                }
            }
        });
    for (auto& p : producers) p.join();
    // Let the writer finish what is queued (bounded).
    for (int i = 0; i < 1000; ++i) {
        uint32_t pending = 0;
        for (int c = 0; c < kRecordChannels; ++c) pending += queue.PendingFrames(c);
        if (!pending) break;
        Sleep(10);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    uint64_t written = 0, bytes = 0, lost = 0;
    for (int c = 0; c < kRecordChannels; ++c) {
        RecordFileState s = writer.FileState(c);
        written += s.frameCount;
        bytes += s.bytesWritten;
        lost += queue.LostFrames(c);
    }
    const double cpu = ThreadCpuSeconds(writerThread.load());
    for (int c = 0; c < kRecordChannels; ++c) writer.StopRecord(c);
    writer.StopThread();
    if (writerThread.load()) CloseHandle(writerThread.load());
    for (int c = 0; c < kRecordChannels; ++c)
        DeleteFileA((folder + "\\bench-" + std::to_string(c + 1) + ".264").c_str());
    RemoveDirectoryA(folder.c_str());

    std::printf("64 channels x 25 fps x %u B (8 Mbit/s) for %.1f s\n", kFrameBytes, elapsed);
    std::printf("written: %.1f MB/s, %llu of %llu frames\n", bytes / elapsed / 1e6, (unsigned long long)written,
                (unsigned long long)put.load());
    std::printf("frames lost: %llu (overwritten before taken: %llu)\n",
                (unsigned long long)(put.load() - written), (unsigned long long)lost);
    std::printf("writer CPU: %.2f s, %.2f s per GB\n", cpu, bytes ? cpu / (bytes / 1e9) : 0.0);
    return put.load() == written ? 0 : 2;
}
