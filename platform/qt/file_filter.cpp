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

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& label = parts[i];
    if (label.isEmpty()) break;  // the "||" that ends the list
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      patterns << CaseInsensitivePattern(p.trimmed());
    if (patterns.isEmpty()) continue;
    filters << label + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

QString NameFilterLabel(const QString& nameFilter) {
  const qsizetype open = nameFilter.lastIndexOf(QStringLiteral(" ("));
  return open < 0 ? nameFilter : nameFilter.left(open);
}
