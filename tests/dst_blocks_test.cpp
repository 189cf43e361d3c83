// The DST reader decodes runs of plain stitches sixteen at a time and every
// other record one by one. Whatever the mix, the design must be the one a
// record-by-record decoding of the bit table gives: checked here against
// such a decoding on generated files.
#include <random>

#include "tests/test_support.h"

namespace {

struct Decoded {
  std::vector<Record> records;
  int stitches = 0, colors = 1;
  int minX = 1000, maxX = -1000, minY = 1000, maxY = -1000;
};

// One bit at a time, as the format lists them: the weight and the axis of
// each bit of b0, b1 and b2 (dy counts up, the design's Y down).
Decoded Reference(const Bytes& file) {
  static const int kDx[3][8] = {{1, -1, 9, -9, 0, 0, 0, 0}, {3, -3, 27, -27, 0, 0, 0, 0}, {0, 0, 81, -81, 0, 0, 0, 0}};
  static const int kDy[3][8] = {{0, 0, 0, 0, -9, 9, -1, 1}, {0, 0, 0, 0, -27, 27, -3, 3}, {0, 0, 0, 0, -81, 81, 0, 0}};
  Decoded d;
  d.records = {{0, 0, KIND_ORIGIN}, {0, 0, KIND_STITCH}};
  std::int16_t x = 0, y = 0;
  for (std::size_t off = 512; off + 3 <= file.size(); off += 3) {
    const std::uint8_t b2 = file[off + 2];
    if (b2 == 0xF3) break;
    if ((b2 & 0xC0) == 0xC0) {
      d.records.push_back({x, y, KIND_COLOR});
      ++d.colors;
      continue;
    }
    int dx = 0, dy = 0;
    for (int byte = 0; byte < 3; ++byte)
      for (int bit = 0; bit < 8; ++bit)
        if (file[off + byte] & (1 << bit)) {
          dx += kDx[byte][bit];
          dy += kDy[byte][bit];
        }
    x = static_cast<std::int16_t>(x + dx);
    y = static_cast<std::int16_t>(y - dy);
    d.records.push_back({x, y, (b2 & 0xC0) == 0x80 ? KIND_MOVE : KIND_STITCH});
    ++d.stitches;
    d.minX = std::min<int>(d.minX, x);
    d.maxX = std::max<int>(d.maxX, x);
    d.minY = std::min<int>(d.minY, y);
    d.maxY = std::max<int>(d.maxY, y);
  }
  d.records.push_back({END_MARK, END_MARK, KIND_END});
  return d;
}

// records plain stitches with every bit pattern, one in `special` of them
// a jump, a colour change or (rarely) an end; extra bytes cut off a record.
Bytes Generated(std::mt19937& rng, int records, int special, int extra, bool drift) {
  ByteBuilder b;
  b.fill(512, ' ');
  for (int i = 0; i < records; ++i) {
    const unsigned r = rng();
    unsigned b0 = r & 0xFF, b1 = (r >> 8) & 0xFF, b2 = (r >> 16) & 0x7F;
    // Far moves in one direction carry the position past 16 bits.
    if (drift) b0 = 0x05, b1 = 0x05, b2 = 0x07;
    if (special && rng() % special == 0) {
      switch (rng() % 7) {
        case 0: b2 = 0x80 | (b2 & 0x3F); break;       // jump with a move
        case 1: b2 = 0x83; break;                     // jump in place
        case 2: b2 = 0xC3; break;
        case 3: b2 = 0xC0 | (rng() % 0x40); break;   // colour change (or end at 0xF3)
        case 4: if (rng() % 50 == 0) b2 = 0xF3; break;
        default: break;
      }
    }
    b.bytes({b0, b1, b2});
  }
  for (int i = 0; i < extra; ++i) b.u8(0x03);
  return b;
}

}  // namespace

class DstBlocksTest : public ViewerTest {
 protected:
  void ExpectSameAsReference(const Bytes& file, const std::string& what) {
    Read("dst", file);
    const Decoded want = Reference(file);
    ASSERT_EQ(Records().size(), want.records.size()) << what;
    EXPECT_EQ(Records(), want.records) << what;
    EXPECT_EQ(dlg.m_nStitchCount, want.stitches) << what;
    EXPECT_EQ(dlg.m_nColorCount, want.colors) << what;
    EXPECT_EQ(dlg.m_nMinX, want.minX) << what;
    EXPECT_EQ(dlg.m_nMaxX, want.maxX) << what;
    EXPECT_EQ(dlg.m_nMinY, want.minY) << what;
    EXPECT_EQ(dlg.m_nMaxY, want.maxY) << what;
    EXPECT_EQ(dlg.m_nWidth, want.maxX - want.minX) << what;
    EXPECT_EQ(dlg.NextRecordIndex() + 1, static_cast<int>(want.records.size())) << what;
  }
};

TEST_F(DstBlocksTest, EveryMixDecodesAsRecordByRecord) {
  std::mt19937 rng(20240);
  // Lengths around the block of 16 and the runs between checks, specials
  // from never to every few records.
  for (int records : {15, 16, 17, 31, 33, 4095, 4096, 4097, 9000}) {
    for (int special : {0, 3, 17, 200}) {
      for (int extra : {0, 2}) {
        ExpectSameAsReference(Generated(rng, records, special, extra, false),
                              std::to_string(records) + " records, 1 in " + std::to_string(special) +
                                  " special, " + std::to_string(extra) + " extra bytes");
      }
    }
  }
}

TEST_F(DstBlocksTest, PositionsWrapInBlocksAsOneByOne) {
  std::mt19937 rng(5);
  ExpectSameAsReference(Generated(rng, 2000, 0, 0, true), "drift");
  ExpectSameAsReference(Generated(rng, 2000, 40, 1, true), "drift with specials");
}

TEST_F(DstBlocksTest, ShorterFileAfterALongerOneEndsAtItsOwnEnd) {
  std::mt19937 rng(9);
  ExpectSameAsReference(Generated(rng, 5000, 0, 0, false), "long");
  ExpectSameAsReference(Generated(rng, 40, 0, 0, false), "short after long");
}

// A colour change carries movement bits that it does not move by. Wherever
// it stands in a block, neither its bits nor the moves after it in the same
// block may reach the positions or the bounds before the block is resumed.
TEST_F(DstBlocksTest, OtherRecordAtEveryPlaceOfABlock) {
  for (int at = 0; at < 70; ++at) {
    ByteBuilder b;
    b.fill(512, ' ');
    for (int i = 0; i < 96; ++i) {
      if (i == at)
        b.bytes({0x05, 0x05, 0xC7});  // colour change with the bits of +121, +121 ...
      else
        b.bytes({i % 2 ? 0x01u : 0x02u, 0x00, 0x03});  // ... among steps of one
    }
    b.bytes({0x00, 0x00, 0xF3});
    ExpectSameAsReference(b, "colour change at record " + std::to_string(at));
    EXPECT_LE(dlg.m_nMaxX, 1);
  }
}
