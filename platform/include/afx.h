// Core of the MFC-style class library: strings, collections, files, time.
// A thin layer over Win32; single-byte (ANSI) text only. GBK and other
// multi-byte texts pass through byte for byte.
#pragma once

#include <windows.h>
#include <stdarg.h>
#include <string>
#include <vector>
#include <map>
#include <ctime>

#ifndef afx_msg
#define afx_msg
#endif
#ifndef AFXAPI
#define AFXAPI __stdcall
#endif
#ifndef ASSERT
#define ASSERT(f) ((void)0)
#endif
#ifndef VERIFY
#define VERIFY(f) ((void)(f))
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif

// ---------------------------------------------------------------- CString
class CString {
public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(LPCSTR s) : m_s(s ? s : "") {}
  CString(LPCSTR s, int n) : m_s(s ? s : "", s && n > 0 ? size_t(n) : 0) {}
  CString(char ch, int repeat = 1) : m_s(repeat > 0 ? size_t(repeat) : 0, ch) {}
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(LPCSTR s) { m_s = s ? s : ""; return *this; }
  CString& operator=(char ch) { m_s.assign(1, ch); return *this; }

  int GetLength() const { return int(m_s.size()); }
  BOOL IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  operator LPCSTR() const { return m_s.c_str(); }
  LPCSTR GetString() const { return m_s.c_str(); }
  char GetAt(int i) const { return m_s[size_t(i)]; }
  void SetAt(int i, char ch) { m_s[size_t(i)] = ch; }
  char operator[](int i) const { return m_s[size_t(i)]; }

  CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
  CString& operator+=(LPCSTR s) { if (s) m_s += s; return *this; }
  CString& operator+=(char ch) { m_s += ch; return *this; }
  friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
  friend CString operator+(const CString& a, LPCSTR b) { CString r(a); r += b; return r; }
  friend CString operator+(LPCSTR a, const CString& b) { CString r(a); r += b; return r; }
  friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }
  friend CString operator+(char a, const CString& b) { CString r(a); r += b; return r; }

  int Compare(LPCSTR s) const { return strcmp(m_s.c_str(), s ? s : ""); }
  int CompareNoCase(LPCSTR s) const { return lstrcmpiA(m_s.c_str(), s ? s : ""); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, LPCSTR b) { return a.Compare(b) == 0; }
  friend bool operator==(LPCSTR a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }
  friend bool operator!=(LPCSTR a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString SpanIncluding(LPCSTR set) const;
  CString SpanExcluding(LPCSTR set) const;

  int Find(char ch, int start = 0) const;
  int Find(LPCSTR sub, int start = 0) const;
  int ReverseFind(char ch) const;
  int FindOneOf(LPCSTR set) const;

  CString& Trim();
  CString& Trim(char ch);
  CString& Trim(LPCSTR set);
  CString& TrimLeft(LPCSTR set = " \t\r\n\v\f");
  CString& TrimRight(LPCSTR set = " \t\r\n\v\f");
  CString& TrimLeft(char ch) { char s[2] = {ch, 0}; return TrimLeft(s); }
  CString& TrimRight(char ch) { char s[2] = {ch, 0}; return TrimRight(s); }
  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();
  int Replace(char from, char to);
  int Replace(LPCSTR from, LPCSTR to);
  int Remove(char ch);
  int Insert(int index, char ch);
  int Insert(int index, LPCSTR s);
  int Delete(int index, int count = 1);

  void Format(LPCSTR fmt, ...);
  void FormatV(LPCSTR fmt, va_list args);
  void AppendFormat(LPCSTR fmt, ...);
  BOOL LoadString(UINT id);

  // Direct access: the buffer holds at least minLength characters plus a
  // NUL; ReleaseBuffer(-1) takes the length from the first NUL.
  LPSTR GetBuffer(int minLength = 0);
  LPSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);
  void Preallocate(int length) { m_s.reserve(size_t(length > 0 ? length : 0)); }

  const std::string& str() const { return m_s; }

private:
  std::string m_s;
};

// ------------------------------------------------------------ collections
class CStringArray {
public:
  int GetSize() const { return int(m_a.size()); }
  int GetCount() const { return int(m_a.size()); }
  int GetUpperBound() const { return int(m_a.size()) - 1; }
  BOOL IsEmpty() const { return m_a.empty(); }
  void SetSize(int n) { m_a.resize(size_t(n > 0 ? n : 0)); }
  int Add(LPCSTR s) { m_a.emplace_back(s); return int(m_a.size()) - 1; }
  int Add(const CString& s) { m_a.push_back(s); return int(m_a.size()) - 1; }
  const CString& GetAt(int i) const { return m_a[size_t(i)]; }
  CString& ElementAt(int i) { return m_a[size_t(i)]; }
  void SetAt(int i, LPCSTR s) { m_a[size_t(i)] = s; }
  void SetAtGrow(int i, LPCSTR s) { if (i >= GetSize()) SetSize(i + 1); m_a[size_t(i)] = s; }
  CString& operator[](int i) { return m_a[size_t(i)]; }
  const CString& operator[](int i) const { return m_a[size_t(i)]; }
  void InsertAt(int i, LPCSTR s, int count = 1) { m_a.insert(m_a.begin() + i, size_t(count), CString(s)); }
  void RemoveAt(int i, int count = 1) { m_a.erase(m_a.begin() + i, m_a.begin() + i + count); }
  void RemoveAll() { m_a.clear(); }
  void Append(const CStringArray& o) { m_a.insert(m_a.end(), o.m_a.begin(), o.m_a.end()); }
  void Copy(const CStringArray& o) { m_a = o.m_a; }

private:
  std::vector<CString> m_a;
};

// ------------------------------------------------------------------ CTime
class CTimeSpan {
public:
  CTimeSpan(time_t t = 0) : m_t(t) {}
  CTimeSpan(LONG days, int hours, int mins, int secs)
      : m_t(((time_t(days) * 24 + hours) * 60 + mins) * 60 + secs) {}
  time_t GetTotalSeconds() const { return m_t; }
  LONG GetDays() const { return LONG(m_t / 86400); }
  int GetHours() const { return int(m_t / 3600 % 24); }
  int GetMinutes() const { return int(m_t / 60 % 60); }
  int GetSeconds() const { return int(m_t % 60); }
  time_t GetTotalMinutes() const { return m_t / 60; }
  time_t GetTotalHours() const { return m_t / 3600; }
private:
  time_t m_t;
};

class CTime {
public:
  CTime() : m_t(0) {}
  CTime(time_t t) : m_t(t) {}
  // Local time; -1 for a date that cannot be represented.
  CTime(int year, int month, int day, int hour, int min, int sec, int dst = -1);
  CTime(const SYSTEMTIME& st, int dst = -1);
  static CTime GetCurrentTime() { return CTime(::time(nullptr)); }
  time_t GetTime() const { return m_t; }
  int GetYear() const { return Local().tm_year + 1900; }
  int GetMonth() const { return Local().tm_mon + 1; }
  int GetDay() const { return Local().tm_mday; }
  int GetHour() const { return Local().tm_hour; }
  int GetMinute() const { return Local().tm_min; }
  int GetSecond() const { return Local().tm_sec; }
  int GetDayOfWeek() const { return Local().tm_wday + 1; }   // 1 = Sunday
  BOOL GetAsSystemTime(SYSTEMTIME& st) const;
  CString Format(LPCSTR fmt) const;
  CTimeSpan operator-(CTime o) const { return CTimeSpan(m_t - o.m_t); }
  CTime operator+(CTimeSpan s) const { return CTime(m_t + s.GetTotalSeconds()); }
  CTime operator-(CTimeSpan s) const { return CTime(m_t - s.GetTotalSeconds()); }
  bool operator==(CTime o) const { return m_t == o.m_t; }
  bool operator!=(CTime o) const { return m_t != o.m_t; }
  bool operator<(CTime o) const { return m_t < o.m_t; }
  bool operator>(CTime o) const { return m_t > o.m_t; }
  bool operator<=(CTime o) const { return m_t <= o.m_t; }
  bool operator>=(CTime o) const { return m_t >= o.m_t; }
private:
  struct tm Local() const;
  time_t m_t;
};

// ------------------------------------------------------------------ CFile
struct CFileStatus {
  CTime m_ctime, m_mtime, m_atime;
  ULONGLONG m_size = 0;
  BYTE m_attribute = 0;
  char m_szFullName[MAX_PATH] = {};
};

class CFileException {
public:
  explicit CFileException(LONG osError = 0) : m_lOsError(osError) {}
  LONG m_lOsError;
  int m_cause = 0;
};

// Thin file handle. Open() reports failures through its return value and
// GetLastError(); Read/Write return what the system returned (no exceptions).
class CFile {
public:
  enum OpenFlags : UINT {
    modeRead = 0x0000, modeWrite = 0x0001, modeReadWrite = 0x0002,
    shareCompat = 0x0000, shareExclusive = 0x0010, shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030, shareDenyNone = 0x0040,
    modeNoInherit = 0x0080, modeCreate = 0x1000, modeNoTruncate = 0x2000,
    typeText = 0x4000, typeBinary = 0x8000,
    osNoBuffer = 0x10000, osWriteThrough = 0x20000,
  };
  enum Attribute : BYTE {
    normal = 0x00, readOnly = 0x01, hidden = 0x02, system = 0x04,
    volume = 0x08, directory = 0x10, archive = 0x20,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };

  CFile() = default;
  CFile(LPCSTR path, UINT flags) { Open(path, flags); }
  virtual ~CFile() { Close(); }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Extra: the attributes a file created by this call gets (hidden, system).
  virtual BOOL Open(LPCSTR path, UINT flags, CFileException* error = nullptr, DWORD createAttributes = FILE_ATTRIBUTE_NORMAL);
  virtual void Close();
  void Abort() { Close(); }
  virtual UINT Read(void* buf, UINT count);
  // Returns the number of bytes written; < count on failure.
  virtual UINT Write(const void* buf, UINT count);
  BOOL WriteAll(const void* buf, UINT count) { return Write(buf, count) == count; }
  LONGLONG Seek(LONGLONG off, UINT from);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return ULONGLONG(Seek(0, end)); }
  ULONGLONG GetLength() const;
  BOOL SetLength(ULONGLONG len);
  ULONGLONG GetPosition() const;
  BOOL Flush() { return m_hFile != INVALID_HANDLE_VALUE && ::FlushFileBuffers(m_hFile); }
  CString GetFilePath() const { return m_path; }
  HANDLE m_hFile = INVALID_HANDLE_VALUE;
  operator HANDLE() const { return m_hFile; }

  static BOOL GetStatus(LPCSTR path, CFileStatus& st);
  static BOOL Remove(LPCSTR path) { return ::DeleteFileA(path); }
  static BOOL Rename(LPCSTR from, LPCSTR to) { return ::MoveFileA(from, to); }
  static const HANDLE hFileNull;
private:
  CString m_path;
};

class CFileFind {
public:
  CFileFind() = default;
  ~CFileFind() { Close(); }
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;
  BOOL FindFile(LPCSTR pattern = nullptr);
  BOOL FindNextFile();   // FALSE on the last file (which is then current)
  void Close();
  CString GetFileName() const { return m_cur.cFileName; }
  CString GetFilePath() const { return m_root + m_cur.cFileName; }
  CString GetFileTitle() const;
  CString GetRoot() const { return m_root; }
  ULONGLONG GetLength() const { return (ULONGLONG(m_cur.nFileSizeHigh) << 32) | m_cur.nFileSizeLow; }
  BOOL IsDirectory() const { return (m_cur.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  BOOL IsDots() const;
  BOOL IsHidden() const { return (m_cur.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0; }
  BOOL IsReadOnly() const { return (m_cur.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0; }
  BOOL GetLastWriteTime(CTime& t) const;
private:
  HANDLE m_h = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAA m_cur{}, m_next{};
  BOOL m_hasNext = FALSE;
  CString m_root;
};

// Resource handle used by LoadString, dialogs and bitmaps; the module of the
// program unless set (a DLL sets its own).
HINSTANCE AFXAPI AfxGetResourceHandle();
// The module holding a resource: the resource module, else the program;
// null when neither has it.
HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR name, LPCSTR type);
void AFXAPI AfxSetResourceHandle(HINSTANCE h);
HINSTANCE AFXAPI AfxGetInstanceHandle();
