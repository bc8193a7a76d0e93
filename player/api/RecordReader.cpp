// Record-file reader: frames with the player's 16-byte headers, and the
// resynchronising scan over damaged stretches.
#include <cstring>

#include "player_win.h"

namespace quillon {

int CRecordReader::Open(const char* path, PlayerFileInfo* info) {
    Close();
    HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return kPlCannotOpen;
    DWORD high = 0;
    DWORD low = GetFileSize(f, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        CloseHandle(f);
        return kPlReadError;
    }
    const uint32_t length = record::ClampFileLength(uint64_t(high) << 32 | low);
    if (length < kShortestFile) {
        CloseHandle(f);
        return kPlTooShort;
    }
    uint8_t raw[record::kRecordFileHeaderSize];
    DWORD got = 0;
    if (!ReadFile(f, raw, sizeof raw, &got, nullptr) || got != sizeof raw) {
        CloseHandle(f);
        return kPlReadError;
    }
    record::RecordFileHeader h = record::LoadRecordFileHeader(raw);
    if (record::CheckRecordFileHeader(h) != kPlOk) {
        CloseHandle(f);
        return kPlBadHeader;
    }
    try {
        m_buffer.assign(m_capacity + kScanWindow + kFrameHeaderSize, 0);
    } catch (...) {
        CloseHandle(f);
        return kPlNoMemory;
    }
    m_file = f;
    m_header = h;
    m_length = length;
    m_pos = record::kRecordFileHeaderSize;
    m_frameNumber = 0;
    if (info) *info = record::MakePlayerFileInfo(h);
    return kPlOk;
}

void CRecordReader::Close() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    m_header = record::RecordFileHeader{};
    m_length = m_pos = m_frameNumber = 0;
    std::vector<uint8_t>().swap(m_buffer);
}

bool CRecordReader::SeekTo(uint32_t pos) {
    LONG high = 0;
    if (SetFilePointer(m_file, LONG(pos), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    m_pos = pos;
    return true;
}

long CRecordReader::ReadAt(uint8_t* p, uint32_t n) {
    DWORD got = 0;
    if (!ReadFile(m_file, p, n, &got, nullptr)) return -1;
    m_pos += got;
    return long(got);
}

void CRecordReader::SkipAfterError() {
    uint32_t to = m_pos + kReadErrorSkip;
    if (to < m_pos || to > m_length) to = m_length;
    SeekTo(to);
}

// Scans from the read position for a frame header. The windows overlap by
// 16 bytes so a header across two windows is found; the last, short window
// is scanned as well before the end of the file is declared.
int CRecordReader::Scan(bool keyOnly) {
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

int CRecordReader::Next(PlayerFrameHeader* out) {
    if (!IsOpen()) return kPlNotOpen;
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

int CRecordReader::Seek(int perMille) {
    if (perMille < 0 || perMille > 1000) return kPlBadArg;
    if (!IsOpen()) return kPlNotOpen;
    if (perMille == 1000) {
        SeekTo(m_length);
        m_frameNumber = m_header.frameCount;
        return kPlOk;
    }
    if (!SeekTo(SeekOffset(perMille, m_length))) return kPlReadError;
    Scan(true);
    return kPlOk;
}

}  // namespace quillon
