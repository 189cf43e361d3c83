// The command line's viewer: the one headless viewer on this machine's
// files, with message boxes printed to stderr, driven the way a user drives
// the window.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless_viewer.h"

class CliSession : public CHeadlessViewer {
 public:
  explicit CliSession(bool paint = false)
      : CHeadlessViewer({.disk = true, .paint = paint, .echoBoxes = true}) {}
  // Loads path as "&Auswahl" would; on failure prints a one-line message to
  // stderr (file errors are printed by the report itself) and returns false.
  bool LoadOrReport(const std::string& path);
  // The five information texts, in field order.
  std::string InfoText(int field) { return Info(kInfoFieldIds[field]); }
};

// One line on stderr about subject (a file): "nadelwerk-cli: SUBJECT: "
// and the message.
__attribute__((format(printf, 2, 3))) void SayAbout(const std::string& subject, const char* format, ...);

// Whether output is input by any name (a link or a hard link to it
// included); if so says that it is refused. An output never replaces the
// design it is made from.
bool RefusedAsInput(const std::string& input, const std::string& output);

// The extension of path after its last dot, lower-cased ("svg"); empty
// when its last part has none.
std::string LowerExtension(const std::string& path);
// Writes bytes to path through the safe path (an existing file is replaced
// only by the complete new one), synced to disk or not; a failure is
// reported and returns false.
bool WriteOrReport(CliSession& session, const std::string& path, const std::vector<std::uint8_t>& bytes,
                   bool synced);

constexpr int kExitFileError = 1;
constexpr int kExitUsage = 2;
