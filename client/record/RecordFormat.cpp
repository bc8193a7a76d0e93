#include "RecordFormat.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace record {
namespace {

void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The NAL header position behind a start code (two or more zero bytes and a
// one) that begins at pos; false when there is none or nothing follows it.
bool NalBehindStartCode(const uint8_t* d, size_t len, size_t pos, size_t* nal) {
    size_t zeros = 0;
    while (pos < len && d[pos] == 0) {
        ++zeros;
        ++pos;
    }
    if (zeros < 2 || pos >= len || d[pos] != 1 || pos + 1 >= len)
        return false;
    *nal = pos + 1;
    return true;
}

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* fmt, ...) {
    char small[512];
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0)
        return std::string();
    if (size_t(n) < sizeof small)
        return std::string(small, size_t(n));
    std::string big(size_t(n) + 1, '\0');
    va_start(ap, fmt);
    vsnprintf(&big[0], big.size(), fmt, ap);
    va_end(ap);
    big.resize(size_t(n));
    return big;
}

}  // namespace

RecordFileHeader MakeRecordFileHeader(bool ntsc) {
    RecordFileHeader h;
    std::memset(&h, 0, sizeof h);
    std::memcpy(h.magic, "RIMF", 4);
    h.videoStandard = ntsc ? 1 : 0;
    h.frameRate = 25;
    h.videoCodec = 1;
    h.hasAudio = 1;
    h.audioBlockLength = kAudioBlockLength;
    return h;
}

void StoreRecordFileHeader(const RecordFileHeader& h, uint8_t out[kRecordFileHeaderSize]) {
    std::memcpy(out, h.magic, 4);
    out[4] = h.videoStandard;
    out[5] = h.frameRate;
    out[6] = h.videoCodec;
    out[7] = h.hasAudio;
    Put16(out + 8, h.reserved0);
    Put16(out + 10, h.reserved1);
    Put16(out + 12, h.audioBlockLength);
    Put32(out + 14, h.frameCount);
    Put32(out + 18, h.recordSeconds);
    std::memcpy(out + 22, h.reserved, 10);
}

RecordFileHeader LoadRecordFileHeader(const uint8_t in[kRecordFileHeaderSize]) {
    RecordFileHeader h;
    std::memcpy(h.magic, in, 4);
    h.videoStandard = in[4];
    h.frameRate = in[5];
    h.videoCodec = in[6];
    h.hasAudio = in[7];
    h.reserved0 = Get16(in + 8);
    h.reserved1 = Get16(in + 10);
    h.audioBlockLength = Get16(in + 12);
    h.frameCount = Get32(in + 14);
    h.recordSeconds = Get32(in + 18);
    std::memcpy(h.reserved, in + 22, 10);
    return h;
}

void StoreRecordFrameHeader(const RecordFrameHeader& h, uint8_t out[kRecordFrameHeaderSize]) {
    Put32(out, h.sync);
    Put32(out + 4, h.keyFrame);
    Put32(out + 8, h.videoLength);
    Put32(out + 12, h.audioLength);
    Put32(out + 16, h.frameNumber);
    out[20] = h.audioFormat;
    std::memcpy(out + 21, h.reserved, 3);
}

RecordFrameHeader LoadRecordFrameHeader(const uint8_t in[kRecordFrameHeaderSize]) {
    RecordFrameHeader h;
    h.sync = Get32(in);
    h.keyFrame = Get32(in + 4);
    h.videoLength = Get32(in + 8);
    h.audioLength = Get32(in + 12);
    h.frameNumber = Get32(in + 16);
    h.audioFormat = in[20];
    std::memcpy(h.reserved, in + 21, 3);
    return h;
}

bool IsAcceptedRecordFileHeader(const RecordFileHeader& h) {
    return std::memcmp(h.magic, "RIMF", 4) == 0 && h.videoStandard <= 1 && h.frameRate >= 1 &&
           h.frameRate <= 30 && h.videoCodec == 1;
}

bool IsValidRecordFrameHeader(const RecordFrameHeader& h) {
    return h.sync == kRecordFrameSync && h.videoLength <= kMaxRecordVideoLength &&
           h.audioLength <= kMaxRecordAudioLength;
}

bool IsPlausibleRecordFrameHeader(const RecordFrameHeader& h) {
    return h.sync == kRecordFrameSync && h.videoLength < kMaxRecordVideoLength &&
           h.audioLength < kMaxRecordAudioLength;
}

uint32_t RecordFrameSize(const RecordFrameHeader& h) {
    uint64_t size = uint64_t(kRecordFrameHeaderSize) + h.videoLength + h.audioLength;
    return size > kRecordFrameCapacity ? 0 : uint32_t(size);
}

bool IsKeyFrameUnit(const uint8_t* data, size_t len) {
    size_t nal;
    if (!data || !NalBehindStartCode(data, len, 0, &nal))
        return false;
    int type = data[nal] & 0x1F;
    if (type == 7)
        return true;
    if (type != 9)  // only an access unit delimiter may stand in front
        return false;
    for (size_t i = nal + 1; i + 2 < len; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
            return i + 3 < len && (data[i + 3] & 0x1F) == 7;
    }
    return false;
}

std::string RecordFolderPath(const std::string& root) {
    return root + kRecordFolderName;
}

std::string DateFolderPath(const std::string& recordFolder, const LocalTime& t) {
    return Format("%s\\%d%02d%02d", recordFolder.c_str(), t.year, t.month, t.day);
}

std::string DeviceFolderPath(const std::string& dateFolder, const std::string& address) {
    return dateFolder + "\\" + SafePathComponent(address);
}

std::string ChannelFolderPath(const std::string& deviceFolder, int channelIndex) {
    return Format("%s\\%02d", deviceFolder.c_str(), channelIndex + 1);
}

std::string RecordFileName(const std::string& channelFolder, int channelIndex, int recordType,
                           const LocalTime& t, const std::string& channelName, int copy) {
    std::string name = SafePathComponent(channelName);
    if (copy > 0)
        name += Format("(%d)", copy + 1);
    return Format("%s\\%02d-%d-%d%02d%02d-%02d%02d%02d-%s.%s", channelFolder.c_str(), channelIndex + 1,
                  recordType, t.year, t.month, t.day, t.hour, t.minute, t.second, name.c_str(),
                  kRecordFileExtension);
}

std::string DefaultChannelName(const std::string& translatedChannel, int channelIndex) {
    return Format("%s-%d", translatedChannel.c_str(), channelIndex);
}

bool IsDateFolderName(const std::string& name) {
    if (name.size() != 8)
        return false;
    for (char c : name)
        if (c < '0' || c > '9')
            return false;
    int month = (name[4] - '0') * 10 + (name[5] - '0');
    int day = (name[6] - '0') * 10 + (name[7] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace record
