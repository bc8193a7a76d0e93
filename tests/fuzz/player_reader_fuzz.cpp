// libFuzzer target over the player library's reading of record files: the
// file-header check and the frame reader with its resynchronising scan,
// over a file in memory, with seeks now and then.
//
// Input: the caller's buffer (bits 0-1: a reader slot's, a file channel's,
// or a small one), how often to seek and where, then the file.
//
// Properties: a frame header is only taken with the sync and a payload that
// fits the caller's buffer; the payload handed out is the file's bytes
// behind that header; reading never goes back and always ends; nothing is
// read past the file.
#include <cstring>
#include <memory>

#include "fuzz_input.h"
#include "player_core.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One reader per buffer size for the whole run: starting a reader sizes
    // its buffer, which is then only reused.
    static RecordFrameReader* readers[3] = {new RecordFrameReader(kReaderBufferSize),
                                            new RecordFrameReader(kChannelBufferSize), nullptr};
    fuzz::Input in(data, size);
    const uint8_t options = in.Byte();
    const uint8_t seekEvery = in.Byte();
    const uint8_t seekTo = in.Byte();
    if (in.Left() < record::kRecordFileHeaderSize) return 0;
    fuzz::Exact file(in.Rest(), in.Left());
    const uint32_t length = uint32_t(file.size());

    record::RecordFileHeader header = record::LoadRecordFileHeader(file.data());
    if (record::CheckRecordFileHeader(header) == kPlOk) {
        PlayerFileInfo info = record::MakePlayerFileInfo(header);
        if (info.frameRate < 1 || info.frameRate > 30) fuzz::Fail("file info");
    }

    uint32_t capacity;
    std::unique_ptr<RecordFrameReader> small;
    RecordFrameReader* reader;
    if ((options & 3) < 2) {
        reader = readers[options & 1];
        capacity = (options & 1) ? kChannelBufferSize : kReaderBufferSize;
    } else {
        capacity = 64 + 16 * uint32_t(options >> 2);
        small.reset(new RecordFrameReader(capacity));
        reader = small.get();
    }
    fuzz::MemorySource source(file.data(), length);
    source.Seek(record::kRecordFileHeaderSize);  // as after reading the file header
    if (reader->Begin(&source, length, header) != kPlOk) fuzz::Fail("begin");

    uint32_t last = reader->Position();
    int seeks = 0;
    for (int calls = 1; calls < 4000; ++calls) {
        if (seekEvery && seeks < 4 && calls % (seekEvery & 15 ? seekEvery & 15 : 16) == 0) {
            ++seeks;
            const int perMille = seekTo * 1000 / 255;
            reader->Seek(perMille);
            if (reader->Position() > length) fuzz::Fail("seek past the end", long(reader->Position()));
            last = reader->Position();
            continue;
        }
        const uint32_t before = reader->Position();
        PlayerFrameHeader h;
        int rc = reader->Next(&h);
        if (rc == kPlEndOfFile) {
            if (reader->Position() < before) fuzz::Fail("went back at the end");
            break;
        }
        if (rc != kPlOk) fuzz::Fail("result", rc);
        const uint32_t payload = h.videoLength() + h.audioLength();
        if (h.sync != kFrameSync || payload > capacity) fuzz::Fail("header taken", long(payload), long(capacity));
        const uint32_t end = reader->Position();
        if (end <= before || end < last || end > length) fuzz::Fail("position", long(end), long(before));
        if (end - payload < before + kFrameHeaderSize) fuzz::Fail("frame before the read position");
        PlayerFrameHeader again = LoadFrameHeader(file.data() + end - payload - kFrameHeaderSize);
        if (again.sync != h.sync || again.info != h.info || again.frameNumber != h.frameNumber)
            fuzz::Fail("header is not the file's");
        if (payload && std::memcmp(reader->Buffer(), file.data() + end - payload, payload))
            fuzz::Fail("payload is not the file's");
        last = end;
    }
    reader->End();
    return 0;
}
