// The window's scroll bars and wheel on Qt's offscreen platform: arrows,
// shaft and box, the wheel over the preview and the bars, and the preview
// showing the very frame the command line renders.
#include <QWheelEvent>
#include <QImage>

#include "tests/cli_runner.h"
#include "tests/gui/window_fixture.h"

namespace {

// One turn of the wheel over a widget, in eighths of a degree (120: one
// notch; positive: away from the user), up and down or sideways.
void Wheel(QWidget* over, int turn, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           bool sideways = false) {
  const QPointF at = QRectF(over->rect()).center();
  QWheelEvent event(at, over->mapToGlobal(at), QPoint(), sideways ? QPoint(turn, 0) : QPoint(0, turn),
                    Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
  QApplication::sendEvent(over, &event);
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

}  // namespace

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


TEST_F(WindowTest, WheelOverThePreviewStepsTheVerticalBar) {
  LoadLDesign();
  Click(IDC_ZOOM300);
  QWidget* preview = window->Control(IDC_PREVIEW);
  auto* vbar = Widget<QScrollBar>(IDC_VSCROLL);
  auto* hbar = Widget<QScrollBar>(IDC_HSCROLL);
  PaintCounter paints(preview);
  const std::vector<std::uint32_t> top = Preview().pixels;

  // One notch down: what one click on the bar's down arrow does.
  Wheel(preview, -120);
  EXPECT_EQ(vbar->value(), 10);
  EXPECT_EQ(vbar->sliderPosition(), 10);
  EXPECT_EQ(dlg.m_pVScrollBar->GetScrollPos(), 10);
  EXPECT_EQ(dlg.m_nOffsetY, (200 * dlg.m_nHeight * 10 / 300) / 100);
  EXPECT_GT(paints.count, 0);
  EXPECT_NE(Preview().pixels, top);
  EXPECT_EQ(hbar->value(), 0);
  EXPECT_EQ(dlg.m_nOffsetX, 0);

  // One notch up goes back, in two half notches as a fine wheel sends them.
  Wheel(preview, 60);
  EXPECT_EQ(vbar->value(), 10);
  Wheel(preview, 60);
  EXPECT_EQ(vbar->value(), 0);
  EXPECT_EQ(dlg.m_nOffsetY, 0);
  EXPECT_EQ(Preview().pixels, top);
  // Half a notch down after half a notch up is no step either way.
  Wheel(preview, 60);
  Wheel(preview, -60);
  EXPECT_EQ(vbar->value(), 0);
  Wheel(preview, 120);  // up at the top stays at the top
  EXPECT_EQ(vbar->value(), 0);
}

TEST_F(WindowTest, WheelTakesTheBarItIsOverAndShiftTheHorizontalOne) {
  LoadLDesign();
  Click(IDC_ZOOM200);
  QWidget* preview = window->Control(IDC_PREVIEW);
  auto* vbar = Widget<QScrollBar>(IDC_VSCROLL);
  auto* hbar = Widget<QScrollBar>(IDC_HSCROLL);

  Wheel(preview, -120, Qt::ShiftModifier);
  EXPECT_EQ(hbar->value(), 10);
  EXPECT_EQ(dlg.m_nOffsetX, (100 * dlg.m_nWidth * 10 / 200) / 100);
  EXPECT_EQ(vbar->value(), 0);
  Wheel(preview, -240, Qt::NoModifier, true);  // a wheel tilted sideways, two notches
  EXPECT_EQ(hbar->value(), 30);
  Wheel(hbar, 120);
  EXPECT_EQ(hbar->value(), 20);
  Wheel(vbar, -360);
  EXPECT_EQ(vbar->value(), 30);
  EXPECT_EQ(dlg.m_nOffsetY, (100 * dlg.m_nHeight * 30 / 200) / 100);
  EXPECT_EQ(hbar->value(), 20);

  // A turn far past the end stops at the end.
  Wheel(vbar, -120 * 100000);
  EXPECT_EQ(vbar->value(), 100);
  EXPECT_EQ(dlg.m_pVScrollBar->GetScrollPos(), 100);

  // Over anything else the wheel does nothing.
  const std::vector<std::uint32_t> pixels = Preview().pixels;
  Wheel(window->Control(IDC_ROTATE), 120);
  Wheel(window->Control(IDC_THUMBNAIL), 120);
  Wheel(window->Control(IDC_INFO_WIDTH), 120);
  EXPECT_EQ(vbar->value(), 100);
  EXPECT_EQ(hbar->value(), 20);
  EXPECT_EQ(Preview().pixels, pixels);
}

// What the window shows in its preview is what "nadelwerk-cli render" writes
// for the same view and size, pixel for pixel.
TEST_F(WindowTest, PreviewShowsTheFrameTheCommandLineRenders) {
  std::vector<std::string> files = {temp.Write("winkel.dst", LDesignDst())};
  for (const char* extension : {"pes", "pec", "dst", "pcs", "sew", "jef", "vp3"})
    if (const auto corpus = CorpusFiles(extension); !corpus.empty()) files.push_back(corpus.front().string());
  QWidget* preview = window->Control(IDC_PREVIEW);
  const std::string png = (temp.path() / "frame.png").string();
  int ink = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Drop({file});
    Click(IDC_ZOOM150);
    Click(IDC_ROTATE);
    Wheel(preview, -240);
    Wheel(preview, -120, Qt::ShiftModifier);
    ASSERT_EQ(Widget<QScrollBar>(IDC_VSCROLL)->value(), 20);
    ASSERT_EQ(Widget<QScrollBar>(IDC_HSCROLL)->value(), 10);
    const QImage shown = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const std::string size = std::to_string(shown.width()) + "x" + std::to_string(shown.height());
    ASSERT_EQ(CliStatus("render '" + file + "' " + png + " --zoom 150 --rotate " +
                        std::to_string(dlg.m_nRotation) + " --scroll 10,20 --size " + size),
              0);
    const QImage rendered = QImage(Q(png)).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(rendered.size(), shown.size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) {
        differing += shown.pixel(x, y) != rendered.pixel(x, y);
        ink += IsInk(shown.pixel(x, y));
      }
    EXPECT_EQ(differing, 0);
  }
  EXPECT_GT(ink, 0) << "the views show nothing to compare";
}
