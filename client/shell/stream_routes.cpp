#include "stream_routes.h"

#include <atomic>

namespace shell {

namespace {
// Slot + 1 in the low byte, the play handle above it; 0 when none.
std::atomic<uint64_t> g_alarmVideoRoute{0};
}  // namespace

void PublishAlarmVideoRoute(int slot, int playHandle) {
  if (slot < 0 || slot > 254 || playHandle <= 0) {
    g_alarmVideoRoute.store(0);
    return;
  }
  g_alarmVideoRoute.store(uint64_t(slot + 1) | (uint64_t(uint32_t(playHandle)) << 8));
}

int AlarmVideoHandleFor(int slot) {
  uint64_t v = g_alarmVideoRoute.load();
  if (!v || int(v & 0xFF) != slot + 1) return 0;
  return int(uint32_t(v >> 8));
}

}  // namespace shell
