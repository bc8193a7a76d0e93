// The alarm part of the channel block: the tab container and its pages.

#include "AlarmTabsPage.h"

#include "config_image.h"
#include "encoding_controls.h"
#include "language.h"

namespace {

const char* const kKindTabs[devcfg::kAlarmKinds] = {"Video Lost Detect", "Motion Detect", "Probe Detect",
                                                     "Manual Alarm"};
const int kKindChecks[devcfg::kAlarmKinds] = {IDC_ALM_VIDEO_LOST, IDC_ALM_MOTION, IDC_ALM_PROBE,
                                              IDC_ALM_MANUAL};

const devcfg::EditRange kAlarmClamp[] = {{IDC_ALM_DURATION, devcfg::kAlarmDurationMin, devcfg::kAlarmDurationMax,
                                          devcfg::kAlarmDurationDefault}};
const devcfg::EditRange kLinkClamp[] = {
    {IDC_LINK_DURATION, devcfg::kLinkDurationMin, devcfg::kLinkDurationMax, devcfg::kLinkDurationDefault}};
const devcfg::EditRange kRegionClamp[] = {
    {IDC_MREGION_SENSITIVITY, devcfg::kSensitivityMin, devcfg::kSensitivityMax, devcfg::kDetectFallback},
    {IDC_MREGION_THRESHOLD, devcfg::kThresholdMin, devcfg::kThresholdMax, devcfg::kDetectFallback}};

const int kRegionEdits[4] = {IDC_MREGION_X, IDC_MREGION_Y, IDC_MREGION_W, IDC_MREGION_H};

const char* const kPageTabs[3] = {"Basic Settings", "Alarm Linkage Record", "Motion Detection Area"};

// A check-box list with full-row select and grid lines, and its columns.
void SetUpCheckList(CListCtrl& list, CWnd* page, int id, const char* first, int firstWidth, const char* second,
                    int secondWidth) {
  list.SubclassDlgItem(id, page);
  list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  list.InsertColumn(0, TranslateString(first), LVCFMT_LEFT, firstWidth);
  list.InsertColumn(1, TranslateString(second), LVCFMT_LEFT, secondWidth);
}

// A spin over its number edit: buddy, range and the edit's three digits.
void SetUpSpin(CSpinButtonCtrl& spin, CWnd* page, int spinId, int editId, int min, int max) {
  spin.SubclassDlgItem(spinId, page);
  spin.SetBuddy(page->GetDlgItem(editId));
  spin.SetRange32(min, max);
  page->SendDlgItemMessage(editId, EM_LIMITTEXT, 3);
}

void ShowSpin(CWnd* page, CSpinButtonCtrl& spin, int editId, int value) {
  spin.SetPos(value);
  page->SetDlgItemInt(editId, UINT(value), FALSE);
}

// Rows "%d" and "%s %d" of a translated name, one per number from 1.
void FillNumberedRows(CListCtrl& list, int rows, const char* name) {
  list.DeleteAllItems();
  const CString translated = TranslateString(name);
  for (int i = 0; i < rows; ++i) {
    CString number, text;
    number.Format("%d", i + 1);
    text.Format("%s %d", LPCSTR(translated), i + 1);
    const int row = list.InsertItem(i, number);
    list.SetItemText(row, 1, text);
  }
}

// A check list's rows as a mask and back; rows past the mask's bits are
// never read or set.
uint16_t MaskOfChecks(const CListCtrl& list, int rows) {
  uint16_t mask = 0;
  for (int row = 0; row < rows && row < list.GetItemCount(); ++row)
    mask = devcfg::WithMaskRow(mask, row, list.GetCheck(row) != FALSE);
  return mask;
}

void ShowMaskChecks(CListCtrl& list, int rows, uint16_t mask) {
  for (int row = 0; row < rows && row < list.GetItemCount(); ++row)
    list.SetCheck(row, devcfg::MaskRow(mask, row) ? TRUE : FALSE);
}

}  // namespace

// ------------------------------------------------------------ CAlarmPage

BEGIN_MESSAGE_MAP(CAlarmPage, CConfigPage)
  ON_BN_CLICKED(IDC_ALM_OUTPUT_NAME, OnChangeName)
  ON_BN_CLICKED(IDC_ALM_PROBE_NAME, OnChangeName)
  ON_NOTIFY(TCN_SELCHANGING, IDC_ALM_OUTPUT_TABS, OnOutputTabLeaving)
  ON_NOTIFY(TCN_SELCHANGE, IDC_ALM_OUTPUT_TABS, OnOutputTabChange)
END_MESSAGE_MAP()

CAlarmPage::CAlarmPage(CSettingsPageHost* owner) : CConfigPage(IDD_ALARM_PAGE, owner) {
  SetClampTable(kAlarmClamp, 1);
}

BOOL CAlarmPage::OnInitDialog() {
  CConfigPage::OnInitDialog();
  m_outputTabs.SubclassDlgItem(IDC_ALM_OUTPUT_TABS, this);
  for (int k = 0; k < devcfg::kAlarmKinds; ++k)
    m_outputTabs.InsertItem(TCIF_TEXT | TCIF_PARAM, k, TranslateString(kKindTabs[k]), 0, LPARAM(k));
  m_outputTabs.SetCurSel(0);
  m_shownTab = 0;
  SetUpCheckList(m_probes, this, IDC_ALM_PROBES, "No.", 50, "Probe Name", 310);
  SetUpCheckList(m_outputs, this, IDC_ALM_OUTPUTS, "No.", 50, "Alarm Output Port Name", 310);
  SetUpSpin(m_durationSpin, this, IDC_ALM_DURATION_SPIN, IDC_ALM_DURATION, devcfg::kAlarmDurationMin,
            devcfg::kAlarmDurationMax);
  FillRows();
  Show();
  return TRUE;
}

void CAlarmPage::FillRows() {
  shell::DeviceRecord* device = ChosenDevice();
  m_probeRows = devcfg::AlarmRows(device ? device->alarmInputs : 0);
  m_outputRows = devcfg::AlarmRows(device ? device->alarmOutputs : 0);
  FillNumberedRows(m_probes, m_probeRows, "Hardware Probe");
  FillNumberedRows(m_outputs, m_outputRows, "Alarm Output Port");
}

void CAlarmPage::StoreShownOutputs() {
  if (m_shownTab >= 0 && m_shownTab < devcfg::kAlarmKinds)
    m_values.outputMask[m_shownTab] = MaskOfChecks(m_outputs, m_outputRows);
}

void CAlarmPage::Show() {
  if (!GetSafeHwnd()) return;
  for (int k = 0; k < devcfg::kAlarmKinds; ++k)
    CheckDlgButton(kKindChecks[k], m_values.enabled[k] ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_ALM_SEND_ALL, m_values.sendToAll ? BST_CHECKED : BST_UNCHECKED);
  ShowMaskChecks(m_probes, m_probeRows, m_values.probeMask);
  const int tab = m_outputTabs.GetCurSel();
  m_shownTab = tab >= 0 && tab < devcfg::kAlarmKinds ? tab : 0;
  ShowMaskChecks(m_outputs, m_outputRows, m_values.outputMask[m_shownTab]);
  ShowSpin(this, m_durationSpin, IDC_ALM_DURATION, m_values.duration);
}

void CAlarmPage::Collect() {
  if (!GetSafeHwnd()) return;
  for (int k = 0; k < devcfg::kAlarmKinds; ++k) m_values.enabled[k] = IsDlgButtonChecked(kKindChecks[k]) == BST_CHECKED;
  m_values.sendToAll = IsDlgButtonChecked(IDC_ALM_SEND_ALL) == BST_CHECKED;
  m_values.probeMask = MaskOfChecks(m_probes, m_probeRows);
  StoreShownOutputs();
  m_values.duration = ClampedEditValue(IDC_ALM_DURATION);
}

void CAlarmPage::LoadPart(const uint8_t* part) {
  m_values = devcfg::LoadAlarmBasic(part);
  if (!GetSafeHwnd()) return;
  // The rows of the device chosen now, not of the one shown at creation.
  FillRows();
  Show();
}

void CAlarmPage::SavePart(uint8_t* part) {
  Collect();
  devcfg::StoreAlarmBasic(part, m_values);
}

void CAlarmPage::ResetPage() {
  m_values = devcfg::AlarmBasic();
  Show();
}

void CAlarmPage::OnOutputTabLeaving(NMHDR*, LRESULT* result) {
  StoreShownOutputs();
  *result = 0;  // the change may go on
}

void CAlarmPage::OnOutputTabChange(NMHDR*, LRESULT* result) {
  // The checks still shown belong to the tab left (also when no "changing"
  // came before).
  StoreShownOutputs();
  const int tab = m_outputTabs.GetCurSel();
  m_shownTab = tab >= 0 && tab < devcfg::kAlarmKinds ? tab : 0;
  ShowMaskChecks(m_outputs, m_outputRows, m_values.outputMask[m_shownTab]);
  *result = 0;
}

// ------------------------------------------------------------ CAlarmRecordPage

CAlarmRecordPage::CAlarmRecordPage(CSettingsPageHost* owner) : CConfigPage(IDD_ALARM_RECORD_PAGE, owner) {
  SetClampTable(kLinkClamp, 1);
}

BOOL CAlarmRecordPage::OnInitDialog() {
  CConfigPage::OnInitDialog();
  SetUpCheckList(m_channels, this, IDC_LINK_CHANNELS, "Channel No.", 100, "Name", 320);
  SetUpSpin(m_durationSpin, this, IDC_LINK_DURATION_SPIN, IDC_LINK_DURATION, devcfg::kLinkDurationMin,
            devcfg::kLinkDurationMax);
  Show();
  return TRUE;
}

void CAlarmRecordPage::FillRows() {
  shell::DeviceRecord* device = ChosenDevice();
  m_rows = device && m_owner ? devcfg::AlarmRows(device->channelCount) : 0;
  m_channels.DeleteAllItems();
  for (int ch = 0; ch < m_rows; ++ch) {
    CString number;
    number.Format("%d", ch + 1);
    const int row = m_channels.InsertItem(ch, number);
    m_channels.SetItemText(row, 1, devcfg::ChannelName(m_owner->MirrorBlock(ch)).c_str());
  }
}

void CAlarmRecordPage::ClearRows() {
  m_rows = 0;
  if (GetSafeHwnd()) m_channels.DeleteAllItems();
}

void CAlarmRecordPage::Show() {
  if (!GetSafeHwnd()) return;
  ShowMaskChecks(m_channels, m_rows, m_values.channelMask);
  ShowSpin(this, m_durationSpin, IDC_LINK_DURATION, m_values.duration);
}

void CAlarmRecordPage::Collect() {
  if (!GetSafeHwnd()) return;
  m_values.channelMask = MaskOfChecks(m_channels, m_rows);
  m_values.duration = ClampedEditValue(IDC_LINK_DURATION);
}

void CAlarmRecordPage::LoadPart(const uint8_t* part) {
  m_values = devcfg::LoadAlarmLink(part);
  if (!GetSafeHwnd()) return;
  FillRows();
  Show();
}

void CAlarmRecordPage::SavePart(uint8_t* part) {
  Collect();
  devcfg::StoreAlarmLink(part, m_values);
}

void CAlarmRecordPage::ResetPage() {
  m_values = devcfg::AlarmLink();
  Show();
}

// ------------------------------------------------------------ CMotionRegionPage

BEGIN_MESSAGE_MAP(CMotionRegionPage, CConfigPage)
  ON_BN_CLICKED(IDC_MREGION_SELECT_ALL, OnSelectAll)
  ON_BN_CLICKED(IDC_MREGION_CLEAR_ALL, OnClearAll)
  ON_BN_CLICKED(IDC_MREGION_VIEW_VIDEO, OnViewVideo)
  ON_MESSAGE(CAreaSelectCtrl::kNotifyMessage, OnAreaNotice)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CMotionRegionPage::CMotionRegionPage(CSettingsPageHost* owner) : CConfigPage(IDD_MOTION_REGION_PAGE, owner) {
  SetClampTable(kRegionClamp, 2);
}

BOOL CMotionRegionPage::OnInitDialog() {
  CConfigPage::OnInitDialog();
  CreateFramedArea(this, IDC_MREGION_FRAME, m_area);
  m_area.EnableSelect(TRUE);
  m_area.ShowPicture(FALSE);
  m_viewVideo = FALSE;
  CheckDlgButton(IDC_MREGION_VIEW_VIDEO, BST_UNCHECKED);
  for (int id : kRegionEdits) SendDlgItemMessage(id, EM_LIMITTEXT, 3);
  SetUpSpin(m_sensitivitySpin, this, IDC_MREGION_SENSITIVITY_SPIN, IDC_MREGION_SENSITIVITY, devcfg::kSensitivityMin,
            devcfg::kSensitivityMax);
  SetUpSpin(m_thresholdSpin, this, IDC_MREGION_THRESHOLD_SPIN, IDC_MREGION_THRESHOLD, devcfg::kThresholdMin,
            devcfg::kThresholdMax);
  Show();
  return TRUE;
}

void CMotionRegionPage::OnDestroy() {
  if (m_area.GetSafeHwnd()) m_area.DestroyWindow();
  CConfigPage::OnDestroy();
}

void CMotionRegionPage::Show() {
  if (!GetSafeHwnd()) return;
  const int fields[4] = {m_values.x, m_values.y, m_values.w, m_values.h};
  for (int i = 0; i < 4; ++i) SetDlgItemInt(kRegionEdits[i], UINT(fields[i]), FALSE);
  ShowSpin(this, m_sensitivitySpin, IDC_MREGION_SENSITIVITY, m_values.sensitivity);
  ShowSpin(this, m_thresholdSpin, IDC_MREGION_THRESHOLD, m_values.threshold);
  const RECT area = {m_values.x, m_values.y, m_values.x + m_values.w, m_values.y + m_values.h};
  if (m_area.GetSafeHwnd()) m_area.SetArea(&area);
}

void CMotionRegionPage::Collect() {
  if (!GetSafeHwnd()) return;
  int* fields[4] = {&m_values.x, &m_values.y, &m_values.w, &m_values.h};
  for (int i = 0; i < 4; ++i) *fields[i] = int(GetDlgItemInt(kRegionEdits[i], nullptr, FALSE));
  m_values.sensitivity = ClampedEditValue(IDC_MREGION_SENSITIVITY);
  m_values.threshold = ClampedEditValue(IDC_MREGION_THRESHOLD);
}

void CMotionRegionPage::LoadPart(const uint8_t* part) {
  m_values = devcfg::LoadMotionRegion(part);
  Show();
}

void CMotionRegionPage::SavePart(uint8_t* part) {
  Collect();
  devcfg::StoreMotionRegion(part, m_values);
}

void CMotionRegionPage::ResetPage() {
  m_values = devcfg::MotionRegion();
  Show();
}

void CMotionRegionPage::OnSelectAll() {
  Collect();
  m_values.x = m_values.y = 0;
  m_values.w = devcfg::kRegionWidth;
  m_values.h = devcfg::kRegionHeight;
  Show();
}

void CMotionRegionPage::OnClearAll() {
  Collect();
  m_values.x = m_values.y = m_values.w = m_values.h = 0;
  Show();
}

void CMotionRegionPage::OnViewVideo() {
  m_viewVideo = IsDlgButtonChecked(IDC_MREGION_VIEW_VIDEO) == BST_CHECKED;
  m_area.ShowPicture(m_viewVideo);
  if (!m_viewVideo && m_area.GetSafeHwnd()) m_area.Invalidate(TRUE);
}

LRESULT CMotionRegionPage::OnAreaNotice(WPARAM w, LPARAM l) {
  if (LOWORD(w) != CAreaSelectCtrl::kAreaDrawn || !l) return 0;
  const RECT& r = *reinterpret_cast<const RECT*>(l);
  Collect();
  if (devcfg::TakeDrawnRegion(m_values, r.left, r.top, r.right, r.bottom)) Show();
  return 0;
}

BOOL CMotionRegionPage::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) == EN_KILLFOCUS)
    for (int id : kRegionEdits)
      if (id == int(LOWORD(w))) {
        Collect();
        m_values = devcfg::FitRegion(m_values);
        Show();
      }
  return CConfigPage::OnCommand(w, l);
}

// ------------------------------------------------------------ CAlarmTabsPage

BEGIN_MESSAGE_MAP(CAlarmTabsPage, CChannelBlockPage)
  ON_NOTIFY(TCN_SELCHANGE, IDC_ALM_TABS, OnTabChange)
  ON_BN_CLICKED(IDC_ALM_DEFAULT, OnDefault)
  ON_BN_CLICKED(IDC_ALM_COPY, OnCopy)
END_MESSAGE_MAP()

CAlarmTabsPage::CAlarmTabsPage(CSettingsPageHost* owner)
    : CChannelBlockPage(IDD_ALARM_TABS_PAGE, owner, kPageMotion), m_alarm(owner), m_record(owner), m_region(owner) {}

BOOL CAlarmTabsPage::OnInitDialog() {
  CChannelBlockPage::OnInitDialog();
  m_tabs.SubclassDlgItem(IDC_ALM_TABS, this);
  CConfigPage* pages[3] = {&m_alarm, &m_record, &m_region};
  CRect area;
  m_tabs.GetWindowRect(&area);
  ScreenToClient(&area);
  area.left += 2;
  area.right -= 2;
  area.bottom -= 2;
  area.top += 20;
  for (int i = 0; i < 3; ++i) {
    pages[i]->CreatePage(this);
    m_tabs.InsertItem(TCIF_TEXT | TCIF_PARAM, i, TranslateString(kPageTabs[i]), 0, LPARAM(pages[i]));
    // Above the tab control (no window given: the top of the order).
    if (pages[i]->GetSafeHwnd())
      pages[i]->SetWindowPos(nullptr, area.left, area.top, area.Width(), area.Height(), SWP_NOACTIVATE);
  }
  m_tabs.SetCurSel(0);
  ShowTab(0);
  return TRUE;
}

void CAlarmTabsPage::ShowTab(int tab) {
  for (int i = 0; i < m_tabs.GetItemCount(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_PARAM;
    if (!m_tabs.GetItem(i, &item) || !item.lParam) continue;
    CWnd* page = reinterpret_cast<CWnd*>(item.lParam);
    if (page->GetSafeHwnd()) page->ShowWindow(i == tab ? SW_SHOW : SW_HIDE);
  }
}

void CAlarmTabsPage::OnTabChange(NMHDR*, LRESULT* result) {
  ShowTab(m_tabs.GetCurSel());
  *result = 0;
}

void CAlarmTabsPage::OnDefault() {
  switch (m_tabs.GetCurSel()) {
    case 0: m_alarm.ResetPage(); break;
    case 1: m_record.ResetPage(); break;
    case 2: m_region.ResetPage(); break;
    default: break;
  }
}

void CAlarmTabsPage::LoadFromBlock(const uint8_t* part) {
  m_alarm.LoadPart(part);
  m_record.LoadPart(part);
  m_region.LoadPart(part);
}

void CAlarmTabsPage::SaveToBlock(uint8_t* part) {
  m_alarm.SavePart(part);
  m_record.SavePart(part);
  m_region.SavePart(part);
}

void CAlarmTabsPage::ResetPage() {
  m_record.ClearRows();
  m_record.ResetPage();
}
