// Tarrow.dll over 127.0.0.1: result codes and id ranges, TCP round trips
// through listen, accept and client sinks, queues, connect failures, close
// handling, UDP and multicast sinks, and starting and stopping under load.
#include "netsink_fixture.h"
#include "process_kit.h"

#include <psapi.h>

#include <atomic>
#include <thread>

using namespace nstest;

namespace {

class NetSink : public ::testing::Test {
protected:
    WinsockUser winsock;
    Recorder rec;

    void SetUp() override { g_rec = &rec; }
    void TearDown() override {
        NETLIB_DeInit();
        g_rec = nullptr;
    }
    static int Init(int clients, int accepts, int udp, int multicast, int buf = 0) {
        return NETLIB_Init(OnData, OnClose, OnAccept, clients, accepts, udp, multicast, buf);
    }
    // Listens on a free loopback port, returns it.
    unsigned short Listen() {
        for (int tries = 0; tries < 5; ++tries) {
            unsigned short port = FreePort();
            if (NETLIB_Listen(port, "127.0.0.1") >= 0) return port;
        }
        ADD_FAILURE() << "no port to listen on";
        return 0;
    }
    int Connect(unsigned short port) {
        int id = -1;
        EXPECT_EQ(NETLIB_Connect("127.0.0.1", port, 3000, &id), 0);
        return id;
    }
    bool WaitBytes(int id, size_t n, int ms = 10000) {
        return rec.WaitFor([&] { return rec.tcp[id].size() >= n; }, ms);
    }
    bool WaitAccepts(size_t n, int ms = 10000) {
        return rec.WaitFor([&] { return rec.accepts.size() >= n; }, ms);
    }
    bool WaitClose(int id, int ms = 10000) {
        return rec.WaitFor([&] {
            for (int c : rec.closes)
                if (c == id) return true;
            return false;
        }, ms);
    }
};

// ------------------------------------------------------ codes and ranges ----

TEST_F(NetSink, EveryCallBeforeInitIsRefused) {
    int out = 0;
    sockaddr_in peer = Loopback(9);
    EXPECT_EQ(NETLIB_DeInit(), 0);
    EXPECT_EQ(NETLIB_Listen(1, nullptr), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_UnListen(1), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_Connect(nullptr, 1, 1, nullptr), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_Disconnect(1), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_BindUdp(1, nullptr, nullptr), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_UnBindUdp(5000), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_JoinMulcast(7, nullptr, 1, nullptr, nullptr), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_LeaveMulcast(7000), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_Send(5000, "x", 1, &peer), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_GetSendBufSize(0, &out), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_GetSendPendingSize(1000, &out), NETLIB_E_NOT_INIT);
    EXPECT_EQ(NETLIB_GetSinkType(1000, &out), NETLIB_E_NOT_INIT);
    // After a cycle as well.
    ASSERT_EQ(Init(1, 1, 1, 1), 0);
    ASSERT_EQ(NETLIB_DeInit(), 0);
    EXPECT_EQ(NETLIB_GetSinkType(1000, &out), NETLIB_E_NOT_INIT);
}

TEST_F(NetSink, SinkTypesFollowTheIdRangesAlone) {
    ASSERT_EQ(Init(2, 2, 2, 2), 0);
    struct { int id, type; } cases[] = {
        {999, NETLIB_E_BAD_SINK}, {1000, 1}, {1500, 1}, {2999, 1}, {3000, 2}, {4999, 2},
        {5000, 3}, {5031, 3}, {5032, NETLIB_E_BAD_SINK}, {6999, NETLIB_E_BAD_SINK},
        {7000, 4}, {7031, 4}, {7032, NETLIB_E_BAD_SINK}, {-1, NETLIB_E_BAD_SINK},
    };
    for (auto c : cases) {
        int type = 0;
        int r = NETLIB_GetSinkType(c.id, &type);
        if (c.type < 0) {
            EXPECT_EQ(r, c.type) << c.id;
        } else {
            EXPECT_EQ(r, 0) << c.id;
            EXPECT_EQ(type, c.type) << c.id;
        }
    }
    EXPECT_EQ(NETLIB_GetSinkType(1000, nullptr), NETLIB_E_BAD_ARG);
}

TEST_F(NetSink, BadIdsAndArgumentsGetTheirCodes) {
    ASSERT_EQ(Init(2, 2, 2, 2), 0);
    sockaddr_in peer = Loopback(9);
    int out = 0;
    struct { const char* what; int got, want; } cases[] = {
        {"send to accepted id beyond the table", NETLIB_Send(2999, "x", 1, nullptr), NETLIB_E_BAD_SINK},
        {"send to a free accepted slot", NETLIB_Send(1000, "x", 1, nullptr), NETLIB_E_BAD_SINK},
        {"send to a free client slot", NETLIB_Send(3001, "x", 1, nullptr), NETLIB_E_BAD_SINK},
        {"send between ranges", NETLIB_Send(5032, "x", 1, &peer), NETLIB_E_BAD_SINK},
        {"send below the ranges", NETLIB_Send(6999, "x", 1, &peer), NETLIB_E_BAD_SINK},
        {"send without data", NETLIB_Send(3000, nullptr, 1, nullptr), NETLIB_E_BAD_ARG},
        {"send of zero bytes", NETLIB_Send(3000, "x", 0, nullptr), NETLIB_E_BAD_ARG},
        {"send of negative length", NETLIB_Send(3000, "x", -5, nullptr), NETLIB_E_BAD_ARG},
        {"udp send without peer", NETLIB_Send(5000, "x", 1, nullptr), NETLIB_E_BAD_ARG},
        {"udp send on a free slot", NETLIB_Send(5000, "x", 1, &peer), -WSAENOTSOCK},
        {"udp send beyond the table", NETLIB_Send(5002, "x", 1, &peer), NETLIB_E_BAD_SINK},
        {"disconnect of an accepted id", NETLIB_Disconnect(1000), NETLIB_E_BAD_SINK},
        {"disconnect beyond the table", NETLIB_Disconnect(3002), NETLIB_E_BAD_SINK},
        {"disconnect of a free slot", NETLIB_Disconnect(3000), 0},
        {"unbind outside the range", NETLIB_UnBindUdp(7000), NETLIB_E_BAD_SINK},
        {"unbind beyond the table", NETLIB_UnBindUdp(5031), NETLIB_E_BAD_SINK},
        {"leave outside the range", NETLIB_LeaveMulcast(5000), NETLIB_E_BAD_SINK},
        {"leave of a free membership", NETLIB_LeaveMulcast(7000), NETLIB_E_BAD_SINK},
        {"join kind 2", NETLIB_JoinMulcast(2, "239.1.2.3", 1, nullptr, &out), NETLIB_E_BAD_ARG},
        {"join without group", NETLIB_JoinMulcast(1, nullptr, 1, nullptr, &out), NETLIB_E_BAD_ARG},
        {"join without out", NETLIB_JoinMulcast(1, "239.1.2.3", 1, nullptr, nullptr), NETLIB_E_BAD_ARG},
        {"join of a unicast address", NETLIB_JoinMulcast(1, "127.0.0.1", 1, nullptr, &out), NETLIB_E_BAD_ARG},
        {"connect without address", NETLIB_Connect(nullptr, 1, 10, &out), NETLIB_E_BAD_ARG},
        {"connect without out", NETLIB_Connect("127.0.0.1", 1, 10, nullptr), NETLIB_E_BAD_ARG},
        {"connect to a host name", NETLIB_Connect("localhost", 1, 10, &out), NETLIB_E_BAD_ARG},
        {"connect with negative time-out", NETLIB_Connect("127.0.0.1", 1, -1, &out), NETLIB_E_BAD_ARG},
        {"bind without out", NETLIB_BindUdp(1, nullptr, nullptr), NETLIB_E_BAD_ARG},
        {"bind to a bad address", NETLIB_BindUdp(1, "1.2.3.4.5", &out), NETLIB_E_BAD_ARG},
        {"listen on a bad address", NETLIB_Listen(1, "nowhere"), NETLIB_E_BAD_ARG},
        {"unlisten of an unused port", NETLIB_UnListen(1), NETLIB_E_NOT_LISTENING},
        {"pending without out", NETLIB_GetSendPendingSize(3000, nullptr), NETLIB_E_BAD_ARG},
        {"pending beyond the table", NETLIB_GetSendPendingSize(3002, &out), NETLIB_E_BAD_SINK},
        {"pending outside every range", NETLIB_GetSendPendingSize(6000, &out), NETLIB_E_BAD_SINK},
        {"buffer size without out", NETLIB_GetSendBufSize(0, nullptr), NETLIB_E_BAD_ARG},
    };
    for (auto& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

    out = -1;
    EXPECT_EQ(NETLIB_GetSendPendingSize(3000, &out), 0);
    EXPECT_EQ(out, 0);
    out = -1;
    EXPECT_EQ(NETLIB_GetSendPendingSize(5001, &out), 0);
    EXPECT_EQ(out, 0);
}

TEST_F(NetSink, ManagersWithoutSlotsReportTheirNoSlotCode) {
    ASSERT_EQ(Init(0, 0, 0, 0), 0);
    int out = 0;
    EXPECT_EQ(NETLIB_Listen(FreePort(), "127.0.0.1"), NETLIB_E_NO_LISTEN_SLOT);
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", 1, 10, &out), NETLIB_E_NO_CLIENT_SLOT);
    EXPECT_EQ(NETLIB_BindUdp(0, "127.0.0.1", &out), NETLIB_E_NO_UDP_SLOT);
    EXPECT_EQ(NETLIB_JoinMulcast(1, "239.1.2.3", 1, nullptr, &out), NETLIB_E_NO_MULTICAST_SLOT);
}

TEST_F(NetSink, SendBufferSizeHasAFloorAndASecondInitChangesNothing) {
    struct { int asked, got; } cases[] = {{0, 0x8000}, {100, 0x8000}, {-1, 0x8000}, {0x8000, 0x8000}, {0x10000, 0x10000}};
    for (auto c : cases) {
        ASSERT_EQ(Init(1, 1, 1, 1, c.asked), 0);
        int size = 0;
        EXPECT_EQ(NETLIB_GetSendBufSize(12345, &size), 0);
        EXPECT_EQ(size, c.got) << c.asked;
        EXPECT_EQ(Init(1, 1, 1, 1, 0x40000), 0);  // already initialised: no change
        EXPECT_EQ(NETLIB_GetSendBufSize(0, &size), 0);
        EXPECT_EQ(size, c.got);
        EXPECT_EQ(NETLIB_DeInit(), 0);
    }
    EXPECT_EQ(Init(-1, 1, 1, 1), NETLIB_E_BAD_ARG);
}

// ------------------------------------------------------------------ TCP ----

TEST_F(NetSink, TcpEchoThroughListenAcceptAndClientSinks) {
    ASSERT_EQ(Init(4, 4, 0, 0), 0);
    rec.echo = true;
    unsigned short port = Listen();
    int client = Connect(port);
    ASSERT_GE(client, 3000);
    ASSERT_LT(client, 3004);
    int type = 0;
    EXPECT_EQ(NETLIB_GetSinkType(client, &type), 0);
    EXPECT_EQ(type, NETLIB_TYPE_CLIENT);

    ASSERT_TRUE(WaitAccepts(1));
    int accepted = rec.accepts[0].first;
    EXPECT_GE(accepted, 1000);
    EXPECT_LT(accepted, 1004);
    EXPECT_EQ(rec.accepts[0].second, port);
    EXPECT_EQ(rec.acceptPeers[0].sin_addr.s_addr, inet_addr("127.0.0.1"));

    // Several sends, some across the ring's end, echoed back in order.
    std::string sent;
    for (int i = 0; i < 40; ++i) {
        std::string block = StreamBytes(7, sent.size(), size_t(100 + i * 97));
        ASSERT_EQ(NETLIB_Send(client, block.data(), int(block.size()), nullptr), 0);
        sent += block;
        ASSERT_TRUE(WaitBytes(client, sent.size())) << i;
    }
    std::lock_guard<std::mutex> l(rec.m);
    EXPECT_EQ(rec.tcp[accepted], sent);
    EXPECT_EQ(rec.tcp[client], sent);
    EXPECT_EQ(rec.types[accepted], NETLIB_TYPE_ACCEPTED);
    EXPECT_EQ(rec.types[client], NETLIB_TYPE_CLIENT);
    EXPECT_EQ(rec.echoFailures, 0);
}

TEST_F(NetSink, DisconnectRaisesTheCloseCallbackOfThePeerSink) {
    ASSERT_EQ(Init(4, 4, 0, 0), 0);
    unsigned short port = Listen();
    int client = Connect(port);
    ASSERT_TRUE(WaitAccepts(1));
    int accepted = rec.accepts[0].first;
    ASSERT_EQ(NETLIB_Send(client, "bye", 3, nullptr), 0);
    ASSERT_TRUE(WaitBytes(accepted, 3));
    EXPECT_EQ(NETLIB_Disconnect(client), 0);
    ASSERT_TRUE(WaitClose(accepted));
    {
        std::lock_guard<std::mutex> l(rec.m);
        EXPECT_EQ(rec.types[accepted], NETLIB_TYPE_ACCEPTED);
        EXPECT_EQ(rec.closes.size(), 1u);  // the client closed itself: no callback for it
    }
    // The accepted slot is free again: sends to it are refused.
    EXPECT_TRUE(rec.WaitFor([&] { return NETLIB_Send(accepted, "x", 1, nullptr) == NETLIB_E_BAD_SINK; }, 5000));
    EXPECT_EQ(NETLIB_Send(client, "x", 1, nullptr), NETLIB_E_BAD_SINK);
}

TEST_F(NetSink, UnListenClosesThePortAndNamesItByPort) {
    ASSERT_EQ(Init(2, 2, 0, 0), 0);
    unsigned short port = Listen();
    unsigned short other = Listen();
    EXPECT_EQ(NETLIB_UnListen(port), 0);
    EXPECT_EQ(NETLIB_UnListen(port), NETLIB_E_NOT_LISTENING);
    int id;
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", port, 3000, &id), -WSAECONNREFUSED);
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", other, 3000, &id), 0);
    // A port in use cannot be listened on twice.
    EXPECT_EQ(NETLIB_Listen(other, "127.0.0.1"), -WSAEADDRINUSE);
}

TEST_F(NetSink, ListenSlotsRunOut) {
    ASSERT_EQ(Init(1, 1, 0, 0), 0);
    std::vector<unsigned short> ports;
    int r = 0;
    for (int i = 0; i < 70; ++i) {
        r = NETLIB_Listen(0, "127.0.0.1");  // any port: named 0, but each is a slot
        if (r < 0) break;
        EXPECT_EQ(r, i);
    }
    EXPECT_EQ(r, NETLIB_E_NO_LISTEN_SLOT);
}

TEST_F(NetSink, RejectedConnectionIsClosedAndItsSlotFreed) {
    ASSERT_EQ(Init(4, 1, 0, 0), 0);
    rec.acceptResult = 0;
    unsigned short port = Listen();
    int first = Connect(port);
    ASSERT_TRUE(WaitAccepts(1));
    ASSERT_TRUE(WaitClose(first));  // the server side closed at once
    // The only accept slot is free again for the next connection.
    rec.acceptResult = 1;
    rec.echo = true;
    int second = Connect(port);
    ASSERT_TRUE(WaitAccepts(2));
    EXPECT_EQ(rec.accepts[1].first, 1000);
    ASSERT_EQ(NETLIB_Send(second, "ping", 4, nullptr), 0);
    EXPECT_TRUE(WaitBytes(second, 4));
}

TEST_F(NetSink, ConnectionWithoutAFreeSlotIsClosedNotLeaked) {
    ASSERT_EQ(Init(4, 1, 0, 0), 0);
    unsigned short port = Listen();
    int first = Connect(port);
    ASSERT_TRUE(WaitAccepts(1));
    int second = Connect(port);  // TCP connects; the library has no slot for it
    EXPECT_TRUE(WaitClose(second));
    EXPECT_EQ(rec.accepts.size(), 1u);
    // The first connection is unharmed.
    rec.echo = true;
    ASSERT_EQ(NETLIB_Send(first, "ok", 2, nullptr), 0);
    EXPECT_TRUE(WaitBytes(first, 2));
}

TEST_F(NetSink, AcceptedDataWaitsForTheAcceptCallback) {
    ASSERT_EQ(Init(4, 4, 0, 0), 0);
    rec.acceptDelayMs = 300;
    unsigned short port = Listen();
    int client = Connect(port);
    ASSERT_EQ(NETLIB_Send(client, "early", 5, nullptr), 0);
    ASSERT_TRUE(WaitAccepts(1));
    int accepted = rec.accepts[0].first;
    ASSERT_TRUE(WaitBytes(accepted, 5));
    std::lock_guard<std::mutex> l(rec.m);
    EXPECT_EQ(rec.tcp[accepted], "early");
    ASSERT_GE(rec.log.size(), 2u);
    EXPECT_EQ(rec.log[0], "accept:" + std::to_string(accepted));
}

TEST_F(NetSink, AcceptCallbackMaySendOnTheNewSink) {
    ASSERT_EQ(Init(4, 4, 0, 0), 0);
    unsigned short port = Listen();
    rec.onData = nullptr;
    // The greeting is queued from inside the accept callback.
    struct Greeter {
        static int CALLBACK Accept(int type, int id, const sockaddr_in* peer, int p) {
            OnAccept(type, id, peer, p);
            return NETLIB_Send(id, "hello", 5, nullptr) == 0 ? 1 : 0;
        }
    };
    ASSERT_EQ(NETLIB_DeInit(), 0);
    ASSERT_EQ(NETLIB_Init(OnData, OnClose, Greeter::Accept, 4, 4, 0, 0, 0), 0);
    port = Listen();
    int client = Connect(port);
    ASSERT_TRUE(WaitBytes(client, 5));
    std::lock_guard<std::mutex> l(rec.m);
    EXPECT_EQ(rec.tcp[client], "hello");
}

TEST_F(NetSink, DataBufferedBeforeThePeerClosedIsDeliveredFirst) {
    ASSERT_EQ(Init(4, 4, 0, 0), 0);
    unsigned short port = Listen();
    // A plain socket sends a burst and closes at once, while the data
    // callback is slow: most of the burst is still buffered at FD_CLOSE.
    rec.dataDelayMs = 20;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(port);
    ASSERT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)), 0);
    std::string burst = StreamBytes(3, 0, 1000000);
    for (size_t off = 0; off < burst.size();) {
        int n = send(s, burst.data() + off, int(burst.size() - off), 0);
        ASSERT_GT(n, 0);
        off += size_t(n);
    }
    closesocket(s);
    ASSERT_TRUE(WaitAccepts(1));
    int accepted = rec.accepts[0].first;
    ASSERT_TRUE(WaitClose(accepted, 30000));
    std::lock_guard<std::mutex> l(rec.m);
    EXPECT_EQ(rec.tcp[accepted].size(), burst.size());
    EXPECT_TRUE(rec.tcp[accepted] == burst);
    EXPECT_EQ(rec.log.back(), "close:" + std::to_string(accepted));
}

// A full queue refuses a send whole; once the peer reads, everything queued
// arrives in order.
TEST_F(NetSink, FullQueueRefusesAndDrainsInOrderLater) {
    ASSERT_EQ(Init(2, 0, 0, 0), 0);
    SOCKET ls = socket(AF_INET, SOCK_STREAM, 0);
    int small = 4096;
    setsockopt(ls, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof(small));
    sockaddr_in a = Loopback(0);
    ASSERT_EQ(bind(ls, reinterpret_cast<sockaddr*>(&a), sizeof(a)), 0);
    int len = sizeof(a);
    getsockname(ls, reinterpret_cast<sockaddr*>(&a), &len);
    ASSERT_EQ(listen(ls, 4), 0);
    int client = Connect(ntohs(a.sin_port));
    SOCKET peer = accept(ls, nullptr, nullptr);
    ASSERT_NE(peer, INVALID_SOCKET);

    // The peer does not read: kernel buffers fill, then the ring, then -310.
    std::string sent;
    int r = 0;
    const size_t kBlock = 10000;
    while (sent.size() < 64u * 1024 * 1024) {
        std::string block = StreamBytes(11, sent.size(), kBlock);
        r = NETLIB_Send(client, block.data(), int(block.size()), nullptr);
        if (r != 0) break;
        sent += block;
    }
    ASSERT_EQ(r, NETLIB_E_QUEUE_FULL);
    int pending = 0;
    ASSERT_EQ(NETLIB_GetSendPendingSize(client, &pending), 0);
    EXPECT_GT(pending, 0x8000 - int(kBlock) - 1);
    EXPECT_LT(pending, 0x8000);
    // Nothing of the refused send was queued.
    EXPECT_EQ(NETLIB_Send(client, sent.data(), 0x8000 - pending, nullptr), NETLIB_E_QUEUE_FULL);
    int again = 0;
    EXPECT_EQ(NETLIB_GetSendPendingSize(client, &again), 0);
    EXPECT_EQ(again, pending);

    // Read everything: the queue drains on FD_WRITE, in order.
    std::string got;
    DWORD tv = 10000;
    setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&tv), sizeof(tv));
    std::vector<char> buf(65536);
    while (got.size() < sent.size()) {
        int n = recv(peer, buf.data(), int(buf.size()), 0);
        ASSERT_GT(n, 0) << "stalled after " << got.size() << " of " << sent.size();
        got.append(buf.data(), size_t(n));
    }
    EXPECT_TRUE(got == sent);
    EXPECT_TRUE(rec.WaitFor([&] {
        int p = -1;
        return NETLIB_GetSendPendingSize(client, &p) == 0 && p == 0;
    }, 5000));
    closesocket(peer);
    closesocket(ls);
}

TEST_F(NetSink, SendOfTheWholeRingIsRefused) {
    ASSERT_EQ(Init(1, 0, 0, 0), 0);
    SOCKET ls = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    bind(ls, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    getsockname(ls, reinterpret_cast<sockaddr*>(&a), &len);
    listen(ls, 4);
    int client = Connect(ntohs(a.sin_port));
    std::string big(0x8000, 'x');
    EXPECT_EQ(NETLIB_Send(client, big.data(), 0x8000, nullptr), NETLIB_E_QUEUE_FULL);
    EXPECT_EQ(NETLIB_Send(client, big.data(), 0x7FFF, nullptr), 0);
    closesocket(ls);
}

TEST_F(NetSink, ConnectToAClosedPortIsRefusedAndFreesTheSlot) {
    ASSERT_EQ(Init(1, 1, 0, 0), 0);
    int id = -1;
    unsigned short closed = FreePort();
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", closed, 3000, &id), -WSAECONNREFUSED);
    EXPECT_EQ(id, -1);
    unsigned short port = Listen();
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", port, 3000, &id), 0);
    EXPECT_EQ(id, 3000);  // the one slot was free again
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", port, 3000, &id), NETLIB_E_NO_CLIENT_SLOT);
}

// A listener whose backlog is full answers no new handshakes, so connects
// to it run into their time-out.
TEST_F(NetSink, ConnectTimesOutOnAFullBacklog) {
    ASSERT_EQ(Init(1, 0, 0, 0), 0);
    SOCKET ls = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    ASSERT_EQ(bind(ls, reinterpret_cast<sockaddr*>(&a), sizeof(a)), 0);
    int len = sizeof(a);
    getsockname(ls, reinterpret_cast<sockaddr*>(&a), &len);
    ASSERT_EQ(listen(ls, 1), 0);
    // Fill the backlog with connects nobody accepts, until one hangs.
    std::vector<SOCKET> fill;
    bool full = false;
    for (int i = 0; i < 16 && !full; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        u_long nb = 1;
        ioctlsocket(s, FIONBIO, &nb);
        connect(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        fill.push_back(s);
        fd_set w;
        FD_ZERO(&w);
        FD_SET(s, &w);
        timeval tv{0, 300000};
        if (select(0, nullptr, &w, nullptr, &tv) == 0) full = true;
    }
    if (!full) {
        for (SOCKET s : fill) closesocket(s);
        closesocket(ls);
        GTEST_SKIP() << "the loopback listener never filled its backlog";
    }
    int id = -1;
    DWORD t0 = GetTickCount();
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", ntohs(a.sin_port), 400, &id), NETLIB_E_TIMEOUT);
    EXPECT_GE(GetTickCount() - t0, 350u);
    EXPECT_EQ(id, -1);
    // The slot is free again.
    EXPECT_EQ(NETLIB_Connect("127.0.0.1", FreePort(), 3000, &id), -WSAECONNREFUSED);
    for (SOCKET s : fill) closesocket(s);
    closesocket(ls);
}

// ------------------------------------------------------------------ UDP ----

TEST_F(NetSink, UdpSinksSendAndReceiveWithThePeerAddress) {
    ASSERT_EQ(Init(0, 0, 4, 0), 0);
    unsigned short pa = FreePort(SOCK_DGRAM), pb = FreePort(SOCK_DGRAM);
    int a = 0, b = 0;
    ASSERT_EQ(NETLIB_BindUdp(pa, "127.0.0.1", &a), 0);
    ASSERT_EQ(NETLIB_BindUdp(pb, nullptr, &b), 0);
    EXPECT_EQ(a, 5000);
    EXPECT_EQ(b, 5001);
    int dup = 0;
    EXPECT_EQ(NETLIB_BindUdp(pa, "127.0.0.1", &dup), -WSAEADDRINUSE);

    sockaddr_in to = Loopback(pb);
    for (int i = 0; i < 5; ++i) {
        std::string msg = "datagram " + std::to_string(i);
        ASSERT_EQ(NETLIB_Send(a, msg.data(), int(msg.size()), &to), 0);
    }
    ASSERT_TRUE(rec.WaitFor([&] { return rec.datagrams.size() >= 5; }, 10000));
    {
        std::lock_guard<std::mutex> l(rec.m);
        for (int i = 0; i < 5; ++i) {
            const Datagram& d = rec.datagrams[size_t(i)];
            EXPECT_EQ(d.type, NETLIB_TYPE_UDP);
            EXPECT_EQ(d.id, b);
            EXPECT_EQ(d.data, "datagram " + std::to_string(i));
            EXPECT_EQ(ntohs(d.peer.sin_port), pa);
            EXPECT_EQ(d.peer.sin_addr.s_addr, inet_addr("127.0.0.1"));
        }
    }
    // A plain socket's datagram too, and the reply back to it.
    SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in me = Loopback(0);
    bind(s, reinterpret_cast<sockaddr*>(&me), sizeof(me));
    int len = sizeof(me);
    getsockname(s, reinterpret_cast<sockaddr*>(&me), &len);
    sockaddr_in toA = Loopback(pa);
    sendto(s, "plain", 5, 0, reinterpret_cast<sockaddr*>(&toA), sizeof(toA));
    ASSERT_TRUE(rec.WaitFor([&] { return rec.datagrams.size() >= 6; }, 10000));
    sockaddr_in back = rec.datagrams[5].peer;
    EXPECT_EQ(rec.datagrams[5].id, a);
    EXPECT_EQ(back.sin_port, me.sin_port);
    ASSERT_EQ(NETLIB_Send(a, "reply", 5, &back), 0);
    DWORD tv = 5000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&tv), sizeof(tv));
    char buf[16];
    EXPECT_EQ(recv(s, buf, sizeof(buf), 0), 5);
    closesocket(s);

    EXPECT_EQ(NETLIB_UnBindUdp(a), 0);
    EXPECT_EQ(NETLIB_Send(a, "x", 1, &to), -WSAENOTSOCK);
    EXPECT_EQ(NETLIB_UnBindUdp(a), 0);
    int again = 0;
    EXPECT_EQ(NETLIB_BindUdp(pa, "127.0.0.1", &again), 0);  // port and slot free again
    EXPECT_EQ(again, 5000);
}

TEST_F(NetSink, UdpSlotsRunOut) {
    ASSERT_EQ(Init(0, 0, 2, 0), 0);
    int id;
    EXPECT_EQ(NETLIB_BindUdp(0, "127.0.0.1", &id), 0);
    EXPECT_EQ(NETLIB_BindUdp(0, "127.0.0.1", &id), 0);
    EXPECT_EQ(NETLIB_BindUdp(0, "127.0.0.1", &id), NETLIB_E_NO_UDP_SLOT);
}

// ------------------------------------------------------------ multicast ----

class Multicast : public NetSink {
protected:
    unsigned short port = 0;
    void SetUp() override {
        NetSink::SetUp();
        ASSERT_EQ(Init(0, 0, 0, 8), 0);
        port = FreePort(SOCK_DGRAM);
        // Probe: can a group be joined and looped back on 127.0.0.1 here?
        int rx = 0, tx = 0;
        int r = NETLIB_JoinMulcast(1, "239.255.77.1", port, "127.0.0.1", &rx);
        if (r != 0) GTEST_SKIP() << "multicast join on loopback refused here: " << r;
        ASSERT_EQ(NETLIB_JoinMulcast(0, "239.255.77.1", port, "127.0.0.1", &tx), 0);
        sockaddr_in g = Group("239.255.77.1");
        bool got = false;
        for (int i = 0; i < 3 && !got; ++i) {
            NETLIB_Send(tx, "probe", 5, &g);
            got = rec.WaitFor([&] { return !rec.datagrams.empty(); }, 1000);
        }
        NETLIB_LeaveMulcast(rx);
        NETLIB_LeaveMulcast(tx);
        if (!got) GTEST_SKIP() << "multicast is not looped back on 127.0.0.1 here";
        std::lock_guard<std::mutex> l(rec.m);
        rec.datagrams.clear();
    }
    sockaddr_in Group(const char* g) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = inet_addr(g);
        return a;
    }
    size_t CountFor(int id) {
        size_t n = 0;
        for (auto& d : rec.datagrams) n += d.id == id;
        return n;
    }
};

TEST_F(Multicast, JoinsTheGroupAskedForAndReportsItsOwnId) {
    int rx = 0, tx = 0;
    ASSERT_EQ(NETLIB_JoinMulcast(1, "239.1.2.3", port, "127.0.0.1", &rx), 0);
    ASSERT_EQ(NETLIB_JoinMulcast(0, "239.1.2.3", port, "127.0.0.1", &tx), 0);
    EXPECT_GE(rx, 7000);
    EXPECT_GE(tx, 7000);
    EXPECT_NE(rx, tx);
    sockaddr_in g = Group("239.1.2.3");
    ASSERT_EQ(NETLIB_Send(tx, "to the group", 12, &g), 0);
    ASSERT_TRUE(rec.WaitFor([&] { return CountFor(rx) >= 1; }, 5000));
    std::lock_guard<std::mutex> l(rec.m);
    for (auto& d : rec.datagrams) {
        if (d.id != rx) continue;
        EXPECT_EQ(d.type, NETLIB_TYPE_MULTICAST);
        EXPECT_EQ(d.data, "to the group");
        EXPECT_EQ(d.peer.sin_addr.s_addr, inet_addr("127.0.0.1"));
    }
}

TEST_F(Multicast, TwoReceiversOnOnePortEachKeepTheirIdAndLeaveAlone) {
    int rx1 = 0, rx2 = 0, tx = 0;
    ASSERT_EQ(NETLIB_JoinMulcast(0, "239.1.2.4", port, "127.0.0.1", &tx), 0);
    // A receiver after a sender on the same port and address still receives.
    ASSERT_EQ(NETLIB_JoinMulcast(1, "239.1.2.4", port, "127.0.0.1", &rx1), 0);
    ASSERT_EQ(NETLIB_JoinMulcast(1, "239.1.2.4", port, "127.0.0.1", &rx2), 0);
    EXPECT_NE(rx1, rx2);
    sockaddr_in g = Group("239.1.2.4");
    ASSERT_EQ(NETLIB_Send(tx, "one", 3, &g), 0);
    ASSERT_TRUE(rec.WaitFor([&] { return CountFor(rx1) >= 1 && CountFor(rx2) >= 1; }, 5000));

    EXPECT_EQ(NETLIB_LeaveMulcast(rx1), 0);
    EXPECT_EQ(NETLIB_LeaveMulcast(rx1), NETLIB_E_BAD_SINK);
    {
        std::lock_guard<std::mutex> l(rec.m);
        rec.datagrams.clear();
    }
    ASSERT_EQ(NETLIB_Send(tx, "two", 3, &g), 0);
    ASSERT_TRUE(rec.WaitFor([&] { return CountFor(rx2) >= 1; }, 5000));
    Sleep(200);
    {
        std::lock_guard<std::mutex> l(rec.m);
        EXPECT_EQ(CountFor(rx1), 0u);
    }
    EXPECT_EQ(NETLIB_LeaveMulcast(rx2), 0);
    EXPECT_EQ(NETLIB_LeaveMulcast(tx), 0);
}

TEST_F(Multicast, MembershipsRunOut) {
    std::vector<int> ids;
    int id = 0, r = 0;
    for (int i = 0; i < 9; ++i) {
        r = NETLIB_JoinMulcast(1, "239.1.2.5", port, "127.0.0.1", &id);
        if (r) break;
        ids.push_back(id);
    }
    EXPECT_EQ(r, NETLIB_E_NO_MULTICAST_SLOT);
    EXPECT_EQ(ids.size(), 8u);
    for (int i : ids) EXPECT_EQ(NETLIB_LeaveMulcast(i), 0);
}

// ------------------------------------------------- starting and stopping ----

// A stop right after a start must reach every thread: a lost one would
// hold DeInit for its whole 5-second wait.
TEST_F(NetSink, StopRightAfterStartIsNeverLost) {
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(Init(130, 70, 3, 3), 0);  // three client and two accept threads
        DWORD t0 = GetTickCount();
        ASSERT_EQ(NETLIB_DeInit(), 0);
        ASSERT_LT(GetTickCount() - t0, 4000u) << "cycle " << i;
    }
}

TEST_F(NetSink, CallsRacingInitAndDeInitNeverCrash) {
    std::atomic<bool> done{false};
    std::atomic<int> odd{0};
    auto hammer = [&](int seed) {
        sockaddr_in peer = Loopback(9);
        while (!done) {
            int id = 0, p = 0;
            int codes[] = {
                NETLIB_Send(3000 + seed, "x", 1, nullptr),
                NETLIB_Send(1000 + seed, "x", 1, nullptr),
                NETLIB_Send(5000 + seed, "x", 1, &peer),
                NETLIB_GetSendPendingSize(3000 + seed, &p),
                NETLIB_Disconnect(3000 + seed),
                NETLIB_BindUdp(0, "127.0.0.1", &id),
                NETLIB_UnBindUdp(5000 + seed),
            };
            for (int c : codes)
                if (c > 0) ++odd;
        }
    };
    std::thread t1(hammer, 0), t2(hammer, 1);
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(Init(2, 2, 2, 2), 0);
        unsigned short port = FreePort();
        NETLIB_Listen(port, "127.0.0.1");
        int id;
        NETLIB_Connect("127.0.0.1", port, 1000, &id);
        ASSERT_EQ(NETLIB_DeInit(), 0);
    }
    done = true;
    t1.join();
    t2.join();
    EXPECT_EQ(odd, 0);
}

TEST_F(NetSink, DeInitFromACallbackIsRefused) {
    ASSERT_EQ(Init(2, 2, 0, 0), 0);
    std::atomic<int> fromCallback{1};
    rec.onData = [&](int, int, const char*, int) { fromCallback = NETLIB_DeInit(); };
    unsigned short port = Listen();
    int client = Connect(port);
    ASSERT_EQ(NETLIB_Send(client, "x", 1, nullptr), 0);
    ASSERT_TRUE(WaitAccepts(1));
    ASSERT_TRUE(WaitBytes(rec.accepts[0].first, 1));
    EXPECT_EQ(fromCallback, NETLIB_E_BAD_ARG);
    int type;
    EXPECT_EQ(NETLIB_GetSinkType(3000, &type), 0);  // still initialised
    rec.onData = nullptr;
}

namespace {

using testsupport::ThreadCount;

// The process's handle count; where the system does not report it, the
// slot a new handle gets, which grows with every handle left open (handles
// take the lowest free slot).
DWORD HandleCount() {
    DWORD n = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n) return n;
    HANDLE h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    n = DWORD(reinterpret_cast<uintptr_t>(h) / 4);
    CloseHandle(h);
    return n;
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.PagefileUsage;
}

}  // namespace

TEST_F(NetSink, RestartsWithTrafficLeaveThreadsHandlesAndMemoryFlat) {
    rec.echo = true;
    auto cycle = [&](int i) {
        ASSERT_EQ(Init(70, 70, 2, 2), 0);
        unsigned short port = Listen();
        int client = Connect(port);
        std::string msg = StreamBytes(uint32_t(i), 0, 3000);
        ASSERT_EQ(NETLIB_Send(client, msg.data(), int(msg.size()), nullptr), 0);
        ASSERT_TRUE(WaitBytes(client, msg.size()));
        int u = 0;
        ASSERT_EQ(NETLIB_BindUdp(0, "127.0.0.1", &u), 0);
        ASSERT_EQ(NETLIB_DeInit(), 0);
        std::lock_guard<std::mutex> l(rec.m);
        rec.tcp.clear();
        rec.accepts.clear();
        rec.acceptPeers.clear();
        rec.log.clear();
        rec.closes.clear();
    };
    for (int i = 0; i < 5; ++i) cycle(i);
    int threads = ThreadCount();
    DWORD handles = HandleCount();
    size_t mem = PrivateBytes();
    for (int i = 0; i < 100; ++i) {
        cycle(i);
        if (HasFatalFailure()) return;
    }
    EXPECT_EQ(ThreadCount(), threads);
    EXPECT_LE(HandleCount(), handles + 8);
    EXPECT_LE(PrivateBytes(), mem + 2 * 1024 * 1024);
    std::printf("threads %d, handles %lu -> %lu, memory %zu -> %zu\n", threads,
                (unsigned long)handles, (unsigned long)HandleCount(), mem, PrivateBytes());
}

}  // namespace
