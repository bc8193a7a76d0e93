#include "snapshot_path.h"

#include <cstdio>

namespace shell {

std::string MakeSnapshotPath(const SnapshotSeams& s, const std::string& address, int channel) {
  if (channel < 0 || channel > 254) return std::string();
  const std::string root = ChooseSnapshotDrive(s.presentDrives, s.recordDiskMask, s.failedDiskMask, s.freeMB);
  if (root.empty()) return std::string();
  const SnapshotTime& t = s.now;
  char buf[64];
  std::string folder = root + kPictureFolderName;
  std::snprintf(buf, sizeof buf, "%d%02d%02d", t.year, t.month, t.day);
  const std::string levels[] = {folder, folder + "\\" + buf,
                                folder + "\\" + buf + "\\" + SafePathComponent(address)};
  std::snprintf(buf, sizeof buf, "\\%02d", channel + 1);
  const std::string channelFolder = levels[2] + buf;
  for (const std::string* dir : {&levels[0], &levels[1], &levels[2], &channelFolder})
    if (!s.createFolder || !s.createFolder(*dir)) return std::string();
  char name[96];
  std::snprintf(name, sizeof name, "\\%02d-%d%02d%02d-%02d%02d%02d-%04d.%s", channel + 1, t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond % 1000, "bmp");
  return channelFolder + name;
}

}  // namespace shell
