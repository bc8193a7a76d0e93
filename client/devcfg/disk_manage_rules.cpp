#include "disk_manage_rules.h"

#include "config_blocks.h"

namespace devcfg {

bool DiskRecordName(const uint8_t* records, uint32_t count, int row, std::string* name) {
  if (!records || row < 0 || uint32_t(row) >= count) return false;
  if (name)
    *name = FieldText(reinterpret_cast<const char*>(records + size_t(row) * kDiskRecordSize + kDiskNameAt),
                      kDiskRecordSize - kDiskNameAt);
  return true;
}

std::string BrowseUpLevel(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return path;
  return path.substr(0, slash);
}

}  // namespace devcfg
