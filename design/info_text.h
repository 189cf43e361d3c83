// The texts of the five information fields.
#pragma once
#include <cstdint>
#include <string>

std::string ColorsText(int count);         // "Farben:  %d"
std::string PesColorsText(int count);      // "Farben: %d"
std::string PartsText(int count);          // "Teile:  %d"
std::string WidthText(std::int32_t tenths);   // "Breite:  %.1f mm"
std::string HeightText(std::int32_t tenths);  // "Höhe:  %.1f mm"
std::string UnknownWidthText();            // "Breite: k.A."
std::string UnknownHeightText();           // "Höhe: k.A."
std::string StitchesText(int count);       // "Stiche: %d"
