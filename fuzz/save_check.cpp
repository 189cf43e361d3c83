#include "fuzz/save_check.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "design/pcs_format.h"
#include "fuzz/design_invariants.h"
#include "platform/headless/headless_viewer.h"

namespace {

constexpr std::size_t kDstHeader = 512;
constexpr std::size_t kPcsHeader = pcs::kRecordsOffset;
constexpr std::size_t kPcsRecord = pcs::kRecordSize;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

std::size_t EndIndex(const CViewerDlg& dlg) {
  std::size_t end = 0;
  while (end < dlg.m_arrKind.size() && dlg.m_arrKind[end] != KIND_END) ++end;
  return end;
}

struct Point {
  std::int16_t x, y;
  bool operator==(const Point&) const = default;
};

// Where the needle stands at each colour change and at the end, relative to
// record 0: what a DST file keeps of a design whatever pieces its moves take.
std::vector<Point> NeedleTrace(const CViewerDlg& dlg) {
  const std::size_t end = EndIndex(dlg);
  const std::int16_t x0 = dlg.m_arrX[0], y0 = dlg.m_arrY[0];
  Point pen{0, 0};
  std::vector<Point> trace;
  for (std::size_t i = 1; i < end; ++i) {
    if (dlg.m_arrKind[i] == KIND_COLOR)
      trace.push_back(pen);
    else
      pen = {static_cast<std::int16_t>(dlg.m_arrX[i] - x0), static_cast<std::int16_t>(dlg.m_arrY[i] - y0)};
  }
  trace.push_back(pen);
  return trace;
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
  const std::vector<Point> want = NeedleTrace(dlg), got = NeedleTrace(back.dlg);
  for (std::size_t i = 0; i < want.size() && i < got.size(); ++i) {
    if (want[i] == got[i]) continue;
    out << "DST file puts the needle at (" << got[i].x << ", " << got[i].y << ") instead of ("
        << want[i].x << ", " << want[i].y << ") at checkpoint " << i << " of " << want.size();
    return out.str();
  }
  return {};
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

  // The file's records, one for each design record from index 1, after the
  // colour record that a design from another format gets in front.
  const bool fromPcs = dlg.m_nFormat == FORMAT_PCS;
  const std::size_t records = (block.size() - fixed) / kPcsRecord;
  const std::size_t end = EndIndex(dlg);
  const std::size_t lead = fromPcs ? 0 : 1;
  if (records != end - 1 + lead) {
    out << "PCS file has " << records << " records for " << end - 1 << " design records";
    return out.str();
  }
  unsigned stitchRecords = 0;
  for (std::size_t r = 0; r < records; ++r)
    if (block[kPcsHeader + r * kPcsRecord + 8] != pcs::kColorChangeType) ++stitchRecords;
  if (lead && block[kPcsHeader + 8] != pcs::kColorChangeType) return "PCS file from another format lacks its first colour record";
  const unsigned countField = U16(block, pcs::kStitchCountOffset);
  if (countField != stitchRecords) {
    out << "PCS count field " << countField << " but " << stitchRecords << " stitch records";
    return out.str();
  }

  // Read back, the stitches lie where the design has them, relative to its
  // first stitch, within the rounding to whole 1/6 mm (1.7 tenths at each
  // end, plus the reader's truncation).
  CHeadlessViewer back(kMemoryOnly);
  const CViewerDlg& b = ReadBack(back, block, "pcs").dlg;
  if (static_cast<unsigned>(b.m_nStitchCount) != stitchRecords) {
    out << "PCS file reads back with " << b.m_nStitchCount << " of its " << stitchRecords << " stitches";
    return out.str();
  }
  bool haveFirst = false;
  std::int16_t fx = 0, fy = 0;
  const std::size_t backEnd = EndIndex(b);
  std::size_t j = 1 + lead;  // the read-back record of design record 1
  for (std::size_t i = 1; i < end && j < backEnd; ++i, ++j) {
    // A move must stay a move (a sewn jump is thread across the design);
    // anything else that places the needle comes back as a stitch.
    const std::uint8_t kind = dlg.m_arrKind[i];
    const std::uint8_t want = kind == KIND_COLOR || kind == KIND_MOVE ? kind : std::uint8_t{KIND_STITCH};
    if (b.m_arrKind[j] != want) {
      out << "design record " << i << " of kind " << int{kind} << " reads back as kind "
          << int{b.m_arrKind[j]};
      return out.str();
    }
    if (kind == KIND_COLOR) continue;
    if (!haveFirst) {
      fx = dlg.m_arrX[i];
      fy = dlg.m_arrY[i];
      haveFirst = true;
    }
    const int dx = static_cast<std::int16_t>(b.m_arrX[j] - (dlg.m_arrX[i] - fx));
    const int dy = static_cast<std::int16_t>(b.m_arrY[j] - (dlg.m_arrY[i] - fy));
    if (std::abs(dx) > 5 || std::abs(dy) > 5) {
      out << "design record " << i << " at (" << dlg.m_arrX[i] << ", " << dlg.m_arrY[i]
          << ") reads back " << dx << ", " << dy << " away";
      return out.str();
    }
  }
  return {};
}

int FuzzSaveAndPaint(int reader, int turns, int zoom, const std::uint8_t* data, std::size_t size) {
  CHeadlessViewer v({.disk = false, .paint = true});
  const std::string name = std::string("fuzz.") + Formats()[reader].name;
  if (v.Load(data, size, name) != LoadOutcome::loaded) Fail("load failed");
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

  v.Save(*FindFormat("dst"), "/fuzz/out.dst");
  v.Save(*FindFormat("pcs"), "/fuzz/out.pcs");

  const std::string changed = DescribeDifference(loaded, TakeSnapshot(v.dlg, v.platform));
  if (!changed.empty()) Fail("painting or saving changed the design: " + changed);

  const auto* dst = v.files.Find("/fuzz/out.dst");
  if (!dst) Fail("the DST writer wrote nothing");
  if (const std::string fault = FindDstOutputFault(v.dlg, *dst); !fault.empty()) Fail(fault);

  // The PCS writer refuses too many colours from other formats and more
  // stitch records than its count field holds, and says so.
  const auto* pcs = v.files.Find("/fuzz/out.pcs");
  if (pcs) {
    if (const std::string fault = FindPcsOutputFault(v.dlg, *pcs); !fault.empty()) Fail(fault);
  } else if (v.platform.messages.empty() ||
             v.platform.messages.back().find("abgebrochen") == std::string::npos) {
    Fail("the PCS writer wrote nothing and said nothing");
  }
  return 0;
}
