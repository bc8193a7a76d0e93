// The library linked into a DLL works without any application object.
#include <afxwin.h>
#include <gtest/gtest.h>

TEST(PlatformInADll, StringsAndFilesWithoutAnApplication) {
  EXPECT_EQ(nullptr, AfxGetApp());
  HMODULE dll = ::LoadLibraryA("platform_probe.dll");
  ASSERT_NE(nullptr, dll);
  auto format = reinterpret_cast<int(__stdcall*)(char*, int, int)>(reinterpret_cast<void*>(::GetProcAddress(dll, "ProbeFormat")));
  auto file = reinterpret_cast<int(__stdcall*)(const char*)>(reinterpret_cast<void*>(::GetProcAddress(dll, "ProbeFile")));
  ASSERT_NE(nullptr, format);
  ASSERT_NE(nullptr, file);
  char buf[64] = {};
  EXPECT_EQ(12, format(buf, sizeof buf, 7));
  EXPECT_STREQ("VALUE = 0007", buf);
  char path[MAX_PATH];
  ::GetTempPathA(MAX_PATH, path);
  lstrcatA(path, "platform_probe.tmp");
  EXPECT_EQ(5, file(path));
  ::DeleteFileA(path);
  ::FreeLibrary(dll);
}
