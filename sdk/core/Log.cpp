#include "core/Log.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

volatile bool g_sdkProcessEnding = false;

namespace {
struct LogGuard {
    CRITICAL_SECTION cs;
    LogGuard() { InitializeCriticalSection(&cs); }
    ~LogGuard() { DeleteCriticalSection(&cs); }
};
// Built before the SDK's other global objects and destroyed after them, so
// that they can log until the end.
LogGuard g_logGuard __attribute__((init_priority(200)));
std::unique_ptr<CLog> g_log __attribute__((init_priority(201)));
volatile LONG g_logMade = 0;  // 1 once GetInstance has tried to make it

const char kCurrentName[] = "\\Orvik.log";
const char kContinuedName[] = "\\VBX3720N_V_Sdk.log";

HANDLE OpenAppend(const std::string& path, DWORD disposition) {
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h;
}
}  // namespace

std::string SdkModuleDirectory() {
    HMODULE self = nullptr;
    char path[MAX_PATH];
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&SdkModuleDirectory), &self))
        return ".";
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return ".";
    std::string dir(path, n);
    size_t slash = dir.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
}

CLog* CLog::GetInstance() {
    if (!g_logMade) {
        EnterCriticalSection(&g_logGuard.cs);
        if (!g_logMade) {
            g_log.reset(new (std::nothrow) CLog());
            InterlockedExchange(&g_logMade, 1);
        }
        LeaveCriticalSection(&g_logGuard.cs);
    }
    return g_log.get();
}

void CLog::DestroyInstance() {
    EnterCriticalSection(&g_logGuard.cs);
    std::unique_ptr<CLog> old(std::move(g_log));
    LeaveCriticalSection(&g_logGuard.cs);
}

std::string CLog::TimePrefix(const SYSTEMTIME& t) {
    // 时间:%Y年%m月%d日%H时%M分%S秒 (GBK)
    char buf[64];
    std::snprintf(buf, sizeof buf,
                  "\xCA\xB1\xBC\xE4:%04u\xC4\xEA%02u\xD4\xC2%02u\xC8\xD5%02u\xCA\xB1%02u\xB7\xD6"
                  "%02u\xC3\xEB ",
                  t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

std::string CLog::BackupName(const SYSTEMTIME& t) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "\\VBX3720N_Sdk_%04u-%02u-%02u_%02u-%02u-%02u.log.bak", t.wYear,
                  t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return buf;
}

CLog::CLog(const std::string& directory, unsigned long long fileLimit)
    : dir_(directory.empty() ? SdkModuleDirectory() : directory), limit_(fileLimit) {
    ini_ = dir_ + "\\Orvik.ini";
    ReadSwitch();
    file_ = OpenAppend(dir_ + kCurrentName, OPEN_ALWAYS);
    written_ = 0;
    finished_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    wake_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD id;
    thread_ = CreateThread(nullptr, 0, WriterThread, this, 0, &id);
}

CLog::~CLog() {
    InterlockedExchange(&stopping_, 1);
    InterlockedExchange(&enabled_, 0);
    if (wake_) SetEvent(wake_);
    if (thread_) {
        // The writer signals finished_ as its last act; once it has, it only
        // leaves through the system's thread exit, which may wait for the
        // loader lock that an unloading library holds. So wait for the
        // event, give the thread a moment to be gone, and end it only when
        // it never finished (a terminated thread leaves its stack behind).
        bool done = g_sdkProcessEnding ||
                    WaitForSingleObject(finished_, 1000) == WAIT_OBJECT_0;
        if (WaitForSingleObject(thread_, done ? 50 : 0) != WAIT_OBJECT_0 && !done) {
            lock_.LockWrite();
            TerminateThread(thread_, 0);
            lock_.UnlockWrite();
            WaitForSingleObject(thread_, 1000);
        }
        CloseHandle(thread_);
    }
    CloseFile();
    if (finished_) CloseHandle(finished_);
    if (wake_) CloseHandle(wake_);
}

void CLog::ReadSwitch() {
    InterlockedExchange(&enabled_, GetPrivateProfileIntA("Public", "OutputLog", 0, ini_.c_str()) != 0);
}

int CLog::WriteLog(const char* line) {
    if (!line || !*line || !enabled_ || stopping_) return 0;
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string text = TimePrefix(now);
    text += line;
    text += '\n';
    lock_.LockWrite();
    ring_[writeIndex_].swap(text);
    writeIndex_ = (writeIndex_ + 1) % kRingLines;
    lock_.UnlockWrite();
    return 1;
}

int CLog::WriteLogF(const char* format, ...) {
    if (!enabled_ || stopping_) return 0;
    char buf[1024];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    if (n < 0) return 0;
    return WriteLog(buf);
}

void CLog::CloseFile() {
    if (file_ != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file_);
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
}

bool CLog::ChangeFile() {
    CloseFile();
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string current = dir_ + kContinuedName;
    std::string backup = dir_ + BackupName(now);
    DWORD attr = GetFileAttributesA(current.c_str());
    bool renamed = attr == INVALID_FILE_ATTRIBUTES || MoveFileA(current.c_str(), backup.c_str());
    // A second change within the same second finds its .bak name taken:
    // keep appending to the current file rather than emptying it.
    file_ = OpenAppend(current, renamed ? CREATE_ALWAYS : OPEN_ALWAYS);
    written_ = 0;
    return file_ != INVALID_HANDLE_VALUE;
}

DWORD WINAPI CLog::WriterThread(LPVOID self) {
    static_cast<CLog*>(self)->WriterLoop();
    SetEvent(static_cast<CLog*>(self)->finished_);
    return 0;
}

void CLog::WriterLoop() {
    std::string batch;
    for (unsigned pass = 1;; ++pass) {
        bool last = stopping_ != 0;  // one more pass drains what is queued
        batch.clear();
        int taken = 0;
        lock_.LockWrite();
        while (taken < kRingLines && !ring_[readIndex_].empty()) {
            batch += ring_[readIndex_];
            ring_[readIndex_].clear();
            readIndex_ = (readIndex_ + 1) % kRingLines;
            ++taken;
        }
        lock_.UnlockWrite();
        if (!batch.empty() && written_ + batch.size() > limit_) ChangeFile();
        if (file_ == INVALID_HANDLE_VALUE) return;
        if (!batch.empty()) {
            DWORD out = 0;
            WriteFile(file_, batch.data(), DWORD(batch.size()), &out, nullptr);
            written_ += batch.size();
            FlushFileBuffers(file_);
        }
        if (last) return;
        if (pass % 5 == 0) ReadSwitch();
        int sleeps = (kRingLines - taken) / 50;
        for (int i = 0; i < sleeps && !stopping_; ++i) WaitForSingleObject(wake_, 20);
    }
}
