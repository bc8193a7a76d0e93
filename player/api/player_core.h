// Player library: the rules that need no platform. Its own 16-byte frame
// headers and their scan, the stream frame ring, the voice-frame and PCM
// rings, colour conversion and BMP images; the record-file rules it shares
// with the client come from the record library. Everything here works on
// byte buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "RecordFile.h"
#include "RecordFormat.h"
#include "RecordReading.h"

namespace quillon {

enum PlayerError : int {
    kPlOk = 0,
    kPlNoMemory = -501,      // no memory / sound not started / no display / voice decode failed
    kPlNotInit = -503,
    kPlBadArg = record::kReadBadArg,
    kPlBusy = record::kReadBusy,
    kPlNotOpen = -506,
    kPlRingFull = -508,
    kPlBadFrameType = -509,
    kPlCannotOpen = record::kReadCannotOpen,
    kPlReadError = record::kReadHeaderError,
    kPlTooShort = record::kReadTooShort,
    kPlBadHeader = record::kReadBadHeader,
    kPlNoPicture = -514,
    kPlNoCapture = -515,
    kPlEndOfFile = -516,
};

// The file summary, positions, seek offsets and speeds are the record
// library's, shared with the client's playback engine.
using record::PlayerFileInfo;
using record::PerMille;
using record::SeekOffset;
using record::SpeedInterval;

// What H264PL_ReadFile_GetNextFrame hands out (six 32-bit fields on the
// 32-bit target).
struct PlayerFrameInfo {
    int32_t keyFrame;
    uint8_t* video;
    int32_t videoLength;
    uint8_t* audio;
    int32_t audioLength;
    int32_t position;  // per mille of the file
};

// ---------------------------------------------------------------- files
constexpr uint32_t kShortestFile = record::kShortestPlayableFile;
constexpr uint32_t kFrameHeaderSize = 16;
constexpr uint32_t kFrameSync = 0x07000000;
constexpr uint32_t kReaderBufferSize = 0x21000;   // reader slots
constexpr uint32_t kChannelBufferSize = 0x85000;  // file channels
constexpr uint32_t kScanWindow = record::kResyncWindow;
constexpr uint32_t kReadErrorSkip = record::kReadErrorSkip;

struct PlayerFrameHeader {
    uint32_t sync;
    uint32_t info;  // bits 0-1 type, 2-19 video length, 20-31 audio length
    uint32_t frameNumber;
    uint32_t reserved;
    uint32_t type() const { return info & 3; }
    uint32_t videoLength() const { return (info >> 2) & 0x3FFFF; }
    uint32_t audioLength() const { return info >> 20; }
};

PlayerFrameHeader LoadFrameHeader(const uint8_t* p);
void StoreFrameHeader(const PlayerFrameHeader& h, uint8_t* p);
uint32_t MakeFrameInfo(uint32_t type, uint32_t videoLength, uint32_t audioLength);

// A header read at a known place: sync and a payload of at most 0x21000.
bool IsAcceptableFrameHeader(const PlayerFrameHeader& h);
// What the scan takes: sync, video below 0x80000, audio below 0x5000, the
// type 1 in key mode, and a payload that fits the caller's frame buffer.
bool IsScanCandidate(const PlayerFrameHeader& h, bool keyOnly, uint32_t capacity);
// Offset of the first candidate header wholly inside buf[0..len), or -1.
long FindFrameHeader(const uint8_t* buf, size_t len, bool keyOnly, uint32_t capacity);


// ---------------------------------------------------------------- reader
// The reading rules of a record file whose header was taken: frames with the
// player's 16-byte headers, and the resynchronising scan over damaged
// stretches. capacity is the largest payload the caller's buffer takes. The
// bytes come from a record file source: the file on the target, memory in
// the fuzz target.
class RecordFrameReader {
public:
    explicit RecordFrameReader(uint32_t capacity) : m_capacity(capacity) {}
    // Starts at the first frame of a file of length bytes; kPlOk or kPlNoMemory.
    int Begin(record::IRecordFileSource* source, uint32_t length, const record::RecordFileHeader& header);
    void End();
    bool IsStarted() const { return m_source != nullptr; }
    // 0 with the frame's payload at the start of the buffer; kPlEndOfFile;
    // kPlReadError.
    int Next(PlayerFrameHeader* header);
    // Per mille 0..1000; scans for the next key frame.
    int Seek(int perMille);
    const uint8_t* Buffer() const { return m_buffer.data(); }
    uint8_t* Buffer() { return m_buffer.data(); }
    uint32_t Length() const { return m_length; }
    uint32_t Position() const { return m_pos; }
    uint32_t FrameNumber() const { return m_frameNumber; }
    const record::RecordFileHeader& Header() const { return m_header; }
    bool AtEnd() const { return m_pos >= m_length; }

private:
    enum { kFound = 1, kNotFound = 0, kError = -1 };
    int Scan(bool keyOnly);
    bool SeekTo(uint32_t pos);
    long ReadAt(uint8_t* p, uint32_t n);  // bytes read at the read position, -1 on error
    void SkipAfterError();

    record::IRecordFileSource* m_source = nullptr;
    uint32_t m_capacity;
    std::vector<uint8_t> m_buffer;
    record::RecordFileHeader m_header{};
    uint32_t m_length = 0;
    uint32_t m_pos = 0;
    uint32_t m_frameNumber = 0;
};

// ---------------------------------------------------------------- speed
constexpr int kMinSpeed = record::kSlowestSpeed;
constexpr int kMaxSpeed = record::kFastestSpeed;

// ---------------------------------------------------------------- stream ring
constexpr uint32_t kStreamRingSize = 0x100000;
constexpr uint32_t kMaxStreamFrame = 0x80000;  // the longest frame the stream thread takes
constexpr size_t kBacklogLimit = 15;

// The 1 MiB frame ring of a stream channel: one writer (the caller) and one
// reader (the stream thread). Bytes and positions need no lock; the length
// list has one.
class StreamRing {
public:
    StreamRing();
    // 0; kPlRingFull (from then on frames are dropped until one that begins
    // with a sequence parameter set); kPlBadArg for a frame longer than the
    // reader takes. A dropped frame also returns 0.
    int Add(const uint8_t* data, uint32_t length);
    // The oldest frame in one or two pieces; false when empty.
    bool Peek(const uint8_t** p1, uint32_t* n1, const uint8_t** p2, uint32_t* n2) const;
    // Removes the oldest frame; returns how many still wait.
    size_t Pop();
    size_t Waiting() const;
    bool Dropping() const { return m_dropping; }
    uint32_t FreeRoom() const;
    void Reset();

private:
    std::vector<uint8_t> m_ring;
    volatile uint32_t m_read = 0;
    volatile uint32_t m_write = 0;
    mutable std::mutex m_lock;
    std::deque<uint32_t> m_lengths;
    bool m_dropping = false;
};

// ---------------------------------------------------------------- voice
// Frame size of the voice frames in data (4 + 2 x the word count at byte 2),
// 0 when there is not even one header.
uint32_t VoiceFrameSize(const uint8_t* data, uint32_t length);
// Codec type of a voice frame of this size: 24 -> 4, 44 -> 6, else 0.
int VoiceTypeOfSize(uint32_t size);

// A byte ring of records (32-bit length, data padded to 4 bytes).
class CFrameRingBuffer {
public:
    enum : uint32_t {
        kOk = 0,
        kNoSize = 0x01020001,
        kEmpty = 0x01020003,
        kNoRoom = 0x01020004,
        kZeroLength = 0x01020005,
    };
    explicit CFrameRingBuffer(uint32_t size);
    uint32_t Write(const uint8_t* data, uint32_t length);
    // Copies the oldest record into out (at most room bytes, the rest is
    // dropped) and stores its length.
    uint32_t Read(uint8_t* out, uint32_t room, uint32_t* length);
    void Reset();
    uint64_t readFailures = 0, emptyWrites = 0, bytesWritten = 0, bytesRead = 0, reads = 0, writes = 0;

private:
    uint32_t Used() const { return m_write - m_read; }
    void CopyIn(uint32_t at, const uint8_t* p, uint32_t n);
    void CopyOut(uint32_t at, uint8_t* p, uint32_t n) const;
    std::vector<uint8_t> m_buf;
    uint32_t m_read = 0, m_write = 0;  // running byte counts
};

// ---------------------------------------------------------------- pictures
// BT.601 limited range, 16-bit fixed point.
void YuvToRgb(int y, int u, int v, uint8_t* r, uint8_t* g, uint8_t* b);
// Planar 4:2:0 to 32-bit BGRX rows (little-endian 0x00RRGGBB).
void Yuv420ToRgb32(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, int width,
                   int height, uint8_t* dst, int pitch);
// A whole 24-bit BMP file (bottom-up, rows of 3 x width bytes).
std::vector<uint8_t> MakeBmp(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                             int width, int height);

}  // namespace quillon
