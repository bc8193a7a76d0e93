// The arithmetic of the skinned menus (see MenuDrawRules.h).
#include "MenuDrawRules.h"

#include <cmath>
#include <utility>

#include <algorithm>

namespace menu_rules {

namespace {

double Linear(int channel) {
  double v = channel / 255.0;
  return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double Luminance(Color c) {
  return 0.2126 * Linear(Red(c)) + 0.7152 * Linear(Green(c)) + 0.0722 * Linear(Blue(c));
}

}  // namespace

double ContrastRatio(Color a, Color b) {
  double la = Luminance(a), lb = Luminance(b);
  if (la < lb) std::swap(la, lb);
  return (la + 0.05) / (lb + 0.05);
}

Color ReadableText(Color preferred, Color back) {
  if (ContrastRatio(preferred, back) >= 4.5) return preferred;
  const Color white = MakeColor(255, 255, 255), black = 0;
  return ContrastRatio(white, back) >= ContrastRatio(black, back) ? white : black;
}

int MulDivRound(int a, int b, int c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  bool negative = (p < 0) != (c < 0);
  long long ap = p < 0 ? -p : p, ac = c < 0 ? -static_cast<long long>(c) : c;
  long long q = (ap + ac / 2) / ac;
  return int(negative ? -q : q);
}

Color Darken(int amount, Color c) {
  int keep = 255 - amount;
  return MakeColor(MulDivRound(Red(c), keep, 255), MulDivRound(Green(c), keep, 255),
                   MulDivRound(Blue(c), keep, 255));
}

static Color Mix(Color c1, Color c2, int w1, int w2, int total) {
  return MakeColor(MulDivRound(w1, Red(c1), total) + MulDivRound(w2, Red(c2), total),
                   MulDivRound(w1, Green(c1), total) + MulDivRound(w2, Green(c2), total),
                   MulDivRound(w1, Blue(c1), total) + MulDivRound(w2, Blue(c2), total));
}

Color Mix86(Color c1, Color c2) { return Mix(c1, c2, 86, 14, 100); }
Color Mix70(Color c1, Color c2) { return Mix(c1, c2, 7, 3, 10); }

Color GlyphFace(Color c) {
  return MakeColor(MulDivRound(7, Red(c), 10), MulDivRound(7, Green(c), 10), MulDivRound(7, Blue(c) + 55, 10));
}

ItemColors BlendedItemColors(Color window, Color menu, Color highlight,
                             const std::function<Color(Color)>& nearest) {
  ItemColors c{Mix86(window, menu), Mix86(menu, window), Mix70(window, highlight)};
  if (nearest && nearest(c.light) == nearest(c.dark)) {
    c.light = window;
    c.dark = menu;
  }
  return c;
}

std::vector<Band> GradientBands(Color start, Color end, int length) {
  std::vector<Band> bands;
  if (length <= 0) return bands;
  if (length <= 4) {
    bands.push_back({0, length, start});
    return bands;
  }
  int span = length - 4;
  for (int i = 0; i <= span; i += 4) {
    auto channel = [&](int s, int e) { return s + (e - s) * i / span; };
    Color c = MakeColor(channel(Red(start), Red(end)), channel(Green(start), Green(end)),
                        channel(Blue(start), Blue(end)));
    bands.push_back({i, 4, c});
  }
  Band& last = bands.back();
  last.length = length - last.offset;
  return bands;
}

int ShadowAmount(int k, int pos, int length, bool column) {
  if (k < 1 || k > 4 || pos < 0 || pos >= length) return 0;
  if (pos < 4) return 0;
  if (pos < 8) return 3 * k * (pos - 3);
  if (column && pos >= length - 4) return 3 * k * (length - pos);
  return 15 * k;
}

MeasureResult MeasureMenuItem(const MeasureInput& in) {
  if (in.separator && !in.menuBar) return {0, 3};
  int width = in.textWidth;
  if (in.caption)
    width += 2;
  else if (!in.menuBar)
    width += 2 + 2 * in.iconWidth;
  if (in.hasTab) width += 15;
  return {width, std::max(in.iconHeight + 8, in.menuBarHeight)};
}

int FindMnemonic(const std::vector<std::string>& texts, char ch) {
  const char key[3] = {'&', ch, 0};
  for (size_t i = 0; i < texts.size(); ++i)
    if (texts[i].find(key, 0, 2) != std::string::npos) return int(i);
  return -1;
}

}  // namespace menu_rules
