#include "monitor_app.h"

#include <afxcmn.h>

#include <memory>

#include "app_state.h"
#include "config_store.h"
#include "helpers.h"
#include "app_services.h"
#include "language.h"
#include "local_settings_dlgs.h"
#include "login_dlg.h"
#include "main_dlg.h"
#include "user_rights.h"

CMonitorApp::CMonitorApp() : CWinApp("Dravenor") {}

BOOL ActivateRunningInstance(const char* title) {
  HWND main = ::FindWindowA("#32770", title);
  if (!main) return FALSE;
  if (::IsIconic(main)) ::ShowWindow(main, SW_RESTORE);
  ::SetForegroundWindow(::GetLastActivePopup(main));
  return TRUE;
}

BOOL CMonitorApp::InitInstance() {
  m_programDir = GetModuleDirectory();
  g_strAppDir = m_programDir;

  if (!AfxInitRichEdit()) {
    TranslatedMessageBox(nullptr, "RichEdit initialize failed!", nullptr, MB_OK);
    return FALSE;
  }

  CInterfaceSolutions::Instance().Build(m_programDir);
  // A folder whose Corvel.ini names no installed language asks the
  // operator for one before anything else.
  const CString corvel = m_programDir + "Corvel.ini";
  CInterfaceSolutions::Instance().Choose(corvel, [&corvel] {
    CLanguageDlg dlg;
    dlg.m_iniPath = corvel;
    dlg.DoModal();
  });

  m_hMutex = ::CreateMutexA(nullptr, FALSE, "Dravenor");
  if (m_hMutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ActivateRunningInstance(TranslateString("Dravenor"));
    return FALSE;
  }

  m_title = TranslateString("Dravenor");
  m_pszAppName = m_title;

  CLoginDlg login;
  login.SetProgramDirectory(m_programDir);
  if (login.DoModal() != IDOK) return FALSE;
  int userIndex = login.GetUserIndex();
  if (userIndex < 0) return FALSE;
  {
    // The login's image stays alive until the main dialog has closed: the
    // current user is a record of it until then.
    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.SetLoggedInUser(userIndex, login.GetImage().users[userIndex]);
    ::SetCurrentUser(&login.GetImage(), userIndex);
    dlg.DoModal();
    m_pMainWnd = nullptr;
    ::SetCurrentUser(nullptr, -1);
  }
  return FALSE;
}

int CMonitorApp::ExitInstance() {
  if (m_hMutex) {
    ::CloseHandle(m_hMutex);
    m_hMutex = nullptr;
  }
  return CWinApp::ExitInstance();
}
