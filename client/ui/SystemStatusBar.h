// The strip at the foot of the main window: one lamp per channel or monitor
// window for the status kind shown, a button per kind, "All Open" and
// "All Close", and a few commands. Skinned from [SystemStatusBar] of the
// current interface solution's Config.ini.
#pragma once
#include <afxwin.h>

#include "SkinButton.h"
#include "StatusBarHost.h"
#include "StatusLamps.h"
#include "SystemStatusBarResource.h"

class CSystemStatusBar : public CDialog {
public:
  enum { IDD = IDD_SYSTEM_STATUSBAR };
  // Sent to the parent (the main window).
  enum { kMsgHideBar = 0x827, kMsgLeaveFullScreen = 0x828 };
  enum { kKindButtons = ui::kStatusKindCount, kCommandButtons = 6 };

  CSystemStatusBar(CStatusBarHost* host, CWnd* parent);

  void SetMode(int kind);
  void SetChannelState(int kind, int index, int state);
  int GetMode() const { return m_lamps.Kind(); }

  // For the owner and the tests.
  const CRect& Region() const { return m_region; }
  CSkinButton& Lamp(int i) { return m_lampButtons[i]; }
  CSkinButton& KindButton(int kind) { return m_kindButtons[kind]; }
  // 0 "All Open", 1 "All Close", 2 hide the bar, 3-5 the monitor, record
  // and alarm kinds.
  CSkinButton& CommandButton(int i) { return m_commandButtons[i]; }
  COLORREF LabelTextColor() const { return m_labelText; }
  COLORREF LabelBackColor() const { return m_labelBack; }

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  BOOL OnNotify(WPARAM w, LPARAM l, LRESULT* result) override;
  void OnOK() override {}
  void OnCancel() override;
  void LoadSkin();
  // Creates one skinned button from "<key>_Position" (main-window
  // coordinates); with a picture, the part at that place of each state
  // picture (or the one picture for all four).
  BOOL CreateSkinButton(CSkinButton& button, const char* key, const char* ini, UINT id, CBitmap* const pictures[4],
                        LPCSTR caption = "");
  // Plain lamp pictures for a lamp made without a skin picture: off, lit
  // (filled in the label text colour) and disabled.
  void MakeLampPictures(int number, int width, int height, CBitmap& off, CBitmap& lit, CBitmap& disabled);
  void SyncLamps();

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }

  CStatusBarHost* m_host;
  ui::StatusLamps m_lamps;
  CBitmap m_background;
  COLORREF m_labelText = RGB(255, 255, 255);
  COLORREF m_labelBack = RGB(0, 0, 0);
  CRect m_region;
  CSkinButton m_kindButtons[kKindButtons];
  CSkinButton m_lampButtons[ui::kStatusLampCount];
  CSkinButton m_commandButtons[kCommandButtons];
  DECLARE_MESSAGE_MAP()
};
