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
