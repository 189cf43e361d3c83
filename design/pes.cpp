// Brother PES reader.
//
// File layout, as far as it is read:
//   0..5   not read
//   6, 7   version digits (ASCII), see VersionText
//   8..10  S0, offset of the first PEC section (byte 11 not read)
//   12     number of parts; only versions 2.5 and 3.0 know multi-part designs
//   S0..   the first PEC section (pec_section.h); the sections of further
//          parts are found by their "LA:" at least 32 bytes after the
//          section before them. A part's stitch data ends at its end marker
//          or where the next part's section begins, the last part's at the
//          end of the file.
// Everything else in the file is skipped.
//
// A multi-part design is shown with its parts stacked top to bottom, each
// moved to X 0 and below the parts before it, and ends every part with a
// colour change so that the concatenated colour lists line up with the
// blocks.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "design/design.h"
#include "design/byte_view.h"
#include "design/info_text.h"
#include "design/pec_section.h"
#include "framework/window_words.h"

namespace {

constexpr std::int64_t kFirstSectionField = 8;
constexpr std::int64_t kPartCountField = 12;
constexpr std::int64_t kSearchDistance = 32;

constexpr const char* kMultiPartNotice =
    WindowWordsLater("Multipart-Design !\n\nVor Konvertierung mit Splitfix zerlegen !");

bool IsMultiPartVersion(const ByteView& file) {
  if (!file.Has(6, 2)) return false;
  const std::uint8_t d1 = file.u8(6), d2 = file.u8(7);
  return (d1 == '2' && d2 == '5') || (d1 == '3' && d2 == '0');
}

// Start of the first "LA:" at from or later whose three bytes lie inside the
// file, or -1.
std::int64_t FindSection(const ByteView& file, std::int64_t from) {
  const std::int64_t last = static_cast<std::int64_t>(file.size()) - 3;
  if (from < 0) from = 0;
  for (std::int64_t q = from; q <= last; ++q) {
    const std::uint8_t* p = file.UncheckedData(q);
    if (p[0] == 'L' && p[1] == 'A' && p[2] == ':') return q;
  }
  return -1;
}

// Makes `passes` searches, each from 32 bytes after the section found last.
// A pass without a match would leave the range unchanged, so every later
// pass would fail as well.
void FindFurtherSections(const ByteView& file, int passes, std::vector<std::int64_t>& sections) {
  for (int i = 0; i < passes; ++i) {
    const std::int64_t q = FindSection(file, sections.back() + kSearchDistance);
    if (q < 0) break;
    sections.push_back(q);
  }
}

}  // namespace

void CDesign::ReadPes(int len) {
  // The records' memory first: a read that cannot get it changes nothing
  // of the design shown, its colours and picture included.
  BeginDesign(len > 0 ? len / 2 : 0);
  const ByteView file(m_fileData, len);

  std::vector<std::int64_t> sections;
  if (file.Has(kFirstSectionField, 3)) sections.push_back(file.u24le(kFirstSectionField));
  const bool multiPart =
      IsMultiPartVersion(file) && file.Has(kPartCountField, 1) && file.u8(kPartCountField) > 1;
  if (multiPart) FindFurtherSections(file, file.u8(kPartCountField) - 1, sections);

  // Blocks without a colour in the file get index 0, not a colour of the
  // file read before.
  std::fill(std::begin(m_blockColor), std::end(m_blockColor), std::uint8_t{0});
  int filled = 0, lastColors = 0;
  for (std::int64_t s : sections)
    lastColors = pec::AppendSectionColors(file, s, *this, filled);
  if (!sections.empty()) m_strLabel = pec::SectionLabel(file, sections[0]);

  CDesignPublish publish;
  publish.format = FORMAT_BROTHER;
  publish.info[0] = pec::FileVersionText(file);
  if (multiPart) {
    publish.info[1] = PartsText(static_cast<int>(sections.size()));
    publish.info[2] = UnknownWidthText();
    publish.info[3] = UnknownHeightText();
  } else if (!sections.empty()) {
    publish.info[1] = lastColors ? PesColorsText(lastColors) : std::string();
    publish.info[2] = pec::SectionWidthText(file, sections[0]);
    publish.info[3] = pec::SectionHeightText(file, sections[0]);
  }
  if (!sections.empty() && pec::CopySectionThumbnail(file, sections[0], m_thumbnail))
    publish.hasThumbnail = TRUE;
  else
    std::fill(std::begin(m_thumbnail), std::end(m_thumbnail), std::uint8_t{0});

  std::int16_t yOffset = 0;
  int partStart = 0;
  for (std::size_t part = 0; part < sections.size(); ++part) {
    ResetBounds();
    const int stitchesBefore = m_nStitchCount;
    // A part's stitch data stops where the next part's section begins, so
    // that every byte belongs to one part at most.
    const std::int64_t dataStart = sections[part] + pec::kStitchDataOffset;
    const std::int64_t dataEnd = part + 1 < sections.size() ? sections[part + 1] : len;
    const CPosition end = DecodePecStitches(static_cast<int>(dataStart), static_cast<int>(dataEnd));
    if (!multiPart) continue;
    // A part without stitches has only the sentinel bounds: it is neither
    // moved nor given a height, so it does not push the next part away.
    if (m_nStitchCount != stitchesBefore) {
      for (int i = partStart; i < NextRecordIndex(); ++i) {
        const std::uint8_t kind = m_arrKind[i];
        if (kind != KIND_ORIGIN && kind != KIND_STITCH && kind != KIND_MOVE) continue;
        m_arrX[i] = static_cast<std::int16_t>(m_arrX[i] - m_nMinX);
        m_arrY[i] = static_cast<std::int16_t>(m_arrY[i] - m_nMinY + yOffset);
      }
      yOffset = static_cast<std::int16_t>(yOffset + (m_nMaxY - m_nMinY));
    }
    AddColorChange(end.x, end.y);  // replaces the part's end record
    partStart = NextRecordIndex();
  }
  EndDesign();
  if (multiPart) {
    m_nWidth = 1000;
    m_nMinX = 0;
    m_nMinY = 0;
    m_nHeight = yOffset;
  }

  publish.info[4] = StitchesText(m_nStitchCount);
  if (multiPart) publish.notice = WindowWords(kMultiPartNotice);
  PublishDesign(publish);
}
