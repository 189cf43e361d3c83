// Where text from a file meets UTF-8: file labels and thread names are the
// file's own bytes, UTF-8 or an older single-byte encoding.
#pragma once
#include <cstddef>

// The length of the well-formed UTF-8 sequence at p (n bytes from p on), 0
// when none starts there: no overlong forms, no surrogates, nothing above
// U+10FFFF.
inline std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t n) {
  if (n == 0) return 0;
  const unsigned char c = p[0];
  const std::size_t length = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3
                           : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
  if (length == 0 || length > n) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((p[k] & 0xC0) != 0x80) return 0;
  if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0) || (c == 0xF0 && p[1] < 0x90) ||
      (c == 0xF4 && p[1] >= 0x90))
    return 0;
  return length;
}
