#include "RecordReading.h"

#include <cstring>

namespace record {

int CheckRecordFileHeader(const RecordFileHeader& h) {
    return IsAcceptedRecordFileHeader(h) ? kReadOk : kReadBadHeader;
}

PlayerFileInfo MakePlayerFileInfo(const RecordFileHeader& h) {
    PlayerFileInfo info{};
    info.valid = 1;
    info.videoStandard = h.videoStandard;
    info.frameRate = h.frameRate;
    info.videoCodec = h.videoCodec;
    info.hasAudio = h.hasAudio;
    info.reserved0 = h.reserved0;
    info.reserved1 = h.reserved1;
    info.audioBlockLength = h.audioBlockLength;
    info.durationSeconds = uint16_t(h.frameRate ? h.frameCount / h.frameRate : 0);
    return info;
}

uint32_t ClampFileLength(uint64_t length) {
    return length > 0xFFFFFFFFull ? 0xFFFFFFFFu : uint32_t(length);
}

int PerMille(uint32_t position, uint32_t fileLength) {
    const uint32_t unit = fileLength / 1000;
    if (!unit)
        return 0;
    const uint32_t p = position / unit;
    return int(p > 1000 ? 1000 : p);  // the rounded unit never reports more than the whole
}

uint32_t SeekOffset(int p, uint32_t fileLength) {
    if (p <= 0)
        return kRecordFileHeaderSize;
    if (p >= 1000)
        return fileLength;
    return uint32_t(p) * (fileLength / 1000);
}

int SpeedInterval(int frameRate, int level) {
    if (frameRate <= 0)
        return 0;
    const int base = 1000 / frameRate;
    switch (level) {
    case 1: return base / 2;
    case 2: return base / 4;
    case -1: return base * 2;
    case -2: return base * 4;
    default: return base;
    }
}

long FindRecordFrameHeader(const uint8_t* buf, size_t len) {
    if (!buf || len < kRecordFrameHeaderSize)
        return -1;
    for (size_t i = 0; i + kRecordFrameHeaderSize <= len; ++i) {
        // The sync is 00 00 00 07: test its last byte before loading the rest.
        if (buf[i + 3] != 0x07 || buf[i] || buf[i + 1] || buf[i + 2])
            continue;
        if (IsPlausibleRecordFrameHeader(LoadRecordFrameHeader(buf + i)))
            return long(i);
    }
    return -1;
}

}  // namespace record
