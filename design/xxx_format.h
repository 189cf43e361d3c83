// What the XXX reader and writer share of the file's layout (design/xxx.cpp
// gives the whole layout): the header fields, the first bytes of the
// records that are no plain stitch and the command codes after 7F.
#pragma once
#include <cstdint>

namespace xxx {

constexpr std::int64_t kRecordCountAt = 0x17, kColorCountAt = 0x27, kWidthAt = 0x2D, kHeightAt = 0x2F;
constexpr std::int64_t kEndBlockPointerAt = 0xFC, kRecordsAt = 0x100;
constexpr std::uint8_t kLongDisplacement = 0x7D, kLongMove = 0x7E, kCommand = 0x7F;
constexpr std::uint8_t kJump = 0x01, kTrim = 0x03, kColorChange = 0x08, kFirstNeedle = 0x0A, kLastNeedle = 0x17;
constexpr std::uint8_t kStitchesEnd = 0x18, kEndBlock = 0x7F;

// Whether a record starting with b is a command or a long record.
inline bool IsCommandByte(std::uint8_t b) { return b >= kLongDisplacement && b <= kCommand; }

}  // namespace xxx
