#include "platform/qt/file_filter.h"

QString CaseInsensitivePattern(const QString& pattern) {
  QString out;
  for (const QChar c : pattern) {
    const QChar lower = c.toLower(), upper = c.toUpper();
    if (c.isLetter() && lower != upper)
      out += QLatin1Char('[') + lower + upper + QLatin1Char(']');
    else
      out += c;
  }
  return out;
}

namespace {

struct Choice {
  QString label;
  QStringList patterns;  // as written, "*.pes"
};

// The choices of a filter string that have patterns, in order.
QList<Choice> FilterChoices(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
  QList<Choice> choices;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& label = parts[i];
    if (label.isEmpty()) break;  // the "||" that ends the list
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) patterns << p.trimmed();
    if (!patterns.isEmpty()) choices.push_back({label, patterns});
  }
  return choices;
}

}  // namespace

QStringList QtNameFilters(const std::string& filter, bool plainFirst) {
  QStringList filters;
  for (const Choice& choice : FilterChoices(filter)) {
    QStringList patterns;
    if (plainFirst) patterns << choice.patterns.front();
    for (const QString& p : choice.patterns) patterns << CaseInsensitivePattern(p);
    filters << choice.label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

QString ChoiceSuffix(const std::string& filter, qsizetype index) {
  const QList<Choice> choices = FilterChoices(filter);
  if (index < 0 || index >= choices.size()) return {};
  const QString& pattern = choices[index].patterns.front();
  const QString suffix = pattern.startsWith(QStringLiteral("*.")) ? pattern.mid(2) : QString();
  return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString() : suffix;
}

QString NameFilterLabel(const QString& nameFilter) {
  const qsizetype open = nameFilter.lastIndexOf(QStringLiteral(" ("));
  return open < 0 ? nameFilter : nameFilter.left(open);
}

qsizetype NameFilterIndex(const QStringList& filters, const QString& shown) {
  for (qsizetype i = 0; i < filters.size(); ++i)
    if (filters[i] == shown || NameFilterLabel(filters[i]) == shown) return i;
  return -1;
}
