// Page 5: the encoder part of a channel's settings block (CIF or QCIF, I
// interval, frame rate, bit-rate mode, quality and bit rate), for devices
// whose information block enables it. Works on the settings dialog's
// mirror only; sends nothing.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "AreaSelectCtrl.h"
#include "config_page.h"
#include "devcfg_resource.h"
#include "encoder_part.h"
#include "encoding_controls.h"

class CEncodeSettingsPage : public CChannelBlockPage {
public:
  explicit CEncodeSettingsPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part) override;
  void SavePart(uint8_t* part) override;
  void ResetPage() override;

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  afx_msg void OnModeChange();
  afx_msg void OnResolutionChange();
  afx_msg void OnCopy() { CopySettingsToPicked(); }
  afx_msg void OnPreview();
  // The chosen device enables the page (its information byte 63).
  bool DeviceEnables() const;
  void Collect();
  void Show();
  void ShowModeControls();
  void DefaultBitRate();

  EncodingControls m_enc;
  CAreaSelectCtrl m_area;
  devcfg::EncoderValues m_values;
  devcfg::EditRange m_ranges[2];
  DECLARE_MESSAGE_MAP()
};
