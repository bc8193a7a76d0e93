// Record files made from the fixtures for the playback tests: a header,
// frames of the fixture clip's access units with audio from the tone, and a
// file in the temporary folder.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "RecordFormat.h"
#include "RecordReading.h"
#include "annexb.h"
#include "window_helpers.h"

namespace record {

inline std::string Data(const char* name) { return std::string(SELVANE_TEST_DATA) + "/" + name; }

inline std::vector<uint8_t> FileHeader(uint8_t rate = 25, uint32_t frameCount = 0, uint8_t standard = 0,
                                const char* magic = "RIMF") {
    RecordFileHeader h = MakeRecordFileHeader(standard != 0);
    std::memcpy(h.magic, magic, 4);
    h.videoStandard = standard;
    h.frameRate = rate;
    h.frameCount = frameCount;
    std::vector<uint8_t> out(32);
    StoreRecordFileHeader(h, out.data());
    return out;
}

inline void AppendFrame(std::vector<uint8_t>& file, const std::vector<uint8_t>& video, const std::vector<uint8_t>& audio,
                 uint32_t number, uint8_t audioFormat = kAudioPcma) {
    RecordFrameHeader h{kRecordFrameSync, IsKeyFrameUnit(video.data(), video.size()) ? 1u : 0u,
                        uint32_t(video.size()), uint32_t(audio.size()), number, audioFormat, {0, 0, 0}};
    size_t at = file.size();
    file.resize(at + 24);
    StoreRecordFrameHeader(h, &file[at]);
    file.insert(file.end(), video.begin(), video.end());
    file.insert(file.end(), audio.begin(), audio.end());
}

inline std::string WriteTemp(const char* name, const std::vector<uint8_t>& bytes) {
    std::string path = playtest::TempFile(name);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr);
    CloseHandle(f);
    return path;
}

// A record file of the fixture clip's first units, each with 2.5 blocks of
// the tone as its audio (the half block is dropped on playback).
struct FixtureFile {
    std::vector<std::vector<uint8_t>> units;
    std::vector<uint8_t> tone;
    std::string path;
    explicit FixtureFile(size_t count, const char* name = "rfp_fixture.264") {
        auto all = testsupport::SplitAccessUnits(testsupport::ReadFileBytes(Data("cif_aud.264")));
        units.assign(all.begin(), all.begin() + long(std::min(count, all.size())));
        tone = testsupport::ReadFileBytes(Data("tone.pcma"));
        std::vector<uint8_t> file = FileHeader(25, uint32_t(units.size()));
        for (size_t i = 0; i < units.size(); ++i)
            AppendFrame(file, units[i], Audio(i), uint32_t(i + 1));
        if (file.size() < kShortestPlayableFile) file.resize(kShortestPlayableFile, 0);
        path = WriteTemp(name, file);
    }
    std::vector<uint8_t> Audio(size_t i) const {
        size_t at = (i * 800) % (tone.size() - 800);
        return std::vector<uint8_t>(tone.begin() + long(at), tone.begin() + long(at + 800));
    }
};

}  // namespace record
