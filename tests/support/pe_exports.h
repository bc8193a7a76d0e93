// Reads the names in a PE image's export directory.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// Returns false when the bytes are not a PE image with a readable export
// directory; an image without exports gives true and an empty list.
inline bool ReadPeExportNames(const std::vector<uint8_t>& img, std::vector<std::string>& names) {
    names.clear();
    auto u16 = [&](size_t o) -> uint32_t { return o + 2 <= img.size() ? img[o] | img[o + 1] << 8 : 0; };
    auto u32 = [&](size_t o) -> uint32_t {
        return o + 4 <= img.size() ? uint32_t(img[o]) | img[o + 1] << 8 | img[o + 2] << 16 | uint32_t(img[o + 3]) << 24 : 0;
    };
    if (img.size() < 0x40 || img[0] != 'M' || img[1] != 'Z') return false;
    size_t pe = u32(0x3C);
    if (pe + 24 > img.size() || std::memcmp(&img[pe], "PE\0\0", 4) != 0) return false;
    size_t nsec = u16(pe + 6), optSize = u16(pe + 20);
    size_t opt = pe + 24;
    uint32_t magic = u16(opt);
    size_t dirs = opt + (magic == 0x20B ? 112 : 96);
    if (dirs + 8 > img.size()) return false;
    uint32_t expRva = u32(dirs), expSize = u32(dirs + 4);
    if (expRva == 0 || expSize == 0) return true;
    size_t sec = opt + optSize;
    auto rvaToOff = [&](uint32_t rva, size_t& off) {
        for (size_t i = 0; i < nsec; ++i) {
            size_t s = sec + i * 40;
            uint32_t va = u32(s + 12), vsz = u32(s + 8), raw = u32(s + 20), rsz = u32(s + 16);
            uint32_t span = vsz > rsz ? vsz : rsz;
            if (rva >= va && rva < va + span) {
                off = size_t(rva - va) + raw;
                return off < img.size();
            }
        }
        return false;
    };
    size_t exp;
    if (!rvaToOff(expRva, exp)) return false;
    uint32_t count = u32(exp + 24), namesRva = u32(exp + 32);
    size_t namesOff;
    if (count == 0) return true;
    if (!rvaToOff(namesRva, namesOff)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        size_t nameOff;
        if (!rvaToOff(u32(namesOff + 4 * i), nameOff)) return false;
        std::string n;
        while (nameOff < img.size() && img[nameOff]) n += char(img[nameOff++]);
        names.push_back(n);
    }
    return true;
}

}  // namespace testsupport
