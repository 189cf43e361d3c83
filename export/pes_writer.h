// Brother PES writer: the short version-1 form that machines read.
#pragma once
#include "export/encoder.h"

CEncoded EncodePes(const CDesign& design, const CEncodeRequest& request);
