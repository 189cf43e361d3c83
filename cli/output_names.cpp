#include "cli/output_names.h"

namespace {

// The lower-case letter of a code point of U+0080..U+07FF, or the code
// point itself.
unsigned FoldedLetter(unsigned c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // À..Þ, not ×
  if (c == 0x178) return 0xFF;                                // Ÿ
  // Latin Extended-A pairs capital and small letter: even-odd, except
  // between U+0139 and U+0148 and from U+0179 on, where they go odd-even.
  if (c >= 0x100 && c <= 0x17E) {
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || c >= 0x179;
    if (c == 0x138 || c == 0x149) return c;  // ĸ, ŉ: no pair
    return (c % 2 == (oddCapitals ? 1u : 0u)) ? c + 1 : c;
  }
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c == 0x3C2) return 0x3C3;  // final sigma
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  return c;
}

}  // namespace

std::string FoldedName(const std::string& name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (b >= 'A' && b <= 'Z') {
      out += static_cast<char>(b - 'A' + 'a');
      continue;
    }
    const bool pair = b >= 0xC2 && b <= 0xDF && i + 1 < name.size() &&
                      (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80;
    if (!pair) {
      out += static_cast<char>(b);
      continue;
    }
    const unsigned c = FoldedLetter(((b & 0x1Fu) << 6) | (static_cast<unsigned char>(name[++i]) & 0x3Fu));
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}
