// The file dialogs' filter strings ("label|patterns|label|patterns||") as Qt
// name filters, with patterns that match regardless of case.
#pragma once
#include <QString>
#include <QStringList>
#include <string>

// One Qt name filter per choice: "label (pattern pattern ...)". A pattern's
// letters become bracket pairs ("*.pes" -> "*.[pP][eE][sS]"), so ROSE.PES and
// rose.pes are both listed on a case-sensitive file system. Choices without a
// pattern list are dropped; a missing "||" at the end is accepted. With
// plainFirst each choice starts with its first pattern as written, which a
// save dialog takes the extension of when the choice changes ("*.pes").
QStringList QtNameFilters(const std::string& filter, bool plainFirst = false);

// The extension of the first pattern of choice index (0-based, counted as
// QtNameFilters counts them): "sew" for "*.sew"; empty when it names none.
QString ChoiceSuffix(const std::string& filter, qsizetype index);

// The label part of a name filter as QtNameFilters built it.
QString NameFilterLabel(const QString& nameFilter);

// "*.pes" -> "*.[pP][eE][sS]"; other characters stay.
QString CaseInsensitivePattern(const QString& pattern);

// Which of the name filters a file dialog names as selected (it may give
// the label alone when it hides the patterns); -1 when none.
qsizetype NameFilterIndex(const QStringList& filters, const QString& shown);
