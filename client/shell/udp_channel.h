// The client's UDP command channel: one datagram socket on port 8001 for
// the requests to devices and for what devices send back or announce. A
// receive thread creates and binds the socket, takes every datagram waiting
// and offers each to the channel's bounded queue, which wakes the owner's
// window (udp_pump.h); the owner works the queue off on its own thread
// through DispatchUdpDatagram. Sends come from any thread, each one system
// call on the shared socket.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "udp_packets.h"
#include "udp_pump.h"

class CUdpCommandChannel {
public:
  struct Options {
    DWORD startDelayMs = 3000;  // before the socket is made
    DWORD bindDelayMs = 1000;   // after the bind, before the first receive
    DWORD selectMs = 100;
    uint16_t port = shell::kUdpCommandPort;  // the local port (0: any, for tests)
    DWORD sliceMs = 5;  // one slice of the owner's work on the queue
  };

  CUdpCommandChannel();
  ~CUdpCommandChannel();
  CUdpCommandChannel(const CUdpCommandChannel&) = delete;
  CUdpCommandChannel& operator=(const CUdpCommandChannel&) = delete;

  // Starts the receive thread once; datagrams wake target with WM_UDP_PACKET.
  BOOL Start(HWND target, const Options& timing);
  BOOL Start(HWND target) { return Start(target, Options()); }
  // The receive loop on the caller's own thread (an owner with its worker
  // threads), until RequestStop or until *externalStop is not 0.
  void RunReceiveLoop(HWND target, const volatile LONG* externalStop, const Options& timing);
  // Asks the receive loop to end; it does within one select.
  void RequestStop() { m_stop = true; }
  // Closes the socket (after the loop has ended); sends fail from then on.
  void CloseSocket();
  // RequestStop, then waits up to timeoutMs for the thread; closes the
  // socket once the thread is gone. TRUE when the thread has ended.
  BOOL Stop(DWORD timeoutMs = 5000);
  BOOL IsRunning() const { return m_thread != nullptr; }
  // The socket exists (made by the receive thread).
  BOOL HasSocket() const { return m_socket.load() != INVALID_SOCKET; }
  // The socket holds port 8001 (replies can arrive).
  BOOL IsBound() const { return m_bound.load() ? TRUE : FALSE; }

  // A name that is not dotted IPv4 text is looked up here (the main dialog
  // answers from the addresses its resolver found; no look-up blocks).
  // Returns FALSE when the name is not resolved.
  using HostLookup = std::function<BOOL(const char* name, in_addr* out)>;
  void SetHostLookup(HostLookup lookup) { m_lookup = std::move(lookup); }

  // One datagram to address text at port 8001 (port is not used). 0 when at
  // least one byte was sent; -1 without a socket, for an unresolved name or
  // a failed send.
  int SendUdpCommand(const void* datagram, int length, const char* ipText, uint16_t port);
  // The 16-byte stream-started notice (kind 0 main, 1 sub).
  int SendStreamStarted(const char* ipText, uint16_t port, uint8_t channel, uint8_t streamKind);

  // On the owner's thread, for WM_UDP_PACKET: one slice of the queue's
  // datagrams handed to receiver, oldest first. Returns how many.
  static int HandlePosted(LPARAM lParam, shell::UdpReceiver& receiver) {
    return CUdpQueuePump::HandleWake(lParam, receiver);
  }
  // The same with nobody to take them: the slice's datagrams go nowhere.
  static int HandlePosted(LPARAM lParam) {
    shell::UdpReceiver nobody;
    return HandlePosted(lParam, nobody);
  }
  // As the receive thread does with a datagram from the socket (FALSE: the
  // queue was full and it was dropped).
  BOOL Offer(const sockaddr_in& from, const uint8_t* data, size_t size) {
    InterlockedIncrement(&m_received);
    return m_pump.Offer(from, data, size);
  }
  // Told, on the receive thread, how many datagrams the full queue dropped
  // since it was last told; at most once a second.
  void SetDropReport(std::function<void(unsigned long dropped)> report) { m_pump.SetDropReport(std::move(report)); }
  // The queue's counts: offered, kept, dropped, handed to the owner.
  shell::CUdpDatagramQueue::Counts QueueCounts() const { return m_pump.Counts(); }
  const CUdpQueuePump& Pump() const { return m_pump; }

  // Datagrams taken off the socket since Start (diagnostics and tests).
  LONG ReceivedCount() const { return m_received; }
  // Passes of the receive loop that found datagrams waiting.
  LONG ReceivePasses() const { return m_passes; }

private:
  static unsigned __stdcall ReceiveThreadProc(void* self);
  void UdpReceiveLoop();
  BOOL WaitOrStop(DWORD ms);  // TRUE when the stop flag was seen
  bool Stopping() const { return m_stop || (m_externalStop && *m_externalStop); }

  HWND m_target = nullptr;
  Options m_options;
  std::atomic<bool> m_stop{false};
  const volatile LONG* m_externalStop = nullptr;
  std::atomic<SOCKET> m_socket{INVALID_SOCKET};
  std::atomic<bool> m_bound{false};
  HANDLE m_thread = nullptr;
  HostLookup m_lookup;
  CUdpQueuePump m_pump;
  volatile LONG m_received = 0;
  volatile LONG m_passes = 0;
};
