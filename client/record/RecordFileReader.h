// Reads one record file frame by frame for the playback engine: the open
// checks, the next frame, the scan for the next frame header after damage,
// seeking in per mille of the file, and the read position and play time.
//
// Not thread-safe by itself: the engine calls it under its own lock, except
// for Position(), which may be read from any thread.
//
// Portable: no Windows headers.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "RecordFile.h"
#include "RecordFormat.h"
#include "RecordReading.h"

namespace record {

class CRecordFileReader {
public:
    using Opener = std::function<std::unique_ptr<IRecordFileSource>(const std::string& path)>;
    explicit CRecordFileReader(Opener open = OpenRecordFileSource);

    // 0, or kReadCannotOpen, kReadTooShort, kReadHeaderError, kReadBadHeader;
    // the file stays closed on an error. Allocates the frame buffer.
    int Open(const std::string& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Reads the next frame into the buffer: TRUE with its header in *h, the
    // video at Buffer() and the audio behind it. FALSE when nothing was
    // read this time: the end of the file, a frame with no data, a read
    // error (131,072 bytes are skipped) or a damaged header (the reader
    // moves to the next plausible header from the byte after it).
    bool ReadFrame(RecordFrameHeader* h);

    // Seeks to per mille 0..1000 of the file and moves on to the next frame
    // header (0 = the first frame, 1000 = the end). FALSE outside 0..1000.
    bool SetPosition(int perMille);
    // Back to the first frame (playing again from the end).
    void Rewind();

    const RecordFileHeader& Header() const { return header_; }
    const uint8_t* Buffer() const { return buffer_.get(); }
    uint32_t Length() const { return length_; }
    uint32_t Position() const { return position_.load(std::memory_order_relaxed); }
    uint32_t FrameNumber() const { return frameNumber_; }
    bool AtEnd() const { return Position() >= length_; }
    // 0 when no file is open.
    int PositionPerMille() const { return IsOpen() ? PerMille(Position(), length_) : 0; }
    uint32_t PlayTimeSeconds() const {
        return IsOpen() && header_.frameRate ? frameNumber_ / header_.frameRate : 0;
    }

private:
    // Looks for a plausible frame header from the file offset from on, in
    // windows of 32,768 bytes carrying 24 bytes over; the last, shorter
    // window is scanned too. FALSE: none, the position is at the end.
    bool Resync(uint32_t from);
    void SkipAfterError();
    void ToEnd();
    void SetPlace(uint32_t pos);

    Opener open_;
    std::unique_ptr<IRecordFileSource> file_;
    std::unique_ptr<uint8_t[]> buffer_;  // kRecordFrameCapacity bytes: frames and scan windows
    RecordFileHeader header_{};
    uint32_t length_ = 0;
    std::atomic<uint32_t> position_{0};
    uint32_t frameNumber_ = 0;
};

}  // namespace record
