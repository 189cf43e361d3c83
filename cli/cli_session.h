// One viewer dialog on the headless platform, driven the way a user drives the
// window: files are loaded through the open-file dialog's handler.
#pragma once
#include <string>

#include "app/headless_platform.h"
#include "app/viewer_dlg.h"

struct CliSession {
  CHeadlessPlatform platform;
  CViewerDlg dialog{platform};

  explicit CliSession(bool paint = false);
  // Loads path as "&Auswahl" would; on failure prints a one-line message to
  // stderr (file errors are printed by the report itself) and returns false.
  bool Load(const std::string& path);
  // The five information texts, in field order.
  std::string InfoText(int field) const;
};

std::string BaseName(const std::string& path);

constexpr int kExitFileError = 1;
constexpr int kExitUsage = 2;
