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

struct ErrorPlace;

// The line that follows a reader error's code line to say where the error was found:
//   " in file <name>, line <n>"                 at a record of the file
//   " in file <name>, at its end after line <n>" when the file ended before a needed record
//   " in file <name>, which is empty"           the same for a file without a line
//   " in file <name>"                           for an error of the plot as a whole
// The name is written whole, never broken at column 80, so that it can be copied.  When the reader
// can tell what is wrong with the record (a data header where a group header should be, a value
// that is not in its fixed columns), a second line says it in words.  Nothing is written for a
// place that is not known.
void write_error_place(const ErrorPlace& place, std::ostream& os);

}  // namespace kor::tracefile

#endif  // KOR_TRACEFILE_MESSAGES_H_
