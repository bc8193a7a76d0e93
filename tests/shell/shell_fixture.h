// A scratch program directory for the shell tests.
#pragma once
#include <afxwin.h>

#include <string>
#include <vector>

class ScratchDir {
public:
  explicit ScratchDir(const char* tag) {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    m_path.Format("%sshell_%s_%lu_%lu\\", base, tag, ::GetCurrentProcessId(), ::GetTickCount());
    ::CreateDirectoryA(m_path, nullptr);
  }
  ~ScratchDir() { Remove(m_path); }
  const CString& Path() const { return m_path; }
  CString operator/(const char* name) const { return m_path + name; }

  static std::vector<unsigned char> Read(const char* path) {
    std::vector<unsigned char> out;
    CFile f;
    if (!f.Open(path, CFile::modeRead | CFile::shareDenyNone)) return out;
    out.resize(size_t(f.GetLength()));
    if (!out.empty()) out.resize(f.Read(out.data(), UINT(out.size())));
    return out;
  }
  static void Write(const char* path, const void* data, size_t size) {
    ::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    CFile f(path, CFile::modeCreate | CFile::modeWrite);
    f.Write(data, UINT(size));
  }
  static void WriteText(const char* path, const char* text) { Write(path, text, strlen(text)); }

private:
  static void Remove(const CString& dir) {
    CFileFind ff;
    BOOL more = ff.FindFile(dir + "*.*");
    while (more) {
      more = ff.FindNextFile();
      if (ff.IsDots()) continue;
      if (ff.IsDirectory()) {
        Remove(ff.GetFilePath() + "\\");
      } else {
        ::SetFileAttributesA(ff.GetFilePath(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(ff.GetFilePath());
      }
    }
    ff.Close();
    ::RemoveDirectoryA(dir);
  }
  CString m_path;
};
