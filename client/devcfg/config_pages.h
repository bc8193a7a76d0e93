// The pages of the front-end settings dialog that talk to the device:
// stream settings, video sensor, network settings, DDNS and UPnP, and the
// read-only device information.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_page.h"
#include "devcfg_resource.h"

// Page 0: the encoder settings of the device's main and minor flows.
class CStreamSettingsPage : public CUdpBlockPage {
public:
  explicit CStreamSettingsPage(CSettingsPageHost* owner);
  // Shows flow 0 (main) or 1 (minor) from the block.
  void ShowFlow(int flow);

protected:
  BOOL OnInitDialog() override;
  void OnOK() override { SaveToDevice(); }
  afx_msg void OnRefresh() { RefreshFromDevice(); }
  afx_msg void OnFlowChange();
  void ShowBlock() override;
  bool CollectBlock(std::vector<uint8_t>& block) override;
  std::vector<uint8_t> BuildGet() override;
  std::vector<uint8_t> BuildSet(const std::vector<uint8_t>& block) override;

  CComboBox m_resolution, m_rateType, m_quality, m_flow;
  DECLARE_MESSAGE_MAP()
};

// Page 1: a channel's image settings.
class CSensorSettingsPage : public CUdpBlockPage {
public:
  explicit CSensorSettingsPage(CSettingsPageHost* owner);

protected:
  BOOL OnInitDialog() override;
  BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override;
  void OnOK() override { SaveToDevice(); }
  afx_msg void OnRefresh() { RefreshFromDevice(); }
  void ShowBlock() override;
  bool CollectBlock(std::vector<uint8_t>& block) override;
  std::vector<uint8_t> BuildGet() override;
  std::vector<uint8_t> BuildSet(const std::vector<uint8_t>& block) override;

  CSliderCtrl m_sliders[7];
  CComboBox m_flip;
  int m_values[7] = {};
  DECLARE_MESSAGE_MAP()
};

// Page 10: the device's Ethernet and wireless addressing.
class CNetworkSettingsPage : public CUdpBlockPage {
public:
  CNetworkSettingsPage(CSettingsPageHost* owner, uint8_t* deviceBlock);

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSave() { SaveToDevice(); }
  afx_msg void OnRefresh() { RefreshFromDevice(); }
  void ShowBlock() override;
  bool CollectBlock(std::vector<uint8_t>& block) override;
  std::vector<uint8_t> BuildGet() override;
  std::vector<uint8_t> BuildSet(const std::vector<uint8_t>& block) override;

  CComboBox m_ipMode, m_wifiMode, m_security;
  CIPAddressCtrl m_dns, m_gateway, m_mask, m_ip;
  BOOL m_wifiEnabled = FALSE;
  uint8_t* m_deviceBlock;  // the dialog's device block (not used here)
  DECLARE_MESSAGE_MAP()
};

// Page 4: a form and a request; nothing of the reply reaches it.
class CDdnsUpnpPage : public CConfigPage {
public:
  explicit CDdnsUpnpPage(CSettingsPageHost* owner);
  afx_msg void OnRefresh();

protected:
  BOOL OnInitDialog() override;
  CComboBox m_workMode, m_provider;
  int m_ddns = 0, m_upnp = 0;
  DECLARE_MESSAGE_MAP()
};

// Page 12: what the client knows of the chosen device; sends nothing.
class CDeviceInfoPage : public CConfigPage {
public:
  explicit CDeviceInfoPage(CSettingsPageHost* owner);
  // Shows the device's information block, or clears the fields (null).
  void ShowDeviceInfo(const uint8_t* info);
  // The BIOS version and serial texts of the chosen device's announcement.
  void RefreshFromAnnouncement();

protected:
  BOOL OnInitDialog() override;
};
