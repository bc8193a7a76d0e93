#include "copy_pickers.h"

#include "FrontEndSettingsDlg.h"
#include "main_dlg_face.h"

namespace devcfg {
namespace {
ChannelPicker& Channels() {
  static ChannelPicker picker;
  return picker;
}
WeekDayPicker& WeekDays() {
  static WeekDayPicker picker;
  return picker;
}
}  // namespace

void SetChannelPicker(ChannelPicker picker) { Channels() = std::move(picker); }
void SetWeekDayPicker(WeekDayPicker picker) { WeekDays() = std::move(picker); }
bool HasChannelPicker() { return bool(Channels()); }
bool HasWeekDayPicker() { return bool(WeekDays()); }

bool PickCopyChannels(CWnd* parent, CFrontEndSettingsDlg* owner, uint64_t* mask) {
  if (!Channels() || !owner || !mask) return false;
  const int count = g_pMainDlg ? CappedChannelCount(g_pMainDlg->m_channels.UsedCount()) : 0;
  std::vector<std::string> names;
  for (int ch = 0; ch < count; ++ch) names.push_back(ChannelName(owner->MirrorBlock(ch)));
  *mask = 0;
  return Channels()(parent, names, mask);
}

bool PickWeekDays(CWnd* parent, unsigned* days) {
  if (!WeekDays() || !days) return false;
  *days = 0;
  return WeekDays()(parent, days);
}

}  // namespace devcfg
