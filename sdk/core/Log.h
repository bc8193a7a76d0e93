// The SDK's text log: callers queue time-stamped lines in a ring of 500, a
// writer thread appends them to "Orvik.log" beside the library and, after
// every 50 MiB written in a run, continues in a fresh "VBX3720N_V_Sdk.log".
// Switched by Orvik.ini [Public] OutputLog, re-read while the library runs.
#pragma once
#include <windows.h>

#include <string>

#include "core/RWLock.h"

class CLog {
public:
    static constexpr int kRingLines = 500;
    static constexpr unsigned long long kFileLimit = 0x3200000;  // 50 MiB

    // The process's log; null when it could not be made.
    static CLog* GetInstance();
    // Ends the process's log (library unload).
    static void DestroyInstance();

    // directory: where the ini and log files are ("" = beside the library).
    explicit CLog(const std::string& directory = std::string(),
                  unsigned long long fileLimit = kFileLimit);
    virtual ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // 1 when the line was queued; 0 when dropped (empty, logging off, stopping).
    int WriteLog(const char* line);
    // printf-style convenience over WriteLog.
    int WriteLogF(const char* format, ...);

    bool Enabled() const { return enabled_ != 0; }
    const std::string& Directory() const { return dir_; }

    // "\\VBX3720N_Sdk_%Y-%m-%d_%H-%M-%S.log.bak" for the given local time.
    static std::string BackupName(const SYSTEMTIME& t);
    // "时间:%Y年%m月%d日%H时%M分%S秒 " in GBK bytes.
    static std::string TimePrefix(const SYSTEMTIME& t);

private:
    static DWORD WINAPI WriterThread(LPVOID self);
    void WriterLoop();
    void ReadSwitch();
    bool ChangeFile();
    void CloseFile();

    std::string ring_[kRingLines];
    int writeIndex_ = 0;
    int readIndex_ = 0;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    unsigned long long written_ = 0;
    volatile LONG stopping_ = 0;
    volatile LONG enabled_ = 0;
    CRWLock lock_;
    HANDLE thread_ = nullptr;
    HANDLE finished_ = nullptr;  // set by the writer thread as its last act
    HANDLE wake_ = nullptr;      // interrupts the writer's sleeps at stop
    std::string dir_;
    std::string ini_;
    unsigned long long limit_;
};

// True once the process is ending (DllMain saw a process detach with a
// non-null reserved pointer): threads are gone, nothing must wait for them.
extern volatile bool g_sdkProcessEnding;

// Directory of the module holding this code, without the trailing '\\'.
std::string SdkModuleDirectory();

#define SDK_LOG(...)                                      \
    do {                                                  \
        if (CLog* sdkLog_ = CLog::GetInstance())          \
            sdkLog_->WriteLogF(__VA_ARGS__);              \
    } while (0)
