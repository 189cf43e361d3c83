// Any bytes, loaded as a .HUS file, must give a sound design.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzRead("hus", data, size);
}
