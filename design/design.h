// The design: the one in-memory form of a loaded embroidery design, its
// vocabulary (what a record is, how a design ends, the sizes of the fixed
// tables, the format codes), the reader operations that every reader shares
// and the readers of the first five formats. It knows nothing of the window
// that shows it: the main dialog derives from it and hears of each finished
// read through OnDesignPublished.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/array.h"
#include "framework/win_types.h"

enum StitchKind : std::uint8_t {
  KIND_ORIGIN = 0,
  KIND_STITCH = 1,
  KIND_MOVE = 2,
  KIND_COLOR = 4,
  KIND_END = 8,
};

// X and Y of the end record.
constexpr std::int16_t END_MARK = 0x55AA;

constexpr int kBlockColorEntries = 64;
constexpr int kThumbnailBytes = 228;  // 48 x 38 pixels, 6 bytes a row
constexpr int kBrotherPaletteSlots = 64;
constexpr int kBrotherColors = 62;  // slots 0..61 hold thread colours, 62 and 63 none
constexpr int kJanomePaletteEntries = 80;
constexpr int kFileColorEntries = 16;

// The format a design was read from (m_nFormat). Formats beyond the first
// five take codes of their own from 16 on.
enum : std::int16_t {
  FORMAT_BROTHER = 1,  // PES and PEC
  FORMAT_PCS = 2,
  FORMAT_DST = 4,
  FORMAT_SEW = 8,
  FORMAT_JEF = 16,
  FORMAT_VP3 = 32,
  FORMAT_EXP = 64,
  FORMAT_XXX = 128,
  FORMAT_HUS = 256,
  FORMAT_VIP = 512,
};

// Colour of blocks whose index has no table entry.
constexpr COLORREF kFallbackColor = RGB(0, 0, 0);

// The thread chart an index of a file belongs to.
enum class ThreadChart : std::uint8_t {
  none,     // the file names no chart: the colour is all there is
  pec,      // Brother's PEC thread indices (PES, PEC and the formats built on them)
  janome,   // Janome's thread codes (SEW, JEF)
  pcsFile,  // an entry of the PCS file's own colour table
  husqvarna,  // Husqvarna Viking's thread table (HUS)
};

// The thread of one colour block as the file gave it: its colour and, where
// the format says them, the chart and index it came from, a name, a
// catalogue number and a brand.
struct CThread {
  COLORREF color = 0;
  ThreadChart chart = ThreadChart::none;
  int index = -1;  // entry of chart; -1 when there is none
  std::string name = {};
  std::string catalog = {};
  std::string brand = {};
};

// What a reader sets when it finishes a read.
struct CDesignPublish {
  std::int16_t format = 0;      // FORMAT_...
  BOOL fileColors = FALSE;
  BOOL janomeColors = FALSE;
  BOOL threadColors = FALSE;    // blocks painted in the colours of m_threads
  BOOL hasThumbnail = FALSE;
  bool keepRotation = false;    // only the DST reader keeps the user's turn
  std::array<std::string, 5> info;  // texts of the five information fields
  std::string notice = {};      // shown once the design is drawn (PES multi-part)
};

// The smallest and largest X and Y of a run of stitches (AddStitchRun).
struct CStitchBounds {
  std::int16_t minX, maxX, minY, maxY;
  void Include(std::int16_t x, std::int16_t y) {
    minX = std::min(minX, x);
    maxX = std::max(maxX, x);
    minY = std::min(minY, y);
    maxY = std::max(maxY, y);
  }
};

// Widens bounds by the count positions of xs and ys, for decoders that
// write a run's positions first: in locals, since a store through xs could
// otherwise be the bounds' own, the loop vectorises.
inline void WidenStitchBounds(const std::int16_t* xs, const std::int16_t* ys, int count, CStitchBounds& bounds) {
  // Eight lanes of each, folded at the end: a shape the compiler turns into
  // vector minima and maxima.
  constexpr int kLanes = 8;
  std::int16_t minX[kLanes], maxX[kLanes], minY[kLanes], maxY[kLanes];
  for (int j = 0; j < kLanes; ++j) {
    minX[j] = bounds.minX, maxX[j] = bounds.maxX, minY[j] = bounds.minY, maxY[j] = bounds.maxY;
  }
  int i = 0;
  for (; i + kLanes <= count; i += kLanes)
    for (int j = 0; j < kLanes; ++j) {
      minX[j] = xs[i + j] < minX[j] ? xs[i + j] : minX[j];
      maxX[j] = xs[i + j] > maxX[j] ? xs[i + j] : maxX[j];
      minY[j] = ys[i + j] < minY[j] ? ys[i + j] : minY[j];
      maxY[j] = ys[i + j] > maxY[j] ? ys[i + j] : maxY[j];
    }
  for (int j = 0; i < count; ++i, ++j) {
    minX[j] = xs[i] < minX[j] ? xs[i] : minX[j];
    maxX[j] = xs[i] > maxX[j] ? xs[i] : maxX[j];
    minY[j] = ys[i] < minY[j] ? ys[i] : minY[j];
    maxY[j] = ys[i] > maxY[j] ? ys[i] : maxY[j];
  }
  for (int j = 1; j < kLanes; ++j) {
    minX[0] = minX[j] < minX[0] ? minX[j] : minX[0];
    maxX[0] = maxX[j] > maxX[0] ? maxX[j] : maxX[0];
    minY[0] = minY[j] < minY[0] ? minY[j] : minY[0];
    maxY[0] = maxY[j] > maxY[0] ? maxY[j] : maxY[0];
  }
  bounds = {minX[0], maxX[0], minY[0], maxY[0]};
}

class CDesign {
 public:
  CDesign() = default;
  CDesign(const CDesign&) = delete;
  CDesign& operator=(const CDesign&) = delete;
  virtual ~CDesign() = default;

  // ---- readers: each reads the first len bytes of m_fileData ----
  void ReadPes(int len);
  void ReadPec(int len);
  void ReadDst(int len);
  void ReadPcs(int len);
  void ReadSew(int len);

  struct CPosition {
    std::int16_t x = 0;
    std::int16_t y = 0;
  };
  // The PEC stitch data from byte start of m_fileData, no record starting at
  // or after end; appends its records and returns the final position.
  CPosition DecodePecStitches(int start, int end);
  static std::string VersionText(std::uint8_t digit1, std::uint8_t digit2);
  // The thread of a PCS colour record naming entry index of m_fileColors.
  CThread PcsThread(std::uint8_t index) const;

  // ---- reader operations ----
  void BeginDesign(int capacity);
  // After BeginDesign, for a reader whose first decoded record is the
  // design's own record 1: no stitch at the origin is stored.
  void OmitStartStitch();
  void AddStitch(std::int16_t x, std::int16_t y) {
    StoreRecord(x, y, KIND_STITCH);
    WidenBounds(x, y);
    ++m_nStitchCount;
  }
  void AddMove(std::int16_t x, std::int16_t y) {
    StoreRecord(x, y, KIND_MOVE);
    WidenBounds(x, y);
    ++m_nStitchCount;
  }
  void AddColorChange(std::int16_t x, std::int16_t y) {
    StoreRecord(x, y, KIND_COLOR);
    ++m_nColorCount;
  }
  // A run of stitches decoded straight into the arrays, for readers that
  // decode many records at once: decode(xs, ys, bounds) writes the positions
  // of at most n stitches from the next index on, widens bounds (the
  // design's bounds when it is called) by each of them, and returns how many
  // it wrote. The result is that of as many calls of AddStitch.
  template <class Decode>
  void AddStitchRun(int n, Decode&& decode) {
    if (m_nNextRecord + n > static_cast<int>(m_arrKind.size())) GrowRecords(m_nNextRecord + n);
    CStitchBounds bounds{m_nMinX, m_nMaxX, m_nMinY, m_nMaxY};
    const int written = decode(m_arrX.data() + m_nNextRecord, m_arrY.data() + m_nNextRecord, bounds);
    FinishStitchRun(written, bounds);
  }
  // The kinds, counts and bounds of the count positions AddStitchRun's
  // decoder wrote.
  void FinishStitchRun(int count, const CStitchBounds& bounds);
  void EndDesign();
  void PublishDesign(const CDesignPublish& publish);

  // Index at which the next record is stored.
  int NextRecordIndex() const { return m_nNextRecord; }
  // Index of the design's first own record: the records before it are the
  // origin and the start stitch that every read begins with, which no file
  // holds.
  int FirstOwnRecord() const { return m_nFirstOwnRecord; }
  // Stores a record at the next index and advances it; the arrays grow when full.
  void StoreRecord(std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (m_nNextRecord >= static_cast<int>(m_arrKind.size())) GrowRecords(m_nNextRecord + 1);
    m_arrX[m_nNextRecord] = x;
    m_arrY[m_nNextRecord] = y;
    m_arrKind[m_nNextRecord] = kind;
    ++m_nNextRecord;
  }
  // Stores the end record at the next index without advancing it, as a
  // reader does that meets its format's end marker.
  void MarkEnd() {
    StoreRecord(END_MARK, END_MARK, KIND_END);
    --m_nNextRecord;
  }
  // Makes the arrays hold at least capacity entries. Entries it adds hold
  // no value until a record is stored there. Throws std::bad_alloc when the
  // memory runs out, the arrays then as they were.
  void GrowRecords(int capacity);
  // After a read that ran out of memory part-way: no design is loaded, and
  // the arrays hold an empty one where they have room for it.
  void DiscardDesign();
  // Whether a read has begun and not yet been published or discarded.
  bool ReadUnderway() const { return m_bReadUnderway != FALSE; }
  void ResetBounds() {
    m_nMinX = m_nMinY = 1000;
    m_nMaxX = m_nMaxY = -1000;
  }
  void WidenBounds(std::int16_t x, std::int16_t y) {
    if (x < m_nMinX) m_nMinX = x;
    if (x > m_nMaxX) m_nMaxX = x;
    if (y < m_nMinY) m_nMinY = y;
    if (y > m_nMaxY) m_nMaxY = y;
  }
  // The five texts of a reader that shows the decoded size: its format
  // text, "Farben:  %d" with colors, the decoded width and height, the
  // stitch count.
  std::array<std::string, 5> DecodedInfo(const char* formatText, int colors) const;

  // The colour of colour block k by the colour-source flags, with the two
  // preview palettes given; indices without a table entry give
  // kFallbackColor.
  COLORREF BlockColorFrom(int block, const COLORREF* brotherPalette,
                          const COLORREF* janomePalette) const;

  // ---- the design state ----
  std::int16_t m_nFormat = 0;
  BOOL m_bLoaded = FALSE;
  COLORREF m_fileColors[kFileColorEntries] = {};
  BOOL m_bFileColors = FALSE;
  BOOL m_bJanomeColors = FALSE;
  BOOL m_bThreadColors = FALSE;
  std::uint8_t m_blockColor[kBlockColorEntries] = {};
  std::int32_t m_nColorCount = 0;
  std::int32_t m_nStitchCount = 0;
  std::int32_t m_nHeight = 0;
  std::int32_t m_nWidth = 0;
  std::int16_t m_nMinY = 0;
  std::int16_t m_nMaxY = 0;
  std::int16_t m_nMinX = 0;
  std::int16_t m_nMaxX = 0;
  BOOL m_bHasThumbnail = FALSE;
  CArray<std::uint8_t> m_fileData;
  std::uint8_t m_thumbnail[kThumbnailBytes] = {};
  CArray<std::int16_t> m_arrX;
  CArray<std::int16_t> m_arrY;
  CArray<std::uint8_t> m_arrKind;
  // The thread of each colour block as the file gave it, block 0 first; no
  // limit on their number. Empty for formats that carry no colours (DST).
  std::vector<CThread> m_threads;
  // The design's name as the file gave it (a DST or PEC label), empty when
  // the file has none.
  std::string m_strLabel;

 protected:
  // A read has finished (PublishDesign) or been given up (DiscardDesign):
  // whoever shows the design takes it from here.
  virtual void OnDesignPublished(const CDesignPublish&) {}
  virtual void OnDesignDiscarded() {}

 private:
  int m_nNextRecord = 0;
  int m_nFirstOwnRecord = 2;
  // From BeginDesign's first record to PublishDesign: the design state is
  // neither the old design nor the new one.
  BOOL m_bReadUnderway = FALSE;
};
