// Page 8: the serial port and PTZ protocol of a channel, in the PTZ part of
// its channel block; sends nothing ("OK" and "Refresh" have no action).
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <string>
#include <vector>

#include "config_page.h"
#include "devcfg_resource.h"
#include "ptz_serial_rules.h"

class CPtzSerialPage : public CChannelBlockPage {
public:
  explicit CPtzSerialPage(CSettingsPageHost* owner);
  void LoadPart(const uint8_t* part) override;
  void SavePart(uint8_t* part) override;
  void ResetPage() override;
  // The device's protocol names (message 0x0B0C): the protocol combo holds
  // exactly these afterwards.
  void SetProtocolList(const uint8_t* list, size_t size);

protected:
  BOOL OnInitDialog() override;
  void ShowValues();

  CComboBox m_protocol;
  CSpinButtonCtrl m_address;
  // What the controls show, and what was loaded: a value the combos do not
  // hold is saved back as it came.
  devcfg::PtzSerialValues m_values{};
  devcfg::PtzSerialValues m_loaded{};
  std::vector<std::string> m_protocols{"Peloc-P", "Peloc-D"};
};
