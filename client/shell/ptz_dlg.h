// The PTZ panel (the topmost side panel: press-and-hold buttons that move,
// zoom, focus and open the iris of the current window's camera) and the
// "Set Preset" dialog.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "ColorStatic.h"
#include "side_panel.h"
#include "side_panels_resource.h"

class CPtzDlgEx : public CSidePanelDlg {
public:
  enum { IDD = IDD_PTZ_PANEL, kButtons = 16 };
  struct ButtonSpec {
    const char* key;
    UINT id;
    int code;  // -1: a command button
  };
  // PTZShow, the fourteen coded buttons, Sit: in the order of creation.
  static const ButtonSpec kButtonSpecs[kButtons];

  explicit CPtzDlgEx(CWnd* parent = nullptr) : CSidePanelDlg(IDD, parent) {}
  int AdvanceHeight() const { return m_advanceHeight; }
  CSkinButton& ButtonAt(int i) { return m_buttons[i]; }

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  afx_msg LRESULT OnButtonNotify(WPARAM w, LPARAM l);

  CColorStatic m_labels[3];
  CSkinButton m_buttons[kButtons];
  int m_advanceHeight = 0;
  DECLARE_MESSAGE_MAP()
};

class CSetPresetDlg : public CDialog {
public:
  enum { IDD = IDD_SET_PRESET, kPresets = 255 };
  explicit CSetPresetDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  int Speed() const { return m_speed; }

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSet();
  afx_msg void OnCall();
  afx_msg void OnClear();
  afx_msg void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
  // Sends set (11) or clear (12) of the preset chosen to the current
  // window's channel.
  void SendPreset(uint8_t command);

  CComboBox m_presets;
  CSliderCtrl m_speedBar;
  CString m_presetText;
  int m_speed = 5;
  DECLARE_MESSAGE_MAP()
};
