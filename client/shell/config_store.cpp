#include "config_store.h"
#include "language.h"

#include <memory>

namespace shell {

CString ProgramFilePath(const char* dir, const char* name) {
  CString p;
  p.Format("%s%s", dir ? dir : "", name);
  return p;
}

void ShowConfigFileError(const char* path, DWORD error) {
  CString a, b, text, title;
  TranslateString(a, "Can not open config file");
  TranslateString(b, "Error Code");
  text.Format("%s: %s ! %s = %d", a.GetString(), path, b.GetString(), int(error));
  TranslateString(title, "FATAL ERROR");
  AfxShowMessageBox(nullptr, text, title, MB_OK | MB_ICONERROR);
}

BOOL WriteImageFile(const char* path, const void* data, UINT size) {
  // An existing file keeps its attributes; a new one is hidden and system.
  DWORD attrs = ::GetFileAttributesA(path);
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY))
    attrs = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  attrs &= FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
  if (!attrs) attrs = FILE_ATTRIBUTE_NORMAL;
  CString tmp = CString(path) + ".tmp";
  ::SetFileAttributesA(tmp, FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileA(tmp);
  HANDLE h = ::CreateFileA(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attrs & ~FILE_ATTRIBUTE_READONLY, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  DWORD written = 0;
  BOOL ok = ::WriteFile(h, data, size, &written, nullptr) && written == size && ::FlushFileBuffers(h);
  DWORD err = ::GetLastError();
  ::CloseHandle(h);
  if (ok) {
    ok = ::MoveFileExA(tmp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    err = ::GetLastError();
  }
  if (!ok) {
    ::SetFileAttributesA(tmp, FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(tmp);
    ::SetLastError(err ? err : ERROR_WRITE_FAULT);
  }
  return ok;
}

CString KeepAside(const char* path) {
  for (int i = 0; i < 100; ++i) {
    CString name;
    if (i == 0) name.Format("%s.bad", path);
    else name.Format("%s.bad%d", path, i);
    if (::GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) continue;
    if (::MoveFileA(path, name)) return name;
    return CString();
  }
  ::SetLastError(ERROR_ALREADY_EXISTS);
  return CString();
}

namespace {

enum class ReadResult { Missing, WrongSize, CannotOpen, Short, Full };

ReadResult ReadWhole(const char* path, void* buf, DWORD size, DWORD* error) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &d)) return ReadResult::Missing;
  if (d.nFileSizeHigh != 0 || d.nFileSizeLow != size) return ReadResult::WrongSize;
  HANDLE h = ::CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = ::GetLastError();
    return ReadResult::CannotOpen;
  }
  DWORD got = 0;
  BOOL ok = ::ReadFile(h, buf, size, &got, nullptr);
  ::CloseHandle(h);
  return ok && got == size ? ReadResult::Full : ReadResult::Short;
}

}  // namespace

BOOL LoadSysConfig(SystemConfigImage& image, const char* programDir) {
  CString path = ProgramFilePath(programDir, "SysCfg.dat");
  auto buf = std::make_unique<SystemConfigImage>();
  DWORD error = 0;
  ReadResult r = ReadWhole(path, buf.get(), sizeof *buf, &error);
  if (r == ReadResult::Full &&
      CheckSysConfigBytes(reinterpret_cast<const uint8_t*>(buf.get()), sizeof *buf) == ImageCheck::Ok) {
    image = *buf;
    RepairSysConfig(image);
    return TRUE;
  }
  ResetSysConfig(image);
  if (r != ReadResult::Missing && KeepAside(path).IsEmpty()) {
    // Neither readable nor movable (held open by someone): leave it as it
    // is rather than overwrite what may be the only copy of the users.
    ShowConfigFileError(path, error ? error : ::GetLastError());
    return FALSE;
  }
  if (!WriteImageFile(path, &image, sizeof image)) {
    ShowConfigFileError(path, ::GetLastError());
    return FALSE;
  }
  return TRUE;
}

BOOL SaveSysConfig(const SystemConfigImage& image, const char* programDir) {
  CString path = ProgramFilePath(programDir, "SysCfg.dat");
  if (WriteImageFile(path, &image, sizeof image)) return TRUE;
  ShowConfigFileError(path, ::GetLastError());
  return FALSE;
}

BOOL LoadLocalPlans(PlanImage& image, const char* programDir) {
  CString path = ProgramFilePath(programDir, "LocalPlans.dat");
  auto buf = std::make_unique<PlanImage>();
  DWORD error = 0;
  ReadResult r = ReadWhole(path, buf.get(), sizeof *buf, &error);
  switch (r) {
    case ReadResult::Full:
      image = *buf;
      RepairPlans(image);
      return TRUE;
    case ReadResult::CannotOpen:
    case ReadResult::Short:
      // The right size but unreadable now: the image stays as it was and the
      // file is not touched.
      return TRUE;
    case ReadResult::WrongSize:
      if (KeepAside(path).IsEmpty()) {
        ShowConfigFileError(path, ::GetLastError());
        return FALSE;
      }
      break;
    case ReadResult::Missing:
      break;
  }
  if (!WriteImageFile(path, &image, sizeof image)) {
    ShowConfigFileError(path, ::GetLastError());
    return FALSE;
  }
  return TRUE;
}

BOOL SaveLocalPlans(const PlanImage& image, const char* programDir) {
  CString path = ProgramFilePath(programDir, "LocalPlans.dat");
  if (WriteImageFile(path, &image, sizeof image)) return TRUE;
  ShowConfigFileError(path, ::GetLastError());
  return FALSE;
}

}  // namespace shell
