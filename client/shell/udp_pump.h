// The road of received datagrams from the UDP command channel's receive
// thread to its owner's window: the receive thread offers each datagram to
// a bounded queue (udp_queue.h) and posts one wake message, WM_UDP_PACKET,
// while the queue is not empty; the owner's thread, on that message, works
// the queue off in slices of a few milliseconds. When a slice leaves
// datagrams behind and input or painting waits, the next slice comes from a
// timer, which the system hands out only after them, so the operator's
// clicks are acted on between slices; otherwise it is posted at once.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>

#include "udp_packets.h"
#include "udp_queue.h"

// Posted to the owner's window while datagrams wait: lParam names the
// pump (a number, not a pointer: a late wake after the pump is gone does
// nothing). The owner passes lParam to CUdpQueuePump::HandleWake. The main
// dialog's own messages of this channel take ids 0x0A30-0x0A3F.
constexpr UINT WM_UDP_PACKET = 0x0A30;

class CUdpQueuePump {
public:
  explicit CUdpQueuePump(size_t capacity = shell::CUdpDatagramQueue::kDefaultCapacity);
  ~CUdpQueuePump();
  CUdpQueuePump(const CUdpQueuePump&) = delete;
  CUdpQueuePump& operator=(const CUdpQueuePump&) = delete;

  // The window that gets the wakes (none: datagrams wait, then drop).
  void SetTarget(HWND target) { m_target = target; }
  // How long one slice may run on the owner's thread.
  void SetSliceMs(DWORD ms) { m_sliceMs = ms ? ms : 1; }
  // Told, on the receive thread, of the datagrams dropped since it was last
  // told, at most once a second.
  void SetDropReport(std::function<void(unsigned long dropped)> report) { m_dropReport = std::move(report); }

  // Receive thread: one datagram from the socket. FALSE when it was dropped.
  BOOL Offer(const sockaddr_in& from, const uint8_t* data, size_t size);
  // Receive thread, once a pass: the drop report when one is due, and a wake
  // again when the one outstanding has gone unanswered for a second.
  void Tend();

  // On the owner's thread, for WM_UDP_PACKET: one slice of the pump that
  // lParam names, handed to receiver. Returns the datagrams handed on.
  static int HandleWake(LPARAM lParam, shell::UdpReceiver& receiver);

  shell::CUdpDatagramQueue::Counts Counts() const { return m_queue.GetCounts(); }
  size_t Waiting() const { return m_queue.Size(); }
  // The slowest slice so far, in milliseconds.
  double LongestSliceMs() const { return m_longestSliceUs.load() / 1000.0; }

private:
  int Slice(shell::UdpReceiver& receiver);
  void Continue();
  BOOL PostWake();
  static void CALLBACK ContinueProc(HWND hwnd, UINT, UINT_PTR id, DWORD);

  shell::CUdpDatagramQueue m_queue;
  shell::QueuedDatagram m_item;  // the owner's thread's buffer
  HWND m_target = nullptr;
  DWORD m_sliceMs = 5;
  LPARAM m_cookie;
  bool m_inSlice = false;
  std::atomic<DWORD> m_wakeTick{0}, m_sliceTick{0};
  std::atomic<long> m_longestSliceUs{0};
  DWORD m_lastReportTick = 0;
  std::function<void(unsigned long)> m_dropReport;
};
