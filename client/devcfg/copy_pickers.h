// The pickers the pages' "Copy Settings To ..." buttons run: the channel
// check list and the week-day check list. The pages ask through these
// entries; the program sets them to its picker dialogs, a test to its own.
// With no picker set the copy buttons stay disabled.
#pragma once
#include <afxwin.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CFrontEndSettingsDlg;

namespace devcfg {

// names: one per channel offered; on OK *mask holds bit n for a ticked
// channel n. False: cancelled.
using ChannelPicker = std::function<bool(CWnd* parent, const std::vector<std::string>& names, uint64_t* mask)>;
// On OK *days holds bit d for a ticked day d (0 Monday .. 6 Sunday).
using WeekDayPicker = std::function<bool(CWnd* parent, unsigned* days)>;

void SetChannelPicker(ChannelPicker picker);
void SetWeekDayPicker(WeekDayPicker picker);
bool HasChannelPicker();
bool HasWeekDayPicker();

// Runs the channel picker with the names of the settings dialog's mirror,
// one per channel of the main dialog's channel count. False when cancelled
// or no picker is set.
bool PickCopyChannels(CWnd* parent, CFrontEndSettingsDlg* owner, uint64_t* mask);
bool PickWeekDays(CWnd* parent, unsigned* days);

}  // namespace devcfg
