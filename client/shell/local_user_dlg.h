// "Local User Management" and its user editor "Local User": add, delete and
// change users of the configuration image, saving it after each change.
#pragma once
#include <afxwin.h>
#include <afxcmn.h>

#include "config_image.h"
#include "shell_resource.h"
#include "user_rights.h"

class CLocalUserDlg : public CDialog {
public:
  enum { IDD = IDD_LOCAL_USER };
  explicit CLocalUserDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}

  // Exchanged with the caller.
  CString m_userName, m_newPassword, m_repeatPassword, m_oldPassword;
  int m_level = -1;                 // -1 none, 0 Administrator, 1 Operator
  uint32_t m_callerLevel = 0;       // the caller's own level mask
  uint32_t m_rights = 0;            // in and out
  int m_mode = kModeAddUser;

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  afx_msg void OnLevelChange();
  void ApplyLevel(int level);

  CEdit m_name, m_new, m_repeat, m_old;
  CComboBox m_levelBox;
  CCheckListBox m_rightsList;
  DECLARE_MESSAGE_MAP()
};

class CLocalUserManageDlg : public CDialog {
public:
  enum { IDD = IDD_LOCAL_USER_MANAGE };
  explicit CLocalUserManageDlg(CWnd* parent = nullptr) : CDialog(IDD, parent) {}
  // The image whose users are managed (the main dialog's) and the program
  // directory its SysCfg.dat is saved in.
  void SetImage(shell::SystemConfigImage* image, const char* programDir) {
    m_image = image;
    m_programDir = programDir;
  }
  void FillList();

protected:
  BOOL OnInitDialog() override;
  afx_msg void OnAdd();
  afx_msg void OnChangePower();
  afx_msg void OnDelete();
  afx_msg void OnChangePassword();
  afx_msg void OnItemChanged(NMHDR* nm, LRESULT* result);
  void ShowRights(uint32_t rights);
  CString SelectedName() const;
  void Save();

  shell::SystemConfigImage* m_image = nullptr;
  CString m_programDir;
  CListCtrl m_list;
  CCheckListBox m_rightsList;
  DECLARE_MESSAGE_MAP()
};
