// The main dialog. It owns everything the program knows for the length of the
// run: the file bytes, the decoded design, the palettes and the view state.
// Its readers, handlers and writers are members spread over the subsystem
// folders (design/dst.cpp defines ReadDst, render/paint.cpp OnPaint, ...).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/dialog.h"
#include "app/resource.h"
#include "app/win_types.h"

enum StitchKind : std::uint8_t {
  KIND_ORIGIN = 0,
  KIND_STITCH = 1,
  KIND_MOVE = 2,
  KIND_COLOR = 4,
  KIND_END = 8,
};

constexpr std::int16_t END_MARK = 0x55AA;

constexpr int kBlockColorEntries = 64;
constexpr int kThumbnailBytes = 228;  // 48 x 38 pixels, 6 bytes a row
constexpr int kBrotherPaletteSlots = 64;
constexpr int kJanomePaletteEntries = 80;
constexpr int kFileColorEntries = 16;

using HICON = int;

// What a reader sets when it finishes a read.
struct CDesignPublish {
  std::int16_t format = 0;      // 1 PES/PEC, 2 PCS, 4 DST, 8 SEW
  BOOL fileColors = FALSE;
  BOOL janomeColors = FALSE;
  BOOL hasThumbnail = FALSE;
  bool keepRotation = false;    // only the DST reader keeps the user's turn
  std::array<std::string, 5> info;  // texts of 1044, 1012, 1013, 1014, 1015
};

// How the last load sequence ended.
enum class LoadOutcome { none, loaded, fileError, noReader, cancelled };

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
  // Makes the arrays hold at least capacity entries (new entries zero).
  void GrowRecords(int capacity);
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
  // Width and height texts from the decoded bounds; a design without stitch
  // or move records shows 0.0 mm.
  std::string DecodedWidthText() const;
  std::string DecodedHeightText() const;

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
  std::vector<std::uint8_t> m_fileData;
  std::uint8_t m_thumbnail[kThumbnailBytes] = {};
  std::vector<std::int16_t> m_arrX;
  std::vector<std::int16_t> m_arrY;
  std::vector<std::uint8_t> m_arrKind;

 private:
  void SetZoom(int percent);
  void OnScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar, int nAxis);

  int m_nNextRecord = 0;
  LoadOutcome m_lastLoad = LoadOutcome::none;
};

// Colour of blocks whose index has no table entry.
constexpr COLORREF kFallbackColor = RGB(0, 0, 0);

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(IPlatform& platform) : CDialog(IDD_ABOUTBOX, platform) {}
};

class CViewerApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
