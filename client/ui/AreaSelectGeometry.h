// The area-selection control's arithmetic: the dragged rectangle, the area
// in the fixed 352 x 288 space scaled to the client, the inner picture's
// place, the colours of the marks and the packed mouse notice. Pure.
#pragma once
#include <cstdint>

namespace ui {

struct AreaRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool HasArea() const { return right > left && bottom > top; }
  bool operator==(const AreaRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

constexpr int kAreaSpaceWidth = 352;
constexpr int kAreaSpaceHeight = 288;
// Height left under the picture for the caption, and the caption's offset
// from the bottom.
constexpr int kAreaCaptionHeight = 13;

// The rectangle between two points, left above right.
AreaRect NormalizeDrag(int x0, int y0, int x1, int y1);
// r cut to the client rectangle {0, 0, width, height}.
AreaRect ClampToClient(const AreaRect& r, int width, int height);
// An area of the 352 x 288 space in client pixels (x * width / 352,
// y * height / 288, rounded toward zero).
AreaRect ScaleArea(const AreaRect& area, int width, int height);
// Where the inner picture lies in a client of width x height.
AreaRect PictureRect(int width, int height, bool showCaption, bool keepProportion);

// Colours (COLORREF) of the record mark, of detection marks 1-3 (0 for
// none) and of the area's frame.
constexpr uint32_t kRecordMarkColour = 0xFF0000;
uint32_t DetectionMarkColour(int mark);
uint32_t AreaFrameColour(int detectionMark);

// lParam of a mouse notice: (index << 24) | (screen x << 12) | screen y,
// x and y kept to their 12 bits so that they cannot spill into the index.
uint32_t AreaMouseParam(int index, int screenX, int screenY);

}  // namespace ui
