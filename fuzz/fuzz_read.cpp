#include "fuzz/fuzz_read.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/design_invariants.h"
#include "platform/headless/headless_viewer.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

// Loads size bytes into viewer: either they are read into a sound design,
// or (bytes that cannot be of the format) they are reported and the design
// before stays as it was. True when read.
bool LoadAndCheck(CHeadlessViewer& viewer, const std::uint8_t* data, std::size_t size,
                  const std::string& name, const char* where) {
  const CDesignSnapshot before = TakeSnapshot(viewer.dlg, viewer.platform);
  const LoadOutcome outcome = viewer.Load(data, size, name);
  if (outcome == LoadOutcome::unreadable) {
    const std::string diff = DescribeDifference(before, TakeSnapshot(viewer.dlg, viewer.platform));
    if (!diff.empty()) Fail(std::string(where) + ": refused, but the design changed: " + diff);
    return false;
  }
  if (outcome != LoadOutcome::loaded) Fail(std::string(where) + ": load failed");
  CheckDesignInvariants(viewer.dlg, viewer.platform, size, where);
  return true;
}

}  // namespace

int FuzzRead(const char* extension, const std::uint8_t* data, std::size_t size) {
  const std::string name = std::string("fuzz.") + extension;
  const std::size_t cut = size ? size * (data[size - 1] & 15u) / 16 : 0;

  CHeadlessViewer used(kMemoryOnly);
  LoadAndCheck(used, data, size, name, "whole input");
  if (!LoadAndCheck(used, data, cut, name, "cut after the whole input")) return 0;

  CHeadlessViewer fresh(kMemoryOnly);
  fresh.Load(data, cut, name);
  const std::string diff =
      DescribeDifference(TakeSnapshot(fresh.dlg, fresh.platform), TakeSnapshot(used.dlg, used.platform));
  if (!diff.empty())
    Fail("the cut of " + std::to_string(cut) + " bytes reads differently after a longer file: " + diff);
  return 0;
}
