// The window on Qt's offscreen platform: the widgets built from the template,
// clicks, keys, scroll bars, drops, file dialogs, reports and the about box,
// driven as a user would drive them.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/dialog_templates.h"
#include "framework/version.h"
#include "app/file_loading.h"
#include "platform/qt/file_filter.h"
#include "platform/qt/frame_widget.h"
#include "platform/qt/qt_platform.h"
#include "tests/test_support.h"

namespace {

// A Tajima file: 512 header bytes, then 3-byte records (0x07: 8.1 mm right,
// 0x1B: 8.1 mm left and 8.1 mm down), then the end record. The design is a
// "7": five steps right along the top, then three steps down to the left.
Bytes LDesignDst() {
  ByteBuilder b;
  b.fill(512, ' ');
  for (int i = 0; i < 5; ++i) b.bytes({0x00, 0x00, 0x07});
  for (int i = 0; i < 3; ++i) b.bytes({0x00, 0x00, 0x1B});
  b.bytes({0x00, 0x00, 0xF3});
  return b;
}

// Calls act on the popup or modal widget of type W that the code under test
// opens in its own event loop, once act says it is done with it (returns
// true). Gives up, closing what is open, if none appears for a long while.
template <class W>
void WhenShown(std::function<bool(W*)> act) {
  auto* timer = new QTimer(qApp);
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
    QWidget* shown = QApplication::activePopupWidget();
    if (!shown) shown = QApplication::activeModalWidget();
    if (auto* widget = qobject_cast<W*>(shown); widget && act(widget)) {
      timer->stop();
      timer->deleteLater();
      return;
    }
    if (++*tries > 3000) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "the expected window did not appear";
      if (auto* dialog = qobject_cast<QDialog*>(shown)) dialog->done(IDCANCEL);
      if (shown) shown->close();
    }
  });
  timer->start(5);
}

struct BoxSeen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int count = 0;
};

// Reads and closes the next message box.
std::shared_ptr<BoxSeen> ExpectBox() {
  auto seen = std::make_shared<BoxSeen>();
  WhenShown<QMessageBox>([seen](QMessageBox* box) {
    seen->title = box->windowTitle();
    seen->text = box->text();
    seen->icon = box->icon();
    ++seen->count;
    box->button(QMessageBox::Ok)->click();
    return true;
  });
  return seen;
}

// The bounding box of the non-white pixels of a frame; empty when all white.
QRect InkBounds(const CPixelBuffer& pixels) {
  QRect bounds;
  for (int y = 0; y < pixels.height; ++y)
    for (int x = 0; x < pixels.width; ++x)
      if ((pixels.At(x, y) & 0xFFFFFFu) != 0xFFFFFFu) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

// The first ink pixel of a row; -1 when the row is white.
int InkStart(const CPixelBuffer& pixels, int y) {
  for (int x = 0; x < pixels.width; ++x)
    if ((pixels.At(x, y) & 0xFFFFFFu) != 0xFFFFFFu) return x;
  return -1;
}

// The last ink pixel of a column; -1 when the column is white.
int InkBottom(const CPixelBuffer& pixels, int x) {
  for (int y = pixels.height - 1; y >= 0; --y)
    if ((pixels.At(x, y) & 0xFFFFFFu) != 0xFFFFFFu) return y;
  return -1;
}

QPoint ScrollBarPart(QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.subControls = QStyle::SC_All;
  option.orientation = bar->orientation();
  if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.singleStep = bar->singleStep();
  option.pageStep = bar->pageStep();
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

QString Q(const std::string& s) { return QString::fromUtf8(s); }

}  // namespace

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    AfxSetPlatform(&platform);
    window = platform.Create(dlg);
    window->show();
    // Focus, mnemonics and arrow keys work in the active window only.
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
  }
  ~WindowTest() override { AfxSetPlatform(nullptr); }

  template <class T>
  T* Widget(int id) {
    return qobject_cast<T*>(window->Control(id));
  }
  void Click(int id) { QTest::mouseClick(window->Control(id), Qt::LeftButton); }
  void Drop(const std::vector<std::string>& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(Q(p));
    mime.setUrls(urls);
    const QPointF at = window->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    ASSERT_TRUE(enter.isAccepted()) << "the window refuses the drag";
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
  }
  std::string LoadLDesign() {
    const std::string path = temp.Write("winkel.dst", LDesignDst());
    Drop({path});
    return path;
  }
  CPixelBuffer& Preview() { return platform.ControlPixels(IDC_PREVIEW); }

  TempDir temp;
  CQtPlatform platform;
  CViewerDlg dlg{platform};
  CDialogWindow* window = nullptr;
};

TEST_F(WindowTest, WindowHasEveryControlOfTheTemplateInTabOrder) {
  const DialogTemplate& layout = MainDialogTemplate();
  EXPECT_EQ(window->windowTitle(), "Nadelwerk");
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  const CRect client = DialogUnitsToPixels(0, 0, layout.cx, layout.cy, window->BaseUnitX(),
                                           window->BaseUnitY());
  EXPECT_EQ(window->size(), QSize(client.Width(), client.Height()));

  ASSERT_EQ(window->Controls().size(), layout.controls.size());
  std::vector<QWidget*> tabStops;
  for (std::size_t i = 0; i < layout.controls.size(); ++i) {
    const ControlTemplate& c = layout.controls[i];
    QWidget* w = window->Controls()[i];
    SCOPED_TRACE(std::string("control ") + std::to_string(c.id) + " \"" + c.text + "\"");
    if (c.id != -1) {
      EXPECT_EQ(window->Control(c.id), w);
    }
    const CRect r = DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, window->BaseUnitX(), window->BaseUnitY());
    EXPECT_EQ(w->geometry(), QRect(r.left, r.top, r.Width(), r.Height()));
    const QString text = QString::fromUtf8(c.text);
    switch (c.kind) {
      case ControlKind::defPushButton:
      case ControlKind::pushButton: {
        auto* b = qobject_cast<QPushButton*>(w);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->text(), text);
        EXPECT_EQ(b->isDefault(), c.kind == ControlKind::defPushButton);
        break;
      }
      case ControlKind::groupBox:
        ASSERT_TRUE(qobject_cast<QGroupBox*>(w));
        EXPECT_EQ(qobject_cast<QGroupBox*>(w)->title(), text);  // blanks included
        break;
      case ControlKind::edit:
        ASSERT_TRUE(qobject_cast<QLineEdit*>(w));
        EXPECT_TRUE(qobject_cast<QLineEdit*>(w)->isReadOnly());
        EXPECT_EQ(qobject_cast<QLineEdit*>(w)->text(), "");
        break;
      case ControlKind::radioButton:
        ASSERT_TRUE(qobject_cast<QRadioButton*>(w));
        EXPECT_EQ(qobject_cast<QRadioButton*>(w)->text(), text);
        break;
      case ControlKind::staticText:
        ASSERT_TRUE(qobject_cast<QLabel*>(w));
        EXPECT_EQ(qobject_cast<QLabel*>(w)->text(), text);
        break;
      case ControlKind::blackFrame:
      case ControlKind::whiteRect:
        ASSERT_TRUE(qobject_cast<CFrameWidget*>(w));
        EXPECT_EQ(platform.ControlPixels(c.id).width, r.Width());
        EXPECT_EQ(platform.ControlPixels(c.id).height, r.Height());
        break;
      case ControlKind::hScrollBar:
      case ControlKind::vScrollBar:
        ASSERT_TRUE(qobject_cast<QScrollBar*>(w));
        EXPECT_EQ(qobject_cast<QScrollBar*>(w)->orientation(),
                  c.kind == ControlKind::hScrollBar ? Qt::Horizontal : Qt::Vertical);
        break;
      case ControlKind::staticIcon:
        break;
    }
    if (c.style & STYLE_TABSTOP) tabStops.push_back(w);
  }

  // Tab walks the tab stops in template order, starting at "&Beenden".
  EXPECT_EQ(window->focusWidget(), window->Control(IDOK));
  std::vector<QWidget*> walked;
  QWidget* w = tabStops.front();
  do {
    walked.push_back(w);
    do w = w->nextInFocusChain();
    while (!(w->focusPolicy() & Qt::TabFocus) || w->window() != window);
  } while (w != tabStops.front() && walked.size() < 50);
  EXPECT_EQ(walked, tabStops);
}

TEST_F(WindowTest, StartsAtHundredPercentWithWhitePreview) {
  EXPECT_TRUE(Widget<QRadioButton>(IDC_ZOOM100)->isChecked());
  for (int id : {IDC_HSCROLL, IDC_VSCROLL}) {
    EXPECT_EQ(Widget<QScrollBar>(id)->value(), 0);
    EXPECT_EQ(Widget<QScrollBar>(id)->maximum(), 100);
  }
  EXPECT_TRUE(InkBounds(Preview()).isEmpty());
  EXPECT_EQ(platform.AboutEntries().size(), 1u);
}

TEST_F(WindowTest, ZoomAndRotateChangeStateAndPixels) {
  LoadLDesign();
  ASSERT_EQ(dlg.m_bLoaded, TRUE);
  const QRect at100 = InkBounds(Preview());
  ASSERT_FALSE(at100.isEmpty()) << "the loaded design paints nothing";
  // The design is 324 x 243 units: wider than tall, from the top-left corner.
  EXPECT_EQ(at100.topLeft(), QPoint(0, 0));
  EXPECT_GT(at100.width(), at100.height());

  // The frame shows its pixel buffer.
  const QImage shown = window->Control(IDC_PREVIEW)->grab().toImage();
  const QPoint ink(at100.right() - 1, 0);
  EXPECT_EQ(shown.pixel(ink) & 0xFFFFFFu, Preview().At(ink.x(), ink.y()));

  Click(IDC_ZOOM125);
  EXPECT_EQ(dlg.m_nZoomPercent, 125);
  EXPECT_TRUE(Widget<QRadioButton>(IDC_ZOOM125)->isChecked());
  const QRect at125 = InkBounds(Preview());
  EXPECT_NEAR(at125.height(), at100.height() * 5 / 4, 3);
  Click(IDC_ZOOM200);
  EXPECT_EQ(dlg.m_nZoomPercent, 200);
  EXPECT_EQ(InkBounds(Preview()).height(), Preview().height);  // cut off at the bottom

  Click(IDC_ROTATE);
  EXPECT_EQ(dlg.m_nRotation, 1);
  Click(IDC_ZOOM100);
  const QRect turned = InkBounds(Preview());
  EXPECT_GT(turned.height(), turned.width());
  EXPECT_EQ(dlg.m_nRotation, 1);  // zooming keeps the turn

  // Mnemonic: Alt+R is "&Rotieren" (the button shows itself pressed for a
  // moment before it clicks).
  for (int turn : {2, 3, 0}) {
    QTest::keyClick(window, Qt::Key_R, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.m_nRotation == turn; })) << "Alt+R to " << turn;
  }
  EXPECT_EQ(InkBounds(Preview()), at100);
}

TEST_F(WindowTest, ClickingTheCheckedZoomButtonResetsTheScrolling) {
  LoadLDesign();
  Click(IDC_ZOOM300);
  auto* bar = Widget<QScrollBar>(IDC_HSCROLL);
  QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPart(bar, QStyle::SC_ScrollBarAddLine));
  ASSERT_EQ(bar->value(), 10);
  ASSERT_NE(dlg.m_nOffsetX, 0);
  Click(IDC_ZOOM300);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(dlg.m_nOffsetX, 0);
  EXPECT_EQ(InkBounds(Preview()).topLeft(), QPoint(0, 0));
}

TEST_F(WindowTest, ScrollArrowsStepAndShaftClicksMoveNothing) {
  LoadLDesign();
  Click(IDC_ZOOM125);
  auto* bar = Widget<QScrollBar>(IDC_HSCROLL);
  // Row 100 crosses only the slanting stroke.
  const int before = InkStart(Preview(), 100);
  ASSERT_GT(before, 0);

  QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPart(bar, QStyle::SC_ScrollBarAddLine));
  EXPECT_EQ(bar->value(), 10);
  EXPECT_EQ(dlg.m_nOffsetX, (25 * dlg.m_nWidth * 10 / 125) / 100);
  EXPECT_LT(InkStart(Preview(), 100), before);  // the picture moved left

  // A click in the shaft (page right) moves neither box nor picture.
  const std::vector<std::uint32_t> pixels = Preview().pixels;
  QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPart(bar, QStyle::SC_ScrollBarAddPage));
  EXPECT_EQ(bar->value(), 10);
  EXPECT_EQ(bar->sliderPosition(), 10);
  EXPECT_EQ(Preview().pixels, pixels);

  QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPart(bar, QStyle::SC_ScrollBarSubLine));
  QTest::mouseClick(bar, Qt::LeftButton, {}, ScrollBarPart(bar, QStyle::SC_ScrollBarSubLine));
  EXPECT_EQ(bar->value(), 0);  // 10 - 10, then clamped at 0
  EXPECT_EQ(dlg.m_nOffsetX, 0);

  auto* vbar = Widget<QScrollBar>(IDC_VSCROLL);
  const int column = InkStart(Preview(), 100);
  const int crossing = InkBottom(Preview(), column);
  QTest::mouseClick(vbar, Qt::LeftButton, {}, ScrollBarPart(vbar, QStyle::SC_ScrollBarAddLine));
  EXPECT_EQ(vbar->value(), 10);
  EXPECT_EQ(dlg.m_nOffsetY, (25 * dlg.m_nHeight * 10 / 125) / 100);
  EXPECT_LT(InkBottom(Preview(), column), crossing);  // the picture moved up
}

TEST_F(WindowTest, DraggedThumbMovesThePictureOnlyWhenReleased) {
  LoadLDesign();
  Click(IDC_ZOOM200);
  auto* bar = Widget<QScrollBar>(IDC_HSCROLL);
  const std::vector<std::uint32_t> pixels = Preview().pixels;
  const QPoint thumb = ScrollBarPart(bar, QStyle::SC_ScrollBarSlider);
  const QPoint target(bar->width() * 3 / 4, thumb.y());
  QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
  QMouseEvent drag(QEvent::MouseMove, QPointF(target), bar->mapToGlobal(QPointF(target)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &drag);
  ASSERT_TRUE(bar->isSliderDown());
  ASSERT_GT(bar->sliderPosition(), 0) << "the thumb does not follow the mouse";
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(dlg.m_nOffsetX, 0);
  EXPECT_EQ(Preview().pixels, pixels);

  const int released = bar->sliderPosition();
  QTest::mouseRelease(bar, Qt::LeftButton, {}, target);
  EXPECT_EQ(bar->value(), released);
  EXPECT_EQ(dlg.m_pHScrollBar->GetScrollPos(), released);
  EXPECT_EQ(dlg.m_nOffsetX, (100 * dlg.m_nWidth * released / 200) / 100);
  EXPECT_NE(Preview().pixels, pixels);
}

TEST_F(WindowTest, EnterEscapeAndTheCloseBoxEndTheDialog) {
  QTest::keyClick(window->Control(IDC_ZOOM100), Qt::Key_Return);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), IDOK);

  window->show();
  QTest::keyClick(window->Control(IDC_ZOOM100), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), IDCANCEL);

  window->show();
  window->setResult(0);
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->result(), IDCANCEL);
}

TEST_F(WindowTest, EnterPressesTheFocusedPushButton) {
  bool opened = false;
  WhenShown<QFileDialog>([&opened](QFileDialog* d) {
    opened = true;
    d->reject();
    return true;
  });
  window->Control(IDC_BROWSE)->setFocus();
  QTest::keyClick(window->Control(IDC_BROWSE), Qt::Key_Return);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(dlg.LastLoadOutcome(), LoadOutcome::cancelled);
}

TEST_F(WindowTest, ArrowKeysMoveThroughTheZoomButtons) {
  window->Control(IDC_ZOOM100)->setFocus();
  QTest::keyClick(window->Control(IDC_ZOOM100), Qt::Key_Down);
  EXPECT_TRUE(Widget<QRadioButton>(IDC_ZOOM125)->isChecked());
  EXPECT_EQ(dlg.m_nZoomPercent, 125);
  // Tab now reaches the checked button, not the first of the group.
  EXPECT_TRUE(window->Control(IDC_ZOOM125)->focusPolicy() & Qt::TabFocus);
  EXPECT_FALSE(window->Control(IDC_ZOOM100)->focusPolicy() & Qt::TabFocus);
}

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
  EXPECT_EQ(labels, (QStringList{"Design Files (*.*)", "Brother (PES/PEC)", "Tajima (*.dst)",
                                 "Pfaff (*.pcs)", "Janome (*.sew)"}));
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
  for (const char* name : {"ROSE.PES", "rose.pes", "Rose.PeS", "herz.dst", "notiz.txt", "x.pesx"})
    dir.Write(name, Bytes(1, 0));
  const QStringList filters = QtNameFilters(kOpenFileFilter);
  ASSERT_EQ(filters.size(), 5);
  auto listed = [&](const QString& filter) {
    const qsizetype open = filter.lastIndexOf('(');
    const QStringList patterns = filter.mid(open + 1).chopped(1).split(' ');
    QStringList names = QDir(Q(dir.path().string()))
                            .entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name);
    names.sort();
    return names;
  };
  EXPECT_EQ(listed(filters[0]), (QStringList{"ROSE.PES", "Rose.PeS", "herz.dst", "rose.pes"}));
  EXPECT_EQ(listed(filters[2]), (QStringList{"herz.dst"}));

  // The writers' filters have one choice and no closing "||".
  EXPECT_EQ(QtNameFilters("TAJIMA-File (*.dst)|*.dst"),
            (QStringList{"TAJIMA-File (*.dst) (*.[dD][sS][tT])"}));
  EXPECT_TRUE(QtNameFilters("").isEmpty());
  EXPECT_TRUE(QtNameFilters("label only").isEmpty());
}

TEST_F(WindowTest, ContextMenuOpensTheAboutBox) {
  auto chooseAbout = [] {
    WhenShown<QMenu>([](QMenu* menu) {
      EXPECT_EQ(menu->actions().size(), 1);
      QAction* entry = menu->actions().value(0);
      if (!entry) return false;
      EXPECT_EQ(entry->text(), "Inf&o \xC3\xBC" "ber Nadelwerk...");
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
      return true;
    });
  };
  auto aboutSeen = std::make_shared<int>(0);
  auto readAbout = [aboutSeen] {
    WhenShown<CDialogWindow>([aboutSeen](CDialogWindow* about) {
      EXPECT_EQ(about->windowTitle(), "Info \xC3\xBC" "ber Nadelwerk");
      QStringList texts;
      bool icon = false;
      for (QWidget* w : about->Controls())
        if (auto* label = qobject_cast<QLabel*>(w)) {
          texts << label->text();
          icon |= !label->pixmap().isNull();
        }
      EXPECT_TRUE(icon);
      EXPECT_TRUE(texts.contains("Nadelwerk Version " NADELWERK_VERSION));
      EXPECT_EQ(texts.size(), 6);  // the icon, the version and four lines
      qobject_cast<QPushButton*>(about->Control(IDOK))->click();
      ++*aboutSeen;
      return true;
    });
  };

  chooseAbout();
  readAbout();
  QTest::mouseClick(window->Control(IDC_PREVIEW), Qt::RightButton);
  QContextMenuEvent right(QContextMenuEvent::Mouse, QPoint(5, 5), window->mapToGlobal(QPoint(5, 5)));
  if (*aboutSeen == 0) QApplication::sendEvent(window->Control(IDC_PREVIEW), &right);
  EXPECT_EQ(*aboutSeen, 1);
  EXPECT_TRUE(window->isVisible());

  // The Menu key on the focused button opens the same menu, once.
  chooseAbout();
  readAbout();
  QTest::keyClick(window->Control(IDOK), Qt::Key_Menu);
  EXPECT_TRUE(QTest::qWaitFor([&] { return *aboutSeen == 2; }));
  QTest::qWait(20);
  EXPECT_EQ(*aboutSeen, 2);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
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
