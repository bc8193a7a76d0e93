// Geometry of a slider drawn from bitmaps, along its axis (x for a
// horizontal slider, y for a vertical one). Pure: no window involved.
#pragma once

namespace ui {

struct SliderAxis {
  int min = 0;
  int max = 100;
  int length = 0;        // the window's width or height
  int startMargin = 0;   // channel margin at the minimum end
  int endMargin = 0;     // channel margin at the maximum end
  int thumb = 0;         // the thumb's width or height

  // Pixels the thumb's centre travels from the minimum to the maximum; 0 or
  // less while the track is no longer than its margins and the thumb.
  int Travel() const { return length - startMargin - endMargin - thumb; }
  // Centre of the thumb for position pos; at the start of the track when
  // the range or the track is degenerate.
  int ThumbCentre(int pos) const;
  // Position under pixel px, truncated; the minimum when the range or the
  // track is degenerate. Not clamped.
  int PosFromPixel(int px) const;
  // px kept within the thumb centre's travel.
  int ClampCentre(int px) const;
  int ClampPos(int pos) const;
};

// Keys a slider answers, by what they do.
enum class SliderKey { PageUp, PageDown, End, Home, Back, Forward };
// The position a key asks for (not clamped; the slider's SetPos clamps).
int SliderKeyPos(SliderKey key, int pos, int page, int min, int max);

}  // namespace ui
