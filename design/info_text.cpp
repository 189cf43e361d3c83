#include "design/info_text.h"

#include <charconv>

namespace {

// The count of 0.1 mm times 0.1, with one decimal and a '.' whatever the
// process locale says.
std::string Millimetres(std::int32_t tenths) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, tenths * 0.1, std::chars_format::fixed, 1);
  return std::string(buf, result.ptr) + " mm";
}

}  // namespace

std::string ColorsText(int count) { return "Farben:  " + std::to_string(count); }
std::string PesColorsText(int count) { return "Farben: " + std::to_string(count); }
std::string PartsText(int count) { return "Teile:  " + std::to_string(count); }
std::string WidthText(std::int32_t tenths) { return "Breite:  " + Millimetres(tenths); }
std::string HeightText(std::int32_t tenths) { return "H\xC3\xB6he:  " + Millimetres(tenths); }
std::string UnknownWidthText() { return "Breite: k.A."; }
std::string UnknownHeightText() { return "H\xC3\xB6he: k.A."; }
std::string StitchesText(int count) { return "Stiche: " + std::to_string(count); }
