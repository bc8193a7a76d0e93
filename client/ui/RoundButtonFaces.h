// The round button's faces: vertical gradients drawn one row at a time.
// Pure: colours are COLORREF values (0x00BBGGRR).
#pragma once
#include <cstdint>
#include <vector>

namespace ui {

// The colour of each of height rows of a gradient from start towards end:
// each channel steps by (start - end) / height in whole numbers, the step
// taken before every row. Empty for a height of 0 or less.
std::vector<uint32_t> GradientRows(uint32_t start, uint32_t end, int height);

}  // namespace ui
