// What the worksheet says, apart from its layout: the design's facts and
// their German texts.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "design/design.h"

// The sewing-time estimate: a home machine's speed and a change of thread
// by hand.
inline constexpr int kStitchesPerMinute = 700;
inline constexpr int kSecondsPerColorChange = 60;
// A colour list longer than this (only a broken or hostile file has one)
// ends with a line that says how many steps are not listed.
inline constexpr std::size_t kMaxListedSteps = 10000;

// One step of the colour sequence: the colour the picture shows, the thread
// as the design knows it, and the stitches (needle penetrations) sewn in it.
struct CSheetStep {
  COLORREF color = 0;
  std::string thread;
  int stitches = 0;
};

struct CSheetFacts {
  int widthUnits = 0, heightUnits = 0;  // the drawing's extent, 0.1 mm
  long long stitches = 0;               // the steps' stitches together
  long long moves = 0;
  long long steps = 0;                  // colour blocks: changes + 1
  std::vector<CSheetStep> listed;       // the first kMaxListedSteps steps
};

// The facts from the design's own records, as the writers walk them.
CSheetFacts SheetFacts(const CDesign& design);

// The thread of block k: brand, number and name where the design knows
// them, else the chart entry or the preview palette's entry, else its RGB.
std::string ThreadText(const CDesign& design, int block);

// 1234567 as "1.234.567"; counts are never negative (below 0 gives "0").
std::string CountText(long long count);
// A length of 0.1 mm units as "118,4 mm (4,66 in)".
std::string LengthText(int units);
// The estimate, with what it assumes: "ca. 1 h 05 min (700 Stiche pro
// Minute, 1 min je Farbwechsel)".
std::string SewingTimeText(const CSheetFacts& facts);
// The picture's scale: "Maßstab 1:1 (Originalgröße)" at 1, otherwise
// "verkleinert, Maßstab 1:2,50 (40 %)".
std::string ScaleText(double scale);
// Text from a file as cairo takes it: valid UTF-8 stays, any other byte is
// read as Latin-1, control characters become '?'.
std::string Utf8Text(const std::string& bytes);
