#include "AudioEncodePage.h"

#include <cstring>

#include "copy_pickers.h"

// Audio part of the channel block: byte 0 audio encode disabled (0 =
// enabled), u32 encode type at 1, u32 code rate at 5, both written 0.
namespace {
constexpr size_t kAudioDisabled = 0, kAudioType = 1, kAudioRate = 5;
}

BEGIN_MESSAGE_MAP(CAudioEncodePage, CChannelBlockPage)
  ON_BN_CLICKED(IDC_AUDIO_ENABLE, OnEnableClicked)
  ON_BN_CLICKED(IDC_AUDIO_COPY, OnCopy)
END_MESSAGE_MAP()

CAudioEncodePage::CAudioEncodePage(CSettingsPageHost* owner)
    : CChannelBlockPage(IDD_AUDIO_ENCODE_PAGE, owner, 6) {}

BOOL CAudioEncodePage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  EnableCombos();
  return TRUE;
}

void CAudioEncodePage::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_AUDIO_ENABLE, m_enabled);
  DDX_CBIndex(dx, IDC_AUDIO_RATE, m_rate);
  DDX_CBIndex(dx, IDC_AUDIO_TYPE, m_type);
}

void CAudioEncodePage::EnableCombos() {
  if (!GetSafeHwnd()) return;
  for (int id : {IDC_AUDIO_TYPE, IDC_AUDIO_RATE})
    if (CWnd* c = GetDlgItem(id)) c->EnableWindow(m_enabled);
}

void CAudioEncodePage::LoadPart(const uint8_t* part) {
  m_enabled = part[kAudioDisabled] == 0;
  m_rate = 0;
  m_type = 0;
  if (GetSafeHwnd()) {
    UpdateData(FALSE);
    EnableCombos();
  }
}

void CAudioEncodePage::SavePart(uint8_t* part) {
  if (GetSafeHwnd()) UpdateData(TRUE);
  part[kAudioDisabled] = m_enabled ? 0 : 1;
  devcfg::PutU32(part + kAudioType, 0);
  devcfg::PutU32(part + kAudioRate, 0);
}

void CAudioEncodePage::ResetPage() {
  m_enabled = FALSE;
  m_rate = m_type = -1;
  if (GetSafeHwnd()) {
    UpdateData(FALSE);
    EnableCombos();
  }
}

void CAudioEncodePage::OnEnableClicked() {
  UpdateData(TRUE);
  EnableCombos();
}

void CAudioEncodePage::OnCopy() { CopySettingsToPicked(); }
