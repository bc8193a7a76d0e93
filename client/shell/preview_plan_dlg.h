// "Preview Plans": lists the saved plans of LocalPlans.dat, saves the
// current monitor layout as a named plan, opens and deletes plans; the
// Last Play Plan (slot 19) saved at close and played once after start-up.
// The main dialog creates it modeless and hidden, with its plan image and
// program folder set first.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_image.h"
#include "local_dialogs_resource.h"
#include "preview_plan.h"

// "Input The Local Plan Name"
class CPlanNameDlg : public CDialog {
public:
  enum { IDD = IDD_PLAN_NAME };
  explicit CPlanNameDlg(const shell::PlanImage* plans, CWnd* parent = nullptr);
  CString m_name;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  const shell::PlanImage* m_plans;
};

class CPreviewPlanDlg : public CDialog {
public:
  enum { IDD = IDD_PREVIEW_PLAN };
  explicit CPreviewPlanDlg(CWnd* parent = nullptr);

  shell::PlanImage* m_plans = nullptr;   // the main dialog's plan image
  CString m_programDir;                  // where LocalPlans.dat lives
  // Where plans are played; null: the main dialog's face and device panel.
  shell::PlanTarget* m_target = nullptr;

  void SaveLastPlayPlan();
  void PlayLastPlayPlan();

  afx_msg void OnSaveCurrentPlan();
  afx_msg void OnOpenPlan();
  afx_msg void OnDeletePlan();

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override {}
  afx_msg void OnListDblClk(NMHDR*, LRESULT*) { OnOpenPlan(); }
  afx_msg void OnListClick(NMHDR*, LRESULT*);
  afx_msg void OnShowWindow(BOOL show, UINT status);
  void FillSlot(int slot, const char* name);
  void PlaySlot(int slot);
  void AppendRow(int slot);
  CListCtrl m_list;
  DECLARE_MESSAGE_MAP()
};

// The plan target of the running client: the main dialog's face and the
// device panel.
class CMainPlanTarget : public shell::PlanTarget {
public:
  bool WindowShowsChannel(int window) override;
  void CloseWindowView(int window) override;
  void ConnectAll() override;
  void ArrangeWindows(int layoutKind) override;
  void OpenChannelInWindow(const char* address, int channel, int window) override;
  void SetWindowRecordOn(int window) override;
};
