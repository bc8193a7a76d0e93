// Sound through files under the test runner: a test registered with
// selvane_sound_files() plays into the file named by SELVANE_SOUND_OUT and
// records from the one named by SELVANE_SOUND_IN (see scripts/wine-session).
// Helpers to write the capture source, read what was played, drop the
// device's own silence, and compare decoded sound with its source.
#pragma once
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace testsupport {

// The file a sound variable names, as a Windows path (drive Z: is the root).
inline std::string SoundFile(const char* variable) {
    const char* v = std::getenv(variable);
    if (!v || !*v) return std::string();
    std::string p = v;
    if (p[0] == '/') p = "Z:" + p;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}
inline std::string PlayedFile() { return SoundFile("SELVANE_SOUND_OUT"); }
inline std::string CaptureFile() { return SoundFile("SELVANE_SOUND_IN"); }

// The capture source: 16-bit samples stored as the runner's capture stage
// reads them (32-bit little-endian, the sample in the upper half).
inline bool WriteCaptureSource(const std::vector<short>& samples) {
    const std::string path = CaptureFile();
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::vector<int32_t> wide(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) wide[i] = int32_t(uint32_t(uint16_t(samples[i])) << 16);
    const bool ok = std::fwrite(wide.data(), 4, wide.size(), f) == wide.size();
    return std::fclose(f) == 0 && ok;
}

// Everything played since the sound device was last opened (16-bit mono).
inline std::vector<short> ReadPlayed() {
    std::vector<short> out;
    const std::string path = PlayedFile();
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) return out;
    short buf[4096];
    size_t n;
    while ((n = std::fread(buf, 2, 4096, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

// The samples without the zeros: the device plays silence where it runs dry,
// so what a player wrote is compared with its zeros left out on both sides.
inline std::vector<short> Audible(const std::vector<short>& s) {
    std::vector<short> out;
    out.reserve(s.size());
    for (short v : s)
        if (v != 0) out.push_back(v);
    return out;
}

// A rising sweep from 200 to 3,000 Hz at 8,000 Hz: no stretch of it repeats,
// so a captured piece has one place in it.
inline std::vector<short> Sweep(size_t count, double amplitude = 8000.0) {
    std::vector<short> out(count);
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        phase += 2 * 3.14159265358979 * (200.0 + 2800.0 * double(i) / double(count)) / 8000.0;
        out[i] = short(std::lround(amplitude * std::sin(phase)));
    }
    return out;
}

// Where decoded sound lies in its source: the offset at which the decoded
// samples' largest difference from the source is least, and that difference.
struct Placement {
    long offset = -1;
    int worst = 1 << 30;
};
inline Placement Place(const std::vector<short>& decoded, const std::vector<short>& source) {
    Placement best;
    if (decoded.empty() || decoded.size() > source.size()) return best;
    for (size_t k = 0; k + decoded.size() <= source.size(); ++k) {
        int worst = 0;
        for (size_t i = 0; i < decoded.size() && worst < best.worst; ++i)
            worst = std::max(worst, std::abs(decoded[i] - source[k + i]));
        if (worst < best.worst) {
            best.worst = worst;
            best.offset = long(k);
        }
    }
    return best;
}

// Checks captured-and-decoded sound against its source piece by piece: each
// piece must lie in the source within `tolerance`, every piece after the
// previous one (nothing repeated or out of order). The runner's capture
// device delivers faster than real time and drops whole device periods when
// the program has no buffer ready, so gaps between pieces are allowed, and a
// piece holding such a junction (with an adaptive coder's settling after it)
// may fit nowhere, as long as the pieces on both sides of it do (and gaps
// stay under a third of the pieces). Returns what
// is wrong, or an empty string; `gaps` counts the junctions.
inline std::string CheckPiecesInOrder(const std::vector<short>& decoded, const std::vector<short>& source,
                                      size_t piece, int tolerance, int* gaps = nullptr) {
    long last = -1;
    int junctions = 0;
    bool lastFit = true;
    for (size_t at = 0; at + piece <= decoded.size(); at += piece) {
        const std::vector<short> part(decoded.begin() + long(at), decoded.begin() + long(at + piece));
        const Placement p = Place(part, source);
        const bool fits = p.offset >= 0 && p.worst <= tolerance;
        if (!fits) {
            if (!lastFit || at == 0)
                return "piece at " + std::to_string(at) + " is not in the source (closest " +
                       std::to_string(p.worst) + " off)";
            lastFit = false;
            ++junctions;
            continue;
        }
        if (last >= 0 && p.offset <= last)
            return "piece at " + std::to_string(at) + " repeats or precedes the one before it (source " +
                   std::to_string(p.offset) + " after " + std::to_string(last) + ")";
        if (lastFit && last >= 0 && p.offset != last + long(piece)) ++junctions;
        last = p.offset;
        lastFit = true;
    }
    if (!lastFit) return "the last piece is not in the source";
    if (size_t(junctions) * 3 > decoded.size() / piece) return "gaps in a third of the pieces";
    if (gaps) *gaps = junctions;
    return std::string();
}

// G.711 expansion written out from the tables: sign, segment and
// quantisation level, decision value at the middle of the interval.
inline int RefAlaw(unsigned char a) {
    a ^= 0x55;
    int seg = (a >> 4) & 7, q = a & 15;
    int v = seg == 0 ? (q << 4) + 8 : ((q << 4) + 0x108) << (seg - 1);
    return (a & 0x80) ? v : -v;
}
inline int RefUlaw(unsigned char u) {
    u = ~u;
    int seg = (u >> 4) & 7, q = u & 15;
    int v = (((q << 3) + 0x84) << seg) - 0x84;
    return (u & 0x80) ? -v : v;
}

}  // namespace testsupport
