// The files of recording and playback as the recorder and the readers need
// them: a record file opened for writing by one writer alone, and a record
// file read by offset while others may still write it.
//
// Portable interface; the system's own implementations are chosen at build
// time (Win32 handles on the target, POSIX descriptors natively).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace record {

class IRecordFileSink {
public:
    virtual ~IRecordFileSink() = default;
    // Appends at the end of what was written: the number of bytes written,
    // which may be fewer than n, or -1 on an error.
    virtual long Append(const uint8_t* data, uint32_t n) = 0;
    // Overwrites the first n bytes (the file header); the end stays where it was.
    virtual bool RewriteStart(const uint8_t* data, uint32_t n) = 0;
    // Cuts the file back to size bytes; the next append goes there.
    virtual bool Truncate(uint64_t size) = 0;
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
};

// Creates or truncates the file for writing, shared with no one. Null when
// it cannot be opened.
std::unique_ptr<IRecordFileSink> CreateRecordFileSink(const std::string& path);

class IRecordFileSource {
public:
    virtual ~IRecordFileSource() = default;
    virtual uint64_t Length() const = 0;
    // Reads at the current place: the number of bytes read (0 at the end),
    // -1 on an error.
    virtual long Read(uint8_t* out, uint32_t n) = 0;
    virtual bool Seek(uint64_t offset) = 0;
};

// Raises the calling thread to the highest priority of its process (the
// record writer's); does nothing where the system has no such priority.
void RaiseCurrentThreadPriority();

// Opens an existing file read-only, letting others read and write it. Null
// when it cannot be opened.
std::unique_ptr<IRecordFileSource> OpenRecordFileSource(const std::string& path);

}  // namespace record
