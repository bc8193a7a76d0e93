// The main dialog's 64 logical channel slots and the channel lists of its 36
// monitor windows. The stream callbacks read both on the SDK's threads while
// the UI thread changes them: every field that crosses threads is atomic and
// every list lives in a fixed array, so a reader sees an old or a new value,
// never a torn one and never an index outside its array. No window code here.
#pragma once

#include <atomic>
#include <cstdint>

#include "config_image.h"

namespace shell {

constexpr int kChannelSlots = 64;
constexpr int kMonitorWindows = 36;

// One logical channel: a channel of a connected device as the client uses it.
struct ChannelSlot {
  std::atomic<DeviceRecord*> device{nullptr};   // null: the slot is free
  std::atomic<int32_t> channel{-1};              // channel on the device, from 0
  std::atomic<uint32_t> subStreamRunning{0};
  std::atomic<uint32_t> mainStreamRunning{0};    // the stream-started flag
  std::atomic<uint32_t> recording{0};            // a record file is open
  std::atomic<uint32_t> manualRecord{0};         // the operator's record switch
  std::atomic<uint32_t> thirdFlag{0};            // channel state kind 3
  std::atomic<uint32_t> manualAlarm{0};          // channel state kind 4
  std::atomic<uint32_t> talkback{0};             // talkback mark
  std::atomic<uint32_t> alarmFlags{0};           // kAlarmMotion | kAlarmProbe
  std::atomic<int32_t> window{-1};               // monitor window showing it, -1 none
  std::atomic<uint32_t> videoFrames{0};          // main-stream video frames seen
  // Watchdog: seconds without data and restarts in a row, per stream.
  std::atomic<int32_t> mainTicks{0}, subTicks{0};
  std::atomic<int32_t> mainRestarts{0}, subRestarts{0};

  enum : uint32_t { kAlarmMotion = 0x10, kAlarmProbe = 0x100 };

  bool InUse() const { return device.load() != nullptr; }
  // Back to a free slot: every field zero, channel and window -1.
  void Clear();
  // Data arrived on a stream (the callbacks call these).
  void MainDataArrived() { mainTicks = 0; mainRestarts = 0; }
  void SubDataArrived() { subTicks = 0; subRestarts = 0; }
};

class ChannelTable {
public:
  ChannelSlot& operator[](int i) { return m_slots[i]; }
  const ChannelSlot& operator[](int i) const { return m_slots[i]; }
  static bool IsValid(int i) { return i >= 0 && i < kChannelSlots; }
  // Null for an index outside 0..63.
  ChannelSlot* At(int i) { return IsValid(i) ? &m_slots[i] : nullptr; }
  const ChannelSlot* At(int i) const { return IsValid(i) ? &m_slots[i] : nullptr; }
  // The index of a slot object of this table, -1 for any other pointer.
  int IndexOf(const void* slot) const;
  // The slot holding device/channel, -1 when none.
  int Find(const DeviceRecord* device, int channel) const;
  // Gives device/channel a slot: the one already holding it, else the first
  // free one (its window reset to -1). -1 when all 64 are taken.
  int Assign(DeviceRecord* device, int channel);
  // Recounts the slots in use (the logical-channel count) and returns it.
  int CountUsed();
  int UsedCount() const { return m_used; }
  // One past the highest slot in use: slots are not compacted when a device
  // goes, so used slots may lie beyond UsedCount().
  int SlotSpan() const;
  void ClearAll();

  // The slots into the configuration image and back. A device reference is
  // stored as its record index + 1 (0 = none) so it survives a restart.
  void SaveTo(SystemConfigImage& image) const;
  void RestoreFrom(SystemConfigImage& image);

private:
  ChannelSlot m_slots[kChannelSlots];
  int m_used = 0;
};

// One monitor window's polling list and the state saved with it.
struct WindowList {
  std::atomic<int32_t> slots[kChannelSlots];
  std::atomic<int32_t> count{0};                 // 0..64
  std::atomic<int32_t> position{-1};             // current entry, -1 none
  std::atomic<uint32_t> showsChannel{0};
  uint32_t stateWords[2] = {0, 0};
  std::atomic<uint32_t> pollingPaused{0};
  uint32_t furtherState = 0;
  uint32_t enlarged = 0;                         // set by the single-window layout
  // What the stream callbacks play into.
  std::atomic<int32_t> mainHandle{0}, subHandle{0};
  std::atomic<uint32_t> showsMainStream{0};      // 1 main stream, 0 sub stream

  WindowList();
  int Count() const;
  int At(int index) const;                       // -1 outside the list
  // The slot at the current position, -1 when the position is outside.
  int CurrentSlot() const;
  bool Contains(int slot) const;
  bool Add(int slot);                            // FALSE when full or invalid
  // Removes every entry of slot; later entries move up.
  bool Remove(int slot);
  void Clear();
};

class WindowListModel {
public:
  static bool IsValid(int w) { return w >= 0 && w < kMonitorWindows; }
  WindowList& operator[](int w) { return m_windows[w]; }
  const WindowList& operator[](int w) const { return m_windows[w]; }
  WindowList* At(int w) { return IsValid(w) ? &m_windows[w] : nullptr; }
  const WindowList* At(int w) const { return IsValid(w) ? &m_windows[w] : nullptr; }
  // The slot window w shows, -1 when none (or w is out of range).
  int CurrentSlot(int w) const { return IsValid(w) ? m_windows[w].CurrentSlot() : -1; }
  // The first window whose list holds slot, -1 when none.
  int FindWindowOf(int slot) const;

  // The windows' lists into the configuration image and back; a restored
  // window never starts with its shows-a-channel flag set.
  void SaveTo(SystemConfigImage& image) const;
  void RestoreFrom(const SystemConfigImage& image);

private:
  WindowList m_windows[kMonitorWindows];
};

}  // namespace shell
