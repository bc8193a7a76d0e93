// The bounded queue between the UDP command channel's receive thread and
// the UI thread: its bound, its order, its one wake and its drop counts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "udp_queue.h"

using shell::CUdpDatagramQueue;
using Pushed = CUdpDatagramQueue::Pushed;

namespace {

// A datagram that carries its number in its first four bytes.
std::vector<uint8_t> Numbered(uint32_t n, size_t size = 16) {
  std::vector<uint8_t> b(size, 0xAB);
  std::memcpy(b.data(), &n, 4);
  return b;
}
uint32_t NumberOf(const shell::QueuedDatagram& d) {
  uint32_t n = 0;
  std::memcpy(&n, d.bytes.data(), 4);
  return n;
}

}  // namespace

TEST(UdpQueue, KeepsTheOldestUpToItsBoundAndCountsTheRest) {
  struct Case {
    size_t capacity, pushes;
  } cases[] = {{1, 1}, {1, 5}, {4, 3}, {4, 4}, {4, 10}, {128, 1000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.capacity << " " << c.pushes);
    CUdpDatagramQueue q(c.capacity);
    size_t dropped = 0;
    for (uint32_t i = 0; i < c.pushes; ++i) {
      auto b = Numbered(i);
      if (q.Push(0x0A000001, 8001, b.data(), b.size()) == Pushed::Dropped) ++dropped;
    }
    const size_t kept = std::min(c.capacity, c.pushes);
    EXPECT_EQ(kept, q.Size());
    EXPECT_EQ(c.pushes - kept, dropped);
    auto n = q.GetCounts();
    EXPECT_EQ(c.pushes, n.offered);
    EXPECT_EQ(kept, n.kept);
    EXPECT_EQ(dropped, n.dropped);
    // The kept ones come out first in, first out: the first `kept` pushed.
    shell::QueuedDatagram d;
    for (uint32_t i = 0; i < kept; ++i) {
      ASSERT_TRUE(q.Pop(d));
      EXPECT_EQ(i, NumberOf(d));
      EXPECT_EQ(0x0A000001u, d.from);
      EXPECT_EQ(8001, d.fromPort);
    }
    EXPECT_FALSE(q.Pop(d));
    EXPECT_EQ(kept, q.GetCounts().handed);
  }
}

TEST(UdpQueue, BytesComeBackWholeAndNeverPastTheReceiveBuffer) {
  CUdpDatagramQueue q(4);
  std::vector<uint8_t> small = {1, 2, 3}, big(2000), full(1500);
  for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
  for (size_t i = 0; i < full.size(); ++i) full[i] = uint8_t(i * 3);
  for (auto* b : {&small, &big, &full, &small}) q.Push(1, 2, b->data(), b->size());
  shell::QueuedDatagram d;
  ASSERT_TRUE(q.Pop(d));
  EXPECT_EQ(small, d.bytes);
  ASSERT_TRUE(q.Pop(d));
  EXPECT_EQ(std::vector<uint8_t>(big.begin(), big.begin() + 1500), d.bytes);
  ASSERT_TRUE(q.Pop(d));
  EXPECT_EQ(full, d.bytes);
  ASSERT_TRUE(q.Pop(d));
  EXPECT_EQ(small, d.bytes) << "a short datagram after a long one in the same buffer";
}

TEST(UdpQueue, OneWakeWhileNotEmpty) {
  CUdpDatagramQueue q(3);
  auto b = Numbered(0);
  auto push = [&] { return q.Push(1, 1, b.data(), b.size()); };
  shell::QueuedDatagram d;
  // The first push wakes; later ones, and a full queue's drops, do not.
  EXPECT_EQ(Pushed::KeptWake, push());
  EXPECT_EQ(Pushed::Kept, push());
  EXPECT_EQ(Pushed::Kept, push());
  EXPECT_EQ(Pushed::Dropped, push());
  EXPECT_TRUE(q.WakeOutstanding());
  // A slice that leaves datagrams keeps the wake: the consumer goes on,
  // and pushes meanwhile do not wake again.
  ASSERT_TRUE(q.Pop(d));
  EXPECT_TRUE(q.FinishSlice());
  EXPECT_EQ(Pushed::Kept, push());
  // A slice that empties the queue ends the wake: the next push wakes.
  while (q.Pop(d)) {
  }
  EXPECT_FALSE(q.FinishSlice());
  EXPECT_FALSE(q.WakeOutstanding());
  EXPECT_EQ(Pushed::KeptWake, push());
  // A wake that could not be sent: the next push asks again.
  q.WakeLost();
  EXPECT_EQ(Pushed::KeptWake, push());
  // A slice on an empty queue with a push between its last pop and its end:
  // the wake stays, so the datagram is not left waiting unseen.
  while (q.Pop(d)) {
  }
  EXPECT_EQ(Pushed::Kept, push());
  EXPECT_TRUE(q.FinishSlice());
}

TEST(UdpQueue, DropsAreReportedOnceEach) {
  CUdpDatagramQueue q(1);
  auto b = Numbered(0);
  EXPECT_EQ(0u, q.TakeUnreportedDrops());
  for (int i = 0; i < 6; ++i) q.Push(1, 1, b.data(), b.size());
  EXPECT_EQ(5u, q.TakeUnreportedDrops());
  EXPECT_EQ(0u, q.TakeUnreportedDrops());
  q.Push(1, 1, b.data(), b.size());
  EXPECT_EQ(1u, q.TakeUnreportedDrops());
  EXPECT_EQ(6u, q.GetCounts().dropped);
}

// A receive thread pushing as fast as it can while the consumer pops: what
// is kept comes out in the order pushed, every push is either kept or
// counted as dropped, and the queue never holds more than its bound.
TEST(UdpQueue, ProducerAndConsumerOnTwoThreads) {
  CUdpDatagramQueue q(64);
  const uint32_t total = 200000;
  std::atomic<bool> done{false};
  std::atomic<uint32_t> wakes{0};
  std::thread producer([&] {
    for (uint32_t i = 0; i < total; ++i) {
      auto b = Numbered(i);
      if (q.Push(1, 1, b.data(), b.size()) == Pushed::KeptWake) ++wakes;
    }
    done = true;
  });
  shell::QueuedDatagram d;
  uint64_t popped = 0;
  int64_t last = -1;
  bool ordered = true;
  size_t most = 0;
  for (;;) {
    most = std::max(most, q.Size());
    const bool finished = done.load();
    int slice = 0;
    while (slice < 16 && q.Pop(d)) {
      ordered = ordered && int64_t(NumberOf(d)) > last;
      last = NumberOf(d);
      ++popped;
      ++slice;
    }
    if (!q.FinishSlice() && finished) break;
  }
  producer.join();
  EXPECT_TRUE(ordered);
  EXPECT_LE(most, 64u);
  auto n = q.GetCounts();
  EXPECT_EQ(total, n.offered);
  EXPECT_EQ(n.offered, n.kept + n.dropped);
  EXPECT_EQ(n.kept, popped);
  EXPECT_EQ(popped, n.handed);
  EXPECT_GE(wakes.load(), 1u);
  EXPECT_LE(uint64_t(wakes.load()), popped);
}
