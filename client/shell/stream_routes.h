// Extra places a logical channel's live video plays into besides its
// monitor window: the alarm video pop-up's play handle. Published by the UI
// thread, read by the stream callbacks on the SDK's threads as one atomic
// word, so a reader never sees a slot with another slot's handle.
#pragma once

#include <cstdint>

namespace shell {

// Slot -1 (or handle 0) ends the route.
void PublishAlarmVideoRoute(int slot, int playHandle);
// The pop-up's play handle when it shows this slot, else 0.
int AlarmVideoHandleFor(int slot);

}  // namespace shell
