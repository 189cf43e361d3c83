// The viewer's dialog templates (main dialog 102, about box 100) and its
// string table, as data.
#pragma once
#include <string>
#include <vector>

#include "framework/dialog_template.h"

const DialogTemplate& MainDialogTemplate();
const DialogTemplate& AboutDialogTemplate();

// String resources by id (101: the about entry); empty when there is none.
std::string LoadResourceString(int id);

// The widest texts the program writes into a control of the main dialog, for
// a window that sizes its information fields in the font it really has;
// empty for controls whose text is fixed or of any length.
std::vector<std::string> WidestControlTexts(int id);
