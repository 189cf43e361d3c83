// The PHC and PHB readers, from files laid out as the format sheet gives
// them (tests/phc_fixture.h).
#include <algorithm>

#include "tests/phc_fixture.h"

class PhcReaderTest : public ViewerTest, public ::testing::WithParamInterface<bool> {
 protected:
  bool Phb() const { return GetParam(); }
  const char* Ext() const { return Phb() ? "phb" : "phc"; }
  PhcLayout Layout() const {
    PhcLayout s;
    s.phb = Phb();
    return s;
  }
  std::vector<Record> Decoded() { return DecodedAfter(2); }
};

TEST_P(PhcReaderTest, TheChainLeadsToThePecRecordsAfterTheLeadIn) {
  PhcLayout s = Layout();
  s.colors = {28, 29};
  s.text = "LA:Stern";
  s.stitches = {0x0A, 0x76,        // (10, -10)
                0xFE, 0xB0, 0x01,  // colour change
                0x90, 0x64, 0x00,  // long-form jump: (110, -10)
                0x01, 0x02,        // (111, -8)
                0xFF};             // the lone end byte of these files
  Read(Ext(), PhcFile(s));
  // The lead-in jump (90 00 90 00) is not a record: decoding starts after it.
  EXPECT_EQ(Decoded(), (std::vector<Record>{{10, -10, KIND_STITCH},
                                            {10, -10, KIND_COLOR},
                                            {110, -10, KIND_MOVE},
                                            {111, -8, KIND_STITCH}}));
  EXPECT_EQ(dlg.m_nFormat, FORMAT_BROTHER);
  EXPECT_EQ(std::vector<int>(dlg.m_blockColor, dlg.m_blockColor + 3), (std::vector<int>{28, 29, 0}));
  ASSERT_EQ(dlg.m_threads.size(), 2u);
  EXPECT_EQ(dlg.m_threads[1].name, "White");
  EXPECT_EQ(dlg.m_strLabel, "Stern");
  EXPECT_EQ(InfoTexts(), (std::vector<std::string>{Phb() ? "BROTHER-PHB" : "BROTHER-PHC", "Farben:  2",
                                                   "Breite:  10.1 mm", "H\xC3\xB6he:  0.2 mm", "Stiche: 3"}));
  // The copyright line is no name.
  Read(Ext(), PhcFile(Layout()));
  EXPECT_EQ(dlg.m_strLabel, "");
  EXPECT_EQ(Decoded(), (std::vector<Record>{{10, 10, KIND_STITCH}, {30, 10, KIND_STITCH}}));
}

TEST_P(PhcReaderTest, ThePicturesOfAllBlocksMakeTheThumbnail) {
  PhcLayout s = Layout();
  s.colors = {5, 6, 7};
  s.pictures = {{0x01}, std::vector<unsigned>(228, 0), std::vector<unsigned>(228, 0)};
  s.pictures[1][227] = 0x80;  // bottom-right pixel of block 1's picture
  s.pictures[2][6] = 0x03;    // second row of block 2's
  Read(Ext(), PhcFile(s));
  ASSERT_EQ(dlg.m_bHasThumbnail, TRUE);
  std::vector<std::uint8_t> want(228, 0);
  want[0] = 0x01;
  want[227] = 0x80;
  want[6] = 0x03;
  EXPECT_EQ(std::vector<std::uint8_t>(std::begin(dlg.m_thumbnail), std::end(dlg.m_thumbnail)), want);

  // No colour, no picture; and a count whose pictures pass the file's end.
  s.colors.clear();
  Read(Ext(), PhcFile(s));
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  Bytes many = PhcFile(Layout());
  many[Phb() ? 0x71 : 0x4D] = 0xFF;
  many[Phb() ? 0x72 : 0x4E] = 0xFF;
  Read(Ext(), many);
  EXPECT_EQ(dlg.m_bHasThumbnail, FALSE);
  EXPECT_EQ(dlg.m_threads.size(), many.size() - (Phb() ? 0x73 : 0x4F));  // the indices inside the file
}

TEST_P(PhcReaderTest, EveryLinkIsCheckedBeforeItIsFollowed) {
  PhcOffsets at{};
  const Bytes good = PhcFile(Layout(), &at);
  auto with = [&](std::size_t field, std::uint32_t value) {
    Bytes b = good;
    for (int i = 0; i < 4; ++i) b[field + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    return b;
  };
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const std::uint32_t base = Phb() ? 0x52 : 0x2E;
  const Case broken[] = {
      {"L0 to before its own field", with(at.l0, 0)},
      {"L0 past the file", with(at.l0, 0xFFFFFFFF)},
      {"A's last 8 bytes past the file", with(at.l0, static_cast<std::uint32_t>(good.size() - 7 - base))},
      {"SA past the file", with(at.a, 0xFFFFFFFF)},
      {"SB zero: C is B", with(at.b, 0)},
      {"SB past the file", with(at.b, 0xFFFFFFF0)},
      {"n2 taking Ls past the file", [&] { Bytes b = good; b[at.c + 14] = 0xFF; return b; }()},
      {"Ls zero", with(at.ls, 0)},
      {"Ls ending before the first record", with(at.ls, Phb() ? 17 : 25)},
  };
  for (const Case& c : broken) {
    Read(Ext(), c.bytes);
    EXPECT_EQ(Records().size(), 3u) << c.what;
    EXPECT_EQ(dlg.m_threads.size(), 1u) << c.what;  // the header's colours stay
    EXPECT_EQ(dlg.m_bHasThumbnail, TRUE) << c.what;
  }
  // An Ls past the file's end: the records the file holds.
  Read(Ext(), with(at.ls, 0xFFFFFFFF));
  EXPECT_EQ(Decoded(), (std::vector<Record>{{10, 10, KIND_STITCH}, {30, 10, KIND_STITCH}}));
  // The first record sits at P0 + 25 (PHC) or + 17 (PHB), whatever the
  // block's other bytes say.
  Bytes moved = good;
  moved[at.p0 + (Phb() ? 16 : 24)] = 0x7F;  // the lead-in's last byte
  Read(Ext(), moved);
  EXPECT_EQ(Decoded(), (std::vector<Record>{{10, 10, KIND_STITCH}, {30, 10, KIND_STITCH}}));
}

INSTANTIATE_TEST_SUITE_P(Formats, PhcReaderTest, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "phb" : "phc"); });
