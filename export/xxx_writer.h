// Singer XXX writer.
#pragma once
#include "export/encoder.h"

CEncoded EncodeXxx(const CDesign& design, const CEncodeRequest& request);
