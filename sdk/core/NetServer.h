// The I/O completion-port server: one port and 2 x processors + 2 worker
// threads that run a worker routine with the server as argument.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <vector>

class CNetServer {
public:
    static constexpr ULONG_PTR kStopKey = 0xFFFFFFFF;

    CNetServer() = default;
    virtual ~CNetServer();
    CNetServer(const CNetServer&) = delete;
    CNetServer& operator=(const CNetServer&) = delete;

    virtual void Stop();
    virtual int CreateClient(DWORD addressAndPort, SOCKET socket) = 0;
    // 0 started (or already running); -1 no completion port; -2 a worker did
    // not start.
    virtual int Start(LPTHREAD_START_ROUTINE routine);

    bool Running() const { return running_ != 0; }
    HANDLE Port() const { return port_; }
    // Ends the workers: waits up to timeoutMs for all, then terminates each
    // one left (under lockForTerminate when given); closes their handles.
    void JoinWorkers(DWORD timeoutMs, class CRWLock* lockForTerminate);
    void ClosePort();
    size_t WorkerCount() const { return workers_.size(); }

    static DWORD WINAPI DefaultWorkerRoutine(LPVOID);

protected:
    volatile LONG running_ = 0;
    HANDLE port_ = nullptr;
    LPTHREAD_START_ROUTINE routine_ = nullptr;
    std::vector<HANDLE> workers_;

private:
    // Runs the worker routine and counts the workers still inside it.
    static DWORD WINAPI WorkerEntry(LPVOID self);
    volatile LONG activeWorkers_ = 0;
    HANDLE workersLeft_ = nullptr;  // set when the last worker leaves its routine
};

// Processors of this machine (at least 1).
int SdkProcessorCount();
