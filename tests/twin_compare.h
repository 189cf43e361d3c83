// The same design in two formats: the corpus holds several designs under
// one name in several folders ("twins"). Their needle penetrations, colour
// changes and extents must agree as far as the two encodings allow.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fuzz/sewing_compare.h"
#include "tests/test_support.h"

struct TwinPoint {
  int x, y;
};

// What a design sews, as far as twins can be compared: its penetrations in
// order, repeated penetrations at one point counted once (exporters keep or
// drop such tie stitches), and the colour changes between the first and the
// last penetration, each as the number of penetrations before it.
struct NeedlePath {
  std::vector<TwinPoint> points;
  std::vector<std::size_t> changes;
  int repeats = 0;  // penetrations dropped as repeats of the one before

  explicit NeedlePath(const CDesign& d, int quarterTurns = 0) {
    std::size_t pending = 0;
    for (std::size_t i = static_cast<std::size_t>(d.FirstOwnRecord()); i < d.m_arrKind.size(); ++i) {
      const int kind = d.m_arrKind[i];
      if (kind == KIND_END) break;
      if (kind == KIND_COLOR && !points.empty()) ++pending;
      if (kind != KIND_STITCH) continue;
      TwinPoint p{d.m_arrX[i], d.m_arrY[i]};
      for (int t = 0; t < quarterTurns; ++t) p = {-p.y, p.x};
      if (!points.empty() && points.back().x == p.x && points.back().y == p.y) {
        ++repeats;
        continue;
      }
      changes.insert(changes.end(), pending, points.size());
      pending = 0;
      points.push_back(p);
    }
    if (points.empty()) return;
    // Positions from the corner of the penetrations' box: twins differ in
    // where their origin lies.
    int minX = points[0].x, minY = points[0].y;
    for (const TwinPoint& p : points) {
      minX = std::min(minX, p.x);
      minY = std::min(minY, p.y);
    }
    for (TwinPoint& p : points) p = {p.x - minX, p.y - minY};
  }
  TwinPoint Size() const {
    TwinPoint size{0, 0};
    for (const TwinPoint& p : points) size = {std::max(size.x, p.x), std::max(size.y, p.y)};
    return size;
  }
};

// Empty when b sews what a sews within tolerance units: the same
// penetrations in order, where either may split a step longer than a
// record of the other's format into pieces on its line, hold two
// penetrations that the other's coarser grid puts on one point, or lack the
// other's first penetration (formats whose first penetration is the
// origin); the same colour changes between the same penetrations; the same
// extents. Otherwise the first difference, in words.
inline std::string TwinDifference(const NeedlePath& a, const NeedlePath& b, int tolerance) {
  auto near = [&](const TwinPoint& p, const TwinPoint& q) {
    return std::abs(p.x - q.x) <= tolerance && std::abs(p.y - q.y) <= tolerance;
  };
  // Whether p lies within tolerance of the line from s to e, and the step
  // from s to e is longer than the shortest largest record (121 units).
  auto splits = [&](const TwinPoint& s, const TwinPoint& e, const TwinPoint& p) {
    const double dx = e.x - s.x, dy = e.y - s.y, length = std::hypot(dx, dy);
    if (std::max(std::abs(dx), std::abs(dy)) <= 121) return false;
    const double t = ((p.x - s.x) * dx + (p.y - s.y) * dy) / (length * length);
    return t > 0 && t < 1 && std::abs((p.x - s.x) * dy - (p.y - s.y) * dx) / length <= tolerance + 1.5;
  };
  auto at = [](const char* side, std::size_t i, const TwinPoint& p) {
    return std::string(side) + " penetration " + std::to_string(i) + " (" + std::to_string(p.x) + ", " +
           std::to_string(p.y) + ")";
  };
  const TwinPoint sa = a.Size(), sb = b.Size();
  if (std::abs(sa.x - sb.x) > tolerance || std::abs(sa.y - sb.y) > tolerance)
    return "extents " + std::to_string(sa.x) + " x " + std::to_string(sa.y) + " and " + std::to_string(sb.x) +
           " x " + std::to_string(sb.y);

  // Matches from penetration i of a and j of b on, noting which one of b
  // each of a matches.
  std::map<std::size_t, std::size_t> matched;
  auto match = [&](std::size_t i, std::size_t j) -> std::string {
    matched.clear();
    while (i < a.points.size() && j < b.points.size()) {
      const TwinPoint &p = a.points[i], &q = b.points[j];
      if (near(p, q)) {
        matched[i++] = j++;
      } else if (i > 0 && j > 0 && near(p, b.points[j - 1])) {
        ++i;  // on a coarser grid the two penetrations are one
      } else if (i > 0 && j > 0 && near(q, a.points[i - 1])) {
        ++j;
      } else if (i > 0 && splits(a.points[i - 1], p, q)) {
        ++j;
      } else if (j > 0 && splits(b.points[j - 1], q, p)) {
        ++i;
      } else {
        return at("first", i, p) + " against " + at("second", j, q);
      }
    }
    if (i < a.points.size()) return "the second ends before " + at("first", i, a.points[i]);
    if (j < b.points.size()) return "the first ends before " + at("second", j, b.points[j]);
    return {};
  };
  const std::string difference = match(0, 0);
  if (!difference.empty() && !match(1, 0).empty() && !match(0, 1).empty()) return difference;

  std::vector<std::size_t> changes;
  for (std::size_t c : a.changes) changes.push_back(matched.count(c) ? matched[c] : SIZE_MAX);
  if (changes != b.changes)
    return std::to_string(a.changes.size()) + " and " + std::to_string(b.changes.size()) +
           " colour changes, or at other penetrations";
  return {};
}

// Twins whose files hold the design otherwise than the encodings explain,
// with the quarter turns that bring the twin to the first (-1: no turn
// does) and why.
struct KnownTwin {
  const char* file;
  int quarterTurns;
  const char* why;
};
inline constexpr KnownTwin kKnownTwins[] = {
    {"Embroidermodder__Embroidermodder.pes", 3, "the PES file holds the design turned a quarter"},
    {"Rust-Embroidery-Catalogue__Cake_3.pcs", -1, "the PCS file holds it turned and scaled to 89 %"},
    {"Rust-Embroidery-Catalogue__Cake_3.sew", -1, "the SEW file holds it turned, in two files"},
};

// Every corpus file of the format against each twin in the other formats
// with a reader: its needle path must agree. PCS twins lie up to 0.4 mm off
// (against their DST twins as much): whole 1/6 mm, truncated on reading,
// after their producer's own rounding.
inline void ExpectTwinsAgree(const char* format) {
  const auto files = CorpusFiles(format);
  if (files.empty()) GTEST_SKIP() << "corpus folder not present";
  int pairs = 0;
  for (const auto& file : files) {
    CHeadlessViewer own(kMemoryOnly);
    ASSERT_EQ(own.Load(ReadFileBytes(file), file.filename().string()), LoadOutcome::loaded);
    for (const FormatEntry& other : Formats()) {
      if (other.name == std::string(format)) continue;
      for (const auto& twin : CorpusFiles(other.name)) {
        if (twin.stem() != file.stem()) continue;
        const std::string name = twin.filename().string();
        const auto known = std::find_if(std::begin(kKnownTwins), std::end(kKnownTwins),
                                        [&](const KnownTwin& k) { return name == k.file; });
        const int turns = known == std::end(kKnownTwins) ? 0 : known->quarterTurns;
        if (turns < 0) continue;
        CHeadlessViewer viewer(kMemoryOnly);
        ASSERT_EQ(viewer.Load(ReadFileBytes(twin), name), LoadOutcome::loaded);
        const NeedlePath a(own.dlg), b(viewer.dlg, turns);
        EXPECT_EQ(TwinDifference(a, b, other.code == FORMAT_PCS ? 4 : 0), "") << file.filename() << " and " << name;
        ++pairs;
      }
    }
  }
  EXPECT_GT(pairs, 0);
}

// Every corpus file of the format, converted to the other format and back
// to its own, sews what it sewed: every penetration, travel and colour
// change. A design that the format's writer refuses must be refused with a
// message that holds refusalText.
inline void ExpectRoundTripThrough(const char* via, const char* format, const std::string& refusalText) {
  const auto files = CorpusFiles(format);
  if (files.empty()) GTEST_SKIP() << "corpus folder not present";
  TempDir dir;
  int kept = 0;
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    CHeadlessViewer viewer(kMemoryOnly);
    ASSERT_EQ(viewer.Load(ReadFileBytes(file), file.filename().string()), LoadOutcome::loaded);
    const std::vector<SewingStep> source = SewingSteps(viewer.dlg);
    const int colors = viewer.dlg.m_nColorCount;
    const std::string there = std::string("there.") + via, back = std::string("back.") + format;
    ASSERT_EQ(viewer.Save(*FindFormat(via), there), SaveOutcome::written);
    ASSERT_EQ(viewer.Load(there), LoadOutcome::loaded);
    if (viewer.Save(*FindFormat(format), back) == SaveOutcome::refused) {
      ASSERT_FALSE(viewer.platform.messages.empty());
      EXPECT_NE(viewer.platform.messages.back().find(refusalText), std::string::npos)
          << viewer.platform.messages.back();
      continue;
    }
    ASSERT_EQ(viewer.Load(back), LoadOutcome::loaded);
    EXPECT_EQ(SewingDifference(source, SewingSteps(viewer.dlg), 0), "");
    EXPECT_EQ(viewer.dlg.m_nColorCount, colors);
    ++kept;
  }
  EXPECT_GT(kept, 0);
}
