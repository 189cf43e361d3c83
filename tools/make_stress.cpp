// Writes the large and hostile files that the speed and robustness
// measurements use (none of them is committed):
//   make-stress dense-dst OUT [STITCHES]   short random stitches (default 4,000,000)
//   make-stress multipart-pes OUT [MIB]    version 3.0, 255 parts, "LA:" every 32 bytes
//   make-stress tiny-dst OUT [MIB]         stitches alternating +0.1 mm and -0.1 mm in X
//   make-stress tiny-sew OUT [MIB]         the same as a SEW file
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes DenseDst(long stitches) {
  Bytes out(512, ' ');
  std::memcpy(out.data(), "LA:DICHT            \r", 20);
  out[124] = 0x1A;
  out.reserve(512 + 3 * static_cast<std::size_t>(stitches) + 3);
  std::mt19937 rng(7);
  for (long i = 0; i < stitches; ++i) {
    // Plus and minus bits of the weights 1 and 3 on both axes: moves of -4..4.
    out.push_back(static_cast<std::uint8_t>(rng() & 0xC3));
    out.push_back(static_cast<std::uint8_t>(rng() & 0xC3));
    out.push_back(0x03);
  }
  out.insert(out.end(), {0x00, 0x00, 0xF3});
  return out;
}

// Every section's stitch data runs to the end of the file unless the reader
// stops each part where the next one begins.
Bytes MultipartPes(std::size_t size) {
  Bytes out(size, 0x01);
  std::memcpy(out.data(), "#PES0030", 8);
  out[8] = 32;  // first section at 32
  out[9] = out[10] = out[11] = 0;
  out[12] = 255;
  for (std::size_t at = 32; at + 3 <= size; at += 32) std::memcpy(out.data() + at, "LA:", 3);
  return out;
}

Bytes TinyDst(std::size_t size) {
  Bytes out(512, ' ');
  std::memcpy(out.data(), "LA:WINZIG          \r", 20);
  out[124] = 0x1A;
  for (std::size_t i = 0; out.size() + 6 <= size; ++i)
    out.insert(out.end(), {static_cast<std::uint8_t>(i % 2 ? 0x02 : 0x01), 0x00, 0x03});
  out.insert(out.end(), {0x00, 0x00, 0xF3});
  return out;
}

Bytes TinySew(std::size_t size) {
  Bytes out(7544, 0);
  out[0] = 1;   // one colour
  out[2] = 10;  // Janome red
  for (std::size_t i = 0; out.size() + 4 <= size; ++i)
    out.insert(out.end(), {static_cast<std::uint8_t>(i % 2 ? 0xFF : 0x01), 0x00});
  out.insert(out.end(), {0x80, 0x10});
  return out;
}

int Usage() {
  std::fputs(
      "usage: make-stress dense-dst OUT [STITCHES] | multipart-pes OUT [MIB] |\n"
      "                   tiny-dst OUT [MIB] | tiny-sew OUT [MIB]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return Usage();
  const std::string kind = argv[1];
  const long count = argc == 4 ? std::strtol(argv[3], nullptr, 10) : -1;
  const std::size_t mib = count > 0 ? static_cast<std::size_t>(count) << 20 : 0;
  Bytes bytes;
  if (kind == "dense-dst")
    bytes = DenseDst(count > 0 ? count : 4'000'000);
  else if (kind == "multipart-pes")
    bytes = MultipartPes(mib ? mib : 16u << 20);
  else if (kind == "tiny-dst")
    bytes = TinyDst(mib ? mib : 4u << 20);
  else if (kind == "tiny-sew")
    bytes = TinySew(mib ? mib : 4u << 20);
  else
    return Usage();
  std::FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
