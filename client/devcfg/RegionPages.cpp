// Pages 2 and 3: motion detection and video cover over the region block.

#include <cstdlib>
#include <cstring>

#include "core/Orvik.h"
#include "devcfg_resource.h"
#include "region_pages.h"
#include "udp_packets.h"

namespace {

// A region page's Refresh: the get of the current channel, without the
// flag the dialog's own get carries at byte 13.
std::vector<uint8_t> RegionGetOfPage(CSettingsPageHost* owner) {
  const int channel = owner ? owner->GetCurrentChannel() : 0;
  std::vector<uint8_t> get = shell::BuildRegionGet(uint8_t(channel < 0 ? 0 : channel));
  get[13] = 0;
  return get;
}

}  // namespace

// ------------------------------------------------------------ CRegionPreview

void CRegionPreview::Create(CWnd* page, int previewId, bool grid) {
  if (!m_control.CreateOn(page)) return;
  CRect area(0, 0, 0, 0);
  if (CWnd* preview = page->GetDlgItem(previewId)) preview->GetWindowRect(&area);
  m_control.SetArea(area.left, area.top, area.right, area.bottom);
  page->ScreenToClient(&area);
  m_control.MoveWindow(&area);
  m_control.ShowWindow(SW_HIDE);
  ::SetWindowPos(m_control.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  m_control.EnableDrawing(FALSE);
  m_control.SetGridMode(grid);
  if (grid) m_control.Model().overlay.gridFlag = 1;
  else m_control.Model().overlay.regionFlag = 1;
  if (!m_handle) m_handle = NET_CreateRealPlayHandle(m_control.m_hWnd);
}

void CRegionPreview::Show(BOOL show) {
  if (!m_control.GetSafeHwnd()) return;
  m_control.ShowWindow(show ? SW_SHOW : SW_HIDE);
  if (show) m_control.EnableDrawing(TRUE);
}

void CRegionPreview::SendOverlay() {
  if (!m_handle) return;
  int32_t v[23];
  devcfg::OverlayValues(m_control.Overlay(), v);
  NET_OverlayMdCoverRgn(m_handle, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
                        v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20], v[21], v[22]);
}

void CRegionPreview::Play(const uint8_t* data, size_t length) {
  if (!m_handle || !data || !length) return;
  SendOverlay();
  NET_PlayVideoStream(m_handle, const_cast<uint8_t*>(data), int(length));
}

void CRegionPreview::Reset() {
  if (!m_handle) return;
  NET_CloseRealPlayHandle(m_handle);
  m_handle = m_control.GetSafeHwnd() ? NET_CreateRealPlayHandle(m_control.m_hWnd) : 0;
}

void CRegionPreview::Close() {
  if (m_handle) NET_CloseRealPlayHandle(m_handle);
  m_handle = 0;
}

// ------------------------------------------------------------ CMotionDetectPage

BEGIN_MESSAGE_MAP(CMotionDetectPage, CUdpBlockPage)
  ON_BN_CLICKED(IDC_REGION_SAVE, OnSave)
  ON_BN_CLICKED(IDC_PAGE_REFRESH, OnRefresh)
  ON_WM_SHOWWINDOW()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CMotionDetectPage::CMotionDetectPage(CSettingsPageHost* owner)
    : CUdpBlockPage(IDD_MOTION_DETECT_PAGE, owner, shell::UDPCFG_REGION, shell::kRegionBlockSize, IDC_REGION_SAVE) {}

BOOL CMotionDetectPage::OnInitDialog() {
  CUdpBlockPage::OnInitDialog();
  m_preview.Create(this, IDC_REGION_PREVIEW, true);
  m_level.SubclassDlgItem(IDC_MOTION_LEVEL, this);
  m_level.ResetContent();
  for (const char* item : {"0", "1", "2", "3", "4", "5"}) m_level.AddString(item);
  m_level.SetCurSel(0);
  SendDlgItemMessage(IDC_MOTION_GAP, EM_LIMITTEXT, 2);
  if (m_hasBlock) ShowBlock();
  return TRUE;
}

void CMotionDetectPage::OnShowWindow(BOOL show, UINT status) {
  CUdpBlockPage::OnShowWindow(show, status);
  m_preview.Show(show);
}

void CMotionDetectPage::OnDestroy() {
  m_preview.Close();
  CUdpBlockPage::OnDestroy();
}

void CMotionDetectPage::OnDeviceChanged() {
  CUdpBlockPage::OnDeviceChanged();
  m_preview.Reset();
}

void CMotionDetectPage::OnRefresh() {
  RefreshFromDevice();
  if (RegionControl().GetSafeHwnd()) RegionControl().Invalidate(FALSE);
}

void CMotionDetectPage::ShowBlock() {
  const uint8_t* b = m_block.data();
  CheckDlgButton(IDC_REGION_SWITCH, b[devcfg::kRegionMotionSwitch] == 1 ? BST_CHECKED : BST_UNCHECKED);
  if (b[devcfg::kRegionLevel] < 6) m_level.SetCurSel(b[devcfg::kRegionLevel]);
  SetDlgItemInt(IDC_MOTION_GAP, b[devcfg::kRegionGap], FALSE);
  uint32_t rows[devcfg::kGridRows];
  for (int r = 0; r < devcfg::kGridRows; ++r) rows[r] = devcfg::GetU32(b + devcfg::kRegionGrid + 4 * r);
  RegionControl().Model().SetGridRows(rows);
  if (RegionControl().GetSafeHwnd()) RegionControl().Invalidate(FALSE);
}

bool CMotionDetectPage::CollectBlock(std::vector<uint8_t>& block) {
  CString text;
  GetDlgItemText(IDC_MOTION_GAP, text);
  int gap = 0;
  // A gap outside 1..50 is refused: its low byte would be a different gap.
  if (!devcfg::ParseBoundedNumber(text, 50, &gap) || gap < 1) {
    ShowRangeError("Gap:out of range", "(%d:1-50)", std::atoi(text));
    return false;
  }
  const int level = m_level.GetCurSel();
  block[devcfg::kRegionMotionSwitch] = IsDlgButtonChecked(IDC_REGION_SWITCH) == BST_CHECKED ? 1 : 2;
  block[devcfg::kRegionLevel] = uint8_t(level < 0 ? 0 : level);
  block[devcfg::kRegionGap] = uint8_t(gap);
  const uint32_t* rows = RegionControl().Model().rows;
  for (int r = 0; r < devcfg::kGridRows; ++r) devcfg::PutU32(block.data() + devcfg::kRegionGrid + 4 * r, rows[r]);
  return true;
}

std::vector<uint8_t> CMotionDetectPage::BuildGet() { return RegionGetOfPage(m_owner); }
std::vector<uint8_t> CMotionDetectPage::BuildSet(const std::vector<uint8_t>& block) {
  return shell::BuildRegionSet(block.data());
}

// ------------------------------------------------------------ CVideoCoverPage

BEGIN_MESSAGE_MAP(CVideoCoverPage, CUdpBlockPage)
  ON_BN_CLICKED(IDC_REGION_SAVE, OnSave)
  ON_BN_CLICKED(IDC_PAGE_REFRESH, OnRefresh)
  ON_BN_CLICKED(IDC_REGION_DELETE, OnDelete)
  ON_CONTROL_RANGE(BN_CLICKED, IDC_COVER_REGION1, IDC_COVER_REGION4, OnRegion)
  ON_WM_SHOWWINDOW()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CVideoCoverPage::CVideoCoverPage(CSettingsPageHost* owner)
    : CUdpBlockPage(IDD_VIDEO_COVER_PAGE, owner, shell::UDPCFG_REGION, shell::kRegionBlockSize, IDC_REGION_SAVE) {}

BOOL CVideoCoverPage::OnInitDialog() {
  CUdpBlockPage::OnInitDialog();
  m_preview.Create(this, IDC_REGION_PREVIEW, false);
  // A region is always chosen: the first one to begin with.
  m_choice = 0;
  CheckRadioButton(IDC_COVER_REGION1, IDC_COVER_REGION4, IDC_COVER_REGION1);
  RegionControl().SetCurrentRegion(0);
  if (m_hasBlock) ShowBlock();
  return TRUE;
}

void CVideoCoverPage::OnShowWindow(BOOL show, UINT status) {
  CUdpBlockPage::OnShowWindow(show, status);
  m_preview.Show(show);
}

void CVideoCoverPage::OnDestroy() {
  m_preview.Close();
  CUdpBlockPage::OnDestroy();
}

void CVideoCoverPage::OnDeviceChanged() {
  CUdpBlockPage::OnDeviceChanged();
  m_preview.Reset();
}

void CVideoCoverPage::OnRefresh() {
  RefreshFromDevice();
  if (RegionControl().GetSafeHwnd()) RegionControl().Invalidate(FALSE);
}

void CVideoCoverPage::ShowBlock() {
  const uint8_t* b = m_block.data();
  m_image = devcfg::ImageSizeOfCode(b[devcfg::kRegionResolution]);
  devcfg::RegionModel& model = RegionControl().Model();
  model.SetImageSize(b[devcfg::kRegionResolution]);
  for (int i = 0; i < devcfg::kCoverRegions; ++i) model.covers[i] = devcfg::CoverFromBlock(b, i, m_image);
  model.overlay.regionFlag = 1;
  model.ShowCoverInOverlay(m_choice);
  m_preview.SendOverlay();
  CheckDlgButton(IDC_REGION_SWITCH, b[devcfg::kRegionCoverSwitch] == 1 ? BST_CHECKED : BST_UNCHECKED);
  if (RegionControl().GetSafeHwnd()) RegionControl().Invalidate(FALSE);
}

bool CVideoCoverPage::CollectBlock(std::vector<uint8_t>& block) {
  block[devcfg::kRegionCoverSwitch] = IsDlgButtonChecked(IDC_REGION_SWITCH) == BST_CHECKED ? 1 : 2;
  for (int i = 0; i < devcfg::kCoverRegions; ++i)
    devcfg::CoverToBlock(block.data(), i, RegionControl().Model().covers[i], m_image);
  return true;
}

void CVideoCoverPage::OnRegion(UINT id) {
  m_choice = int(id) - IDC_COVER_REGION1;
  RegionControl().SetCurrentRegion(m_choice);
  RegionControl().Model().ShowCoverInOverlay(m_choice);
  m_preview.SendOverlay();
  if (RegionControl().GetSafeHwnd()) RegionControl().Invalidate(FALSE);
}

void CVideoCoverPage::OnDelete() {
  devcfg::RegionModel& model = RegionControl().Model();
  if (m_choice >= 0 && m_choice < devcfg::kCoverRegions) model.covers[m_choice] = {};
  model.ShowCoverInOverlay(-1);
  m_preview.SendOverlay();
  SaveToDevice();
  if (RegionControl().GetSafeHwnd()) RegionControl().Invalidate(FALSE);
}

std::vector<uint8_t> CVideoCoverPage::BuildGet() { return RegionGetOfPage(m_owner); }
std::vector<uint8_t> CVideoCoverPage::BuildSet(const std::vector<uint8_t>& block) {
  return shell::BuildRegionSet(block.data());
}
