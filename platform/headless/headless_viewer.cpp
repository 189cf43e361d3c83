#include "platform/headless/headless_viewer.h"

#include "platform/posix/posix_files.h"

CHeadlessViewer::CHeadlessViewer(HeadlessOptions options)
    : files(options.disk ? &PosixFileSystem() : nullptr) {
  platform.files = &files;
  platform.paintOnRepaint = options.paint;
  platform.echoBoxes = options.echoBoxes;
  platform.Create(dlg);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

LoadOutcome CHeadlessViewer::Load(const std::string& path) {
  platform.openAnswers.clear();
  platform.openAnswers.push_back({path, BaseName(path)});
  dlg.OnBrowse();
  return dlg.LastLoadOutcome();
}

LoadOutcome CHeadlessViewer::Load(const std::uint8_t* data, std::size_t size, const std::string& name) {
  const std::string path = "/memory/" + name;
  files.Put(path, data, size);
  const LoadOutcome outcome = Load(path);
  files.Remove(path);
  return outcome;
}

SaveOutcome CHeadlessViewer::Save(const FormatEntry& format, const std::string& path) {
  if (!format.encode) return SaveOutcome::refused;
  platform.saveAnswers.clear();
  platform.saveAnswers.push_back({true, path});
  dlg.SaveFormat(format, dlg.FormatSaveRequest(format));
  platform.saveAnswers.clear();
  return dlg.LastSaveOutcome();
}
