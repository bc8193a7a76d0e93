// "Work Plan Entry": edits one work plan entry for the device's record plan
// page and the client's local auto work plan. The caller fills bytes 1..5 of
// m_entry, runs the dialog modally and, after IDOK, copies the whole entry
// back; after Cancel the caller's table stays as it was.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_image.h"
#include "shell_resource.h"
#include "work_plan_entry.h"

class CWorkPlanEntryDlg : public CDialog {
public:
  enum { IDD = IDD_WORKPLAN_ENTRY };
  explicit CWorkPlanEntryDlg(CWnd* parent = nullptr);

  shell::WorkPlanEntry m_entry;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnKillFocusBeginHour() { ClampField(shell::kPlanBeginHour); }
  afx_msg void OnKillFocusBeginMinute() { ClampField(shell::kPlanBeginMinute); }
  afx_msg void OnKillFocusEndHour() { ClampField(shell::kPlanEndHour); }
  afx_msg void OnKillFocusEndMinute() { ClampField(shell::kPlanEndMinute); }
  // The field's number, set back to its bound when out of range.
  int ClampField(shell::WorkPlanField field);
  void Prompt(const char* english);

  CSpinButtonCtrl m_spin[shell::kPlanFields];
  DECLARE_MESSAGE_MAP()
};

// The display text of an entry's detection types: the translated words of
// its bits 1, 2, 4, 8 ("Record", "Video Lost Detect", "Motion Detect",
// "Probe Detect") joined by " + "; empty for none.
CString DetectionTypeText(int flags);
