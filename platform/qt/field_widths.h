// Room for the information fields' widest texts. The template measured the
// fields for the dialog font; the face the system substitutes for it may set
// the same texts wider, and a read-only field would then cut them off.
#pragma once
#include <QWidget>
#include <vector>

// Widens the read-only fields whose widest texts (WidestControlTexts) need
// more room than they have, all by the same amount so that a column of them
// stays one. What stands to their right inside their group box moves along
// (keeping its size) and the box grows with it, as far as the next control to
// the right of the box, less gap pixels, allows; a field that still cannot
// hold a text scrolls it as before. Each control carries its id in the
// "controlId" property.
void WidenFieldsToTheirTexts(const std::vector<QWidget*>& controls, int gap);
