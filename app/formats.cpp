#include "app/formats.h"

#include <algorithm>

namespace {

constexpr FormatEntry kFormats[] = {
    {".PES", "pes", "Brother PES", FORMAT_BROTHER, &CViewerDlg::ReadPes, nullptr},
    {".PEC", "pec", "Brother PEC", FORMAT_BROTHER, &CViewerDlg::ReadPec, nullptr},
    {".DST", "dst", "Tajima DST", FORMAT_DST, &CViewerDlg::ReadDst, &CViewerDlg::OnSaveDst},
    {".PCS", "pcs", "Pfaff PCS", FORMAT_PCS, &CViewerDlg::ReadPcs, &CViewerDlg::OnSavePcs},
    {".SEW", "sew", "Janome SEW", FORMAT_SEW, &CViewerDlg::ReadSew, nullptr},
};

std::string UpperAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
  return text;
}

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
