// The free-format (list-directed) line writer used for every message line of the package.
//
// A line starts with one blank.  Text items follow each other with nothing between them; an integer
// item is one blank and its digits; a real item is one blank and the value written with "%#.7G"
// (seven significant digits, a decimal point always shown, exponent form E+xx outside 1e-4 to 1e7:
// 1.000000, 0.5000000, -9999.000, 1.000000E-05).  When an item would carry the line past column 80,
// the line ends and the item starts a new line that again begins with one blank (an integer or real
// item keeps its own blank after it: "  5").  An item is never split: one longer than a line stands
// alone on its line.  An empty item list writes a line holding one blank.
#ifndef KOR_UTIL_LISTOUT_H_
#define KOR_UTIL_LISTOUT_H_

#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "util/format.h"

namespace kor::util {

// An item of a free-format line: an integer, a real or a text, as for the formatter.
using ListItem = FmtItem;

// The text of one free-format write, lines ended by '\n' (at least one line, possibly " ").
std::string list_text(std::initializer_list<ListItem> items);
std::string list_text(const std::vector<ListItem>& items);

// The text of one real item without its leading blank ("1.000000").
std::string list_real(double v);

// Writes one free-format record (and its continuation lines) to `os`.
void list_write(std::ostream& os, std::initializer_list<ListItem> items);
void list_write(std::ostream& os, const std::vector<ListItem>& items);

}  // namespace kor::util

#endif  // KOR_UTIL_LISTOUT_H_
