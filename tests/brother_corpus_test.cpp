// Real PES and PEC files of the shared corpus: each loads whole, and each cut
// to every sixteenth of its length loads into a consistent design whose
// records begin those of the whole file.
#include "tests/test_support.h"

namespace {

struct Reader {
  const char* extension;
  void (CViewerDlg::*read)(int);
};

const Reader kReaders[] = {{"pes", &CViewerDlg::ReadPes}, {"pec", &CViewerDlg::ReadPec}};

}  // namespace

class BrotherCorpusTest : public ViewerTest {
 protected:
  // Checks what every load must leave: one end record, counts that match
  // the records, a loaded Brother design.
  void ExpectConsistent(const std::string& what) {
    const auto records = Records();
    ASSERT_EQ(records.back().kind, KIND_END) << what;
    int stitches = 0, colors = 1;
    for (const Record& r : records) {
      stitches += r.kind == KIND_STITCH || r.kind == KIND_MOVE;
      colors += r.kind == KIND_COLOR;
    }
    EXPECT_EQ(dlg.m_nStitchCount, stitches - 1) << what;  // record 1 is not counted
    EXPECT_EQ(dlg.m_nColorCount, colors) << what;
    EXPECT_EQ(dlg.m_nFormat, 1) << what;
    EXPECT_EQ(dlg.m_bLoaded, TRUE) << what;
  }
};

TEST_F(BrotherCorpusTest, WholeFilesLoadWithStitches) {
  bool any = false;
  int thumbnails = 0;
  for (const Reader& reader : kReaders) {
    for (const auto& file : CorpusFiles(reader.extension)) {
      any = true;
      Read(reader.read, ReadFileBytes(file));
      ExpectConsistent(file.string());
      EXPECT_GT(dlg.m_nStitchCount, 0) << file;
      // Some writers leave the thumbnail offset blank; those files show none.
      thumbnails += dlg.m_bHasThumbnail;
      EXPECT_NE(Info(IDC_INFO_FORMAT), "") << file;
      EXPECT_NE(Info(IDC_INFO_COLORS), "") << file;
    }
  }
  if (!any) GTEST_SKIP() << "corpus folder not present";
  EXPECT_GT(thumbnails, 0);
}

TEST_F(BrotherCorpusTest, EverySixteenthCutLoadsAPrefixOfTheDesign) {
  bool any = false;
  for (const Reader& reader : kReaders) {
    for (const auto& file : CorpusFiles(reader.extension)) {
      any = true;
      const Bytes bytes = ReadFileBytes(file);
      Read(reader.read, bytes);
      const auto whole = Records();
      const bool multiPart = Info(IDC_INFO_COLORS).rfind("Teile:", 0) == 0;
      for (int k = 0; k < 16; ++k) {
        const std::size_t len = bytes.size() * k / 16;
        const std::string what = file.filename().string() + " cut at " + std::to_string(len);
        // A fresh buffer of exactly the cut's length, so that a read past
        // the end is a sanitizer finding.
        dlg.m_fileData.assign(bytes.begin(), bytes.begin() + static_cast<long>(len));
        (dlg.*reader.read)(static_cast<int>(len));
        ExpectConsistent(what);
        if (multiPart) continue;
        // A cut design is the whole design's records up to where the data
        // stops (records 0 and 1 included).
        const auto cut = Records();
        ASSERT_LE(cut.size(), whole.size()) << what;
        EXPECT_TRUE(std::equal(cut.begin(), cut.end() - 1, whole.begin())) << what;
      }
    }
  }
  if (!any) GTEST_SKIP() << "corpus folder not present";
}
