#include "helpers.h"
#include "dib_layout.h"

#include <cstdlib>
#include <vector>

CString GetModuleDirectory() {
  // A long program folder is never cut: the buffer grows until the whole
  // name fits.
  std::vector<char> buf(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameA(nullptr, buf.data(), DWORD(buf.size()));
    if (n == 0) return CString();
    if (n < buf.size()) break;
    if (buf.size() >= 32768) return CString();
    buf.resize(buf.size() * 2);
  }
  CString p = buf.data();
  int slash = p.ReverseFind('\\');
  return slash >= 0 ? p.Left(slash + 1) : CString();
}

BOOL FileExists(const char* path, uint32_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA d{};
  if (!path || !::GetFileAttributesExA(path, GetFileExInfoStandard, &d)) return FALSE;
  if (d.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) return FALSE;
  if (size) *size = d.nFileSizeLow;
  return TRUE;
}

int SplitString(const CString& text, char separator, CStringArray& out) {
  int added = 0, start = 0, len = text.GetLength();
  for (int i = 0; i <= len; ++i) {
    if (i == len || text[i] == separator) {
      if (i > start) {
        out.Add(text.Mid(start, i - start));
        ++added;
      }
      start = i + 1;
    }
  }
  return added;
}

CString IntToString(int value) {
  CString s;
  s.Format("%d", value);
  return s;
}

int RoundToInt(double value) {
  int whole = int(value);
  return value - whole >= 0.5 ? whole + 1 : whole;
}

namespace {
// The comma-separated numbers of a skin key, by position: a missing or
// non-numeric part counts as 0.
void ParseNumbers(const CString& text, int* out, int count) {
  int start = 0, index = 0, len = text.GetLength();
  for (int i = 0; i < count; ++i) out[i] = 0;
  for (int i = 0; i <= len && index < count; ++i) {
    if (i == len || text[i] == ',') {
      CString part = text.Mid(start, i - start);
      part.Trim();
      out[index++] = atoi(part);
      start = i + 1;
    }
  }
}
}  // namespace

CRect ParseRect(const CString& text) {
  if (text.IsEmpty()) return CRect(0, 0, 0, 0);
  int v[4];
  ParseNumbers(text, v, 4);
  return CRect(v[0], v[1], v[2] + 1, v[3] + 1);
}

COLORREF ParseColor(const CString& text) {
  if (text.IsEmpty()) return 0;
  int v[3];
  ParseNumbers(text, v, 3);
  return RGB(BYTE(v[0]), BYTE(v[1]), BYTE(v[2]));
}

BOOL LoadDibFile(const char* path, CBitmap& out, BOOL withPalette) {
  CFile f;
  if (!f.Open(path, CFile::modeRead | CFile::shareDenyWrite)) return FALSE;
  BITMAPFILEHEADER fh{};
  if (f.Read(&fh, sizeof fh) != sizeof fh || fh.bfType != 0x4D42) return FALSE;
  ULONGLONG total = f.GetLength();
  if (total <= sizeof fh || total > 64u * 1024 * 1024) return FALSE;
  UINT rest = UINT(total - sizeof fh);
  std::vector<BYTE> dib(rest);
  if (f.Read(dib.data(), rest) != rest) return FALSE;
  shell::DibLayout layout;
  if (!shell::CheckPackedDib(dib.data(), rest, &layout)) return FALSE;
  const auto* bih = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
  const DWORD colours = layout.colours;
  const size_t bitsOffset = layout.bitsOffset;
  HDC screen = ::GetDC(nullptr);
  if (!screen) return FALSE;
  HPALETTE oldPal = nullptr;
  HPALETTE pal = nullptr;
  if (withPalette && colours > 0) {
    std::vector<BYTE> lpBuf(sizeof(LOGPALETTE) + colours * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(lpBuf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(colours);
    const auto* quads = reinterpret_cast<const RGBQUAD*>(dib.data() + bih->biSize);
    for (DWORD i = 0; i < colours; ++i)
      lp->palPalEntry[i] = PALETTEENTRY{quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue, 0};
    pal = ::CreatePalette(lp);
    if (pal) {
      oldPal = ::SelectPalette(screen, pal, FALSE);
      ::RealizePalette(screen);
    }
  }
  HBITMAP bmp = ::CreateDIBitmap(screen, bih, CBM_INIT, dib.data() + bitsOffset,
                                 reinterpret_cast<const BITMAPINFO*>(bih), DIB_RGB_COLORS);
  if (pal) {
    ::SelectPalette(screen, oldPal, FALSE);
    ::DeleteObject(pal);
  }
  ::ReleaseDC(nullptr, screen);
  if (!bmp) return FALSE;
  out.DeleteObject();
  out.Attach(bmp);
  return TRUE;
}

void DrawBitmap(CDC& dc, CBitmap& bitmap, int x, int y) {
  if (!bitmap.m_hObject) return;
  BITMAP bm{};
  bitmap.GetBitmap(&bm);
  CDC mem;
  mem.CreateCompatibleDC(&dc);
  CBitmap* old = mem.SelectObject(&bitmap);
  dc.BitBlt(x, y, bm.bmWidth, bm.bmHeight, &mem, 0, 0, SRCCOPY);
  mem.SelectObject(old);
}
