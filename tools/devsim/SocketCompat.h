// The few socket calls devsim needs, on Winsock and on POSIX sockets.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace devsim {

#ifdef _WIN32
using SocketHandle = SOCKET;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
inline void NetStartup() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
}
inline void CloseSocket(SocketHandle s) { closesocket(s); }
inline void ShutdownSocket(SocketHandle s) { shutdown(s, SD_BOTH); }
inline void SetNonBlocking(SocketHandle s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}
using SockLen = int;
#else
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
inline void NetStartup() { signal(SIGPIPE, SIG_IGN); }
inline void CloseSocket(SocketHandle s) { close(s); }
inline void ShutdownSocket(SocketHandle s) { shutdown(s, SHUT_RDWR); }
inline void SetNonBlocking(SocketHandle s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK); }
using SockLen = socklen_t;
#endif

inline bool LastErrorWouldBlock() {
#ifdef _WIN32
    return WSAGetLastError() == WSAEWOULDBLOCK;
#else
    return errno == EAGAIN || errno == EWOULDBLOCK;
#endif
}

// Waits up to ms for s to be readable (data, a connection to accept, or
// its end) or, with forWrite, to take more bytes. True when it is.
inline bool WaitReady(SocketHandle s, unsigned ms, bool forWrite) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv;
    tv.tv_sec = long(ms / 1000);
    tv.tv_usec = long(ms % 1000) * 1000;
    return select(int(s) + 1, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &tv) > 0;
}
inline bool WaitReadable(SocketHandle s, unsigned ms) { return WaitReady(s, ms, false); }
inline bool WaitWritable(SocketHandle s, unsigned ms) { return WaitReady(s, ms, true); }

}  // namespace devsim
