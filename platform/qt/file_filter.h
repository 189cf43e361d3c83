// The file dialogs' filter strings ("label|patterns|label|patterns||") as Qt
// name filters, with patterns that match regardless of case.
#pragma once
#include <QString>
#include <QStringList>
#include <string>

// One Qt name filter per choice: "label (pattern pattern ...)". A pattern's
// letters become bracket pairs ("*.pes" -> "*.[pP][eE][sS]"), so ROSE.PES and
// rose.pes are both listed on a case-sensitive file system. Choices without a
// pattern list are dropped; a missing "||" at the end is accepted.
QStringList QtNameFilters(const std::string& filter);

// The label part of a name filter as QtNameFilters built it.
QString NameFilterLabel(const QString& nameFilter);

// "*.pes" -> "*.[pP][eE][sS]"; other characters stay.
QString CaseInsensitivePattern(const QString& pattern);
