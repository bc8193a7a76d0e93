#include "config_page.h"

#include <cstdio>
#include <cstring>

#include "app_services.h"
#include "copy_pickers.h"
#include "language.h"

// ------------------------------------------------------------ CConfigPage

CConfigPage::CConfigPage(UINT templateId, CSettingsPageHost* owner)
    : CDialog(templateId, nullptr), m_owner(owner), m_templateId(templateId) {}

BOOL CConfigPage::CreatePage(CWnd* parent) {
  m_pParentWnd = parent;
  return Create(m_templateId, parent);
}

BOOL CConfigPage::OnInitDialog() {
  TranslateDialog(this);
  return CDialog::OnInitDialog();
}

BOOL CConfigPage::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) == EN_KILLFOCUS && m_clamp && devcfg::FindEditRange(m_clamp, m_clampCount, LOWORD(w))) {
    BOOL ok = FALSE;
    const int value = int(GetDlgItemInt(LOWORD(w), &ok, TRUE));
    const int kept = ClampedEditValue(LOWORD(w));
    if (!ok || kept != value) SetDlgItemInt(LOWORD(w), kept, TRUE);
  }
  return CDialog::OnCommand(w, l);
}

int CConfigPage::ClampedEditValue(int id) {
  const devcfg::EditRange* r = m_clamp ? devcfg::FindEditRange(m_clamp, m_clampCount, id) : nullptr;
  if (!r) return 0;
  BOOL ok = FALSE;
  const int value = int(GetDlgItemInt(r->id, &ok, TRUE));
  return ok ? devcfg::ClampEditValue(*r, value) : r->fallback;
}

int CConfigPage::SendToChosenDevice(const std::vector<uint8_t>& datagram) {
  return m_owner ? m_owner->SendToChosenDevice(datagram) : -1;
}

shell::DeviceRecord* CConfigPage::ChosenDevice() const {
  shell::DeviceRecord* device = nullptr;
  if (!m_owner || m_owner->GetSelectedDevice(&device) < 0) return nullptr;
  return device;
}

void CConfigPage::ShowRangeError(const char* english, const char* rangeFormat, int value) {
  CString text;
  CString range;
  range.Format(rangeFormat, value);
  text.Format("%s%s", (LPCSTR)TranslateString(english), (LPCSTR)range);
  ComposedMessageBox(this, text, "Error", MB_ICONINFORMATION);
}

// ------------------------------------------------------------ CUdpBlockPage

CUdpBlockPage::CUdpBlockPage(UINT templateId, CSettingsPageHost* owner, uint8_t command, size_t blockSize,
                             UINT saveId)
    : CConfigPage(templateId, owner), m_command(command), m_saveId(saveId), m_block(blockSize, 0) {}

BOOL CUdpBlockPage::OnInitDialog() {
  BOOL r = CConfigPage::OnInitDialog();
  UpdateSaveState();
  return r;
}

void CUdpBlockPage::UpdateSaveState() {
  if (GetSafeHwnd())
    if (CWnd* save = GetDlgItem(int(m_saveId))) save->EnableWindow(m_hasBlock ? TRUE : FALSE);
}

void CUdpBlockPage::OnBlockReply(const uint8_t* block, size_t size) {
  if (!block || size < m_block.size()) return;
  std::memcpy(m_block.data(), block, m_block.size());
  m_hasBlock = true;
  if (GetSafeHwnd()) ShowBlock();
  UpdateSaveState();
}

void CUdpBlockPage::OnDeviceChanged() {
  std::fill(m_block.begin(), m_block.end(), uint8_t(0));
  m_hasBlock = false;
  UpdateSaveState();
}

void CUdpBlockPage::RefreshFromDevice() {
  if (ChosenDevice()) SendToChosenDevice(BuildGet());
}

BOOL CUdpBlockPage::SaveToDevice() {
  // A block never received would reset the device to zeros.
  if (!m_hasBlock || !ChosenDevice()) return FALSE;
  std::vector<uint8_t> block = m_block;
  if (!CollectBlock(block)) return FALSE;
  m_block = block;
  return SendToChosenDevice(BuildSet(m_block)) == 0;
}

// ------------------------------------------------------------ CChannelBlockPage

CChannelBlockPage::CChannelBlockPage(UINT templateId, CSettingsPageHost* owner, int pageIndex)
    : CConfigPage(templateId, owner), m_pageIndex(pageIndex), m_part(devcfg::ChannelPartOfPage(pageIndex)) {}

void CChannelBlockPage::CopyPartToChannels(uint64_t mask) {
  if (!m_owner || !m_part.size) return;
  const int current = m_owner->GetCurrentChannel();
  if (current < 0 || current >= devcfg::kMaxChannels) return;
  SavePart(m_owner->MirrorBlock(current).bytes + m_part.offset);
  // Only the part's own fields: the bytes after them are no page's.
  const uint8_t* from = m_owner->MirrorBlock(current).bytes + m_part.offset;
  for (int ch = 0; ch < devcfg::kMaxChannels; ++ch)
    if (ch != current && (mask >> ch & 1))
      std::memcpy(m_owner->MirrorBlock(ch).bytes + m_part.offset, from, m_part.size);
}

void CChannelBlockPage::CopySettingsToPicked() {
  uint64_t mask = 0;
  if (devcfg::PickCopyChannels(this, m_owner, &mask)) CopyPartToChannels(mask);
}

// ------------------------------------------------------------ CDeviceBlockPage

CDeviceBlockPage::CDeviceBlockPage(UINT templateId, CSettingsPageHost* owner, uint8_t* shared, size_t size)
    : CConfigPage(templateId, owner), m_shared(shared), m_sharedSize(size) {}
