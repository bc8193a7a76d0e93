// The client's record file format: a 32-byte file header followed by record
// frames, each a 24-byte frame header, one H.264 access unit and the audio
// that arrived with it. Also the folder tree and file names of recordings.
//
// Portable: no Windows headers, so the format code also builds natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "path_rules.h"

namespace record {

// ---------------------------------------------------------------- limits
constexpr uint32_t kRecordFileHeaderSize = 32;
constexpr uint32_t kRecordFrameHeaderSize = 24;
constexpr uint32_t kRecordFrameSync = 0x07000000;      // bytes 00 00 00 07
constexpr uint32_t kMaxRecordVideoLength = 0x1E0000;   // readers call longer video damaged
constexpr uint32_t kMaxRecordAudioLength = 0x20000;    // audio gathered between two video frames
constexpr uint32_t kRecordFrameCapacity = 2097152;     // one frame under construction, header included
constexpr uint32_t kShortestPlayableFile = 16384;
constexpr uint16_t kAudioBlockLength = 320;

enum RecordAudioFormat : uint8_t { kAudioNone = 0, kAudioPcma = 1, kAudioPcmu = 2 };
enum RecordType { kRecordNormal = 1, kRecordAlarm = 2 };

#pragma pack(push, 1)
struct RecordFileHeader {
    char magic[4];            // "RIMF"
    uint8_t videoStandard;    // 0 PAL, 1 NTSC
    uint8_t frameRate;        // always 25
    uint8_t videoCodec;       // 1 = H.264
    uint8_t hasAudio;         // always 1
    uint16_t reserved0;
    uint16_t reserved1;
    uint16_t audioBlockLength;  // 320
    uint32_t frameCount;      // written back when the recording ends
    uint32_t recordSeconds;   // written back when the recording ends
    uint8_t reserved[10];
};

struct RecordFrameHeader {
    uint32_t sync;            // kRecordFrameSync
    uint32_t keyFrame;        // 0 or 1
    uint32_t videoLength;
    uint32_t audioLength;
    uint32_t frameNumber;     // 1 for the first frame of a file
    uint8_t audioFormat;      // RecordAudioFormat
    uint8_t reserved[3];
};
#pragma pack(pop)

static_assert(sizeof(RecordFileHeader) == kRecordFileHeaderSize, "file header is 32 packed bytes");
static_assert(sizeof(RecordFrameHeader) == kRecordFrameHeaderSize, "frame header is 24 packed bytes");

// The header written when a file is created: frameCount and recordSeconds 0.
RecordFileHeader MakeRecordFileHeader(bool ntsc);

// Little-endian byte images of the headers, independent of the host.
void StoreRecordFileHeader(const RecordFileHeader& h, uint8_t out[kRecordFileHeaderSize]);
RecordFileHeader LoadRecordFileHeader(const uint8_t in[kRecordFileHeaderSize]);
void StoreRecordFrameHeader(const RecordFrameHeader& h, uint8_t out[kRecordFrameHeaderSize]);
RecordFrameHeader LoadRecordFrameHeader(const uint8_t in[kRecordFrameHeaderSize]);

// The reading rules every reader of record files follows.
bool IsAcceptedRecordFileHeader(const RecordFileHeader& h);
bool IsValidRecordFrameHeader(const RecordFrameHeader& h);      // after a known position
bool IsPlausibleRecordFrameHeader(const RecordFrameHeader& h);  // while scanning for a resync point

// Whole size of a record frame (header, video and audio); 0 when the lengths
// are beyond what any record frame can hold.
uint32_t RecordFrameSize(const RecordFrameHeader& h);

// TRUE when the access unit begins with a sequence parameter set: the first
// NAL unit after a 3- or 4-byte start code, or the one after a leading access
// unit delimiter. Never reads past len.
bool IsKeyFrameUnit(const uint8_t* data, size_t len);

// ---------------------------------------------------------------- naming
struct LocalTime {
    int year, month, day, hour, minute, second;
};

constexpr const char* kRecordFolderName = "TQX RecordData";
using shell::kPictureFolderName;   // "TQX PictureData"
constexpr const char* kRecordFileExtension = "264";

using shell::SafePathComponent;

std::string RecordFolderPath(const std::string& root);    // "C:\TQX RecordData"
std::string DateFolderPath(const std::string& recordFolder, const LocalTime& t);
std::string DeviceFolderPath(const std::string& dateFolder, const std::string& address);
std::string ChannelFolderPath(const std::string& deviceFolder, int channelIndex);
// copy 0 is the plain name; copy n > 0 adds "(n+1)" before the extension, for
// a name that is already taken.
std::string RecordFileName(const std::string& channelFolder, int channelIndex, int recordType,
                           const LocalTime& t, const std::string& channelName, int copy = 0);

// The channel name of a channel the device has no block for: "Channel-3".
std::string DefaultChannelName(const std::string& translatedChannel, int channelIndex);

// TRUE for a date folder name as the recorder makes them: yyyymmdd.
bool IsDateFolderName(const std::string& name);

}  // namespace record
