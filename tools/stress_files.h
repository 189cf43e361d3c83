// The large and hostile files of make-stress, also generated in memory by
// the benchmarks.
#pragma once
#include <algorithm>
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
// to the next: drawn large, a small square gives a pen many pixels wide and
// every stroke crosses much of the picture.
class ScatterPoints {
 public:
  explicit ScatterPoints(int side) : m_coord(0, side) {}
  // The step to the next point.
  void Next(int& dx, int& dy) {
    const int x = m_coord(m_rng), y = m_coord(m_rng);
    dx = x - m_x;
    dy = y - m_y;
    m_x = x;
    m_y = y;
  }

 private:
  std::mt19937 m_rng{13};
  std::uniform_int_distribution<int> m_coord;
  int m_x = 0, m_y = 0;
};

// The most stitches of stitchBytes each, with a colour change of
// colourBytes after every colourEvery-th (0: none), that fit in room bytes.
inline long ScatterStitches(std::size_t room, long stitchBytes, long colourBytes,
                            long colourEvery) {
  const auto fits = [&](long n) {
    return n * stitchBytes + (colourEvery ? n / colourEvery * colourBytes : 0) <=
           static_cast<long>(room);
  };
  long n = static_cast<long>(room) / stitchBytes;
  while (n > 0 && !fits(n)) --n;
  return n;
}

// A DST file of `size` bytes of such stitches, side <= 121; a colour change
// after every colourEvery-th stitch (0: none).
inline Bytes ScatterDst(std::size_t size, int side, long colourEvery = 0) {
  Bytes out(512, ' ');
  std::memcpy(out.data(), "LA:STREU            \r", 20);
  out[124] = 0x1A;
  const long stitches = size > 515 ? ScatterStitches(size - 515, 3, 3, colourEvery) : 0;
  out.reserve(size);
  ScatterPoints points(side);
  for (long i = 1; i <= stitches; ++i) {
    int dx, dy;
    points.Next(dx, dy);
    PushDstStep(out, dx, dy);
    if (colourEvery && i % colourEvery == 0) out.insert(out.end(), {0x00, 0x00, 0xC3});
  }
  out.insert(out.end(), {0x00, 0x00, 0xF3});
  return out;
}

// The same as a PEC file of `size` bytes, side <= 63: the file header, a
// section whose blocks take Brother entries 1, 2, 3, ... (block 0: 5), its
// stitches short fields of one byte per axis, colour changes of three
// bytes, the end record and a blank thumbnail.
inline Bytes ScatterPec(std::size_t size, int side, long colourEvery = 0) {
  constexpr std::size_t kSection = 8, kStitchData = kSection + 532, kThumbnail = 228;
  constexpr std::size_t kFixed = kStitchData + 2 + kThumbnail;
  const long stitches = size > kFixed ? ScatterStitches(size - kFixed, 2, 3, colourEvery) : 0;
  const long blocks = std::min(colourEvery ? stitches / colourEvery + 1 : 1, 256L);
  Bytes out(kStitchData, 0x20);
  std::memcpy(out.data(), "#PEC0001LA:STREU", 16);
  out[kSection + 48] = static_cast<std::uint8_t>(blocks - 1);  // colours - 1
  out[kSection + 49] = 5;
  for (long k = 1; k < blocks; ++k) out[kSection + 49 + k] = static_cast<std::uint8_t>(1 + k % 63);
  out.reserve(size);
  ScatterPoints points(side);
  for (long i = 1; i <= stitches; ++i) {
    int dx, dy;
    points.Next(dx, dy);
    out.push_back(static_cast<std::uint8_t>(dx & 0x7F));  // 7-bit two's complement
    out.push_back(static_cast<std::uint8_t>(dy & 0x7F));
    if (colourEvery && i % colourEvery == 0) out.insert(out.end(), {0xFE, 0xB0, 0x00});
  }
  out.insert(out.end(), {0xFF, 0x00});
  // Thumbnail offset (from 512), width and height in the section header.
  const std::size_t thumbnailAt = out.size() - kSection - 512;
  const std::uint8_t header[18] = {0, 0, static_cast<std::uint8_t>(thumbnailAt),
                                   static_cast<std::uint8_t>(thumbnailAt >> 8),
                                   static_cast<std::uint8_t>(thumbnailAt >> 16), 0, 0, 0,
                                   static_cast<std::uint8_t>(side), 0,
                                   static_cast<std::uint8_t>(side), 0};  // the rest 0
  std::memcpy(out.data() + kSection + 512, header, sizeof header);
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

// A hostile picture: a SEW file of size bytes whose every record is a stitch
// to a random point of a square side units (0.1 mm, at most 127) wide, so
// that millions of long strokes pile up on a few pixels.
inline Bytes RandomSquareSew(std::size_t size, int side) {
  Bytes out(7544, 0);
  out[0] = 1;   // one colour
  out[2] = 10;  // Janome red
  out.reserve(size);
  std::mt19937 rng(11);
  int x = 0, y = 0;
  const auto span = static_cast<unsigned>(side) + 1;
  while (out.size() + 4 <= size) {
    const int nx = static_cast<int>(rng() % span), ny = static_cast<int>(rng() % span);
    // dx and -dy as signed bytes (SEW's Y points up), never 0x80.
    out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(nx - x)));
    out.push_back(static_cast<std::uint8_t>(static_cast<std::int8_t>(y - ny)));
    x = nx;
    y = ny;
  }
  out.insert(out.end(), {0x80, 0x10});
  return out;
}

// A PEC file of stitches 204.8 mm long (the longest a long field holds),
// back and forth on the diagonal: every stitch takes 4 bytes here and 17
// records in a DST file.
inline Bytes LongPec(std::size_t size) {
  Bytes out(8 + 532, ' ');
  std::memcpy(out.data(), "#PEC0001LA:LANG", 15);
  out[8 + 48] = 0;  // one colour
  out[8 + 49] = 5;
  for (std::size_t i = 8 + 512; i < out.size(); ++i) out[i] = 0;
  out[8 + 520] = out[8 + 522] = 0xFF;  // width and height 2047
  out[8 + 521] = out[8 + 523] = 0x07;
  // A long field is 1000nnnn cccccccc, 12 bits: +2047 is 0x87 0xFF, -2047 0x88 0x01.
  for (std::size_t i = 0; out.size() + 6 <= size; ++i) {
    const std::uint8_t hi = i % 2 ? 0x88 : 0x87, lo = i % 2 ? 0x01 : 0xFF;
    out.insert(out.end(), {hi, lo, hi, lo});
  }
  out.insert(out.end(), {0xFF, 0x00});
  return out;
}

}  // namespace stress
