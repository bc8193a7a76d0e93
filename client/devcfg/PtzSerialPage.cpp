#include "PtzSerialPage.h"

namespace {

const int kComboIds[devcfg::kPtzFields] = {IDC_PTZ_COM,    IDC_PTZ_BAUD, IDC_PTZ_DATA_BITS, IDC_PTZ_STOP_BITS,
                                           IDC_PTZ_PARITY, IDC_PTZ_FLOW, IDC_PTZ_PROTOCOL};

const std::vector<const char*> kLists[devcfg::kPtzProtocol] = {
    {"RS485"},
    {"110", "300", "600", "1200", "1800", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200",
     "230400", "380400", "460800", "921600"},
    {"5", "6", "7", "8"},
    {"1", "1.5", "2"},
    {"NONE", "ODD", "EVEN", "MARK", "SPACE"},
    {"NONE", "DTR/DSR", "RTS/CTS", "XON/XOFF"},
};

// The defaults: RS485, 1800, 8, 1, NONE, NONE, the first protocol, address 0.
devcfg::PtzSerialValues Defaults() {
  devcfg::PtzSerialValues v{};
  v.index[devcfg::kPtzBaud] = 4;
  v.index[devcfg::kPtzDataBits] = 3;
  return v;
}

}  // namespace

CPtzSerialPage::CPtzSerialPage(CSettingsPageHost* owner) : CChannelBlockPage(IDD_PTZ_SERIAL_PAGE, owner, 8) {
  for (auto& i : m_values.index) i = -1;
  m_loaded = m_values;
}

BOOL CPtzSerialPage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  m_protocol.SubclassDlgItem(IDC_PTZ_PROTOCOL, this);
  m_address.SubclassDlgItem(IDC_PTZ_ADDRESS_SPIN, this);
  m_address.SetRange(0, 255);
  for (int f = 0; f < devcfg::kPtzProtocol; ++f)
    for (const char* item : kLists[f]) SendDlgItemMessage(kComboIds[f], CB_ADDSTRING, 0, LPARAM(item));
  for (const std::string& p : m_protocols) m_protocol.AddString(p.c_str());
  m_values = m_loaded = Defaults();
  ShowValues();
  return TRUE;
}

void CPtzSerialPage::ShowValues() {
  if (!GetSafeHwnd()) return;
  for (int f = 0; f < devcfg::kPtzFields; ++f) {
    const int count = int(SendDlgItemMessage(kComboIds[f], CB_GETCOUNT));
    const int32_t i = m_values.index[f];
    SendDlgItemMessage(kComboIds[f], CB_SETCURSEL, i >= 0 && i < count ? WPARAM(i) : WPARAM(-1));
  }
  m_address.SetPos(m_values.address);
}

void CPtzSerialPage::LoadPart(const uint8_t* part) {
  m_values = m_loaded = devcfg::LoadPtzSerial(part);
  ShowValues();
}

void CPtzSerialPage::SavePart(uint8_t* part) {
  if (GetSafeHwnd()) {
    for (int f = 0; f < devcfg::kPtzFields; ++f)
      m_values.index[f] = devcfg::KeptIndex(int(SendDlgItemMessage(kComboIds[f], CB_GETCURSEL)), m_loaded.index[f]);
    const int pos = m_address.GetPos();
    m_values.address = uint8_t(pos < 0 ? 0 : pos > 255 ? 255 : pos);
  }
  devcfg::StorePtzSerial(part, m_values);
}

void CPtzSerialPage::ResetPage() {
  m_values = m_loaded = Defaults();
  ShowValues();
}

void CPtzSerialPage::SetProtocolList(const uint8_t* list, size_t size) {
  m_protocols = devcfg::ParsePtzProtocolList(list, size);
  if (!GetSafeHwnd()) return;
  const int shown = m_protocol.GetCurSel();
  m_protocol.ResetContent();
  for (const std::string& p : m_protocols) m_protocol.AddString(p.c_str());
  m_protocol.SetCurSel(shown >= 0 && shown < int(m_protocols.size()) ? shown : -1);
}
