#include "AreaSelectGeometry.h"

#include <algorithm>

namespace ui {

AreaRect NormalizeDrag(int x0, int y0, int x1, int y1) {
  AreaRect r;
  r.left = std::min(x0, x1);
  r.right = std::max(x0, x1);
  r.top = std::min(y0, y1);
  r.bottom = std::max(y0, y1);
  return r;
}

AreaRect ClampToClient(const AreaRect& r, int width, int height) {
  auto clamp = [](int v, int hi) { return v < 0 ? 0 : v > hi ? hi : v; };
  AreaRect c;
  c.left = clamp(r.left, width);
  c.right = clamp(r.right, width);
  c.top = clamp(r.top, height);
  c.bottom = clamp(r.bottom, height);
  return c;
}

AreaRect ScaleArea(const AreaRect& area, int width, int height) {
  AreaRect r;
  r.left = int(int64_t(area.left) * width / kAreaSpaceWidth);
  r.right = int(int64_t(area.right) * width / kAreaSpaceWidth);
  r.top = int(int64_t(area.top) * height / kAreaSpaceHeight);
  r.bottom = int(int64_t(area.bottom) * height / kAreaSpaceHeight);
  return r;
}

AreaRect PictureRect(int width, int height, bool showCaption, bool keepProportion) {
  AreaRect r{0, 0, width, height};
  if (showCaption) r.bottom = std::max(0, height - kAreaCaptionHeight);
  if (keepProportion) {
    int h = width * 240 / kAreaSpaceWidth;
    int margin = (height - h) / 2;
    if (margin >= kAreaCaptionHeight) {
      r.top = margin;
      r.bottom = margin + h;
    }
  }
  return r;
}

uint32_t DetectionMarkColour(int mark) {
  switch (mark) {
    case 1: return 0xFF0000;
    case 2: return 0x0000FF;
    case 3: return 0x00FF00;
    default: return 0;
  }
}

uint32_t AreaFrameColour(int detectionMark) {
  return detectionMark >= 1 && detectionMark <= 3 ? DetectionMarkColour(detectionMark) : 0x00FF00;
}

uint32_t AreaMouseParam(int index, int screenX, int screenY) {
  return (uint32_t(index) << 24) | ((uint32_t(screenX) & 0xFFF) << 12) | (uint32_t(screenY) & 0xFFF);
}

}  // namespace ui
