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
  // Positions relative to where the first step ends: a travel that the
  // design begins with, or its first penetration. Colour changes sit where
  // the needle is.
  const int originX = steps[0].x, originY = steps[0].y;
  SewingStep at = steps[0];
  for (SewingStep& s : steps) {
    if (s.kind == KIND_COLOR) {
      s.x = Wrapped(at.x - originX);
      s.y = Wrapped(at.y - originY);
      continue;
    }
    at = s;
    s.x = Wrapped(s.x - originX);
    s.y = Wrapped(s.y - originY);
  }
  return steps;
}

std::string SewingDifference(const std::vector<SewingStep>& source, const std::vector<SewingStep>& written,
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
      while (j < written.size() && written[j].kind == KIND_STITCH && !Near(written[j], s, tolerance)) {
        if (!longStep || !OnSegment(last, s, written[j], tolerance))
          return where + ": written " + Describe(written[j]) + " is added";
        ++j;
      }
      if (j >= written.size() || written[j].kind != KIND_STITCH)
        return where + ": written " + (j < written.size() ? Describe(written[j]) : "end") + " instead";
      sewn = true;
    } else if (written[j].kind != s.kind || (s.kind == KIND_MOVE && !Near(written[j], s, tolerance))) {
      return where + ": written " + Describe(written[j]) + " instead";
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
