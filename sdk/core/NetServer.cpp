#include "core/NetServer.h"

#include "core/Log.h"
#include "core/RWLock.h"

int SdkProcessorCount() {
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    return si.dwNumberOfProcessors > 0 ? int(si.dwNumberOfProcessors) : 1;
}

CNetServer::~CNetServer() {
    Stop();
    JoinWorkers(g_sdkProcessEnding ? 0 : 500, nullptr);
    ClosePort();
    if (workersLeft_) CloseHandle(workersLeft_);
}

void CNetServer::ClosePort() {
    if (port_) {
        CloseHandle(port_);
        port_ = nullptr;
    }
}

DWORD WINAPI CNetServer::DefaultWorkerRoutine(LPVOID) { return 0; }

int CNetServer::Start(LPTHREAD_START_ROUTINE routine) {
    if (port_) return 0;
    if (!routine) {
        SDK_LOG("NO ThreadRoutine input, use default!");
        routine = DefaultWorkerRoutine;
    }
    routine_ = routine;
    InterlockedExchange(&running_, 1);
    port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
    if (!port_) {
        Stop();
        return -1;
    }
    if (!workersLeft_) workersLeft_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (workersLeft_) ResetEvent(workersLeft_);
    int count = 2 * SdkProcessorCount() + 2;
    for (int i = 0; i < count; ++i) {
        DWORD id = 0;
        InterlockedIncrement(&activeWorkers_);
        HANDLE h = CreateThread(nullptr, 0, WorkerEntry, this, 0, &id);
        if (!h) {
            if (InterlockedDecrement(&activeWorkers_) == 0 && workersLeft_) SetEvent(workersLeft_);
            Stop();
            JoinWorkers(500, nullptr);  // no half-started server stays behind
            ClosePort();
            return -2;
        }
        SDK_LOG("IOCP Index:%d, id:%d", i, int(id));
        workers_.push_back(h);
    }
    return 0;
}

DWORD WINAPI CNetServer::WorkerEntry(LPVOID param) {
    auto* self = static_cast<CNetServer*>(param);
    const DWORD result = self->routine_(param);
    // The last one out says so; the server may be gone right after.
    const HANDLE left = self->workersLeft_;
    if (InterlockedDecrement(&self->activeWorkers_) == 0 && left) SetEvent(left);
    return result;
}

void CNetServer::Stop() {
    InterlockedExchange(&running_, 0);
    if (!port_) return;
    for (size_t i = 0; i < workers_.size(); ++i)
        PostQueuedCompletionStatus(port_, 0, kStopKey, nullptr);
    // The port stays open until the workers are joined: a worker that is
    // still inside a wait must find its stop key there.
}

void CNetServer::JoinWorkers(DWORD timeoutMs, CRWLock* lockForTerminate) {
    // One time-out for all of them. While the library is being unloaded no
    // thread can end (its exit waits for the loader lock the unloading
    // thread holds): workers that have all left their routine are then
    // given a moment to return from this library's code and are left to
    // end by themselves, not terminated (a terminated thread leaves its
    // stack behind).
    DWORD t0 = GetTickCount();
    const bool allLeft = workers_.empty() ||
                         (workersLeft_ && WaitForSingleObject(workersLeft_, timeoutMs) == WAIT_OBJECT_0);
    if (allLeft) t0 = GetTickCount();
    const DWORD budget = allLeft ? 20 : timeoutMs;
    for (HANDLE h : workers_) {
        const DWORD spent = GetTickCount() - t0;
        if (WaitForSingleObject(h, spent < budget ? budget - spent : 0) != WAIT_OBJECT_0 && !allLeft) {
            if (lockForTerminate) lockForTerminate->LockWrite();
            TerminateThread(h, 0);
            if (lockForTerminate) lockForTerminate->UnlockWrite();
        }
        CloseHandle(h);
    }
    workers_.clear();
    // Every worker has ended, left or been terminated.
    InterlockedExchange(&activeWorkers_, 0);
}
