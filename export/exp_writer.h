// Melco / Bernina EXP writer.
#pragma once
#include "export/encoder.h"

CEncoded EncodeExp(const CDesign& design, const CEncodeRequest& request);
