// CString, CTime, CFile, CFileFind and the resource handle. Nothing here
// needs an application object, so DLLs link it too.
#include "afx.h"

#include <cstdio>
#include <cstring>
#include <algorithm>

CString CString::Mid(int first) const { return Mid(first, GetLength() - (first < 0 ? 0 : first)); }

CString CString::Mid(int first, int count) const {
  int len = GetLength();
  if (first < 0) first = 0;
  if (count < 0) count = 0;
  if (first > len) first = len;
  if (count > len - first) count = len - first;
  CString r;
  r.m_s.assign(m_s, size_t(first), size_t(count));
  return r;
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  int len = GetLength();
  if (count < 0) count = 0;
  if (count > len) count = len;
  return Mid(len - count, count);
}

CString CString::SpanIncluding(LPCSTR set) const { return Left(int(strspn(m_s.c_str(), set))); }
CString CString::SpanExcluding(LPCSTR set) const { return Left(int(strcspn(m_s.c_str(), set))); }

int CString::Find(char ch, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  size_t p = m_s.find(ch, size_t(start));
  return p == std::string::npos ? -1 : int(p);
}

int CString::Find(LPCSTR sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  size_t p = m_s.find(sub, size_t(start));
  return p == std::string::npos ? -1 : int(p);
}

int CString::ReverseFind(char ch) const {
  size_t p = m_s.rfind(ch);
  return p == std::string::npos ? -1 : int(p);
}

int CString::FindOneOf(LPCSTR set) const {
  size_t p = m_s.find_first_of(set ? set : "");
  return p == std::string::npos ? -1 : int(p);
}

CString& CString::TrimLeft(LPCSTR set) {
  size_t p = m_s.find_first_not_of(set ? set : "");
  m_s.erase(0, p == std::string::npos ? m_s.size() : p);
  return *this;
}

CString& CString::TrimRight(LPCSTR set) {
  size_t p = m_s.find_last_not_of(set ? set : "");
  m_s.erase(p == std::string::npos ? 0 : p + 1);
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
CString& CString::Trim(LPCSTR set) { return TrimRight(set).TrimLeft(set); }

// Only ASCII letters change case. A GBK character is a lead byte 0x81..0xFE
// and a trail byte that may look like an ASCII letter; both pass untouched.
static void ChangeAsciiCase(std::string& s, char from, char to) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x81 && c <= 0xFE) {
      ++i;   // skip the trail byte
      continue;
    }
    if (s[i] >= from && s[i] <= char(from + 25)) s[i] = char(s[i] - from + to);
  }
}

CString& CString::MakeUpper() {
  ChangeAsciiCase(m_s, 'a', 'A');
  return *this;
}

CString& CString::MakeLower() {
  ChangeAsciiCase(m_s, 'A', 'a');
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_s.begin(), m_s.end());
  return *this;
}

int CString::Replace(char from, char to) {
  int n = 0;
  for (char& c : m_s)
    if (c == from) { c = to; ++n; }
  return n;
}

int CString::Replace(LPCSTR from, LPCSTR to) {
  if (!from || !*from) return 0;
  std::string f(from), t(to ? to : "");
  int n = 0;
  for (size_t p = m_s.find(f); p != std::string::npos; p = m_s.find(f, p + t.size())) {
    m_s.replace(p, f.size(), t);
    ++n;
  }
  return n;
}

int CString::Remove(char ch) {
  size_t before = m_s.size();
  m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
  return int(before - m_s.size());
}

int CString::Insert(int index, char ch) {
  if (index < 0) index = 0;
  if (index > GetLength()) index = GetLength();
  m_s.insert(size_t(index), 1, ch);
  return GetLength();
}

int CString::Insert(int index, LPCSTR s) {
  if (index < 0) index = 0;
  if (index > GetLength()) index = GetLength();
  m_s.insert(size_t(index), s ? s : "");
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (index < GetLength() && count > 0) m_s.erase(size_t(index), size_t(count));
  return GetLength();
}

void CString::FormatV(LPCSTR fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n < 0) {
    m_s.clear();
    return;
  }
  std::string out(size_t(n) + 1, '\0');
  vsnprintf(&out[0], out.size(), fmt, args);
  out.resize(size_t(n));
  m_s.swap(out);
}

void CString::Format(LPCSTR fmt, ...) {
  va_list a;
  va_start(a, fmt);
  FormatV(fmt, a);
  va_end(a);
}

void CString::AppendFormat(LPCSTR fmt, ...) {
  CString t;
  va_list a;
  va_start(a, fmt);
  t.FormatV(fmt, a);
  va_end(a);
  m_s += t.m_s;
}

BOOL CString::LoadString(UINT id) {
  char buf[1024];
  int n = ::LoadStringA(AfxGetResourceHandle(), id, buf, sizeof buf);
  if (n <= 0) {
    m_s.clear();
    return FALSE;
  }
  m_s.assign(buf, size_t(n));
  return TRUE;
}

LPSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_s.resize(size_t(minLength));
  return &m_s[0];
}

LPSTR CString::GetBufferSetLength(int length) {
  m_s.resize(size_t(length > 0 ? length : 0));
  return &m_s[0];
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = int(strlen(m_s.c_str()));
  if (newLength > GetLength()) newLength = GetLength();
  m_s.resize(size_t(newLength));
}

// ------------------------------------------------------------------ CTime
CTime::CTime(int year, int month, int day, int hour, int min, int sec, int dst) {
  struct tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = min;
  t.tm_sec = sec;
  t.tm_isdst = dst;
  m_t = mktime(&t);
}

CTime::CTime(const SYSTEMTIME& st, int dst)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, dst) {}

struct tm CTime::Local() const {
  struct tm out{};
  time_t t = m_t;
  if (struct tm* p = localtime(&t)) out = *p;
  return out;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& st) const {
  struct tm t = Local();
  st = SYSTEMTIME{};
  st.wYear = WORD(t.tm_year + 1900);
  st.wMonth = WORD(t.tm_mon + 1);
  st.wDay = WORD(t.tm_mday);
  st.wDayOfWeek = WORD(t.tm_wday);
  st.wHour = WORD(t.tm_hour);
  st.wMinute = WORD(t.tm_min);
  st.wSecond = WORD(t.tm_sec);
  return TRUE;
}

CString CTime::Format(LPCSTR fmt) const {
  char buf[256];
  struct tm t = Local();
  size_t n = strftime(buf, sizeof buf, fmt, &t);
  return CString(buf, int(n));
}

// ------------------------------------------------------------------ CFile
const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

BOOL CFile::Open(LPCSTR path, UINT flags, CFileException* error, DWORD createAttributes) {
  Close();
  DWORD access = 0;
  switch (flags & 3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
  }
  DWORD share = 0;
  switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: share = 0; break;   // exclusive / compatibility
  }
  DWORD disp = OPEN_EXISTING;
  if (flags & modeCreate) disp = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
  DWORD attrs = createAttributes ? createAttributes : FILE_ATTRIBUTE_NORMAL;
  if (flags & osWriteThrough) attrs |= FILE_FLAG_WRITE_THROUGH;
  if (flags & osNoBuffer) attrs |= FILE_FLAG_NO_BUFFERING;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, (flags & modeNoInherit) ? FALSE : TRUE};
  HANDLE h = ::CreateFileA(path, access, share, &sa, disp, attrs, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) error->m_lOsError = LONG(::GetLastError());
    return FALSE;
  }
  m_hFile = h;
  m_path = path;
  return TRUE;
}

void CFile::Close() {
  if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* buf, UINT count) {
  DWORD got = 0;
  if (m_hFile == INVALID_HANDLE_VALUE || !::ReadFile(m_hFile, buf, count, &got, nullptr)) return 0;
  return got;
}

UINT CFile::Write(const void* buf, UINT count) {
  DWORD put = 0;
  if (m_hFile == INVALID_HANDLE_VALUE || !::WriteFile(m_hFile, buf, count, &put, nullptr)) return 0;
  return put;
}

LONGLONG CFile::Seek(LONGLONG off, UINT from) {
  LARGE_INTEGER d, out{};
  d.QuadPart = off;
  DWORD method = from == begin ? FILE_BEGIN : from == current ? FILE_CURRENT : FILE_END;
  if (!::SetFilePointerEx(m_hFile, d, &out, method)) return -1;
  return out.QuadPart;
}

ULONGLONG CFile::GetLength() const {
  LARGE_INTEGER s{};
  return ::GetFileSizeEx(m_hFile, &s) ? ULONGLONG(s.QuadPart) : 0;
}

BOOL CFile::SetLength(ULONGLONG len) {
  LONGLONG pos = LONGLONG(GetPosition());
  if (Seek(LONGLONG(len), begin) < 0 || !::SetEndOfFile(m_hFile)) return FALSE;
  Seek(std::min<LONGLONG>(pos, LONGLONG(len)), begin);
  return TRUE;
}

ULONGLONG CFile::GetPosition() const {
  LARGE_INTEGER z{}, out{};
  return ::SetFilePointerEx(m_hFile, z, &out, FILE_CURRENT) ? ULONGLONG(out.QuadPart) : 0;
}

static CTime FromFileTime(const FILETIME& ft) {
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  if (u.QuadPart == 0) return CTime(0);
  return CTime(time_t((u.QuadPart - 116444736000000000ULL) / 10000000ULL));
}

BOOL CFile::GetStatus(LPCSTR path, CFileStatus& st) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!::GetFileAttributesExA(path, GetFileExInfoStandard, &d)) return FALSE;
  st.m_attribute = BYTE(d.dwFileAttributes);
  st.m_size = (ULONGLONG(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  st.m_ctime = FromFileTime(d.ftCreationTime);
  st.m_atime = FromFileTime(d.ftLastAccessTime);
  st.m_mtime = FromFileTime(d.ftLastWriteTime);
  if (!::GetFullPathNameA(path, MAX_PATH, st.m_szFullName, nullptr)) lstrcpynA(st.m_szFullName, path, MAX_PATH);
  return TRUE;
}

// -------------------------------------------------------------- CFileFind
BOOL CFileFind::FindFile(LPCSTR pattern) {
  Close();
  CString p = pattern ? pattern : "*.*";
  int slash = std::max(p.ReverseFind('\\'), p.ReverseFind('/'));
  m_root = slash >= 0 ? p.Left(slash + 1) : CString();
  m_h = ::FindFirstFileA(p, &m_next);
  m_hasNext = m_h != INVALID_HANDLE_VALUE;
  return m_hasNext;
}

BOOL CFileFind::FindNextFile() {
  if (!m_hasNext) return FALSE;
  m_cur = m_next;
  m_hasNext = ::FindNextFileA(m_h, &m_next);
  return m_hasNext;
}

void CFileFind::Close() {
  if (m_h != INVALID_HANDLE_VALUE) ::FindClose(m_h);
  m_h = INVALID_HANDLE_VALUE;
  m_hasNext = FALSE;
}

CString CFileFind::GetFileTitle() const {
  CString n = GetFileName();
  int dot = n.ReverseFind('.');
  return dot > 0 ? n.Left(dot) : n;
}

BOOL CFileFind::IsDots() const {
  return IsDirectory() && (strcmp(m_cur.cFileName, ".") == 0 || strcmp(m_cur.cFileName, "..") == 0);
}

BOOL CFileFind::GetLastWriteTime(CTime& t) const {
  t = FromFileTime(m_cur.ftLastWriteTime);
  return TRUE;
}

// ------------------------------------------------------- resource handle
namespace {
volatile LONG g_resource = 0;
}

HINSTANCE AFXAPI AfxGetInstanceHandle() { return ::GetModuleHandleA(nullptr); }

HINSTANCE AFXAPI AfxGetResourceHandle() {
  HINSTANCE h = reinterpret_cast<HINSTANCE>(LONG_PTR(g_resource));
  return h ? h : ::GetModuleHandleA(nullptr);
}

HINSTANCE AFXAPI AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
  HINSTANCE inst = AfxGetResourceHandle();
  if (::FindResourceA(inst, name, type)) return inst;
  HINSTANCE exe = ::GetModuleHandleA(nullptr);
  return exe != inst && ::FindResourceA(exe, name, type) ? exe : nullptr;
}

void AFXAPI AfxSetResourceHandle(HINSTANCE h) {
  ::InterlockedExchange(&g_resource, LONG(reinterpret_cast<LONG_PTR>(h)));
}
