// A design from any file, then everything done with it: painted at a zoom,
// turned and scrolled, saved with both writers, and each written file read
// back. The first byte chooses the reader (modulo the number of formats),
// the second the quarter turns (bits 0-1) and the zoom (bits 2-4); the rest
// is the file.
#include <cstddef>
#include <cstdint>

#include "formats/formats.h"
#include "fuzz/save_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int reader = static_cast<int>(data[0] % Formats().size());
  return FuzzSaveAndPaint(reader, data[1] & 3, (data[1] >> 2) % 5, data + 2, size - 2);
}
