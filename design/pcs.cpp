// Pfaff PCS reader.
//
// Layout (little-endian):
//   0       version; not read
//   1       hoop code; not read
//   2..3    colour count; not read, the table always has 16 entries
//   4..67   colour table: 16 x 4 bytes red, green, blue, 0 (read as 0x00BBGGRR)
//   68..69  number of stitch records to decode (colour changes not counted)
//   70..    records of 9 bytes:
//             0..3  X, signed 32-bit: 1/6 mm x 256 (byte 0 is the fraction)
//             4..7  Y, the same; Y points up
//             8     0x03 colour change (byte 0 then holds the colour index),
//                   any other value a stitch
// Positions are absolute. The first stitch becomes (0, 0); the others are
// converted to 0.1 mm relative to it, truncating, and Y is turned over.
// Decoding stops once the header's number of stitches has been decoded.
//
// Unlike the other readers, the decoded records start at index 1.
#include "app/viewer_dlg.h"
#include "design/byte_view.h"
#include "design/info_text.h"

namespace {

constexpr std::int64_t kColorTableOffset = 4;
constexpr std::int64_t kStitchCountOffset = 68;
constexpr std::int64_t kRecordsOffset = 70;
constexpr std::int64_t kRecordSize = 9;
constexpr std::uint8_t kColorChangeType = 0x03;

// 1/6 mm x 256 per unit, so one tenth of a millimetre is 1536 / 10.
constexpr std::int32_t kUnitsPerMm = 1536;

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
  return static_cast<std::int32_t>(product) / kUnitsPerMm;
}

}  // namespace

void CViewerDlg::ReadPcs(int len) {
  BeginDesign(len / 4);
  m_nNextRecord = 1;  // no record 1 at the origin: decoded records start here
  const ByteView file(m_fileData, len);

  // Fields that do not lie wholly inside a short file count as 0.
  for (int i = 0; i < kFileColorEntries; ++i) {
    const std::int64_t at = kColorTableOffset + 4 * i;
    m_fileColors[i] = file.Has(at, 4) ? file.u32le(at) : 0;
  }
  int remaining = file.Has(kStitchCountOffset, 2) ? file.u16le(kStitchCountOffset) : 0;

  // Only whole records are decoded: a cut-off last record is dropped.
  const std::int64_t size = static_cast<std::int64_t>(file.size());
  const std::int64_t records = size > kRecordsOffset ? (size - kRecordsOffset) / kRecordSize : 0;
  if (records > 0) GrowRecords(static_cast<int>(records) + 2);
  const std::uint8_t* p = records > 0 ? file.UncheckedData(kRecordsOffset) : nullptr;

  int colorChanges = 0;
  bool haveOrigin = false;
  std::int32_t originX = 0, originY = 0;
  std::int16_t x = 0, y = 0;
  for (std::int64_t i = 0; i < records && remaining > 0; ++i, p += kRecordSize) {
    if (p[8] == kColorChangeType) {
      AddColorChange(x, y);
      // Blocks past the table keep no index; the preview gives them its fallback colour.
      if (colorChanges < kBlockColorEntries) m_blockColor[colorChanges] = p[0];
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
    AddStitch(x, y);
    --remaining;
  }
  EndDesign();

  CDesignPublish publish;
  publish.format = 2;
  publish.fileColors = TRUE;
  publish.info = {"PFAFF-PCS", ColorsText(colorChanges), DecodedWidthText(), DecodedHeightText(),
                  StitchesText(m_nStitchCount)};
  PublishDesign(publish);
}
