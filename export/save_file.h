// What the DST and PCS writers share: the default file name, asking for the
// target and writing the finished block, and the two block builders (the
// handlers use them, and the benchmarks time them without a dialog).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/viewer_dlg.h"
#include "framework/platform.h"

// Shown by both writers when nothing has been loaded yet.
inline constexpr const char* kNoDesignMessage = "Noch keine g\xC3\xBCltigen Daten geladen !";

// The loaded file's name without its last extension: Blume.PES gives Blume,
// rose.v2.pes gives rose.v2; a name without '.' stays whole.
std::string DefaultSaveName(const std::string& loadedName);

// The save dialog of a writer: its default extension and filter, the default
// name from the loaded file, the current folder, overwrite prompt, no
// read-only box.
SaveFileRequest WriterSaveRequest(const char* defaultExt, const char* filter,
                                  const std::string& loadedName);

// Shows the save dialog for request and, when confirmed, writes block in one
// write. A failing write is shown as the file-error report.
SaveOutcome SaveBlock(IPlatform& platform, const SaveFileRequest& request,
                      const std::vector<std::uint8_t>& block);

// The complete DST file of the loaded design: header, records, end record.
void BuildDstBlock(const CViewerDlg& dlg, std::vector<std::uint8_t>& block);

// The complete PCS file of the loaded design. Returns the number of stitch
// records written; above 65535 the block is not a valid file (its count field
// cannot hold it) and must not be saved.
std::int64_t BuildPcsBlock(const CViewerDlg& dlg, std::vector<std::uint8_t>& block);
