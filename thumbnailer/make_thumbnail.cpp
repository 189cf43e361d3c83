// Loading, drawing and writing one thumbnail.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "picture/design_pictures.h"
#include "platform/headless/headless_viewer.h"
#include "platform/png/png_file.h"
#include "platform/posix/messages.h"
#include "platform/posix/posix_files.h"
#include "thumbnailer/thumbnailer.h"

namespace {

// A file longer than the limit is refused when the load asks for its
// length, before a byte is read or a buffer is grown for it.
class CLimitedInputFile : public CInputFile {
 public:
  CLimitedInputFile(std::unique_ptr<CInputFile> file, std::uint64_t limit, bool& refused)
      : m_file(std::move(file)), m_limit(limit), m_refused(refused) {}
  std::uint64_t GetLength() override {
    const std::uint64_t length = m_file->GetLength();
    if (length > m_limit) {
      m_refused = true;
      throw CFileException{FileCause::genericException, {}};
    }
    return length;
  }
  std::size_t Read(void* buffer, std::size_t n) override { return m_file->Read(buffer, n); }
  void Close() override { m_file->Close(); }

 private:
  std::unique_ptr<CInputFile> m_file;
  std::uint64_t m_limit;
  bool& m_refused;
};

class CLimitedFiles : public IFileSystem {
 public:
  CLimitedFiles(IFileSystem& files, std::uint64_t limit) : m_files(files), m_limit(limit) {}
  std::unique_ptr<CInputFile> OpenForRead(const std::string& path) override {
    return std::make_unique<CLimitedInputFile>(m_files.OpenForRead(path), m_limit, m_refused);
  }
  void WriteWholeFile(const std::string& path, const std::uint8_t* data, std::size_t size) override {
    m_files.WriteWholeFile(path, data, size);
  }
  void WriteWholeFileUnsynced(const std::string& path, const std::uint8_t* data,
                              std::size_t size) override {
    m_files.WriteWholeFileUnsynced(path, data, size);
  }
  bool Refused() const { return m_refused; }

 private:
  IFileSystem& m_files;
  std::uint64_t m_limit;
  bool m_refused = false;
};

// Thumbnail hosts create OUTPUT themselves and read the picture back
// through the descriptor they keep open, so a file renamed into its place
// would go unseen: an existing OUTPUT is overwritten in place, but only a
// regular file named by OUTPUT itself, not one a link at OUTPUT leads to
// (a link is refused). A new one goes through the files' safe path, so
// that it appears complete or not at all. Either way OUTPUT is touched only
// once the whole PNG is in memory.
void WritePicture(IFileSystem& files, const std::string& output, const std::vector<std::uint8_t>& png) {
  const int fd = ::open(output.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  // A picture can be made again: not worth waiting for the disk.
  if (fd < 0 && errno == ENOENT) return files.WriteWholeFileUnsynced(output, png.data(), png.size());
  if (fd < 0 && errno == ELOOP) throw CFileException{FileCause::accessDenied, output};
  auto fail = [&](int err) {
    if (fd >= 0) ::close(fd);
    throw CFileException{FileCauseFromErrno(err), output};
  };
  if (fd < 0) fail(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) fail(errno);
  if (!S_ISREG(st.st_mode)) fail(EACCES);
  if (::ftruncate(fd, 0) != 0) fail(errno);
  if (const int err = WriteAll(fd, png.data(), png.size())) {
    (void)::ftruncate(fd, 0);  // no half picture
    fail(err);
  }
  if (::close(fd) != 0) throw CFileException{FileCauseFromErrno(errno), output};
}

}  // namespace

bool MakeThumbnail(const std::string& path, const std::string& output, int size,
                   std::string& reason) {
  // No painting of the window's frames, no boxes on stderr: the file-error
  // report and the multi-part notice are only recorded.
  CHeadlessViewer viewer({.disk = true, .paint = false, .echoBoxes = false});
  CLimitedFiles files(viewer.files, kMaxInputBytes);
  viewer.platform.files = &files;

  switch (viewer.Load(path)) {
    case LoadOutcome::loaded:
      break;
    case LoadOutcome::noReader:
      reason = Tr("not a design file (no reader for its extension)");
      return false;
    case LoadOutcome::fileError:
      if (files.Refused()) {
        char text[256];
        std::snprintf(text, sizeof text, Tr("larger than %d MiB, not read"), static_cast<int>(kMaxInputBytes >> 20));
        reason = text;
      } else {
        reason = viewer.platform.notices.empty() ? Tr("cannot be read") : viewer.platform.notices.back();
      }
      return false;
    case LoadOutcome::unreadable:  // the report names the file
      reason = viewer.platform.notices.back();
      return false;
    default:
      reason = Tr("no file given");
      return false;
  }

  CPixelBuffer picture;
  if (!DrawDesignThumbnail(viewer.dlg, size, picture)) {
    reason = Tr("the design has no stitches");
    return false;
  }
  const std::vector<std::uint8_t> png = EncodePng(picture, {.alpha = true});
  if (png.empty()) {
    reason = Tr("the picture could not be encoded");
    return false;
  }
  try {
    WritePicture(files, output, png);
  } catch (const CFileException& e) {
    reason = FileErrorMessage(e);
    return false;
  }
  return true;
}
