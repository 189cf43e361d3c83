// Brother PHC and PHB readers: a header with the PEC thread indices and one
// picture per colour block, then a chain of offsets to a PEC stitch block.
//
// Header (PHC offset / PHB offset):
//   0x00 / 0x00  8 bytes   "#PHC0001" / "#PHB0003" (not checked)
//   0x08 / 0x08  36 / 72   text: a copyright line, or "LA:" and the name
//   0x30 / 0x54  u32 L0    A = 0x2E + L0 / 0x52 + L0
//   0x4D / 0x71  u16 n     colour blocks
//   0x4F / 0x73  n bytes   PEC thread index of each block
//   then         n x 228   pictures, 48 x 38, 6 bytes a row, bit 0 leftmost
// Chain, every value u32:
//   B = A + 2 + u32 at A;  C = B + u32 at B;  n2 = u8 at C+14;
//   Ls = u32 at C+15+n2;   the stitch block P0 = C+19+n2 .. P0+Ls-1
// Stitch block: a box and a lead-in jump, then PEC stitch records from
// P0+25 (PHC) / P0+17 (PHB), decoded from (0, 0) as a PEC section's are.
#include "design/phc_phb.h"

#include <algorithm>
#include <iterator>

#include "design/info_text.h"
#include "design/pec_section.h"

namespace {

struct Layout {
  const char* formatText;
  std::int64_t textLength;
  std::int64_t chainField;  // L0
  std::int64_t chainBase;
  std::int64_t colorCount;  // u16 n, the colour list right after it
  std::int64_t firstRecord;  // from P0
  const char* magic;
};

constexpr Layout kPhc{"BROTHER-PHC", 36, 0x30, 0x2E, 0x4D, 25, "#PHC"};
constexpr Layout kPhb{"BROTHER-PHB", 72, 0x54, 0x52, 0x71, 17, "#PHB"};
constexpr std::int64_t kTextField = 0x08;

struct StitchBlock {
  std::int64_t first = 0, end = 0;  // first record; end of the records
};

// Follows the chain, each link forward and inside the file before it is
// read; offsets in 64 bits, so no u32 can wrap them. An empty block when a
// link fails.
StitchBlock FollowChain(const ByteView& file, const Layout& layout) {
  if (!file.Has(layout.chainField, 4)) return {};
  const std::int64_t a = layout.chainBase + file.u32le(layout.chainField);
  if (a < layout.chainField + 4 || !file.Has(a, 8)) return {};
  const std::int64_t b = a + 2 + file.u32le(a);
  if (!file.Has(b, 8)) return {};
  const std::int64_t c = b + file.u32le(b);
  if (c <= b || !file.Has(c, 15)) return {};
  const int threads = file.u8(c + 14);
  if (!file.Has(c + 15 + threads, 4)) return {};
  const std::int64_t p0 = c + 19 + threads;
  // A file cut inside its stitch block shows the records it holds.
  const std::int64_t end = std::min<std::int64_t>(p0 + file.u32le(c + 15 + threads), file.size());
  const std::int64_t first = p0 + layout.firstRecord;
  if (first >= end) return {};
  return {first, end};
}

// The blocks' pictures laid over one another: the whole design. False,
// and out cleared, when any of them is not wholly inside the file.
bool CombinedPicture(const ByteView& file, std::int64_t pictures, int count, std::uint8_t* out) {
  std::fill(out, out + kThumbnailBytes, std::uint8_t{0});
  if (count == 0 || !file.Has(pictures, std::int64_t{count} * kThumbnailBytes)) return false;
  for (int k = 0; k < count; ++k) {
    const std::uint8_t* picture = file.UncheckedData(pictures + std::int64_t{k} * kThumbnailBytes);
    for (int i = 0; i < kThumbnailBytes; ++i) out[i] |= picture[i];
  }
  return true;
}

void ReadBrotherContainer(CDesign& design, int len, const Layout& layout) {
  const ByteView file(design.m_fileData, len);
  const StitchBlock block = FollowChain(file, layout);
  // The records' memory first: a read that cannot get it changes nothing
  // of the design shown, its colours and picture included.
  design.BeginDesign(static_cast<int>((block.end - block.first) / 2) + 3);

  std::fill(std::begin(design.m_blockColor), std::end(design.m_blockColor), std::uint8_t{0});
  const int colors = file.Has(layout.colorCount, 2) ? file.u16le(layout.colorCount) : 0;
  const std::int64_t list = layout.colorCount + 2;
  int filled = 0;
  pec::AppendColorList(file, list, colors, design, filled);
  if (file.Has(kTextField, 3) && file.u8(kTextField) == 'L' && file.u8(kTextField + 1) == 'A' &&
      file.u8(kTextField + 2) == ':')
    design.m_strLabel = TrimmedLabel(file, kTextField + 3, static_cast<int>(layout.textLength - 3));
  const bool picture = CombinedPicture(file, list + colors, colors, design.m_thumbnail);

  if (block.end > block.first)
    design.DecodePecStitches(static_cast<int>(block.first), static_cast<int>(block.end));
  design.EndDesign();
  design.PublishDesign({.format = FORMAT_BROTHER, .hasThumbnail = picture ? TRUE : FALSE,
                        .info = design.DecodedInfo(layout.formatText, design.m_nColorCount)});
}

bool StartsWith(const ByteView& file, const char* magic) {
  for (int i = 0; magic[i]; ++i)
    if (!file.Has(i, 1) || file.u8(i) != static_cast<std::uint8_t>(magic[i])) return false;
  return true;
}

}  // namespace

void ReadPhc(CDesign& design, int len) { ReadBrotherContainer(design, len, kPhc); }
void ReadPhb(CDesign& design, int len) { ReadBrotherContainer(design, len, kPhb); }

bool PlausiblePhc(const ByteView& file) { return StartsWith(file, kPhc.magic); }
bool PlausiblePhb(const ByteView& file) { return StartsWith(file, kPhb.magic); }
