// The window on Qt's offscreen platform, shared by the window tests: a small
// design file, helpers that answer the modal windows the code under test
// opens, pixel probes of the frames, and the fixture with the main window up.
#pragma once
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "tests/test_support.h"

// A Tajima file: 512 header bytes, then 3-byte records (0x07: 8.1 mm right,
// 0x1B: 8.1 mm left and 8.1 mm down), then the end record. The design is a
// "7": five steps right along the top, then three steps down to the left.
inline Bytes LDesignDst() {
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

// Cancels the file dialog once done says that the step before has happened:
// the overwrite question answered "Nein" leaves the save dialog open.
inline void CancelFileDialogAfter(const bool& done) {
  WhenShown<QFileDialog>([&done](QFileDialog* d) {
    if (!done) return false;
    d->reject();
    return true;
  });
}

struct BoxSeen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int count = 0;
};

// Reads and closes the next message box.
inline std::shared_ptr<BoxSeen> ExpectBox() {
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

inline bool IsInk(std::uint32_t pixel) { return (pixel & 0xFFFFFFu) != 0xFFFFFFu; }

// The bounding box of the non-white pixels of a frame; empty when all white.
inline QRect InkBounds(const CPixelBuffer& pixels) {
  QRect bounds;
  for (int y = 0; y < pixels.height; ++y)
    for (int x = 0; x < pixels.width; ++x)
      if (IsInk(pixels.At(x, y))) bounds |= QRect(x, y, 1, 1);
  return bounds;
}

// The first ink pixel of a row; -1 when the row is white.
inline int InkStart(const CPixelBuffer& pixels, int y) {
  for (int x = 0; x < pixels.width; ++x)
    if (IsInk(pixels.At(x, y))) return x;
  return -1;
}

// The last ink pixel of a column; -1 when the column is white.
inline int InkBottom(const CPixelBuffer& pixels, int x) {
  for (int y = pixels.height - 1; y >= 0; --y)
    if (IsInk(pixels.At(x, y))) return y;
  return -1;
}

// The centre of a part of a scroll bar (an arrow, the shaft, the box).
inline QPoint ScrollBarPart(QScrollBar* bar, QStyle::SubControl part) {
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

inline QString Q(const std::string& s) { return QString::fromUtf8(s); }

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
