// Writes the large and hostile files that the speed and robustness
// measurements use (none of them is committed):
//   make-stress dense-dst OUT [STITCHES]   short random stitches (default 4,000,000)
//   make-stress multipart-pes OUT [MIB]    version 3.0, 255 parts, "LA:" every 32 bytes
//   make-stress tiny-dst OUT [MIB]         stitches alternating +0.1 mm and -0.1 mm in X
//   make-stress tiny-sew OUT [MIB]         the same as a SEW file
//   make-stress random-square-sew OUT [MM] 32 MiB of stitches between random points of
//                                          an MM mm square (default 1, at most 12)
//   make-stress long-pec OUT [MIB]         PEC stitches of 204.8 mm (default 32 MiB)
//   make-stress scatter-dst OUT [MIB [SIDE]]  stitches between random points of a square
//                                             SIDE x 0.1 mm (defaults 32 MiB, 10: 1 mm)
//   make-stress scatter-pec OUT [MIB [SIDE]]  the same as a PEC file (SIDE at most 63)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/stress_files.h"

namespace {

using namespace stress;

int Usage() {
  std::fputs(
      "usage: make-stress dense-dst OUT [STITCHES] | multipart-pes OUT [MIB] |\n"
      "                   tiny-dst OUT [MIB] | tiny-sew OUT [MIB] | random-square-sew OUT [MM] |\n"
      "                   long-pec OUT [MIB] | scatter-dst OUT [MIB [SIDE]] | scatter-pec OUT [MIB [SIDE]]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) return Usage();
  const std::string kind = argv[1];
  const long count = argc >= 4 ? std::strtol(argv[3], nullptr, 10) : -1;
  const long side = argc == 5 ? std::strtol(argv[4], nullptr, 10) : 10;
  const bool scatter = kind == "scatter-dst" || kind == "scatter-pec";
  if (argc == 5 && !scatter) return Usage();
  if (side < 1 || side > (kind == "scatter-pec" ? 63 : 121)) return Usage();
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
  else if (kind == "random-square-sew" && count <= 12)
    bytes = RandomSquareSew(32u << 20, count > 0 ? static_cast<int>(count) * 10 : 10);
  else if (kind == "long-pec")
    bytes = LongPec(mib ? mib : 32u << 20);
  else if (kind == "scatter-dst")
    bytes = ScatterDst(mib ? mib : 32u << 20, static_cast<int>(side));
  else if (kind == "scatter-pec")
    bytes = ScatterPec(mib ? mib : 32u << 20, static_cast<int>(side));
  else
    return Usage();
  std::FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
