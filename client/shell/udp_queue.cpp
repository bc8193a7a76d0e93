#include "udp_queue.h"

#include <algorithm>

namespace shell {

CUdpDatagramQueue::CUdpDatagramQueue(size_t capacity) : m_slots(std::max<size_t>(capacity, 1)) {
  // Every buffer at its full size now: a flood allocates nothing.
  for (QueuedDatagram& d : m_slots) d.bytes.reserve(kMaxDatagram);
}

CUdpDatagramQueue::Pushed CUdpDatagramQueue::Push(uint32_t from, uint16_t fromPort, const uint8_t* data,
                                                  size_t size) {
  std::lock_guard<std::mutex> l(m_lock);
  ++m_counts.offered;
  if (m_size == m_slots.size()) {
    ++m_counts.dropped;
    return Pushed::Dropped;
  }
  QueuedDatagram& d = m_slots[(m_head + m_size) % m_slots.size()];
  d.from = from;
  d.fromPort = fromPort;
  size = std::min(size, kMaxDatagram);
  d.bytes.assign(data, data + size);
  ++m_size;
  ++m_counts.kept;
  if (m_wake) return Pushed::Kept;
  m_wake = true;
  return Pushed::KeptWake;
}

void CUdpDatagramQueue::WakeLost() {
  std::lock_guard<std::mutex> l(m_lock);
  m_wake = false;
}

bool CUdpDatagramQueue::Pop(QueuedDatagram& out) {
  std::lock_guard<std::mutex> l(m_lock);
  if (m_size == 0) return false;
  const QueuedDatagram& d = m_slots[m_head];
  out.from = d.from;
  out.fromPort = d.fromPort;
  out.bytes.assign(d.bytes.begin(), d.bytes.end());
  m_head = (m_head + 1) % m_slots.size();
  --m_size;
  ++m_counts.handed;
  return true;
}

bool CUdpDatagramQueue::FinishSlice() {
  std::lock_guard<std::mutex> l(m_lock);
  if (m_size > 0) {
    m_wake = true;
    return true;
  }
  m_wake = false;
  return false;
}

bool CUdpDatagramQueue::WakeOutstanding() const {
  std::lock_guard<std::mutex> l(m_lock);
  return m_wake;
}

size_t CUdpDatagramQueue::Size() const {
  std::lock_guard<std::mutex> l(m_lock);
  return m_size;
}

CUdpDatagramQueue::Counts CUdpDatagramQueue::GetCounts() const {
  std::lock_guard<std::mutex> l(m_lock);
  return m_counts;
}

uint64_t CUdpDatagramQueue::TakeUnreportedDrops() {
  std::lock_guard<std::mutex> l(m_lock);
  uint64_t n = m_counts.dropped - m_reportedDrops;
  m_reportedDrops = m_counts.dropped;
  return n;
}

}  // namespace shell
