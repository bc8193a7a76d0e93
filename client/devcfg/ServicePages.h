// Pages 14, 15 and 16: handset video over the dialog's device block, FTP
// upload and mail alarm over its service block. Each shows its fields when
// the dialog refreshes it and its Save writes them back into the block;
// none of them sends anything.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_page.h"
#include "devcfg_resource.h"
#include "service_rules.h"

// What the three pages share: text fields, the server address, the port
// and the enabling rule around their check box.
class CServicePage : public CDeviceBlockPage {
public:
  CServicePage(UINT templateId, CSettingsPageHost* owner, uint8_t* shared, size_t size, int checkId);

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  // Enables the controls for the check box's state.
  virtual void ApplyEnabling();
  void LimitText(int id, int chars) { SendDlgItemMessage(id, EM_LIMITTEXT, chars); }
  void ShowText(int id, const devcfg::TextField& f);
  void TakeText(int id, const devcfg::TextField& f);
  void ShowServer(const devcfg::TextField& f);
  void TakeServer(const devcfg::TextField& f);
  bool Checked() const { return IsDlgButtonChecked(m_checkId) == BST_CHECKED; }
  void RefuseInput();

  int m_checkId;
};

class CFtpUploadPage : public CServicePage {
public:
  CFtpUploadPage(CSettingsPageHost* owner, uint8_t* serviceBlock);
  void RefreshFromBlock() override;

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSave();
  DECLARE_MESSAGE_MAP()
};

class CMailAlarmPage : public CServicePage {
public:
  CMailAlarmPage(CSettingsPageHost* owner, uint8_t* serviceBlock);
  void RefreshFromBlock() override;

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnSave();
  DECLARE_MESSAGE_MAP()
};

class CHandsetVideoPage : public CServicePage {
public:
  CHandsetVideoPage(CSettingsPageHost* owner, uint8_t* deviceBlock);
  // Only for a device that offers handset video (information byte 63).
  void RefreshFromBlock() override;

protected:
  BOOL OnInitDialog() override;
  void ApplyEnabling() override;
  bool DeviceOffersHandsetVideo() const;
  afx_msg void OnSave();
  afx_msg void OnModeChange() { ApplyEnabling(); }
  DECLARE_MESSAGE_MAP()
};
