// The arithmetic of the skinned menus, apart from any window: colour mixes,
// item measures, the banded gradient, the own drop shadow's darkening and the
// mnemonic search. Colours are COLORREF values (0x00BBGGRR).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace menu_rules {

using Color = uint32_t;

inline int Red(Color c) { return int(c & 0xFF); }
inline int Green(Color c) { return int((c >> 8) & 0xFF); }
inline int Blue(Color c) { return int((c >> 16) & 0xFF); }
// Each channel keeps its low 8 bits.
inline Color MakeColor(int r, int g, int b) {
  return Color(r & 0xFF) | (Color(g & 0xFF) << 8) | (Color(b & 0xFF) << 16);
}

// a x b / c rounded to the nearest integer, halves away from zero.
int MulDivRound(int a, int b, int c);

// Each channel scaled by (255 - amount) / 255.
Color Darken(int amount, Color c);
// 86% of c1 and 14% of c2.
Color Mix86(Color c1, Color c2);
// 70% of c1 and 30% of c2.
Color Mix70(Color c1, Color c2);
// The darker face of a selected glyph: 0.7 red, 0.7 green, 0.7 (blue + 55).
Color GlyphFace(Color c);

// Colours of a blended popup item. When the display shows the light and the
// dark mix as one colour (nearest() maps them alike), window and menu colour
// themselves are used.
struct ItemColors {
  Color light;       // text area
  Color dark;        // image column
  Color selection;   // selected item
};
ItemColors BlendedItemColors(Color window, Color menu, Color highlight,
                             const std::function<Color(Color)>& nearest);

// Contrast ratio of two colours, (lighter + 0.05) / (darker + 0.05) of
// their relative luminances (sRGB): 1 for equal colours, 21 for black on white.
double ContrastRatio(Color a, Color b);
// The text colour for captions on `back`: `preferred` when it stands out by
// 4.5:1 or more, else white or black, whichever stands out more.
Color ReadableText(Color preferred, Color back);

// One band of the gradient painted without the system's gradient call.
struct Band {
  int offset;
  int length;
  Color color;
};
// Bands 4 pixels thick along `length` pixels; the band at offset i has each
// channel start + (end - start) x i / (length - 4). The last band reaches the
// end of the run; a run of 4 pixels or less is one band of the start colour.
std::vector<Band> GradientBands(Color start, Color end, int length);

// Darkening of the own drop shadow at `pos` pixels along a strip of
// `length` pixels, for the strip k (1..4) counted from the outer edge:
// 4 pixels clear, 3k..12k over 4 pixels, 15k, and for a column the last 4
// pixels fading 12k..3k (a row's end is the column's corner).
int ShadowAmount(int k, int pos, int length, bool column);

// Measure of an owner-drawn item (blended theme).
struct MeasureInput {
  bool separator = false;
  bool menuBar = false;
  bool caption = false;    // one of the main window's top-level captions
  bool hasTab = false;
  int textWidth = 0;       // without the accelerator gap
  int iconWidth = 16;
  int iconHeight = 15;
  int menuBarHeight = 19;  // the system's menu-bar height
};
struct MeasureResult {
  int width;
  int height;
};
MeasureResult MeasureMenuItem(const MeasureInput& in);

// The first text holding '&' followed by ch (texts and ch already
// lower-cased); -1 when none.
int FindMnemonic(const std::vector<std::string>& texts, char ch);

}  // namespace menu_rules
