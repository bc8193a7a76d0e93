// "Local Auto Work Plan": the client's weekly recording schedule per
// logical channel. The caller copies the plan and the switch in, fills the
// channel rows (one per logical channel bound to a device), runs the dialog
// modally and, after IDOK, copies m_plan and m_enabled back.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include <memory>
#include <vector>

#include "channel_slot.h"
#include "config_image.h"
#include "local_dialogs_resource.h"

struct LocalPlanChannelRow {
  int slot;                   // logical channel slot, 0..63
  CString serverName, channelName;
};
// One row per logical channel slot bound to a device, in slot order.
std::vector<LocalPlanChannelRow> LocalPlanRowsFromSlots(const shell::ChannelTable& channels);

class CLocalWorkPlanDlg : public CDialog {
public:
  enum { IDD = IDD_LOCAL_WORK_PLAN };
  explicit CLocalWorkPlanDlg(CWnd* parent = nullptr);
  ~CLocalWorkPlanDlg() override;

  std::unique_ptr<shell::LocalWorkPlan> m_plan;
  BOOL m_enabled = FALSE;
  std::vector<LocalPlanChannelRow> m_rows;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  afx_msg void OnEnable();
  afx_msg void OnChannelChanged(NMHDR* nm, LRESULT*);
  afx_msg void OnDayChanged(NMHDR*, LRESULT*) { ShowEntries(); }
  afx_msg void OnEntryDblClk(NMHDR*, LRESULT*) { OnModify(); }
  afx_msg void OnAdd();
  afx_msg void OnModify();
  afx_msg void OnDelete();
  afx_msg void OnCopyWeek();
  afx_msg void OnCopyChannel();
  void ApplyEnable();
  void ShowEntries();
  // The selected channel row's slot, or -1 after the "select channel" prompt.
  int SelectedSlot(bool prompt);
  int SelectedEntry() const;
  int CurrentDay() const;
  void Prompt(const char* english);
  CListCtrl m_channels, m_entries;
  CTabCtrl m_days;
  DECLARE_MESSAGE_MAP()
};
