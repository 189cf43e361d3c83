// Janome JEF writer; the layout is in design/jef.h.
//
// The design is centred on its box, whose centre the header's extents and
// margin boxes measure from. The hoop code is the smallest hoop that holds
// the design without turning it; the margin boxes are filled for the three
// hoops whose margins the format has fields for (four -1 where the design
// does not fit), the custom box repeats the 140 x 200 one. The length field
// counts the stitch data in 2-byte units, end code included.
//
// Records: a stitch of at most 127 units an axis is one record. Longer
// steps are split on their straight line into pieces of at most 127: a move
// into jumps, a stitch into jumps and the last piece as the stitch, so that
// the needle goes down only where the design has it. A colour change is
// 80 01 00 00, the end 80 10.
//
// The date field holds zero digits: the writer takes nothing from the clock,
// so a design saved twice gives the same bytes, and readers do not use it.
#include "export/jef_writer.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "design/jef.h"
#include "design/thread_charts.h"
#include "export/centred_walk.h"
#include "framework/window_words.h"

namespace {

constexpr int kMaxStep = 127;
constexpr std::uint32_t kFlags = 0x0A;
// Nearest colours come from 1..72: whether Janome's software takes the last
// entries of the chart is not known; indices a file gave are kept.
constexpr int kFirstIndex = 1, kLastNearestIndex = 72, kLastIndex = 78;
// The margin boxes as their fields are ordered: half width and half height.
constexpr int kMarginBoxes[4][2] = {{550, 550}, {250, 250}, {700, 1000}, {700, 1000}};

inline void PutU32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The bytes of one step of the walk; calls emit(bytes, count) per record.
template <class Emit>
void EncodeStep(int dx, int dy, std::uint8_t kind, Emit&& emit) {
  if (kind == KIND_COLOR) {
    const std::uint8_t change[4] = {jef::kEscape, jef::kColorCode, 0, 0};
    emit(change, 4);
    return;
  }
  SplitStepAwayFromZero(dx, dy, kMaxStep, [&](int px, int py, bool last) {
    if (last && kind == KIND_STITCH) {
      const std::uint8_t stitch[2] = {static_cast<std::uint8_t>(px), static_cast<std::uint8_t>(-py)};
      emit(stitch, 2);
    } else {
      const std::uint8_t jump[4] = {jef::kEscape, jef::kMoveCode, static_cast<std::uint8_t>(px),
                                    static_cast<std::uint8_t>(-py)};
      emit(jump, 4);
    }
  });
}

std::string Millimetres(int tenths) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d", tenths / 10, tenths % 10);
  return text;
}

}  // namespace

std::vector<int> JefThreadIndices(const CDesign& design, int blocks) {
  std::vector<int> indices;
  indices.reserve(static_cast<std::size_t>(blocks));
  const auto chart = JanomeChart();
  int before = -1;
  for (int k = 0; k < blocks; ++k) {
    const CThread thread = BlockThread(design, k);
    int index = thread.chart == ThreadChart::janome && thread.index >= kFirstIndex && thread.index <= kLastIndex
                    ? thread.index
                    : NearestChartIndex(chart, kFirstIndex, kLastNearestIndex, thread.color);
    if (index == before) index = NearestChartIndex(chart, kFirstIndex, kLastNearestIndex, thread.color, before);
    indices.push_back(index);
    before = index;
  }
  return indices;
}

CEncoded EncodeJef(const CDesign& design, const CEncodeRequest&) {
  const CCentredDesign placed(design);
  const jef::Hoop* hoop = nullptr;
  for (const jef::Hoop& h : jef::kJefHoops) {
    if (2 * placed.left <= h.width && 2 * placed.right <= h.width && 2 * placed.top <= h.height &&
        2 * placed.bottom <= h.height) {
      hoop = &h;
      break;
    }
  }
  if (!hoop)
    return Refusal(Filled(WindowWords("Design %s x %s mm passt in keinen Janome-Rahmen (h\xC3\xB6"
                                      "chstens 200.0 x 200.0 mm), Konvertierung abgebrochen"),
                          {Millimetres(placed.Width()), Millimetres(placed.Height())}));

  // One pass to count, so that the file is asked for once at its size.
  std::size_t data = 2;  // the end code
  int blocks = 1;
  placed.ForEachStep([&](int dx, int dy, std::uint8_t kind) {
    if (kind == KIND_COLOR) ++blocks;
    EncodeStep(dx, dy, kind, [&](const std::uint8_t*, std::size_t n) { data += n; });
  });
  const std::size_t start = static_cast<std::size_t>(jef::kThreadTable) + 8 * static_cast<std::size_t>(blocks);
  CEncoded result;
  std::vector<std::uint8_t>& file = result.bytes;
  file.resize(start + data);
  std::uint8_t* out = file.data();

  PutU32(out + jef::kStitchOffsetField, static_cast<std::uint32_t>(start));
  PutU32(out + jef::kFlagsField, kFlags);
  std::memset(out + jef::kDateField, '0', jef::kDateLength);
  PutU32(out + jef::kBlockCountField, static_cast<std::uint32_t>(blocks));
  PutU32(out + jef::kDataLengthField, static_cast<std::uint32_t>(data / 2));
  PutU32(out + jef::kHoopField, static_cast<std::uint32_t>(hoop->code));
  const int extents[4] = {placed.left, placed.top, placed.right, placed.bottom};
  for (int i = 0; i < 4; ++i) PutU32(out + jef::kExtentsField + 4 * i, static_cast<std::uint32_t>(extents[i]));
  for (int box = 0; box < 4; ++box) {
    const int half[4] = {kMarginBoxes[box][0], kMarginBoxes[box][1], kMarginBoxes[box][0], kMarginBoxes[box][1]};
    bool fits = true;
    for (int i = 0; i < 4; ++i) fits = fits && extents[i] <= half[i];
    for (int i = 0; i < 4; ++i)
      PutU32(out + jef::kMarginFields[box] + 4 * i, fits ? static_cast<std::uint32_t>(half[i] - extents[i]) : ~0u);
  }
  const std::vector<int> indices = JefThreadIndices(design, blocks);
  for (int k = 0; k < blocks; ++k) {
    PutU32(out + jef::kThreadTable + 4 * k, static_cast<std::uint32_t>(indices[static_cast<std::size_t>(k)]));
    PutU32(out + jef::kThreadTable + 4 * (blocks + k), jef::kThreadType);
  }

  std::size_t pos = start;
  placed.ForEachStep([&](int dx, int dy, std::uint8_t kind) {
    EncodeStep(dx, dy, kind, [&](const std::uint8_t* bytes, std::size_t n) {
      std::memcpy(out + pos, bytes, n);
      pos += n;
    });
  });
  out[pos++] = jef::kEscape;
  out[pos++] = jef::kEndCode;
  assert(pos == file.size());
  return result;
}
