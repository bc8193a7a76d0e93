#include "udp_pump.h"

#include <map>
#include <mutex>

namespace {

// The pumps alive, by the number their wakes carry.
std::mutex g_pumpsLock;
std::map<LPARAM, CUdpQueuePump*>& Pumps() {
  static std::map<LPARAM, CUdpQueuePump*> pumps;
  return pumps;
}
LPARAM g_nextCookie = 1;

// The continuation timer of a pump on its owner's window: its id carries the
// pump's number.
constexpr UINT_PTR kTimerBase = 0x55D00000;
constexpr UINT_PTR kTimerMask = 0x000FFFFF;
constexpr DWORD kWakeRetryMs = 1000;
constexpr DWORD kReportEveryMs = 1000;

double NowUs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1e6 / double(frequency.QuadPart);
}

}  // namespace

CUdpQueuePump::CUdpQueuePump(size_t capacity) : m_queue(capacity) {
  m_item.bytes.reserve(shell::CUdpDatagramQueue::kMaxDatagram);
  std::lock_guard<std::mutex> l(g_pumpsLock);
  m_cookie = g_nextCookie;
  g_nextCookie = g_nextCookie % LPARAM(kTimerMask) + 1;
  Pumps()[m_cookie] = this;
}

CUdpQueuePump::~CUdpQueuePump() {
  {
    std::lock_guard<std::mutex> l(g_pumpsLock);
    Pumps().erase(m_cookie);
  }
  if (m_target && ::IsWindow(m_target)) ::KillTimer(m_target, kTimerBase | UINT_PTR(m_cookie));
}

BOOL CUdpQueuePump::Offer(const sockaddr_in& from, const uint8_t* data, size_t size) {
  auto pushed = m_queue.Push(ntohl(from.sin_addr.s_addr), ntohs(from.sin_port), data, size);
  if (pushed == shell::CUdpDatagramQueue::Pushed::Dropped) return FALSE;
  if (pushed == shell::CUdpDatagramQueue::Pushed::KeptWake && !PostWake()) m_queue.WakeLost();
  return TRUE;
}

BOOL CUdpQueuePump::PostWake() {
  m_wakeTick = ::GetTickCount();
  return m_target && ::PostMessageA(m_target, WM_UDP_PACKET, 0, m_cookie);
}

void CUdpQueuePump::Tend() {
  const DWORD now = ::GetTickCount();
  if (m_dropReport && now - m_lastReportTick >= kReportEveryMs) {
    if (uint64_t dropped = m_queue.TakeUnreportedDrops()) {
      m_lastReportTick = now;
      m_dropReport((unsigned long)dropped);
    }
  }
  // A wake the owner let pass (a window that was not yet ready for it): the
  // queue would otherwise wait for good.
  if (m_queue.WakeOutstanding() && now - m_wakeTick.load() >= kWakeRetryMs &&
      now - m_sliceTick.load() >= kWakeRetryMs)
    PostWake();
}

int CUdpQueuePump::HandleWake(LPARAM lParam, shell::UdpReceiver& receiver) {
  CUdpQueuePump* pump = nullptr;
  {
    std::lock_guard<std::mutex> l(g_pumpsLock);
    auto it = Pumps().find(lParam);
    if (it != Pumps().end()) pump = it->second;
  }
  return pump ? pump->Slice(receiver) : 0;
}

int CUdpQueuePump::Slice(shell::UdpReceiver& receiver) {
  // A receiver that runs a message loop of its own may see the next wake
  // inside its call: the slice it is part of carries on when it returns.
  if (m_inSlice) return 0;
  m_inSlice = true;
  m_sliceTick = ::GetTickCount();
  const double start = NowUs();
  const double budgetUs = double(m_sliceMs) * 1000.0;
  int handed = 0;
  // At least one datagram a slice, however slow its receivers.
  while (m_queue.Pop(m_item)) {
    shell::DispatchUdpDatagram(m_item.bytes.data(), m_item.bytes.size(), shell::Ipv4Text(m_item.from), receiver);
    ++handed;
    if (NowUs() - start >= budgetUs) break;
  }
  const long took = long(NowUs() - start);
  if (took > m_longestSliceUs.load()) m_longestSliceUs = took;
  m_sliceTick = ::GetTickCount();
  m_inSlice = false;
  if (m_queue.FinishSlice()) Continue();
  return handed;
}

void CUdpQueuePump::Continue() {
  // Posted messages come before input and painting; a timer comes after
  // both. While the operator's input or a repaint waits, the next slice
  // waits for them.
  const DWORD waiting = HIWORD(::GetQueueStatus(QS_INPUT | QS_PAINT | QS_HOTKEY));
  if (!waiting && ::PostMessageA(m_target, WM_UDP_PACKET, 0, m_cookie)) return;
  if (!::SetTimer(m_target, kTimerBase | UINT_PTR(m_cookie), USER_TIMER_MINIMUM, &ContinueProc))
    m_queue.WakeLost();  // the next datagram wakes again, or Tend
}

void CALLBACK CUdpQueuePump::ContinueProc(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(hwnd, id);
  // Input and painting have been dealt with: the slice comes at once.
  const LPARAM cookie = LPARAM(id & kTimerMask);
  if (!::PostMessageA(hwnd, WM_UDP_PACKET, 0, cookie)) {
    std::lock_guard<std::mutex> l(g_pumpsLock);
    auto it = Pumps().find(cookie);
    if (it != Pumps().end()) it->second->m_queue.WakeLost();
  }
}
