// Reference data of the voice codec tests (tests/data/voice, made by
// make-vectors with an independent implementation).
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace voicetest {

inline std::vector<uint8_t> ReadBytes(const std::string& name) {
    std::vector<uint8_t> data;
    const std::string path = std::string(SELVANE_TEST_DATA) + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
        std::fclose(f);
    }
    return data;
}

inline std::vector<int16_t> ReadS16(const std::string& name) {
    const std::vector<uint8_t> b = ReadBytes(name);
    std::vector<int16_t> s(b.size() / 2);
    for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(uint16_t(b[2 * i] | (b[2 * i + 1] << 8)));
    return s;
}

// A voice frame around a payload.
inline std::vector<uint8_t> MakeFrame(const uint8_t* payload, int words) {
    std::vector<uint8_t> f(4 + 2 * size_t(words));
    f[1] = 0x01;
    f[2] = uint8_t(words);
    std::copy(payload, payload + 2 * words, f.begin() + 4);
    return f;
}

// The reference returns a decoded G.726 sample that overflows 16 bits
// wrapped around (a full-scale sample of the wrong sign); ours saturates.
// Everything else must be equal.
inline bool SameOrSaturated(int16_t ref, int16_t got) {
    return got == ref || (got == 32767 && ref < 0) || (got == -32768 && ref >= 0);
}

}  // namespace voicetest
