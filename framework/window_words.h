// The window speaks German, and its messages (file errors, refusals of the
// writers, notices of the readers) are written in German in the code that
// makes them. The command-line programs print the same messages to users of
// any language, so every such text goes through WindowWords where it is
// made: a program that speaks the user's language sets a translator once at
// start (platform/posix/messages.h); the window sets none and shows the
// texts as they are written. A text made of pieces is a template with %s
// for each piece, translated first and filled after, so that a translation
// may place the pieces where its language wants them.
#pragma once
#include <initializer_list>
#include <string>

// german in the words of the program's user: german itself unless a
// translator has been set.
const char* WindowWords(const char* german);

// Marks a text of a table for the catalogue; WindowWords translates it
// where it is used.
constexpr const char* WindowWordsLater(const char* german) { return german; }

// From now on WindowWords answers with translate(german); nullptr gives the
// texts as they are written again.
void SetWindowWords(const char* (*translate)(const char* german));

// text with each %s replaced by the next of pieces, in order ("%%" is a
// '%'); a %s without a piece is left out. The pieces themselves are not
// searched.
std::string Filled(const char* text, std::initializer_list<std::string> pieces);
