#include "export/save_file.h"

#include "framework/file_error.h"

std::string DefaultSaveName(const std::string& loadedName) {
  const auto dot = loadedName.rfind('.');
  return dot == std::string::npos ? loadedName : loadedName.substr(0, dot);
}

SaveFileRequest WriterSaveRequest(const char* defaultExt, const char* filter,
                                  const std::string& loadedName) {
  SaveFileRequest request;
  request.defaultExt = defaultExt;
  request.defaultName = DefaultSaveName(loadedName);
  request.filter = filter;
  request.initialDir = ".";
  request.overwritePrompt = true;
  request.hideReadOnly = true;
  return request;
}

SaveOutcome SaveBlock(IPlatform& platform, const SaveFileRequest& request,
                      const std::vector<std::uint8_t>& block) {
  const SaveFileResult answer = platform.SaveFileDialog(request);
  if (!answer.confirmed) return SaveOutcome::cancelled;
  try {
    platform.Files().WriteWholeFile(answer.path, block.data(), block.size());
  } catch (const CFileException& e) {
    ReportFileError(platform, e);
    return SaveOutcome::failed;
  }
  return SaveOutcome::written;
}
