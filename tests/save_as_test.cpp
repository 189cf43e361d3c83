// "Speichern unter..." on the headless platform: its menu entry, the save
// dialog it asks for, which format it writes for a choice or a typed
// extension, and its refusals, cancels and file errors.
#include "app/resource.h"
#include "tests/test_support.h"

namespace {

class SaveAsTest : public ViewerTest {
 protected:
  // A DST design of three stitches and the given colour changes, loaded as name.
  void LoadDst(const std::string& name, int colorChanges = 0) {
    ByteBuilder b;
    b.fill(512, ' ');
    for (int i = 0; i < 3; ++i) b.bytes({0x01, 0x00, 0x03});
    for (int i = 0; i < colorChanges; ++i) b.bytes({0x00, 0x00, 0xC3, 0x01, 0x00, 0x03});
    b.bytes({0x00, 0x00, 0xF3});
    ASSERT_EQ(Load(b, name), LoadOutcome::loaded);
  }
  // Runs the menu command with the dialog answered; the file's bytes.
  Bytes SaveAs(const std::string& name, int filterIndex) {
    const std::string path = (dir.path() / name).string();
    platform.saveAnswers = {{true, path, filterIndex}};
    dlg.OnSysCommand(IDM_SAVE_AS, 0);
    return std::filesystem::exists(path) ? ReadFileBytes(path) : Bytes{};
  }
  static std::string Head(const Bytes& b, std::size_t n) {
    return std::string(b.begin(), b.begin() + static_cast<long>(std::min(n, b.size())));
  }
  TempDir dir;
};

}  // namespace

TEST_F(SaveAsTest, MenuEntryAndTheDialogOfEveryWrittenFormat) {
  ASSERT_GE(platform.menuEntries.size(), 1u);
  EXPECT_EQ(platform.menuEntries[0].commandId, IDM_SAVE_AS);
  EXPECT_EQ(platform.menuEntries[0].text, "Speichern unter...");
  EXPECT_EQ(platform.menuEntries[0].shortcut, "Ctrl+S");

  // Nothing loaded: the buttons' box, no dialog.
  EXPECT_TRUE(SaveAs("leer.pes", 1).empty());
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Noch keine g\xC3\xBCltigen Daten geladen !"});
  EXPECT_TRUE(platform.saveRequests.empty());

  LoadDst("Garten.sew.dst");
  SaveAs("x", 0);
  ASSERT_EQ(platform.saveRequests.size(), 1u);
  const SaveFileRequest& asked = platform.saveRequests[0];
  EXPECT_EQ(asked.filter,
            "Brother (*.pes)|*.pes|Brother (*.pec)|*.pec|Tajima (*.dst)|*.dst|Pfaff (*.pcs)|*.pcs|"
            "Janome (*.sew)|*.sew|Janome (*.jef)|*.jef|Husqvarna (*.vp3)|*.vp3|Melco (*.exp)|*.exp|"
            "Singer (*.xxx)|*.xxx||");
  // The loaded file's own format is chosen first.
  EXPECT_EQ(asked.filterIndex, 3);
  EXPECT_EQ(asked.defaultExt, "dst");
  EXPECT_EQ(asked.defaultName, "Garten.sew");
  EXPECT_TRUE(asked.overwritePrompt);
}

TEST_F(SaveAsTest, TheChoiceOrATypedExtensionNamesTheFormat) {
  LoadDst("rose.dst");
  // Each choice writes its format; a bare name is written as given.
  EXPECT_EQ(Head(SaveAs("a", 1), 8), "#PES0001");
  EXPECT_EQ(Head(SaveAs("b", 2), 8), "#PEC0001");
  EXPECT_EQ(Head(SaveAs("c", 3), 3), "LA:");
  EXPECT_EQ(SaveAs("d", 4).at(0), 0x32);
  // The opening, the move of (174, 99) to the placed design in two pieces,
  // three stitches, the end.
  EXPECT_EQ(SaveAs("e", 5).size(), 0x1D78u + 4 + 8 + 6 + 2);
  // An extension that names a written format wins, in any case; another
  // extension leaves the choice.
  EXPECT_EQ(Head(SaveAs("f.PEC", 1), 8), "#PEC0001");
  EXPECT_EQ(Head(SaveAs("g.pes", 5), 8), "#PES0001");
  EXPECT_EQ(Head(SaveAs("h.txt", 2), 8), "#PEC0001");
  // A dialog that does not say its choice: the one it was opened with.
  EXPECT_EQ(Head(SaveAs("i", 0), 3), "LA:");

  // The label is the chosen file's name where the design has none.
  Read("sew", SaveAs("j", 5));
  const Bytes pes = SaveAs("Wiesenblume.pes", 3);
  EXPECT_EQ(std::string(pes.begin() + 25, pes.begin() + 41), "Wiesenbl        ");
}

TEST_F(SaveAsTest, RefusalCancelAndFileErrorsAsTheButtonsShowThem) {
  LoadDst("bunt.dst", 12);
  EXPECT_TRUE(SaveAs("bunt.sew", 1).empty());
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::refused);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Mehr als 12 Farben, Konvertierung abgebrochen"});

  const std::string kept = dir.Write("alt.pes", Bytes{'a', 'l', 't'});
  platform.saveAnswers = {{false, kept, 1}};
  dlg.OnSaveAs();
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::cancelled);
  EXPECT_EQ(ReadFileBytes(kept), (Bytes{'a', 'l', 't'}));

  const std::string missing = (dir.path() / "fehlt" / "x.pes").string();
  platform.saveAnswers = {{true, missing, 1}};
  dlg.OnSaveAs();
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::failed);
  ASSERT_EQ(platform.notices.size(), 1u);
  EXPECT_EQ(platform.notices[0], missing + " enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe.");

  // The two buttons keep their own dialogs.
  platform.saveAnswers.clear();
  dlg.OnSaveDst();
  dlg.OnSavePcs();
  ASSERT_EQ(platform.saveRequests.size(), 5u);
  EXPECT_EQ(platform.saveRequests[3].filter, "TAJIMA-File (*.dst)|*.dst");
  EXPECT_EQ(platform.saveRequests[3].defaultExt, "DST");
  EXPECT_EQ(platform.saveRequests[4].filter, "Pfaff-Home (*.pcs)|*.pcs");
  EXPECT_EQ(platform.saveRequests[4].defaultExt, "PCS");
}
