#include "monitor_app.h"

#include <afxcmn.h>

#include <memory>

#include "app_state.h"
#include "config_store.h"
#include "helpers.h"
#include "language.h"
#include "main_dlg.h"

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
    AfxShowMessageBox(nullptr, TranslateString("RichEdit initialize failed!"), AfxGetAppName(), MB_OK);
    return FALSE;
  }

  CInterfaceSolutions::Instance().Build(m_programDir);
  CInterfaceSolutions::Instance().Choose(m_programDir + "Corvel.ini");

  m_hMutex = ::CreateMutexA(nullptr, FALSE, "Dravenor");
  if (m_hMutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
    ActivateRunningInstance(TranslateString("Dravenor"));
    return FALSE;
  }

  m_title = TranslateString("Dravenor");
  m_pszAppName = m_title;

  // Placeholder until the login dialog lands: the first user of SysCfg.dat
  // logs in.
  auto image = std::make_unique<shell::SystemConfigImage>();
  if (!shell::LoadSysConfig(*image, m_programDir)) return FALSE;
  int userIndex = -1;
  for (int i = 0; i < 32 && userIndex < 0; ++i)
    if (image->users[i].inUse) userIndex = i;
  if (userIndex < 0) return FALSE;

  {
    CMainDlg dlg;
    m_pMainWnd = &dlg;
    dlg.SetCurrentUser(userIndex, image->users[userIndex]);
    dlg.DoModal();
    m_pMainWnd = nullptr;
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
