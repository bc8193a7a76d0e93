// Live view in many monitor windows at once: N windows (1, 4, 16, 36 by
// default) of a 1024 x 704 video area split as the client splits it, each
// showing a sub stream (352 x 288, 25 fps) of a simulated device through
// its own play handle, as the client's stream callbacks feed them.
//   live_windows_bench [seconds] [N...]
// Reports pictures decoded and drawn per second per window and the
// process's CPU seconds per window-second (the simulated device runs in the
// same process, so its sending is included).
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "DeviceSimulator.h"
#include "core/Orvik.h"
#include "media/SDKObjectManager.h"

namespace {

struct Window {
    HWND hwnd = nullptr;
    std::atomic<int> handle{0};
};

void CALLBACK OnSub(unsigned char* data, int length, int type, int, void* user) {
    auto* w = static_cast<Window*>(user);
    if (type == NET_STREAM_AUDIO || length <= 0) return;
    int h = w->handle;
    if (h > 0) NET_PlayVideoStream(h, data, length);
}

double CpuSeconds() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto s = [](FILETIME f) { return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7; };
    return s(k) + s(u);
}

void Pump(DWORD ms) {
    DWORD t0 = GetTickCount();
    while (GetTickCount() - t0 < ms) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(10);
    }
}

// A device has at most 32 channels: windows past the 32nd use a second one.
int Run(int n, int seconds, const int loginIds[2], HWND parent) {
    const int cols = int(std::ceil(std::sqrt(double(n))));
    const int rows = (n + cols - 1) / cols;
    const int cw = 1024 / cols, ch = 704 / rows;
    std::vector<std::unique_ptr<Window>> wins;
    for (int i = 0; i < n; ++i) {
        auto w = std::make_unique<Window>();
        w->hwnd = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, (i % cols) * cw, (i / cols) * ch + 16,
                                  cw - 1, ch - 17, parent, nullptr, nullptr, nullptr);
        w->handle = NET_CreateRealPlayHandle(w->hwnd);
        if (w->handle <= 0 || NET_StartSubStream(loginIds[i / 32], i % 32, OnSub, w.get()) != 1) {
            std::fprintf(stderr, "window %d: no handle or stream (%d)\n", i, NET_GetLastError());
            return 1;
        }
        wins.push_back(std::move(w));
    }
    Pump(5000);   // past the sessions' set-up and the first key pictures
    std::vector<long> d0;
    for (auto& w : wins) d0.push_back(SdkObjects().DecodedUnits(w->handle));
    const double cpu0 = CpuSeconds();
    const DWORD t0 = GetTickCount();
    Pump(DWORD(seconds) * 1000);
    const double elapsed = (GetTickCount() - t0) / 1000.0;
    const double cpu = CpuSeconds() - cpu0;
    long pictures = 0, least = -1;
    for (size_t i = 0; i < wins.size(); ++i) {
        long d = SdkObjects().DecodedUnits(wins[i]->handle) - d0[i];
        pictures += d;
        least = least < 0 ? d : std::min(least, d);
    }
    for (int i = 0; i < n; ++i) {
        NET_StopSubStream(loginIds[i / 32], i % 32);
        int h = wins[size_t(i)]->handle.exchange(0);
        NET_CloseRealPlayHandle(h);
        DestroyWindow(wins[size_t(i)]->hwnd);
    }
    std::printf("windows %2d: %.1f pictures/s per window (slowest %.1f), %.3f CPU s per window-second (%.1f s)\n", n,
                pictures / elapsed / n, least / elapsed, cpu / (elapsed * n), elapsed);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    std::vector<int> counts;
    for (int i = 2; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
    if (counts.empty()) counts = {1, 4, 16, 36};
    if (seconds < 1) return 2;
    for (int n : counts)
        if (n < 1 || n > 36) {
            std::fprintf(stderr, "usage: live_windows_bench [seconds] [N 1-36 ...]\n");
            return 2;
        }
    if (NET_Init() != 1) return 1;
    std::unique_ptr<devsim::Simulator> sims[2];
    int ids[2] = {};
    for (int d = 0; d < 2; ++d) {
        devsim::Config c;
        c.address = d == 0 ? "127.0.26.9" : "127.0.26.10";
        c.mainClip = std::string(SELVANE_TEST_DATA) + "/cif_noaud.264";
        c.subClip = c.mainClip;
        sims[d] = std::make_unique<devsim::Simulator>(c);
        if (!sims[d]->Start()) return 1;
        NET_LOGIN_PARAMS p = {};
        p.address = sims[d]->config().address.c_str();
        p.port = sims[d]->Port();
        ids[d] = NET_Login(p);
    }
    HWND parent = CreateWindowExA(0, "STATIC", "live windows", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1024,
                                  720, nullptr, nullptr, nullptr, nullptr);
    int rc = ids[0] > 0 && ids[1] > 0 && parent ? 0 : 1;
    for (int n : counts)
        if (rc == 0) rc = Run(n, seconds, ids, parent);
    for (int d = 0; d < 2; ++d) {
        NET_LogOut(ids[d]);
        sims[d]->Stop();
    }
    NET_Cleanup();
    DestroyWindow(parent);
    return rc;
}
