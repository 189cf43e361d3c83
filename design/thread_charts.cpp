#include "design/thread_charts.h"

#include <limits>

namespace {

// Index 0 names no thread; the colours are those every other program shows
// for an index, so a file written with them looks the same there.
constexpr CChartEntry kPecChart[] = {
    {0x000000, "", ""},  // 0
    {0x0E1F7C, "Prussian Blue", "007"},  // 1
    {0x0A55A3, "Blue", ""},  // 2
    {0x008777, "Teal Green", "534"},  // 3
    {0x4B6BAF, "Cornflower Blue", "070"},  // 4
    {0xED171F, "Red", "800"},  // 5
    {0xD15C00, "Reddish Brown", ""},  // 6
    {0x913697, "Magenta", "620"},  // 7
    {0xE49ACB, "Light Lilac", "810"},  // 8
    {0x915FAC, "Lilac", ""},  // 9
    {0x9ED67D, "Mint Green", "502"},  // 10
    {0xE8A900, "Deep Gold", "214"},  // 11
    {0xFEBA35, "Orange", "208"},  // 12
    {0xFFFF00, "Yellow", ""},  // 13
    {0x70BC1F, "Lime Green", "513"},  // 14
    {0xBA9800, "Brass", "328"},  // 15
    {0xA8A8A8, "Silver", "005"},  // 16
    {0x7D6F00, "Russet Brown", ""},  // 17
    {0xFFFFB3, "Cream Brown", ""},  // 18
    {0x4F5556, "Pewter", "704"},  // 19
    {0x000000, "Black", "900"},  // 20
    {0x0B3D91, "Ultramarine", ""},  // 21
    {0x770176, "Royal Purple", ""},  // 22
    {0x293133, "Dark Gray", "707"},  // 23
    {0x2A1301, "Dark Brown", "058"},  // 24
    {0xF64A8A, "Deep Rose", "086"},  // 25
    {0xB27624, "Light Brown", "323"},  // 26
    {0xFCBBC5, "Salmon Pink", "079"},  // 27
    {0xFE370F, "Vermilion", ""},  // 28
    {0xF0F0F0, "White", "001"},  // 29
    {0x6A1C8A, "Violet", ""},  // 30
    {0xA8DDC4, "Seacrest", ""},  // 31
    {0x2584BB, "Sky Blue", "019"},  // 32
    {0xFEB343, "Pumpkin", ""},  // 33
    {0xFFF36B, "Cream Yellow", "010"},  // 34
    {0xD0A660, "Khaki", ""},  // 35
    {0xD15400, "Clay Brown", ""},  // 36
    {0x66BA49, "Leaf Green", ""},  // 37
    {0x134A46, "Peacock Blue", "405"},  // 38
    {0x878787, "Gray", ""},  // 39
    {0xD8CCC6, "Warm Gray", ""},  // 40
    {0x435607, "Dark Olive", ""},  // 41
    {0xFDD9DE, "Flesh Pink", "307"},  // 42
    {0xF993BC, "Pink", ""},  // 43
    {0x003822, "Deep Green", ""},  // 44
    {0xB2AFD4, "Lavender", ""},  // 45
    {0x686AB0, "Wisteria Violet", ""},  // 46
    {0xEFE3B9, "Beige", "843"},  // 47
    {0xF73866, "Carmine", ""},  // 48
    {0xB54B64, "Amber Red", ""},  // 49
    {0x132B1A, "Olive Green", ""},  // 50
    {0xC70156, "Dark Fuchsia", "107"},  // 51
    {0xFE9E32, "Tangerine", "209"},  // 52
    {0xA8DEEB, "Light Blue", "017"},  // 53
    {0x00673E, "Emerald Green", "507"},  // 54
    {0x4E2990, "Purple", "614"},  // 55
    {0x2F7E20, "Moss Green", "515"},  // 56
    {0xFFCCCC, "Flesh Pink", "124"},  // 57
    {0xFFD911, "Harvest Gold", ""},  // 58
    {0x095BA6, "Electric Blue", ""},  // 59
    {0xF0F970, "Lemon Yellow", "205"},  // 60
    {0xE3F35B, "Fresh Green", "027"},  // 61
    {0xFF9900, "Orange", ""},  // 62
    {0xFFF08D, "Cream Yellow", ""},  // 63
    {0xFFC8C8, "Applique", ""},  // 64
};
static_assert(std::size(kPecChart) == 65);

constexpr CChartEntry kJanomeChart[] = {
    {0x000000, "", ""},  // 0
    {0x000000, "Black", "002"},  // 1
    {0xFFFFFF, "White", "001"},  // 2
    {0xFFFF17, "Yellow", "204"},  // 3
    {0xFF6600, "Orange", "203"},  // 4
    {0x2F5933, "Olive Green", "219"},  // 5
    {0x237336, "Green", "226"},  // 6
    {0x65C2C8, "Sky", "217"},  // 7
    {0xAB5A96, "Purple", "208"},  // 8
    {0xF669A0, "Pink", "201"},  // 9
    {0xFF0000, "Red", "225"},  // 10
    {0xB1704E, "Brown", "214"},  // 11
    {0x0B2F84, "Blue", "207"},  // 12
    {0xE4C35D, "Gold", "003"},  // 13
    {0x481A05, "Dark Brown", "205"},  // 14
    {0xAC9CC7, "Pale Violet", "209"},  // 15
    {0xFCF294, "Pale Yellow", "210"},  // 16
    {0xF999B7, "Pale Pink", "211"},  // 17
    {0xFAB381, "Peach", "212"},  // 18
    {0xC9A480, "Beige", "213"},  // 19
    {0x970533, "Wine Red", "215"},  // 20
    {0xA0B8CC, "Pale Sky", "216"},  // 21
    {0x7FC21C, "Yellow Green", "218"},  // 22
    {0xE5E5E5, "Silver Gray", "220"},  // 23
    {0x889B9B, "Gray", "221"},  // 24
    {0x98D6BD, "Pale Aqua", "227"},  // 25
    {0xB2E1E3, "Baby Blue", "228"},  // 26
    {0x368BA0, "Powder Blue", "229"},  // 27
    {0x4F83AB, "Bright Blue", "230"},  // 28
    {0x386A91, "Slate Blue", "231"},  // 29
    {0x071650, "Navy Blue", "232"},  // 30
    {0xF999A2, "Salmon Pink", "233"},  // 31
    {0xF9676B, "Coral", "234"},  // 32
    {0xE3311F, "Burnt Orange", "235"},  // 33
    {0xE2A188, "Cinnamon", "236"},  // 34
    {0xB59474, "Umber", "237"},  // 35
    {0xE4CF99, "Blond", "238"},  // 36
    {0xFFCB00, "Sunflower", "239"},  // 37
    {0xE1ADD4, "Orchid Pink", "240"},  // 38
    {0xC3007E, "Peony Purple", "241"},  // 39
    {0x80004B, "Burgundy", "242"},  // 40
    {0x540571, "Royal Purple", "243"},  // 41
    {0xB10525, "Cardinal Red", "244"},  // 42
    {0xCAE0C0, "Opal Green", "245"},  // 43
    {0x899856, "Moss Green", "246"},  // 44
    {0x5C941A, "Meadow Green", "247"},  // 45
    {0x003114, "Dark Green", "248"},  // 46
    {0x5DAE94, "Aquamarine", "249"},  // 47
    {0x4CBF8F, "Emerald Green", "250"},  // 48
    {0x007772, "Peacock Green", "251"},  // 49
    {0x595B61, "Dark Gray", "252"},  // 50
    {0xFFFFF2, "Ivory White", "253"},  // 51
    {0xB15818, "Hazel", "254"},  // 52
    {0xCB8A07, "Toast", "255"},  // 53
    {0x986C80, "Salmon", "256"},  // 54
    {0x98692D, "Cocoa Brown", "257"},  // 55
    {0x4D3419, "Sienna", "258"},  // 56
    {0x4C330B, "Sepia", "259"},  // 57
    {0x33200A, "Dark Sepia", "260"},  // 58
    {0x523A97, "Violet Blue", "261"},  // 59
    {0x0D217E, "Blue Ink", "262"},  // 60
    {0x1E77AC, "Sola Blue", "263"},  // 61
    {0xB2DD53, "Green Dust", "264"},  // 62
    {0xF33689, "Crimson", "265"},  // 63
    {0xDE649E, "Floral Pink", "266"},  // 64
    {0x984161, "Wine", "267"},  // 65
    {0x4C5612, "Olive Drab", "268"},  // 66
    {0x4C881F, "Meadow", "269"},  // 67
    {0xE4DE79, "Mustard", "270"},  // 68
    {0xCB8A1A, "Yellow Ocher", "271"},  // 69
    {0xCBA21C, "Old Gold", "272"},  // 70
    {0xFF9805, "Honey Dew", "273"},  // 71
    {0xFCB257, "Tangerine", "274"},  // 72
    {0xFFE505, "Canary Yellow", "275"},  // 73
    {0xF0331F, "Vermilion", "202"},  // 74
    {0x1A842D, "Bright Green", "206"},  // 75
    {0x386CAE, "Ocean Blue", "222"},  // 76
    {0xE3C4B4, "Beige Gray", "223"},  // 77
    {0xE3AC81, "Bamboo", "224"},  // 78
};
static_assert(std::size(kJanomeChart) == 79);

// HUS files name their threads by index 0..28. Where two charts disagree on
// 2 and 8 ("Green" and "Light Green" swapped), the one with catalogue
// numbers is followed; the files' designs cannot tell them apart.
constexpr CChartEntry kHusqvarnaChart[] = {
    {0x000000, "Black", "026"},        {0x0000E7, "Blue", "005"},          // 0
    {0x00C600, "Green", "002"},        {0xFF0000, "Red", "014"},           // 2
    {0x840084, "Purple", "008"},       {0xFFFF00, "Yellow", "020"},        // 4
    {0x848484, "Grey", "024"},         {0x8484E7, "Light Blue", "006"},    // 6
    {0x00FF84, "Light Green", "003"},  {0xFF7B31, "Orange", "017"},        // 8
    {0xFF8CA5, "Pink", "011"},         {0x845200, "Brown", "028"},         // 10
    {0xFFFFFF, "White", "022"},        {0x000084, "Dark Blue", "004"},     // 12
    {0x008400, "Dark Green", "001"},   {0x7B0000, "Dark Red", "013"},      // 14
    {0xFF6384, "Light Red", "015"},    {0x522952, "Dark Purple", "007"},   // 16
    {0xFF00FF, "Light Purple", "009"}, {0xFFDE00, "Dark Yellow", "019"},   // 18
    {0xFFFF9C, "Light Yellow", "021"}, {0x525252, "Dark Grey", "025"},     // 20
    {0xD6D6D6, "Light Grey", "023"},   {0xFF5208, "Dark Orange", "016"},   // 22
    {0xFF9C5A, "Light Orange", "018"}, {0xFF52B5, "Dark Pink", "010"},     // 24
    {0xFFC6DE, "Light Pink", "012"},   {0x523100, "Dark Brown", "027"},    // 26
    {0xB5A584, "Light Brown", "029"},                                      // 28
};
static_assert(std::size(kHusqvarnaChart) == 29);

// The preview's palettes, written as 0xRRGGBB.
constexpr std::uint32_t kBrotherRgb[kBrotherColors] = {
    0x000000, 0x480090, 0x0000E0, 0x008844, 0xB8B8FF, 0xE80000, 0xD27400, 0xB000B0,  // 0
    0xFFC4FF, 0xFF70FF, 0x00BC70, 0xD09C04, 0xFFB478, 0xFFE868, 0x00D800, 0xB08806,  // 8
    0xC4AC94, 0xA07C48, 0xFFFFB4, 0x747474, 0x000000, 0x6600C8, 0xCE00CE, 0x5C5C5C,  // 16
    0x743A00, 0xD80000, 0xBC7400, 0xFF9866, 0xE07000, 0xFFFFFF, 0xC800C8, 0x80B4A8,  // 24
    0xAAAAFF, 0xFFB874, 0xFCFC88, 0xE8B008, 0xD87804, 0x009048, 0x300066, 0x808080,  // 32
    0xC0B0A6, 0x808400, 0xFFE4C8, 0xFFA0FF, 0x007000, 0xFFD0FF, 0xE08CF4, 0xECE4D0,  // 40
    0xE00070, 0xB05E00, 0x64783C, 0xD80094, 0xFF9430, 0xA8FFFF, 0x00793C, 0xAA00AA,  // 48
    0x008400, 0xFFB8FF, 0xFCE042, 0x0080C0, 0xFFFF80, 0xC4FF8E,                      // 56
};

constexpr std::uint32_t kJanomeRgb[kJanomePaletteEntries] = {
    0x000000, 0x000000, 0xE5E5E5, 0xFFFF00, 0xFF6600, 0x999933, 0x00E800, 0x00CCFF,  // 0
    0xAA00AA, 0xFF99CC, 0xFF0000, 0xCC6633, 0x0000FF, 0x3399CC, 0xFF99FF, 0x99FFFF,  // 8
    0xCCCCFF, 0xFF99D7, 0x99CCFF, 0x000099, 0xFFFF99, 0x66FFCC, 0xCCCCCC, 0xB2B2B2,  // 16
    0xCCFF66, 0xFF9966, 0x993300, 0xB9FFFF, 0xCC6633, 0xFFFFFF, 0x001CDF, 0x00934C,  // 24
    0xFFFFFF, 0xBABDFE, 0x6633CC, 0xFECA15, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFF99CC,  // 32
    0xFFFFFF, 0xCC3399, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x669933, 0xBA9C5F, 0x6BD38A,  // 40
    0x336600, 0xFFFFFF, 0x7F7F7F, 0xDF00B8, 0xFFFFFF, 0x69260D, 0xF39178, 0xBF8200,  // 48
    0xCF6829, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xB0BF9B, 0xFFFFFF, 0xFFBA04, 0xFFF06C,  // 56
    0xFFFFFF, 0xFFFFFF, 0x37A923, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFA704,  // 64
    0xFF99D7, 0x007004, 0xFFFFFF, 0x047000, 0xB4D9E7, 0xFFFFFF, 0x999966, 0xFFFFFF,  // 72
};

static_assert(kBrotherColors <= kBrotherPaletteSlots);

}  // namespace

std::span<const CChartEntry> PecChart() { return kPecChart; }
std::span<const CChartEntry> JanomeChart() { return kJanomeChart; }
std::span<const CChartEntry> HusqvarnaChart() { return kHusqvarnaChart; }

int NearestChartIndex(std::span<const CChartEntry> chart, int first, int last, COLORREF color,
                      int skip) {
  const int r1 = static_cast<int>(GetRValue(color));
  const int g1 = static_cast<int>(GetGValue(color));
  const int b1 = static_cast<int>(GetBValue(color));
  int best = -1;
  long long bestDistance = std::numeric_limits<long long>::max();
  for (int i = first; i <= last && i < static_cast<int>(chart.size()); ++i) {
    if (i < 0 || i == skip) continue;
    const std::uint32_t rgb = chart[i].rgb;
    const int r2 = static_cast<int>(rgb >> 16), g2 = static_cast<int>((rgb >> 8) & 0xFF),
              b2 = static_cast<int>(rgb & 0xFF);
    const long long rm = (r1 + r2) / 2;
    const long long dr = r1 - r2, dg = g1 - g2, db = b1 - b2;
    const long long d = (((512 + rm) * dr * dr) >> 8) + 4 * dg * dg + (((767 - rm) * db * db) >> 8);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

CThread ChartThread(ThreadChart chart, int index) {
  CThread thread;
  thread.chart = chart;
  thread.index = index;
  std::span<const CChartEntry> entries;
  const char* brand = "";
  switch (chart) {
    case ThreadChart::pec: entries = PecChart(); brand = "Brother"; break;
    case ThreadChart::janome: entries = JanomeChart(); brand = "Janome"; break;
    case ThreadChart::husqvarna: entries = HusqvarnaChart(); brand = "Husqvarna Viking"; break;
    default: break;
  }
  // Indices past the chart name no thread: only the fallback colour; so
  // does 0 in the charts where it means "no colour" (all but Husqvarna's).
  const int first = chart == ThreadChart::husqvarna ? 0 : 1;
  if (index < first || index >= static_cast<int>(entries.size())) {
    thread.color = kFallbackColor;
    return thread;
  }
  const CChartEntry& e = entries[index];
  thread.color = FromRgb(e.rgb);
  thread.name = e.name;
  thread.catalog = e.number;
  thread.brand = brand;
  return thread;
}

namespace {

struct PreviewPalettes {
  COLORREF brother[kBrotherPaletteSlots] = {};
  COLORREF janome[kJanomePaletteEntries] = {};
  PreviewPalettes() { FillPreviewPalettes(brother, janome); }
};

}  // namespace

void FillPreviewPalettes(COLORREF (&brother)[kBrotherPaletteSlots], COLORREF (&janome)[kJanomePaletteEntries]) {
  for (int i = 0; i < kBrotherColors; ++i) brother[i] = FromRgb(kBrotherRgb[i]);
  for (int i = 0; i < kJanomePaletteEntries; ++i) janome[i] = FromRgb(kJanomeRgb[i]);
}

COLORREF PreviewBlockColor(const CDesign& design, int block) {
  static const PreviewPalettes palettes;
  return design.BlockColorFrom(block, palettes.brother, palettes.janome);
}

CThread BlockThread(const CDesign& design, int block) {
  if (block >= 0 && static_cast<std::size_t>(block) < design.m_threads.size()) return design.m_threads[block];
  CThread thread;
  thread.color = PreviewBlockColor(design, block);
  return thread;
}
