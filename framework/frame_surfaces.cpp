#include "framework/frame_surfaces.h"

#include <algorithm>

void PaintControlBackground(ControlKind kind, CPixelBuffer& pixels) {
  if (kind == ControlKind::whiteRect) {
    std::fill(pixels.pixels.begin(), pixels.pixels.end(), 0xFFFFFFu);
    return;
  }
  std::fill(pixels.pixels.begin(), pixels.pixels.end(), kDialogFaceRgb);
  if (kind != ControlKind::blackFrame) return;
  const int w = pixels.width, h = pixels.height;
  if (w == 0 || h == 0) return;
  for (int x = 0; x < w; ++x) {
    pixels.pixels[static_cast<std::size_t>(x)] = 0;
    pixels.pixels[static_cast<std::size_t>(h - 1) * w + x] = 0;
  }
  for (int y = 0; y < h; ++y) {
    pixels.pixels[static_cast<std::size_t>(y) * w] = 0;
    pixels.pixels[static_cast<std::size_t>(y) * w + (w - 1)] = 0;
  }
}

void CFrameSurfaces::Create(const DialogTemplate& layout, int baseX, int baseY) {
  for (const ControlTemplate& control : layout.controls) {
    if (!IsFrameControl(control.kind)) continue;
    Frame& frame = m_frames[control.id];
    frame.kind = control.kind;
    if (!frame.sized) {
      const CRect r = DialogUnitsToPixels(control, baseX, baseY);
      frame.pixels.Resize(r.Width(), r.Height());
    }
    PaintControlBackground(frame.kind, frame.pixels);
  }
}

void CFrameSurfaces::SetSize(int id, int width, int height) {
  Frame& frame = m_frames[id];
  frame.pixels.Resize(width, height);
  frame.sized = true;
  PaintControlBackground(frame.kind, frame.pixels);
}

CPixelBuffer* CFrameSurfaces::Find(int id) {
  const auto it = m_frames.find(id);
  return it == m_frames.end() ? nullptr : &it->second.pixels;
}

void CFrameSurfaces::Erase(int id) {
  const auto it = m_frames.find(id);
  if (it == m_frames.end()) return;
  PaintControlBackground(it->second.kind, it->second.pixels);
  if (m_inDialogRepaint) it->second.erased = true;
}
