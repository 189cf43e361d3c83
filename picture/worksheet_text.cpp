#include "picture/worksheet_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "design/thread_charts.h"
#include "framework/utf8.h"
#include "export/record_walk.h"
#include "picture/design_drawing.h"

namespace {

std::string Hex(COLORREF color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
  return text;
}

const char* ChartName(ThreadChart chart) {
  switch (chart) {
    case ThreadChart::pec: return "Brother";
    case ThreadChart::janome: return "Janome";
    case ThreadChart::pcsFile: return "Farbtabelle der Datei";
    case ThreadChart::husqvarna: return "Husqvarna";
    default: return "";
  }
}

// A decimal number with a comma: 118.4 as "118,4".
std::string Decimal(double value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  std::string out = text;
  for (char& c : out)
    if (c == '.') c = ',';
  return out;
}

}  // namespace

CSheetFacts SheetFacts(const CDesign& design) {
  CSheetFacts facts;
  const CSewnExtent extent = SewnExtent(design);
  if (!extent.Empty()) {
    facts.widthUnits = extent.Width();
    facts.heightUnits = extent.Height();
  }
  long long current = 0;  // stitches of the current step
  auto close = [&] {
    facts.stitches += current;
    if (facts.listed.size() < kMaxListedSteps) {
      const int block = static_cast<int>(facts.steps);
      facts.listed.push_back({BlockThread(design, block).color, ThreadText(design, block),
                              static_cast<int>(current)});
    }
    ++facts.steps;
    current = 0;
  };
  CRecordWalk{design, /*leadInMove=*/true}.ForEach([&](std::int16_t, std::int16_t, std::uint8_t kind) {
    if (kind == KIND_COLOR) close();
    else if (kind == KIND_MOVE) ++facts.moves;
    else ++current;
  });
  close();
  return facts;
}

std::string ThreadText(const CDesign& design, int block) {
  const CThread thread = BlockThread(design, block);
  std::string text;
  for (const std::string* part : {&thread.brand, &thread.catalog, &thread.name}) {
    if (part->empty()) continue;
    if (!text.empty()) text += ' ';
    text += *part;
  }
  if (!text.empty()) return Utf8Text(text);
  const std::string hex = Hex(BlockThread(design, block).color);
  if (thread.chart != ThreadChart::none && thread.index >= 0)
    return std::string(ChartName(thread.chart)) + " Nr. " + std::to_string(thread.index) + " (" + hex + ")";
  // Without colours of its own the design is painted from a palette by an
  // index per block (DST: the blocks in turn).
  if (!design.m_bThreadColors && !design.m_bFileColors && block >= 0 && block < kBlockColorEntries)
    return "Palette Nr. " + std::to_string(design.m_blockColor[block]) + " (" + hex + ")";
  return "RGB " + hex;
}

std::string CountText(long long count) {
  std::string digits = std::to_string(count < 0 ? 0 : count);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), 1, '.');
  return digits;
}

std::string LengthText(int units) {
  return Decimal(units / 10.0, 1) + " mm (" + Decimal(units / 254.0, 2) + " in)";
}

std::string SewingTimeText(const CSheetFacts& facts) {
  const long long changes = facts.steps > 0 ? facts.steps - 1 : 0;
  const double seconds = facts.stitches * 60.0 / kStitchesPerMinute + changes * double{kSecondsPerColorChange};
  const long long minutes = std::max<long long>(1, std::llround(std::ceil(seconds / 60)));
  std::string time = minutes >= 60 ? std::to_string(minutes / 60) + " h " : "";
  char rest[8];
  std::snprintf(rest, sizeof rest, minutes >= 60 ? "%02lld" : "%lld", minutes % 60);
  return "ca. " + time + rest + " min (" + std::to_string(kStitchesPerMinute) + " Stiche pro Minute, " +
         std::to_string(kSecondsPerColorChange / 60) + " min je Farbwechsel)";
}

std::string ScaleText(double scale) {
  if (scale >= 1) return "Ma\xC3\x9Fstab 1:1 (Originalgr\xC3\xB6\xC3\x9F" "e)";
  const int percent = std::max(1, static_cast<int>(std::floor(scale * 100)));
  return "verkleinert, Ma\xC3\x9Fstab 1:" + Decimal(1 / scale, 2) + " (" + std::to_string(percent) + " %)";
}

std::string Utf8Text(const std::string& bytes) {
  std::string out;
  const std::size_t n = bytes.size();
  for (std::size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    std::size_t length = Utf8SequenceLength(reinterpret_cast<const unsigned char*>(bytes.data()) + i, n - i);
    if (length == 1) {
      out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    } else if (length > 1) {
      out.append(bytes, i, length);
    } else {
      // Latin-1: U+0080..U+00FF in two bytes; the C1 controls among them as '?'.
      if (c < 0xA0) {
        out += '?';
      } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
      length = 1;
    }
    i += length;
  }
  return out;
}
