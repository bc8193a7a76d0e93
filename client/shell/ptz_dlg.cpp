#include "ptz_dlg.h"

#include <cstdlib>

#include "app_services.h"
#include "helpers.h"
#include "language.h"
#include "main_dlg_face.h"
#include "main_duties.h"

const CPtzDlgEx::ButtonSpec CPtzDlgEx::kButtonSpecs[kButtons] = {
    {"PTZShow", IDC_PTZ_SHOW, -1},
    {"IrisReduce", IDC_PTZ_IRIS_REDUCE, shell::kPtzIrisReduce},
    {"IrisAdd", IDC_PTZ_IRIS_ADD, shell::kPtzIrisAdd},
    {"FocusReduce", IDC_PTZ_FOCUS_REDUCE, shell::kPtzFocusReduce},
    {"FocusAdd", IDC_PTZ_FOCUS_ADD, shell::kPtzFocusAdd},
    {"ZoomReduce", IDC_PTZ_ZOOM_REDUCE, shell::kPtzZoomReduce},
    {"ZoomAdd", IDC_PTZ_ZOOM_ADD, shell::kPtzZoomAdd},
    {"Up", IDC_PTZ_UP, shell::kPtzUp},
    {"Down", IDC_PTZ_DOWN, shell::kPtzDown},
    {"Left", IDC_PTZ_LEFT, shell::kPtzLeft},
    {"Right", IDC_PTZ_RIGHT, shell::kPtzRight},
    {"LeftUp", IDC_PTZ_LEFT_UP, shell::kPtzLeftUp},
    {"LeftDown", IDC_PTZ_LEFT_DOWN, shell::kPtzLeftDown},
    {"RightUp", IDC_PTZ_RIGHT_UP, shell::kPtzRightUp},
    {"RightDown", IDC_PTZ_RIGHT_DOWN, shell::kPtzRightDown},
    {"Sit", IDC_PTZ_SIT, -1},
};

BEGIN_MESSAGE_MAP(CPtzDlgEx, CSidePanelDlg)
  ON_MESSAGE(WM_PTZ_BUTTON_NOTIFY, OnButtonNotify)
END_MESSAGE_MAP()

BOOL CPtzDlgEx::OnInitDialog() {
  CSidePanelDlg::OnInitDialog();
  TranslateDialog(this);
  m_configFile = "PTZ_config.ini";
  const UINT labels[3] = {IDC_PTZ_ZOOM_LABEL, IDC_PTZ_IRIS_LABEL, IDC_PTZ_FOCUS_LABEL};
  // The pairs' names in the solution's label colours.
  CString labelText = ReadIniString("MainSettings", "LabelTextColor", "", PanelIni(), 128);
  CString labelBack = ReadIniString("MainSettings", "LabelBackColor", "", PanelIni(), 128);
  for (int i = 0; i < 3; ++i) {
    m_labels[i].SubclassDlgItem(labels[i], this);
    if (!labelText.IsEmpty()) m_labels[i].SetTextColor(ParseColor(labelText));
    if (!labelBack.IsEmpty()) m_labels[i].SetBackColor(ParseColor(labelBack));
  }
  if (!LoadBackground("PtzDlgExSettings")) {
    // "Loading the pictures of the CPtzDlgEx dialog failed" (GBK).
    TranslatedMessageBox(this,
                         "\xBC\xD3\xD4\xD8" "CPtzDlgEx" "\xB6\xD4\xBB\xB0\xBF\xF2\xB5\xC4\xCD\xBC\xC6\xAC\xCA\xA7\xB0\xDC",
                         "", MB_OK);
  }
  for (int i = 0; i < kButtons; ++i) {
    const ButtonSpec& b = kButtonSpecs[i];
    if (!CreateSkinButton(m_buttons[i], b.key, b.id)) continue;
    if (b.code >= 0) m_buttons[i].SetNotifyMessage(WM_PTZ_BUTTON_NOTIFY, UINT(b.code));
  }
  m_normalHeight = ReadPanelInt("NormalHeight", 270);
  m_advanceHeight = ReadPanelInt("AdvanceHeight", 428);
  return TRUE;
}

LRESULT CPtzDlgEx::OnButtonNotify(WPARAM w, LPARAM l) {
  if (g_pMainDlg) g_pMainDlg->OnPtzButton(w, l);
  return 0;
}

BOOL CPtzDlgEx::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) != BN_CLICKED) return CSidePanelDlg::OnCommand(w, l);
  switch (LOWORD(w)) {
    case IDC_PTZ_SHOW:
      ToggleExpanded();
      return TRUE;
    case IDC_PTZ_SIT:
      if (g_pMainDlg) {
        g_pMainDlg->TogglePtzChannelFlag();
        int slot = g_pMainDlg->GetWindowChannel(g_pMainDlg->GetCurrentWindow());
        m_buttons[kButtons - 1].SetState(g_pMainDlg->PtzChannelFlag(slot) ? 1 : 0);
      }
      return TRUE;
    default:
      return CSidePanelDlg::OnCommand(w, l);
  }
}

// ---- Set Preset

BEGIN_MESSAGE_MAP(CSetPresetDlg, CDialog)
  ON_BN_CLICKED(IDC_PRESET_SET, OnSet)
  ON_BN_CLICKED(IDC_PRESET_CALL, OnCall)
  ON_BN_CLICKED(IDC_PRESET_CLEAR, OnClear)
  ON_WM_HSCROLL()
END_MESSAGE_MAP()

BOOL CSetPresetDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetWindowText(TranslateString("Set Preset Point"));
  TranslateDialog(this);
  m_presets.SubclassDlgItem(IDC_PRESET_COMBO, this);
  m_speedBar.SubclassDlgItem(IDC_PRESET_SPEED, this);
  m_speedBar.SetRange(1, 10);
  m_speedBar.SetPos(m_speed);
  // A preset is one byte on the wire: 1..255.
  for (int i = 1; i <= kPresets; ++i) {
    CString text;
    text.Format("%d", i);
    m_presets.AddString(text);
  }
  m_presets.SetCurSel(0);
  return TRUE;
}

void CSetPresetDlg::SendPreset(uint8_t command) {
  m_presets.GetWindowText(m_presetText);
  if (!g_pMainDlg) return;
  int slot = g_pMainDlg->GetWindowChannel(g_pMainDlg->GetCurrentWindow());
  const shell::ChannelSlot* s = g_pMainDlg->m_channels.At(slot);
  const shell::DeviceRecord* dev = s ? s->device.load() : nullptr;
  if (!dev) return;
  int preset = std::atoi(m_presetText);
  if (preset < 0 || preset > kPresets) return;  // beyond a byte it would name another preset
  shell::UdpDatagram d = shell::BuildPtz(command, uint8_t(s->channel.load()), uint8_t(preset));
  g_pMainDlg->SendUdpCommand(d.data(), int(d.size()), dev->address, shell::kUdpCommandPort);
}

void CSetPresetDlg::OnSet() { SendPreset(shell::UDPPTZ_SET_PRESET); }

void CSetPresetDlg::OnClear() {
  m_presets.GetWindowText(m_presetText);
  if (m_presetText.IsEmpty()) {
    TranslatedMessageBox(this, "Preset point can not be empty!", "PROMPT", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  SendPreset(shell::UDPPTZ_CLEAR_PRESET);
}

void CSetPresetDlg::OnCall() {
  // The devices have no call of a preset on this channel: nothing is sent.
  m_presets.GetWindowText(m_presetText);
}

void CSetPresetDlg::OnHScroll(UINT, UINT, CScrollBar*) { m_speed = m_speedBar.GetPos(); }
