#include "formats/formats.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "design/exp.h"
#include "design/hus_vip.h"
#include "design/jef.h"
#include "design/phc_phb.h"
#include "design/vp3.h"
#include "design/xxx.h"
#include "export/dst_writer.h"
#include "export/exp_writer.h"
#include "export/jef_writer.h"
#include "export/pcs_writer.h"
#include "export/pec_writer.h"
#include "export/pes_writer.h"
#include "export/sew_writer.h"
#include "export/vp3_writer.h"
#include "export/xxx_writer.h"

namespace {

constexpr CSignature kPesSignatures[] = {{"#PES"}};
constexpr CSignature kPecSignatures[] = {{"#PEC0001"}};
constexpr CSignature kVp3Signatures[] = {{"%vsm%"}};

// Every PEC file starts with "#PEC"; the reader takes the two version
// digits after "00" as they come, so only the four letters are certain.
bool PlausiblePec(const ByteView& file) {
  constexpr char kStart[] = "#PEC";
  for (std::size_t i = 0; i < 4 && i < file.size(); ++i)
    if (file.u8(static_cast<std::int64_t>(i)) != static_cast<std::uint8_t>(kStart[i])) return false;
  return true;
}

// A DST header is 512 bytes of text lines ended by CR, a 0x1A after them
// and blanks; writers fill unused bytes with blanks or zeros, and labels
// may hold bytes of any code page. A control byte other than those marks
// no header line holds: a picture (PNG's bit depth at 24, say), an archive
// or a program, not a design.
bool PlausibleDst(const ByteView& file) {
  constexpr std::int64_t kHeaderSize = 512;
  for (std::int64_t i = 0; i < kHeaderSize && file.Has(i, 1); ++i) {
    const std::uint8_t c = file.u8(i);
    const bool mark = c == 0x00 || c == '\t' || c == '\n' || c == '\r' || c == 0x1A;
    if (c < 0x20 && !mark) return false;
    if (c == 0x7F) return false;
  }
  return true;
}

// The magic numbers the sheets have seen, with their zero bytes.
constexpr CSignature kHusSignatures[] = {{{"\x5B\xAF\xC8\x00", 4}}, {{"\x5D\xFC\xC8\x00", 4}}};
constexpr CSignature kVipSignatures[] = {{{"\x5D\xFC\x90\x01", 4}}};
constexpr CSignature kPhcSignatures[] = {{"#PHC"}};
constexpr CSignature kPhbSignatures[] = {{"#PHB"}};

constexpr FormatEntry kFormats[] = {
    {.extension = ".PES", .name = "pes", .title = "Brother PES", .maker = "Brother",
     .mimeType = "application/x-pes", .code = FORMAT_BROTHER,
     .read = [](CDesign& d, int len) { d.ReadPes(len); }, .encode = EncodePes, .allFilesRank = 0,
     .signatures = kPesSignatures, .signatureRequired = true},
    {.extension = ".PEC", .name = "pec", .title = "Brother PEC", .maker = "Brother",
     .mimeType = "application/x-pec", .code = FORMAT_BROTHER,
     .read = [](CDesign& d, int len) { d.ReadPec(len); }, .encode = EncodePec, .allFilesRank = 1,
     .signatures = kPecSignatures, .plausible = PlausiblePec},
    {.extension = ".DST", .name = "dst", .title = "Tajima DST", .maker = "Tajima",
     .mimeType = "application/x-dst", .code = FORMAT_DST,
     .read = [](CDesign& d, int len) { d.ReadDst(len); }, .encode = EncodeDst, .allFilesRank = 3,
     .plausible = PlausibleDst},
    {.extension = ".PCS", .name = "pcs", .title = "Pfaff PCS", .maker = "Pfaff",
     .mimeType = "application/x-pcs", .code = FORMAT_PCS,
     .read = [](CDesign& d, int len) { d.ReadPcs(len); }, .encode = EncodePcs, .allFilesRank = 2},
    {.extension = ".SEW", .name = "sew", .title = "Janome SEW", .maker = "Janome",
     .mimeType = "application/x-sew", .code = FORMAT_SEW,
     .read = [](CDesign& d, int len) { d.ReadSew(len); }, .encode = EncodeSew, .allFilesRank = 4},
    {.extension = ".JEF", .name = "jef", .title = "Janome JEF", .maker = "Janome",
     .mimeType = "application/x-jef", .code = FORMAT_JEF, .read = ReadJef, .encode = EncodeJef,
     .allFilesRank = 5, .plausible = PlausibleJef},
    {.extension = ".VP3", .name = "vp3", .title = "Husqvarna/Pfaff VP3", .maker = "Husqvarna",
     .mimeType = "application/x-vp3", .code = FORMAT_VP3, .read = ReadVp3, .encode = EncodeVp3,
     .allFilesRank = 6, .signatures = kVp3Signatures, .plausible = PlausibleVp3},
    // No header and no signature: nothing in the bytes rules EXP out. The
    // system's database gives *.exp to application/express; only a heavier
    // glob wins, as no magic can.
    {.extension = ".EXP", .name = "exp", .title = "Melco EXP", .maker = "Melco",
     .mimeType = "application/x-exp", .code = FORMAT_EXP, .read = ReadExp, .encode = EncodeExp,
     .allFilesRank = 7, .globWeight = 60},
    // 23 zero bytes at 0 in every sample, but nothing that marks the format.
    {.extension = ".XXX", .name = "xxx", .title = "Singer XXX", .maker = "Singer",
     .mimeType = "application/x-xxx", .code = FORMAT_XXX, .read = ReadXxx, .encode = EncodeXxx,
     .allFilesRank = 8, .plausible = PlausibleXxx},
    {.extension = ".HUS", .name = "hus", .title = "Husqvarna Viking HUS", .maker = "Husqvarna",
     .mimeType = "application/x-hus", .code = FORMAT_HUS, .read = ReadHus,
     .allFilesRank = 9, .signatures = kHusSignatures, .plausible = PlausibleHus},
    {.extension = ".VIP", .name = "vip", .title = "Pfaff VIP", .maker = "Pfaff",
     .mimeType = "application/x-vip", .code = FORMAT_VIP, .read = ReadVip,
     .allFilesRank = 10, .signatures = kVipSignatures, .plausible = PlausibleVip},
    // Brother's containers around a PEC stitch block: PEC thread indices.
    {.extension = ".PHC", .name = "phc", .title = "Brother PHC", .maker = "Brother", .mimeType = "application/x-phc",
     .code = FORMAT_BROTHER, .read = ReadPhc, .allFilesRank = 11, .signatures = kPhcSignatures,
     .plausible = PlausiblePhc},
    {.extension = ".PHB", .name = "phb", .title = "Brother PHB", .maker = "Brother", .mimeType = "application/x-phb",
     .code = FORMAT_BROTHER, .read = ReadPhb, .allFilesRank = 12, .signatures = kPhbSignatures,
     .plausible = PlausiblePhb},
};

std::string UpperAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
  return text;
}

std::string Pattern(const FormatEntry& f) { return std::string("*.") + f.name; }

}  // namespace

std::span<const FormatEntry> Formats() { return kFormats; }

const FormatEntry* FindReader(const std::string& text) {
  const std::string upper = UpperAscii(text);
  for (const FormatEntry& entry : kFormats) {
    // Only the first occurrence counts, and not at the very first character.
    const auto at = upper.find(entry.extension);
    if (at != std::string::npos && at > 0) return &entry;
  }
  return nullptr;
}

bool CarriesSignature(const FormatEntry& format, const ByteView& file) {
  for (const CSignature& s : format.signatures) {
    const auto n = static_cast<std::int64_t>(s.bytes.size());
    if (!file.Has(s.offset, n)) continue;
    if (std::equal(s.bytes.begin(), s.bytes.end(), file.UncheckedData(s.offset),
                   [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }))
      return true;
  }
  return false;
}

const FormatEntry* ContentReader(const FormatEntry& named, const ByteView& file) {
  if (file.size() == 0) return &named;
  const FormatEntry* reader = &named;
  if (!CarriesSignature(named, file)) {
    const auto other = std::find_if(std::begin(kFormats), std::end(kFormats),
                                    [&](const FormatEntry& f) { return CarriesSignature(f, file); });
    if (other != std::end(kFormats))
      reader = &*other;
    else if (named.signatureRequired)
      return nullptr;
  }
  return !reader->plausible || reader->plausible(file) ? reader : nullptr;
}

const FormatEntry* FindFormat(const std::string& name) {
  const std::string upper = UpperAscii(name);
  for (const FormatEntry& entry : kFormats)
    if (upper == entry.extension + 1) return &entry;
  return nullptr;
}

std::string OpenFileFilter() {
  std::vector<const FormatEntry*> ranked;
  for (const FormatEntry& f : kFormats) ranked.push_back(&f);
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const FormatEntry* a, const FormatEntry* b) { return a->allFilesRank < b->allFilesRank; });
  std::string filter = "Design Files (*.*)|";
  for (std::size_t i = 0; i < ranked.size(); ++i) filter += (i ? ";" : "") + Pattern(*ranked[i]);
  filter += "|";
  // One choice per maker, in the order the makers first appear: "Tajima
  // (*.dst)" for a maker of one format, "Brother (PES/PEC)" for several.
  std::vector<std::string> makers;
  for (const FormatEntry& f : kFormats)
    if (std::find(makers.begin(), makers.end(), f.maker) == makers.end()) makers.push_back(f.maker);
  for (const std::string& maker : makers) {
    std::vector<const FormatEntry*> own;
    for (const FormatEntry& f : kFormats)
      if (maker == f.maker) own.push_back(&f);
    std::string label = maker + " (", patterns;
    for (std::size_t i = 0; i < own.size(); ++i) {
      label += own.size() == 1 ? Pattern(*own[i]) : (i ? "/" : "") + UpperAscii(own[i]->name);
      patterns += (i ? ";" : "") + Pattern(*own[i]);
    }
    filter += label + ")|" + patterns + "|";
  }
  return filter + "|";
}

std::string SaveFilterOf(const FormatEntry& format) {
  return std::string(format.maker) + " (" + Pattern(format) + ")|" + Pattern(format);
}
