// The EXP and XXX designs of the corpus against their twins, the same
// design in another format under the same name: the same extents, the same
// colour changes between the first and the last needle penetration, and
// the same penetrations in order, as far as the encodings allow:
// - a writer may land a travel with a penetration at its end, or travel to
//   a point that another writer sews to (EXP files land their jumps with a
//   stitch, XXX and PEC files with the next stitch), and may start with a
//   stitch at the origin;
// - PCS keeps whole 1/6 mm: positions within 2 units, and a stitch shorter
//   than that may merge with the one before.
#include <algorithm>
#include <cstdlib>
#include <set>

#include "tests/test_support.h"

namespace {

using Point = std::pair<int, int>;

// What a twin must agree in, positions from the design's top-left corner.
struct Profile {
  std::vector<Point> penetrations;  // a stitch at the same place as the one before counts once
  std::set<Point> travelEnds;       // where each run of moves ends, and the origin
  int colorChanges = 0;             // between the first and the last penetration
  int travels = 0;
  int width = 0, height = 0;
};

Profile ProfileOf(const CViewerDlg& d) {
  Profile p;
  p.width = d.m_nWidth;
  p.height = d.m_nHeight;
  const auto at = [&](std::size_t i) { return Point{d.m_arrX[i] - d.m_nMinX, d.m_arrY[i] - d.m_nMinY}; };
  p.travelEnds.insert({-d.m_nMinX, -d.m_nMinY});
  std::vector<std::size_t> changes;  // penetrations before each colour change
  bool moving = false;
  Point travelEnd;
  for (std::size_t i = static_cast<std::size_t>(d.FirstOwnRecord()); d.m_arrKind[i] != KIND_END; ++i) {
    const int kind = d.m_arrKind[i];
    if (kind == KIND_COLOR) {
      changes.push_back(p.penetrations.size());
    } else if (kind == KIND_MOVE) {
      moving = true;
      travelEnd = at(i);
    } else {
      if (moving) {
        p.travelEnds.insert(travelEnd);
        ++p.travels;
        moving = false;
      }
      if (p.penetrations.empty() || p.penetrations.back() != at(i)) p.penetrations.push_back(at(i));
    }
  }
  for (std::size_t c : changes) p.colorChanges += c > 0 && c < p.penetrations.size();
  return p;
}

struct Agreement {
  std::string difference;  // empty: the twins agree
  int extraA = 0, extraB = 0;  // penetrations only one of them has
};

Agreement Compare(const Profile& a, const Profile& b, int tolerance) {
  Agreement out;
  const auto near = [tolerance](Point p, Point q) {
    return std::abs(p.first - q.first) <= tolerance && std::abs(p.second - q.second) <= tolerance;
  };
  if (!near({a.width, a.height}, {b.width, b.height})) {
    out.difference = "extents " + std::to_string(a.width) + "x" + std::to_string(a.height) + " and " +
                     std::to_string(b.width) + "x" + std::to_string(b.height);
    return out;
  }
  if (a.colorChanges != b.colorChanges) {
    out.difference = "colour changes " + std::to_string(a.colorChanges) + " and " + std::to_string(b.colorChanges);
    return out;
  }
  // A penetration only one twin has: at a travel's end of either, or on
  // a grid coarser than the step, where the one before it is.
  const auto spare = [&](const std::vector<Point>& own, std::size_t i) {
    const Point p = own[i];
    for (const std::set<Point>* ends : {&a.travelEnds, &b.travelEnds})
      if (std::any_of(ends->begin(), ends->end(), [&](Point e) { return near(p, e); })) return true;
    return tolerance > 0 && i > 0 && near(p, own[i - 1]);
  };
  // The cheapest alignment of the two sequences: a pair costs its distance,
  // a lone penetration more than any pair, within a band around the
  // diagonal that is far wider than the lone penetrations of real twins.
  const auto& pa = a.penetrations;
  const auto& pb = b.penetrations;
  constexpr int kBand = 64, kLone = 3 * (2 + 1), kNone = 1 << 30;
  const std::size_t n = pa.size(), m = pb.size();
  const auto centre = [&](std::size_t i) { return static_cast<long>(n ? m * i / n : 0); };
  struct Cell {
    int cost = kNone, extraA = 0, extraB = 0;
  };
  std::vector<Cell> cells((n + 1) * (2 * kBand + 1));
  const auto cell = [&](std::size_t i, long j) -> Cell* {
    const long k = j - centre(i) + kBand;
    if (j < 0 || j > static_cast<long>(m) || k < 0 || k > 2 * kBand) return nullptr;
    return &cells[i * (2 * kBand + 1) + static_cast<std::size_t>(k)];
  };
  const auto offer = [&](Cell* to, const Cell& from, int cost, int addA, int addB) {
    if (to && from.cost + cost < to->cost) *to = {from.cost + cost, from.extraA + addA, from.extraB + addB};
  };
  if (Cell* start = cell(0, 0)) start->cost = 0;
  for (std::size_t i = 0; i <= n; ++i) {
    for (long j = std::max(0L, centre(i) - kBand); j <= std::min<long>(static_cast<long>(m), centre(i) + kBand); ++j) {
      const Cell here = *cell(i, j);
      if (here.cost == kNone) continue;
      const std::size_t uj = static_cast<std::size_t>(j);
      if (i < n && uj < m && near(pa[i], pb[uj]))
        offer(cell(i + 1, j + 1), here,
              std::max(std::abs(pa[i].first - pb[uj].first), std::abs(pa[i].second - pb[uj].second)), 0, 0);
      if (i < n && spare(pa, i)) offer(cell(i + 1, j), here, kLone, 1, 0);
      if (uj < m && spare(pb, uj)) offer(cell(i, j + 1), here, kLone, 0, 1);
    }
  }
  const Cell* end = cell(n, static_cast<long>(m));
  if (!end || end->cost == kNone) {
    out.difference = "the penetrations differ";
    return out;
  }
  out.extraA = end->extraA;
  out.extraB = end->extraB;
  // Each travel explains one landing at most; PCS may merge any short stitch.
  if (tolerance == 0 && out.extraA + out.extraB > a.travels + b.travels + 2)
    out.difference = "more lone penetrations than travels";
  return out;
}

// Twins that hold the design otherwise, not in another encoding.
struct KnownDifference {
  const char* file;
  const char* twinFormat;
  const char* cause;
};
constexpr KnownDifference kKnown[] = {
    {"Embroidermodder__Embroidermodder", "pes", "the PES file holds the design turned by 90 degrees"},
    {"Rust-Embroidery-Catalogue__Cake_3", "pcs", "another version: 119.7 x 74.9 mm, fewer stitches"},
    {"Rust-Embroidery-Catalogue__Cake_3", "sew", "another version: 125.0 x 78.2 mm, 12 colours"},
    {"Rust-Embroidery-Catalogue__rectangle", "sew", "another design: 19.5 x 11.9 mm"},
    {"PEmbroider__PEmbroider_bitmap_image_2", "exp", "PEmbroider stitched the two files differently"},
    {"PEmbroider__PEmbroider_bitmap_image_2", "xxx", "PEmbroider stitched the two files differently"},
};
// The formats whose twins were compared when this test was written.
constexpr const char* kTwinFormats[] = {"pes", "pec", "dst", "pcs", "sew", "exp", "xxx"};

class TwinDesignsTest : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(TwinDesignsTest, AgreeWithTheSameDesignInOtherFormats) {
  const auto files = CorpusFiles(GetParam());
  SKIP_WITHOUT_CORPUS(files);
  CHeadlessViewer viewer(kMemoryOnly), twin(kMemoryOnly);
  int compared = 0;
  for (const auto& path : files) {
    const std::string stem = path.stem().string();
    ASSERT_EQ(viewer.Load(ReadFileBytes(path), path.filename().string()), LoadOutcome::loaded);
    const Profile own = ProfileOf(viewer.dlg);
    for (const char* format : kTwinFormats) {
      if (std::string(format) == GetParam()) continue;
      for (const auto& other : CorpusFiles(format)) {
        if (other.stem() != stem) continue;
        const bool known = std::any_of(std::begin(kKnown), std::end(kKnown), [&](const KnownDifference& k) {
          return stem == k.file && (std::string(format) == k.twinFormat || std::string(GetParam()) == k.twinFormat);
        });
        ASSERT_EQ(twin.Load(ReadFileBytes(other), other.filename().string()), LoadOutcome::loaded);
        const Agreement agreement = Compare(own, ProfileOf(twin.dlg), std::string(format) == "pcs" ? 2 : 0);
        if (known) {
          // Another design, not another encoding: it must show as one.
          EXPECT_NE(agreement.difference, "") << stem << " and its " << format << " twin";
          continue;
        }
        ++compared;
        EXPECT_EQ(agreement.difference, "") << stem << " and its " << format << " twin";
        RecordProperty(stem + "." + format, std::to_string(agreement.extraA) + "/" + std::to_string(agreement.extraB));
      }
    }
  }
  EXPECT_GT(compared, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, TwinDesignsTest, ::testing::Values("exp", "xxx"),
                         [](const auto& info) { return std::string(info.param); });
