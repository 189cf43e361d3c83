// Singer XXX reader.
#pragma once
#include "design/byte_view.h"
#include "design/design.h"

// Reads the first len bytes of design.m_fileData as an XXX file.
void ReadXxx(CDesign& design, int len);

// False when the bytes cannot be an XXX file: its first 23 bytes are zero.
bool PlausibleXxx(const ByteView& file);
