// Tarrow.dll: event-driven TCP, UDP and multicast endpoints ("sinks") for a
// host program. Every function returns 0 (or, for NETLIB_Listen, a slot index
// >= 0) on success and a negative code otherwise: one of NETLIB_E_* below or
// a negated Winsock error number.
#pragma once

#include <winsock2.h>

#ifdef __cplusplus
extern "C" {
#endif

// Sink identifiers: the range names the kind of sink.
enum {
    NETLIB_ACCEPT_BASE = 1000,     // 1000-2999, type 1: accepted TCP connection
    NETLIB_CLIENT_BASE = 3000,     // 3000-4999, type 2: TCP client connection
    NETLIB_UDP_BASE = 5000,        // 5000-5031, type 3: bound UDP port
    NETLIB_MULTICAST_BASE = 7000,  // 7000-7031, type 4: multicast group membership
};

enum {
    NETLIB_TYPE_ACCEPTED = 1,
    NETLIB_TYPE_CLIENT = 2,
    NETLIB_TYPE_UDP = 3,
    NETLIB_TYPE_MULTICAST = 4,
};

enum {
    NETLIB_E_NOT_INIT = -303,        // NETLIB_Init not called, or after NETLIB_DeInit
    NETLIB_E_NO_CLIENT_SLOT = -304,
    NETLIB_E_NO_ACCEPT_SLOT = -305,
    NETLIB_E_NO_LISTEN_SLOT = -306,
    NETLIB_E_NO_UDP_SLOT = -307,
    NETLIB_E_NO_MULTICAST_SLOT = -308,
    NETLIB_E_BAD_SINK = -309,        // id outside its range, beyond the table, or sink not open
    NETLIB_E_QUEUE_FULL = -310,      // the send queue has no room for the data
    NETLIB_E_TIMEOUT = -311,         // TCP connect timed out
    NETLIB_E_BAD_ARG = -312,
    NETLIB_E_NOT_LISTENING = -314,   // no listening socket on that port
};

// Received data: runs on an event thread; data is valid only during the
// call. peer is the sender for UDP and multicast sinks, null for TCP sinks.
typedef void(CALLBACK* NETLIB_DataCallback)(int type, int sinkId, const char* data, int length,
                                            const struct sockaddr_in* peer);
// The peer closed a TCP sink; the library closes its socket after the call.
typedef void(CALLBACK* NETLIB_CloseCallback)(int type, int sinkId);
// A new connection on a listening port got accepted sink sinkId; returning 0
// closes it again.
typedef int(CALLBACK* NETLIB_AcceptCallback)(int type, int sinkId, const struct sockaddr_in* peer,
                                             int listenPort);

int WINAPI NETLIB_Init(NETLIB_DataCallback onData, NETLIB_CloseCallback onClose,
                       NETLIB_AcceptCallback onAccept, int clientCount, int acceptCount,
                       int udpCount, int multicastCount, int sendBufSize);
int WINAPI NETLIB_DeInit(void);
int WINAPI NETLIB_Listen(unsigned short port, const char* localAddr);
int WINAPI NETLIB_UnListen(unsigned short port);
int WINAPI NETLIB_Connect(const char* addr, unsigned short port, int timeoutMs, int* sinkId);
int WINAPI NETLIB_Disconnect(int sinkId);
int WINAPI NETLIB_BindUdp(unsigned short port, const char* localAddr, int* sinkId);
int WINAPI NETLIB_UnBindUdp(int sinkId);
// kind: 0 send only, 1 receive.
int WINAPI NETLIB_JoinMulcast(int kind, const char* groupAddr, unsigned short port,
                              const char* localAddr, int* sinkId);
int WINAPI NETLIB_LeaveMulcast(int sinkId);
int WINAPI NETLIB_Send(int sinkId, const void* data, int length, const struct sockaddr_in* peer);
int WINAPI NETLIB_GetSendBufSize(int unused, int* size);
int WINAPI NETLIB_GetSendPendingSize(int sinkId, int* size);
int WINAPI NETLIB_GetSinkType(int sinkId, int* type);

#ifdef __cplusplus
}
#endif
