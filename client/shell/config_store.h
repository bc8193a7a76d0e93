// SysCfg.dat and LocalPlans.dat in the program directory: whole-image
// reads and writes. A write goes to a temporary file that then replaces
// the old one, so a failed save never leaves a half-written image; a file
// that is refused (wrong size, bad magic, short read) is kept aside under
// "<name>.bad", "<name>.bad1", ... before defaults are written.
#pragma once
#include <afxwin.h>

#include "config_image.h"

namespace shell {

// "%s%s": the program directory (with its trailing backslash) and the name.
CString ProgramFilePath(const char* programDir, const char* name);

// Reads SysCfg.dat or writes a default one. FALSE only when no usable file
// could be made (a box has told the user); the image then holds defaults.
BOOL LoadSysConfig(SystemConfigImage& image, const char* programDir);
// Writes the whole image. FALSE (after the failure box) when it could not.
BOOL SaveSysConfig(const SystemConfigImage& image, const char* programDir);

BOOL LoadLocalPlans(PlanImage& image, const char* programDir);
BOOL SaveLocalPlans(const PlanImage& image, const char* programDir);

// Internals, for the stores above and their tests.
BOOL WriteImageFile(const char* path, const void* data, UINT size);
CString KeepAside(const char* path);   // the new name, empty when it failed
void ShowConfigFileError(const char* path, DWORD error);

}  // namespace shell
