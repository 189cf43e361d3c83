// What every finished load must leave behind, whatever bytes it read: the
// checks of the fuzz targets and of the corpus sweep.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/platform.h"
#include "app/viewer_dlg.h"

// Empty when the design state of a finished read of loadedBytes bytes holds
// together; otherwise a description of the first fault found:
// - the three record arrays have one length, one end record (END_MARK in X
//   and Y) is reachable from record 0, and the next record index stands on it;
// - the records up to the end number at most loadedBytes / 2 + 3, so that
//   no file, however made, costs more memory than its size allows (HUS and
//   VIP, whose streams are compressed: twice the header's record count + 3,
//   and 3 when the count exceeds the readers' limit);
// - only the five kinds occur, record 0 is the origin and no other;
// - the stitch and colour counts match the records, the bounds and sizes
//   match the stitch and move records (the stacked multi-part PES design
//   has its own fixed values);
// - flags, format code and rotation hold legal values, the stitch field
//   shows the stitch count;
// - every block colour comes from its table (or its thread) when the
//   stored index (the block) lies inside it, and is the fallback colour
//   otherwise.
std::string FindDesignViolation(const CViewerDlg& dlg, IPlatform& platform, std::size_t loadedBytes);

// Prints the fault with where and aborts, so that a fuzzer keeps the input.
void CheckDesignInvariants(const CViewerDlg& dlg, IPlatform& platform, std::size_t loadedBytes,
                           const char* where);

// Everything of a loaded design that a user can see or save: records up to
// the end, counts, bounds, sizes, flags, block colours, the thumbnail and
// the information texts. Two loads of the same bytes must give equal
// snapshots, whatever the dialog held before.
struct CDesignSnapshot {
  struct Rec {
    std::int16_t x, y;
    std::uint8_t kind;
    bool operator==(const Rec&) const = default;
  };
  std::vector<Rec> records;
  std::int32_t colorCount = 0, stitchCount = 0, width = 0, height = 0;
  std::int16_t minX = 0, maxX = 0, minY = 0, maxY = 0, format = 0;
  BOOL loaded = FALSE, fileColors = FALSE, janomeColors = FALSE, hasThumbnail = FALSE;
  std::vector<COLORREF> blockColors;
  std::vector<std::uint8_t> thumbnail;
  std::array<std::string, 5> info;
  bool operator==(const CDesignSnapshot&) const = default;
};

CDesignSnapshot TakeSnapshot(const CViewerDlg& dlg, IPlatform& platform);
// The first difference as text, empty when equal.
std::string DescribeDifference(const CDesignSnapshot& a, const CDesignSnapshot& b);
