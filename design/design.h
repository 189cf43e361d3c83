// The design's vocabulary: what a record is, how a design ends, the sizes of
// the fixed tables, the format codes, and what a reader hands over when it
// finishes. The design state itself is members of the main dialog.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "framework/win_types.h"

enum StitchKind : std::uint8_t {
  KIND_ORIGIN = 0,
  KIND_STITCH = 1,
  KIND_MOVE = 2,
  KIND_COLOR = 4,
  KIND_END = 8,
};

// X and Y of the end record.
constexpr std::int16_t END_MARK = 0x55AA;

constexpr int kBlockColorEntries = 64;
constexpr int kThumbnailBytes = 228;  // 48 x 38 pixels, 6 bytes a row
constexpr int kBrotherPaletteSlots = 64;
constexpr int kBrotherColors = 62;  // slots 0..61 hold thread colours, 62 and 63 none
constexpr int kJanomePaletteEntries = 80;
constexpr int kFileColorEntries = 16;

// The format a design was read from (m_nFormat).
constexpr std::int16_t FORMAT_BROTHER = 1;  // PES and PEC
constexpr std::int16_t FORMAT_PCS = 2;
constexpr std::int16_t FORMAT_DST = 4;
constexpr std::int16_t FORMAT_SEW = 8;

// Colour of blocks whose index has no table entry.
constexpr COLORREF kFallbackColor = RGB(0, 0, 0);

// What a reader sets when it finishes a read.
struct CDesignPublish {
  std::int16_t format = 0;      // FORMAT_...
  BOOL fileColors = FALSE;
  BOOL janomeColors = FALSE;
  BOOL hasThumbnail = FALSE;
  bool keepRotation = false;    // only the DST reader keeps the user's turn
  std::array<std::string, 5> info;  // texts of 1044, 1012, 1013, 1014, 1015
};
