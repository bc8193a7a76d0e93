#include "copy_pickers.h"

#include "check_list_dlgs.h"
#include "config_page.h"
#include "main_dlg_face.h"

namespace devcfg {
namespace {

bool RunChannelSelect(CWnd* parent, const std::vector<std::string>& names, uint64_t* mask) {
  CChannelSelectDlg dlg(parent);
  dlg.m_channelCount = int(names.size() < size_t(kMaxChannels) ? names.size() : size_t(kMaxChannels));
  for (int i = 0; i < dlg.m_channelCount; ++i) dlg.m_names[i] = names[size_t(i)].c_str();
  if (dlg.DoModal() != IDOK) return false;
  for (int i = 0; i < dlg.m_channelCount; ++i)
    if (dlg.m_check[i]) *mask |= uint64_t(1) << i;
  return true;
}

bool RunWeekDaySelect(CWnd* parent, unsigned* days) {
  CWeekDaySelectDlg dlg(parent);
  if (dlg.DoModal() != IDOK) return false;
  *days = dlg.DayMask();
  return true;
}

ChannelPicker& Channels() {
  static ChannelPicker picker = RunChannelSelect;
  return picker;
}
WeekDayPicker& WeekDays() {
  static WeekDayPicker picker = RunWeekDaySelect;
  return picker;
}

}  // namespace

void SetChannelPicker(ChannelPicker picker) { Channels() = picker ? std::move(picker) : RunChannelSelect; }
void SetWeekDayPicker(WeekDayPicker picker) { WeekDays() = picker ? std::move(picker) : RunWeekDaySelect; }

bool PickChannels(CWnd* parent, const std::vector<std::string>& names, uint64_t* mask) {
  if (!mask) return false;
  *mask = 0;
  return Channels()(parent, names, mask);
}

bool PickCopyChannels(CWnd* parent, CSettingsPageHost* owner, uint64_t* mask) {
  if (!owner || !mask) return false;
  const int count = g_pMainDlg ? CappedChannelCount(g_pMainDlg->m_channels.UsedCount()) : 0;
  std::vector<std::string> names;
  for (int ch = 0; ch < count; ++ch) names.push_back(ChannelName(owner->MirrorBlock(ch)));
  if (!PickChannels(parent, names, mask)) return false;
  // Only the channels offered (none when there are none).
  if (count < 64) *mask &= (uint64_t(1) << count) - 1;
  return true;
}

bool PickWeekDays(CWnd* parent, unsigned* days) {
  if (!days) return false;
  *days = 0;
  return WeekDays()(parent, days);
}

}  // namespace devcfg
