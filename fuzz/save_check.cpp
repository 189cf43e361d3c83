#include "fuzz/save_check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "design/pcs_format.h"
#include "design/thread_charts.h"
#include "fuzz/brother_janome_check.h"
#include "fuzz/design_invariants.h"
#include "fuzz/sewing_compare.h"
#include "platform/headless/headless_viewer.h"

namespace {

constexpr std::size_t kDstHeader = 512;
constexpr std::size_t kPcsHeader = pcs::kRecordsOffset;
constexpr std::size_t kPcsRecord = pcs::kRecordSize;
// PCS keeps whole 1/6 mm: a position read back may lie two tenths away.
constexpr int kPcsTolerance = 2;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

// The number printed after a header label such as "ST:", or -1.
long HeaderNumber(const std::vector<std::uint8_t>& block, std::size_t offset, std::size_t length) {
  std::string field(block.begin() + static_cast<std::ptrdiff_t>(offset + 3),
                    block.begin() + static_cast<std::ptrdiff_t>(offset + length - 1));
  char* rest = nullptr;
  const long v = std::strtol(field.c_str(), &rest, 10);
  return rest && *rest == '\0' ? v : -1;
}

unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// Loads bytes into a fresh dialog as a file with the extension and checks
// the design; returns it for comparisons.
CHeadlessViewer& ReadBack(CHeadlessViewer& viewer, const std::vector<std::uint8_t>& bytes, const char* ext) {
  if (viewer.Load(bytes, std::string("written.") + ext) != LoadOutcome::loaded)
    Fail(std::string("a written .") + ext + " file does not load");
  CheckDesignInvariants(viewer.dlg, viewer.platform, bytes.size(), "written file read back");
  return viewer;
}

}  // namespace

std::string FindDstOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block) {
  std::ostringstream out;
  if (block.size() < kDstHeader + 3 || (block.size() - kDstHeader) % 3 != 0) {
    out << "DST file of " << block.size() << " bytes is no header plus whole records";
    return out.str();
  }
  const std::uint8_t* tail = block.data() + block.size() - 3;
  if (tail[0] != 0 || tail[1] != 0 || tail[2] != 0xF3) return "DST file does not end with 00 00 F3";
  if (block[124] != 0x1A) return "DST header has no 0x1A at byte 124";
  if (std::memchr(block.data(), 0, kDstHeader)) return "DST header holds a zero byte";

  CHeadlessViewer back(kMemoryOnly);
  ReadBack(back, block, "dst");
  const long st = HeaderNumber(block, 20, 11);
  if (st != std::min<long>(back.dlg.m_nStitchCount + 1L, 9'999'999L)) {
    out << "DST header ST " << st << " but " << back.dlg.m_nStitchCount << " stitch records";
    return out.str();
  }
  if (back.dlg.m_nColorCount != dlg.m_nColorCount) {
    out << "DST file reads back with " << back.dlg.m_nColorCount << " colours, the design had "
        << dlg.m_nColorCount;
    return out.str();
  }
  return SewingDifference(SewingSteps(dlg), SewingSteps(back.dlg), 0);
}

std::string FindPcsOutputFault(const CViewerDlg& dlg, const std::vector<std::uint8_t>& block) {
  std::ostringstream out;
  const std::size_t fixed = kPcsHeader + sizeof pcs::kTrailer;
  if (block.size() < fixed || (block.size() - fixed) % kPcsRecord != 0) {
    out << "PCS file of " << block.size() << " bytes is no header, whole records and trailer";
    return out.str();
  }
  if (std::memcmp(block.data() + block.size() - sizeof pcs::kTrailer, pcs::kTrailer, sizeof pcs::kTrailer))
    return "PCS file does not end with the zero bytes and the signature";
  if (block[0] != 0x32 || (block[1] != 2 && block[1] != 3) || U16(block, 2) != 16)
    return "PCS header does not start 32, hoop 2 or 3, 16 colours";

  // A design from another format gets a colour record in front.
  const bool fromPcs = dlg.m_nFormat == FORMAT_PCS;
  const std::size_t records = (block.size() - fixed) / kPcsRecord;
  unsigned stitchRecords = 0;
  for (std::size_t r = 0; r < records; ++r)
    if (block[kPcsHeader + r * kPcsRecord + 8] != pcs::kColorChangeType) ++stitchRecords;
  if (!fromPcs && (records == 0 || block[kPcsHeader + 8] != pcs::kColorChangeType))
    return "PCS file from another format lacks its first colour record";
  const unsigned countField = U16(block, pcs::kStitchCountOffset);
  if (countField != stitchRecords) {
    out << "PCS count field " << countField << " but " << stitchRecords << " stitch records";
    return out.str();
  }

  // Read back, every stitch, move and colour change is where the design has
  // it, relative to its first, within the rounding to whole 1/6 mm.
  CHeadlessViewer back(kMemoryOnly);
  const CViewerDlg& b = ReadBack(back, block, "pcs").dlg;
  if (static_cast<unsigned>(b.m_nStitchCount) != stitchRecords) {
    out << "PCS file reads back with " << b.m_nStitchCount << " of its " << stitchRecords << " stitches";
    return out.str();
  }
  return SewingDifference(SewingSteps(dlg), SewingSteps(b), kPcsTolerance);
}

std::string FindOutputFault(const CViewerDlg& dlg, const FormatEntry& format,
                            const std::vector<std::uint8_t>& block) {
  if (format.code == FORMAT_DST) return FindDstOutputFault(dlg, block);
  if (format.code == FORMAT_PCS) return FindPcsOutputFault(dlg, block);
  if (format.code == FORMAT_BROTHER || format.code == FORMAT_SEW) {
    CHeadlessViewer back(kMemoryOnly);
    ReadBack(back, block, format.name);  // the invariants of the design read back
    return format.code == FORMAT_SEW ? FindSewOutputFault(dlg, block)
                                     : FindBrotherOutputFault(dlg, block, std::string(format.name) == "pes");
  }
  CHeadlessViewer back(kMemoryOnly);
  ReadBack(back, block, format.name);
  // A format that carries RGB per block gives back the colour of each
  // block's thread (a PCS colour keeps its file's fourth byte above the RGB).
  if (format.code == FORMAT_XXX) {
    for (int k = 0; k < dlg.m_nColorCount; ++k) {
      const COLORREF want = BlockThread(dlg, k).color & 0xFFFFFF;
      if (back.dlg.BlockColor(k) == want) continue;
      std::ostringstream out;
      out << "block " << k << " reads back in " << std::hex << back.dlg.BlockColor(k) << " instead of " << want;
      return out.str();
    }
  }
  return SewingDifference(SewingSteps(dlg), SewingSteps(back.dlg), 0);
}

int FuzzSaveAndPaint(int reader, int turns, int zoom, const std::uint8_t* data, std::size_t size) {
  CHeadlessViewer v({.disk = false, .paint = true});
  const std::string name = std::string("fuzz.") + Formats()[reader].name;
  const LoadOutcome outcome = v.Load(data, size, name);
  if (outcome == LoadOutcome::unreadable) return 0;  // nothing read, nothing to save
  if (outcome != LoadOutcome::loaded) Fail("load failed");
  CheckDesignInvariants(v.dlg, v.platform, size, "loaded for saving");
  const CDesignSnapshot loaded = TakeSnapshot(v.dlg, v.platform);

  switch (zoom) {
    case 1: v.dlg.OnZoom125(); break;
    case 2: v.dlg.OnZoom150(); break;
    case 3: v.dlg.OnZoom200(); break;
    case 4: v.dlg.OnZoom300(); break;
    default: v.dlg.OnZoom100(); break;
  }
  for (int t = 0; t < turns; ++t) v.dlg.OnRotate();
  v.dlg.OnHScroll(SB_THUMBPOSITION, 100, nullptr);
  v.dlg.OnVScroll(SB_THUMBPOSITION, 100, nullptr);

  // Every written format: a file of its layout that sews what the design
  // sews, or a refusal that says why.
  std::vector<std::string> outputs;
  for (const FormatEntry& format : Formats()) {
    if (!format.encode) continue;
    const std::size_t said = v.platform.messages.size();
    const std::string path = std::string("/fuzz/out.") + format.name;
    v.Save(format, path);
    if (v.files.Find(path)) {
      outputs.push_back(path);
    } else if (v.platform.messages.size() == said) {
      Fail(std::string("the ") + format.name + " writer wrote nothing and said nothing");
    }
  }

  const std::string changed = DescribeDifference(loaded, TakeSnapshot(v.dlg, v.platform));
  if (!changed.empty()) Fail("painting or saving changed the design: " + changed);

  for (const std::string& path : outputs) {
    const FormatEntry& format = *FindFormat(path.substr(path.rfind('.') + 1));
    if (const std::string fault = FindOutputFault(v.dlg, format, *v.files.Find(path)); !fault.empty())
      Fail(std::string(format.name) + ": " + fault);
  }
  return 0;
}
