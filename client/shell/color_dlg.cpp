#include "color_dlg.h"

#include <cstring>

#include "ToolkitResource.h"
#include "app_services.h"
#include "channel_blocks.h"
#include "language.h"
#include "main_dlg_face.h"
#include "main_duties.h"

namespace {

// Slider i (0 = control 1038) is colour byte 5 + i.
const UINT kSliderIds[4] = {IDC_COLOR_SLIDER_1038, IDC_COLOR_SLIDER_1039, IDC_COLOR_SLIDER_1040,
                            IDC_COLOR_SLIDER_1041};
const char* const kLabelTips[4] = {"Brightness", "Contrast", "Saturation", "Hue"};
// The colour bytes in a channel settings block.
constexpr size_t kChannelColourOffset = 65;

}  // namespace

BEGIN_MESSAGE_MAP(CColorDlg, CSidePanelDlg)
  ON_MESSAGE(WM_COLOR_SLIDER_NOTIFY, OnSliderNotify)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CColorDlg::~CColorDlg() = default;

void CColorDlg::DoDataExchange(CDataExchange* dx) {
  CSidePanelDlg::DoDataExchange(dx);
  for (int i = 0; i < 4; ++i) DDX_Control(dx, int(kSliderIds[i]), Slider(i));
}

BOOL CColorDlg::OnInitDialog() {
  CSidePanelDlg::OnInitDialog();
  TranslateDialog(this);
  m_configFile = "color_config.ini";
  if (!LoadBackground("ColorDlgSettings")) {
    // "Loading the CColorDlg background pictures failed" (GBK).
    TranslatedMessageBox(this, "\xBC\xD3\xD4\xD8" "CColorDlg" "\xB1\xB3\xBE\xB0\xCD\xBC\xC6\xAC\xCA\xA7\xB0\xDC", "",
                         MB_OK);
  }
  CreateSkinButton(m_show, "ColorShow", IDC_COLOR_SHOW);
  CreateSkinButton(m_default, "Default", IDC_COLOR_DEFAULT, "Default");
  for (int i = 0; i < 4; ++i) {
    CString key;
    key.Format("btn%d", i + 1);
    CreateSkinButton(m_labels[i], key, IDC_COLOR_LABEL_FIRST + i, kLabelTips[i]);
  }
  for (int i = 0; i < 4; ++i) {
    CSkinSliderCtrl& s = Slider(i);
    s.SetBitmaps(IDB_TRACK_REST, IDB_TRACK_FILLED);
    s.SetRange(0, 255);
    s.SetLineSize(0);
    s.SetNotifyWindow(this);
  }
  m_normalHeight = ReadPanelInt("NormalHeight", 170);
  ShowPositions();
  if (g_pMainDlg) g_pMainDlg->RegisterUdpReceiver(this);
  return TRUE;
}

void CColorDlg::OnDestroy() {
  if (g_pMainDlg) g_pMainDlg->UnregisterUdpReceiver(this);
  CSidePanelDlg::OnDestroy();
}

void CColorDlg::ShowPositions() {
  for (int i = 0; i < 4; ++i)
    if (Slider(i).m_hWnd) Slider(i).SetPos(m_positions[i]);
  if (m_hWnd) Invalidate();
}

void CColorDlg::LoadFromChannel(const shell::DeviceRecord* device) {
  if (const auto* block = device ? reinterpret_cast<const uint8_t*>(shell::ChannelBlock(*device, 0)) : nullptr) {
    for (int i = 0; i < 4; ++i) m_positions[i] = block[kChannelColourOffset + i];
  }
  ShowPositions();
}

void CColorDlg::OnColorReply(const uint32_t block[3]) {
  memcpy(m_block, block, sizeof m_block);
  shell::GetColourValues(m_block, m_positions);
  ShowPositions();
}

void CColorDlg::OnConfigReply(const std::string& from, uint8_t command, uint8_t, const uint8_t* block,
                              size_t size) {
  // Whole blocks only, and only from the device the panel shows.
  if (command != shell::UDPCFG_SENSOR || size < shell::kSensorBlockSize) return;
  const shell::DeviceRecord* dev = CurrentDevice();
  if (!dev || from != std::string(dev->address, strnlen(dev->address, sizeof dev->address))) return;
  uint32_t words[3];
  memcpy(words, block, sizeof words);
  OnColorReply(words);
}

shell::DeviceRecord* CColorDlg::CurrentDevice() const {
  if (!g_pMainDlg) return nullptr;
  const shell::WindowList* list = g_pMainDlg->m_windows.At(g_pMainDlg->GetCurrentWindow());
  if (!list) return nullptr;
  int position = list->position;
  if (position < 0 || position >= shell::kChannelSlots) return nullptr;
  shell::ChannelSlot* s = g_pMainDlg->m_channels.At(list->At(position));
  return s ? s->device.load() : nullptr;
}

BOOL CColorDlg::Apply() {
  for (int i = 0; i < 4; ++i)
    if (Slider(i).m_hWnd) m_positions[i] = Slider(i).GetPos();
  shell::DeviceRecord* dev = CurrentDevice();
  if (!dev || dev->state != 4) return FALSE;
  shell::PutColourValues(m_block, m_positions);
  shell::UdpDatagram d = shell::BuildSensorSet(m_block);
  g_pMainDlg->SendUdpCommand(d.data(), int(d.size()), dev->address, shell::kUdpCommandPort);
  return TRUE;
}

void CColorDlg::OnDefault() {
  for (int& p : m_positions) p = kDefaultValue;
  ShowPositions();
  Apply();
}

LRESULT CColorDlg::OnSliderNotify(WPARAM w, LPARAM) {
  if (w == CSkinSliderCtrl::kNotifyRelease) Apply();
  return 0;
}

BOOL CColorDlg::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) != BN_CLICKED) return CSidePanelDlg::OnCommand(w, l);
  switch (LOWORD(w)) {
    case IDC_COLOR_DEFAULT:
      OnDefault();
      return TRUE;
    case IDC_COLOR_SHOW:
      if (!IsExpanded()) LoadFromChannel(CurrentDevice());
      ToggleExpanded();
      return TRUE;
    default:
      return CSidePanelDlg::OnCommand(w, l);
  }
}

// ---- plan panel

BOOL CPlanDlg::OnInitDialog() {
  CSidePanelDlg::OnInitDialog();
  m_configFile = "Plan_config.ini";
  if (!LoadBackground("PlanDlgSettings")) {
    // "Loading CPlanDlg failed" (GBK).
    TranslatedMessageBox(this, "\xBC\xD3\xD4\xD8" "CPlanDlg" "\xCA\xA7\xB0\xDC", "", MB_OK);
  }
  CreateSkinButton(m_show, "PlanShow", IDC_PLAN_SHOW);
  m_normalHeight = ReadPanelInt("NormalHeight", 117);
  return TRUE;
}

BOOL CPlanDlg::OnCommand(WPARAM w, LPARAM l) {
  if (HIWORD(w) == BN_CLICKED && LOWORD(w) == IDC_PLAN_SHOW) {
    ToggleExpanded();
    return TRUE;
  }
  return CSidePanelDlg::OnCommand(w, l);
}
