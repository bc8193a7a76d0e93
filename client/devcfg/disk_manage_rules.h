// The disk management page's rules: the device's 128-byte disk records and
// the browse path. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace devcfg {

constexpr size_t kDiskRecordSize = 128, kDiskNameAt = 12;

// The name of disk record row, or false when row has no record (no
// records, or row not below their count).
bool DiskRecordName(const uint8_t* records, uint32_t count, int row, std::string* name);
// "Up Level Folder": the path cut before its last "/" when that "/" is past
// the first character; otherwise the path as it was.
std::string BrowseUpLevel(const std::string& path);

}  // namespace devcfg
