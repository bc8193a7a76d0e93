// Page 7: a channel's automatic recording schedule on the device, in the
// record-plan part of its channel block; sends nothing itself. Entries are
// edited with the work plan entry dialog; a day's entries go to other days
// through the week-day picker, the whole part to other channels through
// the channel picker.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_page.h"
#include "devcfg_resource.h"
#include "record_plan_rules.h"

class CRecordPlanPage : public CChannelBlockPage {
public:
  explicit CRecordPlanPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part) override;
  void SavePart(uint8_t* part) override;
  void ResetPage() override;
  const devcfg::RecordPlan& Plan() const { return m_plan; }

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnAdd();
  afx_msg void OnModify();
  afx_msg void OnDelete();
  afx_msg void OnDefault();
  afx_msg void OnEnableClicked();
  afx_msg void OnCopyDays();
  afx_msg void OnCopyChannels();
  afx_msg void OnDayChange(NMHDR* nm, LRESULT* result);
  afx_msg void OnEntryDoubleClick(NMHDR* nm, LRESULT* result);

  // The selected tab's day (0 Monday).
  int Day() const;
  // The slot of the selected row (its item data), -1 when none is selected.
  int SelectedSlot() const;
  void RefreshList();
  // Controls into the plan (switches and package time) and back.
  void TakeControls();
  void ShowControls();
  void ApplyEnabling();
  void Prompt(const char* english);

  CSpinButtonCtrl m_packageSpin;
  CTabCtrl m_days;
  CListCtrl m_entries;
  devcfg::RecordPlan m_plan;
  DECLARE_MESSAGE_MAP()
};
