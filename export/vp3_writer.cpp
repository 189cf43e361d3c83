// Husqvarna Viking / Pfaff VP3 writer; the layout is in design/vp3.h.
//
// The design is centred on its box and the centre written as (0, 0): some
// readers misplace the blocks of a design whose centre lies elsewhere. Block
// 0 starts at the centre, every later block where the one before ended, so
// that no reader needs to move to a block start; each block's shift is its
// last position less its start.
//
// Records: a stitch is a plain record, split on its line into pieces of at
// most 127 units an axis where it is longer (a long record of that length
// would read back as a travel). A move is a long record (pieces of at most
// 32767), after a trim where a stitch came before, so that the thread is cut
// before a travel and every reader takes the records after the trim as
// moves; the design ends with a trim. Positions are whole 0.1 mm about a
// whole centre, so the steps add up to every position exactly.
//
// Each block's thread: RGB from the design, catalogue number, name and
// brand where the source has them, thread type 5 and weight 40 as every
// sample has them.
#include "export/vp3_writer.h"

#include <cassert>
#include <cstring>
#include <string>
#include <vector>

#include "design/thread_charts.h"
#include "design/vp3.h"
#include "export/centred_walk.h"
#include "framework/window_words.h"

namespace {

constexpr char kProducer[] = "Produced by Nadelwerk";
constexpr int kMaxBlocks = 255;
constexpr int kMoveMost = 32767;
constexpr std::uint8_t kThreadType = 5, kThreadWeight = 40;
constexpr std::uint8_t kTrim[2] = {vp3::kEscape, vp3::kTrimCode};
constexpr std::size_t kProducerBytes = 2 * (sizeof kProducer - 1);  // UTF-16
// Fixed parts: file header, design header, block header (strings and
// stitch data apart).
constexpr std::size_t kFileHeader = 6 + 2 + kProducerBytes + 7 + 2 + 16 + 4 + 5;
constexpr std::size_t kDesignHeader = 7 + 8 + 3 + 16 + 8 + 2 + sizeof vp3::kDesignConstant + 2 + kProducerBytes + 2;
constexpr std::size_t kBlockHeader = 7 + 8 + 2 + 6 + 2 + 3 * 2 + 8 + 7 + sizeof vp3::kStitchMarker;

struct Point {
  int x, y;
};

// A colour block as the counting pass finds it; positions in 0.1 mm about
// the centre, Y down.
struct Block {
  int startX = 0, startY = 0, endX = 0, endY = 0;
  std::size_t data = 0;  // bytes of its records
  CThread thread;
  std::size_t Size() const {
    return kBlockHeader + thread.catalog.size() + thread.name.size() + thread.brand.size() + data + 1;
  }
};

// The design's text in 8 bits: ASCII as it is, other characters of
// Latin-1 as their byte, the rest as '?'; at most what a string8 counts.
std::string Latin1(const std::string& utf8) {
  std::string text;
  for (std::size_t i = 0; i < utf8.size() && text.size() < 0xFFFF; ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      text += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else if ((c & 0xC0) == 0xC0) {
      text += '?';  // the lead byte of a character Latin-1 lacks; its other bytes are skipped
    }
  }
  return text;
}

// The records of the design's steps: emit(bytes, count) for each record or
// trim, change(x, y) at each colour change with the needle's position, which
// is where the next block starts. Returns where the needle ends.
template <class Emit, class Change>
Point WalkRecords(const CCentredDesign& placed, Emit&& emit, Change&& change) {
  bool travelling = true;  // at a block start, or after a trim or a move
  int penX = 0, penY = 0;
  placed.ForEachStep([&](int dx, int dy, std::uint8_t kind) {
    if (kind == KIND_COLOR) {
      change(penX, penY);
      travelling = true;
      return;
    }
    penX += dx;
    penY += dy;
    if (kind == KIND_STITCH) {
      SplitStepAwayFromZero(dx, dy, vp3::kPlainMost, [&](int px, int py, bool) {
        const std::uint8_t plain[2] = {static_cast<std::uint8_t>(px), static_cast<std::uint8_t>(py)};
        emit(plain, 2);
      });
      travelling = false;
      return;
    }
    if (!travelling) emit(kTrim, 2);
    travelling = true;
    SplitStepAwayFromZero(dx, dy, kMoveMost, [&](int px, int py, bool) {
      const std::uint8_t record[8] = {vp3::kEscape, vp3::kLongCode,
                                      static_cast<std::uint8_t>(px >> 8), static_cast<std::uint8_t>(px),
                                      static_cast<std::uint8_t>(py >> 8), static_cast<std::uint8_t>(py),
                                      vp3::kEscape, vp3::kLongClose};
      emit(record, 8);
    });
  });
  return {penX, penY};
}

// Writes big-endian fields into a buffer sized for them.
struct Out {
  std::uint8_t* p;
  void u8(unsigned v) { *p++ = static_cast<std::uint8_t>(v); }
  void u16(unsigned v) { u8(v >> 8), u8(v); }
  void u32(std::uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); }
  void s32(std::int64_t v) { u32(static_cast<std::uint32_t>(v)); }
  void bytes(const std::uint8_t* b, std::size_t n) {
    std::memcpy(p, b, n);
    p += n;
  }
  void tag(std::uint8_t t, std::size_t length) { u8(0), u8(t), u8(0), u32(static_cast<std::uint32_t>(length)); }
  void string8(const std::string& s) {
    u16(static_cast<unsigned>(s.size()));
    bytes(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  }
  void producer() {
    u16(kProducerBytes);
    for (const char* c = kProducer; *c; ++c) u16(static_cast<unsigned char>(*c));
  }
};

}  // namespace

CEncoded EncodeVp3(const CDesign& design, const CEncodeRequest&) {
  const CCentredDesign placed(design);
  // One pass to count: the blocks, their records and where they begin and
  // end; no more blocks than a file can hold are kept.
  std::vector<Block> blocks(1);
  bool tooMany = false;
  std::uint32_t records = 0;
  const Point end = WalkRecords(
      placed, [&](const std::uint8_t*, std::size_t n) { blocks.back().data += n, ++records; },
      [&](int x, int y) {
        tooMany = tooMany || blocks.size() == kMaxBlocks;
        if (tooMany) return;
        blocks.back().endX = x, blocks.back().endY = y;
        blocks.emplace_back();
        blocks.back().startX = x, blocks.back().startY = y;
      });
  if (tooMany) return Refusal(WindowWords("Mehr als 255 Farben, Konvertierung abgebrochen"));
  blocks.back().endX = end.x, blocks.back().endY = end.y;
  blocks.back().data += sizeof kTrim;
  ++records;
  std::size_t size = kFileHeader + kDesignHeader;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    const CThread thread = BlockThread(design, static_cast<int>(k));
    blocks[k].thread = {.color = thread.color, .name = Latin1(thread.name), .catalog = Latin1(thread.catalog),
                        .brand = Latin1(thread.brand)};
    size += blocks[k].Size();
  }
  CEncoded result;
  result.bytes.resize(size, 0);
  Out out{result.bytes.data()};

  out.bytes(reinterpret_cast<const std::uint8_t*>(vp3::kMagic), std::strlen(vp3::kMagic));
  out.u8(0);
  out.producer();
  out.tag(vp3::kFileTag, size - (6 + 2 + kProducerBytes + 7));
  out.u16(0);  // no comment
  const std::int64_t um = vp3::kMicrons;
  out.s32(placed.right * um), out.s32(placed.top * um), out.s32(-placed.left * um), out.s32(-placed.bottom * um);
  out.u32(records);
  out.u8(0), out.u8(static_cast<unsigned>(blocks.size())), out.u8(0x0C), out.u8(0), out.u8(1);

  out.tag(vp3::kDesignTag, size - kFileHeader - 7);
  out.s32(0), out.s32(0), out.u8(0), out.u8(0), out.u8(0);
  out.s32(-placed.left * um), out.s32(placed.right * um), out.s32(-placed.bottom * um), out.s32(placed.top * um);
  out.s32(placed.Width() * um), out.s32(placed.Height() * um);
  out.u16(0);
  out.bytes(vp3::kDesignConstant, sizeof vp3::kDesignConstant);
  out.producer();
  out.u16(static_cast<unsigned>(blocks.size()));

  std::vector<std::uint8_t*> data;
  for (Block& b : blocks) {
    out.tag(vp3::kBlockTag, b.Size() - 7);
    out.s32(b.startX * um), out.s32(-b.startY * um);
    out.u8(1), out.u8(0);  // one colour, no transition
    out.u8(GetRValue(b.thread.color)), out.u8(GetGValue(b.thread.color)), out.u8(GetBValue(b.thread.color));
    out.u8(0), out.u16(0);
    out.u8(kThreadType), out.u8(kThreadWeight);
    out.string8(b.thread.catalog), out.string8(b.thread.name), out.string8(b.thread.brand);
    out.s32((b.endX - b.startX) * um), out.s32(-(b.endY - b.startY) * um);
    out.tag(vp3::kStitchTag, sizeof vp3::kStitchMarker + b.data);
    out.bytes(vp3::kStitchMarker, sizeof vp3::kStitchMarker);
    data.push_back(out.p);
    out.p += b.data + 1;  // the records, then the block's 0 byte
  }
  assert(out.p == result.bytes.data() + size);

  std::size_t k = 0;
  Out stitches{data[0]};
  WalkRecords(
      placed, [&](const std::uint8_t* bytes, std::size_t n) { stitches.bytes(bytes, n); },
      [&](int, int) { stitches.p = data[++k]; });
  stitches.bytes(kTrim, sizeof kTrim);
  assert(stitches.p + 1 == result.bytes.data() + size);
  return result;
}
