#include "switch_mode_dlg.h"

#include "ToolkitResource.h"
#include "language.h"

namespace {

struct ButtonSpec {
  UINT command;
  const char* tooltip;
};
// In the panel's order, which is also the order of the frames in the
// picture strips.
const ButtonSpec kSpecs[CSwitchModeDlg::kButtons] = {
    {IDC_HARD_DECODE, "Hard Decode"},
    {IDC_FULL_SCREEN, "Full Screen"},
    {IDC_SPLIT_1, "1 Monitor Window"},
    {IDC_SPLIT_4, "4 Monitor Windows"},
    {IDC_SPLIT_6, "6 Monitor Windows"},
    {IDC_SPLIT_8, "8 Monitor Windows"},
    {IDC_SPLIT_9, "9 Monitor Windows"},
    {IDC_SPLIT_13, "13 Monitor Windows"},
    {IDC_SPLIT_16, "16 Monitor Windows"},
    {IDC_SPLIT_20, "20 Monitor Windows"},
    {IDC_SPLIT_25, "25 Monitor Windows"},
    {IDC_SPLIT_36, "36 Monitor Windows"},
    {IDC_RECORD_ALL, "All Open Record"},
    {IDC_CLOSE_ALL_VIDEO, "Close All Video"},
};
const int kRecordAllButton = 12;
const int kHardDecodeButton = 0;
const int kFrame = 24;   // one frame of the strips
const UINT kStrips[4] = {IDB_SWITCH_UP, IDB_SWITCH_OVER, IDB_SWITCH_DOWN, IDB_SWITCH_DISABLE};

}  // namespace

BEGIN_MESSAGE_MAP(CSwitchModeDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSwitchModeDlg::Layout CSwitchModeDlg::ReadLayout(const char* configIni) {
  Layout l;
  const char section[] = "SwitchModeDlgSettings";
  l.marginLeft = int(::GetPrivateProfileIntA(section, "MarginLeft", 5, configIni));
  l.interval = int(::GetPrivateProfileIntA(section, "Interval", 3, configIni));
  l.height = int(::GetPrivateProfileIntA(section, "Height", 24, configIni));
  l.width = int(::GetPrivateProfileIntA(section, "Width", 24, configIni));
  return l;
}

CRect CSwitchModeDlg::ButtonRect(const Layout& layout, int index) {
  int left = layout.marginLeft + index * (layout.width + layout.interval);
  return CRect(left, 0, left + layout.width, layout.height);
}

int CSwitchModeDlg::SplitModeOf(UINT command) {
  switch (command) {
    case IDC_SPLIT_1: return 1;
    case IDC_SPLIT_4: return 2;
    case IDC_SPLIT_9: return 3;
    case IDC_SPLIT_16: return 4;
    case IDC_SPLIT_25: return 5;
    case IDC_SPLIT_36: return 6;
    case IDC_SPLIT_6: return 7;
    case IDC_SPLIT_8: return 8;
    case IDC_SPLIT_13: return 9;
    case IDC_SPLIT_20: return 10;
    default: return 0;
  }
}

UINT CSwitchModeDlg::CommandOf(int index) { return index >= 0 && index < kButtons ? kSpecs[index].command : 0; }

CSwitchModeDlg::CSwitchModeDlg(CSwitchModeHost* host, CWnd* parent) : CDialog(IDD, parent), m_host(host) {}

BOOL CSwitchModeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  const SolutionEntry* solution = GetCurrentSolution();
  Layout layout = ReadLayout(solution ? solution->configPath.GetString() : "");
  CBitmap strips[4];
  for (int s = 0; s < 4; ++s) strips[s].LoadBitmap(kStrips[s]);
  for (int i = 0; i < kButtons; ++i) {
    for (int s = 0; s < 4; ++s)
      CopyBitmapPart(&strips[s], &m_pictures[i][s], i * kFrame, 0, (i + 1) * kFrame, kFrame);
    if (!m_buttons[i].Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, ButtonRect(layout, i), this, kSpecs[i].command))
      continue;
    ApplyPictures(i);
    m_buttons[i].SetTooltipText(TranslateString(kSpecs[i].tooltip));
  }
  return TRUE;
}

void CSwitchModeDlg::ApplyPictures(int i) {
  CBitmap(&p)[4] = m_pictures[i];
  CBitmap* normal = m_swapped[i] ? &p[2] : &p[0];
  CBitmap* down = m_swapped[i] ? &p[0] : &p[2];
  // A missing picture leaves the button face.
  auto have = [](CBitmap* b) { return b->GetSafeHandle() ? b : nullptr; };
  m_buttons[i].SetBitmaps(have(normal), have(down), have(&p[1]), have(&p[3]), 0, kSkinStretched);
}

BOOL CSwitchModeDlg::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) != BN_CLICKED || !m_host) return CDialog::OnCommand(w, l);
  UINT id = LOWORD(w);
  if (int mode = SplitModeOf(id)) {
    m_host->SetSplitMode(mode);
    return TRUE;
  }
  switch (id) {
    case IDC_FULL_SCREEN: m_host->ToggleFullScreen(); return TRUE;
    case IDC_RECORD_ALL: ToggleRecordAll(); return TRUE;
    case IDC_CLOSE_ALL_VIDEO:
      for (int wnd = 0; wnd < kMonitorWindows; ++wnd) m_host->CloseWindowVideo(wnd);
      // Closing the video ends what "record all" started: the switch
      // shows off again (its flag and pictures only).
      if (m_recordAll) RecordAllOff();
      return TRUE;
    case IDC_HARD_DECODE:
      m_hardDecode = !m_hardDecode;
      m_host->StartCardFeed(m_hardDecode);
      m_swapped[kHardDecodeButton] = !m_swapped[kHardDecodeButton];
      ApplyPictures(kHardDecodeButton);
      return TRUE;
    default: return CDialog::OnCommand(w, l);
  }
}

void CSwitchModeDlg::RecordAllOff() {
  m_recordAll = FALSE;
  m_swapped[kRecordAllButton] = false;
  ApplyPictures(kRecordAllButton);
  m_buttons[kRecordAllButton].SetTooltipText(TranslateString("All Open Record"));
}

void CSwitchModeDlg::ToggleRecordAll() {
  if (!m_recordAll) {
    m_recordAll = TRUE;
    m_swapped[kRecordAllButton] = true;
    ApplyPictures(kRecordAllButton);
    m_buttons[kRecordAllButton].SetTooltipText(TranslateString("All Close Record"));
    for (int wnd = 0; wnd < kMonitorWindows; ++wnd)
      if (m_host->WindowShowsVideo(wnd)) {
        m_host->SetWindowRecordFlag(wnd, TRUE);
        m_host->SetWindowListRecord(wnd, TRUE);
      }
  } else {
    RecordAllOff();
    for (int wnd = 0; wnd < kMonitorWindows; ++wnd) {
      m_host->SetWindowRecordFlag(wnd, FALSE);
      m_host->SetWindowListRecord(wnd, FALSE);
    }
  }
  m_host->RefreshDevicePanel();
  Invalidate();
}

void CSwitchModeDlg::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  dc.FillSolidRect(&r, RGB(0, 0, 0));
}
