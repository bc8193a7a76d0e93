// The colour panel (brightness, contrast, saturation and hue of the current
// window's channel, sent to its device) and the plan panel (a header that
// opens and closes the device panel).
#pragma once
#include <afxwin.h>

#include <cstdint>
#include <string>

#include "SkinSliderCtrl.h"
#include "side_panel.h"
#include "side_panels_resource.h"
#include "udp_packets.h"

namespace shell {
struct DeviceRecord;
}

class CColorDlg : public CSidePanelDlg, public shell::UdpReceiver {
public:
  enum { IDD = IDD_COLOR_PANEL, kDefaultValue = 128 };

  explicit CColorDlg(CWnd* parent = nullptr) : CSidePanelDlg(IDD, parent) {}
  ~CColorDlg() override;

  // The sliders from bytes 65..68 of the device's first channel block.
  void LoadFromChannel(const shell::DeviceRecord* device);
  // A colour reply: its 12 bytes become the block, bytes 5..8 the sliders.
  void OnColorReply(const uint32_t block[3]);
  // Sliders 1038, 1039, 1040, 1041 in that order.
  int Position(int i) const { return m_positions[i]; }
  CSkinSliderCtrl& Slider(int i) { return m_sliders[3 - i]; }
  const uint8_t* Block() const { return m_block; }
  // Sends the sliders' values to the current window's device when it is
  // connected; FALSE when nothing was sent.
  BOOL Apply();
  void OnDefault();

  // shell::UdpReceiver: sensor replies of the current window's device.
  void OnConfigReply(const std::string& from, uint8_t command, uint8_t channel, const uint8_t* block,
                     size_t size) override;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void ShowPositions();
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  afx_msg LRESULT OnSliderNotify(WPARAM w, LPARAM l);
  afx_msg void OnDestroy();
  // The device of the current window's channel, null when none.
  shell::DeviceRecord* CurrentDevice() const;

  CSkinSliderCtrl m_sliders[4];  // controls 1041, 1040, 1039, 1038
  int m_positions[4] = {0, 0, 0, 0};
  uint8_t m_block[12] = {};
  CSkinButton m_show, m_default, m_labels[4];
  DECLARE_MESSAGE_MAP()
};

class CPlanDlg : public CSidePanelDlg {
public:
  enum { IDD = IDD_PLAN_PANEL };
  explicit CPlanDlg(CWnd* parent = nullptr) : CSidePanelDlg(IDD, parent) {}

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  CSkinButton m_show;
};
