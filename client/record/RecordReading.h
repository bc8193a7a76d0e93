// What every reader of record files shares: the result codes of opening a
// file, the file-header check, the summary handed to callers, positions in
// per mille of the file, seek offsets, the tick interval of each play speed
// and the scan for the next plausible frame header after damage.
//
// Portable: no Windows headers. The client's playback engine and the player
// library both read record files by these rules.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RecordFormat.h"

namespace record {

enum RecordReadResult : int {
    kReadOk = 0,
    kReadBadArg = -504,       // null path or pointer, no window, position outside 0..1000
    kReadBusy = -505,         // a file is already open
    kReadCannotOpen = -510,
    kReadHeaderError = -511,  // reading the header failed
    kReadTooShort = -512,     // shorter than kShortestPlayableFile
    kReadBadHeader = -513,
};

#pragma pack(push, 1)
// The 28-byte summary of a record file's header given to the opener.
struct PlayerFileInfo {
    int32_t valid;
    int32_t videoStandard;
    int32_t frameRate;
    int32_t videoCodec;
    int32_t hasAudio;
    uint16_t reserved0;
    uint16_t reserved1;
    uint16_t audioBlockLength;
    uint16_t durationSeconds;  // frameCount / frameRate, cut to 16 bits
};
#pragma pack(pop)
static_assert(sizeof(PlayerFileInfo) == 28, "PlayerFileInfo is 28 bytes");

// 0, or kReadBadHeader unless "RIMF", standard 0/1, rate 1..30 and codec 1.
int CheckRecordFileHeader(const RecordFileHeader& h);
PlayerFileInfo MakePlayerFileInfo(const RecordFileHeader& h);

// Readers address files by 32-bit offsets: longer files are read up to 4 GiB - 1.
uint32_t ClampFileLength(uint64_t length);

// Read position in per mille of the file length; 0 for a file shorter than
// 1000 bytes (or none), never more than 1000.
int PerMille(uint32_t position, uint32_t fileLength);
// Where a seek to per mille p (0..1000) starts: 32 for 0, the file length
// for 1000, else p units of fileLength / 1000.
uint32_t SeekOffset(int p, uint32_t fileLength);

constexpr int kSlowestSpeed = -2;
constexpr int kFastestSpeed = 2;
// Tick interval in ms of a file of frameRate at speed level -2..2:
// 1000 / frameRate times 4, 2, 1, 1/2 or 1/4 (integer divisions). 0 for a
// rate of 0.
int SpeedInterval(int frameRate, int level);

// The resync scan of the client's frames: windows of 32,768 bytes, each
// carrying the last 24 bytes of the one before.
constexpr uint32_t kResyncWindow = 32768;
constexpr uint32_t kReadErrorSkip = 131072;  // skipped after a file read error
// Offset of the first plausible frame header lying wholly inside
// buf[0..len), or -1.
long FindRecordFrameHeader(const uint8_t* buf, size_t len);

}  // namespace record
