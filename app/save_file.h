// Saving the loaded design: the save dialogs of the writers and the one way
// a finished file reaches the disk.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/viewer_dlg.h"
#include "export/encoder.h"
#include "framework/platform.h"
#include "framework/window_words.h"

// The context menu's entry for the worksheet, and its save dialog's filter.
inline constexpr const char* kWorksheetMenuEntry = "Arbeitsblatt speichern...";
inline constexpr const char* kWorksheetFilter = "PDF-Dokument (*.pdf)|*.pdf";

// Shown by every save when nothing has been loaded yet.
inline constexpr const char* kNoDesignMessage = WindowWordsLater("Noch keine g\xC3\xBCltigen Daten geladen !");

// The save dialog of a writer: its default extension and filter, the default
// name from the loaded file, the current folder, overwrite prompt, no
// read-only box.
SaveFileRequest WriterSaveRequest(const std::string& defaultExt, const std::string& filter,
                                  const std::string& loadedName);

// Shows the save dialog for request and, when confirmed, writes block in one
// write. A failing write is shown as the file-error report.
SaveOutcome SaveBlock(IPlatform& platform, const SaveFileRequest& request,
                      const std::vector<std::uint8_t>& block);
