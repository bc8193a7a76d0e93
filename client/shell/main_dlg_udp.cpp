// The main dialog's UDP command socket (port 8001) and its receive thread.
// Placeholder until the UDP command channel lands: it binds, receives and
// sends, and hands datagrams to OnUdpPacket, which drops them.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "main_dlg.h"

BOOL CMainDlg::OpenUdpSocket() {
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return FALSE;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(u_short(m_udpPort));
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  m_udpSocket = UINT_PTR(s);
  return TRUE;
}

void CMainDlg::CloseUdpSocket() {
  UINT_PTR s = UINT_PTR(::InterlockedExchange(reinterpret_cast<volatile LONG*>(&m_udpSocket),
                                              LONG(INVALID_SOCKET_VALUE)));
  if (s != INVALID_SOCKET_VALUE) ::closesocket(SOCKET(s));
}

UINT CMainDlg::UdpThreadProc(LPVOID param) {
  auto* self = static_cast<CMainDlg*>(param);
  WSADATA wsa;
  if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 0;
  if (self->OpenUdpSocket()) {
    char buf[1500];
    while (!self->m_stopFlag) {
      SOCKET s = SOCKET(self->m_udpSocket);
      if (s == INVALID_SOCKET) break;
      fd_set rd;
      FD_ZERO(&rd);
      FD_SET(s, &rd);
      timeval tv{0, 100000};
      int ready = ::select(0, &rd, nullptr, nullptr, &tv);
      if (ready < 0) {
        ::Sleep(100);
        continue;
      }
      if (ready > 0) {
        sockaddr_in from{};
        int fromLen = sizeof from;
        int n = ::recvfrom(s, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n > 0) self->OnUdpPacket(reinterpret_cast<uint8_t*>(buf), n, ::inet_ntoa(from.sin_addr));
      }
    }
  }
  self->CloseUdpSocket();
  ::WSACleanup();
  return 0;
}

void CMainDlg::OnUdpPacket(const uint8_t*, int, const char*) {}

int CMainDlg::SendUdpCommand(const void* data, int length, const char* address, uint16_t) {
  SOCKET s = SOCKET(m_udpSocket);
  if (s == INVALID_SOCKET || !data || length <= 0 || !address) return -1;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(8001);
  to.sin_addr.s_addr = ::inet_addr(address);
  if (to.sin_addr.s_addr == INADDR_NONE) return -1;
  int n = ::sendto(s, static_cast<const char*>(data), length, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  return n > 0 ? 0 : -1;
}

void CMainDlg::SendStreamStarted(const char*, int, int, int) {
  // The stream-started notice goes out here once the UDP packet builders
  // land.
}
