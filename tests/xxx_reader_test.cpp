// The XXX reader, from byte fixtures: the 256-byte header, records from
// 0x100, the end block and the palette after it (XxxFile builds them).
#include <map>

#include "fuzz/seed_builders.h"
#include "tests/test_support.h"

namespace {

std::vector<COLORREF> Colors(const std::vector<CThread>& threads) {
  std::vector<COLORREF> out;
  for (const CThread& t : threads) out.push_back(t.color);
  return out;
}

}  // namespace

struct XxxReaderTest : ViewerTest {
  void Load(const Bytes& file) { Read("xxx", file); }
  // The records read from the file, without the two every design starts with.
  std::vector<Record> Decoded() { return DecodedAfter(2); }
};

TEST_F(XxxReaderTest, EveryRecordType) {
  Load(XxxFile({0x05, 0xFB,                    // stitch (+5, +5): Y up in the file
                0x7C, 0x7F,                    // stitch (+124, -127): any second byte
                0x80, 0x80,                    // stitch (-128, +128)
                0x7E, 0x01, 0x00, 0x69, 0xFF,  // long move (+1, +151)
                0x7D, 0x7F, 0x00, 0x81, 0xFF,  // long displacement (+127, +127): a stitch
                0x7D, 0x2C, 0x01, 0x00, 0x00,  // long displacement (+300, 0): a move
                0x7F, 0x01, 0x10, 0xF0,        // jump (+16, +16)
                0x7F, 0x03, 0x00, 0x00,        // trim: no record
                0x7F, 0x03, 0xA7, 0x37,        // trim, then a move (-89, -55)
                0x7F, 0x08, 0x00, 0x00,        // colour change
                0x7F, 0x0C, 0x02, 0x00,        // colour change naming a needle, then a move (+2, 0)
                0x7F, 0x20, 0x11, 0x22,        // unlisted command: skipped
                0x7F, 0x18, 0x00, 0x00,        // end of the stitches
                0x01, 0x01},                   // after the end: not read
               {0x112233, 0x445566, 0x778899}));
  const std::vector<Record> want = {
      {5, 5, KIND_STITCH},   {129, -122, KIND_STITCH}, {1, 6, KIND_STITCH},    {2, 157, KIND_MOVE},
      {129, 284, KIND_STITCH}, {429, 284, KIND_MOVE},  {445, 300, KIND_MOVE},  {356, 245, KIND_MOVE},
      {356, 245, KIND_COLOR}, {356, 245, KIND_COLOR},  {358, 245, KIND_MOVE}};
  EXPECT_EQ(Decoded(), want);
  EXPECT_EQ(dlg.m_nStitchCount, 9);
  EXPECT_EQ(dlg.m_nColorCount, 3);
}

TEST_F(XxxReaderTest, PaletteAtTheEndBlockThePointerNames) {
  const std::vector<std::uint32_t> colors = {0xE3311F, 0xF7F3F7};
  const std::vector<unsigned> records = {0x05, 0x05, 0x7F, 0x08, 0x00, 0x00, 0x05, 0x05};
  Load(XxxFile(records, colors));
  EXPECT_EQ(dlg.m_nFormat, FORMAT_XXX);
  EXPECT_EQ(dlg.m_bThreadColors, TRUE);
  EXPECT_EQ(Colors(dlg.m_threads), (std::vector<COLORREF>{RGB(0xE3, 0x31, 0x1F), RGB(0xF7, 0xF3, 0xF7)}));
  EXPECT_EQ(dlg.m_threads[0].chart, ThreadChart::none);
  EXPECT_EQ(dlg.BlockColor(1), RGB(0xF7, 0xF3, 0xF7));
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{"SINGER-XXX", "Farben:  2", "Breite:  0.5 mm",
                                                    "H\xC3\xB6he:  0.5 mm", "Stiche: 2"}));

  // End of stitches, then the end block: the end block's bytes are no
  // colour (#140000 from 7F 7F 03 14 would shift every colour by one).
  Load(XxxFile({0x05, 0x05, 0x7F, 0x18, 0x00, 0x00}, {0xE5E5E5}));
  EXPECT_EQ(Colors(dlg.m_threads), (std::vector<COLORREF>{RGB(0xE5, 0xE5, 0xE5)}));

  // The pointer wins over an end block met earlier: the bytes it names are
  // the end block, the decoded one is not.
  Bytes twoEnds = XxxFile({0x05, 0x05, 0x7F, 0x7F, 0x00, 0x00, 0, 0, 0, 1, 1, 1}, {0x0A0B0C}, 0x100 + 12);
  Load(twoEnds);
  EXPECT_EQ(Colors(dlg.m_threads), (std::vector<COLORREF>{RGB(0x0A, 0x0B, 0x0C)}));
}

TEST_F(XxxReaderTest, ThePaletteFoundWithoutAUsablePointer) {
  const std::vector<unsigned> records = {0x05, 0x05};
  // Zero, past the end of the file, inside the header, at a stitch: the end
  // block that ended the records is used.
  for (long long pointer : {0LL, 0x7FFFFFF0LL, 0x30LL, 0x100LL}) {
    Load(XxxFile(records, {0x102030}, pointer));
    EXPECT_EQ(Colors(dlg.m_threads), (std::vector<COLORREF>{RGB(0x10, 0x20, 0x30)})) << pointer;
    EXPECT_EQ(dlg.m_bThreadColors, TRUE);
  }
  // End of stitches, then the end block, and no pointer: the palette
  // still starts after the end block, not after the end of stitches.
  Load(XxxFile({0x05, 0x05, 0x7F, 0x18, 0x00, 0x00}, {0xE5E5E5}, 0));
  EXPECT_EQ(Colors(dlg.m_threads), (std::vector<COLORREF>{RGB(0xE5, 0xE5, 0xE5)}));
  // No end block at all: no palette; the blocks get the preview's colours.
  Bytes noEnd = XxxFile({0x05, 0x05, 0x7F, 0x08, 0x00, 0x00}, {});
  noEnd.resize(noEnd.size() - 6);
  Load(noEnd);
  EXPECT_TRUE(dlg.m_threads.empty());
  EXPECT_EQ(dlg.m_bThreadColors, FALSE);
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 2), (std::vector<int>{2, 3}));
  EXPECT_EQ(dlg.BlockColor(1), dlg.m_brotherPalette[3]);
}

TEST_F(XxxReaderTest, ColourCountAgainstBlocksAndFileLength) {
  const std::vector<unsigned> threeBlocks = {0x7F, 0x08, 0x00, 0x00, 0x7F, 0x08, 0x00, 0x00};
  // Fewer entries than blocks: the last block in the fallback colour.
  Load(XxxFile(threeBlocks, {0x010101, 0x020202}));
  EXPECT_EQ(dlg.m_nColorCount, 3);
  EXPECT_EQ(dlg.m_threads.size(), 2u);
  EXPECT_EQ(dlg.BlockColor(2), kFallbackColor);
  // More entries than blocks: one thread per block.
  Load(XxxFile({0x05, 0x05}, {0x010101, 0x020202}));
  EXPECT_EQ(dlg.m_threads.size(), 1u);
  // A count larger than the file holds: what is there.
  Load(XxxFile(threeBlocks, {0x010101, 0x020202}, -1, 60000));
  EXPECT_EQ(dlg.m_threads.size(), 2u);
  // A count of 0 with colour changes present: no palette.
  Load(XxxFile(threeBlocks, {0x010101}, -1, 0));
  EXPECT_EQ(dlg.m_bThreadColors, FALSE);
  // An entry cut by the end of the file is not read.
  Bytes cut = XxxFile(threeBlocks, {0x010101, 0x020202});
  cut.pop_back();
  Load(cut);
  EXPECT_EQ(Colors(dlg.m_threads), (std::vector<COLORREF>{RGB(1, 1, 1)}));
}

TEST_F(XxxReaderTest, CutRecordsAndShortFiles) {
  const std::vector<Record> none;
  for (std::size_t len : {0u, 1u, 0x17u, 0xFFu, 0x100u, 0x101u}) {
    Load(Bytes(len, 0));
    EXPECT_EQ(Decoded(), none) << len;
    EXPECT_EQ(dlg.m_bThreadColors, FALSE) << len;
  }
  const Bytes whole = XxxFile({0x05, 0x05, 0x7E, 0x01, 0x00, 0x69, 0xFF, 0x7F, 0x01, 0x01, 0x01}, {});
  // The long move cut after 4 of its 5 bytes, the jump after 3 of 4.
  Load(Bytes(whole.begin(), whole.begin() + 0x100 + 6));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{5, -5, KIND_STITCH}}));
  Load(Bytes(whole.begin(), whole.begin() + 0x100 + 10));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{5, -5, KIND_STITCH}, {6, 146, KIND_MOVE}}));
}

TEST_F(XxxReaderTest, PlausibleOnlyWithTheZeroPrefix) {
  const FormatEntry& xxx = *FindFormat("xxx");
  ASSERT_NE(xxx.plausible, nullptr);
  const Bytes file = XxxFile({0x05, 0x05}, {0x102030});
  EXPECT_TRUE(xxx.plausible(ByteView(file, static_cast<int>(file.size()))));
  EXPECT_TRUE(xxx.plausible(ByteView(Bytes{}, 0)));
  for (std::size_t at : {0u, 11u, 0x16u}) {
    Bytes marked = file;
    marked[at] = 1;
    EXPECT_FALSE(xxx.plausible(ByteView(marked, static_cast<int>(marked.size())))) << at;
  }
  Bytes counted = file;
  counted[0x17] = 0xFF;  // the record count is no part of the prefix
  EXPECT_TRUE(xxx.plausible(ByteView(counted, static_cast<int>(counted.size()))));
  for (const auto& path : CorpusFiles("xxx")) {
    const Bytes real = ReadFileBytes(path);
    EXPECT_TRUE(xxx.plausible(ByteView(real, static_cast<int>(real.size())))) << path;
  }
}

// Counts, bounds and palettes the format sheet's independent reader gives
// for the five sample files.
TEST_F(XxxReaderTest, CorpusFilesGiveTheSheetsCountsBoundsAndColours) {
  struct Expected {
    KindCounts counts;  // stitches, moves, colour changes
    Bounds bounds;
    std::vector<COLORREF> colors;  // one per block
  };
  const std::map<std::string, Expected> table = {
      // 38 jumps; of 14 trims none moves
      {"Embroidermodder__Embroidermodder.xxx", {{3395, 38, 0}, {-1113, 1112, -257, 257}, {RGB(0, 0, 0xFF)}}},
      // 4 jumps and one long move
      {"Embroidermodder__Star.xxx",
       {{2540, 5, 1}, {-295, 296, -311, 312}, {RGB(0xE3, 0x31, 0x1F), RGB(0xF7, 0xF3, 0xF7)}}},
      {"Embroidermodder__shamrockin.xxx", {{1472, 6, 0}, {-250, 249, -246, 247}, {RGB(0, 0xFF, 0)}}},
      {"Rust-Embroidery-Catalogue__rectangle.xxx", {{28, 2, 0}, {-20, 20, -20, 20}, {RGB(0x10, 0x8C, 0xFF)}}},
      // 7 jumps and its one trim's move; one block, though the palette lists two
      {"PEmbroider__PEmbroider_bitmap_image_2.xxx", {{2082, 8, 0}, {-207, 188, -131, 340}, {RGB(0, 0, 0)}}},
  };
  const auto files = CorpusFiles("xxx");
  SKIP_WITHOUT_CORPUS(files);
  ASSERT_EQ(files.size(), table.size());
  for (const auto& path : files) {
    const std::string name = path.filename().string();
    ASSERT_EQ(table.count(name), 1u) << name;
    const Expected& e = table.at(name);
    Load(ReadFileBytes(path));
    EXPECT_EQ(CountKinds(Decoded()), e.counts) << name;
    EXPECT_EQ(BoundsOf(dlg), e.bounds) << name;
    EXPECT_EQ(Colors(dlg.m_threads), e.colors) << name;
  }
}
