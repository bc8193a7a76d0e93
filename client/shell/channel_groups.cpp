#include "channel_groups.h"

#include <algorithm>
#include <cstring>

#include "main_duties.h"

namespace shell {

ChannelGroups::ChannelGroups() { std::memset(&m_plan, 0, sizeof m_plan); }

std::vector<int> ChannelGroups::ListedSlots() const {
  std::vector<int> rows;
  for (int i = 0; i < kSlots; ++i)
    if (m_slots[i].device && m_slots[i].device->state != 0) rows.push_back(i);
  return rows;
}

int ChannelGroups::FindSlot(uint32_t loginId, int channel) const {
  for (int i = 0; i < kSlots; ++i)
    if (m_slots[i].device && m_slots[i].device->loginId == loginId && m_slots[i].channel == channel) return i;
  return -1;
}

bool ChannelGroups::Holds(const DeviceRecord* device, int channel) const {
  for (const Slot& s : m_slots)
    if (s.device == device && s.channel == channel) return true;
  return false;
}

bool ChannelGroups::AddChannel(DeviceRecord* device, int channel) {
  for (Slot& s : m_slots) {
    if (s.device) continue;
    s.device = device;
    s.channel = channel;
    s.group = -1;
    return true;
  }
  return false;
}

void ChannelGroups::RemoveSlot(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  for (std::vector<int>& g : m_groups) {
    auto it = std::find(g.begin(), g.end(), slot);
    if (it != g.end()) g.erase(it);
    for (int& e : g)
      if (e > slot && e < kSlots) --e;
  }
  for (int k = slot; k + 1 < kSlots; ++k) {
    m_slots[k] = m_slots[k + 1];
    std::memcpy(m_plan.entries[k], m_plan.entries[k + 1], sizeof m_plan.entries[k]);
  }
  m_slots[kSlots - 1] = Slot();
  std::memset(m_plan.entries[kSlots - 1], 0, sizeof m_plan.entries[kSlots - 1]);
}

void ChannelGroups::AddToGroup(int g, const std::vector<int>& slots) {
  if (g < 0 || g >= kGroups) return;
  for (int slot : slots) {
    if (slot < 0 || slot >= kSlots || !m_slots[slot].device || m_slots[slot].group >= 0) continue;
    m_groups[g].push_back(slot);
    m_slots[slot].group = g;
  }
}

void ChannelGroups::DeleteFromGroup(int g, std::vector<int> positions) {
  if (g < 0 || g >= kGroups) return;
  // From the last position back, so each position still names its entry.
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  std::vector<int>& list = m_groups[g];
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
    int pos = *it;
    if (pos < 0 || pos >= int(list.size())) continue;
    int slot = list[size_t(pos)];
    list.erase(list.begin() + pos);
    if (slot >= 0 && slot < kSlots) m_slots[slot].group = -1;
  }
}

void ChannelGroups::KeepGroups(int count) {
  for (int g = std::max(count, 0); g < kGroups; ++g) {
    for (int slot : m_groups[g])
      if (slot >= 0 && slot < kSlots && m_slots[slot].group == g) m_slots[slot].group = -1;
    m_groups[g].clear();
  }
}

int ChannelGroups::GroupAutomatically() {
  for (std::vector<int>& g : m_groups) g.clear();
  for (Slot& s : m_slots) s.group = -1;
  std::vector<int> rows = ListedSlots();
  int n = int(rows.size());
  // Beyond the 36th channel there is no window: those stay ungrouped.
  for (int i = 0; i < n && i < kGroups; ++i) {
    m_groups[i].push_back(rows[size_t(i)]);
    m_slots[rows[size_t(i)]].group = i;
  }
  return GroupChoiceForChannels(n);
}

}  // namespace shell
