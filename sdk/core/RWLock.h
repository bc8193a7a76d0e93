// Writer-priority reader/writer lock of the SDK's shared tables.
// Readers share it; a writer excludes everyone; a writer that waits keeps new
// readers out, so writers cannot starve. Not re-entrant; waits have no time-out.
#pragma once
#include <windows.h>

class CRWLock {
public:
    CRWLock();
    ~CRWLock();
    CRWLock(const CRWLock&) = delete;
    CRWLock& operator=(const CRWLock&) = delete;

    void LockRead();
    void UnlockRead();
    void LockWrite();
    void UnlockWrite();

private:
    // Sets the writer bit for the next writer; true when it must wait for
    // the readers inside to leave (the last one signals writerEvent_).
    bool TakeForWriter();
    // Hands the lock to the writer that waits for the readers: exactly one
    // caller wins the exchange and wakes it.
    void WakeWriterIfReadersLeft();

    HANDLE readGate_;     // manual reset, signalled while readers may enter
    HANDLE writerEvent_;  // auto reset, wakes one waiting writer
    volatile LONG state_ = 0;    // bits 0-29 readers, bit 30 writer waits, bit 31 writer
    volatile LONG writers_ = 0;  // writers holding or waiting
};

class CReadGuard {
public:
    explicit CReadGuard(CRWLock& l) : l_(l) { l_.LockRead(); }
    ~CReadGuard() { l_.UnlockRead(); }
    CReadGuard(const CReadGuard&) = delete;
    CReadGuard& operator=(const CReadGuard&) = delete;
private:
    CRWLock& l_;
};

class CWriteGuard {
public:
    explicit CWriteGuard(CRWLock& l) : l_(l) { l_.LockWrite(); }
    ~CWriteGuard() { l_.UnlockWrite(); }
    CWriteGuard(const CWriteGuard&) = delete;
    CWriteGuard& operator=(const CWriteGuard&) = delete;
private:
    CRWLock& l_;
};
