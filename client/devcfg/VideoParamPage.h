// Page 0 of the channel block: the channel's name and on-screen texts,
// a privacy shelter, its encoding, colours and horizontal offset, with the
// record size per hour of the chosen bit rate. Works on the settings
// dialog's mirror only; sends nothing.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "AreaSelectCtrl.h"
#include "config_page.h"
#include "encoding_controls.h"
#include "devcfg_resource.h"
#include "video_param_part.h"

class CVideoParamPage : public CChannelBlockPage {
public:
  explicit CVideoParamPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part) override;
  void SavePart(uint8_t* part) override;
  void ResetPage() override;
  const devcfg::VideoParamValues& Values() const { return m_values; }

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override;
  afx_msg void OnDefault();
  afx_msg void OnCopy() { CopySettingsToPicked(); }
  afx_msg void OnShelter();
  afx_msg void OnModeChange();
  afx_msg void OnResolutionChange() { DefaultBitRate(); }
  afx_msg void OnPreview();
  afx_msg LRESULT OnAreaNotice(WPARAM w, LPARAM l);
  afx_msg void OnDestroy();
  // The controls into the values, or the values into the controls; either
  // way the record-size line follows.
  void Collect();
  void Show();
  void ShowModeControls();
  void ShowRecordSize();
  void DefaultBitRate();

  EncodingControls m_enc;
  CSliderCtrl m_sliders[4];  // luminance, contrast, saturation, hue
  CAreaSelectCtrl m_area;
  devcfg::VideoParamValues m_values;
  devcfg::EditRange m_spinRanges[2];
  DECLARE_MESSAGE_MAP()
};
