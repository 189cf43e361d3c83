// nadelwerk-thumbnailer [-s SIZE] INPUT OUTPUT
//
// The entry point that file managers' thumbnail services run for every
// design file a user merely sees, downloads included: it limits its own
// memory and CPU time before it touches the file, and it exits 0 only when
// OUTPUT holds the picture.
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "framework/version.h"
#include "platform/posix/messages.h"
#include "platform/posix/posix_files.h"
#include "platform/posix/standard_streams.h"
#include "thumbnailer/thumbnailer.h"

namespace {

// The extensions the usage names come from the format table.
void PrintUsage(std::FILE* out) {
  std::string extensions;
  for (const FormatEntry& f : Formats()) extensions += (extensions.empty() ? "." : " .") + std::string(f.name);
  std::fprintf(out, "%s\n  ", Tr("usage: nadelwerk-thumbnailer [-s SIZE] INPUT OUTPUT"));
  std::fprintf(out, Tr("INPUT   a design file (%s), as a path or a file:// URI"), extensions.c_str());
  std::fprintf(out, "\n  ");
  std::fprintf(out, Tr("OUTPUT  the PNG to write, SIZE pixels on its larger side (default %d, at most %d)"),
               kDefaultSize, kMaxSize);
  std::fprintf(out, "\n");
}

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Second line of defence behind the size check: a reader gone wrong on a
// hostile file ends in a refused allocation or a killed process, not in a
// machine that swaps or a host that waits. No core files of such ends.
// The sanitizers' shadow memory needs the address space, so their builds
// leave it open.
void LimitResources() {
  auto lower = [](int resource, rlim_t soft, rlim_t hard) {
    rlimit now{};
    if (getrlimit(resource, &now) != 0) return;
    // Only ever lowered: a host's tighter limit stays.
    now.rlim_max = std::min(now.rlim_max, hard);
    now.rlim_cur = std::min({now.rlim_cur, soft, now.rlim_max});
    setrlimit(resource, &now);
  };
#if !NADELWERK_SANITIZED
  lower(RLIMIT_AS, rlim_t{512} << 20, rlim_t{512} << 20);
#endif
  lower(RLIMIT_CPU, 5, 6);  // SIGXCPU at 5 s, SIGKILL at 6 s
  lower(RLIMIT_CORE, 0, 0);
}

// Cairo allocates and frees the polygons and scan lines of every stroke:
// kept in the heap instead of being handed back to the system between
// strokes, the pages of one stroke serve the next rather than being
// faulted in anew (a third of the page faults of a large design).
void KeepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

bool ParseSize(const char* text, int& size) {
  const std::size_t n = std::strlen(text);
  if (n == 0 || n > 4) return false;
  int v = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  if (v < 1 || v > kMaxSize) return false;
  size = v;
  return true;
}

// A name for the one-line message: control characters in it would break
// the line.
std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

int Fail(const std::string& input, const std::string& reason) {
  std::fprintf(stderr, "nadelwerk-thumbnailer: %s: %s\n", Printable(input).c_str(),
               Printable(reason).c_str());
  return kExitFailed;
}

// The status after printing to stdout: a failure when the text was lost.
int Printed() {
  const int err = CloseStandardOutput();
  if (err) std::fprintf(stderr, "nadelwerk-thumbnailer: %s: %s\n", Tr("standard output"), std::strerror(err));
  return err ? kExitFailed : 0;
}

}  // namespace

int main(int argc, char** argv) {
  TakeClosedStandardDescriptors();
  LimitResources();
  KeepFreedMemory();
  UseUserLanguage();
  int size = kDefaultSize;
  std::vector<std::string> positional;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (!options || a.size() < 2 || a[0] != '-') {
      positional.push_back(a);
    } else if (a == "--") {
      options = false;
    } else if (a == "--help" || a == "-h") {
      PrintUsage(stdout);
      return Printed();
    } else if (a == "--version") {
      std::printf("nadelwerk-thumbnailer %s\n", kAppVersion);
      return Printed();
    } else if (a == "-s" && i + 1 < argc) {
      if (!ParseSize(argv[++i], size)) {
        std::fprintf(stderr, "nadelwerk-thumbnailer: ");
        std::fprintf(stderr, Tr("SIZE must be 1 to %d pixels"), kMaxSize);
        std::fprintf(stderr, "\n");
        return kExitUsage;
      }
    } else {
      PrintUsage(stderr);
      return kExitUsage;
    }
  }
  if (positional.size() != 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const std::string& input = positional[0];
  const std::string& output = positional[1];

  std::string path, reason;
  if (!InputToPath(input, path, reason)) return Fail(input, reason);
  // Through a link or a hard link alike: the picture never replaces the design.
  if (SameFile(path, output)) return Fail(path, Tr("OUTPUT is this input file, not written"));
  try {
    if (!MakeThumbnail(path, output, size, reason)) return Fail(path, reason);
  } catch (const std::bad_alloc&) {
    return Fail(path, Tr("out of memory"));
  } catch (const std::runtime_error& e) {
    char text[512];
    std::snprintf(text, sizeof text, Tr("the picture could not be made (%s)"), e.what());
    return Fail(path, text);
  }
  return 0;
}
