// Reading the card stand-in's pictures in tests: a quarter against a
// reference quarter picture, a black quarter, and a picture saved as a BMP
// for a person to look at.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "card_output.h"
#include "shell_fixture.h"

namespace cardtest {

// Mean absolute difference of quarter q of a card picture and a quarter picture.
inline double QuarterDifference(const std::vector<uint8_t>& cardPic, int q, const std::vector<uint8_t>& quarter) {
  const int x0 = (q % 2) * card::kQuarterWidth, y0 = (q / 2) * card::kQuarterHeight;
  double sum = 0;
  for (int y = 0; y < card::kQuarterHeight; ++y)
    for (int x = 0; x < card::kQuarterWidth; ++x)
      sum += std::abs(int(cardPic[size_t((y0 + y) * card::kPictureWidth + x0 + x)]) -
                      int(quarter[size_t(y * card::kQuarterWidth + x)]));
  return sum / (card::kQuarterWidth * card::kQuarterHeight);
}

inline bool QuarterIsBlack(const std::vector<uint8_t>& p, int q) {
  const int x0 = (q % 2) * card::kQuarterWidth, y0 = (q / 2) * card::kQuarterHeight;
  const uint8_t* u = p.data() + card::kPictureWidth * card::kPictureHeight;
  const uint8_t* v = u + (card::kPictureWidth / 2) * (card::kPictureHeight / 2);
  for (int y = 0; y < card::kQuarterHeight; ++y)
    for (int x = 0; x < card::kQuarterWidth; ++x) {
      if (p[size_t((y0 + y) * card::kPictureWidth + x0 + x)] != 0) return false;
      size_t c = size_t((y0 + y) / 2 * (card::kPictureWidth / 2) + (x0 + x) / 2);
      if (u[c] != 128 || v[c] != 128) return false;
    }
  return true;
}

// A card picture as a 24-bit BMP, for a person to look at.
inline void SaveCardPicture(const std::vector<uint8_t>& p, const std::string& path) {
  const int w = card::kPictureWidth, h = card::kPictureHeight, stride = w * 3;
  std::vector<unsigned char> bmp = ScratchDir::MakeBmp(w, h, 24, 0);
  unsigned char* rows = bmp.data() + reinterpret_cast<BITMAPFILEHEADER*>(bmp.data())->bfOffBits;
  const uint8_t* u = p.data() + w * h;
  const uint8_t* v = u + (w / 2) * (h / 2);
  auto clamp = [](int c) { return (unsigned char)(c < 0 ? 0 : c > 255 ? 255 : c); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int Y = p[size_t(y * w + x)], U = u[(y / 2) * (w / 2) + x / 2] - 128, V = v[(y / 2) * (w / 2) + x / 2] - 128;
      unsigned char* px = rows + (h - 1 - y) * stride + x * 3;
      px[0] = clamp(Y + (1772 * U) / 1000);
      px[1] = clamp(Y - (344 * U + 714 * V) / 1000);
      px[2] = clamp(Y + (1402 * V) / 1000);
    }
  ScratchDir::Write(path.c_str(), bmp.data(), bmp.size());
}

}  // namespace cardtest
