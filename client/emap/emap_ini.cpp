#include "emap_ini.h"

#include <windows.h>

#include <vector>

std::string CPrivateProfileMapIni::Read(const std::string& section, const std::string& key, const std::string& def) {
  // A value that fills the buffer (length size - 1) may have been cut.
  for (DWORD size = 10001; size <= (1u << 24); size *= 4) {
    std::vector<char> buf(size);
    DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(), size, m_path.c_str());
    if (n < size - 1) return std::string(buf.data(), n);
  }
  return def;
}

void CPrivateProfileMapIni::Write(const std::string& section, const std::string& key, const std::string& value) {
  // Wine's private-profile writer fails hard on values of 32 KiB and more
  // (some 2,700 icons on one map): such a value is not written and the
  // file keeps the one it has.
  if (value.size() >= kMaxValue) return;
  ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), m_path.c_str());
}
