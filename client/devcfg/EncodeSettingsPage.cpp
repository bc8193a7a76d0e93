// Page 5: the encoder part of the channel block.

#include "EncodeSettingsPage.h"

#include "FrontEndSettingsDlg.h"
#include "config_image.h"
#include "devcfg_helpers.h"
#include "language.h"

namespace {
const char* const kModes[2] = {"Constant", "Variable"};
const char* const kQualities[6] = {"Level 1(Best)", "Level 2", "Level 3", "Level 4", "Level 5", "Level 6"};
}  // namespace

BEGIN_MESSAGE_MAP(CEncodeSettingsPage, CChannelBlockPage)
  ON_CBN_SELCHANGE(IDC_ENC_MODE, OnModeChange)
  ON_CBN_SELCHANGE(IDC_ENC_RESOLUTION, OnResolutionChange)
  ON_CBN_SELCHANGE(IDC_ENC_QUALITY, Collect)
  ON_BN_CLICKED(IDC_ENC_COPY, OnCopy)
  ON_BN_CLICKED(IDC_ENC_PREVIEW, OnPreview)
END_MESSAGE_MAP()

CEncodeSettingsPage::CEncodeSettingsPage(CFrontEndSettingsDlg* owner)
    : CChannelBlockPage(IDD_ENCODE_PAGE, owner, kPageEncode),
      m_ranges{{IDC_ENC_IINTERVAL, 1, 255, 25}, {IDC_ENC_FRAMERATE, 1, 30, 25}} {
  SetClampTable(m_ranges, 2);
}

BOOL CEncodeSettingsPage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  CRect frame(0, 0, 352, 288);
  if (CWnd* f = GetDlgItem(IDC_ENC_FRAME)) {
    f->GetWindowRect(&frame);
    ScreenToClient(&frame);
    frame = CRect(frame.left, frame.top, frame.left + 352, frame.top + 288);
    CRect border = frame;
    border.InflateRect(1, 1);
    f->MoveWindow(&border);
  }
  m_area.Create(0, WS_CHILD | WS_VISIBLE, frame, this, IDC_ENC_AREA);
  m_area.SetBackColor(RGB(0, 0, 0));
  m_resolution.SubclassDlgItem(IDC_ENC_RESOLUTION, this);
  m_mode.SubclassDlgItem(IDC_ENC_MODE, this);
  m_quality.SubclassDlgItem(IDC_ENC_QUALITY, this);
  m_resolution.ResetContent();
  m_resolution.AddString("CIF");
  m_resolution.AddString("QCIF");
  for (const char* m : kModes) m_mode.AddString(TranslateString(m));
  for (const char* q : kQualities) m_quality.AddString(TranslateString(q));
  m_intervalSpin.SubclassDlgItem(IDC_ENC_IINTERVAL_SPIN, this);
  m_intervalSpin.SetBuddy(GetDlgItem(IDC_ENC_IINTERVAL));
  m_intervalSpin.SetRange32(1, 255);
  m_frameSpin.SubclassDlgItem(IDC_ENC_FRAMERATE_SPIN, this);
  m_frameSpin.SetBuddy(GetDlgItem(IDC_ENC_FRAMERATE));
  m_frameSpin.SetRange32(1, 30);
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
  m_resolution.SetCurSel(m_values.resolution);
  m_mode.SetCurSel(m_values.mode);
  m_quality.SetCurSel(m_values.quality >= 0 && m_values.quality < 6 ? m_values.quality : -1);
  SetDlgItemInt(IDC_ENC_IINTERVAL, UINT(m_values.iInterval), FALSE);
  SetDlgItemInt(IDC_ENC_FRAMERATE, UINT(m_values.frameRate), FALSE);
  SetDlgItemInt(IDC_ENC_BITRATE, UINT(m_values.bitRate), FALSE);
  ShowModeControls();
}

void CEncodeSettingsPage::Collect() {
  m_values.resolution = m_resolution.GetCurSel();
  m_values.mode = m_mode.GetCurSel();
  m_values.quality = m_quality.GetCurSel();
  m_values.iInterval = int(GetDlgItemInt(IDC_ENC_IINTERVAL, nullptr, FALSE));
  m_values.frameRate = int(GetDlgItemInt(IDC_ENC_FRAMERATE, nullptr, FALSE));
  m_values.bitRate = int(GetDlgItemInt(IDC_ENC_BITRATE, nullptr, FALSE));
}

void CEncodeSettingsPage::ShowModeControls() {
  const bool variable = m_values.mode == 1;
  m_quality.EnableWindow(variable ? TRUE : FALSE);
  SetDlgItemText(IDC_ENC_BITRATE_LABEL, TranslateString(variable ? "Max Bit Rate" : "Bit Rate"));
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
  if (HIWORD(w) == EN_KILLFOCUS && LOWORD(w) == IDC_ENC_BITRATE) {
    BOOL ok = FALSE;
    const int value = int(GetDlgItemInt(IDC_ENC_BITRATE, &ok, FALSE));
    int kept = value < devcfg::kEncoderBitRateMin ? devcfg::kEncoderBitRateMin : value;
    if (kept > devcfg::kEncoderBitRateMax) kept = devcfg::kEncoderBitRateMax;
    if (!ok) kept = devcfg::kEncoderBitRateMin;
    if (!ok || kept != value) SetDlgItemInt(IDC_ENC_BITRATE, UINT(kept), FALSE);
  }
  return CChannelBlockPage::OnCommand(w, l);
}
