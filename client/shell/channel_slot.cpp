#include "channel_slot.h"

#include <cstddef>

namespace shell {

void ChannelSlot::Clear() {
  device = nullptr;
  channel = -1;
  subStreamRunning = 0;
  mainStreamRunning = 0;
  recording = 0;
  manualRecord = 0;
  thirdFlag = 0;
  manualAlarm = 0;
  talkback = 0;
  alarmFlags = 0;
  window = -1;
  videoFrames = 0;
  mainTicks = 0;
  subTicks = 0;
  mainRestarts = 0;
  subRestarts = 0;
}

int ChannelTable::IndexOf(const void* slot) const {
  for (int i = 0; i < kChannelSlots; ++i)
    if (slot == &m_slots[i]) return i;
  return -1;
}

int ChannelTable::Find(const DeviceRecord* device, int channel) const {
  if (!device) return -1;
  for (int i = 0; i < kChannelSlots; ++i)
    if (m_slots[i].device.load() == device && m_slots[i].channel.load() == channel) return i;
  return -1;
}

int ChannelTable::Assign(DeviceRecord* device, int channel) {
  if (!device || channel < 0) return -1;
  int held = Find(device, channel);
  if (held >= 0) return held;
  for (int i = 0; i < kChannelSlots; ++i) {
    ChannelSlot& s = m_slots[i];
    if (s.InUse()) continue;
    s.Clear();
    s.channel = channel;
    s.device = device;   // last: a reader that sees the device sees the channel
    CountUsed();
    return i;
  }
  return -1;
}

int ChannelTable::CountUsed() {
  int n = 0;
  for (const ChannelSlot& s : m_slots)
    if (s.InUse()) ++n;
  m_used = n;
  return n;
}

int ChannelTable::SlotSpan() const {
  for (int i = kChannelSlots; i > 0; --i)
    if (m_slots[i - 1].InUse()) return i;
  return 0;
}

void ChannelTable::ClearAll() {
  for (ChannelSlot& s : m_slots) s.Clear();
  m_used = 0;
}

void ChannelTable::SaveTo(SystemConfigImage& image) const {
  for (int i = 0; i < kChannelSlots; ++i) {
    const ChannelSlot& s = m_slots[i];
    LogicalChannelEntry& e = image.channels[i];
    const DeviceRecord* d = s.device.load();
    ptrdiff_t index = d ? d - image.devices : -1;
    e.deviceRef = index >= 0 && index < 36 ? uint32_t(index + 1) : 0;
    e.channel = e.deviceRef ? uint32_t(s.channel.load()) : 0;
    e.recording = s.recording;
    e.manualRecord = s.manualRecord;
    e.thirdFlag = s.thirdFlag;
    e.manualAlarm = s.manualAlarm;
    e.words[0] = s.alarmFlags;
    e.words[1] = 0;
  }
}

void ChannelTable::RestoreFrom(SystemConfigImage& image) {
  for (int i = 0; i < kChannelSlots; ++i) {
    const LogicalChannelEntry& e = image.channels[i];
    ChannelSlot& s = m_slots[i];
    s.Clear();
    if (e.deviceRef < 1 || e.deviceRef > 36 || e.channel > 255) continue;
    s.channel = int32_t(e.channel);
    s.recording = 0;   // a record file never survives a restart
    s.manualRecord = e.manualRecord ? 1 : 0;
    s.thirdFlag = e.thirdFlag ? 1 : 0;
    s.manualAlarm = e.manualAlarm ? 1 : 0;
    s.alarmFlags = e.words[0] & (ChannelSlot::kAlarmMotion | ChannelSlot::kAlarmProbe);
    s.device = &image.devices[e.deviceRef - 1];
  }
  CountUsed();
}

WindowList::WindowList() {
  for (auto& s : slots) s = -1;
}

int WindowList::Count() const {
  int n = count.load();
  return n < 0 ? 0 : n > kChannelSlots ? kChannelSlots : n;
}

int WindowList::At(int index) const {
  if (index < 0 || index >= Count()) return -1;
  return slots[index].load();
}

int WindowList::CurrentSlot() const { return At(position.load()); }

bool WindowList::Contains(int slot) const {
  int n = Count();
  for (int i = 0; i < n; ++i)
    if (slots[i].load() == slot) return true;
  return false;
}

bool WindowList::Add(int slot) {
  if (!ChannelTable::IsValid(slot)) return false;
  int n = Count();
  if (n >= kChannelSlots) return false;
  slots[n] = slot;
  count = n + 1;   // published after the entry
  return true;
}

bool WindowList::Remove(int slot) {
  int n = Count();
  int out = 0;
  for (int i = 0; i < n; ++i) {
    int v = slots[i].load();
    if (v != slot) slots[out++] = v;
  }
  if (out == n) return false;
  count = out;
  for (int i = out; i < n; ++i) slots[i] = -1;
  return true;
}

void WindowList::Clear() {
  count = 0;
  position = -1;
  for (auto& s : slots) s = -1;
}

int WindowListModel::FindWindowOf(int slot) const {
  for (int w = 0; w < kMonitorWindows; ++w)
    if (m_windows[w].Contains(slot)) return w;
  return -1;
}

void WindowListModel::SaveTo(SystemConfigImage& image) const {
  for (int w = 0; w < kMonitorWindows; ++w) {
    const WindowList& l = m_windows[w];
    WindowChannelList& e = image.windows[w];
    e.count = 0;
    int n = l.Count();
    for (int i = 0; i < n; ++i) e.slots[e.count++] = uint32_t(l.slots[i].load());
    for (int i = n; i < kChannelSlots; ++i) e.slots[i] = 0;
    e.showsChannel = l.showsChannel;
    e.stateWords[0] = l.stateWords[0];
    e.stateWords[1] = l.stateWords[1];
    e.pollingPaused = l.pollingPaused;
    int pos = l.position.load();
    e.position = pos < 0 ? 0 : uint32_t(pos);
    e.furtherState = l.furtherState;
  }
}

void WindowListModel::RestoreFrom(const SystemConfigImage& image) {
  for (int w = 0; w < kMonitorWindows; ++w) {
    const WindowChannelList& e = image.windows[w];
    WindowList& l = m_windows[w];
    l.Clear();
    uint32_t n = e.count > kChannelSlots ? kChannelSlots : e.count;
    for (uint32_t i = 0; i < n; ++i)
      if (e.slots[i] < uint32_t(kChannelSlots)) l.Add(int(e.slots[i]));
    l.showsChannel = 0;
    l.stateWords[0] = e.stateWords[0];
    l.stateWords[1] = e.stateWords[1];
    l.pollingPaused = e.pollingPaused ? 1 : 0;
    l.position = e.position < uint32_t(l.Count()) ? int(e.position) : (l.Count() ? 0 : -1);
    l.furtherState = e.furtherState;
  }
}

}  // namespace shell
