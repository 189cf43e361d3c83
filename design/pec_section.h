// The PEC section that PEC files hold once and PES files once per part.
// Offsets from the section start S:
//   0     3    "LA:" (only the PES section search looks at it)
//   3     16   the design's label, padded with blanks
//   48    1    number of colours minus 1
//   49    n    colour list, one palette index per colour block
//   514   3    thumbnail offset T, counted from S + 512
//   520   2    design width in 0.1 mm
//   522   2    design height in 0.1 mm
//   532   ...  stitch data up to its end record (CDesign::DecodePecStitches)
//   512+T 228  thumbnail, 48 x 38 pixels, 6 bytes a row, bit 0 the leftmost
// A field that lies outside the file is treated as absent.
#pragma once
#include <cstdint>
#include <string>

#include "design/byte_view.h"
#include "design/design.h"

namespace pec {

constexpr std::int64_t kLabelOffset = 3;
constexpr int kLabelLength = 16;
constexpr std::int64_t kColorCountOffset = 48;
constexpr std::int64_t kColorListOffset = 49;
constexpr std::int64_t kThumbnailBase = 512;
constexpr std::int64_t kThumbnailOffsetField = 514;
constexpr std::int64_t kWidthOffset = 520;
constexpr std::int64_t kHeightOffset = 522;
constexpr std::int64_t kStitchDataOffset = 532;

// The section's colour count (1 to 256), or 0 when its count byte is outside
// the file.
int SectionColorCount(const ByteView& file, std::int64_t section);

// Appends count PEC thread indices from list on (those inside the file) to
// the design's threads, and to m_blockColor[filled...] as far as it has
// room; filled grows by the number stored there.
void AppendColorList(const ByteView& file, std::int64_t list, int count, CDesign& design, int& filled);

// Appends the section's colour list, the entries inside the file, to the
// design's threads, and to m_blockColor[filled...] as far as it has room;
// filled grows by the number stored there. Returns the section's colour
// count (0: absent).
int AppendSectionColors(const ByteView& file, std::int64_t section, CDesign& design, int& filled);

// The section's label without its padding.
std::string SectionLabel(const ByteView& file, std::int64_t section);

// Copies the section's thumbnail into out (228 bytes) when the offset field
// and the whole picture lie inside the file; otherwise clears out and
// returns false.
bool CopySectionThumbnail(const ByteView& file, std::int64_t section, std::uint8_t* out);

// "Breite:  %.1f mm" / "Höhe:  %.1f mm" from the header, empty when the
// field is outside the file.
std::string SectionWidthText(const ByteView& file, std::int64_t section);
std::string SectionHeightText(const ByteView& file, std::int64_t section);

// The version text of the digits at file bytes 6 and 7, empty when the file
// is shorter than that.
std::string FileVersionText(const ByteView& file);

}  // namespace pec
