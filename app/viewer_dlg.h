// The main dialog. It owns everything the program knows for the length of the
// run: the file bytes, the decoded design, the palettes and the view state.
// Its readers, handlers and writers are members spread over the subsystem
// folders (design/dst.cpp defines ReadDst, render/paint.cpp OnPaint, ...).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/resource.h"
#include "design/design.h"
#include "framework/array.h"
#include "framework/dialog.h"
#include "framework/win_types.h"

using HICON = int;

// The smallest and largest X and Y of a run of stitches (AddStitchRun).
struct CStitchBounds {
  std::int16_t minX, maxX, minY, maxY;
};

// How the last load sequence ended.
enum class LoadOutcome { none, loaded, fileError, noReader, cancelled };
// How the last save ended: written, the dialog cancelled, the file not
// written (reported), or the design refused before the dialog (a message).
enum class SaveOutcome { none, written, cancelled, failed, refused };

class CViewerDlg : public CDialog {
 public:
  explicit CViewerDlg(IPlatform& platform);
  ~CViewerDlg() override;

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnMessage(const CMessage& msg) override;

  // ---- handlers (the command table) ----
  void OnSysCommand(unsigned nID, long lParam);
  void OnPaint();
  HICON OnQueryDragIcon() const { return m_hIcon; }
  void OnBrowse();
  void OnZoom100();
  void OnZoom125();
  void OnZoom150();
  void OnZoom200();
  void OnZoom300();
  void OnHScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar);
  void OnVScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar);
  void OnSaveDst();
  void OnRotate();
  void OnSavePcs();
  void OnDropFiles(CDropPackage* hDropInfo);

  void ApplyScrollPos(int nPos, int nAxis);

  // ---- file selection and loading ----
  // Reads the file at path into m_fileData and runs the reader that the
  // extension found in testText selects.
  LoadOutcome LoadFile(const std::string& path, const std::string& testText);
  LoadOutcome LastLoadOutcome() const { return m_lastLoad; }
  SaveOutcome LastSaveOutcome() const { return m_lastSave; }

  // ---- readers ----
  void ReadPes(int len);
  void ReadPec(int len);
  void ReadDst(int len);
  void ReadPcs(int len);
  void ReadSew(int len);

  struct CPosition {
    std::int16_t x = 0;
    std::int16_t y = 0;
  };
  CPosition DecodePecStitches(int start, int end);
  static std::string VersionText(std::uint8_t digit1, std::uint8_t digit2);

  // ---- reader operations ----
  void BeginDesign(int capacity);
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
  // Stores a record at the next index and advances it; the arrays grow when full.
  void StoreRecord(std::int16_t x, std::int16_t y, std::uint8_t kind) {
    if (m_nNextRecord >= static_cast<int>(m_arrKind.size())) GrowRecords(m_nNextRecord + 1);
    m_arrX[m_nNextRecord] = x;
    m_arrY[m_nNextRecord] = y;
    m_arrKind[m_nNextRecord] = kind;
    ++m_nNextRecord;
  }
  // Makes the arrays hold at least capacity entries. Entries it adds hold
  // no value until a record is stored there. Throws std::bad_alloc when the
  // memory runs out, the arrays then as they were.
  void GrowRecords(int capacity);
  // After a read that ran out of memory part-way: no design is loaded, and
  // the arrays hold an empty one where they have room for it.
  void DiscardDesign();
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

  // ---- colours ----
  void FillPalettes();
  // The colour of colour block k by the colour-source flags; indices without
  // a table entry give kFallbackColor.
  COLORREF BlockColor(int block) const;

  // ---- writers ----
  static std::array<std::uint8_t, 3> EncodeDstMove(std::int16_t dx, std::int16_t dy);
  static std::int32_t PcsUnits(std::int32_t d);

  // ---- members ----
  std::string m_strFileName;  // text of edit 1010
  int m_nZoom = -1;           // checked zoom radio button, 0..4
  HICON m_hIcon = 0;

  std::int16_t m_nFormat = 0;
  BOOL m_bLoaded = FALSE;
  std::int16_t m_nRotation = 0;
  COLORREF m_fileColors[kFileColorEntries] = {};
  BOOL m_bFileColors = FALSE;
  BOOL m_bJanomeColors = FALSE;
  std::uint8_t m_blockColor[kBlockColorEntries] = {};
  COLORREF m_brotherPalette[kBrotherPaletteSlots] = {};
  COLORREF m_janomePalette[kJanomePaletteEntries] = {};
  std::int32_t m_nColorCount = 0;
  std::int32_t m_nStitchCount = 0;
  CScrollBar* m_pHScrollBar = nullptr;
  CScrollBar* m_pVScrollBar = nullptr;
  std::int32_t m_nOffsetY = 0;
  std::int32_t m_nOffsetX = 0;
  std::int32_t m_nHeight = 0;
  std::int32_t m_nWidth = 0;
  std::int32_t m_nZoomPercent = 100;
  std::int16_t m_nMinY = 0;
  std::int16_t m_nMaxY = 0;
  std::int16_t m_nMinX = 0;
  std::int16_t m_nMaxX = 0;
  BOOL m_bHasThumbnail = FALSE;
  std::string m_strLoadedPath;
  std::string m_strLoadedName;
  CArray<std::uint8_t> m_fileData;
  std::uint8_t m_thumbnail[kThumbnailBytes] = {};
  CArray<std::int16_t> m_arrX;
  CArray<std::int16_t> m_arrY;
  CArray<std::uint8_t> m_arrKind;

 private:
  void SetZoom(int percent);
  void OnScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar, int nAxis);

  int m_nNextRecord = 0;
  // From BeginDesign's first record to PublishDesign: the design state is
  // neither the old design nor the new one.
  BOOL m_bReadUnderway = FALSE;
  LoadOutcome m_lastLoad = LoadOutcome::none;
  SaveOutcome m_lastSave = SaveOutcome::none;
};

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(IPlatform& platform);
};

class CViewerApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
