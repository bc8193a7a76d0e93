// Page 0: the encoder settings of the main and minor flows (command 3).
#include "config_pages.h"

#include <cstring>

#include "devcfg_resource.h"
#include "language.h"
#include "udp_packets.h"

namespace {

struct Item {
  const char* text;
  int data;
};
const Item kResolutions[] = {
    {"UVGA(1600x1200)", 10}, {"(1280x1024)", 9},  {"1080P(1920x1080)", 8}, {"720P(1280x720)", 7},
    {"D1(704x576)", 6},      {"QVGA(320x240)", 5}, {"4CIF(704x576)", 4},    {"2CIF(704x288)", 3},
    {"QCIF(176x144)", 2},    {"CIF(352x288)", 1},  {"DCIF(528x384)", 0},    {"(640x360)", 12},
};
const Item kRateTypes[] = {{"CBR", 1}, {"VBR", 2}};
const Item kQualities[] = {{"Very High", 1}, {"High", 2}, {"Normal ", 3}, {"Low", 4}, {"Very Low", 5}};

void Fill(CComboBox& combo, const Item* items, size_t count, bool translate) {
  combo.ResetContent();
  for (size_t i = 0; i < count; ++i) {
    CString text = translate ? TranslateString(items[i].text) : CString(items[i].text);
    int at = combo.InsertString(int(i), text);
    combo.SetItemData(at, DWORD_PTR(items[i].data));
  }
  combo.SetCurSel(0);
}

int ReadNumber(CWnd* page, int id) {
  // Text that is not a number reads as 0 (and is refused by the ranges).
  BOOL ok = FALSE;
  int v = int(page->GetDlgItemInt(id, &ok, TRUE));
  return ok ? v : 0;
}

}  // namespace

BEGIN_MESSAGE_MAP(CStreamSettingsPage, CUdpBlockPage)
  ON_BN_CLICKED(IDC_PAGE_REFRESH, OnRefresh)
  ON_CBN_SELCHANGE(IDC_STREAM_FLOW, OnFlowChange)
END_MESSAGE_MAP()

CStreamSettingsPage::CStreamSettingsPage(CSettingsPageHost* owner)
    : CUdpBlockPage(IDD_STREAM_PAGE, owner, shell::UDPCFG_STREAM, sizeof(devcfg::StreamBlock), IDOK) {}

BOOL CStreamSettingsPage::OnInitDialog() {
  CUdpBlockPage::OnInitDialog();
  m_resolution.SubclassDlgItem(IDC_STREAM_RESOLUTION, this);
  m_rateType.SubclassDlgItem(IDC_STREAM_RATE_TYPE, this);
  m_quality.SubclassDlgItem(IDC_STREAM_QUALITY, this);
  m_flow.SubclassDlgItem(IDC_STREAM_FLOW, this);
  m_flow.ResetContent();
  m_flow.InsertString(0, TranslateString("Main Flow"));
  m_flow.InsertString(1, TranslateString("Minor Flow"));
  m_flow.SetCurSel(0);
  Fill(m_resolution, kResolutions, sizeof kResolutions / sizeof *kResolutions, false);
  Fill(m_rateType, kRateTypes, 2, true);
  Fill(m_quality, kQualities, 5, true);
  m_resolution.EnableWindow(FALSE);
  SendDlgItemMessage(IDC_STREAM_BITRATE, EM_LIMITTEXT, 4);
  SendDlgItemMessage(IDC_STREAM_IFRAME, EM_LIMITTEXT, 3);
  SendDlgItemMessage(IDC_STREAM_FRAMERATE, EM_LIMITTEXT, 2);
  if (m_hasBlock) ShowBlock();
  return TRUE;
}

void CStreamSettingsPage::OnFlowChange() { ShowFlow(m_flow.GetCurSel()); }

void CStreamSettingsPage::ShowBlock() { ShowFlow(m_flow.GetCurSel()); }

void CStreamSettingsPage::ShowFlow(int flow) {
  if (!GetSafeHwnd()) return;
  devcfg::StreamBlock b;
  std::memcpy(&b, m_block.data(), sizeof b);
  const devcfg::StreamFlow& f = b.flow[flow > 0 ? 1 : 0];
  SetDlgItemInt(IDC_STREAM_BITRATE, devcfg::GetU16(f.bitRate), FALSE);
  SetDlgItemInt(IDC_STREAM_IFRAME, f.iFrameInterval, FALSE);
  SetDlgItemInt(IDC_STREAM_FRAMERATE, f.frameRate, FALSE);
  m_rateType.SetCurSel(f.rateType == 1 ? 0 : 1);
  m_quality.SetCurSel(f.quality >= 1 && f.quality <= 5 ? f.quality - 1 : 0);
  for (int i = 0; i < m_resolution.GetCount(); ++i)
    if (int(m_resolution.GetItemData(i)) == f.resolution) {
      m_resolution.SetCurSel(i);
      break;
    }
  SetDlgItemText(IDC_STREAM_FPS_LABEL, (flow > 0 || f.resolution == 10) ? "[1-15]fps" : "[1-25]fps");
}

bool CStreamSettingsPage::CollectBlock(std::vector<uint8_t>& block) {
  devcfg::StreamBlock b;
  std::memcpy(&b, block.data(), sizeof b);
  const int flow = m_flow.GetCurSel() > 0 ? 1 : 0;
  devcfg::StreamValues v;
  v.bitRate = ReadNumber(this, IDC_STREAM_BITRATE);
  v.iFrameInterval = ReadNumber(this, IDC_STREAM_IFRAME);
  v.rateType = int(m_rateType.GetItemData(m_rateType.GetCurSel() < 0 ? 0 : m_rateType.GetCurSel()));
  v.quality = int(m_quality.GetItemData(m_quality.GetCurSel() < 0 ? 0 : m_quality.GetCurSel()));
  v.frameRate = ReadNumber(this, IDC_STREAM_FRAMERATE);
  switch (devcfg::StoreStreamValues(b, flow, v)) {
    case devcfg::StreamCheck::BitRate:
      ShowRangeError("Maximum bit rate:out of range", "(%d:32-4096)", v.bitRate);
      return false;
    case devcfg::StreamCheck::IFrameInterval:
      ShowRangeError("I-Frame Interval:out of range", "(%d:25-100)", v.iFrameInterval);
      return false;
    case devcfg::StreamCheck::FrameRate:
      ShowRangeError("Maximum frame rate:out of range",
                     devcfg::MaxFrameRate(flow, b.flow[0].resolution) == 15 ? "(%d:1-15)" : "(%d:1-25)",
                     v.frameRate);
      return false;
    case devcfg::StreamCheck::Ok:
      break;
  }
  std::memcpy(block.data(), &b, sizeof b);
  return true;
}

std::vector<uint8_t> CStreamSettingsPage::BuildGet() { return shell::BuildStreamGet(); }

std::vector<uint8_t> CStreamSettingsPage::BuildSet(const std::vector<uint8_t>& block) {
  return shell::BuildStreamSet(block.data());
}
