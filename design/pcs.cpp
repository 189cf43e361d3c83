// Pfaff PCS reader. The layout is in pcs_format.h; of the header the reader
// takes only the colour table and the number of stitch records. A record
// whose byte 8 is 0x03 is a colour change, 0x04 a move, any other value a
// stitch. Positions are absolute. The first stitch or move becomes (0, 0);
// the others are converted to 0.1 mm relative to it, truncating, and Y is
// turned over. Moves count as stitches in the header's number, and decoding
// stops once that many have been decoded.
//
// Unlike the other readers, the decoded records start at index 1.
#include "design/design.h"
#include "design/byte_view.h"
#include "design/info_text.h"
#include "design/pcs_format.h"

namespace {

inline std::int32_t S32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) |
                                   (static_cast<std::uint32_t>(p[1]) << 8) |
                                   (static_cast<std::uint32_t>(p[2]) << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

// (v - origin) x 10 / 1536 with the subtraction and the product wrapping at
// 32 bits as a 32-bit machine computes them; the quotient truncates.
inline std::int32_t Tenths(std::int32_t v, std::int32_t origin) {
  const auto product = (static_cast<std::uint32_t>(v) - static_cast<std::uint32_t>(origin)) * 10u;
  return static_cast<std::int32_t>(product) / pcs::kStepsPerMm;
}

}  // namespace

CThread CDesign::PcsThread(std::uint8_t index) const {
  CThread thread;
  thread.chart = ThreadChart::pcsFile;
  thread.index = index;
  thread.color = index < kFileColorEntries ? m_fileColors[index] : kFallbackColor;
  return thread;
}

void CDesign::ReadPcs(int len) {
  BeginDesign(len / 4);
  OmitStartStitch();  // no record 1 at the origin: decoded records start here
  const ByteView file(m_fileData, len);

  // Fields that do not lie wholly inside a short file count as 0.
  for (int i = 0; i < kFileColorEntries; ++i) {
    const std::int64_t at = pcs::kColorTableOffset + 4 * i;
    m_fileColors[i] = file.Has(at, 4) ? file.u32le(at) : 0;
  }
  int remaining = file.Has(pcs::kStitchCountOffset, 2) ? file.u16le(pcs::kStitchCountOffset) : 0;

  // Only whole records are decoded: a cut-off last record is dropped.
  const std::int64_t size = static_cast<std::int64_t>(file.size());
  const std::int64_t records = size > pcs::kRecordsOffset ? (size - pcs::kRecordsOffset) / pcs::kRecordSize : 0;
  if (records > 0) GrowRecords(static_cast<int>(records) + 2);
  const std::uint8_t* p = records > 0 ? file.UncheckedData(pcs::kRecordsOffset) : nullptr;

  int colorChanges = 0;
  bool haveOrigin = false;
  std::int32_t originX = 0, originY = 0;
  std::int16_t x = 0, y = 0;
  for (std::int64_t i = 0; i < records && remaining > 0; ++i, p += pcs::kRecordSize) {
    if (p[8] == pcs::kColorChangeType) {
      AddColorChange(x, y);
      // Blocks past the table keep no index; the preview gives them its fallback colour.
      if (colorChanges < kBlockColorEntries) m_blockColor[colorChanges] = p[0];
      // Block 0, before the first change, is drawn black and names no colour.
      if (m_threads.empty()) m_threads.push_back(CThread{});
      m_threads.push_back(PcsThread(p[0]));
      ++colorChanges;
      continue;
    }
    const std::int32_t rawX = S32(p);
    const std::int32_t rawY = S32(p + 4);
    if (!haveOrigin) {
      originX = rawX;
      originY = rawY;
      haveOrigin = true;
    }
    x = static_cast<std::int16_t>(Tenths(rawX, originX));
    y = static_cast<std::int16_t>(-Tenths(rawY, originY));
    if (p[8] == pcs::kMoveType)
      AddMove(x, y);
    else
      AddStitch(x, y);
    --remaining;
  }
  EndDesign();

  PublishDesign({.format = FORMAT_PCS, .fileColors = TRUE,
                 .info = DecodedInfo("PFAFF-PCS", colorChanges)});
}
