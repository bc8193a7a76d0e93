// The monitoring channel list's model: copies of the 64 channel slots
// (device, channel, group), the 36 groups (each a monitor window's polling
// list of slot indexes) and the local work plan's rows of the slots, with
// the dialog's operations on them. The dialog shows it; the main dialog
// takes it back after OK. No window code here.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <vector>

#include "config_image.h"

namespace shell {

class ChannelGroups {
public:
  static constexpr int kSlots = 64;
  static constexpr int kGroups = 36;

  struct Slot {
    DeviceRecord* device = nullptr;  // null: free
    int channel = -1;
    int group = -1;                  // -1: none
  };

  ChannelGroups();

  Slot& operator[](int i) { return m_slots[i]; }
  const Slot& operator[](int i) const { return m_slots[i]; }
  std::vector<int>& Group(int g) { return m_groups[g]; }
  const std::vector<int>& Group(int g) const { return m_groups[g]; }
  // The work plan rows (7 days x 4 entries) that travel with each slot.
  WorkPlanEntry (&PlanRows(int slot))[7][4] { return m_plan.entries[slot]; }
  LocalWorkPlan& Plan() { return m_plan; }

  // Slots that show in the all-channels list (a device that is not
  // offline), in slot order.
  std::vector<int> ListedSlots() const;
  // The slot whose device has this login id and this channel, -1 when none.
  int FindSlot(uint32_t loginId, int channel) const;
  bool Holds(const DeviceRecord* device, int channel) const;

  // Into the first free slot; false when none is free.
  bool AddChannel(DeviceRecord* device, int channel);
  // Removes the slot: out of every group, later slots (and their work plan
  // rows) move down by one and are renamed in the groups, the last slot is
  // freed.
  void RemoveSlot(int slot);
  // Appends the slots that have no group yet to group g.
  void AddToGroup(int g, const std::vector<int>& slots);
  // Removes the entries at these positions of group g (any order, repeats
  // ignored); their slots lose their group.
  void DeleteFromGroup(int g, std::vector<int> positions);
  // Empties the groups from count up; their slots lose their group.
  void KeepGroups(int count);
  // Each listed slot alone in a group of its own, in list order, up to 36;
  // returns the groups-count choice that shows them (-1 for none).
  int GroupAutomatically();

private:
  Slot m_slots[kSlots];
  std::vector<int> m_groups[kGroups];
  LocalWorkPlan m_plan;
};

}  // namespace shell
