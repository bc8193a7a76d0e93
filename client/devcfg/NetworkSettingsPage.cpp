// Page 10: the device's Ethernet and wireless addressing (command 4).
#include "config_pages.h"

#include <cstring>

#include "app_services.h"
#include "devcfg_resource.h"
#include "language.h"
#include "text_copy.h"
#include "udp_packets.h"

namespace {

const char* const kSecurity[] = {"None", "WEP", "AES-128", "AES-192", "AES-256"};
const char* const kWifiModes[] = {"None", "Share", "Open", "802.1X", "WEP64",
                                  "WEP128", "WPA", "WPA-PSK", "WPA2", "WPA2-PSK"};

// The address controls, their words in the block and their names.
struct Address {
  int id;
  size_t offset;
  const char* name;
};
const Address kAddresses[4] = {
    {IDC_NET_IP, offsetof(devcfg::NetworkBlock, ip), "IP Address"},
    {IDC_NET_MASK, offsetof(devcfg::NetworkBlock, mask), "Subnet Mask"},
    {IDC_NET_GATEWAY, offsetof(devcfg::NetworkBlock, gateway), "Gateway"},
    {IDC_NET_DNS, offsetof(devcfg::NetworkBlock, dns), "DNS Server"},
};

}  // namespace

BEGIN_MESSAGE_MAP(CNetworkSettingsPage, CUdpBlockPage)
  ON_BN_CLICKED(IDC_NET_SAVE, OnSave)
  ON_BN_CLICKED(IDC_PAGE_REFRESH, OnRefresh)
END_MESSAGE_MAP()

CNetworkSettingsPage::CNetworkSettingsPage(CSettingsPageHost* owner, uint8_t* deviceBlock)
    : CUdpBlockPage(IDD_NETWORK_PAGE, owner, shell::UDPCFG_NETWORK, sizeof(devcfg::NetworkBlock), IDC_NET_SAVE),
      m_deviceBlock(deviceBlock) {}

BOOL CNetworkSettingsPage::OnInitDialog() {
  CUdpBlockPage::OnInitDialog();
  m_ipMode.SubclassDlgItem(IDC_NET_IP_MODE, this);
  m_wifiMode.SubclassDlgItem(IDC_NET_WIFI_MODE, this);
  m_security.SubclassDlgItem(IDC_NET_SECURITY, this);
  m_dns.SubclassDlgItem(IDC_NET_DNS, this);
  m_gateway.SubclassDlgItem(IDC_NET_GATEWAY, this);
  m_mask.SubclassDlgItem(IDC_NET_MASK, this);
  m_ip.SubclassDlgItem(IDC_NET_IP, this);
  m_ipMode.ResetContent();
  m_ipMode.SetItemData(m_ipMode.AddString(TranslateString("Fixed IP")), 1);
  m_ipMode.SetItemData(m_ipMode.AddString(TranslateString("DHCP")), 2);
  m_ipMode.SetCurSel(0);
  m_security.ResetContent();
  for (const char* s : kSecurity) m_security.AddString(s);
  m_security.SetCurSel(0);
  m_wifiMode.ResetContent();
  for (const char* s : kWifiModes) m_wifiMode.AddString(s);
  m_wifiMode.SetCurSel(0);
  SendDlgItemMessage(IDC_NET_SSID, EM_LIMITTEXT, 63);
  SendDlgItemMessage(IDC_NET_PASSWORD, EM_LIMITTEXT, 63);
  if (m_hasBlock) ShowBlock();
  return TRUE;
}

void CNetworkSettingsPage::ShowBlock() {
  devcfg::NetworkBlock b;
  std::memcpy(&b, m_block.data(), sizeof b);
  for (const Address& a : kAddresses)
    SendDlgItemMessage(a.id, IPM_SETADDRESS, 0, LPARAM(devcfg::GetU32(m_block.data() + a.offset)));
  m_ipMode.SetCurSel(b.ipMode == 2 ? 1 : 0);
  m_wifiEnabled = b.wifiEnabled == 2;
  CheckDlgButton(IDC_NET_WIFI_ENABLE, m_wifiEnabled ? BST_CHECKED : BST_UNCHECKED);
  if (b.wifiMode < m_wifiMode.GetCount()) m_wifiMode.SetCurSel(b.wifiMode);
  if (b.security < m_security.GetCount()) m_security.SetCurSel(b.security);
  SetDlgItemText(IDC_NET_SSID, devcfg::FieldText(b.ssid, sizeof b.ssid).c_str());
  SetDlgItemText(IDC_NET_PASSWORD, devcfg::FieldText(b.password, sizeof b.password).c_str());
}

bool CNetworkSettingsPage::CollectBlock(std::vector<uint8_t>& block) {
  // Every address must be whole before anything is kept: a field left
  // empty would otherwise go out as part of 255.255.255.255.
  for (const Address& a : kAddresses) {
    DWORD value = 0;
    if (SendDlgItemMessage(a.id, IPM_GETADDRESS, 0, LPARAM(&value)) != 4) {
      CString message;
      message.Format("%s %s", (LPCSTR)TranslateString("Invalid address:"), (LPCSTR)TranslateString(a.name));
      ComposedMessageBox(this, message, "Error", MB_ICONINFORMATION);
      if (CWnd* c = GetDlgItem(a.id)) c->SetFocus();
      return false;
    }
    devcfg::PutU32(block.data() + a.offset, uint32_t(value));
  }
  devcfg::NetworkBlock b;
  std::memcpy(&b, block.data(), sizeof b);
  const int mode = m_ipMode.GetCurSel();
  b.ipMode = uint8_t(mode < 0 ? 1 : m_ipMode.GetItemData(mode));
  m_wifiEnabled = IsDlgButtonChecked(IDC_NET_WIFI_ENABLE) == BST_CHECKED;
  b.wifiEnabled = m_wifiEnabled ? 2 : 1;
  b.wifiMode = uint8_t(m_wifiMode.GetCurSel() < 0 ? 0 : m_wifiMode.GetCurSel());
  b.security = uint8_t(m_security.GetCurSel() < 0 ? 0 : m_security.GetCurSel());
  CString ssid, password;
  GetDlgItemText(IDC_NET_SSID, ssid);
  GetDlgItemText(IDC_NET_PASSWORD, password);
  CopyText(b.ssid, ssid);
  CopyText(b.password, password);
  b.passwordLength = uint8_t(std::strlen(b.password));
  std::memcpy(block.data(), &b, sizeof b);
  return true;
}

std::vector<uint8_t> CNetworkSettingsPage::BuildGet() { return shell::BuildNetworkGet(); }

std::vector<uint8_t> CNetworkSettingsPage::BuildSet(const std::vector<uint8_t>& block) {
  return shell::BuildNetworkSet(block.data());
}
