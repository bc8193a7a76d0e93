#include "SystemStatusBar.h"

#include <commctrl.h>

#include "helpers.h"
#include "language.h"

namespace {

const char kSection[] = "SystemStatusBar";

// Command buttons: skin key, caption, command.
struct CommandButton {
  const char* key;
  const char* caption;
  UINT id;
};
const CommandButton kCommands[CSystemStatusBar::kCommandButtons] = {
    {"AllOpen", "All Open", IDC_STATUS_ALL_OPEN},   {"AllClose", "All Close", IDC_STATUS_ALL_CLOSE},
    {"Hide", "Hide", IDC_STATUS_HIDE},              {"MonitorKind", "Monitor", IDC_STATUS_KIND0},
    {"RecordKind", "Record", IDC_STATUS_KIND1},     {"AlarmKind", "Alarm", IDC_STATUS_KIND4},
};
// Captions of the kind buttons (kinds 2 and 3 are never offered by a
// button of their own).
const char* const kKindCaptions[CSystemStatusBar::kKindButtons] = {"Monitor", "Record", "", "", "Alarm"};

}  // namespace

BEGIN_MESSAGE_MAP(CSystemStatusBar, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CSystemStatusBar::CSystemStatusBar(CStatusBarHost* host, CWnd* parent)
    : CDialog(IDD, parent), m_host(host), m_lamps(*host) {}

BOOL CSystemStatusBar::OnInitDialog() {
  CDialog::OnInitDialog();
  TranslateDialog(this);
  LoadSkin();
  SetMode(0);
  return TRUE;
}

BOOL CSystemStatusBar::CreateSkinButton(CSkinButton& button, const char* key, const char* ini, UINT id,
                                        CBitmap* const pictures[4], LPCSTR caption) {
  CString name;
  name.Format("%s_Position", key);
  CRect r = ParseRect(ReadIniString(kSection, name, "", ini, 128));
  CBitmap parts[4];
  CBitmap* states[4] = {nullptr, nullptr, nullptr, nullptr};
  for (int i = 0; i < 4; ++i)
    if (pictures && pictures[i] && pictures[i]->GetSafeHandle() &&
        CopyBitmapPart(pictures[i], &parts[i], r.left - m_region.left, r.top - m_region.top, r.right - m_region.left,
                       r.bottom - m_region.top))
      states[i] = &parts[i];
  r.OffsetRect(-m_region.left, -m_region.top);
  if (!button.Create(caption, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, r, this, id)) return FALSE;
  // Normal, pressed, hover, disabled.
  button.SetBitmaps(states[0], states[2], states[1], states[3], 0, kSkinStretched);
  return TRUE;
}

void CSystemStatusBar::MakeLampPictures(int number, int width, int height, CBitmap& off, CBitmap& lit,
                                        CBitmap& disabled) {
  CClientDC screen(nullptr);
  CDC mem;
  mem.CreateCompatibleDC(&screen);
  char text[8];
  wsprintfA(text, "%d", number);
  struct Face {
    CBitmap* bitmap;
    COLORREF fill, ink;
  } faces[] = {
      {&off, m_labelBack, m_labelText},
      {&lit, m_labelText, m_labelBack},
      {&disabled, m_labelBack, RGB((GetRValue(m_labelText) + GetRValue(m_labelBack)) / 2,
                                   (GetGValue(m_labelText) + GetGValue(m_labelBack)) / 2,
                                   (GetBValue(m_labelText) + GetBValue(m_labelBack)) / 2)},
  };
  CRect r(0, 0, width, height);
  for (Face& f : faces) {
    f.bitmap->CreateCompatibleBitmap(&screen, width, height);
    CBitmap* old = mem.SelectObject(f.bitmap);
    mem.FillSolidRect(&r, f.fill);
    CBrush frame(f.ink);
    mem.FrameRect(&r, &frame);
    mem.SetBkMode(TRANSPARENT);
    mem.SetTextColor(f.ink);
    mem.SelectStockObject(DEFAULT_GUI_FONT);
    mem.DrawText(text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    mem.SelectObject(old);
  }
}

void CSystemStatusBar::LoadSkin() {
  const SolutionEntry* solution = GetCurrentSolution();
  CString ini = solution ? solution->configPath : CString();
  CString folder = solution ? solution->folderPath : CString();

  m_region = ParseRect(ReadIniString(kSection, "InMainWnd_Region", "", ini, 128));
  if (!m_region.IsRectEmpty())
    SetWindowPos(nullptr, m_region.left, m_region.top, m_region.Width(), m_region.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);

  // The pictures: the background and the buttons' four states, each as
  // large as the bar; a button takes the part at its place.
  CString file = ReadIniString(kSection, "BackImage_Fill", "", ini, 128);
  if (!file.IsEmpty()) LoadDibFile(folder + file, m_background, TRUE);
  CBitmap states[4];
  const char* const stateKeys[4] = {"BackImage_Up", "BackImage_Over", "BackImage_Down", "BackImage_Disable"};
  CBitmap* pictures[4] = {nullptr, nullptr, nullptr, nullptr};
  for (int i = 0; i < 4; ++i) {
    file = ReadIniString(kSection, stateKeys[i], "", ini, 128);
    if (!file.IsEmpty() && LoadDibFile(folder + file, states[i], TRUE)) pictures[i] = &states[i];
  }

  m_labelText = ParseColor(ReadIniString(kSection, "LabelTextColor", "255, 255, 255", ini, 128));
  m_labelBack = ParseColor(ReadIniString(kSection, "LabelBackColor", "0, 0, 0", ini, 128));

  for (int k = 0; k < kKindButtons; ++k) {
    CreateSkinButton(m_kindButtons[k], "Preview", ini, IDC_STATUS_NEXT_KIND, pictures, TranslateString(kKindCaptions[k]));
    if (const char* tip = ui::StatusKindTooltip(k)) m_kindButtons[k].SetTooltipText(TranslateString(tip));
  }
  for (int c = 0; c < kCommandButtons; ++c)
    CreateSkinButton(m_commandButtons[c], kCommands[c].key, ini, kCommands[c].id, pictures,
                     TranslateString(kCommands[c].caption));
  m_commandButtons[0].SetTooltipText(TranslateString("All Open"));
  m_commandButtons[1].SetTooltipText(TranslateString("All Close"));

  // The lamps have no skin picture: plain faces in the label colours, so
  // that a lit lamp is seen.
  for (int i = 0; i < ui::kStatusLampCount; ++i) {
    CString key;
    key.Format("Ch%d", i + 1);
    CSkinButton& lamp = m_lampButtons[i];
    if (!CreateSkinButton(lamp, key, ini, IDC_STATUS_LAMP, nullptr)) continue;
    CRect r;
    lamp.GetClientRect(&r);
    if (r.IsRectEmpty()) continue;
    CBitmap off, lit, disabled;
    MakeLampPictures(i + 1, r.Width(), r.Height(), off, lit, disabled);
    lamp.SetBitmaps(&off, &lit, nullptr, &disabled, 0, kSkinStretched);
  }

  // Every kind button at the preview place, relative to the bar.
  CRect preview = ParseRect(ReadIniString(kSection, "Preview_Position", "", ini, 128));
  preview.OffsetRect(-m_region.left, -m_region.top);
  for (CSkinButton& b : m_kindButtons)
    if (b.GetSafeHwnd()) b.MoveWindow(&preview, TRUE);
}

void CSystemStatusBar::SetMode(int kind) {
  for (CSkinButton& b : m_kindButtons)
    if (b.GetSafeHwnd()) b.ShowWindow(SW_HIDE);
  if (kind >= 0 && kind < kKindButtons && m_kindButtons[kind].GetSafeHwnd()) m_kindButtons[kind].ShowWindow(SW_SHOW);
  m_lamps.SetMode(kind);
  if (kind == 2) return;
  SyncLamps();
}

void CSystemStatusBar::SyncLamps() {
  for (int i = 0; i < ui::kStatusLampCount; ++i) {
    CSkinButton& lamp = m_lampButtons[i];
    if (!lamp.GetSafeHwnd()) continue;
    lamp.EnableWindow(m_lamps.Enabled(i));
    lamp.SetState(m_lamps.State(i));
  }
  for (int c = 0; c < 2; ++c)
    if (m_commandButtons[c].GetSafeHwnd()) m_commandButtons[c].EnableWindow(m_lamps.CommandsEnabled());
}

void CSystemStatusBar::SetChannelState(int kind, int index, int state) {
  if (!m_lamps.SetChannelState(kind, index, state)) return;
  CSkinButton& lamp = m_lampButtons[index];
  if (!lamp.GetSafeHwnd()) return;
  lamp.EnableWindow(m_lamps.Enabled(index));
  lamp.SetState(m_lamps.State(index));
}

BOOL CSystemStatusBar::OnCommand(WPARAM w, LPARAM l) {
  UINT id = LOWORD(w);
  if (HIWORD(w) != BN_CLICKED) return CDialog::OnCommand(w, l);
  switch (id) {
    case IDC_STATUS_LAMP: {
      // All lamps share the id: the clicked one is the control that sent
      // the command.
      HWND from = reinterpret_cast<HWND>(l);
      int used = ui::StatusLampsInUse(m_lamps.Kind(), *m_host);
      for (int i = 0; i < used; ++i)
        if (m_lampButtons[i].m_hWnd == from && from) {
          m_lamps.Toggle(i);
          break;
        }
      return TRUE;
    }
    case IDC_STATUS_NEXT_KIND: SetMode(ui::NextStatusKind(m_lamps.Kind())); return TRUE;
    case IDC_STATUS_ALL_OPEN: m_lamps.SetAll(1); return TRUE;
    case IDC_STATUS_ALL_CLOSE: m_lamps.SetAll(0); return TRUE;
    case IDC_STATUS_HIDE:
      if (CWnd* parent = GetParent()) parent->SendMessage(kMsgHideBar);
      return TRUE;
    case IDC_STATUS_KIND2: SetMode(2); return TRUE;
    case IDC_STATUS_KIND4: SetMode(4); return TRUE;
    case IDC_STATUS_KIND3: SetMode(3); return TRUE;
    case IDC_STATUS_KIND0: SetMode(0); return TRUE;
    case IDC_STATUS_KIND1: SetMode(1); return TRUE;
    case IDC_STATUS_EXCHANGE:
      UpdateData(FALSE);
      UpdateData(TRUE);
      return TRUE;
    case IDC_STATUS_READ: UpdateData(TRUE); return TRUE;
    case IDC_STATUS_NOTHING: return TRUE;
    default: return CDialog::OnCommand(w, l);
  }
}

BOOL CSystemStatusBar::OnNotify(WPARAM w, LPARAM l, LRESULT* result) {
  const NMHDR* nm = reinterpret_cast<const NMHDR*>(l);
  if (nm && nm->code == UINT(NM_RELEASEDCAPTURE) && nm->idFrom >= 1057 && nm->idFrom <= 1060) {
    UpdateData(TRUE);
    *result = 0;
    return TRUE;
  }
  return CDialog::OnNotify(w, l, result);
}

void CSystemStatusBar::OnCancel() {
  CWnd* parent = GetParent();
  if (!parent) return;
  parent->SetFocus();
  parent->SendMessage(kMsgLeaveFullScreen);
}

void CSystemStatusBar::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (!m_background.GetSafeHandle()) {
    dc.FillSolidRect(&client, m_labelBack);
    return;
  }
  // One memory DC serves every bar for the life of the program.
  static CDC shared;
  if (!shared.GetSafeHdc()) shared.CreateCompatibleDC(nullptr);
  CBitmap* old = shared.SelectObject(&m_background);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &shared, 0, 0, SRCCOPY);
  shared.SelectObject(old);
}
