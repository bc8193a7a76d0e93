// A map picture (JPEG or BMP) loaded through OleLoadPicture. The map dialog
// stretches its bitmap over the canvas.
#pragma once
#include <afxwin.h>
#include <ocidl.h>
#include <olectl.h>

class CMapPicture {
public:
  CMapPicture() = default;
  ~CMapPicture() { Free(); }
  CMapPicture(const CMapPicture&) = delete;
  CMapPicture& operator=(const CMapPicture&) = delete;

  // 1 when the file holds a picture, else 0 (the holder is then empty).
  BOOL Load(const char* path);
  BOOL LoadFromBuffer(const BYTE* data, int size);
  void Free();
  BOOL IsLoaded() const { return m_picture != nullptr; }
  // The picture's bitmap (owned by the picture); null for none or for a
  // picture that is not a bitmap.
  HBITMAP GetBitmap() const;
  // The picture's size in pixels.
  CSize GetSize() const { return m_size; }

private:
  IPicture* m_picture = nullptr;
  CSize m_size;
};
