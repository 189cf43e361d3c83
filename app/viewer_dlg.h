// The main dialog. It owns everything the program knows for the length of the
// run: the design it derives from (the file bytes, the decoded records, their
// colours), the palettes and the view state. The design's readers are its
// own (design/), the pictures are drawn by render/ and the files encoded by
// export/; the handlers here put them together.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/resource.h"
#include "design/design.h"
#include "formats/formats.h"
#include "framework/dialog.h"
#include "framework/platform.h"
#include "framework/win_types.h"
#include "picture/worksheet.h"
#include "render/preview.h"

using HICON = int;

// How the last load sequence ended; unreadable: the file was read but holds
// no design of its format (reported, the design shown before stays).
enum class LoadOutcome { none, loaded, fileError, noReader, cancelled, unreadable };
// How the last save ended: written, the dialog cancelled, the file not
// written (reported), or the design refused before the dialog (a message).
enum class SaveOutcome { none, written, cancelled, failed, refused };

class CViewerDlg : public CDialog, public CDesign {
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
  // "Speichern unter...": every written format, chosen in the save dialog.
  void OnSaveAs();
  void OnDropFiles(CDropPackage* hDropInfo);

  void ApplyScrollPos(int nPos, int nAxis);

  // ---- file selection and loading ----
  // Reads the file at path into m_fileData and runs the reader that the
  // extension found in testText selects, or the one the file's content
  // names (formats.h says how).
  LoadOutcome LoadFile(const std::string& path, const std::string& testText);
  LoadOutcome LastLoadOutcome() const { return m_lastLoad; }
  SaveOutcome LastSaveOutcome() const { return m_lastSave; }

  // ---- saving ----
  // Saves the loaded design with the format's encoder: a refusal or its
  // warnings are shown as message boxes, then the save dialog of request
  // asks for the file, which is written through the one safe save path.
  void SaveFormat(const FormatEntry& format, const SaveFileRequest& request);
  // The save dialog of one written format, as the command line and the
  // tests answer it.
  SaveFileRequest FormatSaveRequest(const FormatEntry& format) const;
  // The worksheet of the loaded design as a PDF, the save dialog asking
  // for its name (the context menu's "Arbeitsblatt speichern...").
  void OnSaveWorksheet();
  // What the worksheet names: the loaded file and its format.
  CWorksheetRequest WorksheetRequest(Paper paper) const;
  // The save dialog of "Speichern unter...": one choice per written format
  // of the table, in table order, the loaded file's own format chosen first
  // where it is written.
  SaveFileRequest SaveAsRequest() const;

  // ---- colours ----
  void FillPalettes();
  CPalettes Palettes() const { return {m_brotherPalette, m_janomePalette}; }
  // The colour of colour block k as the preview paints it.
  COLORREF BlockColor(int block) const { return Palettes().BlockColor(*this, block); }

  // ---- members ----
  std::string m_strFileName;  // text of edit 1010
  int m_nZoom = -1;           // checked zoom radio button, 0..4
  HICON m_hIcon = 0;

  std::int16_t m_nRotation = 0;
  COLORREF m_brotherPalette[kBrotherPaletteSlots] = {};
  COLORREF m_janomePalette[kJanomePaletteEntries] = {};
  CScrollBar* m_pHScrollBar = nullptr;
  CScrollBar* m_pVScrollBar = nullptr;
  std::int32_t m_nOffsetY = 0;
  std::int32_t m_nOffsetX = 0;
  std::int32_t m_nZoomPercent = 100;
  std::string m_strLoadedPath;
  std::string m_strLoadedName;

 protected:
  void OnDesignPublished(const CDesignPublish& publish) override;
  void OnDesignDiscarded() override;

 private:
  void SetZoom(int percent);
  // The format's bytes of the loaded design for a file of that stem; false
  // (the outcome set, the refusal or failure shown) when there are none.
  bool EncodeForSave(const FormatEntry& format, const std::string& stem, CEncoded& encoded);
  void OnScroll(unsigned nSBCode, unsigned nPos, CScrollBar* pScrollBar, int nAxis);

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
