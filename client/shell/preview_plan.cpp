#include "preview_plan.h"

#include <cstring>

#include "text_copy.h"

namespace shell {

void FillPlanSlot(PlanSlot& slot, const PlanSnapshot& now, const char* name, const char* user, const char* date) {
  slot.used = 1;
  slot.layoutKind = uint32_t(now.layoutKind);
  CopyText(slot.date, date);
  CopyText(slot.userName, user);
  CopyText(slot.name, name);
  if (!now.windows || !now.channels) return;
  for (int w = 0; w < kMonitorWindows; ++w) {
    const WindowList& list = (*now.windows)[w];
    PlanWindow& pw = slot.windows[w];
    pw.used = list.showsChannel ? 1 : 0;
    pw.sound = now.audioFlags ? uint8_t(now.audioFlags[w] & 0xFF) : 0;
    int count = list.Count();
    pw.record = 0;
    for (int j = 0; j < count && j < kPlanWindowChannels; ++j)
      if (const ChannelSlot* s = now.channels->At(list.At(j)))
        if (s->InUse()) pw.record = s->recording ? 1 : 0;
    if (!pw.used) continue;
    for (int j = 0; j < kPlanWindowChannels; ++j) {
      PlanChannel& pc = pw.channels[j];
      pc.used = j < count ? 1 : 0;
      if (!pc.used) continue;
      const ChannelSlot* s = now.channels->At(list.At(j));
      const DeviceRecord* device = s ? s->device.load() : nullptr;
      if (!device) continue;
      pc.channel = uint32_t(s->channel.load());
      CopyText(pc.address, device->address);
    }
  }
}

int FirstFreeNamedPlanSlot(const PlanImage& image) {
  for (int s = 0; s < kLastPlayPlanSlot; ++s)
    if (image.slots[s].used == 0) return s;
  return -1;
}

bool PlanNameTaken(const PlanImage& image, const char* name) {
  const char* n = name ? name : "";
  for (const PlanSlot& s : image.slots)
    if (strncmp(s.name, n, sizeof s.name) == 0 && strlen(n) < sizeof s.name) return true;
  return false;
}

bool PlanPlayable(const PlanSlot& slot) { return slot.used == 1 && slot.layoutKind >= 1 && slot.layoutKind <= 10; }

bool PlayPlanSlot(const PlanSlot& slot, PlanTarget& target) {
  if (!PlanPlayable(slot)) return false;
  for (int w = 0; w < kMonitorWindows; ++w)
    if (target.WindowShowsChannel(w)) target.CloseWindowView(w);
  target.ConnectAll();
  target.ArrangeWindows(int(slot.layoutKind));
  for (int w = 0; w < kMonitorWindows; ++w) {
    const PlanWindow& pw = slot.windows[w];
    if (!pw.used) continue;
    for (const PlanChannel& pc : pw.channels) {
      if (!pc.used) continue;
      char address[sizeof pc.address];
      CopyText(address, pc.address);
      target.OpenChannelInWindow(address, int(pc.channel), w);
    }
    if (pw.record && target.WindowShowsChannel(w)) target.SetWindowRecordOn(w);
  }
  return true;
}

}  // namespace shell
