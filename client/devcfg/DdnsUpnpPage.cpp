// Page 4: the dynamic-DNS and UPnP form; it asks for the device's item list
// (command 6) and sends no settings back.
#include "config_pages.h"

#include "devcfg_resource.h"
#include "udp_packets.h"

BEGIN_MESSAGE_MAP(CDdnsUpnpPage, CConfigPage)
  ON_BN_CLICKED(IDC_PAGE_REFRESH, OnRefresh)
END_MESSAGE_MAP()

CDdnsUpnpPage::CDdnsUpnpPage(CSettingsPageHost* owner) : CConfigPage(IDD_DDNS_UPNP_PAGE, owner) {}

BOOL CDdnsUpnpPage::OnInitDialog() {
  CConfigPage::OnInitDialog();
  m_workMode.SubclassDlgItem(IDC_DDNS_WORKMODE, this);
  m_provider.SubclassDlgItem(IDC_DDNS_PROVIDER, this);
  CheckRadioButton(IDC_DDNS_OFF, IDC_DDNS_ON, m_ddns ? IDC_DDNS_ON : IDC_DDNS_OFF);
  CheckRadioButton(IDC_UPNP_OFF, IDC_UPNP_ON, m_upnp ? IDC_UPNP_ON : IDC_UPNP_OFF);
  return TRUE;
}

void CDdnsUpnpPage::OnRefresh() {
  if (ChosenDevice()) SendToChosenDevice(shell::BuildItemListGet());
}
