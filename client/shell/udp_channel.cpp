#include "udp_channel.h"

#include <process.h>


namespace {

// Datagrams taken in one pass at most, so that the stop flag is seen even
// under a flood.
constexpr int kMaxPerPass = 256;
constexpr int kBindAttempts = 25;
constexpr DWORD kBindRetryMs = 200;

}  // namespace

CUdpCommandChannel::CUdpCommandChannel() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
}

CUdpCommandChannel::~CUdpCommandChannel() {
  Stop();
  WSACleanup();
}

BOOL CUdpCommandChannel::Start(HWND target, const Options& timing) {
  if (m_thread) return FALSE;
  m_target = target;
  m_options = timing;
  m_pump.SetTarget(target);
  m_pump.SetSliceMs(timing.sliceMs);
  m_stop = false;
  uintptr_t h = _beginthreadex(nullptr, 0, &ReceiveThreadProc, this, 0, nullptr);
  m_thread = reinterpret_cast<HANDLE>(h);
  return m_thread != nullptr;
}

BOOL CUdpCommandChannel::Stop(DWORD timeoutMs) {
  m_stop = true;
  if (m_thread) {
    // The loop never waits on the owner's window, so it always comes back
    // within one select; a thread that did not is left running and the
    // socket stays open for it.
    if (WaitForSingleObject(m_thread, timeoutMs) != WAIT_OBJECT_0) return FALSE;
    CloseHandle(m_thread);
    m_thread = nullptr;
  }
  CloseSocket();
  return TRUE;
}

unsigned __stdcall CUdpCommandChannel::ReceiveThreadProc(void* self) {
  static_cast<CUdpCommandChannel*>(self)->UdpReceiveLoop();
  return 0;
}

void CUdpCommandChannel::RunReceiveLoop(HWND target, const volatile LONG* externalStop, const Options& timing) {
  m_target = target;
  m_options = timing;
  m_pump.SetTarget(target);
  m_pump.SetSliceMs(timing.sliceMs);
  m_externalStop = externalStop;
  m_stop = false;
  UdpReceiveLoop();
}

void CUdpCommandChannel::CloseSocket() {
  SOCKET s = m_socket.exchange(INVALID_SOCKET);
  if (s != INVALID_SOCKET) closesocket(s);
  m_bound = false;
}

BOOL CUdpCommandChannel::WaitOrStop(DWORD ms) {
  const DWORD step = 50;
  for (DWORD waited = 0; waited < ms; waited += step) {
    if (Stopping()) return TRUE;
    Sleep(ms - waited < step ? ms - waited : step);
  }
  return Stopping() ? TRUE : FALSE;
}

void CUdpCommandChannel::UdpReceiveLoop() {
  if (WaitOrStop(m_options.startDelayMs)) return;
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return;  // every send then fails with -1
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_ANY);
  at.sin_port = htons(m_options.port);
  // Port 8001 can still be held for a moment by a process that is ending:
  // the bind is tried again for a while. A socket left unbound still sends
  // (from another port) but hears nothing.
  for (int attempt = 0; attempt < kBindAttempts; ++attempt) {
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0) {
      m_bound = true;
      break;
    }
    if (WaitOrStop(kBindRetryMs)) {
      closesocket(s);
      return;
    }
  }
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  m_socket = s;
  if (WaitOrStop(m_options.bindDelayMs)) return;

  while (!Stopping()) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval tv = {0, long(m_options.selectMs) * 1000};
    int ready = select(0, &readable, nullptr, nullptr, &tv);
    m_pump.Tend();
    if (ready <= 0) {
      if (ready < 0) Sleep(m_options.selectMs);  // no busy loop on a broken socket
      continue;
    }
    InterlockedIncrement(&m_passes);
    // Every datagram waiting, not one per pass.
    for (int n = 0; n < kMaxPerPass && !Stopping(); ++n) {
      char buf[shell::kUdpMaxDatagram];
      sockaddr_in from = {};
      int fromLen = sizeof from;
      int got = recvfrom(s, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
      if (got < 0) {
        // WSAEWOULDBLOCK: drained. WSAECONNRESET: an earlier send met a
        // closed port; the socket stays usable. Anything else ends the pass.
        if (WSAGetLastError() == WSAECONNRESET) continue;
        break;
      }
      if (got < int(shell::kUdpHeaderSize)) {  // nothing to hand on
        InterlockedIncrement(&m_received);
        continue;
      }
      // Beyond the queue's bound the datagram is dropped and counted; the
      // socket is drained all the same.
      Offer(from, reinterpret_cast<const uint8_t*>(buf), size_t(got));
    }
  }
}

int CUdpCommandChannel::SendUdpCommand(const void* datagram, int length, const char* ipText,
                                       uint16_t /*port*/) {
  SOCKET s = m_socket.load();
  if (s == INVALID_SOCKET || !datagram || length <= 0 || !ipText) return -1;
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(shell::kUdpCommandPort);
  // Dotted text only: inet_addr would turn a name that does not parse into
  // INADDR_NONE, the broadcast address.
  uint32_t address = 0;
  if (shell::ParseIpv4(ipText, &address)) {
    to.sin_addr.s_addr = htonl(address);
  } else {
    if (!m_lookup || !m_lookup(ipText, &to.sin_addr) || to.sin_addr.s_addr == INADDR_NONE ||
        to.sin_addr.s_addr == 0)
      return -1;
  }
  int sent = sendto(s, static_cast<const char*>(datagram), length, 0,
                    reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent > 0 ? 0 : -1;
}

int CUdpCommandChannel::SendStreamStarted(const char* ipText, uint16_t port, uint8_t channel,
                                          uint8_t streamKind) {
  shell::UdpDatagram d = shell::BuildStreamStarted(channel, streamKind);
  return SendUdpCommand(d.data(), int(d.size()), ipText, port);
}
