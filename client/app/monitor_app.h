// The client's application object: start-up up to the main dialog, and the
// single running instance.
#pragma once
#include <afxwin.h>

class CMonitorApp : public CWinApp {
public:
  CMonitorApp();
  BOOL InitInstance() override;
  int ExitInstance() override;

  CString m_programDir;     // with its trailing backslash
  CString m_extra;
  HANDLE m_hMutex = nullptr;
  DWORD m_reserved[2] = {0, 0};

private:
  CString m_title;
};

// When a process of the client already runs: brings its main window (or
// the window it has open) to the front, restoring it when minimised.
// FALSE when no such window was found.
BOOL ActivateRunningInstance(const char* title);
