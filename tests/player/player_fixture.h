// Record files in the player's frame layout, made from the H.264 fixtures.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "annexb.h"
#include "md5.h"
#include "player_core.h"

namespace playertest {

struct FrameSpec {
    std::vector<uint8_t> video;
    std::vector<uint8_t> audio;
    uint32_t number = 0;
    bool key = false;
};

inline std::vector<uint8_t> FileHeader(uint8_t rate = 25, uint8_t codec = 1, uint32_t frameCount = 0,
                                       uint8_t hasAudio = 0, uint16_t block = 0) {
    record::RecordFileHeader h{};
    std::memcpy(h.magic, "RIMF", 4);
    h.frameRate = rate;
    h.videoCodec = codec;
    h.hasAudio = hasAudio;
    h.audioBlockLength = block;
    h.frameCount = frameCount;
    std::vector<uint8_t> out(32);
    record::StoreRecordFileHeader(h, out.data());
    return out;
}

inline void AppendFrame(std::vector<uint8_t>& file, const FrameSpec& f) {
    quillon::PlayerFrameHeader h{quillon::kFrameSync,
                                 quillon::MakeFrameInfo(f.key ? 1 : 0, uint32_t(f.video.size()),
                                                        uint32_t(f.audio.size())),
                                 f.number, 0};
    uint8_t raw[16];
    quillon::StoreFrameHeader(h, raw);
    file.insert(file.end(), raw, raw + 16);
    file.insert(file.end(), f.video.begin(), f.video.end());
    file.insert(file.end(), f.audio.begin(), f.audio.end());
}

// The access units of a fixture stream as frames 1..n.
inline std::vector<FrameSpec> FixtureFrames(const std::string& name) {
    auto units = testsupport::SplitAccessUnits(testsupport::ReadFileBytes(std::string(SELVANE_TEST_DATA) + "/" + name));
    std::vector<FrameSpec> out;
    for (size_t i = 0; i < units.size(); ++i) {
        FrameSpec f;
        f.video = units[i];
        f.number = uint32_t(i + 1);
        f.key = record::IsKeyFrameUnit(f.video.data(), f.video.size());
        out.push_back(std::move(f));
    }
    return out;
}

inline std::string PictureMd5(const unsigned char* p, int length) { return testsupport::Md5Hex(p, size_t(length)); }

}  // namespace playertest
