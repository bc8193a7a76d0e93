// Counts the GDI objects this program holds: the import table's GDI
// creators and DeleteObject/DeleteDC are routed through a book of live
// handles. A region given to SetWindowRgn leaves the book (it belongs to the
// system from then on). Install once, before any window exists.
#pragma once
#include <windows.h>

#include <cstring>
#include <mutex>
#include <set>

namespace gdicount {

// Never destroyed: the hooks stay in place while the process ends.
inline std::mutex& Lock() {
  static std::mutex* m = new std::mutex;
  return *m;
}
inline std::set<HANDLE>& Live() {
  static std::set<HANDLE>* s = new std::set<HANDLE>;
  return *s;
}
inline void Add(HANDLE h) {
  if (!h) return;
  std::lock_guard<std::mutex> l(Lock());
  Live().insert(h);
}
inline void Remove(HANDLE h) {
  std::lock_guard<std::mutex> l(Lock());
  Live().erase(h);
}
inline size_t Count() {
  std::lock_guard<std::mutex> l(Lock());
  return Live().size();
}

#define GDICOUNT_CREATOR(ret, name, params, args)                         \
  inline ret(WINAPI* real_##name) params = nullptr;                       \
  inline ret WINAPI hook_##name params {                                  \
    ret made = real_##name args;                                          \
    Add(reinterpret_cast<HANDLE>(made));                                  \
    return made;                                                          \
  }

GDICOUNT_CREATOR(HBITMAP, CreateCompatibleBitmap, (HDC dc, int w, int h), (dc, w, h))
GDICOUNT_CREATOR(HBITMAP, CreateBitmap, (int w, int h, UINT p, UINT b, const void* bits), (w, h, p, b, bits))
GDICOUNT_CREATOR(HBITMAP, CreateBitmapIndirect, (const BITMAP* bm), (bm))
GDICOUNT_CREATOR(HBITMAP, CreateDIBSection, (HDC dc, const BITMAPINFO* bi, UINT u, void** bits, HANDLE s, DWORD o),
                 (dc, bi, u, bits, s, o))
GDICOUNT_CREATOR(HRGN, CreateRectRgn, (int l, int t, int r, int b), (l, t, r, b))
GDICOUNT_CREATOR(HRGN, CreateRectRgnIndirect, (const RECT* r), (r))
GDICOUNT_CREATOR(HRGN, ExtCreateRegion, (const XFORM* x, DWORD n, const RGNDATA* d), (x, n, d))
GDICOUNT_CREATOR(HBRUSH, CreateSolidBrush, (COLORREF c), (c))
GDICOUNT_CREATOR(HPEN, CreatePen, (int s, int w, COLORREF c), (s, w, c))
GDICOUNT_CREATOR(HFONT, CreateFontIndirectA, (const LOGFONTA* lf), (lf))
GDICOUNT_CREATOR(HDC, CreateCompatibleDC, (HDC dc), (dc))
GDICOUNT_CREATOR(HBITMAP, LoadBitmapA, (HINSTANCE i, LPCSTR n), (i, n))

inline HANDLE(WINAPI* real_LoadImageA)(HINSTANCE, LPCSTR, UINT, int, int, UINT) = nullptr;
inline HANDLE WINAPI hook_LoadImageA(HINSTANCE i, LPCSTR n, UINT type, int w, int h, UINT f) {
  HANDLE r = real_LoadImageA(i, n, type, w, h, f);
  if (type == IMAGE_BITMAP && !(f & LR_SHARED)) Add(r);
  return r;
}
inline BOOL(WINAPI* real_DeleteObject)(HGDIOBJ) = nullptr;
inline BOOL WINAPI hook_DeleteObject(HGDIOBJ h) {
  BOOL ok = real_DeleteObject(h);
  if (ok) Remove(h);
  return ok;
}
inline BOOL(WINAPI* real_DeleteDC)(HDC) = nullptr;
inline BOOL WINAPI hook_DeleteDC(HDC h) {
  BOOL ok = real_DeleteDC(h);
  if (ok) Remove(h);
  return ok;
}
inline int(WINAPI* real_SetWindowRgn)(HWND, HRGN, BOOL) = nullptr;
inline int WINAPI hook_SetWindowRgn(HWND w, HRGN r, BOOL redraw) {
  int ok = real_SetWindowRgn(w, r, redraw);
  if (ok && r) Remove(r);
  return ok;
}

// Points the program's import entry `name` of `dll` at hook and keeps the
// old target in *real.
template <class F>
inline bool Patch(const char* dll, const char* name, F hook, F* real) {
  BYTE* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  bool patched = false;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
      DWORD old = 0;
      ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
      if (!*real) *real = reinterpret_cast<F>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<decltype(slots->u1.Function)>(hook);
      ::VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
      patched = true;
    }
  }
  return patched;
}

// TRUE when DeleteObject and the bitmap and region creators were found.
inline bool Install() {
  static bool done = false, ok = false;
  if (done) return ok;
  done = true;
#define GDICOUNT_PATCH(dll, name) Patch(dll, #name, &hook_##name, &real_##name)
  ok = GDICOUNT_PATCH("gdi32.dll", DeleteObject);
  ok = GDICOUNT_PATCH("gdi32.dll", CreateCompatibleBitmap) && ok;
  ok = GDICOUNT_PATCH("gdi32.dll", CreateRectRgn) && ok;
  GDICOUNT_PATCH("gdi32.dll", DeleteDC);
  GDICOUNT_PATCH("gdi32.dll", CreateBitmap);
  GDICOUNT_PATCH("gdi32.dll", CreateBitmapIndirect);
  GDICOUNT_PATCH("gdi32.dll", CreateDIBSection);
  GDICOUNT_PATCH("gdi32.dll", CreateRectRgnIndirect);
  GDICOUNT_PATCH("gdi32.dll", ExtCreateRegion);
  GDICOUNT_PATCH("gdi32.dll", CreateSolidBrush);
  GDICOUNT_PATCH("gdi32.dll", CreatePen);
  GDICOUNT_PATCH("gdi32.dll", CreateFontIndirectA);
  GDICOUNT_PATCH("gdi32.dll", CreateCompatibleDC);
  GDICOUNT_PATCH("user32.dll", LoadBitmapA);
  GDICOUNT_PATCH("user32.dll", LoadImageA);
  GDICOUNT_PATCH("user32.dll", SetWindowRgn);
#undef GDICOUNT_PATCH
  return ok;
}

}  // namespace gdicount
