// Husqvarna Viking HUS and Pfaff VIP readers.
//
// Common header, little-endian:
//   0   u32  magic (HUS 0x00C8AF5B or 0x00C8FC5D, VIP 0x0190FC5D; not checked)
//   4   u32  N, records in each stream, the end record included
//   8   u32  n, colours (colour changes + 1)
//   12  4 x i16  extents +X, +Y, -X, -Y (not read: the decoded bounds count)
//   20  u32  O1, command stream; 24 u32 O2, X stream; 28 u32 O3, Y stream
//            (stream 1 = O1..O2-1, 2 = O2..O3-1, 3 = O3..end of file)
// HUS from 32:
//   32  8 bytes  name, NUL-padded
//   40  u16      not read
//   42  n x u16  thread index of each block into the Husqvarna chart
// VIP from 32:
//   32  10 bytes zero
//   42  u32      offset of the name field
//   46  4n bytes colour list, obfuscated (VipColor): R, G, B, 0 per colour
//   46+4n  n x u32  not read
//   name field: u32 c, then c UTF-16LE code units, the last a NUL
// Record i is byte i of each stream: command, signed X step, signed Y step
// (the file's Y points up). Commands: 0x80 stitch, 0x81 jump, 0x84 colour
// change, 0x88 trim, 0x90 end.
#include "design/hus_vip.h"

#include <algorithm>
#include <iterator>

#include "design/hus_stream.h"
#include "design/info_text.h"
#include "design/thread_charts.h"

namespace {

// Offsets of the layout above.
constexpr std::int64_t kHeaderSize = 32;
constexpr std::int64_t kHusNameOffset = 32, kHusColorList = 42;
constexpr int kHusNameLength = 8;
constexpr std::int64_t kVipNameField = 42, kVipColorList = 46;

constexpr std::uint8_t kStitch = 0x80, kJump = 0x81, kColorChange = 0x84, kTrim = 0x88;

// The key of the VIP colour list: byte i of the list is XORed with K[i] and
// with the list's previous raw byte. 400 bytes define 100 colours.
constexpr std::uint8_t kVipKey[400] = {
    0x2E, 0x82, 0xE4, 0x6F, 0x38, 0xA9, 0xDC, 0xC6, 0x7B, 0xB6, 0x28, 0xAC, 0xFD, 0xAA, 0x8A, 0x4E, 0x76, 0x2E, 0xF0, 0xE4,
    0x25, 0x1B, 0x8A, 0x68, 0x4E, 0x92, 0xB9, 0xB4, 0x95, 0xF0, 0x3E, 0xEF, 0xF7, 0x40, 0x24, 0x18, 0x39, 0x31, 0xBB, 0xE1,
    0x53, 0xA8, 0x1F, 0xB1, 0x3A, 0x07, 0xFB, 0xCB, 0xE6, 0x00, 0x81, 0x50, 0x0E, 0x40, 0xE1, 0x2C, 0x73, 0x50, 0x0D, 0x91,
    0xD6, 0x0A, 0x5D, 0xD6, 0x8B, 0xB8, 0x62, 0xAE, 0x47, 0x00, 0x53, 0x5A, 0xB7, 0x80, 0xAA, 0x28, 0xF7, 0x5D, 0x70, 0x5E,
    0x2C, 0x0B, 0x98, 0xE3, 0xA0, 0x98, 0x60, 0x47, 0x89, 0x9B, 0x82, 0xFB, 0x40, 0xC9, 0xB4, 0x00, 0x0E, 0x68, 0x6A, 0x1E,
    0x09, 0x85, 0xC0, 0x53, 0x81, 0xD1, 0x98, 0x89, 0xAF, 0xE8, 0x85, 0x4F, 0xE3, 0x69, 0x89, 0x03, 0xA1, 0x2E, 0x8F, 0xCF,
    0xED, 0x91, 0x9F, 0x58, 0x1E, 0xD6, 0x84, 0x3C, 0x09, 0x27, 0xBD, 0xF4, 0xC3, 0x90, 0xC0, 0x51, 0x1B, 0x2B, 0x63, 0xBC,
    0xB9, 0x3D, 0x40, 0x4D, 0x62, 0x6F, 0xE0, 0x8C, 0xF5, 0x5D, 0x08, 0xFD, 0x3D, 0x50, 0x36, 0xD7, 0xC9, 0xC9, 0x43, 0xE4,
    0x2D, 0xCB, 0x95, 0xB6, 0xF4, 0x0D, 0xEA, 0xC2, 0xFD, 0x66, 0x3F, 0x5E, 0xBD, 0x69, 0x06, 0x2A, 0x03, 0x19, 0x47, 0x2B,
    0xDF, 0x38, 0xEA, 0x4F, 0x80, 0x49, 0x95, 0xB2, 0xD6, 0xF9, 0x9A, 0x75, 0xF4, 0xD8, 0x9B, 0x1D, 0xB0, 0xA4, 0x69, 0xDB,
    0xA9, 0x21, 0x79, 0x6F, 0xD8, 0xDE, 0x33, 0xFE, 0x9F, 0x04, 0xE5, 0x9A, 0x6B, 0x9B, 0x73, 0x83, 0x62, 0x7C, 0xB9, 0x66,
    0x76, 0xF2, 0x5B, 0xC9, 0x5E, 0xFC, 0x74, 0xAA, 0x6C, 0xF1, 0xCD, 0x93, 0xCE, 0xE9, 0x80, 0x53, 0x03, 0x3B, 0x97, 0x4B,
    0x39, 0x76, 0xC2, 0xC1, 0x56, 0xCB, 0x70, 0xFD, 0x3B, 0x3E, 0x52, 0x57, 0x81, 0x5D, 0x56, 0x8D, 0x51, 0x90, 0xD4, 0x76,
    0xD7, 0xD5, 0x16, 0x02, 0x6D, 0xF2, 0x4D, 0xE1, 0x0E, 0x96, 0x4F, 0xA1, 0x3A, 0xA0, 0x60, 0x59, 0x64, 0x04, 0x1A, 0xE4,
    0x67, 0xB6, 0xED, 0x3F, 0x74, 0x20, 0x55, 0x1F, 0xFB, 0x23, 0x92, 0x91, 0x53, 0xC8, 0x65, 0xAB, 0x9D, 0x51, 0xD6, 0x73,
    0xDE, 0x01, 0xB1, 0x80, 0xB7, 0xC0, 0xD6, 0x80, 0x1C, 0x2E, 0x3C, 0x83, 0x63, 0xEE, 0xBC, 0x33, 0x25, 0xE2, 0x0E, 0x7A,
    0x67, 0xDE, 0x3F, 0x71, 0x14, 0x49, 0x9C, 0x92, 0x93, 0x0D, 0x26, 0x9A, 0x0E, 0xDA, 0xED, 0x6F, 0xA4, 0x89, 0x0C, 0x1B,
    0xF0, 0xA1, 0xDF, 0xE1, 0x9E, 0x3C, 0x04, 0x78, 0xE4, 0xAB, 0x6D, 0xFF, 0x9C, 0xAF, 0xCA, 0xC7, 0x88, 0x17, 0x9C, 0xE5,
    0xB7, 0x33, 0x6D, 0xDC, 0xED, 0x8F, 0x6C, 0x18, 0x1D, 0x71, 0x06, 0xB1, 0xC5, 0xE2, 0xCF, 0x13, 0x77, 0x81, 0xC5, 0xB7,
    0x0A, 0x14, 0x0A, 0x6B, 0x40, 0x26, 0xA0, 0x88, 0xD1, 0x62, 0x6A, 0xB3, 0x50, 0x12, 0xB9, 0x9B, 0xB5, 0x83, 0x9B, 0x37,
};
constexpr std::int64_t kVipKeyedColors = std::size(kVipKey) / 4;

enum class Container { hus, vip };

struct Header {
  std::uint32_t records = 0;
  std::int64_t colors = 0;
  std::int64_t streams[3] = {};  // O1, O2, O3
  std::int64_t listEnd = 0;      // where the colour list ends
};

Header ReadHeader(const ByteView& file, Container kind) {
  Header h;
  h.records = file.u32le(4);
  h.colors = file.u32le(8);
  for (int s = 0; s < 3; ++s) h.streams[s] = file.u32le(20 + 4 * s);
  h.listEnd = kind == Container::hus ? kHusColorList + 2 * h.colors : kVipColorList + 8 * h.colors;
  return h;
}

// The colour list ends before the streams, which follow one another.
bool Ordered(const Header& h) {
  return h.listEnd <= h.streams[0] && h.streams[0] <= h.streams[1] && h.streams[1] <= h.streams[2];
}

bool SoundLayout(const ByteView& file, const Header& h) {
  return file.Has(0, kHeaderSize) && Ordered(h) && h.streams[2] <= static_cast<std::int64_t>(file.size());
}

struct Streams {
  CArray<std::uint8_t> field[3];  // command, X, Y
  std::size_t records = 0;        // the shortest of the three
};

// Each stream's output is capped at the header's count; a count beyond any
// design's is refused whole ([unsure] which limit: the format sets none).
void ExpandStreams(const ByteView& file, const Header& h, Streams& out) {
  if (h.records > hus::kMaxRecords) return;
  const std::int64_t ends[3] = {h.streams[1], h.streams[2], static_cast<std::int64_t>(file.size())};
  out.records = h.records;
  for (int s = 0; s < 3; ++s) {
    const std::int64_t from = h.streams[s];
    hus::ExpandStream(file.UncheckedData(from), static_cast<std::size_t>(ends[s] - from), h.records, out.field[s]);
    out.records = std::min(out.records, out.field[s].size());
  }
}

void DecodeRecords(CDesign& design, const Streams& streams) {
  const std::uint8_t* command = streams.field[0].data();
  const std::uint8_t* steps[2] = {streams.field[1].data(), streams.field[2].data()};
  const std::size_t records = streams.records;
  std::int16_t x = 0, y = 0;
  auto step = [&](std::size_t i) {
    x = static_cast<std::int16_t>(x + static_cast<std::int8_t>(steps[0][i]));
    y = static_cast<std::int16_t>(y - static_cast<std::int8_t>(steps[1][i]));
  };
  constexpr std::size_t kRun = 4096;  // stitches decoded between two checks of the arrays
  std::size_t i = 0;
  while (i < records) {
    if (command[i] == kStitch) {
      const int most = static_cast<int>(std::min(records - i, kRun));
      int run = 1;
      while (run < most && command[i + static_cast<std::size_t>(run)] == kStitch) ++run;
      design.AddStitchRun(run, [&](std::int16_t* xs, std::int16_t* ys, CStitchBounds& b) {
        for (int k = 0; k < run; ++k, ++i) {
          step(i);
          xs[k] = x;
          ys[k] = y;
        }
        WidenStitchBounds(xs, ys, run, b);
        return run;
      });
      continue;
    }
    const bool moves = steps[0][i] != 0 || steps[1][i] != 0;
    switch (command[i]) {
      case kJump:
        step(i);
        design.AddMove(x, y);
        break;
      case kColorChange:
        // A step that comes with the change is a move after it.
        design.AddColorChange(x, y);
        [[fallthrough]];
      case kTrim:
        // The design has no trim: only a step that comes with one is kept.
        if (moves) {
          step(i);
          design.AddMove(x, y);
        }
        break;
      default:
        // The end record, and commands no file has shown ([unsure]: stop
        // rather than guess what they sew).
        return;
    }
    ++i;
  }
}

void AddHusThreads(const ByteView& file, const Header& h, CDesign& design) {
  for (std::int64_t k = 0; k < h.colors; ++k)
    design.m_threads.push_back(ChartThread(ThreadChart::husqvarna, file.u16le(kHusColorList + 2 * k)));
}

// Colours past the key have no defined value: the fallback colour.
void AddVipThreads(const ByteView& file, const Header& h, CDesign& design) {
  std::uint8_t previous = 0;
  for (std::int64_t k = 0; k < h.colors; ++k) {
    CThread thread;
    thread.color = kFallbackColor;
    if (k < kVipKeyedColors) {
      std::uint8_t rgb[3];
      for (int j = 0; j < 4; ++j) {
        const std::uint8_t raw = file.u8(kVipColorList + 4 * k + j);
        const auto plain = static_cast<std::uint8_t>(raw ^ kVipKey[4 * k + j] ^ previous);
        if (j < 3) rgb[j] = plain;
        previous = raw;
      }
      thread.color = RGB(rgb[0], rgb[1], rgb[2]);
    }
    design.m_threads.push_back(thread);
  }
}

void AppendUtf8(std::string& text, std::uint32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | code >> 6);
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | code >> 12);
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | code >> 18);
    text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The VIP name field, as UTF-8 up to its NUL; empty unless the whole field
// lies between the colour list and the first stream.
std::string VipName(const ByteView& file, const Header& h) {
  const std::int64_t at = file.u32le(kVipNameField);
  const std::int64_t units = file.u32le(at);
  std::string name;
  if (at < h.listEnd || at + 4 + 2 * units > h.streams[0]) return name;
  for (std::int64_t i = 0; i < units; ++i) {
    std::uint32_t code = file.u16le(at + 4 + 2 * i);
    if (code == 0) break;
    if (code >= 0xD800 && code < 0xE000) {
      const std::uint32_t low = i + 1 < units ? file.u16le(at + 6 + 2 * i) : 0;
      const bool pair = code < 0xDC00 && low >= 0xDC00 && low < 0xE000;
      code = pair ? 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00) : 0xFFFD;
      i += pair;
    }
    AppendUtf8(name, code);
  }
  return name;
}

void ReadContainer(CDesign& design, int len, Container kind) {
  const ByteView file(design.m_fileData, len);
  const Header h = ReadHeader(file, kind);
  const bool sound = SoundLayout(file, h);
  // The streams first, then the records' memory: a read that cannot get
  // either changes nothing of the design shown.
  Streams streams;
  if (sound) ExpandStreams(file, h, streams);
  design.BeginDesign(static_cast<int>(streams.records) + 3);
  std::fill(std::begin(design.m_blockColor), std::end(design.m_blockColor), std::uint8_t{0});
  if (sound) {
    if (kind == Container::hus) {
      AddHusThreads(file, h, design);
      design.m_strLabel = TrimmedLabel(file, kHusNameOffset, kHusNameLength);
    } else {
      AddVipThreads(file, h, design);
      design.m_strLabel = VipName(file, h);
    }
  }
  DecodeRecords(design, streams);
  design.EndDesign();
  const bool hus = kind == Container::hus;
  design.PublishDesign({.format = hus ? FORMAT_HUS : FORMAT_VIP, .threadColors = TRUE,
                        .info = design.DecodedInfo(hus ? "HUSQVARNA-HUS" : "PFAFF-VIP", design.m_nColorCount)});
}

bool Plausible(const ByteView& file, Container kind) {
  return file.Has(0, kHeaderSize) && Ordered(ReadHeader(file, kind));
}

}  // namespace

void ReadHus(CDesign& design, int len) { ReadContainer(design, len, Container::hus); }
void ReadVip(CDesign& design, int len) { ReadContainer(design, len, Container::vip); }

bool PlausibleHus(const ByteView& file) { return Plausible(file, Container::hus); }
bool PlausibleVip(const ByteView& file) { return Plausible(file, Container::vip); }
