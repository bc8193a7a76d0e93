// The bar of skin buttons along the bottom of the main dialog: the split
// layouts, full screen, record all, close all video and hard decode.
#pragma once
#include <afxwin.h>

#include "SkinButton.h"
#include "switch_mode_resource.h"

// What the panel needs of the main dialog.
class CSwitchModeHost {
public:
  virtual ~CSwitchModeHost() = default;
  // Stores the split mode (1..10) and lays the monitor windows out for it
  // from the current first window.
  virtual void SetSplitMode(int mode) = 0;
  virtual void ToggleFullScreen() = 0;
  // Monitor windows 0..35.
  virtual BOOL WindowShowsVideo(int window) = 0;
  // The window's record indicator and record flag.
  virtual void SetWindowRecordFlag(int window, BOOL on) = 0;
  // Manual recording of every channel of the window's list.
  virtual void SetWindowListRecord(int window, BOOL on) = 0;
  virtual void CloseWindowVideo(int window) = 0;
  virtual void RefreshDevicePanel() = 0;
  // The video-output card feed on or off.
  virtual void StartCardFeed(BOOL on) = 0;
};

class CSwitchModeDlg : public CDialog {
public:
  enum { IDD = IDD_SWITCH_MODE };
  enum { kButtons = 14, kMonitorWindows = 36 };

  // [SwitchModeDlgSettings] of the interface solution.
  struct Layout {
    int marginLeft = 5;
    int interval = 3;
    int height = 24;
    int width = 24;
  };
  static Layout ReadLayout(const char* configIni);
  // Button i's place in the panel.
  static CRect ButtonRect(const Layout& layout, int index);
  // The split mode (1..10) of a split command, 0 for other commands.
  static int SplitModeOf(UINT command);
  // Button i's command.
  static UINT CommandOf(int index);

  CSwitchModeDlg(CSwitchModeHost* host, CWnd* parent = nullptr);

  BOOL IsRecordAll() const { return m_recordAll; }
  BOOL IsHardDecode() const { return m_hardDecode; }
  CSkinButton& Button(int index) { return m_buttons[index]; }

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  void OnOK() override {}
  void OnCancel() override {}
  // Gives button i its pictures, the first two exchanged when swapped.
  void ApplyPictures(int index);
  void ToggleRecordAll();
  void RecordAllOff();

  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }

  CSwitchModeHost* m_host;
  CSkinButton m_buttons[kButtons];
  // Each button's normal, over, down and disabled pictures.
  CBitmap m_pictures[kButtons][4];
  bool m_swapped[kButtons] = {};
  BOOL m_recordAll = FALSE;
  BOOL m_hardDecode = FALSE;
  DECLARE_MESSAGE_MAP()
};
