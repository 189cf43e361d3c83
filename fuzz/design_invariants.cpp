#include "fuzz/design_invariants.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "formats/formats.h"
#include "app/resource.h"
#include "design/byte_view.h"
#include "design/hus_stream.h"
#include "design/info_text.h"

namespace {

bool IsKnownKind(std::uint8_t kind) {
  return kind == KIND_ORIGIN || kind == KIND_STITCH || kind == KIND_MOVE || kind == KIND_COLOR ||
         kind == KIND_END;
}

bool IsFlag(BOOL b) { return b == FALSE || b == TRUE; }

// Every decoded record costs the reader at least two bytes of the file: PEC
// and SEW movements and colour changes two (a PEC colour change cut off after
// two), SEW moves four, DST records three, PCS records nine. The colour
// change that closes each part of a multi-part PES is paid for by the part's
// section header, since sections lie 32 bytes apart at least and a part's
// stitch data ends where the next section begins. Only records 0 and 1 and
// the end record stand on no bytes of their own.
constexpr std::size_t kRecordsWithoutBytes = 3;

// The most records a read of loadedBytes bytes may give. HUS and VIP
// streams are compressed: their bound is the header's record count (each
// stream's output stops there, and a colour change that also moves is two
// records), and no records when the count exceeds the readers' limit.
std::size_t RecordBound(const CViewerDlg& dlg, std::size_t loadedBytes) {
  if (dlg.m_nFormat != FORMAT_HUS && dlg.m_nFormat != FORMAT_VIP) return loadedBytes / 2 + kRecordsWithoutBytes;
  const ByteView file(dlg.m_fileData, static_cast<int>(loadedBytes));
  const std::uint32_t claimed = file.u32le(4);
  return (claimed <= hus::kMaxRecords ? 2 * std::size_t{claimed} : 0) + kRecordsWithoutBytes;
}

// The colour block k must get: the table entry its stored index names, or
// the fallback colour when the index lies outside the table.
COLORREF ExpectedBlockColor(const CViewerDlg& dlg, int k) {
  auto pick = [](const COLORREF* table, int size, int index) {
    return index < size ? table[index] : kFallbackColor;
  };
  if (dlg.m_bThreadColors) {
    const std::size_t block = static_cast<std::size_t>(k);
    return block < dlg.m_threads.size() ? dlg.m_threads[block].color : kFallbackColor;
  }
  if (dlg.m_bFileColors) {
    if (k == 0) return RGB(0, 0, 0);
    return pick(dlg.m_fileColors, kFileColorEntries, dlg.m_blockColor[k - 1]);
  }
  if (dlg.m_bJanomeColors) return pick(dlg.m_janomePalette, kJanomePaletteEntries, dlg.m_blockColor[k]);
  return pick(dlg.m_brotherPalette, kBrotherPaletteSlots, dlg.m_blockColor[k]);
}

// Blocks whose colour the snapshot and the checks look at: the design's
// blocks as far as m_blockColor can name them.
int CheckedBlocks(const CViewerDlg& dlg) {
  const int limit = dlg.m_bFileColors ? kBlockColorEntries + 1 : kBlockColorEntries;
  return std::clamp(dlg.m_nColorCount, 0, limit);
}

}  // namespace

std::string FindDesignViolation(const CViewerDlg& dlg, IPlatform& platform, std::size_t loadedBytes) {
  std::ostringstream out;
  const std::size_t size = dlg.m_arrKind.size();
  if (dlg.m_arrX.size() != size || dlg.m_arrY.size() != size) {
    out << "record arrays differ in length: X " << dlg.m_arrX.size() << ", Y " << dlg.m_arrY.size()
        << ", kind " << size;
    return out.str();
  }
  if (dlg.m_bLoaded != TRUE) return "m_bLoaded is not 1 after a read";
  const std::int16_t format = dlg.m_nFormat;
  const auto formats = Formats();
  if (std::none_of(formats.begin(), formats.end(), [format](const FormatEntry& f) { return f.code == format; })) {
    out << "unknown format code " << format;
    return out.str();
  }
  if (!IsFlag(dlg.m_bFileColors) || !IsFlag(dlg.m_bJanomeColors) || !IsFlag(dlg.m_bThreadColors) ||
      !IsFlag(dlg.m_bHasThumbnail))
    return "a flag holds neither 0 nor 1";
  if (dlg.m_bThreadColors && (dlg.m_bFileColors || dlg.m_bJanomeColors))
    return "thread colours together with another colour source";
  if ((dlg.m_bFileColors == TRUE) != (format == FORMAT_PCS) ||
      (dlg.m_bJanomeColors == TRUE) != (format == FORMAT_SEW) ||
      (dlg.m_bHasThumbnail && format != FORMAT_BROTHER)) {
    out << "colour-source or thumbnail flags do not fit format " << format;
    return out.str();
  }
  if (dlg.m_nRotation < 0 || dlg.m_nRotation > 3) {
    out << "rotation " << dlg.m_nRotation << " outside 0..3";
    return out.str();
  }

  std::size_t end = 0;
  while (end < size && dlg.m_arrKind[end] != KIND_END) ++end;
  if (end == size) return "no end record inside the record arrays";
  if (dlg.m_arrX[end] != END_MARK || dlg.m_arrY[end] != END_MARK) {
    out << "end record " << end << " holds (" << dlg.m_arrX[end] << ", " << dlg.m_arrY[end]
        << ") instead of END_MARK";
    return out.str();
  }
  if (static_cast<std::size_t>(dlg.NextRecordIndex()) != end) {
    out << "next record index " << dlg.NextRecordIndex() << " is not the end record " << end;
    return out.str();
  }
  if (end == 0 || dlg.m_arrKind[0] != KIND_ORIGIN) return "record 0 is not the origin";
  if (end + 1 > RecordBound(dlg, loadedBytes)) {
    out << loadedBytes << " bytes made " << end + 1 << " records, more than " << RecordBound(dlg, loadedBytes);
    return out.str();
  }

  // Record 1 of every reader but PCS is the uncounted stitch at the origin.
  const std::size_t first = format == FORMAT_PCS ? 1 : 2;
  if (format != FORMAT_PCS && (end < 2 || dlg.m_arrKind[1] != KIND_STITCH))
    return "record 1 is not the start stitch";

  std::int32_t stitches = 0, colors = 1;
  std::int16_t minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
  for (std::size_t i = 1; i < end; ++i) {
    const std::uint8_t kind = dlg.m_arrKind[i];
    if (!IsKnownKind(kind) || kind == KIND_ORIGIN) {
      out << "record " << i << " has kind " << int{kind};
      return out.str();
    }
    if (kind == KIND_COLOR) ++colors;
    if (i < first || (kind != KIND_STITCH && kind != KIND_MOVE)) continue;
    ++stitches;
    minX = std::min(minX, dlg.m_arrX[i]);
    maxX = std::max(maxX, dlg.m_arrX[i]);
    minY = std::min(minY, dlg.m_arrY[i]);
    maxY = std::max(maxY, dlg.m_arrY[i]);
  }
  if (stitches != dlg.m_nStitchCount) {
    out << "m_nStitchCount " << dlg.m_nStitchCount << " but " << stitches << " stitch and move records";
    return out.str();
  }
  if (colors != dlg.m_nColorCount) {
    out << "m_nColorCount " << dlg.m_nColorCount << " but " << colors - 1 << " colour changes";
    return out.str();
  }

  const bool stacked = format == FORMAT_BROTHER && platform.GetControlText(IDC_INFO_COLORS).starts_with("Teile:");
  if (stacked) {
    // Parts stacked from the top-left corner, 100 mm wide by definition.
    if (dlg.m_nWidth != 1000 || dlg.m_nMinX != 0 || dlg.m_nMinY != 0)
      return "multi-part design without width 1000 and minimum 0, 0";
  } else {
    if (minX != dlg.m_nMinX || maxX != dlg.m_nMaxX || minY != dlg.m_nMinY || maxY != dlg.m_nMaxY) {
      out << "bounds X " << dlg.m_nMinX << ".." << dlg.m_nMaxX << ", Y " << dlg.m_nMinY << ".."
          << dlg.m_nMaxY << " but the records span X " << minX << ".." << maxX << ", Y " << minY
          << ".." << maxY;
      return out.str();
    }
    if (dlg.m_nWidth != std::int32_t{dlg.m_nMaxX} - dlg.m_nMinX ||
        dlg.m_nHeight != std::int32_t{dlg.m_nMaxY} - dlg.m_nMinY) {
      out << "size " << dlg.m_nWidth << " x " << dlg.m_nHeight << " does not fit the bounds";
      return out.str();
    }
  }

  for (int k = 0; k < CheckedBlocks(dlg); ++k) {
    const COLORREF got = dlg.BlockColor(k), want = ExpectedBlockColor(dlg, k);
    if (got != want) {
      out << "block " << k << " drawn in " << std::hex << got << " instead of " << want;
      return out.str();
    }
  }
  // Blocks past the table must still be looked up without harm.
  for (int k = CheckedBlocks(dlg); k < dlg.m_nColorCount && k < CheckedBlocks(dlg) + 4; ++k)
    (void)dlg.BlockColor(k);

  const std::string stitchText = platform.GetControlText(IDC_INFO_STITCHES);
  if (stitchText != StitchesText(dlg.m_nStitchCount)) {
    out << "field 1015 shows \"" << stitchText << "\" for " << dlg.m_nStitchCount << " stitches";
    return out.str();
  }
  return {};
}

void CheckDesignInvariants(const CViewerDlg& dlg, IPlatform& platform, std::size_t loadedBytes,
                           const char* where) {
  const std::string fault = FindDesignViolation(dlg, platform, loadedBytes);
  if (fault.empty()) return;
  std::fprintf(stderr, "design invariant broken (%s): %s\n", where, fault.c_str());
  std::abort();
}

CDesignSnapshot TakeSnapshot(const CViewerDlg& dlg, IPlatform& platform) {
  CDesignSnapshot s;
  for (std::size_t i = 0; i < dlg.m_arrKind.size(); ++i) {
    s.records.push_back({dlg.m_arrX[i], dlg.m_arrY[i], dlg.m_arrKind[i]});
    if (dlg.m_arrKind[i] == KIND_END) break;
  }
  s.colorCount = dlg.m_nColorCount;
  s.stitchCount = dlg.m_nStitchCount;
  s.width = dlg.m_nWidth;
  s.height = dlg.m_nHeight;
  s.minX = dlg.m_nMinX;
  s.maxX = dlg.m_nMaxX;
  s.minY = dlg.m_nMinY;
  s.maxY = dlg.m_nMaxY;
  s.format = dlg.m_nFormat;
  s.loaded = dlg.m_bLoaded;
  s.fileColors = dlg.m_bFileColors;
  s.janomeColors = dlg.m_bJanomeColors;
  s.hasThumbnail = dlg.m_bHasThumbnail;
  for (int k = 0; k < CheckedBlocks(dlg); ++k) s.blockColors.push_back(dlg.BlockColor(k));
  if (dlg.m_bHasThumbnail) s.thumbnail.assign(dlg.m_thumbnail, dlg.m_thumbnail + kThumbnailBytes);
  for (int i = 0; i < 5; ++i) s.info[i] = platform.GetControlText(kInfoFieldIds[i]);
  return s;
}

std::string DescribeDifference(const CDesignSnapshot& a, const CDesignSnapshot& b) {
  if (a == b) return {};
  std::ostringstream out;
  if (a.records != b.records) {
    std::size_t i = 0;
    while (i < a.records.size() && i < b.records.size() && a.records[i] == b.records[i]) ++i;
    out << "records differ from index " << i << " (" << a.records.size() << " and "
        << b.records.size() << " records)";
  } else if (a.info != b.info) {
    for (int i = 0; i < 5; ++i)
      if (a.info[i] != b.info[i]) out << "field " << kInfoFieldIds[i] << ": \"" << a.info[i] << "\" and \"" << b.info[i] << "\"";
  } else if (a.blockColors != b.blockColors) {
    out << "block colours differ";
  } else if (a.thumbnail != b.thumbnail || a.hasThumbnail != b.hasThumbnail) {
    out << "thumbnails differ";
  } else {
    out << "counts, bounds or flags differ: colours " << a.colorCount << "/" << b.colorCount
        << ", stitches " << a.stitchCount << "/" << b.stitchCount << ", size " << a.width << "x"
        << a.height << "/" << b.width << "x" << b.height;
  }
  return out.str();
}
