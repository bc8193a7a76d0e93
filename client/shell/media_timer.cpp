#include "media_timer.h"

#include <process.h>
#include <cstring>

CMediaTimer::CMediaTimer() {
  std::memset(m_tasks, 0, sizeof m_tasks);
  ::InitializeCriticalSection(&m_lock);
  m_hEvent = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

CMediaTimer::~CMediaTimer() {
  Stop();
  if (m_hWorker) {
    // The worker did not answer Stop in time (a long callback): it still
    // uses this object, so wait for it before freeing anything.
    ::WaitForSingleObject(m_hWorker, INFINITE);
    ::CloseHandle(m_hWorker);
  }
  ::CloseHandle(m_hEvent);
  ::DeleteCriticalSection(&m_lock);
}

BOOL CMediaTimer::Start(UINT periodMs) {
  if (m_timerId || m_hWorker) Stop();   // a restart never leaks the old timer
  if (m_hWorker) return FALSE;          // the old worker is still busy
  m_periodMs = periodMs;
  TIMECAPS caps{};
  if (::timeGetDevCaps(&caps, sizeof caps) != TIMERR_NOERROR) return FALSE;
  UINT res = caps.wPeriodMin ? caps.wPeriodMin : 1;
  if (res > caps.wPeriodMax) res = caps.wPeriodMax;
  if (::timeBeginPeriod(res) != TIMERR_NOERROR) return FALSE;
  m_resolution = res;
  ::InterlockedExchange(&m_stopFlag, 0);   // before the worker exists: a Stop from now on is kept
  m_timerId = ::timeSetEvent(periodMs, 1000, &TimerCallback, reinterpret_cast<DWORD_PTR>(this), TIME_PERIODIC);
  if (!m_timerId) {
    ::timeEndPeriod(m_resolution);
    m_resolution = 0;
    return FALSE;
  }
  uintptr_t h = _beginthreadex(nullptr, 0, &WorkerThreadProc, this, 0, nullptr);
  if (!h) {
    ::timeKillEvent(m_timerId);
    ::timeEndPeriod(m_resolution);
    m_timerId = 0;
    m_resolution = 0;
    return FALSE;
  }
  m_hWorker = reinterpret_cast<HANDLE>(h);
  return TRUE;
}

void CALLBACK CMediaTimer::TimerCallback(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* t = reinterpret_cast<CMediaTimer*>(user);
  ::InterlockedExchangeAdd(&t->m_elapsedMs, LONG(t->m_periodMs));
  ::SetEvent(t->m_hEvent);
}

unsigned __stdcall CMediaTimer::WorkerThreadProc(void* param) {
  static_cast<CMediaTimer*>(param)->WorkerLoop();
  return 0;
}

void CMediaTimer::WorkerLoop() {
  do {
    ::WaitForSingleObject(m_hEvent, 400);
    RunDueTasks();
  } while (!m_stopFlag);
}

void CMediaTimer::RunDueTasks() {
  ::EnterCriticalSection(&m_lock);
  for (int i = 0; i < kSlots; ++i) {
    Task& t = m_tasks[i];
    UINT now = UINT(m_elapsedMs);
    if (t.used && int(now - t.lastRunMs) >= int(t.intervalMs)) {
      t.callback(UINT(i), 0, t.context, 0, 0);
      t.lastRunMs = now;
    }
  }
  ::LeaveCriticalSection(&m_lock);
}

int CMediaTimer::AddTask(UINT intervalMs, LPTIMECALLBACK callback, DWORD_PTR context) {
  if (!callback) return -1;
  int slot = -1;
  ::EnterCriticalSection(&m_lock);
  for (int i = 0; i < kSlots; ++i) {
    if (!m_tasks[i].used) {
      m_tasks[i] = Task{1, intervalMs, callback, context, UINT(m_elapsedMs)};
      slot = i;
      break;
    }
  }
  ::LeaveCriticalSection(&m_lock);
  return slot;
}

void CMediaTimer::RemoveTask(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  ::EnterCriticalSection(&m_lock);
  if (m_tasks[slot].used) std::memset(&m_tasks[slot], 0, sizeof m_tasks[slot]);
  ::LeaveCriticalSection(&m_lock);
}

void CMediaTimer::Stop() {
  ::InterlockedExchange(&m_stopFlag, 1);
  if (m_hWorker) {
    ::SetEvent(m_hEvent);
    if (::WaitForSingleObject(m_hWorker, 1000) == WAIT_OBJECT_0) {
      ::CloseHandle(m_hWorker);
      m_hWorker = nullptr;
    }
  }
  if (m_timerId) ::timeKillEvent(m_timerId);
  if (m_resolution) ::timeEndPeriod(m_resolution);
  ::EnterCriticalSection(&m_lock);
  std::memset(m_tasks, 0, sizeof m_tasks);
  ::LeaveCriticalSection(&m_lock);
  m_timerId = 0;
  m_resolution = 0;
}
