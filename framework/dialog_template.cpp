#include "framework/dialog_template.h"

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
  for (const ControlTemplate& control : dialog.controls)
    if (control.id == id) return &control;
  return nullptr;
}

CRect DialogUnitsToPixels(int x, int y, int cx, int cy, int baseX, int baseY) {
  return {x * baseX / 4, y * baseY / 8, (x + cx) * baseX / 4, (y + cy) * baseY / 8};
}
