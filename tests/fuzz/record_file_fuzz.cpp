// libFuzzer target over the client's record-file reading rules: the input is
// a whole record file, walked by the rules alone (a frame is taken where its
// header is valid and the frame fits the file; elsewhere the walk scans for
// the next plausible header) and read by the playback engine's reader, with
// its resynchronising scan and seeks (a file shorter than the shortest
// playable one is filled up with zeros). Inputs shorter than a file header
// are units for the key check and names for the date folder check.
//
// Properties: the file header reads back to the same bytes; a taken frame's
// size is its header, video and audio and fits the frame capacity; the key
// check never reads past the unit; a frame the reader hands out has a valid
// header and is the file's bytes at the place it read; the walk and the
// reader always move forward and end.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "RecordFileReader.h"
#include "RecordFormat.h"
#include "RecordReading.h"
#include "fuzz_input.h"

namespace {

// Reads frames until the end (or a bound), checking each against the file.
void ReadFrames(record::CRecordFileReader& reader, const uint8_t* file, size_t size, int most) {
    using namespace record;
    for (int i = 0; i < most && !reader.AtEnd(); ++i) {
        const uint32_t before = reader.Position();
        RecordFrameHeader h;
        const bool got = reader.ReadFrame(&h);
        const uint32_t after = reader.Position();
        if (after <= before || after > size) fuzz::Fail("reader position", long(after), long(before));
        if (!got) continue;
        const uint32_t payload = h.videoLength + h.audioLength;
        if (!IsValidRecordFrameHeader(h) || payload == 0 || payload > kRecordFrameCapacity)
            fuzz::Fail("frame header handed out");
        if (after < uint64_t(before) + kRecordFrameHeaderSize + payload) fuzz::Fail("frame before the place read");
        const size_t at = after - payload - kRecordFrameHeaderSize;
        uint8_t raw[kRecordFrameHeaderSize];
        StoreRecordFrameHeader(h, raw);
        if (std::memcmp(raw, file + at, sizeof raw) ||
            std::memcmp(reader.Buffer(), file + at + kRecordFrameHeaderSize, payload))
            fuzz::Fail("frame is not the file's");
    }
}

}  // namespace

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

    // The playback engine's reader over the same bytes, when it would open
    // them (its open check is the file-header check, tested above).
    if (CheckRecordFileHeader(LoadRecordFileHeader(data)) != kReadOk) return 0;
    std::vector<uint8_t> file(data, data + size);
    if (file.size() < kShortestPlayableFile) file.resize(kShortestPlayableFile, 0);
    CRecordFileReader reader([&file](const std::string&) {
        return std::unique_ptr<IRecordFileSource>(new fuzz::MemorySource(file.data(), file.size()));
    });
    const int rc = reader.Open("memory");
    if (rc != kReadOk) fuzz::Fail("open", rc);
    ReadFrames(reader, file.data(), file.size(), 20000);
    // Seeks: each followed by a few frames.
    const int places[] = {1, 500, 999, 0, 1000, 250};
    for (int p : places) {
        if (!reader.SetPosition(p)) fuzz::Fail("seek refused", p);
        if (reader.Position() > file.size()) fuzz::Fail("seek past the end", p);
        ReadFrames(reader, file.data(), file.size(), 4);
    }
    reader.Rewind();
    ReadFrames(reader, file.data(), file.size(), 4);
    return 0;
}
