// The corpus holds many designs in several formats under one name ("twins").
// Every pair of files with the same stem in two formats of the table must
// sew the same: the needle penetrations in order, the colour changes
// between the first and the last penetration, and the penetrations'
// extents, as far as the two encodings allow. A pair that holds the design
// otherwise is listed below with its cause, and must still differ, so that
// the list cannot go stale. One line is printed per pair.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <sstream>

#include "tests/test_support.h"

namespace {

struct Point {
  int x = 0, y = 0;
};

// A penetration, and where the travel that came right before it ended.
struct Penetration {
  Point at;
  std::optional<Point> landing;
};

// What a machine sews of a design, positions from the corner of the
// penetrations' box (twins differ in where their origin lies).
struct Sewn {
  std::vector<Penetration> penetrations;
  // For each colour change between the first and the last penetration, the
  // number of penetrations before it.
  std::vector<std::size_t> changes;
  int width = 0, height = 0;
};

Sewn SewnOf(const CDesign& d) {
  Sewn s;
  std::vector<std::size_t> changes;
  // The needle's start counts as a travel's end: a format whose first
  // penetration is at the origin sews one there that another does not.
  std::optional<Point> travel = Point{d.m_arrX[0], d.m_arrY[0]};
  for (std::size_t i = static_cast<std::size_t>(d.FirstOwnRecord()); d.m_arrKind[i] != KIND_END; ++i) {
    const Point p{d.m_arrX[i], d.m_arrY[i]};
    if (d.m_arrKind[i] == KIND_COLOR) {
      if (!s.penetrations.empty()) changes.push_back(s.penetrations.size());
    } else if (d.m_arrKind[i] == KIND_MOVE) {
      travel = p;  // a chain of moves counts by its end
    } else {
      // A stitch that does not move the needle is no new penetration.
      const bool repeated = !travel && !s.penetrations.empty() && s.penetrations.back().at.x == p.x &&
                            s.penetrations.back().at.y == p.y;
      if (!repeated) s.penetrations.push_back({p, travel});
      travel.reset();
    }
  }
  if (s.penetrations.empty()) return s;
  for (const std::size_t c : changes)
    if (c < s.penetrations.size()) s.changes.push_back(c);
  Point low{INT_MAX, INT_MAX}, high{INT_MIN, INT_MIN};
  for (const Penetration& p : s.penetrations) {
    low = {std::min(low.x, p.at.x), std::min(low.y, p.at.y)};
    high = {std::max(high.x, p.at.x), std::max(high.y, p.at.y)};
  }
  const auto shift = [low](Point& p) { p = {p.x - low.x, p.y - low.y}; };
  for (Penetration& p : s.penetrations) {
    shift(p.at);
    if (p.landing) shift(*p.landing);
  }
  s.width = high.x - low.x;
  s.height = high.y - low.y;
  return s;
}

// Why a penetration of one twin has no partner in the other.
enum Lone { kRepeat, kLanding, kSplit, kLoneKinds };

struct Comparison {
  std::string difference;  // empty: the twins agree
  std::size_t paired = 0;
  int lone[kLoneKinds] = {};
};

// Aligns both twins' penetrations in order, pairs within the tolerance,
// and accepts a penetration of one twin without a partner only where the
// encodings explain it:
// - repeat: near one of the twin's own last few, as another producer sews
//   more or fewer tie-in stitches;
// - landing: at the end of the travel before it, of either twin: one format
//   sews a penetration where a travel ends, the other only travels there
//   (VP3 ends a travel with a long record where others put a stitch of
//   length zero);
// - split: on the line of the other twin's step longer than 121 units, the
//   largest DST record, that this format's records cut into pieces.
// The alignment is the one with the fewest lone penetrations, then the
// smallest distances, within a band about the diagonal far wider than the
// lone penetrations of real twins.
Comparison Compare(const Sewn& a, const Sewn& b, int tol) {
  Comparison c;
  const auto near = [tol](Point p, Point q) { return std::abs(p.x - q.x) <= tol && std::abs(p.y - q.y) <= tol; };
  const auto& pa = a.penetrations;
  const auto& pb = b.penetrations;
  if (!near({a.width, a.height}, {b.width, b.height})) {
    c.difference = "extents";
    return c;
  }
  const auto why = [&](const std::vector<Penetration>& own, std::size_t k, const std::vector<Penetration>& other,
                       std::size_t j) -> std::optional<Lone> {
    const Point p = own[k].at;
    for (std::size_t back = 1; back <= 4 && back <= k; ++back)
      if (near(p, own[k - back].at)) return kRepeat;
    if ((own[k].landing && near(p, *own[k].landing)) ||
        (j < other.size() && other[j].landing && near(p, *other[j].landing)))
      return kLanding;
    if (j > 0 && j < other.size()) {
      const Point s = other[j - 1].at, e = other[j].at;
      const double dx = e.x - s.x, dy = e.y - s.y, length = std::hypot(dx, dy);
      const double t = ((p.x - s.x) * dx + (p.y - s.y) * dy) / (length * length);
      if (std::max(std::abs(dx), std::abs(dy)) > 121 && t > 0 && t < 1 &&
          std::abs((p.x - s.x) * dy - (p.y - s.y) * dx) / length <= tol + 1.5)
        return kSplit;
    }
    return std::nullopt;
  };
  // cost[i, j]: the cheapest alignment of the first i of a with the first j
  // of b; how[i, j] the step that reached it: 1 a pair, 2 + lone kind a
  // penetration of a alone, 2 + kLoneKinds + lone kind one of b.
  constexpr long kBand = 64;
  constexpr int kLoneCost = 1 << 10, kNone = INT_MAX;
  const std::size_t n = pa.size(), m = pb.size(), width = 2 * kBand + 1;
  const auto centre = [&](std::size_t i) { return n ? static_cast<long>(m * i / n) : 0L; };
  const auto cell = [&](std::size_t i, long j) -> long {
    const long k = j - centre(i) + kBand;
    return j < 0 || j > static_cast<long>(m) || k < 0 || k >= static_cast<long>(width)
               ? -1
               : static_cast<long>(i * width) + k;
  };
  std::vector<int> cost((n + 1) * width, kNone);
  std::vector<std::uint8_t> how((n + 1) * width, 0);
  const auto offer = [&](std::size_t i, long j, long from, int add, int step) {
    const long to = cell(i, j);
    if (to >= 0 && cost[from] + add < cost[to]) {
      cost[to] = cost[from] + add;
      how[to] = static_cast<std::uint8_t>(step);
    }
  };
  cost[cell(0, 0)] = 0;
  std::size_t reached = 0;
  for (std::size_t i = 0; i <= n; ++i)
    for (long j = std::max(0L, centre(i) - kBand); j <= std::min(static_cast<long>(m), centre(i) + kBand); ++j) {
      const long here = cell(i, j);
      if (cost[here] == kNone) continue;
      reached = i;
      const std::size_t uj = static_cast<std::size_t>(j);
      if (i < n && uj < m && near(pa[i].at, pb[uj].at))
        offer(i + 1, j + 1, here, std::max(std::abs(pa[i].at.x - pb[uj].at.x), std::abs(pa[i].at.y - pb[uj].at.y)),
              1);
      if (i < n)
        if (const auto lone = why(pa, i, pb, uj)) offer(i + 1, j, here, kLoneCost, 2 + *lone);
      if (uj < m)
        if (const auto lone = why(pb, uj, pa, i)) offer(i, j + 1, here, kLoneCost, 2 + kLoneKinds + *lone);
    }
  const long end = cell(n, static_cast<long>(m));
  if (end < 0 || cost[end] == kNone) {
    c.difference = "apart after penetration " + std::to_string(reached) + " of " + std::to_string(n);
    return c;
  }
  std::vector<std::size_t> pairedA, pairedB;  // the pairs, as indices on each side
  for (std::size_t i = n, j = m; i > 0 || j > 0;) {
    const int step = how[cell(i, static_cast<long>(j))];
    if (step == 1) {
      pairedA.push_back(--i);
      pairedB.push_back(--j);
    } else {
      ++c.lone[(step - 2) % kLoneKinds];
      --(step < 2 + kLoneKinds ? i : j);
    }
  }
  std::reverse(pairedA.begin(), pairedA.end());
  std::reverse(pairedB.begin(), pairedB.end());
  c.paired = pairedA.size();
  // Each colour change before the same pair on both sides.
  const auto before = [](const std::vector<std::size_t>& changes, const std::vector<std::size_t>& paired) {
    std::vector<std::size_t> at;
    for (const std::size_t change : changes)
      at.push_back(static_cast<std::size_t>(std::lower_bound(paired.begin(), paired.end(), change) - paired.begin()));
    return at;
  };
  if (before(a.changes, pairedA) != before(b.changes, pairedB)) c.difference = "colour changes";
  return c;
}

// PCS keeps whole 1/6 mm, truncated on reading, after its producer's own
// rounding: its positions lie up to two units off.
int Tolerance(const FormatEntry& a, const FormatEntry& b) {
  return a.code == FORMAT_PCS || b.code == FORMAT_PCS ? 2 : 0;
}

// Twins that hold the design otherwise, not in another encoding: a format
// against the formats listed (all others where none are).
struct KnownDifference {
  const char* stem;
  const char* format;
  std::initializer_list<const char*> against;
  const char* cause;
};
const KnownDifference kKnown[] = {
    // Their stitches are the others' turned by a quarter.
    {"Embroidermodder__Embroidermodder", "pes", {}, "turned a quarter"},
    {"Embroidermodder__Embroidermodder_v2", "pes", {}, "turned a quarter"},
    // Other versions of the design: turned a quarter and scaled (119.7 x
    // 74.9 mm with fewer stitches; 125.0 x 78.2 mm with 12 colours, the
    // rest in Cake_3_2.sew).
    {"Rust-Embroidery-Catalogue__Cake_3", "pcs", {}, "another version"},
    {"Rust-Embroidery-Catalogue__Cake_3", "sew", {}, "another version"},
    // Another conversion: other penetrations and extents.
    {"Rust-Embroidery-Catalogue__Cake_3", "hus", {}, "another conversion"},
    // Their producer stitched the picture anew for every file: other
    // penetrations, and other extents.
    {"PEmbroider__PEmbroider_bitmap_image_2", "exp", {}, "another stitching"},
    {"PEmbroider__PEmbroider_bitmap_image_2", "xxx", {}, "another stitching"},
    {"PEmbroider__PEmbroider_shape_hatching_1", "pes", {"pec"}, "another stitching"},
    // Made from the VSM file by a reader that takes the first record of
    // every block for a travel and rounds the micrometres step by step:
    // positions 1 unit off in places.
    {"Rust-Embroidery-Catalogue__01Peacock", "dst", {"vp3"}, "1 unit off in places"},
    // Travels where the others sew a line of short stitches, and lands 2
    // units off their end (within the tolerance of the PCS twin).
    {"Embroidermodder__geometric_objects", "dst", {"pes", "pec", "sew"}, "travels where the others sew"},
};

const KnownDifference* Known(const std::string& stem, const std::string& a, const std::string& b) {
  for (const KnownDifference& k : kKnown) {
    const auto names = [&](const std::string& f, const std::string& g) {
      return f == k.format && (k.against.size() == 0 || std::find(k.against.begin(), k.against.end(), g) != k.against.end());
    };
    if (stem == k.stem && (names(a, b) || names(b, a))) return &k;
  }
  return nullptr;
}

}  // namespace

TEST(TwinTest, EveryPairOfTwinsSewsTheSameOrIsAKnownDifference) {
  struct File {
    const FormatEntry* format;
    std::filesystem::path path;
  };
  std::map<std::string, std::vector<File>> byStem;
  for (const FormatEntry& format : Formats())
    for (const auto& path : CorpusFiles(format.name)) byStem[path.stem().string()].push_back({&format, path});
  if (byStem.empty()) GTEST_SKIP() << "corpus folder not present";
  int pairs = 0;
  for (const auto& [stem, files] : byStem) {
    std::vector<Sewn> sewn;
    for (const File& f : files) {
      CHeadlessViewer viewer(kMemoryOnly);
      ASSERT_EQ(viewer.Load(ReadFileBytes(f.path), f.path.filename().string()), LoadOutcome::loaded) << f.path;
      sewn.push_back(SewnOf(viewer.dlg));
    }
    for (std::size_t m = 0; m < files.size(); ++m)
      for (std::size_t n = m + 1; n < files.size(); ++n) {
        const Sewn &a = sewn[m], &b = sewn[n];
        const std::string fa = files[m].format->name, fb = files[n].format->name;
        const Comparison c = Compare(a, b, Tolerance(*files[m].format, *files[n].format));
        const KnownDifference* known = Known(stem, fa, fb);
        std::cout << stem << " " << fa << "/" << fb << ": penetrations " << a.penetrations.size() << "/"
                  << b.penetrations.size() << ", paired " << c.paired << ", repeats " << c.lone[kRepeat]
                  << ", landings " << c.lone[kLanding] << ", splits " << c.lone[kSplit] << "; changes "
                  << a.changes.size() << "/" << b.changes.size() << "; extents " << a.width << "x" << a.height
                  << "/" << b.width << "x" << b.height << "; "
                  << (c.difference.empty() ? "agree" : "differ (" + c.difference + ")")
                  << (known ? std::string("; known: ") + known->cause : "") << "\n";
        ++pairs;
        if (known)
          EXPECT_NE(c.difference, "") << stem << " " << fa << "/" << fb << " agree: the known difference is stale";
        else
          EXPECT_EQ(c.difference, "") << stem << " " << fa << "/" << fb;
      }
  }
  EXPECT_GT(pairs, 0);
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
