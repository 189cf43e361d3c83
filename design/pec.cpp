// Brother PEC reader, and the PEC section shared with the PES reader.
//
// File layout:
//   0..5   not read
//   6, 7   version digits (ASCII), see VersionText
//   8..    one PEC section (layout in pec_section.h), so the colour count
//          sits at 56, the thumbnail offset at 522, width and height at 528
//          and 530 and the stitch data starts at 540.
//
// Stitch records, each relative to the previous position:
//   0xFF 0x00        end of the design
//   0xFE 0xB0 xx     colour change (third byte ignored)
//   X field, Y field a movement; each field is
//     0xxxxxxx       short: 7-bit two's complement
//     1fffnnnn cccc  long: 12-bit two's complement nnnn:cccccccc; the flag
//                    bits 0x10 (jump) and 0x20 (trim) make the movement a move
// The end and colour patterns only count at the start of a record; 0xFF 0x10
// there is a long X field like any other.
#include <algorithm>
#include <iterator>

#include "design/design.h"
#include "design/byte_view.h"
#include "design/info_text.h"
#include "design/pec_section.h"
#include "design/thread_charts.h"

namespace pec {

int SectionColorCount(const ByteView& file, std::int64_t section) {
  const std::int64_t at = section + kColorCountOffset;
  return file.Has(at, 1) ? file.u8(at) + 1 : 0;
}

void AppendColorList(const ByteView& file, std::int64_t list, int count, CDesign& design, int& filled) {
  for (int k = 0; k < count && file.Has(list + k, 1); ++k) {
    const std::uint8_t index = file.u8(list + k);
    if (filled < kBlockColorEntries) design.m_blockColor[filled++] = index;
    design.m_threads.push_back(ChartThread(ThreadChart::pec, index));
  }
}

int AppendSectionColors(const ByteView& file, std::int64_t section, CDesign& design, int& filled) {
  const int count = SectionColorCount(file, section);
  AppendColorList(file, section + kColorListOffset, count, design, filled);
  return count;
}

std::string SectionLabel(const ByteView& file, std::int64_t section) {
  return TrimmedLabel(file, section + kLabelOffset, kLabelLength);
}

bool CopySectionThumbnail(const ByteView& file, std::int64_t section, std::uint8_t* out) {
  const std::int64_t field = section + kThumbnailOffsetField;
  const std::int64_t picture = section + kThumbnailBase + (file.Has(field, 3) ? file.u24le(field) : 0);
  if (!file.Has(field, 3) || !file.Has(picture, kThumbnailBytes)) {
    std::fill(out, out + kThumbnailBytes, std::uint8_t{0});
    return false;
  }
  const std::uint8_t* from = file.UncheckedData(picture);
  std::copy(from, from + kThumbnailBytes, out);
  return true;
}

std::string SectionWidthText(const ByteView& file, std::int64_t section) {
  const std::int64_t at = section + kWidthOffset;
  return file.Has(at, 2) ? WidthText(file.u16le(at)) : std::string();
}

std::string SectionHeightText(const ByteView& file, std::int64_t section) {
  const std::int64_t at = section + kHeightOffset;
  return file.Has(at, 2) ? HeightText(file.u16le(at)) : std::string();
}

std::string FileVersionText(const ByteView& file) {
  return file.Has(6, 2) ? CDesign::VersionText(file.u8(6), file.u8(7)) : std::string();
}

}  // namespace pec

namespace {

constexpr std::int64_t kPecSectionStart = 8;

struct Version {
  char digit1, digit2;
  const char* text;
};

constexpr Version kVersions[] = {
    {'0', '1', "PE-DESIGN 1.0"}, {'2', '0', "PE-DESIGN 2.0"}, {'2', '5', "PE-DESIGN 2.5"},
    {'3', '0', "PE-DESIGN 3.0"}, {'4', '0', "PE-DESIGN 4.0"}, {'5', '0', "PE-DESIGN 5.0"},
};

// 7-bit two's complement of a short field.
inline int ShortValue(std::uint8_t b) { return b < 0x40 ? b : b - 0x80; }

// 12-bit two's complement of a long field b, c.
inline int LongValue(std::uint8_t b, std::uint8_t c) {
  const int n = b & 0x0F;
  return (n < 8 ? n : n - 16) * 256 + c;
}

constexpr std::uint8_t kMoveFlags = 0x30;  // jump 0x10, trim 0x20

// A field of a plain stitch at p (short, or long without a flag; 0xFE and
// 0xFF have both flags) into value, p past it; false when the field is
// another. Reads up to 2 bytes from p.
inline bool PlainField(const std::uint8_t* data, std::int64_t& p, int& value) {
  const std::uint8_t b = data[p];
  if (b < 0x80) {
    value = ShortValue(b);
    ++p;
    return true;
  }
  if (b & kMoveFlags) return false;
  value = LongValue(b, data[p + 1]);
  p += 2;
  return true;
}

}  // namespace

std::string CDesign::VersionText(std::uint8_t digit1, std::uint8_t digit2) {
  for (const Version& v : kVersions)
    if (digit1 == static_cast<std::uint8_t>(v.digit1) && digit2 == static_cast<std::uint8_t>(v.digit2))
      return v.text;
  return "unbekannt";
}

CDesign::CPosition CDesign::DecodePecStitches(int start, int end) {
  // Only the bytes before end are looked at, and only whole records are
  // decoded: a movement cut off by the end is dropped.
  const ByteView file(m_fileData, end);
  const std::int64_t size = static_cast<std::int64_t>(file.size());
  std::int16_t x = 0, y = 0;
  if (start < 0 || start >= size) return {x, y};
  const std::uint8_t* data = file.UncheckedData(0);
  std::int64_t p = start;
  constexpr std::int64_t kRun = 4096;  // stitches decoded between two checks of the arrays
  while (p < size) {
    // Plain stitches (no flag, no end or colour pattern) go straight into
    // the arrays; the record that stops them takes the way below.
    const int most = static_cast<int>(std::min<std::int64_t>((size - p) / 2, kRun));
    if (most > 0) {
      AddStitchRun(most, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& bounds) {
        int k = 0;
        // Four bytes ahead are inside the file: no field runs past it. The
        // last records take the way below.
        while (k < most && p + 4 <= size) {
          std::int64_t q = p;
          int dx, dy;
          if (!PlainField(data, q, dx) || !PlainField(data, q, dy)) break;
          p = q;
          x = static_cast<std::int16_t>(x + dx);
          y = static_cast<std::int16_t>(y + dy);
          xs[k] = x;
          ys[k] = y;
          ++k;
        }
        WidenStitchBounds(xs, ys, k, bounds);
        return k;
      });
      if (p >= size) break;
    }
    const std::uint8_t b = data[p];
    if (b >= 0xFE && p + 1 < size) {
      const std::uint8_t c = data[p + 1];
      if (b == 0xFF && c == 0x00) {
        MarkEnd();  // the caller's next record replaces it
        return {x, y};
      }
      if (b == 0xFE && c == 0xB0) {
        AddColorChange(x, y);
        p += 3;
        continue;
      }
    }
    int dx, dy;
    std::uint8_t flags;
    std::int64_t q = p;
    if (b & 0x80) {
      if (q + 1 >= size) break;
      dx = LongValue(b, data[q + 1]);
      flags = b & kMoveFlags;
      q += 2;
    } else {
      dx = ShortValue(b);
      flags = 0;
      q += 1;
    }
    if (q >= size) break;
    const std::uint8_t yb = data[q];
    if (yb & 0x80) {
      if (q + 1 >= size) break;
      dy = LongValue(yb, data[q + 1]);
      flags |= yb & kMoveFlags;
      q += 2;
    } else {
      dy = ShortValue(yb);
      q += 1;
    }
    p = q;
    x = static_cast<std::int16_t>(x + dx);
    y = static_cast<std::int16_t>(y + dy);
    if (flags)
      AddMove(x, y);
    else
      AddStitch(x, y);
  }
  return {x, y};
}

void CDesign::ReadPec(int len) {
  const ByteView file(m_fileData, len);
  // The records' memory first: a read that cannot get it changes nothing
  // of the design shown, its colours and picture included.
  const int half = len > 0 ? len / 2 : 0;
  BeginDesign(static_cast<std::int64_t>(m_arrKind.size()) < half ? half + 100 : 0);

  // Blocks without a colour in the file get index 0, not a colour of the
  // file read before.
  std::fill(std::begin(m_blockColor), std::end(m_blockColor), std::uint8_t{0});
  int filled = 0;
  const int colors = pec::AppendSectionColors(file, kPecSectionStart, *this, filled);
  m_strLabel = pec::SectionLabel(file, kPecSectionStart);

  CDesignPublish publish;
  publish.format = FORMAT_BROTHER;
  publish.info[0] = pec::FileVersionText(file);
  publish.info[1] = colors ? ColorsText(colors) : std::string();
  publish.info[2] = pec::SectionWidthText(file, kPecSectionStart);
  publish.info[3] = pec::SectionHeightText(file, kPecSectionStart);
  publish.hasThumbnail = pec::CopySectionThumbnail(file, kPecSectionStart, m_thumbnail) ? TRUE : FALSE;

  DecodePecStitches(static_cast<int>(kPecSectionStart + pec::kStitchDataOffset), len);
  EndDesign();

  publish.info[4] = StitchesText(m_nStitchCount);
  PublishDesign(publish);
}
