// The alarm part of the channel block: a tab control over three pages,
// "Basic Settings" (which detections raise an alarm, the channel's probe
// inputs, the outputs each alarm kind drives, the alarm duration), "Alarm
// Linkage Record" (channels that record on alarm) and "Motion Detection
// Area" (one rectangle on the 352 x 288 picture). Works on the settings
// dialog's mirror only; sends nothing.
//
// Check-list rows follow the device chosen in the settings dialog each time
// a part is loaded, at most 16 of them: one per bit of the part's masks.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "AreaSelectCtrl.h"
#include "alarm_rules.h"
#include "config_page.h"
#include "devcfg_resource.h"

// "Basic Settings" (template 174).
class CAlarmPage : public CConfigPage {
public:
  explicit CAlarmPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part);
  void SavePart(uint8_t* part);
  void ResetPage();
  const devcfg::AlarmBasic& Values() const { return m_values; }

protected:
  BOOL OnInitDialog() override;
  // "Change Name" of the probes and outputs.
  afx_msg void OnChangeName() {}
  afx_msg void OnOutputTabLeaving(NMHDR* nm, LRESULT* result);
  afx_msg void OnOutputTabChange(NMHDR* nm, LRESULT* result);
  // The rows for the chosen device's alarm inputs and outputs.
  void FillRows();
  void Show();
  void Collect();
  // The output checks into the mask of the tab they show.
  void StoreShownOutputs();

  CTabCtrl m_outputTabs;
  CListCtrl m_outputs, m_probes;
  CSpinButtonCtrl m_durationSpin;
  devcfg::AlarmBasic m_values;
  int m_probeRows = 0, m_outputRows = 0;
  int m_shownTab = 0;  // the alarm kind whose outputs the checks show
  DECLARE_MESSAGE_MAP()
};

// "Alarm Linkage Record" (template 175).
class CAlarmRecordPage : public CConfigPage {
public:
  explicit CAlarmRecordPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part);
  void SavePart(uint8_t* part);
  void ResetPage();
  // Empties the channel list (the device changed).
  void ClearRows();
  const devcfg::AlarmLink& Values() const { return m_values; }

protected:
  BOOL OnInitDialog() override;
  void FillRows();
  void Show();
  void Collect();

  CListCtrl m_channels;
  CSpinButtonCtrl m_durationSpin;
  devcfg::AlarmLink m_values;
  int m_rows = 0;
};

// "Motion Detection Area" (template 178).
class CMotionRegionPage : public CConfigPage {
public:
  explicit CMotionRegionPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part);
  void SavePart(uint8_t* part);
  void ResetPage();
  const devcfg::MotionRegion& Values() const { return m_values; }
  CAreaSelectCtrl& Area() { return m_area; }

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  afx_msg void OnSelectAll();
  afx_msg void OnClearAll();
  afx_msg void OnViewVideo();
  afx_msg LRESULT OnAreaNotice(WPARAM w, LPARAM l);
  afx_msg void OnDestroy();
  void Show();
  void Collect();

  CSpinButtonCtrl m_sensitivitySpin, m_thresholdSpin;
  CAreaSelectCtrl m_area;
  BOOL m_viewVideo = FALSE;
  devcfg::MotionRegion m_values;
  DECLARE_MESSAGE_MAP()
};

// The container (template 153): loaded and saved by the settings dialog
// through the channel-block table, never offered in its tree.
class CAlarmTabsPage : public CChannelBlockPage {
public:
  explicit CAlarmTabsPage(CSettingsPageHost* owner);
  // The three pages' fields of the part, in the order alarm, alarm record,
  // motion region.
  void LoadFromBlock(const uint8_t* part);
  void SaveToBlock(uint8_t* part);
  void LoadPart(const uint8_t* part) override { LoadFromBlock(part); }
  void SavePart(uint8_t* part) override { SaveToBlock(part); }
  // The device changed: the alarm record page's controls start again.
  void ResetPage() override;
  CAlarmPage& AlarmPage() { return m_alarm; }
  CAlarmRecordPage& RecordPage() { return m_record; }
  CMotionRegionPage& RegionPage() { return m_region; }

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnTabChange(NMHDR* nm, LRESULT* result);
  afx_msg void OnDefault();
  afx_msg void OnCopy() { CopySettingsToPicked(); }
  void ShowTab(int tab);

  CTabCtrl m_tabs;
  CAlarmPage m_alarm;
  CAlarmRecordPage m_record;
  CMotionRegionPage m_region;
  DECLARE_MESSAGE_MAP()
};
