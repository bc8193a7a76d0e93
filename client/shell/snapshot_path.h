// Where a snapshot of a monitor window goes: the first eligible drive with
// room, then "TQX PictureData", the date, the device's address and the
// channel. What the machine provides comes in through SnapshotSeams, so the
// rule is reachable without disks. No window code here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "path_rules.h"

namespace shell {

constexpr uint32_t kSnapshotMinFreeMB = kSnapshotDriveMinFreeMB;   // a drive takes a picture above this

struct SnapshotTime {
  int year, month, day, hour, minute, second, millisecond;
};

struct SnapshotSeams {
  uint32_t presentDrives = 0;   // bit n: drive 'A' + n present
  uint32_t recordDiskMask = 0;  // Corvel.ini [General] SubMonRecDisk
  uint32_t failedDiskMask = 0;  // drives the record writer gave up
  std::function<uint32_t(const std::string& root)> freeMB;        // "C:\" -> MiB free
  std::function<bool(const std::string& folder)> createFolder;     // one level; false when it failed
  SnapshotTime now{};
};

// The full path of the picture file, folders created one level after the
// other; empty when no drive C:..Y: is eligible with more than 200 MiB free,
// or a folder could not be made. The address becomes one safe folder name.
std::string MakeSnapshotPath(const SnapshotSeams& seams, const std::string& address, int channel);

}  // namespace shell
