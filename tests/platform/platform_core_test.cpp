// Strings, collections, files, time and threads of the platform library.
#include <afxwin.h>
#include <afxmt.h>
#include <afxtempl.h>
#include <afxdlgs.h>
#include <gtest/gtest.h>

#include <atomic>

namespace {

struct FormatCase {
  const char* expected;
  CString (*make)();
};

CString Fmt(const char* fmt, ...) {
  CString s;
  va_list a;
  va_start(a, fmt);
  s.FormatV(fmt, a);
  va_end(a);
  return s;
}

TEST(CStringFormat, FormatStringsTheClientUses) {
  const FormatCase cases[] = {
      {"Can not open config file: C:\\Selvane\\SysCfg.dat ! Error Code = 32",
       [] { return Fmt("%s: %s ! %s = %d", "Can not open config file", "C:\\Selvane\\SysCfg.dat", "Error Code", 32); }},
      {"0xffffffff", [] { return Fmt("0x%x", 0xFFFFFFFFu); }},
      {"0x0", [] { return Fmt("0x%x", 0u); }},
      {"0x5", [] { return Fmt("0x%x", 5u); }},
      {"0007", [] { return Fmt("%04d", 7); }},
      {"-007", [] { return Fmt("%04d", -7); }},
      {"12345", [] { return Fmt("%04d", 12345); }},
      {"2026-1-5 9:03:07", [] { return Fmt("%d-%d-%d %d:%02d:%02d", 2026, 1, 5, 9, 3, 7); }},
      {"2026-12-31 23:59:59", [] { return Fmt("%d-%d-%d %d:%02d:%02d", 2026, 12, 31, 23, 59, 59); }},
      // GBK text passes byte for byte ("设备" and "通道").
      {"\xC9\xE8\xB1\xB8-01 \xCD\xA8\xB5\xC0", [] { return Fmt("%s-%02d %s", "\xC9\xE8\xB1\xB8", 1, "\xCD\xA8\xB5\xC0"); }},
      {"", [] { return Fmt("%s", ""); }},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.expected, c.make().GetString());
}

TEST(CStringFormat, LongOutputIsNotCut) {
  CString big(std::string(5000, 'x').c_str());
  CString s;
  s.Format("[%s]", big.GetString());
  EXPECT_EQ(5002, s.GetLength());
  s.AppendFormat("%d", 42);
  EXPECT_EQ("42", s.Right(2));
}

TEST(CStringBehaviour, FindMidTrimCompare) {
  CString s("  Alarm.wav  ");
  s.Trim();
  EXPECT_EQ("Alarm.wav", s);
  EXPECT_EQ(5, s.Find('.'));
  EXPECT_EQ(5, s.Find(".wav"));
  EXPECT_EQ(-1, s.Find("mp3"));
  EXPECT_EQ(-1, s.Find('A', 1));
  EXPECT_EQ(-1, s.Find('a', 100));
  EXPECT_EQ("Alarm", s.Left(5));
  EXPECT_EQ("wav", s.Mid(6));
  EXPECT_EQ("rm", s.Mid(3, 2));
  EXPECT_EQ("", s.Mid(50));
  EXPECT_EQ("Alarm.wav", s.Mid(-3));
  EXPECT_EQ("wav", s.Right(3));
  EXPECT_EQ("Alarm.wav", s.Right(99));
  EXPECT_EQ(0, s.CompareNoCase("ALARM.WAV"));
  EXPECT_NE(0, s.Compare("ALARM.WAV"));
  EXPECT_LT(CString("a").CompareNoCase("B"), 0);
  CString t(",,10, 20,,");
  t.Trim(',');
  EXPECT_EQ("10, 20", t);
  CString u("xxhixx");
  u.TrimLeft('x');
  EXPECT_EQ("hixx", u);
  u.TrimRight("x");
  EXPECT_EQ("hi", u);
  EXPECT_EQ(6, CString("a\\b\\c\\d").ReverseFind('\\') + 1);
}

TEST(CStringBehaviour, CaseChangeLeavesGbkUntouched) {
  // "\x81\x61" is a GBK character whose trail byte is 'a'.
  CString s("ab\x81\x61z\xC9\xE8");
  s.MakeUpper();
  EXPECT_STREQ("AB\x81\x61Z\xC9\xE8", s.GetString());
  s.MakeLower();
  EXPECT_STREQ("ab\x81\x61z\xC9\xE8", s.GetString());
}

TEST(CStringBehaviour, BufferAccess) {
  CString s;
  char* p = s.GetBuffer(64);
  strcpy(p, "written by the system");
  s.ReleaseBuffer();
  EXPECT_EQ(21, s.GetLength());
  EXPECT_EQ("written by the system", s);
  p = s.GetBuffer(0);
  p[7] = 0;
  s.ReleaseBuffer();
  EXPECT_EQ("written", s);
  s.GetBuffer(10);
  s.ReleaseBuffer(3);
  EXPECT_EQ("wri", s);
}

TEST(CStringBehaviour, EditingAndOperators) {
  CString s = CString("a") + "b" + 'c' + CString("d");
  EXPECT_EQ("abcd", s);
  CString r("a-b-c");
  EXPECT_EQ(2, r.Replace("-", "--"));
  EXPECT_EQ("a--b--c", r);
  EXPECT_EQ(4, r.Remove('-'));
  EXPECT_EQ("abc", r);
  r.Insert(1, "XY");
  EXPECT_EQ("aXYbc", r);
  r.Delete(1, 2);
  EXPECT_EQ("abc", r);
  EXPECT_TRUE(CString().IsEmpty());
  EXPECT_TRUE(CString(nullptr).IsEmpty());
  EXPECT_EQ(CString("x"), "x");
  EXPECT_TRUE("x" == CString("x"));
  EXPECT_TRUE(CString("x") != "y");
}

TEST(CStringBehaviour, LoadStringFromTheStringTable) {
  CString s;
  EXPECT_TRUE(s.LoadString(2001));
  EXPECT_EQ("Hello from the string table", s);
  EXPECT_FALSE(s.LoadString(2999));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(Collections, ArraysAndMaps) {
  CStringArray a;
  a.Add("one");
  a.Add(CString("two"));
  a.InsertAt(0, "zero");
  ASSERT_EQ(3, a.GetSize());
  EXPECT_EQ("zero", a[0]);
  a.RemoveAt(1);
  EXPECT_EQ("two", a.GetAt(1));
  a.SetAtGrow(4, "four");
  EXPECT_EQ(5, a.GetSize());
  EXPECT_TRUE(a[3].IsEmpty());

  CUIntArray u;
  for (UINT i = 0; i < 5; ++i) u.Add(i * 10);
  u.RemoveAt(0, 2);
  EXPECT_EQ(3, u.GetSize());
  EXPECT_EQ(20u, u[0]);

  CMap<int, int, CString, LPCSTR> m;
  m.SetAt(3, "c");
  m[1] = "a";
  m.SetAt(2, "b");
  CString v;
  EXPECT_TRUE(m.Lookup(2, v));
  EXPECT_EQ("b", v);
  EXPECT_FALSE(m.Lookup(9, v));
  int seen = 0;
  for (POSITION pos = m.GetStartPosition(); pos;) {
    int k;
    m.GetNextAssoc(pos, k, v);
    ++seen;
  }
  EXPECT_EQ(3, seen);
  EXPECT_TRUE(m.RemoveKey(3));
  EXPECT_EQ(2, m.GetCount());

  CMapStringToPtr sp;
  int x = 0;
  sp.SetAt("key", &x);
  void* p = nullptr;
  EXPECT_TRUE(sp.Lookup("key", p));
  EXPECT_EQ(&x, p);
}

class TempDir {
public:
  TempDir() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    m_path.Format("%splatform_core_%lu\\", base, ::GetCurrentProcessId());
    ::CreateDirectoryA(m_path, nullptr);
  }
  ~TempDir() {
    CFileFind ff;
    BOOL more = ff.FindFile(m_path + "*.*");
    while (more) {
      more = ff.FindNextFile();
      if (!ff.IsDots()) {
        ::SetFileAttributesA(ff.GetFilePath(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileA(ff.GetFilePath());
      }
    }
    ff.Close();
    ::RemoveDirectoryA(m_path);
  }
  CString operator/(const char* name) const { return m_path + name; }
private:
  CString m_path;
};

TEST(Files, CreateReadWriteAttributesAndSharing) {
  TempDir dir;
  CString path = dir / "a.dat";
  {
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeWrite, nullptr,
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(5u, f.Write("hello", 5));
  }
  DWORD attrs = ::GetFileAttributesA(path);
  EXPECT_TRUE(attrs & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(attrs & FILE_ATTRIBUTE_SYSTEM);
  CFileStatus st;
  ASSERT_TRUE(CFile::GetStatus(path, st));
  EXPECT_EQ(5u, st.m_size);
  EXPECT_TRUE(st.m_attribute & CFile::hidden);
  {
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeRead | CFile::shareExclusive));
    // No sharing: a second open fails while the first is open.
    CFile g;
    EXPECT_FALSE(g.Open(path, CFile::modeRead | CFile::shareDenyNone));
    char buf[16] = {};
    EXPECT_EQ(5u, f.Read(buf, sizeof buf));
    EXPECT_STREQ("hello", buf);
    EXPECT_EQ(0u, f.Read(buf, sizeof buf));
    EXPECT_EQ(5u, f.GetLength());
  }
  {
    // Open-always keeps the content and the attributes.
    CFile f;
    ASSERT_TRUE(f.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_EQ(5u, f.GetLength());
    f.Write("J", 1);
  }
  EXPECT_TRUE(::GetFileAttributesA(path) & FILE_ATTRIBUTE_HIDDEN);
  CFile missing;
  CFileException e;
  EXPECT_FALSE(missing.Open(dir / "none.dat", CFile::modeRead, &e));
  EXPECT_EQ(LONG(ERROR_FILE_NOT_FOUND), e.m_lOsError);
}

TEST(Files, FindFilesInAFolder) {
  TempDir dir;
  for (const char* n : {"English.ini", "Other.ini", "note.txt"}) {
    CFile f(dir / n, CFile::modeCreate | CFile::modeWrite);
  }
  CFileFind ff;
  int ini = 0;
  BOOL more = ff.FindFile(dir / "*.ini");
  while (more) {
    more = ff.FindNextFile();
    ++ini;
    EXPECT_EQ(".ini", ff.GetFileName().Right(4));
    EXPECT_EQ(dir / ff.GetFileName(), ff.GetFilePath());
  }
  EXPECT_EQ(2, ini);
  EXPECT_FALSE(ff.FindFile(dir / "*.none"));
}

TEST(Time, FieldsAndFormat) {
  CTime t(2026, 3, 4, 5, 6, 7);
  EXPECT_EQ(2026, t.GetYear());
  EXPECT_EQ(3, t.GetMonth());
  EXPECT_EQ(4, t.GetDay());
  EXPECT_EQ(5, t.GetHour());
  EXPECT_EQ(6, t.GetMinute());
  EXPECT_EQ(7, t.GetSecond());
  EXPECT_EQ(4, t.GetDayOfWeek());   // a Wednesday; 1 = Sunday
  EXPECT_EQ("2026-03-04", t.Format("%Y-%m-%d"));
  CTime u = t + CTimeSpan(1, 0, 0, 0);
  EXPECT_EQ(5, u.GetDay());
  EXPECT_EQ(86400, (u - t).GetTotalSeconds());
}

TEST(FileDialog, FilterConversion) {
  std::string f = CFileDialog::ConvertFilter("Bitmap (*.bmp)|*.bmp|All (*.*)|*.*||");
  EXPECT_EQ(std::string("Bitmap (*.bmp)\0*.bmp\0All (*.*)\0*.*\0\0\0\0", 38), f);
  std::string g = CFileDialog::ConvertFilter("Log|*.log");
  EXPECT_EQ(std::string("Log\0*.log\0\0", 11), g);
}

// ------------------------------------------------------------ threads
UINT CountingWorker(LPVOID p) {
  auto* ctx = static_cast<std::pair<CCriticalSection*, int*>*>(p);
  for (int i = 0; i < 1000; ++i) {
    CSingleLock lock(ctx->first, TRUE);
    ++*ctx->second;
  }
  return 7;
}

TEST(Threads, WorkersWithPriorityLockAndTimeout) {
  CCriticalSection cs;
  int counter = 0;
  std::pair<CCriticalSection*, int*> ctx(&cs, &counter);
  CWinThread* threads[4];
  for (auto& t : threads) {
    t = AfxBeginThread(&CountingWorker, &ctx, THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(nullptr, t);
    t->m_bAutoDelete = FALSE;
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, t->GetThreadPriority());
    t->ResumeThread();
  }
  for (auto* t : threads) {
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(t->m_hThread, 10000));
    DWORD code = 0;
    ::GetExitCodeThread(t->m_hThread, &code);
    EXPECT_EQ(7u, code);
    delete t;
  }
  EXPECT_EQ(4000, counter);
}

TEST(Threads, EventTimesOutThenSignals) {
  CEvent ev(FALSE, TRUE);
  CSingleLock lock(&ev);
  DWORD t0 = ::GetTickCount();
  EXPECT_FALSE(lock.Lock(50));
  EXPECT_GE(::GetTickCount() - t0, 40u);
  std::atomic<bool> ran{false};
  CWinThread* t = AfxBeginThread([](LPVOID p) -> UINT {
    ::Sleep(20);
    static_cast<CEvent*>(p)->SetEvent();
    return 0;
  }, &ev);
  ASSERT_NE(nullptr, t);
  EXPECT_TRUE(lock.Lock(5000));
  EXPECT_TRUE(lock.IsLocked());
  ran = true;
  EXPECT_TRUE(ran);
}

TEST(Application, NameIsTheDefaultCaption) {
  EXPECT_EQ(nullptr, AfxGetApp());
  EXPECT_STREQ("", AfxGetAppName());
  {
    CWinApp app("Selvane Test");
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_STREQ("Selvane Test", AfxGetAppName());
    EXPECT_EQ(&app, AfxGetThread());
    struct Box { std::string caption, text; };
    static Box last;
    AFX_MSGBOX_HOOK prev = AfxSetMessageBoxHook([](HWND, LPCSTR text, LPCSTR caption, UINT) {
      last = {caption, text};
      return IDNO;
    });
    EXPECT_EQ(IDNO, AfxMessageBox("Quit?", MB_YESNO));
    EXPECT_EQ("Selvane Test", last.caption);
    EXPECT_EQ("Quit?", last.text);
    AfxSetMessageBoxHook(prev);
  }
  EXPECT_EQ(nullptr, AfxGetApp());
}

}  // namespace
