// The reference of the computational codes (docs/codes.md), written from the one code table:
// the groups and their preconditions, every code with its statistic, label, perfect value and
// record types, the plain fields, the track codes, the prefixes and the display numbers.
// `kor --codes` prints it; a test checks that docs/codes.md is what it prints.
#ifndef KOR_DRIVER_CODE_REFERENCE_H_
#define KOR_DRIVER_CODE_REFERENCE_H_

#include <iosfwd>

namespace kor::driver {

void write_code_reference(std::ostream& os);

}  // namespace kor::driver

#endif  // KOR_DRIVER_CODE_REFERENCE_H_
