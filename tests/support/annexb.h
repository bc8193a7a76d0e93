// Test helpers for H.264 Annex-B streams: reading files, cutting access
// units (enough for streams with one slice per picture or with AUDs), and
// reading reference ".framemd5" lists.
#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

// Offsets of the start codes (of the 00 00 01 or 00 00 00 01) in the stream.
inline std::vector<size_t> FindStartCodes(const std::vector<uint8_t>& s) {
    std::vector<size_t> out;
    for (size_t i = 0; i + 3 <= s.size(); ++i) {
        if (s[i] == 0 && s[i + 1] == 0 && s[i + 2] == 1) {
            out.push_back(i > 0 && s[i - 1] == 0 ? i - 1 : i);
            i += 2;
        }
    }
    return out;
}

// Cuts the stream into access units: a unit begins at an AUD, at an SPS,
// PPS or SEI that follows a slice, or at a slice whose first_mb_in_slice is
// 0 when a slice came before it.
inline std::vector<std::vector<uint8_t>> SplitAccessUnits(const std::vector<uint8_t>& s) {
    std::vector<std::vector<uint8_t>> units;
    std::vector<size_t> starts = FindStartCodes(s);
    size_t unitBegin = starts.empty() ? 0 : starts[0];
    bool sawSlice = false;
    for (size_t k = 0; k < starts.size(); ++k) {
        size_t p = starts[k];
        size_t hdr = p + (s[p + 2] == 1 ? 3 : 4);
        if (hdr >= s.size()) break;
        int type = s[hdr] & 0x1F;
        bool isSlice = type == 1 || type == 5;
        bool firstMbZero = isSlice && hdr + 1 < s.size() && (s[hdr + 1] & 0x80);
        bool begins = type == 9 || ((type == 6 || type == 7 || type == 8) && sawSlice) || (isSlice && firstMbZero && sawSlice);
        if (begins && p > unitBegin) {
            units.emplace_back(s.begin() + long(unitBegin), s.begin() + long(p));
            unitBegin = p;
            sawSlice = false;
        }
        if (isSlice) sawSlice = true;
    }
    if (unitBegin < s.size()) units.emplace_back(s.begin() + long(unitBegin), s.end());
    return units;
}

// The MD5s of a framemd5 file: the last field of every line that does not
// start with '#'.
inline std::vector<std::string> ReadFrameMd5s(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t comma = line.find_last_of(", ");
        std::string md5 = line.substr(comma + 1);
        while (!md5.empty() && (md5.back() == '\r' || md5.back() == ' ')) md5.pop_back();
        out.push_back(md5);
    }
    return out;
}

}  // namespace testsupport
