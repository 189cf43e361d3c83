#include "fuzz/brother_janome_check.h"

#include <algorithm>
#include <sstream>

#include "fuzz/sewing_compare.h"
#include "platform/headless/headless_viewer.h"

namespace {

constexpr std::size_t kPecSection = 8, kPesSection = 22;
constexpr std::size_t kIcon = 228;
constexpr std::size_t kSewData = 0x1D78;

unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
unsigned U24(const std::vector<std::uint8_t>& b, std::size_t at) { return U16(b, at) | b[at + 2] << 16; }

bool Sews(const CDesign& d) {
  const std::vector<SewingStep> steps = SewingSteps(d);
  return std::any_of(steps.begin(), steps.end(), [](const SewingStep& s) { return s.kind == KIND_STITCH; });
}

// The icon frame's bytes: every pixel of it must be set, and nothing on row 0.
bool Framed(const std::uint8_t* icon) {
  for (int i = 0; i < 6; ++i)
    if (icon[i] != 0) return false;
  const std::uint8_t line[6] = {0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
  for (int i = 0; i < 6; ++i)
    if ((icon[6 + i] & line[i]) != line[i]) return false;
  for (int r = 4; r <= 33; ++r)
    if (!(icon[6 * r] & 0x02) || !(icon[6 * r + 5] & 0x40)) return false;
  return true;
}

// Pixels set in the drawing area, columns 4..43 of rows 3..34.
bool Drawn(const std::uint8_t* icon) {
  for (int r = 3; r <= 34; ++r)
    for (int x = 4; x <= 43; ++x)
      if (icon[6 * r + x / 8] >> (x % 8) & 1) return true;
  return false;
}

}  // namespace

std::string FindBrotherOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block, bool pes) {
  std::ostringstream out;
  const std::size_t s = pes ? kPesSection : kPecSection;
  if (block.size() < s + 512 + 21 + 2 * kIcon) return "Brother file shorter than an empty design's";
  const std::string magic(block.begin(), block.begin() + 8);
  if (magic != (pes ? "#PES0001" : "#PEC0001")) return "Brother file starts " + magic;
  if (pes && (U24(block, 8) != kPesSection || block[11] != 0 ||
              !std::all_of(block.begin() + 12, block.begin() + 22, [](std::uint8_t b) { return b == 0; })))
    return "PES header is not the short version-1 one";
  if (std::string(block.begin() + static_cast<long>(s), block.begin() + static_cast<long>(s) + 3) != "LA:" ||
      block[s + 19] != 0x0D || block[s + 34] != 6 || block[s + 35] != 38)
    return "PEC section lacks LA:, the CR after 16 label bytes or the icon size";
  if (block[s + 48] == 0xFF) return "PEC colour count says no colours";
  const std::size_t colors = block[s + 48] + 1u;
  for (std::size_t k = 0; k < colors; ++k)
    if (block[s + 49 + k] < 1 || block[s + 49 + k] > 64) return "PEC thread index outside 1..64";
  const std::size_t length = U24(block, s + 514);
  if (block.size() != s + 512 + length + (colors + 1) * kIcon) {
    out << "PEC file of " << block.size() << " bytes, not the stitch block of " << length << " and "
        << colors + 1 << " icons";
    return out.str();
  }
  if (block[s + 512 + length - 1] != 0xFF) return "PEC stitch block does not end with FF";
  const std::uint8_t* icons = block.data() + s + 512 + length;
  for (std::size_t i = 0; i <= colors; ++i)
    if (!Framed(icons + i * kIcon)) return "PEC icon " + std::to_string(i) + " is not framed";
  if (Sews(dlg) && !Drawn(icons)) return "PEC icon of a design with stitches is blank";

  CHeadlessViewer back(kMemoryOnly);
  if (back.Load(block, pes ? "written.pes" : "written.pec") != LoadOutcome::loaded) return "Brother file does not load";
  if (static_cast<std::size_t>(back.dlg.m_nColorCount) != colors) {
    out << "PEC file of " << colors << " colours reads back with " << back.dlg.m_nColorCount;
    return out.str();
  }
  if (!back.dlg.m_bHasThumbnail || !std::equal(icons, icons + kIcon, back.dlg.m_thumbnail))
    return "PEC file reads back without its first icon as the thumbnail";
  return SewingDifference(SewingSteps(dlg), SewingSteps(back.dlg), 0);
}

std::string FindSewOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block) {
  std::ostringstream out;
  if (block.size() < kSewData + 2 || (block.size() - kSewData) % 2 != 0)
    return "SEW file is no header and whole words";
  if (block[block.size() - 2] != 0x80 || block[block.size() - 1] != 0x10) return "SEW file does not end with 80 10";
  const unsigned colors = U16(block, 0);
  if (colors < 1 || colors > 12) return "SEW colour count outside 1..12";
  std::size_t words = 0;
  for (unsigned k = 0; k < 12; ++k) {
    words += U16(block, 0x32 + 2 * k);
    if ((k < colors) != (U16(block, 2 + 2 * k) != 0)) return "SEW thread codes and colour count disagree";
    if (U16(block, 2 + 2 * k) > 78) return "SEW thread code beyond 78";
  }
  if (2 * words != block.size() - kSewData) {
    out << "SEW word counts add up to " << words << " words, the data holds " << (block.size() - kSewData) / 2;
    return out.str();
  }
  if (block[0x4A] != 6 || block[0x4B] != 32 || block[0x10C] != 3 || block[0x43C] != 8 ||
      block[0x17D6] * block[0x17D7] > 1440 || block[0x17D6] > 16)
    return "SEW picture descriptors are not the header's";

  CHeadlessViewer back(kMemoryOnly);
  if (back.Load(block, "written.sew") != LoadOutcome::loaded) return "SEW file does not load";
  if (static_cast<unsigned>(back.dlg.m_nColorCount) != colors) {
    out << "SEW file of " << colors << " colours reads back with " << back.dlg.m_nColorCount;
    return out.str();
  }
  return SewingDifference(SewingSteps(dlg), SewingSteps(back.dlg), 0, /*paddedColorChanges=*/true);
}
