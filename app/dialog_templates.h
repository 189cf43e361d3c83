// The viewer's dialog templates (main dialog 102, about box 100) and its
// string table, as data.
#pragma once
#include <string>

#include "framework/dialog_template.h"

const DialogTemplate& MainDialogTemplate();
const DialogTemplate& AboutDialogTemplate();

// String resources by id (101: the about entry); empty when there is none.
std::string LoadResourceString(int id);
