// A bitmap resource the skinned track bar and its value window draw with:
// whole, stretched, or one frame of a horizontal strip.
#pragma once
#include <afxwin.h>

class CSkinBitmap {
public:
  CSkinBitmap() = default;
  // Loads resource id from the module that holds it; FALSE when missing.
  BOOL Load(UINT id);
  BOOL IsLoaded() const { return m_bitmap.GetSafeHandle() != nullptr; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  CBitmap* Bitmap() { return &m_bitmap; }
  // Unscaled at (x, y).
  void Draw(CDC* dc, int x, int y);
  // Stretched over rect.
  void Draw(CDC* dc, const CRect& rect);
  // Frame `frame` of a strip of `frames` equal frames, stretched over rect;
  // frame 0 when the strip is shorter.
  void DrawFrame(CDC* dc, const CRect& rect, int frame, int frames);

private:
  void Blit(CDC* dc, const CRect& to, int sx, int sy, int sw, int sh);
  CBitmap m_bitmap;
  int m_width = 0;
  int m_height = 0;
};

// Fills rect of dc with what the parent of child paints behind it: the
// parent's class brush, or else what it answers to WM_CTLCOLORSTATIC (a
// dialog's background), or else the button face.
void FillWithParentBack(CWnd* child, CDC& dc, const CRect& rect);
