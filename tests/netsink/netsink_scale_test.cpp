// 500 client sinks at once, spread over several event threads of the client
// and accept managers, each echoing a checksummed stream through an accepted
// sink for a few seconds: nothing lost, duplicated or reordered.
#include <atomic>
#include <cstdlib>
#include <memory>

#include "netsink_fixture.h"

using namespace nstest;

namespace {

constexpr int kSinks = 500;
constexpr int kBlock = 1500;
constexpr int kWindow = 6000;  // bytes in flight per sink: the echo ring never fills

struct Stream {
    std::atomic<uint64_t> sent{0}, received{0};
    std::atomic<int> mismatches{0};
};
Stream* g_streams = nullptr;
std::atomic<uint64_t> g_echoed{0};

void CALLBACK Data(int type, int id, const char* p, int n, const sockaddr_in*) {
    if (type == NETLIB_TYPE_ACCEPTED) {
        if (NETLIB_Send(id, p, n, nullptr) != 0) ++g_streams[0].mismatches;  // counted as a fault
        g_echoed += uint64_t(n);
        return;
    }
    Stream& s = g_streams[id - NETLIB_CLIENT_BASE];
    uint64_t off = s.received;
    for (int i = 0; i < n; ++i)
        if (uint8_t(p[i]) != StreamByte(uint32_t(id), off + uint64_t(i))) {
            ++s.mismatches;
            break;
        }
    s.received = off + uint64_t(n);
}
void CALLBACK Close(int, int) {}
int CALLBACK Accept(int, int, const sockaddr_in*, int) { return 1; }

}  // namespace

TEST(NetSinkScale, FiveHundredSinksEchoChecksummedStreams) {
    WinsockUser winsock;
    auto streams = std::make_unique<Stream[]>(kSinks);
    g_streams = streams.get();
    ASSERT_EQ(NETLIB_Init(Data, Close, Accept, kSinks, kSinks, 0, 0, 0), 0);
    unsigned short port = FreePort();
    ASSERT_GE(NETLIB_Listen(port, "127.0.0.1"), 0);
    std::vector<int> ids;
    for (int i = 0; i < kSinks; ++i) {
        int id = -1;
        int r = NETLIB_Connect("127.0.0.1", port, 10000, &id);
        ASSERT_EQ(r, 0) << "sink " << i;
        ASSERT_EQ(id, NETLIB_CLIENT_BASE + i);
        ids.push_back(id);
    }

    std::vector<char> block(kBlock);
    DWORD t0 = GetTickCount();
    const DWORD kSendMs = 4000;
    const DWORD kLimitMs = 60000;
    bool sending = true;
    for (;;) {
        DWORD now = GetTickCount() - t0;
        if (now > kSendMs) sending = false;
        if (now > kLimitMs) break;
        bool busy = false, waiting = false;
        for (int i = 0; i < kSinks; ++i) {
            Stream& s = streams[size_t(i)];
            uint64_t sent = s.sent, received = s.received;
            if (received < sent) waiting = true;
            if (!sending || sent - received > uint64_t(kWindow - kBlock)) continue;
            for (int k = 0; k < kBlock; ++k) block[size_t(k)] = char(StreamByte(uint32_t(ids[size_t(i)]), sent + uint64_t(k)));
            int r = NETLIB_Send(ids[size_t(i)], block.data(), kBlock, nullptr);
            ASSERT_EQ(r, 0) << "sink " << i;
            s.sent = sent + kBlock;
            busy = true;
        }
        if (!sending && !waiting) break;
        static DWORD lastReport = 0;
        if (std::getenv("NETSINK_PROGRESS") && now - lastReport > 2000) {
            lastReport = now;
            uint64_t r = 0, sn = 0;
            for (int i = 0; i < kSinks; ++i) r += streams[size_t(i)].received, sn += streams[size_t(i)].sent;
            std::printf("%lu ms: sent %llu echoed %llu received %llu\n", (unsigned long)now, (unsigned long long)sn,
                        (unsigned long long)g_echoed.load(), (unsigned long long)r);
        }
        if (!busy) Sleep(1);
    }
    uint64_t total = 0;
    int behind = 0, bad = 0;
    for (int i = 0; i < kSinks; ++i) {
        Stream& s = streams[size_t(i)];
        total += s.received;
        behind += s.received != s.sent;
        bad += s.mismatches;
        EXPECT_GT(s.sent, 0u) << "sink " << i << " never sent";
    }
    if (behind) {
        // Where the missing bytes wait: in a send queue (a write event was
        // missed) or nowhere (a read event was missed).
        uint64_t queuedClient = 0, queuedAccepted = 0;
        for (int i = 0; i < kSinks; ++i) {
            int p = 0;
            if (NETLIB_GetSendPendingSize(NETLIB_CLIENT_BASE + i, &p) == 0) queuedClient += uint64_t(p);
            if (NETLIB_GetSendPendingSize(NETLIB_ACCEPT_BASE + i, &p) == 0) queuedAccepted += uint64_t(p);
        }
        std::string map;
        for (int i = 0; i < kSinks; ++i) map += streams[size_t(i)].received != streams[size_t(i)].sent ? 'x' : '.';
        std::printf("behind: %s\n", map.c_str());
        std::printf("queued: %llu in client sinks, %llu in accepted sinks\n",
                    (unsigned long long)queuedClient, (unsigned long long)queuedAccepted);
    }
    EXPECT_EQ(behind, 0);
    EXPECT_EQ(bad, 0);
    std::printf("%d sinks echoed %llu bytes in %lu ms\n", kSinks, (unsigned long long)total,
                (unsigned long)(GetTickCount() - t0));
    EXPECT_EQ(NETLIB_DeInit(), 0);
    g_streams = nullptr;
}
