#include "player_core.h"

#include <algorithm>
#include <cstring>

namespace quillon {

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

}  // namespace

PlayerFrameHeader LoadFrameHeader(const uint8_t* p) {
    return PlayerFrameHeader{Le32(p), Le32(p + 4), Le32(p + 8), Le32(p + 12)};
}

void StoreFrameHeader(const PlayerFrameHeader& h, uint8_t* p) {
    Put32(p, h.sync);
    Put32(p + 4, h.info);
    Put32(p + 8, h.frameNumber);
    Put32(p + 12, h.reserved);
}

uint32_t MakeFrameInfo(uint32_t type, uint32_t videoLength, uint32_t audioLength) {
    return (type & 3) | (videoLength & 0x3FFFF) << 2 | (audioLength & 0xFFF) << 20;
}

bool IsAcceptableFrameHeader(const PlayerFrameHeader& h) {
    return h.sync == kFrameSync && h.videoLength() + h.audioLength() <= kReaderBufferSize;
}

bool IsScanCandidate(const PlayerFrameHeader& h, bool keyOnly, uint32_t capacity) {
    if (h.sync != kFrameSync || h.videoLength() >= 0x80000 || h.audioLength() >= 0x5000) return false;
    if (keyOnly && h.type() != 1) return false;
    return h.videoLength() + h.audioLength() <= capacity;
}

long FindFrameHeader(const uint8_t* buf, size_t len, bool keyOnly, uint32_t capacity) {
    if (!buf || len < kFrameHeaderSize) return -1;
    for (size_t i = 0; i + kFrameHeaderSize <= len; ++i) {
        // The sync is 00 00 00 07: test its last byte before loading the rest.
        if (buf[i + 3] != 0x07 || buf[i] || buf[i + 1] || buf[i + 2]) continue;
        if (IsScanCandidate(LoadFrameHeader(buf + i), keyOnly, capacity)) return long(i);
    }
    return -1;
}

// ---------------------------------------------------------------- reader
int RecordFrameReader::Begin(record::IRecordFileSource* source, uint32_t length, const record::RecordFileHeader& header) {
    m_source = nullptr;
    try {
        m_buffer.assign(m_capacity + kScanWindow + kFrameHeaderSize, 0);
    } catch (...) {
        End();
        return kPlNoMemory;
    }
    m_source = source;
    m_header = header;
    m_length = length;
    m_pos = record::kRecordFileHeaderSize;
    m_frameNumber = 0;
    return kPlOk;
}

void RecordFrameReader::End() {
    m_source = nullptr;
    m_header = record::RecordFileHeader{};
    m_length = m_pos = m_frameNumber = 0;
    std::vector<uint8_t>().swap(m_buffer);
}

bool RecordFrameReader::SeekTo(uint32_t pos) {
    if (!m_source->Seek(pos)) return false;
    m_pos = pos;
    return true;
}

long RecordFrameReader::ReadAt(uint8_t* p, uint32_t n) {
    long got = m_source->Read(p, n);
    if (got < 0) return -1;
    m_pos += uint32_t(got);
    return got;
}

void RecordFrameReader::SkipAfterError() {
    uint32_t to = m_pos + kReadErrorSkip;
    if (to < m_pos || to > m_length) to = m_length;
    SeekTo(to);
}

// Scans from the read position for a frame header. The windows overlap by
// 16 bytes so a header across two windows is found; the last, short window
// is scanned as well before the end of the file is declared.
int RecordFrameReader::Scan(bool keyOnly) {
    uint8_t* buf = m_buffer.data();
    uint32_t kept = 0;        // bytes carried over from the last window
    uint32_t base = m_pos;    // file offset of buf[0]
    for (;;) {
        long got = ReadAt(buf + kept, kScanWindow);
        if (got < 0) {
            SkipAfterError();
            return kError;
        }
        const uint32_t n = kept + uint32_t(got);
        long at = FindFrameHeader(buf, n, keyOnly, m_capacity);
        if (at >= 0) {
            const uint32_t off = base + uint32_t(at);
            m_frameNumber = LoadFrameHeader(buf + at).frameNumber;
            if (!SeekTo(off)) return kError;
            return kFound;
        }
        if (uint32_t(got) < kScanWindow || m_pos >= m_length) {
            SeekTo(m_length);
            m_frameNumber = m_header.frameCount;
            return kNotFound;
        }
        kept = n < kFrameHeaderSize ? n : kFrameHeaderSize;
        std::memmove(buf, buf + n - kept, kept);
        base = m_pos - kept;
    }
}

int RecordFrameReader::Next(PlayerFrameHeader* out) {
    if (!IsStarted()) return kPlNotOpen;
    if (m_pos >= m_length) return kPlEndOfFile;
    uint8_t raw[kFrameHeaderSize];
    const uint32_t at = m_pos;
    long got = ReadAt(raw, kFrameHeaderSize);
    if (got < 0) {
        SkipAfterError();
        return kPlReadError;
    }
    if (got < long(kFrameHeaderSize)) return kPlEndOfFile;
    PlayerFrameHeader h = LoadFrameHeader(raw);
    if (h.sync != kFrameSync || h.videoLength() + h.audioLength() > m_capacity) {
        // The next header may begin inside the 16 bytes just rejected: scan
        // from the byte after the rejected header's first.
        if (!SeekTo(at + 1)) return kPlReadError;
        int s = Scan(false);
        if (s == kError) return kPlReadError;
        if (s == kNotFound) return kPlEndOfFile;
        got = ReadAt(raw, kFrameHeaderSize);
        if (got < 0) {
            SkipAfterError();
            return kPlReadError;
        }
        if (got < long(kFrameHeaderSize)) return kPlEndOfFile;
        h = LoadFrameHeader(raw);
    }
    const uint32_t payload = h.videoLength() + h.audioLength();
    got = payload ? ReadAt(m_buffer.data(), payload) : 0;
    if (got < 0) {
        SkipAfterError();
        return kPlReadError;
    }
    m_frameNumber = h.frameNumber;
    if (uint32_t(got) < payload) return kPlEndOfFile;
    if (out) *out = h;
    return kPlOk;
}

int RecordFrameReader::Seek(int perMille) {
    if (perMille < 0 || perMille > 1000) return kPlBadArg;
    if (!IsStarted()) return kPlNotOpen;
    if (perMille == 1000) {
        SeekTo(m_length);
        m_frameNumber = m_header.frameCount;
        return kPlOk;
    }
    if (!SeekTo(SeekOffset(perMille, m_length))) return kPlReadError;
    Scan(true);
    return kPlOk;
}

// ---------------------------------------------------------------- stream ring

StreamRing::StreamRing() : m_ring(kStreamRingSize) {}

uint32_t StreamRing::FreeRoom() const {
    const uint32_t r = m_read, w = m_write;
    if (r == w) return kStreamRingSize;
    return kStreamRingSize - ((w - r) & (kStreamRingSize - 1));
}

int StreamRing::Add(const uint8_t* data, uint32_t length) {
    if (!data || !length) return kPlBadArg;
    // The stream thread takes frames of at most kMaxStreamFrame bytes; a
    // longer one is refused here rather than accepted and choked on later.
    if (length > kMaxStreamFrame) return kPlBadArg;
    if (m_dropping) {
        if (!record::IsKeyFrameUnit(data, length)) return kPlOk;
        m_dropping = false;
    }
    if (length >= FreeRoom()) {
        m_dropping = true;
        return kPlRingFull;
    }
    const uint32_t w = m_write;
    const uint32_t first = std::min(length, kStreamRingSize - w);
    std::memcpy(&m_ring[w], data, first);
    if (first < length) std::memcpy(&m_ring[0], data + first, length - first);
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_lengths.push_back(length);
        m_write = (w + length) & (kStreamRingSize - 1);
    }
    return kPlOk;
}

bool StreamRing::Peek(const uint8_t** p1, uint32_t* n1, const uint8_t** p2, uint32_t* n2) const {
    uint32_t length;
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_lengths.empty()) return false;
        length = m_lengths.front();
    }
    const uint32_t r = m_read;
    const uint32_t first = std::min(length, kStreamRingSize - r);
    *p1 = &m_ring[r];
    *n1 = first;
    *p2 = first < length ? &m_ring[0] : nullptr;
    *n2 = length - first;
    return true;
}

size_t StreamRing::Pop() {
    std::lock_guard<std::mutex> g(m_lock);
    if (m_lengths.empty()) return 0;
    m_read = (m_read + m_lengths.front()) & (kStreamRingSize - 1);
    m_lengths.pop_front();
    return m_lengths.size();
}

size_t StreamRing::Waiting() const {
    std::lock_guard<std::mutex> g(m_lock);
    return m_lengths.size();
}

void StreamRing::Reset() {
    std::lock_guard<std::mutex> g(m_lock);
    m_lengths.clear();
    m_read = m_write = 0;
    m_dropping = false;
}

// ---------------------------------------------------------------- voice

uint32_t VoiceFrameSize(const uint8_t* data, uint32_t length) {
    if (!data || length < 4) return 0;
    return 4 + 2 * (uint32_t(data[2]) | uint32_t(data[3]) << 8);
}

int VoiceTypeOfSize(uint32_t size) { return size == 24 ? 4 : size == 44 ? 6 : 0; }

CFrameRingBuffer::CFrameRingBuffer(uint32_t size) : m_buf(size & ~3u) {}

void CFrameRingBuffer::Reset() { m_read = m_write = 0; }

void CFrameRingBuffer::CopyIn(uint32_t at, const uint8_t* p, uint32_t n) {
    const uint32_t size = uint32_t(m_buf.size());
    for (uint32_t i = 0; i < n; ++i) m_buf[(at + i) % size] = p ? p[i] : 0;
}

void CFrameRingBuffer::CopyOut(uint32_t at, uint8_t* p, uint32_t n) const {
    const uint32_t size = uint32_t(m_buf.size());
    for (uint32_t i = 0; i < n; ++i) p[i] = m_buf[(at + i) % size];
}

uint32_t CFrameRingBuffer::Write(const uint8_t* data, uint32_t length) {
    ++writes;
    if (m_buf.empty()) return kNoSize;
    if (!length) {
        ++emptyWrites;
        return kZeroLength;
    }
    const uint32_t padded = (length + 3) & ~3u;
    if (uint64_t(Used()) + 4 + padded > m_buf.size()) return kNoRoom;
    uint8_t len[4];
    Put32(len, length);
    CopyIn(m_write, len, 4);
    CopyIn(m_write + 4, data, length);
    m_write += 4 + padded;
    bytesWritten += length;
    return kOk;
}

uint32_t CFrameRingBuffer::Read(uint8_t* out, uint32_t room, uint32_t* length) {
    ++reads;
    if (m_buf.empty()) return kNoSize;
    if (Used() < 4) {
        ++readFailures;
        return kEmpty;
    }
    uint8_t len[4];
    CopyOut(m_read, len, 4);
    const uint32_t n = Le32(len);
    CopyOut(m_read + 4, out, std::min(n, room));
    m_read += 4 + ((n + 3) & ~3u);
    bytesRead += n;
    if (length) *length = std::min(n, room);
    return kOk;
}

// ---------------------------------------------------------------- pictures

namespace {
inline int Term(int x, int c) {
    int t = ((x << 3) * c) >> 16;
    return std::max(-32768, std::min(32767, t));
}
inline uint8_t Clamp255(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }
}  // namespace

void YuvToRgb(int y, int u, int v, uint8_t* r, uint8_t* g, uint8_t* b) {
    const int yt = Term(y - 16, 9576);
    const int uc = u - 128, vc = v - 128;
    *r = Clamp255(yt + Term(vc, 13123));
    *g = Clamp255(yt + Term(uc, -3218) + Term(vc, -6686));
    *b = Clamp255(yt + Term(uc, 16591));
}

void Yuv420ToRgb32(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride, int width,
                   int height, uint8_t* dst, int pitch) {
    for (int row = 0; row < height; ++row) {
        const uint8_t* ys = y + ptrdiff_t(row) * yStride;
        const uint8_t* us = u + ptrdiff_t(row / 2) * cStride;
        const uint8_t* vs = v + ptrdiff_t(row / 2) * cStride;
        uint8_t* d = dst + ptrdiff_t(row) * pitch;
        for (int x = 0; x < width; ++x) {
            uint8_t r, g, b;
            YuvToRgb(ys[x], us[x / 2], vs[x / 2], &r, &g, &b);
            d[4 * x] = b;
            d[4 * x + 1] = g;
            d[4 * x + 2] = r;
            d[4 * x + 3] = 0;
        }
    }
}

std::vector<uint8_t> MakeBmp(const uint8_t* y, int yStride, const uint8_t* u, const uint8_t* v, int cStride,
                             int width, int height) {
    const uint32_t image = uint32_t(width) * uint32_t(height) * 3;
    std::vector<uint8_t> f(54 + image);
    f[0] = 'B';
    f[1] = 'M';
    Put32(&f[2], 54 + image);
    Put32(&f[10], 54);
    Put32(&f[14], 40);
    Put32(&f[18], uint32_t(width));
    Put32(&f[22], uint32_t(height));
    Put16(&f[26], 1);
    Put16(&f[28], 24);
    Put32(&f[34], image);
    uint8_t* px = &f[54];
    for (int row = 0; row < height; ++row) {
        const int src = height - 1 - row;  // bottom row first
        const uint8_t* ys = y + ptrdiff_t(src) * yStride;
        const uint8_t* us = u + ptrdiff_t(src / 2) * cStride;
        const uint8_t* vs = v + ptrdiff_t(src / 2) * cStride;
        uint8_t* d = px + size_t(row) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            uint8_t r, g, b;
            YuvToRgb(ys[x], us[x / 2], vs[x / 2], &r, &g, &b);
            d[3 * x] = b;
            d[3 * x + 1] = g;
            d[3 * x + 2] = r;
        }
    }
    return f;
}

}  // namespace quillon
