#include "side_panel.h"

#include "helpers.h"
#include "language.h"

void CSidePanelColumn::Expand(CSidePanelDlg* panel, bool expand) {
  if (!panel) return;
  if (expand) {
    for (CSidePanelDlg* other : {ptz, colour, plan})
      if (other && other != panel) other->SetExpandedState(CSidePanelDlg::kCollapsed);
  }
  panel->SetExpandedState(expand ? CSidePanelDlg::kExpanded : CSidePanelDlg::kCollapsed);
  // The plan panel opens the device panel with it; the others close it.
  if (setDeviceExpanded) {
    if (panel == plan)
      setDeviceExpanded(expand ? 1 : -1);
    else if (expand)
      setDeviceExpanded(-1);
  }
  if (layout) layout();
}

void CSidePanelDlg::ToggleExpanded() {
  if (m_column)
    m_column->Expand(this, !IsExpanded());
  else
    m_expanded = IsExpanded() ? kCollapsed : kExpanded;
}

BEGIN_MESSAGE_MAP(CSidePanelDlg, CDialog)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CString CSidePanelDlg::PanelIni() const {
  const SolutionEntry* s = GetCurrentSolution();
  return s ? s->folderPath + m_configFile : CString();
}

int CSidePanelDlg::ReadPanelInt(const char* key, int fallback) {
  CString ini = PanelIni();
  return ini.IsEmpty() ? fallback : int(::GetPrivateProfileIntA("MainSettings", key, fallback, ini));
}

BOOL CSidePanelDlg::LoadBackground(const char* section) {
  const SolutionEntry* s = GetCurrentSolution();
  if (!s) return FALSE;
  static const char* const kKeys[4] = {"BackImage_Up", "BackImage_Over", "BackImage_Down", "BackImage_Disable"};
  BOOL all = TRUE;
  for (int i = 0; i < 4; ++i) {
    CString file = ReadIniString(section, kKeys[i], "", s->configPath, 128);
    if (file.IsEmpty() || !LoadDibFile(s->folderPath + file, m_back[i], FALSE)) all = FALSE;
  }
  return all;
}

BOOL CSidePanelDlg::CreateSkinButton(CSkinButton& button, const char* key, UINT id, const char* tooltip) {
  CString ini = PanelIni();
  CRect pos = ParseRect(ReadIniString("MainButtons", CString(key) + "_Position", "", ini));
  if (!button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, pos, this, id)) return FALSE;
  CBitmap parts[4];
  CBitmap* states[4] = {nullptr, nullptr, nullptr, nullptr};
  for (int k = 0; k < 4; ++k)
    if (!pos.IsRectEmpty() && CopyBitmapPart(&m_back[k], &parts[k], pos.left, pos.top, pos.right, pos.bottom))
      states[k] = &parts[k];
  // Normal, pressed, hover, disabled.
  button.SetBitmaps(states[0], states[2], states[1], states[3], 0, kSkinStretched);
  if (tooltip) button.SetTooltipText(TranslateString(tooltip));
  return TRUE;
}

CSkinButton* CSidePanelDlg::Button(UINT id) {
  CWnd* w = GetDlgItem(int(id));
  return w ? static_cast<CSkinButton*>(CWnd::FromHandlePermanent(w->m_hWnd)) : nullptr;
}

void CSidePanelDlg::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  if (!m_back[0].GetSafeHandle()) {
    dc.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    return;
  }
  CDC mem;
  mem.CreateCompatibleDC(&dc);
  CBitmap* old = mem.SelectObject(&m_back[0]);
  BITMAP bm{};
  m_back[0].GetBitmap(&bm);
  // The up picture in the client's size.
  dc.StretchBlt(0, 0, client.Width(), client.Height(), &mem, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  mem.SelectObject(old);
}
