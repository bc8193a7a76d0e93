// Page 11: the device's name, video standard, behaviour on a full disk,
// ports, system time, software update, reboot and factory settings, over
// the dialog's 512-byte device settings block. Of its actions only Reboot
// reaches the device; the others say that the device was not changed.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_page.h"
#include "devcfg_resource.h"

class CFrontSystemPage : public CDeviceBlockPage {
public:
  CFrontSystemPage(CSettingsPageHost* owner, uint8_t* deviceBlock);
  // The block's fields into the controls.
  void RefreshFromBlock() override;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  afx_msg void OnDestroy();
  afx_msg void OnBrowse();
  afx_msg void OnUpdate();
  afx_msg void OnReboot();
  afx_msg void OnRestore();
  afx_msg void OnSaveName();
  afx_msg void OnSavePorts();
  afx_msg void OnSaveTime();
  afx_msg void OnSyncClicked();
  afx_msg void OnUpdateClicked();
  afx_msg void OnRestoreClicked();
  void ApplyChecks();

  CProgressCtrl m_progress;
  CDateTimeCtrl m_date, m_time;
  CString m_updatePath;
  int m_videoStandard = 0;  // 0 PAL, 1 NTSC
  int m_diskFull = 0;       // 0 Cycle Record, 1 Stop Record
  int m_sync = FALSE, m_update = FALSE, m_restore = FALSE;
  CString m_name;
  DECLARE_MESSAGE_MAP()
};
