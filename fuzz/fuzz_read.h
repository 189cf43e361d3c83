// The body of the reader targets: one input through the load path of one
// extension, checked three ways.
#pragma once
#include <cstddef>
#include <cstdint>

// 1. The bytes load into a fresh dialog; the design holds its invariants.
//    Bytes that cannot be a file of the format are refused instead, with
//    the design before unchanged (then so is step 2, and step 3 is left out).
// 2. A cut of them (the last byte picks one of 16 lengths) loads into the
//    same dialog, whose buffers still hold the longer file; invariants again.
// 3. The cut loads into a fresh dialog and must give what step 2 gave: a
//    reader that looks past its length, or at the previous design, differs.
// Aborts on any fault; returns 0.
int FuzzRead(const char* extension, const std::uint8_t* data, std::size_t size);
