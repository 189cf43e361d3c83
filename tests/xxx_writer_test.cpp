// The XXX writer: the header fields, record encoding and its limits, the
// palette, and files read and written again.
#include "export/xxx_writer.h"
#include "tests/test_support.h"

namespace {

unsigned U16(const Bytes& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
unsigned U32(const Bytes& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }
Bytes Slice(const Bytes& b, std::size_t from, std::size_t to) {
  return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(to));
}

// The record bytes of a written file: from 0x100 to the end block.
Bytes RecordBytes(const Bytes& file) { return Slice(file, 0x100, U32(file, 0xFC)); }

}  // namespace

class XxxWriterTest : public ViewerTest {
 protected:
  Bytes Encode() {
    const CEncoded encoded = EncodeXxx(dlg, {});
    EXPECT_FALSE(encoded.Refused()) << encoded.refusal;
    return encoded.bytes;
  }
  void ThreadColours(std::initializer_list<COLORREF> colors) {
    dlg.m_threads.clear();
    for (COLORREF c : colors) {
      CThread thread;
      thread.color = c;
      dlg.m_threads.push_back(thread);
    }
    dlg.m_bThreadColors = TRUE;
    dlg.m_nFormat = FORMAT_XXX;
  }
};

TEST_F(XxxWriterTest, HeaderRecordsEndBlockAndPalette) {
  LoadDesign({{30, -40, KIND_STITCH}, {35, -38, KIND_STITCH}, {35, -38, KIND_COLOR}, {-100, 50, KIND_MOVE},
              {-95, 52, KIND_STITCH}},
             FORMAT_XXX);
  ThreadColours({RGB(0x11, 0x22, 0x33), RGB(0xE3, 0x31, 0x1F)});
  const Bytes file = Encode();
  EXPECT_EQ(RecordBytes(file), (Bytes{0x7F, 0x01, 0x1E, 0x28,         // lead-in jump (+30, -40), Y up
                                      0x00, 0x00,                     // the first stitch
                                      0x05, 0xFE,                     // stitch (+5, +2)
                                      0x7F, 0x08, 0x00, 0x00,         // colour change
                                      0x7E, 0x79, 0xFF, 0xA8, 0xFF,   // long move (-135, +88)
                                      0x05, 0xFE}));                  // stitch (+5, +2)
  EXPECT_EQ(Slice(file, 0, 0x17), Bytes(0x17, 0));
  EXPECT_EQ(U32(file, 0x17), 7u);   // six records and the end block
  EXPECT_EQ(U16(file, 0x27), 2u);   // colours
  EXPECT_EQ(U16(file, 0x29), 0u);
  EXPECT_EQ(U16(file, 0x2D), 135u);  // width: -100..35
  EXPECT_EQ(U16(file, 0x2F), 92u);   // height: -40..52
  EXPECT_EQ(Slice(file, 0x31, 0xFC), Bytes(0xFC - 0x31, 0));
  EXPECT_EQ(U32(file, 0xFC), 0x113u);
  Bytes tail{0x7F, 0x7F, 0x03, 0x14, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x00, 0xE3, 0x31, 0x1F};
  tail.resize(tail.size() + 18 * 4, 0);  // zero entries up to 20
  tail.insert(tail.end(), {0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x01});
  EXPECT_EQ(Slice(file, 0x113, file.size()), tail);

  // Read back: the same records after the lead-in, the same colours.
  Read("xxx", file);
  EXPECT_EQ(DecodedAfter(2), (std::vector<Record>{{30, -40, KIND_MOVE}, {30, -40, KIND_STITCH},
                                                  {35, -38, KIND_STITCH}, {35, -38, KIND_COLOR},
                                                  {-100, 50, KIND_MOVE}, {-95, 52, KIND_STITCH}}));
  ASSERT_EQ(dlg.m_threads.size(), 2u);
  EXPECT_EQ(dlg.m_threads[1].color, RGB(0xE3, 0x31, 0x1F));
}

TEST_F(XxxWriterTest, StitchesUpTo124MovesUpTo127InOneShortRecord) {
  auto records = [&](int dx, int dy, int kind) {
    LoadDesign({{0, 0, KIND_STITCH}, {dx, dy, kind}}, FORMAT_DST);
    Bytes r = RecordBytes(Encode());
    return Bytes(r.begin() + 2, r.end());  // after the stitch at the origin
  };
  EXPECT_EQ(records(124, -124, KIND_STITCH), (Bytes{0x7C, 0x7C}));
  EXPECT_EQ(records(-124, 124, KIND_STITCH), (Bytes{0x84, 0x84}));
  // [unsure] 125 would need the unseen 7D record: two stitches instead.
  EXPECT_EQ(records(125, 0, KIND_STITCH), (Bytes{0x3F, 0x00, 0x3E, 0x00}));
  EXPECT_EQ(records(0, -125, KIND_STITCH), (Bytes{0x00, 0x3F, 0x00, 0x3E}));
  EXPECT_EQ(records(-125, 0, KIND_STITCH), (Bytes{0xC1, 0x00, 0xC2, 0x00}));
  EXPECT_EQ(records(127, -127, KIND_MOVE), (Bytes{0x7F, 0x01, 0x7F, 0x7F}));
  EXPECT_EQ(records(128, 0, KIND_MOVE), (Bytes{0x7E, 0x80, 0x00, 0x00, 0x00}));
  EXPECT_EQ(records(0, -32768, KIND_MOVE), (Bytes{0x7E, 0x00, 0x00, 0x00, 0x80}));

  // A 300-unit stitch in three on its line; read back, the same design.
  EXPECT_EQ(records(300, 30, KIND_STITCH), (Bytes{0x64, 0xF6, 0x64, 0xF6, 0x64, 0xF6}));
  Read("xxx", Encode());
  EXPECT_EQ(DecodedAfter(2).back(), (Record{300, 30, KIND_STITCH}));
}

TEST_F(XxxWriterTest, PaletteFromTheBlocksPreviewColoursWhereTheFileHadNone) {
  // A DST design of three blocks: the preview's colours go into the file.
  ByteBuilder dst;
  dst.fill(512, ' ').bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xC3, 0x01, 0x00, 0x03, 0x00, 0x00, 0xC3,
                            0x00, 0x00, 0xF3});
  Read("dst", dst);
  const COLORREF colors[] = {dlg.BlockColor(0), dlg.BlockColor(1), dlg.BlockColor(2)};
  const Bytes file = Encode();
  EXPECT_EQ(U16(file, 0x27), 3u);
  Read("xxx", file);
  ASSERT_EQ(dlg.m_threads.size(), 3u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(dlg.m_threads[k].color, colors[k]) << k;

  // More blocks than the palette's 20 slots: every block listed, the two
  // white entries and 00 01 after them.
  std::vector<Record> many;
  for (int k = 0; k < 50; ++k) many.push_back({k, 0, k % 2 ? KIND_COLOR : KIND_STITCH});
  LoadDesign(many, FORMAT_DST);
  const Bytes big = Encode();
  const std::size_t end = U32(big, 0xFC);
  EXPECT_EQ(big.size(), end + 4 + 2 + 26 * 4 + 10);
  EXPECT_EQ(Slice(big, big.size() - 10, big.size()),
            (Bytes{0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x01}));
  Read("xxx", big);
  EXPECT_EQ(dlg.m_threads.size(), 26u);
}

TEST_F(XxxWriterTest, MoreColoursThanTheCountHoldsAreRefused) {
  std::vector<Record> design{{1, 1, KIND_STITCH}};
  design.insert(design.end(), 65534, {1, 1, KIND_COLOR});
  LoadDesign(design, FORMAT_DST);
  EXPECT_FALSE(EncodeXxx(dlg, {}).Refused());  // 65535 blocks: the count's largest value
  design.push_back({1, 1, KIND_COLOR});
  LoadDesign(design, FORMAT_DST);
  EXPECT_EQ(EncodeXxx(dlg, {}).refusal, "Mehr als 65535 Farben, Konvertierung abgebrochen");
}

// Real files written again: the records and colours they had, the header
// fields the digitizer files carry, and a second pass of the same bytes.
TEST_F(XxxWriterTest, CorpusFilesWriteBackWithTheirRecordsAndColours) {
  const auto files = CorpusFiles("xxx");
  SKIP_WITHOUT_CORPUS(files);
  for (const auto& path : files) {
    const Bytes source = ReadFileBytes(path);
    Read("xxx", source);
    std::vector<Record> records = DecodedAfter(2);
    // A design that starts with a stitch away from the origin is written
    // with a move to it first.
    if (!records.empty() && records[0].kind == KIND_STITCH && (records[0].x || records[0].y))
      records.insert(records.begin(), {records[0].x, records[0].y, KIND_MOVE});
    std::vector<COLORREF> colors;
    for (const CThread& t : dlg.m_threads) colors.push_back(t.color);
    const Bytes written = Encode();
    // Width and height as the digitizer files give them (PEmbroider's
    // writer leaves its own values there).
    if (path.filename().string().rfind("PEmbroider", 0) != 0) {
      EXPECT_EQ(U16(written, 0x2D), U16(source, 0x2D)) << path.filename();
      EXPECT_EQ(U16(written, 0x2F), U16(source, 0x2F)) << path.filename();
    }
    Read("xxx", written);
    EXPECT_EQ(DecodedAfter(2), records) << path.filename();
    std::vector<COLORREF> back;
    for (const CThread& t : dlg.m_threads) back.push_back(t.color);
    EXPECT_EQ(back, colors) << path.filename();
    EXPECT_TRUE(Encode() == written) << path.filename();
  }
}
