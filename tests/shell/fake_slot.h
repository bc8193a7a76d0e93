// The fields of a channel slot that stream deliveries read and write, for
// tests of the delivery steps without the main dialog.
#pragma once

#include <atomic>
#include <cstdint>

struct FakeChannelSlot {
  std::atomic<int32_t> window{-1};
  std::atomic<uint32_t> recording{0}, manualRecord{0};
  std::atomic<int32_t> mainTicks{0}, subTicks{0}, mainRestarts{0}, subRestarts{0};

  FakeChannelSlot() = default;
  FakeChannelSlot(int ticks, int restarts) : mainTicks(ticks), subTicks(ticks), mainRestarts(restarts), subRestarts(restarts) {}
  void MainDataArrived() {
    mainTicks = 0;
    mainRestarts = 0;
  }
  void SubDataArrived() {
    subTicks = 0;
    subRestarts = 0;
  }
};
