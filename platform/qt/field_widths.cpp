#include "platform/qt/field_widths.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <climits>
#include <string>

#include "app/dialog_templates.h"
#include "platform/qt/qt_text.h"

namespace {

// A line edit keeps two pixels free on each side of its text inside the
// style's contents rectangle, and scrolls the text once the text and one
// pixel for the cursor need more than the rest.
constexpr int kLineEditMargin = 2;

int TextRoom(const QLineEdit* edit) {
  QStyleOptionFrame option;
  option.initFrom(edit);
  option.rect = edit->rect();
  if (edit->hasFrame())
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
  option.state |= QStyle::State_Sunken;
  if (edit->isReadOnly()) option.state |= QStyle::State_ReadOnly;
  const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
  const QMargins text = edit->textMargins();
  return contents.width() - text.left() - text.right() - 2 * kLineEditMargin;
}

// The pixels the widest of the field's texts lacks; 0 when they all fit.
int MissingWidth(const QLineEdit* edit, const std::vector<std::string>& texts) {
  int widest = 0;
  for (const std::string& text : texts)
    widest = std::max(widest, edit->fontMetrics().horizontalAdvance(Text(text)));
  return std::max(0, widest + 1 - TextRoom(edit));
}

int RightEdge(const QRect& r) { return r.x() + r.width(); }

bool OverlapVertically(const QRect& a, const QRect& b) {
  return a.y() < b.y() + b.height() && b.y() < a.y() + a.height();
}

// The smallest group box around the rectangle; nullptr when none holds it.
QGroupBox* BoxAround(const std::vector<QWidget*>& controls, const QRect& r) {
  QGroupBox* found = nullptr;
  for (QWidget* widget : controls) {
    auto* box = qobject_cast<QGroupBox*>(widget);
    if (!box || !box->geometry().contains(r)) continue;
    if (!found || found->geometry().contains(box->geometry())) found = box;
  }
  return found;
}

}  // namespace

void WidenFieldsToTheirTexts(const std::vector<QWidget*>& controls, int gap) {
  std::vector<QLineEdit*> fields;
  int grow = 0;
  QRect column;
  for (QWidget* widget : controls) {
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (!edit) continue;
    const std::vector<std::string> texts = WidestControlTexts(edit->property("controlId").toInt());
    if (texts.empty()) continue;
    fields.push_back(edit);
    column |= edit->geometry();
    grow = std::max(grow, MissingWidth(edit, texts));
  }
  if (grow == 0) return;

  // The block that grows: the fields' group box, or the fields alone.
  QGroupBox* box = BoxAround(controls, column);
  const QRect block = box ? box->geometry() : column;
  int limit = fields.front()->parentWidget()->width() - gap;
  for (QWidget* widget : controls) {
    const QRect r = widget->geometry();
    if (widget == box || block.contains(r) || !OverlapVertically(r, block)) continue;
    if (r.x() >= RightEdge(block)) limit = std::min(limit, r.x() - gap);
  }
  grow = std::min(grow, limit - RightEdge(block));
  if (grow <= 0) return;

  int fieldsRight = INT_MAX;
  for (QLineEdit* field : fields) fieldsRight = std::min(fieldsRight, RightEdge(field->geometry()));
  if (box)
    for (QWidget* widget : controls) {
      const QRect r = widget->geometry();
      if (widget == box || !block.contains(r) || r.x() < fieldsRight) continue;
      if (std::find(fields.begin(), fields.end(), widget) != fields.end()) continue;
      widget->move(r.x() + grow, r.y());
    }
  for (QLineEdit* field : fields) field->resize(field->width() + grow, field->height());
  if (box) box->resize(box->width() + grow, box->height());
}
