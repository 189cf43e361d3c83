// What the DST reader and its block decoder share of the record layout
// (dst.cpp gives the whole layout): the bit weights of b0, b1 and b2, and
// the types by b2. A record is a plain stitch exactly when b2's top bit is
// clear.
#pragma once
#include <cstdint>

namespace dst {

constexpr int kHeaderSize = 512;
constexpr int kRecordSize = 3;
constexpr std::uint8_t kEndCode = 0xF3;

inline bool IsColorChange(std::uint8_t b2) { return (b2 & 0xC0) == 0xC0; }
inline bool IsJump(std::uint8_t b2) { return (b2 & 0xC0) == 0x80; }
inline bool IsPlainStitch(std::uint8_t b2) { return (b2 & 0x80) == 0; }

struct Weight {
  std::uint8_t mask;
  std::int8_t dx;
  std::int8_t dy;
};

constexpr Weight kByte0[] = {{0x01, 1, 0},  {0x02, -1, 0}, {0x04, 9, 0},  {0x08, -9, 0},
                             {0x10, 0, -9}, {0x20, 0, 9},  {0x40, 0, -1}, {0x80, 0, 1}};
constexpr Weight kByte1[] = {{0x01, 3, 0},   {0x02, -3, 0}, {0x04, 27, 0},  {0x08, -27, 0},
                             {0x10, 0, -27}, {0x20, 0, 27}, {0x40, 0, -3},  {0x80, 0, 3}};
constexpr Weight kByte2[] = {{0x04, 81, 0}, {0x08, -81, 0}, {0x10, 0, -81}, {0x20, 0, 81}};

}  // namespace dst
