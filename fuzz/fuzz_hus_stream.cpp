// The HUS/VIP stream decoder on any bytes: bytes 0..2 the cap (little-
// endian, at most the readers' limit), the rest the stream. The output stays
// within the cap and fills it when the cap stopped it; a lower cap, and a
// cut of the stream (the last byte picks one of 16 lengths), give a prefix
// of the output.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "design/hus_stream.h"

namespace {

[[noreturn]] void Fail(const char* what, std::size_t a, std::size_t b) {
  std::fprintf(stderr, "%s (%zu, %zu)\n", what, a, b);
  std::abort();
}

bool IsPrefix(const CArray<std::uint8_t>& part, const CArray<std::uint8_t>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const std::size_t cap = std::min<std::size_t>(data[0] | data[1] << 8 | data[2] << 16, hus::kMaxRecords);
  const std::uint8_t* stream = data + 3;
  const std::size_t length = size - 3;

  CArray<std::uint8_t> whole, part;
  const hus::StreamStop stop = hus::ExpandStream(stream, length, cap, whole);
  if (whole.size() > cap) Fail("output past the cap", whole.size(), cap);
  if (stop == hus::StreamStop::full && whole.size() != cap) Fail("stopped for a cap it did not reach", whole.size(), cap);

  const std::size_t lower = whole.size() / 2;
  hus::ExpandStream(stream, length, lower, part);
  if (part.size() != lower || !IsPrefix(part, whole)) Fail("a lower cap gave no prefix", part.size(), lower);

  const std::size_t cut = length * (data[size - 1] & 15u) / 16;
  hus::ExpandStream(stream, cut, cap, part);
  if (!IsPrefix(part, whole)) Fail("a cut stream gave no prefix", part.size(), cut);
  return 0;
}
