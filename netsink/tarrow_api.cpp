// The NETLIB_* exports: argument checks, sink-id ranges and the library's
// global state. The work is done by the sink managers.
#include "tarrow_api.h"

#include "sink_manager.h"

using namespace tarrow;

namespace {

// Sink ids per range: more slots than this could not be named.
constexpr int kTcpRange = 2000;
constexpr int kUdpRange = 32;
constexpr int kListenSlots = 63;

struct LifeLock {
    CRITICAL_SECTION cs;
    LifeLock() { InitializeCriticalSection(&cs); }
    ~LifeLock() { DeleteCriticalSection(&cs); }
};

LifeLock g_life;
volatile LONG g_initialised = 0;
NETLIB_AcceptCallback g_onAccept = nullptr;
uint32_t g_sendBufSize = kMinSendBuf;

CListenSinkManager g_listen;
CAcceptSinkManager g_accept;
CClientSinkManager g_client;
CUdpSinkManager g_udp;
CMulticastSinkManager g_multicast;

bool Initialised() { return InterlockedCompareExchange(&g_initialised, 0, 0) != 0; }

int Clamp(int count, int range) { return count > range ? range : count; }

bool InRange(int id, int base, int size) { return id >= base && id < base + size; }

void StopAll(bool fromLoader) {
    g_listen.Stop(fromLoader);
    g_accept.Stop(fromLoader);
    g_client.Stop(fromLoader);
    g_udp.Stop(fromLoader);
    g_multicast.Stop(fromLoader);
}

int DeInit(bool fromLoader) {
    Lock l(g_life.cs);
    if (!Initialised()) return 0;
    // New calls see -303 from here on; calls in progress finish against the
    // managers, which stay valid objects.
    InterlockedExchange(&g_initialised, 0);
    StopAll(fromLoader);
    g_onAccept = nullptr;
    // Winsock must not be cleaned up from inside the loader.
    if (!fromLoader) WSACleanup();
    return 0;
}

}  // namespace

namespace tarrow {

void HandleAccepted(SOCKET s, const sockaddr_in& peer, unsigned short listenPort) {
    int index = g_accept.AddSocket(s, peer);
    if (index < 0) return;  // no slot: the socket was closed
    NETLIB_AcceptCallback cb = g_onAccept;
    if (cb && cb(NETLIB_TYPE_ACCEPTED, NETLIB_ACCEPT_BASE + index, &peer, listenPort) == 0) {
        g_accept.CloseSink(index);
        return;
    }
    g_accept.Activate(index, s);
}

void DeInitOnUnload() { DeInit(true); }

}  // namespace tarrow

extern "C" {

int WINAPI NETLIB_Init(NETLIB_DataCallback onData, NETLIB_CloseCallback onClose,
                       NETLIB_AcceptCallback onAccept, int clientCount, int acceptCount,
                       int udpCount, int multicastCount, int sendBufSize) {
    Lock l(g_life.cs);
    if (Initialised()) return 0;
    if (clientCount < 0 || acceptCount < 0 || udpCount < 0 || multicastCount < 0)
        return NETLIB_E_BAD_ARG;
    WSADATA wsa;
    int err = WSAStartup(MAKEWORD(2, 2), &wsa);
    if (err) return -err;
    g_sendBufSize = sendBufSize < int(kMinSendBuf) ? kMinSendBuf : uint32_t(sendBufSize);
    g_onAccept = onAccept;
    if (acceptCount > 0) {
        err = g_listen.Start(nullptr, nullptr, kListenSlots, kMinSendBuf);
        if (!err) err = g_accept.Start(onData, onClose, Clamp(acceptCount, kTcpRange), g_sendBufSize);
    }
    if (!err && clientCount > 0)
        err = g_client.Start(onData, onClose, Clamp(clientCount, kTcpRange), g_sendBufSize);
    if (!err && udpCount > 0) err = g_udp.Start(onData, nullptr, Clamp(udpCount, kUdpRange), 0);
    if (!err && multicastCount > 0)
        err = g_multicast.Start(onData, nullptr, Clamp(multicastCount, kUdpRange), 0);
    if (err) {
        StopAll(false);
        g_onAccept = nullptr;
        WSACleanup();
        return err;
    }
    InterlockedExchange(&g_initialised, 1);
    return 0;
}

int WINAPI NETLIB_DeInit(void) {
    // An event thread cannot wait for itself to end.
    if (OnEventThread()) return Initialised() ? NETLIB_E_BAD_ARG : 0;
    return DeInit(false);
}

int WINAPI NETLIB_Listen(unsigned short port, const char* localAddr) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    return g_listen.Listen(port, localAddr);
}

int WINAPI NETLIB_UnListen(unsigned short port) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    return g_listen.UnListen(port);
}

int WINAPI NETLIB_Connect(const char* addr, unsigned short port, int timeoutMs, int* sinkId) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!addr || !sinkId) return NETLIB_E_BAD_ARG;
    int index = g_client.Connect(addr, port, timeoutMs);
    if (index < 0) return index;
    *sinkId = NETLIB_CLIENT_BASE + index;
    return 0;
}

int WINAPI NETLIB_Disconnect(int sinkId) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!InRange(sinkId, NETLIB_CLIENT_BASE, kTcpRange)) return NETLIB_E_BAD_SINK;
    return g_client.CloseSink(sinkId - NETLIB_CLIENT_BASE);
}

int WINAPI NETLIB_BindUdp(unsigned short port, const char* localAddr, int* sinkId) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!sinkId) return NETLIB_E_BAD_ARG;
    int index = g_udp.Bind(port, localAddr);
    if (index < 0) return index;
    *sinkId = NETLIB_UDP_BASE + index;
    return 0;
}

int WINAPI NETLIB_UnBindUdp(int sinkId) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!InRange(sinkId, NETLIB_UDP_BASE, kUdpRange)) return NETLIB_E_BAD_SINK;
    return g_udp.Unbind(sinkId - NETLIB_UDP_BASE);
}

int WINAPI NETLIB_JoinMulcast(int kind, const char* groupAddr, unsigned short port,
                              const char* localAddr, int* sinkId) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if ((kind != 0 && kind != 1) || !groupAddr || !sinkId) return NETLIB_E_BAD_ARG;
    int index = g_multicast.Join(kind, groupAddr, port, localAddr);
    if (index < 0) return index;
    *sinkId = NETLIB_MULTICAST_BASE + index;
    return 0;
}

int WINAPI NETLIB_LeaveMulcast(int sinkId) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!InRange(sinkId, NETLIB_MULTICAST_BASE, kUdpRange)) return NETLIB_E_BAD_SINK;
    return g_multicast.Leave(sinkId - NETLIB_MULTICAST_BASE);
}

int WINAPI NETLIB_Send(int sinkId, const void* data, int length, const struct sockaddr_in* peer) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!data || length <= 0) return NETLIB_E_BAD_ARG;
    if (InRange(sinkId, NETLIB_ACCEPT_BASE, kTcpRange))
        return g_accept.Send(sinkId - NETLIB_ACCEPT_BASE, data, length);
    if (InRange(sinkId, NETLIB_CLIENT_BASE, kTcpRange))
        return g_client.Send(sinkId - NETLIB_CLIENT_BASE, data, length);
    if (InRange(sinkId, NETLIB_UDP_BASE, kUdpRange))
        return g_udp.SendTo(sinkId - NETLIB_UDP_BASE, data, length, peer);
    if (InRange(sinkId, NETLIB_MULTICAST_BASE, kUdpRange))
        return g_multicast.SendTo(sinkId - NETLIB_MULTICAST_BASE, data, length, peer);
    return NETLIB_E_BAD_SINK;
}

int WINAPI NETLIB_GetSendBufSize(int, int* size) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!size) return NETLIB_E_BAD_ARG;
    *size = int(g_sendBufSize);
    return 0;
}

int WINAPI NETLIB_GetSendPendingSize(int sinkId, int* size) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!size) return NETLIB_E_BAD_ARG;
    int n;
    if (InRange(sinkId, NETLIB_ACCEPT_BASE, kTcpRange))
        n = g_accept.GetPendingSize(sinkId - NETLIB_ACCEPT_BASE);
    else if (InRange(sinkId, NETLIB_CLIENT_BASE, kTcpRange))
        n = g_client.GetPendingSize(sinkId - NETLIB_CLIENT_BASE);
    else if (InRange(sinkId, NETLIB_UDP_BASE, kUdpRange) || InRange(sinkId, NETLIB_MULTICAST_BASE, kUdpRange))
        n = 0;
    else
        return NETLIB_E_BAD_SINK;
    if (n < 0) return n;
    *size = n;
    return 0;
}

int WINAPI NETLIB_GetSinkType(int sinkId, int* type) {
    if (!Initialised()) return NETLIB_E_NOT_INIT;
    if (!type) return NETLIB_E_BAD_ARG;
    if (InRange(sinkId, NETLIB_ACCEPT_BASE, kTcpRange)) *type = NETLIB_TYPE_ACCEPTED;
    else if (InRange(sinkId, NETLIB_CLIENT_BASE, kTcpRange)) *type = NETLIB_TYPE_CLIENT;
    else if (InRange(sinkId, NETLIB_UDP_BASE, kUdpRange)) *type = NETLIB_TYPE_UDP;
    else if (InRange(sinkId, NETLIB_MULTICAST_BASE, kUdpRange)) *type = NETLIB_TYPE_MULTICAST;
    else return NETLIB_E_BAD_SINK;
    return 0;
}

}  // extern "C"
