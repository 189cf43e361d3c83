// Husqvarna Viking HUS and Pfaff VIP readers: one container, three
// compressed streams (design/hus_stream.h), a colour list of each format's
// own kind.
#pragma once
#include "design/byte_view.h"
#include "design/design.h"

void ReadHus(CDesign& design, int len);
void ReadVip(CDesign& design, int len);

// False only when the bytes cannot be a file of the format: no 32-byte
// header, or stream offsets that do not follow the colour list in order.
bool PlausibleHus(const ByteView& file);
bool PlausibleVip(const ByteView& file);
