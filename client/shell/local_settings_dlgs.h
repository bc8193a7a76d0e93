// The small local settings dialogs: polling interval, record disks and
// file length, alarm reactions and the interface language. Each hands its
// values back in public members; the caller fills them before DoModal.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "local_dialogs_resource.h"
#include "settings.h"

// A spin with its buddy edit box that falls back to a fixed value when the
// typed number leaves the range (checked on every change of the box).
struct SpinField {
  SpinField(int edit, int spinCtl, int low, int high, int fb)
      : editId(edit), spinId(spinCtl), lo(low), hi(high), fallback(fb) {}
  int editId, spinId, lo, hi, fallback;
  CSpinButtonCtrl spin;
  // Range and position (the fall-back when position is out of range).
  void Init(int position);
  // The box's value, set back to the fall-back when out of range.
  int Check(CWnd* dlg);
};

// "Local Polling Settings"
class CLocalPollingDlg : public CDialog {
public:
  enum { IDD = IDD_LOCAL_POLLING };
  static constexpr UINT kPollTimerId = 103;
  explicit CLocalPollingDlg(CWnd* parent = nullptr);

  int m_interval = 5;         // seconds, in and out
  CString m_iniPath;          // Corvel.ini
  HWND m_timerWindow = nullptr;   // the main dialog, whose timer 103 polls

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnChange() { m_field.Check(this); }
  SpinField m_field{IDC_POLL_INTERVAL, IDC_POLL_SPIN, 5, 300, 5};
  DECLARE_MESSAGE_MAP()
};

// "Local Storage Settings"
class CLocalStorageDlg : public CDialog {
public:
  enum { IDD = IDD_LOCAL_STORAGE };
  explicit CLocalStorageDlg(CWnd* parent = nullptr);

  DWORD m_diskMask = 0;       // bit 2 = C: ... bit 25 = Z:
  int m_minutes = 30;         // record file package time

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnSelectAll() { SetAll(TRUE); }
  afx_msg void OnClearAll() { SetAll(FALSE); }
  afx_msg void OnChange() { m_field.Check(this); }
  void SetAll(BOOL check);
  CListCtrl m_disks;
  SpinField m_field{IDC_STORAGE_MINUTES, IDC_STORAGE_SPIN, 1, 120, 30};
  DECLARE_MESSAGE_MAP()
};

// "Local Alarm Settings": the [SubMonAlarmSet] values.
class CLocalAlarmSetDlg : public CDialog {
public:
  enum { IDD = IDD_LOCAL_ALARM_SET };
  explicit CLocalAlarmSetDlg(CWnd* parent = nullptr);

  // In and out; the defaults are the dialog's own before the caller fills it.
  int m_lostSound = 0, m_motionSound = 0, m_probeSound = 0, m_beep = 0;
  int m_alarmRecord = 1, m_preRecord = 1;
  int m_recordDelay = 30, m_alarmDelay = 3;
  CString m_lostSoundFile, m_motionSoundFile, m_probeSoundFile;

  void FromSettings(const CorvelSettings& s);
  void ToSettings(CorvelSettings& s) const;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnBeep() { ApplyBeep(); }
  afx_msg void OnRecord() { ApplyRecord(); }
  afx_msg void OnBrowseLost() { Browse(IDC_ALARM_LOST_FILE); }
  afx_msg void OnBrowseMotion() { Browse(IDC_ALARM_MOTION_FILE); }
  afx_msg void OnBrowseProbe() { Browse(IDC_ALARM_PROBE_FILE); }
  afx_msg void OnPlayLost() { Play(IDC_ALARM_LOST_FILE); }
  afx_msg void OnPlayMotion() { Play(IDC_ALARM_MOTION_FILE); }
  afx_msg void OnPlayProbe() { Play(IDC_ALARM_PROBE_FILE); }
  afx_msg void OnRecDelayChange() { m_recDelay.Check(this); }
  afx_msg void OnSoundDelayChange() { m_soundDelay.Check(this); }
  void ApplyBeep();
  void ApplyRecord();
  void Browse(int fileId);
  void Play(int fileId);
  SpinField m_recDelay{IDC_ALARM_REC_DELAY, IDC_ALARM_REC_SPIN, 15, 900, 30};
  SpinField m_soundDelay{IDC_ALARM_SOUND_DELAY, IDC_ALARM_SOUND_SPIN, 3, 900, 3};
  CBitmap m_browseBitmap, m_playBitmap;
  DECLARE_MESSAGE_MAP()
};

// "Select Language" (not translated).
class CLanguageDlg : public CDialog {
public:
  enum { IDD = IDD_LANGUAGE };
  explicit CLanguageDlg(CWnd* parent = nullptr);

  CString m_iniPath;          // Corvel.ini
  CString m_language;         // the chosen name after OK

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
};
