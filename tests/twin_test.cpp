// Corpus designs of the HUS, VIP, PHC and PHB readers against their twins
// (the same name in another format): the needle penetrations in order, the
// colour changes between them and the penetrations' extents agree as far as
// the two encodings allow (one line printed per pair); and their rows in the
// format table take every real file for their own.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>

#include "tests/test_support.h"

namespace {

struct Point {
  int x, y;
  auto operator<=>(const Point&) const = default;
};

struct Sewn {
  std::vector<Point> penetrations;  // relative to their box's corner
  Point start{};                    // where the needle starts, in the same frame
  int width = 0, height = 0;
  int changes = 0;  // colour changes between the first and the last penetration
};

Sewn SewnOf(const CViewerDlg& dlg) {
  Sewn s;
  std::vector<Point> raw;
  int pending = 0;
  for (int i = dlg.FirstOwnRecord(); dlg.m_arrKind[static_cast<std::size_t>(i)] != KIND_END; ++i) {
    const std::uint8_t kind = dlg.m_arrKind[static_cast<std::size_t>(i)];
    if (kind == KIND_COLOR && !raw.empty()) ++pending;
    if (kind != KIND_STITCH) continue;
    raw.push_back({dlg.m_arrX[static_cast<std::size_t>(i)], dlg.m_arrY[static_cast<std::size_t>(i)]});
    s.changes += pending;
    pending = 0;
  }
  if (raw.empty()) return s;
  Point low = raw[0], high = raw[0];
  for (const Point& p : raw) {
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
  }
  for (const Point& p : raw) s.penetrations.push_back({p.x - low.x, p.y - low.y});
  s.start = {-low.x, -low.y};
  s.width = high.x - low.x;
  s.height = high.y - low.y;
  return s;
}

// Positions a twin may hold one unit off: PCS keeps whole 1/6 mm.
int Tolerance(const std::string& a, const std::string& b) { return a == "pcs" || b == "pcs" ? 2 : 0; }

struct Comparison {
  std::size_t matched = 0, skipped = 0;
  std::size_t unknown = 0;  // skipped penetrations at no position of the other design
  bool lost = false;        // no resynchronisation within the look-ahead
};

// Walks both sequences; where they part, skips the fewest penetrations of
// either (up to 4 together) after which three agree again. A twin written
// by another program may repeat a penetration (tie-in stitches), and one
// format sews a stitch where the lead-in ends that another takes for its
// start: every skipped one must lie where the other design also sews or
// starts.
Comparison Compare(const Sewn& sa, const Sewn& sb, int tol) {
  const std::vector<Point>& a = sa.penetrations;
  const std::vector<Point>& b = sb.penetrations;
  auto near = [tol](Point p, Point q) { return std::abs(p.x - q.x) <= tol && std::abs(p.y - q.y) <= tol; };
  auto agree = [&](std::size_t i, std::size_t j) {
    for (std::size_t k = 0; k < 3; ++k) {
      if (i + k >= a.size() || j + k >= b.size()) return true;  // an end agrees with anything
      if (!near(a[i + k], b[j + k])) return false;
    }
    return true;
  };
  std::set<Point> inA(a.begin(), a.end()), inB(b.begin(), b.end());
  inA.insert(sa.start);
  inB.insert(sb.start);
  auto sewnIn = [tol](const std::set<Point>& set, Point p) {
    for (int dx = -tol; dx <= tol; ++dx)
      for (int dy = -tol; dy <= tol; ++dy)
        if (set.count({p.x + dx, p.y + dy})) return true;
    return false;
  };
  Comparison c;
  auto skip = [&](const std::vector<Point>& from, std::size_t& i, std::size_t n, const std::set<Point>& other) {
    for (std::size_t k = 0; k < n && i < from.size(); ++k, ++i) {
      ++c.skipped;
      c.unknown += !sewnIn(other, from[i]);
    }
  };
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (near(a[i], b[j])) {
      ++c.matched, ++i, ++j;
      continue;
    }
    bool found = false;
    for (std::size_t total = 1; total <= 4 && !found; ++total)
      for (std::size_t si = 0; si <= total && !found; ++si)
        if (agree(i + si, j + total - si)) {
          skip(a, i, si, inB);
          skip(b, j, total - si, inA);
          found = true;
        }
    if (!found) {
      c.lost = true;
      return c;
    }
  }
  skip(a, i, a.size() - i, inB);
  skip(b, j, b.size() - j, inA);
  return c;
}

// Twins that are not the same data, and why.
std::string KnownDifference(const std::string& stem, const std::string& twinFormat) {
  if (stem.ends_with("__Bean"))
    return "another conversion of the design: more penetrations along the same path";
  if (stem.ends_with("__Cake_3")) return "another conversion of the design: other penetrations and extents";
  if (stem == "Embroidermodder__Embroidermodder" && twinFormat == "pes")
    return "the PES twin's stitches are the design turned a quarter";
  return {};
}

}  // namespace

TEST(TwinTest, PenetrationsColourChangesAndExtentsAgreeWithTheSameDesignInOtherFormats) {
  bool any = false;
  for (const char* format : {"hus", "vip", "phc", "phb"}) {
    for (const auto& path : CorpusFiles(format)) {
      const std::string stem = path.stem().string();
      CHeadlessViewer mine(kMemoryOnly);
      ASSERT_EQ(mine.Load(ReadFileBytes(path), path.filename().string()), LoadOutcome::loaded);
      const Sewn a = SewnOf(mine.dlg);
      for (const FormatEntry& twin : Formats()) {
        if (std::string(twin.name) == format) continue;
        for (const auto& other : CorpusFiles(twin.name)) {
          if (other.stem() != path.stem()) continue;
          any = true;
          CHeadlessViewer theirs(kMemoryOnly);
          ASSERT_EQ(theirs.Load(ReadFileBytes(other), other.filename().string()), LoadOutcome::loaded);
          const Sewn b = SewnOf(theirs.dlg);
          const int tol = Tolerance(format, twin.name);
          const Comparison c = Compare(a, b, tol);
          const std::string known = KnownDifference(stem, twin.name);
          std::cout << stem << " " << format << "/" << twin.name << ": penetrations " << a.penetrations.size() << "/"
                    << b.penetrations.size() << ", in order " << c.matched << (c.lost ? " (then apart)" : "")
                    << ", repeats " << c.skipped << ", elsewhere " << c.unknown << "; changes " << a.changes << "/"
                    << b.changes << "; extents " << a.width << "x" << a.height << "/" << b.width << "x" << b.height
                    << (known.empty() ? "" : "; " + known) << "\n";
          SCOPED_TRACE(stem + " " + format + " against " + twin.name);
          const bool agrees = !c.lost && c.unknown == 0 && c.skipped <= 1 + a.penetrations.size() / 50 &&
                              a.changes == b.changes && std::abs(a.width - b.width) <= tol &&
                              std::abs(a.height - b.height) <= tol;
          // The known differences must still be differences, or the list is stale.
          EXPECT_EQ(agrees, known.empty());
        }
      }
    }
  }
  if (!any) GTEST_SKIP() << "corpus folder not present";
}

TEST(TwinTest, TheTableRowsKnowTheRealFiles) {
  bool any = false;
  for (const char* format : {"hus", "vip", "phc", "phb"}) {
    const FormatEntry* row = FindFormat(format);
    ASSERT_NE(row, nullptr);
    for (const auto& path : CorpusFiles(format)) {
      any = true;
      const Bytes bytes = ReadFileBytes(path);
      const ByteView file(bytes, static_cast<int>(bytes.size()));
      EXPECT_TRUE(row->plausible(file)) << path;
      // The MIME magic: one of the row's signatures at its offset.
      EXPECT_TRUE(std::any_of(row->signatures.begin(), row->signatures.end(), [&](const CSignature& s) {
        return bytes.size() >= s.offset + s.bytes.size() &&
               std::equal(s.bytes.begin(), s.bytes.end(), bytes.begin() + s.offset,
                          [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
      })) << path;
      // A file cut inside its header cannot be one.
      EXPECT_FALSE(row->plausible(ByteView(bytes, 3))) << path;
    }
  }
  if (!any) GTEST_SKIP() << "corpus folder not present";
}
