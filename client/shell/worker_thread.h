// A thread the owner waits for before it frees what the thread uses:
// AfxBeginThread with the object kept, joined by the owner or its
// destructor. A thread that does not leave within the first wait is nudged
// (its owner unblocks it) and waited for until it has left.
#pragma once
#include <afxwin.h>

#include <functional>
#include <memory>

class CWorkerThread {
public:
  CWorkerThread() = default;
  ~CWorkerThread() { Join(INFINITE); }
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  BOOL Start(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL);
  BOOL IsStarted() const { return m_thread != nullptr; }
  BOOL IsRunning() const;
  DWORD ThreadId() const { return m_thread ? m_thread->m_nThreadID : 0; }
  // TRUE when the thread has left (or never ran) within ms.
  BOOL Wait(DWORD ms) const;
  // Waits up to firstMs; a thread still running is nudged and then waited
  // for until it leaves. The object is free for another Start afterwards.
  // Returns FALSE when the first wait was not enough.
  BOOL Join(DWORD firstMs, const std::function<void()>& nudge = nullptr);

private:
  std::unique_ptr<CWinThread> m_thread;
};
