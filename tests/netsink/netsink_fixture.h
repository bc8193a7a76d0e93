// Shared pieces of the Tarrow tests: a recorder behind the three callbacks,
// bounded waits, free loopback ports and plain Winsock peers.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Tarrow.h"

namespace nstest {

struct Datagram {
    int type, id;
    std::string data;
    sockaddr_in peer;
};

// What the callbacks saw. The callbacks run on the library's threads.
struct Recorder {
    std::mutex m;
    std::condition_variable cv;
    std::map<int, std::string> tcp;      // sink id -> bytes received, in order
    std::map<int, int> types;            // sink id -> type argument seen with its data
    std::vector<int> closes;             // sink ids, in order
    std::vector<std::pair<int, int>> accepts;  // (sink id, listen port)
    std::vector<sockaddr_in> acceptPeers;
    std::vector<Datagram> datagrams;
    std::vector<std::string> log;        // "accept:1000", "data:1000", "close:1000"
    int acceptResult = 1;
    int acceptDelayMs = 0;
    bool echo = false;                   // accepted sinks send back what they get
    int dataDelayMs = 0;                 // slows the data callback down
    int echoFailures = 0;
    // Optional hook run on the event thread (without the recorder lock).
    std::function<void(int type, int id, const char* p, int n)> onData;

    template <class Pred>
    bool WaitFor(Pred pred, int ms) {
        std::unique_lock<std::mutex> l(m);
        return cv.wait_for(l, std::chrono::milliseconds(ms), pred);
    }
};

inline Recorder* g_rec = nullptr;

inline void CALLBACK OnData(int type, int id, const char* p, int n, const sockaddr_in* peer) {
    Recorder* r = g_rec;
    if (!r) return;
    if (r->dataDelayMs) Sleep(DWORD(r->dataDelayMs));
    if (r->onData) r->onData(type, id, p, n);
    bool echo;
    {
        std::lock_guard<std::mutex> l(r->m);
        if (peer) {
            r->datagrams.push_back(Datagram{type, id, std::string(p, size_t(n)), *peer});
        } else {
            r->tcp[id].append(p, size_t(n));
            r->types[id] = type;
        }
        r->log.push_back("data:" + std::to_string(id));
        echo = r->echo && type == NETLIB_TYPE_ACCEPTED;
    }
    if (echo) {
        int e = NETLIB_Send(id, p, n, nullptr);
        if (e) {
            std::lock_guard<std::mutex> l(r->m);
            ++r->echoFailures;
        }
    }
    r->cv.notify_all();
}

inline void CALLBACK OnClose(int type, int id) {
    Recorder* r = g_rec;
    if (!r) return;
    {
        std::lock_guard<std::mutex> l(r->m);
        r->closes.push_back(id);
        r->types[id] = type;
        r->log.push_back("close:" + std::to_string(id));
    }
    r->cv.notify_all();
}

inline int CALLBACK OnAccept(int type, int id, const sockaddr_in* peer, int port) {
    Recorder* r = g_rec;
    if (!r) return 1;
    if (r->acceptDelayMs) Sleep(DWORD(r->acceptDelayMs));
    int result;
    {
        std::lock_guard<std::mutex> l(r->m);
        r->accepts.push_back({id, port});
        r->acceptPeers.push_back(*peer);
        r->log.push_back("accept:" + std::to_string(id));
        result = r->acceptResult;
    }
    r->cv.notify_all();
    return result;
}

struct WinsockUser {
    WinsockUser() {
        WSADATA w;
        WSAStartup(MAKEWORD(2, 2), &w);
    }
    ~WinsockUser() { WSACleanup(); }
};

inline sockaddr_in Loopback(unsigned short port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr("127.0.0.1");
    return a;
}

// A port that nothing on 127.0.0.1 uses at the moment.
inline unsigned short FreePort(int type = SOCK_STREAM) {
    SOCKET s = socket(AF_INET, type, 0);
    sockaddr_in a = Loopback(0);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    closesocket(s);
    return ntohs(a.sin_port);
}

// Deterministic stream content: byte at offset of stream `key`.
inline uint8_t StreamByte(uint32_t key, uint64_t offset) {
    uint32_t x = uint32_t(offset) * 2654435761u ^ (key * 40503u + uint32_t(offset >> 32));
    return uint8_t(x ^ (x >> 13) ^ (x >> 24));
}

inline std::string StreamBytes(uint32_t key, uint64_t offset, size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char(StreamByte(key, offset + i));
    return s;
}

}  // namespace nstest
