// The one bounded copy into the fixed text fields of the binary images:
// never writes past the field, always ends in NUL and zero-fills the rest,
// so saved images hold no stale bytes after the text.
#pragma once

#include <cstddef>
#include <cstring>

template <size_t N>
inline void CopyText(char (&field)[N], const char* text) {
  size_t n = 0;
  if (text)
    while (n < N - 1 && text[n]) ++n;
  if (n) std::memcpy(field, text, n);
  std::memset(field + n, 0, N - n);
}

// Bounded copy into a buffer given by pointer and size (size > 0).
inline void CopyText(char* field, size_t size, const char* text) {
  if (!field || !size) return;
  size_t n = 0;
  if (text)
    while (n < size - 1 && text[n]) ++n;
  if (n) std::memcpy(field, text, n);
  std::memset(field + n, 0, size - n);
}
