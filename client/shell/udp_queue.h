// Datagrams on their way from the UDP command channel's receive thread to
// the UI thread: a bounded first-in first-out queue. The receive thread
// keeps taking everything the socket holds; what the queue cannot hold is
// dropped and counted, so a flood costs a fixed amount of memory and the
// UI thread never has more than the queue's bound to work off. While the
// queue is not empty one wake is outstanding: the push that finds no wake
// outstanding asks its caller to send one, and the consumer keeps it until
// a slice leaves the queue empty.
//
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace shell {

struct QueuedDatagram {
  uint32_t from = 0;      // host order
  uint16_t fromPort = 0;  // host order
  std::vector<uint8_t> bytes;
};

class CUdpDatagramQueue {
public:
  // Datagrams held at most: what a loaded, emulated UI thread works off in
  // well under a second.
  static constexpr size_t kDefaultCapacity = 64;
  // Bytes kept of one datagram at most (the receive buffer's size).
  static constexpr size_t kMaxDatagram = 1500;

  explicit CUdpDatagramQueue(size_t capacity = kDefaultCapacity);

  enum class Pushed { Kept, KeptWake, Dropped };
  // Receive side. KeptWake: the datagram was kept and the caller must wake
  // the consumer (the wake is outstanding from now on).
  Pushed Push(uint32_t from, uint16_t fromPort, const uint8_t* data, size_t size);
  // The wake could not be sent: the next push asks for one again.
  void WakeLost();

  // Consumer: the oldest datagram into out, reusing its buffer; false when
  // the queue is empty.
  bool Pop(QueuedDatagram& out);
  // Consumer, at the end of a slice: true when datagrams remain (the wake
  // stays outstanding: the consumer continues later); false when the queue
  // is empty (the next push wakes).
  bool FinishSlice();

  bool WakeOutstanding() const;
  size_t Size() const;
  size_t Capacity() const { return m_slots.size(); }

  struct Counts {
    uint64_t offered = 0;  // pushes
    uint64_t kept = 0;     // pushes that found room
    uint64_t dropped = 0;  // pushes that did not
    uint64_t handed = 0;   // pops
  };
  Counts GetCounts() const;
  // Drops since the last call (0 the first time there were none).
  uint64_t TakeUnreportedDrops();

private:
  mutable std::mutex m_lock;
  std::vector<QueuedDatagram> m_slots;  // a ring, buffers kept
  size_t m_head = 0, m_size = 0;
  bool m_wake = false;
  Counts m_counts;
  uint64_t m_reportedDrops = 0;
};

}  // namespace shell
