#include "encoding_controls.h"

#include "devcfg_resource.h"
#include "language.h"

namespace {
const char* const kModes[2] = {"Constant", "Variable"};
const char* const kQualities[6] = {"Level 1(Best)", "Level 2", "Level 3", "Level 4", "Level 5", "Level 6"};
}  // namespace

void EncodingControls::Attach(CWnd* page, const char* const* resolutions, int resolutionCount, int frameRateMax) {
  resolution.SubclassDlgItem(IDC_ENC_RESOLUTION, page);
  mode.SubclassDlgItem(IDC_ENC_MODE, page);
  quality.SubclassDlgItem(IDC_ENC_QUALITY, page);
  resolution.ResetContent();
  for (int i = 0; i < resolutionCount; ++i) resolution.AddString(resolutions[i]);
  mode.ResetContent();
  for (const char* m : kModes) mode.AddString(TranslateString(m));
  quality.ResetContent();
  for (const char* q : kQualities) quality.AddString(TranslateString(q));
  intervalSpin.SubclassDlgItem(IDC_ENC_IINTERVAL_SPIN, page);
  intervalSpin.SetBuddy(page->GetDlgItem(IDC_ENC_IINTERVAL));
  intervalSpin.SetRange32(1, 255);
  frameSpin.SubclassDlgItem(IDC_ENC_FRAMERATE_SPIN, page);
  frameSpin.SetBuddy(page->GetDlgItem(IDC_ENC_FRAMERATE));
  frameSpin.SetRange32(1, frameRateMax);
}

void EncodingControls::ShowMode(CWnd* page, bool variable) {
  quality.EnableWindow(variable ? TRUE : FALSE);
  page->SetDlgItemText(IDC_ENC_BITRATE_LABEL, TranslateString(variable ? "Max Bit Rate" : "Bit Rate"));
}

void CreateFramedArea(CWnd* page, int frameId, CAreaSelectCtrl& area) {
  CRect frame(0, 0, 352, 288);
  if (CWnd* f = page->GetDlgItem(frameId)) {
    f->GetWindowRect(&frame);
    page->ScreenToClient(&frame);
    frame = CRect(frame.left, frame.top, frame.left + 352, frame.top + 288);
    CRect border = frame;
    border.InflateRect(1, 1);
    f->MoveWindow(&border);
  }
  area.Create(0, WS_CHILD | WS_VISIBLE, frame, page, IDC_ENC_AREA);
  area.SetBackColor(RGB(0, 0, 0));
}

int ClampEditOnLeave(CWnd* page, WPARAM w, const EditLimits* table, size_t count) {
  if (HIWORD(w) != EN_KILLFOCUS) return 0;
  for (size_t i = 0; i < count; ++i) {
    const EditLimits& e = table[i];
    if (e.id != int(LOWORD(w))) continue;
    BOOL ok = FALSE;
    const int value = int(page->GetDlgItemInt(e.id, &ok, FALSE));
    int kept = !ok || value < e.min ? e.min : value;
    if (kept > e.max) kept = e.max;
    if (!ok || kept != value) page->SetDlgItemInt(e.id, UINT(kept), FALSE);
    return e.id;
  }
  return 0;
}
