// Synchronisation objects.
#pragma once
#include "afx.h"

class CSyncObject {
public:
  virtual ~CSyncObject() { if (m_hObject) ::CloseHandle(m_hObject); }
  CSyncObject(const CSyncObject&) = delete;
  CSyncObject& operator=(const CSyncObject&) = delete;
  virtual BOOL Lock(DWORD timeout = INFINITE) {
    return ::WaitForSingleObject(m_hObject, timeout) == WAIT_OBJECT_0;
  }
  virtual BOOL Unlock() = 0;
  operator HANDLE() const { return m_hObject; }
  HANDLE m_hObject = nullptr;
protected:
  CSyncObject() = default;
};

// A critical section: re-entrant on one thread, Lock() always waits.
class CCriticalSection : public CSyncObject {
public:
  CCriticalSection() { ::InitializeCriticalSection(&m_sect); }
  ~CCriticalSection() override { ::DeleteCriticalSection(&m_sect); }
  BOOL Lock(DWORD = INFINITE) override { ::EnterCriticalSection(&m_sect); return TRUE; }
  BOOL Unlock() override { ::LeaveCriticalSection(&m_sect); return TRUE; }
  operator CRITICAL_SECTION*() { return &m_sect; }
  CRITICAL_SECTION m_sect;
};

class CEvent : public CSyncObject {
public:
  CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, LPCSTR name = nullptr,
         LPSECURITY_ATTRIBUTES sa = nullptr) {
    m_hObject = ::CreateEventA(sa, manualReset, initiallyOwn, name);
  }
  BOOL SetEvent() { return ::SetEvent(m_hObject); }
  BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
  BOOL PulseEvent() { return ::PulseEvent(m_hObject); }
  BOOL Unlock() override { return TRUE; }
};

class CMutex : public CSyncObject {
public:
  CMutex(BOOL initiallyOwn = FALSE, LPCSTR name = nullptr, LPSECURITY_ATTRIBUTES sa = nullptr) {
    m_hObject = ::CreateMutexA(sa, initiallyOwn, name);
  }
  BOOL Unlock() override { return ::ReleaseMutex(m_hObject); }
};

class CSemaphore : public CSyncObject {
public:
  CSemaphore(LONG initial = 1, LONG maxCount = 1, LPCSTR name = nullptr, LPSECURITY_ATTRIBUTES sa = nullptr) {
    m_hObject = ::CreateSemaphoreA(sa, initial, maxCount, name);
  }
  BOOL Unlock() override { return ::ReleaseSemaphore(m_hObject, 1, nullptr); }
  BOOL Unlock(LONG count, LPLONG prev = nullptr) { return ::ReleaseSemaphore(m_hObject, count, prev); }
};

// Scoped lock; unlocks on destruction when still locked.
class CSingleLock {
public:
  explicit CSingleLock(CSyncObject* obj, BOOL initialLock = FALSE) : m_pObject(obj) {
    if (initialLock) Lock();
  }
  ~CSingleLock() { Unlock(); }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;
  BOOL Lock(DWORD timeout = INFINITE) {
    if (!m_bAcquired && m_pObject) m_bAcquired = m_pObject->Lock(timeout);
    return m_bAcquired;
  }
  BOOL Unlock() {
    if (m_bAcquired && m_pObject) m_bAcquired = !m_pObject->Unlock();
    return !m_bAcquired;
  }
  BOOL IsLocked() const { return m_bAcquired; }
private:
  CSyncObject* m_pObject;
  BOOL m_bAcquired = FALSE;
};
