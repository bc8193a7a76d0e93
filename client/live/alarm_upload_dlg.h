// "Remote Alarm Upload Info": the alarms devices report on the UDP command
// channel, newest last, at most 1,000 rows; pops itself up, scrolls and
// sounds on a new alarm as the operator chose; saves the list as text and
// opens the alarm video of a row. Created once by the main dialog, hidden;
// while its window lives its alarm receiver is one of the main dialog's UDP
// receivers.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <string>

#include "live_resource.h"
#include "udp_packets.h"

class CAlarmVideoDlg;
class CAlarmUploadDlg;

// Alarm reports from the UDP dispatch: a row for the channel slot of the
// sender's address and the report's channel (the main dialog keeps the
// slot's alarm flags). Reports from no slot are dropped.
class CAlarmReceiver : public shell::UdpReceiver {
public:
  explicit CAlarmReceiver(CAlarmUploadDlg* view) : m_view(view) {}
  void OnAlarm(const std::string& from, uint8_t kind, uint8_t channel, uint8_t state) override;

private:
  CAlarmUploadDlg* m_view;
};

class CAlarmUploadDlg : public CDialog {
public:
  enum { IDD = IDD_ALARM_UPLOAD };
  static constexpr int kMaxRows = 1000;
  explicit CAlarmUploadDlg(CWnd* parent = nullptr);

  BOOL m_autoPopup = FALSE;
  BOOL m_autoScroll = FALSE;
  CAlarmVideoDlg* m_alarmVideo = nullptr;   // the main dialog's pop-up

  // One alarm: type 1 video lost, 2 motion, 4 probe, 8 manual, other
  // values "Unknown Type"; flag 1 begin, anything else end.
  void AddAlarm(int alarmType, int loginId, int channel, int flag);
  // Writes the rows as text; FALSE when the file cannot be created.
  BOOL SaveToFile(const char* path);

  afx_msg void OnSave();
  afx_msg void OnClearAll();
  afx_msg void OnWatch();

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override {}
  void OnCancel() override { ShowWindow(SW_HIDE); }
  afx_msg void OnAutoPopup() { m_autoPopup = IsDlgButtonChecked(IDC_AU_AUTO_POPUP) == BST_CHECKED; }
  afx_msg void OnAutoScroll() { m_autoScroll = IsDlgButtonChecked(IDC_AU_AUTO_SCROLL) == BST_CHECKED; }
  afx_msg void OnListDblClk(NMHDR*, LRESULT*) { OnWatch(); }
  afx_msg void OnDestroy();
  CListCtrl m_list;
  // Registered with the main dialog's UDP receivers while the window lives.
  CAlarmReceiver m_receiver;
  DECLARE_MESSAGE_MAP()
};

// English text of an alarm type.
const char* AlarmTypeText(int alarmType);
// The sound file an alarm plays (empty: none) under the [SubMonAlarmSet] values.
struct CorvelSettings;
std::string AlarmSoundFile(int alarmType, const CorvelSettings& s);

