// Any bytes, loaded as a .VIP file, must give a sound design.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_read.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzRead("vip", data, size);
}
