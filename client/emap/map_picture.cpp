#include "map_picture.h"

#include <vector>

BOOL CMapPicture::Load(const char* path) {
  Free();
  if (!path || !*path) return FALSE;
  HANDLE f = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return FALSE;
  DWORD high = 0, size = ::GetFileSize(f, &high);
  BOOL ok = FALSE;
  // Pictures above 256 MiB are not map pictures.
  if (size != INVALID_FILE_SIZE && high == 0 && size > 0 && size < (256u << 20)) {
    std::vector<BYTE> data(size);
    DWORD got = 0;
    if (::ReadFile(f, data.data(), size, &got, nullptr) && got == size) ok = LoadFromBuffer(data.data(), int(size));
  }
  ::CloseHandle(f);
  return ok;
}

BOOL CMapPicture::LoadFromBuffer(const BYTE* data, int size) {
  Free();
  if (!data || size <= 0) return FALSE;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, SIZE_T(size));
  if (!block) return FALSE;
  void* p = ::GlobalLock(block);
  if (!p) {
    ::GlobalFree(block);
    return FALSE;
  }
  memcpy(p, data, size_t(size));
  ::GlobalUnlock(block);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(block, TRUE, &stream)) || !stream) {
    ::GlobalFree(block);
    return FALSE;
  }
  IPicture* picture = nullptr;
  HRESULT hr = ::OleLoadPicture(stream, size, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
  stream->Release();  // frees the block as well
  if (FAILED(hr) || !picture) {
    if (picture) picture->Release();
    return FALSE;
  }
  m_picture = picture;
  OLE_XSIZE_HIMETRIC w = 0;
  OLE_YSIZE_HIMETRIC h = 0;
  m_picture->get_Width(&w);
  m_picture->get_Height(&h);
  HDC screen = ::GetDC(nullptr);
  m_size = CSize(::MulDiv(w, ::GetDeviceCaps(screen, LOGPIXELSX), 2540),
                 ::MulDiv(h, ::GetDeviceCaps(screen, LOGPIXELSY), 2540));
  ::ReleaseDC(nullptr, screen);
  return TRUE;
}

void CMapPicture::Free() {
  if (m_picture) m_picture->Release();
  m_picture = nullptr;
  m_size = CSize(0, 0);
}

HBITMAP CMapPicture::GetBitmap() const {
  if (!m_picture) return nullptr;
  short type = PICTYPE_UNINITIALIZED;
  if (FAILED(m_picture->get_Type(&type)) || type != PICTYPE_BITMAP) return nullptr;
  OLE_HANDLE handle = 0;
  if (FAILED(m_picture->get_Handle(&handle))) return nullptr;
  return reinterpret_cast<HBITMAP>(uintptr_t(handle));
}
