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

}  // namespace

int FuzzRead(const char* extension, const std::uint8_t* data, std::size_t size) {
  const std::string name = std::string("fuzz.") + extension;
  const std::size_t cut = size ? size * (data[size - 1] & 15u) / 16 : 0;

  CHeadlessViewer used(kMemoryOnly);
  if (used.Load(data, size, name) != LoadOutcome::loaded) Fail("load of the whole input failed");
  CheckDesignInvariants(used.dlg, used.platform, size, "whole input");
  if (used.Load(data, cut, name) != LoadOutcome::loaded) Fail("load of the cut failed");
  CheckDesignInvariants(used.dlg, used.platform, cut, "cut after the whole input");

  CHeadlessViewer fresh(kMemoryOnly);
  fresh.Load(data, cut, name);
  const std::string diff =
      DescribeDifference(TakeSnapshot(fresh.dlg, fresh.platform), TakeSnapshot(used.dlg, used.platform));
  if (!diff.empty())
    Fail("the cut of " + std::to_string(cut) + " bytes reads differently after a longer file: " + diff);
  return 0;
}
