// Checks of a format's reader and writer against the corpus: the same
// design in two formats (the corpus holds several designs under one name in
// several folders, "twins"), whose needle penetrations, colour changes and
// extents must agree as far as the two encodings allow; conversions there
// and back; the format's plausibility test on its own files.
#pragma once
#include <algorithm>
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "fuzz/sewing_compare.h"
#include "tests/test_support.h"

struct TwinPoint {
  int x, y;
  bool travel = false;  // where a travel ends, not a penetration
};

// What a design sews, as far as twins can be compared: its penetrations in
// order, repeated penetrations at one point counted once (exporters keep or
// drop such tie stitches), the ends of its travels (a format may say no more
// than that the needle travelled there, where another puts a penetration at
// the end), and the colour changes between the first and the last
// penetration, each as the index of the point after it.
struct NeedlePath {
  std::vector<TwinPoint> points;
  std::vector<std::size_t> changes;

  explicit NeedlePath(const CDesign& d, int quarterTurns = 0) {
    std::size_t pending = 0;
    bool sewn = false;
    for (std::size_t i = static_cast<std::size_t>(d.FirstOwnRecord()); i < d.m_arrKind.size(); ++i) {
      const int kind = d.m_arrKind[i];
      if (kind == KIND_END) break;
      if (kind == KIND_COLOR && sewn) ++pending;
      if (kind != KIND_STITCH && kind != KIND_MOVE) continue;
      TwinPoint p{d.m_arrX[i], d.m_arrY[i], kind == KIND_MOVE};
      for (int t = 0; t < quarterTurns; ++t) p = {-p.y, p.x, p.travel};
      // A travel's chain counts by its end, a travel that goes nowhere not
      // at all; a penetration repeated on one point counts once.
      if (!points.empty() && points.back().travel && p.travel) points.pop_back();
      const TwinPoint* last = points.empty() ? nullptr : &points.back();
      if (last && last->x == p.x && last->y == p.y && !last->travel) continue;
      if (!p.travel) {
        changes.insert(changes.end(), pending, points.size());
        pending = 0;
        sewn = true;
      }
      points.push_back(p);
    }
    while (!points.empty() && points.back().travel) points.pop_back();
    if (points.empty()) return;
    // Positions from the corner of the penetrations' box: twins differ in
    // where their origin lies.
    int minX = INT32_MAX, minY = INT32_MAX;
    for (const TwinPoint& p : points) {
      if (p.travel) continue;
      minX = std::min(minX, p.x);
      minY = std::min(minY, p.y);
    }
    for (TwinPoint& p : points) p = {p.x - minX, p.y - minY, p.travel};
  }
  TwinPoint Size() const {
    TwinPoint size{0, 0};
    for (const TwinPoint& p : points)
      if (!p.travel) size = {std::max(size.x, p.x), std::max(size.y, p.y)};
    return size;
  }
};

// Empty when b sews what a sews within tolerance units: the same
// penetrations in order, where either may split a step longer than a
// record of the other's format into pieces on its line, hold two
// penetrations that the other's coarser grid puts on one point, put a
// penetration where the other's travel ends, or lack the other's first
// penetration (formats whose first penetration is the origin); the same
// colour changes between the same penetrations; the same extents.
// Otherwise the first difference, in words.
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
    return std::string(side) + (p.travel ? " travel end " : " penetration ") + std::to_string(i) + " (" +
           std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
  };
  const TwinPoint sa = a.Size(), sb = b.Size();
  if (std::abs(sa.x - sb.x) > tolerance || std::abs(sa.y - sb.y) > tolerance)
    return "extents " + std::to_string(sa.x) + " x " + std::to_string(sa.y) + " and " + std::to_string(sb.x) +
           " x " + std::to_string(sb.y);

  // Matches from point i of a and j of b on, noting the pairs that match.
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  auto match = [&](std::size_t i, std::size_t j) -> std::string {
    pairs.clear();
    const std::vector<TwinPoint> &pa = a.points, &pb = b.points;
    while (i < pa.size() && j < pb.size()) {
      const TwinPoint &p = pa[i], &q = pb[j];
      // A travel to where the other's penetration is, followed by the
      // penetration there: the penetrations pair.
      auto penetrationNext = [&](const std::vector<TwinPoint>& v, std::size_t k, const TwinPoint& other) {
        return v[k].travel && !other.travel && k + 1 < v.size() && !v[k + 1].travel && near(v[k + 1], other);
      };
      if (near(p, q) && (penetrationNext(pa, i, q) || penetrationNext(pb, j, p))) {
        ++(p.travel ? i : j);
      } else if (near(p, q)) {
        pairs.push_back({i++, j++});
      } else if (p.travel || q.travel) {
        ++(p.travel ? i : j);  // a travel of one format alone
      } else if (i > 0 && j > 0 && near(p, pb[j - 1])) {
        ++i;  // on a coarser grid the two penetrations are one
      } else if (i > 0 && j > 0 && near(q, pa[i - 1])) {
        ++j;
      } else if (i > 0 && splits(pa[i - 1], p, q)) {
        ++j;
      } else if (j > 0 && splits(pb[j - 1], q, p)) {
        ++i;
      } else {
        return at("first", i, p) + " against " + at("second", j, q);
      }
    }
    for (; i < pa.size(); ++i)
      if (!pa[i].travel) return "the second ends before " + at("first", i, pa[i]);
    for (; j < pb.size(); ++j)
      if (!pb[j].travel) return "the first ends before " + at("second", j, pb[j]);
    return {};
  };
  // Either may lack the other's first penetration (and the travel to it).
  auto second = [](const std::vector<TwinPoint>& points) {
    std::size_t k = 0;
    while (k < points.size() && points[k].travel) ++k;
    return k + 1;
  };
  const std::string difference = match(0, 0);
  if (!difference.empty() && !match(second(a.points), 0).empty() && !match(0, second(b.points)).empty())
    return difference;

  // Each colour change lies before the same matched pair on both sides.
  auto before = [&](const std::vector<std::size_t>& changes, bool first) {
    std::vector<std::size_t> at;
    for (std::size_t c : changes) {
      std::size_t k = 0;
      while (k < pairs.size() && (first ? pairs[k].first : pairs[k].second) < c) ++k;
      at.push_back(k);
    }
    return at;
  };
  if (before(a.changes, true) != before(b.changes, false))
    return std::to_string(a.changes.size()) + " and " + std::to_string(b.changes.size()) +
           " colour changes, or before other penetrations";
  return {};
}

// Twins that differ from the others more than their encodings explain,
// and how far they can still be compared.
// full: point by point; turned: so after three quarter turns of the twin;
// sizeAndColours: its extents and colour changes only; none: not at all.
enum class TwinCheck { full, turned, sizeAndColours, none };
struct KnownTwin {
  const char* file;
  TwinCheck check;
  const char* why;
};
inline constexpr KnownTwin kKnownTwins[] = {
    {"Embroidermodder__Embroidermodder.pes", TwinCheck::turned, "the PES file holds the design turned a quarter"},
    {"Rust-Embroidery-Catalogue__Cake_3.pcs", TwinCheck::none, "the PCS file holds it turned a quarter, at 89 %"},
    {"Rust-Embroidery-Catalogue__Cake_3.sew", TwinCheck::none, "turned a quarter, at 93 %, split over two SEW files"},
    // Made from the VSM file by a reader that takes the first record of
    // every block as a travel: where that record is a stitch (2 of 19
    // blocks) the DST file travels instead; and it rounds the micrometres
    // step by step (positions 1 unit apart).
    {"Rust-Embroidery-Catalogue__01Peacock.dst", TwinCheck::sizeAndColours,
     "the DST file travels where two blocks begin"},
};

// Every corpus file of the format against each twin in the other formats
// with a reader: its needle path must agree.
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
        const TwinCheck check = known == std::end(kKnownTwins) ? TwinCheck::full : known->check;
        if (check == TwinCheck::none) continue;
        CHeadlessViewer viewer(kMemoryOnly);
        ASSERT_EQ(viewer.Load(ReadFileBytes(twin), name), LoadOutcome::loaded);
        const NeedlePath a(own.dlg), b(viewer.dlg, check == TwinCheck::turned ? 3 : 0);
        if (check == TwinCheck::sizeAndColours) {
          EXPECT_LE(std::abs(a.Size().x - b.Size().x), 1) << name;
          EXPECT_LE(std::abs(a.Size().y - b.Size().y), 1) << name;
          EXPECT_EQ(a.changes.size(), b.changes.size()) << name;
          EXPECT_EQ(own.dlg.m_nColorCount, viewer.dlg.m_nColorCount) << name;
        } else {
          // PCS twins lie up to 0.4 mm off (against their DST twins as
          // much): whole 1/6 mm, truncated on reading, after their
          // producer's own rounding.
          EXPECT_EQ(TwinDifference(a, b, other.code == FORMAT_PCS ? 4 : 0), "") << file.filename() << " and " << name;
        }
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

// Every corpus file of the format passes its row's plausibility test.
inline void ExpectCorpusPlausible(const char* format) {
  const FormatEntry& entry = *FindFormat(format);
  ASSERT_NE(entry.plausible, nullptr);
  for (const auto& file : CorpusFiles(format)) {
    const Bytes bytes = ReadFileBytes(file);
    EXPECT_TRUE(entry.plausible(ByteView(bytes, static_cast<int>(bytes.size())))) << file;
  }
}

// What an encoder makes of the design, where it must not refuse it.
inline Bytes EncodedBytes(Encoder encode, const CDesign& design) {
  const CEncoded e = encode(design, CEncodeRequest{"stem"});
  EXPECT_FALSE(e.Refused()) << e.refusal;
  return e.bytes;
}

// The bytes of the corpus file of that name in the format's folder; empty
// (and the test skipped) when the corpus is absent, a failure when the file
// is missing from it.
inline Bytes CorpusBytes(const char* format, const std::string& name) {
  const auto files = CorpusFiles(format);
  if (files.empty()) return {};
  const auto file = std::find_if(files.begin(), files.end(), [&](const auto& f) { return f.filename() == name; });
  if (file == files.end()) ADD_FAILURE() << name << " is not in the corpus";
  return file == files.end() ? Bytes{} : ReadFileBytes(*file);
}
