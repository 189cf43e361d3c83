// The window on Qt's offscreen platform: the widgets built from the template,
// the information fields, keys, the context menu and the about box, driven
// as a user would drive them.
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionFrame>
#include <algorithm>

#include "app/dialog_templates.h"
#include "framework/version.h"
#include "platform/qt/frame_widget.h"
#include "tests/gui/window_fixture.h"

namespace {

bool IsInfoField(int id) {
  return std::find(std::begin(kInfoFieldIds), std::end(kInfoFieldIds), id) != std::end(kInfoFieldIds);
}

// The line a line edit writes its text on: the style's contents rectangle
// less the text margins and the two pixels Qt keeps free at each side. The
// text scrolls once it needs more than this line less one pixel for the
// cursor.
QRect TextLine(QLineEdit* edit) {
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.rect = edit->rect();
  option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
  option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
  const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
  return contents.marginsRemoved(edit->textMargins()).adjusted(2, 0, -2, 0);
}

}  // namespace

TEST_F(WindowTest, WindowHasEveryControlOfTheTemplateInTabOrder) {
  const DialogTemplate& layout = MainDialogTemplate();
  EXPECT_EQ(window->windowTitle(), "Nadelwerk");
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  const CRect client = DialogUnitsToPixels(0, 0, layout.cx, layout.cy, window->BaseUnitX(),
                                           window->BaseUnitY());
  EXPECT_EQ(window->size(), QSize(client.Width(), client.Height()));

  // Where the substitute font needs it, the information fields are wider than
  // the template says; what stands right of them in their box moves along and
  // the box grows by as much. Everything else stands where the template puts it.
  const ControlTemplate& format = *FindControl(layout, IDC_INFO_FORMAT);
  const int grow = window->Control(IDC_INFO_FORMAT)->width() -
                   DialogUnitsToPixels(format, window->BaseUnitX(), window->BaseUnitY()).Width();
  EXPECT_GE(grow, 0);

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
    QRect expected(r.left, r.top, r.Width(), r.Height());
    if (IsInfoField(c.id))
      expected.setWidth(expected.width() + grow);
    else if (c.id == IDC_THUMBNAIL || c.text == std::string("Pixelgrafik"))
      expected.translate(grow, 0);
    else if (c.text == std::string(" Designinformationen "))
      expected.setWidth(expected.width() + grow);
    EXPECT_EQ(w->geometry(), expected);
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

TEST_F(WindowTest, InformationFieldsShowTheirWidestTextsWhole) {
  const std::pair<int, std::string> widest[] = {
      {IDC_INFO_WIDTH, "Breite:  6553.5 mm"}, {IDC_INFO_HEIGHT, "H\xC3\xB6he:  6553.5 mm"},
      {IDC_INFO_STITCHES, "Stiche: 9999999"},  {IDC_INFO_FORMAT, "PE-DESIGN 5.0"},
      {IDC_INFO_FORMAT, "JANOME-SEW"},         {IDC_INFO_COLORS, "Farben:  9999999"},
      {IDC_INFO_COLORS, "Teile:  9999999"}};
  for (const auto& [id, text] : widest) {
    SCOPED_TRACE(text);
    platform.SetControlText(id, text);  // as the readers write the fields
    auto* field = Widget<QLineEdit>(id);
    ASSERT_EQ(field->text(), Q(text));
    EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()) + 1, TextLine(field).width());
    // With the cursor at the end the field looks as it does from the start:
    // nothing had to scroll.
    const QImage fromStart = field->grab().toImage();
    field->setCursorPosition(static_cast<int>(field->text().size()));
    EXPECT_EQ(field->grab().toImage(), fromStart);
  }
  // A text too long for any field does scroll (the look above can fail).
  auto* width = Widget<QLineEdit>(IDC_INFO_WIDTH);
  width->setText(QString(40, QLatin1Char('W')));
  width->setCursorPosition(0);
  const QImage fromStart = width->grab().toImage();
  width->setCursorPosition(40);
  EXPECT_NE(width->grab().toImage(), fromStart);

  // The fields keep their order and their left edges; the thumbnail keeps its
  // size, stays right of them, inside the box, and the box left of the bar.
  QWidget* previous = nullptr;
  for (int id : kInfoFieldIds) {
    QWidget* field = window->Control(id);
    if (previous) {
      EXPECT_GT(field->y(), previous->y());
      EXPECT_EQ(field->x(), previous->x());
      EXPECT_EQ(field->width(), previous->width());
    }
    previous = field;
  }
  QWidget* thumbnail = window->Control(IDC_THUMBNAIL);
  EXPECT_EQ(thumbnail->size(), QSize(platform.ControlPixels(IDC_THUMBNAIL).width,
                                     platform.ControlPixels(IDC_THUMBNAIL).height));
  EXPECT_LT(previous->geometry().right(), thumbnail->x());
  QWidget* box = nullptr;
  for (QWidget* w : window->Controls())
    if (auto* group = qobject_cast<QGroupBox*>(w); group && group->title() == " Designinformationen ")
      box = w;
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->geometry().contains(thumbnail->geometry()));
  EXPECT_TRUE(box->geometry().contains(previous->geometry()));
  EXPECT_LT(box->geometry().right(), window->Control(IDC_VSCROLL)->x());
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

TEST_F(WindowTest, ContextMenuOpensTheAboutBox) {
  auto chooseAbout = [] {
    WhenShown<QMenu>([](QMenu* menu) {
      // The about entry comes last, after the window's own entries.
      QAction* entry = menu->actions().isEmpty() ? nullptr : menu->actions().back();
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
