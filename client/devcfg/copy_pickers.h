// The pickers the pages' "Copy Settings To ..." buttons run: the channel
// check list ("Channel Selection") and the week-day check list ("Week Day
// Selection"). The pages ask through these entries, which run the shell's
// picker dialogs; a test may put its own in their place.
#pragma once
#include <afxwin.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CSettingsPageHost;

namespace devcfg {

// names: one per channel offered; on OK *mask holds bit n for a ticked
// channel n. False: cancelled.
using ChannelPicker = std::function<bool(CWnd* parent, const std::vector<std::string>& names, uint64_t* mask)>;
// On OK *days holds bit d for a ticked day d (0 Monday .. 6 Sunday).
using WeekDayPicker = std::function<bool(CWnd* parent, unsigned* days)>;

// Null puts the picker dialog back.
void SetChannelPicker(ChannelPicker picker);
void SetWeekDayPicker(WeekDayPicker picker);

// Runs the channel picker over names, one per channel offered (at most
// 64). False when cancelled.
bool PickChannels(CWnd* parent, const std::vector<std::string>& names, uint64_t* mask);
// Runs the channel picker with the names of the settings dialog's mirror,
// one per channel of the main dialog's channel count. False when cancelled.
bool PickCopyChannels(CWnd* parent, CSettingsPageHost* owner, uint64_t* mask);
bool PickWeekDays(CWnd* parent, unsigned* days);

}  // namespace devcfg
