// CWinThread, AfxBeginThread and CWinApp.
#include "afxwin.h"
#include "afx_internal.h"

#include <process.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)
IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

namespace {

// Function-local statics: valid whatever order the program's static
// objects (the application object among them) are constructed in.
CWinApp*& AppPtr() {
  static CWinApp* app = nullptr;
  return app;
}

thread_local CWinThread* t_current = nullptr;
CWinThread*& CurrentThread() { return t_current; }

}  // namespace

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() {
  if (m_hThread) ::CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::ThreadEntry(void* param) {
  CWinThread* t = static_cast<CWinThread*>(param);
  CurrentThread() = t;
  UINT rc;
  if (t->m_pfnThreadProc) {
    rc = t->m_pfnThreadProc(t->m_pThreadParams);
  } else if (t->InitInstance()) {
    rc = UINT(t->Run());
  } else {
    rc = UINT(t->ExitInstance());
  }
  CurrentThread() = nullptr;
  if (t->m_bAutoDelete) delete t;
  afx_detail::ReleaseThreadWnds();
  afx_detail::ReleaseThreadGdi();
  return rc;
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES sa) {
  unsigned id = 0;
  uintptr_t h = _beginthreadex(sa, stackSize, &ThreadEntry, this, flags | CREATE_SUSPENDED, &id);
  if (!h) return FALSE;
  m_hThread = reinterpret_cast<HANDLE>(h);
  m_nThreadID = id;
  if (!(flags & CREATE_SUSPENDED)) ::ResumeThread(m_hThread);
  return TRUE;
}

int CWinThread::ExitInstance() {
  AfxDeleteTempMaps();
  return int(m_msgCur.wParam);
}

BOOL CWinThread::OnIdle(LONG count) {
  if (count == 0) AfxDeleteTempMaps();
  return FALSE;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) {
  if (!msg->hwnd) {
    LRESULT r = 0;
    return DispatchMessageMap(msg->message, msg->message, msg->wParam, msg->lParam, &r);
  }
  return CWnd::WalkPreTranslateTree(nullptr, msg);
}

BOOL CWinThread::PumpMessage() {
  BOOL r = ::GetMessageA(&m_msgCur, nullptr, 0, 0);
  if (r <= 0) return FALSE;   // WM_QUIT (or a broken queue)
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessageA(&m_msgCur);
  }
  return TRUE;
}

int CWinThread::Run() {
  LONG idle = 0;
  for (;;) {
    MSG peek;
    while (!::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idle++)) break;
    }
    if (!PumpMessage()) return ExitInstance();
    idle = 0;
  }
}

CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD flags,
                                  LPSECURITY_ATTRIBUTES sa) {
  CWinThread* t = new CWinThread(proc, param);
  if (!t->CreateThread(flags | CREATE_SUSPENDED, stackSize, sa)) {
    delete t;
    return nullptr;
  }
  t->SetThreadPriority(priority);
  if (!(flags & CREATE_SUSPENDED)) t->ResumeThread();
  return t;
}

CWinThread* AFXAPI AfxBeginThread(const CRuntimeClass* cls, int priority, UINT stackSize, DWORD flags,
                                  LPSECURITY_ATTRIBUTES sa) {
  CObject* obj = cls ? cls->CreateObject() : nullptr;
  CWinThread* t = dynamic_cast<CWinThread*>(obj);
  if (!t) {
    delete obj;
    return nullptr;
  }
  if (!t->CreateThread(flags | CREATE_SUSPENDED, stackSize, sa)) {
    delete t;
    return nullptr;
  }
  t->SetThreadPriority(priority);
  if (!(flags & CREATE_SUSPENDED)) t->ResumeThread();
  return t;
}

void AFXAPI AfxEndThread(UINT exitCode, BOOL deleteObject) {
  CWinThread* t = CurrentThread();
  CurrentThread() = nullptr;
  if (t && deleteObject && t->m_bAutoDelete) delete t;
  afx_detail::ReleaseThreadWnds();
  afx_detail::ReleaseThreadGdi();
  _endthreadex(exitCode);
}

CWinThread* AFXAPI AfxGetThread() {
  if (CWinThread* t = CurrentThread()) return t;
  CWinApp* app = AppPtr();
  return app && app->m_nThreadID == ::GetCurrentThreadId() ? app : nullptr;
}

// ----------------------------------------------------------------- CWinApp
CWinApp::CWinApp(LPCSTR appName) {
  if (appName) m_appName = appName;
  m_pszAppName = appName ? m_appName.GetString() : nullptr;
  m_nThreadID = ::GetCurrentThreadId();
  m_bAutoDelete = FALSE;
  m_hInstance = ::GetModuleHandleA(nullptr);
  AppPtr() = this;
}

CWinApp::~CWinApp() {
  if (AppPtr() == this) AppPtr() = nullptr;
}

int CWinApp::ExitInstance() { return CWinThread::ExitInstance(); }

int CWinApp::Run() {
  if (!m_pMainWnd || !::IsWindow(m_pMainWnd->m_hWnd)) return ExitInstance();
  return CWinThread::Run();
}

CWinApp* AFXAPI AfxGetApp() { return AppPtr(); }

CWnd* AFXAPI AfxGetMainWnd() {
  CWinThread* t = AfxGetThread();
  if (t && t->m_pMainWnd) return t->m_pMainWnd;
  CWinApp* app = AppPtr();
  return app ? app->m_pMainWnd : nullptr;
}

LPCSTR AFXAPI AfxGetAppName() {
  CWinApp* app = AppPtr();
  return app && app->m_pszAppName ? app->m_pszAppName : "";
}

int AFXAPI AfxWinMain(HINSTANCE inst, HINSTANCE, LPSTR cmdLine, int show) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = inst;
  app->m_lpCmdLine = cmdLine;
  app->m_nCmdShow = show;
  app->m_nThreadID = ::GetCurrentThreadId();
  // The default name is the program's file title ("Selvane").
  static char exe[MAX_PATH];
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* base = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/') base = p + 1;
  lstrcpynA(exe, base, MAX_PATH);
  if (char* dot = strrchr(exe, '.')) *dot = 0;
  app->m_pszExeName = exe;
  if (!app->m_pszAppName) app->m_pszAppName = exe;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_INTERNET_CLASSES};
  ::InitCommonControlsEx(&icc);
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
