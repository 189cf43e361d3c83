// Brother PES writer, the short version-1 form:
//   0    8   "#PES0001"
//   8    4   22, the offset of the PEC section
//   12   2   0 and 14  2  0: no hoop flags
//   16   2   0: no PES objects
//   18   4   00 00 00 00: nothing follows
//   22   ... the PEC section (pec_writer.cpp)
// Machines read only the PEC section. Version-6 files are not listed by
// some machines, and the form with objects is read only by Brother's own
// editor; this one is the header that editor writes for an empty design.
#include "export/pes_writer.h"

#include "export/pec_writer.h"

CEncoded EncodePes(const CDesign& design, const CEncodeRequest& request) {
  static constexpr std::uint8_t kHeader[22] = {'#', 'P', 'E', 'S', '0', '0', '0', '1', 22, 0, 0, 0};
  return EncodePecFile(design, request, kHeader);
}
