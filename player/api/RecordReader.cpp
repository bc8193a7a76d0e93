// Record-file reader: the file under the player's reading rules
// (RecordFrameReader).
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
    m_source.file = f;
    m_source.length = length;
    int rc = m_frames.Begin(&m_source, length, h);
    if (rc != kPlOk) {
        Close();
        return rc;
    }
    if (info) *info = record::MakePlayerFileInfo(h);
    return kPlOk;
}

void CRecordReader::Close() {
    if (m_source.file != INVALID_HANDLE_VALUE) CloseHandle(m_source.file);
    m_source.file = INVALID_HANDLE_VALUE;
    m_source.length = 0;
    m_frames.End();
}

bool CRecordReader::FileSource::Seek(uint64_t pos) {
    LONG high = 0;
    return SetFilePointer(file, LONG(pos), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
           GetLastError() == NO_ERROR;
}

long CRecordReader::FileSource::Read(uint8_t* p, uint32_t n) {
    DWORD got = 0;
    if (!ReadFile(file, p, n, &got, nullptr)) return -1;
    return long(got);
}

}  // namespace quillon
