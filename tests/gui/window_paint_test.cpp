// The hostile designs in the window: stitches between random points of a
// 1 mm square (PEC) and a 2 mm one (DST), as make-stress writes them but
// smaller and with a colour change every 2500 stitches, dropped on the
// window: at 100 %, at 300 % and turned, the
// preview shows every line in order, as the plain paint of them gives; and
// a large one (NADELWERK_PAINT_FILE names another file to show instead)
// shows first at 100 % and then at 300 % what "nadelwerk-cli render" writes.
#include <QImage>
#include <cstdlib>

#include "framework/frame_surfaces.h"
#include "tests/cli_runner.h"
#include "tests/gui/window_fixture.h"
#include "tests/paint_reference.h"
#include "tools/stress_files.h"

namespace {

QImage Shown(QWidget* preview) {
  return preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int Differing(const QImage& shown, const CPixelBuffer& expected) {
  if (shown.width() != expected.width || shown.height() != expected.height) return -1;
  int differing = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      differing += (shown.pixel(x, y) & 0xFFFFFFu) != expected.At(x, y);
  return differing;
}

}  // namespace

TEST_F(WindowTest, RandomPointsOfASmallSquareShowEveryLineInOrder) {
  const std::pair<std::string, Bytes> files[] = {
      {"streu.pec", stress::ScatterPec(48 << 10, 10, 2500)},
      {"streu.dst", stress::ScatterDst(72 << 10, 20, 2500)}};
  QWidget* preview = window->Control(IDC_PREVIEW);
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    Drop({temp.Write(name, bytes)});
    ASSERT_GT(dlg.m_nStitchCount, 20000);
    for (int button : {IDC_ZOOM100, IDC_ZOOM300, IDC_ROTATE}) {
      Click(button);
      const QImage shown = Shown(preview);
      CPixelBuffer expected;
      expected.Resize(shown.width(), shown.height());
      PaintControlBackground(ControlKind::whiteRect, expected);
      paint_reference::PaintInOrder(
          expected, dlg, {dlg.m_nZoomPercent, dlg.m_nOffsetX, dlg.m_nOffsetY, dlg.m_nRotation},
          dlg.Palettes());
      EXPECT_EQ(Differing(shown, expected), 0) << "button " << button;
    }
  }
}

TEST_F(WindowTest, ALargeHostileFileShowsAt300PercentWhatTheCommandLineRenders) {
  const char* named = std::getenv("NADELWERK_PAINT_FILE");
  const std::string file =
      named ? std::string(named) : temp.Write("gross.pec", stress::ScatterPec(2 << 20, 10));
  Drop({file});
  QWidget* preview = window->Control(IDC_PREVIEW);
  EXPECT_NE(Shown(preview).pixel(5, 5) & 0xFFFFFFu, 0xFFFFFFu) << "nothing drawn at 100 %";
  Click(IDC_ZOOM300);
  const QImage shown = Shown(preview);
  const std::string png = (temp.path() / "frame.png").string();
  const std::string view = "--zoom 300 --rotate " + std::to_string(dlg.m_nRotation) + " --size " +
                           std::to_string(shown.width()) + "x" + std::to_string(shown.height());
  ASSERT_EQ(CliStatus("render '" + file + "' " + png + " " + view), 0);
  const QImage rendered = QImage(Q(png)).convertToFormat(QImage::Format_RGB32);
  CPixelBuffer written;
  written.Resize(rendered.width(), rendered.height());
  for (int y = 0; y < rendered.height(); ++y)
    for (int x = 0; x < rendered.width(); ++x)
      written.pixels[static_cast<std::size_t>(y) * written.width + x] =
          rendered.pixel(x, y) & 0xFFFFFFu;
  EXPECT_EQ(Differing(shown, written), 0);
  EXPECT_FALSE(InkBounds(written).isEmpty());
}
