// A design from any file, then everything done with it: painted at a zoom,
// turned and scrolled, saved with both writers, and each written file read
// back. The first byte chooses the reader (modulo the number of formats),
// the quarter turns (bits 3-4) and the zoom (bits 5-7); the rest is the file.
#include <cstddef>
#include <cstdint>

#include "formats/formats.h"
#include "fuzz/save_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t choice = data[0];
  const int reader = static_cast<int>(choice % Formats().size());
  return FuzzSaveAndPaint(reader, (choice >> 3) & 3, (choice >> 5) % 5, data + 1, size - 1);
}
