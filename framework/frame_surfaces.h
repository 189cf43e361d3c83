// The pixel surfaces of a dialog's frame controls, as both platforms keep
// them: the preview frame is a white rectangle, the thumbnail frame a black
// frame on the dialog face, and each paints itself so when it is erased.
//
// A repaint of the whole dialog erases every frame and runs the paint
// handler, which erases again each frame it draws on. Here each frame is
// erased once per repaint: the frames the handler repaints are erased when it
// asks, the others after it has run. The pixels are the same either way.
#pragma once
#include <map>

#include "framework/dialog_template.h"
#include "framework/platform.h"

constexpr std::uint32_t kDialogFaceRgb = 0xF0F0F0;  // 0x00RRGGBB

// Fills pixels as a frame control of this kind paints itself.
void PaintControlBackground(ControlKind kind, CPixelBuffer& pixels);

class CFrameSurfaces {
 public:
  // One erased surface per frame control of the layout, sized for the base
  // units; a surface already sized by SetSize keeps its size.
  void Create(const DialogTemplate& layout, int baseX = kDialogBaseUnitX,
              int baseY = kDialogBaseUnitY);
  // Resizes (and erases) the surface of frame id; a frame the layout does not
  // have yet is taken as a white rectangle until Create says otherwise.
  void SetSize(int id, int width, int height);

  CPixelBuffer* Find(int id);
  bool Has(int id) const { return m_frames.count(id) != 0; }

  // The frame erases itself to its background (the paint handler's repaint
  // of one frame, or a repaint outside a whole-dialog repaint).
  void Erase(int id);

  // A whole-dialog repaint: paint runs the dialog's paint handler.
  template <typename Paint>
  void RepaintDialog(Paint&& paint) {
    m_inDialogRepaint = true;
    for (auto& [id, frame] : m_frames) frame.erased = false;
    paint();
    m_inDialogRepaint = false;
    for (auto& [id, frame] : m_frames)
      if (!frame.erased) PaintControlBackground(frame.kind, frame.pixels);
  }

  template <typename Visit>
  void ForEach(Visit&& visit) {
    for (auto& [id, frame] : m_frames) visit(id, frame.pixels);
  }

 private:
  struct Frame {
    ControlKind kind = ControlKind::whiteRect;
    CPixelBuffer pixels;
    bool sized = false;
    bool erased = false;
  };
  std::map<int, Frame> m_frames;
  bool m_inDialogRepaint = false;
};
