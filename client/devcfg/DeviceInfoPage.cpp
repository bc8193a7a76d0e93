// Page 12: what the client knows of the chosen device, read-only.
#include "config_pages.h"

#include <cstring>

#include "config_image.h"
#include "devcfg_resource.h"
#include "language.h"
#include "udp_packets.h"

namespace {

const int kCombos[4] = {IDC_INFO_TYPE, IDC_INFO_STANDARD, IDC_INFO_VIDEO, IDC_INFO_AUDIO};
const int kTexts[] = {IDC_INFO_BIOS,     IDC_INFO_NETVER,     IDC_INFO_CHANNELS, IDC_INFO_ALARM_IN,
                      IDC_INFO_ALARM_OUT, IDC_INFO_SERIAL,    IDC_INFO_STORAGE,  IDC_INFO_PLUGGED};

void FillCombo(CWnd* page, int id, const char* const* texts, int count) {
  page->SendDlgItemMessage(id, CB_RESETCONTENT);
  for (int i = 0; i < count; ++i)
    page->SendDlgItemMessage(id, CB_ADDSTRING, 0, LPARAM((LPCSTR)TranslateString(texts[i])));
}

void SelectIndex(CWnd* page, int id, uint32_t value) {
  const LRESULT count = page->SendDlgItemMessage(id, CB_GETCOUNT);
  page->SendDlgItemMessage(id, CB_SETCURSEL, value < uint32_t(count) ? WPARAM(value) : WPARAM(-1));
}

}  // namespace

CDeviceInfoPage::CDeviceInfoPage(CSettingsPageHost* owner) : CConfigPage(IDD_DEVICE_INFO_PAGE, owner) {}

BOOL CDeviceInfoPage::OnInitDialog() {
  CConfigPage::OnInitDialog();
  static const char* const types[] = {"IP Camera", "Digital Video Server", "Digital Video Recorder"};
  static const char* const standards[] = {"PAL", "NTSC"};
  const char* video[5];
  for (auto& v : video) v = "H.264 Baseline";
  const char* audio[16];
  for (auto& a : audio) a = "ADPCM G726";
  FillCombo(this, IDC_INFO_TYPE, types, 3);
  FillCombo(this, IDC_INFO_STANDARD, standards, 2);
  FillCombo(this, IDC_INFO_VIDEO, video, 5);
  FillCombo(this, IDC_INFO_AUDIO, audio, 16);
  SetDlgItemText(IDC_INFO_CLIENT_VER, "1.01");
  SetDlgItemText(IDC_INFO_CLIENT_NETVER, devcfg::VersionText(0x0202).c_str());
  for (HWND c = ::GetWindow(m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ::EnableWindow(c, FALSE);
  const uint8_t* info = nullptr;
  if (m_owner && m_owner->GetDeviceInfo(&info) >= 0) ShowDeviceInfo(info);
  return TRUE;
}

void CDeviceInfoPage::ShowDeviceInfo(const uint8_t* info) {
  if (!GetSafeHwnd()) return;
  if (!info) {
    for (int id : kCombos) SendDlgItemMessage(id, CB_SETCURSEL, WPARAM(-1));
    for (int id : kTexts) SetDlgItemText(id, "");
    return;
  }
  devcfg::DeviceInfoBlock b;
  std::memcpy(&b, info, sizeof b);
  SelectIndex(this, IDC_INFO_TYPE, devcfg::GetU32(b.deviceType));
  SelectIndex(this, IDC_INFO_STANDARD, devcfg::GetU32(b.videoStandard));
  SelectIndex(this, IDC_INFO_VIDEO, devcfg::GetU32(b.videoCompression));
  SelectIndex(this, IDC_INFO_AUDIO, devcfg::GetU32(b.audioCompression));
  SetDlgItemText(IDC_INFO_SERIAL, devcfg::FieldText(b.serial, sizeof b.serial).c_str());
  SetDlgItemText(IDC_INFO_BIOS, devcfg::VersionText(devcfg::GetU16(b.biosVersion)).c_str());
  SetDlgItemText(IDC_INFO_NETVER, devcfg::VersionText(devcfg::GetU16(b.netVersion)).c_str());
  SetDlgItemInt(IDC_INFO_CHANNELS, b.channelCount, FALSE);
  SetDlgItemInt(IDC_INFO_ALARM_IN, b.alarmInputs, FALSE);
  SetDlgItemInt(IDC_INFO_ALARM_OUT, b.alarmOutputs, FALSE);
  SetDlgItemText(IDC_INFO_STORAGE, TranslateString(b.storageSupported ? "YES" : "NO"));
  SetDlgItemText(IDC_INFO_PLUGGED, TranslateString(b.storagePlugged ? "YES" : "NO"));
}

void CDeviceInfoPage::RefreshFromAnnouncement() {
  shell::DeviceRecord* device = ChosenDevice();
  if (!device || !GetSafeHwnd()) return;
  // The announcement's serial number is its text at 20; the text at 108 is
  // the firmware's own version text.
  const char* texts = reinterpret_cast<const char*>(device->announcement);
  SetDlgItemText(IDC_INFO_SERIAL, devcfg::FieldText(texts + 20, 108 - 20).c_str());
  SetDlgItemText(IDC_INFO_BIOS, devcfg::FieldText(texts + 108, devcfg::kAnnouncementSize - 108).c_str());
}
