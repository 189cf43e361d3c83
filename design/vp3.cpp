// Husqvarna Viking / Pfaff VP3 reader; the layout is in vp3.h.
//
// The section lengths of the file, the design and the colour blocks are not
// trusted (some writers put them short): a block's records run to the end of
// its stitch data, whose length is kept right, and the next block must
// follow the trailing 0 byte directly, else the design ends. A further
// design may follow the last block the same way (no sample has one).
//
// Block k starts at the design's centre plus its block start, both in
// micrometres, rounded once to 0.1 mm; where the needle is elsewhere (some
// writers move there in no record), a move to it is inserted. A long record
// is a move when it follows a trim, the block start or another move, or is
// longer than a plain record can be (12.7 mm) on an axis; otherwise a
// stitch. A trim records nothing: the moves after it are moves already.
//
// Every block keeps its thread: RGB (the first colour of a variegated
// thread; the fallback colour where the block names none), catalogue number,
// description and brand.
#include "design/vp3.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "design/byte_stitches.h"
#include "design/info_text.h"

namespace {

// Runs of plain stitches decoded at once between two checks of the arrays.
constexpr int kRun = 4096;

// Micrometres to 0.1 mm, halves away from zero.
std::int16_t Tenths(std::int64_t microns) {
  const std::int64_t half = vp3::kMicrons / 2;
  return static_cast<std::int16_t>(microns >= 0 ? (microns + half) / vp3::kMicrons
                                                : -((-microns + half) / vp3::kMicrons));
}

// The file's 8-bit text as UTF-8: printable ASCII as it is, bytes from 0xA0
// on as Latin-1 (which 8-bit text these are is not known: this reading never
// gives invalid UTF-8), control bytes dropped.
std::string Utf8FromLatin1(const ByteView& file, std::int64_t at, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t c = file.u8(at + i);
    if (c >= 0x20 && c < 0x7F) {
      text += static_cast<char>(c);
    } else if (c >= 0xA0) {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

class Vp3Reader {
 public:
  Vp3Reader(CDesign& design, const ByteView& file) : m_design(design), m_file(file) {}

  void Read() {
    std::int64_t at = static_cast<std::int64_t>(std::strlen(vp3::kMagic)) + 1;
    if (!SkipString(at) || !Tag(at, vp3::kFileTag)) return;
    at += 7;
    if (!SkipString(at)) return;
    at += 16 + 4 + 5;  // extents, stitch count, the five count bytes
    while (Tag(at, vp3::kDesignTag) && ReadDesign(at)) {
    }
  }

 private:
  // Whether a section with this tag starts at at.
  bool Tag(std::int64_t at, std::uint8_t tag) const {
    return m_file.Has(at, 7) && m_file.u8(at) == 0 && m_file.u8(at + 1) == tag && m_file.u8(at + 2) == 0;
  }
  // Steps over a string16 or string8; false when it runs past the end.
  bool SkipString(std::int64_t& at) const {
    if (!m_file.Has(at, 2)) return false;
    const int count = m_file.u16be(at);
    if (!m_file.Has(at + 2, count)) return false;
    at += 2 + count;
    return true;
  }
  bool ReadString(std::int64_t& at, std::string& text) const {
    const std::int64_t start = at;
    if (!SkipString(at)) return false;
    text = Utf8FromLatin1(m_file, start + 2, m_file.u16be(start));
    return true;
  }

  // One design section from its tag at at; false where the file ends in it.
  bool ReadDesign(std::int64_t& at) {
    const std::int64_t centreX = m_file.s32be(at + 7), centreY = m_file.s32be(at + 11);
    at += 7 + 8 + 3 + 16 + 8;  // tag, centre, zeros, box, size
    if (!SkipString(at)) return false;
    at += sizeof vp3::kDesignConstant;
    if (!SkipString(at)) return false;
    at += 2;  // the block count: the blocks are followed, not counted
    while (Tag(at, vp3::kBlockTag))
      if (!ReadBlock(at, centreX, centreY)) return false;
    return true;
  }

  // One colour block from its tag at at, its records included; at is then
  // where the next section must start.
  bool ReadBlock(std::int64_t& at, std::int64_t centreX, std::int64_t centreY) {
    const std::int64_t startX = centreX + m_file.s32be(at + 7), startY = centreY + m_file.s32be(at + 11);
    const int colours = m_file.u8(at + 15);
    CThread thread;
    thread.color = colours > 0 ? RGB(m_file.u8(at + 17), m_file.u8(at + 18), m_file.u8(at + 19)) : kFallbackColor;
    at += 17 + 6 * static_cast<std::int64_t>(colours) + 2;  // up to the thread type and weight
    if (!ReadString(at, thread.catalog) || !ReadString(at, thread.name) || !ReadString(at, thread.brand))
      return false;
    at += 8;  // the block shift
    if (!Tag(at, vp3::kStitchTag)) return false;
    const std::int64_t data = at + 7, end = data + m_file.u32be(at + 3);

    if (!m_design.m_threads.empty()) m_design.AddColorChange(m_x, m_y);
    m_design.m_threads.push_back(std::move(thread));
    const std::int16_t x = Tenths(startX), y = Tenths(-startY);
    if (x != m_x || y != m_y) {
      m_x = x;
      m_y = y;
      m_design.AddMove(x, y);
    }
    DecodeRecords(data + sizeof vp3::kStitchMarker, std::min<std::int64_t>(end, m_file.size()));
    at = end + 1;
    return at <= static_cast<std::int64_t>(m_file.size());
  }

  void DecodeRecords(std::int64_t q, std::int64_t end) {
    const std::uint8_t* bytes = m_file.UncheckedData(0);
    bool travelling = true;  // at the block start
    while (q + 1 < end) {
      if (bytes[q] != vp3::kEscape) {
        const int most = static_cast<int>(std::min<std::int64_t>((end - q) / 2, kRun));
        m_design.AddStitchRun(most, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& b) {
          const int n = DecodeByteStitches(bytes + q, most, +1, m_x, m_y, xs, ys, b);
          q += 2 * n;
          return n;
        });
        travelling = false;
        continue;
      }
      const std::uint8_t code = bytes[q + 1];
      if (code == vp3::kTrimCode) travelling = true;
      if (code != vp3::kLongCode) {
        q += 2;
        continue;
      }
      if (q + 6 > end) return;  // a long record cut by the end of its data
      const int dx = m_file.s16be(q + 2), dy = m_file.s16be(q + 4);
      q += 6;
      m_x = static_cast<std::int16_t>(m_x + dx);
      m_y = static_cast<std::int16_t>(m_y + dy);
      travelling = travelling || std::max(std::abs(dx), std::abs(dy)) > vp3::kPlainMost;
      if (travelling)
        m_design.AddMove(m_x, m_y);
      else
        m_design.AddStitch(m_x, m_y);
    }
  }

  CDesign& m_design;
  const ByteView& m_file;
  std::int16_t m_x = 0, m_y = 0;
};

}  // namespace

bool PlausibleVp3(const ByteView& file) {
  const std::size_t n = std::min(file.size(), std::strlen(vp3::kMagic));
  for (std::size_t i = 0; i < n; ++i)
    if (file.u8(static_cast<std::int64_t>(i)) != static_cast<std::uint8_t>(vp3::kMagic[i])) return false;
  return true;
}

void ReadVp3(CDesign& design, int len) {
  const ByteView file(design.m_fileData, len);
  design.BeginDesign(len / 2);
  std::fill(std::begin(design.m_blockColor), std::end(design.m_blockColor), std::uint8_t{0});
  Vp3Reader(design, file).Read();
  design.EndDesign();
  // A design with no block has one colour and no thread: the fallback.
  design.PublishDesign({.format = FORMAT_VP3, .threadColors = TRUE,
                        .info = design.DecodedInfo("HUSQVARNA-VP3", design.m_nColorCount)});
}
