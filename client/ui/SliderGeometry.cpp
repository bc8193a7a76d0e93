#include "SliderGeometry.h"

namespace ui {

int SliderAxis::ThumbCentre(int pos) const {
  int start = thumb / 2 + startMargin;
  if (max <= min || Travel() <= 0) return start;
  double f = double(pos - min) / double(max - min);
  return start + int(f * Travel());
}

int SliderAxis::PosFromPixel(int px) const {
  if (max <= min || Travel() <= 0) return min;
  double f = double(px - thumb / 2 - startMargin) / double(Travel());
  return int(f * (max - min)) + min;
}

int SliderAxis::ClampCentre(int px) const {
  int lo = startMargin + thumb / 2;
  int hi = length - endMargin - thumb / 2;
  if (hi < lo) hi = lo;
  return px < lo ? lo : px > hi ? hi : px;
}

int SliderAxis::ClampPos(int pos) const {
  if (max <= min) return min;
  return pos < min ? min : pos > max ? max : pos;
}

int SliderKeyPos(SliderKey key, int pos, int page, int min, int max) {
  switch (key) {
    case SliderKey::PageUp: return pos - page;
    case SliderKey::PageDown: return pos + page;
    case SliderKey::End: return max;
    case SliderKey::Home: return min;
    case SliderKey::Back: return pos - 1;
    case SliderKey::Forward: return pos + 1;
  }
  return pos;
}

}  // namespace ui
