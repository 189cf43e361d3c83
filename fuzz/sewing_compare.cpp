#include "fuzz/sewing_compare.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kSmallestLargestStep = 121;

std::string Describe(const SewingStep& s) {
  const char* kind = s.kind == KIND_STITCH ? "stitch" : s.kind == KIND_MOVE ? "move" : "colour change";
  return std::string(kind) + " at (" + std::to_string(s.x) + ", " + std::to_string(s.y) + ")";
}

// Positions are 16-bit and wrap: differences are taken the same way.
int Wrapped(int d) { return static_cast<std::int16_t>(d); }

bool Near(const SewingStep& a, const SewingStep& b, int tolerance) {
  return std::abs(Wrapped(a.x - b.x)) <= tolerance && std::abs(Wrapped(a.y - b.y)) <= tolerance;
}

// Whether p lies on the segment from a to b, within tolerance.
bool OnSegment(const SewingStep& a, const SewingStep& b, const SewingStep& p, int tolerance) {
  const double dx = Wrapped(b.x - a.x), dy = Wrapped(b.y - a.y);
  const double px = Wrapped(p.x - a.x), py = Wrapped(p.y - a.y);
  const double length = std::hypot(dx, dy);
  if (length == 0) return Near(a, p, tolerance);
  const double t = (px * dx + py * dy) / (length * length);
  if (t < -0.01 || t > 1.01) return false;
  const double distance = std::abs(px * dy - py * dx) / length;
  return distance <= tolerance + 1.5;  // pieces are whole units on each axis
}

// Whether the written file makes the source's stitch from a to b, longer
// than a record, as a format without long stitch records must: a travel
// (written[j]) to a point on the line from a to b, then the penetration at b.
bool TravelsAlong(const SewingStep& a, const SewingStep& b, const std::vector<SewingStep>& written,
                  std::size_t j, int tolerance) {
  const bool longStep =
      std::max(std::abs(Wrapped(b.x - a.x)), std::abs(Wrapped(b.y - a.y))) > kSmallestLargestStep;
  return longStep && j + 1 < written.size() && written[j].kind == KIND_MOVE && OnSegment(a, b, written[j], tolerance) &&
         written[j + 1].kind == KIND_STITCH && Near(written[j + 1], b, tolerance);
}

}  // namespace

std::vector<SewingStep> SewingSteps(const CDesign& d) {
  std::vector<SewingStep> steps;
  bool sewn = false;
  for (std::size_t i = static_cast<std::size_t>(d.FirstOwnRecord()); i < d.m_arrKind.size(); ++i) {
    const int kind = d.m_arrKind[i];
    if (kind == KIND_END) break;
    if (kind == KIND_COLOR) {
      if (sewn) steps.push_back({KIND_COLOR, 0, 0});
      continue;
    }
    const int k = kind == KIND_MOVE ? KIND_MOVE : KIND_STITCH;
    sewn = sewn || k == KIND_STITCH;
    if (k == KIND_MOVE && !steps.empty() && steps.back().kind == KIND_MOVE)
      steps.back() = {KIND_MOVE, d.m_arrX[i], d.m_arrY[i]};
    else
      steps.push_back({k, d.m_arrX[i], d.m_arrY[i]});
  }
  // Colour changes after the last penetration sew nothing either.
  while (!steps.empty() && steps.back().kind == KIND_COLOR) steps.pop_back();
  if (steps.empty()) return steps;
  // Colour changes sit where the needle is.
  SewingStep at{KIND_STITCH, 0, 0};
  for (SewingStep& step : steps) {
    if (step.kind == KIND_COLOR) {
      step.x = at.x;
      step.y = at.y;
    } else {
      at = step;
    }
  }
  return steps;
}

namespace {

std::string CompareShifted(const std::vector<SewingStep>& source, const std::vector<SewingStep>& written,
                           int tolerance, bool paddedColorChanges) {
  std::size_t j = 0;
  SewingStep last{KIND_STITCH, 0, 0};  // the needle before the step, in the source
  bool sewn = false;
  for (std::size_t i = 0; i < source.size(); ++i) {
    const SewingStep& s = source[i];
    const std::string where = "source step " + std::to_string(i) + " (" + Describe(s) + ")";
    // A travel to the first penetration may come first in the written file.
    if (!sewn && s.kind == KIND_STITCH && j < written.size() && written[j].kind == KIND_MOVE &&
        (i == 0 || source[i - 1].kind != KIND_MOVE) && Near(written[j], s, tolerance))
      ++j;
    if (j >= written.size()) return where + ": the written file ends before it";
    if (s.kind == KIND_STITCH) {
      // Pieces of a long step lie on its line.
      const bool longStep =
          std::max(std::abs(Wrapped(s.x - last.x)), std::abs(Wrapped(s.y - last.y))) > kSmallestLargestStep;
      if (TravelsAlong(last, s, written, j, tolerance)) ++j;
      while (j < written.size() && written[j].kind == KIND_STITCH && !Near(written[j], s, tolerance)) {
        if (!longStep || !OnSegment(last, s, written[j], tolerance))
          return where + ": written " + Describe(written[j]) + " is added";
        ++j;
      }
      if (j >= written.size() || written[j].kind != KIND_STITCH)
        return where + ": written " + (j < written.size() ? Describe(written[j]) : "end") + " instead";
      sewn = true;
    } else if (written[j].kind != s.kind || (s.kind == KIND_MOVE && !Near(written[j], s, tolerance))) {
      // The travel to a long stitch and the one along it are one travel.
      const bool joined = s.kind == KIND_MOVE && i + 1 < source.size() && source[i + 1].kind == KIND_STITCH &&
                          TravelsAlong(s, source[i + 1], written, j, tolerance);
      if (!joined) return where + ": written " + Describe(written[j]) + " instead";
    }
    if (s.kind != KIND_COLOR) last = s;
    ++j;
    // The padding of a colour change, unless the source has that stitch itself.
    const bool sourceStays = i + 1 < source.size() && source[i + 1].kind == KIND_STITCH &&
                             Near(source[i + 1], last, tolerance);
    if (paddedColorChanges && s.kind == KIND_COLOR && !sourceStays && j < written.size() &&
        written[j].kind == KIND_STITCH && Near(written[j], last, tolerance))
      ++j;
  }
  if (j != written.size()) return "the written file adds " + Describe(written[j]) + " at its end";
  return std::string();
}

// The written steps moved by (dx, dy): where the source's positions lie if
// the file placed the design that far away.
std::vector<SewingStep> Shifted(const std::vector<SewingStep>& steps, int dx, int dy) {
  std::vector<SewingStep> out = steps;
  for (SewingStep& s : out) {
    s.x = Wrapped(s.x - dx);
    s.y = Wrapped(s.y - dy);
  }
  return out;
}

// How many of the written file's first penetrations may stand for the
// source's first: a long step before it may be split into as many pieces.
constexpr std::size_t kFirstPenetrationCandidates = 300;

}  // namespace

std::string SewingDifference(const std::vector<SewingStep>& source, const std::vector<SewingStep>& written,
                             int tolerance, bool paddedColorChanges) {
  const auto compare = [&](int dx, int dy) {
    return CompareShifted(source, Shifted(written, dx, dy), tolerance, paddedColorChanges);
  };
  if (source.empty() || written.empty()) return compare(0, 0);
  // Writers place the design where their format wants it: the offset is
  // where the written file puts the source's first step. Most often the
  // first steps end at the same point; where a long step comes first, a
  // later penetration of the file is the source's first one.
  const std::string first = compare(written[0].x - source[0].x, written[0].y - source[0].y);
  if (first.empty()) return first;
  const auto sourcePenetration = std::find_if(source.begin(), source.end(),
                                              [](const SewingStep& s) { return s.kind == KIND_STITCH; });
  if (sourcePenetration == source.end()) return first;
  std::size_t tried = 0;
  for (const SewingStep& w : written) {
    if (w.kind != KIND_STITCH) continue;
    if (++tried > kFirstPenetrationCandidates) break;
    if (compare(w.x - sourcePenetration->x, w.y - sourcePenetration->y).empty()) return std::string();
  }
  return first;
}
