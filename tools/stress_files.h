// The large and hostile files of make-stress, also generated in memory by
// the benchmarks.
#pragma once
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace stress {

using Bytes = std::vector<std::uint8_t>;

inline Bytes DenseDst(long stitches) {
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
inline Bytes MultipartPes(std::size_t size) {
  Bytes out(size, 0x01);
  std::memcpy(out.data(), "#PES0030", 8);
  out[8] = 32;  // first section at 32
  out[9] = out[10] = out[11] = 0;
  out[12] = 255;
  for (std::size_t at = 32; at + 3 <= size; at += 32) std::memcpy(out.data() + at, "LA:", 3);
  return out;
}

inline Bytes TinyDst(std::size_t size) {
  Bytes out(512, ' ');
  std::memcpy(out.data(), "LA:WINZIG          \r", 20);
  out[124] = 0x1A;
  for (std::size_t i = 0; out.size() + 6 <= size; ++i)
    out.insert(out.end(), {static_cast<std::uint8_t>(i % 2 ? 0x02 : 0x01), 0x00, 0x03});
  out.insert(out.end(), {0x00, 0x00, 0xF3});
  return out;
}

// One DST record moving by (dx, dy), |dx|, |dy| <= 121, dy upward as in the
// file: each axis as balanced-ternary digits of the weights 81, 27, 9, 3, 1,
// each digit's bit of plus and minus in its byte.
inline void PushDstStep(Bytes& out, int dx, int dy) {
  struct Digit {
    int weight, byte;
    std::uint8_t xPlus, xMinus, yPlus, yMinus;
  };
  constexpr Digit kDigits[] = {{81, 2, 0x04, 0x08, 0x20, 0x10},
                               {27, 1, 0x04, 0x08, 0x20, 0x10},
                               {9, 0, 0x04, 0x08, 0x20, 0x10},
                               {3, 1, 0x01, 0x02, 0x80, 0x40},
                               {1, 0, 0x01, 0x02, 0x80, 0x40}};
  std::uint8_t b[3] = {0x00, 0x00, 0x03};
  for (const Digit& d : kDigits) {
    const int half = d.weight / 2;
    if (dx > half) dx -= d.weight, b[d.byte] |= d.xPlus;
    if (dx < -half) dx += d.weight, b[d.byte] |= d.xMinus;
    if (dy > half) dy -= d.weight, b[d.byte] |= d.yPlus;
    if (dy < -half) dy += d.weight, b[d.byte] |= d.yMinus;
  }
  out.insert(out.end(), b, b + 3);
}

// Stitches from one random point of a square `side` units (0.1 mm) across
// to the next, for `stitches` stitches: drawn large, a small square gives a
// pen many pixels wide and every stroke crosses much of the picture.
template <typename Step>
void ScatterSteps(long stitches, int side, Step&& step) {
  std::mt19937 rng(13);
  std::uniform_int_distribution<int> coord(0, side);
  int x = 0, y = 0;
  for (long i = 0; i < stitches; ++i) {
    const int nx = coord(rng), ny = coord(rng);
    step(nx - x, ny - y);
    x = nx;
    y = ny;
  }
}

// A DST file of `size` bytes of such stitches; side <= 121.
inline Bytes ScatterDst(std::size_t size, int side) {
  Bytes out(512, ' ');
  std::memcpy(out.data(), "LA:STREU            \r", 20);
  out[124] = 0x1A;
  const long stitches = size > 515 ? static_cast<long>((size - 515) / 3) : 0;
  out.reserve(512 + 3 * static_cast<std::size_t>(stitches) + 3);
  ScatterSteps(stitches, side, [&out](int dx, int dy) { PushDstStep(out, dx, dy); });
  out.insert(out.end(), {0x00, 0x00, 0xF3});
  return out;
}

// The same as a PEC file of `size` bytes, side <= 63: the file header, a
// section of one colour (Brother entry 5) whose stitches are short fields
// of one byte per axis, the end record and a blank thumbnail.
inline Bytes ScatterPec(std::size_t size, int side) {
  constexpr std::size_t kSection = 8, kStitchData = kSection + 532, kThumbnail = 228;
  const std::size_t fixed = kStitchData + 2 + kThumbnail;
  const long stitches = size > fixed ? static_cast<long>((size - fixed) / 2) : 0;
  Bytes out(kStitchData, 0x20);
  std::memcpy(out.data(), "#PEC0001LA:STREU", 16);
  out[kSection + 48] = 0;  // one colour
  out[kSection + 49] = 5;
  const std::size_t thumbnailAt = 20 + 2 * static_cast<std::size_t>(stitches) + 2;  // from 512
  const std::uint8_t header[18] = {0, 0,  // section offsets 512..531
                                   static_cast<std::uint8_t>(thumbnailAt),
                                   static_cast<std::uint8_t>(thumbnailAt >> 8),
                                   static_cast<std::uint8_t>(thumbnailAt >> 16), 0, 0, 0,
                                   static_cast<std::uint8_t>(side), 0,  // width
                                   static_cast<std::uint8_t>(side), 0,  // height
                                   0, 0, 0, 0, 0, 0};
  std::memcpy(out.data() + kSection + 512, header, sizeof header);
  out.reserve(fixed + 2 * static_cast<std::size_t>(stitches));
  ScatterSteps(stitches, side, [&out](int dx, int dy) {
    out.push_back(static_cast<std::uint8_t>(dx & 0x7F));  // 7-bit two's complement
    out.push_back(static_cast<std::uint8_t>(dy & 0x7F));
  });
  out.insert(out.end(), {0xFF, 0x00});
  out.insert(out.end(), kThumbnail, 0x00);
  return out;
}

inline Bytes TinySew(std::size_t size) {
  Bytes out(7544, 0);
  out[0] = 1;   // one colour
  out[2] = 10;  // Janome red
  for (std::size_t i = 0; out.size() + 4 <= size; ++i)
    out.insert(out.end(), {static_cast<std::uint8_t>(i % 2 ? 0xFF : 0x01), 0x00});
  out.insert(out.end(), {0x80, 0x10});
  return out;
}

}  // namespace stress
