#include "core/RWLock.h"

namespace {
constexpr LONG kWriter = LONG(0x80000000u);
constexpr LONG kWriterWaits = LONG(0xC0000000u);
constexpr LONG kReaderMask = 0x3FFFFFFF;
}  // namespace

CRWLock::CRWLock()
    : readGate_(CreateEventW(nullptr, TRUE, TRUE, nullptr)),
      writerEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CRWLock::~CRWLock() {
    if (readGate_) CloseHandle(readGate_);
    if (writerEvent_) CloseHandle(writerEvent_);
}

void CRWLock::WakeWriterIfReadersLeft() {
    if (InterlockedCompareExchange(&state_, kWriter, kWriterWaits) == kWriterWaits)
        SetEvent(writerEvent_);
}

void CRWLock::LockRead() {
    for (;;) {
        if (InterlockedIncrement(&state_) >= 0) return;
        // A writer holds or takes the lock: undo and wait at the gate.
        if (InterlockedDecrement(&state_) == kWriterWaits) WakeWriterIfReadersLeft();
        WaitForSingleObject(readGate_, INFINITE);
    }
}

void CRWLock::UnlockRead() {
    if (InterlockedDecrement(&state_) == kWriterWaits) WakeWriterIfReadersLeft();
}

bool CRWLock::TakeForWriter() {
    ResetEvent(readGate_);
    LONG seen, next;
    do {
        seen = state_;
        next = seen | kWriter;
        if (seen & kReaderMask) next |= kWriterWaits;
    } while (InterlockedCompareExchange(&state_, next, seen) != seen);
    if (!(seen & kReaderMask)) return false;
    // Readers were inside. If they all left meanwhile, take the lock here;
    // otherwise the last one out wins the same exchange and signals.
    return InterlockedCompareExchange(&state_, kWriter, kWriterWaits) != kWriterWaits;
}

void CRWLock::LockWrite() {
    if (InterlockedIncrement(&writers_) == 1 && !TakeForWriter()) return;
    WaitForSingleObject(writerEvent_, INFINITE);
}

void CRWLock::UnlockWrite() {
    if (writers_ == 1) {
        InterlockedAnd(&state_, ~kWriter);
        SetEvent(readGate_);
        if (InterlockedDecrement(&writers_) == 0) return;
        // A writer arrived between the test and the decrement; it waits on
        // writerEvent_. Take the lock on its behalf.
        if (!TakeForWriter()) SetEvent(writerEvent_);
        return;
    }
    // More writers wait: the lock passes on while readers keep waiting.
    InterlockedDecrement(&writers_);
    SetEvent(writerEvent_);
}
