// The command-line programs' messages in the user's language, through
// gettext: English as the source writes it under the C locale (or where no
// catalogue has the text), the catalogue's language where the environment
// names one (LANGUAGE, LC_ALL, LC_MESSAGES, LANG). The window stays German.
#pragma once

// Chooses the language from the environment and opens the catalogues, the
// programs' own and the one of the window's texts (WindowText), which it
// sets as the translator of framework/window_words.h. Only the language and
// the character set follow the user: numbers stay as the C locale writes
// them (LC_NUMERIC), as machine-read output such as JSON needs.
void UseUserLanguage();

// msgid in the user's language. The attribute lets the compiler check a
// printf format against the arguments through the translation.
__attribute__((format_arg(1))) const char* Tr(const char* msgid);

// Marks a text for the catalogue where it stands in a table; Tr translates
// it where it is printed.
constexpr const char* TrLater(const char* msgid) { return msgid; }

// One of the window's German texts (a template where it has pieces) in the
// language the programs speak: unchanged when that is German, English
// otherwise.
__attribute__((format_arg(1))) const char* WindowText(const char* german);
