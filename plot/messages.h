// PLT_MSG: the texts of the plotting return codes.
//
// Every routine of the plotting subsystem returns one integer code: 0 normal, positive a warning
// (processing goes on), negative an error (the current step is abandoned).  The numbering is shared
// by the plot driver, the graphics control file reader, the axis and label builders, the drawing
// routines and the text outputs.
#ifndef KOR_PLOT_MESSAGES_H_
#define KOR_PLOT_MESSAGES_H_

#include <iosfwd>
#include <string>
#include <string_view>

namespace kor::plot {

// The message text of `code` (+14 down to -50), or an empty text for any other code.
std::string plot_message(int code);

// Writes `caller` on a line of its own when it is not entirely blank (one leading blank, then the
// text at its full length, trailing blanks included), then the message line of `code` when the
// code has one.  Both are free-format lines.  Always returns 0, its own status.
int PLT_MSG(int code, std::string_view caller, std::ostream& os);

// The line that follows the code line of an output file that could not be opened (-22, -41):
// " file <name>: <the system's reason for error number `error`>" (no reason for 0), the name
// written whole.
void write_unopened_file(std::string_view name, int error, std::ostream& os);

}  // namespace kor::plot

#endif  // KOR_PLOT_MESSAGES_H_
