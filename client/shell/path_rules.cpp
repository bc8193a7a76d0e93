#include "path_rules.h"

#include <cstring>

namespace shell {
namespace {

bool IsReservedDeviceName(const std::string& s) {
    std::string base = s.substr(0, s.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    static const char* const kNames[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* n : kNames)
        if (base == n)
            return true;
    if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0))
        return false;
    // COM1-COM9 and LPT1-LPT9, and with the ANSI code page's superscript
    // digits one to three (0xB9, 0xB2, 0xB3), which name the same ports.
    const unsigned char d = static_cast<unsigned char>(base[3]);
    return (d >= '1' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
}

}  // namespace

std::string SafePathComponent(const std::string& text) {
    std::string s = text;
    for (char& c : s) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 32 || std::strchr("\\/:*?\"<>|", c))
            c = '_';
    }
    std::string out = s;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '.' && ((i > 0 && s[i - 1] == '.') || (i + 1 < s.size() && s[i + 1] == '.')))
            out[i] = '_';
    }
    for (size_t i = out.size(); i > 0 && (out[i - 1] == '.' || out[i - 1] == ' '); --i)
        out[i - 1] = '_';
    if (out.empty())
        return "_";
    if (IsReservedDeviceName(out))
        out.insert(out.begin(), '_');
    return out;
}

std::string ChooseSnapshotDrive(uint32_t presentDrives, uint32_t allowedDrives, uint32_t failedDrives,
                                const std::function<uint32_t(const std::string& root)>& freeMB) {
    const uint32_t candidates = presentDrives & allowedDrives & ~failedDrives;
    for (int bit = 2; bit <= 24; ++bit) {   // C: to Y:
        if (!(candidates >> bit & 1)) continue;
        const std::string root = std::string(1, char('A' + bit)) + ":\\";
        if (freeMB && freeMB(root) > kSnapshotDriveMinFreeMB) return root;
    }
    return std::string();
}

}  // namespace shell
