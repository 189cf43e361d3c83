// How the two frame controls paint themselves when erased: the preview frame
// is a white rectangle, the thumbnail frame a black frame on the dialog face.
#pragma once
#include "app/platform.h"

constexpr std::uint32_t kDialogFaceRgb = 0xF0F0F0;  // 0x00RRGGBB

void PaintControlBackground(int id, CPixelBuffer& pixels);
