#include "RoundButtonFaces.h"

#include <cstddef>

namespace ui {

std::vector<uint32_t> GradientRows(uint32_t start, uint32_t end, int height) {
  std::vector<uint32_t> rows;
  if (height <= 0) return rows;
  int value[3], step[3];
  for (int c = 0; c < 3; ++c) {
    value[c] = int((start >> (8 * c)) & 0xFF);
    step[c] = (value[c] - int((end >> (8 * c)) & 0xFF)) / height;
  }
  rows.reserve(std::size_t(height));
  for (int r = 0; r < height; ++r) {
    uint32_t colour = 0;
    for (int c = 0; c < 3; ++c) {
      value[c] -= step[c];
      colour |= uint32_t(value[c] & 0xFF) << (8 * c);
    }
    rows.push_back(colour);
  }
  return rows;
}

}  // namespace ui
