// Internals shared by the library's sources.
#pragma once
#include <windows.h>

class CWnd;

namespace afx_detail {

class Lock {
public:
  Lock() { ::InitializeCriticalSection(&cs_); }
  ~Lock() { ::DeleteCriticalSection(&cs_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  void Enter() { ::EnterCriticalSection(&cs_); }
  void Leave() { ::LeaveCriticalSection(&cs_); }
private:
  CRITICAL_SECTION cs_;
};

class Guard {
public:
  explicit Guard(Lock& l) : l_(l) { l_.Enter(); }
  ~Guard() { l_.Leave(); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;
private:
  Lock& l_;
};

// The next window created on this thread is attached to wnd and subclassed.
void HookWindowCreate(CWnd* wnd);
// TRUE when the pending window was attached.
BOOL UnhookWindowCreate();
void DeleteTempWnds();
void DeleteTempGdi();
// Frees the calling thread's handle wrappers and creation hook.
void ReleaseThreadWnds();
void ReleaseThreadGdi();

}  // namespace afx_detail
