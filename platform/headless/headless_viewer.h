// The one headless viewer: the main dialog on the headless platform, loading
// and saving exactly the way the window does (the open dialog's answer,
// LoadFile, the reader the name selects; the save handler with the save
// dialog answered). The command line, the tests, the fuzz targets and the
// benchmarks all drive the dialog through it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "app/viewer_dlg.h"
#include "platform/headless/headless_platform.h"
#include "platform/headless/memory_files.h"

struct HeadlessOptions {
  bool disk = true;        // paths are this machine's files; false: memory only
  bool paint = false;      // run the paint handler on every repaint, as the window does
  bool echoBoxes = false;  // also print message boxes to stderr
};

// No disk at all: every file is the bytes handed to Load, every save stays
// in memory (the fuzz targets).
inline constexpr HeadlessOptions kMemoryOnly{.disk = false};

class CHeadlessViewer {
 public:
  explicit CHeadlessViewer(HeadlessOptions options = {});
  CHeadlessViewer(const CHeadlessViewer&) = delete;
  CHeadlessViewer& operator=(const CHeadlessViewer&) = delete;

  // Loads the file at path as "&Auswahl" does: its name selects the reader.
  LoadOutcome Load(const std::string& path);
  // Loads bytes as a file named name (held in memory for the load).
  LoadOutcome Load(const std::uint8_t* data, std::size_t size, const std::string& name);
  LoadOutcome Load(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    return Load(bytes.data(), bytes.size(), name);
  }

  // Saves the loaded design with the format's writer, the save dialog
  // answered with path; refused when the format has no writer.
  SaveOutcome Save(const FormatEntry& format, const std::string& path);

  // The text of an information field (1044, 1012, ...).
  std::string Info(int id) { return platform.GetControlText(id); }

  CMemoryFiles files;
  CHeadlessPlatform platform;
  CViewerDlg dlg{platform};
};

// The part of a path after its last '/'.
std::string BaseName(const std::string& path);
