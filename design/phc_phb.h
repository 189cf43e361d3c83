// Brother PHC and PHB readers: PEC thread indices, the blocks' pictures and
// a PEC stitch block behind a chain of offsets.
#pragma once
#include "design/byte_view.h"
#include "design/design.h"

void ReadPhc(CDesign& design, int len);
void ReadPhb(CDesign& design, int len);

// False only for bytes that do not start with the format's "#PHC" / "#PHB".
bool PlausiblePhc(const ByteView& file);
bool PlausiblePhb(const ByteView& file);
