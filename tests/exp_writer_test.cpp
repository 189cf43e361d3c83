// The EXP writer: record encoding, long steps cut along their line, and
// files read and written again.
#include <cstdlib>

#include "export/exp_writer.h"
#include "tests/test_support.h"

namespace {

// Each record's movement as the file gives it, Y turned to the design's
// direction: 2-byte stitches and the 4-byte 80 xx commands (kind by code).
std::vector<Record> FileSteps(const Bytes& file) {
  auto s8 = [](std::uint8_t b) { return static_cast<int>(static_cast<std::int8_t>(b)); };
  std::vector<Record> steps;
  for (std::size_t p = 0; p + 1 < file.size();) {
    if (file[p] != 0x80) {
      steps.push_back({s8(file[p]), -s8(file[p + 1]), KIND_STITCH});
      p += 2;
      continue;
    }
    if (p + 3 >= file.size()) break;
    const int code = file[p + 1];
    steps.push_back({s8(file[p + 2]), -s8(file[p + 3]), code == 0x04 ? KIND_MOVE : code == 0x01 ? KIND_COLOR : -1});
    p += 4;
  }
  return steps;
}

}  // namespace

class ExpWriterTest : public ViewerTest {
 protected:
  Bytes Encode() {
    const CEncoded encoded = EncodeExp(dlg, {});
    EXPECT_FALSE(encoded.Refused());
    return encoded.bytes;
  }
  // The design's own records, after records 0 and 1.
  std::vector<Record> Own() { return DecodedAfter(2); }
};

TEST_F(ExpWriterTest, RecordsInTheFilesOrderAndCodes) {
  LoadDesign({{30, -40, KIND_STITCH}, {35, -38, KIND_STITCH}, {35, -38, KIND_COLOR}, {-100, 50, KIND_MOVE},
              {-95, 52, KIND_STITCH}},
             FORMAT_DST);
  EXPECT_EQ(Encode(), (Bytes{0x80, 0x04, 0x1E, 0x28,   // lead-in move (+30, -40), Y up
                             0x00, 0x00,               // the first stitch, where the move ends
                             0x05, 0xFE,               // stitch (+5, +2)
                             0x80, 0x01, 0x00, 0x00,   // colour change
                             0x80, 0x04, 0xBC, 0xD4,   // move (-135, +88) in two: (-68, +44)
                             0x80, 0x04, 0xBD, 0xD4,   //   and (-67, +44)
                             0x05, 0xFE}));            // stitch (+5, +2)
  // No stitch or move at the origin first: the first record is the stitch.
  LoadDesign({{0, 0, KIND_STITCH}, {-1, 1, KIND_STITCH}}, FORMAT_DST);
  EXPECT_EQ(Encode(), (Bytes{0x00, 0x00, 0xFF, 0xFF}));
  // A design without records is an empty file, not a refusal.
  LoadDesign({}, FORMAT_DST);
  EXPECT_EQ(Encode(), Bytes{});
}

TEST_F(ExpWriterTest, LongStepsInPiecesOfAtMost127AlongTheirLine) {
  auto split = [&](int dx, int dy, int kind) {
    LoadDesign({{0, 0, KIND_STITCH}, {dx, dy, kind}}, FORMAT_DST);
    std::vector<Record> steps = FileSteps(Encode());
    steps.erase(steps.begin());  // the stitch at the origin
    return steps;
  };
  using Steps = std::vector<Record>;
  EXPECT_EQ(split(127, -127, KIND_STITCH), (Steps{{127, -127, KIND_STITCH}}));
  EXPECT_EQ(split(128, 0, KIND_STITCH), (Steps(2, {64, 0, KIND_STITCH})));
  EXPECT_EQ(split(0, 128, KIND_STITCH), (Steps(2, {0, 64, KIND_STITCH})));
  EXPECT_EQ(split(300, 0, KIND_STITCH), (Steps(3, {100, 0, KIND_STITCH})));
  EXPECT_EQ(split(300, 0, KIND_MOVE), (Steps(3, {100, 0, KIND_MOVE})));
  // Thirds of (-260, 10) are (-86.7, 3.3): rounded, the pieces still add up.
  EXPECT_EQ(split(-260, 10, KIND_MOVE), (Steps{{-87, 3, KIND_MOVE}, {-86, 4, KIND_MOVE}, {-87, 3, KIND_MOVE}}));

  // The 16-bit extremes: every piece within one record, on the step's line,
  // the sum exact, and the file reads back to the same design.
  const Steps far = split(32767, -32768, KIND_STITCH);
  ASSERT_EQ(far.size(), 259u);
  long long x = 0, y = 0;
  for (const Record& s : far) {
    ASSERT_EQ(s.kind, KIND_STITCH);
    EXPECT_LE(std::abs(s.x), 127);
    EXPECT_LE(std::abs(s.y), 127);
    x += s.x;
    y += s.y;
    EXPECT_LE(std::llabs(x * 32768 + y * 32767), 32768LL) << x << ", " << y;  // within a unit of the line
  }
  EXPECT_EQ(x, 32767);
  EXPECT_EQ(y, -32768);
  const Bytes file = Encode();
  Read("exp", file);
  EXPECT_EQ(Own().back(), (Record{32767, -32768, KIND_STITCH}));
}

TEST_F(ExpWriterTest, EveryStepOfOneRecordIsOneRecord) {
  // Steps of -127..127 on both axes: one record each, the escape byte 0x80
  // in no stitch, and read back the same design.
  std::vector<Record> design;
  int px = 0, py = 0;
  for (int v = -127; v <= 127; ++v) {
    px += v;
    py -= v;
    design.push_back({px, py, KIND_STITCH});
  }
  LoadDesign(design, FORMAT_DST);
  const std::vector<Record> steps = FileSteps(Encode());
  ASSERT_EQ(steps.size(), design.size() + 1);  // and the lead-in move
  EXPECT_EQ(steps[0], (Record{-127, 127, KIND_MOVE}));
  for (std::size_t i = 2; i < steps.size(); ++i)
    EXPECT_EQ(steps[i], (Record{static_cast<int>(i) - 128, 128 - static_cast<int>(i), KIND_STITCH}));
  Read("exp", Encode());
  design.insert(design.begin(), {-127, 127, KIND_MOVE});
  EXPECT_EQ(Own(), design);
}

// Real files written again: the same bytes, the old jump code 80 02 written
// as 80 04; read back, the same records.
TEST_F(ExpWriterTest, CorpusFilesWriteBackAsTheyCame) {
  const auto files = CorpusFiles("exp");
  SKIP_WITHOUT_CORPUS(files);
  for (const auto& path : files) {
    Bytes source = ReadFileBytes(path);
    Read("exp", source);
    const std::vector<Record> records = Own();
    const Bytes written = Encode();
    for (std::size_t p = 0; p + 3 < source.size(); p += source[p] == 0x80 ? 4 : 2)
      if (source[p] == 0x80 && source[p + 1] == 0x02) source[p + 1] = 0x04;
    EXPECT_TRUE(written == source) << path.filename();
    Read("exp", written);
    EXPECT_EQ(Own(), records) << path.filename();
  }
}
