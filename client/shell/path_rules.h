// The path rules the shell's snapshots and the recording code share: the
// picture folder's name, a text made safe as one path component, and the
// drive a snapshot goes to.
//
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace shell {

constexpr const char* kPictureFolderName = "TQX PictureData";

// A text made safe to be one component of a Windows path: characters that are
// illegal in file names, control characters and ".." become '_', trailing
// dots and blanks (which Windows drops) too, and device names get a '_' in
// front. Never empty.
std::string SafePathComponent(const std::string& text);

constexpr uint32_t kSnapshotDriveMinFreeMB = 200;

// The first drive C:..Y: that is present, allowed and not failed and has more
// than 200 MiB free ("C:\"); empty when none qualifies.
std::string ChooseSnapshotDrive(uint32_t presentDrives, uint32_t allowedDrives, uint32_t failedDrives,
                                const std::function<uint32_t(const std::string& root)>& freeMB);

}  // namespace shell
