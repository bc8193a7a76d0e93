#include "RecordFileReader.h"

#include <cstring>
#include <new>

namespace record {

CRecordFileReader::CRecordFileReader(Opener open) : open_(std::move(open)) {
    if (!open_)
        open_ = OpenRecordFileSource;
}

int CRecordFileReader::Open(const std::string& path) {
    Close();
    std::unique_ptr<IRecordFileSource> f = open_(path);
    if (!f)
        return kReadCannotOpen;
    const uint32_t length = ClampFileLength(f->Length());
    if (length < kShortestPlayableFile)
        return kReadTooShort;
    uint8_t raw[kRecordFileHeaderSize];
    if (!f->Seek(0) || f->Read(raw, sizeof raw) != long(sizeof raw))
        return kReadHeaderError;
    RecordFileHeader h = LoadRecordFileHeader(raw);
    if (CheckRecordFileHeader(h) != kReadOk)
        return kReadBadHeader;
    buffer_.reset(new (std::nothrow) uint8_t[kRecordFrameCapacity]);
    if (!buffer_)
        return kReadCannotOpen;
    file_ = std::move(f);
    header_ = h;
    length_ = length;
    position_ = kRecordFileHeaderSize;
    frameNumber_ = 0;
    return kReadOk;
}

void CRecordFileReader::Close() {
    file_.reset();
    buffer_.reset();
    header_ = RecordFileHeader{};
    length_ = 0;
    position_ = 0;
    frameNumber_ = 0;
}

void CRecordFileReader::SetPlace(uint32_t pos) {
    file_->Seek(pos);
    position_ = pos;
}

void CRecordFileReader::ToEnd() {
    SetPlace(length_);
    frameNumber_ = header_.frameCount;
}

void CRecordFileReader::SkipAfterError() {
    uint64_t to = uint64_t(Position()) + kReadErrorSkip;
    SetPlace(to > length_ ? length_ : uint32_t(to));
}

bool CRecordFileReader::ReadFrame(RecordFrameHeader* out) {
    if (!IsOpen() || AtEnd())
        return false;
    const uint32_t at = Position();
    uint8_t raw[kRecordFrameHeaderSize];
    long got = file_->Read(raw, sizeof raw);
    if (got < 0) {
        SkipAfterError();
        return false;
    }
    position_ = at + uint32_t(got);
    if (got < long(sizeof raw))
        return false;
    RecordFrameHeader h = LoadRecordFrameHeader(raw);
    if (!IsValidRecordFrameHeader(h)) {
        // The next header may begin inside the 24 bytes just rejected.
        Resync(at + 1);
        return false;
    }
    const uint32_t payload = h.videoLength + h.audioLength;
    if (payload == 0)
        return false;
    got = file_->Read(buffer_.get(), payload);
    if (got < 0) {
        SkipAfterError();
        return false;
    }
    position_ = Position() + uint32_t(got);
    frameNumber_ = h.frameNumber;
    if (uint32_t(got) < payload)
        return false;
    if (out)
        *out = h;
    return true;
}

bool CRecordFileReader::Resync(uint32_t from) {
    uint8_t* buf = buffer_.get();
    uint32_t carried = 0;  // bytes kept at the front from the window before
    uint32_t p = from;     // file offset of the next read
    for (;;) {
        if (p >= length_) {
            ToEnd();
            return false;
        }
        if (!file_->Seek(p)) {
            ToEnd();
            return false;
        }
        long got = file_->Read(buf + carried, kResyncWindow);
        if (got < 0) {
            position_ = p;
            SkipAfterError();
            return false;
        }
        const uint32_t n = carried + uint32_t(got);
        long hit = FindRecordFrameHeader(buf, n);
        if (hit >= 0) {
            const uint32_t offset = p - carried + uint32_t(hit);
            frameNumber_ = LoadRecordFrameHeader(buf + hit).frameNumber;
            SetPlace(offset);
            return true;
        }
        if (uint32_t(got) < kResyncWindow) {
            ToEnd();
            return false;
        }
        const uint32_t keep = n < kRecordFrameHeaderSize ? n : kRecordFrameHeaderSize;
        std::memmove(buf, buf + n - keep, keep);
        carried = keep;
        p += uint32_t(got);
    }
}

bool CRecordFileReader::SetPosition(int perMille) {
    if (perMille < 0 || perMille > 1000)
        return false;
    if (!IsOpen())
        return true;
    if (perMille == 1000) {
        ToEnd();
        return true;
    }
    Resync(SeekOffset(perMille, length_));
    return true;
}

void CRecordFileReader::Rewind() {
    if (IsOpen())
        SetPlace(kRecordFileHeaderSize);
}

}  // namespace record
