// Preview plans: the monitor area saved into a PlanSlot of LocalPlans.dat
// and played back into the monitor windows. Pure rules over the plan image,
// the channel slots and the windows' lists; playing goes through a small
// interface so the rules run without windows.
#pragma once

#include <cstdint>

#include "channel_slot.h"
#include "config_image.h"

namespace shell {

constexpr int kPlanSlots = 20;
constexpr int kPlanNameChars = 100;     // the name field's characters
constexpr int kPlanWindowChannels = 20;

// What the system holds when a plan is saved.
struct PlanSnapshot {
  int layoutKind = 0;
  const ChannelTable* channels = nullptr;
  const WindowListModel* windows = nullptr;
  const uint32_t* audioFlags = nullptr;   // 36 window audio flags, or null
};

// Fills the slot: used, layout kind, date, user, name (each bounded to its
// field), then the 36 windows. Entries that name no slot in use keep what
// the slot held.
void FillPlanSlot(PlanSlot& slot, const PlanSnapshot& now, const char* name, const char* user, const char* date);
// The first unused slot among 0..18 (slot 19 is the Last Play Plan), -1 none.
int FirstFreeNamedPlanSlot(const PlanImage& image);
// True when any slot (used or not) has exactly this name: an empty name is
// taken while any slot is zeroed.
bool PlanNameTaken(const PlanImage& image, const char* name);
// A slot worth playing: in use with a layout kind of 1..10.
bool PlanPlayable(const PlanSlot& slot);

// What playing a plan does to the monitor area.
class PlanTarget {
public:
  virtual ~PlanTarget() = default;
  virtual bool WindowShowsChannel(int window) = 0;
  virtual void CloseWindowView(int window) = 0;
  virtual void ConnectAll() = 0;               // then a short wait
  virtual void ArrangeWindows(int layoutKind) = 0;
  virtual void OpenChannelInWindow(const char* address, int channel, int window) = 0;
  // Recording on for the window's idle channels (never off for others).
  virtual void SetWindowRecordOn(int window) = 0;
};
// Plays the slot: closes every shown window, connects, arranges the layout,
// opens each window's channels in order and switches recording on where the
// plan says so. FALSE (nothing touched) when the slot is not playable.
bool PlayPlanSlot(const PlanSlot& slot, PlanTarget& target);

}  // namespace shell
