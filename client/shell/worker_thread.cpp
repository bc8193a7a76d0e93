#include "worker_thread.h"

BOOL CWorkerThread::Start(AFX_THREADPROC proc, LPVOID param, int priority) {
  Join(INFINITE);
  CWinThread* t = AfxBeginThread(proc, param, priority, 0, CREATE_SUSPENDED);
  if (!t) return FALSE;
  t->m_bAutoDelete = FALSE;
  m_thread.reset(t);
  t->ResumeThread();
  return TRUE;
}

BOOL CWorkerThread::IsRunning() const { return m_thread && !Wait(0); }

BOOL CWorkerThread::Wait(DWORD ms) const {
  if (!m_thread || !m_thread->m_hThread) return TRUE;
  return ::WaitForSingleObject(m_thread->m_hThread, ms) == WAIT_OBJECT_0;
}

BOOL CWorkerThread::Join(DWORD firstMs, const std::function<void()>& nudge) {
  if (!m_thread) return TRUE;
  BOOL inTime = Wait(firstMs);
  if (!inTime) {
    if (nudge) nudge();
    Wait(INFINITE);
  }
  m_thread.reset();
  return inTime;
}
