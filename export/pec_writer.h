// Brother PEC writer, and the PEC section that PEC and PES files both hold.
#pragma once
#include <cstdint>
#include <span>

#include "export/encoder.h"

// "#PEC0001" and the section.
CEncoded EncodePec(const CDesign& design, const CEncodeRequest& request);

// The file's header bytes followed by the design's PEC section; refused
// before anything is built when the section cannot hold the design.
CEncoded EncodePecFile(const CDesign& design, const CEncodeRequest& request,
                       std::span<const std::uint8_t> header);
