// The message writer of the graphics client.
//
// A message is identified by a group (such as "FL") and a number.  Its text comes from the group's
// message file "$MOBERR/<GROUP>.ERR" (group in capitals), whose lines read "<number> ! <text>"; in
// the text "!AS" stands for a caller's insert and "!/" for a line break.  Lines start with
// "[<GROUP> <number>] " and go to standard output or, in mode 1, to the message history.
#ifndef KOR_UTIL_MESSAGES_H_
#define KOR_UTIL_MESSAGES_H_

#include <iosfwd>
#include <string>
#include <string_view>

#include "util/support.h"

namespace kor::util {

// Stores the message level (below 0 becomes 0, above 3 becomes 4), the mode (-1, 0 or 1; any other
// value becomes 0) and the time-stamp setting.
void MSG_SETUP(SupportState& state, int level, int mode, int setting);

// The line MSG_WRITE composes for a message, without the time stamp and the leading blank:
// "[GROUP number] " followed by the message text (or by `insert` when the message file or its line
// is missing).  A blank group gives the prefix "[MOBPAK number] " and no file is read.
std::string message_line(SupportState& state, std::string_view group, int number,
                         std::string_view insert);

// Writes message `number` of `group` unless the number is 0, `level` is above the current level or
// the mode is -1.  With a nonzero time-stamp setting the line starts with the time text (CLK_TEXT)
// and a blank.  Mode 0 writes " " + line to `out`; mode 1 keeps the line (at most 511 characters)
// in the history, dropping the oldest text when 100 are kept (a line cut to fit there is reported
// on `out`).
void MSG_WRITE(SupportState& state, int level, std::string_view group, int number,
               std::string_view insert, std::ostream& out);

}  // namespace kor::util

#endif  // KOR_UTIL_MESSAGES_H_
