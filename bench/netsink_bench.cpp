// Tarrow.dll over 127.0.0.1: one-way TCP throughput of one sink and of 64
// sinks together, against a plain blocking Winsock socket pair in the same
// run, and accepted connections per second.
//   netsink_bench [megabytes]
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "Tarrow.h"

namespace {

std::atomic<long long> g_received{0};
std::atomic<int> g_accepts{0};

void CALLBACK OnData(int, int, const char*, int n, const sockaddr_in*) { g_received += n; }
void CALLBACK OnClose(int, int) {}
int CALLBACK OnAccept(int, int, const sockaddr_in*, int) {
    ++g_accepts;
    return 1;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

unsigned short FreePort() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    closesocket(s);
    return ntohs(a.sin_port);
}

// Sends total bytes spread over the sinks through their queues, waits for
// the accepted side to have them all. MB/s, or -1 on a failure.
double TarrowRun(int sinks, long long total) {
    if (NETLIB_Init(OnData, OnClose, OnAccept, sinks, sinks, 0, 0, 0x40000)) return -1;
    unsigned short port = FreePort();
    if (NETLIB_Listen(port, "127.0.0.1") < 0) return -1;
    std::vector<int> ids;
    for (int i = 0; i < sinks; ++i) {
        int id;
        if (NETLIB_Connect("127.0.0.1", port, 10000, &id)) return -1;
        ids.push_back(id);
    }
    for (int i = 0; i < 1000 && g_accepts < sinks; ++i) Sleep(10);
    g_received = 0;
    std::vector<char> block(16384, 'x');
    long long perSink = total / sinks, queued = 0;
    std::vector<long long> sent(size_t(sinks), 0);
    LARGE_INTEGER t0 = Now();
    while (queued < perSink * sinks) {
        bool any = false;
        for (int i = 0; i < sinks; ++i) {
            long long left = perSink - sent[size_t(i)];
            if (!left) continue;
            int n = int(left < static_cast<long long>(block.size()) ? left : static_cast<long long>(block.size()));
            int r = NETLIB_Send(ids[size_t(i)], block.data(), n, nullptr);
            if (r == 0) {
                sent[size_t(i)] += n;
                queued += n;
                any = true;
            } else if (r != NETLIB_E_QUEUE_FULL) {
                return -1;
            }
        }
        if (!any) Sleep(0);
    }
    DWORD start = GetTickCount();
    while (g_received < queued && GetTickCount() - start < 120000) Sleep(1);
    LARGE_INTEGER t1 = Now();
    bool complete = g_received == queued;
    NETLIB_DeInit();
    g_accepts = 0;
    return complete ? double(queued) / 1e6 / Seconds(t0, t1) : -1;
}

// The same bytes through one blocking socket pair, a thread on each end.
double PlainRun(long long total) {
    SOCKET ls = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    bind(ls, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    getsockname(ls, reinterpret_cast<sockaddr*>(&a), &len);
    listen(ls, 1);
    SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(c, reinterpret_cast<sockaddr*>(&a), sizeof(a))) return -1;
    SOCKET s = accept(ls, nullptr, nullptr);
    closesocket(ls);
    long long got = 0;
    LARGE_INTEGER t0 = Now();
    std::thread reader([&] {
        std::vector<char> buf(0x8000);
        while (got < total) {
            int n = recv(s, buf.data(), int(buf.size()), 0);
            if (n <= 0) break;
            got += n;
        }
    });
    std::vector<char> block(16384, 'x');
    for (long long sent = 0; sent < total;) {
        int n = int(total - sent < static_cast<long long>(block.size()) ? total - sent : static_cast<long long>(block.size()));
        int r = send(c, block.data(), n, 0);
        if (r <= 0) break;
        sent += r;
    }
    reader.join();
    LARGE_INTEGER t1 = Now();
    closesocket(c);
    closesocket(s);
    return got == total ? double(total) / 1e6 / Seconds(t0, t1) : -1;
}

double AcceptRun(int count) {
    if (NETLIB_Init(OnData, OnClose, OnAccept, 0, 63, 0, 0, 0)) return -1;
    unsigned short port = FreePort();
    if (NETLIB_Listen(port, "127.0.0.1") < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    g_accepts = 0;
    LARGE_INTEGER t0 = Now();
    for (int i = 0; i < count; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a))) return -1;
        // Wait for the accept, then close: the slot frees on FD_CLOSE.
        DWORD start = GetTickCount();
        while (g_accepts <= i && GetTickCount() - start < 10000) Sleep(0);
        closesocket(s);
    }
    LARGE_INTEGER t1 = Now();
    int accepted = g_accepts;
    NETLIB_DeInit();
    return accepted == count ? count / Seconds(t0, t1) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    long long mb = argc > 1 ? atoll(argv[1]) : 64;
    long long total = mb * 1000000;
    WSADATA w;
    WSAStartup(MAKEWORD(2, 2), &w);
    double plain = PlainRun(total);
    double one = TarrowRun(1, total);
    double many = TarrowRun(64, total);
    double accepts = AcceptRun(500);
    std::printf("plain blocking socket pair: %8.1f MB/s\n", plain);
    std::printf("Tarrow, 1 sink:             %8.1f MB/s  (%.2f of plain)\n", one, one / plain);
    std::printf("Tarrow, 64 sinks together:  %8.1f MB/s  (%.2f of plain)\n", many, many / plain);
    std::printf("Tarrow accepts:             %8.0f per second\n", accepts);
    WSACleanup();
    return plain > 0 && one > 0 && many > 0 && accepts > 0 ? 0 : 1;
}
