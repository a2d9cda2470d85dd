// RDTD_MSG: the texts of the reader and statistics-engine return codes.
#ifndef KOR_TRACEFILE_MESSAGES_H_
#define KOR_TRACEFILE_MESSAGES_H_

#include <iosfwd>
#include <string>
#include <string_view>

namespace kor::tracefile {

// The text of `code`, or an empty text for a code without a row (-11, -22 and unknown codes).
std::string reader_message(int code);

// Writes `routine` (when not blank, without trailing blanks) as a line of its own and then the line
// of `code`, both as free-format lines on `os`.  Always returns 0, its own return code.
int RDTD_MSG(int code, std::string_view routine, std::ostream& os);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_MESSAGES_H_
