// Page 1: a channel's image settings (command 2).
#include "config_pages.h"

#include <cstring>

#include "app_services.h"
#include "devcfg_resource.h"
#include "language.h"
#include "udp_packets.h"

namespace {

// The seven sliders in member order and the edit each one shows.
struct SliderEdit {
  int slider, edit;
};
const SliderEdit kSliders[7] = {
    {IDC_SENSOR_WDR_SLIDER, IDC_SENSOR_WDR},          {IDC_SENSOR_SHARP_SLIDER, IDC_SENSOR_SHARP},
    {IDC_SENSOR_FINESAT_SLIDER, IDC_SENSOR_FINESAT},  {IDC_SENSOR_SAT_SLIDER, IDC_SENSOR_SAT},
    {IDC_SENSOR_HUE_SLIDER, IDC_SENSOR_HUE},          {IDC_SENSOR_CONTRAST_SLIDER, IDC_SENSOR_CONTRAST},
    {IDC_SENSOR_BRIGHT_SLIDER, IDC_SENSOR_BRIGHT},
};
// Bytes 5..9 of the block: the edit, the slider and the name of each.
struct Field {
  int edit, slider;
  const char* name;
};
const Field kFields[5] = {
    {IDC_SENSOR_BRIGHT, IDC_SENSOR_BRIGHT_SLIDER, "Brightness"},
    {IDC_SENSOR_CONTRAST, IDC_SENSOR_CONTRAST_SLIDER, "Contrast"},
    {IDC_SENSOR_SAT, IDC_SENSOR_SAT_SLIDER, "Saturation"},
    {IDC_SENSOR_HUE, IDC_SENSOR_HUE_SLIDER, "Hue"},
    {IDC_SENSOR_SHARP, IDC_SENSOR_SHARP_SLIDER, "Sharpness"},
};
const char* const kFlips[4] = {"NoMove", "UpDown", "LeftRight", "All"};

}  // namespace

BEGIN_MESSAGE_MAP(CSensorSettingsPage, CUdpBlockPage)
  ON_BN_CLICKED(IDC_PAGE_REFRESH, OnRefresh)
END_MESSAGE_MAP()

CSensorSettingsPage::CSensorSettingsPage(CSettingsPageHost* owner)
    : CUdpBlockPage(IDD_SENSOR_PAGE, owner, shell::UDPCFG_SENSOR, sizeof(devcfg::SensorBlock), IDOK) {}

BOOL CSensorSettingsPage::OnInitDialog() {
  CUdpBlockPage::OnInitDialog();
  m_flip.SubclassDlgItem(IDC_SENSOR_FLIP, this);
  m_flip.ResetContent();
  for (int i = 0; i < 4; ++i) {
    m_flip.InsertString(i, TranslateString(kFlips[i]));
    m_flip.SetItemData(i, DWORD_PTR(i));
  }
  m_flip.SetCurSel(0);
  for (int i = 0; i < 7; ++i) {
    m_sliders[i].SubclassDlgItem(kSliders[i].slider, this);
    m_sliders[i].SetRange(0, 255, TRUE);
    SendDlgItemMessage(kSliders[i].edit, EM_LIMITTEXT, 3);
    SetDlgItemInt(kSliders[i].edit, m_values[i], FALSE);
  }
  if (m_hasBlock) ShowBlock();
  return TRUE;
}

BOOL CSensorSettingsPage::OnNotify(WPARAM w, LPARAM l, LRESULT* result) {
  const NMHDR* nm = reinterpret_cast<const NMHDR*>(l);
  if (nm && nm->code == NM_RELEASEDCAPTURE) {
    for (int i = 0; i < 7; ++i)
      if (int(nm->idFrom) == kSliders[i].slider) {
        for (int k = 0; k < 7; ++k) {
          m_values[k] = m_sliders[k].GetPos();
          SetDlgItemInt(kSliders[k].edit, m_values[k], FALSE);
        }
        break;
      }
  }
  return CUdpBlockPage::OnNotify(w, l, result);
}

void CSensorSettingsPage::ShowBlock() {
  const uint8_t* b = m_block.data();
  for (int i = 0; i < 5; ++i) {
    SetDlgItemInt(kFields[i].edit, b[5 + i], FALSE);
    for (int k = 0; k < 7; ++k)
      if (kSliders[k].slider == kFields[i].slider) {
        m_sliders[k].SetPos(b[5 + i]);
        m_values[k] = b[5 + i];
      }
  }
  if (b[10] < 4) m_flip.SetCurSel(b[10]);
}

bool CSensorSettingsPage::CollectBlock(std::vector<uint8_t>& block) {
  for (int i = 0; i < 5; ++i) {
    CString text;
    GetDlgItemText(kFields[i].edit, text);
    int value = 0;
    // A value the byte cannot hold is refused, never cut to its low bits.
    if (!devcfg::ParseBoundedNumber(text, 255, &value)) {
      CString message;
      message.Format("%s(%s:0-255)", (LPCSTR)TranslateString(CString(kFields[i].name) + ":out of range"),
                     (LPCSTR)text);
      ComposedMessageBox(this, message, "Error", MB_ICONINFORMATION);
      return false;
    }
    block[5 + i] = uint8_t(value);
  }
  int flip = m_flip.GetCurSel();
  block[10] = uint8_t(flip < 0 ? 0 : flip);
  return true;
}

std::vector<uint8_t> CSensorSettingsPage::BuildGet() {
  const int channel = m_owner ? m_owner->GetCurrentChannel() : 0;
  return shell::BuildSensorGet(uint8_t(channel < 0 ? 0 : channel));
}

std::vector<uint8_t> CSensorSettingsPage::BuildSet(const std::vector<uint8_t>& block) {
  return shell::BuildSensorSet(block.data());
}
