#include "formats/formats.h"

#include <algorithm>
#include <vector>

#include "export/dst_writer.h"
#include "export/pcs_writer.h"
#include "export/pec_writer.h"
#include "export/pes_writer.h"
#include "export/sew_writer.h"

namespace {

constexpr CSignature kPesSignatures[] = {{"#PES"}};
constexpr CSignature kPecSignatures[] = {{"#PEC0001"}};

constexpr FormatEntry kFormats[] = {
    {.extension = ".PES", .name = "pes", .title = "Brother PES", .maker = "Brother",
     .mimeType = "application/x-pes", .code = FORMAT_BROTHER,
     .read = [](CDesign& d, int len) { d.ReadPes(len); }, .encode = EncodePes, .allFilesRank = 0,
     .signatures = kPesSignatures},
    {.extension = ".PEC", .name = "pec", .title = "Brother PEC", .maker = "Brother",
     .mimeType = "application/x-pec", .code = FORMAT_BROTHER,
     .read = [](CDesign& d, int len) { d.ReadPec(len); }, .encode = EncodePec, .allFilesRank = 1,
     .signatures = kPecSignatures},
    {.extension = ".DST", .name = "dst", .title = "Tajima DST", .maker = "Tajima",
     .mimeType = "application/x-dst", .code = FORMAT_DST,
     .read = [](CDesign& d, int len) { d.ReadDst(len); }, .encode = EncodeDst, .allFilesRank = 3},
    {.extension = ".PCS", .name = "pcs", .title = "Pfaff PCS", .maker = "Pfaff",
     .mimeType = "application/x-pcs", .code = FORMAT_PCS,
     .read = [](CDesign& d, int len) { d.ReadPcs(len); }, .encode = EncodePcs, .allFilesRank = 2},
    {.extension = ".SEW", .name = "sew", .title = "Janome SEW", .maker = "Janome",
     .mimeType = "application/x-sew", .code = FORMAT_SEW,
     .read = [](CDesign& d, int len) { d.ReadSew(len); }, .encode = EncodeSew, .allFilesRank = 4},
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
