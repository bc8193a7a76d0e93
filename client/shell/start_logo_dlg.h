// The start-up splash: the solution's StartLogo.bmp over a progress bar,
// run on a UI thread of its own; only its owner closes it.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "shell_resource.h"

#define WM_STARTLOGO_POSTINIT 3024

class CStartLogoDlg : public CDialog {
public:
  enum { IDD = IDD_STARTLOGO, kProgressTimer = 1001 };
  explicit CStartLogoDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  int GetProgress() const { return m_progressValue; }
  void SetProgress(int percent);
  BOOL HasLogo() const { return m_logo.m_hObject != nullptr; }

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnPaint();
  afx_msg void OnWindowPosChanging(WINDOWPOS* pos);
  afx_msg void OnClose();
  afx_msg void OnDestroy();
  afx_msg void OnSysCommand(UINT id, LPARAM l);
  afx_msg LRESULT OnPostInit(WPARAM, LPARAM);
  void OnOK() override {}       // Enter and Esc do not end the splash
  void OnCancel() override {}

  CProgressCtrl m_progress;
  CBitmap m_logo;
  volatile LONG m_progressValue = 1;
  DECLARE_MESSAGE_MAP()
};
