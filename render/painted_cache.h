// What a device context knows to be painted in the current colour already,
// so that a wide stroke that would only paint those pixels again costs
// nothing: the strokes drawn since the colour last changed (a direct-mapped
// table) and one rectangle of pixels all in that colour. A tiny design,
// scaled until its pen is as wide as the frame, draws the same few strokes
// over and over.
//
// The knowledge holds while only this device context paints its target and
// only in this colour; selecting another colour, a clip region, or drawing
// a rectangle forgets it.
#pragma once
#include <cstdint>
#include <vector>

struct CPixelRect {
  std::int64_t left = 0, top = 0, right = -1, bottom = -1;  // inclusive
  bool Empty() const { return left > right || top > bottom; }
  std::int64_t Area() const { return Empty() ? 0 : (right - left + 1) * (bottom - top + 1); }
  bool Contains(const CPixelRect& r) const {
    return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
  }
};

struct CStroke {
  std::int64_t x0, y0, x1, y1;
  int width;
  bool operator==(const CStroke&) const = default;
};

// The largest rectangles that the spans of one stroke fill, row by row: a
// run of rows spanning the whole clip width, and the columns that a run of
// rows from the first painted one all cover.
class CFillTracker {
 public:
  explicit CFillTracker(std::int64_t clipLeft, std::int64_t clipRight)
      : m_clipLeft(clipLeft), m_clipRight(clipRight) {}
  void Row(std::int64_t y, std::int64_t lo, std::int64_t hi);  // a painted, clipped span
  CPixelRect Best() const;

 private:
  std::int64_t m_clipLeft, m_clipRight;  // inclusive
  CPixelRect m_fullRun, m_bestFullRun, m_common;
  bool m_commonClosed = false;
};

class CPaintedCache {
 public:
  void Forget();
  // The colour drawn with from now on; another colour than before forgets.
  void UseColor(std::uint32_t rgb) {
    if (!m_bColorKnown || rgb != m_rgb) {
      Forget();
      m_rgb = rgb;
      m_bColorKnown = true;
    }
  }
  // Something of an unknown colour was painted.
  void ForgetColor() {
    Forget();
    m_bColorKnown = false;
  }
  // Whether the stroke was drawn since the colour was last changed.
  bool KnowsStroke(const CStroke& stroke) const;
  // Whether every pixel in box is in the colour already.
  bool Covers(const CPixelRect& box) const {
    return m_bColorKnown && !m_rect.Empty() && m_rect.Contains(box);
  }
  // The stroke was painted, filling at least the rectangle filled.
  void Learn(const CStroke& stroke, const CPixelRect& filled);

 private:
  static constexpr std::size_t kStrokes = 1024;
  struct Slot {
    CStroke stroke{};
    std::uint32_t generation = 0;
  };
  static std::size_t SlotOf(const CStroke& s);

  std::vector<Slot> m_slots;  // allocated with the first stroke learnt
  std::uint32_t m_generation = 1;
  CPixelRect m_rect;  // empty: none
  std::uint32_t m_rgb = 0;
  bool m_bColorKnown = false;
};
