// Live-stream throughput: N simulated devices on loopback addresses, one
// main stream each, through Orvik's exports; at the clip's frame rate or as
// fast as the SDK reads.
//   stream_bench [N] [realtime|full] [seconds] [device|standard]
// Reports delivered units per second, MB/s and the process's CPU seconds
// per delivered MB (the simulated devices run in the same process, so
// their sending is included).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DeviceSimulator.h"
#include "core/Orvik.h"

namespace {

volatile LONG g_units = 0;
volatile LONGLONG g_bytes = 0;

void CALLBACK OnUnit(unsigned char*, int length, int, int, void*) {
    InterlockedIncrement(&g_units);
    InterlockedExchangeAdd64(&g_bytes, length);
}

double CpuSeconds() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto s = [](FILETIME f) {
        return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
    };
    return s(k) + s(u);
}

}  // namespace

int main(int argc, char** argv) {
    int n = argc > 1 ? std::atoi(argv[1]) : 1;
    bool full = argc > 2 && std::strcmp(argv[2], "full") == 0;
    int seconds = argc > 3 ? std::atoi(argv[3]) : 10;
    bool standard = argc > 4 && std::strcmp(argv[4], "standard") == 0;
    if (n < 1 || n > 200 || seconds < 1) {
        std::fprintf(stderr, "usage: stream_bench [N 1-200] [realtime|full] [seconds] [device|standard]\n");
        return 2;
    }
    if (NET_Init() != 1) return 1;
    std::vector<std::unique_ptr<devsim::Simulator>> sims;
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) {
        devsim::Config c;
        c.address = "127.0.6." + std::to_string(i + 2);
        c.mainClip = std::string(SELVANE_TEST_DATA) + "/d1.264";
        c.fullSpeed = full;
        c.mode = standard ? devsim::Packetization::Standard : devsim::Packetization::Device;
        sims.push_back(std::make_unique<devsim::Simulator>(c));
        if (!sims.back()->Start()) {
            std::fprintf(stderr, "cannot start device %s\n", c.address.c_str());
            return 1;
        }
        NET_LOGIN_PARAMS p = {};
        p.address = sims.back()->config().address.c_str();
        p.port = sims.back()->Port();
        ids.push_back(NET_Login(p));
        if (NET_StartRealPlay(ids.back(), 0, OnUnit, nullptr) != 1) {
            std::fprintf(stderr, "stream %d did not start: %d\n", i, NET_GetLastError());
            return 1;
        }
    }
    Sleep(1000);  // past the session set-up
    LONG units0 = g_units;
    LONGLONG bytes0 = g_bytes;
    double cpu0 = CpuSeconds();
    DWORD t0 = GetTickCount();
    Sleep(DWORD(seconds) * 1000);
    double elapsed = (GetTickCount() - t0) / 1000.0;
    double units = g_units - units0;
    double mb = double(g_bytes - bytes0) / (1024.0 * 1024.0);
    double cpu = CpuSeconds() - cpu0;
    for (int id : ids) NET_StopRealPlay(id, 0);
    for (auto& s : sims) s->Stop();
    NET_Cleanup();
    std::printf("streams %d, %s, %s packets: %.0f units/s, %.2f MB/s, %.3f CPU s per MB (%.1f s)\n", n,
                full ? "full speed" : "clip rate", standard ? "standard" : "device", units / elapsed,
                mb / elapsed, mb > 0 ? cpu / mb : 0.0, elapsed);
    return 0;
}
