// The platform services that the viewer's logic calls. The core holds no
// toolkit code: a headless implementation serves the tests and the command
// line, the Qt shell provides the real window.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/file_error.h"

// A file opened for reading. Every member throws CFileException on failure.
class CInputFile {
 public:
  virtual ~CInputFile() = default;
  virtual std::uint64_t GetLength() = 0;
  // One read of up to n bytes; returns the number of bytes delivered.
  virtual std::size_t Read(void* buffer, std::size_t n) = 0;
  virtual void Close() = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Opens an existing file for reading; it is not shared with writers while open.
  virtual std::unique_ptr<CInputFile> OpenForRead(const std::string& path) = 0;
  // Creates or replaces the file at path with the whole block in one write.
  // An existing file is only replaced once the new content is safely on disk;
  // on failure it is left as it was and no partial file remains.
  virtual void WriteWholeFile(const std::string& path, const std::uint8_t* data,
                              std::size_t size) = 0;
  // The same for content that can be made again (a rendered picture): the
  // file is still replaced only by the complete new content, but the call
  // does not wait until that content is on disk.
  virtual void WriteWholeFileUnsynced(const std::string& path, const std::uint8_t* data,
                                      std::size_t size) {
    WriteWholeFile(path, data, size);
  }
};

struct OpenFileRequest {
  std::string filter;          // "label|patterns|label|patterns||"
  int filterIndex = 1;         // 1-based preselected choice
  std::string initialDir = ".";
  bool fileMustExist = true;
  bool hideReadOnly = true;
};

struct OpenFileResult {  // both empty after a cancel
  std::string path;
  std::string name;
};

struct SaveFileRequest {
  std::string defaultExt;      // without the dot, e.g. "DST"; with several
                               // choices, that of the one chosen follows it
  std::string defaultName;
  std::string filter;
  std::string initialDir = ".";
  bool overwritePrompt = true;
  bool hideReadOnly = true;
  int filterIndex = 1;         // 1-based preselected choice
};

struct SaveFileResult {
  bool confirmed = false;
  std::string path;            // full path when confirmed
  int filterIndex = 0;         // 1-based choice the file was confirmed with; 0: not known
};

// Pixels of one control, row-major, each 0x00RRGGBB.
struct CPixelBuffer {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  void Resize(int w, int h) {
    width = w > 0 ? w : 0;
    height = h > 0 ? h : 0;
    pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  }
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The files of one drop; only the receiver's handler reads and releases it.
class CDropPackage {
 public:
  explicit CDropPackage(std::vector<std::string> paths) : m_paths(std::move(paths)) {}
  std::size_t Count() const { return m_paths.size(); }
  std::string DragQueryFile(std::size_t index) const {
    return index < m_paths.size() ? m_paths[index] : std::string();
  }
  void DragFinish() { m_finished = true; }
  bool Finished() const { return m_finished; }

 private:
  std::vector<std::string> m_paths;
  bool m_finished = false;
};

struct CRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

class CDialog;

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // Replaces the whole text of a control of the dialog.
  virtual void SetControlText(int id, const std::string& text) = 0;
  virtual std::string GetControlText(int id) = 0;

  // Invalidates with background erase and updates at once. id 0 is the whole
  // dialog: its paint handler has run when this returns. A frame control id
  // repaints only that control (it erases itself to its own background).
  virtual void RepaintNow(int id) = 0;

  // Modal box titled with the application's name, exclamation icon, OK.
  virtual void NoticeBox(const std::string& text) = 0;
  // Modal box owned by the main dialog, same title, no icon, OK.
  virtual void PlainMessageBox(const std::string& text) = 0;

  virtual OpenFileResult OpenFileDialog(const OpenFileRequest& request) = 0;
  virtual SaveFileResult SaveFileDialog(const SaveFileRequest& request) = 0;

  virtual IFileSystem& Files() = 0;

  // From now on drops on the dialog reach its WM_DROPFILES handler.
  virtual void AcceptDroppedFiles(bool accept) = 0;

  // The drawing surface of a frame control (1016, 1011), sized to the
  // control's client area.
  virtual CPixelBuffer& ControlPixels(int id) = 0;

  // Radio buttons and scroll bars, as the dialog's data exchange and scroll
  // handlers use them.
  virtual void CheckRadioButton(int firstId, int lastId, int checkedId) = 0;
  virtual int GetCheckedRadioButton(int firstId, int lastId) = 0;  // 0: none
  virtual void ShowScrollBar(int id, int minPos, int maxPos, int pos) = 0;

  // The system menu's added entry; returns false where there is no menu.
  virtual bool AppendAboutMenuEntry(unsigned commandId, const std::string& text) = 0;
  // An entry of the window's own menu, before the about entry, that sends
  // the system command commandId; shortcut ("Ctrl+S", may be empty) runs it
  // from anywhere in the window. Returns false where there is no menu.
  virtual bool AppendMenuEntry(unsigned /*commandId*/, const std::string& /*text*/,
                               const std::string& /*shortcut*/) {
    return false;
  }

  // The minimised window: whether it is, and drawing its icon.
  virtual bool IsIconic() { return false; }
  virtual CRect DialogClientRect() { return {}; }
  virtual int IconWidth() { return 32; }
  virtual int IconHeight() { return 32; }
  virtual void EraseIconBackground() {}
  virtual void DrawIcon(int /*x*/, int /*y*/) {}

  // Creates the dialog's window from its template, runs OnInitDialog and the
  // modal loop until EndDialog; returns the result given to EndDialog.
  virtual int RunModal(CDialog& dialog) = 0;
  virtual void EndDialog(CDialog& dialog, int result) = 0;
};
