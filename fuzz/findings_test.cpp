// Faults the fuzz targets and the corpus sweep found, each kept as the
// smallest file that showed it.
#include <gtest/gtest.h>

#include "fuzz/design_invariants.h"
#include "fuzz/seed_builders.h"
#include "platform/headless/headless_viewer.h"
#include "tests/brother_fixture.h"

namespace {

// Loads first, then second into the same dialog; returns the colours of the
// first `blocks` blocks of the second design, which must be those of a fresh
// dialog.
std::vector<COLORREF> ColoursAfter(const Bytes& first, const Bytes& second, const std::string& name,
                                   int blocks) {
  CHeadlessViewer used(kMemoryOnly), fresh(kMemoryOnly);
  EXPECT_EQ(used.Load(first, name), LoadOutcome::loaded);
  EXPECT_EQ(used.Load(second, name), LoadOutcome::loaded);
  EXPECT_EQ(fresh.Load(second, name), LoadOutcome::loaded);
  EXPECT_EQ(DescribeDifference(TakeSnapshot(fresh.dlg, fresh.platform), TakeSnapshot(used.dlg, used.platform)), "");
  std::vector<COLORREF> colours;
  for (int k = 0; k < blocks; ++k) colours.push_back(used.dlg.BlockColor(k));
  return colours;
}

}  // namespace

// Blocks that the file gives no colour took the colour list of the file read
// before: the same file showed (and saved) other colours depending on what
// had been open.
TEST(FuzzFindings, BlocksWithoutFileColourDoNotKeepThePreviousFilesColours) {
  PecSection colourful;
  colourful.colors = {5, 9, 13};
  PecSection twoChanges;  // one colour listed, three blocks
  twoChanges.colors = {2};
  twoChanges.stitches = {0x01, 0x01, 0xFE, 0xB0, 0x00, 0x02, 0x02, 0xFE, 0xB0, 0x00, 0xFF, 0x00};

  CHeadlessViewer palette(kMemoryOnly);
  const COLORREF black = palette.dlg.m_brotherPalette[0], blue = palette.dlg.m_brotherPalette[2];
  EXPECT_EQ(ColoursAfter(PecFile(colourful), PecFile(twoChanges), "b.pec", 3),
            (std::vector<COLORREF>{blue, black, black}));
  EXPECT_EQ(ColoursAfter(PecFile(colourful), {}, "leer.pec", 1), std::vector<COLORREF>{black});
  EXPECT_EQ(ColoursAfter(PesFile({colourful}), PesFile({twoChanges}), "b.pes", 3),
            (std::vector<COLORREF>{blue, black, black}));
  EXPECT_EQ(ColoursAfter(PesFile({colourful}), ByteBuilder().text("#PES0001").fill(4), "kurz.pes", 1),
            std::vector<COLORREF>{black});

  const COLORREF janome0 = palette.dlg.m_janomePalette[0], janome12 = palette.dlg.m_janomePalette[12];
  EXPECT_EQ(ColoursAfter(SewFile({40, 41, 42}, {0x80, 0x10}), SewFile({12}, {0x80, 0x01, 0x80, 0x01, 0x80, 0x10}),
                         "b.sew", 3),
            (std::vector<COLORREF>{janome12, janome0, janome0}));
  EXPECT_EQ(ColoursAfter(SewFile({40}, {}), {}, "leer.sew", 1), std::vector<COLORREF>{janome0});
}
