// Text attributes of the graphics client: the font-size table "fontsz.tbl" and the parser of
// text-attribute strings such as "1.2/2/1/HW" or "SMALL/1//0/N/C".
#ifndef KOR_UTIL_TEXTATTR_H_
#define KOR_UTIL_TEXTATTR_H_

#include <iosfwd>
#include <string_view>

#include "util/support.h"

namespace kor::util {

// Looks `font` up (changed to capitals, 12 characters) in the table "fontsz.tbl" of type "config".
// Each table line is read with "(A12,1X,F7.3,10X,I2)"; comment lines ("!") and lines whose size
// field is not a number are skipped; the first line whose name begins with the same character as
// the font name (compared in capitals) gives the size.  Returns 0 with `size` set, 4 with size 0
// when no line matches, or the code of TBL_OPEN when the table cannot be opened (a message of
// group "FL" with that number and the insert "fontsz.tbl" is written through MSG_WRITE to `os`;
// size 0).
[[nodiscard]] int TBL_FONTSZ(SupportState& state, std::string_view font, double& size,
                             std::ostream& os);

// A parsed text-attribute string.
struct TextAttr {
  double size = 0.0;      // character size (> 0 when the parse succeeded)
  int font = 0;           // font number; 0 when not given or not an integer
  int width = 0;          // line width, 0 or more
  int border = 0;         // border, 0 or more
  int rotation = 0;       // "N" 2, "S" 1, else 0
  int justification = 0;  // "R" 3, "C" 2, "L" 1, else 0
  int hardware = 0;       // 2 when "HW" was given, 1 for "SW" alone, 0 when neither
};

// Reads `attributes` (its first 160 characters): capitals; the first "/HW" and "/SW" are removed,
// or, when neither occurs, the first "HW" and "SW"; the rest is split at "/" into up to six items:
// size (a real, or a font name looked up with TBL_FONTSZ), font, width, border, rotation (first
// character N or S) and justification (first character R, C or L).  Returns 0, or -1 when the
// size is 0 or below or the font name is not in the table; the other items are filled either way.
// A missing font table is reported on `os`.
[[nodiscard]] int TXT_ATTR(SupportState& state, std::string_view attributes, TextAttr& attr,
                           std::ostream& os);

}  // namespace kor::util

#endif  // KOR_UTIL_TEXTATTR_H_
