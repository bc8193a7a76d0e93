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
  // BMP file bytes: 24-bit pixels of one colour, or 8-bit pixels of
  // index 1 (red) with a table of `colours` entries (0 = full table).
  static std::vector<unsigned char> MakeBmp(int w, int h, int bits, int colours, COLORREF color = RGB(0x10, 0x20, 0x30)) {
    int stride = ((w * bits + 31) / 32) * 4;
    int table = bits <= 8 ? (colours ? colours : 1 << bits) * 4 : 0;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(bits);
    bi.biClrUsed = DWORD(colours);
    fh.bfType = 0x4D42;
    fh.bfOffBits = DWORD(sizeof fh + sizeof bi + table);
    fh.bfSize = DWORD(fh.bfOffBits + stride * h);
    std::vector<unsigned char> out(fh.bfSize, 0);
    memcpy(out.data(), &fh, sizeof fh);
    memcpy(out.data() + sizeof fh, &bi, sizeof bi);
    unsigned char* px = out.data() + fh.bfOffBits;
    if (bits == 24)
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          px[y * stride + x * 3 + 0] = GetBValue(color);
          px[y * stride + x * 3 + 1] = GetGValue(color);
          px[y * stride + x * 3 + 2] = GetRValue(color);
        }
    if (bits == 8) {
      unsigned char* tab = out.data() + sizeof fh + sizeof bi;
      tab[4 * 1 + 2] = 0xFF;   // index 1 = red
      for (int i = 0; i < stride * h; ++i) px[i] = 1;
    }
    return out;
  }
  static void WriteSolidBmp(const char* path, int w, int h, COLORREF color) {
    auto bytes = MakeBmp(w, h, 24, 0, color);
    Write(path, bytes.data(), bytes.size());
  }
  // An interface solution folder: Language\<name>.ini and its Config.ini
  // with the given [MainSettings] lines; device_config.ini when given.
  void WriteSolution(const char* name, const char* mainSettings, const char* deviceConfig = nullptr) const {
    ::CreateDirectoryA(*this / "Language", nullptr);
    CString folder = *this / "Language\\" + name;
    ::CreateDirectoryA(folder, nullptr);
    CString ini;
    ini.Format("[Info]\r\nLanguage=%s\r\nImgDir=%s\r\n", name, name);
    WriteText(*this / "Language\\" + name + ".ini", ini);
    WriteText(folder + "\\Config.ini", CString("[MainSettings]\r\n") + mainSettings);
    if (deviceConfig) WriteText(folder + "\\device_config.ini", CString("[MainSettings]\r\n") + deviceConfig);
  }
  // Copies a folder with everything below it (both with trailing '\\').
  static void CopyTree(const CString& from, const CString& to) {
    ::CreateDirectoryA(to, nullptr);
    CFileFind ff;
    BOOL more = ff.FindFile(from + "*.*");
    while (more) {
      more = ff.FindNextFile();
      if (ff.IsDots()) continue;
      if (ff.IsDirectory()) CopyTree(ff.GetFilePath() + "\\", to + ff.GetFileName() + "\\");
      else ::CopyFileA(ff.GetFilePath(), to + ff.GetFileName(), FALSE);
    }
    ff.Close();
  }

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

// A program folder with one language, English, whose solution folder holds
// a Config.ini of this text.
inline void WriteEnglishSolution(const ScratchDir& dir, const char* configIni) {
  ::CreateDirectoryA(dir / "Language", nullptr);
  ::CreateDirectoryA(dir / "Language\\English", nullptr);
  ScratchDir::WriteText(dir / "Language\\English.ini", "[Info]\r\nLanguage=English\r\nImgDir=English\r\n");
  ScratchDir::WriteText(dir / "Language\\English\\Config.ini", configIni);
}
