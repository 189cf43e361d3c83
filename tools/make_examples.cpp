// Writes the example designs the README's run command shows: a five-pointed
// star in three colours with jumps between them, as a Tajima DST file.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// One DST record for a move of at most 121 in each axis (design Y down).
void AppendDstMove(std::vector<std::uint8_t>& out, int dx, int dy, std::uint8_t type) {
  struct Bit {
    int byte;
    std::uint8_t plus, minus;
  };
  static const Bit xBits[5] = {{0, 0x01, 0x02}, {1, 0x01, 0x02}, {0, 0x04, 0x08}, {1, 0x04, 0x08}, {2, 0x04, 0x08}};
  static const Bit yBits[5] = {{0, 0x80, 0x40}, {1, 0x80, 0x40}, {0, 0x20, 0x10}, {1, 0x20, 0x10}, {2, 0x20, 0x10}};
  std::uint8_t b[3] = {0, 0, type};
  auto encode = [&](int v, const Bit* bits) {
    static const int weights[5] = {1, 3, 9, 27, 81};
    for (int i = 4; i >= 0; --i) {
      const int half = weights[i] / 2;
      if (v > half) { b[bits[i].byte] |= bits[i].plus; v -= weights[i]; }
      else if (v < -half) { b[bits[i].byte] |= bits[i].minus; v += weights[i]; }
    }
  };
  encode(dx, xBits);
  encode(-dy, yBits);
  out.insert(out.end(), b, b + 3);
}

std::vector<std::uint8_t> StarDst() {
  std::vector<std::uint8_t> out(512, ' ');
  const char* header = "LA:STERN           \r";
  for (int i = 0; header[i]; ++i) out[i] = static_cast<std::uint8_t>(header[i]);
  out[124] = 0x1A;
  int x = 0, y = 0;
  auto lineTo = [&](int tx, int ty, std::uint8_t type) {
    while (x != tx || y != ty) {
      const int dx = std::max(-40, std::min(40, tx - x));
      const int dy = std::max(-40, std::min(40, ty - y));
      AppendDstMove(out, dx, dy, type);
      x += dx;
      y += dy;
    }
  };
  const double pi = std::acos(-1.0);
  for (int ring = 0; ring < 3; ++ring) {
    const double outer = 300 - ring * 90, inner = outer * 0.4;
    auto point = [&](int k) {
      const double r = k % 2 ? inner : outer, a = -pi / 2 + k * pi / 5;
      return std::pair<int, int>{static_cast<int>(std::lround(r * std::cos(a))),
                                 static_cast<int>(std::lround(r * std::sin(a)))};
    };
    lineTo(point(0).first, point(0).second, 0x83);  // jump to the ring's start
    for (int k = 1; k <= 10; ++k) lineTo(point(k).first, point(k).second, 0x03);
    if (ring < 2) AppendDstMove(out, 0, 0, 0xC3);
  }
  out.insert(out.end(), {0x00, 0x00, 0xF3});
  return out;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-examples DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::string mkdir = "mkdir -p '" + dir + "'";
  if (std::system(mkdir.c_str()) != 0) return 1;
  if (!Write(dir + "/stern.dst", StarDst())) {
    std::perror("make-examples");
    return 1;
  }
  return 0;
}
