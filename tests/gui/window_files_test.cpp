// The window's files on Qt's offscreen platform: drops, the file-error
// reports, the open and save dialogs (in German), and the file named at start.
#include <sys/stat.h>
#include <unistd.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <set>

#include "platform/qt/file_filter.h"
#include "tests/gui/window_fixture.h"

TEST_F(WindowTest, DropOfThreeFilesLoadsTheFirst) {
  const std::string first = temp.Write("erste.dst", LDesignDst());
  const std::string second = temp.Write("zweite.dst", ByteBuilder().fill(512, ' ').bytes({0, 0, 0xF3}));
  const std::string third = temp.Write("dritte.pes", Bytes(100, 0));
  Drop({first, second, third});
  EXPECT_EQ(dlg.m_strLoadedPath, first);
  EXPECT_EQ(Widget<QLineEdit>(IDC_FILENAME)->text(), "erste.dst");
  EXPECT_EQ(dlg.m_nStitchCount, 8);
  EXPECT_FALSE(InkBounds(Preview()).isEmpty());
}

TEST_F(WindowTest, FileErrorsShowTheGermanReportAndKeepTheDesign) {
  LoadLDesign();
  const std::vector<std::uint32_t> pixels = Preview().pixels;
  const std::string info = Widget<QLineEdit>(IDC_INFO_STITCHES)->text().toStdString();

  const std::string missing = (temp.path() / "fehlt.dst").string();
  auto box = ExpectBox();
  Drop({missing});
  EXPECT_EQ(box->count, 1);
  EXPECT_EQ(box->title, "Nadelwerk");
  EXPECT_EQ(box->icon, QMessageBox::Warning);
  EXPECT_EQ(box->text, Q(missing + " wurde nicht gefunden."));

  std::filesystem::create_directory(temp.path() / "ordner.dst");
  const std::string folder = (temp.path() / "ordner.dst").string();
  box = ExpectBox();
  Drop({folder});
  EXPECT_EQ(box->text, Q("Zugriff auf " + folder + " wurde verwehrt."));

  // A named pipe is refused at once instead of waiting for a writer.
  const std::string pipe = (temp.path() / "rohr.dst").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  box = ExpectBox();
  Drop({pipe});
  EXPECT_EQ(box->text, Q("Zugriff auf " + pipe + " wurde verwehrt."));

  const std::string inFile = temp.Write("datei", Bytes(4, 0)) + "/innen.dst";
  box = ExpectBox();
  Drop({inFile});
  EXPECT_EQ(box->text, Q(inFile + " enth\xC3\xA4lt eine ung\xC3\xBCltige Pfadangabe."));

  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::fileError);
  EXPECT_EQ(Preview().pixels, pixels);
  EXPECT_EQ(Widget<QLineEdit>(IDC_INFO_STITCHES)->text().toStdString(), info);
  EXPECT_EQ(Widget<QLineEdit>(IDC_FILENAME)->text(), "innen.dst");
}

TEST_F(WindowTest, FileWithoutReadPermissionIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  const std::string locked = temp.Write("gesperrt.dst", LDesignDst());
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  auto box = ExpectBox();
  Drop({locked});
  EXPECT_EQ(box->text, Q("Zugriff auf " + locked + " wurde verwehrt."));
  EXPECT_EQ(dlg.m_bLoaded, FALSE);
}

TEST_F(WindowTest, BrowseOffersTheFiveChoicesInTheCurrentFolder) {
  const std::string path = temp.Write("herz.dst", LDesignDst());
  const QString before = QDir::currentPath();
  QDir::setCurrent(Q(temp.path().string()));
  QStringList filters;
  QString selected, folder;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  WhenShown<QFileDialog>([&](QFileDialog* d) {
    filters = d->nameFilters();
    selected = d->selectedNameFilter();
    folder = d->directory().absolutePath();
    mode = d->fileMode();
    d->selectFile(QStringLiteral("herz.dst"));
    static_cast<QDialog*>(d)->accept();
    return true;
  });
  Click(IDC_BROWSE);
  QDir::setCurrent(before);

  QStringList labels;
  for (const QString& f : filters) labels << NameFilterLabel(f);
  EXPECT_EQ(labels, (QStringList{"Design Files (*.*)", "Brother (PES/PEC/PHC/PHB)", "Tajima (*.dst)",
                                 "Pfaff (PCS/VIP)", "Janome (SEW/JEF)", "Husqvarna (VP3/HUS)", "Melco (*.exp)",
                                 "Singer (*.xxx)"}));
  EXPECT_EQ(selected, labels.value(0));
  EXPECT_EQ(folder, QDir(Q(temp.path().string())).canonicalPath());
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_EQ(std::filesystem::canonical(dlg.m_strLoadedPath), std::filesystem::canonical(path));
  EXPECT_EQ(dlg.m_strLoadedName, "herz.dst");
  EXPECT_EQ(Widget<QLineEdit>(IDC_FILENAME)->text(), "herz.dst");
  EXPECT_EQ(dlg.m_nStitchCount, 8);

  // Cancelling empties the name and leaves the design.
  WhenShown<QFileDialog>([](QFileDialog* d) {
    d->reject();
    return true;
  });
  Click(IDC_BROWSE);
  EXPECT_EQ(Widget<QLineEdit>(IDC_FILENAME)->text(), "");
  EXPECT_EQ(dlg.m_nStitchCount, 8);
}

TEST(FileFilter, PatternsMatchRegardlessOfCase) {
  TempDir dir;
  for (const char* name :
       {"ROSE.PES", "rose.pes", "Rose.PeS", "herz.dst", "STERN.JEF", "Stern.Vp3", "notiz.txt", "x.pesx"})
    dir.Write(name, Bytes(1, 0));
  const QStringList filters = QtNameFilters(OpenFileFilter());
  // All formats together, then one choice per maker.
  std::set<std::string> makers;
  for (const FormatEntry& f : Formats()) makers.insert(f.maker);
  ASSERT_EQ(filters.size(), static_cast<qsizetype>(makers.size() + 1));
  auto listed = [&](const QString& filter) {
    const qsizetype open = filter.lastIndexOf('(');
    const QStringList patterns = filter.mid(open + 1).chopped(1).split(' ');
    QStringList names = QDir(Q(dir.path().string()))
                            .entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name);
    names.sort();
    return names;
  };
  EXPECT_EQ(listed(filters[0]),
            (QStringList{"ROSE.PES", "Rose.PeS", "STERN.JEF", "Stern.Vp3", "herz.dst", "rose.pes"}));
  EXPECT_EQ(listed(filters[2]), (QStringList{"herz.dst"}));

  // The writers' filters have one choice and no closing "||".
  EXPECT_EQ(QtNameFilters("TAJIMA-File (*.dst)|*.dst"),
            (QStringList{"TAJIMA-File (*.dst) (*.[dD][sS][tT])"}));
  EXPECT_TRUE(QtNameFilters("").isEmpty());
  EXPECT_TRUE(QtNameFilters("label only").isEmpty());
}

TEST(StartFile, NamedFileLoadsAsADropWhenTheWindowRuns) {
  TempDir temp;
  const std::string path = temp.Write("start.dst", LDesignDst());
  CQtPlatform platform;
  AfxSetPlatform(&platform);
  platform.DropAtStart({path, "/nicht/da.pes"});
  CViewerDlg dlg(platform);
  QString shownName;
  WhenShown<CDialogWindow>([&](CDialogWindow* w) {
    if (dlg.LastLoadOutcome() == LoadOutcome::none) return false;
    shownName = qobject_cast<QLineEdit*>(w->Control(IDC_FILENAME))->text();
    qobject_cast<QPushButton*>(w->Control(IDOK))->click();
    return true;
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(shownName, "start.dst");
  EXPECT_EQ(dlg.m_nStitchCount, 8);
  EXPECT_EQ(platform.MainWindow(), nullptr);  // the window is gone after the loop
  AfxSetPlatform(nullptr);
}

TEST_F(WindowTest, SaveButtonsUseThePlainBoxAndTheSaveDialog) {
  auto box = ExpectBox();
  Click(IDC_SAVE_DST);
  EXPECT_EQ(box->count, 1);
  EXPECT_EQ(box->title, "Nadelwerk");
  EXPECT_EQ(box->icon, QMessageBox::NoIcon);
  EXPECT_EQ(box->text, "Noch keine g\xC3\xBCltigen Daten geladen !");

  LoadLDesign();
  const int maxX = dlg.m_nMaxX, maxY = dlg.m_nMaxY;
  const QString before = QDir::currentPath();
  QDir::setCurrent(Q(temp.path().string()));
  QString suffix, folder;
  QStringList filters;
  bool saving = false;
  WhenShown<QFileDialog>([&](QFileDialog* d) {
    suffix = d->defaultSuffix();
    folder = d->directory().absolutePath();
    filters = d->nameFilters();
    saving = d->acceptMode() == QFileDialog::AcceptSave;
    d->selectFile(QStringLiteral("kopie"));
    static_cast<QDialog*>(d)->accept();
    return true;
  });
  Click(IDC_SAVE_DST);
  QDir::setCurrent(before);
  EXPECT_TRUE(saving);
  EXPECT_EQ(suffix, "DST");
  EXPECT_EQ(folder, QDir(Q(temp.path().string())).canonicalPath());
  EXPECT_EQ(filters, QStringList{"TAJIMA-File (*.dst) (*.[dD][sS][tT])"});
  // The default suffix completes the name; the file reads back as the design.
  const auto written = temp.path() / "kopie.DST";
  ASSERT_TRUE(std::filesystem::exists(written));
  Drop({written.string()});
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::loaded);
  EXPECT_EQ(dlg.m_nMaxX, maxX);
  EXPECT_EQ(dlg.m_nMaxY, maxY);
}

// Qt's own texts in the dialogs are German, as the program's are (the test
// program installs the translations as the window's main does).
TEST_F(WindowTest, FileDialogsAndTheOverwriteQuestionSpeakGerman) {
  if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
    GTEST_SKIP() << "Qt's German translations are not installed";
  auto plain = [](QAbstractButton* button) { return button ? button->text().remove('&') : QString(); };
  QString open, cancel;
  WhenShown<QFileDialog>([&](QFileDialog* d) {
    auto* buttons = d->findChild<QDialogButtonBox*>();
    open = plain(buttons->button(QDialogButtonBox::Open));
    cancel = plain(buttons->button(QDialogButtonBox::Cancel));
    d->reject();
    return true;
  });
  Click(IDC_BROWSE);
  EXPECT_NE(open, "Open");
  EXPECT_EQ(open, "\xC3\x96" "ffnen");
  EXPECT_EQ(cancel, "Abbrechen");

  // Saving over a file asks first, in German; "Nein" keeps the file.
  LoadLDesign();
  const std::string existing = temp.Write("vorhanden.dst", Bytes(7, 1));
  const QString before = QDir::currentPath();
  QDir::setCurrent(Q(temp.path().string()));
  QString save, question, yes, no;
  bool asked = false;
  WhenShown<QFileDialog>([&](QFileDialog* d) {
    save = plain(d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save));
    d->selectFile(QStringLiteral("vorhanden.dst"));
    QTimer::singleShot(0, d, [d] { static_cast<QDialog*>(d)->accept(); });
    return true;
  });
  WhenShown<QMessageBox>([&](QMessageBox* box) {
    question = box->text();
    yes = plain(box->button(QMessageBox::Yes));
    no = plain(box->button(QMessageBox::No));
    asked = true;
    box->button(QMessageBox::No)->click();
    return true;
  });
  CancelFileDialogAfter(asked);
  Click(IDC_SAVE_DST);
  QDir::setCurrent(before);
  EXPECT_EQ(save, "Speichern");
  EXPECT_TRUE(asked);
  EXPECT_TRUE(question.contains("vorhanden.dst")) << question.toStdString();
  EXPECT_FALSE(question.contains("already exists")) << question.toStdString();
  EXPECT_EQ(yes, "Ja");
  EXPECT_EQ(no, "Nein");
  EXPECT_EQ(ReadFileBytes(existing), Bytes(7, 1));
}
