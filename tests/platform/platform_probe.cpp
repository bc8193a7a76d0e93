// A DLL that uses the library's strings and files, as the SDK does.
#include <afx.h>

extern "C" int __stdcall ProbeFormat(char* out, int size, int value) {
  CString s;
  s.Format("%s = %04d", "Value", value);
  s.MakeUpper();
  lstrcpynA(out, s, size);
  return s.GetLength();
}

extern "C" int __stdcall ProbeFile(const char* path) {
  CFile f;
  if (!f.Open(path, CFile::modeCreate | CFile::modeWrite)) return -1;
  return int(f.Write("probe", 5));
}
