// Helpers of the live dialogs' tests: scratch folders, file bytes, device
// records in use, and a face of the main dialog that saves SysCfg.dat.
#pragma once
#include <afxwin.h>

#include <cstring>
#include <string>
#include <vector>

#include "config_store.h"
#include "fake_main_dlg.h"

namespace live_test {

inline std::string TempDir(const char* tag) {
  char base[MAX_PATH];
  ::GetTempPathA(MAX_PATH, base);
  std::string dir = std::string(base) + "live_" + tag + "_" + std::to_string(::GetCurrentProcessId()) + "\\";
  ::CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

inline std::vector<unsigned char> ReadFile(const std::string& path) {
  std::vector<unsigned char> out;
  CFile f;
  if (!f.Open(path.c_str(), CFile::modeRead | CFile::shareDenyNone)) return out;
  out.resize(size_t(f.GetLength()));
  if (!out.empty()) out.resize(f.Read(out.data(), UINT(out.size())));
  return out;
}

// The main dialog's face writing SysCfg.dat when asked to save.
class SavingMain : public FakeMainDlg {
public:
  std::string dir;
  BOOL SaveConfig() override { return shell::SaveSysConfig(*m_pConfig, dir.c_str()); }
};

inline void UseRecord(shell::DeviceRecord& d, const char* address, uint32_t state) {
  std::memset(&d, 0, sizeof d);
  d.inUse = 1;
  lstrcpynA(d.address, address, sizeof d.address);
  lstrcpynA(d.serverName, address, sizeof d.serverName);
  lstrcpyA(d.userName, "admin");
  lstrcpyA(d.password, "tulip");
  d.state = state;
}

}  // namespace live_test
