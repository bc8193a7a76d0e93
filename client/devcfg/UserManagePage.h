// Page 9: the user accounts of the front-end device, and the "User" dialog
// that adds a user, changes a user's powers or the login password. The
// local user's level and rights decide what may be done; the records the
// page composes reach no device (no request carries them).
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_page.h"
#include "devcfg_resource.h"
#include "user_manage_rules.h"

class CDeviceUserDlg : public CDialog {
public:
  enum { IDD = IDD_DEVICE_USER };
  explicit CDeviceUserDlg(CWnd* parent = nullptr);

  CString m_name, m_newPassword, m_repeatPassword, m_oldPassword;
  int m_level = -1;                 // 0 Administrator, 1 Operator
  uint32_t m_mode = devcfg::kDeviceUserAdd;
  uint32_t m_callerLevel = 0;       // kept, not used
  uint32_t m_rights = 0;

protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  afx_msg void OnLevelChange();
  void TickRights(uint32_t rights);

  CCheckListBox m_rightsList;
  DECLARE_MESSAGE_MAP()
};

class CUserManagePage : public CConfigPage {
public:
  explicit CUserManagePage(CSettingsPageHost* owner);
  // The device's users, for a producer of them: the table and the list.
  void SetUserTable(const devcfg::DeviceUserRecord* users, int count);

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnAdd();
  afx_msg void OnChangePower();
  afx_msg void OnDelete();
  afx_msg void OnChangePassword();
  afx_msg void OnUserChanged(NMHDR* nm, LRESULT* result);
  afx_msg void OnUserDoubleClick(NMHDR* nm, LRESULT* result);
  // The user in use named as the selected row, or null (and its row).
  devcfg::DeviceUserRecord* SelectedUser(CString* rowName = nullptr);
  devcfg::DeviceUserRecord* FindUser(const CString& name);
  bool RefuseUnlessAdministrator(const char* refusal);
  void Prompt(const CString& text);

  CCheckListBox m_rightsList;
  uint32_t m_words[2] = {0, 0};
  CListCtrl m_users;
  devcfg::DeviceUserRecord m_table[devcfg::kDeviceUsers];
  DECLARE_MESSAGE_MAP()
};
