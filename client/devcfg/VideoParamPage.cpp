// Page 0 of the channel block: name, texts, shelter, encoding, colours.

#include "VideoParamPage.h"

#include <algorithm>

#include "config_blocks.h"
#include "language.h"

namespace {

const char* const kResolutions[4] = {"720P", "D1", "CIF", "QCIF"};
// Sliders and their edits: luminance, contrast, saturation, hue.
struct Colour {
  int slider, edit;
};
const Colour kColours[4] = {{IDC_VP_LUMINANCE_SLIDER, IDC_VP_LUMINANCE},
                            {IDC_VP_CONTRAST_SLIDER, IDC_VP_CONTRAST},
                            {IDC_VP_SATURATION_SLIDER, IDC_VP_SATURATION},
                            {IDC_VP_HUE_SLIDER, IDC_VP_HUE}};
const EditLimits kLimits[] = {
    {IDC_VP_LUMINANCE, 0, 255}, {IDC_VP_CONTRAST, 0, 255},  {IDC_VP_SATURATION, 0, 255}, {IDC_VP_HUE, 0, 255},
    {IDC_VP_NAME_X, 0, 352},    {IDC_VP_TIME_X, 0, 352},    {IDC_VP_SHELTER_X, 0, 352},  {IDC_VP_NAME_Y, 0, 288},
    {IDC_VP_TIME_Y, 0, 288},    {IDC_VP_SHELTER_Y, 0, 288}, {IDC_VP_SHELTER_W, 16, 352}, {IDC_VP_SHELTER_H, 16, 288},
    {IDC_ENC_BITRATE, 32, 3000}, {IDC_VP_OFFSET, 0, 255},
};
// The number edits and the member each one shows.
struct Number {
  int id;
  int devcfg::VideoParamValues::*field;
};
const Number kNumbers[] = {
    {IDC_VP_NAME_X, &devcfg::VideoParamValues::nameX},       {IDC_VP_NAME_Y, &devcfg::VideoParamValues::nameY},
    {IDC_VP_TIME_X, &devcfg::VideoParamValues::timeX},       {IDC_VP_TIME_Y, &devcfg::VideoParamValues::timeY},
    {IDC_VP_SHELTER_X, &devcfg::VideoParamValues::shelterX}, {IDC_VP_SHELTER_Y, &devcfg::VideoParamValues::shelterY},
    {IDC_VP_SHELTER_W, &devcfg::VideoParamValues::shelterW}, {IDC_VP_SHELTER_H, &devcfg::VideoParamValues::shelterH},
    {IDC_ENC_BITRATE, &devcfg::VideoParamValues::bitRate},   {IDC_VP_LUMINANCE, &devcfg::VideoParamValues::luminance},
    {IDC_VP_CONTRAST, &devcfg::VideoParamValues::contrast},  {IDC_VP_SATURATION, &devcfg::VideoParamValues::saturation},
    {IDC_VP_HUE, &devcfg::VideoParamValues::hue},            {IDC_VP_OFFSET, &devcfg::VideoParamValues::offset},
    {IDC_ENC_IINTERVAL, &devcfg::VideoParamValues::iInterval},
    {IDC_ENC_FRAMERATE, &devcfg::VideoParamValues::frameRate},
};

}  // namespace

BEGIN_MESSAGE_MAP(CVideoParamPage, CChannelBlockPage)
  ON_BN_CLICKED(IDC_VP_DEFAULT, OnDefault)
  ON_BN_CLICKED(IDC_ENC_COPY, OnCopy)
  ON_BN_CLICKED(IDC_VP_SHOW_NAME, Collect)
  ON_BN_CLICKED(IDC_VP_SHOW_TIME, Collect)
  ON_BN_CLICKED(IDC_VP_SHELTER, OnShelter)
  ON_BN_CLICKED(IDC_ENC_PREVIEW, OnPreview)
  ON_CBN_SELCHANGE(IDC_ENC_MODE, OnModeChange)
  ON_CBN_SELCHANGE(IDC_ENC_RESOLUTION, OnResolutionChange)
  ON_CBN_SELCHANGE(IDC_ENC_QUALITY, Collect)
  ON_EN_CHANGE(IDC_ENC_BITRATE, ShowRecordSize)
  ON_MESSAGE(CAreaSelectCtrl::kNotifyMessage, OnAreaNotice)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CVideoParamPage::CVideoParamPage(CSettingsPageHost* owner)
    : CChannelBlockPage(IDD_VIDEO_PARAM_PAGE, owner, kPageStream),
      m_spinRanges{{IDC_ENC_IINTERVAL, 1, 255, 50}, {IDC_ENC_FRAMERATE, 1, 25, 25}} {
  SetClampTable(m_spinRanges, 2);
}

BOOL CVideoParamPage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  SendDlgItemMessage(IDC_VP_NAME, EM_LIMITTEXT, devcfg::kVideoNameChars);
  CreateFramedArea(this, IDC_ENC_FRAME, m_area);
  m_enc.Attach(this, kResolutions, 4, 25);
  for (int i = 0; i < 4; ++i) {
    m_sliders[i].SubclassDlgItem(kColours[i].slider, this);
    m_sliders[i].SetRange(0, 255, TRUE);
    m_sliders[i].SetPos(0);
  }
  CheckDlgButton(IDC_ENC_PREVIEW, BST_UNCHECKED);
  Show();
  return TRUE;
}

void CVideoParamPage::OnDestroy() {
  if (m_area.GetSafeHwnd()) m_area.DestroyWindow();
  CChannelBlockPage::OnDestroy();
}

void CVideoParamPage::LoadPart(const uint8_t* part) {
  m_values = devcfg::LoadVideoParamPart(part);
  // The frame rate's upper end follows the device's video standard.
  const uint8_t* info = nullptr;
  const bool ntsc = m_owner && m_owner->GetDeviceInfo(&info) >= 0 && info && devcfg::GetU32(info + 42) != 0;
  m_spinRanges[1].max = m_spinRanges[1].fallback = ntsc ? 30 : 25;
  if (!GetSafeHwnd()) return;
  m_enc.frameSpin.SetRange32(1, m_spinRanges[1].max);
  Show();
}

void CVideoParamPage::SavePart(uint8_t* part) {
  if (GetSafeHwnd()) Collect();
  devcfg::StoreVideoParamPart(part, m_values);
}

void CVideoParamPage::ResetPage() {
  m_values = devcfg::VideoParamValues();
  if (GetSafeHwnd()) Show();
}

void CVideoParamPage::Collect() {
  CString name;
  GetDlgItemText(IDC_VP_NAME, name);
  m_values.name.assign(LPCSTR(name), std::min<size_t>(size_t(name.GetLength()), devcfg::kVideoNameChars));
  m_values.showName = IsDlgButtonChecked(IDC_VP_SHOW_NAME) == BST_CHECKED;
  m_values.showTime = IsDlgButtonChecked(IDC_VP_SHOW_TIME) == BST_CHECKED;
  m_values.shelter = IsDlgButtonChecked(IDC_VP_SHELTER) == BST_CHECKED;
  for (const Number& n : kNumbers) m_values.*n.field = int(GetDlgItemInt(n.id, nullptr, FALSE));
  m_values.resolution = m_enc.resolution.GetCurSel();
  m_values.mode = m_enc.mode.GetCurSel();
  m_values.quality = m_enc.quality.GetCurSel();
  ShowRecordSize();
}

void CVideoParamPage::Show() {
  SetDlgItemText(IDC_VP_NAME, m_values.name.c_str());
  CheckDlgButton(IDC_VP_SHOW_NAME, m_values.showName ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_VP_SHOW_TIME, m_values.showTime ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_VP_SHELTER, m_values.shelter ? BST_CHECKED : BST_UNCHECKED);
  for (const Number& n : kNumbers) SetDlgItemInt(n.id, UINT(m_values.*n.field), FALSE);
  m_enc.resolution.SetCurSel(m_values.resolution);
  m_enc.mode.SetCurSel(m_values.mode);
  m_enc.quality.SetCurSel(m_values.quality >= 0 && m_values.quality < 6 ? m_values.quality : -1);
  const int colours[4] = {m_values.luminance, m_values.contrast, m_values.saturation, m_values.hue};
  for (int i = 0; i < 4; ++i) m_sliders[i].SetPos(colours[i]);
  ShowModeControls();
  m_area.EnableSelect(m_values.shelter ? TRUE : FALSE);
  ShowRecordSize();
}

void CVideoParamPage::ShowModeControls() { m_enc.ShowMode(this, m_values.mode == 1); }

void CVideoParamPage::ShowRecordSize() {
  if (!GetSafeHwnd()) return;
  const int b = int(GetDlgItemInt(IDC_ENC_BITRATE, nullptr, FALSE));
  const CString head = TranslateString("Current Record File Size:"), tail = TranslateString("Per Hour");
  CString line;
  if (m_enc.mode.GetCurSel() == 1) {
    const int rate = devcfg::VariableModeRate(m_enc.resolution.GetCurSel(), m_enc.quality.GetCurSel());
    if (rate < 0) return;  // the line stays as it was
    line.Format("%s [%d M] ~ [%d M] %s", LPCSTR(head), devcfg::HourlyMegabytes(rate), devcfg::HourlyMegabytes(b),
                LPCSTR(tail));
  } else {
    line.Format("%s [%d M] %s", LPCSTR(head), devcfg::HourlyMegabytes(b), LPCSTR(tail));
  }
  SetDlgItemText(IDC_VP_RECORD_SIZE, line);
}

void CVideoParamPage::DefaultBitRate() {
  Collect();
  m_values.bitRate = devcfg::DefaultVideoBitRate(m_values.mode, m_values.resolution);
  Show();
}

void CVideoParamPage::OnModeChange() {
  Collect();
  ShowModeControls();
  DefaultBitRate();
}

void CVideoParamPage::OnShelter() {
  Collect();
  m_area.EnableSelect(m_values.shelter ? TRUE : FALSE);
}

void CVideoParamPage::OnPreview() {
  Collect();
  // No video reaches the page: clearing the tick only repaints the area.
  if (IsDlgButtonChecked(IDC_ENC_PREVIEW) != BST_CHECKED && m_area.GetSafeHwnd()) m_area.Invalidate(TRUE);
}

void CVideoParamPage::OnDefault() {
  Collect();
  m_values.luminance = m_values.contrast = m_values.saturation = m_values.hue = m_values.offset = 128;
  Show();
}

LRESULT CVideoParamPage::OnAreaNotice(WPARAM w, LPARAM l) {
  if (LOWORD(w) != CAreaSelectCtrl::kAreaDrawn || !l) return 0;
  const RECT& r = *reinterpret_cast<const RECT*>(l);
  Collect();
  if (!m_values.shelter || r.right - r.left < 16 || r.bottom - r.top < 16) return 0;
  m_values.shelterX = r.left;
  m_values.shelterY = r.top;
  m_values.shelterW = r.right - r.left;
  m_values.shelterH = r.bottom - r.top;
  Show();
  return 0;
}

BOOL CVideoParamPage::OnCommand(WPARAM w, LPARAM l) {
  const int clamped = ClampEditOnLeave(this, w, kLimits, sizeof kLimits / sizeof kLimits[0]);
  for (int i = 0; i < 4; ++i)
    if (clamped == kColours[i].edit) m_sliders[i].SetPos(int(GetDlgItemInt(clamped, nullptr, FALSE)));
  return CChannelBlockPage::OnCommand(w, l);
}

BOOL CVideoParamPage::OnNotify(WPARAM w, LPARAM l, LRESULT* result) {
  const NMHDR* nm = reinterpret_cast<const NMHDR*>(l);
  if (nm && nm->code == NM_RELEASEDCAPTURE)
    for (int i = 0; i < 4; ++i)
      if (int(nm->idFrom) == kColours[i].slider) {
        Collect();
        int* fields[4] = {&m_values.luminance, &m_values.contrast, &m_values.saturation, &m_values.hue};
        *fields[i] = m_sliders[i].GetPos();
        Show();
      }
  return CChannelBlockPage::OnNotify(w, l, result);
}
