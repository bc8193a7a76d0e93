#include "RecordFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace record {
namespace {

#ifdef _WIN32

bool SetPlace(HANDLE h, uint64_t offset, DWORD from) {
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(h, at, nullptr, from) != FALSE;
}

class Win32Sink : public IRecordFileSink {
public:
    explicit Win32Sink(HANDLE h) : h_(h) {}
    ~Win32Sink() override { Close(); }
    long Append(const uint8_t* data, uint32_t n) override {
        DWORD done = 0;
        if (!WriteFile(h_, data, n, &done, nullptr))
            return done ? long(done) : -1;
        return long(done);
    }
    bool RewriteStart(const uint8_t* data, uint32_t n) override {
        LARGE_INTEGER end{}, zero{};
        if (!SetFilePointerEx(h_, zero, &end, FILE_CURRENT) || !SetPlace(h_, 0, FILE_BEGIN))
            return false;
        DWORD done = 0;
        bool ok = WriteFile(h_, data, n, &done, nullptr) && done == n;
        return SetPlace(h_, uint64_t(end.QuadPart), FILE_BEGIN) && ok;
    }
    bool Truncate(uint64_t size) override { return SetPlace(h_, size, FILE_BEGIN) && SetEndOfFile(h_); }
    bool Flush() override { return FlushFileBuffers(h_) != FALSE; }
    bool Close() override {
        if (h_ == INVALID_HANDLE_VALUE)
            return true;
        bool ok = CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

class Win32Source : public IRecordFileSource {
public:
    explicit Win32Source(HANDLE h) : h_(h) {}
    ~Win32Source() override { CloseHandle(h_); }
    uint64_t Length() const override {
        LARGE_INTEGER size{};
        return GetFileSizeEx(h_, &size) ? uint64_t(size.QuadPart) : 0;
    }
    long Read(uint8_t* out, uint32_t n) override {
        DWORD got = 0;
        if (!ReadFile(h_, out, n, &got, nullptr))
            return -1;
        return long(got);
    }
    bool Seek(uint64_t offset) override { return SetPlace(h_, offset, FILE_BEGIN); }

private:
    HANDLE h_;
};

#else

class PosixSink : public IRecordFileSink {
public:
    explicit PosixSink(int fd) : fd_(fd) {}
    ~PosixSink() override { Close(); }
    long Append(const uint8_t* data, uint32_t n) override {
        ssize_t done = ::write(fd_, data, n);
        return done < 0 ? -1 : long(done);
    }
    bool RewriteStart(const uint8_t* data, uint32_t n) override {
        return ::pwrite(fd_, data, n, 0) == ssize_t(n);
    }
    bool Truncate(uint64_t size) override {
        return ::ftruncate(fd_, off_t(size)) == 0 && ::lseek(fd_, off_t(size), SEEK_SET) == off_t(size);
    }
    bool Flush() override { return ::fsync(fd_) == 0; }
    bool Close() override {
        if (fd_ < 0)
            return true;
        bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

class PosixSource : public IRecordFileSource {
public:
    explicit PosixSource(int fd) : fd_(fd) {}
    ~PosixSource() override { ::close(fd_); }
    uint64_t Length() const override {
        struct stat st;
        return ::fstat(fd_, &st) == 0 ? uint64_t(st.st_size) : 0;
    }
    long Read(uint8_t* out, uint32_t n) override {
        ssize_t got = ::read(fd_, out, n);
        return got < 0 ? -1 : long(got);
    }
    bool Seek(uint64_t offset) override { return ::lseek(fd_, off_t(offset), SEEK_SET) == off_t(offset); }

private:
    int fd_;
};

#endif

}  // namespace

std::unique_ptr<IRecordFileSink> CreateRecordFileSink(const std::string& path) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<IRecordFileSink>(new Win32Sink(h));
#else
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<IRecordFileSink>(new PosixSink(fd));
#endif
}

void RaiseCurrentThreadPriority() {
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
#endif
}

std::unique_ptr<IRecordFileSource> OpenRecordFileSource(const std::string& path) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::unique_ptr<IRecordFileSource>(new Win32Source(h));
#else
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<IRecordFileSource>(new PosixSource(fd));
#endif
}

}  // namespace record
