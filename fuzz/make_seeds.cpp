// Writes the seed corpora of the fuzz targets, built with the tests' byte
// builders: make_seeds OUTDIR gives OUTDIR/{dst,pec,pes,pcs,sew,jef,vp3,exp,xxx,hus,
// vip,phc,phb,hus_stream,save}/.
// Each seed is a small well-formed or nearly well-formed file that reaches
// one part of its reader (every record type, cut records, missing end
// codes, fields outside the file); the fuzzer mutates from there.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "fuzz/seed_builders.h"
#include "tests/brother_fixture.h"
#include "tests/hus_fixture.h"
#include "tests/phc_fixture.h"
#include "tests/test_support.h"

namespace {

using Seeds = std::vector<std::pair<std::string, Bytes>>;

// A fixed pseudo-random sequence, so the seeds are the same on every build.
struct Lcg {
  std::uint32_t state = 12345;
  unsigned Next(unsigned range) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % range;
  }
};

Bytes Cut(const Bytes& b, std::size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(n, b.size()))); }

Seeds DstSeeds() {
  Seeds s;
  s.push_back({"empty", {}});
  s.push_back({"header-only", ByteBuilder().fill(512, ' ')});
  ByteBuilder types;
  types.fill(512, ' ').bytes({0x01, 0x00, 0x03, 0x05, 0x05, 0x07, 0xA0, 0xA0, 0x23, 0x00, 0x00, 0x83,
                              0x00, 0x00, 0xC3, 0x5A, 0x5A, 0x1B, 0x01, 0x00, 0xE3, 0x00, 0x00, 0xF3});
  s.push_back({"record-types", types});
  ByteBuilder many;
  many.fill(512, ' ');
  Lcg rng;
  for (int i = 0; i < 300; ++i) {
    if (i % 60 == 59) {
      many.bytes({0x00, 0x00, 0xC3});
      continue;
    }
    many.u8(rng.Next(256)).u8(rng.Next(256)).u8((rng.Next(64) & 0x3C) | (i % 17 == 0 ? 0x83 : 0x03));
  }
  s.push_back({"many-no-end", many});
  s.push_back({"cut-record", Cut(types, 512 + 7)});
  return s;
}

Seeds PecSeeds() {
  Seeds s;
  s.push_back({"plain", PecFile(PecSection{})});
  PecSection rich;
  rich.colors = {1, 20, 61, 63};
  rich.width = 300;
  rich.height = 200;
  // short, long, colour change, long X after 0xFF, jump and trim flags, end
  rich.stitches = {0x05, 0x7B, 0x87, 0xD0, 0x01, 0xFE, 0xB0, 0x02, 0x10, 0x10, 0xFF, 0x10, 0x03,
                   0x90, 0x20, 0xA0, 0x40, 0xFE, 0xB0, 0x00, 0x3F, 0x40, 0xFF, 0x00};
  for (int i = 0; i < 228; i += 7) rich.thumbnail[i] = 0x81;
  s.push_back({"rich", PecFile(rich, "20")});
  PecSection noEnd = rich;
  noEnd.stitches.resize(noEnd.stitches.size() - 2);
  s.push_back({"no-end", PecFile(noEnd, "50")});
  PecSection wide;
  wide.colors = std::vector<unsigned>(256, 7);
  s.push_back({"256-colours", PecFile(wide, "40")});
  s.push_back({"cut-header", Cut(PecFile(rich), 300)});
  return s;
}

Seeds PesSeeds() {
  Seeds s;
  PecSection a;
  a.colors = {3, 4};
  a.stitches = {0x10, 0x10, 0xFE, 0xB0, 0x00, 0x8F, 0xCE, 0x20, 0xFF, 0x00};
  PecSection b;
  b.colors = {9};
  b.stitches = {0x05, 0x05, 0x7F, 0x7F, 0xFF, 0x00};
  s.push_back({"single", PesFile({a})});
  s.push_back({"multi-part-2", PesFile({a, b}, "30", 2)});
  s.push_back({"multi-part-missing", PesFile({a, b}, "25", 4)});
  s.push_back({"section-outside", PesFile({a}, "01", 1, 0xFFFFF)});
  s.push_back({"header-only", Cut(PesFile({a}), 13)});
  return s;
}

Seeds PcsSeeds() {
  Seeds s;
  constexpr std::uint8_t kStitch = pcs::kStitchType, kMove = pcs::kMoveType, kColor = pcs::kColorChangeType;
  const std::vector<PcsSeedRecord> records = {
      {kColor, 3, 0},           {kStitch, 0x1000, 0x1000},      {kStitch, 0x1600, 0x1000},
      {kMove, 0x9700, 0x5600},  {kStitch, 0x9800, 0x5600},      {kColor, 7, 0},
      {kStitch, 0x0F00, 0x2000}, {kStitch, -0x4000, 0x7FFFFF00}, {0x01, 0x0F00, 0x2100},
      {kColor, 40, 0}};
  s.push_back({"two-colours", PcsFile(7, records)});
  s.push_back({"count-stops-early", PcsFile(3, records)});
  s.push_back({"count-too-large", PcsFile(500, records)});
  s.push_back({"count-zero", PcsFile(0, records)});
  s.push_back({"header-only", PcsFile(4, {})});
  s.push_back({"move-first", PcsFile(2, {{kMove, 0x5000, 0x5000}, {kStitch, 0x5300, 0x4000}})});
  s.push_back({"cut-record", Cut(PcsFile(7, records), 70 + 9 * 3 + 4)});
  s.push_back({"short", Cut(PcsFile(7, records), 40)});
  return s;
}

Seeds SewSeeds() {
  Seeds s;
  // stitch, colour change, stitch without movement, move, skipped control
  // code, displacement 0x80, end
  const std::vector<unsigned> data = {0x05, 0xFB, 0x80, 0x01, 0x00, 0x00, 0x0A, 0x00, 0x80, 0x02,
                                      0x90, 0x10, 0x80, 0x07, 0x11, 0x22, 0x05, 0x80, 0x80, 0x05,
                                      0x80, 0x04, 0x80, 0x80, 0x80, 0x10};
  s.push_back({"records", SewFile({12, 40, 7}, data)});
  s.push_back({"no-end", SewFile({79, 0}, std::vector<unsigned>(data.begin(), data.end() - 2))});
  s.push_back({"cut-move", SewFile({1}, {0x05, 0x05, 0x80, 0x02, 0x10})});
  s.push_back({"header-only", SewFile(std::vector<unsigned>(70, 3), {})});
  s.push_back({"short", Cut(SewFile({200, 1, 2}, data), 5)});
  return s;
}

Seeds JefSeeds() {
  Seeds s;
  // stitch, 0x80 as dy, colour change without and with a displacement,
  // zero jump, jump, unknown command, stitch, end, bytes after the end
  const std::vector<unsigned> data = {0x05, 0xFB, 0x05, 0x80, 0x80, 0x01, 0x00, 0x00, 0x02, 0x00,
                                      0x80, 0x01, 0x05, 0xFB, 0x80, 0x02, 0x00, 0x00, 0x80, 0x02,
                                      0x90, 0x10, 0x80, 0x07, 0x11, 0x22, 0x7F, 0x81, 0x80, 0x10,
                                      0x05, 0x05};
  s.push_back({"records", JefFile({12, 78, 3}, data)});
  s.push_back({"no-end", JefFile({1}, std::vector<unsigned>(data.begin(), data.end() - 4))});
  s.push_back({"cut-command", JefFile({1}, {0x05, 0x05, 0x80, 0x02, 0x10})});
  Bytes plus = JefFile({2, 9}, data, 400);
  std::fill(plus.begin() + 132, plus.begin() + 400, 0x80);
  s.push_back({"jef-plus", plus});
  s.push_back({"odd-indices", JefFile({0, 79, -5, 1000}, data)});
  Bytes many = JefFile({4}, data);
  PutS32(many, 24, 10000);
  s.push_back({"block-count-past-end", many});
  Bytes outside = JefFile({4}, data);
  PutS32(outside, 0, 0x7FFFFFF0);
  s.push_back({"offset-past-end", outside});
  s.push_back({"header-only", Cut(JefFile({1, 2}, data), 60)});
  return s;
}

Seeds Vp3Seeds() {
  Seeds s;
  Vp3Block a, b, c;
  // stitch, 0x80 as dy, long record as a stitch and, after a trim, as a
  // move, a long one without its closing bytes, an unknown code
  a.records = {0x05, 0xFB, 0x01, 0x80, 0x80, 0x01, 0x00, 0x13, 0xFF, 0xC1, 0x80, 0x02, 0x80, 0x03,
               0x80, 0x01, 0x01, 0x00, 0xFE, 0x00, 0x80, 0x02, 0x80, 0x01, 0x00, 0x05, 0x00, 0x05,
               0x80, 0x07, 0x7F, 0x81, 0x80, 0x03};
  b.startX = -2049, b.startY = 3051;  // elsewhere than a ends
  b.colors = {0x00FF00, 0x0000FF};
  b.records = {0x03, 0x04, 0x80, 0x01, 0x00, 0x13};  // a long record cut by its data's end
  c.colors = {};
  c.name = "Gr\xFCn";
  c.records = {0x80, 0x03};
  s.push_back({"blocks", Vp3File({a, b, c}, -8350, -5900)});
  Vp3Block shortLength = a;
  shortLength.lengthShortBy = 25;
  s.push_back({"short-lengths", Vp3File({shortLength, shortLength})});
  s.push_back({"cut-in-block", Cut(Vp3File({a, b}), 160)});
  s.push_back({"header-only", Cut(Vp3File({a}), 60)});
  Bytes longString = Vp3File({a});
  longString[6] = 0x7F;  // the producer's length past the end
  s.push_back({"string-past-end", longString});
  return s;
}

Seeds ExpSeeds() {
  Seeds s;
  // stitch, dy 0x80, colour change, colour change with a move, jump, old
  // jump, trim, an unlisted odd and even code
  const Bytes records = ByteBuilder().bytes({0x05, 0xFB, 0x05, 0x80, 0x80, 0x01, 0x00, 0x00, 0x80, 0x01, 0x05,
                                             0xFB, 0x80, 0x04, 0x81, 0x7F, 0x80, 0x02, 0x00, 0x81, 0x80, 0x80,
                                             0x07, 0x00, 0x80, 0x07, 0x01, 0x01, 0x80, 0x10, 0x02, 0x02, 0x7F, 0x81});
  s.push_back({"records", records});
  Bytes marked = records;
  marked.push_back(0x1A);  // the old end-of-file mark
  s.push_back({"end-mark", marked});
  s.push_back({"cut-command", Cut(records, 11)});
  s.push_back({"empty", {}});
  ByteBuilder many;
  Lcg rng;
  for (int i = 0; i < 400; ++i) {
    if (i % 50 == 49) many.bytes({0x80, i % 100 == 99 ? 0x01u : 0x04u, rng.Next(256), rng.Next(256)});
    else many.u8(rng.Next(256) == 0x80 ? 0 : rng.Next(256)).u8(rng.Next(256));
  }
  s.push_back({"many", many});
  return s;
}

Seeds XxxSeeds() {
  Seeds s;
  // stitch, second byte 7F, long move, long displacement short and long,
  // jump, trim with and without a move, colour change, a needle's colour
  // change, an unlisted command, end of stitches
  const std::vector<unsigned> records = {0x05, 0xFB, 0x10, 0x7F, 0x7E, 0x01, 0x00, 0x69, 0xFF, 0x7D, 0x7B,
                                         0x00, 0x85, 0xFF, 0x7D, 0x2C, 0x01, 0x00, 0x00, 0x7F, 0x01, 0x81,
                                         0x7F, 0x7F, 0x03, 0x00, 0x00, 0x7F, 0x03, 0xA7, 0x37, 0x7F, 0x08,
                                         0x00, 0x00, 0x7F, 0x0C, 0x02, 0x02, 0x7F, 0x20, 0x11, 0x22, 0x7F,
                                         0x18, 0x00, 0x00};
  const std::vector<std::uint32_t> colors = {0xE5E5E5, 0x108CFF, 0x00FF00};
  s.push_back({"records", XxxFile(records, colors)});
  s.push_back({"pointer-zero", XxxFile(records, colors, 0)});
  s.push_back({"pointer-outside", XxxFile(records, colors, 0x7FFFFFF0)});
  s.push_back({"count-too-large", XxxFile(records, colors, -1, 900)});
  s.push_back({"count-zero", XxxFile(records, colors, -1, 0)});
  Bytes noEnd = XxxFile(records, {});
  noEnd.resize(noEnd.size() - 6);
  s.push_back({"no-end-block", noEnd});
  s.push_back({"cut-long-move", Cut(XxxFile(records, colors), 0x100 + 7)});
  s.push_back({"header-only", Cut(XxxFile({}, colors), 0x100)});
  return s;
}

// Every command, signed steps at their limits, a colour change that moves.
HusRecords HusSeedRecords() {
  HusRecords r;
  r.Add(0x81, -100, 120);
  for (int i = 0; i < 40; ++i) r.Add(0x80, i % 2 ? 0x7F : -0x80, i % 3);
  r.Add(0x88, 0, 0);
  r.Add(0x84, 0, 0);
  r.Add(0x84, 3, -3);
  for (int i = 0; i < 40; ++i) r.Add(0x80, 5, 5);
  r.Add(0x88, 2, 2);
  r.Add(0x90, 0, 0);
  return r;
}

Seeds HusSeeds() {
  Seeds s;
  const HusRecords r = HusSeedRecords();
  s.push_back({"records", HusFile(r, {0, 12, 28, 40})});
  s.push_back({"literal-only", HusFile(r, {3}, "Untitled", false)});
  ByteBuilder middle;
  middle.fill(10).u16le(1);
  // The header claims more records than the streams hold, and far fewer.
  for (std::uint32_t claimed : {5000u, 7u}) {
    s.push_back({"claims-" + std::to_string(claimed),
                 HusContainer(0x00C8FC5D, claimed, 1, middle, CompressHusStream(r.command), CompressHusStream(r.x),
                              CompressHusStream(r.y))});
  }
  // Tokens that read no bits, stopped only by the claimed count.
  BitWriter w;
  w.Put(1, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put(0x80, 9).Put(0, 5).Put(0, 5);
  w.Put(65535, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put(509, 9).Put(0, 5).Put(0, 5);
  s.push_back({"expanding", HusContainer(0x00C8AF5B, 3000, 1, middle, w.bytes(), w.bytes(), w.bytes())});
  const Bytes whole = HusFile(r, {1, 2});
  s.push_back({"cut-in-y", Cut(whole, whole.size() - 6)});
  s.push_back({"header-only", Cut(whole, 32)});
  return s;
}

Seeds VipSeeds() {
  Seeds s;
  const HusRecords r = HusSeedRecords();
  s.push_back({"colours-name", VipFile(r, {0xE3311F, 0xF7F3F7, 0x108CFF}, u"Stern ä")});
  s.push_back({"hundred-colours", VipFile(r, std::vector<std::uint32_t>(101, 0x404040), u"", false)});
  Bytes noName = VipFile(r, {0x102030});
  noName[42] = 0xFF;  // name offset past the streams
  s.push_back({"bad-name", noName});
  return s;
}

Seeds PhcSeeds(bool phb) {
  Seeds s;
  PhcLayout plain;
  plain.phb = phb;
  s.push_back({"plain", PhcFile(plain)});
  PhcLayout rich = plain;
  rich.text = "LA:Stern";
  rich.colors = {28, 29, 65, 0};
  rich.pictures = {std::vector<unsigned>(228, 0x81), {0x0F}};
  // short and long fields, a colour change, a jump, a trim, the end byte
  rich.stitches = {0x05, 0x7B, 0x87, 0xD0, 0x01, 0xFE, 0xB0, 0x01, 0x90, 0x20, 0xA0, 0x40, 0x3F, 0x40, 0xFF};
  s.push_back({"rich", PhcFile(rich)});
  PhcOffsets at{};
  Bytes broken = PhcFile(rich, &at);
  broken[at.b] = 0xFF;  // SB far past the file
  s.push_back({"broken-chain", broken});
  const Bytes whole = PhcFile(rich);
  s.push_back({"cut-block", Cut(whole, whole.size() - 5)});
  return s;
}

// The stream target's input: the cap in 3 bytes, then the stream.
Bytes WithCap(unsigned cap, const Bytes& stream) {
  Bytes b{static_cast<std::uint8_t>(cap), static_cast<std::uint8_t>(cap >> 8), static_cast<std::uint8_t>(cap >> 16)};
  b.insert(b.end(), stream.begin(), stream.end());
  return b;
}

Seeds HusStreamSeeds() {
  Seeds s;
  Bytes data;
  Lcg rng;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<std::uint8_t>(i % 9 < 4 ? 0x80 : rng.Next(12)));
  s.push_back({"copies", WithCap(4000, EncodeHusTokens(HusTokensOf(data), 400))});
  s.push_back({"literals", WithCap(3000, CompressHusStream(data, false))});
  const HusRecords r = HusSeedRecords();
  s.push_back({"commands", WithCap(static_cast<unsigned>(r.command.size()), CompressHusStream(r.command))});
  BitWriter w;
  w.Put(1, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put('z', 9).Put(0, 5).Put(0, 5);
  w.Put(65535, 16).Put(0, 5).Put(0, 5).Put(0, 9).Put(509, 9).Put(0, 5).Put(0, 5);
  s.push_back({"expanding", WithCap(100000, w.bytes())});
  return s;
}

void WriteAll(const std::filesystem::path& folder, const std::string& ext, const Seeds& seeds) {
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(folder / (name + "." + ext), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const std::vector<std::pair<std::string, Seeds>> formats = {
      {"pes", PesSeeds()}, {"pec", PecSeeds()}, {"dst", DstSeeds()}, {"pcs", PcsSeeds()}, {"sew", SewSeeds()},
      {"jef", JefSeeds()}, {"vp3", Vp3Seeds()}, {"exp", ExpSeeds()}, {"xxx", XxxSeeds()},
      {"hus", HusSeeds()}, {"vip", VipSeeds()}, {"phc", PhcSeeds(false)}, {"phb", PhcSeeds(true)}};
  Seeds save;
  for (std::size_t f = 0; f < formats.size(); ++f) {
    // The save target numbers its readers in the format table's order.
    const FormatEntry* entry = FindFormat(formats[f].first);
    const std::size_t reader = static_cast<std::size_t>(entry - Formats().data());
    WriteAll(root / formats[f].first, formats[f].first, formats[f].second);
    unsigned variant = 0;
    for (const auto& [name, bytes] : formats[f].second) {
      // The first byte the reader, the second quarter turns and zoom, varied
      // over the seeds.
      const unsigned turns = variant % 4, zoom = (variant * 3) % 5;
      Bytes withChoice{static_cast<std::uint8_t>(reader), static_cast<std::uint8_t>(turns | zoom << 2)};
      withChoice.insert(withChoice.end(), bytes.begin(), bytes.end());
      save.push_back({formats[f].first + "-" + name, withChoice});
      ++variant;
    }
  }
  WriteAll(root / "save", "bin", save);
  WriteAll(root / "hus_stream", "bin", HusStreamSeeds());
  return 0;
}
