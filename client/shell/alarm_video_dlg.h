// "Alarm Video": brings one live channel to the operator's attention when
// an alarm is opened from the alarm list or the map. A member of the main
// dialog, created once and hidden between alarms. While it shows a channel
// it holds a play handle on its video area, which the channel's live stream
// also plays into.
#pragma once
#include <afxwin.h>

#include "local_dialogs_resource.h"

class CAlarmVideoDlg : public CDialog {
public:
  enum { IDD = IDD_ALARM_VIDEO };
  explicit CAlarmVideoDlg(CWnd* parent = nullptr);
  ~CAlarmVideoDlg() override;

  // 1 when a logical channel of this login id and channel is open, else 0
  // (after the "not connected" prompt).
  int ShowAlarmChannel(int loginId, int channel);

  int m_loginId = -1;
  int m_channel = -1;
  int m_slot = -1;          // the logical channel shown, -1 none
  BOOL m_showing = FALSE;
  int m_playHandle = 0;     // 0 when none

protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override;
  afx_msg void OnSize(UINT type, int cx, int cy);
  afx_msg void OnDestroy();
  void Forget();
  void Layout(int cx, int cy);
  CStatic m_video;
  DECLARE_MESSAGE_MAP()
};
