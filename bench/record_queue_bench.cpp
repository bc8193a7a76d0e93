// Record frame queue throughput: Put alone on 64 channels for several frame
// sizes, then the largest load that the queue and one writer thread writing
// to a temporary folder carry without losing a frame.
//   record_queue_bench [seconds per load step, default 3]
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FrameQueue.h"

using namespace record;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<uint8_t> Frame(uint32_t size, bool key) {
    std::vector<uint8_t> f(size, 0x5A);
    RecordFrameHeader h{kRecordFrameSync, key ? 1u : 0u, size - 24, 0, 0, 0, {0, 0, 0}};
    StoreRecordFrameHeader(h, f.data());
    return f;
}

void PutThroughput(CFrameQueue& q, uint32_t size) {
    std::vector<uint8_t> f = Frame(size, false);
    const int frames = int(std::max<uint64_t>(2000, (1200ull << 20) / size));
    auto t0 = Clock::now();
    for (int i = 0; i < frames; ++i)
        q.Put(i % kRecordChannels, f.data());
    double s = std::chrono::duration<double>(Clock::now() - t0).count();
    std::printf("put  %6u B frames, 64 channels: %9.0f frames/s %8.1f MB/s\n", size, frames / s,
                frames * double(size) / s / 1e6);
}

struct Step {
    uint32_t size;
    int fps;
};

// Producers at fps per channel on 64 channels; one writer appends every frame
// it takes to the channel's file. Returns the frames lost.
uint64_t SustainedLoad(const Step& step, double seconds, const std::string& dir, double* mbps) {
    CFrameQueue q(kRecordChannels);
    std::vector<HANDLE> files(kRecordChannels);
    for (int ch = 0; ch < kRecordChannels; ++ch) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%s\\%02d.264", dir.c_str(), ch + 1);
        files[ch] = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        q.StartRecord(ch, 0);
    }
    std::atomic<bool> producing{true};
    const auto start = Clock::now();
    const auto run = std::chrono::duration<double>(seconds);
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p) {
        producers.emplace_back([&, p] {
            std::vector<uint8_t> key = Frame(step.size, true), plain = Frame(step.size, false);
            const auto period = std::chrono::duration<double>(1.0 / step.fps);
            for (int tick = 0; Clock::now() - start < run; ++tick) {
                std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(period * tick));
                for (int ch = p; ch < kRecordChannels; ch += 4)
                    q.Put(ch, (tick % 25 == 0 ? key : plain).data());
            }
        });
    }
    uint64_t bytes = 0;
    std::thread writer([&] {
        CTakenFrame t;
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        for (;;) {
            bool any = false;
            for (int ch = 0; ch < kRecordChannels; ++ch) {
                while (q.Take(ch, t)) {
                    DWORD n;
                    WriteFile(files[ch], t.Data(), t.Size(), &n, nullptr);
                    bytes += n;
                    any = true;
                }
            }
            if (!any) {
                if (!producing)
                    break;
                Sleep(1);
            }
        }
    });
    for (auto& th : producers)
        th.join();
    producing = false;
    writer.join();
    double s = std::chrono::duration<double>(Clock::now() - start).count();
    *mbps = bytes / s / 1e6;
    uint64_t lost = 0;
    for (int ch = 0; ch < kRecordChannels; ++ch) {
        lost += q.LostFrames(ch);
        CloseHandle(files[ch]);
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%s\\%02d.264", dir.c_str(), ch + 1);
        DeleteFileA(name);
    }
    return lost;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    {
        CFrameQueue q(kRecordChannels);
        for (uint32_t size : {16u << 10, 32u << 10, 64u << 10, 100u << 10, 200u << 10})
            PutThroughput(q, size);
    }
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string dir = std::string(tmp) + "selvane_record_bench";
    CreateDirectoryA(dir.c_str(), nullptr);
    const Step steps[] = {{16 << 10, 25}, {32 << 10, 25}, {64 << 10, 25}, {100 << 10, 25},
                          {200 << 10, 25}, {200 << 10, 50}, {200 << 10, 100}};
    Step best{0, 0};
    for (const Step& s : steps) {
        double mbps = 0;
        uint64_t lost = SustainedLoad(s, seconds, dir, &mbps);
        double offered = 64.0 * s.fps * s.size / 1e6;
        std::printf("load 64 ch x %3d fps x %6u B = %7.1f MB/s offered: written %7.1f MB/s, lost %llu\n",
                    s.fps, s.size, offered, mbps, (unsigned long long)lost);
        if (lost == 0)
            best = s;
        else
            break;
    }
    RemoveDirectoryA(dir.c_str());
    if (best.size)
        std::printf("largest sustained load without loss: 64 ch x %d fps x %u B = %.1f MB/s\n", best.fps,
                    best.size, 64.0 * best.fps * best.size / 1e6);
    else
        std::printf("every load step lost frames\n");
    return 0;
}
