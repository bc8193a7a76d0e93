// libFuzzer target over the client's record-file reading rules: the input is
// a whole record file, walked as a reader does. A frame is taken where its
// header is valid and the frame fits the file; elsewhere the walk scans for
// the next plausible header. Inputs shorter than a file header are units
// for the key check and names for the date folder check.
//
// Properties: the file header reads back to the same bytes; a taken frame's
// size is its header, video and audio and fits the frame capacity; the key
// check never reads past the unit; the walk always moves forward.
#include <cstring>
#include <string>

#include "RecordFormat.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace record;
    if (size < kRecordFileHeaderSize) {
        fuzz::Exact unit(data, size);
        record::IsKeyFrameUnit(unit.data(), unit.size());
        // The record disks' date folder names.
        std::string name(reinterpret_cast<const char*>(data), size);
        if (IsDateFolderName(name)) {
            for (char c : name)
                if (c < '0' || c > '9') fuzz::Fail("date folder name");
            const int month = std::stoi(name.substr(4, 2)), day = std::stoi(name.substr(6, 2));
            if (name.size() != 8 || month < 1 || month > 12 || day < 1 || day > 31) fuzz::Fail("date");
        }
        return 0;
    }
    {
        fuzz::Exact raw(data, kRecordFileHeaderSize);
        RecordFileHeader h = LoadRecordFileHeader(raw.data());
        uint8_t back[kRecordFileHeaderSize];
        StoreRecordFileHeader(h, back);
        if (std::memcmp(back, data, kRecordFileHeaderSize)) fuzz::Fail("file header round trip");
        IsAcceptedRecordFileHeader(h);
    }
    size_t pos = kRecordFileHeaderSize;
    int frames = 0;
    while (pos + kRecordFrameHeaderSize <= size && frames < 10000) {
        fuzz::Exact raw(data + pos, kRecordFrameHeaderSize);
        RecordFrameHeader h = LoadRecordFrameHeader(raw.data());
        uint8_t back[kRecordFrameHeaderSize];
        StoreRecordFrameHeader(h, back);
        if (std::memcmp(back, data + pos, kRecordFrameHeaderSize)) fuzz::Fail("frame header round trip");
        const uint32_t frameSize = IsValidRecordFrameHeader(h) ? RecordFrameSize(h) : 0;
        if (frameSize) {
            if (uint64_t(frameSize) != uint64_t(kRecordFrameHeaderSize) + h.videoLength + h.audioLength ||
                frameSize > kRecordFrameCapacity)
                fuzz::Fail("frame size", long(frameSize));
            if (!IsPlausibleRecordFrameHeader(h) && h.videoLength < kMaxRecordVideoLength &&
                h.audioLength < kMaxRecordAudioLength)
                fuzz::Fail("a valid header is not plausible");
        }
        if (frameSize && frameSize <= size - pos) {
            fuzz::Exact video(data + pos + kRecordFrameHeaderSize, h.videoLength);
            IsKeyFrameUnit(video.data(), video.size());
            pos += frameSize;
            ++frames;
            continue;
        }
        // Resynchronise: the next plausible header after this position.
        size_t next = pos + 1;
        while (next + kRecordFrameHeaderSize <= size &&
               !IsPlausibleRecordFrameHeader(LoadRecordFrameHeader(data + next)))
            ++next;
        if (next <= pos) fuzz::Fail("scan went back");
        pos = next;
    }
    return 0;
}
