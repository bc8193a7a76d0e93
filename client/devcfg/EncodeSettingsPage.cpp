// Page 5: the encoder part of the channel block.

#include "EncodeSettingsPage.h"

#include "config_image.h"
#include "devcfg_helpers.h"
#include "language.h"

namespace {
const char* const kResolutions[2] = {"CIF", "QCIF"};
}  // namespace

BEGIN_MESSAGE_MAP(CEncodeSettingsPage, CChannelBlockPage)
  ON_CBN_SELCHANGE(IDC_ENC_MODE, OnModeChange)
  ON_CBN_SELCHANGE(IDC_ENC_RESOLUTION, OnResolutionChange)
  ON_CBN_SELCHANGE(IDC_ENC_QUALITY, Collect)
  ON_BN_CLICKED(IDC_ENC_COPY, OnCopy)
  ON_BN_CLICKED(IDC_ENC_PREVIEW, OnPreview)
END_MESSAGE_MAP()

CEncodeSettingsPage::CEncodeSettingsPage(CSettingsPageHost* owner)
    : CChannelBlockPage(IDD_ENCODE_PAGE, owner, kPageEncode),
      m_ranges{{IDC_ENC_IINTERVAL, 1, 255, 25}, {IDC_ENC_FRAMERATE, 1, 30, 25}} {
  SetClampTable(m_ranges, 2);
}

BOOL CEncodeSettingsPage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  CreateFramedArea(this, IDC_ENC_FRAME, m_area);
  m_enc.Attach(this, kResolutions, 2, 30);
  CheckDlgButton(IDC_ENC_PREVIEW, BST_UNCHECKED);
  // Nothing to edit until a device that has the page loads a block.
  EnableChildControls(this, FALSE);
  return TRUE;
}

bool CEncodeSettingsPage::DeviceEnables() const {
  const uint8_t* info = nullptr;
  return m_owner && m_owner->GetDeviceInfo(&info) >= 0 && info && info[63] != 0;
}

void CEncodeSettingsPage::LoadPart(const uint8_t* part) {
  if (!DeviceEnables() || !GetSafeHwnd()) return;
  m_values = devcfg::LoadEncoderPart(part);
  const uint8_t* info = nullptr;
  m_owner->GetDeviceInfo(&info);
  m_ranges[1].fallback = devcfg::EncoderFrameRateFallback(devcfg::GetU32(info + 42));
  EnableChildControls(this, TRUE);
  Show();
}

void CEncodeSettingsPage::SavePart(uint8_t* part) {
  if (!DeviceEnables() || !GetSafeHwnd()) return;
  Collect();
  devcfg::StoreEncoderPart(part, m_values);
}

void CEncodeSettingsPage::ResetPage() {
  m_values = devcfg::EncoderValues();
  if (GetSafeHwnd()) EnableChildControls(this, FALSE);
}

void CEncodeSettingsPage::Show() {
  m_enc.resolution.SetCurSel(m_values.resolution);
  m_enc.mode.SetCurSel(m_values.mode);
  m_enc.quality.SetCurSel(m_values.quality >= 0 && m_values.quality < 6 ? m_values.quality : -1);
  SetDlgItemInt(IDC_ENC_IINTERVAL, UINT(m_values.iInterval), FALSE);
  SetDlgItemInt(IDC_ENC_FRAMERATE, UINT(m_values.frameRate), FALSE);
  SetDlgItemInt(IDC_ENC_BITRATE, UINT(m_values.bitRate), FALSE);
  ShowModeControls();
}

void CEncodeSettingsPage::Collect() {
  m_values.resolution = m_enc.resolution.GetCurSel();
  m_values.mode = m_enc.mode.GetCurSel();
  m_values.quality = m_enc.quality.GetCurSel();
  m_values.iInterval = int(GetDlgItemInt(IDC_ENC_IINTERVAL, nullptr, FALSE));
  m_values.frameRate = int(GetDlgItemInt(IDC_ENC_FRAMERATE, nullptr, FALSE));
  m_values.bitRate = int(GetDlgItemInt(IDC_ENC_BITRATE, nullptr, FALSE));
}

void CEncodeSettingsPage::ShowModeControls() {
  m_enc.ShowMode(this, m_values.mode == 1);
}

void CEncodeSettingsPage::DefaultBitRate() {
  Collect();
  m_values.bitRate = devcfg::DefaultEncoderBitRate(m_values.mode, m_values.resolution);
  Show();
}

void CEncodeSettingsPage::OnModeChange() {
  Collect();
  ShowModeControls();
  DefaultBitRate();
}

void CEncodeSettingsPage::OnResolutionChange() { DefaultBitRate(); }

void CEncodeSettingsPage::OnPreview() {
  Collect();
  // No video reaches the page: clearing the tick only repaints the area.
  if (IsDlgButtonChecked(IDC_ENC_PREVIEW) != BST_CHECKED && m_area.GetSafeHwnd()) m_area.Invalidate(FALSE);
}

BOOL CEncodeSettingsPage::OnCommand(WPARAM w, LPARAM l) {
  static const EditLimits kBitRate[1] = {{IDC_ENC_BITRATE, devcfg::kEncoderBitRateMin, devcfg::kEncoderBitRateMax}};
  ClampEditOnLeave(this, w, kBitRate, 1);
  return CChannelBlockPage::OnCommand(w, l);
}
