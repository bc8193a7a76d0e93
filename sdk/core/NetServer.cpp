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
    int count = 2 * SdkProcessorCount() + 2;
    for (int i = 0; i < count; ++i) {
        DWORD id = 0;
        HANDLE h = CreateThread(nullptr, 0, routine, this, 0, &id);
        if (!h) {
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

void CNetServer::Stop() {
    InterlockedExchange(&running_, 0);
    if (!port_) return;
    for (size_t i = 0; i < workers_.size(); ++i)
        PostQueuedCompletionStatus(port_, 0, kStopKey, nullptr);
    // The port stays open until the workers are joined: a worker that is
    // still inside a wait must find its stop key there.
}

void CNetServer::JoinWorkers(DWORD timeoutMs, CRWLock* lockForTerminate) {
    for (HANDLE h : workers_) {
        if (WaitForSingleObject(h, timeoutMs) != WAIT_OBJECT_0) {
            if (lockForTerminate) lockForTerminate->LockWrite();
            TerminateThread(h, 0);
            if (lockForTerminate) lockForTerminate->UnlockWrite();
        }
        CloseHandle(h);
    }
    workers_.clear();
}
