// libFuzzer target over the record frame builder and the record names. The
// input is a script: the first audio format, then steps of an operation
// byte and a 16-bit length. Operation (low two bits): 0 a video unit, 1 an
// audio payload, 2 a restart with a new audio format, 3 a text for
// SafePathComponent; bit 2 takes a unit of length x 64 bytes from a pool
// (units up to 4 MiB; four per input) instead of the input's bytes.
//
// Properties: the builder's results follow a model of its rules; a built
// frame reads back as a valid record frame whose size, key flag, audio
// format, video and audio are the model's; a safe path component is one
// Windows path component: no separators, reserved or control characters,
// no device name, not "." or "..", no trailing dot or blank, never empty.
#include <cstring>
#include <string>
#include <vector>

#include "RecordFormat.h"
#include "RecordFrameBuilder.h"
#include "fuzz_input.h"

namespace {

using namespace record;

constexpr size_t kPoolSize = 0x400000;

bool IsDeviceName(const std::string& name) {
    // The base name, before any extension and without trailing blanks.
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0)) return false;
    const unsigned char d = static_cast<unsigned char>(base[3]);
    // COM1-COM9, LPT1-LPT9, and the superscript digits 1-3 of the ANSI code page.
    return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
}

void CheckComponent(const std::string& in, const std::string& out) {
    if (out.empty()) fuzz::Fail("empty component");
    for (char c : out) {
        if (static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c))
            fuzz::Fail("reserved character in a component", static_cast<unsigned char>(c));
    }
    if (out == "." || out == "..") fuzz::Fail("dot component");
    if (out.back() == '.' || out.back() == ' ') fuzz::Fail("trailing dot or blank");
    if (IsDeviceName(out)) fuzz::Fail("device name");
    // A text that is already safe stays as it is.
    bool safe = !in.empty() && in.find("..") == std::string::npos && in.back() != '.' && in.back() != ' ' &&
                !IsDeviceName(in);
    for (char c : in)
        if (static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c)) safe = false;
    if (safe && out != in) fuzz::Fail("safe text changed");
}

struct Model {
    std::vector<uint8_t> audio;
    uint8_t format = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CRecordFrameBuilder* builder = new CRecordFrameBuilder;
    static uint8_t* pool = [] {
        uint8_t* p = new uint8_t[kPoolSize];
        std::memset(p, 0x5A, kPoolSize);  // no start codes in the filler
        return p;
    }();
    fuzz::Input in(data, size);
    int large = 0;
    builder->Reset();
    Model m;
    builder->Restart(in.Byte());
    m.format = builder->AudioFormat();
    for (int steps = 0; steps < 256 && in.Left(); ++steps) {
        const uint8_t op = in.Byte();
        size_t len = in.Word();
        const uint8_t* p;
        std::unique_ptr<fuzz::Exact> exact;
        if ((op & 4) && large < 4) {
            // A large unit: its first 16 bytes from the input, then filler.
            ++large;
            len *= 64;
            size_t head = in.Take(16, &p);
            std::memcpy(pool, p, head);
            std::memset(pool + head, 0x5A, 16 - head);
            p = pool;
        } else {
            len = in.Take(len, &p);
            exact.reset(new fuzz::Exact(p, len));
            p = exact->data();
        }
        switch (op & 3) {
        case 0: {
            BuildResult r = builder->AddVideo(p, len);
            BuildResult want = len == 0 ? BuildResult::EmptyUnit
                               : len > kMaxRecordVideoLength ||
                                       len + kRecordFrameHeaderSize + m.audio.size() > kRecordFrameCapacity
                                   ? BuildResult::FrameTooLarge
                                   : BuildResult::FrameBuilt;
            if (r != want) fuzz::Fail("video result", int(r), int(want));
            if (r != BuildResult::FrameBuilt) {
                if (builder->FrameSize() != 0) fuzz::Fail("frame size after a dropped unit");
                break;
            }
            const uint8_t* f = builder->Frame();
            RecordFrameHeader h = LoadRecordFrameHeader(f);
            if (!IsValidRecordFrameHeader(h) || RecordFrameSize(h) != builder->FrameSize() ||
                h.videoLength != len || h.audioLength != m.audio.size() || h.audioFormat != m.format ||
                h.keyFrame != (IsKeyFrameUnit(p, len) ? 1u : 0u))
                fuzz::Fail("built frame header");
            if (std::memcmp(f + kRecordFrameHeaderSize, p, len) ||
                (!m.audio.empty() && std::memcmp(f + kRecordFrameHeaderSize + len, m.audio.data(), m.audio.size())))
                fuzz::Fail("built frame bytes");
            break;
        }
        case 1: {
            BuildResult r = builder->AddAudio(p, len);
            if (len == 0) {
                if (r != BuildResult::EmptyUnit) fuzz::Fail("empty audio");
            } else if (len > kMaxRecordAudioLength) {
                if (r != BuildResult::AudioDropped) fuzz::Fail("audio too long");
            } else {
                BuildResult want = BuildResult::AudioAdded;
                if (m.audio.size() + len > kMaxRecordAudioLength) {
                    m.audio.clear();
                    want = BuildResult::AudioRestarted;
                }
                if (r != want) fuzz::Fail("audio result", int(r), int(want));
                m.audio.insert(m.audio.end(), p, p + len);
            }
            if (builder->AudioLength() != m.audio.size()) fuzz::Fail("audio length");
            break;
        }
        case 2:
            builder->Restart(uint8_t(len));
            m.audio.clear();
            m.format = uint8_t(len);
            break;
        case 3: {
            // Names are short (channel names, addresses): at most 300 bytes.
            std::string text(reinterpret_cast<const char*>(p), len < 300 ? len : 300);
            CheckComponent(text, SafePathComponent(text));
            break;
        }
        }
    }
    return 0;
}
