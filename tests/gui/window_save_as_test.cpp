// "Speichern unter..." in the window on Qt's offscreen platform: the context
// menu entry and Ctrl+S, one choice per written format, the file of the
// chosen format, refusals and the overwrite question; the two buttons as
// they were.
#include <QComboBox>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <filesystem>
#include <tuple>

#include "fuzz/sewing_compare.h"
#include "platform/qt/file_filter.h"
#include "tests/gui/window_fixture.h"

namespace {

// Chooses "Speichern unter..." in the context menu once it opens.
void ChooseSaveAs(QKeySequence* shortcut = nullptr) {
  WhenShown<QMenu>([shortcut](QMenu* menu) {
    QAction* entry = menu->actions().value(0);
    if (!entry) return false;
    EXPECT_EQ(entry->text(), "Speichern unter...");
    if (shortcut) *shortcut = entry->shortcut();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    return true;
  });
}

// Answers the save dialog as a user does: the choice (0-based) picked with
// the keys in the dialog's list of types, then the name typed; or, with
// typedFirst, the name typed first.
void AnswerSaveDialog(int choice, const QString& name, QStringList* filters = nullptr, bool typedFirst = false) {
  WhenShown<QFileDialog>([=](QFileDialog* d) {
    if (filters) *filters = d->nameFilters();
    auto* types = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    EXPECT_NE(types, nullptr);
    if (!types) return false;
    if (typedFirst) d->selectFile(name);
    QTest::keyClick(types, Qt::Key_Home);
    for (int i = 0; i < choice; ++i) QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(NameFilterIndex(d->nameFilters(), d->selectedNameFilter()), choice);
    if (!typedFirst) d->selectFile(name);
    QTimer::singleShot(0, d, [d] { static_cast<QDialog*>(d)->accept(); });
    return true;
  });
}

}  // namespace

class SaveAsWindowTest : public WindowTest {
 protected:
  void OpenMenu() {
    QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(5, 5), window->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(window->Control(IDC_PREVIEW), &right);
  }
  void SetUp() override {
    before = QDir::currentPath();
    QDir::setCurrent(Q(temp.path().string()));
  }
  void TearDown() override { QDir::setCurrent(before); }
  // Ctrl+S as the window system delivers it, to the window once it is
  // active again after the boxes before.
  void PressCtrlS() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->windowHandle(), Qt::Key_S, Qt::ControlModifier);
  }
  QString before;
};

TEST_F(SaveAsWindowTest, EveryWrittenFormatFromTheMenuAndByCtrlS) {
  LoadLDesign();
  const std::vector<SewingStep> source = SewingSteps(dlg);
  QKeySequence shortcut;
  QStringList filters;
  int choice = 0;
  for (const FormatEntry& format : Formats()) {
    if (!format.encode) continue;
    const std::string stem = std::string("kopie_") + format.name;
    ChooseSaveAs(&shortcut);
    AnswerSaveDialog(choice++, Q(stem), &filters);
    OpenMenu();
    // A bare name gets the chosen format's extension, and holds that format.
    const auto written = temp.path() / (stem + "." + format.name);
    ASSERT_TRUE(std::filesystem::exists(written)) << written;
    CHeadlessViewer back;
    ASSERT_EQ(back.Load(written.string()), LoadOutcome::loaded);
    EXPECT_EQ(back.dlg.m_nFormat, format.code) << format.name;
    EXPECT_EQ(SewingDifference(source, SewingSteps(back.dlg), format.code == FORMAT_PCS ? 2 : 0,
                               format.code == FORMAT_SEW),
              "")
        << format.name;
  }
  // One choice per written format, in the table's order, named by maker.
  QStringList labels, want;
  for (const QString& f : filters) labels << NameFilterLabel(f);
  for (const FormatEntry& format : Formats())
    if (format.encode) want << Q(SaveFilterOf(format)).section(QLatin1Char('|'), 0, 0);
  EXPECT_EQ(labels.size(), choice);
  EXPECT_EQ(labels, want);
  EXPECT_EQ(labels.mid(0, 5), (QStringList{"Brother (*.pes)", "Brother (*.pec)", "Tajima (*.dst)", "Pfaff (*.pcs)",
                                          "Janome (*.sew)"}));
  EXPECT_EQ(shortcut, QKeySequence(QStringLiteral("Ctrl+S")));

  // Ctrl+S opens the same dialog; a typed extension of a written format wins
  // over the choice.
  AnswerSaveDialog(0, QStringLiteral("getippt.pcs"));
  PressCtrlS();
  const Bytes typed = ReadFileBytes(temp.path() / "getippt.pcs");
  ASSERT_FALSE(typed.empty());
  EXPECT_EQ(typed[0], 0x32);
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::written);

  // A name typed before the choice changes takes the new choice's extension.
  AnswerSaveDialog(4, QStringLiteral("vorher.dst"), nullptr, /*typedFirst=*/true);
  PressCtrlS();
  EXPECT_TRUE(std::filesystem::exists(temp.path() / "vorher.sew"));
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "vorher.dst"));
}

TEST_F(SaveAsWindowTest, RefusalAndOverwriteQuestionAsTheButtonsShowThem) {
  // Nothing loaded yet: the plain box, no dialog.
  auto box = ExpectBox();
  PressCtrlS();
  EXPECT_EQ(box->count, 1);
  EXPECT_EQ(box->icon, QMessageBox::NoIcon);
  EXPECT_EQ(box->text, "Noch keine g\xC3\xBCltigen Daten geladen !");

  // Thirteen colours: SEW refuses, no file.
  ByteBuilder many;
  many.fill(512, ' ');
  for (int i = 0; i < 13; ++i) many.bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xC3});
  many.bytes({0x01, 0x00, 0x03, 0x00, 0x00, 0xF3});
  Drop({temp.Write("bunt.dst", many)});
  AnswerSaveDialog(4, QStringLiteral("bunt"));
  box = ExpectBox();
  PressCtrlS();
  EXPECT_EQ(box->text, "Mehr als 12 Farben, Konvertierung abgebrochen");
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "bunt.sew"));
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::refused);

  // An existing file: the dialog asks first; "No" keeps it.
  const std::string existing = temp.Write("da.pes", Bytes(7, 1));
  bool asked = false;
  AnswerSaveDialog(0, QStringLiteral("da.pes"));
  WhenShown<QMessageBox>([&](QMessageBox* question) {
    asked = question->text().contains("da.pes");
    question->button(QMessageBox::No)->click();
    return true;
  });
  CancelFileDialogAfter(asked);
  PressCtrlS();
  EXPECT_TRUE(asked);
  EXPECT_EQ(ReadFileBytes(existing), Bytes(7, 1));
  EXPECT_EQ(dlg.LastSaveOutcome(), SaveOutcome::cancelled);
}

TEST_F(SaveAsWindowTest, TheTwoButtonsKeepTheirTextsAndDialogs) {
  EXPECT_EQ(Widget<QPushButton>(IDC_SAVE_DST)->text(), "&Tajima");
  EXPECT_EQ(Widget<QPushButton>(IDC_SAVE_PCS)->text(), "&Pfaff");
  LoadLDesign();
  for (const auto& [id, filter, suffix] :
       {std::tuple{IDC_SAVE_DST, "TAJIMA-File (*.dst) (*.[dD][sS][tT])", "DST"},
        std::tuple{IDC_SAVE_PCS, "Pfaff-Home (*.pcs) (*.[pP][cC][sS])", "PCS"}}) {
    QStringList filters;
    QString shownSuffix;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
      filters = d->nameFilters();
      shownSuffix = d->defaultSuffix();
      d->selectFile(QStringLiteral("knopf"));
      static_cast<QDialog*>(d)->accept();
      return true;
    });
    Click(id);
    EXPECT_EQ(filters, QStringList{filter});
    EXPECT_EQ(shownSuffix, suffix);
    EXPECT_TRUE(std::filesystem::exists(temp.path() / ("knopf." + std::string(suffix))));
  }
}
