// The login dialog: picks the language, checks a local user against the
// users of SysCfg.dat, keeps the saved login and the auto-login countdown.
// In check-only mode (change of user) it checks against the users of an
// image its caller owns and writes nothing.
#pragma once
#include <afxwin.h>

#include <memory>

#include "SkinButton.h"
#include "config_image.h"
#include "shell_resource.h"

class CLoginDlg : public CDialog {
public:
  enum { IDD = IDD_LOGIN, kAutoLoginTimer = 10, kCountdownTimer = 12, kCountdownSeconds = 5 };
  explicit CLoginDlg(CWnd* parent = nullptr);
  ~CLoginDlg() override;

  // The program directory (trailing backslash) of SysCfg.dat and
  // Corvel.ini; the module's directory when not set.
  void SetProgramDirectory(const char* dir) { m_programDir = dir; }
  // Check-only mode: the typed user is checked against `users` (the caller's
  // live image); nothing is read from or written to SysCfg.dat.
  void SetCheckOnly(const shell::SystemConfigImage* users) { m_checkUsers = users; }
  BOOL IsCheckOnly() const { return m_checkUsers != nullptr; }

  // After IDOK: the slot of the user that logged in (0..31), else -1.
  int GetUserIndex() const { return m_userIndex; }
  // The dialog's own copy of SysCfg.dat (start-up mode).
  shell::SystemConfigImage& GetImage() { return *m_image; }
  int GetCountdown() const { return m_countdown; }

  BOOL LoadConfig();
  BOOL SaveConfig();
  // Defaults of the login's image: the shared defaults, and "admin" as the
  // last user with an empty last password.
  static void ResetConfig(shell::SystemConfigImage& image);

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* dc);
  afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
  afx_msg void OnSavePassword();
  afx_msg void OnAutoLogin();
  afx_msg void OnLanguage();
  afx_msg void OnDestroy();

  void LoadSkin();
  // OK and Cancel drawn with the solution's [LoginDlgSettings] pictures;
  // without them they keep the button face.
  void LoadButtonSkin(const CString& configIni, const CString& folder);
  void StopCountdown();
  void RepaintCountdown();
  CString ProgramDirectory() const;

  std::unique_ptr<shell::SystemConfigImage> m_image;
  const shell::SystemConfigImage* m_checkUsers = nullptr;
  CString m_programDir;
  CComboBox m_language;
  CEdit m_user, m_password;
  CButton m_savePassword, m_autoLogin;
  CSkinButton m_ok, m_cancel;
  CStatic m_countdownLabel;
  CBitmap m_picture;
  CBrush m_backBrush;
  COLORREF m_backColor = RGB(255, 255, 255);
  int m_countdown = kCountdownSeconds;
  int m_userIndex = -1;
  DECLARE_MESSAGE_MAP()
};
