#include "framework/window_words.h"

namespace {

const char* (*g_translate)(const char*) = nullptr;

}  // namespace

const char* WindowWords(const char* german) { return g_translate ? g_translate(german) : german; }

void SetWindowWords(const char* (*translate)(const char* german)) { g_translate = translate; }

std::string Filled(const char* text, std::initializer_list<std::string> pieces) {
  std::string out;
  auto piece = pieces.begin();
  for (const char* c = text; *c; ++c) {
    if (c[0] != '%' || (c[1] != 's' && c[1] != '%')) {
      out += *c;
      continue;
    }
    if (c[1] == '%')
      out += '%';
    else if (piece != pieces.end())
      out += *piece++;
    ++c;
  }
  return out;
}
