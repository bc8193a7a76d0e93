// Periodic tasks at multiples of a fine base period: one multimedia timer
// advances the clock, one worker thread runs the due tasks.
#pragma once
#include <afxwin.h>
#include <mmsystem.h>

class CMediaTimer {
public:
  enum { kSlots = 64 };
  CMediaTimer();
  ~CMediaTimer();
  CMediaTimer(const CMediaTimer&) = delete;
  CMediaTimer& operator=(const CMediaTimer&) = delete;

  // Starts (or restarts) the timer with the given base period.
  BOOL Start(UINT periodMs);
  void Stop();
  // Slot 0..63, or -1 when all are used. The callback runs on the worker
  // thread as callback(slot, 0, context, 0, 0).
  int AddTask(UINT intervalMs, LPTIMECALLBACK callback, DWORD_PTR context);
  void RemoveTask(int slot);

  UINT ElapsedMs() const { return m_elapsedMs; }
  BOOL IsRunning() const { return m_hWorker != nullptr; }

private:
  struct Task {
    UINT used;
    UINT intervalMs;
    LPTIMECALLBACK callback;
    DWORD_PTR context;
    UINT lastRunMs;
  };
  static void CALLBACK TimerCallback(UINT id, UINT msg, DWORD_PTR user, DWORD_PTR, DWORD_PTR);
  static unsigned __stdcall WorkerThreadProc(void* param);
  void WorkerLoop();
  void RunDueTasks();

  UINT m_periodMs = 0;
  UINT m_resolution = 0;
  UINT m_timerId = 0;
  volatile LONG m_elapsedMs = 0;
  Task m_tasks[kSlots];
  CRITICAL_SECTION m_lock;
  HANDLE m_hEvent;
  volatile LONG m_stopFlag = 0;
  HANDLE m_hWorker = nullptr;
};
