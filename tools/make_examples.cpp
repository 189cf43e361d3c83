// Writes the example designs the README's run command shows: a five-pointed
// star in three colours with jumps between them, as a Tajima DST file, and a
// flower in four colours with its 48 x 38 thumbnail, as a Brother PES file.
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

// One PEC field: short (7-bit) when it fits, else long (12-bit) with the
// jump flag when asked.
void AppendPecField(std::vector<std::uint8_t>& out, int v, bool jump) {
  if (!jump && v >= -64 && v <= 63) {
    out.push_back(static_cast<std::uint8_t>(v & 0x7F));
    return;
  }
  const int bits = v & 0x0FFF;
  out.push_back(static_cast<std::uint8_t>(0x80 | (jump ? 0x10 : 0) | (bits >> 8)));
  out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
}

struct Point {
  int x, y;
};

// The flower: five petals and a centre, each a closed loop, and a stem; one
// colour each for petals, centre, stem and leaf.
std::vector<std::vector<Point>> FlowerBlocks() {
  const double pi = std::acos(-1.0);
  std::vector<std::vector<Point>> blocks(4);
  auto at = [](double x, double y) {
    return Point{static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
  };
  for (int petal = 0; petal < 5; ++petal) {
    const double a = -pi / 2 + petal * 2 * pi / 5;
    for (int k = 0; k <= 24; ++k) {
      const double t = k * 2 * pi / 24;
      const double u = 110 + 100 * std::cos(t), v = 45 * std::sin(t);
      blocks[0].push_back(at(u * std::cos(a) - v * std::sin(a), u * std::sin(a) + v * std::cos(a) - 120));
    }
  }
  for (int ring = 0; ring < 3; ++ring)
    for (int k = 0; k <= 16; ++k) {
      const double t = k * 2 * pi / 16, r = 50 - ring * 15;
      blocks[1].push_back(at(r * std::cos(t), r * std::sin(t) - 120));
    }
  for (int y = 90; y <= 480; y += 30) blocks[2].push_back(at(8 * std::sin(y / 60.0), y));
  for (int k = 0; k <= 20; ++k) {
    const double t = k * pi / 20;
    blocks[3].push_back(at(20 + 130 * t / pi, 330 - 60 * std::sin(t)));
  }
  return blocks;
}

void SetThumbnailLine(std::uint8_t* picture, Point a, Point b) {
  const int steps = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y)) + 1;
  for (int i = 0; i <= steps; ++i) {
    const int x = a.x + (b.x - a.x) * i / steps, y = a.y + (b.y - a.y) * i / steps;
    if (x < 0 || x >= 48 || y < 0 || y >= 38) continue;
    picture[y * 6 + x / 8] |= static_cast<std::uint8_t>(1u << (x % 8));  // bit 0 is the leftmost
  }
}

std::vector<std::uint8_t> FlowerPes() {
  constexpr std::size_t kSection = 16;  // the PEC section follows a short PES header
  const auto blocks = FlowerBlocks();
  std::vector<std::uint8_t> out(kSection + 532, 0x20);
  const char* head = "#PES0001";
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(head[i]);
  out[8] = kSection;
  out[9] = out[10] = out[11] = 0;
  out[12] = 1;  // one part
  for (std::size_t i = 13; i < kSection; ++i) out[i] = 0;
  const char* label = "LA:BLUME";
  for (int i = 0; label[i]; ++i) out[kSection + i] = static_cast<std::uint8_t>(label[i]);
  const std::uint8_t colors[4] = {21, 13, 37, 26};
  out[kSection + 48] = 3;
  for (int k = 0; k < 4; ++k) out[kSection + 49 + k] = colors[k];
  for (std::size_t i = kSection + 512; i < kSection + 532; ++i) out[i] = 0;

  int minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (const auto& block : blocks)
    for (const Point& p : block) {
      minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
  auto put16 = [&](std::size_t at, int v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  };
  put16(kSection + 520, maxX - minX);
  put16(kSection + 522, maxY - minY);

  std::uint8_t picture[228] = {};
  // One scale for both axes, the design centred in the frame.
  const double scale = std::min(43.0 / (maxX - minX), 33.0 / (maxY - minY));
  const int left = static_cast<int>((48 - scale * (maxX - minX)) / 2);
  const int top = static_cast<int>((38 - scale * (maxY - minY)) / 2);
  auto scaled = [&](Point p) {
    return Point{left + static_cast<int>(std::lround((p.x - minX) * scale)),
                 top + static_cast<int>(std::lround((p.y - minY) * scale))};
  };
  Point at{0, 0};
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    if (b > 0) out.insert(out.end(), {0xFE, 0xB0, static_cast<std::uint8_t>(b % 2 ? 2 : 1)});
    for (std::size_t i = 0; i < blocks[b].size(); ++i) {
      const Point p = blocks[b][i];
      const bool jump = i == 0;  // to the start of each block
      AppendPecField(out, p.x - at.x, jump);
      AppendPecField(out, p.y - at.y, jump);
      if (!jump) SetThumbnailLine(picture, scaled(at), scaled(p));
      at = p;
    }
  }
  out.insert(out.end(), {0xFF, 0x00});

  for (int x = 0; x < 48; ++x) {  // frame
    SetThumbnailLine(picture, {x, 0}, {x, 0});
    SetThumbnailLine(picture, {x, 37}, {x, 37});
  }
  SetThumbnailLine(picture, {0, 0}, {0, 37});
  SetThumbnailLine(picture, {47, 0}, {47, 37});
  const std::size_t t = out.size() - kSection - 512;
  out[kSection + 514] = static_cast<std::uint8_t>(t & 0xFF);
  out[kSection + 515] = static_cast<std::uint8_t>((t >> 8) & 0xFF);
  out[kSection + 516] = static_cast<std::uint8_t>((t >> 16) & 0xFF);
  out.insert(out.end(), picture, picture + 228);
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
  if (!Write(dir + "/stern.dst", StarDst()) || !Write(dir + "/blume.pes", FlowerPes())) {
    std::perror("make-examples");
    return 1;
  }
  return 0;
}
